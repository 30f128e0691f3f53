// The saturation curve tracer on the van der Waals fluid: the same 28-column rows in every
// channel, the critical row first, the coexistence identities and Clausius-Clapeyron along
// the curve, the ascending curve closed by the critical row, the ends of the stepping, and
// the faults (separating volume left set, failed starts, refused names).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "numerics/CallbackProbe.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

using testing::fileLines;
using testing::kVdwA;
using testing::kVdwB;
using testing::kVdwMass;
using testing::makeVanDerWaals;
using testing::numbersOf;
using testing::vdwCritical;
using testing::words;

constexpr int kColumns = 28;
using Row = std::vector<double>;

// Column indices (0-based) of the saturation row.
constexpr int P = 0, Vl = 1, Vv = 2, T = 3, Hl = 6, Hv = 7, Gl = 10, Gv = 11, Sl = 12, Sv = 13,
              Pl = 20, Pv = 21, Sigma = 24, Rhol = 25, Rhov = 26;

std::vector<Row> binaryRows(const std::string& name) {
    const std::string bytes = testing::slurp(name);
    EXPECT_EQ(bytes.size() % 224, 0u) << name;
    std::vector<Row> rows(bytes.size() / 224, Row(kColumns));
    for (size_t r = 0; r < rows.size(); ++r)
        std::memcpy(rows[r].data(), bytes.data() + r * 224, 224);
    return rows;
}

std::vector<Row> arrayRows(const CurveArray& array) {
    EXPECT_EQ(array.size() % kColumns, 0u);
    std::vector<Row> rows;
    for (size_t i = 0; i + kColumns <= array.size(); i += kColumns)
        rows.emplace_back(array.begin() + i, array.begin() + i + kColumns);
    return rows;
}

class SaturationCurve : public ::testing::Test {
   protected:
    test::ScratchFolder folder;  // tests write their files side by side
    void SetUp() override {
        fluid->Tcrit = 0.97 * crit.Tc;
        fluid->Vcrit = 1.05 * crit.Vc;
        fluid->Tlowest = 250.0;
    }

    std::unique_ptr<FluidPhase> fluid = makeVanDerWaals(1, 2.5);
    testing::VdwCritical crit = vdwCritical(kVdwA, kVdwB);
};

