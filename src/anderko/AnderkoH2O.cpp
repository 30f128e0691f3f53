#include "anderko/AnderkoH2O.h"

#include "anderko/Boublik.h"
#include "anderko/Dipole.h"
#include "anderko/H2ODisp.h"

namespace vornex {

AnderkoH2O::AnderkoH2O(int phase)
    : WaterEOS(3, phase, 0), boublik_(new Boublik), dipole_(new Dipole), dispersion_(new H2ODisp) {
    setInteraction(0, boublik_);
    setInteraction(1, dipole_);
    setInteraction(2, dispersion_);
    Vl0 = 2e-5;
    Vv0 = 2e-4;
    setModelName("Anderko H2O");
    number_of_components(1);
    add_components("H2O");
    // The critical point of this model, where its critical searches and tracers start.
    Tcrit = 648.6;
    Vcrit = 6.174e-05;
    boublik_->set_parameters(kWaterCovolume);
    dipole_->set_parameters(kWaterCovolume, kWaterDipoleMoment);
    dispersion_->set_covolume(kWaterCovolume);
    molarMass[0] = kWaterMolarMass;
    M = kWaterMolarMass;
}

AnderkoH2O::~AnderkoH2O() = default;

}  // namespace vornex
