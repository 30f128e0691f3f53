// Texts on a plot: a caption the program places keeps to the plot rectangle, whole, at every
// size of the plot and range of its axes; a text at a data point stays as the user put it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PlotTestSupport.h"
#include "plot/CGraphText.h"

namespace vornex {
namespace {

const std::string kSentence = "The boiling panel draws its column on the depth plot.";

class CaptionLayout : public test::PlotFixture {
   protected:
    void SetUp() override {
        PlotFixture::SetUp();
        view->setDefaultXYRange(0, 500, 500, 0);
        auto text = std::make_unique<CGraphText>();
        text->setText(kSentence);
        text->setFramePosition(10, 10);
        caption = view->add(std::move(text));
    }
    // Draws the whole plot at the size given and returns the caption's lines, in order.
    std::vector<RecordedOperation> linesAt(double width, double height = 300) {
        view->setFrame(Rect(0, 0, width, height));
        RecordingCanvas canvas(view->bounds().size);
        view->drawRect(canvas);
        lastClip.reset();
        std::vector<RecordedOperation> lines;
        for (const RecordedOperation& op : canvas.operations()) {
            if (op.kind == RecordedOperation::Kind::Clip) lastClip = op.path.bounds();
            // Tick labels and titles are set in other fonts.
            if (op.kind == RecordedOperation::Kind::Text && op.attributes.font == Font())
                lines.push_back(op);
        }
        return lines;
    }
    static std::string joined(const std::vector<RecordedOperation>& lines) {
        std::string all;
        for (const RecordedOperation& line : lines) all += (all.empty() ? "" : " ") + line.text;
        return all;
    }
    // Every line lies in the plot rectangle of the last drawing.
    void expectInsideThePlot(const std::vector<RecordedOperation>& lines, double width) {
        const Rect plot = view->getPlotRect();
        for (const RecordedOperation& line : lines) {
            EXPECT_GE(line.origin.x, plot.minX()) << width << ": " << line.text;
            EXPECT_LE(line.origin.x + line.textSize.width, plot.maxX())
                << width << ": " << line.text;
            EXPECT_GE(line.origin.y, plot.minY()) << width << ": " << line.text;
            EXPECT_LE(line.origin.y + line.textSize.height, plot.maxY())
                << width << ": " << line.text;
        }
    }
    CGraphText* caption = nullptr;
    std::optional<Rect> lastClip;
};

// Regression: the caption ran on one line from its data point past the plot's right edge and
// was cut there (and by the window) on any plot narrower than the sentence.
TEST_F(CaptionLayout, CaptionWasCutAtTheRightEdgeOfANarrowPlot) {
    std::size_t previousLines = 100;
    for (double width : {200.0, 320.0, 600.0, 1200.0}) {
        const std::vector<RecordedOperation> lines = linesAt(width);
        EXPECT_EQ(joined(lines), kSentence) << width;
        expectInsideThePlot(lines, width);
        EXPECT_LE(lines.size(), previousLines) << width;
        previousLines = lines.size();
        // Lines run down from the inset below the rectangle's top left corner.
        ASSERT_FALSE(lines.empty());
        const Rect plot = view->getPlotRect();
        EXPECT_DOUBLE_EQ(lines.front().origin.x, plot.minX() + 10);
        EXPECT_DOUBLE_EQ(lines.front().origin.y + lines.front().textSize.height, plot.maxY() - 10);
        for (std::size_t i = 1; i < lines.size(); ++i)
            EXPECT_DOUBLE_EQ(lines[i].origin.y + lines[i].textSize.height, lines[i - 1].origin.y);
        EXPECT_FLOAT_EQ(caption->height(),
                        static_cast<float>(lines.front().textSize.height * lines.size()));
    }
    EXPECT_EQ(linesAt(1200).size(), 1u);
    EXPECT_GE(linesAt(200).size(), 4u);
}

TEST_F(CaptionLayout, ZoomingOrMovingTheAxesLeavesTheCaptionInPlace) {
    auto expectAtItsInset = [this](const char* what) {
        const std::vector<RecordedOperation> lines = linesAt(320);
        EXPECT_EQ(joined(lines), kSentence) << what;
        expectInsideThePlot(lines, 320);
        ASSERT_FALSE(lines.empty()) << what;
        const Rect plot = view->getPlotRect();
        EXPECT_DOUBLE_EQ(lines.front().origin.x, plot.minX() + 10) << what;
        EXPECT_DOUBLE_EQ(lines.front().origin.y + lines.front().textSize.height, plot.maxY() - 10)
            << what;
    };
    expectAtItsInset("default ranges");
    view->doChangeAxisRanges(100, 120, 300, 290);
    expectAtItsInset("zoomed in");
    view->doChangeAxisRanges(-1e6, -9e5, 1e7, 2e7);
    expectAtItsInset("moved far away");
    view->setShowLogX(true);
    view->doChangeAxisRanges(1, 1e6, 0, 1);
    expectAtItsInset("logarithmic");
}

TEST_F(CaptionLayout, ALongWordBreaksWithinItAndALowPlotCutsAtItsEdge) {
    const std::string word = "Pneumonoultramicroscopicsilicovolcanoconiosis";
    caption->setText(word);
    std::vector<RecordedOperation> lines = linesAt(200);
    ASSERT_GE(lines.size(), 2u);
    std::string whole;
    for (const RecordedOperation& line : lines) whole += line.text;
    EXPECT_EQ(whole, word);
    expectInsideThePlot(lines, 200);

    // Too low for every line: the caption starts at the top and the rest is cut at the frame,
    // never drawn over the tick labels below it.
    caption->setText(kSentence);
    lines = linesAt(200, 110);
    const Rect plot = view->getPlotRect();
    ASSERT_FALSE(lines.empty());
    EXPECT_GT(caption->height(), plot.height());
    EXPECT_DOUBLE_EQ(lines.front().origin.y + lines.front().textSize.height, plot.maxY());
    ASSERT_TRUE(lastClip.has_value());
    EXPECT_EQ(*lastClip, plot);
}

TEST_F(CaptionLayout, ACopyOfThePlotShowsTheCaptionAndItsColour) {
    caption->setColor(Color::deviceRGB(0.5, 0, 0));
    linesAt(320);
    std::unique_ptr<CPlotView> copy = view->copy();
    const auto* copied = dynamic_cast<const CGraphText*>(copy->graphObjects().at(0).get());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->contents(), caption->contents());
    EXPECT_EQ(copied->placement(), CGraphText::Placement::PlotFrame);
    EXPECT_EQ(copied->color(), caption->color());
    float left = 0, top = 0;
    copied->getPosition(left, top);
    EXPECT_EQ(left, 10);
    EXPECT_EQ(top, 10);
    view = std::move(copy);
    EXPECT_EQ(joined(linesAt(320)), kSentence);
}

// A text the user puts at a data point keeps its one line at its natural size and moves with
// the data; placing it again at a data point ends a caption's frame placement.
TEST_F(CaptionLayout, ATextAtADataPointStaysWhereTheUserPutIt) {
    caption->setPosition(20, 260);
    EXPECT_EQ(caption->placement(), CGraphText::Placement::DataPoint);
    std::vector<RecordedOperation> lines = linesAt(200);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, kSentence);
    EXPECT_EQ(lines[0].origin, view->viewPoint(20, 260));
    view->doChangeAxisRanges(0, 100, 500, 0);
    lines = linesAt(200);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].origin, view->viewPoint(20, 260));
}

