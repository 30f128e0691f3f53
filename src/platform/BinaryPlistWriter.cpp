#include "platform/BinaryPlistWriter.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/Utf8.h"

namespace vornex {

namespace {

constexpr int kRefSize = 4;
constexpr BinaryPlistWriter::Ref kNone = 0xFFFFFFFFu;

// Bytes needed for an unsigned value: 1, 2, 4 or 8.
int widthOf(std::uint64_t v) {
    if (v <= 0xFF) return 1;
    if (v <= 0xFFFF) return 2;
    if (v <= 0xFFFFFFFFu) return 4;
    return 8;
}

int log2Width(int bytes) {
    return bytes == 1 ? 0 : bytes == 2 ? 1 : bytes == 4 ? 2 : 3;
}

// UTF-16 code units of UTF-8 text; false when the text is not valid UTF-8.
bool utf16(const std::string& s, std::vector<std::uint16_t>& out) {
    out.clear();
    for (std::size_t i = 0; i < s.size();) {
        std::uint32_t cp = 0;
        if (!utf8::next(s, i, cp)) return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<std::uint16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<std::uint16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<std::uint16_t>(cp));
        }
    }
    return true;
}

}  // namespace

BinaryPlistWriter::BinaryPlistWriter() {
    static const char kMagic[] = "bplist00";
    out_.assign(kMagic, kMagic + 8);
}

BinaryPlistWriter::Ref BinaryPlistWriter::begin() {
    offsets_.push_back(out_.size());
    return static_cast<Ref>(offsets_.size() - 1);
}

void BinaryPlistWriter::bigEndian(std::uint64_t v, int bytes) {
    const std::size_t at = out_.size();
    out_.resize(at + bytes);
    for (int k = 0; k < bytes; ++k)
        out_[at + k] = static_cast<std::uint8_t>(v >> (8 * (bytes - 1 - k)));
}

// A type marker with its count: in the low nibble below 15, else as an integer that follows.
void BinaryPlistWriter::marker(std::uint8_t type, std::uint64_t count) {
    if (count < 15) {
        out_.push_back(static_cast<std::uint8_t>(type | count));
        return;
    }
    out_.push_back(static_cast<std::uint8_t>(type | 0x0F));
    const int w = widthOf(count);
    out_.push_back(static_cast<std::uint8_t>(0x10 | log2Width(w)));
    bigEndian(count, w);
}

void BinaryPlistWriter::refs(const std::vector<Ref>& r) {
    std::size_t at = out_.size();
    out_.resize(at + r.size() * kRefSize);
    for (Ref ref : r) {
        out_[at++] = static_cast<std::uint8_t>(ref >> 24);
        out_[at++] = static_cast<std::uint8_t>(ref >> 16);
        out_[at++] = static_cast<std::uint8_t>(ref >> 8);
        out_[at++] = static_cast<std::uint8_t>(ref);
    }
}

BinaryPlistWriter::Ref BinaryPlistWriter::addBool(bool v) {
    const Ref r = begin();
    out_.push_back(v ? 0x09 : 0x08);
    return r;
}

BinaryPlistWriter::Ref BinaryPlistWriter::addInteger(std::int64_t v) {
    const Ref r = begin();
    if (v < 0) {
        // Negative integers take all eight bytes, in two's complement.
        out_.push_back(0x13);
        bigEndian(static_cast<std::uint64_t>(v), 8);
        return r;
    }
    const auto u = static_cast<std::uint64_t>(v);
    const int w = widthOf(u);
    out_.push_back(static_cast<std::uint8_t>(0x10 | log2Width(w)));
    bigEndian(u, w);
    return r;
}

BinaryPlistWriter::Ref BinaryPlistWriter::addReal(double v) {
    const Ref r = begin();
    out_.push_back(0x23);
    bigEndian(std::bit_cast<std::uint64_t>(v), 8);
    return r;
}

BinaryPlistWriter::Ref BinaryPlistWriter::addString(const std::string& v, bool shared) {
    if (shared)
        if (auto it = strings_.find(v); it != strings_.end()) return it->second;
    const Ref r = begin();
    bool ascii = true;
    for (char c : v) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    std::vector<std::uint16_t> units;
    // What a reader refuses or would read back changed is not written: the list is spent.
    if (error_.empty() && v.find('\0') != std::string::npos)
        error_ = "the text " + utf8::quoted(v) + " holds a zero character";
    if (ascii) {
        marker(0x50, v.size());
        out_.insert(out_.end(), v.begin(), v.end());
    } else {
        if (!utf16(v, units) && error_.empty())
            error_ = "the text " + utf8::quoted(v) + " is not valid UTF-8";
        marker(0x60, units.size());
        for (std::uint16_t u : units) bigEndian(u, 2);
    }
    if (shared) strings_.emplace(v, r);
    return r;
}

BinaryPlistWriter::Ref BinaryPlistWriter::addData(const std::uint8_t* data, std::size_t size) {
    const Ref r = begin();
    marker(0x40, size);
    if (size) out_.insert(out_.end(), data, data + size);
    return r;
}

BinaryPlistWriter::Ref BinaryPlistWriter::addUid(std::uint64_t v) {
    // Archive indices are dense, so a table by index finds a shared reference at once.
    if (v < uids_.size() && uids_[v] != kNone) return uids_[v];
    const Ref r = begin();
    const int w = widthOf(v);
    out_.push_back(static_cast<std::uint8_t>(0x80 | (w - 1)));
    bigEndian(v, w);
    if (v < (std::uint64_t{1} << 32)) {
        if (v >= uids_.size()) uids_.resize(std::max<std::uint64_t>(v + 1, 2 * uids_.size()), kNone);
        uids_[v] = r;
    }
    return r;
}

BinaryPlistWriter::Ref BinaryPlistWriter::addArray(const std::vector<Ref>& items) {
    const Ref r = begin();
    marker(0xA0, items.size());
    refs(items);
    return r;
}

BinaryPlistWriter::Ref BinaryPlistWriter::addDictionary(const std::vector<Ref>& keys,
                                                        const std::vector<Ref>& values) {
    const Ref r = begin();
    marker(0xD0, keys.size());
    refs(keys);
    refs(values);
    return r;
}

Bytes BinaryPlistWriter::finish(Ref root) {
    const std::uint64_t tableOffset = out_.size();
    const int offsetSize = widthOf(tableOffset);
    out_.reserve(out_.size() + offsets_.size() * offsetSize + 32);
    for (std::uint64_t o : offsets_) bigEndian(o, offsetSize);
    for (int k = 0; k < 6; ++k) out_.push_back(0);
    out_.push_back(static_cast<std::uint8_t>(offsetSize));
    out_.push_back(kRefSize);
    bigEndian(offsets_.size(), 8);
    bigEndian(root, 8);
    bigEndian(tableOffset, 8);
    offsets_.clear();
    strings_.clear();
    uids_.clear();
    return std::move(out_);
}

}  // namespace vornex
