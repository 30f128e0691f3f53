// Pieces shared by the Helmholtz terms of the term-based cubic fluids:
//   Alpha, Soave72   graph nodes of a pure-component attraction that depends on T only;
//                    Soave72 is a_c (1 + m (1 - sqrt(T/Tc)))^2 (Soave, Chem. Eng. Sci. 27
//                    (1972) 1197) with its T derivatives to fourth order in closed form;
//   CovolumeSet      per-component covolumes b_i (m3/mol) and hard-sphere diameters (m),
//                    b_i = (2 pi/3) N_A sigma_i^3, with the quadratic rule
//                    b_ij = (b_i + b_j)(1 - kbij)/2 written into a LineaX2 form;
//   TanhStep         a binary parameter that steps in temperature,
//                    k(T) = (k0 + k1)/2 + (k1 - k0)/2 tanh((T - T0)/(2 w)),
//                    built as (E - 1)/(E + 1), E = exp((T - T0)/w);
//   StepCovolumes    the covolume table of two components whose cross covolume follows a
//                    TanhStep: b_12 = (b_1 + b_2)/2 (1 - kb(T)).
// Graph variables: 0 T (K), 1 V (m3/mol), 2 + i the mole fraction of component i.
#pragma once

#include <cstdarg>
#include <string>
#include <vector>

#include "expression/BinOp.h"
#include "expression/PolyVar.h"
#include "expression/Sum.h"
#include "expression/SumF.h"
#include "expression/UnOp.h"
#include "fluid/TermNodes.h"

namespace vornex {

// A node whose value depends on the temperature (variable 0) only.
class Alpha : public PolyVar {
   public:
    double T = 0.0;  // K, copied from variable 0

    const char* getType() override { return "Alpha"; }
    bool isDependent(int v) override { return v == 0; }
    void set_variable_values(double* v) override;
};

// a_c s^2, s = 1 + m (1 - sqrt(T/Tc)); a T at or below 0 raises the graph's error flag.
class Soave72 : public Alpha {
   public:
    double Tc = 1.0;  // K
    double ac = 0.0;  // Pa m6/mol2
    double m = 0.0;

    const char* getType() override { return "Soave72"; }
    void calculate(int order) override;
    void calculate(int order, int var) override;
};

// The leaf depends on variable `var` only (on none when var < 0).
void dependOnlyOn(Expression& leaf, int var);

class CovolumeSet {
   public:
    std::vector<double> b;      // m3/mol
    std::vector<double> sigma;  // m
    std::vector<double> kbij;   // n x n, symmetric
    std::vector<double> bij;    // n x n, symmetric

    void size(int n);
    int count() const { return static_cast<int>(b.size()); }
    // False (said on standard error, nothing stored) for an index outside the set or a value
    // that is not a positive number.
    bool setCovolume(int i, double covolume, const std::string& who);
    bool setDiameter(int i, double diameter, const std::string& who);
    // The pair in either order; false for a bad index or a value that is not finite.
    bool setKbij(int i, int j, double k, const std::string& who);
    // b_ij from b_i and kbij, copied into the packed coefficients of the form.
    void applyTo(LineaX2& form);
};

// The covolume setters of a term: b_i or sigma_i one by one or all in component order; the
// last component applies the term's mixing rules.
class CovolumeSetters {
   public:
    virtual ~CovolumeSetters() = default;
    void set_covolume(int i, double b);
    void set_hard_sphere_diameter(int i, double sigma);
    void set_covolumes(double b0, ...);
    void set_hard_sphere_diameters(double sigma0, ...);
    double covolume(int i) const;
    double diameter(int i) const;
    double bij(int i, int j) const;

   protected:
    virtual void covolumesSet() = 0;
    virtual const std::string& termName() const = 0;
    CovolumeSet covolumes_;

   private:
    void setEach(void (CovolumeSetters::*set)(int, double), double first, va_list rest);
};

// base(i) and base(i,j), the names of the nodes of component i and of the pair (i, j).
std::string nodeName(const char* base, int i);
std::string nodeName(const char* base, int i, int j);
// a u + b over u (Sum1), in the pool.
Sum1& affine(TermNodes& nodes, const std::string& name, Expression& u, double a, double b);
// sqrt(u) (Power), in the pool.
Power& squareRoot(TermNodes& nodes, const std::string& name, Expression& u);
// sqrt(a_i a_j): the product named productName and its square root named rootName.
Power& geometricMean(TermNodes& nodes, const std::string& productName, const std::string& rootName,
                     Expression& ai, Expression& aj);

class TanhStep {
   public:
    double k0 = 0.0, k1 = 0.0;
    double T0 = 300.0;  // K
    double w = 10.0;    // K

    // The nodes, named prefix + "y", "E", "E-1", "E+1", "tanh", "k", in `nodes`. With
    // `complement` the last node is 1 - k(T) instead of k(T).
    void build(TermNodes& nodes, const std::string& prefix, bool complement);
    // False (said, nothing changed) for constants that are not finite or w <= 0.
    bool set(double low, double high, double Tstep, double width, const std::string& who);
    // The leaf y at temperature T; past |y| = 40 the step is flat to double precision and
    // y is held there with a zero slope, so that exp(y) stays finite.
    void write(double T);
    double value(double T) const;
    Leaf& y() { return *y_; }
    Sum1& k() { return *k_; }

   private:
    Leaf* y_ = nullptr;
    Sum1* k_ = nullptr;
    bool complement_ = false;
};

class StepCovolumes {
   public:
    TanhStep kb;

    // The leaves b_1, b_2 and the node b_12 in `nodes`, tied into the 2 x 2 sum.
    void build(TermNodes& nodes, SumX2& sum);
    void write(double T, double b1, double b2);
    // The leaves depend on no variable, y on T.
    void markDependencies();

   private:
    Leaf* b1_ = nullptr;
    Leaf* b2_ = nullptr;
    Sum1* b12_ = nullptr;
};

}  // namespace vornex
