#include "ExperimentalPanel.h"

#include <gtkmm/checkbutton.h>
#include <gtkmm/label.h>
#include <gtkmm/noselection.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/signallistitemfactory.h>

#include "PanelWindows.h"

namespace vornex::shell {

ExperimentalPanel::ExperimentalPanel(MyDocument& document, Runner run)
    : mDocument(document), mRun(std::move(run)) {
    set_title(mDocument.form()["mExpPanel"].title);
    set_default_size(620, 420);
    set_hide_on_close(true);
    closeOnEscape(*this);
    mRows = Gtk::StringList::create({});
    mTable.set_model(Gtk::NoSelection::create(mRows));
    mTable.set_show_row_separators(true);
    addColumn("select", "Show");
    addColumn("source", "Source");
    addColumn("data", "Data");
    addColumn("type", "Type");
    addColumn("status", "Rows");
    auto* scroller = Gtk::make_managed<Gtk::ScrolledWindow>();
    scroller->set_child(mTable);
    set_child(*scroller);
    signal_close_request().connect(
        [this] {
            mDocument.form()["mExpPanel"].hidden = true;
            return false;
        },
        false);
}

void ExperimentalPanel::addColumn(const std::string& key, const std::string& title) {
    const bool tick = key == "select";
    auto factory = Gtk::SignalListItemFactory::create();
    factory->signal_setup().connect([tick](const Glib::RefPtr<Gtk::ListItem>& item) {
        if (tick) {
            item->set_child(*Gtk::make_managed<Gtk::CheckButton>());
        } else {
            auto* label = Gtk::make_managed<Gtk::Label>();
            label->set_xalign(0);
            item->set_child(*label);
        }
    });
    factory->signal_bind().connect([this, key, isTick = tick](const Glib::RefPtr<Gtk::ListItem>& item) {
        const int row = static_cast<int>(item->get_position());
        const PlistValue v =
            mDocument.tableViewObjectValue(mDocument.experimentalTableView(), key, row);
        if (!isTick) {
            static_cast<Gtk::Label*>(item->get_child())->set_text(v.toString());
            return;
        }
        auto* box = static_cast<Gtk::CheckButton*>(item->get_child());
        box->set_active(v.toBool());
        // Sets without rows cannot be drawn.
        box->set_sensitive(mDocument.experimentalSets().at(row).available());
        auto* connection = new sigc::connection(box->signal_toggled().connect([this, box, row] {
            if (!mMirroring) this->tick(row, box->get_active());
        }));
        box->set_data("vornex-tick", connection,
                      [](void* c) { delete static_cast<sigc::connection*>(c); });
    });
    factory->signal_unbind().connect([tick](const Glib::RefPtr<Gtk::ListItem>& item) {
        if (!tick) return;
        auto* box = static_cast<Gtk::CheckButton*>(item->get_child());
        if (auto* c = static_cast<sigc::connection*>(box->get_data("vornex-tick"))) c->disconnect();
        box->set_data("vornex-tick", nullptr);
    });
    auto column = Gtk::ColumnViewColumn::create(title, factory);
    column->set_expand(!tick);
    mTable.append_column(column);
}

void ExperimentalPanel::tick(int row, bool on) {
    mRun([this, row, on] {
        mDocument.tableViewSetObjectValue(mDocument.experimentalTableView(), PlistValue(on ? 1 : 0),
                                          "select", row);
    });
}

void ExperimentalPanel::refresh() {
    const bool shown = !mDocument.form()["mExpPanel"].hidden;
    if (shown) {
        mMirroring = true;
        const int rows = mDocument.numberOfRowsInTableView(mDocument.experimentalTableView());
        std::vector<Glib::ustring> indices;
        for (int i = 0; i < rows; ++i) indices.push_back(std::to_string(i));
        mRows->splice(0, mRows->get_n_items(), indices);
        mMirroring = false;
    }
    if (shown && !get_visible()) present();
    if (!shown && get_visible()) set_visible(false);
}

}  // namespace vornex::shell
