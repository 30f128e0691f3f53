// The node base: packed storage, evaluation protocol, walks over shared children, ownership
// by parent count, names and messages, the leaf-recomputation registration.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "NodeTestSupport.h"
#include "expression/BinOp.h"
#include "expression/Selector.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {
namespace {

using testing::evaluate;
using testing::Inputs;
using testing::printed;

TEST(NodeStorage, SizingAllocatesZeroedPackedTensorsOnce) {
    Leaf node;
    node.number_of_variables(3);
    EXPECT_EQ(node.layout().size(), 1 + 3 + 6 + 10 + 15);
    for (int p = 0; p < node.layout().size(); ++p) EXPECT_EQ(node.block()[p], 0.0);
    node.d2(2, 1) = 5;
    node.number_of_variables(3);  // same count: nothing changes
    EXPECT_EQ(node.d2(2, 1), 5.0);
}

TEST(NodeStorage, IndexSetsAreStoredOnceWithLargestIndexFirst) {
    Leaf node;
    node.number_of_variables(4);
    node.d3(2, 1, 0) = 7;
    EXPECT_EQ(node.dvp(0, 2, 1), &node.d3(2, 1, 0));
    EXPECT_EQ(node.dvp(1, 0, 2), &node.d3(2, 1, 0));
    EXPECT_EQ(node.dvp(0, 3, 1, 3), &node.d4(3, 3, 1, 0));
    EXPECT_EQ(node.dvp(0, 1), &node.d2(1, 0));
}

TEST(NodeStorage, LowerDerivativeOrderLimitsTheTensors) {
    Expression::sDerivOrder = 2;
    Leaf node;
    node.number_of_variables(3);
    Expression::sDerivOrder = 4;
    EXPECT_EQ(node.allocatedOrder(), 2);
    EXPECT_EQ(node.thirdDerivatives(), nullptr);
    EXPECT_EQ(node.layout().size(), 1 + 3 + 6);
}

TEST(NodeStorage, CleanAndCopyWorkOnOrdersUpToTheOneAsked) {
    Leaf a, b;
    a.number_of_variables(2);
    b.number_of_variables(2);
    for (int p = 0; p < a.layout().size(); ++p) a.block()[p] = p + 1;
    b.copy(&a, 2);
    EXPECT_EQ(b.value(), 1.0);
    EXPECT_EQ(b.d2(1, 1), a.d2(1, 1));
    EXPECT_EQ(b.d3(0, 0, 0), 0.0);
    a.clean(5);  // any other order: the value only
    EXPECT_EQ(a.value(), 0.0);
    EXPECT_NE(a.d1(0), 0.0);
    a.clean(3);
    EXPECT_EQ(a.d3(1, 1, 1), 0.0);
    EXPECT_NE(a.d4(0, 0, 0, 0), 0.0);
}

// ---------------------------------------------------------------- protocol and walks

// An input that counts how often the walks reach it.
class CountingVar : public FVar {
   public:
    int valueVisits = 0, resets = 0, calculations = 0;
    void set_variable_values(double* x) override {
        ++valueVisits;
        FVar::set_variable_values(x);
    }
    void reset() override {
        ++resets;
        FVar::reset();
    }
    void calculate(int order) override {
        if (!computed) ++calculations;
        FVar::calculate(order);
    }
};

class EvaluationProtocol : public ::testing::Test {
   protected:
    void SetUp() override {
        input.variableIndex = 0;
        input.holdAsMember();
    }
    CountingVar input;
};

TEST_F(EvaluationProtocol, SharedChildrenAreVisitedOncePerPass) {
    // 40 levels, each the sum of the level below with itself: 2^40 paths to the input.
    Expression* level = &input;
    for (int k = 0; k < 40; ++k) {
        level = testing::binary<Sum2>(level, level, 0.5, 0.5, 0.0);
    }
    Exponential root;
    root.set_scalars3(0, 1, 1);
    root.tiep1(level);
    evaluate(root, {0.25}, 4);
    EXPECT_EQ(input.valueVisits, 1);
    EXPECT_EQ(input.calculations, 1);
    EXPECT_NEAR(root.d4(0, 0, 0, 0), std::exp(0.25), 1e-14);
    root.reset();
    EXPECT_EQ(input.resets, 1);
    double again[] = {0.5};
    root.set_variable_values(again);
    EXPECT_EQ(input.valueVisits, 2);
}

TEST_F(EvaluationProtocol, ComputedNodeIsNotRecalculatedUntilInitialised) {
    Cube c;  // x^3 at 2
    c.tie1(input);
    evaluate(c, {2}, 0);  // order 0: the value only
    EXPECT_TRUE(c.computed);
    EXPECT_EQ(c.value(), 8.0);
    EXPECT_EQ(c.d1(0), 0.0);
    c.calculate(4);  // still computed: nothing changes
    EXPECT_EQ(c.d3(0, 0, 0), 0.0);
    c.initialize_the_graph();
    c.calculate(4);
    EXPECT_EQ(c.d3(0, 0, 0), 6.0);
}

TEST_F(EvaluationProtocol, MissingChildIsReportedAndNotUsed) {
    // Regression: after the "not linked" message the node went on through the null child.
    Square lonely;
    lonely.setName("lonely");
    lonely.number_of_variables(1);
    EXPECT_EQ(testing::stderrOf([&] {
                  lonely.calculate(2);
                  lonely.calculate(2, 0);
                  lonely.set_variable_values(nullptr);
              }),
              "Error : \"lonely\" is is not linked to another expression.\n"
              "Error : \"lonely\" is is not linked to another expression.\n"
              "Error : \"lonely\" is not linked.\n");
    EXPECT_FALSE(lonely.computed);

    Product half;
    half.tiep2(&input, nullptr);
    half.number_of_variables(1);
    EXPECT_EQ(printed([&](FILE* f) { half.check_pointers(f); }),
              "Error : \"noname\" (v) is not linked to another expression.\n");
}

// ---------------------------------------------------------------- ownership

// A node that records its destruction.
class Tracked : public Leaf {
   public:
    explicit Tracked(int* deaths) : deaths_(deaths) {}
    ~Tracked() override { ++*deaths_; }

