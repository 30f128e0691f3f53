// The widgets of the plots: PlotArea shows one plot host (CDrawPlotView): the plot in a
// drawing area above a row of five tool buttons and the status bar; TernaryArea shows the
// ternary view. Both paint through CairoCanvas into the views' own drawRect and forward the
// mouse in view coordinates; they hold no plot logic.
#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/drawingarea.h>
#include <gtkmm/gestureclick.h>
#include <gtkmm/gesturedrag.h>
#include <gtkmm/label.h>
#include <gtkmm/popovermenu.h>
#include <gtkmm/togglebutton.h>
#include <giomm/simpleactiongroup.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "MenuBridge.h"
#include "ShellSupport.h"
#include "plot/CDrawPlotView.h"
#include "plot/CTernaryPlotView.h"

namespace vornex::shell {

class PlotArea : public Gtk::Box {
   public:
    // Called after every event the plot handled, so the window can mirror what changed.
    using AfterEvent = std::function<void()>;

    PlotArea(CDrawPlotView& host, AfterEvent afterEvent);
    ~PlotArea() override;

    CPlotView& plot() const { return *mHost.plotView(); }
    // Lets go of the plot before it goes away (GTK may keep the widget a little longer).
    void detach();
    CDrawPlotView& host() const { return mHost; }
    Gtk::DrawingArea& canvas() { return mArea; }
    // Mirrors the buttons' enabled states, tool tips and the grid state, and the status bar.
    void refreshChrome();

    // The handlers the drag gesture calls: a press at the widget point (x, y), drags by an
    // offset from it, the release at an offset. Public so that a scripted run can drive
    // them as the gesture does.
    void onDragBegin(double x, double y);
    void onDragUpdate(double dx, double dy);
    void onDragEnd(double dx, double dy);
    // Clicks the axis-range button as the user does; false while it is disabled.
    bool clickAxisButton();
    // A secondary click at a widget point: the plot's menu for it as a popover.
    void onContextClick(double x, double y);
    // The popover last shown; null before any.
    Gtk::PopoverMenu* contextPopover() { return mPopover.get(); }
    // Whether the popover's whole menu is on screen, with no part of it left to scroll to.
    bool popoverShowsEveryItem() const;
    // The tool buttons, each with a short name of what it does (zoom-in, zoom-out, grid,
    // reset, axis).
    std::vector<std::pair<const char*, Gtk::Widget*>> toolButtons() {
        return {{"zoom-in", &mZoomIn}, {"zoom-out", &mZoomOut}, {"grid", &mGrid},
                {"reset", &mReset}, {"axis", &mAxis}};
    }
    // The actions of the context menu last built (item0, item1, ...).
    const Glib::RefPtr<Gio::SimpleActionGroup>& menuActions() const { return mMenuActions; }

   private:
    void draw(const Cairo::RefPtr<Cairo::Context>& cr, int width, int height);
    MouseEvent eventAt(MouseEvent::Type type, double x, double y) const;
    void afterEvent();

    CDrawPlotView& mHost;
    AfterEvent mAfterEvent;
    Gtk::DrawingArea mArea;
    Gtk::Box mButtons{Gtk::Orientation::HORIZONTAL, 2};
    Gtk::Button mZoomIn, mZoomOut, mReset, mAxis;
    Gtk::ToggleButton mGrid;
    Gtk::Label mStatus;
    Glib::RefPtr<Gtk::GestureDrag> mDrag;
    Glib::RefPtr<Gtk::GestureClick> mContext;
    Glib::RefPtr<Gio::SimpleActionGroup> mMenuActions;
    std::unique_ptr<Gtk::PopoverMenu> mPopover;
    MenuBridge mBridge;
    ClickCounter mClicks;
    CPlotView* mPlot;
    bool mDetached = false;
    double mDragX = 0, mDragY = 0;
    unsigned mDragState = 0;
    bool mMirroring = false;
};

class TernaryArea : public Gtk::DrawingArea {
   public:
    TernaryArea(CTernaryPlotView& view, std::function<void()> afterEvent);
    ~TernaryArea() override;
    void detach();
    // The click handler: a press at a widget point.
    void onPress(double x, double y);
    CTernaryPlotView& view() const { return mView; }

   private:
    CTernaryPlotView& mView;
    std::function<void()> mAfterEvent;
    Glib::RefPtr<Gtk::GestureClick> mClick;
    bool mDetached = false;
};

}  // namespace vornex::shell
