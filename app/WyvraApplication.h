// The application: its id, the menu bar and shortcuts, one window per document, opening files
// given on the command line or chosen in a file chooser, printing a plot, and the scripted
// run used by the tests.
#pragma once

#include <giomm/menu.h>
#include <gtkmm/application.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

namespace vornex {
class CPlotView;
}

namespace Gtk {
class Window;
class FileChooserNative;
}

namespace vornex::shell {

class DocumentWindow;

class WyvraApplication : public Gtk::Application {
   public:
    static constexpr const char* kApplicationId = "org.vornex.Wyvra";

    // `selfTestImage`: run the scripted session instead of waiting for the user, writing the
    // window's image there; the exit status tells whether every check held.
    // `script`: run the scripted closing of windows, or the session of a second window,
    // instead.
    enum class Script { None, Close, SecondWindow };
    static Glib::RefPtr<WyvraApplication> create(std::string selfTestImage = "",
                                                 Script script = Script::None);

    DocumentWindow* newDocument();
    // The window of the document at `path`: the one already open, or a new one; null (after
    // telling the user why) when the file is refused.
    DocumentWindow* openDocument(const std::string& path);
    void printPlot(CPlotView& plot, Gtk::Window& parent);
    void chooseAndOpen();
    // The chooser of Open while it is open, for the scripted run.
    Gtk::FileChooserNative* openChooser() const { return mOpenChooser.get(); }
    const std::list<std::unique_ptr<DocumentWindow>>& windows() const { return mWindows; }
    void windowClosed(DocumentWindow* window);
    bool isOpen(const DocumentWindow* window) const;
    // Quit: asks about every document with unsaved changes first, then closes every window.
    void quitAfterAsking();
    // The Edit menu names what Undo and Redo would do in the window in front.
    void showUndoNames(const std::string& undo, const std::string& redo);
    const std::string& undoTitle() const { return mUndoTitle; }
    int exitStatus() const { return mExitStatus; }
    void setExitStatus(int status) { mExitStatus = status; }

   protected:
    WyvraApplication(std::string selfTestImage, Script script);
    void on_startup() override;
    void on_activate() override;
    void on_open(const type_vec_files& files, const Glib::ustring& hint) override;
    void on_shutdown() override;

   private:
    DocumentWindow* adopt(std::unique_ptr<DocumentWindow> window);
    void askThenQuit(std::vector<DocumentWindow*> remaining);
    // A scripted run keeps going when its last window closes.
    bool isScripted() const { return !mSelfTestImage.empty() || mScript != Script::None; }
    void buildMenuBar();

    std::string mSelfTestImage;
    Script mScript = Script::None;
    std::list<std::unique_ptr<DocumentWindow>> mWindows;
    // The windows whose plot is being printed, innermost last, and those of them closed
    // meanwhile, kept until their print is done.
    std::vector<const Gtk::Window*> mPrinting;
    std::list<std::unique_ptr<DocumentWindow>> mClosedWhilePrinting;
    int mUntitled = 0;
    int mExitStatus = 0;
    bool mMenuBarBuilt = false;
    Glib::RefPtr<Gio::Menu> mEditMenu;
    Glib::RefPtr<Gtk::FileChooserNative> mOpenChooser;
    std::string mUndoTitle, mRedoTitle;
};

}  // namespace vornex::shell
