#include "platform/PlistNode.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale>
#include <sstream>
#include <string_view>
#include <vector>

#include "numerics/Decimal.h"
#include "platform/Utf8.h"

namespace vornex {

namespace {

std::uint64_t bigEndian(const std::uint8_t* p, unsigned n) {
    std::uint64_t v = 0;
    for (unsigned i = 0; i < n; ++i) v = (v << 8) | p[i];
    return v;
}

constexpr int kMaxNesting = PlistNode::kMaxNesting;

// Checks a binary property list before libplist reads it, for what would stop the program
// there instead of failing: the frame (trailer, offset table, object lengths), strings holding
// a zero character (libplist stops on an assertion when asked for one), nesting too deep, and
// sharing: libplist copies an object for every reference to it, so a few hundred bytes of
// arrays each holding the one before twice would become billions of nodes.
class BinaryPlistCheck {
   public:
    // Without `expanding`, the list is read in place, where a shared object is not copied for
    // each reference, and sharing is left to the reader to measure.
    // With `plain`, the list is read into values: sets and dates, which values do not hold,
    // are refused rather than read as something else.
    BinaryPlistCheck(const Bytes& b, bool expanding, bool plain = false)
        : b_(b), expanding_(expanding), plain_(plain) {}
    // Whether run() refused a plain list for a value it does not keep.
    bool notKept() const { return notKept_; }

    bool run(std::string& error) {
        error = "damaged binary property list";
        const std::size_t size = b_.size();
        if (size < 8 + 32 || std::memcmp(b_.data(), "bplist00", 8) != 0) return false;
        const std::uint8_t* trailer = b_.data() + size - 32;
        offsetSize_ = trailer[6];
        refSize_ = trailer[7];
        count_ = bigEndian(trailer + 8, 8);
        top_ = bigEndian(trailer + 16, 8);
        table_ = bigEndian(trailer + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8) return false;
        if (count_ == 0 || count_ > size || top_ >= count_ || table_ < 8 || table_ >= size - 32)
            return false;
        if (count_ > (size - 32 - table_) / offsetSize_) return false;
        payload_.assign(count_, 0);
        if (!checkGraph(error)) return false;
        error.clear();
        return true;
    }

   private:
    // Offset of object i; 0 when it lies outside the objects (between header and table).
    std::uint64_t offset(std::uint64_t i) const {
        std::uint64_t off = bigEndian(b_.data() + table_ + i * offsetSize_, offsetSize_);
        return off >= 8 && off < table_ ? off : 0;
    }

    // Element count of the object at off and where its contents start; false when the count
    // runs past the objects.
    bool countAt(std::uint64_t off, std::uint64_t& count, std::uint64_t& pos) const {
        count = b_[off] & 0x0F;
        pos = off + 1;
        if (count != 0x0F) return true;
        if (pos >= table_ || (b_[pos] >> 4) != 0x1) return false;
        unsigned n = 1u << (b_[pos] & 0x0F);
        if (n > 8 || pos + 1 + n > table_) return false;
        count = bigEndian(b_.data() + pos + 1, n);
        pos += 1 + n;
        return true;
    }

