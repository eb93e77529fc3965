#include "engine/CookieCleaning.h"

namespace tidorax {

// The operation arrives with the cleaning engine; until then it cleans nothing.
void CleanCookieFiles(const std::string& /*WindowName*/) {}

} // namespace tidorax
