#include "anderko/AnderkoDispersion.h"

#include <algorithm>
#include <string>

#include "expression/Function.h"
#include "expression/Selector.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {

namespace {

// Covolumes of the Anderko-Pitzer components, m3/mol.
constexpr double kCovolumeH2O = 2.84959143e-05;
constexpr double kCovolumeNaCl = 6.00124e-05;
constexpr double kCovolumeKCl = 8.1783e-05;
constexpr double kCovolumeCO2 = 4.952e-05;
constexpr double kCovolumeCH4 = 4.4e-05;

// The fractional powers of the water-salt factor tau, (0.001 T - 0.5731)^0.79026, and of
// the NaCl a function, (0.01 T - 5.403)^3.26, are real above these temperatures (K).
constexpr double kWaterSaltLowestT = 573.1;
constexpr double kNaClLowestT = 540.3;

// a = a1 theta + a2 theta^2 + a4 theta^4 + a0 of the molecular components, theta = T*/T.
struct ReducedPolynomial {
    double Tstar, a1, a2, a4, a0;
};
constexpr ReducedPolynomial kAH2O = {647.067, 0.182838483, 0.15466527, 0.010718969, 0.171825354};
constexpr ReducedPolynomial kACO2 = {304.2, -0.236222839, 0.351977858, -0.101456034, 0.386491553};
constexpr ReducedPolynomial kACH4 = {190.55, -0.1547078, 0.34764764, -0.226654635, 0.23309527};
// c and d of water in the same reduced temperature (a4 the theta^4 coefficient).
constexpr ReducedPolynomial kCH2O = {647.067, -8.87482349, 3.17933413, -0.16869781, 2.95354801};
constexpr ReducedPolynomial kDH2O = {647.067, 9.44220297, -3.1440167, 0.14953913, 2.13933917};

// c1 T + c2 T^2 + c3 T^3 + cm1 / T + c0.
struct TPolynomial {
    double c1, c2, c3, cm1, c0;
};

}  // namespace

AnderkoDispersion::AnderkoDispersion() {
    setModelName("Dispersion Anderko");
    Expression::setVarbox(
        this, static_cast<void (Equation::*)(double*)>(&Interaction::calculate_the_leaves));
}

AnderkoDispersion::~AnderkoDispersion() = default;

void AnderkoDispersion::number_of_components(int n) {
    Dispersion0::number_of_components(n);
    if (rootA_ == nullptr) return;
    rootA_->number_of_variables(n + 2);
    specify_dependencies();
    rootA_->analyze_dependencies();
    Expression::setVarbox(
        this, static_cast<void (Equation::*)(double*)>(&Interaction::calculate_the_leaves));
}

bool AnderkoDispersion::setSystemCode(char code) {
    switch (code) {
        case 1:
            preAllocateComponentsNumber(1);
            setExpressionsForH2O(0);
            return true;
        case 2:
            preAllocateComponentsNumber(1);
            setExpressionsForCO2(0);
            return true;
        case 3:
            preAllocateComponentsNumber(1);
            setExpressionsForCH4(0);
            return true;
        case 4:
            preAllocateComponentsNumber(1);
            setExpressionsForNaCl(0);
            return true;
        case 5:
            preAllocateComponentsNumber(1);
            setExpressionsForKCl(0);
            return true;
        case 10:
            preAllocateComponentsNumber(2);
            setExpressionsForH2O(0);
            setExpressionsForNaCl(1);
            setExpressionsForH2ONaCl(0, 1);
            return true;
        case 11:
            preAllocateComponentsNumber(2);
            setExpressionsForH2O(0);
            setExpressionsForCO2(1);
            setExpressionsForH2OCO2(0, 1);
            return true;
        case 12:
            preAllocateComponentsNumber(2);
            setExpressionsForH2O(0);
            setExpressionsForCH4(1);
            setExpressionsForH2OCH4(0, 1);
            return true;
        case 13:
            preAllocateComponentsNumber(2);
            setExpressionsForH2O(0);
            setExpressionsForKCl(1);
            setExpressionsForH2OKCl(0, 1);
            return true;
        case 14:
        case 17:
            // KCl with CO2 takes the NaCl-CO2 cross parameters.
            preAllocateComponentsNumber(2);
            code == 14 ? setExpressionsForNaCl(0) : setExpressionsForKCl(0);
            setExpressionsForCO2(1);
            setExpressionsForNaClCO2(0, 1);
            return true;
        case 15:
        case 18:
            preAllocateComponentsNumber(2);
            code == 15 ? setExpressionsForNaCl(0) : setExpressionsForKCl(0);
            setExpressionsForCH4(1);
            setExpressionsForNaClCH4(0, 1);
            return true;
        case 20:
            preAllocateComponentsNumber(3);
            setExpressionsForH2O(0);
            setExpressionsForNaCl(1);
            setExpressionsForCO2(2);
            setExpressionsForH2ONaCl(0, 1);
            setExpressionsForH2OCO2(0, 2);
            setExpressionsForNaClCO2(1, 2);
            setExpressionsForH2ONaClCO2(0, 1, 2);
            return true;
        case 21:
            preAllocateComponentsNumber(3);
            setExpressionsForH2O(0);
            setExpressionsForNaCl(1);
            setExpressionsForCH4(2);
            setExpressionsForH2ONaCl(0, 1);
            setExpressionsForH2OCH4(0, 2);
            setExpressionsForNaClCH4(1, 2);
            setExpressionsForH2ONaClCH4(0, 1, 2);
            return true;
        case 31:
            // No ternary parameters are published for H2O-NaCl-KCl: the graph is refused
            // when it is built, and the term reports an error when evaluated.
            preAllocateComponentsNumber(3);
            setExpressionsForH2O(0);
            setExpressionsForNaCl(1);
            setExpressionsForKCl(2);
            setExpressionsForH2ONaCl(0, 1);
            setExpressionsForH2OKCl(0, 2);
            setExpressionsForNaClKCl(1, 2);
            return true;
        default:
            return false;
    }
}

