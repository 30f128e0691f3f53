#include "cubic/Virial.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace vornex {

namespace {
constexpr double R = kGasConstant;

struct VirialRow {
    const char* name;
    double M, p1, p2, p3;  // kg/mol; m3/(mol K), m3/(mol K2), m3/mol
};
// N2, Ar, CH4: linear fits of the measured coefficients (N2 -4.126 cm3/mol at 300 K against
// -4.55 of the reference equation of Span et al. 2000). H2O: least squares of the relative
// deviation from the IAPWS-95 coefficient at 5 K steps over 423.15-673.15 K.
constexpr VirialRow kVirialRows[] = {
    {"N2", 0.02801348, 1.48e-07, 0.0, -4.8526e-05},
    {"Ar", 0.04, 1.56e-07, 0.0, -6.1811e-05},
    {"CH4", 0.016, 2.876e-07, 0.0, -0.00012846},
    {"H2O", 0.018015268, 3.9571e-06, -2.8759e-09, -1.43559e-03},
};
}  // namespace

// ------------------------------------------------------------------------ Virial

Virial::Virial(int v) : version(v) {
    setModelName("virial");
    for (Expression* e : std::initializer_list<Expression*>{&T_, &V_, &T2_, &logV_, &Bx_, &BT_,
                                                           &Bv_, &A_})
        e->holdAsMember();
    T_.setName("_T");
    V_.setName("_V");
    T2_.setName("_T2");
    logV_.setName("mLogV");
    Bx_.setName("B");
    BT_.setName("B");
    Bv_.setName("Bv");
    A_.setName("A");
    T2_.tie1(T_);
    logV_.set_scalars3(1.0, 0.0, 0.0);
    logV_.tie1(V_);
    BT_.tie2(T_, T2_);
    if (version == 0)
        Bv_.tie2(Bx_, V_);
    else
        Bv_.tie2(BT_, V_);
    A_.set_scalars3(-1.0, 1.0, 0.0);
    A_.tie2(logV_, Bv_);
    root = &A_;
    if (version != 0 && version != 1) {
        vornex::cfprintf(stderr, "virial: version %d does not exist (0 or 1)\n", version);
        refused_ = true;
    }
}

Virial::~Virial() {
    root = nullptr;
}

void Virial::number_of_components(int n) {
    const int wanted = version == 0 ? 2 : 1;
    Interaction::number_of_components(n);
    if (n != wanted) {
        // The graph stays unsized, so every evaluation of the term reports failure.
        vornex::cfprintf(stderr, "virial: version %d handles %d component(s), not %d\n", version,
                     wanted, n);
        return;
    }
    A_.number_of_variables(n + 2);
    T_.variableIndex = 0;
    V_.variableIndex = 1;
    if (version == 0) {
        Bx_.defineXVariables(2, 2);
        p1 = 1.0;
        p2 = 1.4;
        p3 = 2.0;
    }
    applyParameters();
    Expression::setVarbox(
        this, static_cast<void (Equation::*)(double*)>(&Interaction::calculate_the_leaves));
    A_.analyze_dependencies();
}

void Virial::applyParameters() {
    if (version == 0) {
        if (Bx_.coefficients.size() == 3) {
            Bx_.coefficients[0] = p1;  // pair (0, 0)
            Bx_.coefficients[1] = p2;  // pair (1, 0)
            Bx_.coefficients[2] = p3;  // pair (1, 1)
        }
    } else {
        BT_.set_scalars3(p1, p2, p3);
    }
}

void Virial::set_virial_parameters(double first, ...) {
    va_list args;
    va_start(args, first);
    const double second = va_arg(args, double);
    const double third = va_arg(args, double);
    va_end(args);
    if (!std::isfinite(first) || !std::isfinite(second) || !std::isfinite(third)) {
        vornex::cfprintf(stderr, "virial: parameters %lg %lg %lg refused\n", first, second, third);
        return;
    }
    p1 = first;
    p2 = second;
    p3 = third;
    applyParameters();
}

