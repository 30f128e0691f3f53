// What the document reads from disk and refuses: a document, the user's measured data or the
// saturation table that is a FIFO, a folder, a device, a dangling link or too large ends as a
// message, never a hang; values no measurement or saturation state can have are not drawn.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "WorkbenchTestSupport.h"
#include "numerics/DataPath.h"
#include "numerics/FileReader.h"
#include "numerics/TextCapture.h"
#include "plot/ArrayAdditions.h"
#include "support/HostileFiles.h"
#include "workbench/ExperimentalData.h"
#include "workbench/Form.h"

namespace vornex::test {
namespace {

using testing::hostileCases;
using testing::makeHostile;
using testing::runBounded;

TEST(WorkbenchReaders, DocumentThatIsNoRegularFileIsRefusedAtOnce) {
    for (const auto& c : hostileCases()) {
        SCOPED_TRACE(c.name);
        makeHostile(c.kind, "hostile.wyvra", kDocumentFileLimit + 1);
        const auto run = runBounded(120, [] {
            IoResult r;
            std::unique_ptr<MyDocument> doc;
            stdoutOf([&] { doc = HeadlessWorkbench::openDocument("hostile.wyvra", &r); });
            return std::string(doc ? "opened" : "refused") + ": " + r.message;
        });
        ASSERT_TRUE(run.finished) << "opening hung or ran out of memory";
        EXPECT_EQ(run.said.rfind("refused: ", 0), 0u) << run.said;
        EXPECT_NE(run.said.find("hostile.wyvra"), std::string::npos) << run.said;
        EXPECT_NE(run.said.find(c.said), std::string::npos) << run.said;
    }
}

TEST(WorkbenchReaders, MeasuredDataThatIsNoRegularFileIsRefused) {
    for (const auto& c : hostileCases()) {
        SCOPED_TRACE(c.name);
        makeHostile(c.kind, "h2onacl/lv-isotherms-user.txt", kTableFileLimit + 1);
        const auto run = runBounded(20, [] {
            std::vector<ExperimentalSet> sets = experimentalCatalogue();
            std::vector<std::string> refusals;
            const IoResult r = readExperimentalSets(findDataFile("h2onacl/lv-isotherms-user.txt"),
                                                    sets, refusals);
            return r.message;
        });
        ASSERT_TRUE(run.finished) << "reading hung or ran out of memory";
        EXPECT_NE(run.said.find(c.said), std::string::npos) << run.said;
    }
}

// The user's measured-data file as a FIFO in the working folder used to keep a new document
// from ever being made.
TEST(WorkbenchReaders, NewDocumentBesideAFifoOfMeasuredDataIsMade) {
    makeHostile(testing::Hostile::Fifo, "h2onacl/lv-isotherms-user.txt", 0);
    const auto run = runBounded(120, [] {
        std::unique_ptr<MyDocument> doc;
        const std::string said = outputOf([&] { doc = HeadlessWorkbench::newDocument(); });
        return std::string(doc && doc->experimentalSets()[0].available() ? "made" : "lost") +
               ": " + said;
    });
    ASSERT_TRUE(run.finished) << "the new document hung";
    EXPECT_EQ(run.said.rfind("made: ", 0), 0u) << run.said;
    EXPECT_NE(run.said.find("lv-isotherms-user.txt\" in the working folder is a FIFO"),
              std::string::npos)
        << run.said;
}

// The shipped file's name taken by a folder in the working folder is said, and its sets are
// not read from the installed file behind the user's back.
TEST(WorkbenchReaders, AFolderAtTheMeasuredDataFilesNameIsSaid) {
    makeHostile(testing::Hostile::Folder, "h2onacl/lv-isotherms.txt", 0);
    std::unique_ptr<MyDocument> doc;
    const std::string said = outputOf([&] { doc = HeadlessWorkbench::newDocument(); });
    std::filesystem::remove_all("h2onacl/lv-isotherms.txt");
    ASSERT_TRUE(doc);
    EXPECT_FALSE(doc->experimentalSets()[0].available());
    EXPECT_NE(said.find("lv-isotherms.txt\" in the working folder is a folder"), std::string::npos)
        << said;
}

// What is no regular file at the saturation table's name in the working folder is refused and
// said, never passed over for the shipped table.
TEST(WorkbenchReaders, NoRegularFileAtTheSaturationTablesNameIsRefusedAndSaid) {
    for (const testing::HostileCase& c : testing::hostileCases()) {
        if (c.kind == testing::Hostile::Oversized) continue;
        makeHostile(c.kind, "satu0", 0);
        std::vector<double> table;
        const IoResult read = readTabulatedResource("satu0", 28, table);
        EXPECT_FALSE(read.ok()) << c.name;
        EXPECT_NE(read.message.find(c.said), std::string::npos) << c.name << ": " << read.message;
        EXPECT_TRUE(table.empty()) << c.name;
        std::filesystem::remove_all("satu0");
    }
}

// The shipped table with one value of one row replaced.
std::string damagedSaturationTable(std::size_t row, int column, double value) {
    std::vector<double> table;
    EXPECT_TRUE(readTabulatedResource("satu0", 28, table).ok());
    EXPECT_GT(table.size(), (row + 1) * 28);
    table[row * 28 + static_cast<std::size_t>(column)] = value;
    const std::string name = "satu0-" + std::to_string(row) + "-" + std::to_string(column);
    EXPECT_TRUE(writeFileAtomically(name, table.data(), table.size() * sizeof(double)).ok());
    return name;
}

TEST(WorkbenchReaders, SaturationTableWithAnImpossibleRowIsTracedInstead) {
    struct Damage {
        std::size_t row;
        int column;
        double value;
    };
    // Regression: a NaN was said as "row 40 holds  in column 0", the value left out. The
    // message names the row, the value and the column.
    const Damage damages[] = {{40, 0, std::nan("")}, {80, 3, 1e308},   {120, 25, -1e308},
                              {160, 26, 0.0},        {200, 0, -220.0}, {0, 25, INFINITY}};
    const char* shown[] = {"NaN", "1e+308", "-1e+308", "0", "-220", "inf"};
    for (std::size_t k = 0; k < std::size(damages); ++k) {
        const Damage& d = damages[k];
        MyDocument::Options options;
        options.saturationResource = damagedSaturationTable(d.row, d.column, d.value);
        SCOPED_TRACE(options.saturationResource);
        std::unique_ptr<MyDocument> doc;
        const std::string said = outputOf([&] { doc = HeadlessWorkbench::newDocument(options); });
        EXPECT_TRUE(doc->tracedSaturation());
        EXPECT_NE(said.find("(row " + std::to_string(d.row) + " holds " + shown[k] +
                            " in column " + std::to_string(d.column) + ")"),
                  std::string::npos)
            << said;
        // Every value but the critical row's cp, sound speed and Joule-Thomson coefficient,
        // which the critical point does not have; its pressure, temperature and densities
        // (what the document reads) are there.
        const auto& table = doc->satProperties;
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (i >= 28 || i == 0 || i == 3 || i == 25 || i == 26) {
                ASSERT_TRUE(std::isfinite(table[i])) << i;
            }
        }
        EXPECT_NEAR(doc->mPcH2O, 220.64, 0.05);
    }
}

// The shipped rows reversed once gave a water critical point of -39.56 degC and 0.000198 bar,
// two rows swapped 190.6 degC and 12.73 bar, and a table of the critical row alone was taken
// whole: rows out of order, or not running from the critical point past the triple point,
// are refused and the curve traced.
TEST(WorkbenchReaders, SaturationTableOutOfOrderOrShortIsTracedInstead) {
    std::vector<double> shipped;
    ASSERT_TRUE(readTabulatedResource("satu0", 28, shipped).ok());
    const std::size_t rows = shipped.size() / 28;
    ASSERT_GT(rows, 300u);
    auto rowsOf = [&](const std::vector<std::size_t>& order) {
        std::vector<double> t;
        for (std::size_t r : order)
            t.insert(t.end(), shipped.begin() + 28 * r, shipped.begin() + 28 * (r + 1));
        return t;
    };
    std::vector<std::size_t> reversed(rows), swapped(rows), withoutBottom;
    for (std::size_t r = 0; r < rows; ++r) reversed[r] = rows - 1 - r, swapped[r] = r;
    std::swap(swapped[0], swapped[rows / 2]);
    std::vector<std::size_t> inner = reversed;
    std::reverse(inner.begin(), inner.end());
    std::swap(inner[100], inner[101]);
    for (std::size_t r = 0; r < rows / 2; ++r) withoutBottom.push_back(r);
    const struct {
        const char* name;
        std::vector<double> table;
        const char* said;
    } cases[] = {{"satu0-reversed", rowsOf(reversed), "row 0"},
                 {"satu0-swapped", rowsOf(swapped), "row 0"},
                 {"satu0-inner", rowsOf(inner), "row 101"},
                 {"satu0-one-row", rowsOf({0}), "above the triple point"},
                 {"satu0-top-half", rowsOf(withoutBottom), "above the triple point"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(
            writeFileAtomically(c.name, c.table.data(), c.table.size() * sizeof(double)).ok());
        MyDocument::Options options;
        options.saturationResource = c.name;
        std::unique_ptr<MyDocument> doc;
        const std::string said = outputOf([&] { doc = HeadlessWorkbench::newDocument(options); });
        EXPECT_TRUE(doc->tracedSaturation());
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_NEAR(doc->mTcH2O, 373.946, 0.01);
        EXPECT_NEAR(doc->mPcH2O, 220.64, 0.05);
    }
}

// A critical row a kelvin or a bar off the model's (647.9 K, 221.5 bar) was taken, and the
// workbench drew water's critical point at 374.75 degC: the row is the model's to rounding, its
// temperature, pressure and both densities, else the curve is traced. A table whose pressure
// alone runs out of order is traced too.
TEST(WorkbenchReaders, SaturationTableWithAnInexactCriticalRowOrPressureOutOfOrderIsTraced) {
    struct Change {
        std::size_t row;
        int column;
        double value;
        const char* said;
    };
    std::vector<double> shipped;
    ASSERT_TRUE(readTabulatedResource("satu0", 28, shipped).ok());
    const Change changes[] = {{0, 3, 647.9, "row 0"},           {0, 0, 221.5, "row 0"},
                              {0, 3, 647.096 + 0.01, "row 0"},  {0, 0, 220.64 - 0.01, "row 0"},
                              {0, 25, 322.5, "row 0"},          {0, 26, 321.5, "row 0"},
                              {200, 0, shipped[199 * 28], "row 200"}};
    for (const Change& c : changes) {
        SCOPED_TRACE(std::to_string(c.row) + " " + std::to_string(c.column));
        std::vector<double> table = shipped;
        table[c.row * 28 + static_cast<std::size_t>(c.column)] = c.value;
        if (c.value == 647.9) table[0] = 221.5;  // both, as the faulty table had them
        ASSERT_TRUE(writeFileAtomically("satu0-changed", table.data(), table.size() * sizeof(double))
                        .ok());
        MyDocument::Options options;
        options.saturationResource = "satu0-changed";
        std::unique_ptr<MyDocument> doc;
        const std::string said = outputOf([&] { doc = HeadlessWorkbench::newDocument(options); });
        EXPECT_TRUE(doc->tracedSaturation());
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_NEAR(doc->mTcH2O, 373.946, 1e-4);
        EXPECT_NEAR(doc->mPcH2O, 220.64, 1e-4);
    }
    // The shipped table, whose critical row is the model's, is read as it is.
    std::unique_ptr<MyDocument> doc;
    outputOf([&] { doc = HeadlessWorkbench::newDocument(); });
    EXPECT_FALSE(doc->tracedSaturation());
    EXPECT_NEAR(doc->mTcH2O, 373.946, 1e-6);
}

// Set 0 as shipped, with the pressure of one row replaced.
std::string set0With(std::size_t row, double P) {
    std::vector<ExperimentalSet> shipped = experimentalCatalogue();
    std::vector<std::string> refusals;
    EXPECT_TRUE(
        readExperimentalSets(findDataFile("h2onacl/lv-isotherms.txt"), shipped, refusals).ok());
    const ExperimentalSet& s = shipped[0];
    std::string text;
    for (std::size_t i = 0; i < s.P.size(); ++i)
        text += "0 " + formatNumber(i == row ? P : s.P[i]) + ' ' + formatNumber(s.liquid[i]) +
                ' ' + formatNumber(s.vapour[i]) + '\n';
    return text;
}

TEST(WorkbenchReaders, MeasuredPressuresOutOfBoundsOrOrderAreRefused) {
    struct Case {
        std::size_t row;
        double P;
        const char* said;
    };
    // Set 0 runs 58, 60, 65, ... 85.8 bar.
    const Case cases[] = {{4, 1e308, "out of range"}, {4, 6000, "out of range"},
                          {4, -75, "out of range"},   {4, 0, "out of range"},
                          {4, 62, "order"},           {1, 90, "order"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + " " + formatNumber(c.P));
        ASSERT_TRUE(writeFileAtomically("user-sets.txt", set0With(c.row, c.P)).ok());
        std::vector<ExperimentalSet> sets = experimentalCatalogue();
        std::vector<std::string> refusals;
        ASSERT_TRUE(readExperimentalSets("user-sets.txt", sets, refusals).ok());
        EXPECT_FALSE(sets[0].available());
        ASSERT_EQ(refusals.size(), 1u);
        EXPECT_NE(refusals[0].find(c.said), std::string::npos) << refusals[0];
    }
    // Unchanged, the set is taken.
    ASSERT_TRUE(writeFileAtomically("user-sets.txt", set0With(99, 0)).ok());
    std::vector<ExperimentalSet> sets = experimentalCatalogue();
    std::vector<std::string> refusals;
    ASSERT_TRUE(readExperimentalSets("user-sets.txt", sets, refusals).ok());
    EXPECT_TRUE(refusals.empty());
    EXPECT_TRUE(sets[0].available());
}

}  // namespace
}  // namespace vornex::test
