#include "puregas/IUPACCH4.h"

#include <array>

#include "puregas/PureGasModel.h"

namespace vornex {

namespace {

constexpr ReducingState kIUPACMethaneReducing = {190.555, 1.0 / 10109.5, 8.31434};
constexpr double kGamma = 0.98113911;

// Angus et al. (1978), the coefficients of Z - 1 = sum b omega^i tau^j, as {b, i, j}.
constexpr PowerTermCoefficients kMethaneZ[] = {
    {2.57395483665, 1, 0.5},    {-4.21259560708, 1, 1},     {1.21838193459, 1, 2},
    {-0.567664713645, 1, 3},    {-0.133485595546, 1, 0},    {0.218272994555, 2, 1},
    {-1.67854271263, 2, 2},     {11.9046702802, 2, 3},      {0.14135782061, 2, 0},
    {0.222991427494, 3, 1},     {0.989983917221, 3, 2},     {-0.055049624997, 3, 0},
    {0.0895580146022, 4, 1},    {-0.40886564015, 5, 2},     {-1.35937688339, 5, 3},
    {0.147116126108, 6, 2},     {-0.0135078041807, 7, 2},   {0.214314159875, 7, 3},
    {-0.0359787643676, 8, 3},
};

// Angus et al. (1978), the temperature functions D_2k(tau) = sum d tau^t of the exponential
// part, as {d, k, t}.
struct ExponentialCoefficient {
    double d;
    int k;
    int t;
};
constexpr ExponentialCoefficient kMethaneD[] = {
    {-9.19269130423, 0, 3},     {-1.36468925696, 0, 4},     {-11.669982483, 1, 3},
    {0.485346197864, 1, 5},     {-3.3840871158, 2, 3},      {0.16922194059, 2, 4},
    {-1.51553322986, 3, 3},     {-0.0806250313879, 3, 5},   {-0.0369326536783, 4, 3},
    {0.0528555059265, 4, 4},    {-0.0478198692008, 5, 3},   {-0.00692834320138, 5, 4},
    {0.00057222052999, 5, 5},
};

// The Helmholtz power terms: b omega^i tau^j integrates to (b/i) omega^i tau^j.
constexpr auto kMethanePower = [] {
    std::array<PowerTermCoefficients, std::size(kMethaneZ)> out{};
    for (size_t m = 0; m < out.size(); ++m)
        out[m] = {kMethaneZ[m].n / kMethaneZ[m].d, kMethaneZ[m].d, kMethaneZ[m].t};
    return out;
}();

// The exponential part as terms n omega^(2j) tau^t exp(-gamma omega^2), j = 0 ... 5 and
// t = 3, 4, 5: n = -(1/(2 gamma)) sum_(k>=j) k!/(j! gamma^(k-j)) d_kt.
constexpr auto kMethaneExponential = [] {
    std::array<ExponentialTermCoefficients, 18> out{};
    for (int j = 0; j <= 5; ++j)
        for (int t = 3; t <= 5; ++t) out[3 * j + t - 3] = {0.0, 2, 2 * j, double(t), kGamma};
    for (const ExponentialCoefficient& c : kMethaneD) {
        double factor = -0.5 / kGamma;  // k!/(j! gamma^(k-j)) / (2 gamma), from j = k down
        for (int j = c.k; j >= 0; --j) {
            out[3 * j + c.t - 3].n += factor * c.d;
            factor *= j / kGamma;
        }
    }
    return out;
}();

constexpr MultiParTable kMethaneTable = {kMethanePower, kMethaneExponential, {}, {}};

}  // namespace

IUPAC1::IUPAC1() : MultiParResidual(kIUPACMethaneReducing, kMethaneTable, true) {
    setModelName("IUPAC CH4 residual");
}

// -(the exponential terms at zero density): -n_(0t) tau^t.
IUPAC1ID::IUPAC1ID() : ZeroDensityTerm(kIUPACMethaneReducing) {
    std::vector<Expression*> nodes;
    std::vector<double> coefficients;
    for (int t = 3; t <= 5; ++t) {
        nodes.push_back(&build_.tauPower(t));
        coefficients.push_back(-kMethaneExponential[static_cast<size_t>(t - 3)].n);
    }
    makeLimitRoot(nodes, coefficients, 0.0);
    setModelName("IUPAC CH4 zero-density limit");
}

IUPACCH4::IUPACCH4(int phase) : CH4EOS(1, phase, 0) {
    setInteraction(0, new IUPAC1);
    setIdealTerm(new IUPAC1ID);
    setGasConstant(kIUPACMethaneReducing.R);
    setUpPureGas(*this, {"IUPAC CH4", "CH4", 0.016, 3.5e-05, 3e-04, 192.0, 9e-05});
}

IUPACCH4::~IUPACCH4() = default;

}  // namespace vornex
