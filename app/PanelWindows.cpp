#include "PanelWindows.h"

#include <glibmm/main.h>
#include <gtkmm/eventcontrollerfocus.h>
#include <gtkmm/eventcontrollerkey.h>
#include <gtkmm/grid.h>
#include <gtkmm/printoperation.h>
#include <gtkmm/scrollbar.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/stringlist.h>
#include <pangomm/layout.h>

#include "GtkPlotServices.h"
#include "PlotWidget.h"
#include "WindowPlacement.h"
#include "plot/CGraphObject.h"

namespace vornex::shell {

Gdk::RGBA toRgba(const Color& c) {
    Gdk::RGBA rgba;
    rgba.set_rgba(c.redComponent(), c.greenComponent(), c.blueComponent(), c.alphaComponent());
    return rgba;
}

Color fromRgba(const Gdk::RGBA& c) {
    return Color::calibratedRGB(c.get_red(), c.get_green(), c.get_blue(), c.get_alpha());
}

void closeOnEscape(Gtk::Window& window) {
    auto keys = Gtk::EventControllerKey::create();
    keys->signal_key_pressed().connect(
        [&window](guint keyval, guint, Gdk::ModifierType state) {
            const auto held = Gdk::ModifierType::SHIFT_MASK | Gdk::ModifierType::CONTROL_MASK |
                              Gdk::ModifierType::ALT_MASK;
            if (keyval != GDK_KEY_Escape || (state & held) != Gdk::ModifierType(0)) return false;
            window.close();
            return true;
        },
        false);
    window.add_controller(keys);
}

namespace {

Gtk::Window* parent() {
    return GtkPlotServices::instance().parentWindow();
}

constexpr int kPanelWidth = 340;

void preparePanel(Gtk::Window& w, const char* title, bool modal) {
    w.set_title(title);
    // Room for the title in the title bar, and for the longest choice of a list, so that the
    // window neither cuts its title nor changes its size with the choice shown.
    w.set_default_size(kPanelWidth, -1);
    w.set_modal(modal);
    w.set_hide_on_close(true);
    closeOnEscape(w);
    if (Gtk::Window* p = parent()) w.set_transient_for(*p);
}

}  // namespace

// ----- Axis ranges -------------------------------------------------------------------------

AxisRangeWindow::AxisRangeWindow(CAxisRangeWindow& panel) : mPanel(panel) {
    preparePanel(*this, "Axis Ranges", false);
    auto* grid = Gtk::make_managed<Gtk::Grid>();
    grid->set_row_spacing(4);
    grid->set_column_spacing(6);
    grid->set_margin(10);
    const char* labels[] = {"X min", "X max", "Y min", "Y max", "X ticks", "Y ticks"};
    for (int f = 0; f < CAxisRangeWindow::kFieldCount; ++f) {
        auto* label = Gtk::make_managed<Gtk::Label>(labels[f]);
        label->set_xalign(1);
        grid->attach(*label, 0, f);
        mFields[f].set_width_chars(12);
        grid->attach(mFields[f], 1, f);
        auto field = static_cast<CAxisRangeWindow::Field>(f);
        mFields[f].signal_activate().connect([this, field] {
            typeInto(field, mFields[field].get_text());
        });
        mFields[f].signal_changed().connect([this, field] {
            if (!mMirroring) mEditing[field] = true;
        });
        auto focus = Gtk::EventControllerFocus::create();
        focus->signal_leave().connect([this, field] { commitEdited(field); });
        mFields[f].add_controller(focus);
        if (f < CAxisRangeWindow::kStepperCount) {
            auto* pair = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 2);
            const char* icons[] = {"list-remove-symbolic", "list-add-symbolic"};
            const char* tips[] = {"Step down", "Step up"};
            for (int k = 0; k < 2; ++k) {
                Gtk::Button& b = mSteps[f][k];
                b.set_icon_name(icons[k]);
                b.set_tooltip_text(tips[k]);
                b.signal_clicked().connect([this, field, k] { step(field, k == 0 ? -1 : 1); });
                pair->append(b);
            }
            grid->attach(*pair, 2, f);
        }
    }
    const char* titles[] = {"Default", "Maximum", "Cancel", "OK"};
    auto* row = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 6);
    for (int b = 0; b < CAxisRangeWindow::kButtonCount; ++b) {
        mButtons[b].set_label(titles[b]);
        row->append(mButtons[b]);
    }
    mButtons[CAxisRangeWindow::kUseDefault].signal_clicked().connect(
        [this] { apply([this] { mPanel.onUseDefaultRangeValues(); }); });
    mButtons[CAxisRangeWindow::kUseMax].signal_clicked().connect(
        [this] { apply([this] { mPanel.onUseMaximumRangeValues(); }); });
    mButtons[CAxisRangeWindow::kCancel].signal_clicked().connect([this] {
        mEditing.fill(false);
        apply([this] { mPanel.onCancelButton(); });
    });
    mButtons[CAxisRangeWindow::kOK].signal_clicked().connect([this] {
        apply([this] {
            for (int f = 0; f < CAxisRangeWindow::kFieldCount; ++f)
                mPanel.setFieldText(static_cast<CAxisRangeWindow::Field>(f), mFields[f].get_text());
            mEditing.fill(false);
            mPanel.onOKButton();
        });
    });
    grid->attach(*row, 0, CAxisRangeWindow::kFieldCount, 3);
    mMessage.set_wrap(true);
    mMessage.set_max_width_chars(40);
    grid->attach(mMessage, 0, CAxisRangeWindow::kFieldCount + 1, 3);
    set_child(*grid);
    signal_close_request().connect(
        [this] {
            mPanel.orderOut();
            return false;
        },
        false);
}

