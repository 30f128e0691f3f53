#include "GtkPlotServices.h"

#include <gtkmm/colorchooserdialog.h>
#include <gtkmm/filechoosernative.h>
#include <gtkmm/filefilter.h>
#include <gtkmm/fontchooserdialog.h>
#include <gtkmm/messagedialog.h>
#include <glibmm/main.h>

#include "PanelWindows.h"
#include "ShellSupport.h"
#include "plot/CPlotView.h"

namespace vornex::shell {

namespace {

Font fontOf(const Pango::FontDescription& d) {
    const double size = d.get_size() > 0 ? d.get_size() / static_cast<double>(PANGO_SCALE) : 12.0;
    return Font(d.get_family(), size, d.get_weight() >= Pango::Weight::BOLD,
                d.get_style() != Pango::Style::NORMAL);
}

Pango::FontDescription descriptionOf(const Font& f) {
    Pango::FontDescription d;
    d.set_family(f.installedFamily());
    d.set_size(static_cast<int>(f.size() * PANGO_SCALE));
    d.set_weight(f.isBold() ? Pango::Weight::BOLD : Pango::Weight::NORMAL);
    d.set_style(f.isItalic() ? Pango::Style::ITALIC : Pango::Style::NORMAL);
    return d;
}

// The list of fonts inside a font chooser (not its list of languages); null until it is
// filled.
GtkListView* fontList(GtkWidget* widget) {
    if (GTK_IS_LIST_VIEW(widget)) {
        GtkSelectionModel* rows = gtk_list_view_get_model(GTK_LIST_VIEW(widget));
        GObject* first = GTK_IS_SINGLE_SELECTION(rows)
                             ? static_cast<GObject*>(g_list_model_get_item(G_LIST_MODEL(rows), 0))
                             : nullptr;
        const bool fonts = first && (PANGO_IS_FONT_FACE(first) || PANGO_IS_FONT_FAMILY(first));
        if (first) g_object_unref(first);
        return fonts ? GTK_LIST_VIEW(widget) : nullptr;
    }
    for (GtkWidget* c = gtk_widget_get_first_child(widget); c; c = gtk_widget_get_next_sibling(c))
        if (GtkListView* found = fontList(c)) return found;
    return nullptr;
}

// Whether the chooser's row AT shows the family (and the weight and style) of WANTED. A row
// holds a face, or a whole family where the chooser lists families only.
bool listItemIs(GtkSingleSelection* rows, guint at, const Pango::FontDescription& wanted) {
    GObject* item = static_cast<GObject*>(g_list_model_get_item(G_LIST_MODEL(rows), at));
    if (!item) return false;
    PangoFontFace* face = PANGO_IS_FONT_FACE(item) ? PANGO_FONT_FACE(item) : nullptr;
    PangoFontFamily* family = face ? pango_font_face_get_family(face)
                              : PANGO_IS_FONT_FAMILY(item) ? PANGO_FONT_FAMILY(item)
                                                           : nullptr;
    bool same = family && g_ascii_strcasecmp(pango_font_family_get_name(family),
                                             wanted.get_family().c_str()) == 0;
    if (same && face) {
        PangoFontDescription* d = pango_font_face_describe(face);
        same = pango_font_description_get_weight(d) ==
                   static_cast<PangoWeight>(wanted.get_weight()) &&
               pango_font_description_get_style(d) == static_cast<PangoStyle>(wanted.get_style());
        pango_font_description_free(d);
    }
    g_object_unref(item);
    return same;
}

// Whether the list's selected row lies wholly in its visible part; with SCROLL, a row out of
// view is brought to the middle of it. A row far from the view has no widget yet: it is
// scrolled to where the rows' mean height puts it, and placed exactly on a later turn.
bool selectedRowInView(GtkListView* list, bool scroll) {
    GtkWidget* view = GTK_WIDGET(list);
    GtkAdjustment* v = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(list));
    const double height = gtk_widget_get_height(view);
    if (!v || height <= 0) return false;
    for (GtkWidget* row = gtk_widget_get_first_child(view); row; row = gtk_widget_get_next_sibling(row)) {
        graphene_rect_t r;
        // (Rows kept for items out of view are unmapped.)
        if (!(gtk_widget_get_state_flags(row) & GTK_STATE_FLAG_SELECTED) ||
            !gtk_widget_get_mapped(row) || !gtk_widget_compute_bounds(row, view, &r))
            continue;
        const double top = r.origin.y, bottom = r.origin.y + r.size.height;
        if (top >= -0.5 && bottom <= height + 0.5) return true;
        if (scroll) gtk_adjustment_set_value(v, gtk_adjustment_get_value(v) + (top + bottom - height) / 2);
        return false;
    }
    GtkSelectionModel* rows = gtk_list_view_get_model(list);
    const guint at = gtk_single_selection_get_selected(GTK_SINGLE_SELECTION(rows));
    const guint n = g_list_model_get_n_items(G_LIST_MODEL(rows));
    if (scroll && at != GTK_INVALID_LIST_POSITION && n > 0) {
        const double rowHeight = gtk_adjustment_get_upper(v) / n;
        gtk_adjustment_set_value(v, at * rowHeight - (height - rowHeight) / 2);
    }
    return false;
}

// Selects WANTED's row in the chooser's list of fonts; false while the list does not hold it
// (yet).
bool selectInFontList(GtkListView* list, const Pango::FontDescription& wanted) {
    auto* rows = GTK_SINGLE_SELECTION(gtk_list_view_get_model(list));
    // The chooser filters its fonts a batch at a time, and selects a row of its own when done.
    GListModel* filtered = gtk_single_selection_get_model(rows);
    if (GTK_IS_FILTER_LIST_MODEL(filtered) &&
        gtk_filter_list_model_get_pending(GTK_FILTER_LIST_MODEL(filtered)) > 0)
        return false;
    const guint n = g_list_model_get_n_items(G_LIST_MODEL(rows));
    for (guint i = 0; i < n; ++i)
        if (listItemIs(rows, i, wanted)) {
            gtk_single_selection_set_selected(rows, i);
            return true;
        }
    return false;
}

}  // namespace

