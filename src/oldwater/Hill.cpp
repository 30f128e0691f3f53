#include "oldwater/Hill.h"

#include <cmath>

#include "expression/BinOp.h"
#include "expression/UnOp.h"

namespace vornex {

namespace {

// The critical density of the formulation, 322.778 kg/m3, on the molar mass of water.
constexpr ReducingState kHillReducing = {647.067, kWaterMolarMass / 322.778, 8.31434};

// One term c X T1^k of a sum, X the damping function Ra_i ('R') or delta^i ('D').
struct HillTerm {
    char base;
    int i;
    int k;
    double c;
};
constexpr HillTerm kW1[18] = {
    {'R', 4, 0, 0.3384249125},    {'R', 5, 0, -0.07153393406}, {'R', 7, 0, 0.0005493680814},
    {'R', 3, 1, 0.04933218501},   {'R', 6, 1, -0.02328491212}, {'R', 7, 1, 0.002402095181},
    {'R', 1, 2, 0.7529422956},    {'R', 3, 2, -2.28026007},    {'R', 2, 3, 1.142004144},
    {'R', 3, 3, -2.619059624},    {'R', 5, 3, 0.4395237702},   {'R', 6, 3, -0.03161046646},
    {'R', 7, 3, 0.0006814467692}, {'R', 1, 4, -0.3924227294},  {'R', 3, 4, -0.2738770648},
    {'R', 4, 5, -0.01943443857},  {'R', 5, 5, 0.003048860434}, {'R', 3, 6, 0.003946510403},
};
constexpr HillTerm kW2[25] = {
    {'D', 1, 0, 0.2243610314},     {'D', 2, 0, 0.1193250201},  {'D', 5, 0, 0.06582959348},
    {'D', 5, 1, 0.1651430628},     {'D', 1, 2, -2.178969357},  {'D', 2, 2, 0.2674090542},
    {'D', 3, 2, 0.8647490995},     {'D', 1, 3, -0.1530432257}, {'D', 3, 3, 2.059881454},
    {'D', 6, 3, -0.4888628703},    {'D', 7, 3, 0.1375328753},  {'D', 5, 4, -0.9015180666},
    {'D', 6, 4, -0.1444258609},    {'D', 7, 4, 0.1558046279},  {'D', 4, 5, -2.740652563},
    {'D', 6, 5, 0.4983771706},     {'D', 4, 6, -3.261978564},  {'D', 5, 6, 1.609338784},
    {'D', 1, 7, 0.03484674963},    {'D', 2, 7, -1.537646434},  {'D', 5, 7, 0.2316225257},
    {'D', 2, 8, -1.419249232},     {'D', 3, 8, 0.7969984635},  {'D', 5, 9, 0.007510544627},
    {'D', 1, 11, 0.0005364384732},
};
// Term 2 is delta^4 T1^2 and the coefficient of term 9 +0.0252613708, as published.
constexpr HillTerm kW3[12] = {
    {'D', 2, 2, 0.6109381296},  {'D', 4, 2, -0.01906644459}, {'D', 6, 2, 0.007976092188},
    {'D', 2, 3, 1.934466766},   {'D', 2, 4, 1.921820547},    {'D', 4, 4, -0.04410105919},
    {'D', 2, 5, 0.6130354419},  {'D', 3, 5, -0.2855258689},  {'D', 6, 5, 0.0252613708},
    {'D', 3, 6, -0.2374074642}, {'D', 5, 6, 0.03855866402},  {'D', 6, 6, 0.00804167215},
};
constexpr HillTerm kW4[9] = {
    {'R', 3, 0, -16.3543903},    {'R', 1, 1, -50.25818675},     {'R', 2, 3, 0.164900304},
    {'R', 1, 4, -0.8499893502},  {'R', 1, 8, 0.008314382544},   {'R', 2, 8, 0.0008781327858},
    {'R', 2, 9, 0.001537391213}, {'R', 3, 9, -0.0009016873786}, {'R', 5, 9, 0.0003326628664},
};

constexpr TauPowerCoefficient kHillTheta[4] = {
    {-0.36460138, -1.0}, {-0.036897043, -2.0}, {0.003033815, -3.0}, {0.000390109, -4.0}};

IdealGasTable hillIdealTable() {
    return {false,
            -8.34240569963,
            7.07501275112,
            2.4131785,
            -0.11359287,
            kHillTheta,
            {},
            -std::log(kHillReducing.Vc)};
}

}  // namespace

HillRes::HillRes() : ReducedTerm(kHillReducing) {
    setModelName("Hill residual");
    Leaf& tau = leaves_.tau();
    Leaf& delta = leaves_.delta();
    Expression& delta2 = build_.deltaPower(2);
    auto& lnDelta = tied<Logarithm>(nodes_, "logrho", delta);
    lnDelta.set_scalars3(1.0, 0.0, 0.0);
    auto& E = tied<Exponential>(nodes_, "E", delta2);  // exp(-delta^2)
    E.set_scalars3(0.0, 1.0, -1.0);
    // 1 - exp(-delta^2) of its own, not 1 - E: in a dilute gas (delta^2 below 1e-16, some
    // 2e-5 kg/m3) 1 - E is 0 and the second virial coefficient loses the terms it carries.
    auto& mE = tied<Exponential>(nodes_, "mE", delta2);
    mE.set_scalars3(1.0, -1.0, -1.0);
    // Ra1 = (1 - exp(-delta^2))/delta; Ra2 = (1 - exp(-delta^2)) ln delta - delta^2 ln delta
    // + delta^2/2; Ra_i = (1 - exp(-delta^2)) delta^(i-2), i = 3 ... 7.
    std::vector<Expression*> Ra(8, nullptr);
    Ra[1] = &tied<Division>(nodes_, "Ra1", mE, delta);
    Ra[1]->set_scalars1(1.0);
    auto& mElog = tied<Product>(nodes_, "mElogrho", mE, lnDelta);
    auto& d2log = tied<Product>(nodes_, "rho2logrho", delta2, lnDelta);
    Ra[2] = &weightedSum(nodes_, "Ra2", {&mElog, &d2log, &delta2}, {1.0, -1.0, 0.5}, 0.0);
    for (int i = 3; i <= 7; ++i)
        Ra[static_cast<size_t>(i)] =
            &tied<Product>(nodes_, "Ra" + std::to_string(i), mE, build_.deltaPower(i - 2));
    // Written in tau = -T1: odd powers of T1 change sign.
    auto sum = [&](const char* name, const auto& table) -> Sum& {
        std::vector<Expression*> terms;
        std::vector<double> c;
        for (const HillTerm& t : table) {
            Expression& x = t.base == 'R' ? *Ra[static_cast<size_t>(t.i)] : build_.deltaPower(t.i);
            const std::string stem = (t.base == 'R' ? "Ra" : "ro") + std::to_string(t.i);
            terms.push_back(&build_.timesTauPower(stem + "T" + std::to_string(t.k), x, t.k));
            c.push_back(t.k % 2 ? -t.c : t.c);
        }
        return weightedSum(nodes_, name, terms, c, 0.0);
    };
    Sum& W1 = sum("W1", kW1);
    Sum& W2 = sum("W2", kW2);
    Sum& W3 = sum("W3", kW3);
    Sum& W4 = sum("W4", kW4);
    // G0 = 340 tau + 23 delta - 130 tau^2 - 12 delta^2 - 221
    auto& G0 = weightedSum(nodes_, "G0", {&tau, &delta, &build_.tauPower(2), &delta2},
                           {340.0, 23.0, -130.0, -12.0}, -221.0);
    auto& G = tied<Exponential>(nodes_, "G", G0);
    G.set_scalars3(0.0, 1.0, 1.0);
    auto& H0 = tied<Sum1>(nodes_, "H0", tau);  // -4 (T1 + 3) = 4 tau - 12
    H0.set_scalars2(4.0, -12.0);
    auto& H = tied<Exponential>(nodes_, "H", H0);
    H.set_scalars3(0.0, 1.0, 1.0);
    auto& EW2 = tied<Product>(nodes_, "EW2", E, W2);
    auto& GW3 = tied<Product>(nodes_, "GW3", G, W3);
    auto& HW4 = tied<Product>(nodes_, "HW4", H, W4);
    makeRoot({&lnDelta, &W1, &EW2, &GW3, &HW4});
}

Hillid::Hillid() : ReducedIdeal(kHillReducing, hillIdealTable()) {
    setModelName("Hill ideal");
}

Hill::Hill(int phase) : WaterEOS(1, phase, 0) {
    setInteraction(0, new HillRes);
    setIdealTerm(new Hillid);
    setUpPureWater("Hill", 1.8e-5, 2e-4);
    Tcrit = 647.0;
    // The model's isotherms are flat over 50-65 cm3/mol near its critical point; from 56
    // cm3/mol the search ends on the inflection below it.
    Vcrit = 5.8e-5;
}

Hill::~Hill() = default;

}  // namespace vornex
