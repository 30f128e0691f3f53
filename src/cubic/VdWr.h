// Van der Waals repulsion of the term-based cubic fluids,
//     A_rep/(R T) = -ln(V - b),
// which carries the ideal-gas -ln V as well (V, b in m3/mol). The mixture covolume b is a
// graph node made from the per-component covolumes:
//   VdWr1  b = sum_ij x_i x_j b_ij, b_ij = (b_i + b_j)(1 - kbij)/2, kbij constant;
//   VdWr2  two components, b_12 = (b_1 + b_2)(1 - k(T))/2 with the tanh step
//          k(T) = (k0 + k1)/2 + (k1 - k0)/2 tanh((T - T0)/(2 w)).
// Graph variables: 0 T, 1 V, 2 + i the mole fraction of component i. A VdWr2 given another
// component count than two says so and leaves its graph unsized, so that every evaluation
// of the term fails (its error flag).
#pragma once

#include <string>
#include <vector>

#include "anderko/Repulsion.h"
#include "cubic/CubicTerms.h"

namespace vornex {

class VdWr : public Repulsion, public CovolumeSetters {
   public:
    ~VdWr() override;

    void number_of_components(int n) override;
    void calculate_volume_dependent_parameters() override;
    // The covolume b (m3/mol) at the term's current composition (and temperature): the
    // volume search stays above it.
    double getVolumeMinimum() override;
    virtual void apply_mixing_rules();

    // The covolume setters (CubicTerms.h): b_i (m3/mol) and sigma_i =
    // (b_i / ((2 pi/3) N_A))^(1/3) (m); a value that is not a positive number is refused.

   protected:
    VdWr();
    // The root -ln(V - b) over the subclass's covolume node, which it has created in nodes_.
    void buildGraph(Expression& covolumeNode);
    // Sizes the root for n components and marks V's leaf; the caller then analyses the
    // dependencies. False without a graph.
    bool sizeGraph(int n);
    // sum_ij x_i x_j b_ij over the n x n pair covolumes at the term's composition; 0 when
    // they are not sized to it.
    double mixtureCovolume(const std::vector<double>& pairs) const;

    void covolumesSet() override { apply_mixing_rules(); }
    const std::string& termName() const override { return modelName; }

    TermNodes nodes_;
    Leaf* V_ = nullptr;
    Expression* b_ = nullptr;
};

class VdWr1 : public VdWr {
   public:
    VdWr1();

    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    void apply_mixing_rules() override;
    // kbij of the pair, in either order; the next evaluation applies it.
    void set_binary_interaction_kbij(int i, int j, double k);

   private:
    LineaX2* form_;
};

class VdWr2 : public VdWr {
   public:
    VdWr2();

    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    double getVolumeMinimum() override;
    // The step of the cross covolume (the indices name the one pair and are not used).
    void set_binary_interaction_kbij(int i, int j, double k0, double k1, double T0, double w);

   private:
    SumX2* sum_;
    StepCovolumes covolumeTable_;
};

}  // namespace vornex
