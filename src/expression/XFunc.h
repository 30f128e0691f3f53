// Solution nodes of implicit functions: the nodes through which a quantity defined only
// implicitly, as the solution u of f(u, x) = 0, takes part in an ordinary graph. XFunc is
// component k of a system solved by a VectFunc, XFunc1 the same with the system's own
// variables v set through its v values, XFunc0 the solution of a MonoFunc. Their value and
// derivative tensors are written by the implicit-function object; the nodes forward the
// graph operations to it and own nothing: they count no parents and release nothing.
#pragma once

#include "expression/Function.h"

namespace vornex {

class VectFunc;
class MonoFunc;

class XFunc : public Function {
   public:
    // The system that computes this component (not owned) and the component's number.
    VectFunc* system = nullptr;
    int32_t index = 0;

    const char* getType() override { return "XFunc"; }
    void initialize_the_graph() override;
    void set_variable_values(double* x) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void printFormula(FILE* f) override;

   protected:
    // Without a system: "... is not linked." on standard error and the domain flag.
    bool linked();
};

class XFunc1 : public XFunc {
   public:
    void set_variable_values(double* v) override;
};

class XFunc0 : public Function {
   public:
    MonoFunc* function = nullptr;

    void initialize_the_graph() override;
    void set_variable_values(double* x) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void printFormula(FILE* f) override;

   private:
    bool linked();
};

}  // namespace vornex
