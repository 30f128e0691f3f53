// What every node says of itself: its type name, its formula line, the search of a graph by
// name, the link checks of the nodes without their own computation, and the one-variable
// derivative checks.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>

#include "NodeTestSupport.h"
#include "expression/BinOp.h"
#include "expression/Function.h"
#include "expression/Geom.h"
#include "expression/MultOp.h"
#include "expression/PolyVar.h"
#include "expression/Selector.h"
#include "expression/Sum.h"
#include "expression/SumF.h"
#include "expression/UnOp.h"
#include "expression/VarF.h"
#include "expression/XFunc.h"

namespace vornex {
namespace {

using testing::binary;
using testing::formula;
using testing::Inputs;
using testing::over;
using testing::printed;
using testing::stderrOf;

// The type names other code and the printouts go by.
TEST(NodeNames, EveryNodeClassGivesItsTypeName) {
    const std::pair<Expression*, const char*> nodes[] = {
        {new Operator, "Operator"},
        {new Leaf, "Leaf"},
        {new Function, "Function"},
        {new FVar, "FVar"},
        {new KVar, "KVar"},
        {new Linear, "Linear"},
        {new Selector, "Selector"},
        {new XFunc, "XFunc"},
        {new VarX2, "VarX2"},
        {new VarX3, "VarX3"},
        {new VarX4, "VarX4"},
        {new VarX5, "VarX5"},
        {new Geom, "Geom"},
        {new UnOp, "UnOp"},
        {new Cube, "cube"},
        {new Square, "square"},
        {new Inverse, "inverse"},
        {new Inverse2, "inverse2"},
        {new Exponential, "Exponential"},
        {new Logarithm, "logarithm"},
        {new Power, "power"},
        {new Powo, "powo"},
        {new BinOp, "BinOp"},
        {new Product, "Product"},
        {new Division, "Division"},
        {new SumX2, "SumX2"},
        {new SumX3, "SumX3"},
        {new SumX4, "SumX4"},
        {new SumX5, "SumF"},  // the fifth degree keeps the general sum's name
    };
    for (const auto& [node, name] : nodes) {
        std::unique_ptr<Expression> held(node);
        EXPECT_STREQ(held->getType(), name);
    }
    // A bare composition product is the general form, whatever its degree.
    VarX2 product;
    EXPECT_STREQ(static_cast<VarF&>(product).VarF::getType(), "VarF");
}

// The bases of the one- and two-child nodes compute nothing of their own: asked to, they
// only check their links; their formula line shows the children.
TEST(NodeNames, BareOperatorsCheckTheirLinksAndPrintTheirChildren) {
    Inputs x{2};
    {
        BinOp open;
        open.setName("b");
        EXPECT_EQ(stderrOf([&] { open.calculate(2); }),
                  "Error : \"b\" is is not linked to another expression.\n");
        EXPECT_EQ(stderrOf([&] { open.calculate(2, 1); }),
                  "Error : \"b\" is is not linked to another expression.\n");
        EXPECT_EQ(formula(open), "b = f ( noname , noname )\n");
        open.tiep2(&x[0], &x[1]);
        EXPECT_EQ(stderrOf([&] { open.calculate(2); }), "");
        EXPECT_EQ(open.value(), 0.0);  // nothing computed
        EXPECT_EQ(formula(open), "b = f ( x0 , x1 )\n");
    }
    {
        // The solution nodes name their component, or that they solve a single function.
        XFunc component;
        component.setName("u");
        component.index = 2;
        EXPECT_EQ(formula(component), "u (XFunc 2)\n");
        XFunc0 single;
        EXPECT_EQ(formula(single), "noname (XFunc0)\n");
        // The base of the many-child nodes only counts its terms.
        MultOp terms;
        terms.number_of_terms(3);
        EXPECT_EQ(terms.numberOfTerms, 3);
    }
    {
        UnOp open;
        open.setName("u");
        EXPECT_EQ(formula(open), "u = f ( noname )\n");
        open.tiep1(&x[1]);
        EXPECT_EQ(formula(open), "u = f ( x1 )\n");
        EXPECT_EQ(stderrOf([&] { open.calculate(2); }), "");
        EXPECT_EQ(stderrOf([&] { open.calculate(2, 1); }), "");
        EXPECT_EQ(open.value(), 0.0);  // nothing computed
    }
}

// The search by name goes through the node, then its children in order; a power mean and a
// sum search their slots, a selector its two branches.
TEST(NodeNames, ANameIsFoundThroughEveryCombiningNode) {
    Inputs x{3};
    Geom g;
    g.setName("g");
    g.number_of_terms(3);
    EXPECT_EQ(g.tieip(0, &x[0]), &x[0]);
    g.tieip(2, &x[2]);
    EXPECT_EQ(g.findByName("g"), &g);
    EXPECT_EQ(g.findByName("x2"), &x[2]);
    EXPECT_EQ(g.findByName("x1"), nullptr);
    // The first empty slot is said, to the stream given.
    EXPECT_EQ(printed([&](FILE* f) { g.check_pointers(f); }),
              "Error : \"g\" (1) is not linked to another expression.\n");
    EXPECT_EQ(formula(g), "Child 0 x0\nChild 1 : NULL\nChild 2 x2\n");
    g.tieip(1, &x[1]);
    EXPECT_EQ(printed([&](FILE* f) { g.check_pointers(f); }), "");
    // Each child's line follows, four spaces deeper; a marked node prints nothing.
    g.initialize_the_graph();
    EXPECT_EQ(printed([&](FILE* f) { g.printFormulas(f); }),
              "Child 0 x0\nChild 1 x1\nChild 2 x2\n"
              "        x0 = var(0)\n        x1 = var(1)\n        x2 = var(2)\n");

    Sum s;
    s.number_of_terms(2);
    s.tieip(0, over<Square>(&x[0]));
    s.tieip(1, binary<Product>(&x[1], &x[2]));
    s.terms[0]->setName("square");
    EXPECT_EQ(s.findByName("square"), s.terms[0]);
    EXPECT_EQ(s.findByName("x2"), &x[2]);
    EXPECT_EQ(s.findByName("nothing"), nullptr);

    Selector pick;
    Leaf sw, u, v;
    for (Leaf* leaf : {&sw, &u, &v}) leaf->holdAsMember();
    sw.setName("switch");
    v.setName("v");
    pick.tie3(sw, u, v);
    EXPECT_EQ(pick.findByName("v"), &v);
    EXPECT_EQ(pick.findByName("switch"), nullptr);  // the switch is no branch
}

}  // namespace
}  // namespace vornex
