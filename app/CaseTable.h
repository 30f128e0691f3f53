// The case table: a Gtk::ColumnView over the document's case list. Rows and cells come from
// the document's table data source (a case is edited in the fields beside the table); a
// selection goes to the document; keys go
// to MyTableView first (wrapping arrows, Home, End, keypad Enter, Delete, Shift or Control
// with an arrow to move a row) and only the keys it leaves reach GTK.
#pragma once

#include <gdkmm/frameclock.h>
#include <gtkmm/columnview.h>
#include <gtkmm/label.h>
#include <gtkmm/listitem.h>
#include <gtkmm/singleselection.h>
#include <gtkmm/stringlist.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "workbench/MyDocument.h"

namespace vornex::shell {

class CaseTable : public Gtk::ColumnView {
   public:
    using Runner = std::function<void(const std::function<void()>&)>;

    CaseTable(MyDocument& document, Runner run);
    ~CaseTable() override;

    // Mirrors the row count, the cells and the selection of the document's table.
    void refresh();
    // What the user does: selects a row, presses a key (GDK key value and modifier state;
    // true when the key is the table's). Each goes to the document as the widget's own signal sends it.
    void selectRow(int row);
    bool keyPressed(unsigned keyval, unsigned state);
    // The cells on screen: row, column key and the label showing it.
    struct Cell {
        int row;
        std::string key;
        Gtk::Label* label;
    };
    std::vector<Cell> cells() const;

   private:
    void addColumn(const std::string& key, const std::string& title, bool expand);
    std::string cellText(int row, const std::string& key) const;
    // The list follows the selection: from the next frames on, once the rows are laid out,
    // the selected row is scrolled into view.
    void followSelection();
    // Scrolls towards the selected row; true once it shows (or there is none).
    bool scrollSelectedIntoView();
    // The selected row's bounds in the list's visible part (y from its top), when it has
    // widgets; the list's height.
    bool selectedRowBounds(double& top, double& bottom, double& height) const;

    MyDocument& mDocument;
    Runner mRun;
    Glib::RefPtr<Gtk::StringList> mRows;
    Glib::RefPtr<Gtk::SingleSelection> mSelection;
    // The labels bound to a row now, with the list item and the column they show.
    struct Bound {
        Gtk::ListItem* item;
        std::string key;
        Gtk::Label* label;
    };
    // Shared with the factories' handlers, which GTK may still call while the view is torn
    // down, after the table's own members are gone.
    std::shared_ptr<std::vector<Bound>> mBound = std::make_shared<std::vector<Bound>>();
    bool mMirroring = false;
    sigc::connection mAfterPaint;
    int mFollowTurns = 0;
    int mFollowedRow = -1, mFollowedRows = -1;
};

}  // namespace vornex::shell
