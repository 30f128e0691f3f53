#include "SelfTest.h"

#include <glibmm/main.h>
#include <gtk/gtk.h>

#include <cmath>
#include <cstdio>
#include <gtkmm/scrolledwindow.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <glibmm/convert.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/recentmanager.h>
#include <gtkmm/spinbutton.h>

#include "DocumentWindow.h"
#include "GtkPlotServices.h"
#include "PanelWindows.h"
#include "numerics/AtomicFile.h"
#include "numerics/Decimal.h"
#include "ScriptedSession.h"
#include "StateReport.h"
#include "plot/CCurveSettingsWindow.h"
#include "plot/CGraphCurve.h"
#include "plot/CLogWindow.h"
#include "WyvraApplication.h"

namespace vornex::shell {

namespace {

class Session : public ScriptedSession {
   public:
    Session(WyvraApplication& app, std::string image)
        : ScriptedSession(app), mImage(std::move(image)) {}

    void start() {
        ScriptedSession::start({[this] { typeTemperature(); },  [this] { refuseText(); },
                  [this] { checkRefusal(); },      [this] { stepPressure(); },
                  [this] { dragZoomRectangle(); }, [this] { plotCommands(); },
                  [this] { printOwnPlot(); },
                  [this] { reportFailure(); },     [this] { answerFailure(); },
                  [this] { checkFailureAnswered(); },
                  [this] { tabsMenusAndLog(); }, [this] { narrowWindow(); },
                  [this] { haliteTabWhenNarrow(); }, [this] { showIceTab(); },
                  [this] { clickTernary(); },
                  [this] { selectCase(); },
                  [this] { saveAndReopen(); },     [this] { renderAndLook(); }},
                               600);
    }

   private:
    DocumentWindow& window() { return *mApp.windows().back(); }
    MyDocument& document() { return window().document(); }

    // Runs the next step after `ms` milliseconds of main loop, so that the window has been
    // laid out and drawn in between; on a loaded machine, later, once the window in front is
    // on screen with its size (for ten seconds at most: the step's checks then say what is
    // missing).
    void next(unsigned ms) {
        ScriptedSession::next(ms, [this] { return windowLaidOut(); });
    }
    bool windowLaidOut() {
        if (mApp.windows().empty()) return true;
        DocumentWindow& w = window();
        return w.get_mapped() && w.get_width() > 0 && w.get_height() > 0;
    }
    double caseValue(int row, const std::string& key) {
        return document().cases().at(row).get(key).toDouble(-1);
    }

    void typeTemperature() {
        check(document().caseCount() == 1 && !document().isDocumentEdited(),
              "a new document holds one case and no unsaved change");
        check(window().form().type("mStepHaliteTm", "350"), "the temperature field takes 350");
        check(document().mTm == 350 && caseValue(0, "Tm") == 350,
              "the state and the case hold 350 degC");
        check(document().isDocumentEdited(), "the document has unsaved changes");
        check(window().get_title().find('*') == 0, "the title marks the unsaved changes");
        next(200);
    }

    // Text that is no temperature is refused: the state, the case and the stepper keep 350
    // and the status line says why.
    void refuseText() {
        check(window().form().type("mStepHaliteTm", "12abc"), "the temperature field takes text");
        next(200);
    }
    void checkRefusal() {
        const std::string status = document().form().text(MyDocument::kStatusLine);
        auto* stepper = dynamic_cast<Gtk::SpinButton*>(window().form().widget("mStepHaliteTm"));
        check(document().mTm == 350 && caseValue(0, "Tm") == 350 && stepper &&
                  stepper->get_value() == 350 && std::string(stepper->get_text()) == "350",
              "\"12abc\" leaves the temperature at 350 degC in the state, case and stepper");
        check(status.find("Temperature") != std::string::npos &&
                  status.find("12abc") != std::string::npos,
              "the status line names the field and the refused text: " + status);
        window().form().type("mStepHaliteTm", "-300");
        check(document().mTm == 350 && stepper && stepper->get_value() == 350,
              "-300 degC, below absolute zero, is refused");
        next(200);
    }

