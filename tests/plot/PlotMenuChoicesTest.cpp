// Items chosen from the menus a right click opens, by their titles, as the window's menu does:
// the plot's zoom out, range panel, default ranges and logarithmic axis; a curve's Igor export
// and settings panel; a point's settings panel; the bar chart's styles and its two files.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "PlotTestSupport.h"
#include "plot/CBarPlotView.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"

namespace vornex {
namespace {

using Kind = RecordedOperation::Kind;
using test::readFile;

// Performs the item titled `title` of `menu` as a click on it does; false when there is no
// such item or it is disabled.
bool choose(Menu& menu, const std::string& title) {
    for (std::size_t i = 0; i < menu.size(); ++i)
        if (menu.item(i).title() == title) return menu.performItem(i);
    ADD_FAILURE() << "no item \"" << title << "\" in " << menu.title();
    return false;
}

class PanelServices : public test::FakeServices {
   public:
    void showAxisRangePanel(CPlotView& view) override { rangePanelOf.push_back(&view); }
    void showCurveSettingsPanel(CPlotView&, CGraphCurve& curve) override {
        curvePanelOf.push_back(&curve);
    }
    void showPointSettingsPanel(CPlotView&, CGraphObject& object) override {
        pointPanelOf.push_back(&object);
    }
    std::vector<CPlotView*> rangePanelOf;
    std::vector<CGraphCurve*> curvePanelOf;
    std::vector<CGraphObject*> pointPanelOf;
};

class PlotMenuChoices : public test::PlotFixture {
   protected:
    void SetUp() override {
        PlotFixture::SetUp();
        PlotServices::setShared(&panels);
        view->setMaxXYRange(-1000, 1000, -1000, 1000);
        view->setDefaultXYRange(0, 100, 0, 100);
        view->setTicksDigits(0, 0);
        draw();
    }
    Menu& menuAt(float x, float y) {
        MouseEvent right = test::mouse(MouseEvent::Type::Down, viewPoint(x, y));
        right.button = MouseButton::Right;
        Menu* menu = view->menuForEvent(right);
        EXPECT_NE(menu, nullptr);
        static Menu none;
        return menu ? *menu : none;
    }
    PanelServices panels;
};

// Zoom out puts the whole present range into the rectangle dragged; the default ranges come
// back from the menu, and each step is undone in turn.
TEST_F(PlotMenuChoices, ZoomOutIntoTheRectangleThenDefaultRanges) {
    view->setXYRange(20, 60, 10, 50);
    draw();
    const Point a = viewPoint(30, 20), b = viewPoint(50, 40);
    const Rect plot = view->getPlotRect();
    drag(a, {b});
    ASSERT_TRUE(choose(menuAt(25, 45), "Zoom out"));
    // The former range [20, 60] × [10, 50] now lies where the rectangle lay in the plot.
    const auto r = test::rangeOf(*view);
    EXPECT_NEAR((20 - r[0]) / (r[1] - r[0]), (a.x - plot.x()) / plot.width(), 1e-4);
    EXPECT_NEAR((60 - r[0]) / (r[1] - r[0]), (b.x - plot.x()) / plot.width(), 1e-4);
    EXPECT_NEAR((10 - r[2]) / (r[3] - r[2]), (a.y - plot.y()) / plot.height(), 1e-4);
    EXPECT_NEAR((50 - r[2]) / (r[3] - r[2]), (b.y - plot.y()) / plot.height(), 1e-4);
    const auto zoomedOut = test::rangeOf(*view);
    ASSERT_TRUE(choose(menuAt(0.5f * (zoomedOut[0] + zoomedOut[1]), zoomedOut[2] + 1),
                       "Axis ranges by default..."));
    EXPECT_EQ(test::rangeOf(*view), (std::vector<float>{0, 100, 0, 100}));
    EXPECT_FALSE(choose(menuAt(50, 50), "Axis ranges by default..."));  // nothing to restore
    undo.undo();
    EXPECT_EQ(test::rangeOf(*view), zoomedOut);
    undo.undo();
    EXPECT_EQ(test::rangeOf(*view), (std::vector<float>{20, 60, 10, 50}));
}

// Set Axis ranges opens the range panel on this plot; the logarithmic y axis labels decades.
TEST_F(PlotMenuChoices, RangePanelAndLogarithmicYAxis) {
    ASSERT_TRUE(choose(menuAt(50, 50), "Set Axis ranges..."));
    EXPECT_EQ(panels.rangePanelOf, (std::vector<CPlotView*>{view.get()}));
    view->setXYRange(0, 100, 1, 1000);
    view->setTicksNumber(2, 10);
    using Texts = std::vector<std::string>;
    const Texts linear{"Undefined", "Undefined", "0", "100", "100", "200", "300", "400",
                       "500", "600", "700", "800", "900", "1000"};
    const Texts decades{"Undefined", "Undefined", "0", "100", "1", "10", "100", "1000"};
    auto drawnTexts = [this] {
        RecordingCanvas canvas(view->bounds().size);
        view->drawRect(canvas);
        return canvas.texts();
    };
    EXPECT_EQ(drawnTexts(), linear);
    const int changes = axisChanges;
    ASSERT_TRUE(choose(menuAt(50, 50), "Logarithmic Y axis"));
    EXPECT_TRUE(view->showLogY());
    EXPECT_FALSE(view->showLogX());
    EXPECT_EQ(axisChanges, changes + 1);
    EXPECT_EQ(drawnTexts(), decades);
    Menu& again = menuAt(50, 5);
    again.update();
    EXPECT_EQ(again.itemWithTitle("Logarithmic Y axis")->state(), MenuItem::State::On);
    ASSERT_TRUE(choose(again, "Logarithmic Y axis"));
    EXPECT_FALSE(view->showLogY());
    EXPECT_EQ(drawnTexts(), linear);
}

// A curve's menu writes the curve's own points as Igor waves and opens its settings panel; a
// point's menu opens the point's.
TEST_F(PlotMenuChoices, CurveAndPointMenusActOnTheObjectClicked) {
    auto* curve = view->add(std::make_unique<CGraphCurve>());
    curve->setName("isochore 1");
    curve->addPoint(10, 50, false);
    curve->addPoint(90, 50, false);
    CGraphPoint* point = view->plotPoint(30, 80, 1, Color::red());
    draw();
    const auto path = std::filesystem::temp_directory_path() /
                      ("vornex-curve-" + std::to_string(::getpid()) + ".itx");
    panels.savePath = path.string();
    Menu& curves = menuAt(50, 50);
    EXPECT_EQ(curves.title(), "Curves");
    ASSERT_TRUE(choose(curves, "Save to Igor data file..."));
    std::istringstream igor(readFile(path.string()));
    std::filesystem::remove(path);
    std::string line;
    std::getline(igor, line);
    EXPECT_EQ(line, "IGOR");
    std::getline(igor, line);
    EXPECT_EQ(line.rfind("WAVES ", 0), 0u);
    std::getline(igor, line);
    EXPECT_EQ(line, "BEGIN");
    std::vector<double> values;
    for (double v; igor >> v;) values.push_back(v);
    EXPECT_EQ(values, (std::vector<double>{10, 50, 90, 50}));
    ASSERT_TRUE(choose(menuAt(50, 50), "Settings panel..."));
    EXPECT_EQ(panels.curvePanelOf, (std::vector<CGraphCurve*>{curve}));

    Menu& points = menuAt(30, 80);
    EXPECT_EQ(points.title(), "Points");
    ASSERT_TRUE(choose(points, "Settings panel..."));
    EXPECT_EQ(panels.pointPanelOf, (std::vector<CGraphObject*>{point}));
    EXPECT_TRUE(panels.errors.empty());
}

class BarMenuChoices : public ::testing::Test {
   protected:
    void SetUp() override {
        PlotServices::setShared(&services);
        view.setValues({10, 50});
        view.setMinimum(0, 100);
        view.setLabels(std::vector<std::string>{"NaCl", "KCl"});
    }
    void TearDown() override { PlotServices::setShared(nullptr); }
    Menu& menu() { return view.menuForEvent(test::mouse(MouseEvent::Type::Down, {5, 5})); }
    // Bars (red fills), markers (white circles) and the line through the values (a blue
    // stroke wider than a marker) drawn.
    std::vector<std::size_t> drawnMarks() {
        RecordingCanvas canvas(view.bounds().size);
        view.drawRect(canvas);
        std::size_t bars = 0, markers = 0, lines = 0;
        for (const auto& op : canvas.operations()) {
            bars += op.kind == Kind::Fill && op.color == Color::red();
            const double width = op.path.bounds().width();
            markers += op.kind == Kind::Fill && op.color == Color::white() && width < 20;
            lines += op.kind == Kind::Stroke && op.color == Color::blue() && width > 20;
        }
        return {bars, markers, lines};
    }
    CBarPlotView view{Rect(0, 0, 480, 300)};
    test::FakeServices services;
};

// Bars, Lines, and Lines and markers each draw their own marks, and only those.
TEST_F(BarMenuChoices, StylesDrawTheirOwnMarks) {
    ASSERT_TRUE(choose(menu(), "Bars"));
    const auto bars = drawnMarks();
    EXPECT_EQ(bars[0], 2u);
    EXPECT_EQ(bars[1], 0u);
    ASSERT_TRUE(choose(menu(), "Lines"));
    const auto lines = drawnMarks();
    EXPECT_EQ(lines[0], 0u);
    EXPECT_EQ(lines[1], 0u);
    EXPECT_GT(lines[2], 0u);
    ASSERT_TRUE(choose(menu(), "Lines and markers"));
    const auto both = drawnMarks();
    EXPECT_EQ(both[0], 0u);
    EXPECT_EQ(both[1], 2u);
    EXPECT_GT(both[2], 0u);
}

// Save as PDF writes a one-page PDF; Export to Igor writes the values and their labels.
TEST_F(BarMenuChoices, PdfAndIgorFilesFromTheMenu) {
    const auto folder = std::filesystem::temp_directory_path();
    const std::string stem = "vornex-bars-" + std::to_string(::getpid());
    services.savePath = (folder / (stem + ".pdf")).string();
    ASSERT_TRUE(choose(menu(), "Save as PDF..."));
    const std::string pdf = readFile(*services.savePath);
    std::filesystem::remove(*services.savePath);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_NE(pdf.find("/Count 1"), std::string::npos);
    services.savePath = (folder / (stem + ".itx")).string();
    ASSERT_TRUE(choose(menu(), "Export to Igor..."));
    const std::string igor = readFile(*services.savePath);
    std::filesystem::remove(*services.savePath);
    std::istringstream in(igor);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    EXPECT_EQ(words, (std::vector<std::string>{"IGOR", "WAVES", "v0", "BEGIN", "1.000000e+01",
                                               "5.000000e+01", "END", "WAVES/T", "s0", "BEGIN",
                                               "\"NaCl\"", "\"KCl\"", "END"}));
    EXPECT_TRUE(services.errors.empty());
}

}  // namespace
}  // namespace vornex
