#include "platform/PlistNode.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace vornex {

namespace {

std::uint64_t bigEndian(const std::uint8_t* p, unsigned n) {
    std::uint64_t v = 0;
    for (unsigned i = 0; i < n; ++i) v = (v << 8) | p[i];
    return v;
}

// Checks the frame of a binary property list (trailer, offset table, object lengths) and that
// no string holds a zero character, before libplist reads it: libplist stops the program on
// an assertion when asked for such a string, and a damaged file must not do that.
bool checkBinaryPlist(const Bytes& b, std::string& error) {
    error = "damaged binary property list";
    const std::size_t size = b.size();
    if (size < 8 + 32) return false;
    const std::uint8_t* trailer = b.data() + size - 32;
    unsigned offsetSize = trailer[6], refSize = trailer[7];
    std::uint64_t count = bigEndian(trailer + 8, 8), top = bigEndian(trailer + 16, 8),
                  table = bigEndian(trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8) return false;
    if (count == 0 || count > size || top >= count || table < 8 || table >= size - 32) return false;
    if (count > (size - 32 - table) / offsetSize) return false;
    const std::uint64_t end = table;  // objects lie between the header and the offset table
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t off = bigEndian(b.data() + table + i * offsetSize, offsetSize);
        if (off < 8 || off >= end) return false;
        std::uint8_t marker = b[off];
        unsigned type = marker >> 4;
        if (type != 0x5 && type != 0x6 && type != 0x7) continue;
        std::uint64_t length = marker & 0x0F, pos = off + 1;
        if (length == 0x0F) {
            if (pos >= end || (b[pos] >> 4) != 0x1) return false;
            unsigned n = 1u << (b[pos] & 0x0F);
            if (n > 8 || pos + 1 + n > end) return false;
            length = bigEndian(b.data() + pos + 1, n);
            pos += 1 + n;
        }
        std::uint64_t unit = type == 0x6 ? 2 : 1;
        if (length > (end - pos) / unit) return false;
        for (std::uint64_t k = 0; k < length; ++k) {
            bool zero =
                unit == 1 ? b[pos + k] == 0 : (b[pos + 2 * k] == 0 && b[pos + 2 * k + 1] == 0);
            if (zero) {
                error = "a string of the property list holds a zero character";
                return false;
            }
        }
    }
    error.clear();
    return true;
}

// The XML reader turns a character reference to code 0 into a zero inside a string, with the
// same consequence as above.
bool xmlHasZeroCharacter(const std::string& text) {
    for (std::size_t p = text.find("&#"); p != std::string::npos; p = text.find("&#", p + 2)) {
        std::size_t q = p + 2;
        bool hex = q < text.size() && (text[q] == 'x' || text[q] == 'X');
        if (hex) ++q;
        std::size_t digits = q;
        while (q < text.size() && std::isxdigit(static_cast<unsigned char>(text[q]))) {
            if (text[q] != '0') break;
            ++q;
        }
        if (q > digits && q < text.size() && text[q] == ';') return true;
    }
    return false;
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

Bytes PlistNode::toBinary() const {
    return serialize(node_, plist_to_bin, plist_to_bin_free);
}

Bytes PlistNode::toXml() const {
    return serialize(node_, plist_to_xml, plist_to_xml_free);
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

PlistNode PlistNode::parse(const Bytes& bytes, std::string& error) {
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
        if (!checkBinaryPlist(bytes, error)) return {};
        plist_from_bin(data, length, &node);
    } else {
        // The XML reader wants text: stop at the first zero byte, if any.
        const void* zero = std::memchr(data, 0, bytes.size());
        std::string text(data, zero ? static_cast<const char*>(zero) - data : bytes.size());
        if (xmlHasZeroCharacter(text)) {
            error = "a string of the property list holds a zero character";
            return {};
        }
        if (text.find("<plist") != std::string::npos)
            plist_from_xml(text.c_str(), static_cast<uint32_t>(text.size()), &node);
    }
    if (!node) error = "not a property list (or a damaged one)";
    return PlistNode(node);
}

}  // namespace vornex
