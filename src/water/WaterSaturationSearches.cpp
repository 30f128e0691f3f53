// Saturated states of given entropy and spinodal states of water, found by the fluid
// framework's searches on the object's own model, started from the fits of
// WaterSaturationCorrelations.h.

#include "water/WaterEOS.h"
#include "water/WaterSaturationCorrelations.h"

namespace vornex {

namespace {

void setSearchStart(WaterEOS& w, const water::SearchStart& start) {
    w.temperature(start.T);
    w.Vl0 = start.Vl;
    w.Vv0 = start.Vv;
}

}  // namespace

int WaterEOS::calculateBoilingPointFromS(double entropy) {
    S = entropy;
    setSearchStart(*this, water::boilingStartFromS(entropy));
    return calculateLiquidSaturationFromEntropy(entropy);
}

int WaterEOS::calculateCondensationPointFromS(double entropy) {
    S = entropy;
    setSearchStart(*this, water::condensationStartFromS(entropy));
    return calculateGasSaturationFromEntropy(entropy);
}

namespace {

// The entropy of the state (T, P); false when the state could not be computed.
bool entropyOfState(WaterEOS& w, double TK, double Pbar) {
    w.temperature(TK);
    w.pressure(Pbar);
    w.calculate_molar_volume();
    if (w.error) return false;
    w.calculate_state_functions();
    return !w.error;
}

}  // namespace

int WaterEOS::calculateBoilingPointFromTP(double TK, double Pbar) {
    if (!entropyOfState(*this, TK, Pbar)) return 1;
    return calculateBoilingPointFromS(S);
}

int WaterEOS::calculateCondensationPointFromTP(double TK, double Pbar) {
    if (!entropyOfState(*this, TK, Pbar)) return 1;
    return calculateCondensationPointFromS(S);
}

void WaterEOS::calculateTheLiquidSpinodalTemperatureFromV(double Vm3) {
    calculateSpinodalPoint1(Vm3, water::liquidSpinodalStartTemperature(Vm3));
}

int WaterEOS::calculateTheLiquidSpinodalTemperatureFromP(double Pbar) {
    water::SearchStart start = water::liquidSpinodalStartFromP(Pbar);
    return calculateSpinodalPoint2(Pbar, start.Vl, start.T);
}

void WaterEOS::calculateTheSpinodalPointFromS(double entropy) {
    water::SearchStart start = water::spinodalStartFromS(entropy, Scrit);
    calculateSpinodalPointFixedS(entropy, start.Vl, start.T);
}

}  // namespace vornex
