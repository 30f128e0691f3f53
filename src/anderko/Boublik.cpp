#include "anderko/Boublik.h"

#include <cmath>
#include <cstdarg>

#include "expression/BinOp.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {

namespace {

// The leaf depends on the listed variables only.
void dependOn(Leaf& leaf, bool onT, bool onV, bool onX) {
    for (int i = 0; i < leaf.numberOfVariables(); ++i)
        leaf.setDependent(i, i == 0 ? onT : i == 1 ? onV : onX);
}

}  // namespace

Boublik::Boublik()
    : D_(&nodes_.make<Leaf>("D")),
      E_(&nodes_.make<Leaf>("E")),
      F_(&nodes_.make<Leaf>("F")),
      eta_(&nodes_.make<Leaf>("eta")) {
    auto& me = nodes_.make<Sum1>("me");  // 1 - eta
    me.set_scalars2(-1.0, 1.0);
    me.tie1(*eta_);
    auto& ime = nodes_.make<Inverse>("ime");
    ime.tie1(me);
    auto& ime2 = nodes_.make<Square>("ime2");
    ime2.tie1(ime);
    auto& lme = nodes_.make<Logarithm>("lme");
    lme.tie1(me);

    auto& DE = nodes_.make<Product>("DE");
    DE.tie2(*D_, *E_);
    auto& DEF = nodes_.make<Division>("DEF");
    DEF.tie2(DE, *F_);
    auto& DEFe = nodes_.make<Product>("DEFe");
    DEFe.tie2(DEF, *eta_);
    auto& E3 = nodes_.make<Cube>("E3");
    E3.tie1(*E_);
    auto& f2 = nodes_.make<Inverse2>("f2");
    f2.tie1(*F_);
    auto& E3F2 = nodes_.make<Product>("E3F2");
    E3F2.tie2(E3, f2);

    auto& a0 = nodes_.make<Sum2>("a0");  // 3 DE/F eta - E^3/F^2
    a0.set_scalars3(3.0, -1.0, 0.0);
    a0.tie2(DEFe, E3F2);
    auto& a2 = nodes_.make<Sum1>("a2");  // E^3/F^2 - 1
    a2.set_scalars2(1.0, -1.0);
    a2.tie1(E3F2);
    auto& A0 = nodes_.make<Product>("A0");
    A0.tie2(a0, ime);
    auto& A1 = nodes_.make<Product>("A1");
    A1.tie2(E3F2, ime2);
    auto& A2 = nodes_.make<Product>("A2");
    A2.tie2(a2, lme);
    mlogV_ = &nodes_.make<Leaf>("mlogV");

    A_ = new Sum;
    A_->setName("A");
    A_->number_of_terms(4);
    Expression* terms[4] = {mlogV_, &A0, &A1, &A2};
    for (int i = 0; i < 4; ++i) A_->tiei(i, *terms[i]);
    for (int i = 0; i < 4; ++i) A_->set_scalar(i, 1.0);
    A_->set_scalar(4, 0.0);
    root = A_;
    setModelName("Boublik Hard Spheres");
    Expression::setVarbox(
        this, static_cast<void (Equation::*)(double*)>(&Interaction::calculate_the_leaves));
}

Boublik::~Boublik() {
    root = nullptr;
    delete A_;
}

Expression* Boublik::node(const char* name) {
    if (name == nullptr) return nullptr;
    if (std::string(name) == "A") return A_;
    return nodes_.find(name);
}

void Boublik::number_of_components(int count) {
    Interaction::number_of_components(count);
    if (count < 1) return;
    covolumes.assign(static_cast<size_t>(count), 0.0);
    diameters.assign(static_cast<size_t>(count), 0.0);
    A_->number_of_variables(count + 2);
    dependOn(*mlogV_, false, true, false);
    dependOn(*eta_, false, true, true);
    dependOn(*D_, false, false, true);
    dependOn(*E_, false, false, true);
    dependOn(*F_, false, false, true);
    A_->analyze_dependencies();
}

double Boublik::covolumeOfDiameter(double sigma) {
    return kCovolumePerCubedDiameter * sigma * sigma * sigma;
}

double Boublik::diameterOfCovolume(double covolume) {
    return std::cbrt(kCubedDiameterPerCovolume * covolume);
}

void Boublik::setCovolume(int i, double covolume) {
    covolumes[static_cast<size_t>(i)] = covolume;
    diameters[static_cast<size_t>(i)] = diameterOfCovolume(covolume);
}

