#include "expression/MultOp.h"
#include "numerics/Decimal.h"

namespace vornex {

void MultOp::storeChild(std::vector<Expression*>& table, int i, Expression* child, bool counted) {
    if (i < 0 || i >= static_cast<int>(table.size())) {
        vornex::cfprintf(stderr, "Error : index %d is outside the %d terms of \"%s\".\n", i,
                     static_cast<int>(table.size()), label());
        return;
    }
    if (counted) {
        release(table[i]);
        if (child) ++child->parentCount;
    }
    table[i] = child;
}

void MultOp::storeChildren(std::vector<Expression*>& table, Expression* first, va_list rest,
                           bool counted) {
    if (table.empty()) return;
    storeChild(table, 0, first, counted);
    for (int i = 1; i < static_cast<int>(table.size()); ++i) {
        storeChild(table, i, va_arg(rest, Expression*), counted);
    }
}

bool MultOp::tableComplete(const std::vector<Expression*>& table) {
    bool all = true;
    for (Expression* child : table) {
        if (child) continue;
        vornex::cfprintf(stderr, "Error : \"%s\" is not linked to another expression.\n", label());
        all = false;
    }
    return all;
}

void MultOp::analyzeTable(const std::vector<Expression*>& table) {
    if (analysed) return;
    for (Expression* child : table) {
        if (child) child->analyze_dependencies();
    }
    dependOn(table.data(), static_cast<int>(table.size()));
}

void MultOp::checkTable(FILE* f, const std::vector<Expression*>& table) {
    // Up to the first empty slot, which is reported and ends the walk.
    int tied = 0;
    while (tied < static_cast<int>(table.size()) && table[tied]) ++tied;
    checkChildren(f, table.data(), tied);
    if (tied < static_cast<int>(table.size())) {
        vornex::cfprintf(f, "Error : \"%s\" (%d) is not linked to another expression.\n", label(),
                     tied);
    }
}

}  // namespace vornex