    // Whether the marker of object i is one the format defines, with a width it allows, and
    // its bytes lie within the objects; data and strings are measured, and strings must be
    // text (ASCII, or UTF-16 with its surrogates paired) without a zero character.
    bool checkPayload(std::uint64_t i, std::string& error) {
        std::uint64_t off = offset(i), length = 0, pos = 0;
        if (off == 0) return false;
        const std::uint8_t m = b_[off];
        const unsigned type = m >> 4, low = m & 0x0F;
        auto fits = [&](std::uint64_t n) { return n <= table_ - off - 1; };
        auto refuse = [&](const char* what) {
            error = std::string("the property list holds ") + what;
            return false;
        };
        if (plain_ && (type == 0x3 || type == 0xC) && (notKept_ = true))
            return refuse(type == 0x3 ? "a date, which this program does not keep"
                                      : "a set, which this program does not keep");
        switch (type) {
            case 0x0:  // false, true
                return low == 0x8 || low == 0x9 ? true : refuse("an undefined object type");
            case 0x1:  // integers of 1, 2, 4, 8 or 16 bytes
                if (low > 4 || !fits(1u << low)) return refuse("a damaged integer");
                return low < 4 || sixteenByteHeld(off + 1)
                           ? true
                           : refuse("an integer beyond the range of a 64-bit value");
            case 0x2:  // reals of 4 or 8 bytes
                return (low == 2 || low == 3) && fits(1u << low) ? true : refuse("a damaged real");
            case 0x3:  // dates, 8-byte reals
                return low == 3 && fits(8) ? true : refuse("a damaged date");
            case 0x8:  // references of 1 to 8 bytes, to one of at most 2^32 entries
                return low < 8 && fits(low + 1u) && bigEndian(&b_[off + 1], low + 1u) <= 0xFFFFFFFFu
                           ? true
                           : refuse("a damaged reference");
            case 0xA:
            case 0xC:
            case 0xD:  // containers, whose references are checked with the graph
                return true;
            case 0x4:
            case 0x5:
            case 0x6:
                break;
            default:
                return refuse("an undefined object type");
        }
        if (!countAt(off, length, pos)) return false;
        std::uint64_t unit = type == 0x6 ? 2 : 1;
        if (length > (table_ - pos) / unit) return false;
        // No writer makes an empty string wide, and other readers refuse one.
        if (type == 0x6 && length == 0) return refuse("an empty UTF-16 string");
        payload_[i] = length * (type == 0x6 ? 3 : 1);  // UTF-16 units read as up to 3 bytes
        if (type == 0x4) return true;
        for (std::uint64_t k = 0; k < length; ++k) {
            const auto u = unit == 1 ? b_[pos + k] : bigEndian(&b_[pos + 2 * k], 2);
            if (u == 0) {
                error = "a string of the property list holds a zero character";
                return false;
            }
            if (unit == 1 && u >= 0x80) return refuse("an ASCII string that is not ASCII");
            if (unit == 1 || u < 0xD800 || u >= 0xE000) continue;
            // A high surrogate must be followed by a low one, and a low one follow a high.
            const bool paired = u < 0xDC00 && k + 1 < length &&
                                (bigEndian(&b_[pos + 2 * k + 2], 2) & 0xFC00) == 0xDC00;
            if (!paired) return refuse("a UTF-16 string with an unpaired surrogate");
            ++k;
        }
        return true;
    }

    // Whether the sixteen-byte (two's complement) integer at pos is one a reader can hold:
    // from -2^63 up, below 2^64 where the value is read in place (an unsigned reading holds
    // 2^63 ... 2^64 - 1), below 2^63 where libplist reads it into a signed value.
    bool sixteenByteHeld(std::uint64_t pos) const {
        const std::uint64_t high = bigEndian(&b_[pos], 8), low = bigEndian(&b_[pos + 8], 8);
        const bool negative = high == ~std::uint64_t{0} && (low >> 63) != 0;
        return negative || (high == 0 && (!expanding_ || (low >> 63) == 0));
    }

    // Where the references held by object i lie, when it is an array, set or dictionary, and
    // how many there are (none for other objects); false when one points nowhere or a key of
    // a dictionary is not a string. They are read from the list as the walk goes, not copied.
    bool children(std::uint64_t i, std::uint64_t& pos, std::uint64_t& n, std::string& error) const {
        n = 0;
        const std::uint64_t off = offset(i);
        const unsigned type = b_[off] >> 4;
        if (type != 0xA && type != 0xC && type != 0xD) return true;
        if (!countAt(off, n, pos)) return false;
        const std::uint64_t keys = type == 0xD ? n : 0;
        if (n > std::numeric_limits<std::uint64_t>::max() / 2) return false;
        n += keys;
        if (n > (table_ - pos) / refSize_) return false;
        for (std::uint64_t k = 0; k < n; ++k) {
            const std::uint64_t ref = refAt(pos, k);
            if (ref >= count_ || offset(ref) == 0) return false;
            const unsigned refType = b_[offset(ref)] >> 4;
            if (k < keys && refType != 0x5 && refType != 0x6) {
                error = "a dictionary key of the property list is not a string";
                return false;
            }
        }
        return true;
    }
    std::uint64_t refAt(std::uint64_t pos, std::uint64_t k) const {
        return bigEndian(b_.data() + pos + k * refSize_, refSize_);
    }

