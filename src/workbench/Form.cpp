#include "workbench/Form.h"

#include "numerics/Decimal.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vornex {

bool parseNumber(const std::string& text, double& out) {
    return readTypedNumber(text, out);
}

std::string InputLimits::refusal(const std::string& text, double& out) const {
    double v = 0.0;
    const std::string quoted = "\"" + text + "\"";
    char range[160];
    csnprintf(range, sizeof range, "%s %.10g %s %.10g", loOpen ? "above" : "from", lo,
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
    csnprintf(buffer, sizeof buffer, "%.15g", v);
    return buffer;
}

std::string formatForDisplay(double v) {
    if (!std::isfinite(v)) return "";
    char buffer[64];
    const double m = std::fabs(v);
    // Six significant digits written out in full (0.0000188163, 1234570), as long as that
    // stays short; only numbers beyond take the exponent form.
    if (m != 0.0 && m >= 1e-7 && m < 1e9) {
        csnprintf(buffer, sizeof buffer, "%.5e", v);
        const int exponent = std::atoi(std::strchr(buffer, 'e') + 1);
        // Whole numbers of more than six digits are rounded to six as well (1234570).
        const double shown = exponent > 5 ? std::round(v / std::pow(10.0, exponent - 5)) * std::pow(10.0, exponent - 5) : v;
        csnprintf(buffer, sizeof buffer, "%.*f", std::max(0, 5 - exponent), shown);
        std::string text = buffer;
        if (text.find('.') != std::string::npos) {
            text.erase(text.find_last_not_of('0') + 1);
            if (text.back() == '.') text.pop_back();
        }
        return text;
    }
    csnprintf(buffer, sizeof buffer, "%.6g", v);
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
