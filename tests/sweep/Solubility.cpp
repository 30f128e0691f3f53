// The gas-solubility models where the other families do not go: Dubessy's saturated vapour of
// H2O-CO2 and its brines by content, salinity and temperature; the Henry-Pitzer sets in hot
// water; every model at the exact top of its ranges, the pressure given in bar and in Pa; every
// model with each gas model, with or without a vapour side; Henry's law over water without
// NaCl; every model's isopleths and two-phase isochores, made or refused; the brine
// vapour-pressure dialogues with each suffix character; and the models that take their gases
// by name (Henry's law, the Henry-Pitzer sets) set up again with another gas, each gas weighed
// by its formula, or by system type and then by names; the models of one system's gas given
// another gas by name; every model set up in every order; one-phase isochores on either
// side of the saturated solution's density; every model's partial volume of the gas against
// the pressure slopes of its Henry constant and of its salting-out; every operation on a
// brine given by mole fractions; Dubessy's options in and out of their lists; the Henry-Pitzer
// sets of one to three gases by their gas-phase fractions; the decompression of gas-charged
// water from final pressures and temperatures in and out of range; cold water under a dense
// gas heated past where the liquid's and the vapour's densities cross; and a solution's
// pressure from its density, guessed inside and outside the brine density's pressures.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Sweep.h"
#include "cubic/ClassicalCubic0.h"
#include "cubic/TermCubic.h"
#include "dkl/DuanModels.h"
#include "fluid/CurveOutput.h"
#include "numerics/TextCapture.h"
#include "solubility/DMGWwater.h"
#include "solubility/Dubessy.h"
#include "solubility/HenPitSet.h"
#include "solubility/Henry.h"
#include "solubility/HenryCorrelations.h"
#include "solubility/SaltSolution.h"
#include "solubility/SolubilityModel.h"
#include "solubility/SpiveySolubility.h"
#include "solubility/Zhang.h"
#include "water/DensityModel.h"
#include "water/MaoDuanSalinityModel.h"
#include "water/SpiveyDensityModel.h"
#include "water/WagnerPruss.h"
#include "water/WaterEOS.h"

namespace vornex::sweep {
namespace {

// ------------------------------------------------------------------ Dubessy

// The vapour's Gibbs energy below its tangent plane, found apart from the model's own test:
// every CO2-rich composition (the water-rich ones are liquid water, the activity model's),
// every mechanically stable root of the vapour's equation at the solution's pressure, found
// on a scan of the volume. The least distance (RT units); 0 when none lies below.
class TangentPlane {
   public:
    TangentPlane() : fluid_(2, 0) {
        fluid_.number_of_components(2);
        fluid_.add_component("H2O");
        fluid_.add_component("CO2");
    }

    double leastDistance(double T, double V, double y, int points) {
        double P = 0.0, lnf[2];
        if (!state(T, V, y, P, lnf)) return std::nan("");
        double least = 0.0;
        std::vector<double> trials;
        for (int k = 1; k < points; ++k) trials.push_back(0.5 + 0.5 * k / points);
        for (double d : {1e-3, 1e-4, 1e-5, 1e-6}) trials.push_back(1.0 - d);
        for (double Y : trials)
            for (double Vt : roots(T, P, Y)) {
                double Pt = 0.0, lt[2];
                if (!state(T, Vt, Y, Pt, lt)) continue;
                least = std::min(least, (1.0 - Y) * (lt[0] - lnf[0]) + Y * (lt[1] - lnf[1]));
            }
        return least;
    }

