#include <gtest/gtest.h>

#include <string>

#include "plot/CLogWindow.h"

namespace vornex {
namespace {

// Plain and formatted appends.
class LogAppends : public ::testing::Test {
   protected:
    CLogWindow log;
};

TEST_F(LogAppends, FirstAppendKeepsATrailingSpaceInCourierNew) {
    log.appendString("abc");
    EXPECT_EQ(log.string(), "abc ");
    ASSERT_FALSE(log.text().runs().empty());
    const Font& font = log.text().attributesAt(0).font;
    EXPECT_EQ(font.family(), "Courier New");
    EXPECT_EQ(font.size(), 12.0);
    log.appendString("d");
    EXPECT_EQ(log.string(), "abc d");
    EXPECT_EQ(log.text().attributesAt(4).font.family(), "Courier New");
}

TEST_F(LogAppends, FormatsWithTheirLineEnds) {
    log.appendString("x");
    log.appendFormat2("%d", 7);
    EXPECT_EQ(log.string(), "x 7\n\n");
    log.appendFormat1("%s=%.2f", "T", 300.0);
    log.appendFormat3("%c", 'z');
    log.appendFormat("%05d", 42);
    EXPECT_EQ(log.string(), "x 7\n\nT=300.00\nz\n\n\n00042");
    log.appendString1("a");
    log.appendString2("b");
    EXPECT_EQ(log.string(), "x 7\n\nT=300.00\nz\n\n\n00042a\nb\n\n");
}

TEST_F(LogAppends, LongFormattedTextIsNotCut) {
    const std::string longWord(5000, 'w');
    log.appendString("");
    log.appendFormat("%s|", longWord.c_str());
    EXPECT_EQ(log.string(), " " + longWord + "|");
}

TEST_F(LogAppends, ClearTextEmptiesAndTheNextAppendSetsTheFontAgain) {
    log.appendString("abc");
    log.scrollToEnd();
    log.clearText();
    EXPECT_EQ(log.string(), "");
    EXPECT_EQ(log.scrollTarget(), 0u);
    log.appendString("q");
    EXPECT_EQ(log.string(), "q ");
}

TEST_F(LogAppends, AppendTextSkipsTheEmptyLogStep) {
    log.appendText("raw");
    EXPECT_EQ(log.string(), "raw");
    log.appendText(nullptr);
    EXPECT_EQ(log.string(), "raw");
}

TEST_F(LogAppends, EveryChangeIsAnnounced) {
    int changes = 0;
    log.setChangeHandler([&] { ++changes; });
    log.appendString("a");
    log.appendFormat1("%d", 1);
    log.showWindow();
    EXPECT_TRUE(log.isVisible());
    EXPECT_EQ(changes, 3);
}

TEST_F(LogAppends, CallersReachTheWindowThroughTheController) {
    EXPECT_FALSE(log.window().isVisible());
    log.showWindow();
    EXPECT_TRUE(log.window().isVisible());
    log.window().setContentSize({600, 400});
    EXPECT_EQ(log.contentSize().width, 600);
    EXPECT_EQ(log.contentSize().height, 400);
}

TEST_F(LogAppends, TwoWritersShareOneLog) {
    CLogWindow& first = CLogWindow::sharedLogWindowCtroller();
    CLogWindow& second = CLogWindow::sharedLogWindowCtroller();
    EXPECT_EQ(&first, &second);
    first.clearText();
    first.appendString("from one");
    second.appendString1(", from two");
    EXPECT_EQ(first.string(), "from one , from two\n");
}

// Rich text blocks.
class LogRichText : public ::testing::Test {
   protected:
    CLogWindow log;
};

TEST_F(LogRichText, BoldWordInCourierBold) {
    log.beginEditingRTF();
    log.appendRTF("\\b bold\\b0\\par ");
    EXPECT_EQ(log.string(), "");  // nothing shows before the block ends
    ASSERT_TRUE(log.endEditingRTF());
    EXPECT_EQ(log.string(), "bold\n");
    const TextAttributes bold = log.text().attributesAt(0);
    EXPECT_EQ(bold.font.family(), "Courier");
    EXPECT_TRUE(bold.font.isBold());
    EXPECT_EQ(bold.font.size(), 12.0);
    EXPECT_FALSE(log.text().attributesAt(4).font.isBold());
    const std::string& block = log.lastInsertedRTF();
    EXPECT_EQ(block.rfind(CLogWindow::kRtfHeader, 0), 0u);
    EXPECT_EQ(block.back(), '}');
    EXPECT_EQ(std::string(CLogWindow::kRtfHeader).size(), 172u);
}

TEST_F(LogRichText, ColourTableSizesAndUnderline) {
    log.beginEditingRTF();
    log.appendRTFormat("T = \\cf2 %.1f\\cf0  C\\par\\fs30\\ul big\\ulnone\\fs24 \\cf3 b\\f1 B",
                       300.0);
    log.endEditingRTF();
    EXPECT_EQ(log.string(), "T = 300.0 C\nbigbB");
    const AttributedString& t = log.text();
    EXPECT_FALSE(t.attributesAt(0).color.has_value());
    ASSERT_TRUE(t.attributesAt(4).color.has_value());
    EXPECT_EQ(*t.attributesAt(4).color, Color::deviceRGB(1, 0, 0));
    EXPECT_FALSE(t.attributesAt(10).color.has_value());
    EXPECT_TRUE(t.attributesAt(12).underline);
    EXPECT_EQ(t.attributesAt(12).font.size(), 15.0);
    EXPECT_FALSE(t.attributesAt(15).underline);
    EXPECT_EQ(*t.attributesAt(15).color, Color::deviceRGB(0, 0, 1));
    EXPECT_EQ(t.attributesAt(15).font.size(), 12.0);
    EXPECT_FALSE(t.attributesAt(15).font.isBold());
    EXPECT_TRUE(t.attributesAt(16).font.isBold());  // font 1 is Courier-Bold
}

TEST_F(LogRichText, EscapesAndGroups) {
    log.beginEditingRTF();
    log.appendRTF("a\\{b\\}c\\\\ {\\b x}y \\'e9\\u8364?");
    log.endEditingRTF();
    EXPECT_EQ(log.string(), "a{b}c\\ xy \u00e9\u20ac");
    EXPECT_TRUE(log.text().attributesAt(7).font.isBold());
    EXPECT_FALSE(log.text().attributesAt(8).font.isBold());
}

TEST_F(LogRichText, CallsOutsideABlockAreIgnored) {
    log.appendRTF("\\b lost");
    EXPECT_FALSE(log.endEditingRTF());
    EXPECT_EQ(log.string(), "");
    EXPECT_FALSE(log.isEditingRTF());
}

TEST_F(LogRichText, SecondBeginKeepsTheOpenBlock) {
    log.beginEditingRTF();
    log.appendRTF("first ");
    log.beginEditingRTF();
    log.appendRTF("second");
    log.endEditingRTF();
    EXPECT_EQ(log.string(), "first second");
}

TEST_F(LogRichText, UnbalancedGroupsDoNotStopTheText) {
    log.beginEditingRTF();
    log.appendRTF("}} after {\\b open");
    log.endEditingRTF();
    // The header's group closed early; the text after it is kept all the same.
    EXPECT_EQ(log.string(), " after open");
    EXPECT_TRUE(log.text().attributesAt(7).font.isBold());
}

TEST_F(LogRichText, PlainTextAfterABlockContinuesInItsAttributes) {
    log.appendString("start");
    log.beginEditingRTF();
    log.appendRTF("\\cf2 red\\par ");
    log.endEditingRTF();
    log.appendString("more");
    EXPECT_EQ(log.string(), "start red\nmore");
    EXPECT_EQ(*log.text().attributesAt(12).color, Color::deviceRGB(1, 0, 0));
}

}  // namespace
}  // namespace vornex
