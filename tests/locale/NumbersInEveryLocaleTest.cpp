// Numbers under a decimal-comma locale, as a window toolkit or a program embedding the library
// sets it: a typed fraction is read whole (with the point or the comma) or refused, never cut;
// the boiling panel, the shipped measured data, documents and preferences read as in "C"; and
// every kind of file written (documents, preferences, curve exports, Igor text, column tables,
// scripts) is byte for byte the one written in "C".
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "magma/VolatileCalc.h"
#include "numerics/DataPath.h"
#include "numerics/Decimal.h"
#include "numerics/IgorText.h"
#include "platform/KeyedArchiver.h"
#include "platform/PlistNode.h"
#include "platform/UserDefaults.h"
#include "plot/CGraphCurve.h"
#include "support/ConsoleRun.h"
#include "support/ScopedLocale.h"
#include "water/WagnerPruss.h"
#include "workbench/ExperimentalData.h"
#include "workbench/HeadlessWorkbench.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;
constexpr const char* kGerman = "de_DE.UTF-8";

#define EXPECT_LOCALE(l) ASSERT_TRUE((l).ok()) << "the locale is missing (scripts/setup generates it)"

TEST(TypedNumbers, AFractionTypedInAGermanLocaleIsReadWhole) {
    testing::ScopedLocale german(kGerman);
    EXPECT_LOCALE(german);
    auto doc = HeadlessWorkbench::newDocument();
    HeadlessWorkbench ui(*doc);
    ui.type("mP0", "123.25");
    EXPECT_EQ(doc->form().value("mP0"), 123.25);
    EXPECT_EQ(doc->cases().at(0).get("P0").toDouble(), 123.25);
    ui.type("mT0", "351.5");
    EXPECT_EQ(doc->form().value("mT0"), 351.5);
    // The locale's own mark is taken as well, and the number shown reads back the same.
    setTypedDecimalSeparator(',');
    ui.type("mP0", "350,5");
    EXPECT_EQ(doc->form().value("mP0"), 350.5);
    EXPECT_EQ(doc->cases().at(0).get("P0").toDouble(), 350.5);
    ui.type("mP0", doc->form().text("mP0"));
    EXPECT_EQ(doc->form().value("mP0"), 350.5) << doc->form().text("mP0");
    // Hexadecimal, "inf", "nan" and a mark used twice are no numbers: refused, the value kept.
    for (const char* bad : {"0x10", "inf", "nan", "1,5.5", "3,5,0"}) {
        ui.type("mP0", bad);
        EXPECT_EQ(doc->cases().at(0).get("P0").toDouble(), 350.5) << bad;
    }
    setTypedDecimalSeparator(0);
}

TEST(BoilingPanel, ComputesAtStartAndTakesACommaInAGermanLocale) {
    testing::ScopedLocale german(kGerman);
    EXPECT_LOCALE(german);
    auto doc = HeadlessWorkbench::newDocument();
    HeadlessWorkbench ui(*doc);
    doc->selectTabViewItemAtIndex(5);  // the boiling column's tab
    for (const char* result : {"mBoilH1", "mBoilzTop1", "mBoilPbot4"})
        EXPECT_TRUE(doc->form()[result].holdsNumber()) << result << " is blank";
    setTypedDecimalSeparator(',');
    ui.type("mBoildTdz1", "1,75");
    EXPECT_EQ(doc->form().value("mBoildTdz1"), 1.75);
    EXPECT_TRUE(doc->form()["mBoilH1"].holdsNumber());
    setTypedDecimalSeparator(0);
}

TEST(MeasuredData, TheShippedSetsAreTakenInAGermanLocale) {
    testing::ScopedLocale german(kGerman);
    EXPECT_LOCALE(german);
    std::vector<ExperimentalSet> sets = experimentalCatalogue();
    std::vector<std::string> refusals;
    const IoResult read = readExperimentalSets(findDataFile("h2onacl/lv-isotherms.txt"), sets, refusals);
    ASSERT_TRUE(read.ok()) << read.message;
    EXPECT_TRUE(refusals.empty()) << refusals.front();
}

TEST(Documents, RealsAndPreferencesReadWholeInAGermanLocale) {
    PlistValue cases = PlistValue::dictionary();
    cases.set("Tm", 300.25);
    cases.set("share", 0.5);
    std::string error;
    const Bytes xml = PlistNode::parse(KeyedArchiver::archivedData(cases, "list"), error).toXml();
    ASSERT_FALSE(xml.empty()) << error;
    testing::ScopedLocale german(kGerman);
    EXPECT_LOCALE(german);
    const PlistValue read = KeyedUnarchiver::unarchivedValue(xml, "list");
    EXPECT_EQ(read.get("Tm").toDouble(), 300.25);
    EXPECT_EQ(read.get("share").toDouble(), 0.5);

    UserDefaults written("prefs/defaults.plist");
    written.set("ratio", PlistValue(0.5));
    written.set("T", PlistValue(350.25));
    ASSERT_TRUE(written.save().ok());
    UserDefaults again("prefs/defaults.plist");
    ASSERT_TRUE(again.load().ok());
    EXPECT_EQ(again.doubleValue("ratio"), 0.5);
    EXPECT_EQ(again.doubleValue("T"), 350.25);
}

