#include "CaseTable.h"

#include <gtkmm/label.h>
#include <gtkmm/eventcontrollerkey.h>
#include <gtkmm/signallistitemfactory.h>

#include <algorithm>

#include "ShellSupport.h"

namespace vornex::shell {

CaseTable::CaseTable(MyDocument& document, Runner run)
    : mDocument(document), mRun(std::move(run)) {
    mRows = Gtk::StringList::create({});
    mSelection = Gtk::SingleSelection::create(mRows);
    mSelection->set_autoselect(false);
    mSelection->set_can_unselect(true);
    set_model(mSelection);
    set_show_row_separators(true);
    set_reorderable(false);
    addColumn("name", "Name", true);
    addColumn("T0", "T0 (\u00b0C)", false);
    addColumn("P0", "P0 (bar)", false);
    addColumn("X0", "NaCl0 (wt %)", false);
    addColumn("comment", "Comment", true);

    mSelection->property_selected().signal_changed().connect([this] {
        if (mMirroring) return;
        const guint position = mSelection->get_selected();
        if (position == GTK_INVALID_LIST_POSITION) return;
        // The document's own selection, mirrored back or reported again by the list view
        // (as it does for the row under a click when that row is rebuilt), is not sent, and
        // the window not refreshed, a second time.
        if (static_cast<int>(position) == mDocument.listView().selectedRow()) return;
        selectRow(static_cast<int>(position));
    });
    auto keys = Gtk::EventControllerKey::create();
    keys->set_propagation_phase(Gtk::PropagationPhase::CAPTURE);
    keys->signal_key_pressed().connect(
        [this](guint keyval, guint, Gdk::ModifierType state) {
            return keyPressed(keyval, static_cast<unsigned>(state));
        },
        false);
    add_controller(keys);
}

CaseTable::~CaseTable() {
    mAfterPaint.disconnect();
}

std::string CaseTable::cellText(int row, const std::string& key) const {
    const PlistValue v = mDocument.tableViewObjectValue(mDocument.listView(), key, row);
    if (v.isString()) return v.toString();
    // Six significant digits, as the fields show them (the case keeps the exact value).
    if (v.isNumber()) return formatForDisplay(v.toDouble());
    return "";
}

void CaseTable::addColumn(const std::string& key, const std::string& title, bool expand) {
    auto factory = Gtk::SignalListItemFactory::create();
    factory->signal_setup().connect([](const Glib::RefPtr<Gtk::ListItem>& item) {
        auto* label = Gtk::make_managed<Gtk::Label>();
        label->set_xalign(0);
        label->set_ellipsize(Pango::EllipsizeMode::END);
        item->set_child(*label);
    });
    factory->signal_bind().connect([this, key](const Glib::RefPtr<Gtk::ListItem>& item) {
        if (auto* label = dynamic_cast<Gtk::Label*>(item->get_child())) {
            label->set_text(cellText(static_cast<int>(item->get_position()), key));
            mBound->push_back({item.get(), key, label});
        }
    });
    factory->signal_unbind().connect([bound = mBound](const Glib::RefPtr<Gtk::ListItem>& item) {
        std::erase_if(*bound, [&item](const Bound& b) { return b.item == item.get(); });
    });
    auto column = Gtk::ColumnViewColumn::create(title, factory);
    column->set_expand(expand);
    column->set_resizable(true);
    append_column(column);
}

void CaseTable::refresh() {
    mMirroring = true;
    const int rows = mDocument.numberOfRowsInTableView(mDocument.listView());
    if (static_cast<guint>(rows) == mRows->get_n_items()) {
        // The same rows: their cells take the values in place, so the row widgets (and the
        // click or the focus on one of them) stay as they are.
        for (const Bound& b : *mBound)
            b.label->set_text(cellText(static_cast<int>(b.item->get_position()), b.key));
    } else {
        std::vector<Glib::ustring> indices;
        for (int i = 0; i < rows; ++i) indices.push_back(std::to_string(i));
        mRows->splice(0, mRows->get_n_items(), indices);
    }
    const int selected = mDocument.listView().selectedRow();
    mSelection->set_selected(selected >= 0 && selected < rows ? static_cast<guint>(selected)
                                                              : GTK_INVALID_LIST_POSITION);
    mMirroring = false;
    // Another row selected, or rows added or taken away (Add, Duplicate, Delete, undo): the
    // selected row is brought into view. The wheel still scrolls the list freely meanwhile.
    if (selected != mFollowedRow || rows != mFollowedRows) {
        mFollowedRow = selected;
        mFollowedRows = rows;
        followSelection();
    }
}

namespace {

// The list view inside the column view, which holds the rows.
GtkWidget* rowList(GtkWidget* columnView) {
    for (GtkWidget* c = gtk_widget_get_first_child(columnView); c; c = gtk_widget_get_next_sibling(c))
        if (GTK_IS_LIST_VIEW(c)) return c;
    return nullptr;
}

}  // namespace

bool CaseTable::selectedRowBounds(double& top, double& bottom, double& height) const {
    GtkWidget* list = rowList(GTK_WIDGET(const_cast<GtkColumnView*>(gobj())));
    const guint at = mSelection->get_selected();
    if (!list || at == GTK_INVALID_LIST_POSITION) return false;
    height = gtk_widget_get_height(list);
    bool found = false;
    for (const Bound& b : *mBound) {
        graphene_rect_t r;
        if (b.item->get_position() != at || !gtk_widget_get_mapped(GTK_WIDGET(b.label->gobj())) ||
            !gtk_widget_compute_bounds(GTK_WIDGET(b.label->gobj()), list, &r) || r.size.height <= 0)
            continue;
        top = found ? std::min<double>(top, r.origin.y) : r.origin.y;
        bottom = found ? std::max<double>(bottom, r.origin.y + r.size.height) : r.origin.y + r.size.height;
        found = true;
    }
    return found;
}

bool CaseTable::scrollSelectedIntoView() {
    const guint at = mSelection->get_selected();
    if (at == GTK_INVALID_LIST_POSITION) return true;
    GtkAdjustment* v = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(gobj()));
    const guint n = mRows->get_n_items();
    if (!v || n == 0) return true;
    const double lower = gtk_adjustment_get_lower(v), upper = gtk_adjustment_get_upper(v);
    const double page = gtk_adjustment_get_page_size(v);
    if (page <= 0) return false;  // not laid out yet
    double top = 0, bottom = 0, height = 0, target = 0;
    if (selectedRowBounds(top, bottom, height)) {
        if (top >= -0.5 && bottom <= height + 0.5) return true;
        // Just into view, on the side it lay beyond.
        target = gtk_adjustment_get_value(v) + (top < 0 ? top - 2 : bottom - height + 2);
    } else {
        // A row far from the view has no widgets yet: it is scrolled to where the rows' mean
        // height puts it, and placed exactly on a later turn.
        const double rowHeight = (upper - lower) / n;
        target = lower + at * rowHeight - (page - rowHeight) / 2;
    }
    gtk_adjustment_set_value(v, std::clamp(target, lower, std::max(lower, upper - page)));
    return false;
}