   private:
    int* deaths_;
};

TEST(Ownership, HeapChildGoesWithItsLastParentOnly) {
    int deaths = 0;
    auto* leaf = new Tracked(&deaths);
    delete testing::over<Cube>(leaf);
    EXPECT_EQ(deaths, 1);
    leaf = new Tracked(&deaths);
    auto* a = testing::over<Cube>(leaf);
    auto* b = testing::over<Square>(leaf);
    EXPECT_EQ(leaf->parentCount, 2);
    delete a;
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(leaf->parentCount, 1);
    delete b;
    EXPECT_EQ(deaths, 2);
    leaf = new Tracked(&deaths);  // a product of a node with itself releases it twice
    auto* p = testing::binary<Product>(leaf, leaf);
    EXPECT_EQ(leaf->parentCount, 2);
    delete p;
    EXPECT_EQ(deaths, 3);
}

TEST(Ownership, MemberNodeIsNeverDeletedByItsParentsNorASelectorCountedOrReleased) {
    int deaths = 0;
    {
        Tracked member(&deaths), u(&deaths), v(&deaths);
        member.holdAsMember();
        delete testing::over<Cube>(&member);
        delete testing::over<Sum1>(&member);
        EXPECT_EQ(member.parentCount, 1);
        auto* s = new Selector;
        s->tie3(member, u, v);
        EXPECT_EQ(u.parentCount, 0);
        delete s;
        EXPECT_EQ(deaths, 0);
    }
    EXPECT_EQ(deaths, 3);
}

// ---------------------------------------------------------------- names and messages

TEST(NodeMessages, UnimplementedOperationsSayWhatAndChangeNothing) {
    Cube c;
    c.setName("c");
    Leaf u, v;
    EXPECT_EQ(testing::stderrOf([&] {
                  c.tie2(u, v);
                  c.set_scalars3(1, 2, 3);
              }),
              "Error : \"tie (Expression &, Expression &)\" is not implemented for c\n"
              "Error : \"set_scalars3 (double, double, double)\" is not implemented for c\n");
    EXPECT_EQ(c.u, nullptr);
    EXPECT_EQ(u.parentCount, 0);
}

// A node class that does not implement an operation keeps the base's: its message on
// standard error naming the node ("noname" without a name), and nothing else: nothing on
// standard output, the node's value, derivatives, name and count as they were, the arguments
// untied. The base operations that have nothing to do stay silent the same way.
TEST(NodeMessages, BaseDefaultsSayTheirMessageAndChangeNothingElse) {
    Expression e;
    e.setName("e");
    e.number_of_variables(2);
    const int size = e.layout().end(e.allocatedOrder());
    for (int k = 0; k < size; ++k) e.block()[k] = 0.5 + k;
    const std::vector<double> before(e.block(), e.block() + size);
    Leaf u, v;
    double x[] = {0.3, 0.7};
    const auto unchanged = [&](const std::string& what) {
        EXPECT_EQ(std::vector<double>(e.block(), e.block() + size), before) << what;
        EXPECT_STREQ(e.getName(), "e") << what;
        EXPECT_EQ(e.parentCount, 0) << what;
        EXPECT_EQ(u.parentCount + v.parentCount, 0) << what;
    };
    const std::pair<const char*, std::function<void()>> unimplemented[] = {
        {"tie (Expression &)", [&] { EXPECT_EQ(&e.tie1(u), &u); }},
        {"tie (Expression &, Expression &)", [&] { e.tie2(u, v); }},
        {"tie (Expression *, ... )", [&] { e.tie_(&u, &v); }},
        {"tie (int, Expression &)", [&] { e.tie(1, u); }},
        {"tie (Expression &)", [&] { EXPECT_EQ(e.tiep1(&u), &u); }},
        {"tie (Expression &, Expression &)", [&] { e.tiep2(&u, &v); }},
        {"set_scalars1 (double)", [&] { e.set_scalars1(7.0); }},
        {"set_scalars2 (double,double)", [&] { e.set_scalars2(7.0, 8.0); }},
        {"set_scalars3 (double, double, double)", [&] { e.set_scalars3(7.0, 8.0, 9.0); }},
        {"set_scalars_ (double, ...)", [&] { e.set_scalars_(7.0, 8.0, 9.0); }},
    };
    for (const auto& [operation, call] : unimplemented) {
        std::string said;
        EXPECT_EQ(testing::stdoutOf([&] { said = testing::stderrOf(call); }), "") << operation;
        EXPECT_EQ(said, std::string("Error : \"") + operation + "\" is not implemented for e\n");
        unchanged(operation);
    }
    Expression unnamed;
    EXPECT_EQ(testing::stderrOf([&] { unnamed.set_scalars1(1.0); }),
              "Error : \"set_scalars1 (double)\" is not implemented for noname\n");

    const std::pair<const char*, std::function<void()>> quiet[] = {
        {"analyze_dependencies", [&] { e.analyze_dependencies(); }},
        {"check_pointers", [&] { EXPECT_EQ(printed([&](FILE* f) { e.check_pointers(f); }), ""); }},
        {"set_variable_values", [&] { e.set_variable_values(x); }},
        {"calculate", [&] { e.calculate(4); }},
        {"calculate in one variable", [&] { e.calculate(4, 1); }},
    };
    for (const auto& [operation, call] : quiet) {
        std::string said;
        EXPECT_EQ(testing::stdoutOf([&] { said = testing::stderrOf(call); }), "") << operation;
        EXPECT_EQ(said, "") << operation;
        unchanged(operation);
    }
    EXPECT_STREQ(e.getType(), "Expression");
    EXPECT_TRUE(e.isDependent(1));
    EXPECT_FALSE(e.hasLeaves());
    EXPECT_EQ(e.findByName("e"), &e);
    EXPECT_EQ(e.findByName("f"), nullptr);
    EXPECT_EQ(unnamed.findByName("noname"), nullptr);

    // Printing: the name at the margin; the walks 4 spaces deeper, marking the node.
    Expression::sMargin = 2;
    EXPECT_EQ(printed([&](FILE* f) { e.printFormula(f); }), "  e\n");
    EXPECT_EQ(printed([&](FILE* f) { e.printValue(f); }), "  e\t           0.5\n");
    Expression::sMargin = 0;
    EXPECT_EQ(printed([&](FILE* f) { e.printFormulas(f); }), "    e\n");
    EXPECT_TRUE(e.computed);
    EXPECT_EQ(printed([&](FILE* f) { e.printValues(f); }), "");  // already marked
    e.initialize_the_graph();
    EXPECT_FALSE(e.computed);
    EXPECT_EQ(printed([&](FILE* f) { unnamed.printValues(f); }), "    noname\t             0\n");
    EXPECT_EQ(Expression::sMargin, 0);
    unchanged("printing");
}

TEST(NodeMessages, FindByNameSearchesChildrenInOrder) {
    Inputs x{1};
    std::unique_ptr<Cube> c(testing::over<Cube>(testing::over<Square>(&x[0])));
    EXPECT_EQ(c->findByName("x0"), &x[0]);
    auto* named = testing::over<Square>(&x[0]);
    named->setName("inside v");
    std::unique_ptr<Product> p(testing::binary<Product>(testing::over<Square>(&x[0]), named));
    EXPECT_EQ(p->findByName("inside v"), named);
}

TEST(NodeMessages, FormulaTreePrintsASharedNodeOnce) {
    Inputs x{1};
    auto* sq = testing::over<Square>(&x[0]);
    sq->setName("s");
    Product shared;
    shared.setName("p");
    shared.tiep2(sq, sq);
    shared.number_of_variables(1);
    EXPECT_EQ(printed([&](FILE* f) { shared.printFormulas(f); }),
              "p = s * s\n"
              "    s = x0^2\n"
              "            x0 = var(0)\n");
}

// ---------------------------------------------------------------- leaf recomputation

// A minimal term: one leaf t = x0^2 that it recomputes itself.
class LeafOwner : public Equation {
   public:
    LeafOwner() {
        t.holdAsMember();
        t.setName("t");
        Expression::setVarbox(
            this, static_cast<void (Equation::*)(double*)>(&LeafOwner::calculate_the_leaves));
    }
    ~LeafOwner() { Expression::clearVarbox(this); }
    void calculate_the_leaves(double* x) {
        t.value() = x[0] * x[0];
        t.d1(0) = 2 * x[0];
        t.d2(0, 0) = 2;
        t.d3(0, 0, 0) = 0;
        t.d4(0, 0, 0, 0) = 0;
    }
    Leaf t;
};

TEST(LeafRecomputation, ChecksRecomputeTheLeavesThroughTheRegisteredTerm) {
    auto owner = std::make_unique<LeafOwner>();
    std::unique_ptr<Exponential> e(testing::over<Exponential>(&owner->t, 0.0, 1.0, 1.0));
    testing::sized(*e, 1);
    testing::expectMatchesDifferences(*e, {0.3}, 1e-2, 1e-7);
    EXPECT_NEAR(e->d1(0), 0.6 * std::exp(0.09), 1e-14);  // exp(x^2): d1 = 2x exp(x^2)
}

TEST(LeafRecomputation, DestroyedTermNoLongerRegistered) {
    // Regression: the registration outlived the term and the next check called into freed
    // memory.
    auto first = std::make_unique<LeafOwner>();
    EXPECT_EQ(Expression::sVarbox, first.get());
    auto second = std::make_unique<LeafOwner>();
    first.reset();
    EXPECT_EQ(Expression::sVarbox, second.get());  // not someone else's registration
    second.reset();
    EXPECT_EQ(Expression::sVarbox, nullptr);
    EXPECT_EQ(Expression::sVarcalc, nullptr);
    Leaf leaf;
    EXPECT_NE(testing::stderrOf([&] { leaf.checkDebugLink(); }).find("no function to calculate"),
              std::string::npos);
}

TEST(LeafRecomputation, TermDestroyedInAnotherThreadIsForgottenWhereItRegistered) {
    // A model built in one thread may end in another: the registration it left in the first
    // must not send a later check there into the freed object.
    auto owner = std::make_unique<LeafOwner>();
    ASSERT_EQ(Expression::sVarbox, owner.get());
    std::thread([&] { owner.reset(); }).join();
    Leaf leaf;
    EXPECT_NE(testing::stderrOf([&] { leaf.checkDebugLink(); }).find("no function to calculate"),
              std::string::npos);
    EXPECT_EQ(Expression::sVarbox, nullptr);
    auto next = std::make_unique<LeafOwner>();  // a new registration serves again
    EXPECT_EQ(testing::stderrOf([&] { next->t.checkDebugLink(); }), "");
}

}  // namespace
}  // namespace vornex
