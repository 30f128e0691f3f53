// TaitJaupart: a closed elastic magma chamber of melt, crystals and a volatile phase (H2O,
// CO2 or both) after Tait, Jaupart and Vergniolle (1989). Crystallisation exsolves volatiles
// and raises the pressure; the chamber erupts when the overpressure reaches a threshold.
// Dissolved mass per melt mass s P^n for each volatile; melt and crystals compressible
// with the bulk moduli Kl and Kr, the chamber wall elastic with Kr:
//     V(P) = V0 (1 + (P - P0)/Kr) = Vl + Vg + Vc.
// Gas densities from the reference water model (H2O), the IUPAC carbon dioxide model (CO2)
// or the ideal-gas law (mixtures). Masses in kg, volumes in m3, densities in kg/m3, P in Pa
// (bar on output), T in K, molar masses in kg/mol.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "fluid/Phase.h"  // CurveArray
#include "numerics/Equation.h"

namespace vornex {

class WagnerPruss;
class IUPACCO2;
struct Muller;

class TaitJaupart : public Equation {
   public:
    double M = 0.0;  // total mass
    double ml0 = 0.0, mc0 = 0.0;
    double mg0H = 0.0, md0H = 0.0, totH = 0.0;
    double mg0C = 0.0, md0C = 0.0, totC = 0.0;
    double xCO2 = 0.0;  // CO2 share of the volatiles (mass)
    double P0 = 0.0;
    double rhol0 = 0.0, rhog0 = 0.0, rhoc0 = 3300.0;
    double V0 = 0.0, Vl0 = 0.0, Vg0 = 0.0, Vc0 = 0.0;
    double satH = 0.0, satC = 0.0;
    double sH = 0.0, nH = 1.0;  // law of the first volatile
    double sC = 0.0, nC = 1.0;  // law of CO2 in the mixture
    double Kr = 1e10, Kl = 1e10;
    double P = 0.0;
    double mc = 0.0, ml = 0.0;
    double mgH = 0.0, mdH = 0.0, mgC = 0.0, mdC = 0.0;
    double rhol = 0.0, rhog = 0.0, rhoc = 0.0;
    double V = 0.0, Vl = 0.0, Vg = 0.0, Vc = 0.0;
    double T = 0.0;
    double Mg = 0.0;  // molar mass of the gas
    int meltType = 0;
    int fluidType = 0;  // 0 H2O, 1 CO2, 3 H2O-CO2
    double dPc = 0.0;   // threshold overpressure
    int realGas = 1;
    int pressureError = 0;         // code of the last pressure solution
    int crystallizationError = 0;  // code of the last threshold search

    // Melt 0, H2O, 1000 kg at 1000 bar without crystals and with 1 wt % volatiles.
    TaitJaupart();
    ~TaitJaupart();
    TaitJaupart(const TaitJaupart&) = delete;
    TaitJaupart& operator=(const TaitJaupart&) = delete;

    // Melt 0 (2700 kg/m3, 1473 K) or 1 (2300 kg/m3, 1173 K); others refused (false).
    bool setMelt(int type);
    // Fluid 0 H2O, 1 CO2, 3 H2O-CO2 with CO2 share x (0 to 1), on the melt set before.
    // Other types, and a share outside 0 to 1, are refused (false, with a message, the
    // fluid left as it was).
    bool setFluid(int type, double x);
    // Initial state for total mass M, pressure P0, crystal fraction phic, volatile fraction
    // wv and CO2 share x (fluid 3). False, with a message, for refused values or a gas
    // density the models could not give.
    bool setInitialData(double M, double P0, double phic, double wv, double x);

    void calculateSaturation(double P, double phic, double aH, double aC);
    // The exsolved and dissolved masses (mdH, mdC, mgH, mgC) at P of the volatiles wv M with
    // CO2 share x in the chamber as set up: its crystals mc0 and the volatile-free melt
    // M - mc0 - wv M (left in ml). 0, or 1 where the melt holds them all (no gas).
    int calculateVolatilePartition(double P, double wv, double x);
    double equationForP(double P, void* context);
    void calculate_vector_function(double* x, double* F, double** J, int& err, int order,
                                   void* context);

