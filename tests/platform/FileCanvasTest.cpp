#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "ScratchFolder.h"
#include "platform/FileCanvas.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;

// Pixels of a PNG read back through cairo: premultiplied ARGB, rows from the top.
class PngImage {
   public:
    explicit PngImage(const std::string& path)
        : surface_(cairo_image_surface_create_from_png(path.c_str()), &cairo_surface_destroy) {}
    bool ok() const { return cairo_surface_status(surface_.get()) == CAIRO_STATUS_SUCCESS; }
    int width() const { return cairo_image_surface_get_width(surface_.get()); }
    int height() const { return cairo_image_surface_get_height(surface_.get()); }
    std::uint32_t at(int x, int y) const {
        const unsigned char* row = cairo_image_surface_get_data(surface_.get()) +
                                   y * cairo_image_surface_get_stride(surface_.get());
        return reinterpret_cast<const std::uint32_t*>(row)[x];
    }
    int alpha(int x, int y) const { return at(x, y) >> 24; }
    int red(int x, int y) const { return (at(x, y) >> 16) & 0xff; }
    int blue(int x, int y) const { return at(x, y) & 0xff; }

   private:
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface_;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Text of a PDF through pdftotext; nothing when the tool is missing.
std::optional<std::string> pdfText(const std::string& pdf) {
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) return std::nullopt;
    std::string txt = pdf + ".txt";
    std::string cmd = "pdftotext '" + pdf + "' '" + txt + "'";
    if (std::system(cmd.c_str()) != 0) return std::string();
    return slurp(txt);
}

bool leftovers(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.path().filename().string().rfind("." + name + ".", 0) == 0) return true;
    return false;
}

