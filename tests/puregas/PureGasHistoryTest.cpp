// The pure-gas models in the history-independence suite.
#include <memory>

#include "puregas/AnderkoCO2.h"
#include "puregas/IUPACCH4.h"
#include "puregas/IUPACCO2.h"
#include "puregas/N2EOS.h"
#include "support/HistoryIndependenceSuite.h"

namespace vornex {
namespace {

using testing_support::HistoryModel;

template <class Model>
HistoryModel gas(const char* name, std::vector<std::array<double, 2>> tp,
                 std::vector<std::array<double, 2>> tv, double saturationT) {
    return {name, [] { return std::make_unique<Model>(1); }, std::move(tp), std::move(tv), {},
            saturationT};
}

VORNEX_HISTORY_SUITE(
    PureGas, gas<IUPACCO2>("IUPACCO2", {{350, 100}, {250, 50}}, {{350, 1.9e-4}}, 273.15),
    gas<IUPACCH4>("IUPACCH4", {{300, 100}, {150, 50}}, {{300, 2.1e-4}}, 150),
    gas<Jacobsen>("Jacobsen", {{300, 100}, {100, 50}}, {{300, 2.5e-4}}, 100),
    gas<AnderkoCO2>("AnderkoCO2", {{473.15, 200}}, {{473.15, 1e-4}}, 0));

}  // namespace
}  // namespace vornex
