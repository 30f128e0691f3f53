#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/RecordingCanvas.h"

namespace vornex {
namespace {

using Kind = RecordedOperation::Kind;

class RecordingCanvasTest : public ::testing::Test {
   protected:
    RecordingCanvas canvas{{200, 100}};
};

TEST_F(RecordingCanvasTest, StateStackRestoresColoursAndTransform) {
    canvas.setColor(Color::red());
    canvas.saveGraphicsState();
    canvas.setFillColor(Color::blue());
    canvas.concat(AffineTransform::translation(10, 0));
    canvas.concat(AffineTransform::scaling(2, 2));
    EXPECT_EQ(canvas.currentTransform().transformPoint({1, 1}), (Point{12, 2}));
    EXPECT_EQ(canvas.fillColor(), Color::blue());
    EXPECT_TRUE(canvas.restoreGraphicsState());
    EXPECT_EQ(canvas.fillColor(), Color::red());
    EXPECT_TRUE(canvas.currentTransform().isIdentity());
    // One restore too many is refused, not a crash.
    EXPECT_FALSE(canvas.restoreGraphicsState());
}

TEST_F(RecordingCanvasTest, PaintsWithTheColourAndTransformOfTheMoment) {
    BezierPath line = BezierPath::withLine({0, 0}, {10, 0});
    canvas.setStrokeColor(Color::green());
    canvas.concat(AffineTransform::translation(5, 5));
    canvas.stroke(line);
    canvas.setFillColor(Color::deviceRGB(1, 1, 0.7));
    canvas.fillRect(Rect(0, 0, 4, 4));
    canvas.stroke(BezierPath());  // empty paths paint nothing
    auto strokes = canvas.operations(Kind::Stroke);
    ASSERT_EQ(strokes.size(), 1u);
    EXPECT_EQ(strokes[0].color, Color::green());
    EXPECT_EQ(strokes[0].canvasPath().bounds(), Rect(5, 5, 10, 0));
    auto fills = canvas.operations(Kind::Fill);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].color, Color::deviceRGB(1, 1, 0.7));
    EXPECT_EQ(fills[0].canvasPath().bounds(), Rect(5, 5, 4, 4));
}

TEST_F(RecordingCanvasTest, FrameIsABandInsideTheRectangle) {
    canvas.frameRect(Rect(10, 10, 20, 10));
    auto fills = canvas.operations(Kind::Fill);
    ASSERT_EQ(fills.size(), 1u);
    const BezierPath& frame = fills[0].path;
    EXPECT_TRUE(frame.containsPoint({10.5, 15}));
    EXPECT_TRUE(frame.containsPoint({29.5, 19.5}));
    EXPECT_FALSE(frame.containsPoint({20, 15}));
    EXPECT_FALSE(frame.containsPoint({9.5, 15}));
}

TEST_F(RecordingCanvasTest, TextUsesTheFixedTestMetric) {
    TextAttributes attrs(Font("Helvetica", 10));
    EXPECT_EQ(canvas.measureText("12345", attrs), (Size{30, 12}));
    EXPECT_EQ(canvas.measureText("ab\nabcd", attrs), (Size{24, 24}));
    EXPECT_EQ(canvas.measureText("", attrs), (Size{0, 0}));
    // Two fonts on one line: widths add, the larger height counts.
    AttributedString mixed("ab", attrs);
    mixed.append("cd", TextAttributes(Font("Times", 20)));
    EXPECT_EQ(canvas.measureText(mixed), (Size{36, 24}));
    // Code points, not bytes: "°C" is two characters.
    EXPECT_EQ(canvas.measureText("\u00b0C", attrs).width, 12);
}

TEST_F(RecordingCanvasTest, TextInRectangleHangsFromItsTopEdge) {
    TextAttributes attrs(Font("Helvetica", 10), Color::blue());
    canvas.drawText(AttributedString("x = 1", attrs), Rect(5, 50, 100, 40));
    canvas.drawText("y", TextAttributes(), {1, 2});
    auto texts = canvas.operations(Kind::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].origin, (Point{5, 78}));  // top 90 minus the height 12
    EXPECT_EQ(texts[0].color, Color::blue());
    // Text without a colour is black whatever the canvas colour.
    EXPECT_EQ(texts[1].color, Color::black());
}