// A document saved in "C" opens in a German locale with its inclusion computed.
TEST(Documents, OneSavedInCOpensWithItsInclusionInAGermanLocale) {
    std::vector<std::string> shownInC;
    const char* const results[] = {"mTm0_edit", "mTh0_edit", "mInclusionRho0", "mTm_edit",
                                   "mInclusionRho", "mTh_edit"};
    {
        testing::ScopedLocale c("C");
        auto doc = HeadlessWorkbench::newDocument();
        HeadlessWorkbench ui(*doc);
        ui.type("mHalitePm", "88.25");
        ASSERT_TRUE(doc->performAction("onGoToInclusions_panel:"));
        ASSERT_TRUE(doc->saveToFile("saved.wyvra").ok());
        for (const char* r : results) shownInC.push_back(doc->form().text(r));
    }
    testing::ScopedLocale german(kGerman);
    EXPECT_LOCALE(german);
    IoResult opened;
    auto doc = HeadlessWorkbench::openDocument("saved.wyvra", &opened);
    ASSERT_TRUE(doc && opened.ok()) << opened.message;
    EXPECT_EQ(doc->mPm, 88.25);
    ASSERT_TRUE(doc->performAction("onGoToInclusions_panel:"));
    for (std::size_t i = 0; i < std::size(results); ++i) {
        EXPECT_TRUE(doc->form()[results[i]].holdsNumber()) << results[i] << " is blank";
        EXPECT_EQ(doc->form().text(results[i]), shownInC[i]) << results[i];
    }
}

// Every kind of file the programs write, by name, written in the folder (removed after).
std::map<std::string, std::string> writeEveryKind(const fs::path& folder) {
    fs::create_directories(folder);
    const fs::path home = fs::current_path();
    fs::current_path(folder);
    std::map<std::string, std::string> files;
    // A curve's exports: the text table and Igor text.
    CGraphCurve curve;
    curve.addPoint(373.946f, 220.64f, false);
    curve.addPoint(300.5f, 85.875f, false);
    curve.addPoint(-0.25f, 1e-3f, true);
    curve.addPoint(1.5e6f, 2.5e-7f, false);
    files["curve.txt"] = curve.curveDataText();
    files["curve.itx"] = curve.igorText();
    // Igor text as the tracers write it.
    if (std::FILE* f = std::fopen("rows.itx", "w")) {
        writeIgorHeader(f, "T P");
        const double row[] = {300.25, 1.5e-7, -2.5e12, NAN};
        writeIgorRow(f, row);
        writeIgorEnd(f);
        std::fclose(f);
    }
    // A document in both forms and the preferences.
    auto doc = HeadlessWorkbench::newDocument();
    HeadlessWorkbench ui(*doc);
    ui.type("mP0", "123.25");
    const Bytes binary = doc->dataOfType();
    files["document"] = std::string(binary.begin(), binary.end());
    std::string error;
    const Bytes xml = PlistNode::parse(binary, error).toXml();
    files["document.xml"] = std::string(xml.begin(), xml.end());
    UserDefaults prefs("defaults.plist");
    prefs.set("ratio", PlistValue(0.5));
    prefs.set("T", PlistValue(350.25));
    prefs.save();
    // VolatileCalc's isobar file and kelno's diagram with its Igor scripts.
    VolatileCalc v;
    v.setMagmaType(1);
    v.temperature = 1473.15;
    v.calculateSaturationIsobar(1e8, "isobar", 1, "a", nullptr);
    v.calculateDegassingPath(0, 1.5, 300.0, "degas", 2, "", nullptr);
    WagnerPruss water(2);
    const char* words[] = {"kelno", "satu"};
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    water.doWaterMagmaCommand(2, words);
    files["kelno satu output"] = ::testing::internal::GetCapturedStdout();
    ::testing::internal::GetCapturedStderr();
    // The record of outputs holds the files' inodes and times, which differ from run to run.
    for (const auto& entry : fs::directory_iterator("."))
        if (entry.is_regular_file() && entry.path().filename() != "defaults.plist.lock" &&
            entry.path().filename() != ".vornex-outputs")
            files[entry.path().filename().string()] = testing::slurpFile(entry.path());
    fs::current_path(home);
    fs::remove_all(folder);
    return files;
}

TEST(Files, EachKindIsByteIdenticalInCAndInDecimalCommaLocales) {
    std::map<std::string, std::string> inC;
    {
        testing::ScopedLocale c("C");
        inC = writeEveryKind("work");
    }
    for (const char* expected : {"curve.txt", "curve.itx", "rows.itx", "document", "document.xml",
                                 "defaults.plist", "isobar", "degas", "satu0.itx", "igor2.itx"})
        EXPECT_TRUE(inC.contains(expected)) << expected << " was not written";
    for (const char* name : {kGerman, "fr_FR.UTF-8"}) {
        testing::ScopedLocale other(name);
        EXPECT_LOCALE(other);
        std::map<std::string, std::string> inOther = writeEveryKind("work");
        ASSERT_EQ(inC.size(), inOther.size()) << name;
        for (const auto& [file, bytes] : inC)
            EXPECT_EQ(inOther[file], bytes) << file << " differs between C and " << name;
    }
    EXPECT_NE(inC["curve.txt"].find("3.739460e+02"), std::string::npos) << inC["curve.txt"];
}

}  // namespace
}  // namespace vornex
