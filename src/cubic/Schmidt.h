// Attraction terms of the term-based cubic fluids: the attractive part of a two-constant
// cubic with the denominator V^2 + u b V + w b^2,
//     A/(R T) = (1/(R T)) (a/b) (1/sqrt(D)) ln((2V + (u - sqrt(D)) b)/(2V + (u + sqrt(D)) b)),
// D = u^2 - 4 w (Peng-Robinson u = 2, w = -1; Soave-Redlich-Kwong u = 1, w = 0), with the
// mixture attraction a (Pa m6/mol2) and covolume b (m3/mol) as graph nodes made by the
// subclasses. With the repulsion -ln(V - b) (VdWr.h) the pressure is the cubic
//     P = R T/(V - b) - a/(V^2 + u b V + w b^2).
//   SchmidtTerm  the graph above and the reading of a and b for the cubic solution;
//   Schmidt      its inputs T and V are variable nodes (the base of DaridonInt);
//   Schmidt0     its inputs are the leaves 1/(R T) and 2V written by the term.
// Graph variables: 0 T (K), 1 V (m3/mol), 2 + i the mole fraction of component i.
// R = 8.31434 J/(mol K). Every node belongs to the term's node pool.
#pragma once

#include <vector>

#include "anderko/Attraction.h"
#include "cubic/CubicTerms.h"
#include "expression/Function.h"

namespace vornex {

class SchmidtTerm : public Attraction {
   public:
    ~SchmidtTerm() override;

    double u = 0.0, w = 0.0, D = 0.0;  // D = u^2 - 4 w
    Expression* a = nullptr;           // mixture attraction, Pa m6/mol2
    Expression* b = nullptr;           // mixture covolume, m3/mol

    // a, da/dT, b and their first derivatives in each mole fraction at the term's T and
    // composition (the graph evaluated to first order). False when the evaluation fails.
    bool mixtureParameters(double& av, double& dadT, double& bv, std::vector<double>& dadx,
                           std::vector<double>& dbdx);
    // The node of that name ("A" the root, "a", "b", "ai(0)", ...), or null.
    Expression* node(const char* name);

   protected:
    SchmidtTerm(double u, double w);
    // Ties the graph over the subclass's a and b: 1/(R T) from `mRT`, 2V as `weight` times
    // the node `volume`. The term becomes the graph's leaf-recomputation target.
    void tieGraph(Expression& mRT, Expression& volume, double weight);

    TermNodes nodes_;
};

class Schmidt : public SchmidtTerm {
   public:
    Schmidt(double u, double w);

   protected:
    FVar* T_;  // variable 0 once the subclass links it
    FVar* V_;  // variable 1 once the subclass links it
};

class Schmidt0 : public SchmidtTerm {
   public:
    Schmidt0(double u, double w);

    void number_of_components(int n) override;
    // 1/(R T) with its T derivatives.
    void calculate_fixed_parameters() override;
    // 2 V with its V derivative.
    void calculate_volume_dependent_parameters() override;
    virtual void specify_dependencies();

   protected:
    // The graph over the a and b the subclass created.
    void build_parse_graph();
    Leaf* mRT_;
    Leaf* twoV_;
};

}  // namespace vornex
