#include "platform/KeyedArchiver.h"

#include <bit>
#include <charconv>
#include <map>
#include <optional>
#include <unordered_map>

#include "platform/BinaryPlistWriter.h"
#include "platform/PlistNode.h"

namespace vornex {

namespace {

constexpr std::uint64_t kArchiveVersion = 100000;
// Decoding stops beyond this: an archive that references itself or nests without end is
// refused instead of exhausting the stack. One that expands shared objects into a huge tree is
// refused past PlistNode::expansionBudget.
constexpr int kMaxDepth = 512;

// ---------------------------------------------------------------------------------------------
// Writing

enum ColorSpaceCode : std::uint64_t {
    kCalibratedRGB = 1,
    kDeviceRGB = 2,
    kCalibratedWhite = 3,
    kDeviceWhite = 4,
};

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

// Writes the archive straight into a binary property list: every entry of "$objects" is
// written as soon as it is complete, and "$objects" itself, the "$top" fields and the root
// dictionary last. Equal strings and numbers are stored once, as the platform's archiver stores
// a shared object once: a case list repeats the same keys in every case.
class ArchiveWriter {
   public:
    using Ref = BinaryPlistWriter::Ref;

    ArchiveWriter() { objects_.push_back(out_.addString("$null")); }

    // Adds the value to "$objects" and returns its index (0 for nil).
    std::uint64_t add(const PlistValue& v) {
        using T = PlistValue::Type;
        switch (v.type()) {
            case T::Null:
                return 0;
            case T::Bool:
                return shared(bools_[v.toBool() ? 1 : 0], [&] { return out_.addBool(v.toBool()); });
            case T::Integer: {
                auto u = static_cast<std::uint64_t>(v.toInteger());
                return shared(integers_[u], [&] { return out_.addUnsigned(u); });
            }
            case T::Real: {
                const double d = v.toDouble();
                return shared(reals_[std::bit_cast<std::uint64_t>(d)],
                              [&] { return out_.addReal(d); });
            }
            case T::String:
                return string(v.toString());
            case T::Data:
                return append(data(v.toData()));
            case T::Color: {
                const Color c = v.toColor();
                const Ref space = out_.addUnsigned(c.space() == ColorSpace::CalibratedRGB
                                                       ? kCalibratedRGB
                                                       : kDeviceRGB);
                const Ref rgb = data(rgbComponents(c));
                const Ref cls = uid(classUid("NSColor", {"NSColor"}));
                return append(dictionary({"NSColorSpace", "NSRGB", "$class"}, {space, rgb, cls}));
            }
            case T::Array: {
                std::vector<Ref> refs;
                refs.reserve(v.items().size());
                for (const PlistValue& item : v.items()) refs.push_back(uid(add(item)));
                const Ref items = out_.addArray(refs);
                const Ref cls = uid(classUid("NSMutableArray", {"NSMutableArray", "NSArray"}));
                return append(dictionary({"NS.objects", "$class"}, {items, cls}));
            }
            case T::Dictionary: {
                std::vector<Ref> keys, values;
                keys.reserve(v.entries().size());
                values.reserve(v.entries().size());
                for (const PlistValue::Entry& e : v.entries()) {
                    keys.push_back(uid(string(e.first)));
                    values.push_back(uid(add(e.second)));
                }
                const Ref k = out_.addArray(keys), o = out_.addArray(values);
                const Ref cls = uid(
                    classUid("NSMutableDictionary", {"NSMutableDictionary", "NSDictionary"}));
                return append(dictionary({"NS.keys", "NS.objects", "$class"}, {k, o, cls}));
            }
            case T::Object: {
                std::vector<std::string> names;
                std::vector<Ref> values;
                fields(v, names, values);
                names.push_back("$class");
                values.push_back(uid(classUid(v.className(), {v.className()})));
                return append(dictionary(names, values));
            }
        }
        return 0;
    }

