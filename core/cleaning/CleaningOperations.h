// The four cleaning operations as one object, so that a caller that runs several of
// them in a fixed order can be given another set (a recorder in tests).
#pragma once

#include <string>

namespace tidorax {

class CleaningOperations {
public:
    virtual ~CleaningOperations() = default;
    virtual void CleanInternetFiles(const std::string& WindowName);
    virtual void CleanCookieFiles(const std::string& WindowName);
    virtual void CleanTempFiles(const std::string& WindowName);
    virtual void CleanUserFolders(const std::string& WindowName);
};

// The engine's own operations.
CleaningOperations& engineOperations();

} // namespace tidorax
