// An error raised by the shutdown module: a number, the module that raised it, and a
// description built from the system's own message text.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace tidorax {

class ShutdownError : public std::runtime_error {
public:
    ShutdownError(std::uint32_t number, std::string source, std::string description)
        : std::runtime_error(description), Number(number), Source(std::move(source)),
          Description(std::move(description)) {}

    std::uint32_t Number;
    std::string Source;
    std::string Description;
};

} // namespace tidorax
