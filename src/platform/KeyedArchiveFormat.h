// The layout the writing and the reading side of a keyed archive share: how deep an archive
// nests, the codes of the colour spaces, what an entry of "$objects" decodes to by its class,
// and the memory the reader counts for each value it decodes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/PlistValue.h"

namespace vornex::keyedarchive {

// Decoding stops beyond this: an archive that references itself or nests without end is
// refused instead of exhausting the stack. One that expands shared objects into a huge tree is
// refused past PlistNode::expansionBudget.
constexpr int kMaxDepth = 512;

enum ColorSpaceCode : std::uint64_t {
    kCalibratedRGB = 1,
    kDeviceRGB = 2,
    kCalibratedWhite = 3,
    kDeviceWhite = 4,
};

// The field holding the components of a colour of the given space: "NSWhite" for grey,
// "NSRGB" for RGB; null for any other space.
inline const char* colourComponentsKey(std::uint64_t space) {
    if (space == kCalibratedWhite || space == kDeviceWhite) return "NSWhite";
    if (space == kCalibratedRGB || space == kDeviceRGB) return "NSRGB";
    return nullptr;
}

// The colour of an RGB or grey colour space code and its components (numbers separated by
// blanks, maybe ended by a zero byte); none for another space or for components a colour
// cannot hold (beyond 0 to 1, more of them than the space has, too few, not numbers), which
// would be saved changed: such a colour keeps its fields.
std::optional<Color> drawnColour(std::uint64_t space, const Bytes& components);

// What an entry of "$objects" decodes to, by its class.
enum class Kind { Scalar, Array, Dictionary, String, Data, Color, Object, Unclassed };

inline Kind kindOfClass(const std::string& cls) {
    if (cls.empty()) return Kind::Unclassed;
    if (cls == "NSArray" || cls == "NSMutableArray" || cls == "NSSet" || cls == "NSMutableSet" ||
        cls == "NSOrderedSet" || cls == "NSMutableOrderedSet")
        return Kind::Array;
    if (cls == "NSDictionary" || cls == "NSMutableDictionary") return Kind::Dictionary;
    if (cls == "NSString" || cls == "NSMutableString") return Kind::String;
    if (cls == "NSData" || cls == "NSMutableData") return Kind::Data;
    if (cls == "NSColor") return Kind::Color;
    return Kind::Object;
}

// The memory the reader counts for each value it will decode, against the budget of the
// file's size (PlistNode::expansionBudget): the value itself, the storage of a string, data,
// colour or container with its payload, and the text of a dictionary key beside its value.
// The writer counts the same, so that it never writes what the reader refuses.
constexpr std::uint64_t kValueBytes = sizeof(PlistValue);
inline std::uint64_t keyBytes(std::uint64_t length) {
    return sizeof(std::string) + (length > 15 ? length + 1 + 2 * sizeof(void*) : 0);
}
inline std::uint64_t heapValueBytes(std::uint64_t payload) {
    return kValueBytes + PlistValue::heapBytes() + payload;
}

}  // namespace vornex::keyedarchive
