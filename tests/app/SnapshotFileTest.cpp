// A window image written by the shell (the self-test's, the state report's) is a PNG that
// reads back as the image, written whole or not at all: with no room on the disk the write
// fails and the file there before is kept.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "StateReport.h"
#include "numerics/Decimal.h"
#include "numerics/OwnOutputs.h"
#include "support/ChildExit.h"
#include "support/HostileFiles.h"

namespace vornex::shell {
namespace {

namespace fs = std::filesystem;

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(WindowImages, AreWrittenWholeAndReadBackOrFailKeepingTheFile) {
    constexpr int kSide = 96;
    std::vector<guchar> pixels(kSide * kSide * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<guchar>(i * 7919 % 251);
    for (std::size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;  // opaque
    GBytes* bytes = g_bytes_new(pixels.data(), pixels.size());
    GdkTexture* texture =
        gdk_memory_texture_new(kSide, kSide, GDK_MEMORY_R8G8B8A8, bytes, kSide * 4);
    g_bytes_unref(bytes);
    const fs::path folder = fs::current_path() / "window-images";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string path = (folder / "window.png").string();
    std::ofstream(path) << "earlier image\n";

    const auto full = testing::runBounded(60, [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        // Room for what was there, not for the image.
        if (!lowerSoftLimit(RLIMIT_FSIZE, 512)) return std::string("no limit");
        const IoResult r = savePng(texture, path);
        return r.ok() ? std::string("saved") : "refused: " + r.message;
    });
    ASSERT_TRUE(full.finished) << full.said;
    EXPECT_EQ(full.said.rfind("refused: ", 0), 0u) << full.said;
    EXPECT_EQ(fileText(path), "earlier image\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    ASSERT_TRUE(savePng(texture, path).ok());
    GError* error = nullptr;
    GdkTexture* back = gdk_texture_new_from_filename(path.c_str(), &error);
    ASSERT_NE(back, nullptr) << (error ? error->message : "");
    EXPECT_EQ(gdk_texture_get_width(back), kSide);
    EXPECT_EQ(gdk_texture_get_height(back), kSide);
    std::vector<guchar> original(pixels.size()), read(pixels.size());
    gdk_texture_download(texture, original.data(), kSide * 4);
    gdk_texture_download(back, read.data(), kSide * 4);
    EXPECT_EQ(read, original);
    EXPECT_FALSE(savePng(nullptr, path).ok());
    g_object_unref(back);
    g_object_unref(texture);
    fs::remove_all(folder);
}

// The state report's image takes a name the user did not give (the report's with ".png"):
// a file of the user's there stays, and the image is refused saying why.
TEST(WindowImages, TheReportImageReplacesOnlyAnImageThisProgramWrote) {
    guchar pixel[4] = {10, 20, 30, 255};
    GBytes* bytes = g_bytes_new(pixel, sizeof pixel);
    GdkTexture* texture = gdk_memory_texture_new(1, 1, GDK_MEMORY_R8G8B8A8, bytes, 4);
    g_bytes_unref(bytes);
    test::expectOnlyItsOwnFilesReplaced({"state.png"}, [&] {
        const IoResult r = saveReportImage(texture, "state");
        if (!r) vornex::cfprintf(stderr, "%s\n", r.message.c_str());
        return r.ok();
    });
    g_object_unref(texture);
}

}  // namespace
}  // namespace vornex::shell
