// A phase-diagram plot as the document draws one (curves from curve arrays with scaling, a
// filled field closed along a curve, a dashed curve with a label, single points, an
// experimental data set, a legend, a grid and a selection mark), rendered to PNG and checked
// at a few places a reader would look at.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "PlotTestSupport.h"
#include "plot/CGraphArea.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphPointCurve.h"

namespace vornex {
namespace {

struct Rgb {
    int r, g, b;
};

// Reads the PNG once; pixels at view points (origin lower left, y up), at a pixel scale.
class Png {
   public:
    Png(const std::string& path, double scale)
        : image_(cairo_image_surface_create_from_png(path.c_str())), scale_(scale) {}
    ~Png() { cairo_surface_destroy(image_); }
    Png(const Png&) = delete;
    Png& operator=(const Png&) = delete;
    bool ok() const { return cairo_surface_status(image_) == CAIRO_STATUS_SUCCESS; }
    Rgb at(Point p) const {
        const int w = cairo_image_surface_get_width(image_);
        const int h = cairo_image_surface_get_height(image_);
        const int col = static_cast<int>(p.x * scale_);
        const int row = h - 1 - static_cast<int>(p.y * scale_);
        if (col < 0 || col >= w || row < 0 || row >= h) return {-1, -1, -1};
        std::uint32_t argb;
        std::memcpy(&argb,
                    cairo_image_surface_get_data(image_) +
                        row * cairo_image_surface_get_stride(image_) + col * 4,
                    4);
        return {static_cast<int>((argb >> 16) & 0xff), static_cast<int>((argb >> 8) & 0xff),
                static_cast<int>(argb & 0xff)};
    }
    // Number of dark pixels (all channels below 100) in a rectangle of view units, and the
    // mean x of those pixels.
    int darkPixels(const Rect& r, double* meanX = nullptr) const {
        int n = 0;
        double sumX = 0;
        for (double x = r.minX(); x < r.maxX(); x += 1 / scale_)
            for (double y = r.minY(); y < r.maxY(); y += 1 / scale_) {
                Rgb c = at({x, y});
                if (c.r >= 0 && c.r < 100 && c.g < 100 && c.b < 100) {
                    ++n;
                    sumX += x;
                }
            }
        if (meanX) *meanX = n > 0 ? sumX / n : NAN;
        return n;
    }

   private:
    cairo_surface_t* image_;
    double scale_;
};

class RepresentativePlot : public test::PlotFixture {
   protected:
    void SetUp() override {
        PlotFixture::SetUp();
        view->setFrame(Rect(0, 0, 640, 480));
        view->setMaxXYRange(0, 1000, 0, 2000);
        view->setDefaultXYRange(0, 800, 0, 1200);
        view->setTicksNumber(11, 11);
        view->setTicksDigits(0, 0);
        view->setLabels("Temperature (°C)", "Pressure (bar)");
        view->setDrawGrid(true);

        // Saturation-like curve from rows of (T in K, P in Pa): scaled to °C and bar.
        std::vector<double> rows;
        for (int i = 0; i <= 37; ++i) {
            const double t = 273.15 + 10.0 * i;  // up to 643 K
            rows.push_back(t);
            rows.push_back(1e5 * 221.0 * std::pow((t - 273.15) / 373.9, 3.2));
            rows.push_back(0.0);  // a third column the plot skips
        }
        CGraphCurve* saturation = view->plotFromArray(rows, 3, 0, 1, 1.0, -273.15, 1e-5, 0.0);
        saturation->setName("water saturation");
        saturation->setColor(Color::deviceRGB(0, 0, 0.8));
        saturation->setToolSizeFactor(2);

        CGraphCurve* critical =
            view->plotFromArray({374, 221, 500, 600, 600, 900, 700, 1130}, 2, 0, 1);
        critical->setName("critical curve");
        critical->setColor(Color::deviceRGB(0.8, 0, 0));
        critical->setLineDash(2);
        critical->setLabel("critical", 560, 700);

        // Field under the saturation curve, closed back along it.
        auto field = std::make_unique<CGraphArea>();
        field->addPoint(370, 0);
        field->addPoint(0, 0);
        field->addSubcurve(saturation);
        field->setColor(Color::deviceRGB(0.85, 0.85, 0.5, 0.6));
        view->add(std::move(field));

        CGraphPoint* state = view->plotPoint(300, 88, 1, Color::deviceRGB(0, 0.6, 0));
        state->setName("state");
        state->setShowLabel(true);
        CGraphPoint* triple = view->plotPoint(374, 221, 7, Color::deviceRGB(0.6, 0, 0.6));
        triple->setName("critical point");

        auto data = std::make_unique<CGraphPointCurve>();
        for (int i = 0; i < 6; ++i) data->addPoint(100.0f + 80 * i, 400.0f + 40 * i, 0);
        data->setName("experiments");
        data->setSelector(4);
        data->setColor(Color::deviceRGB(0.9, 0.4, 0));
        data->setJoinPoints(true);
        CGraphPointCurve* experiments = view->add(std::move(data));

        view->includesIntoLegend(saturation);
        view->includesIntoLegend(critical);
        view->includesIntoLegend(state);
        view->includesIntoLegend(experiments);
        view->setLegendPosition(30, 960);
        view->showSelectionPoint(true);
        view->setSelectedPoint(650, 300);
    }
};

TEST_F(RepresentativePlot, PngLooksLikeAScientificPlot) {
    const double scale = 2.0;
    ASSERT_TRUE(view->writeImage(FileFormat::Png, "representative.png", scale).ok());
    Png png("representative.png", scale);
    ASSERT_TRUE(png.ok());
    const Rect plot = view->getPlotRect();

    // Tick labels under the x axis and left of the y axis, titles at the edges.
    const double labelTop = view->marginBottom() - 15;
    EXPECT_GT(png.darkPixels(Rect(plot.x() - 10, labelTop - 14, plot.width() + 20, 14)), 50);
    // A short label sits centred under its tick, not at the left of a box sized for "1200".
    double centre = 0;
    for (float tick : {0.0f, 80.0f, 800.0f}) {
        const double px = view->getXValue(tick);
        ASSERT_GT(png.darkPixels(Rect(px - 16, labelTop - 14, 32, 13), &centre), 5) << tick;
        EXPECT_NEAR(centre, px, 1.5) << tick;
    }
    EXPECT_GT(png.darkPixels(Rect(plot.x() - 45, plot.y(), 35, plot.height())), 50);
    EXPECT_GT(png.darkPixels(Rect(plot.midX() - 60, 4, 120, 16)), 20);
    EXPECT_GT(png.darkPixels(Rect(2, plot.midY() - 50, 18, 100)), 20);

    // The curves lie where their data say.
    const Point onCritical = {view->getXValue(600), view->getYValue(900)};
    Rgb red = png.at(onCritical);
    EXPECT_GT(red.r, 150);
    EXPECT_LT(red.g, 80);
    const float t = 250.0f, p = 221.0f * std::pow(t / 373.9f, 3.2f);
    Rgb blue = png.at({view->getXValue(t), view->getYValue(p)});
    EXPECT_GT(blue.b, 150);
    EXPECT_LT(blue.r, 80);

    // The point marker of the state is filled green.
    Rgb green = png.at({view->getXValue(300), view->getYValue(88)});
    EXPECT_GT(green.g, 100);
    EXPECT_LT(green.r, 60);
}

}  // namespace
}  // namespace vornex
