#include "anderko/Attraction.h"

namespace vornex {

Attraction::~Attraction() = default;

}  // namespace vornex