TEST(AttributedStringTest, RunsMergeAndAttributesSpreadOverTheWhole) {
    TextAttributes bold(Font("Arial", 12, true));
    AttributedString s("Temp", bold);
    s.append("erature", bold);
    EXPECT_EQ(s.runs().size(), 1u);
    s.append(" (C)", TextAttributes());
    EXPECT_EQ(s.runs().size(), 2u);
    EXPECT_EQ(s.attributesAt(3), bold);
    EXPECT_EQ(s.attributesAt(12), TextAttributes());
    s.setAttributes(bold);
    EXPECT_EQ(s.runs().size(), 1u);
}

// With the test metric a 10 pt character is 6 wide: a width of 60 holds ten of them.
class TextWrapping : public RecordingCanvasTest {
   protected:
    std::vector<std::string> wrapped(const AttributedString& text, double width = 60) {
        std::vector<std::string> lines;
        for (const AttributedString& line : canvas.wrapText(text, width)) {
            EXPECT_LE(canvas.measureText(line).width, std::max(width, 6.0)) << line.string();
            lines.push_back(line.string());
        }
        return lines;
    }
    TextAttributes plain{Font("Helvetica", 10)};
};

TEST_F(TextWrapping, BreaksBetweenWordsAndWithinAWordOnlyWhereItAloneIsWider) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(wrapped(AttributedString("one two three four", plain)),
              (Lines{"one two", "three four"}));
    EXPECT_EQ(wrapped(AttributedString("abcdefghijklmnop qr", plain)),
              (Lines{"abcdefghij", "klmnop qr"}));
    // The spaces at a break go; the text's own breaks and empty lines stay.
    EXPECT_EQ(wrapped(AttributedString("one     two three\n\nfour", plain)),
              (Lines{"one", "two three", " ", "four"}));
    // Too narrow for any character: one a line, a multi-byte one kept whole.
    EXPECT_EQ(wrapped(AttributedString("a\u00b0C", plain), 1), (Lines{"a", "\u00b0", "C"}));
    EXPECT_TRUE(canvas.wrapText(AttributedString(), 60).empty());
}

TEST_F(TextWrapping, EveryRunKeepsItsAttributesOnItsLine) {
    TextAttributes bold(Font("Helvetica", 10, true));
    AttributedString text("see the ", plain);
    text.append("boiling", bold);
    text.append(" curve", plain);
    std::vector<AttributedString> lines = canvas.wrapText(text, 80);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], AttributedString("see the", plain));
    AttributedString second("boiling", bold);
    second.append(" curve", plain);
    EXPECT_EQ(lines[1], second);
}

TEST(FontTest, NamesWithStyleSuffixesRoundTrip) {
    const struct {
        const char* name;
        Font font;
    } named[] = {{"Arial-BoldOblique", Font("Arial", 12, true, true)},
                 {"Helvetica-Oblique", Font("Helvetica", 12, false, true)}};
    for (const auto& n : named) {
        EXPECT_EQ(Font::named(n.name, 12), n.font) << n.name;
        EXPECT_EQ(n.font.name(), n.name);
    }
    EXPECT_EQ(Font::named("Times-Roman", 9).family(), "Times");
    EXPECT_EQ(Font::named("Foo-Bar", 10).family(), "Foo-Bar");
    EXPECT_EQ(Font("", -3).size(), 12);
    EXPECT_EQ(Font("Courier New", 10).installedFamily(), "Liberation Mono");
}

TEST(ColorTest, ComponentsAreClampedAndSpacesKept) {
    Color c = Color::deviceRGB(1.5, -0.2, NAN, 0.5);
    EXPECT_EQ(c.redComponent(), 1);
    EXPECT_EQ(c.greenComponent(), 0);
    EXPECT_EQ(c.blueComponent(), 0);
    EXPECT_EQ(c.alphaComponent(), 0.5);
    EXPECT_NE(Color::deviceRGB(1, 0, 0), Color::calibratedRGB(1, 0, 0));
    EXPECT_EQ(Color::red().withAlpha(0.25).alphaComponent(), 0.25);
}

}  // namespace
}  // namespace vornex
