#include "platform/hive/RegistryArguments.h"

#include <cstring>

namespace tidorax {

std::vector<std::string> splitKeyPath(const char* subKey) {
    std::vector<std::string> parts;
    if (subKey == nullptr) {
        return parts;
    }
    std::string current;
    for (const char* p = subKey; *p != '\0'; ++p) {
        if (*p == '\\') {
            if (!current.empty()) {
                parts.push_back(current);
            }
            current.clear();
        } else {
            current.push_back(*p);
        }
    }
    if (!current.empty()) {
        parts.push_back(current);
    }
    return parts;
}

std::string nameOf(const char* name) {
    return name == nullptr ? "" : name;
}

LONG deliver(const std::string& bytes, BYTE* lpData, DWORD* lpcbData) {
    if (lpcbData == nullptr) {
        return ERROR_SUCCESS;
    }
    const auto size = static_cast<DWORD>(bytes.size());
    if (lpData != nullptr) {
        if (*lpcbData < size) {
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        if (size > 0) {
            std::memcpy(lpData, bytes.data(), size);
        }
    }
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG deliverName(const std::string& name, char* buffer, DWORD* lpcch) {
    if (*lpcch <= name.size()) {
        return ERROR_MORE_DATA;
    }
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = '\0';
    *lpcch = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

void deliverNoClass(char* lpClass, DWORD* lpcchClass) {
    if (lpClass != nullptr && *lpcchClass > 0) {
        lpClass[0] = '\0';
    }
    if (lpcchClass != nullptr) {
        *lpcchClass = 0;
    }
}

} // namespace tidorax
