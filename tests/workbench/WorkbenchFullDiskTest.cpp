// Every file the workbench writes, written with no room left on the disk (a file-size limit
// in a child process): each write says it failed, the file written there before is as it was,
// and no temporary is left beside it. The document, the preferences, the plots in each of
// their formats, a curve's data and Igor files, a bar chart's Igor file and the log. A save
// past the limit with the signal's default action fails the same way.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/UserDefaults.h"
#include "plot/CBarPlotView.h"
#include "plot/CGraphCurve.h"
#include "plot/CLogWindow.h"
#include "plot/CPlotView.h"
#include "support/ChildExit.h"
#include "support/HostileFiles.h"
#include "workbench/HeadlessWorkbench.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEarlier = "written before\n";

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(WorkbenchFullDisk, EveryWriteFailsAndKeepsTheEarlierFile) {
    const fs::path folder = fs::current_path() / "fulldisk";
    fs::remove_all(folder);
    fs::create_directories(folder);
    auto document = HeadlessWorkbench::newDocument();
    HeadlessWorkbench ui(*document);
    CPlotView* plot = document->plotNamed("mPTViewp");
    ASSERT_NE(plot, nullptr);
    std::vector<double> values;
    for (int i = 0; i < 200; ++i) values.insert(values.end(), {300.0 + i, 100.0 + 0.5 * i});
    CGraphCurve* curve = plot->plotFromArray(values, 2, 0, 1);
    ASSERT_NE(curve, nullptr);
    CBarPlotView bars(Rect{0, 0, 400, 300});
    bars.setValues(std::vector<double>(100, 0.125));
    CLogWindow::sharedLogWindowCtroller().appendString1(std::string(2000, 'l'));
    UserDefaults preferences((folder / "defaults.plist").string());
    preferences.set("font", std::string(2000, 'f'));

    const std::vector<std::pair<std::string, std::function<IoResult(const std::string&)>>>
        writes = {
            {"doc.wyvra", [&](const std::string& p) { return document->saveToFile(p); }},
            {"defaults.plist", [&](const std::string&) { return preferences.save(); }},
            {"pt.pdf", [&](const std::string& p) { return ui.writePlot("mPTViewp", p); }},
            {"pt.png", [&](const std::string& p) { return ui.writePlot("mPTViewp", p); }},
            {"pt.svg", [&](const std::string& p) { return ui.writePlot("mPTViewp", p); }},
            {"curve.txt", [&](const std::string& p) { return curve->writeCurveData(p); }},
            {"curve.itx", [&](const std::string& p) { return curve->writeIgorData(p); }},
            {"bars.itx", [&](const std::string& p) { return bars.writeIgorFile(p); }},
            {"log.txt", [](const std::string& p) { return HeadlessWorkbench::writeLog(p); }},
        };
    for (const auto& [name, write] : writes) std::ofstream(folder / name) << kEarlier;
    // Blocks of 512 bytes: room for what was there, not for any of the files.
    const auto run = testing::runBounded(120, [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        if (!lowerSoftLimit(RLIMIT_FSIZE, 512)) return std::string("no limit");
        std::string said;
        for (const auto& [name, write] : writes) {
            const IoResult r = write((folder / name).string());
            said += name + (r.ok() ? " saved" : " refused: " + r.message) + "\n";
        }
        return said;
    });
    ASSERT_TRUE(run.finished) << run.said << " signal " << run.signal;
    for (const auto& [name, write] : writes) {
        EXPECT_NE(run.said.find(name + " refused: "), std::string::npos) << run.said;
        EXPECT_EQ(fileText(folder / name), kEarlier) << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()),
              static_cast<std::ptrdiff_t>(writes.size()));
    // With room again, each is written.
    for (const auto& [name, write] : writes) {
        const IoResult r = write((folder / name).string());
        EXPECT_TRUE(r.ok()) << name << ": " << r.message;
        EXPECT_NE(fileText(folder / name), kEarlier) << name;
    }
    fs::remove_all(folder);
}

// A save past the file-size limit once ended the workbench by SIGXFSZ, leaving a temporary
// of the document's size beside it: with the signal's default action in place, the save
// fails with the cause named, and the document there before is kept.
TEST(WorkbenchFullDisk, ASaveBeyondTheFileSizeLimitFailsAndKeepsTheEarlierFile) {
    const fs::path folder = fs::current_path() / "sizelimit";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string path = (folder / "doc.wyvra").string();
    std::ofstream(path) << kEarlier;
    auto document = HeadlessWorkbench::newDocument();
    HeadlessWorkbench ui(*document);
    ASSERT_TRUE(ui.editCell(0, "comment", PlistValue(std::string(100000, 'c'))));
    const auto run = testing::runBounded(120, [&] {
        std::signal(SIGXFSZ, SIG_DFL);
        if (!lowerSoftLimit(RLIMIT_FSIZE, 16384)) return std::string("no limit");
        const IoResult r = document->saveToFile(path);
        return r.ok() ? std::string("saved") : "refused: " + r.message;
    });
    ASSERT_TRUE(run.finished) << run.said << " signal " << run.signal;
    EXPECT_EQ(run.said.rfind("refused: ", 0), 0u) << run.said;
    EXPECT_NE(run.said.find("File too large"), std::string::npos) << run.said;
    EXPECT_EQ(fileText(path), kEarlier);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace vornex
