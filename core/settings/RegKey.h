// An open key of the registry hive, closed when it goes out of scope, with the reads
// the program repeats: one value's type and bytes, and values and subkeys by index,
// whatever the size of their names and data.
#pragma once

#include "platform/Platform.h"

#include <string>

namespace tidorax {

class RegKey {
public:
    // One value as the hive keeps it: its type and its raw data bytes.
    struct Value {
        std::string name;
        DWORD type = REG_NONE;
        std::string data;
    };

    // The text of a REG_SZ value's data: the bytes without the terminating zero byte,
    // when there is one (a value written by another tool may lack it).
    static std::string Text(std::string data);

    // No key open yet; the hive is the platform's unless another is given.
    RegKey();
    explicit RegKey(RegistryHive& hive);
    ~RegKey();
    RegKey(RegKey&& other) noexcept;
    RegKey& operator=(RegKey&& other) noexcept;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Open or create path below parent (a root or another open key's handle),
    // closing whatever this object held before. The hive's result code; the key is
    // open only on ERROR_SUCCESS.
    LONG open(HKEY parent, const std::string& path, REGSAM access);
    LONG create(HKEY parent, const std::string& path, REGSAM access, DWORD* disposition = nullptr);
    void close();

    bool isOpen() const { return handle_ != 0; }
    HKEY handle() const { return handle_; }
    RegistryHive& hive() const { return *hive_; }

    // The value called name (value.name is set to name as asked).
    LONG readValue(const std::string& name, Value& value) const;
    // The value or subkey at index in the hive's order; ERROR_NO_MORE_ITEMS after the last.
    LONG valueAt(DWORD index, Value& value) const;
    LONG subKeyAt(DWORD index, std::string& name) const;

private:
    RegistryHive* hive_;
    HKEY handle_ = 0;
};

} // namespace tidorax
