#include "platform/PlistTree.h"

#include <bit>
#include <cstdlib>
#include <cstring>

#include "platform/PlistNode.h"

namespace vornex {

PlistValue PlistTree::scalar(Node n) const {
    switch (type(n)) {
        case Type::Bool:
            return PlistValue(boolean(n));
        case Type::Integer:
            if (const auto v = signedValue(n)) return PlistValue(*v);
            return {};
        case Type::Real:
            return PlistValue(real(n));
        case Type::String:
            return PlistValue(string(n));
        case Type::Data:
            return PlistValue(data(n));
        default:
            return {};
    }
}

namespace {

// ----- libplist trees -----------------------------------------------------------------------

class LibplistTree : public PlistTree {
   public:
    explicit LibplistTree(plist_t root) : root_(root) {}

    static plist_t p(Node n) { return reinterpret_cast<plist_t>(n); }
    static Node n(plist_t p) { return reinterpret_cast<Node>(p); }

    Node root() const override { return n(root_); }
    Type type(Node node) const override {
        if (!node) return Type::None;
        switch (plist_get_node_type(p(node))) {
            case PLIST_BOOLEAN: return Type::Bool;
            case PLIST_UINT: return Type::Integer;
            case PLIST_REAL: return Type::Real;
            case PLIST_STRING: return Type::String;
            case PLIST_DATA: return Type::Data;
            case PLIST_UID: return Type::Uid;
            case PLIST_ARRAY: return Type::Array;
            case PLIST_DICT: return Type::Dictionary;
            default: return Type::Other;
        }
    }
    std::uint64_t size(Node node) const override {
        if (type(node) == Type::Array) return plist_array_get_size(p(node));
        if (type(node) == Type::Dictionary) return plist_dict_get_size(p(node));
        return 0;
    }
    Node get(Node dictionary, const std::string& key) const override {
        if (type(dictionary) != Type::Dictionary) return 0;
        return n(plist_dict_get_item(p(dictionary), key.c_str()));
    }
    std::vector<Node> items(Node array) const override {
        std::vector<Node> out;
        for (plist_t item : PlistNode::itemsOf(p(array))) out.push_back(n(item));
        return out;
    }
    void forEachItem(Node array, const std::function<void(Node)>& f) const override {
        for (plist_t item : PlistNode::itemsOf(p(array))) f(n(item));
    }
    void forEachEntry(Node dictionary,
                      const std::function<bool(std::string, Node)>& f) const override {
        if (type(dictionary) != Type::Dictionary) return;
        PlistNode::forEachEntry(p(dictionary),
                                [&f](std::string key, plist_t value) { return f(std::move(key), n(value)); });
    }
    std::uint64_t number(Node node) const override {
        uint64_t v = 0;
        if (type(node) == Type::Uid) plist_get_uid_val(p(node), &v);
        return v;
    }
    // libplist keeps the 64 bits; the checks before it read a list let through only what a
    // signed value holds.
    std::optional<std::int64_t> signedValue(Node node) const override {
        if (type(node) != Type::Integer) return std::nullopt;
        uint64_t v = 0;
        plist_get_uint_val(p(node), &v);
        return static_cast<std::int64_t>(v);
    }
    std::optional<std::uint64_t> unsignedValue(Node node) const override {
        const auto v = signedValue(node);
        if (!v || *v < 0) return std::nullopt;
        return static_cast<std::uint64_t>(*v);
    }
    double real(Node node) const override {
        double d = 0;
        if (type(node) == Type::Real) plist_get_real_val(p(node), &d);
        return d;
    }
    bool boolean(Node node) const override {
        uint8_t b = 0;
        if (type(node) == Type::Bool) plist_get_bool_val(p(node), &b);
        return b != 0;
    }
    std::string string(Node node) const override { return PlistNode::stringOf(p(node)); }
    Bytes data(Node node) const override { return PlistNode::dataOf(p(node)); }
    std::uint64_t payloadSize(Node node) const override {
        uint64_t length = 0;
        if (type(node) == Type::String) plist_get_string_ptr(p(node), &length);
        if (type(node) == Type::Data) plist_get_data_ptr(p(node), &length);
        return length;
    }