class FileCanvasTest : public ::testing::Test {
   protected:
    void SetUp() override { dir_ = scratchFolder("canvas_"); }
    std::string file(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

TEST_F(FileCanvasTest, PngLineLandsWhereYGrowsUpward) {
    std::string path = file("line.png");
    IoResult r = renderToFile(FileFormat::Png, path, {100, 50}, [](Canvas& c) {
        BezierPath line = BezierPath::withLine({10, 20}, {90, 20});
        line.setLineWidth(4);
        c.setStrokeColor(Color::red());
        c.stroke(line);
        // A blue square near the top left corner of the picture.
        c.setFillColor(Color::blue());
        c.fillRect(Rect(0, 40, 10, 10));
    });
    ASSERT_TRUE(r.ok()) << r.message;
    PngImage img(path);
    ASSERT_TRUE(img.ok());
    EXPECT_EQ(img.width(), 100);
    EXPECT_EQ(img.height(), 50);
    // y = 20 from the bottom is row 30 from the top; the 4-unit line covers rows 28 to 31.
    for (int row : {28, 29, 30, 31}) {
        EXPECT_EQ(img.alpha(50, row), 255) << row;
        EXPECT_EQ(img.red(50, row), 255) << row;
    }
    EXPECT_EQ(img.alpha(50, 27), 0);
    EXPECT_EQ(img.alpha(50, 32), 0);
    EXPECT_EQ(img.alpha(5, 30), 0);  // before the line's start
    EXPECT_EQ(img.blue(5, 5), 255);
    EXPECT_EQ(img.alpha(5, 45), 0);
    EXPECT_FALSE(leftovers(dir_, "line.png"));
}

TEST_F(FileCanvasTest, PixelScaleEnlargesThePicture) {
    std::string path = file("scaled.png");
    ASSERT_TRUE(renderToFile(
        FileFormat::Png, path, {10, 10},
        [](Canvas& c) {
            c.setFillColor(Color::red());
            c.fillRect(Rect(0, 0, 5, 5));
        },
        2.0));
    PngImage img(path);
    ASSERT_TRUE(img.ok());
    EXPECT_EQ(img.width(), 20);
    EXPECT_EQ(img.alpha(2, 18), 255);  // lower left quarter
    EXPECT_EQ(img.alpha(18, 2), 0);
}

TEST_F(FileCanvasTest, TextIsMeasuredWithTheInstalledFonts) {
    Bytes sink;
    FileCanvas canvas(FileFormat::Png, sink, {200, 100});
    // Liberation Sans has the advance widths of Arial: H 722, e 556, l 222, o 556 per 1000.
    Size s = canvas.measureText("Hello", TextAttributes(Font("Helvetica", 12)));
    EXPECT_NEAR(s.width, 2278 * 12 / 1000.0, 0.05);
    EXPECT_GT(s.height, 12);
    EXPECT_LT(s.height, 15);
    // Liberation Mono: every character 600 per 1000.
    Size m = canvas.measureText("iiiii", TextAttributes(Font("Courier New", 10)));
    EXPECT_NEAR(m.width, 30, 0.05);
    Size bold = canvas.measureText("Hello", TextAttributes(Font("Arial", 12, true)));
    EXPECT_GT(bold.width, s.width);
    EXPECT_TRUE(canvas.finish());
}

TEST_F(FileCanvasTest, TextIsDrawnUprightInsideItsBox) {
    std::string path = file("text.png");
    Size box;
    ASSERT_TRUE(renderToFile(FileFormat::Png, path, {100, 80}, [&](Canvas& c) {
        AttributedString t("T", TextAttributes(Font("Helvetica", 40), Color::black()));
        box = c.measureText(t);
        c.drawText(t, Point{10, 10});
    }));
    PngImage img(path);
    ASSERT_TRUE(img.ok());
    // Ink only inside the box: rows 80 - 10 - height to 70, columns from 10.
    int top = static_cast<int>(80 - 10 - box.height), firstRow = 80, lastRow = -1;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x)
            if (img.alpha(x, y) > 128) {
                EXPECT_GE(y, top);
                EXPECT_LT(y, 70);
                EXPECT_GE(x, 10);
                firstRow = std::min(firstRow, y);
                lastRow = std::max(lastRow, y);
            }
    ASSERT_LT(firstRow, lastRow);
    // Upright: the bar of the T is at the top, its stem alone at the bottom.
    int bar = 0, stem = 0;
    for (int x = 0; x < 100; ++x) {
        bar += img.alpha(x, firstRow + 1) > 128;
        stem += img.alpha(x, lastRow - 1) > 128;
    }
    EXPECT_GT(bar, 3 * stem);
    // The baseline sits a descent above the box's bottom edge.
    EXPECT_NEAR(lastRow, 70 - 0.212 * 40, 1.5);
}

TEST_F(FileCanvasTest, PdfHoldsItsTextOnEveryPage) {
    std::string path = file("plot.pdf");
    FileCanvas canvas(FileFormat::Pdf, path, {400, 300});
    canvas.drawText("Isochore 300", TextAttributes(Font("Helvetica", 12)), {50, 50});
    canvas.strokeLine({0, 0}, {400, 300});
    EXPECT_TRUE(canvas.newPage());
    canvas.drawText("Boiling curve", TextAttributes(Font("Times", 14, false, true)), {50, 250});
    ASSERT_FALSE(fs::exists(path));  // nothing at the target before finish
    IoResult r = canvas.finish();
    ASSERT_TRUE(r.ok()) << r.message;
    std::string bytes = slurp(path);
    ASSERT_EQ(bytes.rfind("%PDF", 0), 0u);
    std::optional<std::string> text = pdfText(path);
    if (!text) GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_NE(text->find("Isochore 300"), std::string::npos) << *text;
    EXPECT_NE(text->find("Boiling curve"), std::string::npos) << *text;
    std::size_t first = text->find("Isochore 300"), feed = text->find('\f'),
                second = text->find("Boiling curve");
    EXPECT_TRUE(first < feed && feed < second) << "the second text is on page two";
    EXPECT_FALSE(leftovers(dir_, "plot.pdf"));
}

TEST_F(FileCanvasTest, SvgIsWrittenAndOnlyPdfHasPages) {
    std::string path = file("plot.svg");
    FileCanvas canvas(FileFormat::Svg, path, {120, 80});
    canvas.setFillColor(Color::deviceRGB(0.6, 1, 1));
    canvas.fillRect(canvas.bounds());
    EXPECT_FALSE(canvas.newPage());
    ASSERT_TRUE(canvas.finish());
    std::string svg = slurp(path);
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("120"), std::string::npos);
    EXPECT_EQ(fileFormatForPath("a/b/Plot.SVG"), FileFormat::Svg);
    EXPECT_EQ(fileFormatForPath("x.pdf"), FileFormat::Pdf);
    EXPECT_FALSE(fileFormatForPath("x.txt"));
}

TEST_F(FileCanvasTest, FailedWritesAreReportedAndLeaveNoFile) {
    // A folder that does not exist.
    std::string missing = file("no/such/folder/plot.pdf");
    IoResult r = renderToFile(FileFormat::Pdf, missing, {100, 100}, [](Canvas& c) {
        c.strokeLine({0, 0}, {1, 1});
    });
    EXPECT_EQ(r.status, IoStatus::OpenFailed);
    EXPECT_NE(r.message.find("plot.pdf"), std::string::npos);
    EXPECT_FALSE(fs::exists(missing));
    // A target that is a folder: the file cannot replace it, and no temporary remains.
    fs::create_directories(dir_ / "taken.png");
    r = renderToFile(FileFormat::Png, file("taken.png"), {10, 10}, [](Canvas&) {});
    EXPECT_EQ(r.status, IoStatus::WriteFailed);
    EXPECT_TRUE(fs::is_directory(dir_ / "taken.png"));
    EXPECT_FALSE(leftovers(dir_, "taken.png"));
    // A picture without area.
    r = renderToFile(FileFormat::Pdf, file("empty.pdf"), {0, 100}, [](Canvas&) {});
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(fs::exists(dir_ / "empty.pdf"));
    EXPECT_FALSE(leftovers(dir_, "empty.pdf"));
}

