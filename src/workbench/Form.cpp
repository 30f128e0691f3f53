#include "workbench/Form.h"

#include <cassert>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vornex {

bool parseNumber(const std::string& text, double& out) {
    std::size_t b = text.find_first_not_of(" \t");
    std::size_t e = text.find_last_not_of(" \t");
    if (b == std::string::npos) return false;
    const std::string trimmed = text.substr(b, e - b + 1);
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(trimmed.c_str(), &end);
    if (end == trimmed.c_str() || *end != '\0' || errno == ERANGE || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

std::string formatNumber(double v) {
    if (!std::isfinite(v)) return "";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", v);
    return buffer;
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
