#include "numerics/Decimal.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <locale>
#include <string>

namespace vornex {

DecimalRead readDecimal(std::string_view text, double& value, char separator) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto digits = [&] {
        const std::size_t from = i;
        while (i < n && text[i] >= '0' && text[i] <= '9') ++i;
        return i - from;
    };
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t mantissaStart = i;
    std::size_t mantissa = digits();
    std::size_t point = std::string_view::npos;
    if (i < n && text[i] == separator) {
        point = i++;
        mantissa += digits();
    }
    if (mantissa == 0) return DecimalRead::notNumber;
    const std::size_t mantissaEnd = i;
    long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool down = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) down = text[i++] == '-';
        const std::size_t from = i;
        if (digits() == 0) return DecimalRead::notNumber;
        for (std::size_t k = from; k < i && exponent < 100000; ++k) exponent = exponent * 10 + (text[k] - '0');
        if (down) exponent = -exponent;
    }
    if (i != n) return DecimalRead::notNumber;

    // from_chars takes no '+' and only the point; the text is known to be decimal by now.
    std::string plain(text.substr(negative ? 0 : mantissaStart));
    if (point != std::string_view::npos) plain[point - (negative ? 0 : mantissaStart)] = '.';
    double v = 0.0;
    const auto r = std::from_chars(plain.data(), plain.data() + plain.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // Too large or too small: where the first significant digit stands tells which.
        long magnitude = exponent;
        const std::string_view m = text.substr(mantissaStart, mantissaEnd - mantissaStart);
        const std::size_t dot = point == std::string_view::npos ? m.size() : point - mantissaStart;
        const std::size_t first = m.find_first_of("123456789");
        if (first == std::string_view::npos) magnitude = -1;
        else magnitude += first < dot ? long(dot - first) - 1 : -long(first - dot);
        if (magnitude >= 0) return DecimalRead::overflow;
        value = negative ? -0.0 : 0.0;
        return DecimalRead::ok;
    }
    if (r.ec != std::errc() || r.ptr != plain.data() + plain.size()) return DecimalRead::notNumber;
    value = v;
    return DecimalRead::ok;
}

double cstrtod(const char* text, char** end) {
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    const char* start = p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    const char* q = p;
    std::size_t mantissa = 0;
    while (*q >= '0' && *q <= '9') ++q, ++mantissa;
    if (*q == '.') {
        ++q;
        while (*q >= '0' && *q <= '9') ++q, ++mantissa;
    }
    double value = 0.0;
    if (mantissa == 0) {
        // Only the words strtod reads besides numbers, "inf", "infinity" and "nan"; from_chars
        // would take a second sign ("--5" as 5), which no number has.
        const auto r = std::from_chars(p, p + std::strlen(p), value);
        if (r.ec != std::errc() || (*p >= '0' && *p <= '9') || *p == '.' || *p == '-' ||
            *p == '+') {
            if (end != nullptr) *end = const_cast<char*>(text);
            return 0.0;
        }
        if (end != nullptr) *end = const_cast<char*>(r.ptr);
        return negative ? -value : value;
    }
    if (*q == 'e' || *q == 'E') {
        const char* x = q + 1;
        if (*x == '+' || *x == '-') ++x;
        if (*x >= '0' && *x <= '9') {
            while (*x >= '0' && *x <= '9') ++x;
            q = x;
        }
    }
    if (end != nullptr) *end = const_cast<char*>(q);
    if (readDecimal(std::string_view(start, std::size_t(q - start)), value) == DecimalRead::overflow) {
        errno = ERANGE;
        return negative ? -HUGE_VAL : HUGE_VAL;
    }
    // Below the range of doubles: read as zero, and said as strtod says it.
    const std::string_view digits(p, std::size_t(q - p));
    if (value == 0.0 && digits.find_first_of("123456789") < digits.find_first_of("eE")) errno = ERANGE;
    return value;
}

bool isDecimal(std::string_view text, double& value) {
    double v = 0.0;
    if (readDecimal(text, v) != DecimalRead::ok) return false;
    value = v;
    return true;
}

bool writtenWithDecimalComma(std::string_view text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos || comma == 0 || comma + 1 >= text.size() ||
        text.find(',', comma + 1) != std::string_view::npos)
        return false;
    if (!std::isdigit(static_cast<unsigned char>(text[comma - 1])) ||
        !std::isdigit(static_cast<unsigned char>(text[comma + 1])))
        return false;
    std::string pointed(text);
    pointed[comma] = '.';
    double ignored = 0.0;
    return readDecimal(pointed, ignored) == DecimalRead::ok;
}

namespace {

template <typename... Args>
std::string printOne(const std::string& spec, Args... args) {
    char small[128];
    const int length = std::snprintf(small, sizeof small, spec.c_str(), args...);
    if (length < 0) return {};
    if (std::size_t(length) < sizeof small) return std::string(small, std::size_t(length));
    std::string big(std::size_t(length) + 1, '\0');
    std::snprintf(big.data(), big.size(), spec.c_str(), args...);
    big.resize(std::size_t(length));
    return big;
}

// The locale's decimal point, wherever printf put it, becomes a point.
void pointed(std::string& number) {
    const char* radix = std::localeconv()->decimal_point;
    if (radix == nullptr || std::strcmp(radix, ".") == 0 || *radix == '\0') return;
    const std::size_t width = std::strlen(radix);
    for (std::size_t at = number.find(radix); at != std::string::npos; at = number.find(radix, at + 1))
        number.replace(at, width, ".");
}

}  // namespace