// ------------------------------------------------------------------ node builders

Expression& AnderkoDispersion::temperature() {
    if (Expression* t = node("T_")) return *t;
    auto& t = make<FVar>("T_");
    t.variableIndex = 0;
    t.set_scalars2(1.0, 0.0);
    return t;
}

namespace {

// The builders below create their nodes in the term's current pool. Nodes are made before
// the nodes that tie them, which is the order the pool needs to release them safely.

// s T + t.
Expression& linearT(Dispersion0& term, Expression& T, const std::string& name, double s, double t) {
    (void)T;
    auto& f = term.make<FVar>(name);
    f.variableIndex = 0;
    f.set_scalars2(s, t);
    return f;
}

Expression& constant(Dispersion0& term, const std::string& name, double value) {
    auto& k = term.make<KVar>(name);
    k.set_scalars1(value);
    return k;
}

Expression& plus(Dispersion0& term, const std::string& name, Expression& u, Expression& v) {
    auto& s = term.make<Sum2>(name);
    s.tie2(u, v);
    return s;
}

template <class Node>
Expression& unary(Dispersion0& term, const std::string& name, Expression& u) {
    auto& n = term.make<Node>(name);
    n.tie1(u);
    return n;
}

// A + B exp(C u).
Expression& exponential(Dispersion0& term, const std::string& name, double A, double B, double C,
                        Expression& u) {
    auto& e = term.make<Exponential>(name);
    e.set_scalars3(A, B, C);
    e.tie1(u);
    return e;
}

// A node of the pool made once: T^2, T^3 and 1/T are shared by every polynomial.
template <class Node>
Expression& shared(Dispersion0& term, const char* name, Expression& u, double scalar = 1.0) {
    if (Expression* e = term.node(name)) return *e;
    auto& n = term.make<Node>(name);
    n.set_scalars1(scalar);
    n.tie1(u);
    return n;
}

// c1 T + c2 T^2 + c3 T^3 + cm1/T + c0 over the terms that are not zero.
Expression& polynomialT(Dispersion0& term, Expression& T, const std::string& name,
                        const TPolynomial& p) {
    std::vector<Expression*> nodes;
    std::vector<double> coefficients;
    if (p.c1 != 0.0) {
        nodes.push_back(&T);
        coefficients.push_back(p.c1);
    }
    if (p.c2 != 0.0) {
        nodes.push_back(&shared<Square>(term, "T2", T));
        coefficients.push_back(p.c2);
    }
    if (p.c3 != 0.0) {
        nodes.push_back(&shared<Cube>(term, "T3", T));
        coefficients.push_back(p.c3);
    }
    if (p.cm1 != 0.0) {
        nodes.push_back(&shared<Inverse>(term, "Tinv", T));
        coefficients.push_back(p.cm1);
    }
    auto& s = term.make<Sum>(name);
    const int n = static_cast<int>(nodes.size());
    s.number_of_terms(n);
    for (int i = 0; i < n; ++i) {
        s.tiei(i, *nodes[static_cast<size_t>(i)]);
        s.set_scalar(i, coefficients[static_cast<size_t>(i)]);
    }
    s.set_scalar(n, p.c0);
    return s;
}

// a1 theta + a2 theta^2 + a4 theta^4 + a0 over theta and its shared powers.
Expression& reducedPolynomial(Dispersion0& term, const std::string& name, Expression& theta,
                              Expression& theta2, Expression& theta4, const ReducedPolynomial& p) {
    auto& s = term.make<Sum>(name);
    s.number_of_terms(3);
    s.tie_(&theta, &theta2, &theta4);
    s.set_scalars_(p.a1, p.a2, p.a4, p.a0);
    return s;
}

// A + B exp(C (s T + t)^2).
Expression& gaussianT(Dispersion0& term, Expression& T, const std::string& name, double A, double B,
                      double C, double s, double t) {
    Expression& shift = linearT(term, T, name + ".u", s, t);
    Expression& square = unary<Square>(term, name + ".u2", shift);
    return exponential(term, name, A, B, C, square);
}

}  // namespace