void CaseTable::followSelection() {
    mFollowTurns = 0;
    if (mAfterPaint.connected()) return;
    auto clock = get_frame_clock();
    if (!clock) return;
    // Once a frame has laid the rows out (never from the stale places of rows just added or
    // moved), a turn per frame: a few dozen at most.
    mAfterPaint = clock->signal_paint().connect([this] {
        if (scrollSelectedIntoView() || ++mFollowTurns > 30) {
            mAfterPaint.disconnect();
            return;
        }
        if (auto c = get_frame_clock()) c->request_phase(Gdk::FrameClock::Phase::PAINT);
    });
    clock->request_phase(Gdk::FrameClock::Phase::PAINT);
}

std::vector<CaseTable::Cell> CaseTable::cells() const {
    std::vector<Cell> shown;
    for (const Bound& b : *mBound)
        shown.push_back({static_cast<int>(b.item->get_position()), b.key, b.label});
    return shown;
}

void CaseTable::selectRow(int row) {
    mRun([this, row] { mDocument.listView().selectRow(row); });
}

bool CaseTable::keyPressed(unsigned keyval, unsigned state) {
    const std::optional<int> code = tableKeyCode(keyval);
    if (!code) return false;
    KeyEvent key;
    key.keyCode = *code;
    key.modifierFlags = modifierFlags(state);
    // The table's model answers these keys whole; GTK's own handling would move twice.
    mRun([this, &key] { mDocument.listView().keyDown(key); });
    return true;
}

}  // namespace vornex::shell
