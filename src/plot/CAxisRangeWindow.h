// CAxisRangeWindow: the one panel, shared by the whole application, in which the user types or
// steps the x and y ranges of the current plot, and the number of ticks of its axes. Ranges
// go back through the plot's setXYRange, so the plot announces them ("AxisPlotChanged") like
// any other range change; the panel also sets the decimals of the tick labels from the width
// of each range. Input is checked before anything reaches the plot: a value that is not a
// number, an empty range, a range running against the direction of the plot's own axis or a
// tick count below 2 is refused with a message, and the plot keeps its ranges. A bound beyond
// the plot's maximum range is taken as that limit, and the fields show what the plot took.
//
// A window toolkit shows the fields, steppers and buttons held here and sends the user's
// edits and clicks; the panel holds the plot without owning it.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/NotificationCenter.h"

namespace vornex {

class CPlotView;

class CAxisRangeWindow {
   public:
    static constexpr const char* kWindowLayout = "CAxisRangePanel";
    static constexpr const char* kFrameAutosaveName = "AxisPanel";
    static constexpr double kStepperLimit = 100000;
    // Tick counts accepted.
    static constexpr int kMinTicks = 2;
    static constexpr int kMaxTicks = 200;

    // The four range fields, each with a stepper, then the two tick counts.
    enum Field { kXmin, kXmax, kYmin, kYmax, kXTicks, kYTicks, kFieldCount };
    static constexpr int kStepperCount = 4;
    enum Button { kUseDefault, kUseMax, kCancel, kOK, kButtonCount };
    struct TextField {
        std::string text;
        bool enabled = false;
    };
    struct Stepper {
        double value = 0;
        double increment = 1;
        double minValue = -kStepperLimit;
        double maxValue = kStepperLimit;
        bool enabled = false;
    };
    // What the toolkit knows of a window that became main: the plot its document answers
    // with (none when the document has no single plot) and the window's frame.
    struct MainWindow {
        CPlotView* plotView = nullptr;
        Rect frame;
    };
    using MainWindowResolver = std::function<std::optional<MainWindow>(const void* window)>;

    static CAxisRangeWindow& sharedAxisRangeWindowCtroller();

    explicit CAxisRangeWindow(NotificationCenter* center = nullptr);
    ~CAxisRangeWindow();
    CAxisRangeWindow(const CAxisRangeWindow&) = delete;
    CAxisRangeWindow& operator=(const CAxisRangeWindow&) = delete;

    // ----- Window -------------------------------------------------------------------------
    // Loads the panel on first use (taking the plot of `mainWindow`, following the main
    // window from then on) and shows it.
    void showWindow(const void* mainWindow = nullptr);
    bool isVisible() const { return mVisible; }
    void orderOut() { mVisible = false; }
    void setMainWindowResolver(MainWindowResolver resolver) { mResolver = std::move(resolver); }

    // ----- Current plot -------------------------------------------------------------------
    // Makes the plot current and keeps its ranges for Cancel; none greys the panel out.
    void setCurrentPlotView(CPlotView* view);
    CPlotView* currentPlotView() const { return mPlotView; }
    // The plot of a window's document, if it answers with one.
    void setCurrentPlotWindow(const void* window);
    // Drops a plot that is going away, and closes the panel when it was the plot's.
    void forgetPlotView(const CPlotView* view);
    // Refreshes fields, steppers and increments from the current plot, and sets the plot's
    // tick-label decimals from the widths of its ranges.
    void updatePanel();

    // ----- Controls -----------------------------------------------------------------------
    const TextField& field(Field f) const { return mFields[f]; }
    void setFieldText(Field f, std::string text) { mFields[f].text = std::move(text); }
    // The stepper of a range field (kXmin ... kYmax).
    const Stepper& stepper(Field f) const { return mSteppers.at(f); }
    // The user clicks a stepper; the value stays within its limits.
    void setStepperValue(Field f, double value);
    bool isButtonEnabled(Button b) const { return mButtonsEnabled[b]; }
    // Why the last change was refused; empty after an accepted one.
    const std::string& message() const { return mMessage; }

    // ----- Actions ------------------------------------------------------------------------
    // Checks the fields and, when every one is sound, applies the ranges and tick counts to
    // the current plot and marks it for redisplay; false (nothing applied) otherwise.
    bool onChangeCoordinates();
    // Applies and hides the panel; a refused change leaves it open with its message.
    bool onOKButton();
    // Puts back the ranges, tick counts and tick decimals the plot had when it became current
    // and hides the panel.
    void onCancelButton();
    void onUseMaximumRangeValues();
    void onUseDefaultRangeValues();
    // Copy the stepper's value into its field, then onChangeCoordinates.
    bool onStepXmin() { return stepInto(kXmin); }
    bool onStepXmax() { return stepInto(kXmax); }
    bool onStepYmin() { return stepInto(kYmin); }
    bool onStepYmax() { return stepInto(kYmax); }

    // The stepper increment and tick decimals for a range of width d: the first row of
    // 1000 → 50, 500 → 20, 200 → 10, 100 → 5 (0 decimals), 10 → 1, 1 → 0.1 (1), 0.1 → 0.01
    // (2), 0.01 → 0.001 (3), 0.001 → 0.0001 (4) that d exceeds. `downward` mirrors the table
    // for d ≤ 0 (an axis running downward). Without a row the increment is d itself and
    // false is returned: the decimals are to be left as they are.
    static bool incrementForWidth(double d, bool downward, double& increment, int& digits);
    // A field's text for a value: the shortest that reads back as the same float.
    static std::string formatValue(float v);

   private:
    void windowDidLoad(const void* mainWindow);
    void mainWindowChanged(const Notification& n);
    void takeOldRanges();
    void enableControls(bool enabled);
    bool stepInto(Field f);
    bool refuse(std::string message);

    CPlotView* mPlotView = nullptr;
    std::array<float, 4> mOld{};
    // Tick counts and decimals (x, y) the plot had when it became current: the panel sets the
    // decimals as soon as it shows the plot, and Cancel puts everything back.
    std::array<int, 2> mOldTicks{}, mOldDigits{};
    std::array<TextField, kFieldCount> mFields;
    std::array<Stepper, kStepperCount> mSteppers;
    std::array<bool, kButtonCount> mButtonsEnabled{};
    std::string mMessage;
    bool mLoaded = false;
    bool mVisible = false;
    Point mOrigin;
    NotificationCenter* mCenter;
    MainWindowResolver mResolver;
};

}  // namespace vornex
