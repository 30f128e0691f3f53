// The ideal curve (Z = 1) of Duan's methane traced down from a liquid-like start. Near
// 157 K the curve turns back in temperature; below it the secant's steps shrank on a
// residual far from zero and its rows stood at Z = 0.27 down to Z = -1.7 (156.32 K,
// 25.613 cm3/mol, 138.8 bar; 154.59 K at -348 bar).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "support/CurveRows.h"

#include "puregas/CH4EOS.h"

namespace vornex {
namespace {

const auto& rowsOf = test::curveRowsOf;

TEST(CharacteristicCurveRoots, EveryIdealRowOfDuanMethaneHasZOne) {
    DuanCH4 f(2);
    const double Tc = f.namingCriticalTemperature(), Vc = f.namingCriticalVolume();
    f.calculateIdealCurve("idealch4", 0.9 * Tc, 0.45 * Vc, -2.0, 0.5 * Tc, 10 * Tc, 2, nullptr);
    int rows = 0;
    for (const std::vector<double>& v : rowsOf("idealch4")) {
        ++rows;
        const double T = v[0], V = v[1] * 1e-6, P = v[2] * 1e5;
        EXPECT_NEAR(P * V / (f.gasConstant * T), 1.0, 1e-6)
            << "T " << T << " K, V " << v[1] << " cm3/mol, P " << v[2] << " bar";
    }
    // Down from 177.3 K to where the curve turns, some 157 K.
    EXPECT_GE(rows, 10);
}

}  // namespace
}  // namespace vornex
