// Mixtures: every cubic class on every pair of its components (the classic table, or the
// component files of the classes that read them), a ternary and a five-component feed:
// bubble and dew points, flashes at fixed T and P and at fixed vapour fractions from each pure
// end to the critical region, the same feeds in the other component order, the binary
// isotherm started at each pure end and inside, and on the ternary the pseudo-binary isotherm
// and the tie lines of its isobaric, isothermal diagram; the fluids' own binary isotherms,
// from component 0's saturation and both ways from a pressure, and their Gibbs transects.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>
#include <utility>

#include "Sweep.h"
#include "cubic/ClassicData.h"
#include "cubic/ClassicalCubic0.h"
#include "cubic/CriticalInterpolation.h"
#include "cubic/HCubic.h"
#include "cubic/TermCubic.h"
#include "dkl/DuanModels.h"
#include "dkl/KreglewskiEOS.h"
#include "dkl/LeeKessler.h"
#include "fluid/BinaryGibbsHull.h"
#include "numerics/TextCapture.h"
#include "vle/IFP.h"

namespace vornex::sweep {
namespace {

using CubicMaker = std::function<std::unique_ptr<FluidPhase>(int selector)>;

// A gas no model has data for.
const char* const kUnknownGas = "Xq9";

// The cubic classes, by the name a configuration line shows: those of the classic table's
// constants, and those reading the component files ("compo/<name>").
struct CubicClass {
    const char* name;
    CubicMaker make;
    bool componentFiles;
    // Water must be its component 0, beside each gas.
    bool onlyBesideWater = false;
};
template <class M, class... A>
CubicMaker cubicMaker(A... a) {
    return [=](int selector) { return std::unique_ptr<FluidPhase>(new M(a..., selector)); };
}
const std::vector<CubicClass>& cubicClasses() {
    static const std::vector<CubicClass> list = {
        {"PR", cubicMaker<ClassicalCubic0>(kPengRobinson), false},
        {"SRK", cubicMaker<ClassicalCubic0>(kSoaveRedlichKwong), false},
        // Peng-Robinson with the petroleum model's five-digit constants.
        {"MontelPR", cubicMaker<ClassicalCubic0>(kMontelConstants), false},
        // Peng-Robinson with the hydrocarbon pairs' kaij from their critical data.
        {"ChuehPR", cubicMaker<ClassicalCubic01>(kPengRobinson), false},
        // The term-based SRK.
        {"TermSRK", [](int selector) { return std::unique_ptr<FluidPhase>(new SRK1(selector, 0)); },
         false},
        {"TermPRSV", [](int selector) { return std::unique_ptr<FluidPhase>(new PRSV(selector, 0)); },
         true},
        // The three-constant cubics.
        {"TwoPar", [](int selector) { return std::unique_ptr<FluidPhase>(new TwoPar(selector)); },
         true},
        {"ThreePar", [](int selector) { return std::unique_ptr<FluidPhase>(new ThreePar(selector)); },
         true},
    };
    return list;
}

// The component table, read from the rows of its source: a component added there joins
// the sweep. Each name is the formula (the alias) where the row has one.
std::vector<std::string> componentTable() {
    std::vector<std::string> names;
    for (const std::string& name : namesOfTable("src/cubic/ClassicalCubic0.cpp", "kClassicRows[] = {", true))
        if (findClassicRow(name.c_str()) != nullptr) names.push_back(name);
    return names;
}

// The shipped component files: a file added there joins the sweep.
std::string componentFolder() { return std::string(VORNEX_SOURCE_DIR) + "/data/compo"; }
std::vector<std::string> componentFiles() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(componentFolder())) {
        const std::string name = e.path().filename().string();
        // A component's file gives its critical temperature; notes about them do not.
        std::ifstream in(e.path());
        bool component = false;
        for (std::string line; !component && std::getline(in, line);)
            component = line.rfind("Tc ", 0) == 0;
        if (e.is_regular_file() && name.find('.') == std::string::npos && component)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The component files where the classes look for them: in the working folder.
void linkComponentFiles() {
    std::error_code ignored;
    if (!std::filesystem::exists("compo"))
        std::filesystem::create_directory_symlink(componentFolder(), "compo", ignored);
}

struct Mixture {
    std::unique_ptr<FluidPhase> liquid, vapour;
    std::unique_ptr<IFP> ifp;
    Mixture(const CubicMaker& make, const std::vector<std::string>& names) {
        for (auto* f : {&liquid, &vapour}) {
            *f = make(f == &liquid ? 2 : 1);
            (*f)->number_of_components(static_cast<int>(names.size()));
            for (const auto& n : names) (*f)->add_component(n.c_str());
        }
        ifp = std::make_unique<IFP>(*liquid, *vapour);
        ifp->number_of_components(static_cast<int>(names.size()));
        for (const auto& n : names) ifp->add_component(n.c_str());
    }
    // The problem of `type` (two digits: 1 T, 2 P, 3 the vapour fraction) on feed z.
    int solve(int type, double T, double Pbar, double Fv, const std::vector<double>& z) {
        for (int i = 0; i < ifp->n; ++i) ifp->composition(i, z[static_cast<std::size_t>(i)]);
        ifp->set_type_of_problem(static_cast<short>(type));
        ifp->set_the_temperature(T);
        ifp->set_the_pressure(Pbar);
        ifp->set_the_vaporization_ratio(Fv);
        test::outputOf([&] { ifp->calculateVLE(2); });
        return ifp->status;
    }
    int bubble(double T, const std::vector<double>& z) { return solve(13, T, 1.0, 0.0, z); }
};

std::vector<double> lnFugacities(FluidPhase& f, double T, double P,
                                 const std::vector<double>& c) {
    f.temperature(T);
    f.pressure(P * 1e-5);
    for (int i = 0; i < f.nc; ++i) f.composition_of_component(i, c[static_cast<std::size_t>(i)]);
    f.error = 0;
    f.calculate_molar_volume();
    f.calculate_fugacities();
    std::vector<double> lnf(c.size());
    for (std::size_t i = 0; i < c.size(); ++i)
        lnf[i] = std::log(std::max(c[i], 1e-300)) + f.lnPhi[i];
    return f.error == 0 ? lnf : std::vector<double>{};
}

std::string feedText(const std::vector<double>& z) {
    std::string t = "z (";
    for (std::size_t i = 0; i < z.size(); ++i) t += (i ? " " : "") + num(z[i]);
    return t + ")";
}

// No trial phase of a binary, liquid-like or vapour-like, lies below the plane the phase's
// fugacities span at (T, P): the lowest tangent-plane distance found (RT), and where.
std::pair<double, double> lowestTangentPlaneDistance(Checks& c, Mixture& m, double T, double P,
                                                     const std::vector<double>& lnRef) {
    double lowest = 0, at = 0;
    const int n = c.budget().points(60, 12);
    for (FluidPhase* trial : {m.liquid.get(), m.vapour.get()})
        for (int k = 1; k < n; ++k) {
            const std::vector<double> w = {double(k) / n, 1.0 - double(k) / n};
            const auto lnw = lnFugacities(*trial, T, P, w);
            if (lnw.empty()) continue;
            const double tpd = w[0] * (lnw[0] - lnRef[0]) + w[1] * (lnw[1] - lnRef[1]);
            if (tpd < lowest) lowest = tpd, at = w[0];
        }
    return {lowest, at};
}

// The problems a configuration posed and those it solved: a configuration that solves none
// has no answer to check, and fails for that.
struct Attempts {
    long posed = 0, solved = 0;
    void check(Checks& c) const {
        if (posed > 0)
            c.check("some problem solves", solved > 0,
                    "all " + num(double(posed)) + " problems failed");
    }
};

// A status-0 answer of problem `type` closes its residuals: the two phases of equal
// fugacities, the feed their mass balance, the imposed values met; and a binary's answer is
// stable on the tangent plane.
void checkAnswer(Checks& c, Attempts& attempts, Mixture& m, int type, double T, double Pbar,
                 double Fv, const std::vector<double>& z) {
    const int status = m.solve(type, T, Pbar, Fv, z);
    ++attempts.posed;
    attempts.solved += status == 0;
    std::string where = "type " + num(type) + ", T " + num(T) + " K";
    if (type % 10 == 2 || type / 10 == 2) where += ", P " + num(Pbar) + " bar";
    if (type % 10 == 3 || type / 10 == 3) where += ", Fv " + num(Fv);
    where += ", " + feedText(z);
    if (status != 0) return;
    const auto& s = m.ifp->current;
    bool finite = std::isfinite(s.P) && s.P > 0 && std::isfinite(s.T) && s.T > 0;
    for (double v : s.x) finite = finite && std::isfinite(v);
    for (double v : s.y) finite = finite && std::isfinite(v);
    if (!c.check("status-0 answer is finite", finite, where)) return;
    const auto lnl = lnFugacities(*m.liquid, s.T, s.P, s.x),
               lnv = lnFugacities(*m.vapour, s.T, s.P, s.y);
    double gap = lnl.empty() || lnv.empty() ? 1.0 : 0.0, apart = 0.0, balance = 0.0;
    const double N = s.nL + s.nV;
    for (std::size_t i = 0; i < lnl.size() && i < lnv.size(); ++i) {
        gap = std::max(gap, std::fabs(lnl[i] - lnv[i]));
        apart += std::fabs(s.x[i] - s.y[i]);
        balance = std::max(balance, std::fabs(s.nL * s.x[i] + s.nV * s.y[i] - N * z[i]) / N);
    }
    bool imposed = true;
    for (int d : {type / 10, type % 10}) {
        if (d == 1) imposed = imposed && std::fabs(s.T - T) < 1e-6 * T;
        if (d == 2) imposed = imposed && std::fabs(s.P / (Pbar * 1e5) - 1) < 1e-6;
        if (d == 3) imposed = imposed && std::fabs(s.nV / N - Fv) < 1e-6;
    }
    const std::string at = where + ": T " + num(s.T) + " K, P " + num(s.P * 1e-5) + " bar, Fv " +
                           num(s.nV / N);
    c.check("status-0 answer closes its residuals",
            gap < 1e-6 && apart > 1e-9 && balance < 1e-6 && imposed,
            at + ", ln f gap " + num(gap) + ", mass balance " + num(balance) +
                (imposed ? "" : ", the imposed values missed"));
    if (lnl.size() != 2) return;
    const auto [lowest, w0] = lowestTangentPlaneDistance(c, m, s.T, s.P, lnl);
    // Near a critical point the plane's distance from the feed is a difference of nearly
    // equal numbers: 1e-6 RT is the noise of those, a split phase lies far below it.
    c.check("status-0 answer stable on the tangent plane", lowest > -1e-6,
            at + ": a trial of x0 " + num(w0) + " lies " + num(lowest) + " RT below");
}

void checkBubble(Checks& c, Attempts& a, Mixture& m, double T, const std::vector<double>& z) {
    checkAnswer(c, a, m, 13, T, 1.0, 0.0, z);
}

// The other problem types on a binary feed at T: its dew point by temperature (13, 31) and
// by pressure (23, 32, at its bubble pressure), its bubble point by pressure, the flash at a
// fixed vapour fraction, and the flash at fixed T and P between its bubble and dew points.
void checkProblemTypes(Checks& c, Attempts& a, Mixture& m, double T, const std::vector<double>& z) {
    const double Pbubble = m.bubble(T, z) == 0 ? m.ifp->current.P * 1e-5 : -1;
    const double Pdew = m.solve(13, T, 1.0, 1.0, z) == 0 ? m.ifp->current.P * 1e-5 : -1;
    for (int type : {13, 31}) checkAnswer(c, a, m, type, T, 1.0, 1.0, z);
    checkAnswer(c, a, m, 13, T, 1.0, 0.5, z);
    if (Pbubble > 0)
        for (int type : {23, 32})
            for (double Fv : {0.0, 0.5, 1.0}) checkAnswer(c, a, m, type, T, Pbubble, Fv, z);
    if (Pbubble > 0 && Pdew > 0 && Pbubble > Pdew * 1.001)
        for (double w : {0.25, 0.5, 0.75}) {
            checkAnswer(c, a, m, 12, T, Pdew + w * (Pbubble - Pdew), 0.5, z);
            checkAnswer(c, a, m, 21, T, Pdew + w * (Pbubble - Pdew), 0.5, z);
        }
}

// Every block of an Igor text file (each WAVES ... BEGIN ... END), its rows.
std::vector<std::vector<std::vector<double>>> igorBlocks(const std::string& path) {
    std::vector<std::vector<std::vector<double>>> blocks;
    std::ifstream in(path);
    std::string line;
    bool body = false;
    while (std::getline(in, line)) {
        if (line == "BEGIN") {
            body = true;
            blocks.emplace_back();
            continue;
        }
        if (line == "END") body = false;
        if (!body) continue;
        std::istringstream words(line);
        std::vector<double> row;
        for (std::string w; words >> w;) row.push_back(std::strtod(w.c_str(), nullptr));
        blocks.back().push_back(row);
    }
    return blocks;
}

// The isotherm file's rows of its first block: T P x0 x1 y0 y1 Vl Vv dPdx.
std::vector<std::vector<double>> isothermRows(const std::string& path) {
    auto blocks = igorBlocks(path);
    return blocks.empty() ? std::vector<std::vector<double>>{} : std::move(blocks.front());
}

// One component alone in the class.
std::unique_ptr<FluidPhase> alone(const CubicMaker& make, const std::string& name) {
    auto f = make(2);
    f->number_of_components(1);
    f->add_component(name.c_str());
    return f;
}

// A binary isotherm's row at a pure end is that component's own saturation: its vapour
// pressure. Both phases all but one component (the vapour of a component far the lighter
// holds it long after the liquid has lost it).
void checkPureEndsAreSaturations(Checks& c, const CubicMaker& make, const std::vector<std::string>& names,
                                 double T, const std::vector<std::vector<double>>& rows, const std::string& where) {
    for (const auto& r : rows) {
        if (r.size() < 6 || !std::isfinite(r[2])) continue;
        const int pure = r[2] > 1 - 1e-12 && r[4] > 1 - 1e-9 ? 0
                         : r[2] < 1e-12 && r[4] < 1e-9   ? 1
                                                         : -1;
        if (pure < 0) continue;
        const double Psat =
            alone(make, names[static_cast<std::size_t>(pure)])->calculateTheSaturationPressure(T) * 1e-5;
        if (!std::isfinite(Psat)) continue;  // below the component's own saturation curve
        c.check("isotherm's pure end is the component's saturation",
                std::fabs(r[1] / Psat - 1) < 1e-5,
                where + ": pure " + names[static_cast<std::size_t>(pure)] + " row P " + num(r[1]) +
                    " bar, x " + num(r[2]) + ", y " + num(r[4]) + "; its Psat " + num(Psat));
    }
}

void checkIsotherm(Checks& c, const CubicMaker& make, const std::vector<std::string>& names,
                   double T, double x0, double dx) {
    Mixture m(make, names);
    const std::string where = "T " + num(T) + " K from x0 " + num(x0) + " step " + num(dx);
    std::remove("sweep-iso");
    const std::string said = test::outputOf([&] {
        m.ifp->calculate_an_isotherm_of_the_binary_system("sweep-iso", T, x0, dx, 2.0, 1000.0, "_s");
    });
    const auto rows = isothermRows("sweep-iso");
    bool finite = true;
    std::set<std::vector<double>> seen;
    bool once = true;
    for (const auto& r : rows) {
        for (double v : r) finite = finite && std::isfinite(v);
        std::vector<double> key(r.begin(), r.begin() + std::min<std::size_t>(r.size(), 6));
        for (double& v : key) v = significant9(v);
        once = seen.insert(key).second && once;
    }
    c.check("isotherm rows have no NaN", finite, where);
    checkPureEndsAreSaturations(c, make, names, T, rows, where);
    c.check("isotherm passes each point once", once, where + ", " + num(double(rows.size())) + " rows");
    // The tracer runs until its range ends: at a critical point (the phases merged), at a
    // pure end, or where it says why; never at its step cap.
    const int status = m.ifp->status;
    bool ended = !said.empty() || !m.ifp->refusal.empty();
    if (!rows.empty() && rows.back().size() >= 6) {
        const auto& e = rows.back();
        ended = ended || std::fabs(e[3] - e[5]) < 1e-3 || e[3] < 1e-9 || e[3] > 1 - 1e-9;
    }
    c.check("isotherm ends at a critical point, a pure end or says why", ended,
            where + ": status " + num(status) + ", " + num(double(rows.size())) + " rows");
    c.check("isotherm not ended at the step cap", rows.size() < 20000,
            where + ": " + num(double(rows.size())) + " rows");
    c.check("isotherm ends with status 0 or says why",
            status == 0 || !said.empty() || !m.ifp->refusal.empty(),
            where + ": status " + num(status) + ", nothing said, " + num(double(rows.size())) + " rows");
    // Between the components' critical temperatures the curve that leaves the heavier one's
    // pure end towards the lighter cannot reach the lighter's: it ends at the mixture's
    // critical point, where the phases merge, or at the pressure bound; a stop short of both
    // leaves the curve unfinished, whatever it says.
    double Tc[2] = {0, 0};
    for (int i = 0; i < 2; ++i)
        test::outputOf([&] { Tc[i] = alone(make, names[static_cast<std::size_t>(i)])->namingCriticalTemperature(); });
    const int light = Tc[0] < Tc[1] ? 0 : 1;
    const bool between = T > std::min(Tc[0], Tc[1]) && T < std::max(Tc[0], Tc[1]);
    const bool towardsLight = light == 0 ? dx > 0 : dx < 0;
    if (between && towardsLight && rows.size() > 1 && rows.back().size() >= 8) {
        const auto& e = rows.back();
        const bool critical = std::fabs(e[2] - e[4]) < 2e-3 || e[7] < 1.05 * e[6];
        c.check("isotherm between the critical temperatures runs to the critical point", critical || e[1] > 990.0,
                where + ": ends at P " + num(e[1]) + " bar, x0 " + num(e[2]) + ", y0 " + num(e[4]) +
                    ", status " + num(status) + ", " + num(double(rows.size())) + " rows" +
                    (said.empty() ? std::string() : ", said: " + said.substr(0, said.find('\n'))));
    }
}

// Every row of a tracer's file (T, P, then the liquid's and the vapour's mole fractions) an
// equilibrium: equal fugacities, to the six digits the file keeps.
void checkTracerRows(Checks& c, Mixture& m, const std::vector<std::vector<double>>& rows,
                     const std::string& where) {
    const std::size_t n = m.ifp->current.x.size();
    for (const auto& r : rows) {
        if (r.size() < 2 + 2 * n) continue;
        const std::vector<double> x(r.begin() + 2, r.begin() + 2 + static_cast<long>(n)),
            y(r.begin() + 2 + static_cast<long>(n), r.begin() + 2 + 2 * static_cast<long>(n));
        const auto lnl = lnFugacities(*m.liquid, r[0], r[1] * 1e5, x),
                   lnv = lnFugacities(*m.vapour, r[0], r[1] * 1e5, y);
        double gap = lnl.empty() || lnv.empty() ? 1.0 : 0.0;
        for (std::size_t i = 0; i < lnl.size() && i < lnv.size(); ++i)
            if (std::min(x[i], y[i]) > 1e-4) gap = std::max(gap, std::fabs(lnl[i] - lnv[i]));
        c.check("tracer rows are equilibria", gap < 2e-3,
                where + ": row T " + num(r[0]) + " K, P " + num(r[1]) + " bar, ln f gap " + num(gap));
    }
}

// The ternary's tracers: the pseudo-binary isotherm from each end and inside, and the tie
// lines of the isobaric, isothermal diagram toward each pole: no NaN, each point once, rows
// that are equilibria, never ended at the step cap.
void checkTernaryTracers(Checks& c, const CubicMaker& make, const std::vector<std::string>& names,
                         double T) {
    for (auto [x0, dx] : {std::pair{0.0, 0.02}, std::pair{1.0, -0.02}, std::pair{0.5, 0.02}}) {
        Mixture m(make, names);
        const std::string where = "pseudo-binary isotherm T " + num(T) + " K, ratio 0.5, from " +
                                  num(x0) + " step " + num(dx);
        std::remove("sweep-pseudo");
        test::outputOf([&] {
            m.ifp->calculate_an_isotherm_of_the_pseudo_binary_system("sweep-pseudo", T, x0, 0.5, dx,
                                                                      2.0, 1000.0, "_s");
        });
        // The bubble curve's block, then the dew curve's: each under the same invariants.
        const auto blocks = igorBlocks("sweep-pseudo");
        for (std::size_t b = 0; b < blocks.size(); ++b) {
            const auto& rows = blocks[b];
            const std::string curve = where + (b == 0 ? ", bubble curve" : ", dew curve");
            bool finite = true;
            std::set<std::vector<double>> seen;
            bool once = true;
            for (const auto& r : rows) {
                for (double v : r) finite = finite && std::isfinite(v);
                once = seen.insert(std::vector<double>(r.begin(), r.begin() + std::min<std::size_t>(r.size(), 8))).second && once;
            }
            c.check("isotherm rows have no NaN", finite, curve);
            c.check("isotherm passes each point once", once, curve + ", " + num(double(rows.size())) + " rows");
            c.check("isotherm not ended at the step cap", rows.size() < 20000, curve);
            checkTracerRows(c, m, rows, curve);
        }
    }
    // The tie lines from the pseudo-binary's first bubble point.
    Mixture seed(make, names);
    if (seed.bubble(T, {0.6, 0.2, 0.2}) != 0) return;
    const double P = seed.ifp->current.P * 1e-5 * 0.9;
    for (int direction = 0; direction < 3; ++direction)
        for (double step : {0.02, -0.02}) {
            Mixture m(make, names);
            for (int i = 0; i < 3; ++i) m.ifp->composition(i, i == 0 ? 0.6 : 0.2);
            const std::string where = "tie lines T " + num(T) + " K, P " + num(P) + " bar, pole " +
                                      num(direction) + " step " + num(step);
            std::remove("ter_s");
            test::outputOf([&] { m.ifp->calculate_an_isobaric_isothermal_diagram(T, P, step, "_s", direction); });
            const auto rows = isothermRows("ter_s");
            bool finite = true;
            for (const auto& r : rows)
                for (double v : r) finite = finite && std::isfinite(v);
            c.check("tie-line rows have no NaN", finite, where);
            c.check("tie lines not ended at the step cap", rows.size() < 20000, where);
            checkTracerRows(c, m, rows, where);
        }
}

void checkMixture(Checks& c, const CubicClass& k, const std::vector<std::string>& names) {
    if (k.componentFiles) linkComponentFiles();
    const CubicMaker& make = k.make;
    const Budget& b = c.budget();
    double Tmin = 1e9, Tmax = 0;
    for (const auto& n : names) {
        double Tc = -1;
        test::outputOf([&] { Tc = alone(make, n)->namingCriticalTemperature(); });
        if (!c.check("each component has its critical point", std::isfinite(Tc) && Tc > 0, n))
            return;
        Tmin = std::min(Tmin, Tc);
        Tmax = std::max(Tmax, Tc);
    }
    const std::size_t nc = names.size();
    Mixture m(make, names);
    std::vector<std::string> reversedNames(names.rbegin(), names.rend());
    Mixture r(make, reversedNames);
    Attempts a;
    const int nT = b.points(6, 2), nz = b.points(9, 3);
    for (int i = 0; i < nT; ++i) {
        // From well below the lighter component's critical temperature into the critical
        // region of the mixture.
        const double T = Tmin * (0.6 + 0.5 * (i + 0.5) / nT);
        for (int k = 0; k < nz; ++k) {
            const double w = (k + 0.5) / nz;
            std::vector<double> z(nc, (1.0 - w) / double(nc - 1));
            z[k % nc] = w;
            checkBubble(c, a, m, T, z);
            const int s1 = m.ifp->status;
            const double P1 = m.ifp->current.P;
            std::vector<double> zr(z.rbegin(), z.rend());
            checkBubble(c, a, r, T, zr);
            const int s2 = r.ifp->status;
            const double P2 = r.ifp->current.P;
            c.check("component order changes nothing",
                    (s1 == 0) == (s2 == 0) && (s1 != 0 || std::fabs(P1 / P2 - 1) < 1e-6),
                    "T " + num(T) + " K, " + feedText(z) + ": status " + num(s1) + "/" + num(s2) +
                        ", P " + num(P1 * 1e-5) + "/" + num(P2 * 1e-5) + " bar");
            if (nc == 2 && (i + k) % 2 == 0) checkProblemTypes(c, a, m, T, z);
        }
    }
    a.check(c);
    if (nc == 3) checkTernaryTracers(c, make, names, 0.8 * Tmin);
    if (nc != 2) return;
    const double T = 0.8 * Tmin;
    for (auto [x0, dx] : {std::pair{0.0, 0.02}, std::pair{1.0, -0.02}, std::pair{0.5, 0.02},
                          std::pair{0.5, -0.02}})
        checkIsotherm(c, make, names, T, x0, dx);
}

// The lowest tangent-plane distance (RT) of a trial phase of any number of components from
// the plane the fugacities lnRef span at (T, P Pa), and the trial's composition: each
// component all but pure and the two given phases start a stationary-point search (successive
// substitution) in the liquid-like and the vapour-like root.
std::pair<double, std::vector<double>> lowestTangentPlaneDistance(
    Mixture& m, double T, double P, const std::vector<double>& lnRef,
    const std::vector<std::vector<double>>& phases) {
    const std::size_t n = lnRef.size();
    std::vector<std::vector<double>> starts = phases;
    for (std::size_t i = 0; i < n; ++i) {
        std::vector<double> w(n, 1e-3 / double(n - 1));
        w[i] = 1 - 1e-3;
        starts.push_back(w);
    }
    double lowest = 0;
    std::vector<double> where;
    for (FluidPhase* trial : {m.liquid.get(), m.vapour.get()})
        for (std::vector<double> w : starts) {
            double tpd = 0;
            for (int iteration = 0; iteration < 60; ++iteration) {
                const auto lnw = lnFugacities(*trial, T, P, w);
                if (lnw.empty()) break;
                tpd = 0;
                // ln W_i = ln f_i(ref) - ln phi_i(w), normalised.
                std::vector<double> W(n);
                double sum = 0;
                for (std::size_t i = 0; i < n; ++i) {
                    tpd += w[i] * (lnw[i] - lnRef[i]);
                    const double lnPhi = lnw[i] - std::log(std::max(w[i], 1e-300));
                    W[i] = std::exp(std::min(lnRef[i] - lnPhi, 700.0));
                    sum += W[i];
                }
                if (tpd < lowest) lowest = tpd, where = w;
                if (!(sum > 0) || !std::isfinite(sum)) break;
                double moved = 0;
                for (std::size_t i = 0; i < n; ++i) {
                    moved = std::max(moved, std::fabs(W[i] / sum - w[i]));
                    w[i] = W[i] / sum;
                }
                if (moved < 1e-10) break;
            }
        }
    return {lowest, where};
}

std::string compositionText(const std::vector<double>& w) {
    std::string t = "(";
    for (std::size_t i = 0; i < w.size(); ++i) t += (i ? " " : "") + num(w[i]);
    return t + ")";
}

// An isopleth of feed z from T0 (K) down to Tmin, its bubble curve (Fv 0) or its dew curve
// (Fv 1): every row written a stable equilibrium of that feed (equal fugacities, the feed
// the phase of its side, no trial phase below the tangent plane), no NaN, each point once,
// and an end at the bound, at the critical point or with a reason; never at the step cap.
void checkIsopleth(Checks& c, const CubicMaker& make, const std::vector<std::string>& names,
                   const std::vector<double>& z, double T0, double Fv, double Tmin) {
    Mixture m(make, names);
    const std::size_t n = names.size();
    for (std::size_t i = 0; i < n; ++i) m.ifp->composition(static_cast<int>(i), z[i]);
    CurveArray array;
    const double dT = -2.0;
    const std::string said = test::outputOf([&] {
        m.ifp->calculate_an_isopleth(T0, Fv, nullptr, "", Tmin, T0 + 1.0, dT, 5e5, 0, kCurveArray, &array);
    });
    const std::string curve = std::string(Fv == 0 ? "bubble" : "dew") + " isopleth " + feedText(z) +
                              " from " + num(T0) + " K down";
    const std::size_t width = 2 * n + 7;
    std::vector<std::vector<double>> rows;
    for (std::size_t k = 0; k + width <= array.size(); k += width)
        rows.emplace_back(array.begin() + static_cast<long>(k), array.begin() + static_cast<long>(k + width));
    bool finite = true, once = true;
    std::set<std::vector<double>> seen;
    for (const auto& r : rows) {
        for (double v : r) finite = finite && std::isfinite(v);
        std::vector<double> key(r.begin(), r.begin() + static_cast<long>(2 + 2 * n));
        for (double& v : key) v = significant9(v);
        once = seen.insert(key).second && once;
    }
    c.check("isopleth rows have no NaN", finite, curve);
    c.check("isopleth passes each point once", once, curve + ", " + num(double(rows.size())) + " rows");
    c.check("isopleth not ended at the step cap", rows.size() < 20000, curve);
    const int stride = std::max<int>(1, static_cast<int>(rows.size()) / std::max(1, c.budget().points(int(rows.size()), 8)));
    for (std::size_t k = static_cast<std::size_t>(c.budget().offset(curve, stride)); k < rows.size();
         k += static_cast<std::size_t>(stride)) {
        const auto& r = rows[k];
        const double T = r[0], P = r[1] * 1e5;
        const std::vector<double> x(r.begin() + 2, r.begin() + 2 + static_cast<long>(n)),
            y(r.begin() + 2 + static_cast<long>(n), r.begin() + 2 + 2 * static_cast<long>(n));
        const std::vector<double>& side = Fv == 0 ? x : y;
        const std::string at = curve + ": row T " + num(T) + " K, P " + num(r[1]) + " bar, x " +
                               compositionText(x) + ", y " + compositionText(y);
        double off = 0;
        for (std::size_t i = 0; i < n; ++i) off = std::max(off, std::fabs(side[i] - z[i]));
        const auto lnl = lnFugacities(*m.liquid, T, P, x), lnv = lnFugacities(*m.vapour, T, P, y);
        double gap = lnl.empty() || lnv.empty() ? 1.0 : 0.0;
        for (std::size_t i = 0; i < lnl.size() && i < lnv.size(); ++i)
            if (std::min(x[i], y[i]) > 1e-8) gap = std::max(gap, std::fabs(lnl[i] - lnv[i]));
        if (!c.check("isopleth rows are equilibria of the feed", gap < 1e-5 && off < 1e-6,
                     at + ": ln f gap " + num(gap) + ", feed off by " + num(off)))
            continue;
        const auto [lowest, w] = lowestTangentPlaneDistance(m, T, P, lnl, {x, y});
        c.check("isopleth rows stable on the tangent plane", lowest > -1e-6,
                at + ": a trial " + compositionText(w) + " lies " + num(lowest) + " RT below");
    }
    bool ended = !said.empty() || !m.ifp->refusal.empty();
    if (!rows.empty()) {
        const auto& e = rows.back();
        double apart = 0;
        for (std::size_t i = 0; i < n; ++i) apart = std::max(apart, std::fabs(e[2 + i] - e[2 + n + i]));
        ended = ended || e[0] - Tmin < 2.01 || apart < 0.02 || e[2 * n + 3] < 1.05 * e[2 * n + 2];
    }
    c.check("isopleth ends at its bound, a critical point or says why", ended,
            curve + ": status " + num(m.ifp->status) + ", " + num(double(rows.size())) + " rows" +
                (rows.empty() ? std::string() : ", the last at T " + num(rows.back()[0]) + " K"));
}

// The isopleths of a class's ternary CO2-CH4-C3H8 and of its five-component feeds rich in
// CO2 and in N2, bubble and dew curves, traced down in temperature.
void checkIsopleths(Checks& c, const CubicClass& k, const std::vector<std::string>& names,
                    const std::vector<double>& z, double T0) {
    if (k.componentFiles) linkComponentFiles();
    for (double Fv : {0.0, 1.0}) checkIsopleth(c, k.make, names, z, T0, Fv, 100.0);
}

// Saturation points of a binary at T over feeds from 1e-6 to 0.9999 of its first component:
// the bubble and dew points, and flashes just inside the two-phase region (1e-3 to 1e-5 of
// the pressure from each edge), each status-0 answer closed and stable.
void checkClosure(Checks& c, const CubicClass& k, const std::vector<std::string>& names, double T) {
    if (k.componentFiles) linkComponentFiles();
    Mixture m(k.make, names);
    Attempts a;
    const int nz = c.budget().points(16, 4);
    for (int i = 0; i < nz; ++i) {
        const double z0 = 1e-6 * std::pow(0.9999 / 1e-6, double(i) / (nz - 1));
        const std::vector<double> z = {z0, 1 - z0};
        checkAnswer(c, a, m, 13, T, 1.0, 0.0, z);
        const double Pbubble = m.ifp->status == 0 ? m.ifp->current.P * 1e-5 : -1;
        checkAnswer(c, a, m, 13, T, 1.0, 1.0, z);
        const double Pdew = m.ifp->status == 0 ? m.ifp->current.P * 1e-5 : -1;
        if (!(Pbubble > 0 && Pdew > 0 && Pbubble > Pdew)) continue;
        for (double inside : {1e-3, 1e-4, 1e-5}) {
            const double span = Pbubble - Pdew;
            checkAnswer(c, a, m, 12, T, Pbubble - inside * span, 0.5, z);
            checkAnswer(c, a, m, 12, T, Pdew + inside * span, 0.5, z);
        }
    }
    a.check(c);
}

// Flashes of a feed at T across its two-phase band, from well inside to a millionth of the
// pressure past its bubble and dew points: each solved one closed and stable on the tangent
// plane, both phases present, and its vapour fraction beside a saturation point near that
// point's (0 at the bubble point, 1 at the dew point), also where the phases' molar volumes
// cross and the gas is the denser by volume; and a vapour fraction's pressure flashes back to
// that fraction.
// The dew point of a water-rich vapour over a heavy hydrocarbon asked in either order of the
// pair: the same answer, or a refusal in both; each solved one closes its residuals.
void checkDewInEitherOrder(Checks& c, const CubicClass& k, const std::string& heavy, double T,
                           double zWater) {
    Attempts attempts;
    int status[2] = {-1, -1};
    double P[2] = {0, 0}, xWater[2] = {0, 0};
    for (int order = 0; order < 2; ++order) {
        const std::vector<std::string> names =
            order == 0 ? std::vector<std::string>{"H2O", heavy} : std::vector<std::string>{heavy, "H2O"};
        const std::vector<double> z = order == 0 ? std::vector<double>{zWater, 1 - zWater}
                                                 : std::vector<double>{1 - zWater, zWater};
        Mixture m(k.make, names);
        checkAnswer(c, attempts, m, 13, T, 1.0, 1.0, z);
        status[order] = m.ifp->status;
        P[order] = m.ifp->current.P;
        if (m.ifp->current.x.size() == 2) xWater[order] = m.ifp->current.x[order == 0 ? 0 : 1];
    }
    const std::string where = "T " + num(T) + " K, water " + num(zWater) + ": status " + num(status[0]) +
                              " water first, " + num(status[1]) + " " + heavy + " first";
    if (!c.check("dew point solves in either order or in neither", (status[0] == 0) == (status[1] == 0), where))
        return;
    if (status[0] == 0)
        c.check("dew point the same in either order",
                std::fabs(P[0] / P[1] - 1) < 1e-6 && std::fabs(xWater[0] - xWater[1]) < 1e-6,
                where + ", P " + num(P[0] * 1e-5) + " and " + num(P[1] * 1e-5) + " bar, x(H2O) " +
                    num(xWater[0]) + " and " + num(xWater[1]));
}

void checkSplits(Checks& c, const CubicClass& k, const std::vector<std::string>& names,
                 const std::vector<double>& z, double T) {
    Mixture m(k.make, names);
    Attempts a;
    const double Pbubble = m.bubble(T, z) == 0 ? m.ifp->current.P * 1e-5 : -1;
    const double Pdew = m.solve(13, T, 1.0, 1.0, z) == 0 ? m.ifp->current.P * 1e-5 : -1;
    auto split = [&](double P, double nearFv) {
        checkAnswer(c, a, m, 12, T, P, 0.5, z);
        const auto& s = m.ifp->current;
        const double Fv = s.nV / (s.nL + s.nV);
        const std::string at = "T " + num(T) + " K, P " + num(P) + " bar, " + feedText(z) +
                               ": status " + num(m.ifp->status) + ", Fv " + num(Fv);
        if (m.ifp->status != 0) return;
        c.check("flash holds both phases", Fv > 0 && Fv < 1, at);
        if (nearFv >= 0)
            c.check("flash beside a saturation point has its vapour fraction",
                    std::fabs(Fv - nearFv) < 0.5, at + ", the saturation point's " + num(nearFv));
        const auto lnl = lnFugacities(*m.liquid, s.T, s.P, s.x);
        if (lnl.empty() || names.size() < 3) return;
        const auto [lowest, w] = lowestTangentPlaneDistance(m, s.T, s.P, lnl, {s.x, s.y});
        c.check("status-0 answer stable on the tangent plane", lowest > -1e-6,
                at + ": a trial " + compositionText(w) + " lies " + num(lowest) + " RT below");
    };
    if (Pbubble > 0)
        for (double share : {0.7, 0.9, 0.99, 0.999, 1.000001})
            split(Pbubble * share, share > 0.98 ? 0.0 : -1.0);
    if (Pdew > 0 && (Pbubble < 0 || Pdew < Pbubble))
        for (double share : {1.3, 1.01, 1.001, 0.999999}) split(Pdew * share, share < 1.02 ? 1.0 : -1.0);
    // A vapour fraction asked at T, and the flash at the pressure it gives: the same split.
    for (double Fv : {0.02, 0.5, 0.98}) {
        if (m.solve(13, T, 1.0, Fv, z) != 0) continue;
        const double P = m.ifp->current.P * 1e-5;
        checkAnswer(c, a, m, 12, T, P, 0.5, z);
        const auto& s = m.ifp->current;
        const double back = s.nV / (s.nL + s.nV);
        c.check("a vapour fraction's pressure flashes back to it",
                m.ifp->status == 0 && std::fabs(back - Fv) < 1e-5,
                "T " + num(T) + " K, " + feedText(z) + ": Fv " + num(Fv) + " at P " + num(P) +
                    " bar flashes to status " + num(m.ifp->status) + ", Fv " + num(back));
    }
    a.check(c);
}

void checkIsotherms(Checks& c, const CubicClass& k, const std::vector<std::string>& names, double T) {
    if (k.componentFiles) linkComponentFiles();
    for (auto [x0, dx] : {std::pair{0.0, 0.02}, std::pair{1.0, -0.02}, std::pair{0.5, 0.02},
                          std::pair{0.5, -0.02}, std::pair{0.0, -0.02}, std::pair{1.0, 0.02}})
        checkIsotherm(c, k.make, names, T, x0, dx);
}

// The binaries users trace most, by class and range (K).
struct BinaryRange {
    const char* first;
    const char* second;
    double Tlow, Thigh;
    // Between the components' critical temperatures: a finer grid of them.
    bool between = false;
};
// The first three below both components' critical temperatures; the others between them,
// where the curve leaves the heavier component's pure end and ends at a critical point.
const BinaryRange kIsothermRanges[] = {
    {"CO2", "C2H6", 230, 300},    {"CH4", "C2H6", 150, 190},    {"N2", "CH4", 100, 125},
    {"N2", "nC10H22", 130, 600, true},  {"CH4", "nC10H22", 195, 600, true},
    {"N2", "C3H8", 130, 360, true},     {"N2", "nC5H12", 130, 460, true},
    {"CH4", "nC5H12", 195, 460, true},  {"CO2", "nC10H22", 310, 600, true}};
const BinaryRange kClosureRanges[] = {
    {"CO2", "C2H6", 220, 300}, {"CH4", "C2H6", 150, 300}, {"N2", "CH4", 100, 190},
    {"CH4", "CO2", 190, 300},  {"CH4", "nC5H12", 150, 360}, {"nC5H12", "nC10H22", 300, 360}};

// ------------------------------------------------------------------ gas mixture models

// The gas mixture models, each with the gases of its own table.
struct GasMixtureModel {
    const char* name;
    CubicMaker make;
    std::vector<std::string> gases;
    bool componentFiles;
};
const std::vector<GasMixtureModel>& gasMixtureModels() {
    static const std::vector<GasMixtureModel> list = [] {
        const auto duan = namesOfTable("src/dkl/DuanModels.cpp", "kDuanGases[] = {", false);
        const auto kreglewski = namesOfTable("src/dkl/KreglewskiEOS.cpp", "kComponents[] = {", false);
        return std::vector<GasMixtureModel>{
            {"DMW2", cubicMaker<DMW2>(), duan, false},
            {"DMWEOS", cubicMaker<DMWEOS>(), duan, false},
            {"Kreglewski", cubicMaker<Kreglewski_EOS>(), kreglewski, false},
            {"LeeKessler", cubicMaker<LK_EOS>(), componentFiles(), true},
        };
    }();
    return list;
}

std::unique_ptr<FluidPhase> setUp(const CubicMaker& make, const std::vector<std::string>& names,
                                  std::string& said) {
    auto f = make(1);
    said += test::outputOf([&] {
        f->number_of_components(static_cast<int>(names.size()));
        for (const auto& n : names) f->add_component(n.c_str());
    });
    return f;
}

// A binary of a cubic class set up in the order given.
std::unique_ptr<FluidPhase> pairOf(const CubicMaker& make, const std::vector<std::string>& names) {
    auto f = make(2);
    test::outputOf([&] {
        f->number_of_components(static_cast<int>(names.size()));
        for (const auto& n : names) f->add_component(n.c_str());
    });
    return f;
}

// The stable state of a binary over a grid of (T, P, z): a one-phase state, or a split that
// the feed's test found; a one-phase state lies nowhere above the tangent plane of a trial
// phase. Each component alone in its place of the pair has the vapour pressure of the class's
// one-component model from 0.6 to 0.95 of its critical temperature.
void checkPairStates(Checks& c, const CubicClass& k, const std::vector<std::string>& names) {
    if (k.componentFiles) linkComponentFiles();
    Mixture m(k.make, names);
    auto f = pairOf(k.make, names);
    const std::vector<double> Ts = {200, 240, 280, 320, 400}, Ps = {1, 20, 50, 100, 500},
                              z0s = {0, 0.1, 0.5, 0.9, 1};
    const int n = static_cast<int>(Ts.size() * Ps.size() * z0s.size());
    const int stride = std::max(1, n / c.budget().points(n, 25));
    for (int i = c.budget().offset(c.configuration(), stride); i < n; i += stride) {
        const double T = Ts[static_cast<std::size_t>(i) % Ts.size()],
                     P = Ps[static_cast<std::size_t>(i) / Ts.size() % Ps.size()],
                     z0 = z0s[static_cast<std::size_t>(i) / (Ts.size() * Ps.size())];
        const std::vector<double> z = {z0, 1 - z0};
        const std::string where = "T " + num(T) + " K, P " + num(P) + " bar, " + feedText(z);
        f->composition(z0, 1 - z0);
        f->error = 0;
        FluidPhase::StablePhase phase = FluidPhase::StablePhase::None;
        test::outputOf([&] { phase = f->calculateStableStateFromTP(T, P); });
        const bool split = phase == FluidPhase::StablePhase::None && f->feedSplit.tested && f->feedSplit.splits;
        if (!c.check("a binary's stable state is found", split || (phase != FluidPhase::StablePhase::None &&
                                                                    f->error == 0 && f->V > 0),
                     where + ": " + FluidPhase::nameOf(phase) + ", flag " + num(f->error)))
            continue;
        if (split) continue;
        // The state's own root: of the liquid-like and the vapour-like roots, that of its volume.
        const double V = f->V;
        std::vector<double> lnRef;
        double nearest = 1e300;
        for (FluidPhase* root : {m.liquid.get(), m.vapour.get()}) {
            const auto lnf = lnFugacities(*root, T, P * 1e5, z);
            if (lnf.empty() || std::fabs(root->V - V) >= nearest) continue;
            nearest = std::fabs(root->V - V);
            lnRef = lnf;
        }
        if (!c.check("a binary's stable state is a root of its model", !lnRef.empty() && nearest <= 1e-6 * V,
                     where + ": V " + num(V * 1e6) + " cm3/mol"))
            continue;
        if (z0 == 0 || z0 == 1) continue;
        const auto [lowest, w] = lowestTangentPlaneDistance(m, T, P * 1e5, lnRef, {z});
        c.check("a binary's stable state is stable on the tangent plane", lowest > -1e-6,
                where + ": " + FluidPhase::nameOf(phase) + ", a trial " + compositionText(w) + " lies " +
                    num(lowest) + " RT below");
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        // The critical temperature of the component's file.
        double Tc = 0;
        std::ifstream file(componentFolder() + "/" + names[i]);
        for (std::string line; Tc == 0 && std::getline(file, line);)
            if (line.rfind("Tc ", 0) == 0) Tc = std::strtod(line.c_str() + 3, nullptr);
        if (!c.check("a component file gives its critical temperature", Tc > 0, names[i])) continue;
        // A class that holds the component only beside another (Daridon's gases beside
        // water) has no one-component model of it.
        if (k.onlyBesideWater && names[i] != "H2O") continue;
        // The reference: the class's one-component model, or where the class takes pairs
        // only (SRK2), the component alone in the other place of the reversed pair.
        std::unique_ptr<FluidPhase> one;
        test::outputOf([&] { one = alone(k.make, names[i]); });
        double probe = 0;
        test::outputOf([&] { probe = one->calculateTheSaturationPressure(0.8 * Tc); });
        const bool single = std::isfinite(probe);
        std::string reference = "alone";
        if (!single) {
            one = pairOf(k.make, {names[1], names[0]});
            one->composition(i == 0 ? 0.0 : 1.0, i == 0 ? 1.0 : 0.0);
            reference = "in the reversed pair";
        }
        auto both = pairOf(k.make, names);
        both->composition(i == 0 ? 1.0 : 0.0, i == 0 ? 0.0 : 1.0);
        const int points = c.budget().points(8, 3);
        for (int j = 0; j < points; ++j) {
            const double T = Tc * (0.6 + 0.35 * j / (points - 1));
            double Pone = 0, Pboth = 0;
            test::outputOf([&] {
                one->error = 0;
                Pone = one->calculateTheSaturationPressure(T);
                both->error = 0;
                Pboth = both->calculateTheSaturationPressure(T);
            });
            c.check("a component alone in a pair has its own vapour pressure",
                    std::isfinite(Pone) && std::isfinite(Pboth) && std::fabs(Pboth / Pone - 1) < 1e-6,
                    names[i] + " alone in place " + num(double(i)) + ", T " + num(T) + " K: " +
                        num(Pboth * 1e-5) + " bar, " + reference + " " + num(Pone * 1e-5) + " bar");
        }
    }
}

// A score of a binary isotherm's rows (T P x0 x1 y0 y1 Vl Vv ...), spread along it: each an
// equilibrium, its two phases of equal fugacities, stable on the tangent plane.
void checkBinaryIsothermRows(Checks& c, Mixture& m, double T, const std::vector<std::vector<double>>& rows,
                             const std::string& where) {
    // A curve holds a thousand rows and more: a score of them, spread along it.
    const int stride = std::max<int>(1, static_cast<int>(rows.size()) / c.budget().points(20, 6));
    for (std::size_t r = static_cast<std::size_t>(c.budget().offset(where, stride)); r < rows.size();
         r += static_cast<std::size_t>(stride)) {
        const auto& row = rows[r];
        if (row.size() < 8) continue;
        const double P = row[1] * 1e5;
        const std::vector<double> x = {row[2], row[3]}, y = {row[4], row[5]};
        const std::string at = where + ": row P " + num(row[1]) + " bar, x " + compositionText(x) + ", y " +
                               compositionText(y);
        const auto lnl = lnFugacities(*m.liquid, T, P, x), lnv = lnFugacities(*m.vapour, T, P, y);
        double gap = lnl.empty() || lnv.empty() ? 1.0 : 0.0;
        for (std::size_t i = 0; i < lnl.size() && i < lnv.size(); ++i)
            if (std::min(x[i], y[i]) > 1e-4) gap = std::max(gap, std::fabs(lnl[i] - lnv[i]));
        if (!c.check("a binary isotherm's rows have equal fugacities", gap < 2e-3, at + ", ln f gap " + num(gap)))
            continue;
        // The row's own other phase lies below the plane by as much as the rounding of its
        // figures leaves their fugacities apart; a third phase lies far below.
        const auto [lowest, w] = lowestTangentPlaneDistance(m, T, P, lnl, {x, y});
        c.check("a binary isotherm's rows are stable on the tangent plane", lowest > -std::max(1e-4, 2 * gap),
                at + ": a trial " + compositionText(w) + " lies " + num(lowest) + " RT below, ln f gap " + num(gap));
    }
}

// Whether a binary isotherm's row lies where its tracer stops at the critical point (the
// phases within 2 % in volume, their compositions still closing, a few hundredths apart) or
// at its pressure bound.
bool atCriticalPointOrBound(const std::vector<double>& e, double Pmax) {
    return e.size() >= 8 && ((std::fabs(e[2] - e[4]) < 5e-2 && std::fabs(e[6] - e[7]) < 2e-2 * e[6]) ||
                             e[1] > 0.99 * Pmax);
}

// Whether a binary isotherm's row lies at the pure end of component `i` as its tracer
// resolves it: its liquid within 1e-6 of it (its vapour, of a component far the more volatile,
// may still hold a share of the other), or both phases within 1e-4, below which its last steps
// cannot tell points apart.
bool atPureEnd(const std::vector<double>& e, int i) {
    if (e.size() < 8) return false;
    const double other = i == 0 ? e[3] : e[2], otherVapour = i == 0 ? e[5] : e[4];
    return other < 1e-6 || (other < 1e-4 && otherVapour < 1e-4);
}

std::string lastRowText(const std::vector<std::vector<double>>& rows) {
    return rows.empty() ? std::string("no row")
                        : "the last of " + num(double(rows.size())) + " rows at P " + num(rows.back()[1]) +
                              " bar, x0 " + num(rows.back()[2]) + ", y0 " + num(rows.back()[4]);
}

// A binary isotherm a fluid of the class traces into `file` (its feed half and half): its
// rows, whether it said it was complete, and what it said on standard error.
struct TracedIsotherm {
    std::vector<std::vector<double>> rows;
    bool complete = false;
    std::string said;
};
TracedIsotherm traceFluidIsotherm(const CubicClass& k, const std::vector<std::string>& names,
                                  const std::string& file, const std::function<bool(FluidPhase&)>& trace) {
    if (k.componentFiles) linkComponentFiles();
    auto f = pairOf(k.make, names);
    f->composition(0.5, 0.5);
    std::remove(file.c_str());
    TracedIsotherm t;
    test::stdoutOf([&] { t.said = test::stderrOf([&] { t.complete = trace(*f); }); });
    t.rows = isothermRows(file);
    std::remove(file.c_str());
    return t;
}

// The binary isotherm a fluid traces from component 0's own saturation: every row an
// equilibrium stable on the tangent plane; the curve ends at a pure end, at the critical
// point or at its pressure bound, or fails saying why it stopped.
void checkFluidBinaryIsotherm(Checks& c, const CubicClass& k, const std::vector<std::string>& names, double T) {
    Mixture m(k.make, names);
    const auto [rows, complete, said] =
        traceFluidIsotherm(k, names, "bino_sw", [T](FluidPhase& f) { return f.calculateTheBinaryIsotherm(T, "_sw"); });
    const std::string where = "T " + num(T) + " K";
    checkBinaryIsothermRows(c, m, T, rows, where);
    checkPureEndsAreSaturations(c, k.make, names, T, rows, where);
    // Its first row is component 0's saturation: its end is component 1's.
    const bool atEnd = !rows.empty() && ((atPureEnd(rows.back(), 1) && rows.size() > 1) ||
                                         atCriticalPointOrBound(rows.back(), 10000.0));
    c.check("a binary isotherm said complete ends at a pure end, the critical point or its bound",
            !complete || atEnd, where + ": " + lastRowText(rows));
    c.check("a binary isotherm short of its end fails saying why", complete || !said.empty(),
            where + ": " + lastRowText(rows) + ", failed saying nothing");
}

// The binary isotherm a fluid traces both ways from a pressure, from the two phases its
// Gibbs energy gives there: every row an equilibrium stable on the tangent plane, the
// pressure asked among them; a complete curve ends at a pure end or its critical point (or
// its bound) on both sides, an incomplete one says why; and where it finds no two phases,
// says so, every feed at (T, P) is stable on the tangent plane.
void checkFluidBinaryIsothermFromP(Checks& c, const CubicClass& k, const std::vector<std::string>& names,
                                   double T, double Pbar) {
    Mixture m(k.make, names);
    const auto [rows, complete, said] = traceFluidIsotherm(k, names, "binop_swp", [T, Pbar](FluidPhase& f) {
        return f.calculateTheBinaryIsothermFromP(T, Pbar, "_swp");
    });
    const std::string where = "T " + num(T) + " K from P " + num(Pbar) + " bar";
    c.check("a binary isotherm from a pressure short of its ends fails saying why", complete || !said.empty(),
            where + ": " + lastRowText(rows) + ", failed saying nothing");
    if (rows.empty()) {
        c.check("a binary isotherm from a pressure without rows is no success", !complete, where);
        // No two phases there: every feed is one phase, its stable root below no trial.
        for (double z0 : {0.05, 0.3, 0.5, 0.7, 0.95}) {
            const std::vector<double> z = {z0, 1 - z0};
            std::vector<double> lnRef;
            double g = 1e300;
            for (FluidPhase* root : {m.liquid.get(), m.vapour.get()}) {
                const auto lnf = lnFugacities(*root, T, Pbar * 1e5, z);
                if (lnf.empty()) continue;
                const double gz = z[0] * lnf[0] + z[1] * lnf[1];
                if (gz < g) g = gz, lnRef = lnf;
            }
            if (lnRef.empty()) continue;
            const auto [lowest, w] = lowestTangentPlaneDistance(m, T, Pbar * 1e5, lnRef, {z});
            c.check("a pressure where a binary isotherm finds no two phases is one phase", lowest > -1e-6,
                    where + ", " + feedText(z) + ": a trial " + compositionText(w) + " lies " + num(lowest) +
                        " RT below; said: " + said.substr(0, 200));
        }
        return;
    }
    checkBinaryIsothermRows(c, m, T, rows, where);
    checkPureEndsAreSaturations(c, k.make, names, T, rows, where);
    bool through = false;
    for (const auto& r : rows) through = through || (r.size() > 1 && std::fabs(r[1] / Pbar - 1) < 1e-5);
    c.check("a binary isotherm from a pressure passes through it", through,
            where + ": rows from " + num(rows.front()[1]) + " to " + num(rows.back()[1]) + " bar");
    const std::vector<const std::vector<double>*> ends = {&rows.front(), &rows.back()};
    c.check("a binary isotherm from a pressure said complete ends at a pure end, the critical point or "
            "its bound on both sides",
            !complete || std::all_of(ends.begin(), ends.end(), [](const std::vector<double>* e) {
                return atPureEnd(*e, 0) || atPureEnd(*e, 1) || atCriticalPointOrBound(*e, 10000.0);
            }),
            where + ": first row at P " + num(rows.front()[1]) + " bar, x0 " + num(rows.front()[2]) + ", y0 " +
                num(rows.front()[4]) + "; " + lastRowText(rows));
}

// A binary's Gibbs transect at (T, P): its Gex column is the Gibbs energy of mixing,
// R T sum x_i ln a_i with the activities it prints, whether the class's G holds the ideal
// mixing or is a departure from the ideal mixture; zero at the pure ends.
void checkGibbsTransect(Checks& c, const CubicClass& k, const std::vector<std::string>& names, double T,
                        double Pbar) {
    if (k.componentFiles) linkComponentFiles();
    auto f = pairOf(k.make, names);
    std::remove("gibbs_swt");
    test::outputOf([&] { f->calculateGibbsTransect2(T, Pbar, "_swt"); });
    const auto rows = isothermRows("gibbs_swt");
    std::remove("gibbs_swt");
    const std::string where = "T " + num(T) + " K, P " + num(Pbar) + " bar";
    if (!c.check("a binary's Gibbs transect has its 1001 rows", rows.size() == 1001,
                 where + ": " + num(double(rows.size())) + " rows, error " + num(f->error)))
        return;
    const double RT = f->gasConstant * T;
    const int stride = std::max(1, 1000 / c.budget().points(40, 10));
    for (std::size_t r = 0; r <= 1000; r += static_cast<std::size_t>(stride)) {
        const auto& row = rows[r];
        if (row.size() < 15 || row[14] != 0 || !std::isfinite(row[9]) || !std::isfinite(row[10])) continue;
        double mixing = 0;
        for (int i = 0; i < 2; ++i)
            if (row[static_cast<std::size_t>(i)] > 0) mixing += row[static_cast<std::size_t>(i)] * std::log(row[9 + static_cast<std::size_t>(i)]);
        mixing *= RT;
        c.check("a Gibbs transect's Gex is R T sum x ln a", std::fabs(row[6] - mixing) <= 1e-4 * RT,
                where + ", x1 " + num(row[1]) + ": Gex " + num(row[6]) + " J/mol, R T sum x ln a " + num(mixing));
    }
}

// The rows (P, V, T, x0, x1, ..., stabi) of a critical-curve file.
std::vector<std::vector<double>> criticalRows(const std::string& path) {
    return isothermRows(path);
}

// No NaN in a critical-curve file but the stability value of a pure end (undefined there) and
// the rows all nan that part two branches of one curve (never first or last).
void checkCriticalRows(Checks& c, const std::vector<std::vector<double>>& rows,
                       const std::string& where) {
    bool finite = true;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& r = rows[i];
        const bool separator = i > 0 && i + 1 < rows.size() &&
                               std::none_of(r.begin(), r.end(), [](double v) { return std::isfinite(v); });
        if (separator) continue;
        const bool pure = r.size() > 4 && (r[4] == 0 || r[4] == 1);
        for (std::size_t k = 0; k < r.size(); ++k)
            finite = finite && ((k == 12 && pure) || std::isfinite(r[k]));
    }
    c.check("critical-curve rows have no NaN", finite, where);
}

// A Duan binary's critical curve by the shared tracer, from both pure ends in both orders:
// the fitted pairs' parameters step at their band boundaries (273.15, 305.15, 311.15, 513.15 K),
// where a branch cannot go on; every branch that ends short of a pure end says where.
void checkDuanBinaryCriticalCurve(Checks& c, const CubicMaker& make, const std::string& a,
                                  const std::string& b) {
    // Start estimates near each gas's critical point (K, m3/mol).
    auto startOf = [](const std::string& g, double& T, double& V) {
        T = g == "H2O" ? 647.1 : g == "CO2" ? 304.1 : g == "CH4" ? 190.6 : 126.2;
        V = g == "H2O" ? 56e-6 : g == "CO2" ? 94e-6 : g == "CH4" ? 99e-6 : 90e-6;
    };
    for (int order = 0; order < 2; ++order) {
        const std::vector<std::string> names = order == 0 ? std::vector<std::string>{a, b}
                                                           : std::vector<std::string>{b, a};
        std::string said;
        auto f = setUp(make, names, said);
        if (f->error != 0) continue;
        double Ts[2], Vs[2];
        startOf(names[0], Ts[0], Vs[0]);
        startOf(names[1], Ts[1], Vs[1]);
        std::remove("crit_duan");
        said = test::outputOf([&] {
            f->calculate_the_critical_curve_of_the_binary("crit_duan", Ts, Vs, 2000.0, 1e9, nullptr);
        });
        std::remove("crit_duan");
        std::size_t ends = 0;
        for (const char* end : {"Critical curve ended", "no critical state at"})
            for (std::size_t at = said.find(end); at != std::string::npos; at = said.find(end, at + 1))
                ++ends;
        c.check("a critical-curve branch that ends short says where", f->error == 0 || ends > 0,
                names[0] + "-" + names[1] + ": error " + num(f->error) + ", said: " + said);
    }
}

// A binary's critical curve traced by the model's own command, in both component orders:
// each ends at its closing pure component, or says why it ended; no runaway past the
// bounds of every model's range is a success; no NaN (but the stability of a pure end);
// and the two orders trace one curve where both reach the same compositions.
void checkCriticalCurves(Checks& c, const CubicMaker& make, bool componentFiles,
                         const std::string& a, const std::string& b) {
    if (componentFiles) linkComponentFiles();
    std::vector<std::vector<double>> curves[2];
    bool traced[2] = {false, false};
    for (int order = 0; order < 2; ++order) {
        const std::vector<std::string> names = order == 0 ? std::vector<std::string>{a, b}
                                                           : std::vector<std::string>{b, a};
        std::string said;
        auto f = setUp(make, names, said);
        const std::string where = names[0] + "-" + names[1];
        std::remove("crit_sweep");
        f->error = 0;
        said += test::outputOf([&] { f->calculateTheCriticalCurve("_sweep"); });
        const auto rows = criticalRows("crit_sweep");
        std::remove("crit_sweep");
        checkCriticalRows(c, rows, where);
        double Tmax = 0, Pmax = 0;
        for (const auto& r : rows)
            if (r.size() > 2 && std::isfinite(r[2]))
                Tmax = std::max(Tmax, r[2]), Pmax = std::max(Pmax, r[0]);
        const bool pureEnd = !rows.empty() && rows.back().size() > 4 && rows.size() > 1 &&
                             (rows.back()[4] == 0 || rows.back()[4] == 1);
        c.check("a critical curve ends at a pure end or says why",
                (f->error != 0 || pureEnd || !said.empty()) && (f->error == 0 || !said.empty()),
                where + ": error " + num(f->error) + ", " + num(double(rows.size())) + " rows");
        // A trace that leaves every model's range ends there, with its reason.
        c.check("a critical curve is no runaway",
                rows.size() <= 20001 &&
                    (f->error != 0 || (rows.size() < 20000 && Tmax <= 10000 && Pmax <= 1e5)),
                where + ": " + num(double(rows.size())) + " rows to " + num(Tmax) + " K, " +
                    num(Pmax) + " bar, error " + num(f->error));
        traced[order] = rows.size() >= 2;
        // In the first order's mole fraction of its first gas.
        for (auto r : rows) {
            if (r.size() < 5) continue;
            if (order == 1) std::swap(r[3], r[4]);
            curves[order].push_back(r);
        }
    }
    if (!traced[0] || !traced[1]) return;
    // The same stretch of compositions and the same hottest point, whichever end it was
    // traced from.
    double xlow[2] = {2, 2}, xhigh[2] = {-1, -1}, hottest[2] = {0, 0};
    for (int order = 0; order < 2; ++order)
        for (const auto& r : curves[order])
            if (std::isfinite(r[2]) && std::isfinite(r[3])) {
                xlow[order] = std::min(xlow[order], r[3]);
                xhigh[order] = std::max(xhigh[order], r[3]);
                hottest[order] = std::max(hottest[order], r[2]);
            }
    c.check("both component orders trace one critical curve",
            std::fabs(xlow[0] - xlow[1]) < 1e-2 && std::fabs(xhigh[0] - xhigh[1]) < 1e-2 &&
                std::fabs(hottest[0] - hottest[1]) <= 1e-3 * hottest[0],
            a + "-" + b + ": x(" + a + ") " + num(xlow[0]) + " to " + num(xhigh[0]) + ", up to " +
                num(hottest[0]) + " K; the other order " + num(xlow[1]) + " to " + num(xhigh[1]) +
                ", up to " + num(hottest[1]) + " K");
    for (const auto& r : curves[0]) {
        const double x = r[3];
        if (!(x > 1e-6 && x < 1 - 1e-6)) continue;
        bool bracketed = false, matched = false;
        double nearestT = std::nan(""), nearestP = std::nan("");
        const auto& other = curves[1];
        for (std::size_t k = 1; k < other.size(); ++k) {
            const auto &p = other[k - 1], &q = other[k];
            if ((p[3] - x) * (q[3] - x) > 0 || p[3] == q[3]) continue;
            bracketed = true;
            const double w = (x - p[3]) / (q[3] - p[3]);
            const double T = p[2] + w * (q[2] - p[2]), P = p[0] + w * (q[0] - p[0]);
            if (std::fabs(T - r[2]) <= 5e-3 * r[2] && std::fabs(P - r[0]) <= 2e-2 * r[0] + 0.5)
                matched = true;
            nearestT = T, nearestP = P;
        }
        if (!bracketed) continue;
        c.check("both component orders trace one critical curve", matched,
                a + "-" + b + " at x(" + a + ") " + num(x) + ": " + num(r[2]) + " K, " + num(r[0]) +
                    " bar; the other order " + num(nearestT) + " K, " + num(nearestP) + " bar");
        if (!matched) break;
    }
}

// The Anderko-Pitzer binaries the console traces critical curves of (their order is the
// model's own, water first): no NaN, an end at a pure component or a reason, no runaway.
void checkAnderkoCriticalCurve(Checks& c, const std::string& keyword) {
    std::unique_ptr<FluidPhase> f(FluidPhase::getEOS(keyword.c_str()));
    if (!c.check("the model is registered", f != nullptr, keyword)) return;
    std::remove("crit_sweep");
    f->error = 0;
    const std::string said = test::outputOf([&] { f->calculateTheCriticalCurve("_sweep"); });
    const auto rows = criticalRows("crit_sweep");
    std::remove("crit_sweep");
    checkCriticalRows(c, rows, keyword);
    double Tmax = 0, Pmax = 0;
    for (const auto& r : rows)
        if (r.size() > 2 && std::isfinite(r[2])) Tmax = std::max(Tmax, r[2]), Pmax = std::max(Pmax, r[0]);
    const bool pureEnd = rows.size() > 1 && rows.back().size() > 4 &&
                         (rows.back()[4] == 0 || rows.back()[4] == 1);
    c.check("a critical curve ends at a pure end or says why",
            (f->error != 0 || pureEnd || !said.empty()) && (f->error == 0 || !said.empty()),
            keyword + ": error " + num(f->error) + ", " + num(double(rows.size())) + " rows");
    c.check("a critical curve is no runaway",
            rows.size() <= 20001 && (f->error != 0 || (rows.size() < 20000 && Tmax <= 10000 && Pmax <= 1e5)),
            keyword + ": " + num(double(rows.size())) + " rows to " + num(Tmax) + " K, " + num(Pmax) +
                " bar, error " + num(f->error));
}

// An Anderko-Pitzer salt-water isotherm from a pressure: H2O-NaCl beyond the temperatures of
// its table of starting states, and H2O-KCl, start from the split of the model's Gibbs
// energy. A curve passes the pressure asked, holds no NaN and each point once, its phases at
// equal fugacities; one that is not traced whole says why.
void checkAnderkoIsothermFromP(Checks& c, const std::string& keyword, double T, double Pbar) {
    std::unique_ptr<FluidPhase> f(FluidPhase::getEOS(keyword.c_str()));
    std::unique_ptr<FluidPhase> probe(FluidPhase::getEOS(keyword.c_str()));
    if (!c.check("the model is registered", f != nullptr && probe != nullptr, keyword)) return;
    const std::string where = keyword + " at " + num(T) + " K from " + num(Pbar) + " bar";
    std::remove("binop_swa");
    f->composition(0.9, 0.1);
    f->error = 0;
    bool complete = false;
    std::string said;
    test::stdoutOf([&] {
        said = test::stderrOf([&] { complete = f->calculateTheBinaryIsothermFromP(T, Pbar, "_swa"); });
    });
    const auto rows = isothermRows("binop_swa");
    std::remove("binop_swa");
    c.check("an isotherm from a pressure not traced whole says why", complete || !said.empty(),
            where + ": " + num(double(rows.size())) + " rows, nothing said");
    if (rows.empty()) {
        // Where the model's Gibbs energy has two phases, they are the start.
        probe->composition(0.9, 0.1);
        const test::HullGap hull = test::binaryHullGap(*probe, T, Pbar, 400);
        c.check("an isotherm from a pressure inside a gap of the Gibbs energy has a start", !hull.found,
                where + ": the hull's gap from x1 " + num(hull.left) + " to " + num(hull.right) +
                    "; said: " + said.substr(0, 200));
        return;
    }
    bool finite = true, once = true;
    std::set<std::vector<double>> seen;
    double Plow = HUGE_VAL, Phigh = 0.0;
    for (const auto& r : rows) {
        for (double v : r) finite = finite && std::isfinite(v);
        std::vector<double> key(r.begin(), r.begin() + std::min<std::size_t>(r.size(), 6));
        for (double& v : key) v = significant9(v);
        once = seen.insert(key).second && once;
        if (r.size() > 1) Plow = std::min(Plow, r[1]), Phigh = std::max(Phigh, r[1]);
    }
    c.check("isotherm rows have no NaN", finite, where);
    c.check("each point of an isotherm once", once, where);
    c.check("two phases coexist at positive pressures only", Plow > 0.0,
            where + ": rows down to " + num(Plow) + " bar");
    c.check("an isotherm from a pressure passes it", Plow <= Pbar * (1 + 1e-6) && Phigh >= Pbar * (1 - 1e-6),
            where + ": rows from " + num(Plow) + " to " + num(Phigh) + " bar");
    const int stride = std::max<int>(1, static_cast<int>(rows.size()) / c.budget().points(20, 6));
    for (std::size_t r = static_cast<std::size_t>(c.budget().offset(where, stride)); r < rows.size();
         r += static_cast<std::size_t>(stride)) {
        const auto& row = rows[r];
        if (row.size() < 8) continue;
        double lnf[2][2], P[2];
        bool evaluated = true;
        for (int k = 0; k < 2; ++k) {
            probe->composition(row[2 + 2 * k], row[3 + 2 * k]);
            probe->error = 0;
            probe->calculateFromTV(T, row[6 + k] * 1e-6, 0);
            evaluated = evaluated && probe->error == 0;
            P[k] = probe->P * 1e-5;
            for (int i = 0; i < 2; ++i) lnf[k][i] = std::log(probe->fugacity[static_cast<std::size_t>(i)]);
        }
        double gap = evaluated ? 0.0 : 1.0;
        for (int i = 0; i < 2; ++i)
            if (std::min(row[2 + i], row[4 + i]) > 1e-4) gap = std::max(gap, std::fabs(lnf[0][i] - lnf[1][i]));
        c.check("a binary isotherm's rows have equal fugacities", gap < 2e-3,
                where + ": row P " + num(row[1]) + " bar, x1 " + num(row[3]) + ", y1 " + num(row[5]) +
                    ", ln f gap " + num(gap) + ", P " + num(P[0]) + " and " + num(P[1]) + " bar");
    }
}

// The one-component model a gas mixture model's pair is checked against: the model itself
// with one component, or DMWEOS for DMW2, which takes pairs only (the same residual).
std::unique_ptr<FluidPhase> oneComponentOf(const GasMixtureModel& g, const std::string& name) {
    static const CubicMaker dmweos = cubicMaker<DMWEOS>();
    std::unique_ptr<FluidPhase> one;
    test::outputOf([&] { one = alone(std::string(g.name) == "DMW2" ? dmweos : g.make, name); });
    return one;
}

// A gas mixture model's pair holding one component alone, in either place, has that
// component's vapour pressure as the model of it alone gives it, and none above its own
// critical temperature, wherever the pair gives a state at all.
void checkPairAloneSaturation(Checks& c, const GasMixtureModel& g, const std::string& a, const std::string& b) {
    if (g.componentFiles) linkComponentFiles();
    for (int place = 0; place < 2; ++place) {
        const std::string name = place == 0 ? a : b;
        const auto one = oneComponentOf(g, name);
        double Tc = 0.0;
        test::outputOf([&] { Tc = one->namingCriticalTemperature(); });
        if (!(Tc > 0.0)) continue;  // no critical point of the gas's own equation
        auto pair = pairOf(g.make, {a, b});
        pair->composition_of_component(place, 1.0);
        pair->composition_of_component(1 - place, 0.0);
        for (double share : {0.6, 0.8, 0.95, 1.01}) {
            const double T = share * Tc;
            // A pair refuses every state outside its pair parameters' temperatures (DMW's
            // H2O-CH4 below 311.15 K), and a set-up of a gas it has not: nothing to compare.
            bool refused = false;
            test::outputOf([&] {
                pair->error = 0;
                pair->calculateFromTP(T, 1.0, 0);
                refused = pair->error != 0;
            });
            if (refused) continue;
            double want = 0.0, got = 0.0;
            test::outputOf([&] {
                one->error = 0;
                want = one->calculateTheSaturationPressure(T);
                pair->error = 0;
                got = pair->calculateTheSaturationPressure(T);
            });
            c.check("a pair holding one component alone has its vapour pressure",
                    (std::isnan(want) && std::isnan(got)) || std::fabs(got / want - 1.0) < 1e-7,
                    name + " in " + a + "-" + b + " at " + num(T) + " K: " + num(got * 1e-5) + " bar, alone " +
                        num(want * 1e-5) + " bar");
        }
    }
}

// A Duan pair of two supercritical gases at 1 to 3 kbar (CH4-CO2 from 280 K, water's pairs
// above its critical temperature, where they are one fluid) has a molar volume within a
// quarter of the mole-fraction mean of its gases' volumes, the model of each gas alone
// giving them, and the same in either order of its components. CH4-CO2 from 305.15 to
// 498.15 K once collapsed onto volumes below solid CO2's (x(CO2) 0.5 at 400 K and 1000
// bar: 18.7 cm3/mol for its gases' 47.2 and 55.5).
void checkDuanPairBetweenItsGases(Checks& c, const GasMixtureModel& g, const std::string& a,
                                  const std::string& b) {
    const auto oneA = oneComponentOf(g, a), oneB = oneComponentOf(g, b);
    auto ab = pairOf(g.make, {a, b}), ba = pairOf(g.make, {b, a});
    const bool water = a == "H2O" || b == "H2O";
    const std::vector<double> Ts = water ? std::vector<double>{700, 850, 1000, 1200}
                                         : std::vector<double>{280, 320, 360, 400,
                                                               450, 497, 500, 700},
                              Ps = {1000, 3000}, xs = {0.2, 0.5, 0.8};
    const int n = static_cast<int>(Ts.size() * Ps.size() * xs.size());
    const int stride = std::max(1, n / c.budget().points(n, 24));
    for (int i = c.budget().offset(c.configuration(), stride); i < n; i += stride) {
        const double T = Ts[static_cast<std::size_t>(i) % Ts.size()],
                     P = Ps[static_cast<std::size_t>(i) / Ts.size() % Ps.size()],
                     x = xs[static_cast<std::size_t>(i) / (Ts.size() * Ps.size())];
        const std::string where =
            a + "-" + b + " at " + num(T) + " K, " + num(P) + " bar, x(" + a + ") " + num(x);
        double Va = 0.0, Vb = 0.0, V = 0.0, Vswapped = 0.0;
        int errors = 0;
        test::outputOf([&] {
            for (FluidPhase* f : {oneA.get(), oneB.get()}) {
                f->error = 0;
                f->calculateFromTP(T, P, 0);
                errors += f->error;
            }
            Va = oneA->V;
            Vb = oneB->V;
            ab->composition(x, 1.0 - x);
            ab->error = 0;
            ab->calculateFromTP(T, P, 0);
            errors += ab->error;
            V = ab->V;
            ba->composition(1.0 - x, x);
            ba->error = 0;
            ba->calculateFromTP(T, P, 0);
            errors += ba->error;
            Vswapped = ba->V;
        });
        if (!c.check("a Duan pair of supercritical gases gives a state", errors == 0, where))
            continue;
        const double mean = x * Va + (1.0 - x) * Vb;
        c.check("a Duan pair of supercritical gases lies near its gases' mean volume",
                V > 0.75 * mean && V < 1.33 * mean,
                where + ": " + num(V * 1e6) + " cm3/mol, its gases' mean " + num(mean * 1e6));
        c.check("a Duan pair is the same fluid in either order",
                std::fabs(Vswapped / V - 1.0) < 1e-9,
                where + ": " + num(V * 1e6) + " and " + num(Vswapped * 1e6) + " cm3/mol");
    }
}

// V and ln phi at (T, P, x) of a fluid, or empty when it gave none.
std::vector<double> stateOf(FluidPhase& f, const std::vector<std::string>& names,
                            const std::vector<std::string>& order, const std::vector<double>& x,
                            double TK, double Pbar, std::string& said) {
    std::vector<double> c(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        for (std::size_t j = 0; j < names.size(); ++j)
            if (order[i] == names[j]) c[i] = x[j];
    for (int i = 0; i < f.nc && i < static_cast<int>(c.size()); ++i)
        f.composition_of_component(i, c[static_cast<std::size_t>(i)]);
    f.error = 0;
    said += test::outputOf([&] { f.calculateFromTP(TK, Pbar, 0); });
    if (f.error != 0 || !std::isfinite(f.V)) return {};
    std::vector<double> v = {f.V};
    for (std::size_t j = 0; j < names.size(); ++j)
        for (std::size_t i = 0; i < order.size(); ++i)
            if (order[i] == names[j]) v.push_back(f.lnPhi[i]);
    return v;
}

// A model set up with a gas set, then set up again with `names` (another order, another
// count, a name it has no data for): its states are those of a fresh model of `names`, or it
// refuses them and says why; never a state left from the first set.
void checkSetUpAgain(Checks& c, const CubicMaker& make, bool files, const std::vector<std::string>& first,
                     const std::vector<std::string>& names) {
    if (files) linkComponentFiles();
    std::string freshSaid, againSaid;
    auto fresh = setUp(make, names, freshSaid);
    auto again = setUp(make, first, againSaid);
    std::string ignored;
    stateOf(*again, first, first, std::vector<double>(first.size(), 1.0 / first.size()), 400, 100, ignored);
    againSaid.clear();
    againSaid += test::outputOf([&] {
        again->number_of_components(static_cast<int>(names.size()));
        for (const auto& n : names) again->add_component(n.c_str());
    });
    std::string from;
    for (const auto& n : first) from += (from.empty() ? "" : "-") + n;
    std::string to;
    for (const auto& n : names) to += (to.empty() ? "" : "-") + n;
    // A name the model has no data for gives no fresh state either: the model must say so.
    bool known = true;
    for (const auto& n : names) known = known && n != kUnknownGas;
    std::vector<std::vector<double>> feeds;
    if (names.size() == 2) feeds = {{0.2, 0.8}, {0.7, 0.3}};
    else if (names.size() == 1) feeds = {{1.0}};
    else {
        std::vector<double> x(names.size(), 0.5 / double(names.size() - 1));
        x[0] = 0.5;
        feeds = {x};
    }
    for (double TK : {300.0, 500.0, 800.0})
        for (double Pbar : {10.0, 300.0})
            for (const auto& x : feeds) {
                std::string s1, s2;
                const auto want = stateOf(*fresh, names, names, x, TK, Pbar, s1);
                const auto got = stateOf(*again, names, names, x, TK, Pbar, s2);
                const std::string where = "set up " + from + ", then " + to + ": T " + num(TK) +
                                          " K, P " + num(Pbar) + " bar, x " + compositionText(x);
                if (got.empty()) {
                    c.check("a model set up again gives the fresh model's states or says why",
                            !(againSaid + s2).empty() || (want.empty() && known),
                            where + ": no state, nothing said");
                    continue;
                }
                bool same = want.size() == got.size();
                for (std::size_t k = 0; same && k < got.size(); ++k)
                    same = std::fabs(got[k] - want[k]) <= 1e-9 * (k == 0 ? std::fabs(want[0]) : 1.0);
                c.check("a model set up again gives the fresh model's states or says why", same,
                        where + ": V " + num(got[0] * 1e6) + " cm3/mol, fresh " +
                            (want.empty() ? std::string("none") : num(want[0] * 1e6)));
            }
}

// Set up again with the pair reversed, after another pair, with a third gas and with one gas
// alone, and with a name the model has no data for before and after.
void checkSetUpAgainEveryWay(Checks& c, const CubicMaker& make, bool files, const std::string& a,
                             const std::string& b, const std::string& other) {
    checkSetUpAgain(c, make, files, {b, a}, {a, b});
    checkSetUpAgain(c, make, files, {a, other}, {a, b});
    checkSetUpAgain(c, make, files, {a, b, other}, {a, b});
    checkSetUpAgain(c, make, files, {a, b}, {a, b, other});
    checkSetUpAgain(c, make, files, {a, b}, {a});
    checkSetUpAgain(c, make, files, {a, b}, {a, kUnknownGas});
    checkSetUpAgain(c, make, files, {kUnknownGas, b}, {a, b});
}

// Joule points of a binary: refused while the mole fractions make no mixture (none given, or
// outside 0 ... 1), and where found with fractions a root of (dZ/dT)_V by central
// differences of the model's own Z.
void checkJoulePoints(Checks& c, const CubicMaker& make, const std::string& a, const std::string& b) {
    std::string said;
    auto f = setUp(make, {a, b}, said);
    for (double TK : {400.0, 700.0, 1000.0}) {
        const std::string at = a + "-" + b + " at " + num(TK) + " K";
        auto unset = setUp(make, {a, b}, said);
        test::outputOf([&] { unset->calculateJoulePoint(TK, 35e-6); });
        c.check("a characteristic point of fractions that make no mixture is refused", unset->error != 0,
                at + ", no fractions: V " + num(unset->V * 1e6) + " cm3/mol");
        f->composition(1.5, -0.5);
        test::outputOf([&] { f->calculateJoulePoint(TK, 35e-6); });
        c.check("a characteristic point of fractions that make no mixture is refused", f->error != 0,
                at + ", x 1.5: V " + num(f->V * 1e6) + " cm3/mol");
        for (double x0 : {0.2, 0.8}) {
            f->composition(x0, 1.0 - x0);
            test::outputOf([&] { f->calculateJoulePoint(TK, 35e-6); });
            if (f->error != 0) continue;
            const double V = f->V, h = 1e-6 * TK;
            auto Z = [&](double T) {
                test::outputOf([&] { f->calculateFromTV(T, V, 0); });
                return f->error == 0 ? f->Z : std::nan("");
            };
            const double slope = (Z(TK + h) - Z(TK - h)) / (2 * h) * TK / Z(TK);
            c.check("a Joule point is a state of the model and a root of (dZ/dT)_V", std::fabs(slope) < 1e-5,
                    at + ", x0 " + num(x0) + ": V " + num(V * 1e6) + " cm3/mol, T dZ/dT / Z " + num(slope));
        }
    }
}

// (dZ/dT)_V and (dZ/dx)_V of a cubic class against central differences, from each side's
// root at pressures from 1 to 1000 bar and temperatures about the pair's critical ones.
void checkCubicDerivatives(Checks& c, const CubicClass& k, const std::vector<std::string>& names) {
    if (k.componentFiles) linkComponentFiles();
    double Tc = 0;
    for (const auto& n : names) {
        double T = -1;
        test::outputOf([&] { T = alone(k.make, n)->namingCriticalTemperature(); });
        if (std::isfinite(T)) Tc = std::max(Tc, T);
    }
    if (!c.check("each component has its critical point", Tc > 0, names[0] + " " + names[1])) return;
    const int nT = c.budget().points(8, 3), nP = c.budget().points(6, 3);
    for (int side : {1, 2}) {
        auto f = k.make(side);
        test::outputOf([&] {
            f->number_of_components(2);
            for (const auto& n : names) f->add_component(n.c_str());
        });
        auto at = [&](double T, double V, double x0) {
            f->composition_of_component(0, x0);
            f->composition_of_component(1, 1 - x0);
            f->error = 0;
            test::outputOf([&] { f->calculateFromTV(T, V, 0); });
            return f->error == 0 ? f->Z : std::nan("");
        };
        for (int i = 0; i < nT; ++i) {
            const double T = Tc * (0.5 + 1.5 * (i + 0.5) / nT);
            for (int j = 0; j < nP; ++j) {
                const double Pbar = std::pow(1000.0, (j + 0.5) / nP);
                const double x0 = 0.3;
                f->composition_of_component(0, x0);
                f->composition_of_component(1, 1 - x0);
                f->error = 0;
                test::outputOf([&] { f->calculateFromTP(T, Pbar, 0); });
                if (f->error != 0 || !(f->V > 0)) continue;
                const double V = f->V;
                const double Z = at(T, V, x0);
                if (!std::isfinite(Z)) continue;
                const double dZdT = f->dZdT;
                const bool withX = f->dZdx.size() >= 2;
                const double dZdx = withX ? f->dZdx[0] - f->dZdx[1] : std::nan("");
                const double hT = 1e-4 * T, hx = 1e-5;
                const double numT = (at(T + hT, V, x0) - at(T - hT, V, x0)) / (2 * hT);
                const double numX = (at(T, V, x0 + hx) - at(T, V, x0 - hx)) / (2 * hx);
                const std::string where = std::string(side == 2 ? "liquid" : "vapour") + " root at T " +
                                          num(T) + " K, P " + num(Pbar) + " bar, x0 0.3, V " +
                                          num(V * 1e6) + " cm3/mol";
                if (std::isfinite(numT))
                    c.check("(dZ/dT)_V equals its central difference",
                            std::fabs(dZdT - numT) <= 1e-5 * std::max(std::fabs(numT), std::fabs(Z) / T),
                            where + ": " + num(dZdT) + " for " + num(numT) + " 1/K");
                if (std::isfinite(numX))
                    c.check("(dZ/dx)_V equals its central difference",
                            withX && std::fabs(dZdx - numX) <= 1e-5 * std::max(std::fabs(numX), std::fabs(Z)),
                            where + ": dZ/dx0 - dZ/dx1 " + num(dZdx) + " for " + num(numX));
            }
        }
    }
}

}  // namespace

// The names of a table in a source file: the first string of each row of the array that
// starts at `marker` (or, where `alias` is set, the row's second string when it has one).
std::vector<std::string> namesOfTable(const std::string& source, const std::string& marker,
                                      bool alias) {
    std::ifstream in(std::string(VORNEX_SOURCE_DIR) + "/" + source);
    std::stringstream s;
    s << in.rdbuf();
    const std::string text = s.str();
    const std::size_t from = text.find(marker);
    const std::size_t to = text.find("};", from);
    std::vector<std::string> names;
    if (from == std::string::npos || to == std::string::npos) return names;
    const std::string table = text.substr(from, to - from);
    const std::regex row(R"re(\{"([^"]+)", (?:"([^"]+)"|nullptr)?)re");
    for (std::sregex_iterator i(table.begin(), table.end(), row), end; i != end; ++i)
        names.push_back(alias && (*i)[2].matched ? (*i)[2].str() : (*i)[1].str());
    return names;
}


void checkBinaryClosure(Checks& c, const std::string& cubicClass,
                        const std::vector<std::string>& names, double T) {
    for (const CubicClass& k : cubicClasses())
        if (cubicClass == k.name) return checkClosure(c, k, names, T);
    c.check("names a cubic class", false, cubicClass);
}

// The salt-water isotherms from a pressure beyond the table of starting states and of
// H2O-KCl; every gas mixture model's pair holding one component alone; and the isotherms of
// those models' pairs from component 0's saturation, in both orders.
void addAnderkoAndGasPairConfigurations(std::vector<Configuration>& out) {
    static const std::tuple<const char*, double, double> kFromP[] = {
        {"hn", 1000, 800}, {"hn", 1100, 1000}, {"hn", 1200, 1200}, {"hn", 1200, 3000}, {"hk", 610, 1},
        {"hk", 620, 100},  {"hk", 700, 100},   {"hk", 800, 500},   {"hk", 900, 800},
        {"hk", 1000, 1000},
        // The split of two salt-rich liquids, down to where its vapour appears above zero
        // pressure.
        {"hk", 600, 50},
        // H2O-NaCl within its table's temperatures but below the three-phase pressure, where
        // the vapour lies beside a salt-rich liquid the table does not hold.
        {"hn", 575, 1}, {"hn", 585, 30}};
    for (const auto& [keyword, T, P] : kFromP) {
        const std::string k = keyword;
        const double TK = T, Pbar = P;
        out.push_back({"bino", "Anderko binop " + k + " T " + num(TK) + " P " + num(Pbar),
                       [k, TK, Pbar](Checks& c) { checkAnderkoIsothermFromP(c, k, TK, Pbar); }});
    }
    // H2O-CO2 of DMW2 from 200 bar at 400 K, where a water-rich liquid of 12.65 % CO2 lies
    // beside a CO2-rich vapour, in either order.
    for (const GasMixtureModel& g : gasMixtureModels())
        if (std::string(g.name) == "DMW2")
            for (const std::vector<std::string>& pair : {std::vector<std::string>{"H2O", "CO2"}, {"CO2", "H2O"}})
                out.push_back({"bino", "binop DMW2 " + pair[0] + " " + pair[1] + " T 400 P 200",
                               [&g, pair](Checks& c) {
                                   checkFluidBinaryIsothermFromP(c, CubicClass{g.name, g.make, g.componentFiles},
                                                                 pair, 400.0, 200.0);
                               }});
    for (const GasMixtureModel& g : gasMixtureModels()) {
        // Lee-Kessler gives no state at (T, V), whence no saturation of its own.
        if (std::string(g.name) == "LeeKessler") continue;
        const auto& gases = g.gases;
        for (std::size_t i = 0; i < gases.size(); ++i)
            for (std::size_t j = i + 1; j < gases.size(); ++j) {
                const std::string a = gases[i], b = gases[j];
                out.push_back({"gasmix", std::string("gasmix alone ") + g.name + " " + a + " " + b,
                               [&g, a, b](Checks& c) { checkPairAloneSaturation(c, g, a, b); }});
            }
    }
    for (const GasMixtureModel& g : gasMixtureModels()) {
        const std::string name = g.name;
        if (name != "DMW2" && name != "DMWEOS") continue;
        for (std::size_t i = 0; i < g.gases.size(); ++i)
            for (std::size_t j = i + 1; j < g.gases.size(); ++j) {
                const std::string a = g.gases[i], b = g.gases[j];
                // N2 is a gas of the one-component model only.
                if (a == "N2" || b == "N2") continue;
                out.push_back(
                    {"gasmix", "gasmix between " + name + " " + a + " " + b,
                     [&g, a, b](Checks& c) { checkDuanPairBetweenItsGases(c, g, a, b); }});
            }
    }
    const auto holds = [](const std::vector<std::string>& list, const std::string& name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    static const std::pair<const char*, const char*> kPairs[] = {
        {"C6", "CH4"}, {"benzene", "toluene"}, {"C10", "CO2"}, {"H2S", "CH4"}, {"H2O", "CO2"}, {"H2O", "CH4"}};
    for (const GasMixtureModel& g : gasMixtureModels()) {
        if (std::string(g.name) == "LeeKessler") continue;
        for (const auto& [a, b] : kPairs)
            for (int order = 0; order < 2; ++order) {
                if (!holds(g.gases, a) || !holds(g.gases, b)) continue;
                const std::vector<std::string> pair = order == 0 ? std::vector<std::string>{a, b}
                                                                 : std::vector<std::string>{b, a};
                out.push_back({"bino", std::string("bino ") + g.name + " " + pair[0] + " " + pair[1],
                               [&g, pair](Checks& c) {
                                   const CubicClass k{g.name, g.make, g.componentFiles};
                                   const auto one = oneComponentOf(g, pair[0]);
                                   const auto other = oneComponentOf(g, pair[1]);
                                   double Tc = 0.0, Tother = 0.0;
                                   test::outputOf([&] {
                                       Tc = one->namingCriticalTemperature();
                                       Tother = other->namingCriticalTemperature();
                                   });
                                   if (!c.check("the component has a critical point of its own", Tc > 0.0, pair[0]))
                                       return;
                                   // Below some 0.5 of its critical temperature Kreglewski's
                                   // equation of a heavy hydrocarbon has no liquid branch
                                   // (decane at 243 K: P below -400 bar from 139 to 247
                                   // cm3/mol): above 0.55 of the other's where component 0's
                                   // saturation reaches it.
                                   const double T = std::max(0.8 * Tc, 0.55 * Tother);
                                   checkFluidBinaryIsotherm(c, k, pair, T < 0.97 * Tc ? T : 0.8 * Tc);
                               }});
            }
    }
}

void addMixtureConfigurations(std::vector<Configuration>& out) {
    const std::vector<std::string> table = componentTable(), files = componentFiles();
    const auto holds = [](const std::vector<std::string>& list, const std::string& name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    for (const CubicClass& k : cubicClasses()) {
        const std::string name = k.name;
        if (name != "PR" && name != "SRK" && name != "TwoPar" && name != "ThreePar") continue;
        const std::vector<std::string>& components = k.componentFiles ? files : table;
        for (const BinaryRange& r : kIsothermRanges)
            for (int i = 0, steps = r.between ? 20 : 5; i <= steps; ++i) {
                if (!holds(components, r.first) || !holds(components, r.second)) continue;
                const double T = r.Tlow + (r.Thigh - r.Tlow) * i / steps;
                const std::vector<std::string> names = {r.first, r.second};
                out.push_back({"cubic", "cubic isotherms " + name + " " + r.first + " " + r.second +
                                            " T " + num(T),
                               [&k, names, T](Checks& c) { checkIsotherms(c, k, names, T); }});
            }
        if (k.componentFiles) continue;
        for (const BinaryRange& r : kClosureRanges)
            for (int i = 0; i <= 4; ++i) {
                const double T = r.Tlow + (r.Thigh - r.Tlow) * i / 4;
                const std::vector<std::string> names = {r.first, r.second};
                out.push_back({"cubic", "cubic closure " + name + " " + r.first + " " + r.second +
                                            " T " + num(T),
                               [&k, names, T](Checks& c) { checkClosure(c, k, names, T); }});
            }
    }
    // Water-rich vapours over heavy hydrocarbons below the pair's pseudo-critical temperature,
    // whose naming critical point is the mixture's whichever component comes first.
    for (const CubicClass& k : cubicClasses()) {
        if (k.componentFiles) continue;
        for (const char* heavy : {"nC6H14", "nC8H18", "nC10H22"})
            for (double T : {500.0, 550.0})
                for (double zWater : {0.8, 0.9}) {
                    if (!holds(table, heavy) || !holds(table, "H2O")) continue;
                    out.push_back({"cubic",
                                   std::string("cubic order ") + k.name + " H2O " + heavy + " T " + num(T) +
                                       " water " + num(zWater),
                                   [&k, heavy = std::string(heavy), T, zWater](Checks& c) {
                                       checkDewInEitherOrder(c, k, heavy, T, zWater);
                                   }});
                }
    }
    // Flashes of feeds of a light gas and a heavy liquid, whose phases' molar volumes cross
    // beside the bubble point, in each class of the table's constants, at temperatures from
    // below the lightest component's critical one to twice it.
    static const std::pair<std::vector<const char*>, std::vector<double>> kSplitFeeds[] = {
        {{"N2", "CH4", "nC10H22"}, {0.1, 0.6, 0.3}},
        {{"CH4", "C3H8", "nC10H22"}, {0.7, 0.1, 0.2}},
        {{"N2", "CH4", "nC5H12"}, {0.1, 0.7, 0.2}},
        {{"CH4", "nC10H22"}, {0.7, 0.3}}};
    for (const CubicClass& k : cubicClasses()) {
        if (k.componentFiles) continue;
        for (const auto& [feedNames, z] : kSplitFeeds) {
            const std::vector<std::string> names(feedNames.begin(), feedNames.end());
            if (!std::all_of(names.begin(), names.end(), [&](const std::string& n) { return holds(table, n); }))
                continue;
            const ClassicRow* lightest = findClassicRow(names[0].c_str());
            for (const auto& n : names)
                if (findClassicRow(n.c_str())->Tc < lightest->Tc) lightest = findClassicRow(n.c_str());
            std::string line = std::string("cubic split ") + k.name;
            for (const auto& n : names) line += " " + n;
            for (int i = 0; i < 8; ++i) {
                const double T = std::round(lightest->Tc * (0.9 + 1.3 * i / 7.0) * 10.0) / 10.0;
                out.push_back({"cubic", line + " T " + num(T), [&k, names, z = z, T](Checks& c) {
                                   checkSplits(c, k, names, z, T);
                               }});
            }
        }
    }
    // Isopleths traced down in temperature: the ternary CO2-CH4-C3H8 rich in CO2, and each
    // class's five-component feed rich in CO2 and rich in N2.
    for (const CubicClass& k : cubicClasses()) {
        const std::vector<std::string>& components = k.componentFiles ? files : table;
        std::vector<std::pair<std::vector<std::string>, std::vector<double>>> feeds;
        if (holds(components, "CO2") && holds(components, "CH4") && holds(components, "C3H8"))
            feeds.push_back({{"CO2", "CH4", "C3H8"}, {0.75, 0.15, 0.10}});
        if (components.size() >= 5) {
            const std::vector<std::string> five(components.begin(), components.begin() + 5);
            for (const char* rich : {"CO2", "N2"}) {
                if (!holds(five, rich)) continue;
                std::vector<double> z(5, 0.1);
                z[static_cast<std::size_t>(std::find(five.begin(), five.end(), rich) - five.begin())] = 0.6;
                feeds.push_back({five, z});
            }
        }
        for (const auto& [names, z] : feeds)
            for (double T0 : {230.0, 270.0}) {
                std::string line = std::string("isopleth ") + k.name;
                for (const auto& n : names) line += " " + n;
                line += " z";
                for (double v : z) line += " " + num(v);
                line += " T " + num(T0);
                out.push_back({"isopleth", line, [&k, names, z, T0](Checks& c) { checkIsopleths(c, k, names, z, T0); }});
            }
    }
    for (const CubicClass& k : cubicClasses()) {
        const std::vector<std::string>& components = k.componentFiles ? files : table;
        std::vector<std::vector<std::string>> systems;
        for (std::size_t i = 0; i < components.size(); ++i)
            for (std::size_t j = i + 1; j < components.size(); ++j)
                systems.push_back({components[i], components[j]});
        // A ternary and a five-component feed of the first components.
        if (components.size() >= 3) systems.push_back({components[0], components[1], components[2]});
        if (components.size() >= 5)
            systems.push_back({components[0], components[1], components[2], components[3],
                               components[4]});
        for (const auto& s : systems) {
            std::string line = std::string("cubic ") + k.name;
            for (const auto& n : s) line += " " + n;
            out.push_back({"cubic", line, [&k, s](Checks& c) { checkMixture(c, k, s); }});
        }
    }
    // The gas mixture models: each binary of each model's gases, its critical curve in both
    // orders, and the model set up again with that binary after the reversed one and after
    // another pair.
    for (const GasMixtureModel& g : gasMixtureModels()) {
        const auto& gases = g.gases;
        for (std::size_t i = 0; i < gases.size(); ++i)
            for (std::size_t j = i + 1; j < gases.size(); ++j) {
                const std::string a = gases[i], b = gases[j];
                out.push_back({"gasmix", std::string("gasmix critical ") + g.name + " " + a + " " + b,
                               [&g, a, b](Checks& c) { checkCriticalCurves(c, g.make, g.componentFiles, a, b); }});
                const std::string other = gases[(j + 1) % gases.size()] == a ? gases[(i + 1) % gases.size()]
                                                                             : gases[(j + 1) % gases.size()];
                if (std::string(g.name) == "DMW2" || std::string(g.name) == "DMWEOS")
                    out.push_back({"gasmix", std::string("gasmix binary-critical ") + g.name + " " + a + " " + b,
                                   [&g, a, b](Checks& c) { checkDuanBinaryCriticalCurve(c, g.make, a, b); }});
                out.push_back({"gasmix", std::string("gasmix again ") + g.name + " " + a + " " + b,
                               [&g, a, b, other](Checks& c) {
                                   checkSetUpAgainEveryWay(c, g.make, g.componentFiles, a, b, other);
                               }});
            }
    }
    // The cubic classes' critical curves in both orders: every class of the list, and the
    // term cubics with a tracer of their own, on the pairs users trace.
    std::vector<std::pair<std::string, const CubicClass*>> tracers;
    static const std::vector<CubicClass> termTracers = {
        {"SRK2", cubicMaker<SRK2>(), true}, {"Daridon", cubicMaker<DaridonEOS>(), true, true}};
    for (const CubicClass& k : cubicClasses()) tracers.push_back({k.name, &k});
    for (const CubicClass& k : termTracers) tracers.push_back({k.name, &k});
    static const std::pair<const char*, const char*> kCriticalPairs[] = {
        {"CH4", "CO2"}, {"CO2", "H2O"},    {"CH4", "nC5H12"}, {"N2", "CH4"},
        {"CO2", "C2H6"}, {"CH4", "C2H6"}, {"H2O", "CH4"},    {"nC5H12", "nC10H22"}};
    for (const auto& [name, k] : tracers)
        for (const auto& [a, b] : kCriticalPairs) {
            const std::vector<std::string>& components = k->componentFiles ? files : table;
            if (std::find(components.begin(), components.end(), a) == components.end() ||
                std::find(components.begin(), components.end(), b) == components.end())
                continue;
            out.push_back({"critical", "cubic critical " + name + " " + a + " " + b,
                           [k, a, b](Checks& c) { checkCriticalCurves(c, k->make, k->componentFiles, a, b); }});
        }
    // Ethane, whose ideal gas the component files lack, in pairs with either order; and the
    // binary isotherms the fluids trace, below component 0's critical temperature.
    for (const auto& [name, k] : tracers) {
        if (!k->componentFiles) continue;
        for (const char* other : {"CO2", "CH4", "H2O"})
            for (int order = 0; order < 2; ++order) {
                if (!holds(files, other) || !holds(files, "C2H6")) continue;
                if (k->onlyBesideWater && !(std::string(other) == "H2O" && order == 0)) continue;
                const std::vector<std::string> pair = order == 0 ? std::vector<std::string>{other, "C2H6"}
                                                                 : std::vector<std::string>{"C2H6", other};
                out.push_back({"cubic", "cubic ethane " + name + " " + pair[0] + " " + pair[1],
                               [k, pair](Checks& c) { checkPairStates(c, *k, pair); }});
            }
    }
    // The pairs users trace, and methane beside the heavier alkanes, whose curves part far
    // from the critical point.
    std::vector<std::pair<const char*, const char*>> binoPairs(std::begin(kCriticalPairs), std::end(kCriticalPairs));
    binoPairs.push_back({"CH4", "C3H8"});
    binoPairs.push_back({"CH4", "nC10H22"});
    for (const auto& [name, k] : tracers)
        for (const auto& [a, b] : binoPairs)
            for (int order = 0; order < 2; ++order) {
                const std::vector<std::string>& components = k->componentFiles ? files : table;
                if (!holds(components, a) || !holds(components, b)) continue;
                const std::vector<std::string> pair = order == 0 ? std::vector<std::string>{a, b}
                                                                 : std::vector<std::string>{b, a};
                // Each order at a temperature of its own: 0.5 and 0.9 of component 0's critical
                // temperature.
                out.push_back({"bino", "bino " + name + " " + pair[0] + " " + pair[1],
                               [k, pair, order](Checks& c) {
                                   if (k->componentFiles) linkComponentFiles();
                                   double Tc = 0;
                                   test::outputOf([&] { Tc = alone(k->make, pair[0])->namingCriticalTemperature(); });
                                   checkFluidBinaryIsotherm(c, *k, pair, (order == 0 ? 0.5 : 0.9) * Tc);
                               }});
            }
    // The isotherms from a pressure, on two of those pairs of each class in either order: at
    // 0.7 and 0.9 of component 0's critical temperature, from half and twice its vapour
    // pressure (inside the two-phase band, or where every composition is one phase).
    for (const auto& [name, k] : tracers) {
        int pairs = 0;
        for (const auto& [a, b] : binoPairs) {
            const std::vector<std::string>& components = k->componentFiles ? files : table;
            if (!holds(components, a) || !holds(components, b) || pairs == 2) continue;
            if (k->onlyBesideWater && std::string(a) != "H2O" && std::string(b) != "H2O") continue;
            ++pairs;
            for (int order = 0; order < 2; ++order) {
                const std::vector<std::string> pair = order == 0 ? std::vector<std::string>{a, b}
                                                                 : std::vector<std::string>{b, a};
                if (k->onlyBesideWater && pair[0] != "H2O") continue;
                for (double Tr : {0.7, 0.9})
                    for (double Pr : {0.5, 2.0})
                        out.push_back({"bino", "binop " + name + " " + pair[0] + " " + pair[1] + " T " + num(Tr) +
                                                   " Tc0 P " + num(Pr) + " Psat0",
                                       [k, pair, Tr, Pr](Checks& c) {
                                           if (k->componentFiles) linkComponentFiles();
                                           // Component 0 alone in the pair (SRK2 takes pairs only).
                                           const std::unique_ptr<FluidPhase> one = pairOf(k->make, pair);
                                           one->composition(1.0, 0.0);
                                           double T = 0, P = 0;
                                           test::outputOf([&] {
                                               T = Tr * one->namingCriticalTemperature();
                                               P = Pr * one->calculateTheSaturationPressure(T) * 1e-5;
                                           });
                                           if (!c.check("component 0 has a vapour pressure", std::isfinite(P) && P > 0,
                                                        pair[0] + " at " + num(T) + " K"))
                                               return;
                                           checkFluidBinaryIsothermFromP(c, *k, pair, T, P);
                                       }});
            }
        }
    }
    // Isotherms that end short of their pure end or critical point, or at a third phase.
    static const struct {
        const char *cls, *a, *b;
        double T;
    } kBinoEnds[] = {{"TermSRK", "CH4", "nC5H12", 171.5}, {"TermSRK", "CO2", "nC10H22", 298.13},
                     {"SRK", "CH4", "nC5H12", 171.5},     {"PR", "nC10H22", "CH4", 432.53},
                     {"PR", "CO2", "N2", 152.1},          {"PR", "N2", "CO2", 113.58}};
    for (const auto& e : kBinoEnds)
        for (const auto& [name, k] : tracers)
            if (name == e.cls) {
                const std::vector<std::string> pair = {e.a, e.b};
                const double T = e.T;
                out.push_back({"bino", "bino " + name + " " + pair[0] + " " + pair[1] + " T " + num(T),
                               [k, pair, T](Checks& c) { checkFluidBinaryIsotherm(c, *k, pair, T); }});
            }
    // The Gibbs transect of every class, its G a departure or not.
    for (const auto& [name, k] : tracers) {
        const std::vector<std::string>& components = k->componentFiles ? files : table;
        std::vector<std::string> pair = {"CO2", "CH4"};
        if (k->onlyBesideWater) pair = {"H2O", "CO2"};
        if (!holds(components, pair[0]) || !holds(components, pair[1])) continue;
        for (const auto& [T, P] : {std::pair<double, double>{300, 50}, {250, 20}, {500, 200}})
            out.push_back({"cubic", "cubic transect " + name + " " + pair[0] + " " + pair[1] + " T " + num(T) +
                                        " P " + num(P),
                           [k, pair, T = T, P = P](Checks& c) { checkGibbsTransect(c, *k, pair, T, P); }});
    }
    for (const char* keyword : {"hn", "hk"})
        out.push_back({"critical", std::string("Anderko critical ") + keyword,
                       [keyword](Checks& c) { checkAnderkoCriticalCurve(c, keyword); }});
    addAnderkoAndGasPairConfigurations(out);
    // Every cubic class set up again, and its derivatives of Z, on each pair of its table.
    for (const CubicClass& k : cubicClasses()) {
        const std::vector<std::string>& components = k.componentFiles ? files : table;
        for (std::size_t i = 0; i < components.size(); ++i)
            for (std::size_t j = i + 1; j < components.size(); ++j) {
                const std::vector<std::string> pair = {components[i], components[j]};
                out.push_back({"derivatives", std::string("derivatives ") + k.name + " " + pair[0] + " " + pair[1],
                               [&k, pair](Checks& c) { checkCubicDerivatives(c, k, pair); }});
                if (j != i + 1) continue;
                const std::string other = components[(j + 1) % components.size()];
                out.push_back({"gasmix", std::string("gasmix again ") + k.name + " " + pair[0] + " " + pair[1],
                               [&k, pair, other](Checks& c) {
                                   checkSetUpAgainEveryWay(c, k.make, k.componentFiles, pair[0], pair[1], other);
                               }});
            }
    }
    // The Joule points of every gas mixture model's binaries (Lee-Kessler gives no state at
    // (T, V)) and of the closed-form cubic classes.
    for (const GasMixtureModel& g : gasMixtureModels()) {
        if (std::string(g.name) == "LeeKessler") continue;
        for (std::size_t i = 0; i < g.gases.size(); ++i)
            for (std::size_t j = i + 1; j < g.gases.size(); ++j) {
                const std::string a = g.gases[i], b = g.gases[j];
                out.push_back({"gasmix", std::string("gasmix joule ") + g.name + " " + a + " " + b,
                               [&g, a, b](Checks& c) { checkJoulePoints(c, g.make, a, b); }});
            }
    }
    for (const CubicClass& k : cubicClasses())
        if (!k.componentFiles && holds(table, "CH4") && holds(table, "CO2"))
            out.push_back({"gasmix", std::string("gasmix joule ") + k.name + " CH4 CO2",
                           [&k](Checks& c) { checkJoulePoints(c, k.make, "CH4", "CO2"); }});
    // The cubic whose binary parameters step with temperature, set up again from each pair
    // with steps to that pair's first component beside one that has none with it, and back.
    const std::vector<std::string> stepFirst =
        namesOfTable("src/cubic/CriticalInterpolation.cpp", "kStepPairs[] = {", false);
    const std::vector<std::string> stepSecond =
        namesOfTable("src/cubic/CriticalInterpolation.cpp", "kStepPairs[] = {", true);
    static const CubicMaker stepSRK = cubicMaker<CriticalInterpolationSRK>();
    for (std::size_t i = 0; i < stepFirst.size() && i < stepSecond.size(); ++i) {
        const std::string a = stepFirst[i], b = stepSecond[i];
        std::string plain;
        for (const std::string& n : table) {
            bool stepped = n == a;
            for (std::size_t k = 0; k < stepFirst.size() && k < stepSecond.size(); ++k)
                stepped = stepped || (stepFirst[k] == a && stepSecond[k] == n) ||
                          (stepSecond[k] == a && stepFirst[k] == n);
            if (!stepped) {
                plain = n;
                break;
            }
        }
        if (plain.empty()) continue;
        out.push_back({"gasmix", "gasmix again StepSRK " + a + " " + plain + " after " + b,
                       [a, b, plain](Checks& c) { checkSetUpAgainEveryWay(c, stepSRK, false, a, plain, b); }});
    }
}

}  // namespace vornex::sweep
