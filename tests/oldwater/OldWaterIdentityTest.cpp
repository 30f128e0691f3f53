// The four older water formulations in the identity suite of every equation of state.
#include "oldwater/HGK.h"
#include "oldwater/Hill.h"
#include "oldwater/Keenan.h"
#include "oldwater/Saul.h"
#include "support/EosIdentitySuite.h"

namespace vornex {
namespace {

using testing_support::EosModel;

template <class Model>
EosModel water(const char* name) {
    return {name,
            [] { return std::make_unique<Model>(2); },
            {{300.0, 1.807e-5}, {500.0, 2.0e-5}, {500.0, 2e-3}, {800.0, 1e-4}, {1000.0, 5e-4}},
            450.0};
}

VORNEX_EOS_IDENTITY_SUITE(OldWater, water<HGK>("HGK"), water<Hill>("Hill"), water<Saul>("Saul"),
                          water<Keenan>("Keenan"));

}  // namespace
}  // namespace vornex
