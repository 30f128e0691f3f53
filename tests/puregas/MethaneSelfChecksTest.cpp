// The methane models' console self-checks: the homogenisation check of CH4EOS (a liquid of
// 350 kg/m3 and a vapour of 150 kg/m3 brought to their homogenisation temperatures) ends on
// coexisting phases of the model, evaluated afresh; the Duan methane model's check prints
// its molar volumes, each the model's own at the state, beside the measurements of Vennix et
// al., each deviation its own row's.
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
    // The measured states (T in degC, P in bar, V in cm3/mol) of Vennix, Leland and
    // Kobayashi, J. Chem. Eng. Data 15 (1970) 238, in the order the check prints them.
    const double measured[14][3] = {
        {-49.32, 38.48, 392},    {-33.35, 42.59, 392},    {-20.32, 45.9, 392},
        {-10.28, 48.56, 392},    {-29.38, 88.94, 155},    {-10.96, 103.61, 155},
        {-43.1, 83.61, 155},     {-24.71, 100.76, 138.7}, {-20.3, 105.76, 138.6},
        {-10.11, 114.23, 138.6}, {-48.13, 225.97, 57},    {-40.07, 259.96, 57},
        {-14.51, 366.6, 57},     {-6.4, 400.09, 57}};
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
            ASSERT_LT(rows, 14) << line;
            const double* row = measured[rows];
            EXPECT_EQ(t, row[0]) << line;
            EXPECT_EQ(p, row[1]) << line;
            EXPECT_EQ(vexp, row[2]) << line;
            // The model's own volume at the measured state, from a model of its own.
            DuanCH4 fresh(1);
            fresh.calculateFromTP(273.15 + row[0], row[1], 0);
            ASSERT_EQ(fresh.error, 0) << line;
            EXPECT_NEAR(vcalc / (fresh.V * 1e6), 1.0, 1e-5) << line;
            EXPECT_NEAR(dev, 100 * (vcalc - vexp) / vexp, 1e-3) << line;
            // Within 6 % of each measurement (5.6 % at -43.1 degC, near the saturation curve).
            EXPECT_LT(std::fabs(dev), 6.0) << line;
            sum += std::fabs(dev);
            ++rows;
        } else {
            std::sscanf(line.c_str(), "AADP %lf", &aadp);
        }
    }
    EXPECT_EQ(rows, 14);
    // The average is that of the rows printed.
    EXPECT_NEAR(aadp, sum / rows, 1e-4);
    // Any other flag prints nothing.
    EXPECT_EQ(test::stdoutOf([&] { ch4.test(0); }), "");
}

}  // namespace methane_self_checks
}  // namespace vornex
