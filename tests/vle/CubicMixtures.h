// Peng-Robinson mixtures of the built-in component table for the two-phase solver, and an
// independent flash on the same models: Wilson's K-values, successive substitution on the
// models' fugacity coefficients and a bisected Rachford-Rice equation.
#pragma once

#include <cmath>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cubic/ClassicalCubic0.h"
#include "numerics/TextCapture.h"
#include "vle/IFP.h"

namespace vornex::testing {

inline std::unique_ptr<ClassicalCubic0> pengRobinson(const std::vector<std::string>& names,
                                                     int selector,
                                                     const CubicFamily& family = kPengRobinson) {
    auto f = std::make_unique<ClassicalCubic0>(family, selector);
    f->number_of_components(static_cast<int>(names.size()));
    for (const auto& name : names) f->add_component(name.c_str());
    return f;
}

// A fresh solver on a liquid and a vapour model (Peng-Robinson unless another family is
// given): nothing set but the components.
struct CubicMixture {
    std::unique_ptr<ClassicalCubic0> liquid, vapour;
    std::unique_ptr<IFP> ifp;
    explicit CubicMixture(const std::vector<std::string>& names,
                          const CubicFamily* family = nullptr)
        : liquid(pengRobinson(names, 2, family ? *family : kPengRobinson)),
          vapour(pengRobinson(names, 1, family ? *family : kPengRobinson)) {
        ifp = std::make_unique<IFP>(*liquid, *vapour);
        ifp->number_of_components(static_cast<int>(names.size()));
        for (const auto& name : names) ifp->add_component(name.c_str());
    }
    void feed(const std::vector<double>& z) {
        for (int i = 0; i < ifp->n; ++i) ifp->composition(i, z[static_cast<std::size_t>(i)]);
    }
    // Problem 13 with nV = 0 (bubble) or 31 with nV = 1 (dew) at T, from the default start.
    int saturation(bool bubble, double T, const std::vector<double>& z) {
        feed(z);
        ifp->set_type_of_problem(bubble ? 13 : 31);
        ifp->set_the_temperature(T);
        ifp->set_the_vaporization_ratio(bubble ? 0.0 : 1.0);
        ifp->calculateVLE(2);
        return ifp->status;
    }
    int flash(double T, double Pbar, const std::vector<double>& z) {
        feed(z);
        ifp->set_type_of_problem(12);
        ifp->set_the_temperature(T);
        ifp->set_the_pressure(Pbar);
        ifp->calculateVLE(2);
        return ifp->status;
    }
};

// The numeric rows of a text file: lines whose first word is a number, or "nan".
inline std::vector<std::vector<double>> numericRows(const std::string& path) {
    std::vector<std::vector<double>> rows;
    std::istringstream in(test::readFile(path));
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<double> row;
        for (std::string w; words >> w;) {
            char* end = nullptr;
            const double v = std::strtod(w.c_str(), &end);
            if (end == w.c_str() || *end != '\0') break;
            row.push_back(v);
        }
        if (!row.empty()) rows.push_back(row);
    }
    return rows;
}

struct FlashResult {
    bool converged = false;
    double Fv = 0.0;
    std::vector<double> x, y;
};

// ln phi_i of model f at T (K), P (bar) and composition c.
inline std::vector<double> lnPhiOf(ClassicalCubic0& f, double T, double Pbar,
                                   const std::vector<double>& c) {
    f.temperature(T);
    f.pressure(Pbar);
    for (int i = 0; i < f.nc; ++i) f.composition_of_component(i, c[static_cast<std::size_t>(i)]);
    f.error = 0;
    f.calculate_molar_volume();
    f.calculate_fugacities();
    return f.lnPhi;
}

inline FlashResult independentFlash(const std::vector<std::string>& names, double T, double Pbar,
                                    const std::vector<double>& z) {
    auto l = pengRobinson(names, 2), v = pengRobinson(names, 1);
    const std::size_t n = z.size();
    std::vector<double> K(n);
    for (std::size_t i = 0; i < n; ++i)
        K[i] = l->Pc[i] / (Pbar * 1e5) * std::exp(5.373 * (1.0 + l->omega[i]) * (1.0 - l->Tc[i] / T));
    FlashResult r;
    for (int iteration = 0; iteration < 20000; ++iteration) {
        auto g = [&](double F) {
            double s = 0.0;
            for (std::size_t i = 0; i < n; ++i) s += z[i] * (K[i] - 1.0) / (1.0 + F * (K[i] - 1.0));
            return s;
        };
        // Ratios that leave the feed in one phase still improve: the phase missing is taken
        // as an incipient one (bubble or dew side) until the ratios split the feed.
        const bool split = g(0.0) > 0.0 && g(1.0) < 0.0;
        r.Fv = g(0.0) <= 0.0 ? 0.0 : 1.0;
        if (split) {
            double a = 0.0, b = 1.0;
            for (int k = 0; k < 200; ++k) (g(0.5 * (a + b)) > 0.0 ? a : b) = 0.5 * (a + b);
            r.Fv = 0.5 * (a + b);
        }
        r.x.assign(n, 0.0);
        r.y.assign(n, 0.0);
        double sx = 0.0, sy = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            r.x[i] = z[i] / (1.0 + r.Fv * (K[i] - 1.0));
            r.y[i] = K[i] * r.x[i];
            sx += r.x[i];
            sy += r.y[i];
        }
        for (std::size_t i = 0; i < n; ++i) {
            r.x[i] /= sx;
            r.y[i] /= sy;
        }
        const auto pl = lnPhiOf(*l, T, Pbar, r.x), pv = lnPhiOf(*v, T, Pbar, r.y);
        if (l->error || v->error) return r;
        double change = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double Ki = std::exp(pl[i] - pv[i]);
            change = std::max(change, std::fabs(std::log(Ki / K[i])));
            K[i] = Ki;
        }
        if (change < 1e-12) {
            r.converged = split && l->V < v->V;
            return r;
        }
    }
    return r;
}

}  // namespace vornex::testing