    // Depth-first walk from the top object, without recursion, remembering each finished
    // object's depth and expanded size (itself, its bytes and the expanded size of every
    // reference it holds) so that shared objects are walked once.
    bool checkGraph(std::string& error) {
        const std::uint64_t budget = PlistNode::expansionBudget(b_.size());
        std::vector<int> depth(count_, -1);  // -1 not reached, -2 on the current path
        std::vector<std::uint64_t> expanded(count_, 0);
        struct Frame {
            std::uint64_t object;
            std::uint64_t refs, count;  // where its references lie, how many
            std::uint64_t next;
            int deepest;
            std::uint64_t expanded;  // at most budget + 1
        };
        std::vector<Frame> path;
        // Objects no reference reaches are never read, and not looked at either.
        auto enter = [&](std::uint64_t object) {
            if (!checkPayload(object, error)) return false;
            Frame f{object, 0, 0, 0, 0, PlistNode::kNodeBytes + payload_[object]};
            if (!children(object, f.refs, f.count, error)) return false;
            depth[object] = -2;
            path.push_back(std::move(f));
            return true;
        };
        auto add = [budget](std::uint64_t& total, std::uint64_t more) {
            total = std::min(total + more, budget + 1);
        };
        if (!enter(top_)) return false;
        while (!path.empty()) {
            Frame& f = path.back();
            if (f.next < f.count) {
                const std::uint64_t child = refAt(f.refs, f.next++);
                if (depth[child] == -2) {
                    error = "the property list contains itself";
                    return false;
                }
                if (depth[child] >= 0) {
                    f.deepest = std::max(f.deepest, depth[child]);
                    add(f.expanded, expanded[child]);
                    continue;
                }
                if (path.size() >= static_cast<std::size_t>(kMaxNesting)) {
                    error = "the property list nests too deeply";
                    return false;
                }
                if (!enter(child)) return false;
                continue;
            }
            if (expanding_ && f.expanded > budget) {
                error =
                    "shared objects expand the property list beyond the memory allowed a "
                    "file of " +
                    std::to_string(b_.size()) + " bytes";
                return false;
            }
            int d = f.count == 0 ? 0 : f.deepest + 1;
            depth[f.object] = d;
            expanded[f.object] = f.expanded;
            path.pop_back();
            if (!path.empty()) {
                path.back().deepest = std::max(path.back().deepest, d);
                add(path.back().expanded, expanded[f.object]);
            }
        }
        return true;
    }

