#include "fluid/TermNodes.h"

namespace vornex {

TermNodes::~TermNodes() {
    while (!nodes_.empty()) nodes_.pop_back();
}

Expression* TermNodes::find(const std::string& name) const {
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
}

void tieWeighted(Sum& s, const std::vector<Expression*>& children,
                 const std::vector<double>& scalars, double constant) {
    const int n = static_cast<int>(children.size());
    s.number_of_terms(n);
    for (int i = 0; i < n; ++i) {
        s.tiei(i, *children[static_cast<size_t>(i)]);
        s.set_scalar(i, scalars[static_cast<size_t>(i)]);
    }
    s.set_scalar(n, constant);
}

}  // namespace vornex
