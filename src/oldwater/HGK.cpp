#include "oldwater/HGK.h"

#include <cmath>

#include "expression/BinOp.h"
#include "expression/UnOp.h"
#include "water/HGKid.h"

namespace vornex {

namespace {

// Temperature reduction of both functions, 647.073 K, and the system's gas constant: the
// residual's coefficients are molar energies divided by R T.
constexpr double kT0 = 647.073;
// The base function on the density in g/cm3 of molar mass 18.015268 g/mol, the residual
// function on that of the formulation's 18.0152 g/mol.
constexpr ReducingState kBaseReducing = {kT0, 1.8015268e-5, 8.31434};
constexpr ReducingState kResidualReducing = {kT0, 1.80152e-5, 8.31434};

// Residual-function constants g_i (J/g) with their powers k_i of 1 - exp(-rho) and l_i of
// tau (Haar, Gallagher and Kell 1984, Table of the residual function).
struct ResidualTerm {
    int k;
    int l;
    double g;
};
constexpr ResidualTerm kResidual[36] = {
    {1, 1, -530.62968529023}, {1, 2, 2274.4901424408},  {1, 4, 787.79333020687},
    {1, 6, -69.830527374994}, {2, 1, 17863.832875422},  {2, 2, -39514.731563338},
    {2, 4, 33803.884280753},  {2, 6, -13855.050202703}, {3, 1, -256374.3661326},
    {3, 2, 482125.75981415},  {3, 4, -341830.1696966},  {3, 6, 122231.56417448},
    {4, 1, 1179743.3655832},  {4, 2, -2173481.0110373}, {4, 4, 1082995.216862},
    {4, 6, -254419.98064049}, {5, 1, -3137777.4947767}, {5, 2, 5291191.0757704},
    {5, 4, -1380257.7177877}, {5, 6, -251099.14369001}, {6, 1, 4656182.6115608},
    {6, 2, -7275277.3275387}, {6, 4, 417742.46148294},  {6, 6, 1401635.8244614},
    {7, 1, -3155523.1392127}, {7, 2, 4792966.6384584},  {7, 4, 409126.64781209},
    {7, 6, -1362636.9388386}, {9, 1, 696252.20862664},  {9, 2, -1083490.0096447},
    {9, 4, -227228.27401688}, {9, 6, 383654.8600066},   {3, 0, 6883.3257944332},
    {3, 3, 21757.245522644},  {1, 3, -2662.794482977},  {5, 3, -70730.418082074},
};
constexpr double kResidualMolarMass = 18.0152;  // g/mol

// The four additional terms, phi_i = delta_i^p exp(-a delta_i^q - b tau_i^2) with
// delta_i = rho/rho_i - 1 and tau_i = T/T_i - 1, and their g_i (J/g); g40 = -93.0 is the
// published coefficient of the fourth.
struct AdditionalTerm {
    double rho, Ti;  // g/cm3, K
    int p, q;
    double a, b, g;
};
constexpr AdditionalTerm kAdditional[4] = {
    {0.319, 640.0, 0, 2, 34.0, 20000.0, -0.225},
    {0.319, 640.0, 2, 2, 40.0, 20000.0, -1.68},
    {0.319, 641.6, 0, 2, 30.0, 40000.0, 0.055},
    {1.55, 270.0, 0, 4, 1050.0, 25.0, -93.0},
};
constexpr double kAdditionalMolarMass = 18.015268;  // g/mol

std::string numbered(const char* stem, int i) {
    return stem + std::to_string(i);
}

}  // namespace

HGKbase::HGKbase() : ReducedTerm(kBaseReducing) {
    setModelName("HGK base");
    Leaf& tau = leaves_.tau();
    Leaf& rho = leaves_.delta();
    auto& lnTau = tied<Logarithm>(nodes_, "lntau", tau);
    lnTau.set_scalars3(1.0, 0.0, 0.0);
    // b(T) = 0.7478629 - 0.3540782 ln(T/T0) + 0.007159876 tau^3 - 0.003528426 tau^5
    auto& b = weightedSum(nodes_, "bv2", {&lnTau, &build_.tauPower(3), &build_.tauPower(5)},
                          {0.3540782, 0.007159876, -0.003528426}, 0.7478629);
    // B(T) = 1.1278334 - 0.5944001 tau - 5.010996 tau^2 + 0.63684256 tau^4
    auto& B = weightedSum(nodes_, "Bv2", {&tau, &build_.tauPower(2), &build_.tauPower(4)},
                          {-0.5944001, -5.010996, 0.63684256}, 1.1278334);
    auto& y = tied<Product>(nodes_, "y", b, rho);
    y.set_scalars1(0.25);
    auto& my = tied<Sum1>(nodes_, "my", y);
    my.set_scalars2(-1.0, 1.0);
    auto& imy = tied<Inverse>(nodes_, "imy", my);
    imy.set_scalars1(1.0);
    auto& imy2 = tied<Inverse2>(nodes_, "imy2", my);
    imy2.set_scalars1(1.0);
    auto& lmy = tied<Logarithm>(nodes_, "lmy", my);
    lmy.set_scalars3(1.0, 0.0, 0.0);
    auto& ratio = tied<Division>(nodes_, "Bv2bv2", B, b);
    ratio.set_scalars1(1.0);
    auto& shiftedRatio = tied<Sum1>(nodes_, "B", ratio);
    shiftedRatio.set_scalars2(1.0, -3.5);
    auto& By = tied<Product>(nodes_, "By", y, shiftedRatio);
    By.set_scalars1(1.0);
    auto& lnRho = tied<Logarithm>(nodes_, "logrho", rho);
    lnRho.set_scalars3(1.0, 0.0, 0.0);
    // ln(rho R T/p0) = ln rho - ln tau + ln(0.4615 T0/0.101325)
    makeRoot({&lmy, &imy, &imy2, &By, &lnRho, &lnTau},
             {-1.0, -130.0 / 3.0, 169.0 / 6.0, 4.0, 1.0, -1.0},
             91.0 / 6.0 + std::log(0.4615 * kT0 / 0.101325));
}

HGKres::HGKres() : ReducedTerm(kResidualReducing) {
    setModelName("HGK residual");
    Leaf& tau = leaves_.tau();
    Leaf& rho = leaves_.delta();
    std::vector<Expression*> terms;
    std::vector<double> c;
    auto& K1 = tied<Exponential>(nodes_, "K1", rho);  // 1 - exp(-rho)
    K1.set_scalars3(1.0, -1.0, -1.0);
    for (int i = 0; i < 36; ++i) {
        const ResidualTerm& t = kResidual[i];
        Expression& K = build_.integerPower("K", K1, t.k);
        terms.push_back(&build_.timesTauPower(numbered("B", i + 1), K, t.l));
        c.push_back(kResidualMolarMass * t.g / t.k);
    }
    auto& T = tied<Inverse>(nodes_, "T", tau);  // T = T0/tau
    T.set_scalars1(kT0);
    for (int i = 0; i < 4; ++i) {
        const AdditionalTerm& t = kAdditional[i];
        const std::string n = std::to_string(i + 37);
        auto& deltaI = tied<Sum1>(nodes_, "delta" + n, rho);
        deltaI.set_scalars2(1.0 / t.rho, -1.0);
        auto& tauI = tied<Sum1>(nodes_, "tau" + n, T);
        tauI.set_scalars2(1.0 / t.Ti, -1.0);
        Expression& deltaQ = build_.integerPower("delta" + n + "_", deltaI, t.q);
        Expression& tau2 = build_.integerPower("tau" + n + "_", tauI, 2);
        auto& exponent = tied<Sum2>(nodes_, "u" + n, deltaQ, tau2);
        exponent.set_scalars3(-t.a, -t.b, 0.0);
        auto& e = tied<Exponential>(nodes_, "e" + n, exponent);
        e.set_scalars3(0.0, 1.0, 1.0);
        Expression* phi = &e;
        if (t.p > 0) {
            auto& product = tied<Product>(nodes_, "B" + n,
                                          build_.integerPower("delta" + n + "_", deltaI, t.p), e);
            product.set_scalars1(1.0);
            phi = &product;
        }
        terms.push_back(phi);
        c.push_back(kAdditionalMolarMass * t.g);
    }
    auto& sum = weightedSum(nodes_, "A1", terms, c, 0.0);
    auto& A0 = tied<Sum1>(nodes_, "A0", tau);  // 1/(R T) = tau/(R T0)
    A0.set_scalars2(1.0 / (kResidualReducing.R * kT0), 0.0);
    auto& a = tied<Product>(nodes_, "Ares", A0, sum);
    a.set_scalars1(1.0);
    makeRoot({&a});
}

HGK::HGK(int phase) : WaterEOS(2, phase, 0) {
    addStabilityProbe(new HGKbase);
    addStabilityProbe(new HGKres);
    spinodalCeiling = 647.126;
    setInteraction(0, new HGKbase);
    setInteraction(1, new HGKres);
    setIdealTerm(new HGKid);
    setUpPureWater("HaarGallagherKell", 1.7e-5, 2e-4);
}

HGK::~HGK() = default;

}  // namespace vornex
