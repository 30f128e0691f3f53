#include "anderko/Dipole.h"

#include <cmath>
#include <cstdarg>

#include "expression/BinOp.h"
#include "expression/PolyVar.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {

namespace {

// 1 + c1 eta + c2 eta^2 + c3 eta^3 over the three powers of eta.
Sum& cubicInEta(TermNodes& nodes, const char* name, Expression& eta, Expression& eta2,
                Expression& eta3, double c1, double c2, double c3) {
    auto& s = nodes.make<Sum>(name);
    s.number_of_terms(3);
    s.tiei(0, eta);
    s.tiei(1, eta2);
    s.tiei(2, eta3);
    s.set_scalar(0, c1);
    s.set_scalar(1, c2);
    s.set_scalar(2, c3);
    s.set_scalar(3, 1.0);
    return s;
}

Product& product(TermNodes& nodes, const char* name, Expression& u, Expression& v) {
    auto& p = nodes.make<Product>(name);
    p.tie2(u, v);
    return p;
}

size_t pair(int i, int j) {
    return static_cast<size_t>(i * (i + 1) / 2 + j);
}

size_t triple(int i, int j, int k) {
    return static_cast<size_t>(i * (i + 1) * (i + 2) / 6 + j * (j + 1) / 2 + k);
}

// The packed pair index of two indices in either order.
size_t anyPair(int i, int j) {
    return i >= j ? pair(i, j) : pair(j, i);
}

}  // namespace

Dipole::Dipole()
    : d_(&nodes_.make<Leaf>("d")),
      T2_(&nodes_.make<Leaf>("T2")),
      T3_(&nodes_.make<Leaf>("T3")),
      b_(&nodes_.make<LineaX2>("b")),
      K2_(&nodes_.make<LineaX2>("K2")),
      K3_(&nodes_.make<LineaX3>("K3")) {
    auto& eta = product(nodes_, "eta", *b_, *d_);
    auto& eta2 = nodes_.make<Square>("eta2");
    eta2.tie1(eta);
    auto& eta3 = nodes_.make<Cube>("eta3");
    eta3.tie1(eta);
    auto& d2 = nodes_.make<Square>("d2");
    d2.tie1(*d_);
    auto& I1 = cubicInEta(nodes_, "I1", eta, eta2, eta3, 0.351469, -1.83943, 5.95676);
    auto& I2 = cubicInEta(nodes_, "I2", eta, eta2, eta3, 1.6054, -4.4521, 10.0368);
    auto& I3 = product(nodes_, "I3", I2, I1);
    auto& K2T2 = product(nodes_, "K2T2", *K2_, *T2_);
    auto& K3T3 = product(nodes_, "K3T3", *K3_, *T3_);
    auto& K2d = product(nodes_, "K2d", K2T2, *d_);
    auto& K3d2 = product(nodes_, "K3d2", K3T3, d2);
    auto& A2 = product(nodes_, "A2", K2d, I2);
    auto& A3 = product(nodes_, "A3", K3d2, I3);
    auto& A2sq = nodes_.make<Square>("A2sq");
    A2sq.tie1(A2);
    auto& A2mA3 = nodes_.make<Sum2>("A2mA3");
    A2mA3.set_scalars3(1.0, -1.0, 0.0);
    A2mA3.tie2(A2, A3);
    A_ = new Division;
    A_->setName("A");
    A_->tie2(A2sq, A2mA3);
    root = A_;
    setModelName("Dipole-dipole interaction");
    Expression::setVarbox(
        this, static_cast<void (Equation::*)(double*)>(&Interaction::calculate_the_leaves));
}

Dipole::~Dipole() {
    root = nullptr;
    delete A_;
}

Expression* Dipole::node(const char* name) {
    if (name == nullptr) return nullptr;
    if (std::string(name) == "A") return A_;
    return nodes_.find(name);
}

void Dipole::number_of_components(int count) {
    Interaction::number_of_components(count);
    if (count < 1) return;
    const auto n = static_cast<size_t>(count);
    moments.assign(n, 0.0);
    energies.assign(n, 0.0);
    diameters.assign(n, 0.0);
    covolumes.assign(n, 0.0);
    bij.assign(n * (n + 1) / 2, 0.0);
    c2.assign(n * (n + 1) / 2, 0.0);
    bijk.assign(n * (n + 1) * (n + 2) / 6, 0.0);
    c3.assign(n * (n + 1) * (n + 2) / 6, 0.0);
    A_->number_of_variables(count + 2);
    for (int i = 0; i < count + 2; ++i) {
        d_->setDependent(i, i == 1);
        T2_->setDependent(i, i == 0);
        T3_->setDependent(i, i == 0);
    }
    b_->defineXVariables(2, count);
    K2_->defineXVariables(2, count);
    K3_->defineXVariables(2, count);
    A_->analyze_dependencies();
}

