// H2ODisp: the dispersion term of pure water in the Anderko-Pitzer equation of state
// (dimensionless reduced Helmholtz energy), a Dispersion1 with the coefficient functions
//     c1 = a, c2 = a c b, c3 = a d b^2, c4 = a e b^3,
// a, c, d polynomials in Tr = 647.067 K / T (Tr, Tr^2, Tr^4 and a constant), e = -9, and b
// the water covolume (m3/mol). With the same coefficients as the water functions of
// AnderkoDispersion it gives, for pure water, the dispersion energy of that term (Anderko
// and Pitzer 1993, Geochim. Cosmochim. Acta 57, 1657).
#pragma once

#include "anderko/Dispersion1.h"

namespace vornex {

class H2ODisp : public Dispersion1 {
   public:
    H2ODisp();
    ~H2ODisp() override;

    // A covolume b (m3/mol) other than 0 goes into the three products as b, b^2 and b^3.
    void set_covolume(double b);

    // One component only: links T_ to variable 0 and V_ to variable 1 and sizes the graph.
    // Any other count is refused with a message on standard error; the term is then left
    // unsized, so an evaluation reports an error instead of a value.
    void number_of_components(int n) override;
};

}  // namespace vornex
