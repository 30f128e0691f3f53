#include "CloseTest.h"

#include <glibmm/main.h>
#include <gtkmm/messagedialog.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DocumentWindow.h"
#include "GtkPlotServices.h"
#include "PanelWindows.h"
#include "ScriptedSession.h"
#include "WyvraApplication.h"

namespace vornex::shell {

namespace {

constexpr int kReject = static_cast<int>(Gtk::ResponseType::REJECT);
constexpr int kCancel = static_cast<int>(Gtk::ResponseType::CANCEL);

class CloseSession : public ScriptedSession {
   public:
    explicit CloseSession(WyvraApplication& app) : ScriptedSession(app) {}

    void start() {
        // Each step acts, then lets the main loop run (windows map, close and are destroyed
        // from idle callbacks) before the next one checks.
        ScriptedSession::start({
            [this] { oneOfTwo(); },           [this] { checkOneOfTwo(); },
            [this] { checkSavedByRemaining(); },
            [this] { lastWithPanels(); },     [this] { answerLast(); },
            [this] { clickDetachedPlot(); },  [this] { checkPlotWindowClosed(); },
            [this] { quitWithTwo(); },        [this] { answerFirstOfQuit(); },
            [this] { answerSecondOfQuit(); }, [this] { checkAllClosed("Quit with two open"); },
            [this] { quitCancelled(); },      [this] { quitAgain(); },
            [this] { checkAllClosed("Quit after a cancelled one"); },
        }, 400);
    }

   private:
    // Runs the next step after 400 ms, and once READY holds: windows are closed and destroyed
    // from idle callbacks, which a loaded machine runs late. After ten seconds the step runs
    // anyway, and its own check says what did not happen.
    void next(std::function<bool()> ready = {}) { ScriptedSession::next(400, std::move(ready)); }
    std::size_t windowCount() const { return mApp.windows().size(); }
    // A change the document must ask about before its window closes.
    static void modify(DocumentWindow& w, const char* temperature) {
        w.form().type("mStepHaliteTm", temperature);
    }
    static void openPanels(DocumentWindow& w) {
        w.documentActions()->activate_action("doc-onShowExperimentalPanel");
        w.documentActions()->activate_action("doc-onShowLog");
        if (PlotArea* plot = w.plotArea("mPTViewp")) plot->clickAxisButton();
        w.tabs().set_current_page(2);
    }

    // Two untouched windows, the second on another tab, the first with its panels open: the
    // first closes, the second stays.
    void oneOfTwo() {
        mFirst = mApp.windows().empty() ? mApp.newDocument() : mApp.windows().front().get();
        mSecond = mApp.newDocument();
        mSecond->tabs().set_current_page(3);
        openPanels(*mFirst);  // its data panel goes with it
        mFirst->requestClose();
        next([this] { return windowCount() == 1; });
    }
    // The remaining window still takes input: a case added, selected and given a value,
    // then saved; the saved file holds what was typed.
    void checkOneOfTwo() {
        check(windowCount() == 1 && mApp.isOpen(mSecond), "closing one of two leaves the other");
        check(!GtkPlotServices::instance().axisRangeWindow().get_visible(),
              "the axis-range panel of its plot closes with it");
        MyDocument& d = mSecond->document();
        check(mSecond->form().click("mAddButton") && d.caseCount() == 2 &&
                  d.listView().selectedRow() == 1,
              "the remaining window adds a case and selects it");
        check(mSecond->form().type("mStepHaliteTm", "285") && d.mTm == 285 &&
                  d.cases().at(1).get("Tm").toDouble(-1) == 285 && d.isDocumentEdited(),
              "the remaining window's field sets the new case's temperature");
        mPath = temporaryFile("wyvra-close-test-", ".wyvra");
        check(!mPath.empty() && mSecond->saveTo(mPath) && !d.isDocumentEdited(),
              "the remaining window saves");
        mSecond->requestClose();
        next([this] { return windowCount() == 0; });
    }
    void checkSavedByRemaining() {
        check(windowCount() == 0, "the saved window closes without asking");
        DocumentWindow* reopened = mApp.openDocument(mPath);
        check(reopened && reopened->document().caseCount() == 2 &&
                  reopened->document().cases().at(1).get("Tm").toDouble(-1) == 285,
              "the file saved by the remaining window holds its new case");
        removeTemporary(mPath);
        if (reopened) reopened->requestClose();
        next();
    }