   private:
    bool state(double T, double V, double y, double& P, double lnf[2]) {
        const double fractions[2] = {1.0 - y, y};
        fluid_.temperature(T);
        fluid_.volume(V);
        fluid_.composition(fractions);
        fluid_.error = 0;
        fluid_.calculate_fugacities();
        if (fluid_.error || !std::isfinite(fluid_.P)) return false;
        P = fluid_.P;
        for (int i = 0; i < 2; ++i) lnf[i] = std::log(fluid_.fugacity[i]);
        return std::isfinite(lnf[0]) && std::isfinite(lnf[1]);
    }
    // The volumes at which the pressure falls through P, from 12 cm3/mol to 1 m3/mol.
    std::vector<double> roots(double T, double P, double Y) {
        std::vector<double> out;
        double lnf[2], Pa = 0.0, Va = 0.0;
        bool have = false;
        for (double lv = std::log(1.2e-5); lv < 0.0; lv += 0.04) {
            const double Vb = std::exp(lv);
            double Pb = 0.0;
            if (!state(T, Vb, Y, Pb, lnf)) {
                have = false;
                continue;
            }
            if (have && Pa > P && Pb <= P) {
                double lo = Va, hi = Vb;
                for (int it = 0; it < 60; ++it) {
                    const double mid = 0.5 * (lo + hi);
                    double Pm = 0.0;
                    if (!state(T, mid, Y, Pm, lnf)) break;
                    (Pm > P ? lo : hi) = mid;
                }
                out.push_back(0.5 * (lo + hi));
            }
            Pa = Pb, Va = Vb, have = true;
        }
        return out;
    }
    PRSV fluid_;
};

// One temperature of Dubessy's H2O-CO2 (system 0) or H2O-CO2-NaCl (system 2) model with a
// Henry option: CO2 contents of 0.05 to 3 mol/kg by 0.05 at each NaCl molality up to 6. A
// content is solved or refused saying why; none is refused between two solved contents of its
// salinity; the pressure rises with the content and with the salt; a solution's vapour holds
// both water and CO2 at a finite pressure within 10 kbar, and no other CO2-rich fluid lies
// below its tangent plane.
void checkDubessy(Checks& c, int system, int henryOption, double TK) {
    const Budget& b = c.budget();
    const int contents = 60, nSalt = system == 0 ? 1 : 7;
    // The sample takes every step-th content from an offset of the seed, and a few salinities.
    const int step = b.full ? 1 : std::max(1, contents / b.points(contents, 8));
    const int first = b.offset(c.configuration() + " contents", step);
    const int saltStep = b.full || nSalt == 1 ? 1 : std::max(1, nSalt / b.points(nSalt, 2));
    const int firstSalt = nSalt == 1 ? 0 : b.offset(c.configuration() + " salts", saltStep);
    TangentPlane plane;
    std::vector<double> previousSaltP(contents + 1, std::nan(""));
    for (int s = firstSalt; s < nSalt; s += saltStep) {
        const double ms = static_cast<double>(s);
        struct Point {
            double mg;
            bool solved;
            double P;
        };
        std::vector<Point> points;
        for (int k = first + 1; k <= contents; k += step) {
            const double mg = 0.05 * k;
            const std::string where =
                "T " + num(TK) + " K, NaCl " + num(ms) + ", CO2 " + num(mg) + " mol/kg";
            Dubessy d(static_cast<char>(system), 0, 0, static_cast<char>(henryOption));
            const std::string said =
                test::outputOf([&] { d.calculate_gas_solubility(TK, mg, ms); });
            const bool solved = d.error == 0;
            points.push_back({mg, solved, d.P});
            if (!solved) {
                c.check("a content not solved says why", !said.empty() && std::isnan(d.P),
                        where + (said.empty() ? ": nothing said" : ": P " + num(d.P)));
                continue;
            }
            if (!c.check("a solved vapour holds water and CO2 within 10 kbar",
                         std::isfinite(d.P) && d.P > 0 && d.P <= 1e9 && d.yCO2 > 0 && d.yCO2 < 1 &&
                             std::isfinite(d.Vvap) && d.Vvap > 0,
                         where + ": P " + num(d.P * 1e-5) + " bar, y(CO2) " + num(d.yCO2) + ", V " +
                             num(d.Vvap)))
                continue;
            // Each CO2-rich vapour on its tangent plane; a water-rich one is checked by the
            // fugacity balance the solution is.
            if (d.yCO2 > 0.5) {
                const double least = plane.leastDistance(TK, d.Vvap, d.yCO2, b.full ? 50 : 12);
                c.check("the vapour is stable", least > -1e-6,
                        where + ": P " + num(d.P * 1e-5) + " bar, y(CO2) " + num(d.yCO2) + ", V " +
                            num(d.Vvap * 1e6) + " cm3/mol, a CO2-rich fluid " + num(least) +
                            " RT below its tangent plane");
            }
            double& below = previousSaltP[static_cast<std::size_t>(k)];
            if (std::isfinite(below))
                c.check("more salt needs more pressure for the same CO2", d.P >= below * (1 - 1e-7),
                        where + ": " + num(d.P * 1e-5) + " bar, " + num(below * 1e-5) +
                            " bar with less salt");
            below = d.P;
        }
        for (std::size_t i = 1; i < points.size(); ++i) {
            const Point &a = points[i - 1], &p = points[i];
            if (a.solved && p.solved)
                c.check("the pressure rises with the content", p.P > a.P,
                        "T " + num(TK) + " K, NaCl " + num(ms) + ": " + num(a.mg) + " mol/kg at " +
                            num(a.P * 1e-5) + " bar, " + num(p.mg) + " at " + num(p.P * 1e-5));
            if (!p.solved && a.solved) {
                bool later = false;
                for (std::size_t j = i + 1; j < points.size(); ++j)
                    later = later || points[j].solved;
                c.check("no refusal between solved contents", !later,
                        "T " + num(TK) + " K, NaCl " + num(ms) + ", CO2 " + num(p.mg) +
                            " mol/kg refused after " + num(a.mg) + " at " + num(a.P * 1e-5) +
                            " bar");
            }
        }
    }
}

// One isotherm of Dubessy's model by the water fraction of the liquid, CO2 taking the share r of
// the solutes (the rest NaCl): along it the pressure rises with the content, and each row's
// liquid has a CO2 fugacity rising with its CO2 content at its T and P (past the activity
// model's spinodal no liquid exists).
void checkDubessyIsotherm(Checks& c, int system, int henryOption, double r, double TK) {
    Dubessy model(static_cast<char>(system), 0, 0, static_cast<char>(henryOption));
    std::FILE* out = std::tmpfile();
    if (!c.check("the isotherm is written", out != nullptr, "no temporary file")) return;
    test::outputOf([&] { model.calculate_the_isotherm1(TK, r, 1, out); });
    std::rewind(out);
    Dubessy probe(static_cast<char>(system), 0, 0, static_cast<char>(henryOption));
    probe.temperature(TK);
    auto activity = [&](double mg) {
        probe.x2 = 0.018 * mg / (0.018 * mg + 1.0);
        probe.x1 = 1.0 - probe.x2;
        probe.calculate_activity_coefficients();
        return probe.x2 * probe.gammaCO2;
    };
    char line[512];
    double previous = 0.0, previousM = 0.0;
    while (std::fgets(line, sizeof line, out)) {
        double T, xg, xs, mg, ms, v, y, P, share;
        if (std::sscanf(line, "%lf %lf %lf %lf %lf %lf %lf %lf %lf", &T, &xg, &xs, &mg, &ms, &v,
                        &y, &P, &share) != 9)
            continue;
        const std::string where = "T " + num(TK) + " K, CO2 " + num(mg) + ", NaCl " + num(ms) +
                                  " mol/kg at " + num(P) + " bar";
        c.check("the isotherm's pressure rises with the content", P > previous,
                where + ", " + num(previousM) + " mol/kg CO2 at " + num(previous) + " bar");
        c.check("each row's liquid exists", activity(mg + 1e-4) > activity(mg),
                where + ": its CO2 fugacity falls as the content rises");
        previous = P, previousM = mg;
    }
    std::fclose(out);
}

// Dubessy's brine isopleth from 600 K up to water's critical temperature, where the brine's
// vapour pressure nears the liquid's spinodal: each row is the state a fresh model gives,
// over liquid water (the water model's root denser than the critical point) with a water
// activity within (0, 1].
void checkDubessyHotBrine(Checks& c, int henryOption, double ms, double mg) {
    // A file of its own: the sweep's workers run other configurations beside it.
    const std::string suffix = "_sweep_hot" + std::to_string(henryOption) + "_" +
                               std::to_string(static_cast<int>(ms)) + "_" +
                               std::to_string(static_cast<int>(std::lround(10.0 * mg)));
    Dubessy curve(2, 0, 0, static_cast<char>(henryOption));
    curve.ms = ms;
    bool made = false;
    test::outputOf([&] { made = curve.calculate_the_isopleth(mg, 600.15, 1, suffix.c_str()); });
    if (!c.check("the isopleth starts", made,
                 "NaCl " + num(ms) + ", CO2 " + num(mg) + " mol/kg at 600.15 K"))
        return;
    std::ifstream in("isop" + suffix);
    std::string line;
    WagnerPruss water(2);
    while (std::getline(in, line)) {
        double T, x, m, v, y, P;
        if (std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf %lf", &T, &x, &m, &v, &y, &P) != 6)
            continue;
        const std::string where = "T " + num(T) + " K, NaCl " + num(ms) + ", CO2 " + num(mg) +
                                  " mol/kg: isopleth " + num(P) + " bar";
        Dubessy fresh(2, 0, 0, static_cast<char>(henryOption));
        test::outputOf([&] { fresh.calculate_gas_solubility(T, mg, ms); });
        c.check("a row is the fresh state", fresh.error == 0 && std::fabs(fresh.P * 1e-5 - P) <= 1e-5 * P,
                where + ", fresh " + num(fresh.P * 1e-5) + " bar");
        if (fresh.error) continue;
        c.check("the brine's water activity lies within (0, 1]", fresh.aw > 0.0 && fresh.aw <= 1.0,
                where + ": a_w " + num(fresh.aw));
        water.temperature(T);
        water.Pascal(fresh.P);
        water.calculate_molar_volume();
        c.check("the brine's water is liquid", water.error == 0 && water.V < kWaterCriticalVolume,
                where + ": water volume " + num(water.V * 1e6) + " cm3/mol");
    }
    std::remove(("isop" + suffix).c_str());
}

// Dubessy's model at temperatures towards 0 K, where water's vapour pressure underflows: each
// state is refused, saying why (a start of zero pressure once hung the search).
void checkDubessyCold(Checks& c, int system, int henryOption) {
    for (double TK : {1e-300, 1e-3, 0.5, 5.0, 50.0})
        for (double mg : {0.0, 0.5, 3.0}) {
            Dubessy model(static_cast<char>(system), 0, 0, static_cast<char>(henryOption));
            const std::string said =
                test::outputOf([&] { model.calculate_gas_solubility(TK, mg, 0.0); });
            c.check("a state without liquid water is refused, saying why",
                    model.error == 1 && std::isnan(model.P) && !said.empty(),
                    "T " + num(TK) + " K, CO2 " + num(mg) + " mol/kg: P " + num(model.P));
        }
}

// ------------------------------------------------------------------ Henry-Pitzer sets, hot

// A set of one gas in water and brine from 448 K to water's critical temperature: a state is
// solved or refused saying why; at m 0 the brine set is the salt-free one (the brine's
// activity model gives nothing above about 575 K: a salt molality is refused there, saying
// so); fractions sum to one; along the temperature no state is refused between two solved.
void checkHotHenPitSet(Checks& c, int henrySet, const std::string& gas) {
    auto solve = [&](bool brine, double TK, double Pbar, double m, std::string& said) {
        auto s = std::make_unique<HenPitSet>();
        said = test::outputOf([&] {
            s->setVapourModel(1);
            s->henrySet = henrySet;
            s->number_of_components(brine ? 3 : 2);
            s->add_components("H2O", gas.c_str());
            if (brine) s->add_component("NaCl");
            s->temperature(TK);
            s->pressure(Pbar);
            s->m = m;
            s->describe();
        });
        return s;
    };
    const Budget& b = c.budget();
    const int nT = b.points(100, 8);
    const std::vector<double> pressures = {300.0, 500.0, 1000.0, 2000.0};
    const std::vector<double> salts = {0.0, 1e-6, 1.0, 4.0};
    for (double Pbar : pressures)
        for (double m : salts) {
            int lastSolved = -1, refusedAfter = -1;
            for (int i = 0; i < nT; ++i) {
                const double TK = 448.15 + (647.0 - 448.15) * i / (nT - 1);
                const std::string where =
                    "T " + num(TK) + " K, P " + num(Pbar) + " bar, m " + num(m);
                std::string said, saidWater;
                auto s = solve(true, TK, Pbar, m, said);
                if (s->error) {
                    c.check("a hot set solves or says why", !said.empty(),
                            where + ": nothing said");
                    if (lastSolved >= 0 && refusedAfter < 0) refusedAfter = i;
                    continue;
                }
                if (refusedAfter >= 0)
                    c.check("no refusal between solved temperatures", false,
                            where + " solved, " +
                                num(448.15 + (647.0 - 448.15) * refusedAfter / (nT - 1)) +
                                " K refused after " +
                                num(448.15 + (647.0 - 448.15) * lastSolved / (nT - 1)) +
                                " K solved");
                refusedAfter = -1;
                lastSolved = i;
                double sum = 0.0;
                bool finite = true;
                for (double v : s->x) sum += v, finite = finite && std::isfinite(v) && v >= 0.0;
                c.check("a hot set's fractions sum to one", finite && std::fabs(sum - 1) < 1e-9,
                        where + ": " + num(sum));
                if (m == 0.0) {
                    auto w = solve(false, TK, Pbar, 0.0, saidWater);
                    c.check("a hot brine set at m 0 is the salt-free solution",
                            w->error == 0 && w->x[static_cast<std::size_t>(w->iGas)] ==
                                                 s->x[static_cast<std::size_t>(s->iGas)],
                            where + ": " + num(s->x[static_cast<std::size_t>(s->iGas)]) +
                                " against " +
                                (w->error ? "a refusal"
                                          : num(w->x[static_cast<std::size_t>(w->iGas)])));
                }
            }
        }
}

// ------------------------------------------------------------------ range tops

// The model's solubility at T, P (given in bar, or in Pa) and NaCl molality ms.
void solveAt(SolubilityModel& m, double TK, double Pbar, double ms, bool inPa) {
    m.temperature(TK);
    if (inPa)
        m.Pascal(Pbar * 1e5);
    else
        m.pressure(Pbar);
    m.setMolalities(ms, 0.0);
    m.calculate_gas_solubility0();
}

// Each model at the top of its published pressures (at the ends and the middle of its
// temperatures, with no salt and its most), the pressure given in bar and in Pa: where the
// state a part in 1e7 below the top is solved, the top is solved too, the same either way and
// continuous with it, and its solubility bubbles at the top from the estimate, from 1.3 times
// it and from it (or, past a peak of the solubility, at a lower pressure that dissolves as
// much). The solution's density at the top pressure of each brine-density model likewise.
void checkRangeTop(Checks& c, const SolubilityMaker& maker) {
    auto probe = maker.make();
    const auto* range = probe->publishedRange();
    if (range == nullptr) return;
    const bool salt = probe->iNaCl >= 0;
    const double Ptop = range->Pmax;
    auto solvedAt = [&](double TK, double Pbar, double ms, bool inPa, std::string* said = nullptr) {
        auto m = maker.make();
        const std::string text = test::outputOf([&] { solveAt(*m, TK, Pbar, ms, inPa); });
        if (said) *said = text;
        return m;
    };
    auto solved = [](const SolubilityModel& m) {
        return m.error == 0 && m.vapourError == 0 && std::isfinite(m.mg) && m.mg > 0;
    };
    for (double TK : {range->Tmin, range->Tmax, 0.5 * (range->Tmin + range->Tmax)})
        for (double ms : {0.0, range->mMax}) {
            if (!salt && ms > 0) continue;
            const std::string where =
                "T " + num(TK) + " K, P " + num(Ptop) + " bar, NaCl " + num(ms);
            auto below = solvedAt(TK, Ptop * (1 - 1e-7), ms, false);
            if (!solved(*below)) continue;
            std::string said;
            auto bar = solvedAt(TK, Ptop, ms, false, &said), pa = solvedAt(TK, Ptop, ms, true);
            if (!c.check("the range top is solved where just below it is",
                         solved(*bar) && std::fabs(bar->mg / below->mg - 1) < 1e-5,
                         where + ": " + num(bar->mg) + " mol/kg (error " + num(bar->error) +
                             ", vapour error " + num(bar->vapourError) + "), " + num(below->mg) +
                             " just below" + (said.empty() ? "" : ": " + said.substr(0, 100))))
                continue;
            c.check(
                "the range top in Pa is the range top in bar", solved(*pa) && pa->mg == bar->mg,
                where + ": " + num(pa->mg) + " (error " + num(pa->error) + ") for " + num(bar->mg));
            const double mg = bar->mg;
            for (double start : {0.0, 1.3 * Ptop, Ptop}) {
                auto back = maker.make();
                const std::string why =
                    test::outputOf([&] { back->calculate_bubble_pressure(TK, start, ms, mg); });
                c.check(
                    "the range top's solubility bubbles at the top",
                    back->error == 0 && (std::fabs(back->P * 1e-5 / Ptop - 1) < 1e-6 ||
                                         dissolvesAtLowerBubble(maker, *back, TK, Ptop, ms, mg)),
                    where + ", from " + num(start) + " bar: " + num(back->P * 1e-5) + " bar" +
                        (back->error ? ": " + why.substr(0, 100) : ""));
            }
        }
    // The solution density at each brine-density model's top pressure (in bar: Pa / 1e5 is
    // exact there, where Pa 1e-5 is not).
    for (int type : {SM_MaoDuan0, SM_MaoDuan1, SM_Spivey}) {
        const double top = type == SM_Spivey
                               ? SpiveyDensityModel::kRange.Pmax / 1e5
                               : MaoDuanSalinityModel(type == SM_MaoDuan0 ? 0 : 1).Pmax / 1e5;
        const double TK = 373.15, ms = salt ? 1.0 : 0.0;
        if (range->Pmax < top || TK < range->Tmin || TK > range->Tmax) continue;
        auto density = [&](double Pbar, bool inPa) {
            auto m = maker.make();
            test::outputOf([&] {
                m->setDensityModelType(type);
                solveAt(*m, TK, Pbar, ms, inPa);
                if (m->error == 0) m->calculate_density();
            });
            return m->error == 0 ? m->rhoSolution : std::nan("");
        };
        const double below = density(top * (1 - 1e-7), false);
        if (!std::isfinite(below)) continue;
        const double inBar = density(top, false), inPa = density(top, true);
        c.check(
            "the solution's density at its model's top pressure is given, in bar and in Pa alike",
            std::isfinite(inBar) && inBar == inPa && std::fabs(inBar / below - 1) < 1e-6,
            "density model " + num(type) + ", T " + num(TK) + " K, P " + num(top) + " bar: " +
                num(inBar) + ", in Pa " + num(inPa) + ", just below " + num(below) + " kg/m3");
    }
}

// ------------------------------------------------------------------ Henry over water

// Henry's law of one gas over water without NaCl: each state is the NaCl model's at m 0, its
// solubility bubbles at its pressure from the estimate and from 1.3 times it, and a salt
// molality is refused, saying so.
void checkHenryOverWater(Checks& c, int version, const std::string& gas) {
    auto make = [&](bool brine) {
        auto m = std::make_unique<Henry>();
        m->changeModelVersion(version);
        m->number_of_components(brine ? 3 : 2);
        m->add_components("H2O", gas.c_str());
        if (brine) m->add_component("NaCl");
        return m;
    };
    const int nT = c.budget().points(11, 3), nP = c.budget().points(11, 3);
    for (int i = 0; i < nT; ++i)
        for (int j = 0; j < nP; ++j) {
            const double TK = 273.15 + 250.0 * i / (nT - 1);
            const double Pbar = 1.0 * std::pow(2000.0, double(j) / (nP - 1));
            const std::string where = "T " + num(TK) + " K, P " + num(Pbar) + " bar";
            auto water = make(false), brine = make(true);
            const std::string said = test::outputOf([&] {
                water->calculate_gas_solubility(TK, Pbar, 0.0);
                brine->calculate_gas_solubility(TK, Pbar, 0.0);
            });
            c.check("Henry over water is Henry over brine at m 0",
                    water->error == brine->error && water->vapourError == brine->vapourError &&
                        (water->error != 0 || water->vapourError != 0 || water->mg == brine->mg),
                    where + ": " + num(water->mg) + " (error " + num(water->error) + ") against " +
                        num(brine->mg) + " (error " + num(brine->error) + ")");
            if (water->error != 0 || water->vapourError != 0) {
                c.check("a solubility over water not given says why", !said.empty(),
                        where + ": nothing said");
                continue;
            }
            for (double start : {0.0, 1.3 * Pbar}) {
                auto back = make(false);
                const std::string why = test::outputOf(
                    [&] { back->calculate_bubble_pressure(TK, start, 0.0, water->mg); });
                c.check("Henry over water bubbles at its pressure",
                        back->error == 0 && std::fabs(back->P * 1e-5 / Pbar - 1) < 1e-4,
                        where + ", from " + num(start) + " bar: " + num(back->P * 1e-5) + " bar" +
                            (back->error ? ": " + why.substr(0, 100) : ""));
            }
            auto salted = make(false);
            const std::string refusal =
                test::outputOf([&] { salted->calculate_gas_solubility(TK, Pbar, 1.0); });
            c.check("Henry over water refuses a salt molality saying so",
                    salted->error != 0 && refusal.find("NaCl") != std::string::npos,
                    where + ", m 1: error " + num(salted->error) + ", said '" +
                        refusal.substr(0, 100) + "'");
        }
}

// ------------------------------------------------------------------ partial volume

// The gas's partial molar volume is RT d ln(H gamma)/dP at fixed composition: against a
// central difference of the Henry constant and activity coefficient where the model gives
// them, and, for every model with NaCl, the salt's share of it against the pressure slope of
// what the solubilities over brine and over water make of H gamma: the vapour's fugacity over
// the dissolved amount (the molality, or the mole fraction on a mole-fraction scale; a
// correlation without a vapour fugacity has the same vapour over both liquids). A bubble point
// solved after another state has the partial volume of the solubility it inverts. A model
// without a partial volume (NaN) is not checked; states beyond its range neither.
void checkPartialVolume(Checks& c, const SolubilityMaker& maker) {
    auto m = maker.make();
    const auto* range = m->publishedRange();
    const double Tmax = range ? std::min(range->Tmax, 523.15) : 473.15;
    const double Pmax = range ? std::min(range->Pmax, 1000.0) : 1000.0;
    auto solve = [&](double TK, double Pbar, double ms) {
        test::outputOf([&] { m->calculate_gas_solubility(TK, Pbar, ms); });
        return m->error == 0 && m->vapourError == 0 && m->mg > 0 && std::isfinite(m->mg) &&
               std::isfinite(m->Vg);
    };
    // ln(H gamma) as the solubility gives it.
    auto lnOfSolubility = [&](double TK, double Pbar, double ms) {
        if (!solve(TK, Pbar, ms)) return std::nan("");
        const size_t g = static_cast<size_t>(m->iGas);
        // The methane correlation, without a Henry constant, gives its molality directly.
        const bool byFugacity = m->fv > 0.0 && std::isfinite(m->henryConstant[g]);
        const double amount = m->henryScale == 1 || !byFugacity ? m->mg : m->x[g];
        return std::log((byFugacity ? m->fv : 1.0) / amount);
    };
    const int nT = c.budget().points(4, 2), nP = c.budget().points(4, 2);
    for (int i = 0; i < nT; ++i)
        for (int j = 0; j < nP; ++j) {
            const double TK = 298.15 + (Tmax - 298.15) * i / std::max(nT - 1, 1);
            const double Pbar = 100.0 * std::pow(Pmax / 100.0, double(j) / std::max(nP - 1, 1));
            const double h = 1e-3 * Pbar, RT = kGasConstant * TK;
            for (double ms : {0.0, 2.0, 4.0}) {
                if (ms > 0.0 && (m->iNaCl < 0 || (range && ms > range->mMax))) continue;
                const std::string where = "T " + num(TK) + " K, P " + num(Pbar) + " bar, NaCl " +
                                          num(ms) + " mol/kg";
                if (!solve(TK, Pbar, ms)) continue;
                const double Vg = m->Vg, mg = m->mg;
                const size_t g = static_cast<size_t>(m->iGas);
                // The bubble point of that content, solved after another state, is the state
                // with its partial volume.
                solve(TK + 20.0, 2.0 * Pbar, ms);
                test::outputOf([&] { m->calculate_bubble_pressure(TK, 0.0, ms, mg); });
                if (m->error == 0 && std::fabs(m->P * 1e-5 / Pbar - 1.0) < 1e-6)
                    c.check("a bubble point has the partial volume of its state",
                            std::fabs(m->Vg - Vg) <= 1e-6 * std::fabs(Vg),
                            where + ": " + num(m->Vg * 1e6) + " cm3/mol, the solubility's " +
                                num(Vg * 1e6));
                auto lnHgamma = [&](double P) {
                    if (!solve(TK, P, ms)) return std::nan("");
                    const double Hg = m->henryConstant[g] * m->activityCoefficient[g];
                    return Hg > 0.0 && std::isfinite(Hg) ? std::log(Hg) : std::nan("");
                };
                const double up = lnHgamma(Pbar + h), down = lnHgamma(Pbar - h);
                if (std::isfinite(up) && std::isfinite(down))
                    c.check("the partial volume is RT dln(H gamma)/dP",
                            std::fabs(Vg - RT * (up - down) / (2e5 * h)) <= 1e-4 * std::fabs(Vg) + 1e-9,
                            where + ": " + num(Vg * 1e6) + " cm3/mol, the slope " +
                                num(RT * (up - down) / (2e5 * h) * 1e6));
                if (ms == 0.0 || !solve(TK, Pbar, 0.0)) continue;
                const double water = m->Vg;
                const double share = RT *
                                     ((lnOfSolubility(TK, Pbar + h, ms) - lnOfSolubility(TK, Pbar + h, 0.0)) -
                                      (lnOfSolubility(TK, Pbar - h, ms) - lnOfSolubility(TK, Pbar - h, 0.0))) /
                                     (2e5 * h);
                if (!std::isfinite(share)) continue;
                c.check("the salt's share of the partial volume is the slope of the salting-out",
                        std::fabs((Vg - water) - share) <= 1e-8 + 1e-3 * std::fabs(share),
                        where + ": " + num((Vg - water) * 1e6) + " cm3/mol over water's, the slope " +
                            num(share * 1e6));
            }
        }
}

// ------------------------------------------------------------------ vapour side

// Every model, each with every gas model type: one without a vapour side (its gas model cannot
// take the system's gases, the 15-component hydrocarbon gas under a one-gas model) refuses
// the solubility and the bubble pressure, saying it has none; one with a vapour side gives
// both or says why; and a state below the water's vapour pressure prints as no result.
void checkVapourSide(Checks& c, const SolubilityMaker& maker) {
    for (int gasModel : {SM_DMW1, SM_SRK1, SM_ClassicalSRK}) {
        auto m = maker.make();
        test::outputOf([&] { m->setGasModelType(gasModel); });
        const bool none = m->vapour == nullptr;
        const std::string where = "gas model " + num(gasModel) + (none ? ", no vapour side" : "");
        std::string said = test::outputOf([&] { m->calculate_gas_solubility(350.0, 200.0, 1.0); });
        const bool solved = m->error == 0 && m->vapourError == 0;
        c.check("a solubility is given or refused saying why",
                none ? !solved && said.find("no vapour side") != std::string::npos
                     : solved || !said.empty(),
                where + ": error " + num(m->error) + ", vapour error " + num(m->vapourError) +
                    ", said '" + said.substr(0, 100) + "'");
        auto back = maker.make();
        test::outputOf([&] { back->setGasModelType(gasModel); });
        said = test::outputOf([&] { back->calculate_bubble_pressure(350.0, 0.0, 1.0, 0.01); });
        c.check("a bubble pressure is given or refused saying why",
                none ? back->error != 0 && said.find("no vapour side") != std::string::npos
                     : back->error == 0 || !said.empty(),
                where + ": error " + num(back->error) + ", said '" + said.substr(0, 100) + "'");
        // Below the water's vapour pressure (4.76 bar at 423.15 K), after a solved state: the
        // printout gives no solubility and says the state failed.
        test::outputOf([&] {
            m->calculate_gas_solubility(350.0, 200.0, 0.0);
            m->calculate_gas_solubility(423.15, 1.0, 0.0);
        });
        std::string printed(4096, '\0');
        if (std::FILE* out = std::tmpfile()) {
            m->print(out);
            std::rewind(out);
            printed.resize(std::fread(printed.data(), 1, printed.size(), out));
            std::fclose(out);
        }
        const auto gasLine = printed.find("m gas    :");
        const std::string shown =
            gasLine == std::string::npos ? "" : printed.substr(gasLine, printed.find('\n', gasLine) - gasLine);
        c.check("a state without a gas phase is printed as no result",
                m->vapourError == 1 && printed.find("error    :            1\n") != std::string::npos &&
                    (gasLine == std::string::npos || shown.find("nan") != std::string::npos),
                where + ", 423.15 K, 1 bar: vapour error " + num(m->vapourError) + ", printed '" +
                    printed.substr(0, 300) + "'");
    }
}

// The vapour beside each solved state, for each gas model type the model takes: its molar
// volume and fugacity coefficient are the gas model's own at (T, P), the root of lower
// fugacity where it has two, and f_v = (1 - y_H2O) phi P. The methane correlation, whose
// solubility needs no vapour, had left them 0, or as the last curve left them.
void checkVapourAgainstGasModel(Checks& c, const SolubilityMaker& maker, int gasModel) {
    auto m = maker.make();
    test::outputOf([&] { m->setGasModelType(gasModel); });
    if (!m->vapour) return;  // a gas model that cannot take the gas: checkVapourSide's part
    const std::string gas = m->vapour->componentName[0];
    auto direct = [&](int selector) -> std::unique_ptr<FluidPhase> {
        std::unique_ptr<FluidPhase> f;
        if (gasModel == SM_DMW1) f = std::make_unique<DMW1>(selector);
        if (gasModel == SM_SRK1) f = std::make_unique<SRK1>(selector, 0);
        if (gasModel == SM_ClassicalSRK) f = std::make_unique<ClassicalSRK>(selector);
        f->number_of_components(1);
        f->add_components(gas.c_str());
        f->composition_of_component(0, 1.0);
        return f;
    };
    const bool salt = m->iNaCl >= 0;
    // A curve first, so that a state left from it would show.
    test::outputOf([&] { m->calculateTheIsotherm(353.15, 0.0, 0, ""); });
    for (double TK : {283.15, 298.15, 353.15, 423.15})
        for (double Pbar : {5.0, 60.0, 75.0, 300.0, 1000.0}) {
            test::outputOf([&] { m->calculate_gas_solubility(TK, Pbar, salt ? 1.0 : 0.0); });
            if (m->error || m->vapourError) continue;
            const double PPa = Pbar * 1e5;
            double V = std::nan(""), phi = std::nan("");
            for (int selector : {1, 2}) {
                auto f = direct(selector);
                f->temperature(TK);
                f->Pascal(PPa);
                f->Vv0 = kGasConstant * TK / PPa;
                f->Vl0 = SolubilityModel::kDenseGasStart;
                f->calculate_molar_volume();
                if (f->error) continue;
                f->calculate_fugacities();
                const double p = f->fugacityCoefficient[0];
                if (std::isfinite(p) && !(p >= phi)) V = f->V, phi = p;
            }
            if (!std::isfinite(phi)) continue;
            const std::string where = gas + " gas model " + num(gasModel) + ", " + num(TK) +
                                      " K, " + num(Pbar) + " bar";
            c.check("the vapour beside a solution is its gas model's state at (T, P)",
                    std::fabs(m->Vvapour / V - 1.0) < 1e-7 &&
                        std::fabs(m->vapour->fugacityCoefficient[0] / phi - 1.0) < 1e-7 &&
                        std::fabs(m->fv / ((1.0 - m->yH2O) * phi * PPa) - 1.0) < 1e-7 &&
                        m->yH2O > 0.0 && m->yH2O < 1.0,
                    where + ": V " + num(m->Vvapour) + " against " + num(V) + " m3/mol, phi " +
                        num(m->vapour->fugacityCoefficient[0]) + " against " + num(phi) +
                        ", y(H2O) " + num(m->yH2O));
        }
}

// The model's state printout, and whether it shows no result: the error flag, and nan on
// each result line it has.
bool printsNoResult(SolubilityModel& m, std::string& text) {
    text = test::writtenTo([&](std::FILE* out) { m.print(out); });
    bool none = text.find("error    :            1") != std::string::npos;
    for (const char* line : {"x H2O    :", "x gas    :", "m gas    :", "Vvap     :", "Vgas(aq) :",
                             "Hgas(aq) :"}) {
        const auto at = text.find(line);
        if (at != std::string::npos)
            none = none &&
                   text.substr(at, text.find('\n', at) - at).find("nan") != std::string::npos;
    }
    return none;
}

// A state refused for want of the gas's parameters in another version of the model (its
// solubility NaN) prints no result: no vapour volume, partial volume or Henry constant of the
// state solved before it.
void checkPrintoutWithoutParameters(Checks& c, const SolubilityMaker& maker) {
    for (int version = 0; version <= 9; ++version) {
        auto m = maker.make();
        const double ms = m->iNaCl >= 0 ? 1.0 : 0.0;
        test::outputOf([&] { m->calculate_gas_solubility(323.15, 150.0, ms); });
        if (m->error || m->vapourError) return;
        m->changeModelVersion(version);
        test::outputOf([&] { m->calculate_gas_solubility(323.15, 150.0, ms); });
        if (std::isfinite(m->mg)) continue;
        std::string text;
        const bool none = printsNoResult(*m, text);
        c.check("a state refused for want of parameters prints no result", none,
                "version " + num(version) + ": '" + text.substr(0, 400) + "'");
    }
}

// A state refused for its arguments (a salt given to a solution without NaCl, a negative
// pressure, a temperature that is no number) after a solved one prints no result, and the
// refusal gives its own reason only.
void checkPrintoutAfterRefusal(Checks& c, const SolubilityMaker& maker) {
    auto m = maker.make();
    const double ms = m->iNaCl >= 0 ? 1.0 : 0.0;
    const struct {
        const char* what;
        double T, P, ms;
    } refused[] = {{"salt in a salt-free solution", 323.15, 150.0, 1.0},
                   {"negative pressure", 323.15, -5.0, ms},
                   {"temperature no number", std::numeric_limits<double>::quiet_NaN(), 150.0, ms}};
    for (const auto& r : refused) {
        if (r.ms > 0.0 && m->iNaCl >= 0) continue;
        test::outputOf([&] { m->calculate_gas_solubility(323.15, 150.0, ms); });
        if (m->error || m->vapourError) return;
        const std::string said =
            test::stderrOf([&] { m->calculate_gas_solubility(r.T, r.P, r.ms); });
        std::string text;
        const bool none = printsNoResult(*m, text);
        c.check("a refused state prints no result", m->error == 1 && none,
                std::string(r.what) + ": '" + text.substr(0, 400) + "'");
        c.check("a refused state says its own reason only",
                said.find("refused") != std::string::npos &&
                    said.find("gives no solubility") == std::string::npos,
                std::string(r.what) + ": '" + said + "'");
    }
    // Nor does a bubble pressure refused for a salt the solution does not hold.
    if (m->iNaCl >= 0) return;
    test::outputOf([&] { m->calculate_bubble_pressure(323.15, 0.0, 0.0, 0.01); });
    if (m->error) return;
    test::outputOf([&] { m->calculate_bubble_pressure(323.15, 0.0, 1.0, 0.01); });
    std::string text;
    const bool none = printsNoResult(*m, text);
    c.check("a refused state prints no result", m->error == 1 && none,
            "bubble pressure, salt in a salt-free solution: '" + text.substr(0, 400) + "'");
}

// ------------------------------------------------------------------ curves

// The rows of an Igor text curve file (its columns as numbers); false when it is missing or
// its frame (IGOR, WAVES with one name a column, BEGIN, rows, END) is broken.
bool readIgorRows(const std::string& file, std::vector<std::vector<double>>& rows) {
    std::ifstream in(file);
    std::string line, waves;
    if (!std::getline(in, line) || line != "IGOR" || !std::getline(in, waves) ||
        waves.rfind("WAVES", 0) != 0 || !std::getline(in, line) || line != "BEGIN")
        return false;
    std::istringstream names(waves.substr(5));
    std::size_t columns = 0;
    for (std::string name; names >> name;) ++columns;
    rows.clear();
    while (std::getline(in, line)) {
        if (line == "END") return !std::getline(in, line);
        std::istringstream values(line);
        std::vector<double> row;
        for (std::string v; values >> v;) row.push_back(std::strtod(v.c_str(), nullptr));
        if (row.size() != columns) return false;
        rows.push_back(row);
    }
    return false;
}

// One curve written to `file` on a fresh model: whether it was made, what it said, and its rows
// read back (`read` false where the file is missing or broken).
struct CurveRun {
    bool made = false, read = false;
    std::string said;
    std::vector<std::vector<double>> rows;
};

CurveRun runCurve(const std::string& file, const std::function<bool()>& write) {
    CurveRun run;
    std::remove(file.c_str());
    run.said = test::outputOf([&] { run.made = write(); });
    run.read = readIgorRows(file, run.rows);
    return run;
}

// A curve refused says why and leaves no file.
void checkRefusal(Checks& c, const char* invariant, const std::string& file, const CurveRun& run,
                  const std::string& where) {
    c.check(invariant, !run.said.empty() && !std::ifstream(file).good(),
            where + (run.said.empty() ? ": nothing said" : ": a file left"));
}

// The isotherms of a model at the edges of liquid water and of salinity, and past them: one
// made has a row that dissolves gas above the water's vapour pressure (pressures rising,
// molalities not negative but in the flagged row that ends it); one not made says why and
// leaves no file.
void checkIsothermEdges(Checks& c, const SolubilityMaker& maker) {
    const bool salt = maker.make()->iNaCl >= 0;
    const std::string file = "isot_sweep";
    for (double TK : {273.15, 373.15, 573.15, 647.0, 700.0, 250.0})
        for (double ms : {0.0, 2.0, 6.0, -1.0}) {
            if (ms > 0 && !salt) continue;
            const std::string where = "T " + num(TK) + " K, NaCl " + num(ms);
            auto m = maker.make();
            const CurveRun run = runCurve(
                file, [&] { return m->calculateTheIsotherm(TK, ms, kIgorText, "_sweep"); });
            const bool read = run.read;
            const auto& rows = run.rows;
            if (!run.made) {
                checkRefusal(c, "an isotherm not made says why and leaves no file", file, run,
                             where);
                continue;
            }
            // T P mg yh vv rho e
            bool dissolves = false, rising = true;
            for (std::size_t i = 0; read && i < rows.size(); ++i) {
                const auto& r = rows[i];
                if (i > 0 && r[2] > 0 && std::isfinite(r[2])) dissolves = true;
                if (i > 0 && !(r[1] > rows[i - 1][1])) rising = false;
                const bool ending = i + 1 == rows.size() && r[6] == 1;
                if ((!(r[2] >= 0) && !ending) || r[0] != rows[0][0]) rising = false;
            }
            c.check("an isotherm made dissolves gas at rising pressures",
                    read && rows.size() >= 2 && dissolves && rising && ms >= 0 &&
                        std::isfinite(rows[0][1]),
                    where + ": " + num(static_cast<double>(rows.size())) + " rows" +
                        (read ? "" : ", broken file") + (dissolves ? "" : ", no gas dissolved"));
        }
    std::remove(file.c_str());
}

// The isotherms of a model at whole kelvins of its range (liquid water's to 573 K without
// one), each climbing from the water's vapour pressure: made, the first row at or above it,
// every row not flagged with a gas phase (y_H2O in 0 ... 1) and a solubility. The start had
// been refused at one temperature in fifteen, where the vapour pressure passed through bar
// fell an ulp short, and at every temperature where the water's fugacity coefficient held
// the vapour above the whole pressure.
void checkIsothermStarts(Checks& c, const SolubilityMaker& maker) {
    const Budget& b = c.budget();
    auto probe = maker.make();
    const auto* range = probe->publishedRange();
    const bool salt = probe->iNaCl >= 0;
    const int first = static_cast<int>(std::ceil(range ? std::max(range->Tmin, 274.0) : 274.0));
    const int last = static_cast<int>(std::floor(range ? std::min(range->Tmax, 573.0) : 573.0));
    const int n = last - first + 1;
    // The 15-component hydrocarbon gas has no vapour side at all (checkVapourSide's part).
    if (n < 1 || !probe->vapour) return;
    const int step = b.full ? 1 : std::max(1, n / b.points(n, 12));
    const std::string file = "isot_start_sweep";
    for (int k = b.offset(c.configuration(), step); k < n; k += step)
        for (double ms : {0.0, 1.0}) {
            // The brine at every third kelvin of the full grid: each curve climbs 2000 bar.
            if (ms > 0 && (!salt || (b.full && k % 3 != 0))) continue;
            const double TK = first + k;
            const std::string where = num(TK) + " K, NaCl " + num(ms);
            auto m = maker.make();
            const CurveRun run = runCurve(
                file, [&] { return m->calculateTheIsotherm(TK, ms, kIgorText, "_start_sweep"); });
            const double Pw = WaterEOS::saturationPressureWagnerPruss(TK) * 1e-5;
            bool rows = run.made && run.read && run.rows.size() >= 2 &&
                        run.rows[0][1] >= Pw - 1e-6;
            std::string bad;
            // T P mg yh vv rho e; a row flagged only for its density keeps its solubility.
            for (std::size_t i = 0; rows && i < run.rows.size(); ++i) {
                const auto& r = run.rows[i];
                if (r[6] != 0 || (i + 1 == run.rows.size())) continue;
                if (!(r[2] >= 0.0 && r[3] >= 0.0 && r[3] <= 1.0 && r[4] > 0.0))
                    rows = false, bad = ", row at " + num(r[1]) + " bar: y(H2O) " + num(r[3]);
            }
            c.check("an isotherm climbs from the water's vapour pressure with a gas phase",
                    rows,
                    where + ": " + (run.made ? "made" : "refused '" + run.said.substr(0, 160) + "'") +
                        ", " + num(static_cast<double>(run.rows.size())) + " rows" + bad);
        }
    std::remove(file.c_str());
}

// The isopleths of a model and its two-phase isochores: a curve is made, each row a
// solution of the content (within liquid water's temperatures, at a positive pressure, mole
// fractions in 0 ... 1, a finite vapour, no error flag), or refused saying why, leaving no
// file; a curve without a single point is no curve. A two-phase isochore from a start below
// the water's vapour pressure (or outside the model's range) is refused saying why; from a
// saturated start its vapour fractions lie in 0 ... 1; one refused for want of the gas's
// partial molar volume says so. One from a bubble point towards an end behind its start for
// the step's sign is refused so.
void checkCurves(Checks& c, const SolubilityMaker& maker) {
    const Budget& b = c.budget();
    const bool salt = maker.make()->iNaCl >= 0;
    const std::vector<double> contents = {1e-3, 0.05, 0.5, 3.0};
    const int nContents = static_cast<int>(contents.size());
    const int step = b.full ? 1 : std::max(1, nContents / b.points(nContents, 2));
    const std::string file = "isop_sweep";
    for (int k = b.offset(c.configuration(), step); k < nContents; k += step)
        for (double ms : {0.0, 2.0}) {
            if (ms > 0 && !salt) continue;
            const double mg = contents[static_cast<std::size_t>(k)];
            const std::string where = num(mg) + " mol/kg gas, NaCl " + num(ms);
            auto m = maker.make();
            const CurveRun run = runCurve(file, [&] {
                return m->calculateTheIsopleth(ms, mg, kIgorText, "_sweep", nullptr);
            });
            const bool read = run.read;
            const auto& rows = run.rows;
            if (!run.made) {
                checkRefusal(c, "a curve not made says why and leaves no file", file, run, where);
                continue;
            }
            if (!c.check("a curve made has its frame and a row", read && !rows.empty(),
                         where + (read ? ": no row" : ": broken file")))
                continue;
            for (const auto& r : rows) {
                // T P mg ms vg h vv xg yh e rhog rhol rocg rocl; the flag of a row is the
                // solution density's failure (nan) alone, where the model has none or the
                // brine-density model's range ends.
                const bool ok = r[0] >= 273.15 - 1e-9 && r[0] <= 573.15 + 1e-9 && r[1] > 0 &&
                                std::isfinite(r[1]) && std::fabs(r[2] / mg - 1) < 1e-5 &&
                                r[7] > 0 && r[7] < 1 && r[8] >= 0 && r[8] <= 1 && r[6] > 0 &&
                                std::isfinite(r[6]) && std::isfinite(r[10]) &&
                                (r[9] == 0 || std::isnan(r[11]));
                if (!c.check("an isopleth row is a solution of its content", ok,
                             where + ", T " + num(r[0]) + " K: P " + num(r[1]) + " bar, m " +
                                 num(r[2]) + ", x " + num(r[7]) + ", y(H2O) " + num(r[8]) +
                                 ", flag " + num(r[9])))
                    break;
            }
        }
    std::remove(file.c_str());
    // Two-phase isochores need the solution's density: the Mao-Duan brine model is given.
    const std::string bipha = "bipha_sweep";
    for (double P0 : {10.0, 300.0}) {
        const double T0 = 473.15;  // water boils at 15.5 bar
        const std::string where = "T0 " + num(T0) + " K, P0 " + num(P0) + " bar";
        std::remove(bipha.c_str());
        auto m = maker.make();
        bool made = false;
        const std::string said = test::outputOf([&] {
            m->setDensityModelType(SM_MaoDuan0);
            made = m->calculateTheBiphasicIsochor(T0, P0, 0.0, -2.0, kIgorText, "_sweep", nullptr);
        });
        std::vector<std::vector<double>> rows;
        const bool read = readIgorRows(bipha, rows);
        if (P0 < 15.0) {
            c.check("a two-phase isochore below the water's vapour pressure is refused so",
                    !made && !said.empty() && !std::ifstream(bipha).good(),
                    where + ": " + (made ? "made" : "refused") + ", said '" + said.substr(0, 100) +
                        "'");
            continue;
        }
        if (!made) {
            c.check("a curve not made says why and leaves no file",
                    !said.empty() && !std::ifstream(bipha).good(), where);
            // A gas whose model has no partial molar volume has no solution density at any
            // state: the refusal names that, not the brine-density model.
            auto probe = maker.make();
            test::outputOf([&] { probe->calculate_gas_solubility(T0, P0, 0.0); });
            if (!probe->error && !probe->vapourError && !std::isfinite(probe->Vg))
                c.check("an isochore without the gas's partial volume says so",
                        said.find("no partial molar volume") != std::string::npos,
                        where + ": said '" + said.substr(0, 160) + "'");
            continue;
        }
        if (!c.check("a curve made has its frame and a row", read && !rows.empty(), where))
            continue;
        for (const auto& r : rows) {
            // T P mg fv rhog rhol rocg rocl e
            const bool ok = r[3] >= 0 && r[3] <= 1 && r[1] > 0 && std::isfinite(r[4]) &&
                            r[4] > 0 && std::isfinite(r[5]) && r[5] > 0 && r[2] >= 0;
            if (!c.check("a two-phase isochore row holds vapour fractions in 0 ... 1", ok,
                         where + ", T " + num(r[0]) + " K: P " + num(r[1]) + " bar, fraction " +
                             num(r[3]) + ", vapour " + num(r[4]) + ", liquid " + num(r[5]) +
                             " kg/m3"))
                break;
        }
    }
    // From a bubble point towards an end behind the start for the step's sign: refused so,
    // no file (it jumped against the step to the end).
    for (double dT : {2.0, -2.0}) {
        std::remove(bipha.c_str());
        auto m = maker.make();
        bool made = true;
        const double T0 = 373.15, Tend = T0 - 50.0 * dT;
        const std::string said = test::outputOf([&] {
            m->setDensityModelType(SM_MaoDuan0);
            made = m->calculateTheBiphasicIsochor1(Tend, T0, 0.01, 0.0, dT, 50.0, kIgorText,
                                                   "_sweep", nullptr);
        });
        c.check("an isochore to an end behind its start is refused so",
                !made && said.find("behind the start") != std::string::npos &&
                    !std::ifstream(bipha).good(),
                "T0 " + num(T0) + " K, end " + num(Tend) + " K, step " + num(dT) + " K: " +
                    (made ? "made" : "refused") + ", said '" + said.substr(0, 100) + "'");
    }
    std::remove(bipha.c_str());
}

// The brine vapour-pressure dialogues with every printable character as the suffix: a file
// is written only for a letter, digit or "_", and its Igor wave names are names Igor loads; any
// other is refused saying so, leaving no file.
void checkDialogueSuffixes(Checks& c, bool shibue) {
    for (char ch = '!'; ch <= '~'; ++ch) {
        const std::string file = std::string("satu") + ch;
        std::remove(file.c_str());
        Shibue s;
        SaltCorr corr;
        SaltSolutionCorrelation& model =
            shibue ? static_cast<SaltSolutionCorrelation&>(s) : corr;
        std::istringstream in(std::string("0\n") + ch + "\n");
        std::ostringstream out;
        int written = 0;
        test::outputOf([&] { written = model.session(in, out); });
        const bool taken = std::isalnum(static_cast<unsigned char>(ch)) != 0 || ch == '_';
        const std::string where = std::string("suffix '") + ch + "'";
        if (!taken) {
            c.check("a dialogue's suffix Igor cannot load is refused so",
                    written == 0 && !std::ifstream(file).good() &&
                        out.str().find("refused") != std::string::npos,
                    where);
            std::remove(file.c_str());
            continue;
        }
        std::ifstream curve(file);
        std::string line, waves;
        while (std::getline(curve, line))
            if (line.rfind("WAVES", 0) == 0) waves = line.substr(5);
        std::istringstream names(waves);
        bool legal = written == 1 && !waves.empty();
        for (std::string name; names >> name;)
            legal = legal && std::isalpha(static_cast<unsigned char>(name[0])) != 0 &&
                    std::all_of(name.begin(), name.end(), [](char k) {
                        return std::isalnum(static_cast<unsigned char>(k)) != 0 || k == '_';
                    });
        c.check("a dialogue's curve has wave names Igor loads", legal, where + ": '" + waves + "'");
        std::remove(file.c_str());
    }
}

// A brine isotherm at temperatures from below zero kelvin to far above every critical point,
// and at numbers that are none: a file only between the eutectic of the salt's solution and
// the top of the correlation, refused with a message and no file elsewhere; in a file every
// vapour pressure positive, and pure water's that of water's equation below its critical
// temperature.
void checkBrineIsothermTemperatures(Checks& c, bool shibue, int salt) {
    Shibue s;
    SaltCorr corr;
    SaltSolutionCorrelation& model = shibue ? static_cast<SaltSolutionCorrelation&>(s) : corr;
    salt == 1 ? model.setNaClParameters() : model.setCaCl2Parameters();
    const double eutectic = salt == 1 ? 251.94 : 223.35;
    const double top = model.highestTemperature();
    std::vector<double> temperatures = {std::nan(""), HUGE_VAL, -HUGE_VAL, -1.0, 0.0, 1e-300,
                                        eutectic, std::nextafter(eutectic, 0.0), 647.096,
                                        std::nextafter(647.096, 1e9)};
    const int n = c.budget().points(60, 10);
    for (int i = 0; i <= n; ++i) temperatures.push_back(100.0 + 1900.0 * i / n);
    // The top itself holds a vapour pressure, the next temperature none.
    temperatures.push_back(top);
    temperatures.push_back(std::nextafter(top, 1e9));
    const std::string file = "isotsweep";
    for (double T : temperatures) {
        std::remove(file.c_str());
        bool written = false;
        const std::string said =
            test::stderrOf([&] { written = model.getIsotherm("sweep", T); });
        const bool takes = std::isfinite(T) && T >= eutectic && T <= top;
        const std::string where = std::string(shibue ? "Shibue" : "SaltCorr") + " salt " +
                                  num(salt) + " T " + num(T) + " K";
        if (!takes) {
            c.check("a brine isotherm outside the liquid and the correlation is refused so",
                    !written && !std::ifstream(file).good() &&
                        said.find("temperature") != std::string::npos,
                    where + ": said '" + said.substr(0, 100) + "'");
            continue;
        }
        std::ifstream in(file);
        std::string line;
        bool data = false, first = true, sound = written;
        std::size_t valued = 0;
        std::string bad;
        while (std::getline(in, line)) {
            if (line == "BEGIN") {
                data = true;
                continue;
            }
            if (!data || line == "END") continue;
            std::istringstream row(line);
            std::string x, p;
            row >> x >> p;
            const double value = std::strtod(p.c_str(), nullptr);
            // Six decimals print a pressure below 5e-7 bar as 0.
            if (std::isfinite(value) && !(value >= 0.0 && value < 1e4)) {
                sound = false;
                bad = line;
            }
            if (first && T <= 647.096) {
                // Written with six decimals.
                const double water = SaltSolutionCorrelation::calculatePsat(T);
                if (!(std::fabs(value - water) <= 5e-7 + 1e-6 * water)) sound = false, bad = line;
            }
            if (std::isfinite(value)) ++valued;
            first = false;
        }
        c.check("a brine isotherm's vapour pressures are positive, pure water's its own",
                sound && !first, where + (bad.empty() ? "" : ": row '" + bad + "'"));
        c.check("a brine isotherm written holds a vapour pressure", valued > 0, where);
    }
    std::remove(file.c_str());
}

// ------------------------------------------------------------------ set up again

// A gas's molar mass (g/mol) from its formula and the standard atomic weights; 0 for a name
// not known here.
double standardMolarMass(const std::string& gas) {
    struct Formula {
        const char* names[2];
        int C, H, O, N, S;
    };
    static const Formula kFormulas[] = {
        {{"CO2", nullptr}, 1, 0, 2, 0, 0},   {{"CH4", "C1"}, 1, 4, 0, 0, 0},
        {{"C2H6", "C2"}, 2, 6, 0, 0, 0},     {{"C3H8", "C3"}, 3, 8, 0, 0, 0},
        {{"iC4", "iC4H10"}, 4, 10, 0, 0, 0}, {{"nC4", "nC4H10"}, 4, 10, 0, 0, 0},
        {{"N2", nullptr}, 0, 0, 0, 2, 0},    {{"H2S", nullptr}, 0, 2, 0, 0, 1},
    };
    for (const Formula& f : kFormulas)
        for (const char* n : f.names)
            if (n != nullptr && gas == n)
                return 12.011 * f.C + 1.008 * f.H + 15.999 * f.O + 14.007 * f.N + 32.06 * f.S;
    return 0.0;
}

// Henry's law of `version` set up for `first`, then again for `gas` in brine and in water:
// each state is a fresh model's of those names (or both refuse it), its vapour the new gas's;
// the vapour's density is the mass of its moles and the gas's partial density in the liquid
// its concentration times its molar mass, the gas weighed by its formula. Both gases at once
// are refused, naming the count.
void checkHenrySetUpAgain(Checks& c, int version, const std::string& first, const std::string& gas) {
    auto setUp = [](Henry& h, const std::vector<std::string>& names) {
        h.number_of_components(static_cast<int>(names.size()));
        for (const std::string& n : names) h.add_component(n.c_str());
    };
    auto make = [version, &setUp](const std::vector<std::string>& names) {
        auto h = std::make_unique<Henry>();
        h->changeModelVersion(version);
        setUp(*h, names);
        return h;
    };
    auto again = make({"H2O", first, "NaCl"});
    test::outputOf([&] { again->calculate_gas_solubility(323.15, 100.0, 1.0); });
    const double M = standardMolarMass(gas);
    for (bool brine : {true, false}) {
        const std::vector<std::string> names =
            brine ? std::vector<std::string>{"H2O", gas, "NaCl"} : std::vector<std::string>{"H2O", gas};
        auto fresh = make(names);
        test::outputOf([&] { setUp(*again, names); });
        for (double TK : {283.15, 373.15})
            for (double Pbar : {20.0, 300.0}) {
                const double ms = brine ? 2.0 : 0.0;
                const std::string where = "set up for " + first + ", then " + gas +
                                          (brine ? " in brine" : " in water") + ": T " + num(TK) +
                                          " K, P " + num(Pbar) + " bar";
                test::outputOf([&] {
                    fresh->calculate_gas_solubility(TK, Pbar, ms);
                    again->calculate_gas_solubility(TK, Pbar, ms);
                });
                const bool freshOk = fresh->error == 0 && fresh->vapourError == 0;
                const bool againOk = again->error == 0 && again->vapourError == 0;
                c.check("a model set up again is the fresh model of its names",
                        freshOk == againOk && again->vapour &&
                            again->vapour->componentName[0] == gas &&
                            (!freshOk || std::fabs(again->mg - fresh->mg) <= 1e-12 * fresh->mg),
                        where + ": " + num(again->mg) + " mol/kg, fresh " + num(fresh->mg));
                if (!againOk || M == 0.0) continue;
                again->compositionCode = 11;
                again->update_composition();
                again->setDensityModelType(SM_MaoDuan0);
                test::outputOf([&] {
                    again->calculate_density();
                    again->calculateVapourMolarVolume();
                });
                const double Mv = 18.015 * again->yH2O + M * (1.0 - again->yH2O);
                const double massOfMoles = again->vapourDensity() * again->Vvapour * 1e3;
                c.check("the vapour's density is the mass of its moles",
                        std::fabs(massOfMoles / Mv - 1.0) < 3e-3,
                        where + ": " + num(massOfMoles) + " g/mol, " + num(Mv) + " by formula");
                if (!std::isfinite(again->rhoSolution)) continue;
                const double cg = again->x[static_cast<size_t>(again->iGas)] *
                                  again->rhoSolution / again->solutionMolarMass();
                c.check("the gas's partial density in the liquid is its concentration's mass",
                        std::fabs(again->gasDensityInLiquid() / (cg * M * 1e-3) - 1.0) < 3e-3,
                        where + ": " + num(again->gasDensityInLiquid()) + " kg/m3 for " +
                            num(cg * M * 1e-3));
            }
    }
    // Both gases at once: refused, naming the count of gases.
    if (first != gas) {
        bool refused = false;
        const std::string said = test::outputOf([&] {
            setUp(*again, {"H2O", first, gas, "NaCl"});
            again->calculate_gas_solubility(323.15, 100.0, 1.0);
            refused = again->error != 0;
        });
        c.check("a solution of two gases is refused, naming the count",
                refused && said.find("one dissolved gas") != std::string::npos,
                first + " and " + gas + ": said '" + said.substr(0, 120) + "'");
    }
}

// The Henry-Pitzer set `henrySet` set up for `first`, then again for `gas` in brine: each
// state is a fresh set's (or both refuse it).
void checkHenPitSetUpAgain(Checks& c, int henrySet, const std::string& first, const std::string& gas) {
    auto describe = [henrySet](HenPitSet& s, const std::string& g, double TK, double Pbar) {
        test::outputOf([&] {
            s.henrySet = henrySet;
            s.number_of_components(3);
            s.add_components("H2O", g.c_str(), "NaCl");
            s.m = 2.0;
            s.temperature(TK);
            s.pressure(Pbar);
            s.describe();
        });
    };
    HenPitSet again;
    again.setVapourModel(1);
    describe(again, first, 323.15, 100.0);
    for (double TK : {283.15, 373.15})
        for (double Pbar : {20.0, 300.0}) {
            HenPitSet fresh;
            fresh.setVapourModel(1);
            describe(fresh, gas, TK, Pbar);
            describe(again, gas, TK, Pbar);
            const std::string where = "set up for " + first + ", then " + gas + ": T " + num(TK) +
                                      " K, P " + num(Pbar) + " bar";
            c.check("a set set up again is the fresh set of its names",
                    again.error == fresh.error && again.numberOfGases == 1 &&
                        (fresh.error != 0 || std::fabs(again.x[1] - fresh.x[1]) <= 1e-12 * fresh.x[1]),
                    where + ": x " + num(again.x[1]) + ", fresh " + num(fresh.x[1]));
        }
}

// The solubility (mol/kg) at 323.15 K, 100 bar and 1 mol/kg NaCl (none without NaCl among the
// components); NaN when refused.
double solubilityAt(SolubilityModel& m) {
    const double ms = m.iNaCl >= 0 ? 1.0 : 0.0;
    test::outputOf([&] { m.calculate_gas_solubility(323.15, 100.0, ms); });
    return m.error == 0 && m.vapourError == 0 ? m.mg : std::nan("");
}

bool sameSolubility(double a, double b) {
    return std::isnan(a) ? std::isnan(b) : std::fabs(a - b) <= 1e-12 * std::fabs(b);
}

// Henry's law of `version` set up by system `type` and then by names for `gas`, and back: each
// state is the fresh model's of the names, then of the type; the vapour model chosen after the
// names takes the gas named, the state of the model set up by type with that vapour model.
void checkHenryTypeAndNames(Checks& c, int version, int type, const std::string& gas) {
    const std::string own = systemGasName(type);
    auto byType = [version, type](Henry& h, int gasModel) {
        h.setSystemType(type, version);
        h.setGasModelType(gasModel);
    };
    auto byNames = [version, type, &gas](Henry& h) {
        h.number_of_components(type >= SM_H2O_CH4 ? 2 : 3);
        h.add_components("H2O", gas.c_str(), "NaCl");
    };
    Henry typed, named, again;
    byType(typed, SM_ClassicalSRK);
    named.changeModelVersion(version);
    byNames(named);
    byType(again, SM_ClassicalSRK);
    const double first = solubilityAt(again);
    test::outputOf([&] { byNames(again); });
    const double afterType = solubilityAt(again);
    const std::string where = own + " by type, " + gas + " by name";
    c.check("a model set up by names after a type is the fresh model of the names",
            again.vapour && again.vapour->nc == 1 && again.vapour->componentName[0] == gas &&
                sameSolubility(afterType, solubilityAt(named)),
            where + ": " + num(afterType) + " mol/kg, fresh " + num(named.mg) + " (by type " +
                num(first) + ")");
    byType(again, SM_ClassicalSRK);
    const double backToType = solubilityAt(again);
    c.check("a model set up by type after names is the fresh model of the type",
            again.componentName[1] == own && sameSolubility(backToType, solubilityAt(typed)),
            where + ", " + own + " by type again: " + num(backToType) + " mol/kg, fresh " +
                num(typed.mg));
    if (gas != own) return;
    for (int gasModel : {SM_DMW1, SM_SRK1}) {
        Henry late, early;
        late.changeModelVersion(version);
        byNames(late);
        test::outputOf([&] { late.setGasModelType(gasModel); });
        byType(early, gasModel);
        const double a = solubilityAt(late), b = solubilityAt(early);
        c.check("a vapour model chosen after the names takes their gas",
                late.vapour && late.vapour->nc == 1 && sameSolubility(a, b),
                gas + " by name, gas model " + num(gasModel) + ": " + num(a) + " mol/kg, by type " +
                    num(b));
    }
}

// A Henry-Pitzer set given its vapour model after its gases is the fresh set of those gases.
void checkHenPitSetVapourAfterNames(Checks& c, int henrySet, const std::string& gas) {
    auto describe = [henrySet, &gas](HenPitSet& s, bool vapourFirst) {
        test::outputOf([&] {
            s.henrySet = henrySet;
            if (vapourFirst) s.setVapourModel(1);
            s.number_of_components(3);
            s.add_components("H2O", gas.c_str(), "NaCl");
            if (!vapourFirst) s.setVapourModel(1);
            s.m = 1.0;
            s.temperature(323.15);
            s.pressure(100.0);
            s.describe();
        });
    };
    HenPitSet fresh, late;
    describe(fresh, true);
    describe(late, false);
    c.check("a set given its vapour model after its gases is the fresh set",
            late.error == fresh.error &&
                (fresh.error != 0 || std::fabs(late.x[1] - fresh.x[1]) <= 1e-12 * fresh.x[1]),
            gas + ": x " + num(late.x[1]) + ", fresh " + num(fresh.x[1]));
}

// A model of one system's gas (the Duan-type models, Spivey's methane correlation) given each
// dissolved gas by name: another gas than its own is refused at the set-up, by the solubility,
// the bubble pressure and the gas's partial volume, with the flag and naming both gases; its
// own is the fresh model.
void checkForeignGasByName(Checks& c, const SolubilityMaker& maker) {
    auto probe = maker.make();
    const char* ownName = systemGasName(probe->systemType);
    if (ownName == nullptr) return;
    const std::string own = ownName;
    const double fresh = solubilityAt(*probe);
    const bool brine = probe->iNaCl >= 0;
    for (const char* gas : dissolvedGasNames()) {
        auto named = maker.make();
        const int gasModel = named->gasModelType;
        std::string said = test::outputOf([&] {
            named->number_of_components(brine ? 3 : 2);
            named->add_components("H2O", gas, "NaCl");
            named->setGasModelType(gasModel);
        });
        const std::string g = gas;
        if (g == own || (own == "CH4" && g == "C1")) {
            const double mg = solubilityAt(*named);
            c.check("its own gas by name is the fresh model", sameSolubility(mg, fresh),
                    g + ": " + num(mg) + " mol/kg, fresh " + num(fresh));
            continue;
        }
        auto namesBoth = [&](const std::string& text) {
            return text.find(own) != std::string::npos &&
                   text.find("not " + g) != std::string::npos;
        };
        bool refused = named->error == 1 && namesBoth(said);
        const double ms = brine ? 1.0 : 0.0;
        said = test::outputOf([&] { named->calculate_gas_solubility(323.15, 100.0, ms); });
        refused = refused && named->error == 1 && !(named->mg > 0.0) && namesBoth(said);
        said += test::outputOf([&] { named->calculate_bubble_pressure(323.15, 0.0, ms, 0.05); });
        refused = refused && named->error == 1 && namesBoth(said);
        double Vg = 0.0;
        said += test::outputOf(
            [&] { Vg = named->calculate_gas_partial_volume(323.15, 100.0, ms, 0.05); });
        refused = refused && named->error == 1 && std::isnan(Vg) && namesBoth(said);
        c.check("another gas by name is refused, naming both", refused,
                g + " for " + own + ": " + num(named->mg) + " mol/kg, said '" +
                    said.substr(0, 160) + "'");
    }
}

// A one-phase solution's pressure from its density, guessed inside, above and below the
// pressures the brine density holds to, or not at all: the pressure the density was computed
// at, with a clear flag.
void checkPressureFromDensityGuesses(Checks& c, const SolubilityMaker& maker, int density) {
    auto probe = maker.make();
    const double ms = probe->iNaCl >= 0 ? 1.0 : 0.0, mg = 0.01;
    const double top = density == SM_Spivey ? 2000.0 : 1000.0;
    for (double TK : {300.0, 380.0, 450.0, 520.0})
        for (double Pbar : {50.0, 300.0, 0.95 * top}) {
            auto m = maker.make();
            double rho = 0.0;
            test::outputOf([&] {
                m->setDensityModelType(density);
                m->temperature(TK);
                m->pressure(Pbar);
                m->setMolalities(ms, mg);
                m->calculate_density();
                rho = m->rhoSolution;
            });
            if (m->error != 0 || !std::isfinite(rho)) continue;
            for (double guess : {1.2 * Pbar, 0.75 * top, 1.5 * top, 1e5, 1.0, std::nan("")}) {
                auto f = maker.make();
                double P = 0.0;
                const std::string said = test::outputOf([&] {
                    f->setDensityModelType(density);
                    P = f->calculate_pressure(TK, rho, ms, mg, guess);
                });
                c.check("a solution's density gives back its pressure from any guess",
                        f->error == 0 && std::fabs(P / Pbar - 1.0) < 1e-6,
                        num(TK) + " K, " + num(Pbar) + " bar, " + num(rho) + " kg/m3, from " +
                            num(guess) + " bar: " + num(P) + " bar, flag " + num(f->error) + " " +
                            said.substr(0, 100));
            }
        }
}

// A one-phase isochore from a density a little below and above the saturated solution's at a
// content's bubble point, heated: every point holds its gas (its pressure at or above the
// content's bubble pressure there), and a curve that ends or leaves points out says so.
void checkOnePhaseIsochores(Checks& c, const SolubilityMaker& maker) {
    auto probe = maker.make();
    const bool salt = probe->iNaCl >= 0;
    for (double T0 : {303.15, 373.15})
        for (double mg : {0.005, 0.05, 0.5})
            for (double ms : {0.0, 3.0}) {
                if (ms > 0 && !salt) continue;
                auto m = maker.make();
                double rho = 0.0;
                test::outputOf([&] {
                    m->setDensityModelType(SM_MaoDuan0);
                    m->calculate_bubble_pressure(T0, 0.0, ms, mg);
                    if (m->error == 0) m->calculate_density();
                    rho = m->rhoSolution;
                });
                if (m->error != 0 || !std::isfinite(rho)) continue;
                const double P0 = m->P * 1e-5;
                for (double drho : {-3.0, -0.5, 2.0}) {
                    const std::string where = "T0 " + num(T0) + " K, " + num(mg) +
                                              " mol/kg gas, NaCl " + num(ms) + ", density " +
                                              num(rho + drho);
                    CurveArray a;
                    auto iso = maker.make();
                    const std::string said = test::outputOf([&] {
                        iso->setDensityModelType(SM_MaoDuan0);
                        iso->calculateTheMonophasicIsochor(T0, T0 + 30.0, rho + drho, ms, mg, P0,
                                                           kCurveArray, "", &a);
                    });
                    c.check("a one-phase isochore short of its temperatures says why",
                            a.size() == 60u || !said.empty(),
                            where + ": " + num(a.size() / 2.0) + " points, nothing said");
                    for (std::size_t k = 0; k + 1 < a.size(); k += 2) {
                        auto b = maker.make();
                        test::outputOf([&] { b->calculate_bubble_pressure(a[k], 0.0, ms, mg); });
                        if (b->error != 0) continue;
                        const double Pb = b->P * 1e-5;
                        if (!c.check("a one-phase isochore holds its gas",
                                     a[k + 1] >= Pb * (1.0 - 1e-6),
                                     where + ": " + num(a[k + 1]) + " bar at " + num(a[k]) +
                                         " K, bubble pressure " + num(Pb)))
                            break;
                    }
                }
            }
}

// Two-phase isochores through each brine-density model, cooled and heated from saturated
// solutions at low and high pressures and from bubble points: every row is a state of the
// model (no error flag, vapour fraction in 0 ... 1, finite densities); a curve that stops
// at the model's range or its density's ends there, not past it.
void checkTwoPhaseIsochoreRows(Checks& c, const SolubilityMaker& maker, int densityModel) {
    const bool salt = maker.make()->iNaCl >= 0;
    const std::string bipha = "bipha_sweep";
    auto rowsHold = [&](const std::string& where) {
        std::vector<std::vector<double>> rows;
        if (!readIgorRows(bipha, rows)) return;
        for (const auto& r : rows) {
            // T P mg fv rhog rhol rocg rocl e
            const bool ok = r.size() == 9 && r[8] == 0 && r[3] >= 0 && r[3] <= 1 && r[1] > 0 &&
                            std::isfinite(r[4]) && r[4] > 0 && std::isfinite(r[5]) && r[5] > 0;
            if (!c.check("a two-phase isochore row is a state of the model", ok,
                         where + ", T " + num(r[0]) + " K: P " + num(r[1]) + " bar, fraction " +
                             num(r[3]) + ", liquid " + num(r[5]) + " kg/m3, flag " + num(r[8])))
                break;
        }
    };
    for (double ms : {0.0, 2.0}) {
        if (ms > 0 && !salt) continue;
        for (double T0 : {283.15, 373.15})
            for (double P0 : {300.0, 1500.0})
                for (double dT : {-3.0, 3.0}) {
                    std::remove(bipha.c_str());
                    auto m = maker.make();
                    test::outputOf([&] {
                        m->setDensityModelType(densityModel);
                        m->calculateTheBiphasicIsochor(T0, P0, ms, dT, kIgorText, "_sweep",
                                                       nullptr);
                    });
                    rowsHold("saturated at T0 " + num(T0) + " K, P0 " + num(P0) + " bar, NaCl " +
                             num(ms) + ", step " + num(dT));
                }
        for (double mg : {0.01, 0.15})
            for (double dT : {-3.0, 3.0}) {
                std::remove(bipha.c_str());
                auto m = maker.make();
                const double T0 = 323.15, Tend = dT > 0 ? 600.0 : 273.15;
                test::outputOf([&] {
                    m->setDensityModelType(densityModel);
                    m->calculateTheBiphasicIsochor1(Tend, T0, mg, ms, dT, 0.0, kIgorText,
                                                    "_sweep", nullptr);
                });
                rowsHold("bubble point of " + num(mg) + " mol/kg at " + num(T0) + " K, NaCl " +
                         num(ms) + ", step " + num(dT));
            }
    }
    std::remove(bipha.c_str());
}

// Cold water under a dense gas phase heated along its isochore, past where the liquid's and
// the vapour's densities cross (carbon dioxide): the two-phase pressure of each row, asked for
// afresh by the curve's gas and bulk density, is the row's pressure.
void checkDenseGasIsochore(Checks& c, const SolubilityMaker& maker, int densityModel) {
    for (double ms : {0.0, 2.0})
        for (double P0 : {300.0, 700.0}) {
            auto m = maker.make();
            if (ms > 0 && m->iNaCl < 0) continue;
            CurveArray rows;
            bool made = false;
            test::outputOf([&] {
                m->setDensityModelType(densityModel);
                made = m->calculateTheBiphasicIsochor(283.15, P0, ms, 4.0, kCurveArray, "", &rows);
            });
            if (!made) continue;
            const double cg = m->cgTotal, bulk = m->rhoBulk;
            for (std::size_t k = 0; k + 1 < rows.size(); k += 2) {
                auto f = maker.make();
                const double TK = rows[k] + 273.15;
                test::outputOf([&] {
                    f->setDensityModelType(densityModel);
                    f->calculateTheBiphasicPressure(TK, ms, 0.0, cg, bulk);
                });
                if (!c.check("the biphasic pressure of a dense-gas isochore's row is its pressure",
                             f->error == 0 && std::fabs(f->P * 1e-5 / rows[k + 1] - 1) < 1e-5,
                             "P0 " + num(P0) + " bar, NaCl " + num(ms) + ", T " + num(TK) +
                                 " K: row " + num(rows[k + 1]) + " bar, found " +
                                 num(f->P * 1e-5) + " bar, flag " + num(f->error)))
                    break;
            }
        }
}

// States that are none (a temperature not positive or not finite, a negative or undefined
// pressure or molality) given to the entry points that take one: the partial molar volume
// and the bubble pressure are refused with the flag, saying why, and give no number; a
// one-phase isochore of a negative or undefined content or density has no point.
void checkHostileArguments(Checks& c, const SolubilityMaker& maker) {
    const double nan = std::nan(""), inf = HUGE_VAL;
    const bool salt = maker.make()->iNaCl >= 0;
    const std::vector<std::array<double, 4>> states = {
        {-1.0, 100.0, 0.0, 0.05}, {0.0, 100.0, 0.0, 0.05},  {nan, 100.0, 0.0, 0.05},
        {inf, 100.0, 0.0, 0.05},  {323.15, -1.0, 0.0, 0.05}, {323.15, nan, 0.0, 0.05},
        {323.15, inf, 0.0, 0.05}, {323.15, 100.0, -1.0, 0.05}, {323.15, 100.0, nan, 0.05},
        {323.15, 100.0, 0.0, -1.0}, {323.15, 100.0, 0.0, -inf}, {323.15, 100.0, 0.0, nan}};
    for (const auto& s : states) {
        const std::string where = "T " + num(s[0]) + " K, P " + num(s[1]) + " bar, NaCl " +
                                  num(s[2]) + ", gas " + num(s[3]) + " mol/kg";
        auto m = maker.make();
        double Vg = 0.0;
        std::string said = test::outputOf(
            [&] { Vg = m->calculate_gas_partial_volume(s[0], s[1], s[2], s[3]); });
        c.check("a partial volume of a state that is none is refused so",
                std::isnan(Vg) && m->error == 1 && !said.empty(),
                where + ": " + num(Vg) + " m3/mol, flag " + num(m->error) +
                    (said.empty() ? ", nothing said" : ""));
        if (s[1] != 100.0) continue;
        auto b = maker.make();
        said = test::outputOf([&] { b->calculate_bubble_pressure(s[0], 0.0, s[2], s[3]); });
        c.check("a bubble pressure of a state that is none is refused so",
                std::isnan(b->P) && b->error == 1 && !said.empty(),
                where + ": " + num(b->P * 1e-5) + " bar, flag " + num(b->error) +
                    (said.empty() ? ", nothing said" : ""));
    }
    for (const auto& [rho, ms, mg] :
         {std::array<double, 3>{1000.0, 0.0, -1.0}, std::array<double, 3>{1000.0, 0.0, nan},
          std::array<double, 3>{1000.0, -1.0, 0.01}, std::array<double, 3>{-1000.0, 0.0, 0.01},
          std::array<double, 3>{nan, 0.0, 0.01}}) {
        if (ms != 0.0 && !salt) continue;
        auto m = maker.make();
        CurveArray a;
        const std::string said = test::outputOf([&] {
            m->setDensityModelType(SM_MaoDuan0);
            m->calculateTheMonophasicIsochor(350.0, 355.0, rho, ms, mg, 100.0, kCurveArray, "",
                                             &a);
        });
        c.check("a one-phase isochore of a content that is none has no point",
                a.empty() && m->error == 1 && !said.empty(),
                num(rho) + " kg/m3, NaCl " + num(ms) + ", gas " + num(mg) + " mol/kg: " +
                    num(a.size() / 2.0) + " points, flag " + num(m->error));
    }
}

// Every operation on a state, for every model of a brine: the solution given by its mole
// fractions (NaCl alone, code 21; NaCl and gas, code 22) is the solution of the same
// molalities: its solubility, bubble pressure (of half the solubility), density and water
// activity.
void checkAmountsByMoleFraction(Checks& c, const SolubilityMaker& maker) {
    constexpr double Mw = SolubilityModel::kWaterMolarMass;
    auto m = maker.make();
    if (m->iNaCl < 0 || m->iGas < 0) return;
    test::outputOf([&] {
        if (!m->densityModel) m->setDensityModelType(SM_MaoDuan0);
    });
    const auto* range = m->publishedRange();
    const double Tmax = range ? std::min(range->Tmax, 473.15) : 473.15;
    const int nT = c.budget().points(3, 2), nm = c.budget().points(3, 2);
    for (int i = 0; i < nT; ++i)
        for (int k = 0; k < nm; ++k) {
            const double TK = 298.15 + (Tmax - 298.15) * i / std::max(nT - 1, 1);
            const double ms = 0.5 + 2.5 * k / std::max(nm - 1, 1), Pbar = 200.0;
            const size_t g = static_cast<size_t>(m->iGas), s = static_cast<size_t>(m->iNaCl);
            const size_t w = static_cast<size_t>(m->iH2O);
            const std::string where = "T " + num(TK) + " K, P " + num(Pbar) + " bar, NaCl " + num(ms);
            test::outputOf([&] { m->calculate_gas_solubility(TK, Pbar, ms); });
            if (m->error != 0 || m->vapourError != 0) continue;
            const double solubility = m->mg, mgas = 0.5 * solubility;
            const double a = ms * Mw;
            auto give = [&](int code, double gas) {
                m->setMolalities(0.0, 0.0);
                m->temperature(TK);
                m->pressure(Pbar);
                m->mg = gas;
                m->x[s] = a / (1.0 + a + gas * Mw);
                if (code == 22) m->x[g] = gas * Mw / (1.0 + a + gas * Mw);
                m->compositionCode = static_cast<int16_t>(code);
            };
            double byFraction = 0.0;
            test::outputOf([&] {
                give(21, 0.0);
                m->calculate_gas_solubility0();
                byFraction = m->error == 0 && m->vapourError == 0 ? m->mg : std::nan("");
            });
            c.check("a solution by mole fractions is that of its molalities",
                    std::fabs(byFraction - solubility) <= 1e-9 * solubility,
                    where + ": solubility " + num(byFraction) + ", by molality " + num(solubility));
            double bubble = 0.0, bubbleByFraction = 0.0;
            test::outputOf([&] {
                m->calculate_bubble_pressure(TK, 0.0, ms, mgas);
                bubble = m->error == 0 ? m->P : std::nan("");
                give(22, mgas);
                m->P = 0.0;
                m->calculate_bubble_pressure();
                bubbleByFraction = m->error == 0 ? m->P : std::nan("");
            });
            if (std::isfinite(bubble))
                c.check("a solution by mole fractions is that of its molalities",
                        std::fabs(bubbleByFraction - bubble) <= 1e-7 * bubble,
                        where + ": bubble pressure " + num(bubbleByFraction * 1e-5) +
                            " bar, by molality " + num(bubble * 1e-5));
            double rho = 0.0, aw = 0.0, rhoByFraction = 0.0, awByFraction = 0.0;
            test::outputOf([&] {
                m->temperature(TK);
                m->pressure(Pbar);
                m->setMolalities(ms, mgas);
                m->calculate_density();
                rho = m->rhoSolution;
                m->calculate_water_activity();
                aw = m->activityCoefficient[w];
                give(22, mgas);
                m->calculate_density();
                rhoByFraction = m->rhoSolution;
                give(22, mgas);
                m->calculate_water_activity();
                awByFraction = m->activityCoefficient[w];
            });
            if (std::isfinite(rho))
                c.check("a solution by mole fractions is that of its molalities",
                        std::fabs(rhoByFraction - rho) <= 1e-9 * rho,
                        where + ": density " + num(rhoByFraction) + ", by molality " + num(rho));
            if (std::isfinite(aw))
                c.check("a solution by mole fractions is that of its molalities",
                        std::fabs(awByFraction - aw) <= 1e-12,
                        where + ": water activity " + num(awByFraction) + ", by molality " + num(aw));
            // Fractions that leave no water, are negative or all salt: every operation raises
            // the flag and gives nan.
            for (const auto& [xg, xs] : {std::pair{0.6, 0.6}, std::pair{-0.1, 0.01},
                                         std::pair{0.01, 1.0}}) {
                auto refused = [&](const char* what, auto call, auto value) {
                    m->error = 0;
                    m->temperature(TK);
                    m->pressure(Pbar);
                    m->x[g] = xg;
                    m->x[s] = xs;
                    m->compositionCode = 22;
                    test::outputOf([&] { call(); });
                    c.check("amounts by refused mole fractions give no result",
                            m->error != 0 && std::isnan(value()),
                            where + ": x(gas) " + num(xg) + ", x(NaCl) " + num(xs) + ", " + what +
                                " " + num(value()) + ", flag " + num(m->error));
                };
                refused("water activity", [&] { m->calculate_water_activity(); },
                        [&] { return m->activityCoefficient[w]; });
                refused("density", [&] { m->calculate_density(); },
                        [&] { return m->rhoSolution; });
                refused("solubility", [&] { m->calculate_gas_solubility0(); },
                        [&] { return m->mg; });
                refused("bubble pressure", [&] { m->P = 0.0, m->calculate_bubble_pressure(); },
                        [&] { return m->P; });
            }
        }
}

// Every order of a model's set-up ends at the fresh model: Henry's law with its vapour model
// chosen before the gas is named; a model of one system's gas named again with its own
// components, and one given another gas (refused) and then its own type again.
void checkSetUpOrders(Checks& c, const SolubilityMaker& maker) {
    auto fresh = maker.make();
    const double mg = solubilityAt(*fresh);
    const bool brine = fresh->iNaCl >= 0;
    auto same = [&](SolubilityModel& m, const std::string& how) {
        const double again = solubilityAt(m);
        c.check("every order of set-up is the fresh model", sameSolubility(again, mg),
                maker.name + ", " + how + ": " + num(again) + " mol/kg, fresh " + num(mg));
    };
    if (dynamic_cast<Henry*>(fresh.get()) != nullptr) {
        const std::string gas = fresh->componentName[static_cast<size_t>(fresh->iGas)];
        Henry early;
        early.changeModelVersion(fresh->version);
        test::outputOf([&] {
            early.setGasModelType(SM_ClassicalSRK);
            early.number_of_components(3);
            early.add_components("H2O", gas.c_str(), "NaCl");
        });
        same(early, "the vapour model chosen before the names");
        return;
    }
    const char* own = systemGasName(fresh->systemType);
    if (own == nullptr) return;
    for (const char* gas : dissolvedGasNames()) {
        auto named = maker.make();
        test::outputOf([&] {
            named->number_of_components(brine ? 3 : 2);
            named->add_components("H2O", gas, "NaCl");
        });
        const std::string g = gas;
        if (g == own) {
            same(*named, "named again " + g);
            continue;
        }
        test::outputOf([&] { named->setSystemType(fresh->systemType, fresh->version); });
        same(*named, "named " + g + ", then its type again");
    }
}

// A curve written by name prefix, given its suffix.
using CurveWriter = std::pair<std::string, std::function<bool(const char*)>>;

// Curve files with every printable character after "s" as the suffix: one a wave name cannot
// hold is refused, saying so, leaving no file; the curves are computed only for the others,
// of which the sample takes a few, each file naming every column once.
void checkCurveSuffixes(Checks& c, const std::vector<CurveWriter>& curves) {
    const Budget& b = c.budget();
    const int step = b.full ? 1 : 21;
    int wave = b.offset(c.configuration() + " suffix", step);
    for (char ch = '!'; ch <= '~'; ++ch) {
        const bool name = std::isalnum(static_cast<unsigned char>(ch)) || ch == '_';
        if (name && wave++ % step != 0) continue;
        const std::string suffix = std::string("s") + ch;
        for (const auto& [prefix, write] : curves) {
            const std::string file = prefix + suffix;
            const bool path = suffix.find('/') != std::string::npos;
            if (!path) std::remove(file.c_str());
            bool made = false;
            const std::string said = test::outputOf([&] { made = write(suffix.c_str()); });
            std::vector<std::vector<double>> rows;
            const bool read = readIgorRows(file, rows);
            if (name)
                c.check("a curve file names each column once", !made || read,
                        file + (read ? "" : ": its WAVES line and rows disagree"));
            else
                c.check("a suffix no wave name holds is refused, leaving no file",
                        !made && !said.empty() && (path || !std::ifstream(file).good()),
                        "suffix '" + suffix + "', " + prefix + (made ? ": made" : ""));
            if (!path) std::remove(file.c_str());
        }
    }
}

// Dubessy's curve files: its isopleth and its saturation comparison.
void checkDubessySuffixes(Checks& c) {
    checkCurveSuffixes(c, {{"isop",
                            [](const char* sfx) {
                                Dubessy model(0, 0, 0, 1);
                                return model.calculate_the_isopleth(0.2, 560.0, 1, sfx);
                            }},
                           {"satu", [](const char* sfx) {
                                Dubessy model(0, 0, 0, 1);
                                return model.calculateTheSaturationCurve(sfx, 283.0);
                            }}});
}

// A model's curves cross-checked row by row against its single states on fresh models: each
// isotherm row (not flagged) holds the solubility at its pressure, with a vapour of positive
// volume (nearly the ideal gas's at a few bar); each isopleth row is a pressure at which the
// content is the solubility; each two-phase isochore row keeps the feed (the bulk density and
// the gas, liquid and vapour together) with a saturated liquid, and is the two-phase state
// the biphasic pressure finds for the curve's gas and bulk density at its temperature; one
// that ends short of liquid water's temperatures says why. The isotherm's file is the same
// after other curves on the model as on a fresh one. A curve file's suffix ends its wave
// names: one with a character such names cannot hold is refused, leaving no file; one they
// can hold gives a file whose WAVES line names each column once.
void checkCurvesAgainstStates(Checks& c, const SolubilityMaker& maker) {
    const Budget& b = c.budget();
    const bool salt = maker.make()->iNaCl >= 0;
    const double ms = salt ? 2.0 : 0.0;
    auto fresh = [&] {
        auto m = maker.make();
        test::outputOf([&] { m->setDensityModelType(SM_MaoDuan0); });
        return m;
    };
    auto solubility = [&](double TK, double Pbar) {
        auto f = maker.make();
        test::outputOf([&] { f->calculate_gas_solubility(TK, Pbar, ms); });
        return f->error == 0 && f->vapourError == 0 ? f->mg : std::nan("");
    };
    const std::string isot = "isot_xc";
    auto isotherm = [&](SolubilityModel& m, double TK) {
        std::remove(isot.c_str());
        bool made = false;
        test::outputOf([&] { made = m.calculateTheIsotherm(TK, ms, kIgorText, "_xc"); });
        std::ifstream in(isot);
        std::stringstream text;
        text << in.rdbuf();
        return made ? text.str() : std::string();
    };
    const std::vector<double> temperatures = {298.15, 348.15, 398.15};
    const int nT = static_cast<int>(temperatures.size());
    const int stepT = b.full ? 1 : std::max(1, nT / b.points(nT, 1));
    for (int k = b.offset(c.configuration() + " T", stepT); k < nT; k += stepT) {
        const double TK = temperatures[static_cast<std::size_t>(k)];
        auto m = fresh();
        const std::string first = isotherm(*m, TK);
        std::vector<std::vector<double>> rows;
        if (first.empty() || !readIgorRows(isot, rows)) continue;
        // T P mg yh vv rho e; a few rows of each hundred bar, the first above the vapour
        // pressure's among them.
        for (std::size_t i = 1; i < rows.size(); i += i < 5 ? 1 : 97) {
            const auto& r = rows[i];
            const std::string where = "T " + num(TK) + " K, P " + num(r[1]) + " bar";
            // Compressibility factor; a gas at a few bar is nearly ideal.
            const double Z = r[1] * 1e5 * r[4] * 1e-6 / (8.314462618 * TK);
            c.check("an isotherm's vapour has a volume",
                    r[4] > 0 && std::isfinite(r[4]) && (r[1] > 3.0 || (Z > 0.9 && Z < 1.01)),
                    where + ": " + num(r[4]) + " cm3/mol");
            if (r[6] != 0) continue;
            const double mg = solubility(TK, r[1]);
            c.check("an isotherm row holds the solubility at its pressure",
                    std::fabs(mg - r[2]) <= std::max(1.5e-6, 1e-5 * mg),
                    where + ": " + num(r[2]) + " mol/kg, the state " + num(mg));
        }
        auto used = fresh();
        test::outputOf([&] {
            CurveArray a;
            used->calculateTheIsopleth(ms, 0.02, kCurveArray, "", &a);
            used->calculateTheBiphasicIsochor1(273.15, 373.15, 0.02, ms, -2.0, 0.0, kCurveArray,
                                               "", &a);
        });
        c.check("an isotherm after other curves is the fresh model's",
                isotherm(*used, TK) == first, "T " + num(TK) + " K");
    }
    std::remove(isot.c_str());
    for (double content : {0.003, 0.03}) {
        auto m = fresh();
        CurveArray a;
        bool made = false;
        test::outputOf(
            [&] { made = m->calculateTheIsopleth(ms, content, kCurveArray, "", &a); });
        if (!made) continue;
        const std::size_t stride = b.full ? 2 : 2 * 7;
        for (std::size_t k = 0; k + 1 < a.size(); k += stride) {
            if (std::isnan(a[k])) continue;
            const double mg = solubility(a[k], a[k + 1]);
            c.check("an isopleth row dissolves its content", std::fabs(mg / content - 1) < 1e-6,
                    num(content) + " mol/kg, T " + num(a[k]) + " K, P " + num(a[k + 1]) +
                        " bar: the state " + num(mg));
        }
    }
    const std::string bipha = "bipha_xc";
    // From 1000 bar, the brine density's top, the secant's second point has no density.
    for (double P0 : {300.0, 1000.0})
        for (double dT : {-4.0, 4.0}) {
            std::remove(bipha.c_str());
            auto m = fresh();
            const std::string said = test::outputOf([&] {
                m->calculateTheBiphasicIsochor(373.15, P0, ms, dT, kIgorText, "_xc", nullptr);
            });
            std::vector<std::vector<double>> rows;
            if (!readIgorRows(bipha, rows) || rows.empty()) continue;
            const double next = rows.back()[0] + dT;
            c.check("a two-phase isochore that ends short says why",
                    next < 273.15 || next > SolubilityModel::kMaxIsochorTemperature ||
                        said.find("Biphasic isochor") != std::string::npos,
                    "P0 " + num(P0) + " bar, step " + num(dT) + ": ends at " + num(rows.back()[0]) +
                        " K");
            // T P mg fv rhog rhol rocg rocl e
            const double bulk = rows[0][5], gas = rows[0][7];
            const double cgTotal = m->cgTotal, rhoBulk = m->rhoBulk;
            for (const auto& r : rows) {
                const double a = r[3];
                const std::string where = "T " + num(r[0]) + " K, P " + num(r[1]) + " bar, P0 " +
                                          num(P0) + ", step " + num(dT) + ", fraction " + num(a);
                c.check("a two-phase isochore row keeps the feed",
                        std::fabs(((1 - a) * r[5] + a * r[4]) / bulk - 1) < 2e-5 &&
                            std::fabs(((1 - a) * r[7] + a * r[6]) / gas - 1) < 2e-5,
                        where);
                const double mg = solubility(r[0], r[1]);
                c.check("a two-phase isochore's liquid is saturated",
                        std::fabs(mg / r[2] - 1) < 3e-5,
                        where + ": " + num(r[2]) + " mol/kg, the state " + num(mg));
                auto f = fresh();
                test::outputOf(
                    [&] { f->calculateTheBiphasicPressure(r[0], ms, 0.0, cgTotal, rhoBulk); });
                c.check("the biphasic pressure of an isochore's state is its pressure",
                        f->error == 0 && std::fabs(f->P * 1e-5 / r[1] - 1) < 1e-5,
                        where + ": " + num(f->P * 1e-5) + " bar, flag " + num(f->error));
            }
        }
    std::remove(bipha.c_str());
    // Run inside the check's own capture of what is said: a model made as fresh() makes it.
    auto write = [&](const std::function<bool(SolubilityModel&, const char*)>& curve) {
        return [&, curve](const char* sfx) {
            auto m = maker.make();
            m->setDensityModelType(SM_MaoDuan0);
            return curve(*m, sfx);
        };
    };
    checkCurveSuffixes(
        c, {{"isot", write([&](SolubilityModel& m, const char* sfx) {
                 return m.calculateTheIsotherm(323.15, ms, kIgorText, sfx);
             })},
            {"isop", write([&](SolubilityModel& m, const char* sfx) {
                 return m.calculateTheIsopleth(ms, 0.02, kIgorText, sfx, nullptr);
             })},
            {"bipha", write([&](SolubilityModel& m, const char* sfx) {
                 return m.calculateTheBiphasicIsochor(373.15, 300.0, ms, -4.0, kIgorText, sfx,
                                                      nullptr);
             })},
            {"bipha", write([&](SolubilityModel& m, const char* sfx) {
                 return m.calculateTheBiphasicIsochor1(323.15, 373.15, 0.02, ms, -4.0, 0.0,
                                                       kIgorText, sfx, nullptr);
             })}});
}
// Dubessy's model with one residual form (listed or not) and every activity model and Henry
// option from -1 to 3 and as digits: a listed triple solves a brine of 0.5 mol/kg CO2 at
// 323.15 K to a state whose two fugacity residuals vanish; any other is refused, saying so.
void checkDubessyOptions(Checks& c, int form) {
    const std::vector<int> values = {-1, 0, 1, 2, 3, int('0'), int('1'), int('2')};
    for (int activity : values)
        for (int henryOption : values) {
            const bool listed = (form == 0 || form == 1) && activity >= 0 && activity <= 2 &&
                                henryOption >= 0 && henryOption <= 2;
            const std::string where = "options " + num(form) + " " + num(activity) + " " +
                                      num(henryOption);
            Dubessy d(2, static_cast<char>(form), static_cast<char>(activity),
                      static_cast<char>(henryOption));
            const std::string said =
                test::outputOf([&] { d.calculate_gas_solubility(323.15, 0.5, 1.0); });
            if (!listed) {
                c.check("an option outside its list is refused, saying so",
                        d.error != 0 && said.find("options") != std::string::npos,
                        where + (d.error ? ": " + said : ": solved"));
                continue;
            }
            if (!c.check("a listed option solves", d.error == 0, where + ": " + said)) continue;
            double X[2] = {d.Vvap, d.yCO2}, F[2] = {1.0, 1.0};
            int err = 0;
            d.calculate_vector_function(X, F, nullptr, err, 0, nullptr);
            c.check("the solution's fugacities are equal in both phases",
                    err == 0 && std::fabs(F[0]) < 1e-6 * d.vapour->fugacity[0] &&
                        std::fabs(F[1]) < 1e-6 * d.vapour->fugacity[1],
                    where + ": residuals " + num(F[0]) + ", " + num(F[1]) + " Pa");
        }
}

// A Henry-Pitzer set of one, two or three gases in water and in 2 mol/kg NaCl, their gas-phase
// fractions summing to 0.2 to 1.4: fractions more than a thousandth from one are refused,
// saying so; of those summing to one or within a thousandth of it, a state is solved or
// refused saying why, and each gas of a solved one has the aqueous fugacity x H of its
// fugacity in a cubic fluid of the fractions scaled to one, of its stable root.
void checkHenPitSetGasFractions(Checks& c, int henrySet, const std::vector<std::string>& gases) {
    const Budget& b = c.budget();
    const int nT = b.points(6, 3), nP = b.points(6, 3);
    for (double sum : {0.2, 0.9, 0.9995, 1.0, 1.0005, 1.1, 1.4})
        for (double m : {0.0, 2.0})
            for (int i = 0; i < nT; ++i)
                for (int j = 0; j < nP; ++j) {
                    const double TK = 285.0 + 150.0 * i / std::max(1, nT - 1);
                    const double Pbar = 5.0 + 295.0 * j / std::max(1, nP - 1);
                    std::vector<double> y;
                    for (std::size_t k = 0; k < gases.size(); ++k)
                        y.push_back(sum * double(k + 1) /
                                    double(gases.size() * (gases.size() + 1) / 2));
                    std::string where = "T " + num(TK) + " K, P " + num(Pbar) + " bar, m " +
                                        num(m) + ", fractions summing to " + num(sum);
                    auto solve = [&](HenPitSet& s, double scale) {
                        return test::outputOf([&] {
                            s.setVapourModel(1);
                            s.henrySet = henrySet;
                            s.number_of_components(static_cast<int>(gases.size()) + 2);
                            s.add_component("H2O");
                            for (const std::string& g : gases) s.add_component(g.c_str());
                            s.add_component("NaCl");
                            for (std::size_t k = 0; k < y.size(); ++k)
                                s.vapour->composition_of_component(static_cast<int>(k),
                                                                   y[k] * scale);
                            s.m = m;
                            s.temperature(TK);
                            s.pressure(Pbar);
                            s.describe();
                        });
                    };
                    HenPitSet s;
                    const std::string said = solve(s, 1.0);
                    if (std::fabs(sum - 1.0) > 1e-3) {
                        c.check("fractions not summing to one are refused, saying why",
                                s.error != 0 && !said.empty(),
                                where + (s.error ? ": " + said : ": solved"));
                        continue;
                    }
                    // Within a thousandth of one the fractions are their rounding of fractions
                    // summing to one, and dissolve as those.
                    if (sum != 1.0) {
                        HenPitSet scaled;
                        solve(scaled, 1.0 / sum);
                        bool same = s.error == scaled.error;
                        for (std::size_t k = 1; same && k <= gases.size(); ++k)
                            same = s.error != 0 || std::fabs(s.x[k] - scaled.x[k]) <=
                                                       1e-12 * scaled.x[k];
                        c.check("fractions within a thousandth of one dissolve as scaled to one",
                                same,
                                where + ": flag " + num(s.error) + " against " +
                                    num(scaled.error) + (s.error ? ": " + said : ""));
                    }
                    if (s.error) {
                        c.check("a state not solved says why", !said.empty(), where);
                        continue;
                    }
                    // The mixture's root of lower Gibbs energy, sum y ln f: C3 and iC4 at 285 K
                    // and 5 bar are a liquid, above their bubble pressure.
                    std::vector<double> f;
                    double least = INFINITY;
                    for (int side : {1, 2}) {
                        ClassicalSRK gas(side);
                        gas.number_of_components(static_cast<int>(gases.size()));
                        for (const std::string& g : gases) gas.add_component(g.c_str());
                        for (std::size_t k = 0; k < y.size(); ++k)
                            gas.composition_of_component(static_cast<int>(k), y[k] / sum);
                        test::outputOf([&] { gas.calculateFromTP(TK, Pbar, 0); });
                        double g = 0.0;
                        for (std::size_t k = 0; k < y.size(); ++k)
                            g += y[k] * std::log(gas.fugacity[k]);
                        if (gas.error || !(g < least)) continue;
                        least = g;
                        f.assign(gas.fugacity.begin(), gas.fugacity.begin() + long(y.size()));
                    }
                    if (!c.check("the cubic gas has a state", !f.empty(), where)) continue;
                    for (std::size_t k = 0; k < gases.size(); ++k)
                        c.check("each gas has one fugacity in the gas and the solution",
                                std::fabs(s.x[k + 1] * s.henryConstant[k + 1] - f[k]) <=
                                    1e-8 * f[k],
                                where + ", " + gases[k] + ": " +
                                    num(s.x[k + 1] * s.henryConstant[k + 1]) + " against " +
                                    num(f[k]) + " Pa");
                }
}

// The decompression of gas-charged water from each example's state to final pressures from
// -1 bar to the initial one, reversibly and not: a final state is printed only with a positive
// temperature and finite balances (the entropy or the enthalpy balance holding at the root,
// the CO2 kept whole and the irreversible work P1 (V1 - V0)); every other says why and prints
// nothing.
void checkZhang(Checks& c, int example, int reversible) {
    for (double P1 : {-1e5, 0.0, 1e3, 1e4, 5e4, 9e4, 1.11e5, 2e5, 4.96e5, 1e6, 2.13e6})
        for (double T0 : {-10.0, 0.0, 275.0, 296.0, 350.0}) {
            Zhang z;
            example == 1 ? z.example1() : z.example2();
            z.P1 = P1;
            z.T0 = T0;
            std::FILE* sink = std::tmpfile();
            int code = 0;
            const std::string said = test::outputOf([&] { code = z.solve(char(reversible), sink); });
            const long written = std::ftell(sink);
            std::fclose(sink);
            const std::string where = "P1 " + num(P1) + " Pa, T0 " + num(T0) + " K";
            if (code != 0) {
                c.check("a decompression not solved says why and prints nothing",
                        !said.empty() && written == 0, where);
                continue;
            }
            const double residual = reversible ? z.dS : z.dH - (z.P1 - z.P0) * z.V0;
            c.check("a printed decompression is a state of its balances",
                    written > 0 && T0 > 0 && P1 > 0 && z.T1 > 0 && std::fabs(residual) < 1e-6 &&
                        std::fabs(z.ngas + z.naq - z.nc) < 1e-12 &&
                        std::fabs(z.Wirr - z.P1 * (z.Vl + z.Vg - z.V0)) <=
                            1e-12 * std::fabs(z.Wirr) && std::isfinite(z.Wrev),
                    where + ": T1 " + num(z.T1) + ", residual " + num(residual));
        }
}
}  // namespace

void addSolubilityConfigurations(std::vector<Configuration>& out) {
    for (int system : {0, 2})
        for (int option : {1, 2})
            for (int T = 275; T <= 330; ++T) {
                const double TK = T;
                out.push_back(
                    {"solubility",
                     "solubility Dubessy system " + num(system) + " henry " + num(option) + " T " +
                         num(TK),
                     [system, option, TK](Checks& c) { checkDubessy(c, system, option, TK); }});
            }
    for (int system : {0, 2})
        for (int option : {1, 2})
            out.push_back({"solubility",
                           "solubility Dubessy cold system " + num(system) + " henry " + num(option),
                           [system, option](Checks& c) { checkDubessyCold(c, system, option); }});
    for (int option : {1, 2})
        for (double ms : {1.0, 3.0, 6.0})
            for (double mg : {0.2, 0.5, 1.0})
                out.push_back({"solubility",
                               "solubility Dubessy hot brine henry " + num(option) + " NaCl " +
                                   num(ms) + " CO2 " + num(mg),
                               [option, ms, mg](Checks& c) { checkDubessyHotBrine(c, option, ms, mg); }});
    // Isotherms up to a sixth of the liquid's moles in solutes, through the activity model's
    // spinodal (3.5 mol/kg CO2 at 298 K, 2.2 at 573 K).
    for (int system : {0, 2})
        for (int option : {1, 2})
            for (double r : system == 0 ? std::vector<double>{1.0} : std::vector<double>{1.0, 0.8})
                for (int T = 275; T <= 575; T += 25) {
                    const double TK = T;
                    out.push_back({"solubility",
                                   "solubility Dubessy isotherm system " + num(system) + " henry " +
                                       num(option) + " r " + num(r) + " T " + num(TK),
                                   [system, option, r, TK](Checks& c) {
                                       checkDubessyIsotherm(c, system, option, r, TK);
                                   }});
                }
    for (int henrySet : {0, 1, 2})
        for (const char* gas : dissolvedGasNames()) {
            if (!henry::hasCorrelation(gas, henrySet)) continue;
            const std::string g = gas;
            out.push_back({"solubility", "solubility HenPitSet hot set " + num(henrySet) + " " + g,
                           [henrySet, g](Checks& c) { checkHotHenPitSet(c, henrySet, g); }});
        }
    for (const SolubilityMaker& maker : solubilityModels()) {
        if (maker.make()->publishedRange() == nullptr) continue;
        out.push_back({"solubility", "solubility range top " + maker.name,
                       [maker](Checks& c) { checkRangeTop(c, maker); }});
    }
    for (const SolubilityMaker& maker : solubilityModels())
        out.push_back({"solubility", "solubility curves " + maker.name,
                       [maker](Checks& c) { checkCurves(c, maker); }});
    for (const SolubilityMaker& maker : solubilityModels())
        out.push_back({"solubility", "solubility isotherm edges " + maker.name,
                       [maker](Checks& c) { checkIsothermEdges(c, maker); }});
    for (const SolubilityMaker& maker : solubilityModels())
        out.push_back({"solubility", "solubility printout without parameters " + maker.name,
                       [maker](Checks& c) { checkPrintoutWithoutParameters(c, maker); }});
    for (const SolubilityMaker& maker : solubilityModels())
        out.push_back({"solubility", "solubility printout after refusal " + maker.name,
                       [maker](Checks& c) { checkPrintoutAfterRefusal(c, maker); }});
    for (const SolubilityMaker& maker : solubilityModels())
        out.push_back({"solubility", "solubility isotherm starts " + maker.name,
                       [maker](Checks& c) { checkIsothermStarts(c, maker); }});
    for (const SolubilityMaker& maker : solubilityModels())
        for (int gasModel : {SM_DMW1, SM_SRK1, SM_ClassicalSRK})
            out.push_back({"solubility", "solubility vapour against gas model " + num(gasModel) +
                                             " " + maker.name,
                           [maker, gasModel](Checks& c) {
                               checkVapourAgainstGasModel(c, maker, gasModel);
                           }});
    out.push_back({"solubility", "solubility Dubessy curve suffixes", checkDubessySuffixes});
    for (int form : {0, 1, 2, int('0'), int('1')})
        out.push_back({"solubility", "solubility Dubessy options residual form " + num(form),
                       [form](Checks& c) { checkDubessyOptions(c, form); }});
    // One, two and three gases of each set's correlations, in the order of the list, each once
    // (a name whose molar mass and constants are an earlier one's, C1 after CH4, is that gas).
    for (int henrySet : {0, 1, 2}) {
        std::vector<std::string> names;
        auto same = [](const char* a, const char* b) {
            double Ha = 0.0, Hb = 0.0;
            return gasMolarMass(a) == gasMolarMass(b) && henry::wilhelm(a, 300.0, Ha) &&
                   henry::wilhelm(b, 300.0, Hb) && Ha == Hb;
        };
        for (const char* gas : dissolvedGasNames()) {
            bool alias = false;
            for (const std::string& n : names) alias = alias || same(gas, n.c_str());
            if (henry::hasCorrelation(gas, henrySet) && !alias) names.push_back(gas);
        }
        for (std::size_t k = 0; k < names.size(); ++k)
            for (std::size_t n : {std::size_t{1}, std::size_t{2}, std::size_t{3}}) {
                if (k + n > names.size()) continue;
                const std::vector<std::string> gases(names.begin() + long(k),
                                                     names.begin() + long(k + n));
                std::string line = "solubility HenPitSet gas fractions set " + num(henrySet);
                for (const std::string& g : gases) line += " " + g;
                out.push_back({"solubility", line, [henrySet, gases](Checks& c) {
                                   checkHenPitSetGasFractions(c, henrySet, gases);
                               }});
            }
    }
    for (int example : {1, 2})
        for (int reversible : {0, 1})
            out.push_back({"solubility",
                           "solubility Zhang example " + num(example) +
                               (reversible ? " reversible" : " irreversible"),
                           [example, reversible](Checks& c) { checkZhang(c, example, reversible); }});
    for (bool shibue : {true, false})
        out.push_back({"solubility",
                       std::string("solubility dialogue suffix ") + (shibue ? "Shibue" : "SaltCorr"),
                       [shibue](Checks& c) { checkDialogueSuffixes(c, shibue); }});
    for (bool shibue : {true, false})
        for (int salt : {1, 2})
            out.push_back({"solubility", std::string("solubility brine isotherm temperatures ") +
                                             (shibue ? "Shibue" : "SaltCorr") + " salt " + num(salt),
                           [shibue, salt](Checks& c) { checkBrineIsothermTemperatures(c, shibue, salt); }});
    for (const SolubilityMaker& maker : solubilityModels())
        out.push_back({"solubility", "solubility partial volume " + maker.name,
                       [maker](Checks& c) { checkPartialVolume(c, maker); }});
    for (const SolubilityMaker& maker : solubilityModels())
        out.push_back({"solubility", "solubility vapour side " + maker.name,
                       [maker](Checks& c) { checkVapourSide(c, maker); }});
    // Each gas of a version's correlations after the gas before it in the list of dissolved
    // gases (with or without a correlation of its own).
    const std::vector<const char*>& gases = dissolvedGasNames();
    for (int version = 0; version <= 2; ++version)
        for (size_t k = 0; k < gases.size(); ++k) {
            if (!henry::hasCorrelation(gases[k], version)) continue;
            const std::string first = gases[(k + gases.size() - 1) % gases.size()], g = gases[k];
            out.push_back({"solubility", "solubility set up again Henry version " + num(version) +
                                             " " + first + " then " + g,
                           [version, first, g](Checks& c) { checkHenrySetUpAgain(c, version, first, g); }});
            out.push_back({"solubility", "solubility set up again HenPitSet set " + num(version) +
                                             " " + first + " then " + g,
                           [version, first, g](Checks& c) { checkHenPitSetUpAgain(c, version, first, g); }});
        }
    // Henry's law set up by each system type of the list and then by each gas's name (and
    // back), in each version with a correlation for the gas.
    for (int version = 0; version <= 2; ++version)
        for (int type = 0; type <= SM_H2O_N2; ++type) {
            if (systemGasName(type) == nullptr || type == SM_H2O_HC_NaCl) continue;
            for (const char* gas : dissolvedGasNames()) {
                if (!henry::hasCorrelation(gas, version)) continue;
                const std::string g = gas;
                out.push_back({"solubility",
                               "solubility set up by type then names Henry version " +
                                   num(version) + " type " + num(type) + " " + g,
                               [version, type, g](Checks& c) {
                                   checkHenryTypeAndNames(c, version, type, g);
                               }});
            }
        }
    for (int henrySet : {0, 1, 2})
        for (const char* gas : dissolvedGasNames()) {
            if (!henry::hasCorrelation(gas, henrySet)) continue;
            const std::string g = gas;
            out.push_back(
                {"solubility",
                 "solubility set up by type then names HenPitSet set " + num(henrySet) +
                     " vapour after " + g,
                 [henrySet, g](Checks& c) { checkHenPitSetVapourAfterNames(c, henrySet, g); }});
        }
    for (const SolubilityMaker& maker : solubilityModels()) {
        if (dynamic_cast<Henry*>(maker.make().get()) != nullptr) continue;
        out.push_back({"solubility", "solubility foreign gas " + maker.name,
                       [maker](Checks& c) { checkForeignGasByName(c, maker); }});
    }
    for (const SolubilityMaker& maker : solubilityModels())
        out.push_back({"solubility", "solubility one-phase isochores " + maker.name,
                       [maker](Checks& c) { checkOnePhaseIsochores(c, maker); }});
    for (const SolubilityMaker& maker : solubilityModels())
        for (int density : {SM_MaoDuan0, SM_MaoDuan1, SM_Spivey})
            out.push_back({"solubility",
                           "solubility pressure from density guesses density " + num(density) +
                               " " + maker.name,
                           [maker, density](Checks& c) {
                               checkPressureFromDensityGuesses(c, maker, density);
                           }});
    for (const SolubilityMaker& maker : solubilityModels())
        for (int density : {SM_MaoDuan0, SM_MaoDuan1, SM_Spivey})
            out.push_back({"solubility", "solubility two-phase isochore rows density " +
                                             num(density) + " " + maker.name,
                           [maker, density](Checks& c) {
                               checkTwoPhaseIsochoreRows(c, maker, density);
                           }});
    for (const SolubilityMaker& maker : solubilityModels())
        for (int density : {SM_MaoDuan0, SM_Spivey})
            out.push_back({"solubility", "solubility dense-gas isochore density " +
                                             num(density) + " " + maker.name,
                           [maker, density](Checks& c) {
                               checkDenseGasIsochore(c, maker, density);
                           }});
    for (const SolubilityMaker& maker : solubilityModels())
        out.push_back({"solubility", "solubility curves against states " + maker.name,
                       [maker](Checks& c) { checkCurvesAgainstStates(c, maker); }});
    for (const SolubilityMaker& maker : solubilityModels())
        out.push_back({"solubility", "solubility hostile arguments " + maker.name,
                       [maker](Checks& c) { checkHostileArguments(c, maker); }});
    for (const SolubilityMaker& maker : solubilityModels())
        out.push_back({"solubility", "solubility amounts by mole fraction " + maker.name,
                       [maker](Checks& c) { checkAmountsByMoleFraction(c, maker); }});
    for (const SolubilityMaker& maker : solubilityModels())
        out.push_back({"solubility", "solubility set-up orders " + maker.name,
                       [maker](Checks& c) { checkSetUpOrders(c, maker); }});
    for (int version = 0; version <= 9; ++version)
        for (const char* gas : dissolvedGasNames()) {
            Henry probe;
            probe.changeModelVersion(version);
            probe.number_of_components(2);
            probe.add_components("H2O", gas);
            probe.temperature(298.15);
            if (probe.calculateHenryConstant(1, 1e5) == Henry::kInsoluble) continue;
            const std::string g = gas;
            out.push_back({"solubility", "solubility Henry water version " + num(version) + " " + g,
                           [version, g](Checks& c) { checkHenryOverWater(c, version, g); }});
        }
}

}  // namespace vornex::sweep
