// The UTF-8 decoder the property-list readers and writers share, on text cut short: a view
// that ends inside a character refuses it there, and reads nothing past its end (the
// sanitizer build sees a byte read past the buffer).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Utf8.h"

namespace vornex {
namespace {

// "café", "日", "𝄞" and the same cut one byte before the end of the last character.
TEST(Utf8, AViewCutInsideACharacterRefusesItAndReadsNothingBeyond) {
    const char* const whole[] = {"caf\xC3\xA9", "\xE6\x97\xA5", "\xF0\x9D\x84\x9E"};
    for (const char* text : whole) {
        const std::size_t size = std::strlen(text);
        EXPECT_EQ(utf8::firstInvalid(text), size) << utf8::quoted(text);
        // The rest of the character still follows in memory: a decoder that looks past the
        // view takes it for the whole character.
        const std::string_view cut(text, size - 1);
        const std::size_t start = cut.find_first_of("\xC3\xE6\xF0");
        std::size_t at = start;
        std::uint32_t cp = 0;
        EXPECT_FALSE(utf8::next(cut, at, cp)) << utf8::quoted(cut);
        EXPECT_EQ(at, start);
        EXPECT_EQ(utf8::firstInvalid(cut), start) << utf8::quoted(cut);
        EXPECT_FALSE(utf8::refusedText(cut).empty());
        // Nothing follows the view in memory: the buffer ends where it does.
        const auto buffer = std::make_unique<char[]>(cut.size());
        std::memcpy(buffer.get(), cut.data(), cut.size());
        EXPECT_EQ(utf8::firstInvalid(std::string_view(buffer.get(), cut.size())), start);
    }
}

}  // namespace
}  // namespace vornex
