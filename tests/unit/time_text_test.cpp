#include "startup/time_text.h"

#include <gtest/gtest.h>

namespace varnok {
namespace {

struct TimeTextCase {
    float seconds;
    char separator;
    const char* expected;
};

class TimeTextTest : public ::testing::TestWithParam<TimeTextCase> {};

TEST_P(TimeTextTest, WritesSecondsSinceMidnight) {
    const TimeTextCase& c = GetParam();
    EXPECT_EQ(TimeText(c.seconds, c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, TimeTextTest,
    ::testing::Values(TimeTextCase{3.5f, '.', "3.5"},             // fraction, no trailing zeros
                      TimeTextCase{37.0f, '.', "37"},             // whole seconds: no separator
                      TimeTextCase{45296.13f, '.', "45296.13"},   // 12:34:56.13
                      TimeTextCase{12345.67f, '.', "12345.67"},   // seven significant digits
                      TimeTextCase{86399.99f, '.', "86399.99"},   // just before midnight
                      TimeTextCase{1234.5678f, '.', "1234.568"},  // rounded to seven digits
                      TimeTextCase{0.0f, '.', "0"},
                      TimeTextCase{45296.13f, ',', "45296,13"},  // a comma locale
                      TimeTextCase{3.5f, ',', "3,5"},
                      TimeTextCase{0.0078125f, '.', "0.0078125"},  // just after midnight
                      TimeTextCase{0.00001f, '.', "1E-05"}));      // exponent form

}  // namespace
}  // namespace varnok
