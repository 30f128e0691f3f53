#include "cubic/SoaveAttraction.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <string>

#include "cubic/CubicConstants.h"
#include "fluid/Phase.h"

namespace vornex {

namespace {
constexpr double R = kGasConstant;

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
        auto& diagonal = nodes_.make<Leaf>(nodeName("bpa", i, i));
        diagonal.value() = 1.0;
        bpa.at(i, i) = &diagonal;
        sum.tie_ij(i, i, alpha);
        for (int j = 0; j < i; ++j) {
            auto& root2 = geometricMean(nodes_, nodeName("aijp", i, j), nodeName("aijr", i, j),
                                        *ai.at(i), *ai.at(j));
            auto& leaf = nodes_.make<Leaf>(nodeName("bpa", i, j));
            leaf.value() = 1.0;
            auto& pair = nodes_.make<Product>(nodeName("aij", i, j));
            pair.tie2(leaf, root2);
            aijp.at(i, j) = root2.u;
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

void SoaveMixing::set_binary_interaction_kaij(int i, int j, double k) {
    if (i < j) std::swap(i, j);
    if (j < 0 || i >= nc || i == j || !std::isfinite(k)) {
        vornex::cfprintf(stderr, "%s: kaij %lg of the pair (%d, %d) refused\n", modelName.c_str(), k, i,
                     j);
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

void SoaveMixing::print_parameters(FILE* out) {
    double av = 0.0, dadT = 0.0, bv = 0.0;
    std::vector<double> dadx, dbdx;
    if (nc < 1 || root == nullptr || !mixtureParameters(av, dadT, bv, dadx, dbdx)) return;
    for (int i = 0; i < nc; ++i) {
        vornex::cfprintf(out, "bi %lg ai %lg\n", covolume(i), ai.at(i)->value());
        for (int j = 0; j <= i; ++j)
            vornex::cfprintf(out, "aij %lg  bpa %lg  bij %lg \n", aij.at(i, j)->value(),
                         bpa.at(i, j)->value(), bij(i, j));
    }
    vornex::cfprintf(out, "a %lg  b %lg\n", a->value(), b->value());
}

// ---------------------------------------------------------------------------- Soave1

Soave1::Soave1() : SoaveMixing(1.0, 0.0) {
    setModelName("Soave1");
}

Expression* Soave1::makeAlpha(int i) {
    return &nodes_.make<Soave72>(nodeName("ai", i));
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
    auto& Tr = nodes_.make<FVar>(nodeName("Ti", i));
    Tr.variableIndex = 0;
    auto& sqrtTr = squareRoot(nodes_, nodeName("Tri", i), Tr);
    auto& onePlus = affine(nodes_, nodeName("Tri1", i), sqrtTr, 1.0, 1.0);
    auto& oneMinus = affine(nodes_, nodeName("Tri2", i), sqrtTr, -1.0, 1.0);
    auto& seven = affine(nodes_, nodeName("Ti2", i), Tr, -1.0, 0.7);
    auto& product = nodes_.make<Product>(nodeName("Tip", i));
    product.tie2(onePlus, seven);
    auto& kappa = affine(nodes_, nodeName("Ki", i), product, 1.0, 0.0);
    auto& kappaTerm = nodes_.make<Product>(nodeName("KTi", i));
    kappaTerm.tie2(kappa, oneMinus);
    auto& s = affine(nodes_, nodeName("ali", i), kappaTerm, 1.0, 1.0);
    auto& alpha = nodes_.make<Square>(nodeName("alpi", i));
    alpha.tie1(s);
    return &affine(nodes_, nodeName("ai", i), alpha, 1.0, 0.0);
}

void StryjekVera::set_ai_parameters(int i, double ac, double Tc, double kappa0, double kappa1) {
    if (i < 0 || i >= ai.size) return;
    ai.at(i)->set_scalars2(ac, 0.0);
    nodes_.find(nodeName("Ti", i))->set_scalars2(1.0 / Tc, 0.0);
    nodes_.find(nodeName("Ki", i))->set_scalars2(kappa1, kappa0);
}

void StryjekVera::test() {
    number_of_components(2);
    set_ai_parameters(0, 0.5, 304.0, 1.2, 0.04);
    set_ai_parameters(1, 0.1, 190.0, 0.4, 0.001);
    set_covolumes(1.8e-5, 2.5e-5);
    composition(0.8, 0.2);
    T = 373.15;
    V = 3e-5;
    error = 0;
    checkInteraction();
}

// ----------------------------------------------------------------------------- Nirma

Nirma::Nirma(int v) : SoaveMixing(2.0, -1.0), version(v) {
    setModelName("Nirma");
    if (version < 0 || version > 3)
        vornex::cfprintf(stderr, "Nirma: version %d does not exist (0 to 3); version 0 is used\n",
                     version);
    if (version < 0 || version > 3) version = 0;
}

Expression* Nirma::makeAlpha(int i) {
    auto& Tr = nodes_.make<FVar>(nodeName("Ti", i));
    Tr.variableIndex = 0;
    auto& oneMinusSqrt =
        affine(nodes_, nodeName("mTsi", i), squareRoot(nodes_, nodeName("Tsi", i), Tr), -1.0, 1.0);
    auto& oneMinus = affine(nodes_, nodeName("mTi", i), Tr, -1.0, 1.0);
    Expression* alpha = nullptr;
    if (version == 0) {
        auto& s = nodes_.make<Sum1>(nodeName("mAi", i));
        s.tie1(oneMinusSqrt);
        alpha = &nodes_.make<Square>(nodeName("alpha1", i));
        alpha->tie1(s);
    } else if (version == 1) {
        alpha = &nodes_.make<Exponential>(nodeName("alpha2", i));
        alpha->tie1(oneMinus);
    } else if (version == 2) {
        auto& e0 = nodes_.make<Exponential>(nodeName("mE0", i));
        e0.tie1(oneMinus);
        auto& e1 = nodes_.make<Exponential>(nodeName("mE1", i));
        e1.tie1(oneMinus);
        alpha = &nodes_.make<Sum2>(nodeName("alpha3", i));
        alpha->tie2(e0, e1);
    } else {
        auto& oneMinusPower = nodes_.make<Power>(nodeName("mTin", i));
        oneMinusPower.tie1(Tr);
        alpha = &nodes_.make<Exponential>(nodeName("alpha4", i));
        alpha->tie1(oneMinusPower);
    }
    return &affine(nodes_, nodeName("ai", i), *alpha, 1.0, 0.0);
}

void Nirma::set_parameters(int i, double Tc, double Pc, double omega, double m, double L, double c0,
                           double c1, double c, double n) {
    if (i < 0 || i >= ai.size) return;
    auto set2 = [&](const char* base, double p, double q) {
        if (Expression* e = nodes_.find(nodeName(base, i))) e->set_scalars2(p, q);
    };
    auto set3 = [&](const char* base, double p, double q, double r) {
        if (Expression* e = nodes_.find(nodeName(base, i))) e->set_scalars3(p, q, r);
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

void Nirma::test() {
    number_of_components(1);
    set_parameters(0, 647.13, 22055000, 0.345, 0.85360439, 0.892972678, 0.905476289, 0.869215621,
                   0.888479072, 1.007293331);
    set_covolume(0, kPrOmegaB * R * 647.13 / 22055000);
    T = 373.15;
    V = 2e-5;
    error = 0;
    checkInteraction();
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
        vornex::cprintf("Can handle only two-component systems\n");
        Interaction::number_of_components(n);
        return;
    }
    covolumes_.size(2);
    alpha_[0] = &nodes_.make<Soave72>("ai(0)");
    alpha_[1] = &nodes_.make<Soave72>("ai(1)");
    oneMinusKa_.build(nodes_, "ka", true);
    auto& root2 = geometricMean(nodes_, "aijp(1,0)", "aijr(1,0)", *alpha_[1], *alpha_[0]);
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

void Soave2::set_binary_interaction_kaij(int, int, double k0, double k1, double T0, double w) {
    oneMinusKa_.set(k0, k1, T0, w, modelName);
}

void Soave2::set_binary_interaction_kbij(int, int, double k0, double k1, double T0, double w) {
    covolumeTable_.kb.set(k0, k1, T0, w, modelName);
}

void Soave2::print_parameters(FILE* out) {
    double av = 0.0, dadT = 0.0, bv = 0.0;
    std::vector<double> dadx, dbdx;
    if (nc != 2 || !mixtureParameters(av, dadT, bv, dadx, dbdx)) return;
    for (int i = 0; i < 2; ++i) {
        vornex::cfprintf(out, "bi %lg ai %lg\n", covolumes_.b[static_cast<size_t>(i)],
                     alpha_[i]->value());
        for (int j = 0; j <= i; ++j)
            vornex::cfprintf(out, "aij %lg  bpa %lg  bpb %lg \n",
                         i == j ? alpha_[i]->value() : nodes_.find("aij(1,0)")->value(),
                         i == j ? 1.0 : 1.0 - kaij(T), i == j ? 0.0 : kbij(T));
    }
    vornex::cfprintf(out, "a %lg  b %lg\n", a->value(), b->value());
}

}  // namespace vornex