TEST_F(FileCanvasTest, AbandonedDrawingLeavesTheOldFile) {
    std::string path = file("keep.pdf");
    { std::ofstream(path) << "old"; }
    {
        FileCanvas canvas(FileFormat::Pdf, path, {50, 50});
        canvas.strokeLine({0, 0}, {50, 50});
    }  // never finished
    EXPECT_EQ(slurp(path), "old");
    EXPECT_FALSE(leftovers(dir_, "keep.pdf"));
}

TEST_F(FileCanvasTest, SingularTransformDrawsNothingAndSpoilsNothing) {
    std::string path = file("singular.png");
    ASSERT_TRUE(renderToFile(FileFormat::Png, path, {20, 20}, [](Canvas& c) {
        c.saveGraphicsState();
        c.concat(AffineTransform::scaling(0, 1));
        c.setFillColor(Color::red());
        c.fillRect(Rect(0, 0, 20, 20));
        c.restoreGraphicsState();
        c.setFillColor(Color::blue());
        c.fillRect(Rect(0, 0, 5, 5));
        BezierPath bad = BezierPath::withLine({0, 0}, {NAN, 3});
        c.stroke(bad);
    }));
    PngImage img(path);
    ASSERT_TRUE(img.ok());
    EXPECT_EQ(img.alpha(15, 5), 0);
    EXPECT_EQ(img.blue(2, 17), 255);
}

TEST_F(FileCanvasTest, ClipAndDashShapeTheInk) {
    std::string path = file("clip.png");
    ASSERT_TRUE(renderToFile(FileFormat::Png, path, {40, 20}, [](Canvas& c) {
        c.saveGraphicsState();
        c.clipToRect(Rect(0, 0, 20, 20));
        c.setFillColor(Color::red());
        c.fillRect(Rect(0, 10, 40, 10));
        c.restoreGraphicsState();
        BezierPath dashed = BezierPath::withLine({0, 5}, {40, 5});
        dashed.setLineWidth(2);
        dashed.setLineDash({5, 5});
        c.stroke(dashed);
    }));
    PngImage img(path);
    ASSERT_TRUE(img.ok());
    EXPECT_EQ(img.alpha(10, 5), 255);  // inside the clip
    EXPECT_EQ(img.alpha(30, 5), 0);    // clipped away
    EXPECT_EQ(img.alpha(2, 15), 255);  // dash on from 0 to 5
    EXPECT_EQ(img.alpha(7, 15), 0);    // gap from 5 to 10
    EXPECT_EQ(img.alpha(12, 15), 255);
}

TEST(CairoCanvasTest, ScreenCanvasLeavesTheCallersContextAsItWas) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 30, 30);
    cairo_t* cr = cairo_create(surface);
    {
        CairoCanvas canvas(cr, {30, 30});
        EXPECT_TRUE(canvas.isDrawingToScreen());
        canvas.saveGraphicsState();
        canvas.concat(AffineTransform::rotationDegrees(45));
        canvas.saveGraphicsState();  // left unbalanced on purpose
        canvas.setFillColor(Color::black());
        canvas.fillRect(Rect(0, 0, 10, 10));
        EXPECT_EQ(canvas.cairoStatus(), CAIRO_STATUS_SUCCESS);
    }
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    EXPECT_EQ(m.xx, 1);
    EXPECT_EQ(m.yy, 1);
    EXPECT_EQ(m.y0, 0);
    EXPECT_EQ(cairo_status(cr), CAIRO_STATUS_SUCCESS);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

TEST(RenderToBytesTest, PdfInMemory) {
    IoResult r;
    Bytes pdf = renderToBytes(
        FileFormat::Pdf, {100, 100},
        [](Canvas& c) {
            c.strokeLine({0, 0}, {100, 100});
        },
        &r);
    ASSERT_TRUE(r.ok()) << r.message;
    ASSERT_GT(pdf.size(), 100u);
    EXPECT_EQ(std::string(pdf.begin(), pdf.begin() + 4), "%PDF");
}

}  // namespace
}  // namespace vornex
