// Answers of the two-phase solver on the closed-form cubics judged by the cubic written apart
// (IndependentJudge.h): dew points of natural-gas-like methane-carbon dioxide, feeds at a pure
// end, methane-carbon dioxide flashes at 150 to 206 K, a vapour fraction of one half, the
// boundary of a second liquid that is no dew point, flashes beside a bubble point where the
// molar volumes of the phases cross and just outside the two-phase region, and input that is
// no problem.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "IndependentJudge.h"

namespace vornex::testing {
namespace {

const std::vector<std::string> kMethaneCO2{"CH4", "CO2"};
const std::vector<std::string> kMethaneEthane{"CH4", "C2H6"};
const std::vector<std::string> kMethanePropane{"CH4", "C3H8"};
const std::vector<std::string> kMethanePropaneDecane{"CH4", "C3H8", "nC10H22"};

std::string where(const IFP& ifp) {
    std::ostringstream os;
    os << "T " << ifp.current.T << " P " << ifp.current.P / 1e5 << " x0 " << ifp.current.x[0]
       << " y0 " << ifp.current.y[0] << " nV " << ifp.current.nV << " (" << ifp.refusal << ")";
    return os.str();
}

// A status-0 answer is an equilibrium of the independent model that no trial phase splits,
// with its phases in order and the feed's mass in them.
void expectStableEquilibrium(const IndependentCubic& eos, const IFP& ifp, const std::string& what) {
    const Judgement j = judge(eos, ifp);
    EXPECT_LT(j.fugacityGap, 1e-5) << what << ": " << where(ifp);
    EXPECT_GT(j.belowPlane, -1e-7) << what << ": " << where(ifp);
    EXPECT_LT(j.Vl, j.Vv) << what << ": " << where(ifp);
    for (int i = 0; i < ifp.n; ++i)
        EXPECT_NEAR(ifp.current.nL * ifp.current.x[i] + ifp.current.nV * ifp.current.y[i],
                    ifp.bulkAmount[i], 1e-8)
            << what << ": " << where(ifp);
}

// Dew points at a pressure of methane with 1 to 3 % carbon dioxide. Where the solver's row
// scaling took a fugacity gap of 17 to 328 in ln f for convergence (a liquid with 1e-62 of
// methane) these came back as solved; the two named states have only a liquid-liquid
// boundary and are refused.
TEST(NaturalGasDewPoints, EverySolvedOneIsAStableEquilibrium) {
    IndependentCubic eos(true, kMethaneCO2);
    Library lib(true, kMethaneCO2);
    for (double co2 : {0.005, 0.03})
        for (double P : {46.0, 70.0}) {
            const std::vector<double> z{1.0 - co2, co2};
            std::ostringstream what;
            what << "CO2 " << co2 << " at " << P << " bar";
            if (lib.solve(32, P, z) == 0)
                expectStableEquilibrium(eos, *lib.ifp, what.str());
            else
                EXPECT_FALSE(lib.ifp->refusal.empty()) << what.str();
        }
    for (const auto& [co2, P] : {std::pair{0.01, 60.0}, std::pair{0.02, 50.0}}) {
        EXPECT_NE(lib.solve(32, P, {1.0 - co2, co2}), 0) << where(*lib.ifp);
        EXPECT_FALSE(lib.ifp->refusal.empty());
    }
}

// The saturation point of a pure component at T (K): ln phi of the liquid and the vapour
// roots made equal by a secant in ln P from the start given (Pa).
double independentVapourPressure(const IndependentCubic& eos, double T,
                                 const std::vector<double>& pure, double start) {
    auto gap = [&](double lnP) {
        std::vector<double> l, v;
        eos.lnPhi(T, std::exp(lnP), pure, true, l);
        eos.lnPhi(T, std::exp(lnP), pure, false, v);
        double g = 0.0;
        for (std::size_t i = 0; i < pure.size(); ++i) g += pure[i] * (l[i] - v[i]);
        return g;
    };
    double a = std::log(start), b = a + 0.01, fa = gap(a), fb = gap(b);
    for (int k = 0; k < 50 && std::fabs(fb) > 1e-14; ++k) {
        const double c = b - fb * (b - a) / (fb - fa);
        a = b;
        fa = fb;
        b = c;
        fb = gap(b);
    }
    return std::exp(b);
}

// A feed at a pure end (none, 1e-12 or 1e-9 of the other component) gives the pure
// component's saturation point; it was refused as not converged, the two compositions being
// taken for the trivial solution.
TEST(PureEndFeeds, GiveThePureComponentsSaturation) {
    IndependentCubic eos(true, kMethaneEthane);
    Library lib(true, kMethaneEthane);
    const double ethane250 = independentVapourPressure(eos, 250.0, {0.0, 1.0}, 12e5) / 1e5;
    EXPECT_NEAR(ethane250, 12.794737, 2e-6);
    for (double methane : {0.0, 1e-12, 1e-9}) {
        ASSERT_EQ(lib.solve(13, 250.0, {methane, 1.0 - methane}), 0)
            << methane << ": " << where(*lib.ifp);
        EXPECT_NEAR(lib.ifp->current.P / 1e5, ethane250, 2e-6) << methane;
        EXPECT_NEAR(lib.ifp->current.x[0], methane, 1e-15);
    }
    const double methane150 = independentVapourPressure(eos, 150.0, {1.0, 0.0}, 10e5) / 1e5;
    EXPECT_NEAR(methane150, 10.439264, 2e-6);
    const std::vector<double> almostMethane{1.0 - 1e-9, 1e-9};
    for (int type : {13, 31}) {
        ASSERT_EQ(lib.solve(type, 150.0, almostMethane), 0) << type << ": " << where(*lib.ifp);
        EXPECT_NEAR(lib.ifp->current.P / 1e5, methane150, 2e-5) << type;
    }
    for (int type : {23, 32}) {
        ASSERT_EQ(lib.solve(type, 10.0, almostMethane), 0) << type << ": " << where(*lib.ifp);
        EXPECT_NEAR(lib.ifp->current.T, 149.05917, 2e-4) << type;
    }
    // Pure methane itself, as the dew point of a feed without ethane.
    ASSERT_EQ(lib.solve(31, 150.0, {1.0, 0.0}), 0) << where(*lib.ifp);
    EXPECT_NEAR(lib.ifp->current.P / 1e5, methane150, 2e-6);
    EXPECT_EQ(lib.ifp->current.x[1], 0.0);
}

// Flashes of methane-carbon dioxide at 150 to 206 K, where the Raoult start leaves the feed in
// one phase: every answer a stable equilibrium, and the split of 150 K, 2 bar, z 0.1 that of
// the independent model (the lever rule, the liquid and the vapour by successive substitution
// on it).
TEST(MethaneCO2Flashes, EverySolvedOneIsAStableEquilibrium) {
    IndependentCubic eos(true, kMethaneCO2);
    Library lib(true, kMethaneCO2);
    ASSERT_EQ(flash(lib, 150.0, 2.0, {0.1, 0.9}), 0) << where(*lib.ifp);
    EXPECT_NEAR(lib.ifp->current.nV / lib.ifp->N, 0.0883111, 1e-6);
    EXPECT_NEAR(lib.ifp->current.x[0], 0.0162132, 1e-6);
    EXPECT_NEAR(lib.ifp->current.y[0], 0.9649815, 1e-6);
    int solved = 0;
    for (double T = 150.0; T <= 206.0; T += 8.0)
        for (double P : {2.0, 5.0, 10.0, 20.0})
            for (double methane : {0.1, 0.5, 0.9}) {
                std::ostringstream what;
                what << T << " K " << P << " bar z " << methane;
                if (flash(lib, T, P, {methane, 1.0 - methane}) == 0) {
                    ++solved;
                    expectStableEquilibrium(eos, *lib.ifp, what.str());
                    EXPECT_NEAR(lib.ifp->current.T, T, 1e-9);
                    EXPECT_NEAR(lib.ifp->current.P / 1e5, P, 1e-9 * P);
                } else {
                    EXPECT_FALSE(lib.ifp->refusal.empty()) << what.str();
                }
            }
    EXPECT_GE(solved, 40);
    // A feed that is one stable phase says so.
    EXPECT_EQ(flash(lib, 150.0, 10.0, {0.1, 0.9}), 1);
    EXPECT_NE(lib.ifp->refusal.find("stable phase"), std::string::npos) << lib.ifp->refusal;
}

// Half the feed vaporised at 270 K (methane-propane, z 0.7): the solver settled on the feed
// twice at 93.5 bar, where the feed splits. The independent flash gives a vapour fraction of
// one half at 80.975018 bar; the same state at that pressure gives 270 K back.
TEST(VapourFractionOfOneHalf, IsTheIndependentSplit) {
    IndependentCubic eos(true, kMethanePropane);
    Library lib(true, kMethanePropane);
    ASSERT_EQ(lib.solve(13, 270.0, {0.7, 0.3}, 0.5), 0) << where(*lib.ifp);
    expectStableEquilibrium(eos, *lib.ifp, "270 K");
    EXPECT_NEAR(lib.ifp->current.P / 1e5, 80.975018, 1e-4);
    EXPECT_NEAR(lib.ifp->current.x[0], 0.555892, 1e-5);
    EXPECT_NEAR(lib.ifp->current.y[0], 0.844108, 1e-5);
    EXPECT_NEAR(lib.ifp->current.nV / lib.ifp->N, 0.5, 1e-12);
    ASSERT_EQ(lib.solve(23, 80.975018, {0.7, 0.3}, 0.5), 0) << where(*lib.ifp);
    EXPECT_NEAR(lib.ifp->current.T, 270.0, 1e-4);
}

// Methane with 10 % carbon dioxide at 65 bar has one stability boundary, 142.4884 K (the
// independent model), reached only from a higher pressure: paths from below lead elsewhere.
// The feed there is a liquid (36.6 cm3/mol, far below its critical volume) and the incipient
// phase a second one (30.5 cm3/mol, x(CH4) 0.08565): no dew point, refused naming that
// boundary.
TEST(DewPointAtAPressure, ABoundaryReachedOnlyFromAboveBetweenTwoLiquidsIsRefused) {
    IndependentCubic eos(true, kMethaneCO2);
    std::vector<double> l, v;
    double Vl = 0.0, Vv = 0.0;
    ASSERT_TRUE(eos.lnPhi(142.4884, 65e5, {0.08565, 0.91435}, true, l, &Vl));
    ASSERT_TRUE(eos.lnPhi(142.4884, 65e5, {0.9, 0.1}, true, v, &Vv));
    EXPECT_NEAR(Vl * 1e6, 30.53, 0.01);
    EXPECT_NEAR(Vv * 1e6, 36.58, 0.01);
    Library lib(true, kMethaneCO2);
    EXPECT_EQ(lib.solve(32, 65.0, {0.9, 0.1}), 1) << where(*lib.ifp);
    EXPECT_NE(lib.ifp->refusal.find("second liquid (142.488 K: the feed a liquid of 36.58 "
                                    "cm3/mol below its critical point, the incipient phase "
                                    "30.53 cm3/mol)"),
              std::string::npos)
        << lib.ifp->refusal;
}

// Dew points at a pressure where the feed is itself a liquid and the boundary that of a
// second liquid were returned as solved (methane-carbon dioxide, 64 to 90 bar); where the
// feed is a vapour the dew point stands, an equilibrium of the independent model.
TEST(DewPointAtAPressure, TheBoundaryOfASecondLiquidIsNoDewPoint) {
    IndependentCubic eos(true, kMethaneCO2);
    Library lib(true, kMethaneCO2);
    for (const auto& [methane, P] : {std::pair{0.5, 88.0}, std::pair{0.7, 80.0}, std::pair{0.8, 70.0}}) {
        EXPECT_EQ(lib.solve(32, P, {methane, 1.0 - methane}), 1) << where(*lib.ifp);
        EXPECT_NE(lib.ifp->refusal.find("that of a second liquid"), std::string::npos)
            << lib.ifp->refusal;
    }
    for (const auto& [methane, P] : {std::pair{0.8, 30.0}, std::pair{0.9, 40.0}}) {
        ASSERT_EQ(lib.solve(32, P, {methane, 1.0 - methane}), 0) << where(*lib.ifp);
        expectStableEquilibrium(eos, *lib.ifp, "vapour feed");
    }
}

// Soave-Redlich-Kwong methane-propane-decane (0.7, 0.1, 0.2) at 242.3 K boils at 135.3817 bar
// into a gas whose molar volume (88.3 cm3/mol) lies below the liquid's (91.0), though it is
// the lighter by mass. Flashes from 0.99 of that pressure up took the gas for the liquid and
// gave vapour fractions of 0.988 to 0.998 beside the bubble point's 0; the liquid is the
// decane-rich phase, and the vapour fraction runs down to the bubble point's. A vapour
// fraction of 0.02 asked at the temperature gives a pressure whose flash gives 0.02 back.
TEST(FlashesBesideABubblePoint, KeepTheLiquidWhereTheMolarVolumesCross) {
    IndependentCubic eos(false, kMethanePropaneDecane);
    Library lib(false, kMethanePropaneDecane);
    const std::vector<double> z{0.7, 0.1, 0.2};
    const double T = 242.3;
    ASSERT_EQ(lib.solve(13, T, z), 0) << where(*lib.ifp);
    const double bubble = lib.ifp->current.P / 1e5;
    EXPECT_NEAR(bubble, 135.3817, 1e-3);
    double before = 1.0;
    for (double share : {0.9, 0.95, 0.99, 0.999}) {
        std::ostringstream what;
        what << share << " of the bubble pressure";
        ASSERT_EQ(flash(lib, T, share * bubble, z), 0) << what.str() << ": " << where(*lib.ifp);
        const IFP& ifp = *lib.ifp;
        const Judgement j = judge(eos, ifp);
        EXPECT_LT(j.fugacityGap, 1e-5) << what.str() << ": " << where(ifp);
        EXPECT_GT(j.belowPlane, -1e-7) << what.str() << ": " << where(ifp);
        EXPECT_GT(ifp.current.x[2], ifp.current.y[2]) << what.str() << ": " << where(ifp);
        const double Fv = ifp.current.nV / ifp.N;
        EXPECT_GT(Fv, 0.0) << what.str();
        EXPECT_LT(Fv, before) << what.str() << ": " << where(ifp);
        before = Fv;
        for (int i = 0; i < ifp.n; ++i)
            EXPECT_NEAR(ifp.current.nL * ifp.current.x[i] + ifp.current.nV * ifp.current.y[i],
                        ifp.bulkAmount[i], 1e-8)
                << what.str();
    }
    EXPECT_LT(before, 0.002);
    ASSERT_EQ(lib.solve(13, T, z, 0.02), 0) << where(*lib.ifp);
    const double P = lib.ifp->current.P / 1e5;
    ASSERT_EQ(flash(lib, T, P, z), 0) << where(*lib.ifp);
    EXPECT_NEAR(lib.ifp->current.nV / lib.ifp->N, 0.02, 1e-6) << where(*lib.ifp);
}

// A flash a millionth of the pressure past the dew point (below it) or the bubble point
// (above) came back as solved with a vapour fraction of 1.000001 or -1.2e-7, one phase's
// amount below zero: the feed is one stable phase there, said; a hundred-thousandth inside,
// both phases are present.
TEST(FlashesJustOutsideTheTwoPhaseRegion, AreOnePhaseNotANegativeAmount) {
    Library lib(true, kMethanePropane);
    const std::vector<double> z{0.5, 0.5};
    ASSERT_EQ(lib.solve(13, 250.0, z), 0) << where(*lib.ifp);
    const double bubble = lib.ifp->current.P / 1e5;
    ASSERT_EQ(lib.solve(31, 250.0, z), 0) << where(*lib.ifp);
    const double dew = lib.ifp->current.P / 1e5;
    for (double P : {dew * (1.0 - 1e-7), dew * (1.0 - 1e-6), bubble * (1.0 + 1e-6)}) {
        const int status = flash(lib, 250.0, P, z);
        const double Fv = lib.ifp->current.nV / lib.ifp->N;
        EXPECT_TRUE(status != 0 || (Fv > 0.0 && Fv < 1.0)) << P << " bar: " << where(*lib.ifp);
        if (status != 0) {
            EXPECT_NE(lib.ifp->refusal.find("stable phase"), std::string::npos) << lib.ifp->refusal;
        }
    }
    for (double P : {dew * (1.0 + 1e-5), bubble * (1.0 - 1e-5)}) {
        ASSERT_EQ(flash(lib, 250.0, P, z), 0) << P << " bar: " << where(*lib.ifp);
        const double Fv = lib.ifp->current.nV / lib.ifp->N;
        EXPECT_GT(Fv, 0.0);
        EXPECT_LT(Fv, 1.0);
    }
}

// Input that is no problem is refused with its reason, and so is a flash that fails.
TEST(BadInput, IsRefusedWithItsReason) {
    Library lib(true, kMethaneEthane);
    struct Case {
        int type;
        double fixed;
        std::vector<double> z;
        double Fv;
        const char* reason;
    };
    for (const Case& c : {Case{13, 250.0, {-0.1, 1.1}, 0.0, "mole fraction of CH4 is -0.1"},
                          Case{13, 250.0, {0.3, 0.3}, 0.0, "sum to 0.6"},
                          Case{13, -5.0, {0.3, 0.7}, 0.0, "temperature given, -5 K"},
                          Case{13, 0.0, {0.3, 0.7}, 0.0, "temperature given, 0 K"},
                          Case{23, -1.0, {0.3, 0.7}, 0.0, "pressure given, -1 bar"},
                          Case{13, 250.0, {0.3, 0.7}, 1.5, "vapour fraction given, 1.5"}}) {
        EXPECT_EQ(lib.solve(c.type, c.fixed, c.z, c.Fv), 5) << c.reason;
        EXPECT_NE(lib.ifp->refusal.find(c.reason), std::string::npos) << lib.ifp->refusal;
    }
    // A flash beyond the critical point: no two phases, said.
    EXPECT_NE(flash(lib, 320.0, 50.0, {0.5, 0.5}), 0);
    EXPECT_FALSE(lib.ifp->refusal.empty());
}

}  // namespace
}  // namespace vornex::testing
