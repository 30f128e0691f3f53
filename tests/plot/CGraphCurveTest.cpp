#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "PlotTestSupport.h"
#include "platform/PlatformLog.h"
#include "plot/CGraphArea.h"
#include "plot/CGraphCurve.h"

namespace vornex {
namespace {

using test::PlotFixture;

using test::readFile;

void fill(CGraphCurve& curve, std::initializer_list<CurvePoint> points) {
    for (const CurvePoint& p : points) curve.addPoint(p.x, p.y, p.penUp);
}

// Text and Igor exports, byte for byte.
class CurveExport : public PlotFixture {};

TEST_F(CurveExport, TextAndIgorByteForByte) {
    // A pen-up point writes an empty line.
    CGraphCurve curve;
    fill(curve, {{0, 0, false}, {1, 1, false}, {1, 1, true}, {1, 1, false}, {2, 0, false}});
    EXPECT_EQ(curve.curveDataText(),
              "      0.000000e+00\t      0.000000e+00\n"
              "      1.000000e+00\t      1.000000e+00\n"
              "\n"
              "      1.000000e+00\t      1.000000e+00\n"
              "      2.000000e+00\t      0.000000e+00\n");
    // Igor waves are named after the curve, "curve" without a name, other characters as _.
    CGraphCurve iso;
    fill(iso, {{1, 2, false}, {3, 4, true}});
    iso.setName("iso");
    EXPECT_EQ(iso.igorText(),
              "IGOR\nWAVES isox0 isoy0\nBEGIN\n"
              "      1.000000e+00\t      2.000000e+00\n\nEND\n");
    iso.setName("t NaCl°");
    EXPECT_NE(iso.igorText().find("WAVES t_NaCl__x0 t_NaCl__y0\n"), std::string::npos);
}

// Unnamed curves of a plot export waves of their own, named after the plot and their place
// in it, so that files loaded together do not overwrite each other's waves.
TEST_F(CurveExport, UnnamedCurvesOfAPlotExportWavesOfTheirOwn) {
    view->setPlotName("PT");
    std::vector<CGraphCurve*> curves;
    for (int i = 0; i < 3; ++i) {
        auto c = std::make_unique<CGraphCurve>();
        fill(*c, {{1, 2, false}, {3, 4, false}});
        curves.push_back(view->add(std::move(c)));
    }
    curves[1]->setName("sat");
    EXPECT_NE(curves[0]->igorText().find("WAVES PT_curve0x0 PT_curve0y0\n"), std::string::npos);
    EXPECT_NE(curves[1]->igorText().find("WAVES satx0 saty0\n"), std::string::npos);
    EXPECT_NE(curves[2]->igorText().find("WAVES PT_curve2x0 PT_curve2y0\n"), std::string::npos);
    // Alone, a curve without a name is "curve".
    CGraphCurve alone;
    fill(alone, {{1, 2, false}});
    EXPECT_NE(alone.igorText().find("WAVES curvex0 curvey0\n"), std::string::npos);
}

// Igor loads a WAVES line only with plain names (a letter, then letters, digits and '_'):
// every curve exports such names, whatever its name, and so do the unnamed curves of a plot
// opened in a window of its own, which has no name.
TEST_F(CurveExport, EveryWaveNameIsOneIgorLoads) {
    const std::regex plain("WAVES ([A-Za-z][A-Za-z0-9_]*)x0 ([A-Za-z][A-Za-z0-9_]*)y0\n");
    auto waves = [](const CGraphCurve& c) {
        const std::string text = c.igorText();
        const auto from = text.find("WAVES");
        return text.substr(from, text.find('\n', from) - from + 1);
    };
    for (const char* name : {"_curve0", "2nd", "t-NaCl (wt %)", "a'b\"c", "\xC3\xA9t\xC3\xA9", " ",
                             "x;y,z", "liquid+vapour"}) {
        CGraphCurve curve;
        fill(curve, {{1, 2, false}});
        curve.setName(name);
        EXPECT_TRUE(std::regex_match(waves(curve), plain)) << name << ": " << waves(curve);
    }
    for (int i = 0; i < 2; ++i) {
        auto c = std::make_unique<CGraphCurve>();
        fill(*c, {{1, 2, false}, {3, 4, false}});
        view->add(std::move(c));
    }
    std::unique_ptr<CPlotView> copy = view->copy();
    int curves = 0;
    for (const auto& object : copy->graphObjects())
        if (const auto* curve = dynamic_cast<const CGraphCurve*>(object.get())) {
            ++curves;
            EXPECT_TRUE(std::regex_match(waves(*curve), plain)) << waves(*curve);
        }
    EXPECT_EQ(curves, 2);
    EXPECT_NE(dynamic_cast<const CGraphCurve&>(*copy->graphObjects().back())
                  .igorText()
                  .find("WAVES curve1x0 curve1y0\n"),
              std::string::npos);
}

TEST_F(CurveExport, InteractiveExportWritesTheChosenFileOrReportsWhy) {
    CGraphCurve curve;
    fill(curve, {{1.5f, -2.0f, false}});
    services.savePath = "plotview_curve.txt";
    EXPECT_TRUE(curve.exportCurveData());
    EXPECT_EQ(readFile("plotview_curve.txt"), curve.curveDataText());
    services.savePath = "plotview_curve.itx";
    EXPECT_TRUE(curve.exportToIgor());
    EXPECT_EQ(readFile("plotview_curve.itx"), curve.igorText());
    services.savePath.reset();  // cancelled: nothing to report
    EXPECT_FALSE(curve.exportCurveData());
    EXPECT_TRUE(services.errors.empty());
    services.savePath = "no-such-folder/data.txt";
    EXPECT_FALSE(curve.exportCurveData());
    ASSERT_EQ(services.errors.size(), 1u);
    EXPECT_NE(services.errors[0].find("no-such-folder/data.txt"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("no-such-folder"));
}

// Interpolation and sub-curves.
class CurveGeometry : public ::testing::Test {};

TEST_F(CurveGeometry, YFromXCoversSegmentStartButNotEndAndSkipsPenUpSegments) {
    CGraphCurve curve;
    fill(curve, {{0, 0, false}, {10, 10, false}});
    const std::pair<float, float> values[] = {{5, 5}, {0, 0}, {10, 0}, {11, 0}};
    for (auto [x, y] : values) EXPECT_FLOAT_EQ(curve.getYFromX(x), y) << x;
    curve.addPoint(20, 0, false);
    EXPECT_FLOAT_EQ(curve.getYFromX(10), 10);
    EXPECT_FLOAT_EQ(curve.getYFromX(15), 5);
    CGraphCurve back;
    fill(back, {{0, 0, false}, {10, 10, true}, {10, 10, false}, {0, 30, false}});
    EXPECT_FLOAT_EQ(back.getYFromX(5), 20);  // on the second piece, walked backwards
}

TEST_F(CurveGeometry, MakeCurveFromIgnoresTheOrderOfItsEnds) {
    CGraphCurve curve;
    for (int i = 0; i < 10; ++i)
        curve.addPoint(static_cast<float>(i), static_cast<float>(i * i), i == 5);
    auto forward = curve.makeCurveFrom(2.1, 4, 7.2, 49);
    auto backward = curve.makeCurveFrom(7.2, 49, 2.1, 4);
    EXPECT_EQ(forward->mPointsList(), backward->mPointsList());
    ASSERT_EQ(forward->pointCount(), 5);  // 2, 3, 4, 6, 7: the flagged 5 is left out
    EXPECT_FLOAT_EQ(forward->getPointAtIndex(0).x, 2);
    EXPECT_FLOAT_EQ(forward->getPointAtIndex(4).x, 7);
}

TEST_F(CurveGeometry, NearestPointIsFoundFarAway) {
    // Pressures in pascal: every squared distance exceeds 1e9.
    CGraphCurve curve;
    fill(curve, {{0, 1e6f, false}, {0, 2e6f, false}, {0, 3e6f, false}});
    auto piece = curve.makeCurveFrom(0, 2.9e6, 0, 2.1e6);
    ASSERT_EQ(piece->pointCount(), 2);
    EXPECT_FLOAT_EQ(piece->getPointAtIndex(0).y, 2e6f);
}

TEST_F(CurveGeometry, AddSubcurveWalksBackTowardsTheFirstVertex) {
    CGraphCurve curve;
    for (int i = 0; i < 10; ++i) curve.addPoint(static_cast<float>(i), 0, false);
    CGraphArea area;
    area.addPoint(2.2f, 1);  // nearest curve point 2
    area.addPoint(7.1f, 1);  // nearest curve point 7
    area.addSubcurve(&curve);
    std::vector<float> xs;
    for (const DataPoint& p : area.mPointsList()) xs.push_back(p.x);
    EXPECT_EQ(xs, (std::vector<float>{2.2f, 7.1f, 7, 6, 5, 4, 3, 2}));
}

TEST_F(CurveGeometry, AddSubcurveNeedsACurveAndTwoVertices) {
    CGraphArea area;
    area.addPoint(1, 1);
    CGraphCurve empty;
    EXPECT_EQ(test::loggedBy([&] { area.addSubcurve(nullptr); }),
              std::vector<std::string>{"no curve"});
    area.addSubcurve(&empty);
    EXPECT_EQ(area.mPointsList().size(), 1u);
    area.addPoint(2, 2);
    area.addSubcurve(&empty);  // no point to follow
    EXPECT_EQ(area.mPointsList().size(), 2u);
}

TEST_F(CurveGeometry, AddCurveReversedSkipsPenUpPoints) {
    CGraphCurve curve;
    fill(curve, {{1, 0, false}, {2, 0, true}, {3, 0, false}, {4, 0, false}});
    CGraphArea area;
    area.addCurve(&curve, true);
    area.addCurve(nullptr, false);
    std::vector<float> xs;
    for (const DataPoint& p : area.mPointsList()) xs.push_back(p.x);
    EXPECT_EQ(xs, (std::vector<float>{4, 3, 1}));
}

TEST_F(CurveGeometry, LastPointOfAnEmptyCurveIsNotRead) {
    CGraphCurve curve;
    float x = 7, y = 8;
    EXPECT_FALSE(curve.getLastPointCoord(x, y));
    EXPECT_EQ(x, 7);
    curve.addPoint(1, 2, false);
    EXPECT_TRUE(curve.getLastPointCoord(x, y));
    EXPECT_EQ(y, 2);
}

// Drawing and hit tests of a curve inside a plot.
class CurveInPlot : public PlotFixture {
   protected:
    void SetUp() override {
        PlotFixture::SetUp();
        view->setDefaultXYRange(0, 100, 0, 100);
        draw();
    }
};

TEST_F(CurveInPlot, HitWithinFiveUnitsAcrossFlatAndSteepSegments) {
    auto* flat = view->add(std::make_unique<CGraphCurve>());
    fill(*flat, {{20, 50, false}, {80, 50, false}});
    auto* steep = view->add(std::make_unique<CGraphCurve>());
    fill(*steep, {{50, 10, false}, {52, 90, false}});
    const Point mid = viewPoint(50, 50), end = viewPoint(80, 50), start = viewPoint(20, 50),
                across = viewPoint(51, 50);
    EXPECT_TRUE(flat->isHit({mid.x + 20, mid.y + 4}));
    EXPECT_FALSE(flat->isHit({mid.x + 20, mid.y + 6}));
    EXPECT_FALSE(flat->isHit({end.x + 3, end.y}));  // beyond the end, no vertex box there
    EXPECT_TRUE(flat->isHit({start.x - 3, start.y}));
    EXPECT_TRUE(steep->isHit({across.x + 4, across.y}));
    EXPECT_FALSE(steep->isHit({across.x + 7, across.y}));
    flat->setHidden(true);
    EXPECT_FALSE(flat->isHit(mid));
}

TEST_F(CurveInPlot, DashedCurveIsDrawnInPieces) {
    auto* curve = view->add(std::make_unique<CGraphCurve>());
    fill(*curve,
         {{0, 0, false}, {50, 50, false}, {50, 50, true}, {50, 50, false}, {100, 0, false}});
    curve->setLineDash(5);
    RecordingCanvas canvas(view->bounds().size);
    curve->render(canvas);
    auto strokes = canvas.operations(RecordedOperation::Kind::Stroke);
    ASSERT_EQ(strokes.size(), 1u);
    int moves = 0;
    for (const auto& e : strokes[0].path.elements())
        moves += e.type == BezierPath::Element::Type::MoveTo;
    EXPECT_EQ(moves, 2);  // the pen-up point starts a second piece
}

TEST_F(CurveInPlot, CopyKeepsPointsLabelAndDash) {
    CGraphCurve curve;
    fill(curve, {{1, 2, false}, {3, 4, true}});
    curve.setName("c");
    curve.setLabel("label", 5, 6);
    curve.setMDash(3);
    auto copy = curve.copy();
    auto* c = dynamic_cast<CGraphCurve*>(copy.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->mPointsList(), curve.mPointsList());
    EXPECT_EQ(c->mLabel(), "label");
    EXPECT_EQ(c->mLabelAnchor(), (DataPoint{5, 6}));
    EXPECT_EQ(c->mDash(), 3);
}

}  // namespace
}  // namespace vornex
