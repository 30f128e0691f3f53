// Cairo canvases: pictures read back pixel by pixel (y grows upward), text measured with the
// installed fonts, PDF pages read back as text, and writes that fail or are abandoned.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "numerics/TextCapture.h"
#include "platform/FileCanvas.h"
#include "platform/PngPixels.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;
using test::PngPixels;

// A temporary of the atomic write left beside the target.
bool leftovers(const std::string& name) {
    for (const auto& e : fs::directory_iterator("."))
        if (e.path().filename().string().rfind("." + name + ".", 0) == 0) return true;
    return false;
}

// Renders to a PNG and reads it back.
PngPixels png(const std::string& name, Size size, const std::function<void(Canvas&)>& draw,
              double scale = 1.0) {
    IoResult r = renderToFile(FileFormat::Png, name, size, draw, scale);
    EXPECT_TRUE(r.ok()) << r.message;
    EXPECT_FALSE(leftovers(name));
    return PngPixels(name, scale);
}

TEST(FileCanvas, PngInkLandsWhereYGrowsUpward) {
    PngPixels img = png("line.png", {100, 50}, [](Canvas& c) {
        BezierPath line = BezierPath::withLine({10, 20}, {90, 20});
        line.setLineWidth(4);
        c.setStrokeColor(Color::red());
        c.stroke(line);
        c.setFillColor(Color::blue());
        c.fillRect(Rect(0, 40, 10, 10));  // the upper left corner
    });
    ASSERT_EQ(img.width(), 100);
    ASSERT_EQ(img.height(), 50);
    // The 4-unit line at y = 20 covers y 18 to 22, and nothing before its start.
    for (double y : {18.5, 19.5, 20.5, 21.5}) EXPECT_EQ(img.at({50, y}).hex(), 0xFF0000) << y;
    for (Point empty : {Point{50, 17.5}, Point{50, 22.5}, Point{5, 20}, Point{5, 5}})
        EXPECT_EQ(img.at(empty).a, 0) << empty.x << "," << empty.y;
    EXPECT_EQ(img.at({5, 45}).hex(), 0x0000FF);

    // A pixel scale enlarges the picture, not the drawing.
    PngPixels scaled = png(
        "scaled.png", {10, 10},
        [](Canvas& c) {
            c.setFillColor(Color::red());
            c.fillRect(Rect(0, 0, 5, 5));
        },
        2.0);
    EXPECT_EQ(scaled.width(), 20);
    EXPECT_EQ(scaled.at({1, 1}).a, 255);
    EXPECT_EQ(scaled.at({9, 9}).a, 0);
}

TEST(FileCanvas, TextIsMeasuredWithTheInstalledFonts) {
    Bytes sink;
    FileCanvas canvas(FileFormat::Png, sink, {200, 100});
    // Liberation Sans has the advance widths of Arial: H 722, e 556, l 222, o 556 per 1000;
    // Liberation Mono 600 per 1000 for every character.
    Size s = canvas.measureText("Hello", TextAttributes(Font("Helvetica", 12)));
    EXPECT_NEAR(s.width, 2278 * 12 / 1000.0, 0.05);
    EXPECT_NEAR(canvas.measureText("iiiii", TextAttributes(Font("Courier New", 10))).width, 30,
                0.05);
    EXPECT_TRUE(canvas.finish());
}

TEST(FileCanvas, TextIsDrawnUprightInsideItsBox) {
    Size box;
    PngPixels img = png("text.png", {100, 80}, [&](Canvas& c) {
        AttributedString t("T", TextAttributes(Font("Helvetica", 40), Color::black()));
        box = c.measureText(t);
        c.drawText(t, Point{10, 10});
    });
    // Ink only inside the box, which stands on y = 10 from x = 10.
    double low = 80, high = -1;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x)
            if (img.at({x + 0.5, y + 0.5}).a > 128) {
                EXPECT_GE(y, 10);
                EXPECT_LE(y, 10 + box.height);
                EXPECT_GE(x, 10);
                low = std::min<double>(low, y), high = std::max<double>(high, y);
            }
    ASSERT_LT(low, high);
    // Upright: the bar of the T on top, its stem alone below.
    int bar = 0, stem = 0;
    for (int x = 0; x < 100; ++x) {
        bar += img.at({x + 0.5, high - 0.5}).a > 128;
        stem += img.at({x + 0.5, low + 1.5}).a > 128;
    }
    EXPECT_GT(bar, 3 * stem);
    // The baseline sits a descent (0.212 em) above the box's bottom edge.
    EXPECT_NEAR(low, 10 + 0.212 * 40, 1.5);
}

