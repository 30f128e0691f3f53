// The Joule curve (dZ/dT = 0 at constant V) of the Saul-Wagner water: its equation's loops
// inside the two-phase region carry stretches of falling pressure on which dZ/dT vanishes
// too. Started there (582.4 K, 50.6 cm3/mol) the curve wrote 130 rows down to 324 K at
// volumes between the spinodals, where no uniform fluid is.
#include <gtest/gtest.h>

#include <fstream>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "support/CurveRows.h"

#include "fluid/Metastability.h"
#include "oldwater/Saul.h"

namespace vornex {
namespace {

const auto& rowsOf = test::curveRowsOf;

TEST(JouleCurveStability, NoRowOfSaulWaterLiesBetweenTheSpinodals) {
    Saul f(2);
    const double Tc = f.namingCriticalTemperature(), Vc = f.namingCriticalVolume();
    for (double dT : {-2.0, 2.0}) {
        f.error = 0;
        f.calculateJouleCurve("joulesaul", 0.9 * Tc, 0.45 * Vc, dT, 0.5 * Tc, 10 * Tc, 2, nullptr);
        for (const std::vector<double>& v : rowsOf("joulesaul")) {
            const TwoPhaseBand band = twoPhaseBandAt(f, v[0]);
            EXPECT_FALSE(band.unstable(v[1] * 1e-6))
                << "T " << v[0] << " K, V " << v[1] << " cm3/mol, spinodals "
                << band.spinodalLiquid * 1e6 << " and " << band.spinodalVapour * 1e6;
        }
    }
    // A start of no fluid gives no curve, and says so by the flag.
    EXPECT_EQ(f.error, 1);
}

}  // namespace
}  // namespace vornex
