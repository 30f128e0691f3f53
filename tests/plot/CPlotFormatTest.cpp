#include <gtest/gtest.h>

#include "PlotTestSupport.h"
#include "plot/CPlotFormat.h"

namespace vornex {
namespace {

using test::roundTrip;

// The range, current-range and legend floats of a format, in the order of the archive keys.
std::vector<float> floatsOf(const CPlotFormat& f) {
    return {f.minX(),        f.maxX(),        f.minY(),        f.maxY(),    f.currentMinX(),
            f.currentMaxX(), f.currentMinY(), f.currentMaxY(), f.legendX(), f.legendY()};
}

TEST(Formats, PlotFormatRoundTripsThroughItsFixedKeys) {
    CPlotFormat format;
    format.setMinX(-1.5f);
    format.setMaxX(800);
    format.setMinY(1);
    format.setMaxY(5000);
    format.setCurrentMinX(100);
    format.setCurrentMaxX(400.25f);
    format.setCurrentMinY(2);
    format.setCurrentMaxY(3e3f);
    format.setLegendX(120);
    format.setLegendY(4200);
    format.legendFormat()->setFontName("Times");
    format.legendFormat()->setBold(true);
    format.legendFormat()->setItalic(true);
    format.ticksFormat()->setSize(14);
    format.labelsFormat()->setItalic(true);
    CPlotFormat back;
    back.setLegendFormat(nullptr);
    ASSERT_TRUE(roundTrip(format, back));
    EXPECT_EQ(floatsOf(back), floatsOf(format));
    ASSERT_TRUE(back.legendFormat() && back.labelsFormat() && back.ticksFormat());
    EXPECT_EQ(*back.legendFormat(), *format.legendFormat());
    EXPECT_EQ(*back.labelsFormat(), *format.labelsFormat());
    EXPECT_EQ(*back.ticksFormat(), *format.ticksFormat());
    // Missing keys read as zero or no record.
    KeyedArchiver partial;
    partial.encodeFloat("minX", 5);
    KeyedUnarchiver reader(partial.encodedData());
    CPlotFormat sparse;
    sparse.initWithCoder(reader);
    EXPECT_EQ(floatsOf(sparse), (std::vector<float>{5, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(sparse.legendFormat(), nullptr);
}

TEST(Formats, CurveAndPointFormatsRoundTrip) {
    CPointFormat point;
    point.setSelector(11);
    point.setColor(Color::deviceRGB(0.1, 0.2, 0.3));
    point.setSize(6);
    CPointFormat back;
    ASSERT_TRUE(roundTrip(point, back));
    EXPECT_EQ(back.selector(), 11);
    EXPECT_EQ(back.size(), 6);
    EXPECT_EQ(back.color(), point.color());
    CCurveFormat curve;
    curve.setSize(2);
    curve.setColor(Color::calibratedRGB(0, 0.5, 1));
    CCurveFormat curveBack;
    curveBack.setSize(9);
    ASSERT_TRUE(roundTrip(curve, curveBack));
    EXPECT_EQ(curveBack.size(), 2);
    EXPECT_EQ(curveBack.color(), curve.color());
}

// A copy of a format is a record of its own with the same size, colour and marker.
TEST(Formats, CopiesOfCurveAndPointFormatsAreTheirOwn) {
    CPointFormat point;
    point.setSelector(7);
    point.setSize(5);
    point.setColor(Color::deviceRGB(0.4, 0.5, 0.6));
    const std::unique_ptr<CPointFormat> pointCopy = point.copy();
    point.setSelector(1);
    point.setSize(2);
    point.setColor(Color::black());
    EXPECT_EQ(pointCopy->selector(), 7);
    EXPECT_EQ(pointCopy->size(), 5);
    EXPECT_EQ(pointCopy->color(), Color::deviceRGB(0.4, 0.5, 0.6));
    CCurveFormat curve;
    curve.setSize(3);
    curve.setColor(Color::blue());
    const std::unique_ptr<CCurveFormat> curveCopy = curve.copy();
    curve.setSize(1);
    EXPECT_EQ(curveCopy->size(), 3);
    EXPECT_EQ(curveCopy->color(), Color::blue());
    EXPECT_EQ(curveCopy->archiveClassName(), "CCurveFormat");
}

// A plot's state carried through a format record.
class PlotFormats : public test::PlotFixture {};

TEST_F(PlotFormats, UpdateThenSetRestoresRangesAndShowsTheLegend) {
    view->setDefaultXYRange(0, 800, 1, 5000);
    view->setXYRange(100, 400, 2, 3000);
    view->setLegendPosition(120, 4200);
    CPlotFormat format;
    view->updatePlotFormat(format);
    format.legendFormat()->setFontName("Courier");
    format.legendFormat()->setBold(true);
    format.ticksFormat()->setSize(14);

    view->setDefaultXYRange(0, 1, 0, 1);
    view->setLegendPosition(0, 0);
    view->mLegend().setHidden(true);
    view->setFromPlotFormat(format);
    EXPECT_EQ(test::rangeOf(*view), (std::vector<float>{100, 400, 2, 3000}));
    EXPECT_EQ(test::defaultRangeOf(*view), (std::vector<float>{0, 800, 1, 5000}));
    EXPECT_EQ(test::legendOf(*view), (std::vector<float>{120, 4200}));
    EXPECT_FALSE(view->mLegend().isHidden());
    EXPECT_EQ(view->getLegendsAttributes().font.name(), "Courier-Bold");
    EXPECT_DOUBLE_EQ(view->ticksAttributes().font.size(), 14);
}

}  // namespace
}  // namespace vornex