    const Bytes& b_;
    const bool expanding_, plain_;
    bool notKept_ = false;
    unsigned offsetSize_ = 0, refSize_ = 0;
    std::uint64_t count_ = 0, top_ = 0, table_ = 0;
    std::vector<std::uint64_t> payload_;
};

// Where byte `at` of an XML text lies, for a message: "line L, column C" (columns in bytes).
std::string placeIn(const std::string& text, std::size_t at) {
    const std::size_t lineStart = at == 0 ? 0 : text.rfind('\n', at - 1);
    const std::size_t column = lineStart == std::string::npos ? at + 1 : at - lineStart;
    const auto line = 1 + std::count(text.begin(), text.begin() + static_cast<long>(at), '\n');
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The whole text must be UTF-8, as XML wants it: text that is not would open, and then no
// save could write it.
bool xmlIsUtf8(const std::string& text, std::string& error) {
    const std::size_t bad = utf8::firstInvalid(text);
    if (bad == text.size()) return true;
    static const char kHex[] = "0123456789abcdef";
    const auto c = static_cast<unsigned char>(text[bad]);
    error = "the XML property list is not UTF-8 text at " + placeIn(text, bad) + " (byte \\x" +
            kHex[c >> 4] + kHex[c & 15] + ")";
    return false;
}

// Character references in the character data text[from, to) (outside tags, comments and
// CDATA sections, where the parser does not decode them) must name a character XML allows:
// not a zero, not a surrogate half, not beyond U+10FFFF, no control character but tab, line
// feed and carriage return, not U+FFFE or U+FFFF.
bool xmlReferencesValid(const std::string& text, std::size_t from, std::size_t to,
                        std::string& error) {
    // The search stops at `to`: one run on to the end of the text from every tag would make
    // opening take time growing with the square of the size.
    const std::string_view data(text.data(), to);
    for (std::size_t p = data.find("&#", from); p != std::string_view::npos;
         p = data.find("&#", p + 2)) {
        std::size_t q = p + 2;
        const bool hex = q < to && (text[q] == 'x' || text[q] == 'X');
        if (hex) ++q;
        std::uint64_t cp = 0;
        const std::size_t digits = q;
        for (; q < to && std::isxdigit(static_cast<unsigned char>(text[q])); ++q) {
            const char d = text[q];
            if (!hex && !std::isdigit(static_cast<unsigned char>(d))) break;
            const unsigned v =
                std::isdigit(static_cast<unsigned char>(d))
                    ? unsigned(d - '0')
                    : unsigned(std::tolower(static_cast<unsigned char>(d)) - 'a' + 10);
            cp = std::min<std::uint64_t>(cp * (hex ? 16 : 10) + v, 0x110000);
        }
        if (q == digits || q >= to || text[q] != ';')
            continue;  // no reference: the parser's to refuse
        if (cp == 0) {
            error = "a string of the property list holds a zero character";
            return false;
        }
        const bool allowed = cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp < 0xD800) ||
                             (cp >= 0xE000 && cp < 0xFFFE) || (cp >= 0x10000 && cp < 0x110000);
        if (!allowed) {
            error = "the XML property list refers to no valid character at " + placeIn(text, p) +
                    ": " + text.substr(p, std::min<std::size_t>(q + 1 - p, 16));
            return false;
        }
    }
    return true;
}

// Follows the nesting through the tag from text[lt] to text[gt] ('>'): one level deeper for an
// opening "<array>" or "<dict>", one level up (never below zero) for a closing one; false when
// the containers nest too deeply or a container tag is damaged. Blanks and letter case that
// the parser might take more leniently than XML does are taken leniently here too, so that no
// container it reads goes uncounted.
bool countContainer(const std::string& text, std::size_t lt, std::size_t gt, int& depth,
                    std::string& error) {
    constexpr const char* kBlanks = " \t\r\n\v\f";
    std::size_t at = text.find_first_not_of(kBlanks, lt + 1);
    bool closing = text[at] == '/';
    if (closing) at = text.find_first_not_of(kBlanks, at + 1);
    std::size_t name = 0;
    for (std::string_view word : {std::string_view("array"), std::string_view("dict")}) {
        bool same = gt - at >= word.size();
        for (std::size_t k = 0; same && k < word.size(); ++k)
            same = std::tolower(static_cast<unsigned char>(text[at + k])) == word[k];
        if (same) name = word.size();
    }
    if (name == 0) return true;
    std::size_t rest = text.find_first_not_of(kBlanks, at + name);
    bool empty = !closing && rest + 1 == gt && text[rest] == '/';
    if (rest != gt && !empty) {
        error = "a container tag of the XML property list is damaged";
        return false;
    }
    if (closing) {
        depth = std::max(depth - 1, 0);
    } else if (!empty && ++depth > kMaxNesting) {
        error = "the property list nests too deeply";
        return false;
    }
    return true;
}

// The text of an XML property list as the parser is to see it, without its comments,
// processing instructions and document type declaration; false when its containers nest too
// deeply. Those parts are taken out here rather than left for the parser to skip, so that the
// parser sees exactly the tags counted: a closing tag inside a comment, counted as real, let
// the count fall behind the parser's, and a deep enough tree overflows the stack when libplist
// frees it. CDATA sections pass whole and are not looked into (the parser skips them the same
// way, in every element that holds text).
bool cleanXml(const std::string& text, std::string& out, std::string& error) {
    constexpr auto npos = std::string::npos;
    auto startsWith = [&text](std::size_t at, std::string_view word) {
        return text.size() - at >= word.size() && text.compare(at, word.size(), word) == 0;
    };
    out.clear();
    out.reserve(text.size());
    int depth = 0;
    bool elementSeen = false, declared = false;
    std::size_t p = 0;
    while (p < text.size()) {
        std::size_t lt = text.find('<', p);
        if (!xmlReferencesValid(text, p, lt == npos ? text.size() : lt, error)) return false;
        out.append(text, p, lt == npos ? npos : lt - p);
        if (lt == npos) break;
        std::size_t end = npos;
        if (startsWith(lt, "<!--")) {
            if ((end = text.find("-->", lt + 4)) != npos) p = end + 3;
        } else if (startsWith(lt, "<?")) {
            if ((end = text.find("?>", lt + 2)) != npos) p = end + 2;
        } else if (startsWith(lt, "<![CDATA[")) {
            if ((end = text.find("]]>", lt + 9)) != npos) {
                p = end + 3;
                out.append(text, lt, p - lt);
            }
        } else if (startsWith(lt, "<!")) {
            // A document type declaration, its internal subset in brackets: once, before the
            // first element, or the text is not well-formed XML. The bracket is looked for
            // within the tag alone, for the same reason.
            if (elementSeen || declared) {
                error = "a document type declaration stands inside the XML property list";
                return false;
            }
            declared = true;
            std::size_t gt = text.find('>', lt);
            std::size_t bracket = std::string_view(text.data(), gt == npos ? 0 : gt).find('[', lt);
            if (bracket != npos && bracket < gt) {
                std::size_t close = text.find(']', bracket);
                gt = close == npos ? npos : text.find('>', close);
            }
            if ((end = gt) != npos) p = end + 1;
        } else if ((end = text.find('>', lt)) != npos) {
            p = end + 1;
            if (text.find('<', lt + 1) < end) {
                error = "a tag of the XML property list holds a '<'";
                return false;
            }
            if (!countContainer(text, lt, end, depth, error)) return false;
            elementSeen = true;
            out.append(text, lt, p - lt);
        }
        if (end == npos) {
            error = "the XML property list ends inside a tag, comment or section";
            return false;
        }
    }
    return true;
}

// Finds elements in the cleaned text of an XML list, passing over CDATA sections: their text
// is a string's, and "<real>5</real>" inside one is no element. Calls go forward through
// the text, so each section is looked for once.
class ElementFinder {
   public:
    explicit ElementFinder(std::string_view text) : text_(text), cdata_(text.find(kCdata)) {}

