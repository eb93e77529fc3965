#include "platform/AsciiCase.h"

#include <algorithm>

namespace tidorax {

namespace {

char upperChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char lowerChar(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string upperAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), upperChar);
    return text;
}

std::string lowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), lowerChar);
    return text;
}

bool equalsIgnoringAsciiCase(std::string_view left, std::string_view right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [](char a, char b) { return lowerChar(a) == lowerChar(b); });
}

} // namespace tidorax