double Virial::secondVirialCoefficient() const {
    if (version == 0)
        return nc == 2 ? p1 * x[0] * x[0] + 2.0 * p2 * x[0] * x[1] + p3 * x[1] * x[1] : 0.0;
    return p1 * T + p2 * T * T + p3;
}

void Virial::calculate_fixed_parameters() {
    // The graph's domain-error flag makes the evaluation that follows report failure.
    if (refused_) Expression::sError = 1;
}

void Virial::test() {
    number_of_components(version == 0 ? 2 : 1);
    T = 300.0;
    V = 1.8e-05;
    if (version == 0) {
        x[0] = 0.9;
        x[1] = 0.1;
    }
    checkInteraction();
}

// --------------------------------------------------------------------- VirialEos

VirialEos::VirialEos(int selector, int v, char extra)
    : FluidPhase(1, selector, extra), version(static_cast<int8_t>(v)) {
    setInteraction(0, new Virial(v));
    setModelName("virial");
    Vl0 = 2e-05;
    if (v == 0) number_of_components(2);
    if (v == 1) number_of_components(1);
}

void VirialEos::set_virial_coefficients(double p1, double p2, double p3) {
    term()->set_virial_parameters(p1, p2, p3);
}

void VirialEos::read_component_data(int i, const char* name) {
    if (version != 1 || !validComponent(i, "read_component_data")) return;
    for (const VirialRow& row : kVirialRows) {
        if (name == nullptr || std::strcmp(row.name, name) != 0) continue;
        molarMass[static_cast<size_t>(i)] = row.M;
        M = row.M;
        set_virial_coefficients(row.p1, row.p2, row.p3);
        return;
    }
    vornex::cfprintf(stderr, "virial: no second virial coefficient for %s; nothing will be computed\n",
                 name ? name : "(null)");
    term()->refuse();
    error = 1;
}

void VirialEos::printVirial() {
    Virial& v = *term();
    v.T = T;
    const double B = v.secondVirialCoefficient();
    vornex::cprintf("B  : %12lg (cm3/mol)\n", 1e6 * B);
    if (B >= 0.0) return;
    for (double k : {2.0, 3.0}) {
        const double Vk = -k * B;
        const double Pk = R * T / Vk * (B / Vk + 1.0);
        vornex::cprintf(k == 2.0 ? "v1 : %12lg   p1 : %12lg\n" : "v2 : %12lg   p2 : %12lg\n", 1e6 * Vk,
                    Pk / 1e5);
    }
}

void VirialEos::plotVirial() {
    const double factor = std::pow(100000.0, 0.01);
    for (double Vm3 = 0.01; Vm3 <= 1000.0; Vm3 *= factor) {
        volume(Vm3);
        calculate_pressure();
        calculate_fugacities();
        vornex::cprintf("%12lg %12lg %12lg \n", Vm3, Z, (Z - 1.0) * Vm3 * 1e6);
    }
}

void VirialEos::test() {
    if (version == 0) {
        add_component("H2O");
        add_component("CO2");
        set_virial_coefficients(-0.001165, -6.3e-05, -4.34e-05);
        temperature(298.15);
        volume(0.01);
        composition(1.0, 0.0);
        calculate_pressure();
        calculate_state_functions();
        // The printed state shows the fugacities of this state, not those left before.
        calculate_fugacities();
        dump();
        vornex::cprintf("fugcoef 0 : %12lg\n", fugacityCoefficient[0]);
        vornex::cprintf("fugcoef 1 : %12lg\n", fugacityCoefficient[1]);
        plotVirial();
        return;
    }
    add_component("H2O");
    temperature(373.15);
    printVirial();
    pressure(0.01);
    Vv0 = R * T / P;
    calculate_molar_volume();
    calculate_state_functions();
    calculate_fugacities();
    dump();
    vornex::cprintf("fugcoef 0 : %12lg\n", fugacityCoefficient[0]);
    vornex::cprintf("B         : %12lg cm3/mol\n", 1e6 * term()->secondVirialCoefficient());
}

}  // namespace vornex
