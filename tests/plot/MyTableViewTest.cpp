#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plot/MyTableView.h"

namespace vornex {
namespace {

KeyEvent key(int code, std::uint32_t flags = 0) {
    return KeyEvent{code, "", flags};
}

// A delegate that adopts the table protocol and records the requests.
struct RowCommands : MyTableViewDelegate {
    std::vector<std::string> calls;
    void tableViewShiftDownSelectedRow(MyTableView& v) override {
        calls.push_back("down " + std::to_string(v.selectedRow()));
    }
    void tableViewShiftUpSelectedRow(MyTableView& v) override {
        calls.push_back("up " + std::to_string(v.selectedRow()));
    }
    void tableViewDeleteSelectedRow(MyTableView& v) override {
        calls.push_back("delete " + std::to_string(v.selectedRow()));
    }
};

// A delegate with methods of the same names that does not adopt the protocol.
struct NotAdopting : TableViewDelegate {
    int calls = 0;
    void tableViewDeleteSelectedRow(MyTableView&) { ++calls; }
};

struct OutlineCommands : MyOutlineViewDelegate {
    int deletes = 0;
    void tableViewDeleteSelectedRow(MyOutlineView&) override { ++deletes; }
};

class TableRowCommands : public ::testing::Test {
   protected:
    void SetUp() override {
        table.addColumn("name");
        table.addColumn("T0");
        table.reloadData(4);
        table.setDelegate(&commands);
    }
    MyTableView table;
    RowCommands commands;
};

TEST_F(TableRowCommands, ArrowsWrapAroundAtTheEnds) {
    table.selectRow(3);
    table.keyDown(key(keycodes::downArrow));
    EXPECT_EQ(table.selectedRow(), 0);
    EXPECT_EQ(table.scrolledRow(), 0);
    table.keyDown(key(keycodes::upArrow));
    EXPECT_EQ(table.selectedRow(), 3);
    EXPECT_EQ(table.selectedRowIndexes().size(), 1u);
    table.keyDown(key(keycodes::upArrow));
    EXPECT_EQ(table.selectedRow(), 2);  // the base view's move inside the table
}

TEST_F(TableRowCommands, HomeAndEndJumpToTheEnds) {
    table.selectRow(1);
    table.selectRow(2, true);
    table.keyDown(key(keycodes::end));
    EXPECT_EQ(table.selectedRowIndexes(), (std::set<int>{3}));
    table.keyDown(key(keycodes::home, modifiers::shift));
    EXPECT_EQ(table.selectedRowIndexes(), (std::set<int>{0}));
    EXPECT_EQ(table.scrolledRow(), 0);
}

TEST_F(TableRowCommands, ShiftOrControlArrowsAskTheDelegateToMoveTheRow) {
    table.selectRow(1);
    table.keyDown(key(keycodes::downArrow, modifiers::shift));
    table.keyDown(key(keycodes::upArrow, modifiers::control));
    EXPECT_EQ(commands.calls, (std::vector<std::string>{"down 1", "up 1"}));
    EXPECT_EQ(table.selectedRow(), 1);  // the delegate moves rows, the view does not
}

TEST_F(TableRowCommands, WithoutTheProtocolShiftUpDoesNothingAndShiftDownExtends) {
    NotAdopting other;
    table.setDelegate(&other);
    table.selectRow(1);
    table.keyDown(key(keycodes::upArrow, modifiers::shift));
    EXPECT_EQ(table.selectedRowIndexes(), (std::set<int>{1}));
    table.keyDown(key(keycodes::downArrow, modifiers::shift));
    EXPECT_EQ(table.selectedRowIndexes(), (std::set<int>{1, 2}));
    table.setDeletable(true);
    table.keyDown(key(keycodes::deleteForward));
    EXPECT_EQ(other.calls, 0);
}

TEST_F(TableRowCommands, DeleteReachesTheDelegateOnlyWhenDeletable) {
    table.selectRow(2);
    table.keyDown(key(keycodes::deleteBackward));
    EXPECT_TRUE(commands.calls.empty());
    table.setDeletable(true);
    table.keyDown(key(keycodes::deleteBackward));
    table.keyDown(key(keycodes::deleteForward));
    EXPECT_EQ(commands.calls, (std::vector<std::string>{"delete 2", "delete 2"}));
}

TEST_F(TableRowCommands, DeleteWithNothingSelectedIsNotSent) {
    table.setDeletable(true);
    table.keyDown(key(keycodes::deleteForward));
    EXPECT_TRUE(commands.calls.empty());
}

TEST_F(TableRowCommands, KeypadEnterOpensTheFirstColumnOfTheSelectedRow) {
    table.selectRow(2);
    table.keyDown(key(keycodes::keypadEnter));
    EXPECT_EQ(table.editedCell().row, 2);
    EXPECT_EQ(table.editedCell().column, 0);
    EXPECT_TRUE(table.editedCell().textSelected);
}

TEST_F(TableRowCommands, ReloadWithFewerRowsDropsTheSelectionBeyondThem) {
    table.selectRow(3);
    table.reloadData(2);
    EXPECT_EQ(table.selectedRow(), -1);
    table.keyDown(key(keycodes::downArrow));
    EXPECT_EQ(table.selectedRow(), 0);
}

// Keys on empty or unselected tables must not select rows that do not exist.
class EmptyTableKeys : public ::testing::Test {
   protected:
    MyTableView table;
    RowCommands commands;
};

TEST_F(EmptyTableKeys, KeysOnAnEmptyTableSelectNothing) {
    table.addColumn("name");
    table.setDelegate(&commands);
    table.setDeletable(true);
    for (int code : {keycodes::home, keycodes::end, keycodes::downArrow, keycodes::upArrow,
                     keycodes::keypadEnter, keycodes::deleteForward})
        table.keyDown(key(code));
    EXPECT_EQ(table.selectedRow(), -1);
    EXPECT_EQ(table.editedCell().row, -1);
    EXPECT_TRUE(commands.calls.empty());
}

TEST_F(EmptyTableKeys, KeypadEnterWithoutSelectionOrColumnsOpensNothing) {
    table.reloadData(3);
    table.keyDown(key(keycodes::keypadEnter));
    EXPECT_EQ(table.editedCell().row, -1);
    table.selectRow(1);
    table.keyDown(key(keycodes::keypadEnter));  // no column to edit
    EXPECT_EQ(table.editedCell().row, -1);
}

TEST_F(EmptyTableKeys, DownWithoutSelectionStartsAtTheFirstRow) {
    table.reloadData(3);
    table.keyDown(key(keycodes::downArrow));
    EXPECT_EQ(table.selectedRow(), 0);
}

class OutlineRowCommands : public ::testing::Test {
   protected:
    void SetUp() override {
        outline.reloadData(3);
        outline.setDelegate(&commands);
    }
    MyOutlineView outline;
    OutlineCommands commands;
};

TEST_F(OutlineRowCommands, ArrowsWrapAndDeleteAlwaysAsks) {
    outline.selectRow(2);
    outline.keyDown(key(keycodes::downArrow));
    EXPECT_EQ(outline.selectedRow(), 0);
    outline.keyDown(key(keycodes::upArrow));
    EXPECT_EQ(outline.selectedRow(), 2);
    outline.keyDown(key(keycodes::deleteBackward));
    EXPECT_EQ(commands.deletes, 1);
}

TEST_F(OutlineRowCommands, ModifiersAndHomeAreTheBaseViewsOwn) {
    outline.selectRow(1);
    outline.keyDown(key(keycodes::downArrow, modifiers::shift));
    EXPECT_EQ(outline.selectedRowIndexes(), (std::set<int>{1, 2}));
    outline.keyDown(key(keycodes::home));
    EXPECT_EQ(outline.selectedRow(), 2);
}

}  // namespace
}  // namespace vornex