// ------------------------------------------------------------------ pure components

void AnderkoDispersion::setExpressionsForH2O(int i) {
    Expression& T = temperature();
    Expression& t = linearT(*this, T, "TH2O", 1.0 / kAH2O.Tstar, 0.0);
    Expression& theta = unary<Inverse>(*this, "TrH2O", t);
    Expression& theta2 = unary<Square>(*this, "Tr2", theta);
    Expression& theta4 = unary<Square>(*this, "Tr4", theta2);
    ai.at(i) = &reducedPolynomial(*this, "aH2O", theta, theta2, theta4, kAH2O);
    ci.at(i) = &reducedPolynomial(*this, "cH2O", theta, theta2, theta4, kCH2O);
    di.at(i) = &reducedPolynomial(*this, "dH2O", theta, theta2, theta4, kDH2O);
    ei.at(i) = &constant(*this, "eH2O", -9.0);
    b[static_cast<size_t>(i)] = kCovolumeH2O;
}

namespace {

// The gases give a and the products a c, a d, a e directly, linear in theta = T*/T.
struct GasFunctions {
    const char* name;
    ReducedPolynomial a;
    double ac1, ac0, ad1, ad0, ae;
    double covolume;
};
constexpr GasFunctions kCO2 = {"CO2",       kACO2,      0.0518786559, -0.41850846,
                               0.140232739, 1.49548462, -3.04732284,  kCovolumeCO2};
constexpr GasFunctions kCH4 = {"CH4",     kACH4,      -0.155522557, -0.279922367,
                               1.0029429, 1.04079403, -4.31589522,  kCovolumeCH4};

}  // namespace

// The gases share one builder.
static void setGas(AnderkoDispersion& term, Expression& T, int i, const GasFunctions& g) {
    const std::string n = g.name;
    auto& theta = term.make<Inverse>("Tr" + n);
    theta.set_scalars1(g.a.Tstar);
    theta.tie1(T);
    Expression& theta2 = unary<Square>(term, "Tr2" + n, theta);
    Expression& theta4 = unary<Square>(term, "Tr4" + n, theta2);
    term.ai.at(i) = &reducedPolynomial(term, "a" + n, theta, theta2, theta4, g.a);
    auto& ac = term.make<Sum1>("ac" + n);
    ac.set_scalars2(g.ac1, g.ac0);
    ac.tie1(theta);
    auto& ad = term.make<Sum1>("ad" + n);
    ad.set_scalars2(g.ad1, g.ad0);
    ad.tie1(theta);
    term.aci.at(i) = &ac;
    term.adi.at(i) = &ad;
    term.aei.at(i) = &constant(term, "ae" + n, g.ae);
    term.b[static_cast<size_t>(i)] = g.covolume;
}

void AnderkoDispersion::setExpressionsForCO2(int i) {
    setGas(*this, temperature(), i, kCO2);
}

void AnderkoDispersion::setExpressionsForCH4(int i) {
    setGas(*this, temperature(), i, kCH4);
}