    // The next `tag` at or after `from` that stands outside every CDATA section.
    std::size_t find(std::string_view tag, std::size_t from) {
        constexpr auto npos = std::string_view::npos;
        std::size_t at = text_.find(tag, from);
        for (;;) {
            if (cdata_ != npos && cdata_ < from) cdata_ = text_.find(kCdata, from);
            if (at == npos || cdata_ == npos || at < cdata_) return at;
            const std::size_t end = text_.find("]]>", cdata_ + kCdata.size());
            if (end == npos) return npos;
            from = end + 3;
            if (at < from) at = text_.find(tag, from);
        }
    }

   private:
    static constexpr std::string_view kCdata = "<![CDATA[";
    std::string_view text_;
    std::size_t cdata_;  // the first section at or after the last search's start
};

enum class XmlNumber { Whole, NotANumber, BeyondRange };

// Whether `text`, less blanks around it, is wholly a number within the range of its kind: an
// integer in decimal (with a sign) or hexadecimal ("0x") that a signed 64-bit integer holds,
// or a real as the XML form writes one (with "nan", "inf" and "infinity" and their signs).
XmlNumber wholeNumber(std::string_view text, bool real) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return XmlNumber::NotANumber;
    text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
    const bool minus = text.front() == '-';
    if (minus || text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+' || text.front() == '-') return XmlNumber::NotANumber;
    auto whole = [&text](auto result) {
        if (result.ptr != text.data() + text.size()) return XmlNumber::NotANumber;
        if (result.ec == std::errc::result_out_of_range) return XmlNumber::BeyondRange;
        return result.ec == std::errc() ? XmlNumber::Whole : XmlNumber::NotANumber;
    };
    if (real) {
        double value = 0;
        const XmlNumber read =
            whole(std::from_chars(text.data(), text.data() + text.size(), value));
        // A real below the range of normal doubles is still a number, the subnormal or zero
        // nearest it, as the data tables read it; only one beyond the largest double is not.
        if (read != XmlNumber::BeyondRange) return read;
        return readDecimal(text, value) == DecimalRead::ok ? XmlNumber::Whole : XmlNumber::BeyondRange;
    }
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex) text.remove_prefix(2);
    std::uint64_t value = 0;
    const XmlNumber read =
        whole(std::from_chars(text.data(), text.data() + text.size(), value, hex ? 16 : 10));
    if (read != XmlNumber::Whole) return read;
    // The parser keeps 64 bits, and a value takes them as a signed number: 2^63 would come
    // back as -2^63.
    const std::uint64_t most = minus ? std::uint64_t{1} << 63 : std::uint64_t{INT64_MAX};
    return value <= most ? XmlNumber::Whole : XmlNumber::BeyondRange;
}

// A decimal integer that wholeNumber accepted, as the parser must see it: blanks and a plus
// sign dropped, no leading zeros; a hexadecimal one as it was.
std::string decimalWithoutLeadingZeros(std::string_view number) {
    constexpr std::string_view kBlanks = " \t\r\n";
    number = number.substr(number.find_first_not_of(kBlanks));
    number = number.substr(0, number.find_last_not_of(kBlanks) + 1);
    const bool minus = number.front() == '-';
    if (minus || number.front() == '+') number.remove_prefix(1);
    if (number.size() > 1 && (number[1] == 'x' || number[1] == 'X'))
        return std::string(minus ? "-" : "") + std::string(number);
    const std::size_t digit = std::min(number.find_first_not_of('0'), number.size() - 1);
    number.remove_prefix(digit);
    return std::string(minus && number != "0" ? "-" : "") + std::string(number);
}

// The elements <integer> and <real> of an XML list hold nothing but a number, one a 64-bit
// value holds: the parser would read "1,5" as 1 and "abc" as 0, and 2^64 + 5 as 5, changing
// a value instead of refusing the list. An integer is decimal unless it starts "0x", as the
// form defines it; the parser reads a leading zero as octal ("010" as 8), so a decimal integer
// reaches it without its leading zeros (the text is copied once, however many there are).
bool xmlNumbersRead(std::string& text, std::string& error) {
    for (const auto& [tag, real] : {std::pair{std::string_view("<integer"), false},
                                    std::pair{std::string_view("<real"), true}}) {
        std::string out;
        std::size_t copied = 0;  // text before this is in `out`, when anything was rewritten
        ElementFinder elements(text);
        for (std::size_t p = elements.find(tag, 0); p != std::string::npos;
             p = elements.find(tag, p + 1)) {
            const std::size_t gt = text.find('>', p);
            const std::size_t name = text.find_first_not_of(" \t\r\n", p + tag.size());
            if (gt == std::string::npos || name != gt) continue;  // another tag, or <real/>
            const std::size_t lt = std::min(text.find('<', gt), text.size());
            const std::string_view number = std::string_view(text).substr(gt + 1, lt - gt - 1);
            const XmlNumber read = wholeNumber(number, real);
            if (read != XmlNumber::Whole) {
                error = std::string("a number of the XML property list is ") +
                        (read == XmlNumber::NotANumber ? "not a number: "
                                                       : "not a number a 64-bit value holds: ") +
                        text.substr(p, std::min<std::size_t>(lt - p, 60));
                return false;
            }
            if (real) continue;
            const std::string plain = decimalWithoutLeadingZeros(number);
            if (plain == number) continue;
            out.append(text, copied, gt + 1 - copied);
            out += plain;
            copied = lt;
        }
        if (copied > 0) {
            out.append(text, copied);
            text.swap(out);
        }
    }
    return true;
}

// The elements <data> of an XML list hold base64 exactly: letters, digits, '+' and '/' in
// groups of four, the last group padded with at most two '=', blanks anywhere. The parser
// would read a damaged text as other bytes ("AQI+g==" as 01 02 3e, "A" as nothing).
bool xmlDataIsBase64(const std::string& text, std::string& error) {
    static constexpr std::string_view kTag = "<data";
    ElementFinder elements(text);
    for (std::size_t p = elements.find(kTag, 0); p != std::string::npos;
         p = elements.find(kTag, p + 1)) {
        const std::size_t gt = text.find('>', p);
        const std::size_t name = text.find_first_not_of(" \t\r\n", p + kTag.size());
        if (gt == std::string::npos || name != gt) continue;  // another tag, or <data/>
        const std::size_t lt = text.find('<', gt);
        std::size_t letters = 0, padding = 0;
        bool whole = lt != std::string::npos && text.compare(lt, 7, "</data>") == 0;
        for (std::size_t k = gt + 1; whole && k < lt; ++k) {
            const auto c = static_cast<unsigned char>(text[k]);
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
            if (c == '=') {
                ++padding;
            } else {
                whole = padding == 0 && (std::isalnum(c) || c == '+' || c == '/');
                ++letters;
            }
        }
        whole = whole && padding <= 2 && (letters + padding) % 4 == 0;
        if (!whole) {
            const std::size_t end = lt == std::string::npos ? text.size() : lt;
            error = "data of the XML property list is not base64: " +
                    text.substr(p, std::min<std::size_t>(end - p, 60));
            return false;
        }
    }
    return true;
}

}  // namespace

