#include "puregas/AnderkoCO2.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "anderko/Boublik.h"
#include "expression/Function.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "numerics/Fitting.h"
#include "puregas/PureGasModel.h"

namespace vornex {

namespace {

constexpr double kTcCO2 = 304.2;  // K
// Tr, Tr^2, Tr^4 and the constant k1 of a1; the Tr slope and the constant of ac1 and ad1;
// the constant of ae1.
constexpr double kA1[4] = {-0.236222839, 0.351977858, -0.101456034, 0.386491553};
constexpr double kAc1[2] = {0.0518786559, -0.41850846};
constexpr double kAd1[2] = {0.140232739, 1.49548462};
constexpr double kAe1 = -3.04732284;

// The seven points at 473.15 K: molar volume (m3/mol) and pressure (Pa).
constexpr double kFitVolumes[7] = {6.6616e-05, 9.2149e-05, 0.00015868, 0.00037855,
                                   0.00064132, 0.00086571, 0.00096347};
constexpr double kFitPressures[7] = {62611000, 37920000, 21420000, 9885100,
                                     5831300,  4373600,  3944300};
constexpr double kFitTemperature = 473.15;  // K

}  // namespace

CO2Disp::CO2Disp() {
    auto& tr = tied<Inverse>(nodes_, "Tr", *T_);
    tr.set_scalars1(kTcCO2);
    auto& tr2 = tied<Square>(nodes_, "Tr2", tr);
    auto& tr4 = tied<Square>(nodes_, "Tr4", tr2);
    a1_ = &weightedSum(nodes_, "a1", {&tr, &tr2, &tr4}, {kA1[0], kA1[1], kA1[2]}, kA1[3]);
    ac1_ = &tied<Sum1>(nodes_, "ac1", tr);
    ac1_->set_scalars2(kAc1[0], kAc1[1]);
    ad1_ = &tied<Sum1>(nodes_, "ad1", tr);
    ad1_->set_scalars2(kAd1[0], kAd1[1]);
    ae1_ = &nodes_.make<FVar>("ae1");
    ae1_->set_scalars2(0.0, kAe1);
    coefficient[0] = a1_;
    coefficient[1] = &tied<Sum1>(nodes_, "acb1", *ac1_);
    coefficient[2] = &tied<Sum1>(nodes_, "adb1", *ad1_);
    coefficient[3] = &tied<Sum1>(nodes_, "aeb1", *ae1_);
    finish_parse_graph();
    setModelName("CO2 Dispersion");
}

// The frame unlinks its products from the coefficient nodes before its pool releases them.
CO2Disp::~CO2Disp() = default;

void CO2Disp::set_covolume(double b) {
    if (b == 0.0) return;
    coefficient[1]->set_scalars2(b, 0.0);
    coefficient[2]->set_scalars2(b * b, 0.0);
    coefficient[3]->set_scalars2(b * b * b, 0.0);
}

void CO2Disp::setFittingParameters(double k1, double k2, double k3, double k4) {
    a1_->set_scalar(3, k1);
    ac1_->b = k2;
    ad1_->b = k3;
    ae1_->b = k4;
}

void CO2Disp::getFittingParameters(double* k) const {
    k[0] = a1_->coefficients[3];
    k[1] = ac1_->b;
    k[2] = ad1_->b;
    k[3] = ae1_->b;
}

void CO2Disp::number_of_components(int n) {
    if (n != 1) {
        vornex::cfprintf(stderr, "%s: a term of pure carbon dioxide takes one component, not %d\n",
                     modelName.c_str(), n);
        return;
    }
    Interaction::number_of_components(1);
    T_->variableIndex = 0;
    V_->variableIndex = 1;
    ae1_->variableIndex = 0;
    root->number_of_variables(3);
    root->analyze_dependencies();
}

// ---------------------------------------------------------------------- AnderkoCO2

AnderkoCO2::AnderkoCO2(int phase) : CO2EOS(2, static_cast<short>(phase), 0) {
    auto* repulsion = new Boublik;
    auto* dispersionTerm = new CO2Disp;
    setInteraction(0, repulsion);
    setInteraction(1, dispersionTerm);
    setUpPureGas(*this, {"Anderko CO2", "CO2", kCO2MolarMass, 2e-05, 2e-04});
    repulsion->set_parameters(kCovolume);
    dispersionTerm->set_covolume(kCovolume);
}

AnderkoCO2::~AnderkoCO2() = default;

void AnderkoCO2::equationToFit(double* x, double* p, double& y, double&, double*, int& error) {
    dispersion().setFittingParameters(p[0], p[1], p[2], p[3]);
    volume(x[0]);
    y = calculate_pressure();
    if (this->error != 0 || !std::isfinite(y)) error = 1;
}

AnderkoCO2::FitOutcome AnderkoCO2::fitParameters(std::FILE* history) {
    double former[4];
    dispersion().getFittingParameters(former);
    Fitting fit;
    fit.model = this;
    fit.function = static_cast<FittingModel>(&AnderkoCO2::equationToFit);
    fit.history = history;  // null: the fit writes no protocol
    fit.numberOfPoints = 7;
    fit.numberOfParameters = 4;
    fit.numberOfVariables = 1;
    fit.allocate_memory();
    fit.initialize();
    temperature(kFitTemperature);
    double variances[7], volumes[7], pressures[7];
    for (int i = 0; i < 7; ++i) {
        variances[i] = (0.01 * kFitPressures[i]) * (0.01 * kFitPressures[i]);
        volumes[i] = kFitVolumes[i];
        pressures[i] = kFitPressures[i];
    }
    fit.read_EvY(variances);
    fit.read_EvZ(variances);
    fit.read_Xm(0, volumes);
    fit.read_Ym(pressures);
    double start[4] = {0.37, -0.39, 1.6, -3.0};
    double parameterSteps[4] = {0.001, 0.001, 0.001, 0.001};
    double variableSteps[1] = {1e-09};
    fit.set_initial_parameters(start);
    fit.set_parameters_pertubation(parameterSteps);
    fit.set_variables_pertubation(variableSteps);
    fit.set_type_of_regression(3);

    auto squares = [&](const double* k) {
        double p[4] = {k[0], k[1], k[2], k[3]};
        double sum = 0.0;
        for (int i = 0; i < 7; ++i) {
            double x = kFitVolumes[i], y = 0.0, z = 0.0;
            int error = 0;
            equationToFit(&x, p, y, z, nullptr, error);
            sum += (y - kFitPressures[i]) * (y - kFitPressures[i]) / variances[i];
        }
        return sum;
    };
    FitOutcome outcome{};
    outcome.startSquares = squares(start);
    short code = 0;
    fit.regres(code);
    outcome.error = code;
    const double* fitted = code == 0 ? fit.p : start;
    for (int i = 0; i < 4; ++i) outcome.k[i] = fitted[i];
    outcome.squares = squares(outcome.k);
    // Seven points at one temperature do not determine a model: its own constants stay.
    dispersion().setFittingParameters(former[0], former[1], former[2], former[3]);
    return outcome;
}

}  // namespace vornex
