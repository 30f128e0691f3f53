// The rich-text reader's escapes and control symbols against the characters they stand for.
#include <gtest/gtest.h>

#include <string>

#include "plot/RtfReader.h"

namespace vornex {
namespace {

std::string textOf(const std::string& rtf) {
    return attributedStringFromRtf("{\\rtf1\\ansi " + rtf + "}").string();
}

TEST(RtfReader, ControlSymbolsReadAsTheirCharacters) {
    EXPECT_EQ(textOf("a\\\\b\\{c\\}d"), "a\\b{c}d");
    EXPECT_EQ(textOf("10\\~km"), "10\u00A0km");
    EXPECT_EQ(textOf("non\\_breaking"), "non\u2011breaking");
    EXPECT_EQ(textOf("hy\\-phen"), "hyphen");  // an optional hyphen shows only at a break
    EXPECT_EQ(textOf("one\\\ntwo\\\r\nthree"), "one\ntwo\nthree");
    EXPECT_EQ(textOf("{\\*\\unknown hidden}shown"), "shown");
    EXPECT_EQ(textOf("{\\*\\unknown {nested} hidden}shown"), "shown");
    // Escaped braces inside a skipped group neither open nor close it.
    EXPECT_EQ(textOf("{\\*\\unknown \\} still hidden}shown"), "shown");
}

// Windows-1252 bytes: Latin-1 above 0xA0, the typographic characters of 0x80-0x9F, and
// the \uN fallback skipped.
TEST(RtfReader, HexEscapesReadAsWindows1252) {
    EXPECT_EQ(textOf("caf\\'e9 \\'E9"), "caf\u00E9 \u00E9");
    EXPECT_EQ(textOf("\\'80 \\'93q\\'94 \\'85 \\'96"), "\u20AC \u201Cq\u201D \u2026 \u2013");
    EXPECT_EQ(textOf("\\'b0C \\'41"), "\u00B0C A");
    EXPECT_EQ(textOf("\\u8364\\'80 \\uc2\\u8211\\'2d\\'2d|"), "\u20AC \u2013|");
    // Damaged escapes drop the escape, never the text after it, and never read past the end.
    EXPECT_EQ(textOf("a\\'zzb"), "azzb");
    EXPECT_EQ(attributedStringFromRtf("x\\'4").string(), "x4");
    EXPECT_EQ(attributedStringFromRtf("x\\").string(), "x");
}

// A character beyond the basic plane is written as its two UTF-16 halves, each a \uN (signed
// or not) with its fallback; the pair reads as the one character, four bytes of UTF-8. A
// half without its partner stands for no character and reads as U+FFFD, the text around it
// kept.
TEST(RtfReader, SurrogatePairsReadAsOneCharacter) {
    // U+1F600 = D83D DE00; -10179 and -8704 are those halves as signed 16-bit numbers.
    EXPECT_EQ(textOf("a\\u-10179?\\u-8704?b"), std::string("a\xF0\x9F\x98\x80") + 'b');
    EXPECT_EQ(textOf("\\uc0\\u55357\\u56832 b"), "\U0001F600b");
    // U+10000 and U+10FFFF, the ends of the planes above the basic one.
    EXPECT_EQ(textOf("\\u-10240?\\u-9216?|\\u-9217?\\u-8193?"), "\U00010000|\U0010FFFF");
    EXPECT_EQ(textOf("\\u-10179?x"), "\uFFFDx");
    EXPECT_EQ(textOf("\\u-8704?x"), "\uFFFDx");
    EXPECT_EQ(textOf("\\u-10179?\\u8364?"), "\uFFFD\u20AC");
    EXPECT_EQ(textOf("x\\u-10179?"), "x\uFFFD");
}

// Bold and italic switch on and off by group and by control word, each keeping the other
// and the size: plain, italic, bold italic, bold.
TEST(RtfReader, ItalicAndBoldFollowTheirControlWordsAndGroups) {
    const AttributedString text = attributedStringFromRtf(
        "{\\rtf1\\ansi{\\fonttbl\\f0\\fswiss Helvetica;}\\f0\\fs24 "
        "a{\\i b\\b c}\\b d\\i0 e}");
    ASSERT_EQ(text.string(), "abcde");
    const char* names[] = {"Helvetica", "Helvetica-Oblique", "Helvetica-BoldOblique",
                           "Helvetica-Bold", "Helvetica-Bold"};
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const Font font = text.attributesAt(i).font;
        EXPECT_EQ(font.name(), names[i]);
        EXPECT_EQ(font.size(), 12.0);
        EXPECT_EQ(font.family(), "Helvetica");
    }
}

}  // namespace
}  // namespace vornex
