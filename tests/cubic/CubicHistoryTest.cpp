// The cubic fluids in the history-independence suite: a mixture's derivatives after
// composition changes, amounts set instead of fractions, a fresh pure fluid's density.
#include <memory>

#include "cubic/ClassicalCubic0.h"
#include "cubic/HCubic.h"
#include "cubic/TermCubic.h"
#include "support/HistoryIndependenceSuite.h"

namespace vornex {
namespace {

using testing_support::HistoryModel;

template <class Model, class... Args>
std::function<std::unique_ptr<FluidPhase>()> fluid(std::vector<const char*> names, Args... args) {
    return [names, args...] {
        auto f = std::make_unique<Model>(args...);
        f->number_of_components(static_cast<int>(names.size()));
        for (const char* name : names) f->add_component(name);
        return std::unique_ptr<FluidPhase>(std::move(f));
    };
}

VORNEX_HISTORY_SUITE(
    Cubics,
    HistoryModel{"PRSV_H2O_CO2", fluid<PRSV>({"H2O", "CO2"}, 2, 0), {{300, 1}, {500, 100}},
                 {{400, 1e-3}, {300, 2.2e-5}}, {{0.99, 0.01}, {0.5, 0.5}, {0.1, 0.9}}},
    HistoryModel{"SRK1_CH4_CO2", fluid<SRK1>({"CH4", "CO2"}, 1, 0), {{300, 50}, {400, 10}},
                 {{400, 1e-3}}, {{0.35, 0.65}, {0.9, 0.1}}},
    HistoryModel{"DaridonEOS_H2O_CH4", fluid<DaridonEOS>({"H2O", "CH4"}, 2), {{300, 1}, {500, 100}},
                 {{400, 1e-3}}, {{0.99, 0.01}, {0.2, 0.8}}},
    HistoryModel{"PRNirma_H2O", fluid<PRNirma>({"H2O"}, 2, 2, 0), {{300, 1}, {700, 300}},
                 {{400, 1e-3}, {600, 1e-4}}, {}, 450},
    HistoryModel{"PRSV_H2O", fluid<PRSV>({"H2O"}, 2, 0), {{300, 1}, {700, 300}}, {{400, 1e-3}},
                 {}, 450},
    HistoryModel{"ClassicalSRK_CH4", fluid<ClassicalSRK>({"CH4"}, 1), {{300, 50}}, {{400, 1e-3}},
                 {}, 150},
    HistoryModel{"TwoPar_CH4", fluid<TwoPar>({"CH4"}, 1), {{300, 50}}, {{400, 1e-3}}, {}, 0});

}  // namespace
}  // namespace vornex
