#include "core/notices/DonationAddress.h"

#include <cctype>

namespace tidorax {

namespace {

// Letters, digits and the marks an e-mail account is written with stay as they are.
bool keptAsIs(unsigned char c) {
    return std::isalnum(c) != 0 || c == '@' || c == '.' || c == '-' || c == '_' || c == '~' || c == '+';
}

std::string percentEncoded(const std::string& text) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string encoded;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (keptAsIs(c)) {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

} // namespace

std::string DonationPageAddress(const std::string& merchantAccount) {
    return "https://www.paypal.com/xclick/business=" + percentEncoded(merchantAccount) +
           "&no_note=1&tax=0&currency_code=USD";
}

} // namespace tidorax