// A rich text keeps its own attributes when drawn; the size the caller gives a text at a
// data point is kept, and a copy carries the text, its place and that size.
TEST_F(CaptionLayout, ARichTextKeepsItsAttributesAndItsGivenSize) {
    AttributedString rich("Hl", TextAttributes(Font("Helvetica", 18).withBold(true), Color::red()));
    rich.append(" + L", TextAttributes(Font("Helvetica", 9)));
    caption->setText(rich);
    caption->setPosition(100, 250);
    caption->setDimension(42.0f, 17.0f);
    RecordingCanvas canvas(view->bounds().size);
    view->drawRect(canvas);
    const RecordedOperation* drawn = test::findText(canvas, "Hl + L");
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(drawn->attributes.font, Font("Helvetica", 18, true, false));
    EXPECT_EQ(drawn->attributes.color, Color::red());
    EXPECT_EQ(caption->contents().attributesAt(3).font, Font("Helvetica", 9));
    EXPECT_EQ(caption->width(), 42.0f);
    EXPECT_EQ(caption->height(), 17.0f);
    const std::unique_ptr<CGraphObject> copy = caption->copy();
    auto* text = dynamic_cast<CGraphText*>(copy.get());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->contents().string(), "Hl + L");
    EXPECT_EQ(text->width(), 42.0f);
    EXPECT_EQ(text->height(), 17.0f);
    float x = 0, y = 0;
    text->getPosition(x, y);
    EXPECT_EQ(x, 100.0f);
    EXPECT_EQ(y, 250.0f);
}

}  // namespace
}  // namespace vornex
