// The library's two-phase solver on its closed-form cubics, and the check of an answer by
// the cubic written apart (IndependentCubic.h): equal fugacities of its two phases, and the
// lowest trial phase below their common tangent plane.
#pragma once

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "IndependentCubic.h"
#include "cubic/ClassicalCubic0.h"
#include "numerics/TextCapture.h"
#include "vle/IFP.h"

namespace vornex::testing {

// The library's solver on its cubic models, from its default (Raoult) start.
struct Library {
    std::unique_ptr<ClassicalCubic0> liquid, vapour;
    std::unique_ptr<IFP> ifp;
    Library(bool pengRobinson, const std::vector<std::string>& names) {
        auto make = [&](int kind) -> std::unique_ptr<ClassicalCubic0> {
            if (pengRobinson) return std::make_unique<ClassicalCubic0>(kPengRobinson, kind);
            return std::make_unique<ClassicalSRK>(kind);
        };
        liquid = make(2);
        vapour = make(1);
        for (auto* f : {liquid.get(), vapour.get()}) {
            f->number_of_components(static_cast<int>(names.size()));
            for (const auto& name : names) f->add_component(name.c_str());
        }
        ifp = std::make_unique<IFP>(*liquid, *vapour);
        ifp->number_of_components(static_cast<int>(names.size()));
        for (const auto& name : names) ifp->add_component(name.c_str());
    }
    // Problem type at the fixed value (K or bar), feed z: the status. Problems 13, 31, 23 and
    // 32 take the vapour fraction of their type's saturation point unless one is given.
    int solve(int type, double fixed, const std::vector<double>& z, double Fv = -1.0) {
        for (int i = 0; i < ifp->n; ++i) ifp->composition(i, z[static_cast<std::size_t>(i)]);
        ifp->set_type_of_problem(static_cast<short>(type));
        const bool atT = type == 13 || type == 31;
        if (atT)
            ifp->set_the_temperature(fixed);
        else
            ifp->set_the_pressure(fixed);
        ifp->set_the_vaporization_ratio(Fv >= 0.0 ? Fv : type == 13 || type == 23 ? 0.0 : 1.0);
        test::outputOf([&] { ifp->calculateVLE(2); });
        return ifp->status;
    }
};

// A flash at T (K) and P (bar) of feed z on the library's solver: the status.
inline int flash(Library& lib, double T, double Pbar, const std::vector<double>& z) {
    for (int i = 0; i < lib.ifp->n; ++i) lib.ifp->composition(i, z[static_cast<std::size_t>(i)]);
    lib.ifp->set_type_of_problem(12);
    lib.ifp->set_the_temperature(T);
    lib.ifp->set_the_pressure(Pbar);
    test::outputOf([&] { lib.ifp->calculateVLE(2); });
    return lib.ifp->status;
}

// ln f_i / P of the answer's liquid by the independent model, and its check: equal
// fugacities, and the lowest trial phase below that plane.
struct Judgement {
    double fugacityGap = 1e300;
    double belowPlane = 0.0;
    double Vl = 0.0, Vv = 0.0;
};

inline Judgement judge(const IndependentCubic& eos, const IFP& ifp) {
    Judgement j;
    std::vector<double> pl, pv;
    if (!eos.lnPhi(ifp.current.T, ifp.current.P, ifp.current.x, true, pl, &j.Vl) ||
        !eos.lnPhi(ifp.current.T, ifp.current.P, ifp.current.y, false, pv, &j.Vv))
        return j;
    std::vector<double> plane(eos.size());
    j.fugacityGap = 0.0;
    for (std::size_t i = 0; i < eos.size(); ++i) {
        plane[i] = std::log(ifp.current.x[i]) + pl[i];
        j.fugacityGap =
            std::max(j.fugacityGap, std::fabs(plane[i] - std::log(ifp.current.y[i]) - pv[i]));
    }
    j.belowPlane = lowestBelowPlane(eos, ifp.current.T, ifp.current.P, plane);
    return j;
}

}  // namespace vornex::testing
