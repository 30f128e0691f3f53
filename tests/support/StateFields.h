// Every result field a state call of a fluid writes, read out as one list of numbers, so
// that two computations of the same state can be compared field by field.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fluid/FluidPhase.h"

namespace vornex::testing_support {

// Every result field of a state call: scalars, then the per-component arrays.
struct StateFields {
    int16_t error = 0;
    std::vector<double> values;
    std::vector<std::string> names;

    static StateFields of(FluidPhase& f) {
        StateFields s;
        s.error = f.error;
        for (auto& [name, value] : scalars(f)) {
            s.names.push_back(name);
            s.values.push_back(*value);
        }
        for (auto& [name, array] : arrays(f))
            for (size_t i = 0; i < array->size(); ++i) {
                s.names.push_back(name + "[" + std::to_string(i) + "]");
                s.values.push_back((*array)[i]);
            }
        return s;
    }
    static void poison(FluidPhase& f) {
        for (auto& entry : scalars(f)) *entry.second = kPoison;
        for (auto& entry : arrays(f))
            for (double& v : *entry.second) v = kPoison;
    }
    static constexpr double kPoison = -7.25e77;

   private:
    static std::vector<std::pair<std::string, double*>> scalars(FluidPhase& f) {
        return {{"V", &f.V},       {"P", &f.P},       {"Z", &f.Z},       {"rho", &f.rho},
                {"A", &f.A},       {"U", &f.U},       {"H", &f.H},
                {"S", &f.S},       {"G", &f.G},       {"Cv", &f.Cv},     {"Cp", &f.Cp},
                {"c", &f.soundSpeed}, {"dPdV", &f.dPdV}, {"dPdT", &f.dPdT}, {"dZdV", &f.dZdV},
                {"dZdT", &f.dZdT}, {"dZdP", &f.dZdP}, {"dVdT", &f.dVdT}, {"dVdP", &f.dVdP},
                {"JT", &f.jouleThomson}};
    }
    static std::vector<std::pair<std::string, std::vector<double>*>> arrays(FluidPhase& f) {
        return {{"phi", &f.fugacityCoefficient}, {"f", &f.fugacity}, {"lnPhi", &f.lnPhi},
                {"dfdT", &f.dfdT},               {"dfdP", &f.dfdP},  {"dfdV", &f.dfdV},
                {"dPdx", &f.dPdx},               {"dVdx", &f.dVdx}};
    }
};

}  // namespace vornex::testing_support
