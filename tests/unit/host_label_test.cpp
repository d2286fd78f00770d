#include "browser/host_label.h"

#include <gtest/gtest.h>

namespace varnok {
namespace {

TEST(HostLabel, SecondLevelLabelOrWholeHost) {
    const struct {
        const char* base;
        const char* label;
    } cases[] = {
        {"http://www.example.com/softmain/", "example"},
        {"http://games.example.co/softmain/", "example"},
        {"http://example.com:8080/softmain/", "example"},
        {"http://a.b.example.net/softmain/", "example"},
        {"http://127.0.0.1:18081/softmain/", "127.0.0.1"},
        {"http://localhost:18080/softmain/", "localhost"},
        {"http://[::1]:18081/softmain/", "[::1]"},
    };
    for (const auto& c : cases) EXPECT_EQ(HostLabel(c.base), c.label) << c.base;
}

}  // namespace
}  // namespace varnok
