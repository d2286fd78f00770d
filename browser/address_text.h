// Checking and completing an address the user typed into the address box.
#pragma once

#include <string>
#include <variant>

namespace varnok {

// Messages shown instead of opening the address.
inline constexpr const char* kEmptyAddressMessage = "网址不能为空!";
inline constexpr const char* kAsteriskMessage = "网址不能有*号!";
inline constexpr const char* kCommaMessage = "网址不能有,号!";

struct AddressRefused {
    std::string message;
};

// The address to open, or the message that refuses it: blanks around it removed, scheme and host
// lowered (path, query and fragment keep their capitals), "*" and "," refused, and "http://" put
// in front unless it is already a web address.
std::variant<std::string, AddressRefused> CheckTypedAddress(const std::string& typed);

}  // namespace varnok