    void stepPressure() {
        const double before = document().mPm;
        const double increment = document().form()["mStepHalitePm"].increment;
        check(window().form().step("mStepHalitePm", before + increment),
              "the pressure stepper steps");
        check(std::fabs(document().mPm - (before + increment)) < 1e-9 &&
                  std::fabs(document().form().value("mHalitePm") - document().mPm) < 1e-9,
              "the pressure and its field follow the stepper");
        next(300);
    }

    void dragZoomRectangle() {
        PlotArea* area = window().plotArea("mPTViewp");
        check(area != nullptr, "the P-T plot is shown");
        if (!area) return next(0);
        const double w = area->canvas().get_width(), h = area->canvas().get_height();
        float before[4];
        area->plot().getXYRange(before[0], before[1], before[2], before[3]);
        area->onDragBegin(0.35 * w, 0.3 * h);
        area->onDragUpdate(0.1 * w, 0.1 * h);
        const bool following = !area->plot().trackingRect().isZero();
        area->onDragUpdate(0.25 * w, 0.3 * h);
        area->onDragEnd(0.25 * w, 0.3 * h);
        check(following, "the zoom rectangle follows the drag before the release");
        check(!area->plot().trackingRect().isZero() && area->host().zoomInButton().enabled,
              "the drag leaves a zoom rectangle and enables zooming");
        area->onContextClick(0.5 * w, 0.5 * h);
        auto zoomIn = area->menuActions();
        check(area->contextPopover() && zoomIn && zoomIn->lookup_action("item0") && zoomIn->lookup_action("item0")->get_enabled(),
              "the context menu offers Zoom in");
        if (area->contextPopover()) area->contextPopover()->popdown();
        zoomIn->activate_action("item0");
        float after[4];
        area->plot().getXYRange(after[0], after[1], after[2], after[3]);
        check(after[0] > before[0] && after[1] < before[1] && after[3] < before[3],
              "zooming in narrows the P-T ranges");
        check(std::fabs(caseValue(0, "ptmaxx") - after[1]) < 1e-3,
              "the case keeps the zoomed range");
        check(document().undoManager().canUndo() &&
                  mApp.undoTitle() == "_Undo " + document().undoManager().undoActionName(),
              "the zoom can be undone, and the Edit menu says what Undo undoes");
        mZoomedMaxX = after[1];
        next(300);
    }

    // The item of the plot's context menu that sends an action, or -1.
    static int itemOf(Menu& menu, const char* action) {
        for (std::size_t i = 0; i < menu.size(); ++i)
            if (menu.item(i).actionName() == action) return static_cast<int>(i);
        return -1;
    }