// Both salts: c = -2.7501, d = 8.0969, e = -9.0.
static void setSaltConstants(AnderkoDispersion& term, int i, const std::string& salt) {
    term.ci.at(i) = &constant(term, "c" + salt, -2.7501);
    term.di.at(i) = &constant(term, "d" + salt, 8.0969);
    term.ei.at(i) = &constant(term, "e" + salt, -9.0);
}

void AnderkoDispersion::setExpressionsForNaCl(int i) {
    Expression& T = temperature();
    Expression& t00 = linearT(*this, T, "t00", 0.01, -8.959);
    Expression& t0 = unary<Square>(*this, "t0", t00);
    Expression& t10 = linearT(*this, T, "t10", 0.01, -5.403);
    Expression& t1 = makePower<Power>("t1", t10, 3.26);
    lowestTemperature_ = std::max(lowestTemperature_, kNaClLowestT);
    Expression& a2u = exponential(*this, "a2u", 1.441215, 0.564353586, -0.4817, t0);
    Expression& a2v = exponential(*this, "a2v", 0.0, -1.0, -0.6154, t1);
    ai.at(i) = &plus(*this, "aNaCl", a2u, a2v);
    setSaltConstants(*this, i, "NaCl");
    b[static_cast<size_t>(i)] = kCovolumeNaCl;
}

void AnderkoDispersion::setExpressionsForKCl(int i) {
    Expression& T = temperature();
    Expression& t00 = linearT(*this, T, "t00", 0.01, -7.119);
    Expression& t0 = unary<Square>(*this, "t0", t00);
    ai.at(i) = &exponential(*this, "aKCl", 2.7622, 0.8784, -0.1121, t0);
    setSaltConstants(*this, i, "KCl");
    b[static_cast<size_t>(i)] = kCovolumeKCl;
}

// ------------------------------------------------------------------ pairs and ternaries

void AnderkoDispersion::setPairCross(int i, int j, Expression& c112, Expression& c122,
                                     Expression& d1112, Expression& d1122, Expression& d1222,
                                     Expression& e) {
    cCross.at(j, i, i) = &c112;
    cCross.at(j, j, i) = &c122;
    dCross.at(j, i, i, i) = &d1112;
    dCross.at(j, j, i, i) = &d1122;
    dCross.at(j, j, j, i) = &d1222;
    eCross.at(j, i, i, i, i) = &e;
    eCross.at(j, j, i, i, i) = &e;
    eCross.at(j, j, j, i, i) = &e;
    eCross.at(j, j, j, j, i) = &e;
}

void AnderkoDispersion::setTernaryCross(int i, int j, int k, Expression& c, Expression& d,
                                        Expression& e) {
    cCross.at(k, j, i) = &c;
    dCross.at(k, j, i, i) = &d;
    dCross.at(k, j, j, i) = &d;
    dCross.at(k, k, j, i) = &d;
    eCross.at(k, j, i, i, i) = &e;
    eCross.at(k, j, j, i, i) = &e;
    eCross.at(k, j, j, j, i) = &e;
    eCross.at(k, k, j, i, i) = &e;
    eCross.at(k, k, j, j, i) = &e;
    eCross.at(k, k, k, j, i) = &e;
}

namespace {

// tau = tau0 tau1 of the water-salt pairs, made once per system.
Expression& waterSaltTau(Dispersion0& term, Expression& T) {
    if (Expression* tau = term.node("tau")) return *tau;
    Expression& q = linearT(term, T, "q", 0.001, -0.57315);
    Expression& q2 = unary<Square>(term, "q2", q);
    Expression& q3 = unary<Cube>(term, "q3", q);
    Expression& q4 = unary<Square>(term, "q4", q2);
    auto& tau1 = term.make<Sum>("tau1");
    tau1.number_of_terms(4);
    tau1.tie_(&q, &q2, &q3, &q4);
    tau1.set_scalars_(6.1005, -27.151, 141.3, -136.43, 1.0);
    Expression& t60 = linearT(term, T, "t60", 0.001, -0.5731);
    Expression& t6 = term.makePower<Power>("t6", t60, 0.79026);
    Expression& tau0 = exponential(term, "tau0", 0.10119, 6.4313, -6.1456, t6);
    return term.makeProduct("tau", tau0, tau1);
}

// CO2 c: -0.000702857143 T + 1.41683554 below 773 K, -0.0002 T + 1.03463 from 773 K on.
Expression& co2C(Dispersion0& term, Expression& T, const std::string& name) {
    if (Expression* e = term.node(name.c_str())) return *e;
    Expression& low = linearT(term, T, name + ".low", -0.000702857143, 1.41683554);
    Expression& high = linearT(term, T, name + ".high", -0.0002, 1.03463);
    Expression& sw = linearT(term, T, name + ".switch", 1.0, -773.0);
    auto& s = term.make<Selector>(name);
    s.tie3(sw, low, high);
    return s;
}

Expression& co2E(Dispersion0& term, Expression& T, const std::string& name) {
    if (Expression* e = term.node(name.c_str())) return *e;
    return polynomialT(term, T, name, {-0.000732919762, 3.51190476e-07, 0.0, 0.0, 1.28262});
}

Expression& ch4E(Dispersion0& term, Expression& T, const std::string& name) {
    if (Expression* e = term.node(name.c_str())) return *e;
    return polynomialT(term, T, name,
                       {0.00255545498, -8.0087098e-07, 0.0, 477.226866, -1.24172253});
}

}  // namespace

