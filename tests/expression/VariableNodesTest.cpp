// Nodes on the input variables (FVar, KVar) and the named node arrays with their allocators.
#include <gtest/gtest.h>

#include <type_traits>

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

// Every slot of a nested shape, visited with indexes non-increasing: each is null when new
// and keeps a distinct pointer written into it (rows shared or too short would not; the
// sanitizer build sees any overrun, and a leak of a level the free routine forgot).
template <class P>
int slotsHoldTheirOwnPointers(P level, int top, Leaf* base, int& count, bool check) {
    int slots = 0;
    for (int i = 0; i <= top; ++i) {
        if constexpr (std::is_same_v<P, Expression**>) {
            if (check) {
                EXPECT_EQ(level[i], base + count);
            } else {
                EXPECT_EQ(level[i], nullptr);
                level[i] = base + count;
            }
            ++count;
            ++slots;
        } else {
            slots += slotsHoldTheirOwnPointers(level[i], i, base, count, check);
        }
    }
    return slots;
}

template <class P>
int slotsOf(P level, int n) {
    static Leaf base[32];
    int count = 0;
    const int written = slotsHoldTheirOwnPointers(level, n - 1, base, count, false);
    count = 0;
    EXPECT_EQ(slotsHoldTheirOwnPointers(level, n - 1, base, count, true), written);
    return written;
}

TEST(NodeArrays, PlainAndNestedAllocatorsHaveEverySlotOnceAndReleaseEveryLevel) {
    Expression** row = nullptr;
    expression_allocate(&row, 5);
    ASSERT_NE(row, nullptr);
    int count = 0;
    Leaf base[5];
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(row[i], nullptr);
        row[i] = base + count++;
    }
    for (int i = 0; i < 5; ++i) EXPECT_EQ(row[i], base + i);
    expression_free(&row);
    EXPECT_EQ(row, nullptr);
    expression_free(&row);  // a second release of the nulled pointer does nothing

    // C(n + k - 1, k) slots for k indexes over n components.
    Expression**** triple = nullptr;
    expression_sym3alloc(&triple, 4);
    EXPECT_EQ(slotsOf(triple, 4), 20);
    expression_sym3free(&triple, 4);
    EXPECT_EQ(triple, nullptr);

    Expression****** quintuple = nullptr;
    expression_sym5alloc(&quintuple, 3);
    EXPECT_EQ(slotsOf(quintuple, 3), 21);
    expression_sym5free(&quintuple, 3);
    EXPECT_EQ(quintuple, nullptr);

    expression_allocate(&row, 0);  // an empty array is still released
    expression_free(&row);
    expression_sym3alloc(&triple, 0);
    expression_sym3free(&triple, 0);
    EXPECT_EQ(triple, nullptr);
}

}  // namespace
}  // namespace vornex
