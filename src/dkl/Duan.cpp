#include "dkl/Duan.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "dkl/TermLeaves.h"
#include "expression/BinOp.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "fluid/Phase.h"

namespace vornex {

// ------------------------------------------------------------------------- Duan

Duan::Duan()
    : mlogV_(&nodes_.make<Leaf>("mlogV")),
      mV_(&nodes_.make<Leaf>("mV")),
      mV2_(&nodes_.make<Leaf>("mV2")),
      mV4_(&nodes_.make<Leaf>("mV4")),
      mV5_(&nodes_.make<Leaf>("mV5")) {}

Duan::~Duan() = default;

void Duan::build_parse_graph() {
    auto product = [this](const char* name, Expression& u, Expression& v) -> Expression& {
        return tied<Product>(nodes_, name, u, v);
    };
    Expression& A1 = product("A1", *Bd, *mV_);
    Expression& A2 = product("A2", *Cd, *mV2_);
    Expression& A3 = product("A3", *Dd, *mV4_);
    Expression& A4 = product("A4", *Ed, *mV5_);
    Expression& gamaV2 = product("gamaV2", *gama, *mV2_);
    auto& Ex = tied<Exponential>(nodes_, "Ex", gamaV2);
    Ex.set_scalars3(0.0, 1.0, -1.0);
    Expression& beta1F = product("beta1F", *beta1, *Fd);
    auto& beta1Fgama = tied<Division>(nodes_, "beta1Fgama", beta1F, *gama);
    Expression& FV2 = product("FV2", *Fd, *mV2_);
    auto& Ex0 = tied<Sum2>(nodes_, "Ex0", beta1Fgama, FV2);
    Ex0.set_scalars3(1.0, 1.0, 0.0);
    Expression& Ex2 = product("Ex2", Ex0, Ex);

    makeRoot({mlogV_, &A1, &A2, &A3, &A4, &Ex2, &beta1Fgama},
             {1.0, 1.0, 0.5, 0.25, 0.2, -0.5, 0.5});
}

void Duan::sizeVolumeLeaves(int count) {
    sizeGraph(count);
    for (Leaf* leaf : {mlogV_, mV_, mV2_, mV4_, mV5_}) dependOnly(*leaf, {1});
}

void Duan::number_of_components(int count) {
    if (count < 1) return;
    sizeVolumeLeaves(count);
    analyzeGraph();
}

void Duan::calculate_volume_dependent_parameters() {
    if (!(V > 0.0)) {
        error = 1;  // no fluid at a volume of zero or below
        return;
    }
    const double r = 1.0 / V;
    const double mlogV[5] = {-std::log(V), -r, r * r, -2.0 * r * r * r, 6.0 * r * r * r * r};
    writePure(*mlogV_, 1, mlogV);
    double f[5];
    const std::pair<Leaf*, double> powers[4] = {
        {mV_, -1.0}, {mV2_, -2.0}, {mV4_, -4.0}, {mV5_, -5.0}};
    for (const auto& [leaf, exponent] : powers) {
        powerDerivatives(1.0, exponent, V, 4, f);
        writePure(*leaf, 1, f);
    }
}

void Duan::print_parameters(FILE* out) {
    vornex::cfprintf(out,
                 "Virial coefficients\nBd %lg  Cd %lg  Dd %lg\nEd %lg  Fd %lg  beta1 %lg\ngama %lg",
                 Bd->value(), Cd->value(), Dd->value(), Ed->value(), Fd->value(), beta1->value(),
                 gama->value());
}

// ------------------------------------------------------------------------ Duan1

Duan1::Duan1() {
    setModelName("Duan Interaction");
    Bd = &nodes_.make<Leaf>("Bd");
    Cd = &nodes_.make<Leaf>("Cd");
    Dd = &nodes_.make<Leaf>("Dd");
    Ed = &nodes_.make<Leaf>("Ed");
    Fd = &nodes_.make<Leaf>("Fd");
    gama = &nodes_.make<Leaf>("gama");
    beta1 = &nodes_.make<Leaf>("beta1");
    build_parse_graph();
}

Duan1::~Duan1() = default;

void Duan1::number_of_components(int count) {
    if (count != 1) {
        vornex::cfprintf(stderr, "Duan1: a one-component term cannot take %d components\n", count);
        return;
    }
    sizeVolumeLeaves(1);
    for (Expression* e : {Bd, Cd, Dd, Ed, Fd, gama}) dependOnly(*leaf(e), {0});
    dependOnly(*leaf(beta1), {});
    analyzeGraph();
}

void Duan1::set_parameters(double TcK, double Pbar, const double* constants) {
    Tc = TcK;
    Pc = Pbar * 1e5;
    for (int k = 0; k < kDuanConstants; ++k) a[k] = constants[k];
    Vc = kGasConstant * Tc / Pc;
    Vc2 = Vc * Vc;
    Vc4 = Vc2 * Vc2;
    Vc5 = Vc4 * Vc;
    configured = true;
}

void Duan1::calculate_fixed_parameters() {
    if (!configured) {
        // A term without the constants of a gas has no equation to evaluate.
        error = 1;
        return;
    }
    const double inputs[kFixedInputs] = {T,    Tc,   Vc,   Vc2,  Vc4,  Vc5,   a[0],
                                         a[1], a[2], a[3], a[4], a[5], a[6],  a[7],
                                         a[8], a[9], a[10], a[11], a[12], a[13], a[14]};
    if (!fixedValid_ || !std::equal(inputs, inputs + kFixedInputs, fixedInputs_)) {
        const double scales[4] = {Vc, Vc2, Vc4, Vc5};
        for (int m = 0; m < 4; ++m)
            reducedTemperaturePolynomial(a[3 * m], a[3 * m + 1], a[3 * m + 2], Tc, T, scales[m],
                                         fixedValues_[m]);
        reducedTemperaturePolynomial(0.0, 0.0, a[12], Tc, T, Vc2, fixedValues_[4]);
        std::copy(inputs, inputs + kFixedInputs, fixedInputs_);
        fixedValid_ = true;
    }
    Expression* leaves[5] = {Bd, Cd, Dd, Ed, Fd};
    for (int m = 0; m < 5; ++m) writePure(*leaf(leaves[m]), 0, fixedValues_[m]);
    const double g[5] = {Vc2 * a[14], 0, 0, 0, 0};
    writePure(*leaf(gama), 0, g);
    leaf(beta1)->value() = 1.0 + a[13];
}

// ---------------------------------------------------------------------- BIPDuan

void BIPDuan::set_variable_values(double* values) {
    PolyVar::set_variable_values(values);
    if (!variableValues.empty()) T = variableValues[0];
}

void BIPDuan::setCoefficients(double c0, double c1, double c2, double c3, double c4) {
    c[0] = c0;
    c[1] = c1;
    c[2] = c2;
    c[3] = c3;
    c[4] = c4;
    computed = false;
}

void BIPDuan::calculate(int order) {
    if (computed) return;
    const double t = T, r = 1.0 / t;
    value() = c[0] + c[1] * t + c[2] * t * t + c[3] * r + c[4] * std::log(t);
    const int top = std::min(order, allocatedOrder());
    if (top >= 1) d1(0) = c[1] + 2 * c[2] * t - c[3] * r * r + c[4] * r;
    if (top >= 2) d2(0, 0) = 2 * c[2] + 2 * c[3] * r * r * r - c[4] * r * r;
    if (top >= 3) d3(0, 0, 0) = -6 * c[3] * std::pow(r, 4) + 2 * c[4] * r * r * r;
    if (top >= 4) d4(0, 0, 0, 0) = 24 * c[3] * std::pow(r, 5) - 6 * c[4] * std::pow(r, 4);
    computed = true;
}

void BIPDuan::calculate(int order, int var) {
    if (var == 0) {
        calculate(order);
    } else if (!computed) {
        value() = c[0] + c[1] * T + c[2] * T * T + c[3] / T + c[4] * std::log(T);
        computed = true;
    }
}

}  // namespace vornex
