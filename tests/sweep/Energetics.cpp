// Energetics: kelno's cycles computed in the program, by heating mode (isochoric, isobaric,
// Wohletz), with and without the pyroclast-heated case, over surface pressures from 1 bar to
// just below water's critical pressure and the range of water/magma mass ratios: each
// computed cycle closes its heat balance, does no negative work where water expands, keeps
// the reversible work at least the irreversible one and never lowers an entropy on heating.
#include <cmath>
#include <string>
#include <vector>

#include "Sweep.h"
#include "numerics/TextCapture.h"
#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex::sweep {
namespace {

struct Heating {
    const char* command;
    uint8_t mode;  // 0 isochoric, 1 isobaric, 2 Wohletz
};
const Heating kHeatings[] = {{"pv", 0}, {"pp", 1}, {"pw", 2}};
const double kSurfacePressures[] = {1, 5, 20, 50, 100, 150, 200, 220.6};

void checkCycles(Checks& c, const Heating& h, double Psurf, bool pyroclast) {
    WagnerPruss water(2);
    const int n = c.budget().points(16, 4);
    for (int i = 0; i < n; ++i) {
        const double m = WaterMagmaCalculationInfo::kLeastMassRatio *
                         std::pow(WaterMagmaCalculationInfo::kMostMassRatio /
                                      WaterMagmaCalculationInfo::kLeastMassRatio,
                                  (i + 0.5) / n);
        const std::string mText = num(m), PText = num(Psurf);
        std::vector<const char*> words = {"m", mText.c_str(), "Psurf", PText.c_str()};
        if (pyroclast) words.push_back("pyroclast");
        WaterMagmaCalculationInfo info;
        info.heating = h.mode;
        WaterMagmaCalculationResult r;
        int read = 0;
        const std::string said = test::outputOf([&] {
            read = info.readArguments(static_cast<int>(words.size()), words.data());
            if (read == 0) {
                water.error = 0;
                water.calculateWaterMagmaCycle(info, r, 0, 0);
            }
        });
        const std::string where = std::string(h.command) + " Psurf " + PText + " bar, m " + mText;
        if (!c.check("the options are read", read == 0, where)) continue;
        if (water.error != 0 || r.failed) {
            c.check("a failed cycle says why", !r.failure.empty(), where);
            continue;
        }
        const std::vector<double> figures = {r.Q, r.Wrev, r.Wirr, r.U2, r.U5};
        bool finite = true;
        for (double v : figures) finite = finite && std::isfinite(v);
        if (!c.check("a computed cycle has no NaN", finite, where)) continue;
        const double M = water.M;
        auto perGram = [M](double molar) { return molar * 0.001 / M; };
        auto balance = [&](const char* name, double U5, double U2, double Q, double W) {
            const double dU = perGram(U5 - U2);
            c.check("the cycle's heat balance closes (U5 - U2 = Q + Wrev)",
                    std::fabs(dU - (Q + W)) <= 0.05 + 1e-4 * std::fabs(dU),
                    where + ", " + name + ": U5 - U2 " + num(dU) + ", Q " + num(Q) + ", Wrev " +
                        num(W) + " J/g");
        };
        auto works = [&](const char* name, double Wrev, double Wirr) {
            // Works are U(end) - U(start): negative where the water does work.
            c.check("no negative work where water expands", Wrev <= 1e-6 && Wirr <= 1e-6,
                    where + ", " + name + ": Wrev " + num(-Wrev) + ", Wirr " + num(-Wirr) + " J/g");
            c.check("Wrev >= Wirr", -Wrev >= -Wirr - 1e-6,
                    where + ", " + name + ": Wrev " + num(-Wrev) + ", Wirr " + num(-Wirr) + " J/g");
        };
        balance("the plain case", r.U5, r.U2, r.Q, r.Wrev);
        works("the plain case", r.Wrev, r.Wirr);
        c.check("heating never lowers an entropy", r.S3 >= r.S2 - 1e-6,
                where + ": S2 " + num(r.S2) + ", S3 " + num(r.S3) + " J/(mol K)");
        if (!pyroclast || r.pyroclastFailed) continue;
        if (!c.check("a computed cycle has no NaN",
                     std::isfinite(r.QP) && std::isfinite(r.WrevP) && std::isfinite(r.WirrP) &&
                         std::isfinite(r.U5P) && std::isfinite(r.S5P),
                     where + ", the pyroclast-heated case"))
            continue;
        balance("the pyroclast-heated case", r.U5P, r.U2, r.QP, r.WrevP);
        works("the pyroclast-heated case", r.WrevP, r.WirrP);
        c.check("heating never lowers an entropy", r.S5P >= r.S5 - 1e-6,
                where + ", the pyroclast-heated case: S5 " + num(r.S5) + ", heated S5 " +
                    num(r.S5P) + " J/(mol K)");
    }
}

// The cycle from water at T1 (degC) at the surface with a geothermal gradient: a cycle that
// runs starts from liquid water at the surface and at depth (at or above its vapour pressure,
// or above the critical pressure at depth); one that does not says why.
void checkStartStates(Checks& c, double T1, double Psurf, double geo) {
    WagnerPruss water(2);
    for (double depth : {100.0, 1000.0, 3000.0}) {
        const std::string TText = num(T1), PText = num(Psurf), gText = num(geo), dText = num(depth);
        std::vector<const char*> words = {"T1", TText.c_str(), "Psurf", PText.c_str(),
                                          "geo", gText.c_str(), "d", dText.c_str()};
        WaterMagmaCalculationInfo info;
        WaterMagmaCalculationResult r;
        int read = 0;
        test::outputOf([&] {
            read = info.readArguments(static_cast<int>(words.size()), words.data());
            if (read == 0) {
                water.error = 0;
                water.calculateWaterMagmaCycle(info, r, 0, 0);
            }
        });
        const std::string where = "T1 " + TText + " degC, Psurf " + PText + " bar, geo " + gText +
                                  " degC/km, d " + dText + " m";
        if (read != 0) continue;  // a depth too large for the options: refused as typed
        if (water.error != 0 || r.failed) {
            c.check("a failed cycle says why", !r.failure.empty(), where);
            continue;
        }
        auto liquid = [&](double TK, double Pbar) {
            if (Pbar >= 220.64) return true;
            if (TK >= 647.096) return false;
            WagnerPruss w(2);
            double Psat = 0;
            test::outputOf([&] { Psat = w.calculateTheSaturationPressure(TK) * 1e-5; });
            return Pbar >= Psat * (1 - 1e-6);
        };
        c.check("a cycle starts from liquid water at the surface", liquid(r.T1, r.P1),
                where + ": " + num(r.T1) + " K at " + num(r.P1) + " bar");
        c.check("a cycle starts from liquid water at depth", liquid(r.T2, r.P2),
                where + ": " + num(r.T2) + " K at " + num(r.P2) + " bar");
    }
}

}  // namespace

void addEnergeticsConfigurations(std::vector<Configuration>& out) {
    for (double T1 : {5.0, 45.0, 99.5, 99.7, 150.0})
        for (double Psurf : {0.1, 1.0, 10.0})
            for (double geo : {30.0, 150.0, 300.0})
                out.push_back({"energetics",
                               "energetics start T1 " + num(T1) + " Psurf " + num(Psurf) + " geo " + num(geo),
                               [=](Checks& c) { checkStartStates(c, T1, Psurf, geo); }});
    for (const Heating& h : kHeatings)
        for (bool pyroclast : {false, true})
            for (double P : kSurfacePressures) {
                const Heating* heating = &h;
                out.push_back({"energetics",
                               std::string("energetics ") + h.command +
                                   (pyroclast ? " pyroclast" : "") + " Psurf " + num(P),
                               [heating, P, pyroclast](Checks& c) {
                                   checkCycles(c, *heating, P, pyroclast);
                               }});
            }
}

}  // namespace vornex::sweep
