#include "plot/RtfReader.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Color.h"

namespace vornex {

namespace {

enum class Destination { Text, FontTable, ColorTable, Skip };

struct CharacterState {
    int font = -1;  // index into the font table; -1 for the base font
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int color = 0;  // 0: the automatic colour
    Destination destination = Destination::Text;
};

// Code points 0x80 ... 0x9F of Windows-1252; the rest of the upper half is Latin-1.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

class Reader {
   public:
    Reader(const std::string& rtf, const TextAttributes& base) : in_(rtf), base_(base) {}

    AttributedString read() {
        while (pos_ < in_.size()) {
            const char c = in_[pos_++];
            if (c == '{') {
                stack_.push_back(state_);
                pendingIgnorable_ = false;
            } else if (c == '}') {
                closeGroup();
            } else if (c == '\\') {
                controlSequence();
            } else if (c == '\r' || c == '\n') {
                // Line breaks in RTF source are not text.
            } else {
                character(static_cast<unsigned char>(c), true);
            }
        }
        endLoneSurrogate();
        flush();
        return out_;
    }

   private:
    void closeGroup() {
        if (stack_.empty()) return;
        // A font entry written as a group of its own ends with the group.
        if (state_.destination == Destination::FontTable) endFontEntry();
        state_ = stack_.back();
        stack_.pop_back();
    }

    void controlSequence() {
        if (pos_ >= in_.size()) return;
        const char c = in_[pos_];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++pos_;
            controlSymbol(c);
            return;
        }
        std::string word;
        while (pos_ < in_.size() && std::isalpha(static_cast<unsigned char>(in_[pos_])))
            word += in_[pos_++];
        std::optional<long> parameter;
        bool negative = false;
        if (pos_ < in_.size() && in_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        long value = 0;
        bool digits = false;
        while (pos_ < in_.size() && std::isdigit(static_cast<unsigned char>(in_[pos_]))) {
            if (value < 100000000) value = value * 10 + (in_[pos_] - '0');
            ++pos_;
            digits = true;
        }
        if (digits) parameter = negative ? -value : value;
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;  // the delimiter belongs to the word
        controlWord(word, parameter);
    }

    void controlSymbol(char c) {
        switch (c) {
            case '\\':
            case '{':
            case '}':
                character(static_cast<unsigned char>(c), false);
                break;
            case '~':
                text(U'\u00A0');
                break;
            case '_':  // the non-breaking hyphen is text, unlike the optional one
                text(U'\u2011');
                break;
            case '\'': {
                int hi = pos_ < in_.size() ? hexDigit(in_[pos_]) : -1;
                int lo = pos_ + 1 < in_.size() ? hexDigit(in_[pos_ + 1]) : -1;
                if (hi < 0 || lo < 0) return;
                pos_ += 2;
                if (skipFallback_ > 0) {
                    --skipFallback_;
                    return;
                }
                const int byte = hi * 16 + lo;
                text(byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80]
                                                 : static_cast<char32_t>(byte));
                break;
            }
            case '*':
                pendingIgnorable_ = true;
                break;
            case '\n':
            case '\r':
                text(U'\n');
                break;
            default:
                break;  // \- (optional hyphen), index and formula marks
        }
    }

    void controlWord(const std::string& word, std::optional<long> parameter) {
        const long p = parameter.value_or(1);
        if (pendingIgnorable_) {
            pendingIgnorable_ = false;
            state_.destination = Destination::Skip;
            return;
        }
        if (word == "fonttbl") {
            state_.destination = Destination::FontTable;
        } else if (word == "colortbl") {
            state_.destination = Destination::ColorTable;
            colorEntry_ = {};
        } else if (word == "stylesheet" || word == "info" || word == "pict" || word == "header" ||
                   word == "footer" || word == "listtable") {
            state_.destination = Destination::Skip;
        } else if (state_.destination == Destination::FontTable) {
            if (word == "f") {
                endFontEntry();
                fontEntryFont_ = static_cast<int>(p);
                fontEntryName_.clear();
            }
        } else if (state_.destination == Destination::ColorTable) {
            const int v = static_cast<int>(std::clamp(p, 0L, 255L));
            if (word == "red") colorEntry_.r = v;
            if (word == "green") colorEntry_.g = v;
            if (word == "blue") colorEntry_.b = v;
        } else if (state_.destination == Destination::Text) {
            textWord(word, parameter, p);
        }
    }