TEST(FileCanvas, PdfHoldsItsTextOnEveryPage) {
    FileCanvas canvas(FileFormat::Pdf, "plot.pdf", {400, 300});
    canvas.drawText("Isochore 300", TextAttributes(Font("Helvetica", 12)), {50, 50});
    EXPECT_TRUE(canvas.newPage());
    canvas.drawText("Boiling curve", TextAttributes(Font("Times", 14, false, true)), {50, 250});
    ASSERT_FALSE(fs::exists("plot.pdf"));  // nothing at the target before finish
    ASSERT_TRUE(canvas.finish());
    EXPECT_FALSE(leftovers("plot.pdf"));
    ASSERT_EQ(test::readFile("plot.pdf").rfind("%PDF", 0), 0u);
    if (std::system("pdftotext plot.pdf plot.txt 2>/dev/null") != 0)
        GTEST_SKIP() << "pdftotext is not installed";
    const std::string text = test::readFile("plot.txt");
    const size_t first = text.find("Isochore 300"), feed = text.find('\f'),
                 second = text.find("Boiling curve");
    EXPECT_TRUE(first < feed && feed < second && second != std::string::npos) << text;
}

TEST(FileCanvas, SvgHasNoPagesAndFormatsFollowTheExtension) {
    FileCanvas canvas(FileFormat::Svg, "plot.svg", {120, 80});
    EXPECT_FALSE(canvas.newPage());
    ASSERT_TRUE(canvas.finish());
    EXPECT_NE(test::readFile("plot.svg").find("<svg"), std::string::npos);
    EXPECT_EQ(fileFormatForPath("a/b/Plot.SVG"), FileFormat::Svg);
    EXPECT_FALSE(fileFormatForPath("x.txt"));
}

TEST(FileCanvas, FailedOrAbandonedWritesLeaveNoFileAndKeepTheOldOne) {
    auto nothing = [](Canvas& c) { c.strokeLine({0, 0}, {1, 1}); };
    IoResult r = renderToFile(FileFormat::Pdf, "no/such/folder/plot.pdf", {100, 100}, nothing);
    EXPECT_EQ(r.status, IoStatus::OpenFailed);
    EXPECT_NE(r.message.find("plot.pdf"), std::string::npos);
    EXPECT_FALSE(fs::exists("no"));
    // A target that is a folder cannot be replaced.
    fs::create_directories("taken.png");
    EXPECT_EQ(renderToFile(FileFormat::Png, "taken.png", {10, 10}, nothing).status,
              IoStatus::WriteFailed);
    EXPECT_TRUE(fs::is_directory("taken.png"));
    EXPECT_FALSE(leftovers("taken.png"));
    // A picture without area.
    EXPECT_FALSE(renderToFile(FileFormat::Pdf, "empty.pdf", {0, 100}, nothing).ok());
    EXPECT_FALSE(fs::exists("empty.pdf") || leftovers("empty.pdf"));
    // A drawing never finished leaves the old file as it was.
    std::ofstream("keep.pdf") << "old";
    { FileCanvas(FileFormat::Pdf, "keep.pdf", {50, 50}).strokeLine({0, 0}, {50, 50}); }
    EXPECT_EQ(test::readFile("keep.pdf"), "old");
    EXPECT_FALSE(leftovers("keep.pdf"));
}

TEST(FileCanvas, SingularTransformAndBadPathsDrawNothingAndSpoilNothing) {
    PngPixels img = png("singular.png", {20, 20}, [](Canvas& c) {
        c.saveGraphicsState();
        c.concat(AffineTransform::scaling(0, 1));
        c.setFillColor(Color::red());
        c.fillRect(Rect(0, 0, 20, 20));
        c.restoreGraphicsState();
        c.stroke(BezierPath::withLine({0, 0}, {NAN, 3}));
        c.setFillColor(Color::blue());
        c.fillRect(Rect(0, 0, 5, 5));
    });
    EXPECT_EQ(img.at({15, 15}).a, 0);
    EXPECT_EQ(img.at({2, 2}).hex(), 0x0000FF);
}

TEST(FileCanvas, ClipAndDashShapeTheInk) {
    PngPixels img = png("clip.png", {40, 20}, [](Canvas& c) {
        c.saveGraphicsState();
        c.clipToRect(Rect(0, 0, 20, 20));
        c.fillRect(Rect(0, 0, 40, 10));
        c.restoreGraphicsState();
        BezierPath dashed = BezierPath::withLine({0, 15}, {40, 15});
        dashed.setLineWidth(2);
        dashed.setLineDash({5, 5});
        c.stroke(dashed);
    });
    EXPECT_EQ(img.at({10, 5}).a, 255);  // inside the clip
    EXPECT_EQ(img.at({30, 5}).a, 0);    // clipped away
    EXPECT_EQ(img.at({2, 15}).a, 255);  // dash from 0 to 5, gap to 10
    EXPECT_EQ(img.at({7, 15}).a, 0);
}