    // A double click on a curve opens its settings panel; the context menu saves the plot as
    // PDF through the save panel and opens a copy in a window of its own.
    void plotCommands() {
        PlotArea* area = window().plotArea("mPTViewp");
        if (!area) return next(0);
        CPlotView& plot = area->plot();
        const double h = area->canvas().get_height();
        const Rect inside = plot.getPlotRect().insetBy(6, 6);
        // A vertex of a curve that no later object covers: the hit test takes the last hit.
        std::optional<Point> onCurve;
        const auto& objects = plot.graphObjects();
        for (std::size_t i = 0; i < objects.size() && !onCurve; ++i) {
            auto* curve = dynamic_cast<CGraphCurve*>(objects[i].get());
            if (!curve) continue;
            for (const CurvePoint& p : curve->mPointsList()) {
                const Point v{plot.getXValue(p.x), plot.getYValue(p.y)};
                if (p.penUp || !inside.containsMouse(v) || !curve->isHit(v)) continue;
                bool covered = false;
                for (std::size_t j = i + 1; j < objects.size() && !covered; ++j)
                    covered = objects[j]->isHit(v);
                if (!covered) {
                    onCurve = v;
                    break;
                }
            }
        }
        check(onCurve.has_value(), "a curve runs through the P-T plot");
        if (onCurve) {
            // A drag that starts on the curve zooms; the state stays where it was.
            const double T = document().mTm, P = document().mPm;
            CGraphObject* selectedBefore = plot.selectedObject();
            area->onDragBegin(onCurve->x, h - onCurve->y);
            area->onDragUpdate(40, 30);
            area->onDragEnd(40, 30);
            check(!plot.trackingRect().isZero() && document().mTm == T && document().mPm == P &&
                      plot.selectedObject() == selectedBefore,
                  "a drag that starts on a curve draws a zoom rectangle and moves no state");
            area->onDragBegin(onCurve->x, h - onCurve->y);
            area->onDragEnd(0, 0);
            check(dynamic_cast<CGraphCurve*>(plot.selectedObject()) != nullptr,
                  "a click on the curve selects it");
            area->onDragBegin(onCurve->x, h - onCurve->y);
            area->onDragEnd(0, 0);
            CCurveSettingsWindow& panel = CCurveSettingsWindow::sharedCurvesSettingsCtroller();
            check(panel.isModalSessionRunning() && panel.graphCurve() == plot.selectedObject(),
                  "a double click opens the curve's settings panel");
            Gtk::Window* shown = GtkPlotServices::instance().curveSettingsWindow();
            check(shown && shown->get_visible() && shown->get_modal(),
                  "the panel shows as a modal window");
            if (shown) shown->close();
            check(!panel.isModalSessionRunning() && !panel.isVisible(),
                  "closing the panel's window ends its session");
        }

        // The axis button shows the shared axis-range panel on this plot; a typed bound
        // reaches the plot and the case.
        check(area->clickAxisButton(), "the axis button is pressed");
        AxisRangeWindow& axes = GtkPlotServices::instance().axisRangeWindow();
        CAxisRangeWindow& axisPanel = CAxisRangeWindow::sharedAxisRangeWindowCtroller();
        check(axes.get_visible() && axisPanel.currentPlotView() == &plot,
              "the axis-range panel shows the plot's ranges");
        axes.typeInto(CAxisRangeWindow::kXmax, "900");
        check(plot.mCurrentMaxX() == 900 && caseValue(0, "ptmaxx") == 900,
              "a bound typed into the panel reaches the plot and the case");
        axes.typeInto(CAxisRangeWindow::kXmax, "not a number");
        check(plot.mCurrentMaxX() == 900 && !axisPanel.message().empty(),
              "a bound that is no number is refused with a reason");
        axes.typeInto(CAxisRangeWindow::kXmax, "900");
        // Typed, then Tab and OK: the value reaches the plot and no refresh takes it back.
        axes.typeWithoutEnter(CAxisRangeWindow::kXmin, "300");
        axes.tabFrom(CAxisRangeWindow::kXmin);
        check(std::string(axes.fieldEntry(CAxisRangeWindow::kXmin).get_text()) == "300",
              "the typed X min stays in its field after Tab");
        axes.step(CAxisRangeWindow::kYmax, +1);
        check(std::string(axes.fieldEntry(CAxisRangeWindow::kXmin).get_text()) == "300",
              "stepping another bound leaves the typed X min alone");
        axes.clickOK();
        check(plot.mCurrentMinX() == 300 && caseValue(0, "ptminx") == 300,
              "X min typed, Tab, OK: the plot and the case take 300");
        if (!axisPanel.isVisible()) area->clickAxisButton();
        axes.close();
        check(!axisPanel.isVisible(), "closing the panel hides it");
        mZoomedMaxX = plot.mCurrentMaxX();

        const std::string pdf = temporaryFile("wyvra-plot-", "");
        area->onContextClick(inside.midX(), h - inside.maxY() + 2);
        const int save = itemOf(plot.plotMenu(), "onPrintPlot:");
        area->menuActions()->activate_action("item" + std::to_string(save));
        GtkPlotServices& services = GtkPlotServices::instance();
        check(services.isSavePanelOpen(), "Save as PDF asks for a file");
        // Without a temporary folder the panel is answered with no file.
        services.answerSavePanel(pdf.empty() ? std::nullopt : std::optional<std::string>(pdf));
        if (!pdf.empty()) {
            std::ifstream written(pdf + ".pdf", std::ios::binary);
            std::string head(4, '\0');
            written.read(head.data(), 4);
            check(head == "%PDF", "the plot is written as " + pdf + ".pdf");
            removeTemporary(pdf + ".pdf");
        }

        const std::size_t windows = services.plotWindowCount();
        area->onContextClick(inside.midX(), h - inside.maxY() + 2);
        area->menuActions()->activate_action(
            "item" + std::to_string(itemOf(plot.plotMenu(), "onOpenNewPlotWindow:")));
        check(services.plotWindowCount() == windows + 1, "the plot opens in a window of its own");
        const PlotWindow* copy = services.lastPlotWindow();
        check(copy && copy->get_transient_for() == &window(),
              "the plot's window belongs to the document's, for the window manager to centre it");
        next(300);
    }

