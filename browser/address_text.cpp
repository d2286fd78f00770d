#include "browser/address_text.h"

#include <algorithm>
#include <cctype>

namespace varnok {

namespace {

std::string trimSpaces(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

void lowerAscii(std::string::iterator from, std::string::iterator to) {
    std::transform(from, to, from, [](unsigned char c) {
        return static_cast<char>(c < 0x80 ? std::tolower(c) : c);
    });
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// Lowers the scheme (when the text has one) and the host, which ends at the first "/", "?" or "#".
std::string lowerSchemeAndHost(std::string address) {
    std::size_t hostStart = 0;
    const auto schemeEnd = address.find("://");
    if (schemeEnd != std::string::npos) {
        const bool schemeChars = std::all_of(
            address.begin(), address.begin() + schemeEnd,
            [](unsigned char c) { return std::isalnum(c) || c == '+' || c == '-' || c == '.'; });
        if (schemeChars && schemeEnd > 0) hostStart = schemeEnd + 3;
    }
    auto hostEnd = address.find_first_of("/?#", hostStart);
    if (hostEnd == std::string::npos) hostEnd = address.size();
    lowerAscii(address.begin(), address.begin() + static_cast<std::ptrdiff_t>(hostEnd));
    return address;
}

}  // namespace

std::variant<std::string, AddressRefused> CheckTypedAddress(const std::string& typed) {
    const std::string trimmed = trimSpaces(typed);
    if (trimmed.empty()) return AddressRefused{kEmptyAddressMessage};
    std::string address = lowerSchemeAndHost(trimmed);
    if (address.find('*') != std::string::npos) return AddressRefused{kAsteriskMessage};
    if (address.find(',') != std::string::npos) return AddressRefused{kCommaMessage};
    if (!startsWith(address, "http://") && !startsWith(address, "https://")) {
        address = "http://" + address;
    }
    return address;
}

}  // namespace varnok