template <typename Write, typename Free>
static Bytes serialize(plist_t node, Write write, Free release) {
    if (!node) return {};
    char* out = nullptr;
    uint32_t length = 0;
    write(node, &out, &length);
    Bytes bytes;
    if (out) {
        bytes.assign(reinterpret_cast<const std::uint8_t*>(out),
                     reinterpret_cast<const std::uint8_t*>(out) + length);
        release(out);
    }
    return bytes;
}

namespace {

// The reals of the tree, in the order the XML form holds them.
void realsOf(plist_t node, std::vector<plist_t>& out) {
    switch (plist_get_node_type(node)) {
        case PLIST_REAL:
            out.push_back(node);
            return;
        case PLIST_ARRAY:
            for (plist_t item : PlistNode::itemsOf(node)) realsOf(item, out);
            return;
        case PLIST_DICT:
            PlistNode::forEachEntry(node, [&out](const std::string&, plist_t value) {
                realsOf(value, out);
                return true;
            });
            return;
        default:
            return;
    }
}

// Whether each real of the tree, in the order the XML form holds them, is a negative zero.
void negativeZeros(plist_t node, std::vector<bool>& out) {
    std::vector<plist_t> reals;
    realsOf(node, reals);
    for (plist_t real : reals) {
        double d = 0.0;
        plist_get_real_val(real, &d);
        out.push_back(d == 0.0 && std::signbit(d));
    }
}

// libplist writes a negative zero as "0.0", which reads back positive: the sign is put back.
// Text and keys hold "<" only escaped, so every "<real>" is an element.
Bytes withNegativeZeros(const Bytes& xml, plist_t tree) {
    if (xml.empty()) return xml;
    std::vector<bool> negative;
    negativeZeros(tree, negative);
    if (std::find(negative.begin(), negative.end(), true) == negative.end()) return xml;
    static constexpr std::string_view kOpen = "<real>";
    const std::string_view text(reinterpret_cast<const char*>(xml.data()), xml.size());
    Bytes out;
    out.reserve(xml.size() + negative.size());
    std::size_t from = 0, k = 0;
    for (std::size_t at; (at = text.find(kOpen, from)) != std::string_view::npos; ++k) {
        at += kOpen.size();
        out.insert(out.end(), xml.begin() + from, xml.begin() + at);
        if (k < negative.size() && negative[k] && text.compare(at, 1, "-") != 0) out.push_back('-');
        from = at;
    }
    out.insert(out.end(), xml.begin() + from, xml.end());
    return out;
}

// The XML parser reads a real by the program's locale, which cuts "300.25" to 300 where the
// decimal mark is a comma: every real is read again from its text, the same in every locale.
void rereadReals(const std::string& xml, plist_t tree) {
    std::vector<plist_t> reals;
    realsOf(tree, reals);
    static constexpr std::string_view kOpen = "<real", kClose = "</real>";
    std::size_t k = 0;
    ElementFinder elements(xml);
    for (std::size_t at = 0;
         k < reals.size() && (at = elements.find(kOpen, at)) != std::string::npos;) {
        const std::size_t gt = xml.find('>', at);
        if (gt == std::string::npos) return;
        const bool empty = xml[gt - 1] == '/';
        const bool named = gt == at + kOpen.size() || (empty && gt == at + kOpen.size() + 1) ||
                           std::isspace(static_cast<unsigned char>(xml[at + kOpen.size()]));
        at = gt + 1;
        if (!named) continue;
        plist_t node = reals[k++];
        if (empty) continue;
        const std::size_t end = xml.find(kClose, at);
        if (end == std::string::npos) return;
        constexpr std::string_view kBlanks = " \t\r\n";
        std::string_view text(xml.data() + at, end - at);
        const std::size_t first = text.find_first_not_of(kBlanks);
        if (first == std::string_view::npos) continue;
        text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
        const bool minus = text.front() == '-';
        if (minus || text.front() == '+') text.remove_prefix(1);
        double value = 0;
        const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
        if (r.ptr != text.data() + text.size()) continue;
        if (r.ec == std::errc::result_out_of_range) {
            // Beyond the largest double is refused before; below the least, the nearest.
            double nearest = 0;
            if (readDecimal(text, nearest) != DecimalRead::ok) continue;
            value = nearest;
        } else if (r.ec != std::errc()) {
            continue;
        }
        plist_set_real_val(node, minus ? -value : value);
    }
}

}  // namespace

