// Numbers read and written without the locale: whole decimal numbers only (no hexadecimal,
// "inf" or "nan"), the range of doubles kept, printf's formats written with a point in a
// decimal-comma locale, and strtod's prefix reading without it.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// A format the compiler does not check, as a program may build one.
std::string unchecked(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string text = vcformat(format, args);
    va_end(args);
    return text;
}

// Every conversion, length and flag is written as printf writes it in the C locale (the
// reference), and the same in a decimal-comma one.
TEST(Decimal, FormatsEveryConversionAsPrintfDoesInC) {
    std::optional<testing::ScopedLocale> c(std::in_place, "C");
    int seen = 0;
    void* pointer = &seen;
    const wchar_t* wide = L"w";
    auto both = [](auto... args) {
        char reference[2048];
        std::snprintf(reference, sizeof reference, args...);
        return std::pair{std::string(reference), cformat(args...)};
    };
    std::vector<std::pair<std::string, std::string>> rows = {
        both("%d|%i|%5d|%-5d|%+d|% d|%05d", -42, 7, 3, 3, 3, 3, -3),
        both("%hd|%hhd|%ld|%lld|%qd|%jd|%zd|%td", short(-2), char(5), -3L, -4LL, 5LL,
             std::intmax_t{-6}, std::ptrdiff_t{7}, std::ptrdiff_t{-8}),
        both("%u|%o|%x|%X|%#x|%#o", 1u, 8u, 255u, 255u, 255u, 8u),
        both("%lu|%llo|%jx|%zX|%tu", 1UL, 8ULL, std::uintmax_t{255}, std::size_t{255},
             std::size_t{3}),
        both("%c|%lc|%s|%ls|%.2s|%p|%%", 'a', wint_t('b'), "text", wide, "cut", pointer),
        both("%f|%F|%e|%E|%g|%G|%a|%A", 1.5, -2.25, 3e-7, 4e12, 1e-5, 2.5e20, 1.0, 0.5),
        both("%#.0f|%#g|%+.3e|% .1f|%010.3f|%-10.2e|", 2.0, 1.0, 5.5, 2.25, -3.125, 6.5),
        both("%Lf|%Le|%Lg", 1.5L, 2.5L, 3.5L),
        // Longer than the formatter's first buffer.
        both("%200d|%-150ld|%140lld|%130lu|%140.3Lf|%150s", 1, 2L, 3LL, 4UL, 5.5L, "s"),
        both("%*d|%-*d|%.*f|%.*f|%*.*e", 6, 1, -6, 2, 3, 1.23456, -1, 1.5, 12, 2, 9.87e3),
        both("%f|%e|%g", std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
             std::numeric_limits<double>::quiet_NaN()),
    };
    for (const auto& [reference, ours] : rows) EXPECT_EQ(ours, reference);
    // What printf would take no argument for is written as it stands: a trailing '%', and a
    // conversion it does not know.
    EXPECT_EQ(unchecked("100%"), "100%");
    EXPECT_EQ(unchecked("a%-5"), "a%-5");
    EXPECT_EQ(unchecked("%5k|%d", 4), "%5k|4");
    c.reset();
    testing::ScopedLocale german("de_DE.UTF-8");
    ASSERT_TRUE(german.ok()) << "de_DE.UTF-8 is missing (scripts/setup generates it)";
    EXPECT_EQ(cformat("%f|%.3e|%g|%a|%Lg", 1.5, -2.25, 1e-5, 1.0, 3.5L),
              "1.500000|-2.250e+00|1e-05|0x1p+0|3.5");
    // The writers into buffers and files take the same text, and say its length.
    char none[1] = {'x'};
    EXPECT_EQ(csnprintf(none, 0, "%.2f", 12.5), 5);
    EXPECT_EQ(none[0], 'x');
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(cfprintf(file, "%.1f %s", 0.5, "x"), 5);
    EXPECT_EQ(cfprintf(file, "%s", ""), 0);
    std::rewind(file);
    char back[16] = {};
    EXPECT_EQ(std::fread(back, 1, sizeof back - 1, file), 5u);
    EXPECT_STREQ(back, "0.5 x");
    std::fclose(file);
}