void AxisRangeWindow::apply(const std::function<void()>& action) {
    action();
    refresh();
    GtkPlotServices::instance().changed();
}

void AxisRangeWindow::typeInto(CAxisRangeWindow::Field field, const std::string& text) {
    mMirroring = true;
    mFields[field].set_text(text);
    mMirroring = false;
    mEditing[field] = false;
    apply([this, field, text] {
        mPanel.setFieldText(field, text);
        mPanel.onChangeCoordinates();
    });
}

void AxisRangeWindow::typeWithoutEnter(CAxisRangeWindow::Field field, const std::string& text) {
    mFields[field].grab_focus();
    mFields[field].set_text(text);
}

void AxisRangeWindow::tabFrom(CAxisRangeWindow::Field field) {
    // The focus goes on to the next control, as Tab takes it.
    if (field < CAxisRangeWindow::kStepperCount)
        mSteps[field][0].grab_focus();
    else
        mButtons[CAxisRangeWindow::kOK].grab_focus();
}

void AxisRangeWindow::commitEdited(CAxisRangeWindow::Field field) {
    if (!mEditing[field] || mMirroring) return;
    typeInto(field, mFields[field].get_text());
}

void AxisRangeWindow::step(CAxisRangeWindow::Field field, int direction) {
    const CAxisRangeWindow::Stepper& s = mPanel.stepper(field);
    if (!s.enabled) return;
    const double value = s.value + direction * s.increment;
    apply([this, field, value] {
        mPanel.setStepperValue(field, value);
        switch (field) {
            case CAxisRangeWindow::kXmin: mPanel.onStepXmin(); break;
            case CAxisRangeWindow::kXmax: mPanel.onStepXmax(); break;
            case CAxisRangeWindow::kYmin: mPanel.onStepYmin(); break;
            default: mPanel.onStepYmax(); break;
        }
    });
}

void AxisRangeWindow::refresh() {
    mMirroring = true;
    for (int f = 0; f < CAxisRangeWindow::kFieldCount; ++f) {
        const auto field = static_cast<CAxisRangeWindow::Field>(f);
        // What the user is typing stays until it is committed.
        if (!mEditing[f]) mFields[f].set_text(mPanel.field(field).text);
        mFields[f].set_sensitive(mPanel.field(field).enabled);
        if (f < CAxisRangeWindow::kStepperCount)
            for (Gtk::Button& b : mSteps[f]) b.set_sensitive(mPanel.stepper(field).enabled);
    }
    for (int b = 0; b < CAxisRangeWindow::kButtonCount; ++b)
        mButtons[b].set_sensitive(mPanel.isButtonEnabled(static_cast<CAxisRangeWindow::Button>(b)));
    mMessage.set_text(mPanel.message());
    set_visible(mPanel.isVisible());
    mMirroring = false;
}

// ----- Settings panels ------------------------------------------------------------------------

