// Keys on tables and outlines: wrapping arrows, home and end, row moves and deletes asked of
// a delegate that adopts the protocol, keypad enter, and keys on empty or unselected tables.
#include <gtest/gtest.h>

#include <set>
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
    void tableViewShiftDownSelectedRow(MyTableView& v) override { record("down", v); }
    void tableViewShiftUpSelectedRow(MyTableView& v) override { record("up", v); }
    void tableViewDeleteSelectedRow(MyTableView& v) override { record("delete", v); }
    void record(const char* what, MyTableView& v) {
        calls.push_back(what + (" " + std::to_string(v.selectedRow())));
    }
};

// A delegate with methods of the same names that does not adopt the protocol.
struct NotAdopting : TableViewDelegate {
    int calls = 0;
    void tableViewDeleteSelectedRow(MyTableView&) { ++calls; }
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

TEST_F(TableRowCommands, KeysMoveTheSelection) {
    const struct {
        int selected, extendTo;
        int code;
        std::uint32_t flags;
        std::set<int> rows;
    } cases[] = {
        {3, -1, keycodes::downArrow, 0, {0}},  // arrows wrap around at the ends
        {0, -1, keycodes::upArrow, 0, {3}},
        {1, 2, keycodes::end, 0, {3}},  // home and end jump from a selection of two
        {1, 2, keycodes::home, modifiers::shift, {0}},
    };
    for (const auto& c : cases) {
        table.selectRow(c.selected);
        if (c.extendTo >= 0) table.selectRow(c.extendTo, true);
        table.keyDown(key(c.code, c.flags));
        EXPECT_EQ(table.selectedRowIndexes(), c.rows) << c.selected << " key " << c.code;
    }
    EXPECT_TRUE(commands.calls.empty());
    // Keypad enter opens the first column of the selected row.
    table.selectRow(2);
    table.keyDown(key(keycodes::keypadEnter));
    EXPECT_EQ(table.editedCell().row, 2);
    // Reloaded with fewer rows, the selection beyond them is dropped.
    table.selectRow(3);
    table.reloadData(2);
    EXPECT_EQ(table.selectedRow(), -1);
    table.keyDown(key(keycodes::downArrow));
    EXPECT_EQ(table.selectedRow(), 0);
}

// A table made read-only opens no cell, by keypad enter or by request; made editable
// again it does.
TEST_F(TableRowCommands, ReadOnlyTableOpensNoCell) {
    table.setEditable(false);
    table.selectRow(1);
    table.keyDown(key(keycodes::keypadEnter));
    EXPECT_EQ(table.editedCell().row, -1);
    EXPECT_FALSE(table.editColumn(1, 1, false));
    for (const auto& column : table.columns()) EXPECT_FALSE(column.editable);
    table.setEditable(true);
    table.keyDown(key(keycodes::keypadEnter));
    EXPECT_EQ(table.editedCell().row, 1);
    EXPECT_EQ(table.editedCell().column, 0);
    EXPECT_TRUE(table.editedCell().textSelected);
}

TEST_F(TableRowCommands, RowMovesAndDeletesAreAskedOfAnAdoptingDelegateOnly) {
    table.selectRow(1);
    table.keyDown(key(keycodes::downArrow, modifiers::shift));
    table.keyDown(key(keycodes::upArrow, modifiers::control));
    table.keyDown(key(keycodes::deleteBackward));  // not deletable yet
    table.setDeletable(true);
    table.keyDown(key(keycodes::deleteBackward));
    table.keyDown(key(keycodes::deleteForward));
    EXPECT_EQ(commands.calls, (std::vector<std::string>{"down 1", "up 1", "delete 1", "delete 1"}));
    EXPECT_EQ(table.selectedRow(), 1);  // the delegate moves rows, the view does not
    // Without the protocol shift-up does nothing, shift-down extends, delete is not sent.
    NotAdopting other;
    table.setDelegate(&other);
    table.keyDown(key(keycodes::upArrow, modifiers::shift));
    EXPECT_EQ(table.selectedRowIndexes(), (std::set<int>{1}));
    table.keyDown(key(keycodes::downArrow, modifiers::shift));
    EXPECT_EQ(table.selectedRowIndexes(), (std::set<int>{1, 2}));
    table.keyDown(key(keycodes::deleteForward));
    EXPECT_EQ(other.calls, 0);
}

TEST(EmptyTableKeys, KeysOnEmptyOrUnselectedTablesSelectNothingThatDoesNotExist) {
    MyTableView table;
    RowCommands commands;
    table.addColumn("name");
    table.setDelegate(&commands);
    table.setDeletable(true);
    for (int code : {keycodes::home, keycodes::end, keycodes::downArrow, keycodes::upArrow,
                     keycodes::keypadEnter, keycodes::deleteForward})
        table.keyDown(key(code));
    EXPECT_EQ(table.selectedRow(), -1);
    EXPECT_EQ(table.editedCell().row, -1);
    EXPECT_TRUE(commands.calls.empty());
    // Rows but no selection: enter opens nothing, down starts at the first row.
    table.reloadData(3);
    table.keyDown(key(keycodes::keypadEnter));
    EXPECT_EQ(table.editedCell().row, -1);
    table.keyDown(key(keycodes::downArrow));
    EXPECT_EQ(table.selectedRow(), 0);
    // A selection but no column to edit.
    MyTableView bare;
    bare.reloadData(3);
    bare.selectRow(1);
    bare.keyDown(key(keycodes::keypadEnter));
    EXPECT_EQ(bare.editedCell().row, -1);
}

TEST(OutlineRowCommands, ArrowsWrapDeleteAlwaysAsksModifiersAndHomeAreTheBaseViewsOwn) {
    struct OutlineCommands : MyOutlineViewDelegate {
        int deletes = 0;
        void tableViewDeleteSelectedRow(MyOutlineView&) override { ++deletes; }
    } commands;
    MyOutlineView outline;
    outline.reloadData(3);
    outline.setDelegate(&commands);
    outline.selectRow(2);
    outline.keyDown(key(keycodes::downArrow));
    EXPECT_EQ(outline.selectedRow(), 0);
    outline.keyDown(key(keycodes::deleteBackward));
    EXPECT_EQ(commands.deletes, 1);
    outline.selectRow(1);
    outline.keyDown(key(keycodes::downArrow, modifiers::shift));
    EXPECT_EQ(outline.selectedRowIndexes(), (std::set<int>{1, 2}));
    outline.keyDown(key(keycodes::home));
    EXPECT_EQ(outline.selectedRow(), 2);
}

// The platform's table moves its selection with the arrow keys and uses no other key: it
// has no cell editing of its own to open.
TEST(PlainTable, ArrowsMoveTheSelectionAndOtherKeysAreNotUsed) {
    TableView plain;
    plain.reloadData(3);
    EXPECT_TRUE(plain.keyDown(key(keycodes::upArrow)));  // from nothing: the last row
    EXPECT_EQ(plain.selectedRow(), 2);
    EXPECT_TRUE(plain.keyDown(key(keycodes::upArrow)));
    EXPECT_EQ(plain.selectedRow(), 1);
    EXPECT_FALSE(plain.keyDown(key(keycodes::keypadEnter)));
    EXPECT_EQ(plain.editedCell().row, -1);
    EXPECT_EQ(plain.selectedRow(), 1);
}

}  // namespace
}  // namespace vornex
