// The Duan-Moller-Weare mixture term: pure constants mixed by the rules of Duan, Moller
// and Weare (Geochim. Cosmochim. Acta 56 (1992) 2619), with the binary parameters k1, k2,
// k3 of CO2-H2O and CH4-H2O fitted there and those of CH4-CO2 the model has carried.
#include <cmath>
#include <cstdio>

#include "dkl/Duan.h"
#include "numerics/Decimal.h"
#include "dkl/TermLeaves.h"
#include "expression/BinOp.h"
#include "expression/Geom.h"
#include "expression/Sum.h"
#include "expression/SumF.h"
#include "fluid/Phase.h"

namespace vornex {

namespace {

// One temperature range of one pair: k1, k2, k3 as c0 + c1 T + c2 T^2 + c3/T + c4 ln T.
// k2 multiplies the C constant of two molecules of the pair's first species: the water
// content of CH4 and CO2 gas (the vapour side of the fit) is governed by the C constant of
// two gas molecules and one water molecule, and only this assignment keeps it rising with
// pressure as measured (CO2 at 373 K: y(H2O) 0.0160 at 200 bar, 0.0183 at 500; the other
// gives 0.0142 and 0.0129); for CH4-CO2 the other gives 168 cm3/mol at 300 K, 100 bar
// and x(CO2) 0.8, where the mixture is near 105.
struct PairRange {
    int16_t selector;
    double low;
    bool lowClosed;
    double high;
    bool highClosed;
    double k[3][5];
};

// clang-format off
constexpr PairRange kPairRanges[] = {
    {kDuanCO2H2O, 323.15, true, 373.15, true,
     {{0.20611, 0.0006, 0, 0, 0}, {0.8023278, -0.0022206, 0, 184.76824, 0}, {1.80544, -0.0032605, 0, 0, 0}}},
    {kDuanCO2H2O, 373.15, false, 495.15, true,
     {{-10084.5042, -4.27134485, 0.00166997474, 256477.783, 1816.78},
      {9.000263, -0.00623494, 0, -2307.7125, 0},
      {-74.1163, 0.1800496, -0.000140904946, 10130.5246, 0}}},
    {kDuanCO2H2O, 495.15, false, 623.15, true,
     {{-0.3568, 0.00078888, 0, 333.399, 0}, {-19.97444, 0.0192515, 0, 5707.4229, 0},
      {12.1308, -0.0099489, 0, -3042.09583, 0}}},
    {kDuanCO2H2O, 623.15, false, 1273.15, true,
     {{-4.53122, 0.0042113, 0, 1619.7, 0}, {-163.4855, 0.190552, -7.228514e-05, 46082.885, 0},
      {1.7137, -0.00067136, 0, 0, 0}}},
    {kDuanCH4H2O, 311.15, true, 363.15, false,
     {{-0.108948, 0.00035, 0, 0, 0},
      {72992.5023, 41.0912234, -0.020488391, -1532639.28, -13739.4496},
      {16.6726, -0.0215979, 0, -2845.934, 0}}},
    {kDuanCH4H2O, 363.15, true, 513.15, false,
     {{-0.108948, 0.00035, 0, 0, 0}, {-36.3512, 0.08256278, -6.175e-05, 5515.0249, 0},
      {0.5038515, 0.00102381, 0, 0, 0}}},
    {kDuanCH4H2O, 513.15, true, 1273.15, true,
     {{42.1575, -0.05, 0, 0, 0}, {1, 0, 0, 0, 0}, {1, 0, 0, 0, 0}}},
    {kDuanCH4CO2, 273.15, true, 305.15, true,
     {{0.38, 0, 0, 0, 0}, {1.74094, -0.0058903, 0, 0, 0}, {1.59, 0, 0, 0, 0}}},
    // The CH4-CO2 row printed for 305.15 to 498.15 K (k1 1.1, k2 3.211 - 0.0158 T -
    // 537.814/T, k3 -0.7) is not taken: its k2 of -3.4 to -5.7 makes the cross C constant
    // strongly attractive in either order of k2 and k3, and the mixture collapses onto a
    // root denser than solid CO2 (x(CO2) 0.5 at 400 K and 1000 bar: 18.7 cm3/mol, its gases
    // alone 47.2 and 55.5; at 320 K and 100 bar 27.7, the gases 97.1 and 236.9). The pair there
    // has k = 1, as above 498.15 K, which its states join without a step.
};
// clang-format on

bool inside(const PairRange& r, double TK) {
    const bool aboveLow = r.lowClosed ? TK >= r.low : TK > r.low;
    const bool belowHigh = r.highClosed ? TK <= r.high : TK < r.high;
    return aboveLow && belowHigh;
}

constexpr double kBinomial6[7] = {1, 6, 15, 20, 15, 6, 1};

double fallingFactorial(int n, int k) {
    double f = 1.0;
    for (int m = 0; m < k; ++m) f *= n - m;
    return f;
}

}  // namespace

Duan2::Duan2() {
    const char* comp[2] = {"0", "1"};
    for (int i = 0; i < 2; ++i) {
        B_[i] = &nodes_.make<Leaf>(std::string("B") + comp[i]);
        C_[i] = &nodes_.make<Leaf>(std::string("C") + comp[i]);
        D_[i] = &nodes_.make<Leaf>(std::string("D") + comp[i]);
        E_[i] = &nodes_.make<Leaf>(std::string("E") + comp[i]);
        F_[i] = &nodes_.make<Leaf>(std::string("F") + comp[i]);
        g_[i] = &nodes_.make<Leaf>(std::string("gama") + comp[i]);
    }
    // Defined parameters before the first temperature is known: k = 1.
    for (int m = 0; m < 3; ++m) k_[m] = &nodes_.make<BIPDuan>("k" + std::to_string(m + 1));
    for (int q = 0; q <= 6; ++q) x6_[q] = &nodes_.make<Leaf>("x6_" + std::to_string(q));

    // Children before their parents, so that the pool destroys parents first.
    Expression *sB[3], *sF[3], *sC[4], *sG[4], *sD[6], *xE[7];
    for (int q = 0; q <= 2; ++q) {
        sB[q] = &mixedConstant("sB", B_, 2 - q, q, 1, q == 1 ? k_[0] : nullptr);
        sF[q] = &mixedConstant("sF", F_, 2 - q, q, 2, nullptr);
    }
    for (int q = 0; q <= 3; ++q) {
        sC[q] = &mixedConstant("sC", C_, 3 - q, q, 2, q == 1 ? k_[1] : q == 2 ? k_[2] : nullptr);
        sG[q] = &mixedConstant("sgama", g_, 3 - q, q, 2, nullptr);
    }
    for (int q = 0; q <= 5; ++q) sD[q] = &mixedConstant("sD", D_, 5 - q, q, 4, nullptr);
    for (int q = 0; q <= 6; ++q) {
        Expression& e = mixedConstant("sE", E_, 6 - q, q, 5, nullptr);
        xE[q] = &tied<Product>(nodes_, "xE" + std::to_string(q), *x6_[q], e);
    }

    BdSum_ = &nodes_.make<SumX2>("Bd");
    CdSum_ = &nodes_.make<SumX3>("Cd");
    DdSum_ = &nodes_.make<SumX5>("Dd");
    FdSum_ = &nodes_.make<SumX2>("Fd");
    gamaSum_ = &nodes_.make<SumX3>("gama");
    for (SumF* s :
         {static_cast<SumF*>(BdSum_), static_cast<SumF*>(CdSum_), static_cast<SumF*>(DdSum_),
          static_cast<SumF*>(FdSum_), static_cast<SumF*>(gamaSum_)})
        s->defineXVariables(2, 2);
    // The index set of p indices 0 and q indices 1, non-increasing.
    auto indices = [](int p, int q, int* idx) {
        for (int m = 0; m < q; ++m) idx[m] = 1;
        for (int m = 0; m < p; ++m) idx[q + m] = 0;
    };
    int idx[6];
    for (int q = 0; q <= 2; ++q) {
        indices(2 - q, q, idx);
        BdSum_->tie_ij(idx[0], idx[1], sB[q]);
        FdSum_->tie_ij(idx[0], idx[1], sF[q]);
    }
    for (int q = 0; q <= 3; ++q) {
        indices(3 - q, q, idx);
        CdSum_->tie_ijk(idx[0], idx[1], idx[2], sC[q]);
        gamaSum_->tie_ijk(idx[0], idx[1], idx[2], sG[q]);
    }
    for (int q = 0; q <= 5; ++q) {
        indices(5 - q, q, idx);
        DdSum_->tie_ijklm(idx[0], idx[1], idx[2], idx[3], idx[4], sD[q]);
    }
    auto& EdSum = weightedSum(nodes_, "Ed", {xE, xE + 7}, {kBinomial6, kBinomial6 + 7}, 0.0);
    beta1Leaf_ = &nodes_.make<Leaf>("beta1");

    Bd = BdSum_;
    Cd = CdSum_;
    Dd = DdSum_;
    Ed = &EdSum;
    Fd = FdSum_;
    gama = gamaSum_;
    beta1 = beta1Leaf_;
    build_parse_graph();
}

Duan2::~Duan2() = default;

Expression& Duan2::mixedConstant(const std::string& name, Leaf* const* leaves, int p, int q,
                                 int power, BIPDuan* k) {
    const std::string tag = name + std::to_string(p) + std::to_string(q);
    Expression* child = q == 0 ? leaves[0] : p == 0 ? leaves[1] : nullptr;
    if (child == nullptr) {
        auto& mean = nodes_.make<Geom>("P" + tag);
        mean.number_of_terms(p + q);
        for (int m = 0; m < p + q; ++m) mean.tiei(m, *leaves[m < p ? 0 : 1]);
        mean.set_scalars3(1.0, 1.0 / 3.0, 0.0);
        child = &mean;
        if (k) child = &tied<Product>(nodes_, "k" + tag, *k, mean);
    }
    auto& scaled = tied<Sum1>(nodes_, tag, *child);
    scaled.set_scalars2(0.0, 0.0);
    scaled_.push_back({&scaled, p, q, power});
    return scaled;
}

void Duan2::number_of_components(int count) {
    if (count != 2) {
        vornex::cfprintf(stderr, "Can handle only two-component systems.\n");
        return;
    }
    sizeVolumeLeaves(2);
    for (int i = 0; i < 2; ++i)
        for (Leaf* leaf : {B_[i], C_[i], D_[i], E_[i], F_[i]}) dependOnly(*leaf, {0});
    for (int i = 0; i < 2; ++i) dependOnly(*g_[i], {});
    dependOnly(*x6_[0], {2});
    dependOnly(*x6_[6], {3});
    for (int q = 1; q < 6; ++q) dependOnly(*x6_[q], {2, 3});
    dependOnly(*beta1Leaf_, {2, 3});
    analyzeGraph();
}

double Duan2::pseudoVc(int p, int q) const {
    const double m = (p * std::cbrt(Vc[0]) + q * std::cbrt(Vc[1])) / (p + q);
    return m * m * m;
}

void Duan2::set_parameters(int i, double TcK, double Pbar, const double* constants) {
    if (i < 0 || i > 1) return;
    Tc[i] = TcK;
    Pc[i] = Pbar * 1e5;
    for (int k = 0; k < kDuanConstants; ++k) a[i][k] = constants[k];
    Vc[i] = kGasConstant * Tc[i] / Pc[i];
    hasComponent[i] = true;
    configured = hasComponent[0] && hasComponent[1];
    if (configured) {
        calculate_pseudo_critical_volumes();
        setScales();
    }
}

void Duan2::calculate_pseudo_critical_volumes() {
    for (int n : {2, 3, 5, 6})
        for (int q = 0; q <= n; ++q) vcpq[n - q][q] = pseudoVc(n - q, q);
}

void Duan2::setScales() {
    for (const Scaled& s : scaled_) s.node->set_scalars2(std::pow(vcpq[s.p][s.q], s.power), 0.0);
}

bool Duan2::choosePairParameters(double TK) {
    bool listed = false;
    for (const PairRange& r : kPairRanges) {
        if (r.selector != selector) continue;
        listed = true;
        if (!inside(r, TK)) continue;
        // k_[1] sits on the C constant of two molecules of component 0, k_[2] on that of two
        // of component 1.
        const int onFirst = pairReversed ? 2 : 1;
        const int order[3] = {0, onFirst, 3 - onFirst};
        for (int m = 0; m < 3; ++m) {
            const double* c = r.k[order[m]];
            k_[m]->setCoefficients(c[0], c[1], c[2], c[3], c[4]);
        }
        return true;
    }
    if (selector == kDuanCH4CO2 || !listed) {
        // CH4-CO2 outside its fitted range, and any pair without parameters: k = 1.
        for (int m = 0; m < 3; ++m) k_[m]->setCoefficients(1, 0, 0, 0, 0);
        return true;
    }
    return false;
}

void Duan2::calculate_virial_coefficients(int i) {
    double f[5];
    Leaf* leaves[4] = {B_[i], C_[i], D_[i], E_[i]};
    for (int m = 0; m < 4; ++m) {
        reducedTemperaturePolynomial(a[i][3 * m], a[i][3 * m + 1], a[i][3 * m + 2], Tc[i], T, 1.0,
                                     f);
        writePure(*leaves[m], 0, f);
    }
    reducedTemperaturePolynomial(0.0, 0.0, a[i][12], Tc[i], T, 1.0, f);
    writePure(*F_[i], 0, f);
    g_[i]->value() = a[i][14];
}

void Duan2::calculate_x6_derivatives() {
    const double x0 = x[0], x1 = x[1];
    for (int q = 0; q <= 6; ++q) {
        Leaf& leaf = *x6_[q];
        const int p = 6 - q;
        leaf.value() = std::pow(x0, p) * std::pow(x1, q);
        const int order = std::min(leaf.allocatedOrder(), 4);
        for (int k = 1; k <= order; ++k)
            for (int j = 0; j <= k; ++j) {  // j derivatives in x1, k - j in x0
                const int i = k - j;
                if (i > p || j > q) continue;
                const double d = fallingFactorial(p, i) * std::pow(x0, p - i) *
                                 fallingFactorial(q, j) * std::pow(x1, q - j);
                int v[4];
                for (int m = 0; m < k; ++m) v[m] = m < j ? 3 : 2;
                if (k == 1) leaf.d1(v[0]) = d;
                if (k == 2) *leaf.dvp(v[0], v[1]) = d;
                if (k == 3) *leaf.dvp(v[0], v[1], v[2]) = d;
                if (k == 4) *leaf.dvp(v[0], v[1], v[2], v[3]) = d;
            }
    }
}

void Duan2::calculate_fixed_parameters() {
    if (!configured) {
        // Without the constants of both gases there is no mixture to evaluate.
        error = 1;
        return;
    }
    for (BIPDuan* k : k_) k->T = T;
    if (!choosePairParameters(T)) error = 1;
    calculate_x6_derivatives();
    calculate_virial_coefficients(0);
    calculate_virial_coefficients(1);
    // The power means take cube roots: at a coefficient of 0 their derivatives are infinite.
    for (int i = 0; i < 2; ++i)
        for (Leaf* leaf : {B_[i], C_[i], D_[i], E_[i], F_[i], g_[i]})
            if (!(leaf->value() != 0.0) || !std::isfinite(leaf->value())) error = 1;
    for (SumF* s :
         {static_cast<SumF*>(BdSum_), static_cast<SumF*>(CdSum_), static_cast<SumF*>(DdSum_),
          static_cast<SumF*>(FdSum_), static_cast<SumF*>(gamaSum_)})
        s->set_xvariables(x.data());
    const double b[3] = {1.0 + x[0] * a[0][13] + x[1] * a[1][13], a[0][13], a[1][13]};
    beta1Leaf_->value() = b[0];
    if (beta1Leaf_->allocatedOrder() >= 1) {
        beta1Leaf_->d1(2) = b[1];
        beta1Leaf_->d1(3) = b[2];
    }
}

}  // namespace vornex
