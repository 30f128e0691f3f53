// MyTableView and MyOutlineView: the table and outline of the document window with keyboard
// row commands. The arrow keys wrap around at the first and last row, Home and End jump to the
// ends, keypad Enter opens the first cell of the selected row, and Delete, or Shift or Control
// with an arrow, become requests to the delegate (delete the selected row, move it down or
// up) when the delegate adopts the matching protocol.
#pragma once

#include "plot/TableView.h"

namespace vornex {

class MyTableView;
class MyOutlineView;

// Row commands a table's delegate takes by deriving from this protocol.
class MyTableViewDelegate : public virtual TableViewDelegate {
   public:
    virtual void tableViewShiftDownSelectedRow(MyTableView& view) = 0;
    virtual void tableViewShiftUpSelectedRow(MyTableView& view) = 0;
    virtual void tableViewDeleteSelectedRow(MyTableView& view) = 0;
};

class MyOutlineViewDelegate : public virtual TableViewDelegate {
   public:
    virtual void tableViewDeleteSelectedRow(MyOutlineView& view) = 0;
};

class MyTableView : public TableView {
   public:
    // Delete keys reach the delegate only when set; cleared at creation.
    void setDeletable(bool deletable) { mIsDeletable = deletable; }
    // Every column editable or read-only.
    void setEditable(bool editable);

    bool keyDown(const KeyEvent& event) override;

   private:
    MyTableViewDelegate* rowDelegate() const;

    bool mIsDeletable = false;
};

class MyOutlineView : public OutlineView {
   public:
    bool keyDown(const KeyEvent& event) override;
};

}  // namespace vornex
