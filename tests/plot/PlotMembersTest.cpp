// Plot members the document and the menus reach without a click: highlighting one object,
// reading and moving the selection, a zoom rectangle tracked on its own, the status line,
// the curve exports, marker size, colour and font commands; graph-object colours, cousins,
// drawing and bounds; the log's three-line-end and argument-list appends; tables made
// read-only; the bar chart's titles, menu and grid; and the services used without a toolkit.
#include <gtest/gtest.h>

#include <cstdarg>
#include <filesystem>

#include "PlotTestSupport.h"
#include "plot/CBarPlotView.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphText.h"
#include "plot/CLogWindow.h"
#include "plot/MyTableView.h"

namespace vornex {
namespace {

using Kind = RecordedOperation::Kind;
using test::findText;
using test::readFile;

// Panels that also remember the colour panel's requests.
class ColourServices : public test::FakeServices {
   public:
    void showColorPanel(const Color& color) override { colourShown = color; }
    std::optional<Color> colourShown;
};

class PlotMembers : public test::PlotFixture {
   protected:
    void SetUp() override {
        PlotFixture::SetUp();
        PlotServices::setShared(&colours);
        view->setMaxXYRange(-500, 500, -500, 500);
        view->setDefaultXYRange(0, 100, 0, 100);
        view->setLabels("T", "P");
        view->setTicksDigits(1, 2);
        draw();
    }
    CGraphCurve* curve(const std::string& name) {
        auto* c = view->add(std::make_unique<CGraphCurve>());
        c->setName(name);
        c->addPoint(1.5f, 2.25f, false);
        c->addPoint(3, -4, false);
        c->addPoint(0, 0, true);
        c->addPoint(5e3f, 6e-3f, false);
        return c;
    }
    ColourServices colours;
};

TEST_F(PlotMembers, HiliteOneSelectionReadAndMovedOntoAPoint) {
    CGraphPoint* a = view->plotPoint(10, 20, 1, Color::red());
    CGraphPoint* b = view->plotPoint(30, 40, 1, Color::red());
    auto* text = view->add(std::make_unique<CGraphText>());
    view->hilite(a);
    view->hilite1(b);  // adds b; unlike hilite it leaves a highlighted
    EXPECT_TRUE(a->isHilited());
    EXPECT_TRUE(b->isHilited());
    view->hilite1(text);  // texts are not selectable
    EXPECT_FALSE(text->isHilited());
    view->hilite1(nullptr);

    view->setSelectedObject(b);
    view->setNeedsDisplay(false);
    view->adjustSelectionPoint(*a);
    EXPECT_TRUE(view->needsDisplay());
    float x = -1, y = -1;
    view->getSelectedPoint(x, y);
    EXPECT_EQ(x, 10.0f);
    EXPECT_EQ(y, 20.0f);
    CGraphObject* selected = nullptr;
    view->setSelectedPointY(41.5f);
    view->getSelection(x, y, selected);
    EXPECT_EQ(x, 10.0f);
    EXPECT_EQ(y, 41.5f);
    EXPECT_EQ(selected, b);
    // A click on a selects it and moves the point under the mouse.
    draw();
    click(viewPoint(10, 20));
    view->getSelection(x, y, selected);
    EXPECT_EQ(selected, a);
    EXPECT_NEAR(x, 10, 0.5);
    EXPECT_NEAR(y, 20, 0.5);
}

TEST_F(PlotMembers, ZoomRectangleTrackedAloneAndAClickClearsIt) {
    const Point s{100, 100};
    QueuedMouseEvents moved;
    moved.drag({150, 130});
    moved.release({200, 180});
    view->showSelectionPoint(true);
    EXPECT_TRUE(view->delimitZoomingAreaIfNecessary(test::mouse(MouseEvent::Type::Down, s), moved));
    EXPECT_EQ(view->trackingRect(), Rect(100, 100, 100, 80));
    EXPECT_TRUE(host.zoomEnabled);
    EXPECT_FALSE(view->isSelectionPointVisible());
    // Upwards and to the left: the rectangle still starts at the smaller corner.
    QueuedMouseEvents back;
    back.release({40, 60});
    EXPECT_TRUE(view->delimitZoomingAreaIfNecessary(test::mouse(MouseEvent::Type::Down, s), back));
    EXPECT_EQ(view->trackingRect(), Rect(40, 60, 60, 40));
    // A release where the press was, or a jitter of two units, is no drag: the old rectangle
    // goes and the zoom controls with it.
    for (Point end : {s, Point{102, 101}}) {
        QueuedMouseEvents still;
        still.release(end);
        EXPECT_FALSE(
            view->delimitZoomingAreaIfNecessary(test::mouse(MouseEvent::Type::Down, s), still));
        EXPECT_TRUE(view->trackingRect().isZero());
        EXPECT_FALSE(host.zoomEnabled);
    }
    // Events that stop without a release end the drag where the mouse last was.
    QueuedMouseEvents cut;
    cut.drag({130, 110});
    EXPECT_TRUE(view->delimitZoomingAreaIfNecessary(test::mouse(MouseEvent::Type::Down, s), cut));
    EXPECT_EQ(view->trackingRect(), Rect(100, 100, 30, 10));
    EXPECT_EQ(selections, 0);
}

TEST_F(PlotMembers, StatusLineShowsTheSelectionAtTheTickDigits) {
    view->setSelectedPoint(300.26f, 88.127f);
    view->updateStatusMessage();
    EXPECT_EQ(host.status, "T = 300.3, P = 88.13");
    view->setTicksDigits(0, 0);
    view->setLabels("", "");
    view->updateStatusMessage();
    EXPECT_EQ(host.status, " = 300,  = 88");
    view->setDrawPlotView(nullptr);
    view->updateStatusMessage();  // no host: nowhere to write, nothing happens
}

TEST_F(PlotMembers, CurveExportsWriteTheSelectedCurveOrNothing) {
    CGraphCurve* c = curve("sat");
    const std::string rows =
        "      1.500000e+00\t      2.250000e+00\n"
        "      3.000000e+00\t     -4.000000e+00\n"
        "\n"
        "      5.000000e+03\t      6.000000e-03\n";
    // Nothing selected, or a point: no save panel, no file.
    EXPECT_FALSE(view->onExportCurveData());
    view->setSelectedObject(view->plotPoint(1, 1, 1, Color::red()));
    EXPECT_FALSE(view->onExportIgorData());
    EXPECT_TRUE(colours.proposals.empty());

    view->setSelectedObject(c);
    colours.savePath = "members_curve.txt";
    ASSERT_TRUE(view->curvesMenu().performAction("onExportCurveData:"));
    EXPECT_EQ(readFile("members_curve.txt"), rows);
    colours.savePath = "members_curve.itx";
    EXPECT_TRUE(view->onExportIgorData());
    EXPECT_EQ(readFile("members_curve.itx"),
              "IGOR\nWAVES satx0 saty0\nBEGIN\n" + rows + "END\n");
    EXPECT_EQ(colours.proposals, (std::vector<std::string>{"data.txt", "data.itx"}));
    EXPECT_EQ(colours.fileTypes, (std::vector<std::string>{"txt", "itx"}));
    // Cancelled: false and no file; unwritable: false, reported, no file.
    colours.savePath.reset();
    std::filesystem::remove("members_curve.txt");
    EXPECT_FALSE(view->onExportCurveData());
    EXPECT_FALSE(std::filesystem::exists("members_curve.txt"));
    EXPECT_TRUE(colours.errors.empty());
    colours.savePath = "no_such_folder/members.itx";
    EXPECT_FALSE(view->onExportIgorData());
    ASSERT_EQ(colours.errors.size(), 1u);
    EXPECT_NE(colours.errors[0].find("no_such_folder/members.itx"), std::string::npos);
}

// Regression: "Decrease size" had no floor: the marker shrank to nothing (and could no longer
// be clicked), then grew again.
TEST_F(PlotMembers, DecreasePointSizeStopsAtTheSmallestMarkerAndUndoes) {
    CGraphPoint* point = view->plotPoint(30, 30, 3, Color::red());
    view->onDecreasePointSize();  // nothing selected
    EXPECT_FALSE(undo.canUndo());
    view->setSelectedObject(point);
    Menu& menu = view->pointsMenu();
    menu.update();
    EXPECT_TRUE(menu.itemWithAction("onDecreasePointSize:")->isEnabled());
    for (int i = 0; i < 9; ++i) menu.performAction("onDecreasePointSize:");
    EXPECT_EQ(point->getToolSizeFactor(), 1.0f);
    menu.update();
    EXPECT_FALSE(menu.itemWithAction("onDecreasePointSize:")->isEnabled());
    draw();
    EXPECT_GE(point->getBounds().width(), 4.0);  // still there to be clicked
    EXPECT_EQ(undo.undoActionName(), "Decrease Of Marker Size");
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(point->getToolSizeFactor(), 2.0f);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(point->getToolSizeFactor(), 3.0f);
    EXPECT_FALSE(undo.canUndo());
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(point->getToolSizeFactor(), 2.0f);
}

TEST_F(PlotMembers, ColourPanelOpensOnTheSelectedObjectsColour) {
    view->pointsMenu().performAction("onGraphObjectColor:");
    EXPECT_EQ(colours.colourShown, Color::black());  // nothing selected
    CGraphPoint* point = view->plotPoint(30, 30, 3, Color::deviceRGB(0.2, 0.4, 0.6));
    view->setSelectedObject(point);
    view->curvesMenu().performAction("onGraphObjectColor:");
    EXPECT_EQ(colours.colourShown, Color::deviceRGB(0.2, 0.4, 0.6));
    view->changeColor(Color::blue(), true);
    EXPECT_EQ(point->color(), Color::blue());
}

TEST_F(PlotMembers, TickAndLegendFontsAreEditedAlone) {
    const Font labels = view->labelsAttributes().font;
    const Font ticks = view->ticksAttributes().font;
    const Font legends = view->getLegendsAttributes().font;
    view->plotMenu().performAction("onGraduationFontSettings:");
    EXPECT_EQ(view->editedFont(), CPlotView::kTicksFont);
    EXPECT_EQ(colours.fontShown, ticks);
    view->changeFont([](const Font& f) { return f.withSize(17); });
    EXPECT_EQ(view->ticksAttributes().font.size(), 17);
    EXPECT_EQ(undo.undoActionName(), "Changes of Ticks Font");

    view->fontsMenu().performAction("onGraphObjectFont:");
    EXPECT_EQ(view->editedFont(), CPlotView::kLegendsFont);
    EXPECT_EQ(colours.fontShown, legends);
    view->changeFont([](const Font& f) { return f.withSize(9); });
    EXPECT_EQ(view->getLegendsAttributes().font.size(), 9);
    EXPECT_EQ(undo.undoActionName(), "Changes of Legends Font");
    EXPECT_EQ(view->labelsAttributes().font, labels);
    EXPECT_EQ(view->ticksAttributes().font.size(), 17);
    // The tick labels are drawn in the new font.
    RecordingCanvas canvas(view->bounds().size);
    view->drawRect(canvas);
    const RecordedOperation* tick = findText(canvas, "100");
    ASSERT_NE(tick, nullptr);
    EXPECT_EQ(tick->attributes.font.size(), 17);
    ASSERT_TRUE(undo.undo());
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(view->ticksAttributes().font, ticks);
    EXPECT_EQ(view->getLegendsAttributes().font, legends);
}

TEST(GraphObjectMembers, ColourComponentsCousinsDrawingAndBounds) {
    CGraphObject a, b;
    EXPECT_EQ(a.getRed() + a.getGreen() + a.getBlue(), 0);  // no colour yet
    a.setColor(0.5f, 0.25f, 1.0f);
    EXPECT_EQ(a.getRed(), 32767);
    EXPECT_EQ(a.getGreen(), 16383);
    EXPECT_EQ(a.getBlue(), 65535);

    a.setColorCousinship(&b);
    a.setColor(Color::red());
    EXPECT_EQ(b.color(), Color::red());
    a.breakCousinship(&b);
    a.breakCousinship(&b);  // a second time changes nothing
    a.breakCousinship(nullptr);
    EXPECT_TRUE(a.colorCousins().empty() && b.colorCousins().empty());
    a.setColor(Color::green());
    b.setColor(Color::blue());
    EXPECT_EQ(a.color(), Color::green());
    EXPECT_EQ(b.color(), Color::blue());

    // The base draws nothing and, never drawn, has no bounds.
    RecordingCanvas canvas;
    a.render(canvas);
    EXPECT_TRUE(canvas.operations().empty());
    EXPECT_TRUE(a.getBounds().isZero());
}

TEST_F(PlotMembers, BoundsOfADrawnMarkerSurroundItsPoint) {
    CGraphPoint* point = view->plotPoint(50, 50, 3, Color::red());
    EXPECT_TRUE(point->getBounds().isZero());
    draw();
    const Point c = viewPoint(50, 50);
    const float half = 0.5f * point->getToolSizeFactor() + 2.0f;  // not highlighted
    const Rect r = point->getBounds();
    EXPECT_NEAR(r.midX(), c.x, 1e-4);
    EXPECT_NEAR(r.midY(), c.y, 1e-4);
    EXPECT_NEAR(r.width(), 2 * half, 1e-4);
    EXPECT_NEAR(r.height(), 2 * half, 1e-4);
}

void appendThroughList(CLogWindow& log, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    log.appendFormatArguments(format, arguments);
    va_end(arguments);
}

TEST(LogMembers, ThreeLineEndsAndAnArgumentList) {
    CLogWindow log;
    log.appendFormat3("%d K", 7);
    EXPECT_EQ(log.string(), "7 K\n\n\n");
    appendThroughList(log, "%s=%.3f|%c", "P", 88.0, 'x');
    EXPECT_EQ(log.string(), "7 K\n\n\nP=88.000|x");
    // A long argument list is not cut, and the list is read only once.
    const std::string word(3000, 'n');
    appendThroughList(log, "[%s][%d]", word.c_str(), 42);
    const std::string last = "[" + word + "][42]";
    EXPECT_EQ(log.string().substr(log.string().size() - last.size()), last);
    EXPECT_EQ(log.text().runs().back().attributes.font, Font("Courier New", 12));
}

TEST(TableMembers, ReadOnlyTableOpensNoCellForEditing) {
    MyTableView table;
    table.addColumn("name");
    table.addColumn("T0", false);
    table.reloadData(3);
    table.selectRow(1);
    table.setEditable(false);
    for (const auto& c : table.columns()) EXPECT_FALSE(c.editable) << c.identifier;
    EXPECT_TRUE(table.keyDown(KeyEvent{keycodes::keypadEnter, "", 0}));
    EXPECT_EQ(table.editedCell().row, -1);
    EXPECT_FALSE(table.editColumn(0, 1, true));
    table.setEditable(true);
    for (const auto& c : table.columns()) EXPECT_TRUE(c.editable) << c.identifier;
    EXPECT_TRUE(table.keyDown(KeyEvent{keycodes::keypadEnter, "", 0}));
    EXPECT_EQ(table.editedCell().row, 1);
    EXPECT_EQ(table.editedCell().column, 0);
    EXPECT_TRUE(table.editedCell().textSelected);
}

TEST(BarChartMembers, TitlesMenuAndGrid) {
    CBarPlotView view(Rect(0, 0, 480, 300));
    view.setValues({10, 50});
    view.setMinimum(0, 100);
    view.setLabels("Salt", "Share (%)");
    RecordingCanvas canvas(view.bounds().size);
    view.drawRect(canvas);
    const auto layout = view.layout();
    const RecordedOperation* x = findText(canvas, "Salt");
    const RecordedOperation* y = findText(canvas, "Share (%)");
    ASSERT_TRUE(x && y);
    EXPECT_NEAR(x->origin.x + x->textSize.width / 2, 20 + 40 + layout.plotWidth / 2, 1e-9);
    EXPECT_EQ(x->origin.y, 5);
    EXPECT_EQ(x->attributes.font, Font::systemFont());
    // The y title reads upward, 5 units from the left edge, centred on the plot height.
    const Rect turned = Rect(y->origin.x, y->origin.y, y->textSize.width, y->textSize.height);
    const Rect onView = BezierPath::withRect(turned).transformed(y->transform).bounds();
    EXPECT_NEAR(onView.minX(), 5, 1e-9);
    EXPECT_NEAR(onView.midY(), 40 + layout.plotHeight / 2, 1e-9);
    EXPECT_EQ(y->transform, AffineTransform::rotationDegrees(90));

    // One menu for every event, with the grid item following the grid.
    Menu& menu = view.menuForEvent(test::mouse(MouseEvent::Type::Down, {1, 1}));
    EXPECT_EQ(&menu, &view.menuForEvent(test::mouse(MouseEvent::Type::Down, {400, 250})));
    EXPECT_EQ(menu.title(), "Barplot");
    menu.update();
    EXPECT_EQ(menu.itemWithAction("onToggleGrid:")->title(), "Show grid");
    auto greyStrokes = [&canvas] {
        std::vector<Rect> grey;
        for (const auto& op : canvas.operations(Kind::Stroke))
            if (op.color == Color::gray()) grey.push_back(op.path.bounds());
        return grey;
    };
    EXPECT_TRUE(greyStrokes().empty());
    ASSERT_TRUE(menu.performAction("onToggleGrid:"));
    EXPECT_TRUE(view.showsGrid());
    menu.update();
    EXPECT_EQ(menu.itemWithAction("onToggleGrid:")->title(), "Hide grid");
    canvas.clear();
    view.drawRect(canvas);
    const std::vector<Rect> grey = greyStrokes();
    ASSERT_EQ(grey.size(), 2u);  // horizontal lines, then vertical ones
    EXPECT_EQ(grey[0].minX(), 20 + 40);
    EXPECT_EQ(grey[0].maxX(), 480 - 20 + 5);
    EXPECT_EQ(grey[1].minY(), 40);
    EXPECT_EQ(grey[1].maxY(), 300 - 20);
    view.onToggleGrid();
    EXPECT_FALSE(view.showsGrid());
}

// Without a toolkit every save panel is cancelled, failures go to the log, and the panels
// and new windows are not there: each command gives up cleanly.
TEST(HeadlessServices, CancelLogAndShowNothing) {
    PlotServices::setShared(nullptr);
    PlotServices& headless = PlotServices::shared();
    EXPECT_FALSE(headless.runSavePanel("plot", "pdf").has_value());
    EXPECT_EQ(test::loggedBy([&] { headless.reportError("disk full"); }),
              std::vector<std::string>{"disk full"});
    EXPECT_FALSE(headless.isAxisRangePanelVisible());
    EXPECT_FALSE(headless.isColorPanelVisible());

    UserDefaults none{""};
    CPlotView view(Rect(0, 0, 400, 300), &none);
    UndoManager undo;
    view.setUndoManager(&undo);
    auto* curve = view.add(std::make_unique<CGraphCurve>());
    curve->addPoint(1, 1, false);
    curve->setColor(Color::red());
    view.setSelectedObject(curve);
    const std::vector<std::string> logged = test::loggedBy([&] {
        EXPECT_FALSE(view.onPrintPlot());
        EXPECT_FALSE(view.onExportCurveData());
        EXPECT_FALSE(view.onExportIgorData());
        view.onShowAxisRangePanel();
        view.onCurvesSettingsPanel();
        view.onPointsSettingsPanel();
        view.onLabelFontSettings();
        view.onGraphObjectColor();
        view.updateColorPanel();
        view.updateStatusMessage();
        view.onOpenNewPlotWindow();  // the copy has no window to live in and goes
    });
    EXPECT_TRUE(logged.empty());
    EXPECT_EQ(curve->color(), Color::red());
    headless.updateAxisRangePanel();
    headless.setColorPanelColor(Color::blue());
}

}  // namespace
}  // namespace vornex