    // The tab view, the document menu's ticks, a panel button and the shared log.
    // Print Plot prints the window's own plot, never one acted on in another window.
    void printOwnPlot() {
        CPlotView* first = window().currentPlot();
        check(first == document().mPTViewp, "the plot acted on is the window's current plot");
        DocumentWindow* second = mApp.newDocument();
        CPlotView* own = second ? second->currentPlot() : nullptr;
        check(own && own != first && own == second->document().mPTViewp,
              "a second window's current plot is its own");
        if (second) second->closeConfirmed();
        next(600);
    }

    // A failure the user must learn of comes as an error dialog over the window in front,
    // which its OK button closes.
    static constexpr const char* kFailure = "The plot could not be saved as PDF to /no/plot.pdf";
    // Only the windows this program made in C++ are looked at: wrapping GTK's own (a file
    // chooser it keeps hidden) would make C++ objects that outlive the program's end.
    static Gtk::MessageDialog* failureDialog() {
        GListModel* toplevels = gtk_window_get_toplevels();
        Gtk::MessageDialog* found = nullptr;
        for (guint k = 0; !found && k < g_list_model_get_n_items(toplevels); ++k) {
            GObject* item = static_cast<GObject*>(g_list_model_get_item(toplevels, k));
            auto* d = dynamic_cast<Gtk::MessageDialog*>(Glib::ObjectBase::_get_current_wrapper(item));
            g_object_unref(item);
            if (d && d->get_visible() && d->property_text().get_value() == kFailure) found = d;
        }
        return found;
    }
    void reportFailure() {
        GtkPlotServices& services = GtkPlotServices::instance();
        const std::size_t before = services.reportedErrors().size();
        services.reportError(kFailure);
        check(services.reportedErrors().size() == before + 1 &&
                  services.reportedErrors().back() == kFailure,
              "a reported failure is kept");
        next(300);
    }
    void answerFailure() {
        Gtk::MessageDialog* dialog = failureDialog();
        check(dialog && dialog->get_transient_for() == &window() && dialog->get_modal(),
              "a reported failure shows as a modal error dialog over the window");
        if (dialog) dialog->response(Gtk::ResponseType::OK);
        next(300);
    }
    void checkFailureAnswered() {
        check(failureDialog() == nullptr, "OK closes the error dialog");
        next(200);
    }

