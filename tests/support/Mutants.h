// Seeded damage to the bytes of a file, for readers that must refuse what they cannot read:
// bytes flipped or set, spans removed or doubled elsewhere, and markers of the binary property
// list let in (containers and strings claiming more entries than they hold, widths and types
// the format does not define); texts and numbers that a reader must refuse let into lists
// that are otherwise sound.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace vornex::testing {

class Mutator {
   public:
    explicit Mutator(std::uint64_t seed) : rng_(seed) {}

    // One to four changes of the bytes, each within a span of at most 64 bytes.
    std::vector<std::uint8_t> operator()(std::vector<std::uint8_t> b) {
        static const std::uint8_t markers[] = {0xAF, 0xDF, 0x6F, 0x5F, 0x4F, 0x13, 0x14, 0x21,
                                               0x33, 0x80, 0x87, 0x70, 0x90, 0x00, 0xFF};
        for (std::uint64_t k = 1 + below(4); k > 0 && b.size() > 40; --k) {
            const std::size_t at = below(b.size());
            const std::size_t end = std::min(b.size(), at + 1 + below(64));
            const std::vector<std::uint8_t> span(b.begin() + long(at), b.begin() + long(end));
            switch (below(8)) {
                case 0:
                    b.erase(b.begin() + long(at), b.begin() + long(end));
                    break;
                case 1:
                    b.insert(b.begin() + long(below(b.size())), span.begin(), span.end());
                    break;
                case 2:
                    b[at] = markers[below(std::size(markers))];
                    break;
                case 3:
                    b[at] = std::uint8_t(rng_());
                    break;
                default:
                    b[at] ^= std::uint8_t(1u << below(8));
                    break;
            }
        }
        return b;
    }

   private:
    std::uint64_t below(std::uint64_t n) { return n == 0 ? 0 : rng_() % n; }
    std::mt19937_64 rng_;
};

// A binary list in which the ASCII text `placeholder` of 16 characters has become the
// sixteen-byte (two's complement, big-endian) integer high · 2^64 + low; the list unchanged
// when the text is not in it. The two bytes left over after the integer belong to no object.
inline std::vector<std::uint8_t> withSixteenByteInteger(std::vector<std::uint8_t> list,
                                                        const std::string& placeholder,
                                                        std::uint64_t high, std::uint64_t low) {
    std::vector<std::uint8_t> text = {0x5F, 0x10, 0x10};
    text.insert(text.end(), placeholder.begin(), placeholder.end());
    auto at = std::search(list.begin(), list.end(), text.begin(), text.end());
    if (placeholder.size() != 16 || at == list.end()) return list;
    *at++ = 0x14;
    for (std::uint64_t half : {high, low})
        for (int k = 7; k >= 0; --k) *at++ = std::uint8_t(half >> (8 * k));
    return list;
}

// An XML list in which the first occurrence of `text` is replaced by `with`.
inline std::vector<std::uint8_t> withText(std::vector<std::uint8_t> xml, const std::string& text,
                                          const std::string& with) {
    auto at = std::search(xml.begin(), xml.end(), text.begin(), text.end());
    if (at == xml.end()) return xml;
    at = xml.erase(at, at + long(text.size()));
    xml.insert(at, with.begin(), with.end());
    return xml;
}

}  // namespace vornex::testing
