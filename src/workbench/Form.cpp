#include "workbench/Form.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vornex {

bool parseNumber(const std::string& text, double& out) {
    std::size_t b = text.find_first_not_of(" \t");
    std::size_t e = text.find_last_not_of(" \t");
    if (b == std::string::npos) return false;
    std::string s = text.substr(b, e - b + 1);
    // A typographic minus, as pasted from a document, reads as a minus sign.
    static const std::string kMinus = "\xE2\x88\x92";
    if (s.compare(0, kMinus.size(), kMinus) == 0) s = "-" + s.substr(kMinus.size());
    // Only a plain decimal form: strtod alone would also take hexadecimal, "inf" and "nan".
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t from = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        return i - from;
    };
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t mantissa = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    if (i != s.size()) return false;
    errno = 0;
    const double v = std::strtod(s.c_str(), nullptr);
    if (errno == ERANGE || !std::isfinite(v)) return false;
    out = v;
    return true;
}

std::string InputLimits::refusal(const std::string& text, double& out) const {
    double v = 0.0;
    const std::string quoted = "\"" + text + "\"";
    char range[160];
    std::snprintf(range, sizeof range, "%s %.10g %s %.10g", loOpen ? "above" : "from", lo,
                  hiOpen ? "and below" : "up to", hi);
    if (!parseNumber(text, v))
        return std::string(what) + ": " + quoted + " is not a number; it must be one " + range + ".";
    const bool low = loOpen ? !(v > lo) : !(v >= lo);
    const bool high = hiOpen ? !(v < hi) : !(v <= hi);
    if (low || high) return std::string(what) + ": " + quoted + " is refused; it must lie " + range + ".";
    out = v;
    return {};
}

std::string formatNumber(double v) {
    if (!std::isfinite(v)) return "";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", v);
    return buffer;
}

std::string formatForDisplay(double v) {
    if (!std::isfinite(v)) return "";
    char buffer[64];
    const double m = std::fabs(v);
    // Six significant digits written out in full (0.0000188163, 1234570), as long as that
    // stays short; only numbers beyond take the exponent form.
    if (m != 0.0 && m >= 1e-7 && m < 1e9) {
        std::snprintf(buffer, sizeof buffer, "%.5e", v);
        const int exponent = std::atoi(std::strchr(buffer, 'e') + 1);
        // Whole numbers of more than six digits are rounded to six as well (1234570).
        const double shown = exponent > 5 ? std::round(v / std::pow(10.0, exponent - 5)) * std::pow(10.0, exponent - 5) : v;
        std::snprintf(buffer, sizeof buffer, "%.*f", std::max(0, 5 - exponent), shown);
        std::string text = buffer;
        if (text.find('.') != std::string::npos) {
            text.erase(text.find_last_not_of('0') + 1);
            if (text.back() == '.') text.pop_back();
        }
        return text;
    }
    std::snprintf(buffer, sizeof buffer, "%.6g", v);
    return buffer;
}

std::string displayText(const Control& c) {
    double v = 0.0;
    return parseNumber(c.text, v) ? formatForDisplay(v) : c.text;
}

void Control::setDouble(double v) {
    value = v;
    text = formatNumber(v);
}

void Control::setString(const std::string& s) {
    text = s;
    double v = 0.0;
    value = parseNumber(s, v) ? v : 0.0;
}

void Control::clear() {
    text.clear();
    value = 0.0;
}

bool Control::holdsNumber() const {
    double v = 0.0;
    return parseNumber(text, v);
}

Control& Form::add(const std::string& name, const std::string& action) {
    auto [it, inserted] = mControls.try_emplace(name);
    if (inserted) {
        it->second.name = name;
        mOrder.push_back(name);
    }
    if (!action.empty()) it->second.action = action;
    return it->second;
}

Control* Form::find(const std::string& name) {
    auto it = mControls.find(name);
    return it == mControls.end() ? nullptr : &it->second;
}

const Control* Form::find(const std::string& name) const {
    auto it = mControls.find(name);
    return it == mControls.end() ? nullptr : &it->second;
}

Control& Form::operator[](const std::string& name) {
    Control* c = find(name);
    assert(c && "no control of that name");
    return *c;
}

const Control& Form::operator[](const std::string& name) const {
    const Control* c = find(name);
    assert(c && "no control of that name");
    return *c;
}

}  // namespace vornex