    void tabsMenusAndLog() {
        DocumentWindow& win = window();
        win.tabs().set_current_page(4);
        check(document().tabView().selectedIdentifier() == "isochore",
              "choosing the Isochore tab selects it in the document");
        auto actions = win.documentActions();
        auto ticked = [&](const char* action) {
            GVariant* state =
                g_action_group_get_action_state(G_ACTION_GROUP(actions->gobj()), action);
            const bool on = state && g_variant_get_boolean(state);
            if (state) g_variant_unref(state);
            return on;
        };
        check(ticked("doc-onGoToIsochore-panel") && !ticked("doc-onGoToPTX-panel"),
              "the menu ticks the visible tab");
        // A one-phase liquid, whose isochore runs down in temperature.
        win.form().type("mStepHalitePm", "1000");
        win.form().type("mStepHaliteXm", "10");
        const std::size_t before = document().mIsochoreViewp->graphObjects().size();
        check(win.form().click("mIsochoreButton"), "the isochore button is pressed");
        check(document().mIsochoreViewp->graphObjects().size() > before,
              "the isochore of the state is drawn");
        actions->activate_action("doc-onToggleShowCritical");
        check(!document().mShowCritical && !ticked("doc-onToggleShowCritical"),
              "the critical-curve toggle hides it and unticks its item");
        actions->activate_action("doc-onToggleShowCritical");
        actions->activate_action("doc-onGoToPTX-panel");
        check(win.tabs().get_current_page() == 0, "the menu's P-T-X item brings its tab forward");
        actions->activate_action("doc-onShowExperimentalPanel");
        ExperimentalPanel* panel = win.experimentalPanel();
        check(panel && panel->get_visible(), "the experimental-data panel opens");
        if (panel) {
            const std::size_t shown = document().mPxViewp->graphObjects().size();
            panel->tick(0, true);
            check(document().mPxViewp->graphObjects().size() > shown,
                  "a ticked data set is drawn in the P-x plot");
            panel->close();
            check(document().form()["mExpPanel"].hidden, "closing the panel hides it");
        }
        actions->activate_action("doc-onShowLog");
        check(CLogWindow::sharedLogWindowCtroller().isVisible() &&
                  GtkPlotServices::instance().logWindow().get_visible(),
              "Show Log opens the shared log window");
        GtkPlotServices::instance().logWindow().close();
        next(300);
    }

    // At 1024 x 768 the halite tab's panel keeps its fields whole; the page scrolls instead.
    void narrowWindow() {
        window().set_default_size(1024, 768);
        window().tabs().set_current_page(2);
        next(600);
    }
    void haliteTabWhenNarrow() {
        Gtk::Widget* scroller = nullptr;
        for (const char* name : {"mStepThfi", "mTm_edit", "mPm_edit", "mPhfi_edit"}) {
            Gtk::Widget* field = window().form().widget(name);
            int least = 0, natural = 0, b0 = 0, b1 = 0;
            if (field) field->measure(Gtk::Orientation::HORIZONTAL, -1, least, natural, b0, b1);
            check(field && window().get_width() <= 1100 && field->get_width() >= 0.85 * natural,
                  std::string("at 1024 x 768 the halite panel's ") + name + " keeps its width (" +
                      std::to_string(field ? field->get_width() : -1) + " of " +
                      std::to_string(natural) + " px)");
            if (field) scroller = field->get_ancestor(GTK_TYPE_SCROLLED_WINDOW);
        }
        // A sideways wheel over the panel scrolls the page that holds it.
        Gtk::Widget* page = scroller && scroller->get_parent()
                                ? scroller->get_parent()->get_ancestor(GTK_TYPE_SCROLLED_WINDOW)
                                : nullptr;
        auto* pageScroller = dynamic_cast<Gtk::ScrolledWindow*>(page);
        bool moved = false;
        if (scroller && pageScroller) {
            const double before = pageScroller->get_hadjustment()->get_value();
            GListModel* controllers = gtk_widget_observe_controllers(scroller->gobj());
            for (guint i = 0; i < g_list_model_get_n_items(controllers); ++i) {
                auto* c = static_cast<GtkEventController*>(g_list_model_get_item(controllers, i));
                if (GTK_IS_EVENT_CONTROLLER_SCROLL(c) &&
                    (gtk_event_controller_scroll_get_flags(GTK_EVENT_CONTROLLER_SCROLL(c)) &
                     GTK_EVENT_CONTROLLER_SCROLL_HORIZONTAL) &&
                    !(gtk_event_controller_scroll_get_flags(GTK_EVENT_CONTROLLER_SCROLL(c)) &
                      GTK_EVENT_CONTROLLER_SCROLL_VERTICAL)) {
                    gboolean handled = FALSE;
                    g_signal_emit_by_name(c, "scroll", 1.0, 0.0, &handled);
                }
                g_object_unref(c);
            }
            g_object_unref(controllers);
            moved = pageScroller->get_hadjustment()->get_value() > before;
        }
        check(moved, "a sideways wheel over the halite panel scrolls its page");
        window().set_default_size(1360, 900);
        next(400);
    }

