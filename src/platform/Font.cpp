#include "platform/Font.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace vornex {

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

struct StyleSuffix {
    const char* text;
    bool bold;
    bool italic;
};

constexpr StyleSuffix kSuffixes[] = {
    {"BoldOblique", true, true}, {"BoldItalic", true, true}, {"Bold", true, false},
    {"Oblique", false, true},    {"Italic", false, true},    {"Roman", false, false},
    {"Regular", false, false},
};

}  // namespace

Font::Font(std::string family, double size, bool bold, bool italic)
    : family_(family.empty() ? std::string("Helvetica") : std::move(family)),
      size_(std::isfinite(size) && size > 0.0 ? size : 12.0),
      bold_(bold),
      italic_(italic) {}

Font Font::named(const std::string& name, double size) {
    std::size_t dash = name.rfind('-');
    if (dash != std::string::npos && dash > 0) {
        std::string suffix = name.substr(dash + 1);
        for (const StyleSuffix& s : kSuffixes)
            if (suffix == s.text) return Font(name.substr(0, dash), size, s.bold, s.italic);
    }
    return Font(name, size);
}

Font Font::systemFont(double size) {
    return Font("Helvetica", size);
}
Font Font::labelFont(double size) {
    return Font("Helvetica", size);
}

std::string Font::name() const {
    if (bold_ && italic_) return family_ + "-BoldOblique";
    if (bold_) return family_ + "-Bold";
    if (italic_) return family_ + "-Oblique";
    return family_;
}

std::string Font::installedFamily() const {
    std::string f = lower(family_);
    if (f == "helvetica" || f == "arial" || f == "helvetica neue" || f == "lucida grande" ||
        f == "system" || f == "sans" || f == "sans-serif")
        return "Liberation Sans";
    if (f == "courier" || f == "courier new" || f == "monaco" || f == "menlo" || f == "monospace")
        return "Liberation Mono";
    if (f == "times" || f == "times new roman" || f == "times-roman" || f == "serif")
        return "Liberation Serif";
    return family_;
}

Font Font::withSize(double size) const {
    return Font(family_, size, bold_, italic_);
}
Font Font::withBold(bool bold) const {
    return Font(family_, size_, bold, italic_);
}
Font Font::withItalic(bool italic) const {
    return Font(family_, size_, bold_, italic);
}

AttributedString::AttributedString(std::string text, TextAttributes attributes) {
    append(std::move(text), attributes);
}

std::string AttributedString::string() const {
    std::string s;
    for (const Run& r : runs_) s += r.text;
    return s;
}

std::size_t AttributedString::length() const {
    std::size_t n = 0;
    for (const Run& r : runs_) n += r.text.size();
    return n;
}

void AttributedString::append(std::string text, const TextAttributes& attributes) {
    if (text.empty()) return;
    if (!runs_.empty() && runs_.back().attributes == attributes) {
        runs_.back().text += text;
        return;
    }
    runs_.push_back({std::move(text), attributes});
}

void AttributedString::append(const AttributedString& other) {
    for (const Run& r : other.runs_) append(r.text, r.attributes);
}

void AttributedString::setText(std::string text) {
    runs_.clear();
    append(std::move(text), TextAttributes());
}

void AttributedString::setAttributes(const TextAttributes& attributes) {
    std::string all = string();
    runs_.clear();
    append(std::move(all), attributes);
}

TextAttributes AttributedString::attributesAt(std::size_t offset) const {
    for (const Run& r : runs_) {
        if (offset < r.text.size()) return r.attributes;
        offset -= r.text.size();
    }
    return runs_.empty() ? TextAttributes() : runs_.back().attributes;
}

AttributedString AttributedString::substring(std::size_t from, std::size_t to) const {
    AttributedString part;
    std::size_t start = 0;
    for (const Run& r : runs_) {
        const std::size_t end = start + r.text.size();
        const std::size_t a = std::max(from, start), b = std::min(to, end);
        if (a < b) part.append(r.text.substr(a - start, b - a), r.attributes);
        start = end;
    }
    return part;
}

}  // namespace vornex
