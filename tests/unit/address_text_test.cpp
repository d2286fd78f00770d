#include "browser/address_text.h"

#include <gtest/gtest.h>

namespace varnok {
namespace {

struct AddressCase {
    const char* typed;
    const char* address;  // what is opened, or nullptr when refused
    const char* message;  // the message shown when refused
};

class TypedAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(TypedAddressTest, OpensOrRefuses) {
    const AddressCase& c = GetParam();
    const auto result = CheckTypedAddress(c.typed);
    if (c.address != nullptr) {
        ASSERT_TRUE(std::holds_alternative<std::string>(result)) << c.typed;
        EXPECT_EQ(std::get<std::string>(result), c.address);
    } else {
        ASSERT_TRUE(std::holds_alternative<AddressRefused>(result)) << c.typed;
        EXPECT_EQ(std::get<AddressRefused>(result).message, c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, TypedAddressTest,
    ::testing::Values(
        AddressCase{"", nullptr, "网址不能为空!"}, AddressCase{"    ", nullptr, "网址不能为空!"},
        AddressCase{"  game.example.com/play  ", "http://game.example.com/play", nullptr},
        // Scheme and host are lowered; path and query keep the user's capitals.
        AddressCase{"Game.Example.COM/Play?Session=AbC", "http://game.example.com/Play?Session=AbC",
                    nullptr},
        AddressCase{"HTTP://Game.Example.com/Room/A1", "http://game.example.com/Room/A1", nullptr},
        AddressCase{"https://Secure.Example.com/Pay", "https://secure.example.com/Pay", nullptr},
        AddressCase{"HTTPS://secure.example.com/", "https://secure.example.com/", nullptr},
        // "http://" inside the query does not make the text a web address.
        AddressCase{"example.com/go?to=http://other.example/",
                    "http://example.com/go?to=http://other.example/", nullptr},
        AddressCase{"a*b,c", nullptr, "网址不能有*号!"},  // the asterisk is checked first
        AddressCase{"a,b", nullptr, "网址不能有,号!"},
        AddressCase{"http://example.com/x*", nullptr, "网址不能有*号!"},
        AddressCase{"example.com/a，b", "http://example.com/a，b", nullptr},  // full-width comma
        // Other schemes only ever reach the browser as web addresses.
        AddressCase{"javascript:alert(1)", "http://javascript:alert(1)", nullptr},
        AddressCase{"file:///etc/passwd", "http://file:///etc/passwd", nullptr},
        AddressCase{"about:blank", "http://about:blank", nullptr}));

}  // namespace
}  // namespace varnok
