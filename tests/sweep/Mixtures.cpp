// Mixtures: every cubic class on every pair of the component table, a ternary and a
// five-component feed: bubble points from each pure end to the critical region, the same
// feeds in the other component order, and the binary isotherm started at each pure end and
// inside.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>

#include "Sweep.h"
#include "cubic/ClassicData.h"
#include "cubic/ClassicalCubic0.h"
#include "numerics/TextCapture.h"
#include "vle/IFP.h"

namespace vornex::sweep {
namespace {

// The cubic classes with the table's constants, by the name a configuration line shows.
struct CubicClass {
    const char* name;
    const CubicFamily* family;
};
const CubicClass kClasses[] = {{"PR", &kPengRobinson}, {"SRK", &kSoaveRedlichKwong}};

// The component table, read from the rows of its source: a component added there joins
// the sweep. Each name is the formula (the alias) where the row has one.
std::vector<std::string> componentTable() {
    std::ifstream in(std::string(VORNEX_SOURCE_DIR) + "/src/cubic/ClassicalCubic0.cpp");
    std::stringstream s;
    s << in.rdbuf();
    const std::string text = s.str();
    const std::size_t from = text.find("kClassicRows[] = {");
    const std::size_t to = text.find("};", from);
    std::vector<std::string> names;
    if (from == std::string::npos || to == std::string::npos) return names;
    const std::string table = text.substr(from, to - from);
    const std::regex row(R"re(\{"([^"]+)", (?:"([^"]+)"|nullptr))re");
    for (std::sregex_iterator i(table.begin(), table.end(), row), end; i != end; ++i) {
        const std::string name = (*i)[2].matched ? (*i)[2].str() : (*i)[1].str();
        if (findClassicRow(name.c_str()) != nullptr) names.push_back(name);
    }
    return names;
}

struct Mixture {
    std::unique_ptr<ClassicalCubic0> liquid, vapour;
    std::unique_ptr<IFP> ifp;
    Mixture(const CubicFamily& family, const std::vector<std::string>& names) {
        for (auto* f : {&liquid, &vapour}) {
            *f = std::make_unique<ClassicalCubic0>(family, f == &liquid ? 2 : 1);
            (*f)->number_of_components(static_cast<int>(names.size()));
            for (const auto& n : names) (*f)->add_component(n.c_str());
        }
        ifp = std::make_unique<IFP>(*liquid, *vapour);
        ifp->number_of_components(static_cast<int>(names.size()));
        for (const auto& n : names) ifp->add_component(n.c_str());
    }
    int bubble(double T, const std::vector<double>& z) {
        for (int i = 0; i < ifp->n; ++i) ifp->composition(i, z[static_cast<std::size_t>(i)]);
        ifp->set_type_of_problem(13);
        ifp->set_the_temperature(T);
        ifp->set_the_vaporization_ratio(0.0);
        test::outputOf([&] { ifp->calculateVLE(2); });
        return ifp->status;
    }
};

std::vector<double> lnFugacities(ClassicalCubic0& f, double T, double P,
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

// A status-0 bubble point closes its residuals: the liquid is the feed, the vapour another
// composition of the same fugacities.
void checkBubble(Checks& c, Mixture& m, double T, const std::vector<double>& z) {
    const int status = m.bubble(T, z);
    const std::string where = "T " + num(T) + " K, " + feedText(z);
    if (status != 0) return;
    const auto& s = m.ifp->current;
    bool finite = std::isfinite(s.P) && s.P > 0;
    for (double v : s.x) finite = finite && std::isfinite(v);
    for (double v : s.y) finite = finite && std::isfinite(v);
    if (!c.check("status-0 answer is finite", finite, where)) return;
    const auto lnl = lnFugacities(*m.liquid, T, s.P, s.x), lnv = lnFugacities(*m.vapour, T, s.P, s.y);
    double gap = lnl.empty() || lnv.empty() ? 1.0 : 0.0, apart = 0.0;
    for (std::size_t i = 0; i < lnl.size() && i < lnv.size(); ++i) {
        gap = std::max(gap, std::fabs(lnl[i] - lnv[i]));
        apart += std::fabs(s.x[i] - s.y[i]);
    }
    c.check("status-0 answer closes its residuals", gap < 1e-6 && apart > 1e-9,
            where + ": P " + num(s.P * 1e-5) + " bar, ln f gap " + num(gap));
    // Stable on the tangent plane: no trial phase of a binary, liquid-like or vapour-like,
    // lies below the plane the feed's fugacities span.
    if (lnl.size() != 2) return;
    double lowest = 0, at = 0;
    const int n = c.budget().points(60, 12);
    for (ClassicalCubic0* trial : {m.liquid.get(), m.vapour.get()})
        for (int k = 1; k < n; ++k) {
            const std::vector<double> w = {double(k) / n, 1.0 - double(k) / n};
            const auto lnw = lnFugacities(*trial, T, s.P, w);
            if (lnw.empty()) continue;
            const double tpd = w[0] * (lnw[0] - lnl[0]) + w[1] * (lnw[1] - lnl[1]);
            if (tpd < lowest) lowest = tpd, at = w[0];
        }
    c.check("status-0 answer stable on the tangent plane", lowest > -1e-7,
            where + ": P " + num(s.P * 1e-5) + " bar, a trial of x0 " + num(at) + " lies " +
                num(lowest) + " RT below");
}

// The isotherm file's rows after BEGIN: T P x0 x1 y0 y1 Vl Vv dPdx.
std::vector<std::vector<double>> isothermRows(const std::string& path) {
    std::vector<std::vector<double>> rows;
    std::ifstream in(path);
    std::string line;
    bool body = false;
    while (std::getline(in, line)) {
        if (line == "BEGIN") {
            body = true;
            continue;
        }
        if (line == "END") break;
        if (!body) continue;
        std::istringstream words(line);
        std::vector<double> row;
        for (std::string w; words >> w;) row.push_back(std::strtod(w.c_str(), nullptr));
        rows.push_back(row);
    }
    return rows;
}

void checkIsotherm(Checks& c, const CubicFamily& family, const std::vector<std::string>& names,
                   double T, double x0, double dx) {
    Mixture m(family, names);
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
        for (double& v : key) v = std::round(v * 1e9) / 1e9;
        once = seen.insert(key).second && once;
    }
    c.check("isotherm rows have no NaN", finite, where);
    // A row at a pure end is that component's own saturation: its vapour pressure.
    for (const auto& r : rows) {
        if (r.size() < 6 || !std::isfinite(r[2])) continue;
        // Both phases all but one component (the vapour of a component far the lighter
        // holds it long after the liquid has lost it).
        const int pure = r[2] > 1 - 1e-12 && r[4] > 1 - 1e-9 ? 0
                         : r[2] < 1e-12 && r[4] < 1e-9   ? 1
                                                         : -1;
        if (pure < 0) continue;
        ClassicalCubic0 alone(family, 2);
        alone.number_of_components(1);
        alone.add_component(names[static_cast<std::size_t>(pure)].c_str());
        const double Psat = alone.calculateTheSaturationPressure(T) * 1e-5;
        if (!std::isfinite(Psat)) continue;  // below the component's own saturation curve
        c.check("isotherm's pure end is the component's saturation",
                std::fabs(r[1] / Psat - 1) < 1e-5,
                where + ": pure " + names[static_cast<std::size_t>(pure)] + " row P " + num(r[1]) +
                    " bar, x " + num(r[2]) + ", y " + num(r[4]) + "; its Psat " + num(Psat));
    }
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
}

void checkMixture(Checks& c, const CubicFamily& family, const std::vector<std::string>& names) {
    const Budget& b = c.budget();
    double Tmin = 1e9, Tmax = 0;
    for (const auto& n : names) {
        const ClassicRow* r = findClassicRow(n.c_str());
        Tmin = std::min(Tmin, r->Tc);
        Tmax = std::max(Tmax, r->Tc);
    }
    const std::size_t nc = names.size();
    Mixture m(family, names);
    std::vector<std::string> reversedNames(names.rbegin(), names.rend());
    Mixture r(family, reversedNames);
    const int nT = b.points(6, 2), nz = b.points(9, 3);
    for (int i = 0; i < nT; ++i) {
        // From well below the lighter component's critical temperature into the critical
        // region of the mixture.
        const double T = Tmin * (0.6 + 0.5 * (i + 0.5) / nT);
        for (int k = 0; k < nz; ++k) {
            const double w = (k + 0.5) / nz;
            std::vector<double> z(nc, (1.0 - w) / double(nc - 1));
            z[k % nc] = w;
            checkBubble(c, m, T, z);
            const int s1 = m.ifp->status;
            const double P1 = m.ifp->current.P;
            std::vector<double> zr(z.rbegin(), z.rend());
            checkBubble(c, r, T, zr);
            const int s2 = r.ifp->status;
            const double P2 = r.ifp->current.P;
            c.check("component order changes nothing",
                    (s1 == 0) == (s2 == 0) && (s1 != 0 || std::fabs(P1 / P2 - 1) < 1e-6),
                    "T " + num(T) + " K, " + feedText(z) + ": status " + num(s1) + "/" + num(s2) +
                        ", P " + num(P1 * 1e-5) + "/" + num(P2 * 1e-5) + " bar");
        }
    }
    if (nc != 2) return;
    const double T = 0.8 * Tmin;
    for (auto [x0, dx] : {std::pair{0.0, 0.02}, std::pair{1.0, -0.02}, std::pair{0.5, 0.02},
                          std::pair{0.5, -0.02}})
        checkIsotherm(c, family, names, T, x0, dx);
}

}  // namespace

void addMixtureConfigurations(std::vector<Configuration>& out) {
    const std::vector<std::string> table = componentTable();
    std::vector<std::vector<std::string>> systems;
    for (std::size_t i = 0; i < table.size(); ++i)
        for (std::size_t j = i + 1; j < table.size(); ++j) systems.push_back({table[i], table[j]});
    // A ternary and a five-component feed of the table's first rows.
    if (table.size() >= 5) {
        systems.push_back({table[0], table[1], table[2]});
        systems.push_back({table[0], table[1], table[2], table[3], table[4]});
    }
    for (const CubicClass& k : kClasses)
        for (const auto& s : systems) {
            std::string line = std::string("cubic ") + k.name;
            for (const auto& n : s) line += " " + n;
            const CubicFamily* family = k.family;
            out.push_back({"cubic", line, [family, s](Checks& c) { checkMixture(c, *family, s); }});
        }
}

}  // namespace vornex::sweep