void AnderkoDispersion::setExpressionsForH2ONaCl(int i, int j) {
    Expression& T = temperature();
    Expression& tau = waterSaltTau(*this, T);
    lowestTemperature_ = std::max(lowestTemperature_, kWaterSaltLowestT);
    const std::string s = "_H2ONaCl";
    Expression& bpau =
        polynomialT(*this, T, "bpau" + s, {0.012688, -1.185e-05, 3.6853e-09, 0.0, -3.0873});
    Expression& bpav = gaussianT(*this, T, "bpav" + s, 0.0, 0.4213, -1.3614, 0.01, -5.491);
    Expression& k = makeProduct("bpa12" + s, tau, plus(*this, "bpa" + s, bpau, bpav));
    kij.at(j, i) = &k;

    // 0.001487 T + 0.7865 + 0.2537 exp(-1.162e-06 (0.01 T - 0.57315)^8)
    Expression& u8 = linearT(*this, T, "bpc112.u" + s, 0.01, -0.57315);
    Expression& p8 = makePower<Power>("bpc112.u8" + s, u8, 8.0);
    Expression& e8 = exponential(*this, "bpc112.e" + s, 0.0, 0.2537, -1.162e-06, p8);
    Expression& c112 = makeProduct(
        "bpc112" + s, tau,
        plus(*this, "bpc112.f" + s, linearT(*this, T, "bpc112.l" + s, 0.001487, 0.7865), e8));
    Expression& g122 = gaussianT(*this, T, "bpc122.e" + s, 0.0, 0.2058, -1.604, 0.01, -5.667);
    Expression& c122 = makeProduct(
        "bpc122" + s, tau,
        plus(*this, "bpc122.f" + s, linearT(*this, T, "bpc122.l" + s, 0.0006552, 1.4194), g122));
    Expression& d1112 = makeScaled("bpd1112" + s, 1.293, tau);
    Expression& d1122 = makeScaled("bpd1122" + s, 1.389, tau);
    Expression& g1222 = gaussianT(*this, T, "bpd1222.f" + s, 1.306, 0.091, -1.72, 0.01, -5.7315);
    Expression& d1222 = makeProduct("bpd1222" + s, tau, g1222);
    setPairCross(i, j, c112, c122, d1112, d1122, d1222, tau);
}

void AnderkoDispersion::setExpressionsForH2OKCl(int i, int j) {
    Expression& T = temperature();
    Expression& tau = waterSaltTau(*this, T);
    lowestTemperature_ = std::max(lowestTemperature_, kWaterSaltLowestT);
    Expression& theta = linearT(*this, T, "theta", 0.01, 0.0);
    Expression& ek = exponential(*this, "bpa12.e", 0.0, 0.03794, 0.4159,
                                 linearT(*this, T, "bpa12.u", 0.01, -5.107));
    auto& fk = make<Sum>("bpa12.f");
    fk.number_of_terms(2);
    fk.tie_(&theta, &ek);
    fk.set_scalars_(-0.05493, 1.0, 1.7748);
    kij.at(j, i) = &makeProduct("bpa12", tau, fk);
    auto& f112 = make<Sum1>("bpc112.f");
    f112.set_scalars2(0.04733, 1.6227);
    f112.tie1(theta);
    Expression& c112 = makeProduct("bpc112", tau, f112);
    Expression& f122 = exponential(*this, "bpc122.f", 2.12, 2.403e-05, 2.371,
                                   linearT(*this, T, "bpc122.u", 0.01, -6.177));
    Expression& c122 = makeProduct("bpc122", tau, f122);
    setPairCross(i, j, c112, c122, makeScaled("bpd1112", 1.34, tau),
                 makeScaled("bpd1122", 1.49, tau), makeScaled("bpd1222", 1.43, tau), tau);
}

