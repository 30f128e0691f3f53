// The shared log: plain and formatted appends with their line ends and font, and rich-text
// blocks with bold, colours, sizes, underline, escapes and groups.
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "plot/CLogWindow.h"

namespace vornex {
namespace {

TEST(LogAppends, FormattedAppendsAreNotCutAndClearStartsAgain) {
    CLogWindow log;
    int changes = 0;
    log.setChangeHandler([&] { ++changes; });
    log.appendString("x");
    log.appendFormat1("%s=%.2f", "T", 300.0);
    log.appendText(nullptr);
    // Regression: a space after the first text began the log's second line.
    EXPECT_EQ(log.string(), "xT=300.00\n");
    EXPECT_EQ(changes, 2);
    // Long formatted text is not cut.
    const std::string longWord(5000, 'w');
    log.appendFormat("%s|", longWord.c_str());
    EXPECT_EQ(log.string().substr(log.string().size() - 5001), longWord + "|");
    log.scrollToEnd();
    log.clearText();
    EXPECT_EQ(log.scrollTarget(), 0u);
    log.appendString("q\n");
    log.appendString("r");
    EXPECT_EQ(log.string(), "q\nr");
}

// Text appended as it stands: into an empty log in the log's font with no space behind it,
// after a rich block in the attributes its end has (as typing there would), its characters
// never read as rich-text control words.
TEST(LogAppends, PlainTextIsAppendedAsItStands) {
    CLogWindow log;
    int changes = 0;
    log.setChangeHandler([&] { ++changes; });
    log.appendText("T = 300 K\n");
    EXPECT_EQ(log.string(), "T = 300 K\n");
    EXPECT_EQ(log.text().attributesAt(0).font, Font("Courier New", 12));
    EXPECT_EQ(changes, 1);
    log.beginEditingRTF();
    log.appendRTF("\\cf2\\b red\\par red bold");
    ASSERT_TRUE(log.endEditingRTF());
    const std::size_t end = log.string().size();
    log.appendText(
        "{\\b0 literal} \xC2\xB0"
        "C");
    EXPECT_EQ(log.string().substr(end),
              "{\\b0 literal} \xC2\xB0"
              "C");
    const TextAttributes after = log.text().attributesAt(end);
    EXPECT_EQ(after, log.text().attributesAt(end - 1));
    EXPECT_TRUE(after.font.isBold());
    EXPECT_EQ(after.color, Color::deviceRGB(1, 0, 0));
    log.appendText("");
    EXPECT_EQ(log.string().substr(end),
              "{\\b0 literal} \xC2\xB0"
              "C");
}

// The formatted appends end their text with none, one, two or three line ends; a caller's
// own argument list is formatted the same way.
void appendWithArguments(CLogWindow& log, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    log.appendFormatArguments(format, arguments);
    va_end(arguments);
}

TEST(LogAppends, FormattedAppendsEndWithTheirLineEnds) {
    CLogWindow log;
    log.appendFormat("%d", 0);
    log.appendFormat1("%d", 1);
    log.appendFormat2("%d", 2);
    log.appendFormat3("%s %.1f", "P", 88.0);
    appendWithArguments(log, "[%s:%03d]", "x", 7);
    EXPECT_EQ(log.string(), "01\n2\n\nP 88.0\n\n\n[x:007]");
}

class LogRichText : public ::testing::Test {
   protected:
    std::string block(const std::string& rtf) {
        log.beginEditingRTF();
        log.appendRTF(rtf.c_str());
        EXPECT_TRUE(log.endEditingRTF());
        return log.string();
    }
    TextAttributes at(size_t i) { return log.text().attributesAt(i); }
    CLogWindow log;
};

TEST_F(LogRichText, ColourTableSizesAndUnderline) {
    log.beginEditingRTF();
    log.appendRTFormat("T = \\cf2 %.1f\\cf0  C\\par\\fs30\\ul big\\ulnone\\fs24 \\cf3 b\\f1 B",
                       300.0);
    log.endEditingRTF();
    EXPECT_EQ(log.string(), "T = 300.0 C\nbigbB");
    EXPECT_EQ(at(4).color, Color::deviceRGB(1, 0, 0));
    EXPECT_EQ(at(12).font.size(), 15.0);
    EXPECT_EQ(at(15).color, Color::deviceRGB(0, 0, 1));
    EXPECT_TRUE(at(16).font.isBold());  // font 1 is Courier-Bold
}

TEST_F(LogRichText, EscapesGroupsAndUnbalancedBraces) {
    EXPECT_EQ(block("a\\{b\\}c\\\\ {\\b x}y \\'e9\\u8364?"), "a{b}c\\ xy \u00e9\u20ac");
    EXPECT_TRUE(at(7).font.isBold());
    EXPECT_FALSE(at(8).font.isBold());
    log.clearText();
    // The header's group closed early; the text after it is kept all the same.
    EXPECT_EQ(block("}} after {\\b open"), " after open");
    EXPECT_TRUE(at(7).font.isBold());
}

TEST_F(LogRichText, BlocksOpenOnceCallsOutsideAreIgnoredAndPlainTextContinuesInTheirAttributes) {
    log.appendRTF("\\b lost");
    EXPECT_FALSE(log.endEditingRTF());
    EXPECT_EQ(log.string(), "");
    log.beginEditingRTF();
    log.appendRTF("first ");
    log.beginEditingRTF();  // keeps the open block
    EXPECT_EQ(block("\\cf2 red\\par "), "first red\n");
    log.appendString("more");
    EXPECT_EQ(log.string(), "first red\nmore");
    EXPECT_EQ(at(12).color, Color::deviceRGB(1, 0, 0));
}

}  // namespace
}  // namespace vornex