// A clip whose area cannot be computed (a coordinate not a number or infinite) lets nothing
// through until the state is restored, rather than everything.
TEST(FileCanvas, AClipThatCannotBeComputedShowsNothing) {
    for (double bad : {double(NAN), double(INFINITY)}) {
        SCOPED_TRACE(bad);
        PngPixels img = png("badclip.png", {20, 20}, [bad](Canvas& c) {
            c.saveGraphicsState();
            c.clipToRect(Rect(0, 0, bad, 10));
            c.setFillColor(Color::red());
            c.fillRect(Rect(0, 0, 20, 20));
            c.restoreGraphicsState();
            c.setFillColor(Color::blue());
            c.fillRect(Rect(0, 0, 5, 5));
        });
        for (Point p : {Point{2, 8}, Point{10, 5}, Point{15, 15}}) EXPECT_EQ(img.at(p).a, 0);
        EXPECT_EQ(img.at({2, 2}).hex(), 0x0000FF);  // restored: drawn again
    }
}

// A picture that the disk (here a file-size limit) cannot take fails with the format and the
// file named, and leaves no file, part of one, or temporary behind.
TEST(FileCanvas, APictureThatCannotBeWrittenFailsNamingItsFormat) {
    std::signal(SIGXFSZ, SIG_DFL);
    struct rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    if (before.rlim_max != RLIM_INFINITY && before.rlim_max < 256)
        GTEST_SKIP() << "the hard file-size limit is below the test's";
    auto draw = [](Canvas& c) {
        for (int i = 0; i < 50; ++i) {
            c.setFillColor(Color::deviceRGB(i / 50.0, 0.5, 1 - i / 50.0));
            c.fillRect(Rect(i * 3, i * 2, 40, 30));
            c.drawText("row " + std::to_string(i), TextAttributes(), {i * 2.0, i * 3.0});
        }
    };
    const struct {
        FileFormat format;
        const char* name;
        const char* said;
    } cases[] = {{FileFormat::Png, "big.png", "cannot write PNG 'big.png'"},
                 {FileFormat::Svg, "big.svg", "cannot write SVG 'big.svg'"},
                 {FileFormat::Pdf, "big.pdf", "cannot write PDF 'big.pdf'"}};
    const struct rlimit tight { 256, before.rlim_max };
    IoResult results[3];
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    for (int k = 0; k < 3; ++k)
        results[k] = renderToFile(cases[k].format, cases[k].name, {200, 200}, draw);
    ::setrlimit(RLIMIT_FSIZE, &before);
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(cases[k].name);
        EXPECT_EQ(results[k].status, IoStatus::WriteFailed);
        EXPECT_EQ(results[k].message.rfind(cases[k].said, 0), 0u) << results[k].message;
        EXPECT_FALSE(fs::exists(cases[k].name));
        EXPECT_FALSE(leftovers(cases[k].name));
        // Without the limit the same picture is written.
        EXPECT_TRUE(renderToFile(cases[k].format, cases[k].name, {200, 200}, draw).ok());
        EXPECT_GT(fs::file_size(cases[k].name), 256u);
    }
}

