#include "plot/TableView.h"

namespace vornex {

void TableView::reloadData(int numberOfRows) {
    mRows = numberOfRows > 0 ? numberOfRows : 0;
    const std::size_t before = mSelection.size();
    std::erase_if(mSelection, [&](int r) { return r >= mRows; });
    if (mSelectedRow >= mRows) mSelectedRow = mSelection.empty() ? -1 : *mSelection.rbegin();
    if (mEdited.row >= mRows) endEditing();
    if (mSelection.size() != before) selectionChanged();
}

void TableView::addColumn(std::string identifier, bool editable) {
    mColumns.push_back({std::move(identifier), editable});
}

bool TableView::selectRow(int row, bool extendSelection) {
    if (row < 0 || row >= mRows) return false;
    if (!extendSelection) mSelection.clear();
    mSelection.insert(row);
    mSelectedRow = row;
    selectionChanged();
    return true;
}

void TableView::deselectAll() {
    if (mSelection.empty()) return;
    mSelection.clear();
    mSelectedRow = -1;
    selectionChanged();
}

bool TableView::selectAndShowRow(int row) {
    if (!selectRow(row, false)) return false;
    scrollRowToVisible(row);
    return true;
}

void TableView::scrollRowToVisible(int row) {
    if (row >= 0 && row < mRows) mScrolledRow = row;
}

bool TableView::editColumn(int column, int row, bool selectText) {
    if (row < 0 || row >= mRows || column < 0 || column >= static_cast<int>(mColumns.size()))
        return false;
    // A read-only column keeps its values: no cell of it opens.
    if (!mColumns[static_cast<size_t>(column)].editable) return false;
    mEdited = {row, column, selectText};
    return true;
}

bool TableView::baseKeyDown(const KeyEvent& event) {
    const bool down = event.keyCode == keycodes::downArrow;
    if (!down && event.keyCode != keycodes::upArrow) return false;
    if (mRows == 0) return true;
    int target;
    if (mSelectedRow < 0)
        target = down ? 0 : mRows - 1;
    else
        target = down ? std::min(mSelectedRow + 1, mRows - 1) : std::max(mSelectedRow - 1, 0);
    selectRow(target, event.shift() && mSelectedRow >= 0);
    scrollRowToVisible(target);
    return true;
}

void TableView::selectionChanged() {
    if (mSelectionChanged) mSelectionChanged();
}

}  // namespace vornex
