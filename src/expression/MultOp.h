// MultOp: base of the nodes with a variable number of children (Sum, Geom and the
// composition sums). It holds only the number of terms; each derived class declares its
// own child table.
#pragma once

#include <cstdarg>
#include <vector>

#include "expression/Expression.h"

namespace vornex {

class MultOp : public Operator {
   public:
    int32_t numberOfTerms = 0;

    // Stores n and nothing else.
    virtual void number_of_terms(int n) { numberOfTerms = n; }

   protected:
    // Stores child i of a table of numberOfTerms slots; a counted tie releases the child it
    // replaces and raises the new child's parent count. An index outside the table is
    // reported on standard error and nothing is stored.
    void storeChild(std::vector<Expression*>& table, int i, Expression* child, bool counted);
    // Stores `first` and numberOfTerms - 1 further node pointers of the argument list.
    void storeChildren(std::vector<Expression*>& table, Expression* first, va_list rest,
                       bool counted);
    // Reports every empty slot on standard error; true when all are tied.
    bool tableComplete(const std::vector<Expression*>& table);
    // Once: the children analysed first, then the flags as their OR.
    void analyzeTable(const std::vector<Expression*>& table);
    // The children's pointer checks in order; the first empty slot is reported on f and ends
    // the walk.
    void checkTable(FILE* f, const std::vector<Expression*>& table);
};

}  // namespace vornex