namespace {

// OK and Cancel below the panel's controls; closing the window ends the session too.
template <class Panel>
Gtk::Box* settingsButtons(Gtk::Window& w, Panel& panel, std::function<void()> done) {
    auto* row = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 6);
    row->set_halign(Gtk::Align::END);
    auto* cancel = Gtk::make_managed<Gtk::Button>("Cancel");
    auto* ok = Gtk::make_managed<Gtk::Button>("OK");
    row->append(*cancel);
    row->append(*ok);
    cancel->signal_clicked().connect([&panel, done] {
        panel.onCancelButton();
        done();
    });
    ok->signal_clicked().connect([&panel, done] {
        panel.onOKButton();
        done();
    });
    w.signal_close_request().connect(
        [&panel, done] {
            if (panel.isModalSessionRunning()) panel.windowWillClose();
            done();
            return false;
        },
        false);
    return row;
}

Gtk::Grid* panelGrid() {
    auto* grid = Gtk::make_managed<Gtk::Grid>();
    grid->set_row_spacing(6);
    grid->set_column_spacing(8);
    grid->set_margin(12);
    return grid;
}

void addRow(Gtk::Grid& grid, int row, const char* title, Gtk::Widget& widget) {
    auto* label = Gtk::make_managed<Gtk::Label>(title);
    label->set_xalign(1);
    grid.attach(*label, 0, row);
    grid.attach(widget, 1, row);
}

std::vector<Glib::ustring> numbered(const char* prefix, int n) {
    std::vector<Glib::ustring> items;
    for (int i = 1; i <= n; ++i) items.push_back(prefix + std::to_string(i));
    return items;
}

}  // namespace

CurveSettingsWindow::CurveSettingsWindow(CCurveSettingsWindow& panel, std::function<void()> changed)
    : mPanel(panel),
      mChanged(std::move(changed)),
      mThickness(Gtk::StringList::create({"Normal", "Double", "Triple"})) {
    preparePanel(*this, "Curve Settings", true);
    auto* grid = panelGrid();
    mThickness.set_hexpand(true);
    addRow(*grid, 0, "Thickness", mThickness);
    addRow(*grid, 1, "Colour", mColor);
    grid->attach(*settingsButtons(*this, mPanel, [this] { refresh(); mChanged(); }), 0, 2, 2);
    set_child(*grid);
    mThickness.property_selected().signal_changed().connect([this] {
        if (mMirroring) return;
        mPanel.selectThicknessItem(static_cast<int>(mThickness.get_selected()));
        mPanel.onChangeThickness();
        mChanged();
    });
    mColor.signal_color_set().connect([this] {
        mPanel.setColorWell(fromRgba(mColor.get_rgba()));
        mPanel.onChangeColor();
        mChanged();
    });
}

void CurveSettingsWindow::refresh() {
    mMirroring = true;
    mThickness.set_selected(static_cast<guint>(mPanel.selectedThicknessItem()));
    mColor.set_rgba(toRgba(mPanel.colorWell()));
    set_visible(mPanel.isVisible());
    mMirroring = false;
}

PointSettingsWindow::PointSettingsWindow(CPointSettingsWindow& panel, std::function<void()> changed)
    : mPanel(panel),
      mChanged(std::move(changed)),
      mMarker(Gtk::StringList::create(
          {"Filled circle", "Circle", "Filled square", "Square", "Plus", "Cross",
           "Filled triangle up", "Filled triangle down", "Triangle up", "Triangle down",
           "Filled diamond", "Diamond"})),
      mSize(Gtk::StringList::create(numbered("", CPointSettingsWindow::kSizeItems))) {
    preparePanel(*this, "Point Settings", true);
    auto* grid = panelGrid();
    mMarker.set_hexpand(true);
    mSize.set_hexpand(true);
    addRow(*grid, 0, "Marker", mMarker);
    addRow(*grid, 1, "Size", mSize);
    addRow(*grid, 2, "Colour", mColor);
    grid->attach(*settingsButtons(*this, mPanel, [this] { refresh(); mChanged(); }), 0, 3, 2);
    set_child(*grid);
    mMarker.property_selected().signal_changed().connect([this] {
        if (mMirroring) return;
        mPanel.selectMarkerItem(static_cast<int>(mMarker.get_selected()));
        mPanel.onChangeMarkerType();
        mChanged();
    });
    mSize.property_selected().signal_changed().connect([this] {
        if (mMirroring) return;
        mPanel.selectSizeItem(static_cast<int>(mSize.get_selected()));
        mPanel.onChangeMarkerSize();
        mChanged();
    });
    mColor.signal_color_set().connect([this] {
        mPanel.setColorWell(fromRgba(mColor.get_rgba()));
        mPanel.onChangeColor();
        mChanged();
    });
}

