// Time to draw a full plot (ten curves of 2000 points, fifty points and a legend) into an
// image surface, and the same drawing recorded without painting, to separate the plot's own
// work from cairo's.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <memory>

#include "platform/CairoCanvas.h"
#include "platform/RecordingCanvas.h"
#include "platform/UserDefaults.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "plot/CPlotView.h"

namespace vornex {
namespace {

constexpr double kWidth = 800, kHeight = 600;

std::unique_ptr<CPlotView> buildPlot(const UserDefaults& defaults) {
    auto view = std::make_unique<CPlotView>(Rect(0, 0, kWidth, kHeight), &defaults);
    view->setDefaultXYRange(0, 1000, -1.2f, 1.2f);
    view->setTicksNumber(11, 11);
    view->setTicksDigits(0, 1);
    view->setLabels("Temperature (°C)", "Pressure (bar)");
    for (int c = 0; c < 10; ++c) {
        auto curve = std::make_unique<CGraphCurve>();
        curve->setName("curve " + std::to_string(c));
        curve->setColor(Color::deviceRGB(c / 10.0, 0.2, 1 - c / 10.0));
        for (int i = 0; i < 2000; ++i) {
            float x = 0.5f * static_cast<float>(i);
            curve->addPoint(x, std::sin(0.01f * x + 0.3f * static_cast<float>(c)), false);
        }
        view->includesIntoLegend(view->add(std::move(curve)));
    }
    for (int p = 0; p < 50; ++p) {
        CGraphPoint* point =
            view->plotPoint(20.0 * p, std::cos(0.1 * p), p % 13, Color::deviceRGB(0, 0.5, 0));
        point->setName("point " + std::to_string(p));
        if (p < 3) view->includesIntoLegend(point);
    }
    view->setLegendPosition(800, 1.1f);
    return view;
}

void BM_RenderPlotToImageSurface(benchmark::State& state) {
    UserDefaults defaults("");
    auto view = buildPlot(defaults);
    cairo_surface_t* surface = cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, static_cast<int>(kWidth), static_cast<int>(kHeight));
    cairo_t* cr = cairo_create(surface);
    for (auto _ : state) {
        CairoCanvas canvas(cr, Size{kWidth, kHeight});
        view->drawRect(canvas);
        cairo_surface_flush(surface);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_RenderPlotToImageSurface)->Unit(benchmark::kMillisecond);

void BM_RecordPlot(benchmark::State& state) {
    UserDefaults defaults("");
    auto view = buildPlot(defaults);
    for (auto _ : state) {
        RecordingCanvas canvas(Size{kWidth, kHeight});
        view->drawRect(canvas);
        benchmark::DoNotOptimize(canvas.operations().size());
    }
}
BENCHMARK(BM_RecordPlot)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vornex