   private:
    plist_t root_;
};

// ----- binary lists read in place -------------------------------------------------------------

std::uint64_t bigEndian(const std::uint8_t* p, unsigned n) {
    std::uint64_t v = 0;
    for (unsigned i = 0; i < n; ++i) v = (v << 8) | p[i];
    return v;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Node i + 1 is object i of the list. The frame, the lengths and the references were checked
// before (PlistNode::checkBinary); what is read here stays within them.
class BinaryTree : public PlistTree {
   public:
    explicit BinaryTree(const Bytes& b) : b_(b) {
        const std::uint8_t* trailer = b_.data() + b_.size() - 32;
        offsetSize_ = trailer[6];
        refSize_ = trailer[7];
        count_ = bigEndian(trailer + 8, 8);
        top_ = bigEndian(trailer + 16, 8);
        table_ = bigEndian(trailer + 24, 8);
        // Every node is visited many times: its offset is read from the table once.
        offsets_.resize(count_);
        for (std::uint64_t i = 0; i < count_; ++i)
            offsets_[i] = bigEndian(b_.data() + table_ + i * offsetSize_, offsetSize_);
    }

    Node root() const override { return top_ + 1; }
    Type type(Node node) const override {
        if (!valid(node)) return Type::None;
        const std::uint8_t m = b_[offset(node)];
        switch (m >> 4) {
            case 0x0: return m == 0x08 || m == 0x09 ? Type::Bool : Type::Other;
            case 0x1: return Type::Integer;
            case 0x2: return Type::Real;
            case 0x4: return Type::Data;
            case 0x5:
            case 0x6: return Type::String;
            case 0x8: return Type::Uid;
            case 0xA:
            case 0xC: return Type::Array;  // a set reads as the array of its members
            case 0xD: return Type::Dictionary;
            default: return Type::Other;
        }
    }
    std::uint64_t size(Node node) const override {
        const Type t = type(node);
        if (t != Type::Array && t != Type::Dictionary) return 0;
        std::uint64_t count = 0, pos = 0;
        return countAt(offset(node), count, pos) ? count : 0;
    }
    Node get(Node dictionary, const std::string& key) const override {
        if (type(dictionary) != Type::Dictionary) return 0;
        std::uint64_t count = 0, pos = 0;
        if (!countAt(offset(dictionary), count, pos)) return 0;
        for (std::uint64_t k = 0; k < count; ++k) {
            const Node name = ref(pos, k);
            if (type(name) == Type::String && isAscii(name, key)) return ref(pos, count + k);
        }
        return 0;
    }
    std::vector<Node> items(Node array) const override {
        std::vector<Node> out;
        if (type(array) != Type::Array) return out;
        std::uint64_t count = 0, pos = 0;
        if (!countAt(offset(array), count, pos)) return out;
        out.reserve(count);
        for (std::uint64_t k = 0; k < count; ++k) out.push_back(ref(pos, k));
        return out;
    }
    void forEachItem(Node array, const std::function<void(Node)>& f) const override {
        if (type(array) != Type::Array) return;
        std::uint64_t count = 0, pos = 0;
        if (!countAt(offset(array), count, pos)) return;
        for (std::uint64_t k = 0; k < count; ++k) f(ref(pos, k));
    }
    void forEachEntry(Node dictionary,
                      const std::function<bool(std::string, Node)>& f) const override {
        if (type(dictionary) != Type::Dictionary) return;
        std::uint64_t count = 0, pos = 0;
        if (!countAt(offset(dictionary), count, pos)) return;
        for (std::uint64_t k = 0; k < count; ++k) {
            const Node key = ref(pos, k), value = ref(pos, count + k);
            // Keys that are not strings are skipped, as libplist's reader drops them.
            if (type(key) != Type::String || !value) continue;
            if (!f(string(key), value)) return;
        }
    }
    std::uint64_t number(Node node) const override {
        if (type(node) != Type::Uid) return 0;
        const std::uint64_t off = offset(node);
        const unsigned n = (b_[off] & 0x0F) + 1u;
        if (n > 8 || off + 1 + n > table_) return 0;
        return bigEndian(&b_[off + 1], n);
    }
    std::optional<std::int64_t> signedValue(Node node) const override {
        Integer v;
        if (!integer(node, v)) return std::nullopt;
        const bool negative = (v.low >> 63) != 0;
        if (v.high != (negative ? ~std::uint64_t{0} : 0)) return std::nullopt;
        return static_cast<std::int64_t>(v.low);
    }
    std::optional<std::uint64_t> unsignedValue(Node node) const override {
        Integer v;
        if (!integer(node, v) || v.high != 0) return std::nullopt;
        return v.low;
    }
    double real(Node node) const override {
        if (type(node) != Type::Real) return 0;
        const std::uint64_t off = offset(node);
        const unsigned n = 1u << (b_[off] & 0x0F);
        if (off + 1 + n > table_) return 0;
        if (n == 4) return std::bit_cast<float>(static_cast<std::uint32_t>(bigEndian(&b_[off + 1], 4)));
        if (n == 8) return std::bit_cast<double>(bigEndian(&b_[off + 1], 8));
        return 0;
    }
    bool boolean(Node node) const override {
        return type(node) == Type::Bool && b_[offset(node)] == 0x09;
    }
    std::string string(Node node) const override {
        if (type(node) != Type::String) return {};
        std::uint64_t count = 0, pos = 0;
        if (!countAt(offset(node), count, pos)) return {};
        const bool wide = (b_[offset(node)] >> 4) == 0x6;
        if (!wide) {
            if (count > table_ - pos) return {};
            return std::string(reinterpret_cast<const char*>(&b_[pos]), count);
        }
        if (count > (table_ - pos) / 2) return {};
        std::string out;
        out.reserve(count);
        for (std::uint64_t k = 0; k < count; ++k) {
            std::uint32_t u = static_cast<std::uint32_t>(bigEndian(&b_[pos + 2 * k], 2));
            if (u >= 0xD800 && u < 0xDC00 && k + 1 < count) {
                const auto low = static_cast<std::uint32_t>(bigEndian(&b_[pos + 2 * k + 2], 2));
                if (low >= 0xDC00 && low < 0xE000) {
                    u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                    ++k;
                }
            }
            appendUtf8(out, u);
        }
        return out;
    }
    Bytes data(Node node) const override {
        if (type(node) != Type::Data) return {};
        std::uint64_t count = 0, pos = 0;
        if (!countAt(offset(node), count, pos) || count > table_ - pos) return {};
        return Bytes(b_.begin() + static_cast<std::ptrdiff_t>(pos),
                     b_.begin() + static_cast<std::ptrdiff_t>(pos + count));
    }
    std::uint64_t payloadSize(Node node) const override {
        const Type t = type(node);
        if (t != Type::String && t != Type::Data) return 0;
        std::uint64_t count = 0, pos = 0;
        return countAt(offset(node), count, pos) ? count : 0;
    }

   private:
    // An integer of the list widened to 128 bits: those of 1, 2 and 4 bytes are unsigned,
    // those of 8 and 16 bytes two's complement.
    struct Integer {
        std::uint64_t high = 0, low = 0;
    };
    bool integer(Node node, Integer& v) const {
        if (type(node) != Type::Integer) return false;
        const std::uint64_t off = offset(node);
        const unsigned n = 1u << (b_[off] & 0x0F);
        if (n > 16 || off + 1 + n > table_) return false;
        v.low = bigEndian(&b_[off + 1 + (n == 16 ? 8 : 0)], n > 8 ? 8 : n);
        if (n == 16)
            v.high = bigEndian(&b_[off + 1], 8);
        else if (n == 8 && (v.low >> 63) != 0)
            v.high = ~std::uint64_t{0};
        return true;
    }
    bool valid(Node node) const { return node >= 1 && node <= count_; }
    // Whether a string node holds exactly `key` (compared in place; keys are ASCII, and a
    // wide string is compared through its text).
    bool isAscii(Node name, const std::string& key) const {
        const std::uint64_t off = offset(name);
        if ((b_[off] >> 4) == 0x6) return string(name) == key;
        std::uint64_t count = 0, pos = 0;
        if (!countAt(off, count, pos) || count != key.size() || count > table_ - pos) return false;
        return key.empty() || std::memcmp(&b_[pos], key.data(), key.size()) == 0;
    }
    std::uint64_t offset(Node node) const { return offsets_[node - 1]; }
    // Reference k of the list of references from pos; 0 when it points nowhere.
    Node ref(std::uint64_t pos, std::uint64_t k) const {
        const std::uint64_t at = pos + k * refSize_;
        if (at + refSize_ > table_) return 0;
        const std::uint64_t r = bigEndian(&b_[at], refSize_);
        return r < count_ ? r + 1 : 0;
    }
    bool countAt(std::uint64_t off, std::uint64_t& count, std::uint64_t& pos) const {
        count = b_[off] & 0x0F;
        pos = off + 1;
        if (count != 0x0F) return true;
        if (pos >= table_ || (b_[pos] >> 4) != 0x1) return false;
        const unsigned n = 1u << (b_[pos] & 0x0F);
        if (n > 8 || pos + 1 + n > table_) return false;
        count = bigEndian(b_.data() + pos + 1, n);
        pos += 1 + n;
        return true;
    }

    const Bytes& b_;
    unsigned offsetSize_ = 0, refSize_ = 0;
    std::uint64_t count_ = 0, top_ = 0, table_ = 0;
    std::vector<std::uint64_t> offsets_;
};

}  // namespace

std::unique_ptr<PlistTree> PlistTree::of(plist_t root) {
    return std::make_unique<LibplistTree>(root);
}

std::unique_ptr<PlistTree> PlistTree::ofCheckedBinary(const Bytes& bytes) {
    return std::make_unique<BinaryTree>(bytes);
}

}  // namespace vornex