void PointSettingsWindow::refresh() {
    mMirroring = true;
    const int marker = mPanel.selectedMarkerItem();
    mMarker.set_selected(marker < 0 ? GTK_INVALID_LIST_POSITION : static_cast<guint>(marker));
    mSize.set_selected(static_cast<guint>(mPanel.selectedSizeItem()));
    mColor.set_rgba(toRgba(mPanel.colorWell()));
    set_visible(mPanel.isVisible());
    mMirroring = false;
}

// ----- Log ------------------------------------------------------------------------------------

namespace {

// A scrolled window and its vertical scroll bar, laid out in that order and drawn the other
// way round. A text view may still be laying lines out when GTK draws it (input handled
// earlier in the same turn of the main loop changed it: a click or a key in it, or text
// added from within another window's frame), and then moves its scroll bar while it draws.
// A scrolled window draws its own bar after its content, and GTK found that bar moved and not
// yet placed again (a warning, and a frame with a stale bar); drawn first, the bar is placed
// again in the next frame.
class ScrollBarDrawnFirst : public Gtk::Grid {
   public:
    explicit ScrollBarDrawnFirst(Gtk::ScrolledWindow& scroller)
        : mScroller(scroller), mBar(scroller.get_vadjustment(), Gtk::Orientation::VERTICAL) {
        attach(mScroller, 0, 0);
        attach(mBar, 1, 0);
    }

   protected:
    void snapshot_vfunc(const Glib::RefPtr<Gtk::Snapshot>& snapshot) override {
        snapshot_child(mBar, snapshot);
        snapshot_child(mScroller, snapshot);
    }

   private:
    Gtk::ScrolledWindow& mScroller;
    Gtk::Scrollbar mBar;
};

}  // namespace

LogWindow::LogWindow(CLogWindow& log) : mLog(log) {
    set_title("Log");
    set_hide_on_close(true);
    const Size size = mLog.contentSize();
    set_default_size(static_cast<int>(size.width), static_cast<int>(size.height));
    mText.set_editable(false);
    mText.set_monospace(true);
    // Long lines (a state report with many columns) wrap rather than run past the edge.
    mText.set_wrap_mode(Gtk::WrapMode::WORD_CHAR);
    auto* scroller = Gtk::make_managed<Gtk::ScrolledWindow>();
    scroller->set_child(mText);
    scroller->set_expand(true);
    scroller->set_policy(Gtk::PolicyType::NEVER, Gtk::PolicyType::EXTERNAL);
    auto* view = Gtk::make_managed<ScrollBarDrawnFirst>(*scroller);
    auto* clear = Gtk::make_managed<Gtk::Button>("Clear");
    auto* printButton = Gtk::make_managed<Gtk::Button>("Print\u2026");
    clear->signal_clicked().connect([this] { mLog.clearText(); });
    printButton->signal_clicked().connect([this] { print(); });
    auto* row = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 6);
    row->set_margin(4);
    row->append(*clear);
    row->append(*printButton);
    auto* box = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL);
    box->append(*view);
    box->append(*row);
    set_child(*box);
    signal_close_request().connect(
        [this] {
            mLog.orderOut();
            return false;
        },
        false);
    // A change of the log while it shows reaches the text view in an idle turn of its own.
    // Input handled in another window's frame (a recalculation) changes the log; GTK may draw
    // this window in that same turn of the main loop, and a text view changed since its last
    // layout lays the new lines out while it draws, moving its scroll bar (see
    // ScrollBarDrawnFirst). From an idle turn of a higher priority than drawing, the text view
    // lays its lines out before any window draws.
    mLog.setChangeHandler([this] {
        if (!mLog.isVisible() || !get_visible()) {
            refresh();
        } else if (!mPendingRefresh.connected()) {
            mPendingRefresh = Glib::signal_idle().connect(
                [this] {
                    refresh();
                    return false;
                },
                Glib::PRIORITY_HIGH_IDLE);
        }
    });
    refresh();
}

LogWindow::~LogWindow() {
    mPendingRefresh.disconnect();
    mScrollToEnd.disconnect();
    mLog.setChangeHandler(nullptr);
}