TEST_F(SaturationCurve, EveryChannelWritesTheSameRowsCriticalFirst) {
    fluid->calculateTheSaturationCurve("i", kIgorText);
    fluid->calculateTheSaturationCurve("t", kColumnTable);
    fluid->calculateTheSaturationCurve("g", kBinaryGathered);
    fluid->calculateTheSaturationCurve("s", kBinaryStreamed);
    CurveArray array;
    fluid->temperature(fluid->Tcrit);
    fluid->volume(fluid->Vcrit);
    fluid->calculate_saturation_curve("unused", 2, fluid->Tcrit, -1.0, fluid->Vcrit, fluid->Vcrit,
                                      fluid->Tlowest, kCurveArray, "", &array);
    EXPECT_FALSE(std::filesystem::exists("unused"));

    // The text channels: a wave per column, the same rows.
    const auto igor = fileLines("satui"), table = fileLines("satut");
    // A row a kelvin from the critical point down to the lowest temperature, and the header.
    ASSERT_GT(igor.size(), 50u);
    ASSERT_EQ(table.size(), igor.size() - 3);

    const auto gathered = binaryRows("satug");
    const auto streamed = binaryRows("satus");
    const auto fromArray = arrayRows(array);
    ASSERT_EQ(gathered.size(), table.size() - 1);
    ASSERT_EQ(streamed.size(), gathered.size());
    ASSERT_EQ(fromArray.size(), gathered.size());

    // Bit for bit, "nan" included (the critical row has no cp, sound speed or Joule-Thomson
    // coefficient).
    auto same = [](const Row& a, const Row& b) {
        return a.size() == b.size() &&
               std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
    };
    for (size_t r = 0; r < gathered.size(); ++r) {
        EXPECT_TRUE(same(streamed[r], gathered[r])) << "row " << r;
        EXPECT_TRUE(same(fromArray[r], gathered[r])) << "row " << r;
        const auto fromTable = words(table[r + 1]);
        const auto fromIgor = words(igor[r + 3]);
        ASSERT_EQ(fromTable.size(), size_t(kColumns));
        ASSERT_EQ(fromIgor, fromTable);
        for (int c = 0; c < kColumns; ++c) {
            if (r == 0 && c == Sigma) continue;
            if (std::isnan(gathered[r][c])) {
                EXPECT_EQ(fromTable[c], "nan") << "row " << r << " column " << c;
                continue;
            }
            EXPECT_NEAR(std::stod(fromTable[c]), gathered[r][c], 5e-6 * std::fabs(gathered[r][c]))
                << "row " << r << " column " << c;
        }
    }

    // The critical row: both phases the critical state; the interface has vanished, its
    // surface tension is 0 (it was written "nan" in text and 1 in binary).
    const Row& c = gathered[0];
    EXPECT_NEAR(c[T] / crit.Tc, 1.0, 1e-9);
    EXPECT_NEAR(c[P] * 1e5 / crit.Pc, 1.0, 1e-8);
    EXPECT_NEAR(c[Vl] * 1e-6 / crit.Vc, 1.0, 1e-8);
    EXPECT_EQ(c[Vl], c[Vv]);
    EXPECT_EQ(c[Rhol], c[Rhov]);
    EXPECT_NEAR(c[Rhol], kVdwMass / crit.Vc, 1e-6);
    EXPECT_EQ(c[Sigma], 0.0);
    EXPECT_EQ(words(table[1])[Sigma], "0");

    // Then from 0.1 K below the critical point downwards in steps of 1 K.
    EXPECT_NEAR(gathered[1][T], c[T] - 0.1, 1e-9);
    for (size_t r = 2; r < 30; ++r) EXPECT_NEAR(gathered[r][T], gathered[r - 1][T] - 1.0, 1e-9);
    // The last point as close above the lowest temperature as the halved steps reach.
    EXPECT_GE(gathered.back()[T], fluid->Tlowest);
    EXPECT_LT(gathered.back()[T], fluid->Tlowest + 1e-3);
    EXPECT_EQ(fluid->Vsep, -1.0);
}

TEST_F(SaturationCurve, RowsAreCoexistingStatesObeyingClausiusClapeyron) {
    CurveArray array;
    fluid->temperature(fluid->Tcrit);
    fluid->volume(fluid->Vcrit);
    fluid->calculate_saturation_curve("satu", 2, fluid->Tcrit, -1.0, fluid->Vcrit, fluid->Vcrit,
                                      fluid->Tlowest, kCurveArray, "", &array);
    const auto rows = arrayRows(array);
    ASSERT_GT(rows.size(), 50u);
    int checked = 0;
    for (size_t r = 1; r < rows.size(); ++r) {
        const Row& row = rows[r];
        EXPECT_GT(row[Vv], row[Vl] * (1 + 1e-5));
        EXPECT_NEAR(row[Pl] / row[Pv], 1.0, 1e-9) << "T " << row[T];
        EXPECT_NEAR(row[P], row[Pv], 0.0);
        EXPECT_NEAR((row[Gl] - row[Gv]) / (kGasConstant * row[T]), 0.0, 1e-9) << "T " << row[T];
        // Away from the critical point and where the neighbours are evenly spaced.
        if (r < 3 || r + 1 >= rows.size()) continue;
        const double below = row[T] - rows[r + 1][T], above = rows[r - 1][T] - row[T];
        if (std::fabs(below - 1.0) > 1e-9 || std::fabs(above - 1.0) > 1e-9) continue;
        const double dPdT = (rows[r - 1][P] - rows[r + 1][P]) * 1e5 / 2.0;
        const double dV = (row[Vv] - row[Vl]) * 1e-6;
        EXPECT_NEAR(dPdT, (row[Sv] - row[Sl]) / dV, 1e-4 * dPdT) << "T " << row[T];
        EXPECT_NEAR(dPdT, (row[Hv] - row[Hl]) / (row[T] * dV), 1e-4 * dPdT) << "T " << row[T];
        ++checked;
    }
    EXPECT_GT(checked, 40);
}