    void showIceTab() {
        window().tabs().set_current_page(3);
        next(400);
    }

    // A click in the ternary diagram gives the ice panel its NaCl : KCl ratio.
    void clickTernary() {
        TernaryArea* ternary = window().ternaryArea();
        if (!ternary) return next(0);
        const Point p = ternary->view().viewPointForComposition(16, 4);  // 80 % of the salt NaCl
        ternary->onPress(p.x, ternary->get_height() - p.y);
        check(std::fabs(document().form().value("mIceRatio") - 80) < 0.5 &&
                  std::fabs(document().form().value("mIceSalinity") - 20) < 0.5,
              "a click in the ternary diagram sets the ice panel's composition");
        check(window().form().click("mIceAssignButton") && std::fabs(document().mXm - 20) < 0.5,
              "Assign makes the brine's salinity the state's");
        window().tabs().set_current_page(0);
        next(300);
    }

    void selectCase() {
        check(window().form().click("mAddButton"), "the Add button adds a case");
        check(document().caseCount() == 2 && document().listView().selectedRow() == 1,
              "the new case is selected");
        window().form().type("mStepHaliteTm", "280");
        check(caseValue(1, "Tm") == 280, "the new case takes its own temperature");
        window().caseTable().selectRow(0);
        window().caseTable().keyPressed(0xff8d, 0);  // keypad Enter
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window().gobj()));
        Gtk::Widget* name = window().form().widget("mName");
        check(focus && name && gtk_widget_is_ancestor(focus, GTK_WIDGET(name->gobj())),
              "keypad Enter on the table opens the case's name for editing");
        mFirstCaseTm = caseValue(0, "Tm");
        check(document().listView().selectedRow() == 0 && document().mTm == mFirstCaseTm &&
                  mFirstCaseTm != 280,
              "selecting the first case restores its state");
        next(300);
    }

