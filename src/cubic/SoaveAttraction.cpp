#include "cubic/SoaveAttraction.h"

#include <cmath>
#include <string>

#include "cubic/CubicConstants.h"
#include "fluid/Phase.h"

namespace vornex {

namespace {
constexpr double R = kGasConstant;

std::string indexed(const char* base, int i) {
    return std::string(base) + "(" + std::to_string(i) + ")";
}
std::string indexed(const char* base, int i, int j) {
    return std::string(base) + "(" + std::to_string(i) + "," + std::to_string(j) + ")";
}
}  // namespace

// ----------------------------------------------------------------------- SoaveMixing

SoaveMixing::SoaveMixing(double u_, double w_) : Schmidt0(u_, w_) {
    aij.setName("aij");
    bpa.setName("bpa");
    aijr.setName("aijr");
    aijp.setName("aijp");
    ai.setName("ai");
    a = &nodes_.make<SumX2>("a");
    bForm_ = &nodes_.make<LineaX2>("b");
    b = bForm_;
    build_parse_graph();
}

void SoaveMixing::number_of_components(int n) {
    if (n < 1 || nc >= 1) return;
    covolumes_.size(n);
    kaij_.assign(static_cast<size_t>(n * n), 0.0);
    bForm_->defineXVariables(2, n);
    auto& sum = *static_cast<SumX2*>(a);
    sum.defineXVariables(2, n);
    for (auto* array : {&aij, &bpa, &aijr, &aijp}) array->setSize(n);
    ai.setSize(n);
    for (int i = 0; i < n; ++i) {
        Expression* alpha = makeAlpha(i);
        ai.at(i) = alpha;
        aij.at(i, i) = alpha;
        auto& diagonal = nodes_.make<Leaf>(indexed("bpa", i, i));
        diagonal.value() = 1.0;
        bpa.at(i, i) = &diagonal;
        sum.tie_ij(i, i, alpha);
        for (int j = 0; j < i; ++j) {
            auto& product = nodes_.make<Product>(indexed("aijp", i, j));
            product.tie2(*ai.at(i), *ai.at(j));
            auto& root2 = nodes_.make<Power>(indexed("aijr", i, j));
            root2.set_scalars3(1.0, 0.5, 0.0);
            root2.tie1(product);
            auto& leaf = nodes_.make<Leaf>(indexed("bpa", i, j));
            leaf.value() = 1.0;
            auto& pair = nodes_.make<Product>(indexed("aij", i, j));
            pair.tie2(leaf, root2);
            aijp.at(i, j) = &product;
            aijr.at(i, j) = &root2;
            bpa.at(i, j) = &leaf;
            aij.at(i, j) = &pair;
            sum.tie_ij(i, j, &pair);
        }
    }
    Schmidt0::number_of_components(n);
}

void SoaveMixing::specify_dependencies() {
    for (int i = 0; i < bpa.size; ++i)
        for (int j = 0; j < i; ++j) dependOnlyOn(*bpa.at(i, j), -1);
}

void SoaveMixing::apply_mixing_rules() {
    covolumes_.applyTo(*bForm_);
}

void SoaveMixing::calculate_fixed_parameters() {
    refreshAlpha();
    apply_mixing_rules();
    Schmidt0::calculate_fixed_parameters();
}

void SoaveMixing::set_covolume(int i, double bi) {
    if (covolumes_.setCovolume(i, bi, modelName) && i == nc - 1) apply_mixing_rules();
}

void SoaveMixing::set_hard_sphere_diameter(int i, double sigma) {
    if (covolumes_.setDiameter(i, sigma, modelName) && i == nc - 1) apply_mixing_rules();
}

void SoaveMixing::setEach(void (SoaveMixing::*set)(int, double), double first, va_list rest) {
    if (nc < 1) return;
    (this->*set)(0, first);
    for (int i = 1; i < nc; ++i) (this->*set)(i, va_arg(rest, double));
}

void SoaveMixing::set_covolumes(double b0, ...) {
    va_list args;
    va_start(args, b0);
    setEach(&SoaveMixing::set_covolume, b0, args);
    va_end(args);
}

void SoaveMixing::set_hard_sphere_diameters(double sigma0, ...) {
    va_list args;
    va_start(args, sigma0);
    setEach(&SoaveMixing::set_hard_sphere_diameter, sigma0, args);
    va_end(args);
}

void SoaveMixing::set_binary_interaction_kaij(int i, int j, double k) {
    if (i < j) std::swap(i, j);
    if (j < 0 || i >= nc || i == j || !std::isfinite(k)) {
        std::fprintf(stderr, "%s: kaij %lg of the pair (%d, %d) refused\n", modelName.c_str(), k,
                     i, j);
        return;
    }
    kaij_[static_cast<size_t>(i * nc + j)] = kaij_[static_cast<size_t>(j * nc + i)] = k;
    bpa.at(i, j)->value() = 1.0 - k;
}

void SoaveMixing::set_binary_interaction_kbij(int i, int j, double k) {
    if (covolumes_.setKbij(i, j, k, modelName)) apply_mixing_rules();
}

double SoaveMixing::kaij(int i, int j) const {
    if (i < 0 || j < 0 || i >= nc || j >= nc) return 0.0;
    return kaij_[static_cast<size_t>(i * nc + j)];
}

double SoaveMixing::covolume(int i) const {
    return i >= 0 && i < covolumes_.count() ? covolumes_.b[static_cast<size_t>(i)] : 0.0;
}

double SoaveMixing::diameter(int i) const {
    return i >= 0 && i < covolumes_.count() ? covolumes_.sigma[static_cast<size_t>(i)] : 0.0;
}

double SoaveMixing::bij(int i, int j) const {
    const int n = covolumes_.count();
    if (i < 0 || j < 0 || i >= n || j >= n) return 0.0;
    return covolumes_.bij[static_cast<size_t>(i * n + j)];
}

void SoaveMixing::print_parameters(FILE* out) {
    if (nc < 1 || root == nullptr) return;
    if (!prepare(true, true, false) || !evaluate(1)) return;
    for (int i = 0; i < nc; ++i) {
        std::fprintf(out, "bi %lg ai %lg\n", covolume(i), ai.at(i)->value());
        for (int j = 0; j <= i; ++j)
            std::fprintf(out, "aij %lg  bpa %lg  bij %lg \n", aij.at(i, j)->value(),
                         bpa.at(i, j)->value(), bij(i, j));
    }
    std::fprintf(out, "a %lg  b %lg\n", a->value(), b->value());
}

// ---------------------------------------------------------------------------- Soave1

Soave1::Soave1() : SoaveMixing(1.0, 0.0) {
    setModelName("Soave1");
}

Expression* Soave1::makeAlpha(int i) {
    return &nodes_.make<Soave72>(indexed("ai", i));
}

void Soave1::refreshAlpha() {
    for (int i = 0; i < ai.size; ++i) {
        auto* node = static_cast<Soave72*>(ai.at(i));
        node->T = T;
        node->computed = false;
    }
}

void Soave1::set_ai_parameters(int i, double ac, double m, double Tc) {
    if (i < 0 || i >= ai.size) return;
    auto* node = static_cast<Soave72*>(ai.at(i));
    node->ac = ac;
    node->m = m;
    node->Tc = Tc;
    node->computed = false;
}

// ----------------------------------------------------------------------- StryjekVera

StryjekVera::StryjekVera() : SoaveMixing(2.0, -1.0) {
    setModelName("StryjekVera");
}

Expression* StryjekVera::makeAlpha(int i) {
    auto& Tr = nodes_.make<FVar>(indexed("Ti", i));
    Tr.variableIndex = 0;
    auto& sqrtTr = nodes_.make<Power>(indexed("Tri", i));
    sqrtTr.set_scalars3(1.0, 0.5, 0.0);
    sqrtTr.tie1(Tr);
    auto& onePlus = nodes_.make<Sum1>(indexed("Tri1", i));
    onePlus.set_scalars2(1.0, 1.0);
    onePlus.tie1(sqrtTr);
    auto& oneMinus = nodes_.make<Sum1>(indexed("Tri2", i));
    oneMinus.set_scalars2(-1.0, 1.0);
    oneMinus.tie1(sqrtTr);
    auto& seven = nodes_.make<Sum1>(indexed("Ti2", i));
    seven.set_scalars2(-1.0, 0.7);
    seven.tie1(Tr);
    auto& product = nodes_.make<Product>(indexed("Tip", i));
    product.tie2(onePlus, seven);
    auto& kappa = nodes_.make<Sum1>(indexed("Ki", i));
    kappa.tie1(product);
    auto& kappaTerm = nodes_.make<Product>(indexed("KTi", i));
    kappaTerm.tie2(kappa, oneMinus);
    auto& s = nodes_.make<Sum1>(indexed("ali", i));
    s.set_scalars2(1.0, 1.0);
    s.tie1(kappaTerm);
    auto& alpha = nodes_.make<Square>(indexed("alpi", i));
    alpha.tie1(s);
    auto& node = nodes_.make<Sum1>(indexed("ai", i));
    node.tie1(alpha);
    return &node;
}

void StryjekVera::set_ai_parameters(int i, double ac, double Tc, double kappa0, double kappa1) {
    if (i < 0 || i >= ai.size) return;
    ai.at(i)->set_scalars2(ac, 0.0);
    nodes_.find(indexed("Ti", i))->set_scalars2(1.0 / Tc, 0.0);
    nodes_.find(indexed("Ki", i))->set_scalars2(kappa1, kappa0);
}

// ----------------------------------------------------------------------------- Nirma

Nirma::Nirma(int v) : SoaveMixing(2.0, -1.0), version(v) {
    setModelName("Nirma");
    if (version < 0 || version > 3)
        std::fprintf(stderr, "Nirma: version %d does not exist (0 to 3); version 0 is used\n",
                     version);
    if (version < 0 || version > 3) version = 0;
}

Expression* Nirma::makeAlpha(int i) {
    auto& Tr = nodes_.make<FVar>(indexed("Ti", i));
    Tr.variableIndex = 0;
    auto& sqrtTr = nodes_.make<Power>(indexed("Tsi", i));
    sqrtTr.set_scalars3(1.0, 0.5, 0.0);
    sqrtTr.tie1(Tr);
    auto& oneMinusSqrt = nodes_.make<Sum1>(indexed("mTsi", i));
    oneMinusSqrt.set_scalars2(-1.0, 1.0);
    oneMinusSqrt.tie1(sqrtTr);
    auto& oneMinus = nodes_.make<Sum1>(indexed("mTi", i));
    oneMinus.set_scalars2(-1.0, 1.0);
    oneMinus.tie1(Tr);
    Expression* alpha = nullptr;
    if (version == 0) {
        auto& s = nodes_.make<Sum1>(indexed("mAi", i));
        s.tie1(oneMinusSqrt);
        alpha = &nodes_.make<Square>(indexed("alpha1", i));
        alpha->tie1(s);
    } else if (version == 1) {
        alpha = &nodes_.make<Exponential>(indexed("alpha2", i));
        alpha->tie1(oneMinus);
    } else if (version == 2) {
        auto& e0 = nodes_.make<Exponential>(indexed("mE0", i));
        e0.tie1(oneMinus);
        auto& e1 = nodes_.make<Exponential>(indexed("mE1", i));
        e1.tie1(oneMinus);
        alpha = &nodes_.make<Sum2>(indexed("alpha3", i));
        alpha->tie2(e0, e1);
    } else {
        auto& oneMinusPower = nodes_.make<Power>(indexed("mTin", i));
        oneMinusPower.tie1(Tr);
        alpha = &nodes_.make<Exponential>(indexed("alpha4", i));
        alpha->tie1(oneMinusPower);
    }
    auto& node = nodes_.make<Sum1>(indexed("ai", i));
    node.tie1(*alpha);
    return &node;
}

void Nirma::set_parameters(int i, double Tc, double Pc, double omega, double m, double L,
                           double c0, double c1, double c, double n) {
    if (i < 0 || i >= ai.size) return;
    auto set2 = [&](const char* base, double p, double q) {
        if (Expression* e = nodes_.find(indexed(base, i))) e->set_scalars2(p, q);
    };
    auto set3 = [&](const char* base, double p, double q, double r) {
        if (Expression* e = nodes_.find(indexed(base, i))) e->set_scalars3(p, q, r);
    };
    set2("Ti", 1.0 / Tc, 0.0);
    set2("mAi", m, 1.0);
    set3("alpha2", 0.0, 1.0, L);
    set3("mE0", 0.0, 1.0, c0);
    set3("mE1", 0.0, 1.0, c1);
    set3("alpha3", 1.0 - omega, omega, 0.0);
    set3("mTin", -1.0, n, 1.0);
    set3("alpha4", 0.0, 1.0, c);
    set2("ai", kPrOmegaA * R * R * Tc * Tc / Pc, 0.0);
}

// ---------------------------------------------------------------------------- Soave2

Soave2::Soave2() : Schmidt0(1.0, 0.0) {
    setModelName("Soave2");
    aSum_ = &nodes_.make<SumX2>("a");
    bSum_ = &nodes_.make<SumX2>("b");
    a = aSum_;
    b = bSum_;
    build_parse_graph();
}

void Soave2::number_of_components(int n) {
    if (n < 1 || nc >= 1) return;
    if (n != 2) {
        // The graph stays unsized, so every evaluation of the term reports failure.
        std::printf("Can handle only two-component systems\n");
        Interaction::number_of_components(n);
        return;
    }
    covolumes_.size(2);
    alpha_[0] = &nodes_.make<Soave72>("ai(0)");
    alpha_[1] = &nodes_.make<Soave72>("ai(1)");
    oneMinusKa_.build(nodes_, "ka", true);
    auto& product = nodes_.make<Product>("aijp(1,0)");
    product.tie2(*alpha_[1], *alpha_[0]);
    auto& root2 = nodes_.make<Power>("aijr(1,0)");
    root2.set_scalars3(1.0, 0.5, 0.0);
    root2.tie1(product);
    auto& pair = nodes_.make<Product>("aij(1,0)");
    pair.tie2(oneMinusKa_.k(), root2);
    aSum_->defineXVariables(2, 2);
    aSum_->tie_ij(0, 0, alpha_[0]);
    aSum_->tie_ij(1, 0, &pair);
    aSum_->tie_ij(1, 1, alpha_[1]);
    covolumeTable_.build(nodes_, *bSum_);
    Interaction::number_of_components(2);
    root->number_of_variables(4);
    dependOnlyOn(oneMinusKa_.y(), 0);
    covolumeTable_.markDependencies();
    Schmidt0::number_of_components(2);
}

void Soave2::calculate_fixed_parameters() {
    if (alpha_[0] == nullptr) return;
    for (Soave72* node : alpha_) {
        node->T = T;
        node->computed = false;
    }
    oneMinusKa_.write(T);
    covolumeTable_.write(T, covolumes_.b[0], covolumes_.b[1]);
    apply_mixing_rules();
    Schmidt0::calculate_fixed_parameters();
}

void Soave2::set_ai_parameters(int i, double ac, double m, double Tc) {
    if (i < 0 || i > 1 || alpha_[i] == nullptr) return;
    alpha_[i]->ac = ac;
    alpha_[i]->m = m;
    alpha_[i]->Tc = Tc;
    alpha_[i]->computed = false;
}

void Soave2::set_covolume(int i, double bi) {
    if (covolumes_.setCovolume(i, bi, modelName) && i == nc - 1) apply_mixing_rules();
}

void Soave2::set_hard_sphere_diameter(int i, double sigma) {
    if (covolumes_.setDiameter(i, sigma, modelName) && i == nc - 1) apply_mixing_rules();
}

void Soave2::set_binary_interaction_kaij(int, int, double k0, double k1, double T0, double w) {
    oneMinusKa_.set(k0, k1, T0, w, modelName);
}

void Soave2::set_binary_interaction_kbij(int, int, double k0, double k1, double T0, double w) {
    covolumeTable_.kb.set(k0, k1, T0, w, modelName);
}

void Soave2::print_parameters(FILE* out) {
    if (nc != 2 || !prepare(true, true, false) || !evaluate(1)) return;
    for (int i = 0; i < 2; ++i) {
        std::fprintf(out, "bi %lg ai %lg\n", covolumes_.b[static_cast<size_t>(i)],
                     alpha_[i]->value());
        for (int j = 0; j <= i; ++j)
            std::fprintf(out, "aij %lg  bpa %lg  bpb %lg \n",
                         i == j ? alpha_[i]->value() : nodes_.find("aij(1,0)")->value(),
                         i == j ? 1.0 : 1.0 - kaij(T), i == j ? 0.0 : kbij(T));
    }
    std::fprintf(out, "a %lg  b %lg\n", a->value(), b->value());
}

}  // namespace vornex
