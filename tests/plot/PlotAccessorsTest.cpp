// Setters that the document's archives and panels use one value at a time: tick counts and
// axis titles as the drawing shows them, legend entries, label texts and anchors, labels under
// markers, selectability, the plot format's text records, the log's paragraph append and the
// ternary selection a click replaces.
#include <gtest/gtest.h>

#include <algorithm>

#include "PlotTestSupport.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphPointCurve.h"
#include "plot/CLogWindow.h"
#include "plot/CPlotFormat.h"
#include "plot/CTernaryPlotView.h"

namespace vornex {
namespace {

using test::roundTrip;

using test::findText;

class PlotAccessors : public test::PlotFixture {
   protected:
    void SetUp() override {
        PlotFixture::SetUp();
        view->setMaxXYRange(-1000, 1000, -1000, 1000);
        view->setDefaultXYRange(0, 100, 0, 100);
        view->setTicksDigits(0, 0);
        draw();
    }
    std::vector<std::string> drawnTexts() {
        RecordingCanvas canvas(view->bounds().size);
        view->drawRect(canvas);
        return canvas.texts();
    }
    bool drawn(const std::string& text) {
        const auto texts = drawnTexts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
};

// The tick counts reach the axes: ten ticks on 0 ... 100 put a tick every 10 (the narrower
// x axis labels every other one), two ticks only the ends.
TEST_F(PlotAccessors, TickCountsSetTheLabelledTicks) {
    using Texts = std::vector<std::string>;
    const Texts titles{"Undefined", "Undefined"}, ends{"0", "100"};
    const Texts xTens{"0", "20", "40", "60", "80", "100"};
    const Texts yTens{"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100"};
    auto joined = [](std::initializer_list<Texts> parts) {
        Texts all;
        for (const Texts& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    view->setMNbXTicks(10);
    view->setMNbYTicks(10);
    EXPECT_EQ(view->mNbXTicks(), 10);
    EXPECT_EQ(view->mNbYTicks(), 10);
    EXPECT_EQ(drawnTexts(), joined({titles, xTens, yTens}));
    view->setMNbXTicks(2);
    EXPECT_EQ(drawnTexts(), joined({titles, ends, yTens}));
    view->setMNbYTicks(2);
    EXPECT_EQ(drawnTexts(), joined({titles, ends, ends}));
}

// Titles given whole, with their own attributes, are drawn as given and named in the
// status line of a pointed position.
TEST_F(PlotAccessors, AxisTitlesAreDrawnWithTheirOwnAttributes) {
    TextAttributes bold = view->labelsAttributes();
    bold.font = Font("Helvetica", 14, true);
    view->setMXLabel(AttributedString("T (K)", bold));
    view->setMYLabel(AttributedString("P (bar)", bold));
    RecordingCanvas canvas(view->bounds().size);
    view->drawRect(canvas);
    const RecordedOperation* x = findText(canvas, "T (K)");
    const RecordedOperation* y = findText(canvas, "P (bar)");
    ASSERT_NE(x, nullptr);
    ASSERT_NE(y, nullptr);
    EXPECT_TRUE(x->attributes.font.isBold());
    EXPECT_EQ(y->attributes.font.size(), 14);
    EXPECT_EQ(findText(canvas, "Undefined"), nullptr);
    EXPECT_EQ(view->mXLabel().string(), "T (K)");
}

// An object taken out of the legend keeps its place in the plot.
TEST_F(PlotAccessors, RemovedFromTheLegendStillDrawn) {
    auto* a = view->add(std::make_unique<CGraphCurve>());
    a->setName("isochore");
    a->addPoint(10, 10, false);
    a->addPoint(90, 90, false);
    auto* b = view->plotPoint(50, 50, 1, Color::red());
    b->setName("inclusion");
    view->includesIntoLegend(a);
    view->includesIntoLegend(b);
    view->setLegendPosition(20, 80);
    EXPECT_TRUE(drawn("isochore"));
    EXPECT_TRUE(drawn("inclusion"));
    view->removeFromLegend(a);
    EXPECT_FALSE(drawn("isochore"));
    EXPECT_TRUE(drawn("inclusion"));
    EXPECT_TRUE(view->containsGraphObject(a));
    view->removeFromLegend(a);  // twice: nothing else goes
    EXPECT_TRUE(drawn("inclusion"));
    // A click activates the window and acts at once; the view paints its whole rectangle.
    EXPECT_TRUE(view->acceptsFirstMouse());
    EXPECT_TRUE(view->acceptsFirstResponder());
    EXPECT_TRUE(view->isOpaque());
}

// The margin and plot-area colours: pale yellow and pale cyan, or the colours archived in
// the user defaults; the margin colour fills the whole view first, the plot area's its
// rectangle.
TEST_F(PlotAccessors, AreaColoursComeFromTheDefaultsOrThePaleOnes) {
    EXPECT_EQ(view->backColor(), Color::deviceRGB(1, 1, 0.7));
    EXPECT_EQ(view->foreColor(), Color::deviceRGB(0.6, 1, 1));
    UserDefaults prefs{""};
    prefs.set("backColorMarginArea", Color::calibratedRGB(0.2, 0.3, 0.4));
    prefs.set("backColorPlotArea", Color::deviceRGB(0.9, 0.8, 0.7, 0.5));
    CPlotView coloured(Rect(0, 0, 400, 300), &prefs);
    EXPECT_EQ(coloured.backColor(), Color::calibratedRGB(0.2, 0.3, 0.4));
    EXPECT_EQ(coloured.foreColor(), Color::deviceRGB(0.9, 0.8, 0.7, 0.5));
    RecordingCanvas canvas(coloured.bounds().size);
    coloured.drawRect(canvas);
    std::vector<const RecordedOperation*> fills;
    for (const RecordedOperation& op : canvas.operations())
        if (op.kind == RecordedOperation::Kind::Fill) fills.push_back(&op);
    ASSERT_GE(fills.size(), 2u);
    EXPECT_EQ(fills[0]->color, coloured.backColor());
    EXPECT_EQ(fills[0]->path.bounds(), coloured.bounds());
    const auto plotFill = std::find_if(fills.begin(), fills.end(), [&](const RecordedOperation* f) {
        return f->color == coloured.foreColor();
    });
    ASSERT_NE(plotFill, fills.end());
    EXPECT_EQ((*plotFill)->path.bounds(), coloured.getPlotRect());
}

// A curve's label is centred on its anchor, and not drawn outside the plot.
TEST_F(PlotAccessors, CurveLabelCentredOnItsAnchor) {
    auto* c = view->add(std::make_unique<CGraphCurve>());
    c->addPoint(0, 0, false);
    c->addPoint(100, 100, false);
    c->setMLabel("500 bar");
    c->setMLabelAnchor(DataPoint{40, 60});
    EXPECT_EQ(c->mLabel(), "500 bar");
    EXPECT_EQ(c->mLabelAnchor(), (DataPoint{40, 60}));
    RecordingCanvas canvas(view->bounds().size);
    view->drawRect(canvas);
    const RecordedOperation* label = findText(canvas, "500 bar");
    ASSERT_NE(label, nullptr);
    const Point centre{label->origin.x + 0.5 * label->textSize.width,
                       label->origin.y + 0.5 * label->textSize.height};
    EXPECT_NEAR(centre.x, view->getXValue(40), 0.5);
    EXPECT_NEAR(centre.y, view->getYValue(60), 0.5);
    c->setMLabelAnchor(DataPoint{400, 60});
    EXPECT_FALSE(drawn("500 bar"));
    c->setMLabel("");
    c->setMLabelAnchor(DataPoint{40, 60});
    EXPECT_FALSE(drawn(""));
}

// Markers write their names under them only when asked, one point or a whole set.
TEST_F(PlotAccessors, LabelsUnderMarkersFollowTheirSwitch) {
    CGraphPoint* p = view->plotPoint(30, 30, 1, Color::blue());
    p->setName("Th");
    EXPECT_FALSE(drawn("Th"));
    p->setShowLabel(true);
    EXPECT_TRUE(p->showLabel());
    RecordingCanvas canvas(view->bounds().size);
    view->drawRect(canvas);
    const RecordedOperation* under = findText(canvas, "Th");
    ASSERT_NE(under, nullptr);
    EXPECT_LT(under->origin.y, view->getYValue(30));  // below the marker (y up)

    auto* set = view->add(std::make_unique<CGraphStringPointCurve>());
    set->addPoint("run 1", 60, 60);
    set->addPoint("run 2", 70, 20);
    EXPECT_TRUE(set->showLabels());
    EXPECT_TRUE(drawn("run 1") && drawn("run 2"));
    set->setShowLabels(false);
    EXPECT_FALSE(set->showLabels());
    EXPECT_FALSE(drawn("run 1") || drawn("run 2"));
    p->setShowLabel(false);
    EXPECT_FALSE(drawn("Th"));
}

// A labelled point writes its label, not its name, where a plain point of the same marker
// writes its name, shifted by its offsets (view units).
TEST_F(PlotAccessors, ALabelledPointWritesItsLabelShiftedByItsOffsets) {
    CGraphPoint* plain = view->plotPoint(30, 30, 1, Color::blue());
    plain->setName("Hl");
    plain->setShowLabel(true);
    auto labelled = CGraphStringPoint::newGraphStringPoint(60, 60);
    labelled->setName("halite");
    labelled->setLabel("Hl");
    labelled->setSize(plain->size());
    labelled->setSelector(plain->selector());
    labelled->setShowLabel(true);
    labelled->setOffsetX(4.0f);
    labelled->setOffsetY(-2.0f);
    view->add(std::move(labelled));
    RecordingCanvas canvas(view->bounds().size);
    view->drawRect(canvas);
    std::vector<Point> origins;
    for (const RecordedOperation& op : canvas.operations())
        if (op.kind == RecordedOperation::Kind::Text && op.text == "Hl")
            origins.push_back(op.origin);
    ASSERT_EQ(origins.size(), 2u);
    EXPECT_FALSE(drawn("halite"));
    const Point shift{view->getXValue(60) - view->getXValue(30) + 4.0,
                      view->getYValue(60) - view->getYValue(30) - 2.0};
    EXPECT_NEAR(origins[1].x - origins[0].x, shift.x, 1e-4);
    EXPECT_NEAR(origins[1].y - origins[0].y, shift.y, 1e-4);
}

// An item made unselectable is neither hit nor highlighted; its colour reads back as set.
TEST_F(PlotAccessors, UnselectableItemIsNeitherHitNorHighlighted) {
    auto* c = view->add(std::make_unique<CGraphCurve>());
    c->addPoint(0, 50, false);
    c->addPoint(100, 50, false);
    EXPECT_FALSE(c->getColor().has_value());
    c->setColor(0.0f, 0.5f, 1.0f);
    ASSERT_TRUE(c->getColor().has_value());
    EXPECT_EQ(*c->getColor(), *c->color());
    EXPECT_EQ(c->getGreen(), 32767);
    draw();
    const Point on = viewPoint(50, 50);
    EXPECT_TRUE(c->isSelectable());
    EXPECT_TRUE(c->isHit(on));
    c->setSelectable(false);
    EXPECT_FALSE(c->isSelectable());
    EXPECT_FALSE(c->isHit(on));
    c->setHilited(true);
    EXPECT_FALSE(c->isHilited());
}

// Text records given whole are shared, archived with their style bits, and read back.
TEST(PlotFormatAccessors, TextRecordsGivenWholeRoundTrip) {
    auto labels = std::make_shared<CTextFormat>();
    labels->setFontName("Times");
    labels->setStyle(CTextFormat::kBold | CTextFormat::kItalic);
    EXPECT_TRUE(labels->isBold() && labels->isItalic());
    auto ticks = std::make_shared<CTextFormat>();
    ticks->setSize(8);
    ticks->setStyle(CTextFormat::kItalic);
    EXPECT_FALSE(ticks->isBold());
    CPlotFormat format;
    format.setLabelsFormat(labels);
    format.setTicksFormat(ticks);
    EXPECT_EQ(format.labelsFormat(), labels);  // shared, not copied
    ticks->setSize(9);
    EXPECT_EQ(format.ticksFormat()->size(), 9);
    CPlotFormat back;
    ASSERT_TRUE(roundTrip(format, back));
    EXPECT_EQ(*back.labelsFormat(), *labels);
    EXPECT_EQ(*back.ticksFormat(), *ticks);
    EXPECT_EQ(back.labelsFormat()->style(), 3);
    format.setTicksFormat(nullptr);
    ASSERT_TRUE(roundTrip(format, back));
    EXPECT_EQ(back.ticksFormat(), nullptr);
}

TEST(LogAccessors, ParagraphAppendEndsWithAnEmptyLine) {
    CLogWindow log;
    log.appendString2("Th = 250.0");
    log.appendString2("Tm = -2.1");
    EXPECT_EQ(log.string(), "Th = 250.0\n\nTm = -2.1\n\n");
}

// A selection set by the document stands until a click: a miss clears all three, a hit puts
// the clicked composition, whose parts add up to 100.
TEST(TernaryAccessors, SelectionSetStandsUntilAClickReplacesIt) {
    NotificationCenter center;
    CTernaryPlotView view(Rect(0, 0, 400, 400));
    view.setNotificationCenter(&center);
    view.setMSela(20);
    view.setMSelb(30);
    view.setMSelc(50);
    EXPECT_EQ(view.mSelb(), 30);
    EXPECT_EQ(view.mSelc(), 50);
    view.placeCorners();
    const Point inside = view.viewPointForComposition(10, 70);
    EXPECT_TRUE(view.mouseDown(test::mouse(MouseEvent::Type::Down, inside)));
    EXPECT_NEAR(view.mSela(), 10, 1e-3);
    EXPECT_NEAR(view.mSelb(), 70, 1e-3);
    EXPECT_NEAR(view.mSelc(), 20, 1e-3);
    view.setMSelb(5);
    view.setMSelc(75);
    EXPECT_FALSE(view.mouseDown(test::mouse(MouseEvent::Type::Down, {2, 2})));
    EXPECT_EQ(view.mSelb(), -1);
    EXPECT_EQ(view.mSelc(), -1);
}

}  // namespace
}  // namespace vornex
