#include "fluid/VenturiInteraction.h"

#include <algorithm>

namespace vornex {

VenturiInteraction::VenturiInteraction() {
    setModelName("Venturi");
    for (Expression* node : std::initializer_list<Expression*>{
             &temperatureLeaf_, &inverse_, &composition_, &volumeLeaf_, &logarithm_, &product_})
        node->holdAsMember();
    temperatureLeaf_.set_scalars2(kGasConstant, 0.0);
    volumeLeaf_.set_scalars2(1.0, 0.0);
    logarithm_.set_scalars3(1.0, 0.0, 0.0);
    product_.set_scalars1(1.0);
    inverse_.set_scalars1(0.0);

    auto* top = new Product();
    top->set_scalars1(1.0);
    top->tie2(inverse_, product_);
    inverse_.tie1(temperatureLeaf_);
    product_.tie2(composition_, logarithm_);
    logarithm_.tie1(volumeLeaf_);
    root = top;
}

VenturiInteraction::~VenturiInteraction() {
    // The heap root releases its children; the members are never deleted by it.
    delete root;
    root = nullptr;
}

void VenturiInteraction::number_of_components(int count) {
    Interaction::number_of_components(count);
    if (count < 1) return;
    coefficients.assign(static_cast<size_t>(count), 0.0);
    temperatureLeaf_.variableIndex = 0;
    temperatureLeaf_.set_scalars2(kGasConstant, 0.0);
    volumeLeaf_.variableIndex = 1;
    composition_.defineXVariables(2, count);
    root->number_of_variables(count + 2);
}

void VenturiInteraction::calculate_fixed_parameters() {
    const size_t n = std::min(coefficients.size(), composition_.coefficients.size());
    std::copy_n(coefficients.begin(), n, composition_.coefficients.begin());
    inverse_.set_scalars1(w * w / 2.0);
}

}  // namespace vornex