    // The last window, changed, with both panels and a plot of its own window open.
    void lastWithPanels() {
        check(windowCount() == 0, "closing the last unchanged window asks nothing");
        DocumentWindow* w = mApp.newDocument();
        modify(*w, "350");
        openPanels(*w);
        // The application's shortcuts (Quit among them) reach its windows only.
        Gtk::Application* app = &mApp;
        check(GtkPlotServices::instance().logWindow().get_application().get() == app &&
                  w->experimentalPanel() &&
                  w->experimentalPanel()->get_application().get() == app,
              "the log and the data panel are windows of the application");
        GtkPlotServices& services = GtkPlotServices::instance();
        mPlotWindows = services.plotWindowCount();
        services.perform([w] { w->document().mPTViewp->onOpenNewPlotWindow(); });
        check(services.plotWindowCount() == mPlotWindows + 1, "the P-T plot opens in a window");
        w->requestClose();
        check(w->isAskingBeforeClosing() && windowCount() == 1,
              "closing the changed window asks first");
        mFirst = w;
        next();
    }
    void answerLast() {
        mFirst->answerCloseQuestion(kReject);
        next([this] { return windowCount() == 0; });
    }
    // The plot's window outlives the document it came from and takes clicks on its own.
    void clickDetachedPlot() {
        check(windowCount() == 0, "Close without Saving closes the last window");
        PlotWindow* plot = GtkPlotServices::instance().lastPlotWindow();
        check(plot != nullptr, "the plot's own window stays open");
        if (plot) {
            PlotArea& area = plot->area();
            const double w = area.canvas().get_width(), h = area.canvas().get_height();
            area.onDragBegin(w / 2, h / 2);
            area.onDragEnd(0, 0);
            area.onDragBegin(w / 3, h / 3);
            area.onDragUpdate(40, 30);
            area.onDragEnd(40, 30);
            check(area.clickAxisButton() && GtkPlotServices::instance().axisRangeWindow().get_visible(),
                  "the plot's window opens its axis-range panel");
            plot->close();
        }
        next([this] { return GtkPlotServices::instance().plotWindowCount() == mPlotWindows; });
    }
    void checkPlotWindowClosed() {
        check(GtkPlotServices::instance().plotWindowCount() == mPlotWindows,
              "closing the plot's window takes it away");
        check(!GtkPlotServices::instance().axisRangeWindow().get_visible(),
              "and its axis-range panel with it");
        next();
    }

    // Quit with two changed documents, panels and a plot window open: each is asked about
    // before any window goes.
    void quitWithTwo() {
        mFirst = mApp.newDocument();
        modify(*mFirst, "320");
        openPanels(*mFirst);
        GtkPlotServices::instance().perform(
            [this] { mFirst->document().mTxViewp->onOpenNewPlotWindow(); });
        mSecond = mApp.newDocument();
        modify(*mSecond, "410");
        mSecond->tabs().set_current_page(1);
        mApp.activate_action("quit");
        check(mFirst->isAskingBeforeClosing() && !mSecond->isAskingBeforeClosing() &&
                  windowCount() == 2,
              "Quit asks about the first changed document, closing nothing yet");
        next();
    }
    void answerFirstOfQuit() {
        mFirst->answerCloseQuestion(kReject);
        check(mApp.isOpen(mFirst) && mApp.isOpen(mSecond) && mSecond->isAskingBeforeClosing(),
              "then about the second, with both windows still there");
        next();
    }
    void answerSecondOfQuit() {
        check(windowCount() == 2, "no window went while a question was open");
        mSecond->answerCloseQuestion(kReject);
        next([this] { return windowCount() == 0; });
    }
    void checkAllClosed(const std::string& what) {
        check(windowCount() == 0, what + " closes every window");
        next();
    }

    // Cancel on the second question keeps both windows and both changes.
    void quitCancelled() {
        mFirst = mApp.newDocument();
        mSecond = mApp.newDocument();
        modify(*mSecond, "280");
        mApp.activate_action("quit");
        check(mSecond->isAskingBeforeClosing() && windowCount() == 2,
              "Quit asks about the one changed document");
        mSecond->answerCloseQuestion(kCancel);
        next();
    }
    void quitAgain() {
        check(windowCount() == 2 && mSecond->document().isDocumentEdited(),
              "Cancel keeps every window and the change");
        mApp.activate_action("quit");
        check(mSecond->isAskingBeforeClosing(), "a second Quit asks again");
        mSecond->answerCloseQuestion(kReject);
        next([this] { return windowCount() == 0; });
    }

    DocumentWindow* mFirst = nullptr;
    DocumentWindow* mSecond = nullptr;
    std::size_t mPlotWindows = 0;
    std::string mPath;
};

}  // namespace

void startCloseTest(WyvraApplication& application) {
    // The session holds GTK objects (surfaces, frame hooks): it ends with the application,
    // while GTK still has its display, not among the static objects destroyed after main.
    static std::unique_ptr<CloseSession> session;
    session = std::make_unique<CloseSession>(application);
    application.signal_shutdown().connect([] { session.reset(); });
    session->start();
}

}  // namespace vornex::shell