Glib::RefPtr<Gtk::FileChooserNative> fileChooser(Gtk::Window* parent, const std::string& title,
                                                 bool save, const std::string& typeName,
                                                 const std::string& mimeType,
                                                 const std::string& pattern) {
    const auto action = save ? Gtk::FileChooser::Action::SAVE : Gtk::FileChooser::Action::OPEN;
    const char* accept = save ? "_Save" : "_Open";
    auto chooser = parent ? Gtk::FileChooserNative::create(title, *parent, action, accept, "_Cancel")
                          : Gtk::FileChooserNative::create(title, action, accept, "_Cancel");
    chooser->set_modal(true);
    auto filter = Gtk::FileFilter::create();
    filter->set_name(typeName);
    if (!mimeType.empty()) filter->add_mime_type(mimeType);
    filter->add_pattern(pattern);
    chooser->add_filter(filter);
    return chooser;
}

std::optional<std::string> chosenPath(Gtk::FileChooserNative& chooser, int response) {
    if (response != static_cast<int>(Gtk::ResponseType::ACCEPT)) return std::nullopt;
    const Glib::RefPtr<Gio::File> file = chooser.get_file();
    if (!file) return std::nullopt;
    std::string path = file->get_path();
    if (path.empty()) return std::nullopt;
    return path;
}

void GtkPlotServices::keepAbove(Gtk::Window& panel) const {
    if (Gtk::Window* p = parentWindow(); p && p != &panel) panel.set_transient_for(*p);
}

GtkPlotServices& GtkPlotServices::instance() {
    static GtkPlotServices* services = new GtkPlotServices();  // lives as long as the program
    return *services;
}