    // Chamber pressure at crystal fraction phic, left in P with the state; 0, or the error
    // code (also in pressureError), with a message naming the state, the state left as it
    // was. The volume balance rises with P, so its root, where there is one, is bracketed
    // between 1e-3 Pa and P0 + min(Kl, Kr). A fraction that is negative or leaves no melt
    // (phic >= 1 - wv, the volatiles wv) is refused with kNoMelt; kNoBalance where melt,
    // crystals and gas fill the chamber at no pressure of that range (a chamber without gas
    // whose crystals shrink it beyond what its wall can follow).
    static constexpr int kNoMelt = 6;
    static constexpr int kNoBalance = 7;
    int calculateOverpressure(double phic);
    double equationForOverpressure(double phic, void* context);
    // The first crystal fraction at or above the chamber's own (mc0/M) at which
    // P - P0 = dPc, searched in steps of 0.005 of crystals and then solved; the chamber is
    // left in the state of that fraction. Crystallisation only: a threshold reached by
    // melting is not the chamber's. When crystallising until no melt is left does not reach
    // it, a message with the highest overpressure met, crystallizationError 1, NaN and the
    // chamber as it was.
    double calculateCrystallizationForOverpressure(double dPc);

    // Mode 6: (wt % dissolved, P in bar) from 1 bar up by 10 bar.
    void calculateSolubilityCurve(double phic, double wv, double x, char mode, const char* suffix,
                                  CurveArray* values);
    // From phi1 towards phi2 by 0.001: mc, ml, mg, md (% of M), Vl, Vg, Vc (% of V), P and
    // the approximation Pa (bar), into "crysta.txt" (mode 1) or the array (mode 6).
    // The suffix ends the wave names: letters, digits and "_" only in a file.
    // False when refused, when the file cannot be written, or when points had no pressure:
    // those are left out, their count in leftOut, and said once with the fractions they span.
    int leftOut = 0;
    bool calculateCrystallizationCurve(double phi1, double phi2, char mode, const char* suffix,
                                       CurveArray* values);
    // Eruptions at the threshold dPc until crystals make half the mass, ten numbers per
    // eruption (dV, me, mde, mge, yg, volatile fraction, mc0, ml0, mg0, M). Stops, saying
    // why, when crystallising does not reach the threshold, or after kMaxEruptions. Returns
    // the number of eruptions. The sequence erupts a copy of the chamber, of its own mass
    // (the balances are intensive: the masses and volumes scale with it, the rest does not);
    // the chamber as set up and its last state are left as they were.
    static constexpr int kMaxEruptions = 1000;
    int calculateEruptionSequence(double dPc, CurveArray* values);

    void print(std::FILE* out = stdout);

   private:
    // Gas density at (T, p) of the fluid type; false when the model found no volume.
    bool gasDensity(double p, double& rho);
    // The partition of totals tH, tC over the volatile-free melt (left in ml) at p.
    int partition(double p, double melt, double tH, double tC);
    // Every number of the chamber (set-up, state and last results), for the eruption
    // sequence to give back.
    struct Numbers;
    Numbers numbers() const;
    void restore(const Numbers& n);
    // The sequence on the chamber itself.
    int erupt(double dPc, CurveArray* values);
    // The bracketed root of the volume balance at the set crystals; 0, or the code with
    // lastFailure_ saying why.
    int solvePressure(double& root);
    std::string lastFailure_;  // the reason of the last failure
    bool quiet_ = false;       // inside a curve or search: failures counted, not printed
    double partitionH_ = 0.0, partitionC_ = 0.0;  // the totals the partition residual holds
    bool mixture() const { return fluidType == 3; }
    // Whether the crystal fraction phic of the chamber of total mass `mass` leaves some melt.
    bool meltRemains(double phic, double mass) const;

    std::unique_ptr<WagnerPruss> water_;
    std::unique_ptr<IUPACCO2> co2_;
    std::unique_ptr<Muller> pressureSolver_;
};

}  // namespace vornex
