// The layer over the operating system that the core reaches for everything outside
// its own memory: the registry hive, the environment, the program's own identity,
// and the version record. One implementation serves the real program
// (LinuxPlatform); a fake one serves the tests (FakePlatform). Which one a binary
// gets is decided when it is linked; the core reaches it only through platform().
#pragma once

#include "platform/hive/RegistryHive.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tidorax {

// The record of GetVersionExA, fields in the order and widths Windows uses.
struct OsVersionInfo {
    std::uint32_t dwOSVersionInfoSize = 148;
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwBuildNumber = 0;
    std::uint32_t dwPlatformId = 0;
    char szCSDVersion[128] = {};
};

inline constexpr std::uint32_t VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;

class Platform {
public:
    virtual ~Platform() = default;

    // The registry hive with every root.
    virtual RegistryHive& registry() = 0;

    // An environment variable by its exact name; nullopt when it is not set.
    virtual std::optional<std::string> environment(const std::string& name) const = 0;

    // The user's home folder: $HOME when it is set and not empty, else the user
    // database's entry; "" when neither gives one.
    virtual std::string homeFolder() const = 0;

    // Folder of the running executable, with no trailing "/" (except "/" itself).
    virtual std::string programFolder() const = 0;
    // Base name of the running executable ("tidorax").
    virtual std::string executableBaseName() const = 0;
    // The product name of the program ("Tidorax").
    virtual std::string productName() const = 0;

    // GetVersionExA: fills the record and returns 1, or returns 0 when the system
    // is not Windows (every version test then answers false).
    virtual int GetVersionExA(OsVersionInfo& info) = 0;

    // A message box with the Windows flag values (64 OK + information, 36 Yes/No +
    // question, 20 Yes/No + critical, 16 OK + critical); returns the answer (1 OK,
    // 6 Yes, 7 No). The desktop layer installs the real boxes with
    // setMessageBoxHandler; without one the text goes to standard error and the
    // answer is OK (or No: a question nobody answers stops what it asks about).
    virtual int MsgBox(const std::string& prompt, int buttons, const std::string& title) = 0;

    using MessageBoxHandler =
        std::function<int(const std::string& prompt, int buttons, const std::string& title)>;
    virtual void setMessageBoxHandler(MessageBoxHandler handler) = 0;
};

// Message box answers and flags.
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int MB_OK_INFORMATION = 64;
inline constexpr int MB_YESNO_QUESTION = 36;
inline constexpr int MB_YESNO_CRITICAL = 20;
inline constexpr int MB_OK_CRITICAL = 16;

// The platform this binary was linked with. Created on first use.
Platform& platform();

} // namespace tidorax