GtkPlotServices::~GtkPlotServices() = default;

void GtkPlotServices::install(const Glib::RefPtr<Gtk::Application>& application) {
    mApplication = application;
    PlotServices::setShared(this);
    CCurveSettingsWindow::sharedCurvesSettingsCtroller().setColorPanelCloser(
        [this] { if (mColorDialog) mColorDialog->hide(); });
    CPointSettingsWindow::sharedPointsSettingsCtroller().setColorPanelCloser(
        [this] { if (mColorDialog) mColorDialog->hide(); });
    logWindow();
}

void GtkPlotServices::shutdown() {
    PlotServices::setShared(nullptr);
    mPlotWindows.clear();
    mAxisWindow.reset();
    mCurveWindow.reset();
    mPointWindow.reset();
    mLogWindow.reset();
    mColorDialog.reset();
    mFontSearch.disconnect();
    delete mFontDialog;  // the wrapper ends its plain GTK dialog with it
    mFontDialog = nullptr;
    mChooser.reset();
    mApplication.reset();
}

Gtk::Window* GtkPlotServices::parentWindow() const {
    if (!mApplication) return nullptr;
    // The window last in front may since have been hidden (the log closed): a dialog or panel
    // kept above it would stand over nothing. The shown window most recently in front then.
    if (Gtk::Window* active = mApplication->get_active_window(); active && active->get_visible())
        return active;
    for (Gtk::Window* window : mApplication->get_windows())
        if (window->get_visible()) return window;
    return nullptr;
}

void GtkPlotServices::forgetPlot(CPlotView* plot) {
    mPlots.erase(plot);
    if (mFirstResponder == plot) mFirstResponder = nullptr;
    // A panel editing the plot closes with it (its window or document), now, while the plot
    // itself may stay a little longer.
    CAxisRangeWindow::sharedAxisRangeWindowCtroller().forgetPlotView(plot);
    CCurveSettingsWindow::sharedCurvesSettingsCtroller().forgetPlotView(plot);
    CPointSettingsWindow::sharedPointsSettingsCtroller().forgetPlotView(plot);
    if (mAxisWindow) mAxisWindow->refresh();
    if (mCurveWindow) mCurveWindow->refresh();
    if (mPointWindow) mPointWindow->refresh();
    // A plot that goes while its save panel is open takes its command along.
    if (mAskingPlot == plot) {
        mAskingCommand = nullptr;
        mAskingPlot = nullptr;
    }
}

CPlotView* GtkPlotServices::firstResponder() const {
    return mPlots.count(mFirstResponder) ? mFirstResponder : nullptr;
}

void GtkPlotServices::perform(const std::function<void()>& command) {
    mCurrentCommand = command;
    command();
    mCurrentCommand = nullptr;
    changed();
}

std::optional<std::string> GtkPlotServices::runSavePanel(const std::string& proposedName,
                                                         const std::string& fileType) {
    if (mAnswer) {
        std::optional<std::string> answer = std::move(mAnswer);
        mAnswer.reset();
        return answer;
    }
    if (!mCurrentCommand || !mApplication) return std::nullopt;
    // Asked now, answered later: the command runs again with the answer.
    mAskingCommand = mCurrentCommand;
    mAskingPlot = firstResponder();
    mAskedType = fileType;
    mChooser = fileChooser(parentWindow(), "Save", true, fileType + " files", "", "*." + fileType);
    mChooser->set_current_name(nameWithType(proposedName, fileType));
    mChooser->signal_response().connect(
        [this](int response) { answerSavePanel(chosenPath(*mChooser, response)); });
    mChooser->show();
    return std::nullopt;
}

bool GtkPlotServices::isSavePanelOpen() const {
    return static_cast<bool>(mAskingCommand);
}