    void saveAndReopen() {
        // Unsaved changes: closing asks first, and Cancel keeps the window.
        DocumentWindow& edited = window();
        edited.close();
        check(edited.isAskingBeforeClosing() && mApp.windows().size() == 1,
              "closing with unsaved changes asks first");
        edited.answerCloseQuestion(static_cast<int>(Gtk::ResponseType::CANCEL));
        check(edited.get_visible() && document().isDocumentEdited(),
              "Cancel keeps the window and its changes");
        // A chooser accepted while no file is chosen in it counts as a cancel.
        edited.saveAs();
        Gtk::FileChooserNative* saving = edited.saveChooser();
        check(saving != nullptr, "Save As asks for a file");
        if (saving) {
            saving->set_current_name("");
            g_signal_emit_by_name(saving->gobj(), "response", GTK_RESPONSE_ACCEPT);
        }
        check(edited.get_visible() && document().isDocumentEdited() && document().fileName().empty(),
              "Save As accepted without a file saves nothing and keeps the changes");
        const std::size_t errors = GtkPlotServices::instance().reportedErrors().size();
        mApp.chooseAndOpen();
        Gtk::FileChooserNative* opening = mApp.openChooser();
        check(opening != nullptr, "Open asks for a file");
        if (opening) g_signal_emit_by_name(opening->gobj(), "response", GTK_RESPONSE_ACCEPT);
        check(mApp.windows().size() == 1 && GtkPlotServices::instance().reportedErrors().size() == errors,
              "Open accepted without a file opens nothing and reports nothing");
        mPath = temporaryFile("wyvra-self-test-", ".wyvra");
        check(!mPath.empty() && window().saveTo(mPath), "the document saves to " + mPath);
        check(!document().isDocumentEdited() && std::filesystem::exists(mPath),
              "the saved document has no unsaved changes");
        DocumentWindow* first = &window();
        check(mApp.openDocument(mPath) == first, "opening it again shows its window");
        first->close();
        const gint64 closing = g_get_monotonic_time();
        Glib::signal_timeout().connect(
            [this, closing] {
                // The window goes once GTK has run its close, later on a busy machine: asked
                // again every 50 ms for ten seconds at most, after 300 ms at least.
                const gint64 waited = g_get_monotonic_time() - closing;
                if (waited < 300'000 || (!mApp.windows().empty() && waited < 10'000'000))
                    return true;
                check(mApp.windows().empty(), "closing an unchanged document asks nothing");
                // Added in the background: looked for once the main loop has run.
                auto recent = Gtk::RecentManager::get_default();
                bool listed = false;
                for (const auto& info : recent->get_items())
                    listed = listed || info->get_uri() == Glib::filename_to_uri(mPath);
                check(listed, "the saved document is among the recent files the open dialog offers");
                DocumentWindow* reopened = mApp.openDocument(mPath);
                check(reopened != nullptr, "the saved document opens");
                if (reopened) {
                    MyDocument& d = reopened->document();
                    check(d.caseCount() == 2 && d.listView().selectedRow() == 0 &&
                              d.mTm == mFirstCaseTm &&
                              !d.isDocumentEdited(),
                          "the reopened document holds both cases, the first one current");
                    check(std::fabs(d.mPTViewp->mCurrentMaxX() - mZoomedMaxX) < 1e-3,
                          "the reopened case shows its zoomed range");
                }
                removeTemporary(mPath);
                next(800);
                return false;
            },
            50);
    }

    void renderAndLook() {
        if (mApp.windows().empty()) return next(0);
        DocumentWindow& win = window();
        GdkTexture* texture = windowSnapshot(win);
        check(texture != nullptr, "the window renders through its snapshot");
        if (!texture) return next(0);
        check(savePng(texture, mImage).ok(), "the image is written to " + mImage);
        const int tw = gdk_texture_get_width(texture), th = gdk_texture_get_height(texture);
        std::vector<guchar> pixels(static_cast<std::size_t>(tw) * th * 4);
        gdk_texture_download(texture, pixels.data(), static_cast<gsize>(tw) * 4);
        lookAt(win, pixels, tw, th);
        // Values are shown to a readable number of digits; the document keeps them exact.
        for (const char* name : {"mStepRm", "mPsat", "mVolumeEdit", "mStepHaliteTm"}) {
            Gtk::Widget* w = win.form().widget(name);
            auto* e = dynamic_cast<Gtk::Editable*>(w);
            const std::string shown = e ? std::string(e->get_text()) : "";
            check(!shown.empty() && shown.size() <= 8,
                  std::string(name) + " shows a rounded value: " + shown);
        }
        g_object_unref(texture);
        renderTab(1);
    }

    // The other tabs, kept beside the image for whoever looks at the run.
    void renderTab(int page) {
        DocumentWindow& win = window();
        if (page >= win.tabs().get_n_pages()) return closeWithoutSaving();
        win.tabs().set_current_page(page);
        Glib::signal_timeout().connect_once(
            [this, page] {
                if (GdkTexture* texture = windowSnapshot(window())) {
                    const std::filesystem::path image(mImage);
                    const std::string path = (image.parent_path() / (image.stem().string() + "-tab" +
                                                                     std::to_string(page) + ".png"))
                                                 .string();
                    saveTabImage(texture, path);
                    g_object_unref(texture);
                }
                renderTab(page + 1);
            },
            400);
    }

    // The tab images take names the user never gave: one an earlier session wrote is
    // replaced, any other file there is someone's and stays. Whose the file is, is decided
    // as the image takes its name, so a file put there meanwhile is not lost either.
    void saveTabImage(GdkTexture* texture, const std::string& path) {
        GBytes* png = gdk_texture_save_to_png_bytes(texture);
        gsize size = 0;
        const void* data = png ? g_bytes_get_data(png, &size) : nullptr;
        AtomicFile file;
        const bool written = data &&
                             file.open(path, AtomicFile::Mode::Replace, 0666,
                                       AtomicFile::Links::Replace, AtomicFile::Claim::Recorded) &&
                             file.write(data, size) && file.commit();
        if (!written && file.refusedForeign())
            vornex::cprintf("kept %s: a file of that name is already there\n", path.c_str());
        else
            check(written, "the tab image is written to " + path +
                               (written ? "" : data ? ": " + file.problem() : ": no PNG encoding"));
        if (png) g_bytes_unref(png);
    }

    // A change, then closing without saving: the window goes and the file stays as saved.
    void closeWithoutSaving() {
        DocumentWindow& win = window();
        win.form().type("mStepHaliteTm", "250");
        win.close();
        check(win.isAskingBeforeClosing(), "closing the reopened document after a change asks");
        win.answerCloseQuestion(static_cast<int>(Gtk::ResponseType::REJECT));
        Glib::signal_timeout().connect_once(
            [this] {
                check(mApp.windows().empty(), "Close without Saving closes the window");
                next(0);
            },
            300);
    }

    // The image is not blank, and every plot of the visible tab shows coloured pixels (curves,
    // fields, points) inside its plot rectangle that are neither its background nor grey.
    void lookAt(DocumentWindow& win, const std::vector<guchar>& px, int tw, int th) {
        auto at = [&](int x, int y) { return &px[(static_cast<std::size_t>(y) * tw + x) * 4]; };
        std::size_t distinct = 0;
        guint32 first = 0;
        for (int y = 0; y < th; y += 3)
            for (int x = 0; x < tw; x += 3) {
                const guchar* p = at(x, y);
                const guint32 v = p[0] | (p[1] << 8) | (p[2] << 16);
                if (x == 0 && y == 0) first = v;
                else if (v != first) ++distinct;
            }
        check(distinct > 1000, "the image is not blank");
        for (const char* name : {"mPTViewp", "mTxViewp", "mPxViewp"}) {
            PlotArea* area = win.plotArea(name);
            if (!area) continue;
            graphene_point_t origin = GRAPHENE_POINT_INIT(0, 0), o;
            if (!gtk_widget_compute_point(GTK_WIDGET(area->canvas().gobj()), GTK_WIDGET(win.gobj()),
                                          &origin, &o))
                continue;
            const Rect r = area->plot().getPlotRect();
            const double h = area->canvas().get_height();
            // The plot's background is the commonest colour of its rectangle.
            std::map<guint32, int> counts;
            std::vector<guint32> inside;
            for (int y = static_cast<int>(o.y + h - r.maxY()) + 2; y < o.y + h - r.minY() - 2; ++y)
                for (int x = static_cast<int>(o.x + r.minX()) + 2; x < o.x + r.maxX() - 2; ++x) {
                    if (x < 0 || y < 0 || x >= tw || y >= th) continue;
                    const guchar* p = at(x, y);
                    inside.push_back(p[0] | (p[1] << 8) | (p[2] << 16));
                    ++counts[inside.back()];
                }
            guint32 back = 0;
            int most = 0;
            for (const auto& [colour, n] : counts)
                if (n > most) most = n, back = colour;
            int coloured = 0;
            for (guint32 v : inside) {
                const int b = v & 0xff, g = (v >> 8) & 0xff, rr = (v >> 16) & 0xff;
                const int hi = std::max({rr, g, b}), lo = std::min({rr, g, b});
                if (v != back && hi - lo > 60) ++coloured;
            }
            check(coloured > 50, std::string("curve colours show inside ") + name + " (" +
                                     std::to_string(coloured) + " pixels)");
        }
    }

    std::string mImage;
    std::string mPath;
    float mZoomedMaxX = 0;
    double mFirstCaseTm = 0;
};

}  // namespace

void startSelfTest(WyvraApplication& application, const std::string& imagePath) {
    // The session holds GTK objects (surfaces, frame hooks): it ends with the application,
    // while GTK still has its display, not among the static objects destroyed after main.
    static std::unique_ptr<Session> session;
    session = std::make_unique<Session>(application, imagePath);
    application.signal_shutdown().connect([] { session.reset(); });
    session->start();
}

}  // namespace vornex::shell
