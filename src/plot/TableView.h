// TableView and OutlineView: the row model of a table (or of an outline's visible rows) as a
// window toolkit shows it: the number of rows, the columns and whether each is editable, the
// selected rows, the row asked to be scrolled into view and the cell being edited, with the
// platform's own response to the arrow keys. A delegate (not owned) receives the requests
// that subclasses send; which requests it takes is told by the protocols it derives from.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/Event.h"

namespace vornex {

// Virtual key codes of the table keys that Event.h does not name.
namespace keycodes {
inline constexpr int home = 115;
inline constexpr int end = 119;
inline constexpr int keypadEnter = 76;
}  // namespace keycodes

// Base of every table delegate; a delegate adopts a protocol by deriving from it as well.
class TableViewDelegate {
   public:
    virtual ~TableViewDelegate() = default;
};

class TableView {
   public:
    struct Column {
        std::string identifier;
        bool editable = true;
    };
    // The cell being edited: row and column, and whether its whole text is selected.
    struct EditedCell {
        int row = -1;
        int column = -1;
        bool textSelected = false;
    };

    TableView() = default;
    virtual ~TableView() = default;
    TableView(const TableView&) = delete;
    TableView& operator=(const TableView&) = delete;

    // Rows and columns. Reloading with fewer rows drops the selection beyond them.
    void reloadData(int numberOfRows);
    int numberOfRows() const { return mRows; }
    void addColumn(std::string identifier, bool editable = true);
    std::vector<Column>& columns() { return mColumns; }

    TableViewDelegate* delegate() const { return mDelegate; }
    void setDelegate(TableViewDelegate* delegate) { mDelegate = delegate; }
    // Called after every change of the selection.
    void setSelectionHandler(std::function<void()> handler) {
        mSelectionChanged = std::move(handler);
    }

    // The last row selected or added to the selection; -1 when none is.
    int selectedRow() const { return mSelectedRow; }
    const std::set<int>& selectedRowIndexes() const { return mSelection; }
    // Selects a row (only it, or in addition when extending). A row outside the table
    // changes nothing and returns false.
    bool selectRow(int row, bool extendSelection = false);
    void deselectAll();
    // Selects exactly the row and scrolls it into view.
    bool selectAndShowRow(int row);
    void scrollRowToVisible(int row);

    // Opens a cell for editing; false (nothing opened) outside the table or in a read-only
    // column.
    bool editColumn(int column, int row, bool selectText);
    const EditedCell& editedCell() const { return mEdited; }
    void endEditing() { mEdited = EditedCell(); }

    // A key pressed while the view has the focus; true when the view used it.
    virtual bool keyDown(const KeyEvent& event) { return baseKeyDown(event); }

   protected:
    // The platform's response: the arrow keys move the selection one row (Shift extends it),
    // starting at the first or last row when nothing is selected; other keys are not used.
    bool baseKeyDown(const KeyEvent& event);
    bool isOnLastRow() const { return mRows > 0 && mSelectedRow == mRows - 1; }
    bool isOnFirstRow() const { return mRows > 0 && mSelectedRow == 0; }

   private:
    void selectionChanged();

    int mRows = 0;
    std::vector<Column> mColumns;
    std::set<int> mSelection;
    int mSelectedRow = -1;
    int mScrolledRow = -1;
    EditedCell mEdited;
    TableViewDelegate* mDelegate = nullptr;
    std::function<void()> mSelectionChanged;
};

// The visible rows of an outline answer the keys as a table's rows do.
class OutlineView : public TableView {};

}  // namespace vornex
