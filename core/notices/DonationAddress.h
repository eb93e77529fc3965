// The address of the donation page of the payment service.
#pragma once

#include <string>

namespace tidorax {

// "https://www.paypal.com/xclick/business=" + the merchant account +
// "&no_note=1&tax=0&currency_code=USD". Characters of the account that would end
// or change the address (blanks, "&", "#", "?", "%", "/", ...) are percent-encoded.
std::string DonationPageAddress(const std::string& merchantAccount);

} // namespace tidorax
