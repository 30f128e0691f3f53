// Fonts, text attributes and attributed strings of the drawing layer. Sizes in points.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Color.h"

namespace vornex {

class Font {
   public:
    // Helvetica 12, upright, regular weight.
    Font() = default;
    Font(std::string family, double size, bool bold = false, bool italic = false);

    // A font named the way the plot formats name them: a family followed by an optional
    // style suffix after the last '-': "Bold", "Oblique", "Italic", "BoldOblique",
    // "BoldItalic", "Roman", "Regular" ("Arial-BoldOblique", "Courier-Bold", "Times-Roman").
    // A name without a known suffix is taken whole as the family.
    static Font named(const std::string& name, double size);
    // The user-interface fonts: the system font (13 pt) for titles, the label font (10 pt)
    // for small labels.
    static Font systemFont(double size = systemFontSize());
    static Font labelFont(double size = labelFontSize());
    static double systemFontSize() { return 13.0; }
    static double labelFontSize() { return 10.0; }

    const std::string& family() const { return family_; }
    double size() const { return size_; }
    bool isBold() const { return bold_; }
    bool isItalic() const { return italic_; }
    // The family and style as one name, the inverse of named(): "Arial-BoldOblique".
    std::string name() const;
    // The installed family that renders this font: Helvetica, Arial and the interface fonts
    // map to Liberation Sans, Courier and Courier New to Liberation Mono, Times and Times New
    // Roman to Liberation Serif; any other family is passed on unchanged.
    std::string installedFamily() const;

    Font withSize(double size) const;
    Font withBold(bool bold) const;
    Font withItalic(bool italic) const;

    friend bool operator==(const Font&, const Font&) = default;

   private:
    std::string family_ = "Helvetica";
    double size_ = 12.0;
    bool bold_ = false;
    bool italic_ = false;
};

// What text is drawn with. Text without a colour is drawn black, whatever colour the canvas
// holds, as the platform's attributed strings do.
struct TextAttributes {
    Font font;
    std::optional<Color> color;
    bool underline = false;

    TextAttributes() = default;
    explicit TextAttributes(Font f, std::optional<Color> c = std::nullopt)
        : font(std::move(f)), color(c) {}
    friend bool operator==(const TextAttributes&, const TextAttributes&) = default;
};

// UTF-8 text made of runs, each with its own attributes. Lines are separated by '\n'.
class AttributedString {
   public:
    struct Run {
        std::string text;
        TextAttributes attributes;
        friend bool operator==(const Run&, const Run&) = default;
    };

    AttributedString() = default;
    explicit AttributedString(std::string text, TextAttributes attributes = {});

    // The whole text.
    std::string string() const;
    // Length in bytes.
    std::size_t length() const;
    bool empty() const { return length() == 0; }
    const std::vector<Run>& runs() const { return runs_; }

    void append(std::string text, const TextAttributes& attributes);
    void append(const AttributedString& other);
    // Replaces the whole content by plain text with default attributes.
    void setText(std::string text);
    // Replaces the whole content by another attributed string.
    void setText(const AttributedString& other) { *this = other; }
    // Gives the whole text one set of attributes.
    void setAttributes(const TextAttributes& attributes);
    // The attributes at a byte offset; the last run's (or the defaults) past the end.
    TextAttributes attributesAt(std::size_t offset) const;
    // The bytes from `from` up to `to` (both clamped to the length) with their attributes.
    AttributedString substring(std::size_t from, std::size_t to) const;
    void clear() { runs_.clear(); }

    friend bool operator==(const AttributedString&, const AttributedString&) = default;

   private:
    std::vector<Run> runs_;
};

}  // namespace vornex