void AnderkoDispersion::setExpressionsForH2OCO2(int i, int j) {
    Expression& T = temperature();
    const std::string s = "_H2OCO2";
    kij.at(j, i) = &polynomialT(*this, T, "bpa0" + s, {-0.00017347, 4.038e-07, 0.0, 0.0, 0.88868});
    Expression& c = co2C(*this, T, "bpc0" + s);
    Expression& d = constant(*this, "bpd0" + s, 1.0);
    setPairCross(i, j, c, c, d, d, d, co2E(*this, T, "bpe0" + s));
}

void AnderkoDispersion::setExpressionsForNaClCO2(int i, int j) {
    Expression& T = temperature();
    const std::string s = "_NaClCO2";
    kij.at(j, i) =
        &polynomialT(*this, T, "bpa0" + s, {0.00560408826, -2.70381422e-06, 0.0, 0.0, -1.73355444});
    Expression& c = co2C(*this, T, "bpc0" + s);
    Expression& d = constant(*this, "bpd0" + s, 1.0);
    setPairCross(i, j, c, c, d, d, d, co2E(*this, T, "bpe0" + s));
}

void AnderkoDispersion::setExpressionsForNaClCH4(int i, int j) {
    Expression& T = temperature();
    const std::string s = "_NaClCH4";
    kij.at(j, i) =
        &polynomialT(*this, T, "bpa0" + s, {0.0154923, -6.1422041e-06, 0.0, 2219.4295, -9.91854});
    Expression& one = constant(*this, "bp1" + s, 1.0);
    setPairCross(i, j, one, one, one, one, one, ch4E(*this, T, "bpe0" + s));
}

void AnderkoDispersion::setExpressionsForH2OCH4(int i, int j) {
    Expression& T = temperature();
    Expression& bpa01 =
        polynomialT(*this, T, "bpa01", {0.017232, -8.0121744e-06, 0.0, 1856.526, -9.66938});
    Expression& bpa02 =
        polynomialT(*this, T, "bpa02", {-0.0004084253, 1.11761627e-07, 0.0, -416.0727, 1.8132932});
    Expression& bpa03 = constant(*this, "bpa03", 1.0);
    Expression& t0 = linearT(*this, T, "bpa.t0", 1.0, -623.15);
    Expression& t1 = linearT(*this, T, "bpa.t1", 1.0, -712.0);
    auto& bpa04 = make<Selector>("bpa04");
    bpa04.tie3(t0, bpa01, bpa02);
    auto& bpa0 = make<Selector>("bpa0");
    bpa0.tie3(t1, bpa04, bpa03);
    kij.at(j, i) = &bpa0;
    Expression& one = constant(*this, "bp1_H2OCH4", 1.0);
    setPairCross(i, j, one, one, one, one, one, ch4E(*this, T, "bpe0_H2OCH4"));
}

void AnderkoDispersion::setExpressionsForNaClKCl(int i, int j) {
    kij.at(j, i) = &constant(*this, "bpa0", 1.0308);
    Expression& c112 = constant(*this, "bpc112", 0.9886);
    Expression& one = constant(*this, "bp1", 1.0);
    setPairCross(i, j, c112, one, one, one, one, one);
}

void AnderkoDispersion::setExpressionsForH2ONaClCO2(int i, int j, int k) {
    Expression& T = temperature();
    const std::string s = "_H2ONaClCO2";
    Expression& c = polynomialT(*this, T, "bpc0" + s, {0.00227, -1.051e-06, 0.0, 0.0, -0.207});
    setTernaryCross(i, j, k, c, constant(*this, "bpd0" + s, 1.0), co2E(*this, T, "bpe0" + s));
}

void AnderkoDispersion::setExpressionsForH2ONaClCH4(int i, int j, int k) {
    Expression& T = temperature();
    Expression& c = polynomialT(*this, T, "bpc0", {-0.002707, 1.26e-06, 0.0, 0.0, 2.1535});
    setTernaryCross(i, j, k, c, constant(*this, "bpd0", 1.0), ch4E(*this, T, "bpe0"));
}

}  // namespace vornex