void GtkPlotServices::answerSavePanel(std::optional<std::string> path) {
    std::function<void()> command = std::move(mAskingCommand);
    mAskingCommand = nullptr;
    mAskingPlot = nullptr;
    if (mChooser) mChooser->hide();
    if (!command || !path) return;
    const std::string ext = "." + mAskedType;
    const std::string chosen = *path;
    if (path->size() < ext.size() || path->compare(path->size() - ext.size(), ext.size(), ext))
        *path += ext;
    if (const std::string refusal = replacedWithoutAsking(chosen, *path); !refusal.empty()) {
        reportError(refusal);
        return;
    }
    mAnswer = *path;
    perform(command);
    mAnswer.reset();
}

void GtkPlotServices::reportError(const std::string& message) {
    mErrors.push_back(message);
    PlotServices::reportError(message);
    Gtk::Window* parent = parentWindow();
    if (!parent) return;
    auto* dialog = new Gtk::MessageDialog(*parent, message, false, Gtk::MessageType::ERROR,
                                          Gtk::ButtonsType::OK, true);
    dialog->signal_response().connect([dialog](int) { delete dialog; });
    dialog->show();
}

AxisRangeWindow& GtkPlotServices::axisRangeWindow() {
    if (!mAxisWindow)
        mAxisWindow =
            std::make_unique<AxisRangeWindow>(CAxisRangeWindow::sharedAxisRangeWindowCtroller());
    return *mAxisWindow;
}

LogWindow& GtkPlotServices::logWindow() {
    if (!mLogWindow) {
        mLogWindow = std::make_unique<LogWindow>(CLogWindow::sharedLogWindowCtroller());
        // A window of the application: its shortcuts (Quit, New ...) work while it has focus.
        if (mApplication) mApplication->add_window(*mLogWindow);
    }
    return *mLogWindow;
}

void GtkPlotServices::showAxisRangePanel(CPlotView& view) {
    PanelServices::showAxisRangePanel(view);
    axisRangeWindow().refresh();
    axisRangeWindow().present();
}

void GtkPlotServices::updateAxisRangePanel() {
    PanelServices::updateAxisRangePanel();
    if (mAxisWindow) mAxisWindow->refresh();
}

void GtkPlotServices::showCurveSettingsPanel(CPlotView& view, CGraphCurve& curve) {
    PanelServices::showCurveSettingsPanel(view, curve);
    if (!mCurveWindow)
        mCurveWindow = std::make_unique<CurveSettingsWindow>(
            CCurveSettingsWindow::sharedCurvesSettingsCtroller(), [this] { changed(); });
    keepAbove(*mCurveWindow);
    mCurveWindow->refresh();
}

Gtk::Window* GtkPlotServices::curveSettingsWindow() const {
    return mCurveWindow.get();
}

void GtkPlotServices::showPointSettingsPanel(CPlotView& view, CGraphObject& object) {
    PanelServices::showPointSettingsPanel(view, object);
    if (!mPointWindow)
        mPointWindow = std::make_unique<PointSettingsWindow>(
            CPointSettingsWindow::sharedPointsSettingsCtroller(), [this] { changed(); });
    keepAbove(*mPointWindow);
    mPointWindow->refresh();
}