// strtod's prefix reading: the words it reads besides numbers, a number cut at a word, and
// ERANGE for numbers beyond doubles or below them (zero read then).
// A small negative work or energy printed with two decimals showed as "-0.00".
TEST(Decimal, AValueThatRoundsToZeroPrintsWithoutASign) {
    EXPECT_EQ(vornex::cformat("%8.2f", vornex::signlessZero(-0.004, 2)), "    0.00");
    EXPECT_EQ(vornex::cformat("%.2f", vornex::signlessZero(-0.0, 2)), "0.00");
    EXPECT_EQ(vornex::cformat("%.3f", vornex::signlessZero(-0.004, 3)), "-0.004");
    EXPECT_EQ(vornex::cformat("%.2f", vornex::signlessZero(0.004, 2)), "0.00");
}

TEST(Decimal, ReadsANumberAtTheStartAsStrtodDoes) {
    const struct {
        const char* text;
        double value;
        std::size_t used;
        bool range;
    } rows[] = {
        {"  -1.5e3x", -1500, 8, false}, {"\t7.", 7, 3, false},   {"1e+", 1, 1, false},
        {"1.5E-2,", 0.015, 6, false},   {"infinity", HUGE_VAL, 8, false},
        {"-INF!", -HUGE_VAL, 4, false}, {"1e-400", 0, 6, true}, {"-1e999", -HUGE_VAL, 6, true},
        {"0e-999", 0, 6, false},        {".e5", 0, 0, false},   {"", 0, 0, false},
    };
    for (const auto& r : rows) {
        char* end = nullptr;
        errno = 0;
        const double v = cstrtod(r.text, &end);
        EXPECT_EQ(v, r.value) << r.text;
        EXPECT_EQ(std::size_t(end - r.text), r.used) << r.text;
        EXPECT_EQ(errno == ERANGE, r.range) << r.text;
    }
    char* end = nullptr;
    EXPECT_TRUE(std::isnan(cstrtod(" nan(1)", &end)));
    EXPECT_STREQ(end, "");
    double v = 0;
    EXPECT_TRUE(isDecimal("-0.5e1", v));
    EXPECT_EQ(v, -5.0);
    EXPECT_FALSE(isDecimal("1e999", v));
    EXPECT_EQ(v, -5.0);
}

// The separator typed numbers take besides the point is that of the locale the environment
// names, whatever the program set for itself; a locale the system lacks gives the point.
TEST(Decimal, TypedNumbersTakeTheSeparatorOfTheEnvironmentsLocale) {
    const char* before = std::getenv("LC_ALL");
    const std::string kept = before != nullptr ? before : "";
    const struct {
        const char* environment;
        char separator;
    } rows[] = {{"de_DE.UTF-8", ','}, {"fr_FR.UTF-8", ','}, {"C", '.'}, {"xx_NO.UTF-8", '.'}};
    for (const auto& r : rows) {
        ::setenv("LC_ALL", r.environment, 1);
        EXPECT_EQ(userDecimalSeparator(), r.separator) << r.environment;
        setTypedDecimalSeparator(0);
        EXPECT_EQ(typedDecimalSeparator(), r.separator) << r.environment;
        double v = 0;
        EXPECT_EQ(readTypedNumber("350,5", v), r.separator == ',') << r.environment;
        EXPECT_TRUE(readTypedNumber("350.5", v)) << r.environment;
        EXPECT_EQ(v, 350.5) << r.environment;
    }
    if (before != nullptr) ::setenv("LC_ALL", kept.c_str(), 1);
    else ::unsetenv("LC_ALL");
    setTypedDecimalSeparator(0);
}

}  // namespace
}  // namespace vornex
