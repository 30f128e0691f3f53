#pragma once

// Numbers read and written the same way whatever locale the program runs in: a file, a script
// or a report written under a decimal-comma locale is byte for byte the one written under "C",
// and text read back means the same number everywhere.

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace vornex {

enum class DecimalRead {
    ok,         // a finite number, or one below the range of doubles read as its nearest
    notNumber,  // not wholly a decimal number: other characters, hexadecimal, "inf", "nan"
    overflow,   // a decimal number beyond the range of doubles
};

// Reads the whole text as a decimal number: an optional sign, digits with at most one point,
// an optional exponent. Nothing else is taken, nor surrounding blanks. `separator` is the one
// character taken as the decimal point ('.' for files; a typed number may use the locale's own).
// A number too small for a double reads as its nearest (a subnormal or a signed zero).
DecimalRead readDecimal(std::string_view text, double& value, char separator = '.');

// strtod without the locale: the longest leading decimal number after blanks ("inf" and "nan"
// as strtod reads them; no hexadecimal), errno ERANGE beyond the range of doubles.
double cstrtod(const char* text, char** end);

// True when the whole text is a finite decimal number (see readDecimal), written with a point.
bool isDecimal(std::string_view text, double& value);

// True when the text would be a decimal number but for its one comma, between two digits,
// in place of the point ("300,5", "-1,5e3"): a number written with a decimal comma.
bool writtenWithDecimalComma(std::string_view text);

// printf's formatting without the locale: every floating conversion is written with a point
// and no digit grouping, whatever LC_NUMERIC says; the rest is printf's own.
std::string vcformat(const char* format, std::va_list args);
std::string cformat(const char* format, ...) __attribute__((format(printf, 1, 2)));
// fprintf, snprintf and printf with the same formatting; they return what those return.
int cfprintf(std::FILE* file, const char* format, ...) __attribute__((format(printf, 2, 3)));
int csnprintf(char* buffer, std::size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
int cprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The value to print with `decimals` fixed decimals: 0 where it rounds to zero, so that a
// small negative value never shows as "-0.00".
double signlessZero(double value, int decimals);
int vcfprintf(std::FILE* file, const char* format, std::va_list args);
int vcsnprintf(char* buffer, std::size_t size, const char* format, std::va_list args);

// The decimal separator of the locale the user's environment names (LC_ALL, LC_NUMERIC, LANG),
// whatever the program set for itself: what a person types as the decimal point.
char userDecimalSeparator();

// A number a person typed into a field: a finite decimal number, blanks around it and a
// typographic minus allowed, its decimal point the point or the separator typed numbers take
// besides it (a comma in German: "350,5" is 350.5). Hexadecimal, "inf" and "nan" are none.
bool readTypedNumber(std::string_view text, double& value);
// That separator: the user's locale's unless set (to ',' or '.'; 0 takes the locale's again).
char typedDecimalSeparator();
void setTypedDecimalSeparator(char separator);

}  // namespace vornex
