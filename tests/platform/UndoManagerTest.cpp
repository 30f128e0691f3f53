#include <gtest/gtest.h>

#include "platform/UndoManager.h"

namespace vornex {
namespace {

// A value changed through an undoable primitive that registers its own inverse first, as
// the views' do... operations do.
class UndoManagerTest : public ::testing::Test {
   protected:
    void setRange(double v) {
        double old = range;
        undo.registerUndo(this, [this, old] { setRange(old); });
        undo.setActionName("Changes Of Axis Ranges");
        range = v;
    }
    void moveLegend(double x) {
        double old = legend;
        undo.registerUndo(&legend, [this, old] { moveLegend(old); });
        undo.setActionName("Move Of Legend");
        legend = x;
    }

    UndoManager undo;
    double range = 0;
    double legend = 0;
};

TEST_F(UndoManagerTest, UndoAndRedoAlternateThroughTheSameOperation) {
    setRange(1);
    setRange(2);
    EXPECT_EQ(undo.undoActionName(), "Changes Of Axis Ranges");
    for (double expected : {1, 0}) {
        ASSERT_TRUE(undo.undo());
        EXPECT_EQ(range, expected);
    }
    EXPECT_FALSE(undo.undo());
    for (double expected : {1, 2}) {
        ASSERT_TRUE(undo.redo());
        EXPECT_EQ(range, expected);
    }
    EXPECT_FALSE(undo.redo());
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(range, 1);
    // A new command clears what could be redone.
    setRange(5);
    EXPECT_FALSE(undo.canRedo());
    EXPECT_EQ(undo.undoCount(), 2u);
}

TEST_F(UndoManagerTest, GroupIsOneStep) {
    // A legend drag: many moves, one step.
    undo.beginUndoGrouping();
    for (double x : {1.0, 2.0, 3.0, 4.0}) moveLegend(x);
    EXPECT_TRUE(undo.endUndoGrouping());
    EXPECT_EQ(undo.undoCount(), 1u);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(legend, 0);
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(legend, 4);
    // Nested groups fold into the outer one; an empty group leaves no step.
    undo.beginUndoGrouping();
    setRange(1);
    undo.beginUndoGrouping();
    setRange(2);
    undo.endUndoGrouping();
    undo.endUndoGrouping();
    undo.beginUndoGrouping();
    undo.endUndoGrouping();
    EXPECT_FALSE(undo.endUndoGrouping());
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(range, 0);
    EXPECT_EQ(legend, 4);
}

TEST_F(UndoManagerTest, UndoClosesAnOpenGroupButNotANestedOne) {
    undo.beginUndoGrouping();
    setRange(3);
    EXPECT_TRUE(undo.canUndo());
    undo.beginUndoGrouping();
    EXPECT_FALSE(undo.undo());
    undo.endUndoGrouping();
    EXPECT_TRUE(undo.undo());
    EXPECT_EQ(range, 0);
    EXPECT_EQ(undo.groupingLevel(), 0);
}

TEST_F(UndoManagerTest, LevelsDropTheOldestSteps) {
    undo.setLevelsOfUndo(2);
    for (double v : {1.0, 2.0, 3.0, 4.0}) setRange(v);
    EXPECT_EQ(undo.undoCount(), 2u);
    undo.undo();
    undo.undo();
    EXPECT_EQ(range, 2);
    EXPECT_FALSE(undo.undo());
}

TEST_F(UndoManagerTest, DisabledRegistrationAndTargetRemoval) {
    undo.disableUndoRegistration();
    setRange(1);
    EXPECT_FALSE(undo.canUndo());
    undo.enableUndoRegistration();
    setRange(2);
    moveLegend(5);
    // A view that goes away takes its actions with it.
    undo.removeAllActions(this);
    EXPECT_EQ(undo.undoCount(), 1u);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(legend, 0);
    EXPECT_EQ(range, 2);
}

TEST_F(UndoManagerTest, ActionCallingUndoIsRefused) {
    bool nested = true;
    undo.registerUndo(this, [&] { nested = undo.undo(); });
    ASSERT_TRUE(undo.undo());
    EXPECT_FALSE(nested);
    EXPECT_FALSE(undo.isUndoing());
}

}  // namespace
}  // namespace vornex
