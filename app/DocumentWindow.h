// One document window: the case table and the state, initial-condition and result fields on
// the left, the tab view with the twelve plot hosts, the ternary view and the panels on the
// right. Every widget mirrors the document's form and sends the document's own actions; after
// each action the window refreshes itself from the document (form, table, tab, menu ticks,
// undo, title). The window owns its document, and so its undo manager.
#pragma once

#include <giomm/simpleactiongroup.h>
#include <gtkmm/applicationwindow.h>
#include <gtkmm/filechoosernative.h>
#include <gtkmm/grid.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/notebook.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "CaseTable.h"
#include "ExperimentalPanel.h"
#include "FormBinding.h"
#include "MenuBridge.h"
#include "PlotWidget.h"
#include "workbench/MyDocument.h"

namespace vornex::shell {

class WyvraApplication;

class DocumentWindow : public Gtk::ApplicationWindow {
   public:
    DocumentWindow(WyvraApplication& application, std::unique_ptr<MyDocument> document,
                   int untitledNumber);
    ~DocumentWindow() override;

    MyDocument& document() { return *mDocument; }
    // Performs a document action and mirrors the document in the window afterwards.
    void run(const std::function<void()>& action);
    void refresh();

    // File commands. saveTo reports a failure in a dialog; `then` runs after a save that
    // went through (the chooser of saveAs answers later).
    bool saveTo(const std::string& path);
    // Puts a document file among the recent files that file dialogs offer.
    static void addToRecentFiles(const std::string& path);
    void save(std::function<void()> then = {});
    void saveAs(std::function<void()> then = {});
    // The chooser Save As shows while it is open, for the scripted run.
    Gtk::FileChooserNative* saveChooser() const { return mSaveChooser.get(); }
    // Closes, asking first when there are unsaved changes.
    void requestClose();
    // Asks about unsaved changes, if there are any, without closing: `then` runs with true once
    // they are saved or given up (the window may then close without asking again), with false
    // when the user keeps the window.
    void confirmClose(std::function<void(bool)> then);
    // Closes without asking (the question was answered already).
    void closeConfirmed();
    // The question before closing: whether it is asked, and its answer (a Gtk::ResponseType:
    // ACCEPT saves and closes, REJECT closes without saving, anything else keeps the window).
    bool isAskingBeforeClosing() const { return mCloseQuestion != nullptr; }
    void answerCloseQuestion(int response);
    // A new document that nothing has been done to.
    bool isPristine() const;

    // The widgets, for the scripted run.
    FormBinding& form() { return mForm; }
    CaseTable& caseTable() { return mTable; }
    PlotArea* plotArea(const std::string& plotName);
    // The plot File > Print Plot prints: this window's own, the one last acted on; none once
    // the window is being taken apart.
    CPlotView* currentPlot();
    TernaryArea* ternaryArea() { return mTernary; }
    Gtk::Notebook& tabs() { return mTabs; }
    ExperimentalPanel* experimentalPanel() { return mExperimental.get(); }
    const Glib::RefPtr<Gio::SimpleActionGroup>& documentActions() const { return mDocActions; }

   private:
    Gtk::Widget* buildLeftColumn();
    Gtk::Widget* buildTabs();
    Gtk::Widget* plotHost(const std::string& plotName);
    // Rows of label, stepper (or field) and an optional second stepper.
    void addRows(Gtk::Grid& grid, int& row,
                 const std::vector<std::array<const char*, 4>>& rows);
    Gtk::Widget* fieldFor(const std::string& name);
    void buildActions();
    void askBeforeClosing();

    WyvraApplication& mApplication;
    std::unique_ptr<MyDocument> mDocument;
    int mUntitledNumber;
    FormBinding mForm;
    CaseTable mTable;
    Gtk::Notebook mTabs;
    std::map<std::string, PlotArea*> mPlots;
    std::vector<std::string> mPlotOrder;  // as laid out, tab by tab
    std::string mCurrentPlot;
    TernaryArea* mTernary = nullptr;
    std::unique_ptr<ExperimentalPanel> mExperimental;
    std::unique_ptr<Gtk::MessageDialog> mCloseQuestion;
    Glib::RefPtr<Gtk::FileChooserNative> mSaveChooser;
    Glib::RefPtr<Gio::SimpleActionGroup> mDocActions;
    MenuBridge mMenuBridge;
    bool mMirroring = false;
    bool mClosing = false;
    // Set when the window starts to be torn down: from then on no action runs and nothing is
    // mirrored, whatever signal the dying widgets still emit.
    bool mTornDown = false;
    std::function<void(bool)> mAfterQuestion;
    sigc::connection mSwitchPage, mActiveChanged;
};

}  // namespace vornex::shell
