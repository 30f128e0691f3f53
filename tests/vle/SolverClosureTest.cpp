// The rigorous solver's answers closed to the tolerance a caller reads them at, judged by the
// cubic written apart (IndependentJudge.h): bubble and dew points whose fugacities agree to
// 1e-7 in ln f, and flashes a little inside the two-phase region, whose
// feed splits by a small distance below its tangent plane.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "IndependentJudge.h"

namespace vornex::testing {
namespace {

// Largest gap of ln f_i between the answer's liquid and vapour by the independent model.
double lnFugacityGap(const IndependentCubic& eos, const IFP& ifp) {
    std::vector<double> pl, pv;
    if (!eos.lnPhi(ifp.current.T, ifp.current.P, ifp.current.x, true, pl) ||
        !eos.lnPhi(ifp.current.T, ifp.current.P, ifp.current.y, false, pv))
        return 1e300;
    double gap = 0.0;
    for (std::size_t i = 0; i < eos.size(); ++i)
        gap = std::fmax(gap, std::fabs(std::log(ifp.current.x[i]) + pl[i] -
                                       std::log(ifp.current.y[i]) - pv[i]));
    return gap;
}

// The solver's rows are scaled by its Jacobian, whose entry for a trace component is 1/x:
// where it stopped, a bubble or dew point kept a gap in ln f of 1e-7 to 1e-5 at these
// feeds (and up to 0.2 with a component at 1e-10 in one phase). Each closes to 1e-7.
TEST(SolverClosure, SaturationPointsCloseTheirFugacities) {
    struct Case {
        bool pengRobinson;
        std::vector<std::string> names;
        int type;
        double T, z0;
    };
    for (const Case& c : {Case{true, {"CH4", "C2H6"}, 13, 300.0, 1e-4},
                          Case{true, {"CH4", "C3H8"}, 31, 195.0, 0.99},
                          Case{true, {"CH4", "C3H8"}, 31, 180.0, 0.999},
                          Case{true, {"CH4", "CO2"}, 13, 300.0, 0.01},
                          Case{true, {"C2H6", "C3H8"}, 13, 300.0, 0.99},
                          Case{true, {"C2H6", "C3H8"}, 31, 300.0, 0.9999},
                          Case{true, {"CO2", "C2H6"}, 31, 300.0, 0.01},
                          Case{false, {"CH4", "C2H6"}, 31, 300.0, 0.05},
                          Case{false, {"CO2", "C2H6"}, 13, 300.0, 0.001},
                          Case{false, {"C2H6", "C3H8"}, 31, 300.0, 0.999}}) {
        std::ostringstream what;
        what << (c.pengRobinson ? "PR " : "SRK ") << c.names[0] << "-" << c.names[1] << " "
             << (c.type == 13 ? "bubble" : "dew") << " " << c.T << " K z0 " << c.z0;
        IndependentCubic eos(c.pengRobinson, c.names);
        Library lib(c.pengRobinson, c.names);
        ASSERT_EQ(lib.solve(c.type, c.T, {c.z0, 1.0 - c.z0}), 0) << what.str() << ": " << lib.ifp->refusal;
        EXPECT_LT(lnFugacityGap(eos, *lib.ifp), 1e-7) << what.str();
    }
}

// A feed a little inside the two-phase region, where the Raoult start leaves it in one phase:
// its trial phase lies some 1e-6 to 1e-4 RT below its tangent plane, and the flash from the
// feed's trial phases must take that for a split. Each is a split of a small vapour (below
// the bubble point) or liquid (above the dew point) fraction.
TEST(SolverClosure, FlashesJustInsideTheTwoPhaseRegionSplit) {
    struct Case {
        std::vector<std::string> names;
        std::vector<double> z;
        int type;
        double T;
    };
    for (const Case& c : {Case{{"CH4", "C3H8"}, {0.1, 0.9}, 31, 240.0},
                          Case{{"CH4", "CO2"}, {0.3, 0.7}, 31, 160.0},
                          Case{{"CO2", "C2H6", "C3H8"}, {0.6, 0.2, 0.2}, 13, 240.0}}) {
        IndependentCubic eos(true, c.names);
        Library lib(true, c.names);
        ASSERT_EQ(lib.solve(c.type, c.T, c.z), 0) << lib.ifp->refusal;
        const double Psat = lib.ifp->current.P / 1e5;
        for (double d : {1e-3, 1e-4, 1e-5}) {
            // Below a bubble point and above a dew point lies the split.
            const double P = Psat * (c.type == 13 ? 1.0 - d : 1.0 + d);
            std::ostringstream what;
            what << c.names[0] << "-" << c.names[1] << " " << c.T << " K, " << P << " bar, "
                 << (c.type == 13 ? "below the bubble" : "above the dew") << " point by " << d;
            ASSERT_EQ(flash(lib, c.T, P, c.z), 0) << what.str() << ": " << lib.ifp->refusal;
            const double Fv = lib.ifp->current.nV / lib.ifp->N;
            EXPECT_GT(Fv, 0.0) << what.str();
            EXPECT_LT(c.type == 13 ? Fv : 1.0 - Fv, 0.05) << what.str();
            EXPECT_LT(lnFugacityGap(eos, *lib.ifp), 1e-7) << what.str();
        }
    }
}

}  // namespace
}  // namespace vornex::testing
