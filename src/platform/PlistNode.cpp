#include "platform/PlistNode.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace vornex {

Bytes PlistNode::toBinary() const {
    if (!node_) return {};
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_bin(node_, &out, &length);
    Bytes bytes;
    if (out) {
        bytes.assign(reinterpret_cast<const std::uint8_t*>(out),
                     reinterpret_cast<const std::uint8_t*>(out) + length);
        plist_to_bin_free(out);
    }
    return bytes;
}

Bytes PlistNode::toXml() const {
    if (!node_) return {};
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_xml(node_, &out, &length);
    Bytes bytes;
    if (out) {
        bytes.assign(reinterpret_cast<const std::uint8_t*>(out),
                     reinterpret_cast<const std::uint8_t*>(out) + length);
        plist_to_xml_free(out);
    }
    return bytes;
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
        plist_from_bin(data, length, &node);
    } else {
        // The XML reader wants text: stop at the first zero byte, if any.
        const void* zero = std::memchr(data, 0, bytes.size());
        std::string text(data, zero ? static_cast<const char*>(zero) - data : bytes.size());
        if (text.find("<plist") != std::string::npos)
            plist_from_xml(text.c_str(), static_cast<uint32_t>(text.size()), &node);
    }
    if (!node) error = "not a property list (or a damaged one)";
    return PlistNode(node);
}

}  // namespace vornex
