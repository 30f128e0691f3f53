// AnderkoH2O: pure water after Anderko and Pitzer, the sum of the Boublik hard-body
// repulsion, the dipole term and the water dispersion term, all with the water covolume
// 2.84959143e-05 m3/mol, and a dipole moment of 1.85 D. No ideal-gas term: the model is a
// residual one (its -ln V comes with the repulsion). Its saturation and spinodal searches
// are those of every water model.
#pragma once

#include "water/WaterEOS.h"

namespace vornex {

class Boublik;
class Dipole;
class H2ODisp;

class AnderkoH2O : public WaterEOS {
   public:
    static constexpr double kWaterCovolume = 2.84959143e-05;  // m3/mol
    static constexpr double kWaterDipoleMoment = 1.85;        // debye

    explicit AnderkoH2O(int phase);
    ~AnderkoH2O() override;

    Boublik& repulsion() { return *boublik_; }
    Dipole& dipole() { return *dipole_; }
    H2ODisp& dispersion() { return *dispersion_; }

   private:
    // Owned by the fluid as its residual terms 0, 1 and 2.
    Boublik* boublik_;
    Dipole* dipole_;
    H2ODisp* dispersion_;
};

}  // namespace vornex