void Boublik::setDiameter(int i, double sigma) {
    diameters[static_cast<size_t>(i)] = sigma;
    covolumes[static_cast<size_t>(i)] = covolumeOfDiameter(sigma);
}

void Boublik::setEach(void (Boublik::*set)(int, double), double first, va_list rest) {
    if (nc < 1 || diameters.size() != static_cast<size_t>(nc)) return;
    (this->*set)(0, first);
    for (int i = 1; i < nc; ++i) (this->*set)(i, va_arg(rest, double));
}

void Boublik::set_parameters(double b0, ...) {
    va_list args;
    va_start(args, b0);
    setEach(&Boublik::setCovolume, b0, args);
    va_end(args);
}

void Boublik::set_hard_sphere_diameters(double sigma0, ...) {
    va_list args;
    va_start(args, sigma0);
    setEach(&Boublik::setDiameter, sigma0, args);
    va_end(args);
}

void Boublik::set_hard_sphere_diameter(int i, double sigma) {
    if (i < 0 || i >= static_cast<int>(diameters.size())) return;
    setDiameter(i, sigma);
}

void Boublik::calculate_fixed_parameters() {
    b = 0.0;
    double moments[3] = {0.0, 0.0, 0.0};
    Leaf* leaves[3] = {D_, E_, F_};
    for (int i = 0; i < nc; ++i) {
        const double s = diameters[static_cast<size_t>(i)];
        const double xi = x[static_cast<size_t>(i)];
        b += xi * covolumes[static_cast<size_t>(i)];
        double power = 1.0;
        for (int m = 0; m < 3; ++m) {
            power *= s;
            moments[m] += xi * power;
            if (leaves[m]->allocatedOrder() >= 1) leaves[m]->d1(2 + i) = power;
        }
    }
    for (int m = 0; m < 3; ++m) leaves[m]->value() = moments[m];
    // Without a positive third moment (a zero or negative diameter) the mixture has no
    // hard-body energy; the graph's quotients would be no numbers.
    if (!(moments[2] > 0.0)) error = 1;
}

// -ln V and eta = b/(4V) with every V derivative and the mixed ones in x_i, to the order
// allocated. Written in full at each evaluation, so no order reads a stale entry.
void Boublik::calculate_volume_dependent_parameters() {
    const double r = 1.0 / V;
    const int order = eta_->allocatedOrder();
    mlogV_->value() = -std::log(V);
    eta_->value() = 0.25 * b * r;
    if (order >= 1) {
        mlogV_->d1(1) = -r;
        eta_->d1(1) = -0.25 * b * r * r;
    }
    if (order >= 2) {
        mlogV_->d2(1, 1) = r * r;
        eta_->d2(1, 1) = 0.5 * b * r * r * r;
    }
    if (order >= 3) {
        mlogV_->d3(1, 1, 1) = -2.0 * r * r * r;
        eta_->d3(1, 1, 1) = -1.5 * b * r * r * r * r;
    }
    if (order >= 4) {
        mlogV_->d4(1, 1, 1, 1) = 6.0 * r * r * r * r;
        eta_->d4(1, 1, 1, 1) = 6.0 * b * r * r * r * r * r;
    }
    for (int i = 0; i < nc; ++i) {
        const int xi = 2 + i;
        const double bi = covolumes[static_cast<size_t>(i)];
        if (order >= 1) eta_->d1(xi) = 0.25 * bi * r;
        if (order >= 2) eta_->d2(xi, 1) = -0.25 * bi * r * r;
        if (order >= 3) eta_->d3(xi, 1, 1) = 0.5 * bi * r * r * r;
        if (order >= 4) eta_->d4(xi, 1, 1, 1) = -1.5 * bi * r * r * r * r;
    }
    // A packing fraction of 1 or more is beyond close packing: ln(1 - eta) has no value.
    if (!(eta_->value() < 1.0)) error = 1;
}

double Boublik::getVolumeMinimum() {
    // From the composition itself: a volume search asks before any evaluation at it.
    double mixture = 0.0;
    for (size_t i = 0; i < covolumes.size() && i < x.size(); ++i) mixture += x[i] * covolumes[i];
    return 0.25 * mixture;
}

// Some evaluations run this hook alone, so it rewrites every leaf from the current state.
void Boublik::calculate_high_order_parameters() {
    calculate_fixed_parameters();
    calculate_volume_dependent_parameters();
}

void Boublik::test() {
    number_of_components(2);
    T = 300.0;
    V = 2e-5;
    x[0] = 0.8;
    x[1] = 0.2;
    set_hard_sphere_diameters(2.33e-10, 4.2e-10);
    checkInteraction();
}

}  // namespace vornex
