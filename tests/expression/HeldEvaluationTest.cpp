// Evaluations started by the evaluation clock: every node is stale at each start, a node of
// the first variable alone keeps its results while a hold epoch lasts, and a request its
// held results do not cover (derivatives a pure evaluation in another variable skipped)
// computes it again.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "expression/BinOp.h"
#include "expression/Function.h"
#include "expression/UnOp.h"

namespace vornex {
namespace {

// exp(u) that counts its evaluations.
class CountingExponential : public Exponential {
   public:
    int calls = 0;

   protected:
    bool outer(double x, int order, double* f) override {
        ++calls;
        return Exponential::outer(x, order, f);
    }
};

// exp(T) V over the variables (T, V).
class HeldGraph : public ::testing::Test {
   protected:
    void SetUp() override {
        for (Expression* node : std::initializer_list<Expression*>{&T, &V, &e, &root})
            node->holdAsMember();
        T.variableIndex = 0;
        V.variableIndex = 1;
        e.set_scalars3(0.0, 1.0, 1.0);
        e.tie1(T);
        root.tie2(e, V);
        root.number_of_variables(2);
        root.analyze_dependencies();
    }
    void evaluate(int order, int var, uint64_t epoch) {
        EvaluationClock::beginEvaluation(order, var, epoch);
        root.set_variable_values(x);
        if (var < 0)
            root.calculate(order);
        else
            root.calculate(order, var);
        EvaluationClock::endEvaluation();
    }

    FVar T, V;
    CountingExponential e;
    Product root;
    double x[2] = {1.0, 3.0};
};

TEST_F(HeldGraph, TemperatureNodeComputedOncePerEpochAndRequest) {
    uint64_t epoch = EvaluationClock::newEpoch();
    evaluate(2, 1, epoch);
    evaluate(2, 1, epoch);
    EXPECT_EQ(e.calls, 1);
    EXPECT_DOUBLE_EQ(root.value(), 3.0 * std::exp(1.0));
    EXPECT_DOUBLE_EQ(root.d1(1), std::exp(1.0));
    // The pure evaluation in V skipped the T derivatives: a full one computes them.
    evaluate(2, -1, epoch);
    EXPECT_EQ(e.calls, 2);
    EXPECT_DOUBLE_EQ(root.d1(0), 3.0 * std::exp(1.0));
    EXPECT_DOUBLE_EQ(root.d2(0, 0), 3.0 * std::exp(1.0));
    EXPECT_DOUBLE_EQ(root.d2(1, 0), std::exp(1.0));
    evaluate(1, -1, epoch);
    EXPECT_EQ(e.calls, 2);
    // Another temperature is another epoch.
    x[0] = 2.0;
    epoch = EvaluationClock::newEpoch();
    evaluate(2, 1, epoch);
    EXPECT_EQ(e.calls, 3);
    EXPECT_DOUBLE_EQ(root.value(), 3.0 * std::exp(2.0));
}

TEST_F(HeldGraph, WithoutAnEpochOrInsideANestedEvaluationNothingIsHeld) {
    evaluate(2, 1, 0);
    evaluate(2, 1, 0);
    EXPECT_EQ(e.calls, 2);
    const uint64_t epoch = EvaluationClock::newEpoch();
    EvaluationClock::beginEvaluation(2, 1, epoch);
    {
        NestedEvaluation nested;
        EXPECT_EQ(EvaluationClock::heldEpoch, 0u);
    }
    EXPECT_EQ(EvaluationClock::heldEpoch, epoch);
    EvaluationClock::endEvaluation();
}

}  // namespace
}  // namespace vornex
