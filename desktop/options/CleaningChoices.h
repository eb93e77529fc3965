// The cleaning choices of the "Options" page, as data the other pages and the
// window read: one box each, stored as a flag of "CleanPath".
#pragma once

#include <array>
#include <cstddef>

namespace tidorax {

enum CleaningChoice {
    InternetChoice,
    TempChoice,
    AutoFunctionChoice,
    CookieChoice,
    UserFolderChoice,
    ShutdownChoice,
    ChoiceCount
};

struct CleaningChoices {
    std::array<bool, ChoiceCount> checked{};

    bool operator[](CleaningChoice choice) const { return checked[static_cast<std::size_t>(choice)]; }
};

} // namespace tidorax
