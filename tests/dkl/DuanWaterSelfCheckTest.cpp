// The self-check of the Duan water model: at 1e6 m3/mol from 273.15 to 1473.15 K the
// residual Helmholtz energy must vanish as for an ideal gas, Z = 1 and da = 0 on every row
// of the table "inf1".
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dkl/DuanModels.h"

namespace vornex {
namespace duan_self_check {

TEST(DuanWaterSelfCheck, InfiniteVolumeTableIsTheIdealGas) {
    for (int version : {0, 1}) {
        DuanH2O water(1, version);
        water.test(0);
        std::ifstream in("inf1");
        std::string line;
        int rows = 0;
        while (std::getline(in, line)) {
            std::istringstream s(line);
            double T, V, P, Z, A, da, phi, rcp;
            if (!(s >> T >> V >> P >> Z >> A >> da >> phi >> rcp)) continue;
            EXPECT_NEAR(T, 273.15 + rows, 1e-9);
            EXPECT_EQ(V, 1e6);
            EXPECT_NEAR(P, 8.31434 * T / 1e6, 1e-5 * P) << line;  // six printed digits
            EXPECT_NEAR(Z, 1.0, 1e-7) << line;
            EXPECT_NEAR(da, 0.0, 1e-7) << line;
            EXPECT_NEAR(phi, 1.0, 1e-7) << line;
            ++rows;
        }
        EXPECT_EQ(rows, 1201) << "version " << version;
        EXPECT_EQ(water.error, 0);
    }
}

}  // namespace duan_self_check
}  // namespace vornex
