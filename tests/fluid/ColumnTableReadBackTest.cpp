// The curves this library writes, read back with its own table reader: the column table
// ("# P(1) Vl(2) ...") and the Igor text of one saturation curve give the same values under
// the same names, column for column.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"
#include "numerics/CallbackProbe.h"
#include "numerics/DataTextFile.h"

namespace vornex {
namespace {

using Rows = std::vector<std::vector<double>>;

Rows selected(const char* file, const char* names, int expected) {
    DataTextFile table;
    EXPECT_TRUE(table.tryOpen(file).ok()) << file;
    EXPECT_EQ(table.set_index(names), expected) << file << ": " << names;
    Rows rows;
    while (table.read()) {
        std::vector<double> row(static_cast<std::size_t>(table.selected));
        for (double& v : row) table >> v;
        rows.push_back(row);
    }
    return rows;
}

// The "#" that opens a column table's header was taken for the first column's name: every
// value was read under the name of the column before it (P(1) gave the liquid volume).
TEST(ColumnTableReadBack, TheLibrarysColumnTableReadsAsItsIgorText) {
    test::ScratchFolder folder;
    auto fluid = testing::makeVanDerWaals(1, 2.5);
    const testing::VdwCritical crit = testing::vdwCritical(testing::kVdwA, testing::kVdwB);
    fluid->Tcrit = 0.97 * crit.Tc;
    fluid->Vcrit = 1.05 * crit.Vc;
    fluid->Tlowest = 250.0;
    fluid->calculateTheSaturationCurve("i", kIgorText);
    fluid->calculateTheSaturationCurve("t", kColumnTable);
    const Rows igor = selected("satui", "Pi Vli Vvi Ti", 4);
    const Rows table = selected("satut", "P(1) Vl(2) Vv(3) T(4)", 4);
    ASSERT_GT(table.size(), 50u);
    ASSERT_EQ(table.size(), igor.size());
    for (std::size_t r = 0; r < table.size(); ++r)
        for (std::size_t c = 0; c < 4; ++c)
            EXPECT_NEAR(table[r][c], igor[r][c], 1e-5 * std::fabs(igor[r][c])) << "row " << r;
    // The liquid is the denser phase, at the temperatures the tracer stepped through.
    EXPECT_LT(table.back()[1], table.back()[2]);
    EXPECT_NEAR(table.back()[3], 250.0, 1.0);
}

}  // namespace
}  // namespace vornex
