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

using Node = PlistTree::Node;
using NodeType = PlistTree::Type;

std::optional<std::uint64_t> nodeUnsigned(const PlistTree& tree, Node node) {
    return tree.unsignedValue(node);
}

// A reference to an entry of "$objects". XML property lists have no reference type: there a
// reference is a dictionary whose one key "CF$UID" holds the index, which libplist's XML
// reader leaves a dictionary.
std::optional<std::uint64_t> nodeUid(const PlistTree& tree, Node node) {
    const NodeType t = tree.type(node);
    if (t == NodeType::Dictionary && tree.size(node) == 1)
        return nodeUnsigned(tree, tree.get(node, "CF$UID"));
    if (t != NodeType::Uid) return std::nullopt;
    return tree.number(node);
}

// Calls f(key, value) for every entry of a dictionary node but "$class", in order, until f
// returns false.
template <typename F>
void forEachField(const PlistTree& tree, Node dict, F f) {
    tree.forEachEntry(dict, [&f](std::string key, Node value) {
        return key == "$class" || !value || f(std::move(key), value);
    });
}

// Reads the "$top" fields of an archive, decoding an entry of "$objects" once for every
// reference to it. The memory the decoded values will take (each value, the storage of strings,
// data and containers, the keys of dictionaries) is worked out first, each entry measured
// once, so that an archive fanning out through shared entries is refused before any of it is
// decoded.
class ArchiveReader {
   public:
    ArchiveReader(const PlistTree& tree, Node objects, std::size_t inputSize)
        : tree_(tree),
          objects_(tree.items(objects)),
          busy_(objects_.size(), false),
          sizes_(objects_.size(), 0),
          inputSize_(inputSize),
          budget_(PlistNode::expansionBudget(inputSize)) {}

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }

    PlistValue read(Node top) {
        std::uint64_t size = measureFields(top, 0);
        if (failed()) return {};
        if (size > budget_)
            return fail("shared objects expand the archive beyond the memory allowed a file of " +
                        std::to_string(inputSize_) + " bytes");
        return fieldsOf(top, PlistValue::dictionary(), 0);
    }

   private:
    PlistValue fail(const std::string& why) {
        if (error_.empty()) error_ = why;
        return {};
    }

    // ----------------------------------------------------------------- measuring
    // The walk of the decoding below, with the same depths, summing bytes instead of building.

    std::uint64_t add(std::uint64_t a, std::uint64_t b) const {
        return std::min(a + b, budget_ + 1);
    }

    std::uint64_t refuse(const char* why) {
        fail(why);
        return 1;
    }

    // Bytes of the text of a dictionary key stored at an archive entry (0 when it is no
    // string: the decoding refuses it).
    std::uint64_t keyLength(std::uint64_t uid) const {
        if (uid == 0 || uid >= objects_.size()) return 0;
        const Node node = objects_[uid];
        if (tree_.type(node) == NodeType::String) return tree_.payloadSize(node);
        return tree_.payloadSize(tree_.get(node, "NS.string"));
    }

    std::uint64_t measure(std::uint64_t uid, int depth) {
        if (failed() || uid == 0 || uid >= objects_.size()) return kValueBytes;
        if (depth > kMaxDepth) return refuse("objects nest too deeply");
        if (busy_[uid]) return refuse("an object contains itself");
        if (sizes_[uid] != 0) return sizes_[uid];
        busy_[uid] = true;
        Node node = objects_[uid];
        std::uint64_t n = heapValueBytes(0);
        auto refs = [&](const char* key, bool keys) {
            tree_.forEachItem(tree_.get(node, key), [&](Node item) {
                auto ref = nodeUid(tree_, item);
                if (!ref) return;
                // Each element is a value in the list (and again while a dictionary's values
                // are gathered); each key a text beside it.
                n = add(n,
                        keys ? keyBytes(keyLength(*ref)) + kValueBytes : measure(*ref, depth + 1));
            });
        };
        switch (kindOf(node)) {
            case Kind::Scalar: {
                const NodeType t = tree_.type(node);
                n = t == NodeType::String || t == NodeType::Data
                        ? heapValueBytes(tree_.payloadSize(node))
                        : kValueBytes;
                break;
            }
            case Kind::Dictionary:
                refs("NS.keys", true);
                [[fallthrough]];
            case Kind::Array:
                refs("NS.objects", false);
                break;
            case Kind::String:
                n += tree_.payloadSize(tree_.get(node, "NS.string"));
                break;
            case Kind::Data:
                n += tree_.payloadSize(tree_.get(node, "NS.data"));
                break;
            case Kind::Color:
                if (drawnColor(node)) break;
                [[fallthrough]];
            case Kind::Object:
                n = add(n + className(node).size(), measureFields(node, depth));
                break;
            case Kind::Unclassed:
                break;
        }
        busy_[uid] = false;
        return sizes_[uid] = std::min(n, budget_ + 1);
    }

    std::uint64_t measureField(Node node, int depth) {
        if (failed()) return 1;
        if (depth > kMaxDepth) return refuse("objects nest too deeply");
        if (auto uid = nodeUid(tree_, node)) return measure(*uid, depth + 1);
        const NodeType t = tree_.type(node);
        if (t == NodeType::Array) {
            // Plain containers are not measured once and shared: the walk stops at the budget.
            std::uint64_t n = heapValueBytes(0);
            tree_.forEachItem(node, [&](Node item) {
                if (n <= budget_) n = add(n, measureField(item, depth + 1));
            });
            return n;
        }
        if (t == NodeType::Dictionary) return add(heapValueBytes(0), measureFields(node, depth));
        if (t == NodeType::String || t == NodeType::Data)
            return heapValueBytes(tree_.payloadSize(node));
        return kValueBytes;
    }

    std::uint64_t measureFields(Node dict, int depth) {
        std::uint64_t n = 0;
        forEachField(tree_, dict, [&](std::string key, Node value) {
            n = add(n, keyBytes(key.size()) + measureField(value, depth + 1));
            return !failed() && n <= budget_;
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
    PlistValue field(Node node, int depth) {
        if (failed()) return {};
        if (depth > kMaxDepth) return fail("objects nest too deeply");
        if (auto uid = nodeUid(tree_, node)) return object(*uid, depth + 1);
        if (tree_.type(node) == NodeType::Array) {
            PlistValue a = PlistValue::array();
            for (Node item : tree_.items(node)) {
                if (failed()) break;
                a.append(field(item, depth + 1));
            }
            return a;
        }
        if (tree_.type(node) == NodeType::Dictionary)
            return fieldsOf(node, PlistValue::dictionary(), depth);
        return scalar(node);
    }

    // A value as the file holds it: an integer no 64-bit signed value holds is refused, not
    // read modulo 2^64.
    PlistValue scalar(Node node) {
        if (tree_.type(node) == NodeType::Integer && !tree_.signedValue(node))
            return fail("an integer lies beyond the range of a 64-bit signed value");
        // A date (or another value a document cannot hold) would be saved back as nothing.
        if (tree_.type(node) == NodeType::Other)
            return fail("the archive holds a date or another value a document cannot keep");
        return tree_.scalar(node);
    }

    PlistValue fieldsOf(Node dict, PlistValue into, int depth) {
        std::vector<PlistValue::Entry> entries;
        forEachField(tree_, dict, [&](std::string key, Node value) {
            entries.emplace_back(std::move(key), field(value, depth + 1));
            return !failed();
        });
        into.setEntries(std::move(entries));
        return into;
    }

    std::string className(Node dict) {
        auto uid = nodeUid(tree_, tree_.get(dict, "$class"));
        if (!uid || *uid >= objects_.size()) return {};
        Node cls = objects_[*uid];
        if (tree_.type(cls) != NodeType::Dictionary) return {};
        return tree_.string(tree_.get(cls, "$classname"));
    }

    Kind kindOf(Node node) {
        if (tree_.type(node) != NodeType::Dictionary) return Kind::Scalar;
        return kindOfClass(className(node));
    }

    PlistValue references(Node array, int depth) {
        PlistValue out = PlistValue::array();
        if (tree_.type(array) != NodeType::Array) return fail("a collection has no element list");
        const std::vector<Node> items = tree_.items(array);
        out.mutableItems()->reserve(items.size());
        for (Node item : items) {
            auto uid = nodeUid(tree_, item);
            if (!uid) return fail("a collection element is not a reference");
            out.append(object(*uid, depth + 1));
            if (failed()) break;
        }
        return out;
    }

    // The colour of an RGB or grey colour entry; none for any other (a catalogue colour, a
    // pattern, a damaged one), which keeps its fields so that it is saved as it was read.
    // Its components are inline data: a reference there is no colour's.
    std::optional<Color> drawnColor(Node dict) {
        const auto space = nodeUnsigned(tree_, tree_.get(dict, "NSColorSpace"));
        const char* key = space ? colourComponentsKey(*space) : nullptr;
        if (key == nullptr) return std::nullopt;
        const Node comps = tree_.get(dict, key);
        if (tree_.type(comps) != NodeType::Data) return std::nullopt;
        return drawnColour(*space, tree_.data(comps));
    }

    PlistValue color(Node dict, int depth) {
        if (const std::optional<Color> c = drawnColor(dict)) return PlistValue(*c);
        return fieldsOf(dict, PlistValue::object("NSColor"), depth);
    }

    PlistValue convert(Node node, int depth) {
        // Nil is reference 0 alone: a string "$null" anywhere else is text a user typed.
        if (!node) return fail("a reference points outside the object table");
        switch (kindOf(node)) {
            case Kind::Scalar:
                return scalar(node);
            case Kind::Unclassed:
                return fail("an object has no class");
            case Kind::Array:
                return references(tree_.get(node, "NS.objects"), depth);
            case Kind::Dictionary:
                return dictionary(node, depth);
            case Kind::String:
                return PlistValue(tree_.string(tree_.get(node, "NS.string")));
            case Kind::Data:
                return PlistValue(tree_.data(tree_.get(node, "NS.data")));
            case Kind::Color:
                return color(node, depth);
            case Kind::Object:
                break;
        }
        return fieldsOf(node, PlistValue::object(className(node)), depth);
    }

    PlistValue dictionary(Node node, int depth) {
        // Keys are decoded once for every archive entry that holds one: a case list repeats
        // the same keys in every case.
        const Node keyList = tree_.get(node, "NS.keys");
        if (tree_.type(keyList) != NodeType::Array) return fail("a collection has no element list");
        const std::vector<Node> keyItems = tree_.items(keyList);
        std::vector<const Key*> keys;
        keys.reserve(keyItems.size());
        ++stamp_;
        bool distinct = true;
        for (Node item : keyItems) {
            auto uid = nodeUid(tree_, item);
            if (!uid) return fail("a collection element is not a reference");
            const Key* key = keyOf(*uid, depth);
            if (failed()) return {};
            // A key met twice in one dictionary: the entries are merged as a reader merges them.
            if (seen_[key->id] == stamp_) distinct = false;
            seen_[key->id] = stamp_;
            keys.push_back(key);
        }
        PlistValue values = references(tree_.get(node, "NS.objects"), depth);
        if (failed()) return {};
        if (keys.size() != values.size())
            return fail("a dictionary has more keys than values or fewer");
        std::vector<PlistValue::Entry> entries;
        entries.reserve(keys.size());
        PlistValue::Array& valueItems = *values.mutableItems();
        for (std::size_t i = 0; i < keys.size(); ++i)
            entries.emplace_back(keys[i]->text, std::move(valueItems[i]));
        PlistValue d = PlistValue::dictionary();
        if (distinct)
            d.setDistinctEntries(std::move(entries));
        else
            d.setEntries(std::move(entries));
        return d;
    }

    // The string of a dictionary key stored at an archive entry; null (and the reader failed)
    // when the entry holds no string.
    // A key's text and a number that equal texts share.
    struct Key {
        std::string text;
        std::size_t id;
    };
    const Key* keyOf(std::uint64_t uid, int depth) {
        // The depth is checked before the shared key is looked up, so that whether a key nests
        // too deeply does not depend on where it was met first.
        if (depth + 1 > kMaxDepth) {
            fail("objects nest too deeply");
            return nullptr;
        }
        auto it = keys_.find(uid);
        if (it != keys_.end()) return &it->second;
        // Anything but text is refused before it is decoded: keys are not measured beyond
        // their text.
        const Node node = uid < objects_.size() ? objects_[uid] : 0;
        if (node && uid != 0 && tree_.type(node) != NodeType::String &&
            kindOf(node) != Kind::String) {
            fail("a dictionary key is not a string");
            return nullptr;
        }
        PlistValue key = object(uid, depth + 1);
        if (failed()) return nullptr;
        if (!key.isString()) {
            fail("a dictionary key is not a string");
            return nullptr;
        }
        auto [text, fresh] = keyIds_.try_emplace(key.toString(), keyIds_.size());
        if (fresh) seen_.push_back(0);
        return &keys_.emplace(uid, Key{key.toString(), text->second}).first->second;
    }

    const PlistTree& tree_;
    std::vector<Node> objects_;
    std::unordered_map<std::uint64_t, Key> keys_;
    std::unordered_map<std::string, std::size_t> keyIds_;
    // The dictionary in which each key id was last met.
    std::vector<std::uint64_t> seen_;
    std::uint64_t stamp_ = 0;
    std::vector<bool> busy_;
    std::vector<std::uint64_t> sizes_;  // expanded size of each entry once measured, else 0
    std::size_t inputSize_;
    std::uint64_t budget_;
    std::string error_;
};

}  // namespace

KeyedUnarchiver::KeyedUnarchiver(const Bytes& data) {
    // Reading allocates what the budget lets through; when even that cannot be had, the
    // archive is refused like any other that cannot be read, and nothing of it is kept.
    try {
        read(data);
    } catch (const std::bad_alloc&) {
        top_ = PlistValue::dictionary();
        result_ = outOfMemory(data.size());
    }
}

void KeyedUnarchiver::read(const Bytes& data) {
    auto invalid = [this](const std::string& why) {
        result_ = IoResult::failure(IoStatus::InvalidData, "not a keyed archive: " + why);
    };
    std::string error;
    // A binary list is read in place, after the checks libplist's reader would get; other
    // forms through libplist's tree.
    static const char kBinaryMagic[] = "bplist00";
    const bool binary = data.size() >= 8 && std::memcmp(data.data(), kBinaryMagic, 8) == 0;
    PlistNode parsed = binary ? PlistNode() : PlistNode::parse(data, error);
    std::unique_ptr<PlistTree> tree;
    if (binary) {
        if (!PlistNode::checkBinary(data, error)) {
            invalid(error);
            return;
        }
        tree = PlistTree::ofCheckedBinary(data);
    } else {
        if (!parsed) {
            invalid(error);
            return;
        }
        tree = PlistTree::of(parsed.get());
    }
    const Node root = tree->root();
    if (tree->type(root) != NodeType::Dictionary) {
        invalid("the root is not a dictionary");
        return;
    }
    if (tree->string(tree->get(root, "$archiver")) != "NSKeyedArchiver") {
        invalid("no \"$archiver\" entry");
        return;
    }
    const Node objects = tree->get(root, "$objects");
    const Node top = tree->get(root, "$top");
    if (tree->type(objects) != NodeType::Array) {
        invalid("no object table");
        return;
    }
    if (tree->type(top) != NodeType::Dictionary) {
        invalid("no top-level keys");
        return;
    }
    ArchiveReader reader(*tree, objects, data.size());
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
    // Moved out, not copied: a large document would take twice its memory for a moment.
    return std::move(*u.top_.find(key));
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

namespace keyedarchive {

std::optional<Color> drawnColour(std::uint64_t space, const Bytes& components) {
    const char* key = colourComponentsKey(space);
    if (key == nullptr) return std::nullopt;
    const bool white = std::strcmp(key, "NSWhite") == 0;
    std::string s(components.begin(), components.end());
    if (std::size_t zero = s.find('\0'); zero != std::string::npos) s.resize(zero);
    std::vector<double> c;
    for (const char *p = s.data(), *end = p + s.size(); p < end;) {
        while (p < end && (*p == ' ' || *p == '\t' || *p == '\n')) ++p;
        if (p == end) break;
        double v = 0;
        const auto r = std::from_chars(p, end, v);
        if (r.ec != std::errc() || !(v >= 0.0 && v <= 1.0)) return std::nullopt;
        c.push_back(v);
        if (c.size() > (white ? 2u : 4u)) return std::nullopt;
        p = r.ptr;
    }
    const bool calibrated = space == kCalibratedRGB || space == kCalibratedWhite;
    auto make = calibrated ? &Color::calibratedRGB : &Color::deviceRGB;
    if (white && !c.empty()) return make(c[0], c[0], c[0], c.size() > 1 ? c[1] : 1.0);
    if (!white && c.size() >= 3) return make(c[0], c[1], c[2], c.size() > 3 ? c[3] : 1.0);
    return std::nullopt;
}

}  // namespace keyedarchive

}  // namespace vornex
