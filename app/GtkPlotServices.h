// The plot services of the GTK shell: the save panel (FileChooserNative), the colour and font
// choosers, windows for plots opened on their own, failures reported in a message dialog, and
// the windows of the shared panels (axis ranges, curve and point settings) and of the shared
// log. The panels' state and logic stay in their cores; these windows mirror them and send
// the user's edits back. GTK's dialogs answer later, from the main loop, so a command that
// asks for a file is performed again once the answer is there (perform() remembers it).
#pragma once

#include <gtkmm/application.h>
#include <gtkmm/window.h>
#include <pangomm/fontdescription.h>

#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "plot/PanelServices.h"

namespace Gtk {
class ColorChooserDialog;
class FontChooserDialog;
class FileChooserNative;
}  // namespace Gtk

namespace vornex::shell {

class AxisRangeWindow;
class CurveSettingsWindow;
class PointSettingsWindow;
class LogWindow;
class PlotWindow;

// A modal file chooser over `parent` (or over no window), listing the files of one type:
// those of the MIME type when one is given, and those matching `pattern`.
Glib::RefPtr<Gtk::FileChooserNative> fileChooser(Gtk::Window* parent, const std::string& title,
                                                 bool save, const std::string& typeName,
                                                 const std::string& mimeType,
                                                 const std::string& pattern);
// The local file a chooser's answer names: nothing when it was not accepted, or accepted with
// no file chosen or with one that has no local path (both count as a cancel).
std::optional<std::string> chosenPath(Gtk::FileChooserNative& chooser, int response);

class GtkPlotServices : public PanelServices {
   public:
    static GtkPlotServices& instance();
    ~GtkPlotServices() override;

    // Installs these services for the plots and binds the shared log to its window.
    void install(const Glib::RefPtr<Gtk::Application>& application);
    // Closes the shared windows and uninstalls the services.
    void shutdown();
    // The shown window of the application most recently in front, over which dialogs and
    // panels stand; null without one.
    Gtk::Window* parentWindow() const;

    // Runs a command that may ask for a file: when it does, the chooser is shown and the
    // command is run once more with the chosen answer.
    void perform(const std::function<void()>& command);
    // The save panel's answer (a path, or nothing when cancelled): the command that asked
    // runs again with it. The chooser's response handler; public for the scripted run.
    void answerSavePanel(std::optional<std::string> path);
    bool isSavePanelOpen() const;
    // Plots that live in a window; the font and colour choosers reach the one that last had
    // the mouse (the first responder) while it lives.
    void registerPlot(CPlotView* plot) { mPlots.insert(plot); }
    void forgetPlot(CPlotView* plot);
    void setFirstResponder(CPlotView* plot) { mFirstResponder = plot; }
    CPlotView* firstResponder() const;
    // Called after a panel changed a plot, to mirror it in the windows.
    void setChangeHandler(std::function<void()> handler) { mChanged = std::move(handler); }
    void changed() const {
        if (mChanged) mChanged();
    }

    // PlotServices.
    std::optional<std::string> runSavePanel(const std::string& proposedName,
                                            const std::string& fileType) override;
    void reportError(const std::string& message) override;
    void showAxisRangePanel(CPlotView& view) override;
    void updateAxisRangePanel() override;
    void showCurveSettingsPanel(CPlotView& view, CGraphCurve& curve) override;
    void showPointSettingsPanel(CPlotView& view, CGraphObject& object) override;
    void showFontPanel(const Font& font) override;
    void showColorPanel(const Color& color) override;
    bool isColorPanelVisible() const override;
    void setColorPanelColor(const Color& color) override;
    void openPlotWindow(std::unique_ptr<CPlotView> view) override;

    // The windows, for the scripted run and the window's menus.
    LogWindow& logWindow();
    AxisRangeWindow& axisRangeWindow();
    // Errors reported so far (the dialog may be gone already).
    const std::vector<std::string>& reportedErrors() const { return mErrors; }
    std::size_t plotWindowCount() const { return mPlotWindows.size(); }
    PlotWindow* lastPlotWindow() const {
        return mPlotWindows.empty() ? nullptr : mPlotWindows.back().get();
    }
    Gtk::Window* curveSettingsWindow() const;
    PointSettingsWindow* pointSettingsWindow() const { return mPointWindow.get(); }
    // Whether the font dialog is up with FONT's row selected and in view.
    bool fontDialogShows(const Font& font);

   private:
    GtkPlotServices() = default;
    // Keeps a panel above the window in front.
    void keepAbove(Gtk::Window& panel) const;
    // Whether the font dialog's list has FONT selected (and, with IN_VIEW, its row in view).
    bool fontDialogShows(const Pango::FontDescription& font, bool inView);

    Glib::RefPtr<Gtk::Application> mApplication;
    std::set<CPlotView*> mPlots;
    CPlotView* mFirstResponder = nullptr;
    std::function<void()> mChanged;
    std::function<void()> mCurrentCommand;
    std::optional<std::string> mAnswer;
    std::function<void()> mAskingCommand;
    CPlotView* mAskingPlot = nullptr;
    std::string mAskedType;
    Glib::RefPtr<Gtk::FileChooserNative> mChooser;
    std::unique_ptr<Gtk::ColorChooserDialog> mColorDialog;
    // A plain GTK dialog in a wrapper of its own, deleted at shutdown: one made through
    // gtkmm's derived class reports a missing template (a GTK critical) when it goes.
    Gtk::FontChooserDialog* mFontDialog = nullptr;
    sigc::connection mFontSearch;  // brings the font being edited into the dialog's view
    std::unique_ptr<AxisRangeWindow> mAxisWindow;
    std::unique_ptr<CurveSettingsWindow> mCurveWindow;
    std::unique_ptr<PointSettingsWindow> mPointWindow;
    std::unique_ptr<LogWindow> mLogWindow;
    std::list<std::unique_ptr<PlotWindow>> mPlotWindows;
    std::vector<std::string> mErrors;
};

}  // namespace vornex::shell
