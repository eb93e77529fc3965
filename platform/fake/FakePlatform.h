// A platform for tests: a real hive file in a folder the test chooses, an
// environment held in a map, a version record the test sets, and message boxes and
// processes that are recorded instead of shown or run.
#pragma once

#include "platform/Platform.h"

#include <map>
#include <memory>
#include <vector>

namespace tidorax {

class FakePlatform : public Platform {
public:
    // Points everything at a fresh root folder: the hive at
    // root/config/tidorax/registry.sqlite3, autostart at root/config/autostart,
    // HOME=root/home, XDG_CONFIG_HOME, XDG_CACHE_HOME, XDG_DATA_HOME and TMPDIR below
    // root. Clears the version record and what was recorded.
    void reset(const std::string& root);

    RegistryHive& registry() override;
    std::optional<std::string> environment(const std::string& name) const override;
    // HOME of the test's environment, else homeFromUserDatabase.
    std::string homeFolder() const override;
    std::string programFolder() const override { return programFolderPath; }
    std::string executableBaseName() const override { return executableName; }
    std::string productName() const override { return "Tidorax"; }
    int GetVersionExA(OsVersionInfo& info) override;
    // Records the box and answers with the next scripted answer (IDOK, or IDYES for
    // a Yes/No box, when none is left).
    int MsgBox(const std::string& prompt, int buttons, const std::string& title) override;
    void setMessageBoxHandler(MessageBoxHandler handler) override { messageBoxHandler = std::move(handler); }

    // Reopens the hive (for instance after the test damaged its file).
    void reopenHive();

    std::string root;
    std::map<std::string, std::string> env;
    std::string hivePath;
    std::string autostartFolder;
    std::string programFolderPath = "/opt/tidorax";
    std::string executableName = "tidorax";
    std::string homeFromUserDatabase;
    // nullopt: GetVersionExA fails, as on Linux.
    std::optional<OsVersionInfo> version;
    struct ShownBox {
        std::string prompt;
        int buttons;
        std::string title;
    };
    std::vector<ShownBox> shownBoxes;
    std::vector<int> scriptedAnswers;
    MessageBoxHandler messageBoxHandler;

private:
    std::unique_ptr<RegistryHive> hive_;
};

// The fake this test binary was linked with.
FakePlatform& fakePlatform();

} // namespace tidorax