// Ends and corners of wide strokes against their geometry: a butt end stops at the end
// point, a square one goes half the width beyond it, a round one is a half disc; a right
// angle of width 20 at (50, 30) has its miter corner at (60, 20), its bevel cuts the corner
// along x - y = 30 (x - 50 + 30 - y = 10), its round join is a disc of radius 10. Probes are
// pixels wholly inside or wholly outside the ink.
TEST(CairoCanvas, StrokeEndsAndCornersFollowTheirStyle) {
    auto ends = [](const char* name, LineCap cap) {
        return png(name, {80, 40}, [cap](Canvas& c) {
            BezierPath line = BezierPath::withLine({20, 20}, {60, 20});
            line.setLineWidth(10);
            line.setLineCap(cap);
            c.setStrokeColor(Color::blue());
            c.stroke(line);
        });
    };
    const PngPixels butt = ends("butt.png", LineCap::Butt);
    const PngPixels square = ends("square.png", LineCap::Square);
    const PngPixels round = ends("round.png", LineCap::Round);
    const Point beyondEnd{17.5, 20.5}, cornerOfSquare{15.5, 24.5}, beyondCorner{64.5, 15.5};
    EXPECT_EQ(butt.at({40.5, 24.5}).hex(), 0x0000FF);
    EXPECT_EQ(butt.at(beyondEnd).a, 0);
    EXPECT_EQ(butt.at(beyondCorner).a, 0);
    EXPECT_EQ(square.at(beyondEnd).hex(), 0x0000FF);
    EXPECT_EQ(square.at(cornerOfSquare).a, 255);
    EXPECT_EQ(square.at(beyondCorner).a, 255);
    EXPECT_EQ(round.at(beyondEnd).a, 255);
    EXPECT_EQ(round.at(cornerOfSquare).a, 0);  // 5.7 and more from the end point
    EXPECT_EQ(round.at(beyondCorner).a, 0);
    EXPECT_EQ(square.at({14.5, 20.5}).a, 0);  // past the half width

    auto corner = [](const char* name, LineJoin join, double miterLimit) {
        return png(name, {100, 100}, [=](Canvas& c) {
            BezierPath path;
            path.moveTo({10, 30});
            path.lineTo({50, 30});
            path.lineTo({50, 90});
            path.setLineWidth(20);
            path.setLineJoin(join);
            path.setMiterLimit(miterLimit);
            c.stroke(path);
        });
    };
    const Point miterTip{58.5, 21.5}, insideDisc{56.5, 23.5};
    const PngPixels miter = corner("miter.png", LineJoin::Miter, 10);
    EXPECT_EQ(miter.at(miterTip).a, 255);
    EXPECT_EQ(miter.at(insideDisc).a, 255);
    EXPECT_EQ(miter.at({61.5, 21.5}).a, 0);
    const PngPixels bevel = corner("bevel.png", LineJoin::Bevel, 10);
    EXPECT_EQ(bevel.at(miterTip).a, 0);
    EXPECT_EQ(bevel.at(insideDisc).a, 0);
    EXPECT_EQ(bevel.at({53.5, 26.5}).a, 255);
    const PngPixels disc = corner("roundjoin.png", LineJoin::Round, 10);
    EXPECT_EQ(disc.at(miterTip).a, 0);
    EXPECT_EQ(disc.at(insideDisc).a, 255);
    // A right angle's miter is sqrt(2) times the width: a limit of 1 bevels it.
    const PngPixels limited = corner("limited.png", LineJoin::Miter, 1);
    EXPECT_EQ(limited.at(miterTip).a, 0);
    EXPECT_EQ(limited.at({53.5, 26.5}).a, 255);
    for (const PngPixels* img : {&miter, &bevel, &disc, &limited})
        EXPECT_EQ(img->at({30.5, 30.5}).hex(), 0x000000);  // the default stroke colour
}

// A dash phase shifts the pattern along the path; a width of 0 is one device pixel, half a
// unit at a pixel scale of 2.
TEST(CairoCanvas, DashPhaseAndHairline) {
    PngPixels img = png(
        "phase.png", {40, 20},
        [](Canvas& c) {
            BezierPath dashed = BezierPath::withLine({0, 15}, {40, 15});
            dashed.setLineWidth(2);
            dashed.setLineDash({5, 5}, 5);  // starts in a gap
            c.stroke(dashed);
            BezierPath hairline = BezierPath::withLine({0, 5.25}, {40, 5.25});
            hairline.setLineWidth(0);
            c.stroke(hairline);
        },
        2.0);
    EXPECT_EQ(img.at({2, 15}).a, 0);
    EXPECT_EQ(img.at({7, 15}).a, 255);
    EXPECT_EQ(img.at({12, 15}).a, 0);
    EXPECT_EQ(img.at({17, 15}).a, 255);
    EXPECT_EQ(img.at({20, 5.25}).a, 255);  // device row 10 from the bottom
    EXPECT_EQ(img.at({20, 5.75}).a, 0);
    EXPECT_EQ(img.at({20, 4.75}).a, 0);
}

TEST(CairoCanvas, ScreenCanvasLeavesTheCallersContextAsItWas) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 30, 30);
    cairo_t* cr = cairo_create(surface);
    {
        CairoCanvas canvas(cr, {30, 30});
        canvas.saveGraphicsState();
        canvas.concat(AffineTransform::rotationDegrees(45));
        canvas.saveGraphicsState();  // left unbalanced on purpose
        canvas.fillRect(Rect(0, 0, 10, 10));
        EXPECT_EQ(canvas.cairoStatus(), CAIRO_STATUS_SUCCESS);
    }
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    EXPECT_TRUE(m.xx == 1 && m.yy == 1 && m.xy == 0 && m.y0 == 0);
    EXPECT_EQ(cairo_status(cr), CAIRO_STATUS_SUCCESS);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

}  // namespace
}  // namespace vornex
