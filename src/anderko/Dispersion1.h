// Dispersion1: the frame of the dispersion term of one pure fluid in the Anderko-Pitzer
// equations, a power series in the density with temperature-dependent coefficients,
//     a = -(1/(R T)) * sum_(k=1..4) c_k(T) d_k,   d_k = 4 (1/(4V))^k,
// that is d_1 = 1/V, d_2 = 1/(4V^2), d_3 = 1/(16V^3), d_4 = 1/(64V^4). A subclass builds the
// coefficient functions c_1 .. c_4 over the temperature node T_ (in the pool, so they are
// owned with the frame), stores them in `coefficient` and calls finish_parse_graph; its
// number_of_components links T_ to variable 0 and V_ to variable 1. Until then the frame is
// not usable: its variable nodes are unlinked and its products have no children.
#pragma once

#include "anderko/Attraction.h"
#include "fluid/TermNodes.h"

namespace vornex {

class FVar;
class Inverse;
class Product;
class Square;
class Sum;
class Cube;

class Dispersion1 : public Attraction {
   public:
    // -1/R, R = 8.31434 J/(mol K).
    static constexpr double kMinusInverseGasConstant = -0.12027412879434808;

    Dispersion1();
    ~Dispersion1() override;

    // Ties A1 = c_1 d, A2 = c_2 d2, A3 = c_3 d3, A4 = c_4 d4.
    void finish_parse_graph();

    // The node of that name (the root is "A"), or null.
    Expression* node(const char* name);

   protected:
    TermNodes nodes_;
    FVar* T_;
    Inverse* K_;
    Sum* A0_;
    Product* A1_;
    Product* A2_;
    Product* A3_;
    Product* A4_;
    FVar* V_;
    Inverse* d_;
    Square* d2_;
    Cube* d3_;
    Square* d4_;
    Expression* coefficient[4] = {nullptr, nullptr, nullptr, nullptr};
    Product* A_;
};

}  // namespace vornex
