// A phase-diagram plot as the document draws one (curves from curve arrays with scaling, a
// filled field closed along a curve, a dashed curve with a label, single points, an
// experimental data set, a text, a legend, a grid and a selection mark), written to PNG, PDF
// and SVG and checked where a reader would look; the save panel, failed writes and a copy in
// a new window.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "PlotTestSupport.h"
#include "plot/CGraphArea.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphPointCurve.h"
#include "plot/CGraphText.h"

namespace vornex {
namespace {

using test::PngPixels;

std::string commandOutput(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::array<char, 4096> buffer;
    while (size_t n = pipe ? std::fread(buffer.data(), 1, buffer.size(), pipe.get()) : 0)
        out.append(buffer.data(), n);
    return out;
}

class PhaseDiagram : public test::PlotFixture {
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

        // Saturation-like curve from rows of (T in K, P in Pa, a column the plot skips),
        // scaled to °C and bar.
        std::vector<double> rows;
        for (int i = 0; i <= 37; ++i) {
            const double t = 273.15 + 10.0 * i;
            rows.insert(rows.end(), {t, 1e5 * 221.0 * std::pow((t - 273.15) / 373.9, 3.2), 0.0});
        }
        saturation = view->plotFromArray(rows, 3, 0, 1, 1.0, -273.15, 1e-5, 0.0);
        saturation->setName("water saturation");
        saturation->setColor(Color::deviceRGB(0, 0, 0.8));

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

        auto data = std::make_unique<CGraphPointCurve>();
        for (int i = 0; i < 6; ++i) data->addPoint(100.0f + 80 * i, 400.0f + 40 * i, 0);
        data->setName("experiments");
        data->setSelector(4);
        data->setColor(Color::deviceRGB(0.9, 0.4, 0));
        data->setJoinPoints(true);
        CGraphPointCurve* experiments = view->add(std::move(data));

        auto text = std::make_unique<CGraphText>();
        text->setText("halite field");
        text->setPosition(60, 1100);
        view->add(std::move(text));

        for (CGraphObject* o :
             std::initializer_list<CGraphObject*>{saturation, critical, state, experiments})
            view->includesIntoLegend(o);
        view->setLegendPosition(30, 960);
        view->showSelectionPoint(true);
        view->setSelectedPoint(650, 300);
    }
    Point at(float x, float y) const { return viewPoint(x, y); }
    CGraphCurve* saturation = nullptr;
};

TEST_F(PhaseDiagram, PngLooksLikeAScientificPlot) {
    const double scale = 2.0;
    ASSERT_TRUE(view->writeImage(FileFormat::Png, "representative.png", scale).ok());
    PngPixels png("representative.png", scale);
    ASSERT_TRUE(png.ok());
    // writeImage draws afresh, so the transform is that of the file.
    const double labelTop = view->marginBottom() - 15;

    // A short label sits centred under its tick, not at the left of a box sized for "1200".
    double centre = 0;
    for (float tick : {0.0f, 400.0f, 800.0f}) {
        const double px = view->getXValue(tick);
        ASSERT_GT(png.darkPixels(Rect(px - 16, labelTop - 14, 32, 13), &centre), 5) << tick;
        EXPECT_NEAR(centre, px, 1.5) << tick;
    }

    // The curves lie where their data say; the state's marker is filled green.
    const test::Rgb red = png.at(at(600, 900)), green = png.at(at(300, 88));
    const float t = 250.0f, p = 221.0f * std::pow(t / 373.9f, 3.2f);
    const test::Rgb blue = png.at(at(t, p));
    EXPECT_TRUE(red.r > 150 && red.g < 80) << red.hex();
    EXPECT_TRUE(blue.b > 150 && blue.r < 80) << blue.hex();
    EXPECT_TRUE(green.g > 100 && green.r < 60) << green.hex();
}

TEST_F(PhaseDiagram, PdfAndSvgHoldTheTexts) {
    ASSERT_TRUE(view->writePdf("plotview_full.pdf").ok());
    EXPECT_FALSE(view->isPrinting());
    const std::string text = commandOutput("pdftotext plotview_full.pdf - 2>/dev/null");
    for (const char* word : {"Temperature", "water saturation", "halite field", "1200"})
        EXPECT_NE(text.find(word), std::string::npos) << word << " in:\n" << text;
    ASSERT_TRUE(view->writeImage(FileFormat::Svg, "plotview_full.svg").ok());
    EXPECT_NE(test::readFile("plotview_full.svg").find("<svg"), std::string::npos);
}

TEST_F(PhaseDiagram, SelectionMarkShowsOnlyInsideTheRange) {
    auto marks = [this](float x, float y, bool output = false) {
        view->setSelectedPoint(x, y);
        RecordingCanvas canvas(view->bounds().size);
        output ? view->drawForOutput(canvas) : view->drawRect(canvas);
        const Point m = viewPoint(x, y);
        auto strokes = canvas.operations(RecordedOperation::Kind::Stroke);
        return std::count_if(strokes.begin(), strokes.end(), [m](const RecordedOperation& op) {
            return op.path.bounds() == Rect(m.x - 5, m.y - 5, 10, 10);
        });
    };
    EXPECT_EQ(marks(650, 300), 1);
    EXPECT_EQ(marks(650, 5000), 0);  // outside the current range
    // Off the screen (a file, the printer) the plot shows no selection mark.
    EXPECT_EQ(marks(650, 300, true), 0);
    EXPECT_FALSE(view->isPrinting());
    EXPECT_EQ(marks(650, 300), 1);
}

TEST_F(PhaseDiagram, SaveAsPdfProposesThePlotNameAndReportsFailures) {
    services.savePath = "plotview_chosen.pdf";
    EXPECT_TRUE(view->onPrintPlot());
    // Regression: the panel proposed the plot's variable name.
    ASSERT_FALSE(services.proposals.empty());
    EXPECT_EQ(services.proposals.back(), "Pressure against Temperature");
    EXPECT_TRUE(std::filesystem::exists("plotview_chosen.pdf"));
    services.savePath.reset();
    EXPECT_FALSE(view->onPrintPlot());  // cancelled
    EXPECT_TRUE(services.errors.empty());
    services.savePath = "missing-folder/plot.pdf";
    EXPECT_FALSE(view->onPrintPlot());
    ASSERT_EQ(services.errors.size(), 1u);
    EXPECT_NE(services.errors[0].find("missing-folder/plot.pdf"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("missing-folder"));
    EXPECT_FALSE(view->isPrinting());
}

TEST_F(PhaseDiagram, NewWindowGetsAnIndependentCopy) {
    view->onOpenNewPlotWindow();
    ASSERT_NE(services.window, nullptr);
    EXPECT_EQ(services.window->graphObjects().size(), view->graphObjects().size());
    view->purge();
    RecordingCanvas canvas(services.window->bounds().size);
    services.window->drawRect(canvas);
    auto texts = canvas.texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "water saturation"), texts.end());
}

}  // namespace
}  // namespace vornex
