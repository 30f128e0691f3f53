// Windows of the shared panels and of the shared log, and the window of a plot opened on its
// own. Each mirrors its core (CAxisRangeWindow, CCurveSettingsWindow, CPointSettingsWindow,
// CLogWindow, CDrawPlotView) and sends what the user does back to it.
#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/colorbutton.h>
#include <gtkmm/dropdown.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>
#include <gtkmm/printoperation.h>
#include <gtkmm/spinbutton.h>
#include <gtkmm/textview.h>
#include <gtkmm/window.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "plot/CAxisRangeWindow.h"
#include "plot/CCurveSettingsWindow.h"
#include "plot/CDrawPlotView.h"
#include "plot/CLogWindow.h"
#include "plot/CPointSettingsWindow.h"

namespace vornex::shell {

class PlotArea;

// The axis-range panel: four range fields, each with a pair of step buttons (down and up by
// the panel's increment), two tick counts, four buttons and the reason of a refused change.
// A field is committed by Enter or when it loses the focus; what the user is typing is never
// overwritten by a refresh.
class AxisRangeWindow : public Gtk::Window {
   public:
    explicit AxisRangeWindow(CAxisRangeWindow& panel);
    // Mirrors the panel: texts of the fields not being edited, enabled states, message,
    // visibility.
    void refresh();
    // Types into a field and applies it as the field's Enter does.
    void typeInto(CAxisRangeWindow::Field field, const std::string& text);
    // What a user does without Enter: types into a field, then Tab moves the focus on.
    void typeWithoutEnter(CAxisRangeWindow::Field field, const std::string& text);
    void tabFrom(CAxisRangeWindow::Field field);
    // Steps a range field down (-1) or up (+1) by the panel's increment.
    void step(CAxisRangeWindow::Field field, int direction);
    void clickOK() { g_signal_emit_by_name(mButtons[CAxisRangeWindow::kOK].gobj(), "clicked"); }
    const Gtk::Entry& fieldEntry(CAxisRangeWindow::Field field) const { return mFields[field]; }

   private:
    void apply(const std::function<void()>& action);
    // Commits a field the user has changed and not yet applied.
    void commitEdited(CAxisRangeWindow::Field field);
    CAxisRangeWindow& mPanel;
    std::array<Gtk::Entry, CAxisRangeWindow::kFieldCount> mFields;
    std::array<bool, CAxisRangeWindow::kFieldCount> mEditing{};
    std::array<std::array<Gtk::Button, 2>, CAxisRangeWindow::kStepperCount> mSteps;
    std::array<Gtk::Button, CAxisRangeWindow::kButtonCount> mButtons;
    Gtk::Label mMessage;
    bool mMirroring = false;
};

// The modal settings panels: a colour button, the thickness (curves) or marker type and size
// (points), OK and Cancel. Closing the window ends the session as the core says.
class CurveSettingsWindow : public Gtk::Window {
   public:
    CurveSettingsWindow(CCurveSettingsWindow& panel, std::function<void()> changed);
    void refresh();

   private:
    CCurveSettingsWindow& mPanel;
    std::function<void()> mChanged;
    Gtk::DropDown mThickness;
    Gtk::ColorButton mColor;
    bool mMirroring = false;
};

class PointSettingsWindow : public Gtk::Window {
   public:
    PointSettingsWindow(CPointSettingsWindow& panel, std::function<void()> changed);
    void refresh();
    // What the user picks in the marker and size menus.
    void chooseMarker(int item) { mMarker.set_selected(static_cast<guint>(item)); }
    void chooseSize(int item) { mSize.set_selected(static_cast<guint>(item)); }

   private:
    CPointSettingsWindow& mPanel;
    std::function<void()> mChanged;
    Gtk::DropDown mMarker;
    Gtk::DropDown mSize;
    Gtk::ColorButton mColor;
    bool mMirroring = false;
};

// The shared log: its text with fonts, colours, bold and underline, shown and hidden as the
// core says; Clear and Print in the window.
class LogWindow : public Gtk::Window {
   public:
    explicit LogWindow(CLogWindow& log);
    ~LogWindow() override;
    void refresh();
    // Prints the log's lines through the print dialog, or into a PDF file without one
    // (false when it could not be written).
    void print();
    bool exportPdf(const std::string& path);
    Glib::RefPtr<Gtk::TextBuffer> buffer() { return mText.get_buffer(); }
    // How far the text shown lies from the end of the log, in pixels (0: the end shows).
    double distanceFromEnd() {
        auto a = mText.get_vadjustment();
        return a ? a->get_upper() - a->get_page_size() - a->get_value() : 0;
    }

   private:
    Glib::RefPtr<Gtk::PrintOperation> printOperation();

    CLogWindow& mLog;
    Gtk::TextView mText;
    // What the text view shows: the log's runs, each with its tag.
    Glib::RefPtr<Gtk::TextBuffer> mBuffer;
    std::vector<AttributedString::Run> mShown;
    std::vector<Glib::RefPtr<Gtk::TextTag>> mTags;
    sigc::connection mScrollToEnd;
    sigc::connection mPendingRefresh;
};

// A plot opened in a window of its own: it owns its host and plot.
class PlotWindow : public Gtk::Window {
   public:
    explicit PlotWindow(std::unique_ptr<CPlotView> view);
    ~PlotWindow() override;
    PlotArea& area() { return *mArea; }

   private:
    std::unique_ptr<CDrawPlotView> mHost;
    std::unique_ptr<PlotArea> mArea;
};

// Runs a print operation over `parent`; false, with the reason reported as an error, when it
// failed (a file that cannot be written, a printer that refuses the job), also for a failure
// GTK raises as an exception.
bool runPrintOperation(const Glib::RefPtr<Gtk::PrintOperation>& operation,
                       Gtk::PrintOperation::Action action, Gtk::Window& parent,
                       const std::string& what);

// Colours between the cores and GDK.
// Escape closes the panel window as its title bar's close button does.
void closeOnEscape(Gtk::Window& window);

Gdk::RGBA toRgba(const Color& c);
Color fromRgba(const Gdk::RGBA& c);

}  // namespace vornex::shell