void GtkPlotServices::showFontPanel(const Font& font) {
    if (!mFontDialog) {
        mFontDialog = Glib::wrap(GTK_FONT_CHOOSER_DIALOG(gtk_font_chooser_dialog_new("Font", nullptr)));
        mFontDialog->set_hide_on_close(true);
        mFontDialog->signal_response().connect([this](int response) {
            // A description without a family (no font chosen yet) changes nothing.
            const Pango::FontDescription description = mFontDialog->get_font_desc();
            if (response == static_cast<int>(Gtk::ResponseType::OK) && description.gobj() &&
                !description.get_family().empty()) {
                const Font chosen = fontOf(description);
                if (CPlotView* plot = firstResponder()) {
                    plot->changeFont([chosen](const Font&) { return chosen; });
                    changed();
                }
            }
            mFontDialog->hide();
        });
    }
    keepAbove(*mFontDialog);
    const Pango::FontDescription current = descriptionOf(font);
    mFontDialog->set_font_desc(current);
    mFontDialog->present();
    // The chooser fills its list of fonts once it is shown, over several main-loop turns, and
    // then selects its first one: the font being edited is chosen again once the list holds
    // it, and its row brought into view once the list has laid it out (for a few seconds at
    // most, and no longer than the user leaves that row chosen).
    mFontSearch.disconnect();
    mFontSearch = Glib::signal_timeout().connect(
        [this, current, tries = 0, chosen = false]() mutable {
            if (!mFontDialog || !mFontDialog->get_visible() || ++tries > 100) return false;
            GtkListView* list = fontList(GTK_WIDGET(mFontDialog->gobj()));
            if (!list) return true;
            if (!chosen) {
                if (!selectInFontList(list, current)) return true;
                chosen = true;
                mFontDialog->set_font_desc(current);
            } else if (!fontDialogShows(current, false)) {
                return false;  // another font was chosen meanwhile
            }
            return !selectedRowInView(list, true);
        },
        50);
}

bool GtkPlotServices::fontDialogShows(const Font& font) {
    return fontDialogShows(descriptionOf(font), true);
}

bool GtkPlotServices::fontDialogShows(const Pango::FontDescription& font, bool inView) {
    if (!mFontDialog || !mFontDialog->get_visible()) return false;
    GtkListView* list = fontList(GTK_WIDGET(mFontDialog->gobj()));
    if (!list) return false;
    auto* selection = GTK_SINGLE_SELECTION(gtk_list_view_get_model(list));
    const guint at = gtk_single_selection_get_selected(selection);
    if (at == GTK_INVALID_LIST_POSITION || !listItemIs(selection, at, font)) return false;
    return !inView || selectedRowInView(list, false);
}

void GtkPlotServices::showColorPanel(const Color& color) {
    if (!mColorDialog) {
        mColorDialog = std::make_unique<Gtk::ColorChooserDialog>("Colour");
        mColorDialog->set_hide_on_close(true);
        mColorDialog->signal_response().connect([this](int response) {
            if (response == static_cast<int>(Gtk::ResponseType::OK)) {
                if (CPlotView* plot = firstResponder()) {
                    // The choice is taken while the chooser is still on screen.
                    plot->changeColor(fromRgba(mColorDialog->get_rgba()), true);
                    changed();
                }
            }
            mColorDialog->hide();
        });
    }
    keepAbove(*mColorDialog);
    mColorDialog->set_rgba(toRgba(color));
    mColorDialog->present();
}

bool GtkPlotServices::isColorPanelVisible() const {
    return mColorDialog && mColorDialog->get_visible();
}

void GtkPlotServices::setColorPanelColor(const Color& color) {
    if (mColorDialog) mColorDialog->set_rgba(toRgba(color));
}

void GtkPlotServices::openPlotWindow(std::unique_ptr<CPlotView> view) {
    auto window = std::make_unique<PlotWindow>(std::move(view));
    PlotWindow* raw = window.get();
    // Closing hides the window, which this list owns; it is destroyed from the main loop, not
    // inside its own signal (GTK destroying it would leave a dead window to the owner).
    window->set_hide_on_close(true);
    window->signal_hide().connect([this, raw] {
        Glib::signal_idle().connect_once([this, raw] {
            mPlotWindows.remove_if([raw](const auto& w) { return w.get() == raw; });
        });
    });
    // GTK cannot place a window itself on X11; a window manager centres a window over the one
    // it belongs to, where it otherwise puts it wherever room is left, partly off screen.
    // (Before the window joins the application, which takes it for the active one.)
    keepAbove(*window);
    if (mApplication) mApplication->add_window(*window);
    window->present();
    mPlotWindows.push_back(std::move(window));
}

}  // namespace vornex::shell
