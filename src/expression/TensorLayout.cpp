#include "expression/TensorLayout.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace vornex {

TensorLayout::TensorLayout(int nVariables, int highestOrder) : n(nVariables) {
    maxOrder = std::clamp(highestOrder, 0, kMaxDerivativeOrder);
    if (n <= 0) maxOrder = 0;
    offset[0] = 0;
    for (int k = 0; k <= kMaxDerivativeOrder; ++k) {
        offset[k + 1] = offset[k] + (k <= maxOrder ? tensorEntries(k, n) : 0);
    }
}

int TensorLayout::diagonal(int var, int order) const {
    switch (order) {
        case 1:
            return at(var);
        case 2:
            return at(var, var);
        case 3:
            return at(var, var, var);
        case 4:
            return at(var, var, var, var);
        default:
            return 0;
    }
}

int TensorLayout::end(int order) const {
    return offset[std::clamp(order, 0, maxOrder) + 1];
}

IndexPlan::IndexPlan(const TensorLayout& layout, std::vector<int> variables)
    : layout_(layout), variables_(std::move(variables)) {
    const std::vector<int>& v = variables_;
    const int m = static_cast<int>(v.size());
    const TensorLayout& L = layout_;
    if (L.maxOrder >= 1) {
        for (int a = 0; a < m; ++a) tables_[1].push_back(L.at(v[a]));
    }
    if (L.maxOrder >= 2) {
        for (int a = 0; a < m; ++a) {
            for (int b = 0; b <= a; ++b) {
                const int i = v[a], j = v[b];
                tables_[2].insert(tables_[2].end(), {L.at(i, j), L.at(i), L.at(j)});
            }
        }
    }
    if (L.maxOrder >= 3) {
        for (int a = 0; a < m; ++a) {
            for (int b = 0; b <= a; ++b) {
                for (int c = 0; c <= b; ++c) {
                    const int i = v[a], j = v[b], k = v[c];
                    tables_[3].insert(tables_[3].end(), {L.at(i, j, k), L.at(i), L.at(j), L.at(k),
                                                         L.at(i, j), L.at(i, k), L.at(j, k)});
                }
            }
        }
    }
    if (L.maxOrder >= 4) {
        for (int a = 0; a < m; ++a) {
            for (int b = 0; b <= a; ++b) {
                for (int c = 0; c <= b; ++c) {
                    for (int d = 0; d <= c; ++d) {
                        const int i = v[a], j = v[b], k = v[c], l = v[d];
                        tables_[4].insert(
                            tables_[4].end(),
                            {L.at(i, j, k, l), L.at(i), L.at(j), L.at(k), L.at(l), L.at(i, j),
                             L.at(i, k), L.at(i, l), L.at(j, k), L.at(j, l), L.at(k, l),
                             L.at(i, j, k), L.at(i, j, l), L.at(i, k, l), L.at(j, k, l)});
                    }
                }
            }
        }
    }
    for (int k = 1; k <= kMaxDerivativeOrder; ++k) {
        rowCount_[k] = static_cast<int>(tables_[k].size()) / kRowWidth[k];
    }
    // Runs of written positions: the value, then the own positions order by order, which
    // increase through the block.
    std::vector<int> positions{0};
    for (int k = 0; k <= kMaxDerivativeOrder; ++k) {
        if (k > 0) {
            for (int r = 0; r < rowCount_[k]; ++r)
                positions.push_back(tables_[k][r * kRowWidth[k]]);
        }
        std::vector<Run>& runs = runs_[k];
        for (int p : positions) {
            if (!runs.empty() && runs.back().last == p) {
                runs.back().last = p + 1;
            } else {
                runs.push_back({p, p + 1});
            }
        }
        positions.clear();
        if (k < kMaxDerivativeOrder) runs_[k + 1] = runs;
    }
}

int IndexPlan::clampOrder(int order) const {
    return std::clamp(order, 0, layout_.maxOrder);
}

std::shared_ptr<const IndexPlan> IndexPlan::get(const TensorLayout& layout, const int* flags) {
    // One plan per pattern for the whole process: graphs built in several threads at once
    // share them (a plan does not change once made).
    static std::mutex guard;
    static std::map<std::vector<int>, std::shared_ptr<const IndexPlan>> cache;
    std::vector<int> key{layout.n, layout.maxOrder};
    std::vector<int> variables;
    for (int i = 0; i < layout.n; ++i) {
        const int dependent = flags && flags[i] ? 1 : 0;
        key.push_back(dependent);
        if (dependent) variables.push_back(i);
    }
    const std::lock_guard<std::mutex> lock(guard);
    auto found = cache.find(key);
    if (found != cache.end()) return found->second;
    auto plan = std::make_shared<const IndexPlan>(layout, std::move(variables));
    cache.emplace(std::move(key), plan);
    return plan;
}

}  // namespace vornex