void LogWindow::refresh() {
    mPendingRefresh.disconnect();
    if (!mLog.isVisible()) {
        set_visible(false);
        return;
    }
    // The log mostly grows at its end: only what was added goes into the text view, whose
    // layout of a long log would otherwise be done again, all of it, after every recalculation.
    // A log changed elsewhere (cleared) is shown afresh.
    const std::vector<AttributedString::Run>& runs = mLog.text().runs();
    std::size_t kept = 0;
    if (mBuffer && runs.size() >= mShown.size() && !mShown.empty()) {
        const std::size_t last = mShown.size() - 1;
        bool same = true;
        for (std::size_t i = 0; same && i < last; ++i) same = runs[i] == mShown[i];
        same = same && runs[last].attributes == mShown[last].attributes &&
               runs[last].text.compare(0, mShown[last].text.size(), mShown[last].text) == 0;
        if (same) {
            mBuffer->insert_with_tag(mBuffer->end(), runs[last].text.substr(mShown[last].text.size()),
                                     mTags[last]);
            mShown[last] = runs[last];
            kept = runs.size() > last ? last + 1 : runs.size();
        }
    }
    if (kept == 0) {
        mBuffer = Gtk::TextBuffer::create();
        mShown.clear();
        mTags.clear();
        mText.set_buffer(mBuffer);
    }
    for (std::size_t i = kept; i < runs.size(); ++i) {
        const AttributedString::Run& run = runs[i];
        auto tag = Gtk::TextTag::create();
        const Font& f = run.attributes.font;
        tag->property_family() = f.installedFamily();
        tag->property_size_points() = f.size();
        tag->property_weight() = f.isBold() ? 700 : 400;
        tag->property_style() = f.isItalic() ? Pango::Style::ITALIC : Pango::Style::NORMAL;
        if (run.attributes.underline) tag->property_underline() = Pango::Underline::SINGLE;
        if (run.attributes.color) tag->property_foreground_rgba() = toRgba(*run.attributes.color);
        mBuffer->get_tag_table()->add(tag);
        mBuffer->insert_with_tag(mBuffer->end(), run.text, tag);
        mShown.push_back(run);
        mTags.push_back(tag);
    }
    // The log shows what each recalculation wrote while the user goes on in the document: it
    // is shown once, beside the document, and from then on neither raised nor given the
    // keyboard (which would take the next key or click from the document). The user's Show
    // Log brings it forward.
    if (!get_visible()) {
        const Size size = mLog.contentSize();
        set_default_size(static_cast<int>(size.width), static_cast<int>(size.height));
        showBeside(*this, GtkPlotServices::instance().parentWindow());
    }
    // The view follows the end once it has laid the new text out (a low priority comes after
    // the text view's own layout work): a scroll asked of the text view itself is done while
    // GTK draws, and moved the scroll bar it was about to draw (a GTK warning).
    if (!mScrollToEnd.connected())
        mScrollToEnd = Glib::signal_idle().connect(
            [this] {
                auto adjustment = mText.get_vadjustment();
                if (adjustment) adjustment->set_value(adjustment->get_upper() - adjustment->get_page_size());
                return false;
            },
            Glib::PRIORITY_LOW);
}

namespace {

// The log's lines and how they fall on pages. A line wraps at the page width; a page holds
// the whole lines whose wrapped height fits it, so none is cut at a page break. A line taller
// than a page goes on over the pages after it, broken between its rows.
struct LogPages {
    // The part of a line's wrapped height, [from, to), that a page shows.
    struct Piece {
        std::size_t line;
        double from, to;
    };
    std::vector<std::string> lines;
    std::vector<std::vector<Piece>> pages;
};

Glib::RefPtr<Pango::Layout> lineLayout(const Glib::RefPtr<Gtk::PrintContext>& context,
                                       const std::string& line) {
    auto layout = context->create_pango_layout();
    layout->set_font_description(Pango::FontDescription("Liberation Mono 9"));
    layout->set_width(static_cast<int>(context->get_width() * PANGO_SCALE));
    layout->set_wrap(Pango::WrapMode::WORD_CHAR);
    layout->set_text(line.empty() ? " " : line);
    return layout;
}

double lineHeight(const Glib::RefPtr<Pango::Layout>& layout) {
    int width = 0, height = 0;
    layout->get_size(width, height);
    return static_cast<double>(height) / PANGO_SCALE;
}

// A row of a wrapped line: its top and bottom, and where it is drawn from (its left end on
// the baseline), in points from the line's top left corner.
struct Row {
    double top, bottom, x, baseline;
    Glib::RefPtr<Pango::LayoutLine> line;
};

template <class Visit>
void forEachRow(const Glib::RefPtr<Pango::Layout>& layout, const Visit& visit) {
    Pango::LayoutIter rows = layout->get_iter();
    do {
        int top = 0, bottom = 0;
        rows.get_line_yrange(top, bottom);
        const double scale = PANGO_SCALE;
        visit(Row{top / scale, bottom / scale, rows.get_line_logical_extents().get_x() / scale,
                  rows.get_baseline() / scale, rows.get_line()});
    } while (rows.next_line());
}

void paginate(LogPages& pages, const Glib::RefPtr<Gtk::PrintContext>& context) {
    const double height = context->get_height();
    pages.pages.assign(1, {});
    double y = 0;
    for (std::size_t i = 0; i < pages.lines.size(); ++i) {
        auto layout = lineLayout(context, pages.lines[i]);
        const double h = lineHeight(layout);
        if (y > 0 && y + h > height) {
            pages.pages.emplace_back();
            y = 0;
        }
        if (h <= height) {
            pages.pages.back().push_back({i, 0, h});
            y += h;
            continue;
        }
        // Taller than a page: as many of its rows as each page takes (one at least).
        double from = 0, end = 0;
        forEachRow(layout, [&](const Row& row) {
            if (row.bottom - from > height && end > from) {
                pages.pages.back().push_back({i, from, end});
                pages.pages.emplace_back();
                from = end;
            }
            end = row.bottom;
        });
        pages.pages.back().push_back({i, from, h});
        y = h - from;
    }
}

}  // namespace

