// Nodes on the input variables (FVar, KVar) and the named node arrays with their allocators.
#include <gtest/gtest.h>

#include "NodeTestSupport.h"
#include "expression/ExprArrays.h"
#include "expression/Function.h"
#include "expression/UnOp.h"

namespace vornex {
namespace {

using testing::printed;
using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

class VariableNodes : public ::testing::Test {
   protected:
    std::string formula(double a, double b, int k = 1) {
        FVar v;
        v.setName("N");
        v.variableIndex = k;
        v.set_scalars2(a, b);
        return printed([&](FILE* f) { v.printFormula(f); });
    }
};

TEST_F(VariableNodes, FVarFormulaCases) {
    EXPECT_EQ(formula(1, 0), "N = var(1)\n");
    EXPECT_EQ(formula(1, 2.5), "N = var(1) + 2.5\n");
    EXPECT_EQ(formula(1, -2.5), "N = var(1)   -2.5\n");
    EXPECT_EQ(formula(3, 0), "N = 3 var(1)\n");
    EXPECT_EQ(formula(0, 4), "N = 4\n");
    EXPECT_EQ(formula(0, 0), "N = 0 var(1)\n");
    EXPECT_EQ(formula(2, -1), "N = 2 var(1)   -1\n");
    EXPECT_EQ(formula(2, 1), "N = 2 var(1) + 1\n");
}

TEST_F(VariableNodes, FVarIsLinearInItsVariableOnly) {
    FVar v;
    v.variableIndex = 1;
    v.set_scalars2(2, -1);
    v.number_of_variables(3);
    double x[] = {5, 4, 3};
    v.set_variable_values(x);
    v.calculate(0);  // the slope is written whatever the order
    EXPECT_EQ(v.value(), 7.0);
    EXPECT_EQ(v.d1(1), 2.0);
    EXPECT_TRUE(v.isDependent(1));
    EXPECT_FALSE(v.isDependent(0));
    EXPECT_EQ(v.d2(1, 1), 0.0);
}

TEST_F(VariableNodes, UnlinkedFVarSaysSoAndKeepsItsValue) {
    FVar v;
    v.setName("v");
    v.number_of_variables(2);
    double x[] = {5, 4};
    v.set_variable_values(x);
    EXPECT_EQ(v.variableValue, 0.0);
    CaptureStderr();
    v.calculate(1);
    v.calculate(1);
    EXPECT_EQ(GetCapturedStderr(),
              "Error : \"v\" is not linked to a variable.\n"
              "Error : \"v\" is not linked to a variable.\n");
    EXPECT_EQ(v.value(), 0.0);
    EXPECT_EQ(printed([&](FILE* f) { v.check_pointers(f); }),
              "Error : \"v\" is not linked to a variable.\n");
}

TEST_F(VariableNodes, IndexPastTheVariablesIsNotRead) {
    // Regression: an index beyond the sized variables read and wrote outside the arrays.
    FVar v;
    v.variableIndex = 5;
    v.number_of_variables(2);
    double x[] = {1, 2};
    v.set_variable_values(x);
    CaptureStderr();
    v.calculate(1);
    EXPECT_FALSE(GetCapturedStderr().empty());
    EXPECT_FALSE(v.computed);
}

TEST_F(VariableNodes, ConstantHasNoDependencyAndNoDerivative) {
    KVar k;
    k.set_scalars1(2.5);
    k.setName("k");
    Square sq;
    sq.tie1(k);
    k.holdAsMember();
    testing::evaluate(sq, {1, 2}, 4);
    EXPECT_EQ(sq.value(), 6.25);
    EXPECT_EQ(sq.d1(0), 0.0);
    EXPECT_FALSE(sq.isDependent(0));
    EXPECT_EQ(printed([&](FILE* f) { k.printFormula(f); }), "k = 2.5\n");
}

// ---------------------------------------------------------------- arrays

class NodeArrays : public ::testing::Test {};

TEST_F(NodeArrays, ElementsAreNamedAfterTheArray) {
    Expr2 k;
    k.setSize(3);
    Leaf a, b;
    k.at(1, 0) = &a;
    k.setName(1, 0);  // no base name yet: nothing
    EXPECT_EQ(a.getName(), nullptr);
    k.setName("k");
    k.setName(1, 0);
    EXPECT_STREQ(a.getName(), "k(1,0)");
    CaptureStderr();
    k.setName(1, 0);
    EXPECT_EQ(GetCapturedStderr(), "Rename k(1,0) expression to k(1,0) ?\n");
    Expr5 e;
    e.setSize(12);
    e.setName("e");
    e.at(11, 10, 10, 3, 0) = &b;
    e.setName(11, 10, 10, 3, 0);
    EXPECT_STREQ(b.getName(), "e(11,10,10,3,0)");
    k.check_index(2, 0);
    k.check_index(2, 2);
}

TEST_F(NodeArrays, IndexOutOfOrderEndsTheProcess) {
    Expr2 k;
    k.setSize(3);
    k.setName("k");
    EXPECT_EXIT(k.check_index(1, 2), ::testing::ExitedWithCode(1),
                "Expression 1D k :\n\tIndex \\(j\\) 2 than index \\(i\\) 1.\n");
    EXPECT_EXIT(k.check_index(3, 0), ::testing::ExitedWithCode(1),
                "\tIndex 3 too high for the dimension \\(3\\).\n"
                "\tYou have probably missed a setSize instruction.\n");
    Expr3 t;
    t.setSize(2);
    EXPECT_EXIT(t.check_index(1, 1, -1), ::testing::ExitedWithCode(1), "Expression 1D noname");
}

TEST_F(NodeArrays, DestroyingAnArrayLeavesItsNodes) {
    auto* leaf = new Leaf;
    {
        Expr1 a;
        a.setSize(2);
        a.at(1) = leaf;
    }
    leaf->setName("alive");
    EXPECT_STREQ(leaf->getName(), "alive");
    delete leaf;
}

TEST_F(NodeArrays, AllocatorsGiveNullSlotsInTheSymmetricShapes) {
    Expression*** pair = nullptr;
    expression_sym2alloc(&pair, 4);
    EXPECT_EQ(pair[3] - pair[0], 6);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j <= i; ++j) EXPECT_EQ(pair[i][j], nullptr);
    expression_sym2free(&pair);
    Expression***** quad = nullptr;
    expression_sym4alloc(&quad, 3);
    EXPECT_EQ(quad[2][2][1][1], nullptr);
    expression_sym4free(&quad, 3);
    Expression** list = nullptr;
    expression_allocate(&list, 5);
    EXPECT_EQ(list[4], nullptr);
    expression_free(&list);
    EXPECT_EQ(list, nullptr);
}

}  // namespace
}  // namespace vornex
