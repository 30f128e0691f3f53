// CSettingsWindow: what the two modal settings panels share (the curve panel and the point
// panel): the plot they redraw after each change, the colour well, the window's visible state
// and the modal session that OK, Cancel or closing the window ends. The panel holds the plot
// and the object it edits without owning them; an edit reaches the object only while it is
// still in that plot, and a plot about to be destroyed is forgotten (forgetPlotView).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/Color.h"

namespace vornex {

class CPlotView;
class CGraphObject;

class CSettingsWindow {
   public:
    // Runs the toolkit's modal loop for the panel until isModalSessionRunning() is false.
    using ModalRunner = std::function<void(CSettingsWindow&)>;

    CSettingsWindow() = default;
    virtual ~CSettingsWindow() = default;
    CSettingsWindow(const CSettingsWindow&) = delete;
    CSettingsWindow& operator=(const CSettingsWindow&) = delete;

    // ----- Window and modal session -------------------------------------------------------
    bool isVisible() const { return mVisible; }
    void showWindow() { mVisible = true; }
    // Begins the modal session and hands it to the modal runner, which returns when OK,
    // Cancel or a close has stopped it; without a runner the session stays open for the
    // caller to end.
    void startModalSession();
    bool isModalSessionRunning() const { return mModal; }
    // Stops the session and closes the panel, keeping the edits.
    void onOKButton() { closePanel(); }
    // The window is closing by other means than OK or Cancel: the session ends as well, the
    // edits so far stay on the object, and the shared colour panel closes.
    void windowWillClose();
    // How the panel closes the shared colour panel.
    void setColorPanelCloser(std::function<void()> closer) { mCloseColorPanel = std::move(closer); }

    // ----- Plot and colour ----------------------------------------------------------------
    void setPlotView(CPlotView* view) { mPlotView = view; }
    CPlotView* plotView() const { return mPlotView; }
    // Drops every reference to a plot that is going away (and to the object it holds); the
    // panel editing one of its objects closes with it.
    void forgetPlotView(const CPlotView* view);
    const Color& colorWell() const { return mForeColorWell; }
    // The user picks a colour in the well; onChangeColor applies it.
    void setColorWell(const Color& c) { mForeColorWell = c; }
    void onChangeColor();
    float oldToolSizeFactor() const { return mOldToolSizeFactor; }

   protected:
    // The object being edited, or null when there is none or it has left its plot.
    CGraphObject* editedObject() const;
    // Makes the object the one edited, keeps its size factor and colour for Cancel and
    // shows the colour in the well.
    void handOver(CGraphObject* object);
    // Puts back the size factor and colour of the hand-over.
    void restoreOldStyle(CGraphObject& object) const;
    // The menu item (0 ... items − 1) of a whole factor item + 1; `current` for any other.
    static int itemOfFactor(float factor, int items, int current);
    void redraw() const;
    void closePanel();

   private:
    CPlotView* mPlotView = nullptr;
    CGraphObject* mObject = nullptr;
    std::uint64_t mSerial = 0;  // of the object handed over
    Color mForeColorWell;
    std::optional<Color> mOldForeColor;
    float mOldToolSizeFactor = 1.0f;
    bool mVisible = false;
    bool mModal = false;
    ModalRunner mRunner;
    std::function<void()> mCloseColorPanel;
};

}  // namespace vornex
