#include "puregas/IUPACCO2.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "expression/BinOp.h"
#include "expression/UnOp.h"
#include "puregas/GasComparison.h"
#include "puregas/PureGasModel.h"

namespace vornex {

namespace {

constexpr ReducingState kIUPACCO2Reducing = {304.2, 1.0 / 10630.0, 8.31434};

// Angus et al. (1976), the coefficients b_ij of Z - 1, row i = 0 ... 9; row i has
// kColumns[i] entries j = 0, 1, ...
constexpr int kColumns[10] = {7, 6, 6, 6, 6, 5, 4, 4, 3, 3};
constexpr double kB[10][7] = {
    {-0.725854437, -1.68332974, 0.259587221, 0.376945574, -0.67075537, -0.871456126,
     -0.149156928},
    {0.447869183, 1.26050691, 5.96957049, 15.4645885, 19.4449475, 8.64880497},
    {-0.172011999, -1.83458178, -4.61487677, -3.82121926, 3.60171349, 4.92265552},
    {0.00446304911, -1.76300541, -11.1436705, -27.8215446, -27.168572, -6.42177872},
    {0.255491571, 2.37414246, 7.50925141, 6.61133318, -2.4266321, -2.57944032},
    {0.0594667298, 1.16974683, 7.4370641, 15.0646731, 9.57496845},
    {-0.14796001, -1.69233071, -4.68219937, -3.13517448},
    {0.0136710441, -0.10049233, -1.63653806, -1.87082988},
    {0.0392284575, 0.441503812, 0.88674197},
    {-0.0119872097, -0.0846051949, 0.046456437},
};

// e_j = sum_i (-1)^(i+1) b_ij/(i+1): the residual sum at zero density.
constexpr auto kZeroDensity = [] {
    std::array<double, 7> e{};
    for (int i = 0; i < 10; ++i)
        for (int j = 0; j < kColumns[i]; ++j) e[j] += (i % 2 == 0 ? -1.0 : 1.0) * kB[i][j] / (i + 1);
    return e;
}();

}  // namespace

IUPAC::IUPAC() : ReducedTerm(kIUPACCO2Reducing) {
    Expression& w1 = build_.shifted("W1", leaves_.delta(), 1.0);
    Expression& y1 = build_.shifted("Y1", leaves_.tau(), 1.0);
    std::vector<Expression*> terms;
    std::vector<double> scalars;
    for (int j = 0; j <= 6; ++j)
        for (int i = 0; i < 10; ++i) {
            if (j >= kColumns[i]) continue;
            Expression& w = build_.integerPower("W", w1, i + 1);
            Expression* term = &w;
            if (j > 0) {
                const std::string name = "A" + std::to_string(i) + std::to_string(j);
                term = &tied<Product>(nodes_, name, w, build_.integerPower("Y", y1, j));
            }
            terms.push_back(term);
            scalars.push_back(kB[i][j] / (i + 1));
        }
    // -ln V = ln(omega) - ln Vc
    auto& mlogV = tied<Logarithm>(nodes_, "mlogV", leaves_.delta());
    mlogV.set_scalars3(1.0, 0.0, -std::log(kIUPACCO2Reducing.Vc));
    terms.push_back(&mlogV);
    scalars.push_back(1.0);
    makeRoot(terms, scalars);
    setModelName("IUPAC CO2 residual");
}

IUPACCO2ID::IUPACCO2ID() : ZeroDensityTerm(kIUPACCO2Reducing) {
    Expression& y1 = build_.shifted("Y1", leaves_.tau(), 1.0);
    std::vector<Expression*> nodes;
    std::vector<double> coefficients;
    for (int j = 1; j <= 6; ++j) {
        nodes.push_back(&build_.integerPower("Y", y1, j));
        coefficients.push_back(-kZeroDensity[static_cast<size_t>(j)]);
    }
    makeLimitRoot(nodes, coefficients, -kZeroDensity[0]);
    setModelName("IUPAC CO2 zero-density limit");
}

double IUPACCO2ID::zeroDensityCoefficient(int j) {
    return j >= 0 && j <= 6 ? kZeroDensity[static_cast<size_t>(j)] : 0.0;
}

IUPACCO2::IUPACCO2(int phase) : CO2EOS(1, static_cast<short>(phase), 0) {
    setInteraction(0, new IUPAC);
    setIdealTerm(new IUPACCO2ID);
    setGasConstant(kIUPACCO2Reducing.R);
    setUpPureGas(*this, {"IUPAC CO2", "CO2", kCO2MolarMass, 3.5e-05, 2e-04});
}

IUPACCO2::~IUPACCO2() = default;

FluidPhase::VolumeStart IUPACCO2::volumeSearchStart(bool liquidSide) {
    VolumeStart start = CO2EOS::volumeSearchStart(liquidSide);
    if (!liquidSide) return start;
    // Steps of 3 % down until the pressure reaches P or the stable branch ends.
    double Pcalc = 0.0;
    if (!pressureAndSlopeAt(start.V, Pcalc)) return start;
    for (int step = 0; step < 60 && Pcalc < P; ++step) {
        const double Vtrial = 0.97 * start.V;
        if (!pressureAndSlopeAt(Vtrial, Pcalc) || !(dPdV < 0.0)) break;
        start.V = Vtrial;
    }
    return start;
}

int IUPACCO2::compareWithIUPAC(FluidPhase* other, std::FILE* out) {
    if (other == nullptr) return 0;
    volume(Vl0);
    return printModelGrid(*this, *other, false, out);
}

}  // namespace vornex
