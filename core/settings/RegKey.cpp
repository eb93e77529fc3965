#include "core/settings/RegKey.h"

#include <utility>

namespace tidorax {

namespace {

// Room for a name; grown while the hive says it does not fit.
constexpr std::size_t kFirstNameRoom = 256;
constexpr std::size_t kFirstDataRoom = 256;

} // namespace

std::string RegKey::Text(std::string data) {
    if (!data.empty() && data.back() == '\0') {
        data.pop_back();
    }
    return data;
}

RegKey::RegKey() : RegKey(platform().registry()) {}

RegKey::RegKey(RegistryHive& hive) : hive_(&hive) {}

RegKey::~RegKey() {
    close();
}

RegKey::RegKey(RegKey&& other) noexcept : hive_(other.hive_), handle_(std::exchange(other.handle_, 0)) {}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        close();
        hive_ = other.hive_;
        handle_ = std::exchange(other.handle_, 0);
    }
    return *this;
}

LONG RegKey::open(HKEY parent, const std::string& path, REGSAM access) {
    close();
    return hive_->RegOpenKeyExA(parent, path.c_str(), 0, access, &handle_);
}

LONG RegKey::create(HKEY parent, const std::string& path, REGSAM access, DWORD* disposition) {
    close();
    return hive_->RegCreateKeyExA(parent, path.c_str(), 0, "", REG_OPTION_NON_VOLATILE, access, nullptr,
                                  &handle_, disposition);
}

void RegKey::close() {
    if (handle_ != 0) {
        hive_->RegCloseKey(handle_);
        handle_ = 0;
    }
}

LONG RegKey::readValue(const std::string& name, Value& value) const {
    // One query for a value that fits the first room, which most do; a larger one is
    // asked for again with the size the hive names.
    std::string data(kFirstDataRoom, '\0');
    for (;;) {
        DWORD type = 0;
        auto size = static_cast<DWORD>(data.size());
        const LONG result = hive_->RegQueryValueExA(handle_, name.c_str(), nullptr, &type,
                                                    reinterpret_cast<BYTE*>(data.data()), &size);
        if (result == ERROR_MORE_DATA) {
            data.resize(size); // grown, or grown again meanwhile
            continue;
        }
        if (result != ERROR_SUCCESS) {
            return result;
        }
        data.resize(size);
        value = Value{name, type, std::move(data)};
        return ERROR_SUCCESS;
    }
}

LONG RegKey::valueAt(DWORD index, Value& value) const {
    std::string name(kFirstNameRoom, '\0');
    std::string data(kFirstDataRoom, '\0');
    for (;;) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG result = hive_->RegEnumValueA(handle_, index, name.data(), &nameLength, nullptr, &type,
                                                 reinterpret_cast<BYTE*>(data.data()), &size);
        if (result == ERROR_MORE_DATA) {
            // The hive names the data size it needs; a name that does not fit leaves
            // the size as it was.
            if (size > data.size()) {
                data.resize(size);
            } else {
                name.resize(name.size() * 2);
            }
            continue;
        }
        if (result != ERROR_SUCCESS) {
            return result;
        }
        name.resize(nameLength);
        data.resize(size);
        value = Value{std::move(name), type, std::move(data)};
        return ERROR_SUCCESS;
    }
}

LONG RegKey::subKeyAt(DWORD index, std::string& name) const {
    std::string buffer(kFirstNameRoom, '\0');
    for (;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG result =
            hive_->RegEnumKeyExA(handle_, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (result != ERROR_SUCCESS) {
            return result;
        }
        buffer.resize(length);
        name = std::move(buffer);
        return ERROR_SUCCESS;
    }
}

} // namespace tidorax