Bytes PlistNode::toBinary() const {
    return serialize(node_, plist_to_bin, plist_to_bin_free);
}

Bytes PlistNode::toXml() const {
    return withNegativeZeros(serialize(node_, plist_to_xml, plist_to_xml_free), node_);
}

std::vector<plist_t> PlistNode::itemsOf(plist_t array) {
    std::vector<plist_t> items;
    if (!array || plist_get_node_type(array) != PLIST_ARRAY) return items;
    items.reserve(plist_array_get_size(array));
    plist_array_iter it = nullptr;
    plist_array_new_iter(array, &it);
    for (;;) {
        plist_t item = nullptr;
        plist_array_next_item(array, it, &item);
        if (!item) break;
        items.push_back(item);
    }
    std::free(it);
    return items;
}

std::string PlistNode::stringOf(plist_t node) {
    if (!node || plist_get_node_type(node) != PLIST_STRING) return {};
    char* s = nullptr;
    plist_get_string_val(node, &s);
    std::string out = s ? s : "";
    std::free(s);
    return out;
}

Bytes PlistNode::dataOf(plist_t node) {
    if (!node || plist_get_node_type(node) != PLIST_DATA) return {};
    char* d = nullptr;
    uint64_t length = 0;
    plist_get_data_val(node, &d, &length);
    Bytes out;
    if (d)
        out.assign(reinterpret_cast<std::uint8_t*>(d), reinterpret_cast<std::uint8_t*>(d) + length);
    std::free(d);
    return out;
}