void Dipole::set_parameters(double b0, ...) {
    if (nc < 1 || covolumes.size() != static_cast<size_t>(nc)) return;
    std::vector<double> b(static_cast<size_t>(nc)), mu(static_cast<size_t>(nc));
    b[0] = b0;
    va_list args;
    va_start(args, b0);
    for (int i = 1; i < nc; ++i) b[static_cast<size_t>(i)] = va_arg(args, double);
    for (int i = 0; i < nc; ++i) mu[static_cast<size_t>(i)] = va_arg(args, double);
    va_end(args);
    setParameters(b.data(), mu.data());
}

void Dipole::setParameters(const double* covolume, const double* moment) {
    if (nc < 1 || covolumes.size() != static_cast<size_t>(nc)) return;
    for (int i = 0; i < nc; ++i) {
        const auto s = static_cast<size_t>(i);
        covolumes[s] = covolume[i];
        moments[s] = moment[i];
        diameters[s] = std::cbrt(7.928495314699315e-25 * covolume[i]);
        const double e = kDipoleEnergyFactor * moment[i];
        energies[s] = e * e / (1e6 * covolume[i]);
    }
    for (int i = 0; i < nc; ++i)
        for (int j = 0; j <= i; ++j) {
            const double r = 0.5 * (std::cbrt(covolumes[static_cast<size_t>(i)]) +
                                    std::cbrt(covolumes[static_cast<size_t>(j)]));
            bij[pair(i, j)] = i == j ? covolumes[static_cast<size_t>(i)] : r * r * r;
        }
    for (int i = 0; i < nc; ++i)
        for (int j = 0; j <= i; ++j)
            for (int k = 0; k <= j; ++k)
                bijk[triple(i, j, k)] =
                    std::cbrt(bij[pair(i, j)] * bij[pair(j, k)] * bij[pair(i, k)]);
    const auto& B = covolumes;
    const auto& y = energies;
    for (int i = 0; i < nc; ++i)
        for (int j = 0; j <= i; ++j) {
            const auto si = static_cast<size_t>(i), sj = static_cast<size_t>(j);
            c2[pair(i, j)] = -4.0 * B[si] * B[sj] * y[si] * y[sj] / (3.0 * bij[pair(i, j)]);
            K2_->coefficients[pair(i, j)] = c2[pair(i, j)];
            b_->coefficients[pair(i, j)] = bij[pair(i, j)];
        }
    for (int i = 0; i < nc; ++i)
        for (int j = 0; j <= i; ++j)
            for (int k = 0; k <= j; ++k) {
                const auto si = static_cast<size_t>(i), sj = static_cast<size_t>(j),
                           sk = static_cast<size_t>(k);
                const double bt = bijk[triple(i, j, k)];
                c3[triple(i, j, k)] =
                    10.0 * B[si] * B[sj] * B[sk] /
                    (9.0 * bij[anyPair(i, j)] * bij[anyPair(j, k)] * bij[anyPair(i, k)]) * bt * bt *
                    y[si] * y[sj] * y[sk];
                K3_->coefficients[triple(i, j, k)] = c3[triple(i, j, k)];
            }
}

// 1/T^2 and 1/T^3 with their T derivatives to the allocated order; the mole fractions of
// the three forms.
void Dipole::calculate_fixed_parameters() {
    const double r = 1.0 / T;
    const double r2 = r * r, r3 = r2 * r;
    const int order = T2_->allocatedOrder();
    T2_->value() = r2;
    T3_->value() = r3;
    if (order >= 1) {
        T2_->d1(0) = -2.0 * r3;
        T3_->d1(0) = -3.0 * r3 * r;
    }
    if (order >= 2) {
        T2_->d2(0, 0) = 6.0 * r3 * r;
        T3_->d2(0, 0) = 12.0 * r3 * r2;
    }
    if (order >= 3) {
        T2_->d3(0, 0, 0) = -24.0 * r3 * r2;
        T3_->d3(0, 0, 0) = -60.0 * r3 * r3;
    }
    if (order >= 4) {
        T2_->d4(0, 0, 0, 0) = 120.0 * r3 * r3;
        T3_->d4(0, 0, 0, 0) = 360.0 * r3 * r3 * r;
    }
    Linear* forms[3] = {b_, K2_, K3_};
    for (Linear* form : forms) {
        for (int i = 0; i < nc && i < form->n; ++i)
            form->x[static_cast<size_t>(i)] = x[static_cast<size_t>(i)];
        form->computed = false;
    }
}

// d = 1/(4V) with its V derivatives to the allocated order.
void Dipole::calculate_volume_dependent_parameters() {
    const double r = 1.0 / V;
    const int order = d_->allocatedOrder();
    d_->value() = 0.25 * r;
    if (order >= 1) d_->d1(1) = -0.25 * r * r;
    if (order >= 2) d_->d2(1, 1) = 0.5 * r * r * r;
    if (order >= 3) d_->d3(1, 1, 1) = -1.5 * r * r * r * r;
    if (order >= 4) d_->d4(1, 1, 1, 1) = 6.0 * r * r * r * r * r;
}

// Some evaluations run this hook alone, so it rewrites every leaf from the current state.
void Dipole::calculate_high_order_parameters() {
    calculate_fixed_parameters();
    calculate_volume_dependent_parameters();
}

}  // namespace vornex
