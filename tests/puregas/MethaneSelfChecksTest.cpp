// The methane models' console self-checks: the homogenisation check of CH4EOS (a liquid of
// 350 kg/m3 and a vapour of 150 kg/m3 brought to their homogenisation temperatures) ends on
// coexisting phases of the model, evaluated afresh; the Duan methane model's check prints
// its molar volumes beside the measurements of Vennix et al., each deviation its own row's.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "numerics/TextCapture.h"
#include "puregas/CH4EOS.h"
#include "puregas/IUPACCH4.h"

namespace vornex {
namespace methane_self_checks {

TEST(MethaneSelfChecks, HomogenisationCheckEndsOnCoexistingPhases) {
    IUPACCH4 ch4(2);
    test::outputOf([&] { ch4.test(0); });
    // The last solve is the vapour's: 150 kg/m3 homogenises just below the critical point.
    ASSERT_EQ(ch4.error, 0);
    const double T = ch4.T, Vl = ch4.Vl, Vv = ch4.Vv;
    EXPECT_DOUBLE_EQ(Vv, 0.016 / 150.0);
    EXPECT_LT(T, 190.564);
    EXPECT_GT(T, 185.0);
    IUPACCH4 fresh(2);
    fresh.calculateFromTV(T, Vl, 0);
    const double Pl = fresh.P, lnfl = fresh.lnFugacity[0];
    fresh.calculateFromTV(T, Vv, 0);
    EXPECT_NEAR(Pl / fresh.P, 1.0, 1e-7);
    EXPECT_NEAR(lnfl, fresh.lnFugacity[0], 1e-7);
    // Another flag runs nothing.
    IUPACCH4 idle(2);
    const double T0 = idle.T;
    EXPECT_EQ(test::outputOf([&] { idle.test(1); }), "");
    EXPECT_EQ(idle.T, T0);
}

TEST(MethaneSelfChecks, DuanMethaneCheckPrintsTheVennixTable) {
    DuanCH4 ch4(1);
    const std::string text = test::stdoutOf([&] { ch4.test(1); });
    std::istringstream in(text);
    std::string line;
    int rows = 0;
    double sum = 0, aadp = -1;
    while (std::getline(in, line)) {
        double t, p, vcalc, vexp, dev;
        if (std::sscanf(line.c_str(), "T %lf P %lf Vcalc %lf Vexp %lf Dev(%%) %lf", &t, &p, &vcalc,
                        &vexp, &dev) == 5) {
            EXPECT_NEAR(dev, 100 * (vcalc - vexp) / vexp, 1e-3) << line;
            sum += std::fabs(dev);
            ++rows;
        } else {
            std::sscanf(line.c_str(), "AADP %lf", &aadp);
        }
    }
    EXPECT_EQ(rows, 14);
    EXPECT_NEAR(aadp, sum / rows, 1e-4);
    // The printed figure of the check: 1.44 % from the measured volumes on average.
    EXPECT_NEAR(aadp, 1.4418, 0.0001) << text;
    // Any other flag prints nothing.
    EXPECT_EQ(test::stdoutOf([&] { ch4.test(0); }), "");
}

}  // namespace methane_self_checks
}  // namespace vornex