PlistValue PlistNode::scalarOf(plist_t node) {
    if (!node) return {};
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t b = 0;
            plist_get_bool_val(node, &b);
            return PlistValue(b != 0);
        }
        case PLIST_UINT: {
            uint64_t u = 0;
            plist_get_uint_val(node, &u);
            return PlistValue(static_cast<std::int64_t>(u));
        }
        case PLIST_REAL: {
            double d = 0;
            plist_get_real_val(node, &d);
            return PlistValue(d);
        }
        case PLIST_STRING:
            return PlistValue(stringOf(node));
        case PLIST_DATA:
            return PlistValue(dataOf(node));
        default:
            return {};
    }
}

bool PlistNode::checkBinary(const Bytes& bytes, std::string& error) {
    return BinaryPlistCheck(bytes, false).run(error);
}

PlistNode PlistNode::parse(const Bytes& bytes, std::string& error, bool* notKept) {
    static const char kBinaryMagic[] = "bplist00";
    if (bytes.size() < 8) {
        error = "too short for a property list";
        return {};
    }
    if (bytes.size() > std::numeric_limits<uint32_t>::max()) {
        error = "too large for a property list";
        return {};
    }
    const char* data = reinterpret_cast<const char*>(bytes.data());
    auto length = static_cast<uint32_t>(bytes.size());
    plist_t node = nullptr;
    if (std::memcmp(data, kBinaryMagic, 8) == 0) {
        BinaryPlistCheck check(bytes, true, notKept != nullptr);
        if (!check.run(error)) {
            if (notKept) *notKept = check.notKept();
            return {};
        }
        plist_from_bin(data, length, &node);
    } else {
        // The XML reader wants text: stop at the first zero byte, if any. A UTF-8 byte-order
        // mark, which editors put before the text, is no part of it.
        const void* zero = std::memchr(data, 0, bytes.size());
        std::string text(data, zero ? static_cast<const char*>(zero) - data : bytes.size());
        if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
        std::string cleaned;
        if (!xmlIsUtf8(text, error) || !cleanXml(text, cleaned, error)) return {};
        if (!xmlNumbersRead(cleaned, error) || !xmlDataIsBase64(cleaned, error)) return {};
        if (cleaned.find("<plist") != std::string::npos)
            plist_from_xml(cleaned.c_str(), static_cast<uint32_t>(cleaned.size()), &node);
        if (node) rereadReals(cleaned, node);
    }
    if (!node) error = "not a property list (or a damaged one)";
    return PlistNode(node);
}

}  // namespace vornex
