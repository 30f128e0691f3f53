#include "PlotWidget.h"

#include <glibmm/main.h>

#include <gdkmm/rectangle.h>
#include <gtkmm/icontheme.h>

#include "GtkPlotServices.h"
#include "platform/CairoCanvas.h"

namespace vornex::shell {

namespace {

// A tool button shows its themed icon, or a short text where the theme has none.
void dress(Gtk::Button& button, const char* icon, const char* text) {
    auto theme = Gtk::IconTheme::get_for_display(Gdk::Display::get_default());
    if (theme && theme->has_icon(icon))
        button.set_icon_name(icon);
    else
        button.set_label(text);
    button.set_has_frame(false);
    button.set_focus_on_click(false);
}

// GTK asks the X server where the pointer is whenever a tooltip is set, changed or not; the
// chrome is refreshed after every action and every change of the active window.
void setTooltip(Gtk::Widget& widget, const std::string& text) {
    if (widget.get_tooltip_text().raw() != text) widget.set_tooltip_text(text);
}

}  // namespace

PlotArea::PlotArea(CDrawPlotView& host, AfterEvent onEvent)
    : Gtk::Box(Gtk::Orientation::VERTICAL, 3),
      mHost(host),
      mAfterEvent(std::move(onEvent)),
      mBridge("plot", [](const std::function<void()>& perform) {
          GtkPlotServices::instance().perform(perform);
      }),
      mPlot(host.plotView()) {
    mArea.set_expand(true);
    mArea.set_content_width(320);
    mArea.set_content_height(240);
    mArea.set_draw_func(sigc::mem_fun(*this, &PlotArea::draw));
    mArea.set_focusable(true);
    append(mArea);

    dress(mZoomIn, "zoom-in-symbolic", "+");
    dress(mZoomOut, "zoom-out-symbolic", "\u2212");
    dress(mGrid, "view-grid-symbolic", "#");
    dress(mReset, "zoom-original-symbolic", "1:1");
    dress(mAxis, "preferences-other-symbolic", "\u2194");
    mStatus.set_selectable(true);
    mStatus.set_xalign(0);
    mStatus.set_hexpand(true);
    mStatus.set_ellipsize(Pango::EllipsizeMode::END);
    mStatus.set_tooltip_text(mHost.statusBar().toolTip);
    for (Gtk::Widget* w : std::initializer_list<Gtk::Widget*>{&mZoomIn, &mZoomOut, &mGrid,
                                                              &mReset, &mAxis, &mStatus})
        mButtons.append(*w);
    if (mHost.hasButtons()) append(mButtons);
    // A click on a tool button leaves the keyboard focus where it was (in the case list).
    for (Gtk::Widget* w : std::initializer_list<Gtk::Widget*>{&mZoomIn, &mZoomOut, &mGrid,
                                                              &mReset, &mAxis})
        w->set_focus_on_click(false);

    // Each button sends the host's command to the plot, as the host's own buttons do.
    auto wire = [this](Gtk::Button& b, const CDrawPlotView::ToolButton& (CDrawPlotView::*button)()
                                           const) {
        b.signal_clicked().connect([this, button] {
            GtkPlotServices::instance().setFirstResponder(&plot());
            (mHost.*button)().press();
            afterEvent();
        });
    };
    wire(mZoomIn, &CDrawPlotView::zoomInButton);
    wire(mZoomOut, &CDrawPlotView::zoomOutButton);
    wire(mReset, &CDrawPlotView::resetButton);
    wire(mAxis, &CDrawPlotView::axisButton);
    mGrid.signal_toggled().connect([this] {
        if (mMirroring) return;
        mHost.gridButton().press();
        afterEvent();
    });

    mDrag = Gtk::GestureDrag::create();
    mDrag->set_button(1);
    mDrag->signal_drag_begin().connect([this](double x, double y) {
        mDragState = static_cast<unsigned>(mDrag->get_current_event_state());
        onDragBegin(x, y);
    });
    mDrag->signal_drag_update().connect(sigc::mem_fun(*this, &PlotArea::onDragUpdate));
    mDrag->signal_drag_end().connect(sigc::mem_fun(*this, &PlotArea::onDragEnd));
    mDrag->signal_cancel().connect([this](Gdk::EventSequence*) {
        plot().mouseTrackingCancelled();
        afterEvent();
    });
    mArea.add_controller(mDrag);

    mContext = Gtk::GestureClick::create();
    mContext->set_button(3);
    mContext->signal_pressed().connect(
        [this](int, double x, double y) { onContextClick(x, y); });
    mArea.add_controller(mContext);

    mMenuActions = Gio::SimpleActionGroup::create();
    insert_action_group("plot", mMenuActions);

    plot().setDisplayRequestHandler([this] { mArea.queue_draw(); });
    GtkPlotServices::instance().registerPlot(&plot());
    refreshChrome();
}

PlotArea::~PlotArea() {
    detach();
    if (mPopover) mPopover->unparent();
}

void PlotArea::detach() {
    if (mDetached) return;
    mDetached = true;
    mPlot->setDisplayRequestHandler(nullptr);
    GtkPlotServices::instance().forgetPlot(mPlot);
    mArea.set_draw_func({});
    mDrag->set_propagation_phase(Gtk::PropagationPhase::NONE);
    mContext->set_propagation_phase(Gtk::PropagationPhase::NONE);
}

void PlotArea::draw(const Cairo::RefPtr<Cairo::Context>& cr, int width, int height) {
    CPlotView& p = plot();
    const Rect frame = p.frame();
    if (frame.width() != width || frame.height() != height)
        p.setFrame(Rect(frame.x(), frame.y(), width, height));
    CairoCanvas canvas(cr->cobj(), Size{static_cast<double>(width), static_cast<double>(height)});
    p.drawRect(canvas);
}

MouseEvent PlotArea::eventAt(MouseEvent::Type type, double x, double y) const {
    MouseEvent e;
    e.type = type;
    e.location = viewPoint(x, y, mArea.get_height());
    e.modifierFlags = modifierFlags(mDragState);
    return e;
}

void PlotArea::afterEvent() {
    refreshChrome();
    mArea.queue_draw();
    if (mAfterEvent) mAfterEvent();
}

void PlotArea::onDragBegin(double x, double y) {
    mDragX = x;
    mDragY = y;
    mArea.grab_focus();
    GtkPlotServices::instance().setFirstResponder(&plot());
    // The transform of the last drawing is what the press is read through.
    plot().calculateCoefficients();
    MouseEvent e = eventAt(MouseEvent::Type::Down, x, y);
    e.clickCount = mClicks.press(static_cast<std::uint32_t>(g_get_monotonic_time() / 1000), e.location);
    plot().mousePressed(e);
    afterEvent();
}

void PlotArea::onDragUpdate(double dx, double dy) {
    if (!plot().isTrackingMouse()) return;
    plot().mouseDragged(eventAt(MouseEvent::Type::Dragged, mDragX + dx, mDragY + dy));
    refreshChrome();
    mArea.queue_draw();
}

void PlotArea::onDragEnd(double dx, double dy) {
    if (!plot().isTrackingMouse()) return;
    plot().mouseReleased(eventAt(MouseEvent::Type::Up, mDragX + dx, mDragY + dy));
    afterEvent();
}

bool PlotArea::clickAxisButton() {
    if (!mAxis.get_sensitive()) return false;
    g_signal_emit_by_name(mAxis.gobj(), "clicked");
    return true;
}

void PlotArea::onContextClick(double x, double y) {
    GtkPlotServices::instance().setFirstResponder(&plot());
    plot().calculateCoefficients();
    MouseEvent e = eventAt(MouseEvent::Type::Down, x, y);
    e.button = MouseButton::Right;
    Menu* menu = plot().menuForEvent(e);
    mArea.queue_draw();
    if (!menu) return;
    auto model = mBridge.build(*menu, mMenuActions);
    if (mPopover) mPopover->unparent();
    mPopover = std::make_unique<Gtk::PopoverMenu>();
    mPopover->set_parent(mArea);
    mPopover->set_menu_model(model);
    mPopover->set_has_arrow(false);
    mPopover->set_pointing_to(Gdk::Rectangle(static_cast<int>(x), static_cast<int>(y), 1, 1));
    mPopover->signal_closed().connect([this] { afterEvent(); });
    mPopover->popup();
    // The menu's last items take their size only once the popover is on screen, how many
    // frames later depends on the display and the window manager, and a popover keeps the
    // size it opened with: for its first two seconds on screen it is placed again whenever
    // its items need more room than it has.
    mPopover->add_tick_callback(
        [this, frames = 0](const Glib::RefPtr<Gdk::FrameClock>&) mutable {
            if (!mPopover || !mPopover->get_visible() || ++frames > 120) return false;
            if (!popoverShowsEveryItem()) mPopover->present();
            return true;
        });
}

bool PlotArea::popoverShowsEveryItem() const {
    Gtk::Widget* scroller = mPopover ? mPopover->get_child() : nullptr;
    Gtk::Widget* content = scroller ? scroller->get_first_child() : nullptr;
    if (!content) return true;
    int minimum = 0, natural = 0, baseline = 0;
    content->measure(Gtk::Orientation::VERTICAL, -1, minimum, natural, baseline, baseline);
    return scroller->get_height() >= natural;
}

void PlotArea::refreshChrome() {
    mMirroring = true;
    const CDrawPlotView::ToolButton* buttons[] = {&mHost.zoomInButton(), &mHost.zoomOutButton(),
                                                  &mHost.resetButton(), &mHost.axisButton()};
    Gtk::Button* widgets[] = {&mZoomIn, &mZoomOut, &mReset, &mAxis};
    for (int i = 0; i < 4; ++i) {
        widgets[i]->set_sensitive(buttons[i]->enabled);
        setTooltip(*widgets[i], buttons[i]->toolTip);
    }
    mGrid.set_active(mHost.gridButton().state == 1);
    setTooltip(mGrid, mHost.gridButton().toolTip);
    mStatus.set_text(mHost.statusBar().text);
    mMirroring = false;
}

TernaryArea::TernaryArea(CTernaryPlotView& view, std::function<void()> afterEvent)
    : mView(view), mAfterEvent(std::move(afterEvent)) {
    set_expand(true);
    set_content_width(300);
    set_content_height(260);
    set_draw_func([this](const Cairo::RefPtr<Cairo::Context>& cr, int width, int height) {
        mView.setFrame(Rect(0, 0, width, height));
        CairoCanvas canvas(cr->cobj(),
                           Size{static_cast<double>(width), static_cast<double>(height)});
        mView.drawRect(canvas);
    });
    mClick = Gtk::GestureClick::create();
    mClick->set_button(1);
    mClick->signal_pressed().connect([this](int, double x, double y) { onPress(x, y); });
    add_controller(mClick);
    mView.setDisplayRequestHandler([this] { queue_draw(); });
}

TernaryArea::~TernaryArea() {
    detach();
}

void TernaryArea::detach() {
    if (mDetached) return;
    mDetached = true;
    mView.setDisplayRequestHandler(nullptr);
    // Taken apart by GTK before the window let go of it, the area has no drawing function or
    // gestures left to stop.
    if (!gobj()) return;
    set_draw_func({});
    mClick->set_propagation_phase(Gtk::PropagationPhase::NONE);
}

void TernaryArea::onPress(double x, double y) {
    MouseEvent e;
    e.location = viewPoint(x, y, get_height());
    mView.mouseDown(e);
    queue_draw();
    if (mAfterEvent) mAfterEvent();
}

}  // namespace vornex::shell
