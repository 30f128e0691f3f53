#include "anderko/Repulsion.h"

namespace vornex {

Repulsion::~Repulsion() = default;

}  // namespace vornex