    void textWord(const std::string& word, std::optional<long> parameter, long p) {
        if (word == "par" || word == "line") {
            text(U'\n');
        } else if (word == "tab") {
            text(U'\t');
        } else if (word == "f") {
            state_.font = static_cast<int>(p);
        } else if (word == "fs") {
            if (p > 0) state_.halfPoints = static_cast<int>(std::min(p, 3276L));
        } else if (word == "b") {
            state_.bold = p != 0;
        } else if (word == "i") {
            state_.italic = p != 0;
        } else if (word == "ul") {
            state_.underline = p != 0;
        } else if (word == "ulnone") {
            state_.underline = false;
        } else if (word == "cf") {
            state_.color = static_cast<int>(p);
        } else if (word == "plain") {
            const Destination d = state_.destination;
            state_ = CharacterState();
            state_.destination = d;
        } else if (word == "uc") {
            fallbackCount_ = static_cast<int>(std::clamp(p, 0L, 8L));
        } else if (word == "u" && parameter) {
            long code = *parameter;
            if (code < 0) code += 65536;
            text(static_cast<char32_t>(code));
            skipFallback_ = fallbackCount_;
        } else if (word == "emdash") {
            text(U'\u2014');
        } else if (word == "endash") {
            text(U'\u2013');
        } else if (word == "bullet") {
            text(U'\u2022');
        }
    }

    // A plain character of the source; `literal` is false for escaped ones.
    void character(unsigned char c, bool literal) {
        if (state_.destination == Destination::FontTable) {
            if (literal && c == ';') {
                endFontEntry();
            } else if (fontEntryFont_) {
                fontEntryName_ += static_cast<char>(c);
            }
            return;
        }
        if (state_.destination == Destination::ColorTable) {
            if (literal && c == ';') {
                colors_.push_back(colorEntry_);
                colorEntry_ = {};
            }
            return;
        }
        if (state_.destination != Destination::Text) return;
        if (skipFallback_ > 0) {
            --skipFallback_;
            return;
        }
        // Bytes of the source are taken as UTF-8 already.
        flushIfChanged();
        endLoneSurrogate();
        run_ += static_cast<char>(c);
    }

    void text(char32_t c) {
        if (state_.destination != Destination::Text) return;
        flushIfChanged();
        // A character beyond the basic plane comes as two \u escapes, its UTF-16 halves.
        if (c >= 0xDC00 && c <= 0xDFFF && highSurrogate_ != 0) {
            c = 0x10000 + ((std::exchange(highSurrogate_, 0) - 0xD800) << 10) + (c - 0xDC00);
        } else {
            endLoneSurrogate();
            if (c >= 0xD800 && c <= 0xDBFF) {
                highSurrogate_ = c;
                return;
            }
        }
        appendUtf8(run_, c);
    }

    // A first half that no second half follows stands for no character.
    void endLoneSurrogate() {
        if (highSurrogate_ != 0) appendUtf8(run_, 0xFFFD);
        highSurrogate_ = 0;
    }

    void endFontEntry() {
        if (!fontEntryFont_) return;
        std::string name = fontEntryName_;
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.front())))
            name.erase(name.begin());
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back())))
            name.pop_back();
        fonts_[*fontEntryFont_] = name;
        fontEntryFont_.reset();
        fontEntryName_.clear();
    }

    TextAttributes attributesOf(const CharacterState& s) const {
        TextAttributes a = base_;
        const double size = s.halfPoints / 2.0;
        auto found = fonts_.find(s.font);
        a.font = found != fonts_.end() && !found->second.empty() ? Font::named(found->second, size)
                                                                 : base_.font.withSize(size);
        if (s.bold) a.font = a.font.withBold(true);
        if (s.italic) a.font = a.font.withItalic(true);
        a.underline = s.underline || base_.underline;
        if (s.color > 0 && static_cast<std::size_t>(s.color) < colors_.size()) {
            const ColorEntry& e = colors_[static_cast<std::size_t>(s.color)];
            a.color = Color::deviceRGB(e.r / 255.0, e.g / 255.0, e.b / 255.0);
        } else if (s.color > 0) {
            a.color.reset();
        }
        return a;
    }

    void flushIfChanged() {
        const TextAttributes now = attributesOf(state_);
        if (!run_.empty() && !(now == runAttributes_)) flush();
        runAttributes_ = now;
    }

    void flush() {
        if (!run_.empty()) out_.append(run_, runAttributes_);
        run_.clear();
    }

    struct ColorEntry {
        int r = 0, g = 0, b = 0;
    };

    const std::string& in_;
    std::size_t pos_ = 0;
    TextAttributes base_;
    CharacterState state_;
    std::vector<CharacterState> stack_;
    bool pendingIgnorable_ = false;
    std::map<int, std::string> fonts_;
    std::optional<int> fontEntryFont_;
    std::string fontEntryName_;
    std::vector<ColorEntry> colors_;
    ColorEntry colorEntry_;
    int fallbackCount_ = 1;
    int skipFallback_ = 0;
    char32_t highSurrogate_ = 0;
    std::string run_;
    TextAttributes runAttributes_;
    AttributedString out_;
};

}  // namespace

AttributedString attributedStringFromRtf(const std::string& rtf, const TextAttributes& base) {
    return Reader(rtf, base).read();
}

}  // namespace vornex
