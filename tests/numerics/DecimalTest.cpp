// Numbers read and written without the locale: whole decimal numbers only (no hexadecimal,
// "inf" or "nan"), the range of doubles kept, printf's formats written with a point in a
// decimal-comma locale, and strtod's prefix reading without it.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <string>

#include "numerics/Decimal.h"
#include "support/ScopedLocale.h"

namespace vornex {
namespace {

TEST(Decimal, ReadsWholeDecimalNumbersOnly) {
    const struct {
        const char* text;
        DecimalRead read;
        double value;
    } rows[] = {
        {"350.5", DecimalRead::ok, 350.5},   {"-1.5e3", DecimalRead::ok, -1500},
        {"+.5", DecimalRead::ok, 0.5},       {"5.", DecimalRead::ok, 5},
        {"1e-400", DecimalRead::ok, 0},      {"1e999", DecimalRead::overflow, 0},
        {"0x10", DecimalRead::notNumber, 0}, {"inf", DecimalRead::notNumber, 0},
        {"nan", DecimalRead::notNumber, 0},  {"350,5", DecimalRead::notNumber, 0},
        {"1e", DecimalRead::notNumber, 0},   {" 1", DecimalRead::notNumber, 0},
        {"", DecimalRead::notNumber, 0},     {".", DecimalRead::notNumber, 0},
    };
    for (const auto& r : rows) {
        double v = -7;
        EXPECT_EQ(readDecimal(r.text, v), r.read) << r.text;
        if (r.read == DecimalRead::ok) {
            EXPECT_EQ(v, r.value) << r.text;
        }
    }
    double v = 0;
    EXPECT_EQ(readDecimal("350,5", v, ','), DecimalRead::ok);
    EXPECT_EQ(v, 350.5);
    EXPECT_EQ(readDecimal("350.5", v, ','), DecimalRead::notNumber);
    EXPECT_EQ(readDecimal("4.9e-324", v), DecimalRead::ok);
    EXPECT_GT(v, 0.0);
}

// A number has one sign: strtod reads nothing of "--5" or "+-5", and neither does cstrtod
// (a component file holding "--0.018" would otherwise read 0.018).
TEST(Decimal, ReadsNoNumberWithTwoSigns) {
    for (const char* text : {"--5", "+-5", "-+5", "++5", " --inf", "+-nan", "--.5"}) {
        char* end = nullptr;
        EXPECT_EQ(cstrtod(text, &end), 0.0) << text;
        EXPECT_EQ(end, text) << text;
    }
    char* end = nullptr;
    const char* negative = "-5x";
    EXPECT_EQ(cstrtod(negative, &end), -5.0);
    EXPECT_EQ(end, negative + 2);
    const char* infinite = "-infinity";
    EXPECT_EQ(cstrtod(infinite, &end), -HUGE_VAL);
    EXPECT_EQ(end, infinite + 9);
}

TEST(Decimal, FormatsAndReadsWithAPointInADecimalCommaLocale) {
    testing::ScopedLocale german("de_DE.UTF-8");
    ASSERT_TRUE(german.ok()) << "de_DE.UTF-8 is missing (scripts/setup generates it)";
    EXPECT_EQ(cformat("%18e|%.3f|%g|%5.1f|%s|%d|%%|%'d", 374.5, -0.25, 1e-5, 2.0, "a,b", 4194308,
                      1234567),
              "      3.745000e+02|-0.250|1e-05|  2.0|a,b|4194308|%|1234567");
    EXPECT_EQ(cformat("%*.*f|%Lg|%zu|%c", 8, 2, 3.14159, 2.5L, std::size_t{7}, 'x'), "    3.14|2.5|7|x");
    char small[6];
    EXPECT_EQ(csnprintf(small, sizeof small, "%.4f", 1.5), 6);
    EXPECT_STREQ(small, "1.500");
    char* end = nullptr;
    EXPECT_EQ(cstrtod("  300.25abc", &end), 300.25);
    EXPECT_STREQ(end, "abc");
    EXPECT_EQ(cstrtod("0x10", &end), 0.0);
    EXPECT_STREQ(end, "x10");
    EXPECT_TRUE(std::isinf(cstrtod("-inf", &end)));
    errno = 0;
    EXPECT_EQ(cstrtod("1e999", nullptr), HUGE_VAL);
    EXPECT_EQ(errno, ERANGE);
    const char* word = "abc";
    EXPECT_EQ(cstrtod(word, &end), 0.0);
    EXPECT_EQ(end, word);
    // A typed number takes the point, or the separator set for typed numbers.
    setTypedDecimalSeparator(',');
    double v = 0;
    EXPECT_TRUE(readTypedNumber(" 350,5 ", v));
    EXPECT_EQ(v, 350.5);
    EXPECT_TRUE(readTypedNumber("\xE2\x88\x92" "1.25", v));
    EXPECT_EQ(v, -1.25);
    for (const char* bad : {"0x10", "inf", "nan", "1,5.5", "1.5,5", "1e999", ""})
        EXPECT_FALSE(readTypedNumber(bad, v)) << bad;
    setTypedDecimalSeparator('.');
    EXPECT_FALSE(readTypedNumber("350,5", v));
    setTypedDecimalSeparator(0);
}

}  // namespace
}  // namespace vornex