Glib::RefPtr<Gtk::PrintOperation> LogWindow::printOperation() {
    auto operation = Gtk::PrintOperation::create();
    operation->set_job_name("Log");
    auto pages = std::make_shared<LogPages>();
    const std::string text = mLog.string();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find('\n', start);
        pages->lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    // The text's own last line end starts no line of its own.
    if (pages->lines.size() > 1 && pages->lines.back().empty()) pages->lines.pop_back();
    operation->signal_begin_print().connect(
        [pages, raw = operation.get()](const Glib::RefPtr<Gtk::PrintContext>& context) {
            paginate(*pages, context);
            raw->set_n_pages(static_cast<int>(pages->pages.size()));
        });
    operation->signal_draw_page().connect(
        [pages](const Glib::RefPtr<Gtk::PrintContext>& context, int page) {
            if (page < 0 || static_cast<std::size_t>(page) >= pages->pages.size()) return;
            auto cr = context->get_cairo_context();
            double y = 0;
            for (const LogPages::Piece& piece : pages->pages[page]) {
                // Row by row, the rows of the piece only: a row is never drawn on two pages.
                forEachRow(lineLayout(context, pages->lines[piece.line]), [&](const Row& row) {
                    if (row.top < piece.from - 0.01 || row.top >= piece.to - 0.01) return;
                    cr->move_to(row.x, y + row.baseline - piece.from);
                    row.line->show_in_cairo_context(cr);
                });
                y += piece.to - piece.from;
            }
        });
    return operation;
}

void LogWindow::print() {
    runPrintOperation(printOperation(), Gtk::PrintOperation::Action::PRINT_DIALOG, *this, "the log");
}

bool LogWindow::exportPdf(const std::string& path) {
    auto operation = printOperation();
    operation->set_export_filename(path);
    return runPrintOperation(operation, Gtk::PrintOperation::Action::EXPORT, *this, "the log");
}

bool runPrintOperation(const Glib::RefPtr<Gtk::PrintOperation>& operation,
                       Gtk::PrintOperation::Action action, Gtk::Window& parent,
                       const std::string& what) {
    std::string reason;
    try {
        switch (operation->run(action, parent)) {
            case Gtk::PrintOperation::Result::APPLY:
                return true;
            case Gtk::PrintOperation::Result::ERROR:
                reason = "the printing system gave no reason";
                break;
            default:
                return false;  // cancelled, or handed on to go on in the background
        }
    } catch (const Glib::Error& e) {
        reason = e.what();
    }
    GtkPlotServices::instance().reportError("Could not print " + what + ": " + reason + ".");
    return false;
}

// ----- Plot windows --------------------------------------------------------------------------

PlotWindow::PlotWindow(std::unique_ptr<CPlotView> view) {
    set_title(view->plotName().empty() ? "Plot" : view->plotName());
    set_default_size(400, 300);
    mHost = std::make_unique<CDrawPlotView>(Rect(0, 0, 400, 300));
    mHost->installPlotView(std::move(view));
    mHost->installButtons();
    mArea = std::make_unique<PlotArea>(*mHost, nullptr);
    set_child(*mArea);
}

PlotWindow::~PlotWindow() {
    unset_child();
    mArea.reset();
    mHost.reset();
}

}  // namespace vornex::shell
