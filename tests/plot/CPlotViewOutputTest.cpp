#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "PlotTestSupport.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphText.h"
#include "plot/CPlotView.h"

namespace vornex {
namespace {

std::string commandOutput(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return out;
    std::array<char, 4096> buffer;
    while (size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe.get()))
        out.append(buffer.data(), n);
    return out;
}

struct Rgb {
    int r, g, b;
};

// Pixel of a PNG at a view point (origin lower left, y up).
Rgb pixelAt(const std::string& png, Point p) {
    cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
    Rgb rgb{-1, -1, -1};
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
        const int h = cairo_image_surface_get_height(image);
        const int stride = cairo_image_surface_get_stride(image);
        const int col = static_cast<int>(p.x), row = h - 1 - static_cast<int>(p.y);
        const unsigned char* data = cairo_image_surface_get_data(image);
        uint32_t argb;
        std::memcpy(&argb, data + row * stride + col * 4, 4);
        rgb = {static_cast<int>((argb >> 16) & 0xff), static_cast<int>((argb >> 8) & 0xff),
               static_cast<int>(argb & 0xff)};
    }
    cairo_surface_destroy(image);
    return rgb;
}

// A plot with curves, points, a text and a legend, written to PDF, PNG and SVG.
class PlotFiles : public test::PlotFixture {
   protected:
    void SetUp() override {
        PlotFixture::SetUp();
        view->setFrame(Rect(0, 0, 500, 400));
        view->setDefaultXYRange(0, 100, 0, 1000);
        view->setTicksNumber(11, 11);
        view->setTicksDigits(0, 0);
        view->setLabels("Temperature", "Pressure");
        view->setDrawGrid(true);
        CGraphCurve* isochore = view->plotFromArray({10, 500, 50, 500, 90, 500}, 2, 0, 1);
        isochore->setName("isochore");
        isochore->setColor(Color::deviceRGB(1, 0, 0));
        isochore->setToolSizeFactor(5);
        CGraphCurve* steep = view->plotFromArray({20, 100, 20, 900}, 2, 0, 1);
        steep->setName("boiling");
        steep->setColor(Color::deviceRGB(0, 0, 1));
        steep->setToolSizeFactor(5);
        CGraphPoint* critical = view->plotPoint(70, 250, 3, Color::deviceRGB(0, 0.5, 0));
        critical->setName("critical");
        critical->setToolSizeFactor(10);
        auto text = std::make_unique<CGraphText>();
        text->setText("halite field");
        text->setPosition(60, 800);
        view->add(std::move(text));
        view->includesIntoLegend(isochore);
        view->includesIntoLegend(steep);
        view->includesIntoLegend(critical);
        view->setLegendPosition(5, 950);
        view->showSelectionPoint(true);
        view->setSelectedPoint(50, 500);
    }
};

TEST_F(PlotFiles, PdfHoldsTitlesLabelsAndLegend) {
    ASSERT_TRUE(view->writePdf("plotview_full.pdf").ok());
    std::string text = commandOutput("pdftotext plotview_full.pdf - 2>/dev/null");
    for (const char* word : {"Temperature", "Pressure", "isochore", "boiling", "critical",
                             "halite field", "1000", "50"})
        EXPECT_NE(text.find(word), std::string::npos) << word << " in:\n" << text;
    EXPECT_FALSE(view->isPrinting());
}

TEST_F(PlotFiles, PngPixelsLieOnTheCurves) {
    ASSERT_TRUE(view->writeImage(FileFormat::Png, "plotview_full.png").ok());
    // writeImage draws afresh, so the transform is that of the file.
    Rgb onRed = pixelAt("plotview_full.png", viewPoint(75, 500));
    EXPECT_GT(onRed.r, 200);
    EXPECT_LT(onRed.g, 60);
    Rgb onBlue = pixelAt("plotview_full.png", viewPoint(20, 300));
    EXPECT_GT(onBlue.b, 200);
    EXPECT_LT(onBlue.r, 60);
    Rgb onPoint = pixelAt("plotview_full.png", viewPoint(70, 250));
    EXPECT_GT(onPoint.g, 100);
    EXPECT_LT(onPoint.r, 60);
    Rgb background = pixelAt("plotview_full.png", viewPoint(85, 100));  // plot area (0.6, 1, 1)
    EXPECT_NEAR(background.r, 153, 2);
    EXPECT_EQ(background.g, 255);
    Rgb margin = pixelAt("plotview_full.png", {view->marginLeft() / 2, 200});  // (1, 1, 0.7)
    EXPECT_EQ(margin.r, 255);
    EXPECT_NEAR(margin.b, 178, 2);
}

TEST_F(PlotFiles, SvgIsWritten) {
    ASSERT_TRUE(view->writeImage(FileFormat::Svg, "plotview_full.svg").ok());
    std::ifstream in("plotview_full.svg");
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_NE(s.str().find("<svg"), std::string::npos);
}

TEST_F(PlotFiles, PrintedPlotShowsNoSelectionMark) {
    RecordingCanvas screen(view->bounds().size);
    view->drawRect(screen);
    const Point mark = viewPoint(50, 500);
    auto isMark = [&mark](const RecordedOperation& op) {
        return op.path.bounds() == Rect(mark.x - 5, mark.y - 5, 10, 10);
    };
    auto strokes = screen.operations(RecordedOperation::Kind::Stroke);
    EXPECT_EQ(std::count_if(strokes.begin(), strokes.end(), isMark), 1);
    view->setSelectedPoint(50, 5000);  // outside the current range: no mark either
    RecordingCanvas outside(view->bounds().size);
    view->drawRect(outside);
    strokes = outside.operations(RecordedOperation::Kind::Stroke);
    EXPECT_EQ(std::count_if(strokes.begin(), strokes.end(),
                            [](const RecordedOperation& op) {
                                return op.path.bounds().width() == 10 &&
                                       op.path.bounds().height() == 10;
                            }),
              0);
}

TEST_F(PlotFiles, SaveAsPdfProposesThePlotName) {
    services.savePath = "plotview_chosen.pdf";
    EXPECT_TRUE(view->onPrintPlot());
    EXPECT_EQ(services.proposals.back(), "plot");
    EXPECT_EQ(services.fileTypes.back(), "pdf");
    EXPECT_EQ(view->plotName(), "plot");
    EXPECT_TRUE(std::filesystem::exists("plotview_chosen.pdf"));
    services.savePath.reset();
    EXPECT_FALSE(view->onPrintPlot());  // cancelled
    EXPECT_TRUE(services.errors.empty());
}

TEST_F(PlotFiles, FailedPdfWriteIsReported) {
    services.savePath = "missing-folder/plot.pdf";
    EXPECT_FALSE(view->onPrintPlot());
    ASSERT_EQ(services.errors.size(), 1u);
    EXPECT_NE(services.errors[0].find("missing-folder/plot.pdf"), std::string::npos);
    EXPECT_EQ(host.status, services.errors[0]);
    EXPECT_FALSE(std::filesystem::exists("missing-folder"));
    EXPECT_FALSE(view->isPrinting());
}

TEST_F(PlotFiles, NewWindowGetsAnIndependentCopy) {
    view->onOpenNewPlotWindow();
    ASSERT_NE(services.window, nullptr);
    EXPECT_EQ(services.window->graphObjects().size(), view->graphObjects().size());
    view->purge();
    RecordingCanvas canvas(services.window->bounds().size);
    services.window->drawRect(canvas);
    auto texts = canvas.texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "isochore"), texts.end());
}

}  // namespace
}  // namespace vornex