    Bytes finish(const PlistValue& top) {
        std::vector<std::string> names;
        std::vector<Ref> values;
        fields(top, names, values);
        const Ref topDict = dictionary(names, values);
        const Ref version = out_.addUnsigned(kArchiveVersion);
        const Ref archiver = out_.addString("NSKeyedArchiver");
        const Ref objects = out_.addArray(objects_);
        const Ref root = dictionary({"$version", "$archiver", "$top", "$objects"},
                                    {version, archiver, topDict, objects});
        return out_.finish(root);
    }

   private:
    // The fields of an object (or of "$top"): numbers inline, everything else referenced.
    void fields(const PlistValue& v, std::vector<std::string>& names, std::vector<Ref>& values) {
        for (const PlistValue::Entry& e : v.entries()) {
            const PlistValue& f = e.second;
            Ref node = 0;
            switch (f.type()) {
                case PlistValue::Type::Bool:
                    node = out_.addBool(f.toBool());
                    break;
                case PlistValue::Type::Integer:
                    node = out_.addUnsigned(static_cast<std::uint64_t>(f.toInteger()));
                    break;
                case PlistValue::Type::Real:
                    node = out_.addReal(f.toDouble());
                    break;
                default:
                    node = uid(add(f));
                    break;
            }
            names.push_back(e.first);
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
    std::uint64_t string(const std::string& s) {
        return shared(strings_[s], [&] { return out_.addString(s); });
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
    std::unordered_map<std::string, std::uint64_t> strings_;
};

// ---------------------------------------------------------------------------------------------
// Reading

std::optional<std::uint64_t> nodeUnsigned(plist_t node) {
    if (!node || plist_get_node_type(node) != PLIST_UINT) return std::nullopt;
    uint64_t v = 0;
    plist_get_uint_val(node, &v);
    return v;
}

// A reference to an entry of "$objects". XML property lists have no reference type: there a
// reference is a dictionary whose one key "CF$UID" holds the index, which libplist's XML
// reader leaves a dictionary.
std::optional<std::uint64_t> nodeUid(plist_t node) {
    if (!node) return std::nullopt;
    if (plist_get_node_type(node) == PLIST_DICT && plist_dict_get_size(node) == 1)
        return nodeUnsigned(plist_dict_get_item(node, "CF$UID"));
    if (plist_get_node_type(node) != PLIST_UID) return std::nullopt;
    uint64_t v = 0;
    plist_get_uid_val(node, &v);
    return v;
}

// Components of an "NSRGB" or "NSWhite" string: numbers separated by blanks, maybe ended by 0.
std::vector<double> parseComponents(const Bytes& b) {
    std::vector<double> out;
    std::string s(b.begin(), b.end());
    if (std::size_t zero = s.find('\0'); zero != std::string::npos) s.resize(zero);
    const char* p = s.data();
    const char* end = p + s.size();
    while (p < end && out.size() < 8) {
        while (p < end && (*p == ' ' || *p == '\t' || *p == '\n')) ++p;
        if (p == end) break;
        double v = 0;
        auto r = std::from_chars(p, end, v);
        if (r.ec != std::errc()) return {};
        out.push_back(v);
        p = r.ptr;
    }
    return out;
}

// Bytes of a string or data node; 0 for other nodes.
std::uint64_t payloadOf(plist_t node) {
    uint64_t length = 0;
    if (node && plist_get_node_type(node) == PLIST_STRING) plist_get_string_ptr(node, &length);
    if (node && plist_get_node_type(node) == PLIST_DATA) plist_get_data_ptr(node, &length);
    return length;
}

// Calls f(key, value) for every entry of a dictionary node but "$class", in order, until f
// returns false.
template <typename F>
void forEachField(plist_t dict, F f) {
    PlistNode::forEachEntry(dict, [&f](std::string key, plist_t value) {
        return key == "$class" || !value || f(std::move(key), value);
    });
}

// What an entry of "$objects" decodes to, by its class.
enum class Kind { Scalar, Array, Dictionary, String, Data, Color, Object, Unclassed };

// Reads the "$top" fields of an archive, decoding an entry of "$objects" once for every
// reference to it. The expanded size (values, bytes of strings and data, bytes of keys) is
// worked out first, each entry measured once, so that an archive fanning out through shared
// entries is refused before any of it is decoded.
class ArchiveReader {
   public:
    ArchiveReader(plist_t objects, std::size_t inputSize)
        : objects_(PlistNode::itemsOf(objects)),
          busy_(objects_.size(), false),
          sizes_(objects_.size(), 0),
          inputSize_(inputSize),
          budget_(PlistNode::expansionBudget(inputSize)) {}

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }

    PlistValue read(plist_t top) {
        std::uint64_t size = measureFields(top, 0);
        if (failed()) return {};
        if (size > budget_)
            return fail("shared objects expand the archive beyond the limit for a file of " +
                        std::to_string(inputSize_) + " bytes");
        return fieldsOf(top, PlistValue::dictionary(), 0);
    }

   private:
    PlistValue fail(const std::string& why) {
        if (error_.empty()) error_ = why;
        return {};
    }

    // ----------------------------------------------------------------- measuring
    // The walk of the decoding below, with the same depths, summing instead of building.

    std::uint64_t add(std::uint64_t a, std::uint64_t b) const {
        return std::min(a + b, budget_ + 1);
    }

    std::uint64_t refuse(const char* why) {
        fail(why);
        return 1;
    }

    std::uint64_t measure(std::uint64_t uid, int depth) {
        if (failed() || uid == 0 || uid >= objects_.size()) return 1;
        if (depth > kMaxDepth) return refuse("objects nest too deeply");
        if (busy_[uid]) return refuse("an object contains itself");
        if (sizes_[uid] != 0) return sizes_[uid];
        busy_[uid] = true;
        plist_t node = objects_[uid];
        std::uint64_t n = 1;
        auto refs = [&](const char* key) {
            for (plist_t item : PlistNode::itemsOf(plist_dict_get_item(node, key)))
                if (auto ref = nodeUid(item)) n = add(n, measure(*ref, depth + 1));
        };
        switch (kindOf(node)) {
            case Kind::Scalar:
                n += payloadOf(node);
                break;
            case Kind::Dictionary:
                refs("NS.keys");
                [[fallthrough]];
            case Kind::Array:
                refs("NS.objects");
                break;
            case Kind::String:
                n += payloadOf(plist_dict_get_item(node, "NS.string"));
                break;
            case Kind::Data:
                n += payloadOf(plist_dict_get_item(node, "NS.data"));
                break;
            case Kind::Object:
                n = add(n + className(node).size(), measureFields(node, depth));
                break;
            case Kind::Color:
            case Kind::Unclassed:
                break;
        }
        busy_[uid] = false;
        return sizes_[uid] = std::min(n, budget_ + 1);
    }

    std::uint64_t measureField(plist_t node, int depth) {
        if (failed()) return 1;
        if (depth > kMaxDepth) return refuse("objects nest too deeply");
        if (auto uid = nodeUid(node)) return measure(*uid, depth + 1);
        std::uint64_t n = 1 + payloadOf(node);
        if (plist_get_node_type(node) == PLIST_ARRAY)
            for (plist_t item : PlistNode::itemsOf(node)) n = add(n, measureField(item, depth + 1));
        if (plist_get_node_type(node) == PLIST_DICT) n = add(n, measureFields(node, depth));
        return n;
    }

    std::uint64_t measureFields(plist_t dict, int depth) {
        std::uint64_t n = 0;
        forEachField(dict, [&](std::string key, plist_t value) {
            n = add(n, key.size() + measureField(value, depth + 1));
            return !failed();
        });
        return n;
    }

    // ----------------------------------------------------------------- decoding

    PlistValue object(std::uint64_t uid, int depth) {
        if (failed()) return {};
        if (uid >= objects_.size()) return fail("a reference points outside the object table");
        if (uid == 0) return {};
        if (depth > kMaxDepth) return fail("objects nest too deeply");
        if (busy_[uid]) return fail("an object contains itself");
        busy_[uid] = true;
        PlistValue v = convert(objects_[uid], depth);
        busy_[uid] = false;
        return v;
    }

    // A field of an object or of "$top": inline scalars, references, or plain containers.
    PlistValue field(plist_t node, int depth) {
        if (failed()) return {};
        if (depth > kMaxDepth) return fail("objects nest too deeply");
        if (auto uid = nodeUid(node)) return object(*uid, depth + 1);
        if (plist_get_node_type(node) == PLIST_ARRAY) {
            PlistValue a = PlistValue::array();
            for (plist_t item : PlistNode::itemsOf(node)) {
                if (failed()) break;
                a.append(field(item, depth + 1));
            }
            return a;
        }
        if (plist_get_node_type(node) == PLIST_DICT)
            return fieldsOf(node, PlistValue::dictionary(), depth);
        return PlistNode::scalarOf(node);
    }

    PlistValue fieldsOf(plist_t dict, PlistValue into, int depth) {
        std::vector<PlistValue::Entry> entries;
        forEachField(dict, [&](std::string key, plist_t value) {
            entries.emplace_back(std::move(key), field(value, depth + 1));
            return !failed();
        });
        into.setEntries(std::move(entries));
        return into;
    }

    std::string className(plist_t dict) {
        auto uid = nodeUid(plist_dict_get_item(dict, "$class"));
        if (!uid || *uid >= objects_.size()) return {};
        plist_t cls = objects_[*uid];
        if (!cls || plist_get_node_type(cls) != PLIST_DICT) return {};
        return PlistNode::stringOf(plist_dict_get_item(cls, "$classname"));
    }

    Kind kindOf(plist_t node) {
        if (plist_get_node_type(node) != PLIST_DICT) return Kind::Scalar;
        std::string cls = className(node);
        if (cls.empty()) return Kind::Unclassed;
        if (cls == "NSArray" || cls == "NSMutableArray" || cls == "NSSet" ||
            cls == "NSMutableSet" || cls == "NSOrderedSet" || cls == "NSMutableOrderedSet")
            return Kind::Array;
        if (cls == "NSDictionary" || cls == "NSMutableDictionary") return Kind::Dictionary;
        if (cls == "NSString" || cls == "NSMutableString") return Kind::String;
        if (cls == "NSData" || cls == "NSMutableData") return Kind::Data;
        if (cls == "NSColor") return Kind::Color;
        return Kind::Object;
    }

    PlistValue references(plist_t array, int depth) {
        PlistValue out = PlistValue::array();
        if (!array || plist_get_node_type(array) != PLIST_ARRAY)
            return fail("a collection has no element list");
        for (plist_t item : PlistNode::itemsOf(array)) {
            auto uid = nodeUid(item);
            if (!uid) return fail("a collection element is not a reference");
            out.append(object(*uid, depth + 1));
            if (failed()) break;
        }
        return out;
    }

    PlistValue color(plist_t dict) {
        auto space = nodeUnsigned(plist_dict_get_item(dict, "NSColorSpace"));
        if (!space) return PlistValue::object("NSColor");
        bool white = *space == kCalibratedWhite || *space == kDeviceWhite;
        plist_t comps = plist_dict_get_item(dict, white ? "NSWhite" : "NSRGB");
        if (!comps || plist_get_node_type(comps) != PLIST_DATA)
            return PlistValue::object("NSColor");
        std::vector<double> c = parseComponents(PlistNode::dataOf(comps));
        bool calibrated = *space == kCalibratedRGB || *space == kCalibratedWhite;
        auto make = calibrated ? &Color::calibratedRGB : &Color::deviceRGB;
        if (white && !c.empty())
            return PlistValue(make(c[0], c[0], c[0], c.size() > 1 ? c[1] : 1.0));
        if (!white && c.size() >= 3 && (*space == kCalibratedRGB || *space == kDeviceRGB))
            return PlistValue(make(c[0], c[1], c[2], c.size() > 3 ? c[3] : 1.0));
        // Other colour spaces (named catalogue colours, patterns) are kept as plain objects.
        return PlistValue::object("NSColor");
    }

    PlistValue convert(plist_t node, int depth) {
        if (!node) return fail("a reference points outside the object table");
        if (plist_get_node_type(node) == PLIST_STRING && PlistNode::stringOf(node) == "$null")
            return {};
        switch (kindOf(node)) {
            case Kind::Scalar:
                return PlistNode::scalarOf(node);
            case Kind::Unclassed:
                return fail("an object has no class");
            case Kind::Array:
                return references(plist_dict_get_item(node, "NS.objects"), depth);
            case Kind::Dictionary:
                return dictionary(node, depth);
            case Kind::String:
                return PlistValue(PlistNode::stringOf(plist_dict_get_item(node, "NS.string")));
            case Kind::Data:
                return PlistValue(PlistNode::dataOf(plist_dict_get_item(node, "NS.data")));
            case Kind::Color:
                return color(node);
            case Kind::Object:
                break;
        }
        return fieldsOf(node, PlistValue::object(className(node)), depth);
    }

    PlistValue dictionary(plist_t node, int depth) {
        PlistValue keys = references(plist_dict_get_item(node, "NS.keys"), depth);
        PlistValue values = references(plist_dict_get_item(node, "NS.objects"), depth);
        if (failed()) return {};
        if (keys.size() != values.size())
            return fail("a dictionary has more keys than values or fewer");
        std::vector<PlistValue::Entry> entries;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (!keys.at(i).isString()) return fail("a dictionary key is not a string");
            entries.emplace_back(keys.at(i).toString(), values.at(i));
        }
        PlistValue d = PlistValue::dictionary();
        d.setEntries(std::move(entries));
        return d;
    }

    std::vector<plist_t> objects_;
    std::vector<bool> busy_;
    std::vector<std::uint64_t> sizes_;  // expanded size of each entry once measured, else 0
    std::size_t inputSize_;
    std::uint64_t budget_;
    std::string error_;
};

}  // namespace

// -------------------------------------------------------------------------------------------------

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

Bytes KeyedArchiver::encodedData() const {
    ArchiveWriter writer;
    return writer.finish(frames_.front());
}

IoResult KeyedArchiver::writeToFile(const std::string& path) const {
    return writeFileAtomically(path, encodedData());
}

Bytes KeyedArchiver::archivedData(const PlistValue& value, const std::string& key) {
    KeyedArchiver archiver;
    archiver.encodeObject(key, value);
    return archiver.encodedData();
}

IoResult KeyedArchiver::archiveToFile(const std::string& path, const PlistValue& value,
                                      const std::string& key) {
    return writeFileAtomically(path, archivedData(value, key));
}

// -------------------------------------------------------------------------------------------------

KeyedUnarchiver::KeyedUnarchiver(const Bytes& data) {
    auto invalid = [this](const std::string& why) {
        result_ = IoResult::failure(IoStatus::InvalidData, "not a keyed archive: " + why);
    };
    std::string error;
    PlistNode root = PlistNode::parse(data, error);
    if (!root) {
        invalid(error);
        return;
    }
    if (plist_get_node_type(root.get()) != PLIST_DICT) {
        invalid("the root is not a dictionary");
        return;
    }
    if (PlistNode::stringOf(plist_dict_get_item(root.get(), "$archiver")) != "NSKeyedArchiver") {
        invalid("no \"$archiver\" entry");
        return;
    }
    plist_t objects = plist_dict_get_item(root.get(), "$objects");
    plist_t top = plist_dict_get_item(root.get(), "$top");
    if (!objects || plist_get_node_type(objects) != PLIST_ARRAY) {
        invalid("no object table");
        return;
    }
    if (!top || plist_get_node_type(top) != PLIST_DICT) {
        invalid("no top-level keys");
        return;
    }
    ArchiveReader reader(objects, data.size());
    PlistValue decoded = reader.read(top);
    if (reader.failed()) {
        invalid(reader.error());
        return;
    }
    top_ = std::move(decoded);
}

KeyedUnarchiver KeyedUnarchiver::fromFile(const std::string& path) {
    Bytes bytes;
    IoResult read = readFileBytes(path, bytes);
    if (!read) {
        KeyedUnarchiver u;
        u.result_ = read;
        return u;
    }
    KeyedUnarchiver u(bytes);
    if (!u.ok()) u.result_.message = "'" + path + "' is " + u.result_.message;
    return u;
}

const PlistValue& KeyedUnarchiver::valueFor(const std::string& key) const {
    return current().get(key);
}

bool KeyedUnarchiver::containsValue(const std::string& key) const {
    return current().contains(key);
}
bool KeyedUnarchiver::decodeBool(const std::string& key) const {
    return valueFor(key).toBool();
}
std::int64_t KeyedUnarchiver::decodeInt(const std::string& key) const {
    return valueFor(key).toInteger();
}
float KeyedUnarchiver::decodeFloat(const std::string& key) const {
    return static_cast<float>(valueFor(key).toDouble());
}
double KeyedUnarchiver::decodeDouble(const std::string& key) const {
    return valueFor(key).toDouble();
}
std::string KeyedUnarchiver::decodeString(const std::string& key) const {
    return valueFor(key).toString();
}
Bytes KeyedUnarchiver::decodeData(const std::string& key) const {
    return valueFor(key).toData();
}
Color KeyedUnarchiver::decodeColor(const std::string& key, const Color& fallback) const {
    return valueFor(key).toColor(fallback);
}
bool KeyedUnarchiver::decodeColor(const std::string& key, Color& out) const {
    const PlistValue& v = valueFor(key);
    if (v.type() != PlistValue::Type::Color) return false;
    out = v.toColor();
    return true;
}
PlistValue KeyedUnarchiver::decodeObject(const std::string& key) const {
    return valueFor(key);
}

bool KeyedUnarchiver::decodeObject(const std::string& key, Archivable& object) {
    const PlistValue& v = valueFor(key);
    if (!v.isObject() && !v.isDictionary()) return false;
    frames_.push_back(&v);
    object.initWithCoder(*this);
    frames_.pop_back();
    return true;
}

PlistValue KeyedUnarchiver::unarchivedValue(const Bytes& data, const std::string& key,
                                            IoResult* result) {
    KeyedUnarchiver u(data);
    if (!u.ok()) {
        if (result) *result = u.result();
        return {};
    }
    if (!u.containsValue(key)) {
        if (result)
            *result =
                IoResult::failure(IoStatus::InvalidData, "the archive has no \"" + key + "\"");
        return {};
    }
    if (result) *result = {};
    return u.decodeObject(key);
}

PlistValue KeyedUnarchiver::unarchivedValueFromFile(const std::string& path, const std::string& key,
                                                    IoResult* result) {
    Bytes bytes;
    IoResult read = readFileBytes(path, bytes);
    if (!read) {
        if (result) *result = read;
        return {};
    }
    IoResult r;
    PlistValue v = unarchivedValue(bytes, key, &r);
    if (!r.ok()) r.message = "'" + path + "' is " + r.message;
    if (result) *result = r;
    return v;
}

}  // namespace vornex
