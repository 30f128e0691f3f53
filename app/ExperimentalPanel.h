// The document's experimental-data panel: the published data sets in a table whose tick
// column draws a set in the P-x plot. Shown while the form's "mExpPanel" is not hidden;
// closing the window hides it again.
#pragma once

#include <gtkmm/columnview.h>
#include <gtkmm/stringlist.h>
#include <gtkmm/window.h>

#include <functional>

#include "workbench/MyDocument.h"

namespace vornex::shell {

class ExperimentalPanel : public Gtk::Window {
   public:
    using Runner = std::function<void(const std::function<void()>&)>;
    ExperimentalPanel(MyDocument& document, Runner run);
    // Mirrors the table and the panel's visibility.
    void refresh();
    // Ticks or unticks a set, as its check box does.
    void tick(int row, bool on);

   private:
    void addColumn(const std::string& key, const std::string& title);

    MyDocument& mDocument;
    Runner mRun;
    Gtk::ColumnView mTable;
    Glib::RefPtr<Gtk::StringList> mRows;
    bool mMirroring = false;
};

}  // namespace vornex::shell
