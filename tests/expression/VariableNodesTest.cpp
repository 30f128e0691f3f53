// Nodes on the input variables (FVar, KVar) and the named node arrays with their allocators.
#include <gtest/gtest.h>

#include "NodeTestSupport.h"
#include "expression/ExprArrays.h"
#include "expression/Function.h"
#include "expression/UnOp.h"

namespace vornex {
namespace {

using testing::printed;

TEST(VariableNodes, FVarFormulaCases) {
    const struct {
        double a, b;
        const char* line;
    } cases[] = {{0, 4, "N = 4\n"}, {2, -1, "N = 2 var(1)   -1\n"}};
    for (const auto& c : cases) {
        FVar v;
        v.setName("N");
        v.variableIndex = 1;
        v.set_scalars2(c.a, c.b);
        EXPECT_EQ(testing::formula(v), c.line);
    }
}

TEST(VariableNodes, FVarIsLinearInItsVariableOnly) {
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

TEST(VariableNodes, UnlinkedFVarSaysSoAndKeepsItsValue) {
    FVar v;
    v.setName("v");
    v.number_of_variables(2);
    double x[] = {5, 4};
    v.set_variable_values(x);
    EXPECT_EQ(v.variableValue, 0.0);
    EXPECT_EQ(testing::stderrOf([&] {
                  v.calculate(1);
                  v.calculate(1);
              }),
              "Error : \"v\" is not linked to a variable.\n"
              "Error : \"v\" is not linked to a variable.\n");
    EXPECT_EQ(v.value(), 0.0);
    EXPECT_EQ(printed([&](FILE* f) { v.check_pointers(f); }),
              "Error : \"v\" is not linked to a variable.\n");
}

TEST(VariableNodes, IndexPastTheVariablesIsNotRead) {
    // Regression: an index beyond the sized variables read and wrote outside the arrays.
    FVar v;
    v.variableIndex = 5;
    v.number_of_variables(2);
    double x[] = {1, 2};
    v.set_variable_values(x);
    EXPECT_FALSE(testing::stderrOf([&] { v.calculate(1); }).empty());
    EXPECT_FALSE(v.computed);
}

TEST(VariableNodes, ConstantHasNoDependencyAndNoDerivative) {
    KVar k;
    k.set_scalars1(2.5);
    k.setName("k");
    k.holdAsMember();
    Square sq;
    sq.tie1(k);
    testing::evaluate(sq, {1, 2}, 4);
    EXPECT_EQ(sq.value(), 6.25);
    EXPECT_EQ(sq.d1(0), 0.0);
    EXPECT_FALSE(sq.isDependent(0));
}

// ---------------------------------------------------------------- arrays

TEST(NodeArrays, ElementsAreNamedAfterTheArrayWhichLeavesThemAlive) {
    Leaf a;  // outlives the array: an array deleting its nodes would free it twice
    Expr2 k;
    k.setSize(3);
    k.at(1, 0) = &a;
    k.setName(1, 0);  // no base name yet: nothing
    EXPECT_EQ(a.getName(), nullptr);
    k.setName("k");
    k.setName(1, 0);
    EXPECT_STREQ(a.getName(), "k(1,0)");
    k.check_index(2, 0);
    k.check_index(2, 2);
}

TEST(NodeArrays, IndexOutOfOrderEndsTheProcess) {
    Expr2 k;
    k.setSize(3);
    k.setName("k");
    EXPECT_EXIT(k.check_index(1, 2), ::testing::ExitedWithCode(1),
                "Expression 1D k :\n\tIndex \\(j\\) 2 than index \\(i\\) 1.\n");
    EXPECT_EXIT(k.check_index(3, 0), ::testing::ExitedWithCode(1),
                "\tIndex 3 too high for the dimension \\(3\\).\n");
}

TEST(NodeArrays, AllocatorsGiveNullSlotsInTheSymmetricShapes) {
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
}

}  // namespace
}  // namespace vornex
