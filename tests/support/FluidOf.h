// A maker of a fluid model of the given components, for the suites that build fresh models.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "fluid/FluidPhase.h"

namespace vornex::testing_support {

// A model of the given components, built by Model(args...).
template <class Model, class... Args>
std::function<std::unique_ptr<FluidPhase>()> fluidOf(std::vector<const char*> names, Args... args) {
    return [names, args...] {
        auto f = std::make_unique<Model>(args...);
        f->number_of_components(static_cast<int>(names.size()));
        for (const char* name : names) f->add_component(name);
        return std::unique_ptr<FluidPhase>(std::move(f));
    };
}

}  // namespace vornex::testing_support
