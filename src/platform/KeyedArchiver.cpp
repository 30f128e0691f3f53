#include "platform/KeyedArchiver.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <unordered_map>

#include "platform/BinaryPlistWriter.h"
#include "platform/KeyedArchiveFormat.h"
#include "platform/PlistNode.h"
#include "platform/PlistTree.h"
#include "platform/Utf8.h"

namespace vornex {

namespace {

using namespace keyedarchive;

constexpr std::int64_t kArchiveVersion = 100000;

std::string formatComponent(double v) {
    char buffer[32];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, r.ptr);
}

Bytes rgbComponents(const Color& c) {
    std::string s = formatComponent(c.redComponent()) + " " + formatComponent(c.greenComponent()) +
                    " " + formatComponent(c.blueComponent());
    if (c.alphaComponent() != 1.0) s += " " + formatComponent(c.alphaComponent());
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

// Texts longer than this (bytes) are not shared. A shared text costs the file a reference of
// a byte or two wherever it stands again, and the reader its copy: a text no longer than
// this keeps a list of cases well within the reader's budget of 64 bytes per byte of file.
constexpr std::size_t kLongestSharedText = 256;

// The payload of a string as a binary list holds it: bytes of ASCII text, else UTF-16 units.
std::uint64_t stringPayload(const std::string& s) {
    const auto ascii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
    if (std::all_of(s.begin(), s.end(), ascii)) return s.size();
    std::uint64_t units = 0;
    std::uint32_t cp = 0;
    for (std::size_t at = 0; at < s.size();) {
        if (!utf8::next(s, at, cp)) return s.size();  // refused by the list writer anyway
        units += cp >= 0x10000 ? 2 : 1;
    }
    return units;
}

// Writes the archive straight into a binary property list: every entry of "$objects" is
// written as soon as it is complete, and "$objects" itself, the "$top" fields and the root
// dictionary last. Equal strings and numbers are stored once, as the platform's archiver stores
// a shared object once: a case list repeats the same keys in every case; only texts longer
// than kLongestSharedText are stored wherever they stand. The values are read
// where they are, never copied: a document takes its own memory and that of its bytes.
//
// What the reader would refuse is not written: objects nested deeper than it reads (counted
// as it counts them), an object without a class or of a class it decodes as another kind of
// value, a field named like the class entry, and shared strings that expand beyond the memory
// it allows a file of the archive's size.
class ArchiveWriter {
   public:
    using Ref = BinaryPlistWriter::Ref;

    ArchiveWriter() { objects_.push_back(out_.addString("$null")); }

    // The archive whose top-level fields are `entries` (pairs of name and value).
    template <typename Entries>
    Bytes finish(const Entries& entries) {
        std::vector<std::string> names;
        std::vector<Ref> values;
        fields(entries, names, values, 0);
        const Ref topDict = dictionary(names, values);
        const Ref version = out_.addInteger(kArchiveVersion);
        const Ref archiver = out_.addString("NSKeyedArchiver");
        const Ref objects = out_.addArray(objects_);
        const Ref root = dictionary({"$version", "$archiver", "$top", "$objects"},
                                    {version, archiver, topDict, objects});
        Bytes bytes = out_.finish(root);
        if (error_.empty() && expanded_ > PlistNode::expansionBudget(bytes.size()))
            error_ = "shared texts would expand the archive beyond the memory its reader allows a "
                     "file of " +
                     std::to_string(bytes.size()) + " bytes";
        return bytes;
    }
    // Why the archive cannot be read back as it was written; empty when it can.
    const std::string& error() const { return error_.empty() ? out_.error() : error_; }

   private:
    void fail(std::string why) {
        if (error_.empty()) error_ = std::move(why);
    }
    bool within(int depth) {
        if (depth <= kMaxDepth) return true;
        fail("objects nest too deeply (more than " + std::to_string(kMaxDepth) + " levels)");
        return false;
    }

    // Adds the value, `depth` levels down as the reader counts, to "$objects" and returns its
    // index (0 for nil).
    std::uint64_t add(const PlistValue& v, int depth) {
        using T = PlistValue::Type;
        if (v.type() == T::Null) {
            expanded_ += kValueBytes;
            return 0;
        }
        // Nothing deeper is walked: a value nested without end would exhaust the stack.
        if (!within(depth)) return 0;
        switch (v.type()) {
            case T::Null:
                return 0;
            case T::Bool:
                expanded_ += kValueBytes;
                return shared(bools_[v.toBool() ? 1 : 0], [&] { return out_.addBool(v.toBool()); });
            case T::Integer: {
                expanded_ += kValueBytes;
                const std::int64_t i = v.toInteger();
                return shared(integers_[static_cast<std::uint64_t>(i)],
                              [&] { return out_.addInteger(i); });
            }
            case T::Real: {
                expanded_ += kValueBytes;
                const double d = v.toDouble();
                return shared(reals_[std::bit_cast<std::uint64_t>(d)],
                              [&] { return out_.addReal(d); });
            }
            case T::String:
                return string(v.toString());
            case T::Data:
                expanded_ += heapValueBytes(v.toData().size());
                return append(data(v.toData()));
            case T::Color: {
                expanded_ += heapValueBytes(0);
                const Color c = v.toColor();
                const Ref space = out_.addInteger(
                    c.space() == ColorSpace::CalibratedRGB ? kCalibratedRGB : kDeviceRGB);
                const Ref rgb = data(rgbComponents(c));
                const Ref cls = uid(classUid("NSColor", {"NSColor"}));
                return append(dictionary({"NSColorSpace", "NSRGB", "$class"}, {space, rgb, cls}));
            }
            case T::Array: {
                expanded_ += heapValueBytes(0);
                std::vector<Ref> refs;
                refs.reserve(v.items().size());
                for (const PlistValue& item : v.items()) refs.push_back(uid(add(item, depth + 1)));
                const Ref items = out_.addArray(refs);
                const Ref cls = uid(classUid("NSMutableArray", {"NSMutableArray", "NSArray"}));
                return append(dictionary({"NS.objects", "$class"}, {items, cls}));
            }
            case T::Dictionary: {
                expanded_ += heapValueBytes(0);
                std::vector<Ref> keys, values;
                keys.reserve(v.entries().size());
                values.reserve(v.entries().size());
                if (!v.entries().empty() && !within(depth + 1)) return 0;  // the keys
                for (const PlistValue::Entry& e : v.entries()) {
                    expanded_ += keyBytes(stringPayload(e.first)) + kValueBytes;
                    keys.push_back(uid(string(e.first, false)));
                    values.push_back(uid(add(e.second, depth + 1)));
                }
                const Ref k = out_.addArray(keys), o = out_.addArray(values);
                const Ref cls = uid(
                    classUid("NSMutableDictionary", {"NSMutableDictionary", "NSDictionary"}));
                return append(dictionary({"NS.keys", "NS.objects", "$class"}, {k, o, cls}));
            }
            case T::Object: {
                const std::string& name = v.className();
                const Kind kind = kindOfClass(name);
                if (kind == Kind::Unclassed) fail("an object has no class");
                // The reader decodes these classes as arrays and texts, not as the fields an
                // object wrote.
                if (kind != Kind::Object && kind != Kind::Unclassed && kind != Kind::Color)
                    fail("an object of class \"" + name + "\" would read back as another value");
                expanded_ += heapValueBytes(0) + name.size();
                std::vector<std::string> names;
                std::vector<Ref> values;
                // A colour the reader cannot draw (components beyond 0 to 1, or too many)
                // keeps its fields, and its components stay inline data, where every reader
                // of the format looks for them. Only fields that would read back as a colour
                // it draws (components a reference once held) stay references, so that the
                // object reads back as it was saved.
                fields(v.entries(), names, values, depth,
                       kind == Kind::Color && !drawnWhenInline(v));
                names.push_back("$class");
                values.push_back(uid(classUid(name, {name})));
                return append(dictionary(names, values));
            }
        }
        return 0;
    }

    // Whether the fields of a colour object, its data inline, would read as a colour drawn.
    static bool drawnWhenInline(const PlistValue& colour) {
        const PlistValue& space = colour.get("NSColorSpace");
        if (space.type() != PlistValue::Type::Integer || space.toInteger() < 0) return false;
        const auto code = static_cast<std::uint64_t>(space.toInteger());
        const char* key = colourComponentsKey(code);
        if (key == nullptr) return false;
        const PlistValue& components = colour.get(key);
        return components.type() == PlistValue::Type::Data &&
               drawnColour(code, components.toData()).has_value();
    }

    // The fields of an object `depth` levels down (or of "$top", depth 0): numbers inline
    // (and data, when `inlineData`), everything else referenced two levels further down.
    template <typename Entries>
    void fields(const Entries& entries, std::vector<std::string>& names, std::vector<Ref>& values,
                int depth, bool inlineData = false) {
        for (const auto& [name, f] : entries) {
            if (!within(depth + 1)) return;
            // The reader takes the field of that name for the class of the object.
            if (name == "$class") fail("a field is named \"$class\"");
            expanded_ += keyBytes(name.size());
            Ref node = 0;
            switch (f.type()) {
                case PlistValue::Type::Bool:
                    expanded_ += kValueBytes;
                    node = out_.addBool(f.toBool());
                    break;
                case PlistValue::Type::Integer:
                    expanded_ += kValueBytes;
                    node = out_.addInteger(f.toInteger());
                    break;
                case PlistValue::Type::Real:
                    expanded_ += kValueBytes;
                    node = out_.addReal(f.toDouble());
                    break;
                case PlistValue::Type::Data:
                    if (!inlineData) {
                        node = uid(add(f, depth + 2));
                        break;
                    }
                    expanded_ += heapValueBytes(f.toData().size());
                    node = data(f.toData());
                    break;
                default:
                    node = uid(add(f, depth + 2));
                    break;
            }
            names.push_back(name);
            values.push_back(node);
        }
    }

    Ref dictionary(const std::vector<std::string>& names, const std::vector<Ref>& values) {
        std::vector<Ref> keys;
        keys.reserve(names.size());
        for (const std::string& n : names) keys.push_back(out_.addString(n));
        return out_.addDictionary(keys, values);
    }

    Ref data(const Bytes& b) { return out_.addData(b.data(), b.size()); }
    // A text as a value (counted as one), or as a dictionary key (counted by the caller).
    std::uint64_t string(const std::string& s, bool value = true) {
        // A long text is stored at each place it stands: the reader gives every place a copy,
        // and shared, a text repeated in a list (a comment in cases made by duplicating one)
        // would read back as many times the memory its file holds, and be refused.
        if (value && s.size() > kLongestSharedText) {
            expanded_ += heapValueBytes(stringPayload(s));
            return append(out_.addString(s, false));
        }
        auto& [index, payload] = strings_[s];
        if (index == 0) {
            payload = stringPayload(s);
            if (s != "$null") {
                index = append(out_.addString(s));
            } else {
                // Text equal to the nil marker is stored as a string object, so that no reader
                // that takes the plain text for nil can mistake it.
                const Ref cls = uid(classUid("NSString", {"NSString"}));
                index = append(dictionary({"NS.string", "$class"}, {out_.addString(s), cls}));
            }
        }
        if (value) expanded_ += heapValueBytes(payload);
        return index;
    }
    Ref uid(std::uint64_t index) { return out_.addUid(index); }

    // The entry of a scalar already stored, or a new one made by `make`.
    template <typename Make>
    std::uint64_t shared(std::uint64_t& slot, Make make) {
        if (slot == 0) slot = append(make());
        return slot;
    }

    std::uint64_t append(Ref node) {
        objects_.push_back(node);
        return objects_.size() - 1;
    }

    std::uint64_t classUid(const std::string& name, std::vector<std::string> chain) {
        auto it = classes_.find(name);
        if (it != classes_.end()) return it->second;
        chain.push_back("NSObject");
        std::vector<Ref> classes;
        for (const std::string& c : chain) classes.push_back(out_.addString(c));
        const Ref list = out_.addArray(classes);
        const Ref className = out_.addString(name);
        const std::uint64_t index = append(dictionary({"$classes", "$classname"}, {list, className}));
        classes_[name] = index;
        return index;
    }

    BinaryPlistWriter out_;
    // The entries of "$objects" ("$null" first) as references into the list.
    std::vector<Ref> objects_;
    std::map<std::string, std::uint64_t> classes_;
    // Index of each scalar stored so far; 0 for none ("$null" is entry 0).
    std::uint64_t bools_[2] = {0, 0};
    std::unordered_map<std::uint64_t, std::uint64_t> integers_, reals_;
    // Index and payload of each text stored so far.
    std::unordered_map<std::string, std::pair<std::uint64_t, std::uint64_t>> strings_;
    // The memory the reader will count for the values written so far.
    std::uint64_t expanded_ = 0;
    std::string error_;
};

}  // namespace

KeyedArchiver::KeyedArchiver() {
    frames_.push_back(PlistValue::object(""));
}

void KeyedArchiver::encodeBool(const std::string& key, bool v) {
    current().set(key, v);
}
void KeyedArchiver::encodeInt(const std::string& key, std::int64_t v) {
    current().set(key, v);
}
void KeyedArchiver::encodeFloat(const std::string& key, float v) {
    current().set(key, v);
}
void KeyedArchiver::encodeDouble(const std::string& key, double v) {
    current().set(key, v);
}
void KeyedArchiver::encodeString(const std::string& key, const std::string& v) {
    current().set(key, v);
}
void KeyedArchiver::encodeData(const std::string& key, const Bytes& v) {
    current().set(key, v);
}
void KeyedArchiver::encodeColor(const std::string& key, const Color& v) {
    current().set(key, v);
}
void KeyedArchiver::encodeObject(const std::string& key, const PlistValue& v) {
    current().set(key, v);
}

void KeyedArchiver::encodeObject(const std::string& key, const Archivable& object) {
    frames_.push_back(PlistValue::object(object.archiveClassName()));
    object.encodeWithCoder(*this);
    PlistValue done = std::move(frames_.back());
    frames_.pop_back();
    current().set(key, std::move(done));
}

namespace {

// The archive of the top-level fields `entries`, or empty bytes with the reason in `result`.
// Running out of memory while encoding is a refusal like any other: the values stay as they
// were, and what the encoding took is given back.
template <typename Entries>
Bytes encodeArchive(const Entries& entries, IoResult* result) {
    if (result) *result = {};
    try {
        ArchiveWriter writer;
        Bytes bytes = writer.finish(entries);
        if (writer.error().empty()) return bytes;
        if (result)
            *result =
                IoResult::failure(IoStatus::InvalidData, "cannot be archived: " + writer.error());
    } catch (const std::bad_alloc&) {
        if (result)
            *result = IoResult::failure(IoStatus::WriteFailed,
                                        "cannot be archived: not enough memory to encode it");
    }
    return {};
}

// The archive written whole, or the reason it cannot be, naming the file; the file there is
// left as it was. A link at the path leads to the document: the file there is replaced, and
// the link stays a link.
template <typename Entries>
IoResult writeArchive(const std::string& path, const Entries& entries) {
    IoResult made;
    try {
        const Bytes bytes = encodeArchive(entries, &made);
        // The file would be refused when opened.
        if (made.ok() && bytes.size() > kDocumentFileLimit)
            made = IoResult::failure(
                IoStatus::InvalidData,
                "cannot be archived: it would take " + std::to_string(bytes.size()) +
                    " bytes, more than the " + std::to_string(kDocumentFileLimit) +
                    " a document file may have");
        if (made.ok()) return writeFileAtomically(path, bytes, AtomicFile::Links::Follow);
    } catch (const std::bad_alloc&) {
        made = IoResult::failure(IoStatus::WriteFailed, "cannot be written: not enough memory");
    }
    made.message = "'" + path + "' " + made.message;
    return made;
}

// The single top-level field of an archive of one value, referring to it where it is.
using OneField = std::pair<const std::string&, const PlistValue&>;

}  // namespace

Bytes KeyedArchiver::encodedData(IoResult* result) const {
    return encodeArchive(frames_.front().entries(), result);
}

IoResult KeyedArchiver::writeToFile(const std::string& path) const {
    return writeArchive(path, frames_.front().entries());
}

Bytes KeyedArchiver::archivedData(const PlistValue& value, const std::string& key,
                                  IoResult* result) {
    const OneField top[] = {{key, value}};
    return encodeArchive(top, result);
}

IoResult KeyedArchiver::archiveToFile(const std::string& path, const PlistValue& value,
                                      const std::string& key) {
    const OneField top[] = {{key, value}};
    return writeArchive(path, top);
}

}  // namespace vornex
