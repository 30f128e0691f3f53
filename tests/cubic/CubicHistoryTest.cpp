// The cubic fluids in the history-independence suite: a mixture's derivatives after
// composition changes, amounts set instead of fractions, a fresh pure fluid's density.
#include <memory>

#include "cubic/ClassicalCubic0.h"
#include "cubic/HCubic.h"
#include "cubic/TermCubic.h"
#include "support/HistoryIndependenceSuite.h"

namespace vornex {
namespace {

using testing_support::fluidOf;
using testing_support::HistoryModel;

VORNEX_HISTORY_SUITE(
    Cubics,
    HistoryModel{"PRSV_H2O_CO2", fluidOf<PRSV>({"H2O", "CO2"}, 2, 0), {{300, 1}, {500, 100}},
                 {{400, 1e-3}, {300, 2.2e-5}}, {{0.99, 0.01}, {0.5, 0.5}, {0.1, 0.9}}},
    HistoryModel{"SRK1_CH4_CO2", fluidOf<SRK1>({"CH4", "CO2"}, 1, 0), {{300, 50}, {400, 10}},
                 {{400, 1e-3}}, {{0.35, 0.65}, {0.9, 0.1}}},
    HistoryModel{"DaridonEOS_H2O_CH4", fluidOf<DaridonEOS>({"H2O", "CH4"}, 2), {{300, 1}, {500, 100}},
                 {{400, 1e-3}}, {{0.99, 0.01}, {0.2, 0.8}}},
    HistoryModel{"PRNirma_H2O", fluidOf<PRNirma>({"H2O"}, 2, 2, 0), {{300, 1}, {700, 300}},
                 {{400, 1e-3}, {600, 1e-4}}, {}, 450},
    HistoryModel{"PRSV_H2O", fluidOf<PRSV>({"H2O"}, 2, 0), {{300, 1}, {700, 300}}, {{400, 1e-3}},
                 {}, 450},
    HistoryModel{"ClassicalSRK_CH4", fluidOf<ClassicalSRK>({"CH4"}, 1), {{300, 50}}, {{400, 1e-3}},
                 {}, 150},
    HistoryModel{"TwoPar_CH4", fluidOf<TwoPar>({"CH4"}, 1), {{300, 50}}, {{400, 1e-3}}, {}, 0});

}  // namespace
}  // namespace vornex
