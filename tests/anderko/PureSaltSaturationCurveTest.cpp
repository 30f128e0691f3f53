// Pure NaCl by Anderko and Pitzer's equation: its saturation curve traced up from 1100 K
// reaches the model's own critical point (2166.85 K, 338.24 bar, 166.8 cm3/mol), each row two
// phases of equal pressure. Solved about the substance's water-like separating volume, pairs
// above 1782 K were refused as not bracketing it and the curve ended there.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "anderko/Anderko.h"
#include "fluid/CurveOutput.h"

namespace vornex {
namespace {

TEST(PureSaltSaturationCurve, RisesFromBelowToTheModelsCriticalPoint) {
    registerAnderkoModels();
    std::unique_ptr<FluidPhase> nacl(FluidPhase::getEOS("NaCl"));
    ASSERT_TRUE(nacl);
    const double Psat = nacl->calculateTheSaturationPressure(1100.0);
    ASSERT_EQ(nacl->error, 0);
    EXPECT_NEAR(Psat * 1e-5, 0.388664, 1e-5);
    CurveArray rows;
    nacl->calculate_saturation_curve("unused", 0, 1100.0, 1.0, nacl->Vl, nacl->Vv,
                                     nacl->Tlowest, kCurveArray, "", &rows);
    constexpr std::size_t kWidth = 28;  // P, Vl, Vv, T, ...
    const std::size_t n = rows.size() / kWidth;
    ASSERT_GT(n, 1000u);
    double lastT = 0.0, lastP = 0.0;
    for (std::size_t r = 0; r < n; ++r) {
        const double* row = &rows[kWidth * r];
        ASSERT_GT(row[3], lastT) << "row " << r;
        ASSERT_GT(row[0], lastP) << row[3] << " K";
        lastT = row[3];
        lastP = row[0];
    }
    const double* critical = &rows[kWidth * (n - 1)];
    EXPECT_NEAR(critical[3], 2166.85, 0.01);
    EXPECT_NEAR(critical[0], 338.24, 0.01);
    EXPECT_NEAR(critical[1], critical[2], 1e-6 * critical[2]);
    // The row before it lies within a kelvin.
    EXPECT_GT(rows[kWidth * (n - 2) + 3], 2165.85);
}

}  // namespace
}  // namespace vornex
