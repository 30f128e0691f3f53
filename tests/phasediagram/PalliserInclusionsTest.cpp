// Fluid-inclusion calculations, boiling with a vapour volume and the geotherm: forward and
// inverse round trips and the failures they report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "phasediagram/PalliserModel.h"

namespace vornex {
namespace {

#ifdef VORNEX_SANITIZED_BUILD
constexpr double kGridStepW = 8.4;
constexpr int kGridInclusions = 15;
constexpr double kThBuiltStep = 10.0;
constexpr double kDissolutionStep = 7.0;
constexpr int kDissolutionInclusions = 12;
#else
constexpr double kGridStepW = 1.4;
constexpr int kGridInclusions = 100;
constexpr double kThBuiltStep = 4.0;
constexpr double kDissolutionStep = 1.0;
constexpr int kDissolutionInclusions = 100;
#endif

class PalliserInclusions : public ::testing::Test {
   protected:
    PalliserModel model;
};

// An inclusion of salinity x whose bubble fills phiV when halite dissolves (Tm) and which
// homogenises at Th: the salinity and density come back from (Th, Tm) from nearby guesses.
TEST_F(PalliserInclusions, SalinityAndDensityFromThAndTm) {
    const double cases[][2] = {{0.30, 0.05}, {0.35, 0.05}, {0.35, 0.2}, {0.4, 0.1}, {0.45, 0.02}};
    for (auto [x, phiV] : cases) {
        double rhoL0 = 0.0, P0 = 0.0;
        double Tm0 = model.calculateTm0(x, rhoL0, P0);
        ASSERT_GT(Tm0, 0.0) << x;
        double rho = 0.0, Pm = 0.0;
        double Tm = model.calculateTm(x, phiV, Tm0 + 5.0, rho, Pm);
        ASSERT_GT(Tm, Tm0) << x;
        double Ph = 0.0;
        double Th = model.calculateThLiq(x, rho, Tm + 20.0, Ph);
        ASSERT_GT(Th, Tm) << x;
        double x2 = 0.0, rho2 = 0.0, Pm2 = 0.0, Ph2 = 0.0, phiV2 = 0.0;
        model.calculateFromThTm(Th, Tm, x2, rho2, Tm, Th + 3.0, x * 1.02, rho * 0.99, Pm2, Ph2,
                                phiV2);
        EXPECT_EQ(model.failed, 0) << x;
        EXPECT_NEAR(x2, x, 1e-4 * x) << x << " " << phiV;
        EXPECT_NEAR(rho2, rho, 1e-4 * rho) << x << " " << phiV;
        EXPECT_NEAR(phiV2, phiV, 1e-3) << x;
        EXPECT_NEAR(Ph2, Ph, 1e-3 * Ph) << x;
        EXPECT_EQ(Pm2, Pm);
    }
}

// Regression: the (Th, Tm) inverse recovered an inclusion only from guesses near the answer, and
// never when the salinity lay within 1e-5 of the SLV liquid's at Tm (27 wt %, vapour fraction
// 0.05: Tm 65.05, Th 161.52 degC). Synthetic inclusions of 26.6 to 60 wt % with vapour
// fractions 0.02 to 0.3 at Tm come back from one ordinary guess.
TEST_F(PalliserInclusions, EveryInclusionIsFoundFromAnOrdinaryGuess) {
    int found = 0;
    for (double w = 26.6; w <= 60.0; w += kGridStepW) {
        for (double phiV : {0.02, 0.05, 0.1, 0.2, 0.3}) {
            const double x = w / 100.0;
            double rhoL0 = 0.0, P0 = 0.0, rho = 0.0, Pm = 0.0, Ph = 0.0;
            double Tm0 = model.calculateTm0(x, rhoL0, P0);
            double Tm = model.calculateTm(x, phiV, Tm0 + 0.01, rho, Pm);
            double Th = 0.0;
            for (double offset : {0.001, 100.0, 200.0, 300.0})
                if ((Th = model.calculateThLiq(x, rho, Tm0 + offset, Ph)) > 0.0) break;
            if (!(Tm > 0.0 && Th > Tm + 0.1)) continue;  // no liquid homogenisation to test
            double x2 = 0.0, rho2 = 0.0, Pm2 = 0.0, Ph2 = 0.0, phiV2 = 0.0;
            model.calculateFromThTm(Th, Tm, x2, rho2, 0.0, 0.0, 0.30, 1000.0, Pm2, Ph2, phiV2);
            EXPECT_EQ(model.failed, 0) << w << " " << phiV;
            EXPECT_NEAR(x2, x, 1e-4) << w << " " << phiV;
            EXPECT_NEAR(rho2, rho, 1e-3 * rho) << w << " " << phiV;
            EXPECT_NEAR(phiV2, phiV, 1e-3) << w << " " << phiV;
            EXPECT_NEAR(Ph2, Ph, 1e-3 * Ph) << w << " " << phiV;
            ++found;
        }
    }
    EXPECT_GE(found, kGridInclusions);
    double x = 0.0, rho = 0.0, Pm = 0.0, Ph = 0.0, phiV = 0.0;
    model.calculateFromThTm(161.52, 65.05, x, rho, 0.0, 161.52, 0.27, 1124.5, Pm, Ph, phiV);
    EXPECT_EQ(model.failed, 0);
    EXPECT_NEAR(x, 0.27, 1e-4);
}

// Failures report themselves, with x = rho = 0 whatever the caller's values: Tm outside the SLV
// curve, and a Th above any liquid homogenisation of the mixtures at Tm.
TEST_F(PalliserInclusions, InclusionInverseFailures) {
    const double cases[][2] = {{300.0, 900.0}, {300.0, -5.0}, {3500.0, 300.0}, {NAN, 300.0}};
    for (auto [Th, Tm] : cases) {
        double x = -7.0, rho = -7.0, Pm = 0.0, Ph = 0.0, phiV = 0.0;
        model.calculateFromThTm(Th, Tm, x, rho, 0.0, 0.0, 0.3, 1000.0, Pm, Ph, phiV);
        EXPECT_EQ(model.failed, 1) << Th << " " << Tm;
        EXPECT_EQ(x, 0.0) << Th << " " << Tm;
        EXPECT_EQ(rho, 0.0) << Th << " " << Tm;
    }
}

TEST_F(PalliserInclusions, EdgesOfTheInclusionSearches) {
    // Both phases vanish together: nearly the SLV liquid at Tm.
    double x = 0.0, rho = 0.0, Pm = 0.0, Ph = -7.0, phiV = -7.0;
    model.calculateFromThTm(300.05, 300.0, x, rho, 300.0, 300.0, 0.3, 1000.0, Pm, Ph, phiV);
    double P = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    model.calculateSLVPoint(300.0, P, xL, xV, rhoL, rhoV);
    EXPECT_NEAR(x, xL, 1e-4);
    EXPECT_NEAR(rho, rhoL, 0.1);
    EXPECT_EQ(Pm, P);
    EXPECT_GT(Ph, P);
    // Regression: halite dissolving after homogenisation left x and rho at the caller's values
    // and reported success.
    x = -7.0;
    model.calculateFromThTm(200.0, 300.0, x, rho, 300.0, 200.0, 0.3, 1000.0, Pm, Ph, phiV);
    EXPECT_EQ(model.failed, 1);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(rho, 0.0);
    EXPECT_EQ(Pm, P);
    double rhoTm = 0.0, Ptm = 0.0;
    EXPECT_EQ(model.calculateTm(0.2, 0.1, 300.0, rhoTm, Ptm), 0.0);  // no SLV liquid of 20 %
    EXPECT_EQ(rhoTm, 0.0);
    // Tm0 inverts the SLV liquid salinity.
    EXPECT_NEAR(model.calculateTm0(xL, rhoTm, Ptm), 300.0, 1e-6);
    EXPECT_EQ(model.calculateTm0(0.2, rhoTm, Ptm), 0.0);
}

// Regression: Th within 0.1 K of Tm returned the SLV liquid at Tm as a success without writing
// Ph or phiV (the caller's 12345 and 777 came back), though at Tm 450 and 550 degC that liquid
// homogenises only at 613 and 660 degC. Each success now writes every output and comes back
// through the forward calculations (Th and Tm of its salinity, density and vapour fraction);
// the others fail with their reason.
TEST_F(PalliserInclusions, ThAtTmRoundTripsOrFails) {
    for (double Tm : {100.0, 300.0, 400.0, 450.0, 550.0, 700.0})
        for (double dT : {0.05, 0.0, -0.05}) {
            SCOPED_TRACE(::testing::Message() << "Tm " << Tm << ", Th " << Tm + dT);
            double x = 12345.0, rho = 12345.0, Pm = 12345.0, Ph = 12345.0, phiV = 777.0;
            model.calculateFromThTm(Tm + dT, Tm, x, rho, 0.0, 0.0, 0.3, 1000.0, Pm, Ph, phiV);
            if (Tm == 450.0 || Tm == 550.0) {
                EXPECT_EQ(model.failed, 1);
                EXPECT_EQ(model.thTmOutcome, Palliser::ThTmOutcome::NoSuchInclusion);
                EXPECT_EQ(x, 0.0);
                EXPECT_EQ(Ph, -1.0);
                EXPECT_EQ(phiV, -1.0);
                continue;
            }
            ASSERT_EQ(model.failed, 0);
            EXPECT_EQ(model.thTmOutcome, Palliser::ThTmOutcome::Solved);
            EXPECT_GT(phiV, 0.0);
            EXPECT_LT(phiV, 1e-3);
            double Pback = 0.0, rhoBack = 0.0, PmBack = 0.0;
            const double Th = model.calculateThLiq(x, rho, Tm, Pback);
            ASSERT_EQ(model.failed, 0);
            EXPECT_NEAR(Th, std::max(Tm + dT, Tm + 1e-3), 1e-6);
            EXPECT_NEAR(Pback, Ph, 1e-6 * Ph);
            EXPECT_NEAR(model.calculateTm(x, phiV, Tm, rhoBack, PmBack), Tm, 1e-6);
            EXPECT_NEAR(rhoBack, rho, 1e-6 * rho);
            EXPECT_NEAR(PmBack, Pm, 1e-6 * Pm);
        }
}

// Vapour volume fraction of the liquid + vapour mixture of bulk salinity x on the SLV curve at
// T; NaN where no such mixture exists.
double slvVapourFraction(PalliserModel& m, double x, double T) {
    double P = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    m.calculateSLVPoint(T, P, xL, xV, rhoL, rhoV);
    const double wL = (x - xV) / (xL - xV);
    if (!(wL >= 0.0 && wL <= 1.0)) return NAN;
    return ((1.0 - wL) / rhoV) / (wL / rhoL + (1.0 - wL) / rhoV);
}

// Regression: the Tm search stepped over the mixtures of 99.9 wt % and more, which exist only
// between 799 and 800 degC (from where the SLV liquid reaches their salinity to where the SLV
// vapour does), and found no Tm for them.
TEST_F(PalliserInclusions, TmOfTheSaltiestMixtures) {
    for (double T : {799.2, 799.5, 799.9, 799.99})
        for (double phi : {1e-6, 0.01, 0.5}) {
            double Ps = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0, rho = 0.0, Pm = 0.0;
            model.calculateSLVPoint(T, Ps, xL, xV, rhoL, rhoV);
            const double Tm = model.calculateTm(xL, phi, 799.0, rho, Pm);
            ASSERT_EQ(model.failed, 0) << T << " " << phi;
            EXPECT_GT(Tm, T);
            EXPECT_NEAR(slvVapourFraction(model, xL, Tm), phi, 1e-7);
        }
}

// Regression: from 790 degC the SLV liquid reaches its bubble curve a little above its own
// temperature (0.0012 K at 790.5 degC, 0.048 at 800), and the inverse refused Th = Tm from 790.5
// to 800 degC (and Th 796.0112 with Tm 796.00007). Inclusions built on the SLV liquid's
// salinity at 780-800 degC with 1e-6 to 1e-2 vapour come back through the inverse; Th = Tm and
// Th just above Tm are the inclusion whose bubble vanishes with the halite.
TEST_F(PalliserInclusions, InverseOfInclusionsNearTheHaliteMeltingPoint) {
    for (double T : {780.0, 790.0, 790.5, 792.5, 795.0, 796.00007, 797.5, 799.0, 799.5, 799.9}) {
        double Ps = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
        model.calculateSLVPoint(T, Ps, xL, xV, rhoL, rhoV);
        for (double phi : {1e-6, 1e-4, 1e-2}) {
            SCOPED_TRACE(::testing::Message() << "T " << T << ", vapour " << phi);
            double rho = 0.0, Pm = 0.0, Ph = 0.0;
            const double Tm = model.calculateTm(xL, phi, T, rho, Pm);
            ASSERT_EQ(model.failed, 0);
            const double Th = model.calculateThLiq(xL, rho, Tm, Ph);
            ASSERT_EQ(model.failed, 0);
            double x = 0.0, rhoBack = 0.0, PmBack = 0.0, PhBack = 0.0, phiV = 0.0;
            model.calculateFromThTm(Th, Tm, x, rhoBack, 0.0, 0.0, 0.0, 0.0, PmBack, PhBack, phiV);
            ASSERT_EQ(model.failed, 0);
            EXPECT_NEAR(x, xL, 1e-8);
            EXPECT_NEAR(rhoBack, rho, 1e-6 * rho);
            EXPECT_NEAR(phiV, phi, 1e-8 + 1e-3 * phi);
        }
        for (double dT : {0.0, 0.005, 0.0112}) {
            SCOPED_TRACE(::testing::Message() << "Tm " << T << ", Th " << T + dT);
            double x = 0.0, rho = 0.0, Pm = 0.0, Ph = 0.0, phiV = 0.0;
            model.calculateFromThTm(T + dT, T, x, rho, 0.0, 0.0, 0.0, 0.0, Pm, Ph, phiV);
            ASSERT_EQ(model.failed, 0);
            EXPECT_GT(phiV, 0.0);
            EXPECT_LT(phiV, 1e-4);
            double P = 0.0, rhoTm = 0.0, PmBack = 0.0;
            EXPECT_NEAR(model.calculateTm(x, phiV, T, rhoTm, PmBack), T, 1e-6);
            EXPECT_NEAR(rhoTm, rho, 1e-6 * rho);
            const double Th = model.calculateThLiq(x, rho, T, P);
            ASSERT_EQ(model.failed, 0);
            EXPECT_GE(Th, T + dT - 1e-6);
            EXPECT_LT(Th, T + 0.1);
        }
    }
    // Where the SLV liquid starts to homogenise above Tm (near 790 degC) the inclusion of
    // Th = Tm is continuous in Tm: its trace of vapour stays near 6e-7.
    double last = -1.0;
    for (double Tm = 789.9; Tm <= 790.65; Tm += 0.05) {
        double x = 0.0, rho = 0.0, Pm = 0.0, Ph = 0.0, phiV = 0.0;
        model.calculateFromThTm(Tm, Tm, x, rho, 0.0, 0.0, 0.0, 0.0, Pm, Ph, phiV);
        ASSERT_EQ(model.failed, 0) << Tm;
        if (last > 0.0) {
            EXPECT_NEAR(phiV, last, 1e-8) << Tm;
        }
        last = phiV;
    }
}

// Regression: the Tm search was a secant from its start and failed for 163 of 480 solvable
// (x, phiV) pairs started 5 degC below the root. Over 27 to 50 wt % and vapour fractions 0.05 to
// 0.95, from 5 and 1 degC either side of a root, the search returns a temperature at which the
// mixture has that vapour fraction; where the pair has one such temperature, that one.
TEST_F(PalliserInclusions, TmDoesNotDependOnItsStart) {
    int solvable = 0, nearestOfSeveral = 0;
    for (int w = 27; w <= 50; ++w) {
        for (int k = 1; k <= 19; ++k) {
            const double x = w / 100.0, phiV = 0.05 * k;
            // The roots, on a scan finer than the search's own.
            std::vector<double> roots;
            double Tprev = NAN, fprev = NAN;
            for (double T = 20.0; T <= 800.0; T += 0.25) {
                const double f = slvVapourFraction(model, x, T) - phiV;
                if (std::isfinite(f) && std::isfinite(fprev) && (f < 0.0) != (fprev < 0.0))
                    roots.push_back(0.5 * (T + Tprev));
                Tprev = T;
                fprev = f;
            }
            if (roots.empty()) continue;
            ++solvable;
            for (double root : roots) {
                for (double offset : {-5.0, -1.0, 1.0, 5.0}) {
                    double rho = 0.0, P = 0.0;
                    const double T = model.calculateTm(x, phiV, root + offset, rho, P);
                    ASSERT_EQ(model.failed, 0) << w << " " << phiV << " " << root + offset;
                    EXPECT_NEAR(slvVapourFraction(model, x, T), phiV, 1e-9) << w << " " << phiV;
                    if (roots.size() == 1) {
                        EXPECT_NEAR(T, root, 0.25) << w << " " << phiV;
                    }
                    // Of several, the one nearest the start where the others are well away.
                    const double start = root + offset;
                    const bool nearest = std::all_of(roots.begin(), roots.end(), [&](double r) {
                        return r == root || std::fabs(r - start) > std::fabs(offset) + 2.5;
                    });
                    if (roots.size() > 1 && nearest) {
                        EXPECT_NEAR(T, root, 0.25) << w << " " << phiV << " " << start;
                        ++nearestOfSeveral;
                    }
                    EXPECT_GT(rho, 0.0);
                }
            }
        }
    }
    EXPECT_GE(solvable, 400);
    EXPECT_GT(nearestOfSeveral, 0);
}

// A vapour fraction reached just above the lowest temperature of the searches is found there.
TEST_F(PalliserInclusions, TmJustAboveTheLowestInclusionTemperature) {
    for (double x : {0.10, 0.20, 0.26}) {
        for (double Tbuilt : {20.0, 20.3, 20.9}) {
            const double phiV = slvVapourFraction(model, x, Tbuilt);
            ASSERT_TRUE(std::isfinite(phiV)) << x;
            double rho = 0.0, P = 0.0;
            const double T = model.calculateTm(x, phiV, 25.0, rho, P);
            ASSERT_EQ(model.failed, 0) << x << " " << Tbuilt;
            EXPECT_NEAR(T, Tbuilt, 1e-6) << x;
        }
    }
}

// Regression: the forward Tm search started at 20 degC and the Th search at 20 degC, while the
// (Th, Tm) inverse solves halite dissolving from 0 degC: for Th 200 / Tm 5 it gave 26.357 wt %
// and 10.229 % vapour, and the forward search found no Tm for that inclusion. Every inclusion
// the inverse solves with Tm from 1 degC comes back through Tm and Th forward, and a vapour
// fraction reached below 20 degC is found where it is reached.
TEST_F(PalliserInclusions, ForwardAndInverseDissolutionFromOneDegree) {
    int solved = 0;
    for (double Tm = 1.0; Tm <= 22.0; Tm += kDissolutionStep) {
        for (double Th : {Tm + 5.0, Tm + 15.0, 50.0, 200.0, 400.0, 600.0}) {
            SCOPED_TRACE(::testing::Message() << "Th " << Th << ", Tm " << Tm);
            double x = 0.0, rho = 0.0, Pm = 0.0, Ph = 0.0, phiV = 0.0;
            model.calculateFromThTm(Th, Tm, x, rho, 0.0, 0.0, 0.3, 1000.0, Pm, Ph, phiV);
            if (model.failed) continue;
            ++solved;
            // As the inclusion panel searches: from just above the salinity's own Tm0.
            double rhoL0 = 0.0, P0 = 0.0, rhoBack = 0.0, PmBack = 0.0, PhBack = 0.0;
            const double Tm0 = model.calculateTm0(x, rhoL0, P0);
            const double TmBack = model.calculateTm(x, phiV, std::max(Tm0, 0.0) + 0.01, rhoBack,
                                                    PmBack);
            ASSERT_EQ(model.failed, 0);
            EXPECT_NEAR(TmBack, Tm, 1e-6);
            EXPECT_NEAR(rhoBack, rho, 1e-6 * rho);
            EXPECT_NEAR(PmBack, Pm, 1e-6 * Pm);
            EXPECT_NEAR(model.calculateThLiq(x, rho, TmBack, PhBack), Th, 1e-6);
            EXPECT_EQ(model.failed, 0);
            EXPECT_NEAR(PhBack, Ph, 1e-6 * Ph);
        }
    }
    EXPECT_GE(solved, kDissolutionInclusions);
    for (double Tbuilt : {0.5, 1.0, 7.3, 19.6}) {
        const double phiV = slvVapourFraction(model, 0.26, Tbuilt);
        ASSERT_TRUE(std::isfinite(phiV)) << Tbuilt;
        double rho = 0.0, P = 0.0;
        EXPECT_NEAR(model.calculateTm(0.26, phiV, 25.0, rho, P), Tbuilt, 1e-6);
        EXPECT_EQ(model.failed, 0) << Tbuilt;
    }
}

// Volume fraction of halite in the halite + liquid mixture of bulk salinity x on the SLV curve
// at T; NaN where no such mixture exists.
double slvHaliteFraction(PalliserModel& m, double x, double T) {
    double P = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    m.calculateSLVPoint(T, P, xL, xV, rhoL, rhoV);
    const double wH = (x - xL) / (1.0 - xL);
    if (m.failed || !(wH >= 0.0 && wH <= 1.0)) return NAN;
    return (wH / m.haliteDensity) / (wH / m.haliteDensity + (1.0 - wH) / rhoL);
}

// Regression: the vapour-disappearance search of a halite-bearing inclusion was a secant from
// its start and failed from 1 to 20 degC beside the root (49 wt %, halite fraction 0.2, 20 degC
// below; 71 to 83 wt %, 0.05, 20 degC above). Over 27 to 95 wt % and halite fractions 0.05 to
// 0.95 it finds the root from either side.
TEST_F(PalliserInclusions, Tm3DoesNotDependOnItsStart) {
    int solvable = 0;
    for (double w = 27.0; w <= 95.0; w += 4.0 * kGridStepW) {
        for (int k = 1; k <= 19; k += 2) {
            const double x = w / 100.0, phiH = 0.05 * k;
            double root = NAN, fprev = NAN;
            for (double T = 0.0; T <= 800.0 && std::isnan(root); T += 0.25) {
                const double f = slvHaliteFraction(model, x, T) - phiH;
                if (std::isfinite(f) && std::isfinite(fprev) && (f < 0.0) != (fprev < 0.0))
                    root = T - 0.125;
                fprev = f;
            }
            if (std::isnan(root)) continue;
            ++solvable;
            for (double offset : {-20.0, -1.0, 1.0, 20.0}) {
                double rho = 0.0, Th = 0.0, xL = 0.0, Ph = 0.0, Pm = 0.0;
                const double Tm = model.calculateTm3(x, phiH, root + offset, rho, Th, xL, Ph, Pm);
                ASSERT_EQ(model.failed, 0) << w << " " << phiH << " " << root + offset;
                EXPECT_NEAR(Th, root, 0.125) << w << " " << phiH;
                EXPECT_NEAR(slvHaliteFraction(model, x, Th), phiH, 1e-9) << w << " " << phiH;
                EXPECT_GE(Tm, Th) << w << " " << phiH;
            }
        }
    }
    EXPECT_GE(solvable, 10);
    // A salinity no halite + liquid mixture on the SLV curve has leaves no value behind.
    double rho = 7.0, Th = 7.0, xL = 7.0, Ph = 7.0, Pm = 7.0;
    EXPECT_EQ(model.calculateTm3(0.2, 0.1, 300.0, rho, Th, xL, Ph, Pm), -1.0);
    EXPECT_EQ(model.failed, 1);
    EXPECT_EQ(rho, 0.0);
    for (double v : {Th, xL, Ph, Pm}) EXPECT_EQ(v, -1.0);
}

// Regression: between 374 and about 415 degC the model's bubble-point liquid density falls and
// rises again, and the Th search returned whichever crossing its secant fell into (20 wt %
// homogenising at 375 degC, started at 370: 468.7 degC). Th is the first crossing on heating
// from the two-phase state, whatever the start below it; the model's further crossings are
// counted.
TEST_F(PalliserInclusions, ThIsTheFirstHomogenisationOnHeating) {
    auto bubbleLiquid = [&](double x, double T) {
        double P = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
        model.calculateBubblePoint(T, x, P, xV, rhoL, rhoV);
        return model.failed ? NAN : rhoL;
    };
    double P = 0.0;
    const double rho375 = bubbleLiquid(0.20, 375.0);
    EXPECT_NEAR(model.calculateThLiq(0.20, rho375, 370.0, P), 375.0, 1e-6);
    int several = 0;
    for (double w : {5.0, 10.0, 15.0, 20.0, 25.0, 30.0}) {
        const double x = w / 100.0;
        for (double Tbuilt = 360.0; Tbuilt <= 440.0; Tbuilt += kThBuiltStep) {
            const double rho = bubbleLiquid(x, Tbuilt);
            if (!std::isfinite(rho)) continue;
            // The first temperature of a fine scan at which the liquid is no denser than rho:
            // whole steps of the model's own 0.5 degC search first, then 0.02 degC within the
            // step that first meets rho.
            double first = NAN, coarse = NAN;
            for (double T = 340.0; T <= Tbuilt + 0.5 && std::isnan(coarse); T += 0.5)
                if (bubbleLiquid(x, T) <= rho) coarse = T;
            for (double T = std::max(340.0, coarse - 0.5); T <= coarse + 1e-9 && std::isnan(first); T += 0.02)
                if (bubbleLiquid(x, T) <= rho) first = T;
            if (std::isnan(first)) continue;  // a minimum of the liquid density: only touched
            for (double T0 : {20.0, 340.0, first - 5.0, first - 0.5}) {
                const double Th = model.calculateThLiq(x, rho, T0, P);
                ASSERT_EQ(model.failed, 0) << w << " " << Tbuilt << " " << T0;
                EXPECT_NEAR(Th, first, 0.021) << w << " " << Tbuilt << " " << T0;
                EXPECT_NEAR(bubbleLiquid(x, Th), rho, 1e-6 * rho) << w << " " << Tbuilt;
            }
            const int n = model.countHomogenisationsToLiquid(x, rho, 340.0);
            EXPECT_GE(n, 1) << w << " " << Tbuilt;
            // Built where the liquid density falls through rho, yet met earlier: a second one
            // (counted where the density stays on either side for more than the search's
            // 0.5 degC steps).
            const bool homogenisesAtTbuilt =
                bubbleLiquid(x, Tbuilt - 1.0) > rho && bubbleLiquid(x, Tbuilt + 1.0) < rho;
            if (homogenisesAtTbuilt && first < Tbuilt - 0.5) {
                EXPECT_GE(n, 2) << w << " " << Tbuilt;
            }
            if (n > 1) ++several;
        }
    }
    EXPECT_GT(several, 0);
}

// Regression: the (Th, Tm) inverse cleared its results without saying why. Each failure names
// its reason; an answer is an inclusion whose first homogenisation on heating from Tm is Th.
TEST_F(PalliserInclusions, InverseSaysWhyItHasNoAnswer) {
    using Why = Palliser::ThTmOutcome;
    const struct {
        double Th, Tm;
        Why why;
    } cases[] = {{200.0, 300.0, Why::HaliteAfterBubble},
                 {300.0, 900.0, Why::OutsideTheModel},
                 {500.0, 450.0, Why::NoSuchInclusion},
                 {400.0, 200.0, Why::HomogenisesEarlier},
                 {300.0, 200.0, Why::Solved},
                 // No number for Th: not taken for one below Tm.
                 {NAN, 200.0, Why::OutsideTheModel},
                 {-INFINITY, 200.0, Why::OutsideTheModel}};
    for (auto [Th, Tm, why] : cases) {
        double x = 0.0, rho = 0.0, Pm = 0.0, Ph = 0.0, phiV = 0.0;
        model.calculateFromThTm(Th, Tm, x, rho, 0.0, 0.0, 0.3, 1000.0, Pm, Ph, phiV);
        EXPECT_EQ(model.thTmOutcome, why) << Th << " " << Tm;
        EXPECT_EQ(model.failed, why == Why::Solved ? 0 : 1) << Th << " " << Tm;
        if (why == Why::HomogenisesEarlier) {
            EXPECT_NEAR(model.thTmEarlierTh, 372.3, 0.1);
        }
        if (why != Why::Solved) continue;
        EXPECT_NEAR(model.calculateThLiq(x, rho, Tm, Ph), Th, 1e-6);
    }
    // Inclusions built forward with their Th in the band come back from (Th, Tm).
    int found = 0;
    for (double w : {27.0, 30.0, 35.0})
        for (double phiV = 0.02; phiV <= 0.3; phiV += 0.02) {
            const double x = w / 100.0;
            double rho = 0.0, Pm = 0.0, Ph = 0.0, rhoL0 = 0.0, P0 = 0.0;
            const double Tm0 = model.calculateTm0(x, rhoL0, P0);
            const double Tm = model.calculateTm(x, phiV, Tm0 + 0.01, rho, Pm);
            const double Th = model.calculateThLiq(x, rho, Tm, Ph);
            if (model.failed || !(Th > 370.0 && Th < 420.0)) continue;
            double x2 = 0.0, rho2 = 0.0, Pm2 = 0.0, Ph2 = 0.0, phiV2 = 0.0;
            model.calculateFromThTm(Th, Tm, x2, rho2, 0.0, 0.0, 0.3, 1000.0, Pm2, Ph2, phiV2);
            EXPECT_EQ(model.failed, 0) << w << " " << phiV;
            EXPECT_NEAR(x2, x, 1e-4) << w << " " << phiV;
            EXPECT_NEAR(rho2, rho, 1e-3 * rho) << w << " " << phiV;
            ++found;
        }
    EXPECT_GT(found, 0);
}

// Below the critical point of brines of 26 wt % and more the bubble-point liquid density has a
// least value (26.35 wt %: 668.6394 kg/m3 near 718.2 degC): an inclusion a little denser meets its
// bubble curve and leaves it again within a fraction of a degree, between two points of the
// forward scan. Regression: Th 718 / Tm 3 gave 26.3535 wt % and 668.64 kg/m3, in which the
// forward search found no Th; and Th 718.3 / Tm 3 an inclusion that homogenises at 718.02.
// Every inclusion the inverse returns homogenises first at its Th.
TEST_F(PalliserInclusions, InverseAnswersHomogeniseWhereTheBubbleLiquidIsLeast) {
    int solved = 0, refused = 0;
    for (auto [Tm, Th0] : {std::pair{3.0, 717.5}, {19.0, 718.5}, {50.0, 723.5}, {100.0, 740.5}}) {
        for (double Th = Th0; Th <= Th0 + 1.5; Th += 0.1) {
            double x = 0.0, rho = 0.0, Pm = 0.0, Ph = 0.0, phiV = 0.0;
            model.calculateFromThTm(Th, Tm, x, rho, 0.0, 0.0, 0.3, 1000.0, Pm, Ph, phiV);
            if (model.failed) {
                EXPECT_NE(model.thTmOutcome, Palliser::ThTmOutcome::SearchFailed) << Th << " " << Tm;
                ++refused;
                continue;
            }
            double P = 0.0;
            EXPECT_NEAR(model.calculateThLiq(x, rho, Tm, P), Th, 2e-3) << Th << " " << Tm;
            EXPECT_EQ(model.failed, 0) << Th << " " << Tm;
            ++solved;
        }
    }
    EXPECT_GT(solved, 20);
    EXPECT_GT(refused, 0);
    double x = 0.0, rho = 0.0, Pm = 0.0, Ph = 0.0, phiV = 0.0, P = 0.0;
    model.calculateFromThTm(718.0, 3.0, x, rho, 0.0, 0.0, 0.3, 1000.0, Pm, Ph, phiV);
    ASSERT_EQ(model.failed, 0);
    EXPECT_NEAR(model.calculateThLiq(x, rho, 3.0, P), 718.0, 1e-6);
    // It splits again a few tenths of a kelvin up, its edge found to a micro-kelvin.
    const auto splits = model.splitsAfterHomogenisation(x, rho, 718.0);
    ASSERT_FALSE(splits.empty());
    EXPECT_LT(splits.front().first, 718.49);
    EXPECT_TRUE(model.liquidAndVapourOfDensity(splits.front().first + 1e-6, x, rho));
    EXPECT_FALSE(model.liquidAndVapourOfDensity(splits.front().first - 1e-6, x, rho));
    model.calculateFromThTm(718.3, 3.0, x, rho, 0.0, 0.0, 0.3, 1000.0, Pm, Ph, phiV);
    EXPECT_EQ(model.thTmOutcome, Palliser::ThTmOutcome::HomogenisesEarlier);
    EXPECT_NEAR(model.thTmEarlierTh, 718.02, 0.01);
}

// At 800 degC the surface's lower edge turns from the SLV liquid onto molten NaCl. Regression:
// the two fits' liquids differ (1559.978 and 1560.003 kg/m3), so the bubble-point liquid stepped
// up there by 0.0006 (35 wt %) to 0.018 kg/m3 (90 wt %): the inverse refused Th just above 800
// degC ("homogenises earlier", near 799.99), and calculateThLiq of 63.337 wt %, 1075.728077
// kg/m3 gave 799.998696 or 800.007551 by its start.
TEST_F(PalliserInclusions, BubblePointLiquidHasNoStepAt800) {
    for (double w = 35.0; w <= 95.0; w += 5.0) {
        double P = 0.0, xV = 0.0, below = 0.0, above = 0.0, rhoV = 0.0;
        model.calculateBubblePoint(800.0 - 1e-7, 0.01 * w, P, xV, below, rhoV);
        ASSERT_EQ(model.failed, 0) << w;
        model.calculateBubblePoint(800.0 + 1e-7, 0.01 * w, P, xV, above, rhoV);
        ASSERT_EQ(model.failed, 0) << w;
        EXPECT_NEAR(above, below, 1e-4) << w << " wt %";
    }
    double P = 0.0;
    const double Th = model.calculateThLiq(0.63337, 1075.728077, 20.0, P);
    ASSERT_EQ(model.failed, 0);
    for (double T0 : {700.0, 799.99, 799.999, 800.0}) {
        EXPECT_NEAR(model.calculateThLiq(0.63337, 1075.728077, T0, P), Th, 1e-6) << T0;
    }
    for (double Tm : {300.0, 600.0}) {
        for (double Th1 = 800.0005; Th1 <= 800.009; Th1 += 0.0017) {
            double x = 0.0, rho = 0.0, Pm = 0.0, Ph = 0.0, phiV = 0.0;
            model.calculateFromThTm(Th1, Tm, x, rho, 0.0, 0.0, 0.3, 1000.0, Pm, Ph, phiV);
            ASSERT_EQ(model.thTmOutcome, Palliser::ThTmOutcome::Solved) << Th1 << " " << Tm;
            EXPECT_NEAR(model.calculateThLiq(x, rho, Tm, P), Th1, 1e-6) << Th1 << " " << Tm;
        }
    }
}

// Regression: halite and vapour vanishing together at 0 degC gave 26.35 wt %, and the forward
// search of that salinity's dissolution temperature failed.
TEST_F(PalliserInclusions, DissolutionAtZeroDegreesRoundTrips) {
    double x = 0.0, rho = 0.0, Pm = 0.0, Ph = 0.0, phiV = 0.0;
    model.calculateFromThTm(0.05, 0.0, x, rho, 0.0, 0.0, 0.3, 1000.0, Pm, Ph, phiV);
    ASSERT_EQ(model.failed, 0);
    EXPECT_EQ(x, 0.2635);
    double rhoL = 0.0, P = 0.0;
    EXPECT_EQ(model.calculateTm0(x, rhoL, P), 0.0);
    EXPECT_EQ(model.failed, 0);
    // (The inclusion holds the trace of vapour whose bubble vanishes at Th.)
    EXPECT_NEAR(rhoL, rho, 1e-4 * rho);
    EXPECT_EQ(P, Pm);
    EXPECT_EQ(model.calculateTm0(0.2634, rhoL, P), 0.0);  // dissolves below the SLV curve
    EXPECT_EQ(model.failed, 1);
}

// Halite dissolving after the bubble: Th on the SLV curve, then the liquidus of the bulk.
TEST_F(PalliserInclusions, HaliteVolumeFraction) {
    double rho = 0.0, Th = 0.0, xL = 0.0, Ph = 0.0, Pm = 0.0;
    double Tm = model.calculateTm3(0.45, 0.1, 300.0, rho, Th, xL, Ph, Pm);
    ASSERT_GT(Tm, Th);
    double T = 0.0, rhoLiq = 0.0;
    model.calculateHaliteLiquidTemperature(0.45, Pm, T, rhoLiq, Th);
    EXPECT_NEAR(T, Tm, 1e-6);
    EXPECT_NEAR(rhoLiq, rho, 1e-6);
    // Regression: a failed search went on to a liquidus "result" of the last iterate.
    EXPECT_LE(model.calculateTm3(0.2, 0.1, 300.0, rho, Th, xL, Ph, Pm), 0.0);
}

// Regression: halite dissolving above the diagram's 5000 bar top (50 wt % with 20 % halite:
// 9546 bar; 40 wt % with 10 %: 6683 bar) came back with nothing to tell it from a result
// inside the diagram. It is flagged, the result kept.
TEST_F(PalliserInclusions, HaliteDissolvingAboveTheDiagramIsFlagged) {
    struct Case {
        double x, phiH, Pm;
        bool beyond;
    } cases[] = {{0.5, 0.2, 9546.0, true}, {0.4, 0.1, 6683.0, true}, {0.45, 0.1, 0.0, false}};
    for (auto [x, phiH, Pexpected, beyond] : cases) {
        double rho = 0.0, Th = 0.0, xL = 0.0, Ph = 0.0, Pm = 0.0;
        model.tm3BeyondDiagram = !beyond;
        const double Tm = model.calculateTm3(x, phiH, 20.0, rho, Th, xL, Ph, Pm);
        ASSERT_GT(Tm, Th) << x;
        EXPECT_EQ(model.failed, 0) << x;
        EXPECT_EQ(model.tm3BeyondDiagram, beyond) << x << " " << Pm;
        EXPECT_EQ(Pm > Palliser::kDiagramMaxPressure, beyond) << x;
        if (beyond) {
            EXPECT_NEAR(Pm, Pexpected, 1.0) << x;
        }
    }
    double rho = 0.0, Th = 0.0, xL = 0.0, Ph = 0.0, Pm = 0.0;
    model.tm3BeyondDiagram = true;
    EXPECT_LE(model.calculateTm3(0.2, 0.1, 300.0, rho, Th, xL, Ph, Pm), 0.0);
    EXPECT_FALSE(model.tm3BeyondDiagram);
}

// Below 384 degC the surface's top lags the critical salinity, so a dilute brine's bubble curve
// goes on above its critical temperature, to where its liquid and vapour meet (0.5 wt %:
// 381.46 degC, 234.13 bar; its critical point 379.57 degC, 234.16 bar). Regression: the search
// of the bubble temperature at a pressure stopped a degree above the critical temperature and
// found none for the top of those curves (0.1 wt % from 223.0 bar, 0.5 wt % from 230.0 bar).
TEST_F(PalliserInclusions, DiluteBubbleCurvesEndWhereTheirLiquidAndVapourMeet) {
    for (double w : {0.01, 0.1, 0.3, 0.5, 0.8}) {
        const double x = w / 100.0;
        double Tc = 0.0, Pc = 0.0, rhoc = 0.0;
        model.calculateCriticalPointFromX(x, Tc, Pc, rhoc);
        ASSERT_EQ(model.failed, 0) << w;
        // The last bubble point of a 0.01 K scan, and every tenth one on the way to it.
        double Tlast = -1.0, Plast = 0.0, rhoL = 0.0, rhoV = 0.0, xVlast = 0.0;
        std::vector<std::pair<double, double>> points;
        for (int i = 0; i <= 500; ++i) {
            const double T = Tc - 0.5 + 0.01 * i;
            double P = 0.0, xV = 0.0, rl = 0.0, rv = 0.0;
            model.calculateBubblePoint(T, x, P, xV, rl, rv);
            if (model.failed) continue;
            Tlast = T, Plast = P, rhoL = rl, rhoV = rv, xVlast = xV;
            if (i % 10 == 0) points.emplace_back(T, P);
        }
        ASSERT_GT(Tlast, Tc) << w;
        EXPECT_NEAR(rhoL, rhoV, 0.1) << w;
        EXPECT_NEAR(xVlast, x, 1e-2 * x) << w;
        points.emplace_back(Tlast, Plast);
        for (auto [T, P] : points) {
            double Tb = 0.0, xV = 0.0, rl = 0.0, rv = 0.0;
            model.calculateBubblePointFromP(P, x, Tb, xV, rl, rv, Tc - 5.0);
            EXPECT_EQ(model.failed, 0) << w << " wt %, " << P << " bar";
            EXPECT_NEAR(Tb, T, 1e-4) << w << " wt %, " << P << " bar";
        }
    }
}

TEST_F(PalliserInclusions, BubblePointFromPressure) {
    double T = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    model.calculateBubblePointFromP(100.0, 0.1, T, xV, rhoL, rhoV, 300.0);
    ASSERT_EQ(model.failed, 0);
    double P = 0.0, xV2 = 0.0, rhoL2 = 0.0, rhoV2 = 0.0;
    model.calculateBubblePoint(T, 0.1, P, xV2, rhoL2, rhoV2);
    EXPECT_NEAR(P, 100.0, 1e-6);
    EXPECT_EQ(rhoL, rhoL2);
    rhoL = -7.0;
    model.calculateBubblePointFromP(5000.0, 0.1, T, xV, rhoL, rhoV, 300.0);
    EXPECT_EQ(T, -1.0);
    EXPECT_EQ(rhoL, -7.0);
}

// Regression: the searches under the boiling and depth calculations were secants from their
// start. The bubble temperature of a pressure failed for 277 of 652 (salinity, pressure, start)
// triples whose bubble point exists (0.5 wt % at 80 degC from 20 degC); the pressure of a
// vapour volume failed below 100 degC; the SLV temperature of a liquid salinity of 66 wt % and
// more, searched from 0 degC, came back beyond 800 degC with no failure. Each now finds the root
// the model has from any start.
TEST_F(PalliserInclusions, BoilingSearchesDoNotDependOnTheirStart) {
    int bubbles = 0, boilings = 0;
    for (double w : {0.5, 5.0, 26.0, 40.0})
        for (double T = 30.0; T <= 630.0; T += 50.0) {
            const double x = w / 100.0;
            double P = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
            model.calculateBubblePoint(T, x, P, xV, rhoL, rhoV);
            if (model.failed) continue;
            for (double T0 : {20.0, 300.0, 500.0}) {
                double T2 = 0.0;
                model.calculateBubblePointFromP(P, x, T2, xV, rhoL, rhoV, T0);
                ASSERT_EQ(model.failed, 0) << w << " " << T << " from " << T0;
                EXPECT_NEAR(T2, T, 1e-5) << w << " " << T << " from " << T0;
                ++bubbles;
            }
            for (double f : {0.1, 0.5, 0.9}) {
                double Pf = 0.0, xL = 0.0, xVf = 0.0, rL = 0.0, rV = 0.0, rhoMix = 0.0;
                model.calculateBoilingPointWithGasVolume(T, x, f, Pf, xL, xVf, rL, rV, rhoMix);
                if (model.failed) continue;  // no such volume of vapour below the bubble point
                EXPECT_LT(Pf, P) << w << " " << T << " " << f;
                EXPECT_NEAR((rhoMix - rV) / (rL - rV), 1.0 - f, 1e-4) << w << " " << T << " " << f;
                ++boilings;
            }
        }
    EXPECT_GE(bubbles, 90);
    EXPECT_GE(boilings, 60);
    for (double w = 26.4; w <= 99.0; w += 3.3)
        for (double guess : {0.0, 400.0, 790.0}) {
            double T = 0.0, P = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0, rhoL0 = 0.0, P0 = 0.0;
            const double Tm0 = model.calculateTm0(w / 100.0, rhoL0, P0);
            model.calculateSLVPointFromX(w / 100.0, T, P, xV, rhoL, rhoV, guess);
            ASSERT_EQ(model.failed, 0) << w << " from " << guess;
            EXPECT_NEAR(T, Tm0, 1e-6) << w << " from " << guess;
        }
}

// Regression: the bulk density of boiling liquid was mass-weighted on densities; the vapour
// volume fraction it was solved for must come back from it.
TEST_F(PalliserInclusions, BoilingWithAVapourVolume) {
    double P = 0, xL = 0, xV = 0, rhoL = 0, rhoV = 0, rhoMix = 0;
    model.calculateBoilingPointWithGasVolume(300.0, 0.1, 0.5, P, xL, xV, rhoL, rhoV, rhoMix);
    ASSERT_EQ(model.failed, 0);
    EXPECT_NEAR((rhoMix - rhoV) / (rhoL - rhoV), 0.5, 1e-6);  // volume fraction of liquid
    double P0 = 0, xV0 = 0, rhoL0 = 0, rhoV0 = 0;
    model.calculateBubblePoint(300.0, 0.1, P0, xV0, rhoL0, rhoV0);
    EXPECT_LT(P, P0);
    model.calculateBoilingPointWithGasVolume(300.0, 0.1, 0.0, P, xL, xV, rhoL, rhoV, rhoMix);
    EXPECT_EQ(P, P0);
    EXPECT_EQ(rhoMix, rhoL0);
    model.calculateBoilingPointWithGasVolume(300.0, 0.1, 1.5, P, xL, xV, rhoL, rhoV, rhoMix);
    EXPECT_EQ(model.failed, 1);
    EXPECT_EQ(rhoMix, -1.0);
}

// Regression: pure water and brines of a millionth of a percent and less had no boiling point
// with a vapour volume (their vapour fills a tenth of the volume within a part in 1e12 of the
// bubble pressure, inside one step of the scan): the boiling panel drew no curve for them.
// Pure water boils at its saturation pressure with the phases in the shares asked for
// (IAPWS-95 at 100 degC: 958.349 and 0.598170 kg/m3, so 862.574 with a tenth of vapour).
TEST_F(PalliserInclusions, BoilingWithAVapourVolumeAtTheWaterEnd) {
    double P = 0, xL = 0, xV = 0, rhoL = 0, rhoV = 0, rhoMix = 0;
    model.calculateBoilingPointWithGasVolume(100.0, 0.0, 0.1, P, xL, xV, rhoL, rhoV, rhoMix);
    ASSERT_EQ(model.failed, 0);
    EXPECT_NEAR(P, 1.01417997, 1e-7);
    EXPECT_NEAR(rhoMix, 0.9 * 958.34905 + 0.1 * 0.598170, 1e-5 * rhoMix);
    model.calculateFluidDensity(100.0, P, 0.0, rhoMix);
    EXPECT_NEAR(model.vapourVolumeFraction, 0.1, 1e-9);
    for (double T : {0.01, 100.0, 300.0, 370.0})
        for (double x : {0.0, 1e-10, 1e-8, 1e-6, 1e-4})
            for (double f : {0.1, 0.9}) {
                model.calculateBoilingPointWithGasVolume(T, x, f, P, xL, xV, rhoL, rhoV, rhoMix);
                ASSERT_EQ(model.failed, 0) << T << " " << x << " " << f;
                double P0 = 0, xV0 = 0, rhoL0 = 0, rhoV0 = 0;
                model.calculateBubblePoint(T, x, P0, xV0, rhoL0, rhoV0);
                EXPECT_LE(P, P0) << T << " " << x << " " << f;
                EXPECT_NEAR(P, P0, 1e-3 * P0) << T << " " << x << " " << f;
                EXPECT_NEAR((rhoMix - rhoV) / (rhoL - rhoV), 1.0 - f, 1e-6) << T << " " << x;
                model.calculateFluidDensity(T, P, x, rhoMix);
                EXPECT_NEAR(model.vapourVolumeFraction, f, 2e-2) << T << " " << x << " " << f;
            }
    CurveArray curve;
    model.calculateBoilingCurveWithGasVolume(curve, 0.0, 10.0, 374.15, 100.0);
    // 100 .. 373 degC and the critical point: at 374 degC water is above its critical point.
    EXPECT_EQ(curve.size(), 3u * 275);
}

// Regression: pure water between its critical point (373.946 degC) and 374.15 degC "boiled" on
// the surface's carried edge, a liquid and a vapour both of 322 kg/m3, with any vapour volume:
// at 374 degC and 220.696 bar the bulk density came out 322 kg/m3, where water is one fluid of
// 268.460 kg/m3 (IAPWS-95) and the state there says so. One fluid has no boiling point.
TEST_F(PalliserInclusions, PureWaterAboveItsCriticalPointHasNoBoilingPoint) {
    double P = 0, xL = 0, xV = 0, rhoL = 0, rhoV = 0, rhoMix = 0;
    for (double T : {374.0, 374.1, 374.15})
        for (double f : {0.0, 0.1, 0.9}) {
            model.calculateBoilingPointWithGasVolume(T, 0.0, f, P, xL, xV, rhoL, rhoV, rhoMix);
            EXPECT_EQ(model.failed, 1) << T << " " << f;
            EXPECT_EQ(rhoMix, -1.0) << T << " " << f;
        }
    const double rho = model.calculateFluidDensity(374.0, 220.69556521739128, 0.0, -1.0);
    EXPECT_EQ(model.region, PalliserModel::kOnePhase);
    EXPECT_NEAR(rho, 268.4601019, 1e-6 * rho);
    // Just below its critical point water still boils, its phases apart.
    model.calculateBoilingPointWithGasVolume(373.9, 0.0, 0.5, P, xL, xV, rhoL, rhoV, rhoMix);
    ASSERT_EQ(model.failed, 0);
    EXPECT_GT(rhoL, rhoV);
    EXPECT_NEAR(rhoMix, 0.5 * (rhoL + rhoV), 1e-9 * rhoMix);
}

// The boiling point with a vapour volume is a state of the model: at its pressure the bulk
// fluid holds that volume of vapour, whose salt (a fifth of the vapour's mass near 800 degC)
// counts in the lever rule, and its bulk density is the state's lever-rule one.
TEST_F(PalliserInclusions, BoilingWithAVapourVolumeIsTheStateAtItsPressure) {
    int checked = 0;
    for (double T : {300.0, 500.0, 700.0, 790.0, 900.0})
        for (double w : {5.0, 30.0, 60.0})
            for (double f : {0.1, 0.3, 0.6}) {
                const double x = w / 100.0;
                double P = 0, xL = 0, xV = 0, rhoL = 0, rhoV = 0, rhoMix = 0;
                model.calculateBoilingPointWithGasVolume(T, x, f, P, xL, xV, rhoL, rhoV, rhoMix);
                if (model.failed) continue;
                const double wL = (x - xV) / (xL - xV);
                EXPECT_NEAR(rhoMix, 1.0 / (wL / rhoL + (1.0 - wL) / rhoV), 1e-9 * rhoMix)
                    << T << " " << w << " " << f;
                model.calculateFluidDensity(T, P, x, -1.0);
                ASSERT_EQ(model.region, PalliserModel::kLiquidVapour) << T << " " << w << " " << f;
                EXPECT_NEAR(model.vapourVolumeFraction, f, 1e-6) << T << " " << w << " " << f;
                ++checked;
            }
    EXPECT_GE(checked, 20);
}

// A hydrothermal geotherm, 100 degC at the surface rising 0.25 degC/m: the three column models
// agree to a few percent and each solution lies on both curves.
TEST_F(PalliserInclusions, GeothermMeetsTheBoilingCurve) {
    double depths[3] = {};
    int k = 0;
    for (double column : {-1.0, 0.0, 1000.0}) {
        double T = 0, P = 0, depth = 0, rhoL = 0;
        model.calculateGeothermBubblePoint(100.0, 0.0, 1.0, 0.25, 0.1, column, T, P, depth, rhoL);
        ASSERT_EQ(model.failed, 0) << column;
        EXPECT_NEAR(T, 100.0 + 0.25 * depth, 1e-6);
        double Pb = 0, xV = 0, rL = 0, rV = 0;
        model.calculateBubblePoint(T, 0.1, Pb, xV, rL, rV);
        EXPECT_NEAR(Pb, P, 1e-6 * P);
        depths[k++] = depth;
    }
    EXPECT_NEAR(depths[1], depths[0], 0.05 * depths[0]);
    EXPECT_NEAR(depths[2], depths[0], 0.15 * depths[0]);
}

// Regression: the geotherm's boiling point was a secant from 10 degC below the critical point
// and missed 8 of 98 crossings that a scan finds (a steep geotherm from 10 or 50 degC over a
// 1 wt % brine in a column of 1000 kg/m3; a gentle one from 100 or 150 degC over 5 to 20 wt %,
// boiling at its top, meets the curve at the bottom of its boiling zone). Each lies on the
// geotherm and on the bubble curve, below the top.
TEST_F(PalliserInclusions, GeothermCrossingsFromAnyTop) {
    const struct {
        double T0, gradient, x, column;
    } cases[] = {{10, 1, 0.01, 1000},     {50, 0.25, 0.01, 1000},  {50, 1, 0.01, 1000},
                 {100, 0.03, 0.05, -1},   {100, 0.03, 0.1, -1},    {150, 0.03, 0.05, -1},
                 {150, 0.03, 0.1, -1},    {150, 0.03, 0.2, 1000}};
    for (auto [T0, gradient, x, column] : cases) {
        SCOPED_TRACE(::testing::Message() << T0 << " " << gradient << " " << x << " " << column);
        double T = 0, P = 0, depth = 0, rhoL = 0;
        model.calculateGeothermBubblePoint(T0, 0.0, 1.0, gradient, x, column, T, P, depth, rhoL);
        ASSERT_EQ(model.failed, 0);
        EXPECT_GE(depth, 0.0);
        EXPECT_NEAR(T, T0 + gradient * depth, 1e-6);
        double Pb = 0, xV = 0, rL = 0, rV = 0;
        model.calculateBubblePoint(T, x, Pb, xV, rL, rV);
        EXPECT_NEAR(Pb, P, 1e-6 * P);
        EXPECT_NEAR(depth, (P - 1.0) * 1e5 / (9.81 * (column > 0 ? column : rL)), 1e-6 * depth);
    }
}

// Regression: a bubble point that could not be found counted as 0 in the depth integral.
TEST_F(PalliserInclusions, DepthFailsWhereTheColumnHasNoBubblePoint) {
    double depth = 0.0;
    EXPECT_TRUE(model.convertPressureToDepth(0.1, 1.0, 50.0, 0.0, depth));
    EXPECT_GT(depth, 400.0);
    EXPECT_FALSE(model.convertPressureToDepth(0.1, 1.0, 3000.0, 0.0, depth));
    EXPECT_EQ(depth, -1.0);
    double T = 0, P = 0, rhoL = 0;
    model.calculateGeothermBubblePoint(10.0, 0.0, 1.0, 0.001, std::nan(""), 0.0, T, P, depth, rhoL);
    EXPECT_EQ(T, -1.0);
}

// The KCl-H2O ice-melting curve: each row is the freezing point of its salinity, pure water
// melts at 0 degC, the melting point falls with salinity, and in the dilute limit the
// depression lies between the ideal 2 Kf m and the Debye-Huckel limiting law's 2 Kf m phi,
// phi = 1 - A |z+ z-| sqrt(m) (Kf = R T0^2 M_w / dH_fus = 1.860 K kg/mol with dH_fus 6.008
// kJ/mol; A the osmotic Debye-Huckel slope, 0.3767 kg^1/2 mol^-1/2 at 0 degC), and per unit of mass
// fraction KCl depresses less than NaCl, near the ratio of their molar masses 58.443/74.551 (within
// 5 %).
TEST_F(PalliserInclusions, IceMeltingCurveOfKCl) {
    CurveArray curve, nacl;
    model.calculateIceMeltingCurve(curve, 0.0);
    model.calculateIceMeltingCurve(nacl, 1.0);
    ASSERT_EQ(curve.size(), 202u);
    ASSERT_EQ(nacl.size(), 202u);
    EXPECT_EQ(curve[1], 0.0);
    for (std::size_t i = 0; i < 101; ++i) {
        EXPECT_NEAR(curve[2 * i], 0.4 * static_cast<double>(i), 1e-12);
        double T = 0.0;
        model.calculateFreezingTemperature(curve[2 * i] / 100.0, 0.0, T);
        EXPECT_EQ(curve[2 * i + 1], T);
        if (i > 0) {
            EXPECT_LT(curve[2 * i + 1], curve[2 * i - 1]) << curve[2 * i];
        }
    }
    const double Kf = 1.860, A = 0.3767;
    for (const auto& [f, molarMass] : {std::pair{0.0, 74.551e-3}, std::pair{1.0, 58.443e-3}}) {
        const double w = 0.004, m = w / (molarMass * (1.0 - w));
        double T = 0.0;
        model.calculateFreezingTemperature(w, f, T);
        EXPECT_LT(-T, 2.0 * Kf * m) << f;
        EXPECT_GT(-T, 2.0 * Kf * m * (1.0 - A * std::sqrt(m))) << f;
    }
    const double ratio = nacl[2 * 10 + 1] / curve[2 * 10 + 1];  // at 4 wt %
    EXPECT_NEAR(ratio, 74.551 / 58.443, 0.05 * 74.551 / 58.443);
}

// Regression: counting the homogenisations left the failure flag of the search's last
// evaluation, so a count that succeeded could read as failed. A count clears the flag of a
// failed call before it, and one of no number raises it.
TEST_F(PalliserInclusions, CountingHomogenisationsClearsAnEarlierFailure) {
    double P = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    model.calculateBubblePoint(380.0, 0.20, P, xV, rhoL, rhoV);
    ASSERT_EQ(model.failed, 0);
    for (double T0 : {20.0, 340.0, 379.0}) {
        model.calculateThLiq(0.20, NAN, T0, P);
        ASSERT_EQ(model.failed, 1);
        EXPECT_GE(model.countHomogenisationsToLiquid(0.20, rhoL, T0), 1) << T0;
        EXPECT_EQ(model.failed, 0) << T0;
        EXPECT_EQ(model.countHomogenisationsToLiquid(0.20, rhoL, NAN), 0);
        EXPECT_EQ(model.failed, 1);
        // A vapour-like inclusion never homogenises to liquid: none, and no failure.
        EXPECT_EQ(model.countHomogenisationsToLiquid(0.20, 0.3 * rhoV, T0), 0) << T0;
        EXPECT_EQ(model.failed, 0) << T0;
    }
}

// An inclusion that is one phase just above its Th can hold liquid and vapour again further up:
// where its bubble-point liquid grows denser again, or near its critical point. Regression: of
// those, the ones whose bubble-point liquid does not come back to their density were counted
// once, so no note said it (5 wt %, 482 kg/m3: Th 383.44 degC, liquid and vapour again up to
// 430.07 degC, where its isochore from above ends; 35 wt %, 700 kg/m3: Th 843.13 degC, again
// from 883 to 894 degC).
TEST_F(PalliserInclusions, SplitsAfterHomogenisationAreCounted) {
    struct Case {
        double w, rho, Th, from, to;
    } cases[] = {{5.0, 482.0, 383.44, 384.0, 430.07}, {35.0, 700.0, 843.13, 883.0, 894.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.w << " wt %, " << c.rho << " kg/m3");
        const double x = c.w / 100.0;
        double P = 0.0;
        const double Th = model.calculateThLiq(x, c.rho, 20.0, P);
        ASSERT_EQ(model.failed, 0);
        EXPECT_NEAR(Th, c.Th, 0.01);
        const auto splits = model.splitsAfterHomogenisation(x, c.rho, Th);
        ASSERT_EQ(splits.size(), 1u);
        EXPECT_NEAR(splits[0].first, c.from, 1.0);
        EXPECT_NEAR(splits[0].second, c.to, 1.0);
        EXPECT_EQ(model.countHomogenisationsToLiquid(x, c.rho, 20.0), 2);
        // The fluid the fixed-density search finds: liquid and vapour inside, one phase on
        // either side.
        const double mid = 0.5 * (splits[0].first + splits[0].second);
        EXPECT_GT(model.pressureForBulkDensity(mid, 500.0, c.rho, x), 0.0);
        EXPECT_EQ(model.region, PalliserModel::kLiquidVapour);
        for (double T : {0.5 * (Th + splits[0].first), splits[0].second + 2.0}) {
            EXPECT_GT(model.pressureForBulkDensity(T, 500.0, c.rho, x), 0.0) << T;
            EXPECT_EQ(model.region, PalliserModel::kOnePhase) << T;
        }
    }
    // The isochore traced down from above ends where the last split does.
    CurveArray iso;
    double P0 = model.pressureForBulkDensity(440.0, 500.0, 482.0, 0.05);
    model.calculateTheIsochor(iso, 0.05, 440.0, P0, 300.0, 482.0);
    ASSERT_GE(iso.size(), 4u);
    const auto splits = model.splitsAfterHomogenisation(0.05, 482.0, 383.44);
    ASSERT_FALSE(splits.empty());
    EXPECT_NEAR(iso[iso.size() - 2], splits.back().second, 0.01);
    EXPECT_EQ(model.failed, 0);
    EXPECT_TRUE(model.splitsAfterHomogenisation(0.05, NAN, 383.44).empty());
    EXPECT_EQ(model.failed, 1);
}

}  // namespace
}  // namespace vornex