TEST_F(SaturationCurve, AscendingCurveEndsWithTheCriticalRow) {
    fluid->Vl0 = 0.55 * crit.Vc;
    fluid->Vv0 = 3.5 * crit.Vc;
    fluid->calculateTheSaturationCurveFromT(0.85 * crit.Tc, "up");
    const auto lines = fileLines("satuup");
    ASSERT_GT(lines.size(), 10u);
    EXPECT_EQ(lines.back(), "END");
    std::vector<Row> rows;
    for (size_t i = 3; i + 1 < lines.size(); ++i) rows.push_back(numbersOf(lines[i]));
    // Text rows hold six significant digits.
    EXPECT_NEAR(rows[0][T] / crit.Tc, 0.85, 5e-6);
    EXPECT_GT(rows.size(), 50u);
    for (size_t r = 1; r + 1 < rows.size(); ++r) EXPECT_GE(rows[r][T], rows[r - 1][T]);
    const Row& last = rows.back();
    EXPECT_NEAR(last[T] / crit.Tc, 1.0, 5e-6);
    EXPECT_EQ(last[Vl], last[Vv]);
    // The closing critical row carries the last surface tension, not "nan".
    EXPECT_EQ(words(lines[lines.size() - 2])[Sigma], "0");
    EXPECT_LT(rows[rows.size() - 2][Vl], last[Vl]);
}

TEST_F(SaturationCurve, StartAtOrBelowTheLowestTemperatureLowersIt) {
    ASSERT_TRUE(testing::saturate(*fluid, 250.0, 0.55 * crit.Vc, 3.5 * crit.Vc));
    // Tmin 260 above the start becomes 249: the start and one step of 1 K.
    fluid->calculate_saturation_curve("low", 1, 250.0, 1.0, fluid->Vl, fluid->Vv, 260.0,
                                      kColumnTable, nullptr, nullptr);
    const auto lines = fileLines("low");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NEAR(numbersOf(lines[1])[T], 250.0, 1e-9);
    EXPECT_NEAR(numbersOf(lines[2])[T], 249.0, 1e-9);
}

// The separating volume the tracer sets is reset after it, one the caller set is kept; a zero
// step is refused instead of repeating one point; without a critical point no row is
// written and no binary file.
TEST_F(SaturationCurve, TracerFaults) {
    fluid->calculateTheSaturationCurve("", 0);
    EXPECT_EQ(fluid->Vsep, -1.0);
    fluid->Vsep = 2.0 * crit.Vc;
    fluid->calculateTheSaturationCurve("", 0);
    EXPECT_EQ(fluid->Vsep, 2.0 * crit.Vc);
    fluid->Vsep = -1.0;

    std::string said = test::stderrOf([&] {
        fluid->calculate_saturation_curve("zero", 1, 0.8 * crit.Tc, 0.0, 0.5 * crit.Vc,
                                          20.0 * crit.Vc, fluid->Tlowest, kColumnTable, "",
                                          nullptr);
    });
    EXPECT_EQ(fluid->error, 1);
    EXPECT_NE(said.find("must be finite, the step non-zero"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("zero"));

    fluid->Tcrit = 40.0;
    said = test::stderrOf([&] {
        fluid->calculateTheSaturationCurve("none", kColumnTable);
        fluid->calculateTheSaturationCurve("nonebin", kBinaryGathered);
    });
    EXPECT_NE(said.find("Cannot find the critical point\n"), std::string::npos);
    EXPECT_EQ(fileLines("satunone").size(), 1u);
    EXPECT_FALSE(std::filesystem::exists("satunonebin"));
    EXPECT_EQ(fluid->Vsep, -1.0);
}

TEST(SaturationCurveComponent, FirstFractionAboveOneMinus1e7SelectsComponent0) {
    auto mixture = testing::makeVanDerWaalsMixture();
    for (const auto& [x0, major] :
         {std::pair{1.0, 0}, std::pair{0.9999999, 1}, std::pair{0.5, 1}}) {
        mixture->composition_of_component(0, x0);
        mixture->composition_of_component(1, 1.0 - x0);
        // Merged starting volumes: the curve ends at once, after choosing its component.
        mixture->calculate_saturation_curve("mix", 1, 250.0, 1.0, 1e-4, 1e-4, 200.0, 0, nullptr,
                                            nullptr);
        EXPECT_EQ(mixture->majorComponent, major) << "x0 " << x0;
        EXPECT_EQ(mixture->M, mixture->molarMass[major]);
    }
}

}  // namespace
}  // namespace vornex
