#include "plot/MyTableView.h"

namespace vornex {

namespace {

bool isDeleteKey(int code) {
    return code == keycodes::deleteForward || code == keycodes::deleteBackward;
}

// The wrap-around of both views: Down on the last row selects the first, Up on the first row
// selects the last. Returns whether it applied.
bool wrapAround(TableView& view, int keyCode, bool onFirst, bool onLast) {
    if (keyCode == keycodes::downArrow && onLast) return view.selectAndShowRow(0);
    if (keyCode == keycodes::upArrow && onFirst)
        return view.selectAndShowRow(view.numberOfRows() - 1);
    return false;
}

}  // namespace

void MyTableView::setEditable(bool editable) {
    for (Column& c : columns()) c.editable = editable;
}

MyTableViewDelegate* MyTableView::rowDelegate() const {
    return dynamic_cast<MyTableViewDelegate*>(delegate());
}

bool MyTableView::keyDown(const KeyEvent& event) {
    const int code = event.keyCode;
    const bool moveRow = event.shift() || event.control();
    switch (code) {
        case keycodes::home:
            selectAndShowRow(0);
            return true;
        case keycodes::end:
            selectAndShowRow(numberOfRows() - 1);
            return true;
        case keycodes::downArrow:
        case keycodes::upArrow:
            if (moveRow) {
                if (MyTableViewDelegate* d = rowDelegate()) {
                    if (code == keycodes::downArrow)
                        d->tableViewShiftDownSelectedRow(*this);
                    else
                        d->tableViewShiftUpSelectedRow(*this);
                    return true;
                }
                // Without the protocol Shift-Down extends the selection as the base view
                // does, and Shift-Up is swallowed.
                return code == keycodes::downArrow ? baseKeyDown(event) : true;
            }
            if (wrapAround(*this, code, isOnFirstRow(), isOnLastRow())) return true;
            return baseKeyDown(event);
        case keycodes::keypadEnter:
            editColumn(0, selectedRow(), true);
            return true;
        default:
            break;
    }
    if (isDeleteKey(code) && mIsDeletable && selectedRow() >= 0) {
        if (MyTableViewDelegate* d = rowDelegate()) d->tableViewDeleteSelectedRow(*this);
    }
    return baseKeyDown(event);
}

bool MyOutlineView::keyDown(const KeyEvent& event) {
    const int code = event.keyCode;
    if (wrapAround(*this, code, isOnFirstRow(), isOnLastRow())) return true;
    if (isDeleteKey(code) && selectedRow() >= 0) {
        if (auto* d = dynamic_cast<MyOutlineViewDelegate*>(delegate()))
            d->tableViewDeleteSelectedRow(*this);
    }
    return baseKeyDown(event);
}

}  // namespace vornex
