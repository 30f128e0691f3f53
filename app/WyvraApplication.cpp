#include "WyvraApplication.h"

#include <glibmm/main.h>
#include <glibmm/miscutils.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/dialog.h>
#include <gtkmm/filechoosernative.h>
#include <gtkmm/filefilter.h>
#include <gtkmm/printoperation.h>
#include <gtkmm/stylecontext.h>

#include <algorithm>
#include <filesystem>

#include "CloseTest.h"
#include "DocumentWindow.h"
#include "GtkPlotServices.h"
#include "PanelWindows.h"
#include "PopoverKeys.h"
#include "SecondWindowTest.h"
#include "SelfTest.h"
#include "ShellSupport.h"
#include "platform/CairoCanvas.h"
#include "plot/CLogWindow.h"
#include "workbench/HeadlessWorkbench.h"

namespace vornex::shell {

namespace {

std::string canonical(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : p.string();
}

}  // namespace

Glib::RefPtr<WyvraApplication> WyvraApplication::create(std::string selfTestImage,
                                                        Script script) {
    return Glib::make_refptr_for_instance<WyvraApplication>(
        new WyvraApplication(std::move(selfTestImage), script));
}

WyvraApplication::WyvraApplication(std::string selfTestImage, Script script)
    : Gtk::Application(kApplicationId,
                       Gio::Application::Flags::HANDLES_OPEN |
                           (selfTestImage.empty() && script == Script::None
                                ? Gio::Application::Flags::NONE
                                : Gio::Application::Flags::NON_UNIQUE)),
      mSelfTestImage(std::move(selfTestImage)),
      mScript(script) {
    // The name belongs to the process, which GLib lets name itself once.
    static const bool named = (Glib::set_application_name("Wyvra"), true);
    (void)named;
}

void WyvraApplication::on_startup() {
    Gtk::Application::on_startup();
    guardPopoverDefaultKey();
    // Menu items a little closer together than the theme sets them: the Diagram menu, the
    // longest, then fits a screen 720 pixels high below the menu bar without scrolling.
    if (auto display = Gdk::Display::get_default()) {
        auto css = Gtk::CssProvider::create();
        css->load_from_data("popover.menu modelbutton { min-height: 24px; }\n");
        Gtk::StyleContext::add_provider_for_display(display, css, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    }
    GtkPlotServices::instance().install(Glib::RefPtr<Gtk::Application>(this, [](Gtk::Application*) {}));
    GtkPlotServices::instance().setChangeHandler([this] {
        for (auto& w : mWindows) w->refresh();
    });
    add_action("new", [this] { newDocument(); });
    add_action("open", [this] { chooseAndOpen(); });
    add_action("quit", [this] { quitAfterAsking(); });
    add_action("show-log", [] {
        // Shown beside the document without its keyboard, or brought forward when it shows.
        const bool shown = GtkPlotServices::instance().logWindow().get_visible();
        CLogWindow::sharedLogWindowCtroller().showWindow();
        if (shown) GtkPlotServices::instance().logWindow().present();
    });
    set_accel_for_action("app.new", "<Control>n");
    set_accel_for_action("app.open", "<Control>o");
    set_accel_for_action("app.quit", "<Control>q");
    set_accel_for_action("win.save", "<Control>s");
    set_accel_for_action("win.save-as", "<Control><Shift>s");
    set_accel_for_action("win.close", "<Control>w");
    set_accel_for_action("win.undo", "<Control>z");
    set_accel_for_action("win.redo", "<Control><Shift>z");
    set_accel_for_action("win.print-plot", "<Control>p");
    set_accel_for_action("app.show-log", "<Control>l");
}

void WyvraApplication::on_shutdown() {
    mOpenChooser.reset();
    mWindows.clear();
    mClosedWhilePrinting.clear();
    GtkPlotServices::instance().shutdown();
    Gtk::Application::on_shutdown();
}

void WyvraApplication::buildMenuBar() {
    if (mMenuBarBuilt || mWindows.empty()) return;
    mMenuBarBuilt = true;
    auto bar = Gio::Menu::create();
    auto file = Gio::Menu::create();
    auto section = Gio::Menu::create();
    section->append("_New", "app.new");
    section->append("_Open\u2026", "app.open");
    file->append_section(section);
    section = Gio::Menu::create();
    section->append("_Save", "win.save");
    section->append("Save _As\u2026", "win.save-as");
    section->append("_Print Plot\u2026", "win.print-plot");
    file->append_section(section);
    section = Gio::Menu::create();
    section->append("_Close", "win.close");
    section->append("_Quit", "app.quit");
    file->append_section(section);
    bar->append_submenu("_File", file);
    mEditMenu = Gio::Menu::create();
    showUndoNames("", "");
    bar->append_submenu("_Edit", mEditMenu);
    // The document's own menu, its items named after their actions in every window.
    Menu& menu = mWindows.front()->document().documentMenu();
    auto diagram = Gio::Menu::create();
    section = Gio::Menu::create();
    for (const MenuItem& item : menu.items()) {
        if (item.isSeparator()) {
            diagram->append_section(section);
            section = Gio::Menu::create();
            continue;
        }
        section->append(item.title(), "doc." + gioActionName(item.actionName()));
    }
    diagram->append_section(section);
    bar->append_submenu("_Diagram", diagram);
    set_menubar(bar);
}

void WyvraApplication::showUndoNames(const std::string& undo, const std::string& redo) {
    if (!mEditMenu) return;
    const std::string undoTitle = undo.empty() ? "_Undo" : "_Undo " + undo;
    const std::string redoTitle = redo.empty() ? "_Redo" : "_Redo " + redo;
    if (undoTitle == mUndoTitle && redoTitle == mRedoTitle) return;
    mUndoTitle = undoTitle;
    mRedoTitle = redoTitle;
    mEditMenu->remove_all();
    mEditMenu->append(undoTitle, "win.undo");
    mEditMenu->append(redoTitle, "win.redo");
}

DocumentWindow* WyvraApplication::adopt(std::unique_ptr<DocumentWindow> window) {
    DocumentWindow* raw = window.get();
    mWindows.push_back(std::move(window));
    raw->set_hide_on_close(true);
    add_window(*raw);
    buildMenuBar();
    raw->signal_hide().connect([this, raw] {
        Glib::signal_idle().connect_once([this, raw] { windowClosed(raw); });
    });
    raw->present();
    return raw;
}

void WyvraApplication::windowClosed(DocumentWindow* window) {
    for (auto it = mWindows.begin(); it != mWindows.end(); ++it) {
        if (it->get() != window) continue;
        // Its plot may be on the page of a print still in its dialog: the window and its
        // document stay until that print is done.
        const bool printing =
            std::find(mPrinting.begin(), mPrinting.end(), window) != mPrinting.end();
        if (printing) mClosedWhilePrinting.push_back(std::move(*it));
        mWindows.erase(it);
        break;
    }
    if (mWindows.empty() && !isScripted()) quit();
}

bool WyvraApplication::isOpen(const DocumentWindow* window) const {
    for (const auto& w : mWindows)
        if (w.get() == window) return true;
    return false;
}

void WyvraApplication::quitAfterAsking() {
    std::vector<DocumentWindow*> open;
    for (auto& w : mWindows) open.push_back(w.get());
    askThenQuit(std::move(open));
}

void WyvraApplication::askThenQuit(std::vector<DocumentWindow*> remaining) {
    // Every document with unsaved changes is asked about, one after the other, before any
    // window goes; Cancel on any of them keeps them all.
    while (!remaining.empty() && !isOpen(remaining.front())) remaining.erase(remaining.begin());
    if (remaining.empty()) {
        std::vector<DocumentWindow*> open;
        for (auto& w : mWindows) open.push_back(w.get());
        for (DocumentWindow* w : open) w->closeConfirmed();
        if (mWindows.empty() && !isScripted()) quit();
        return;
    }
    DocumentWindow* window = remaining.front();
    window->confirmClose([this, remaining](bool proceed) mutable {
        if (!proceed) return;
        remaining.erase(remaining.begin());
        askThenQuit(std::move(remaining));
    });
}

DocumentWindow* WyvraApplication::newDocument() {
    return adopt(std::make_unique<DocumentWindow>(*this, HeadlessWorkbench::newDocument(), ++mUntitled));
}

DocumentWindow* WyvraApplication::openDocument(const std::string& path) {
    const std::string wanted = canonical(path);
    for (auto& w : mWindows)
        if (!w->document().fileName().empty() && canonical(w->document().fileName()) == wanted) {
            w->present();
            return w.get();
        }
    IoResult result;
    std::unique_ptr<MyDocument> document = HeadlessWorkbench::openDocument(path, &result);
    if (!document) {
        GtkPlotServices::instance().reportError("The document \u201c" + path +
                                                "\u201d could not be opened: " + result.message);
        return nullptr;
    }
    // A new window nobody has used yet gives way to the document opened.
    DocumentWindow* unused = nullptr;
    if (mWindows.size() == 1 && mWindows.front()->isPristine()) unused = mWindows.front().get();
    DocumentWindow* opened = adopt(std::make_unique<DocumentWindow>(*this, std::move(document), 0));
    DocumentWindow::addToRecentFiles(path);
    if (unused) unused->close();
    return opened;
}

void WyvraApplication::chooseAndOpen() {
    mOpenChooser = fileChooser(get_active_window(), "Open Document", false, MyDocument::kTypeName,
                               MyDocument::kMimeType, std::string("*.") + MyDocument::kFileExtension);
    mOpenChooser->signal_response().connect([this](int response) {
        if (!mOpenChooser) return;
        mOpenChooser->hide();
        if (const std::optional<std::string> path = chosenPath(*mOpenChooser, response))
            openDocument(*path);
    });
    mOpenChooser->show();
}

void WyvraApplication::printPlot(CPlotView& plot, Gtk::Window& parent) {
    auto operation = Gtk::PrintOperation::create();
    operation->set_n_pages(1);
    operation->set_job_name(plot.plotName().empty() ? "plot" : plot.plotName());
    CPlotView* target = &plot;
    operation->signal_draw_page().connect(
        [target](const Glib::RefPtr<Gtk::PrintContext>& context, int) {
            // The plot at its own size, scaled down to the page when it is larger.
            const Rect b = target->bounds();
            const double scale = std::min({1.0, context->get_width() / b.width(),
                                           context->get_height() / b.height()});
            auto cr = context->get_cairo_context();
            cr->scale(scale, scale);
            CairoCanvas canvas(cr->cobj(), b.size);
            // The page shows what the plot's PDF shows.
            target->drawForOutput(canvas);
        });
    // The dialog runs a loop of its own, in which the user may close the plot's window.
    mPrinting.push_back(&parent);
    runPrintOperation(operation, Gtk::PrintOperation::Action::PRINT_DIALOG, parent, "the plot");
    mPrinting.pop_back();
    // Released once back in the main loop: the window's own action called this.
    if (mPrinting.empty() && !mClosedWhilePrinting.empty())
        Glib::signal_idle().connect_once([this] {
            if (mPrinting.empty()) mClosedWhilePrinting.clear();
        });
}

void WyvraApplication::on_activate() {
    DocumentWindow* window = mWindows.empty() ? newDocument() : mWindows.front().get();
    window->present();
    if (!mSelfTestImage.empty()) startSelfTest(*this, mSelfTestImage);
    if (mScript == Script::Close) startCloseTest(*this);
    // Long enough for a screen to be read while the surface shows.
    if (mScript == Script::SecondWindow) startSecondWindowTest(*this, 3000);
}

void WyvraApplication::on_open(const type_vec_files& files, const Glib::ustring&) {
    for (const auto& file : files) openDocument(file->get_path());
    // Nothing could be opened: the reasons went to the log; the run ends with a failure.
    if (mWindows.empty()) {
        mExitStatus = 1;
        quit();
    }
}

}  // namespace vornex::shell