std::string vcformat(const char* format, std::va_list args) {
    std::string out;
    std::va_list ap;
    va_copy(ap, args);
    for (const char* p = format; *p != '\0';) {
        if (*p != '%') {
            const char* next = std::strchr(p, '%');
            if (next == nullptr) next = p + std::strlen(p);
            out.append(p, next);
            p = next;
            continue;
        }
        const char* start = p++;
        if (*p == '%') {
            out.push_back('%');
            ++p;
            continue;
        }
        std::string spec = "%";
        // Digit grouping is a locale's matter: it is left out.
        while (*p != '\0' && std::strchr("-+ #0'", *p) != nullptr) {
            if (*p != '\'') spec.push_back(*p);
            ++p;
        }
        if (*p == '*') {
            spec += std::to_string(va_arg(ap, int));
            ++p;
        } else {
            while (*p >= '0' && *p <= '9') spec.push_back(*p++);
        }
        if (*p == '.') {
            spec.push_back(*p++);
            if (*p == '*') {
                const int precision = va_arg(ap, int);
                if (precision >= 0) spec += std::to_string(precision);
                else spec.pop_back();
                ++p;
            } else {
                while (*p >= '0' && *p <= '9') spec.push_back(*p++);
            }
        }
        std::string length;
        while (*p != '\0' && std::strchr("hlLqjzt", *p) != nullptr) length.push_back(*p++);
        const char conversion = *p;
        if (conversion == '\0') {
            out.append(start);
            break;
        }
        ++p;
        spec += length;
        spec.push_back(conversion);
        switch (conversion) {
        case 'd':
        case 'i':
            if (length == "l") out += printOne(spec, va_arg(ap, long));
            else if (length == "ll" || length == "q") out += printOne(spec, va_arg(ap, long long));
            else if (length == "j") out += printOne(spec, va_arg(ap, std::intmax_t));
            else if (length == "z" || length == "t") out += printOne(spec, va_arg(ap, std::ptrdiff_t));
            else out += printOne(spec, va_arg(ap, int));
            break;
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            if (length == "l") out += printOne(spec, va_arg(ap, unsigned long));
            else if (length == "ll" || length == "q") out += printOne(spec, va_arg(ap, unsigned long long));
            else if (length == "j") out += printOne(spec, va_arg(ap, std::uintmax_t));
            else if (length == "z" || length == "t") out += printOne(spec, va_arg(ap, std::size_t));
            else out += printOne(spec, va_arg(ap, unsigned));
            break;
        case 'c':
            if (length == "l") out += printOne(spec, va_arg(ap, std::wint_t));
            else out += printOne(spec, va_arg(ap, int));
            break;
        case 's':
            if (length == "l") out += printOne(spec, va_arg(ap, const wchar_t*));
            else out += printOne(spec, va_arg(ap, const char*));
            break;
        case 'p':
            out += printOne(spec, va_arg(ap, void*));
            break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A': {
            std::string number = length == "L" ? printOne(spec, va_arg(ap, long double))
                                               : printOne(spec, va_arg(ap, double));
            pointed(number);
            out += number;
            break;
        }
        default:
            // Nothing this formatter knows how to take an argument for: written as it stands.
            out.append(start, p);
            break;
        }
    }
    va_end(ap);
    return out;
}

std::string cformat(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string text = vcformat(format, args);
    va_end(args);
    return text;
}

int vcfprintf(std::FILE* file, const char* format, std::va_list args) {
    const std::string text = vcformat(format, args);
    if (text.empty()) return 0;
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) return -1;
    return int(text.size());
}

int cfprintf(std::FILE* file, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const int written = vcfprintf(file, format, args);
    va_end(args);
    return written;
}

int cprintf(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const int written = vcfprintf(stdout, format, args);
    va_end(args);
    return written;
}

int csnprintf(char* buffer, std::size_t size, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const int length = vcsnprintf(buffer, size, format, args);
    va_end(args);
    return length;
}

int vcsnprintf(char* buffer, std::size_t size, const char* format, std::va_list args) {
    const std::string text = vcformat(format, args);
    if (size > 0) {
        const std::size_t copied = text.size() < size - 1 ? text.size() : size - 1;
        std::memcpy(buffer, text.data(), copied);
        buffer[copied] = '\0';
    }
    return int(text.size());
}

char userDecimalSeparator() {
    try {
        return std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point();
    } catch (const std::exception&) {
        // An environment naming a locale this system does not have: the C convention.
        return '.';
    }
}

namespace {

char gTypedSeparator = 0;

}  // namespace

void setTypedDecimalSeparator(char separator) {
    gTypedSeparator = separator;
}

char typedDecimalSeparator() {
    if (gTypedSeparator == 0) gTypedSeparator = userDecimalSeparator();
    return gTypedSeparator;
}

bool readTypedNumber(std::string_view text, double& value) {
    const std::size_t b = text.find_first_not_of(" \t");
    if (b == std::string_view::npos) return false;
    std::string s(text.substr(b, text.find_last_not_of(" \t") - b + 1));
    // A typographic minus, as pasted from a document, reads as a minus sign.
    static const std::string kMinus = "\xE2\x88\x92";
    if (s.compare(0, kMinus.size(), kMinus) == 0) s = "-" + s.substr(kMinus.size());
    double v = 0.0;
    DecimalRead read = readDecimal(s, v, '.');
    const char own = typedDecimalSeparator();
    if (read == DecimalRead::notNumber && own != '.') read = readDecimal(s, v, own);
    if (read != DecimalRead::ok || !std::isfinite(v)) return false;
    value = v;
    return true;
}

double signlessZero(double value, int decimals) {
    return std::fabs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
}

}  // namespace vornex
