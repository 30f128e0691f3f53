// CBarPlotView: one series of labelled values drawn as bars, as a line or as a line with
// markers, on a linear scale from 0 to a maximum or on a logarithmic scale in whole decades,
// with optional reference values (black dots), an optional grey grid and axis titles. A small
// stepper lowers the top of the linear scale; a context menu switches scale, grid and style
// and saves the chart as PDF or as an Igor text file (a value wave v<n> and a text wave s<n>
// of the labels). The view draws itself into any Canvas of its bounds' size; a window toolkit
// shows what it draws, its stepper and its menu. View coordinates: origin lower left, y up.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "platform/FileCanvas.h"
#include "platform/Menu.h"
#include "plot/DrawnView.h"

namespace vornex {

struct MouseEvent;

class CBarPlotView : public DrawnView {
   public:
    enum Mode { kBars = 0, kLines = 1, kLinesAndMarkers = 2 };

    // The stepper beside the value axis; the toolkit shows it and reports its clicks.
    struct Stepper {
        Rect frame;
        double minValue = 0.0;
        double maxValue = 100.0;
        double value = 100.0;
        double increment = 1.0;
        bool hidden = false;
    };

    // Where things go, from the bounds and margins (view units).
    struct Layout {
        double plotWidth = 0, plotHeight = 0;  // PW, PH
        double barWidth = 0;                   // bw, at most 50
        double slot = 0;                       // (1 + separation ratio) · bw
        double axisX = 0;                      // the value axis
        double firstSlotX = 0;                 // where the slots begin
        // Left edge and centre of bar i.
        double barX(std::size_t i) const;
        double barCentre(std::size_t i) const;
    };

    // A line of the vertical scale: its height in view units and its label.
    struct ScaleMark {
        double y;
        std::string label;
    };

    explicit CBarPlotView(Rect frame);

    // ----- Data ---------------------------------------------------------------------------
    void setValues(std::vector<double> values) { mValues = std::move(values); }
    void setLabels(std::vector<std::string> labels) { mLabels = std::move(labels); }
    // Reference values of some labels, drawn as black dots on the bars of those labels.
    void setReferenceLabels(std::vector<std::string> labels, std::vector<double> values);
    // The scale's bottom (logarithmic) and top; also the stepper's limits.
    void setMinimum(float minimum, float maximum);
    float mMinimum() const { return mMinimumValue; }
    float mMaximum() const { return mMaximumValue; }
    void setIsLogarithmic(bool on) { mLogarithmic = on; }
    bool isLogarithmic() const { return mLogarithmic; }
    bool showsGrid() const { return mShowGrid; }
    int mode() const { return mMode; }
    // Axis titles in the system font.
    void setLabels(const std::string& xTitle, const std::string& yTitle);
    const std::string& plotName() const { return mPlotName; }
    void setPlotName(std::string name) { mPlotName = std::move(name); }
    int mIgorIndex() const { return mIgorIndexValue; }

    // ----- Stepper, menu and actions ------------------------------------------------------
    Stepper& stepper() { return mStepper; }
    // One click of the stepper (+1 up, −1 down), kept within its limits, then onStepYmax.
    void stepMaximum(int direction);
    // The top of the linear scale becomes the stepper's value.
    void onStepYmax();
    Menu& menuForEvent(const MouseEvent& event);
    Menu& plotMenu() { return *mPlotMenu; }
    bool validateMenuItem(MenuItem& item) const;
    void onToggleScale();
    void onToggleGrid();
    void onSetBars() { setMode(kBars); }
    void onSetLines() { setMode(kLines); }
    void onSetLinesMarkers() { setMode(kLinesAndMarkers); }
    // Save panel for a PDF (proposing the plot's name), then writePdf with the stepper
    // hidden; false unless a file was written. A failure is reported.
    bool onPrintPlot();
    // Save panel proposing "data<n>.itx", then writeIgorFile; false unless a file was
    // written. A failure is reported.
    bool onExportToIgor();

    // ----- Output -------------------------------------------------------------------------
    // The Igor text of the values and labels with waves v<n> and s<n>, n = mIgorIndex.
    std::string igorText() const;
    // Writes igorText() whole or not at all; on success the next export uses n + 1.
    IoResult writeIgorFile(const std::string& path);
    IoResult writePdf(const std::string& path);

    // ----- Drawing ------------------------------------------------------------------------
    Layout layout() const;
    // The lines of the vertical scale as they are drawn.
    std::vector<ScaleMark> scaleMarks() const;
    // Height above the category axis at which a value stands; false when it is not drawn
    // (not finite, or not positive on the logarithmic scale).
    bool heightOf(double value, double& height) const;
    // The top of the linear scale in use: mMaximum, or, while it is not a positive number,
    // the largest value (10 when there is no positive one).
    double linearTop() const;
    // Decades of the logarithmic scale, lo < hi.
    void decades(int& lo, int& hi) const;
    using DrawnView::drawRect;
    void drawRect(Canvas& canvas, const Rect& dirty) override;

   private:
    void setMode(int mode);
    void changed() { setNeedsDisplay(true); }
    void drawTitles(Canvas& canvas, const Layout& l) const;
    void drawCategoryLabels(Canvas& canvas, const Layout& l) const;
    void drawAxesAndScale(Canvas& canvas, const Layout& l) const;
    void drawSeries(Canvas& canvas, const Layout& l) const;
    // The reference value of label i, if it has one.
    const double* referenceValueFor(std::size_t i) const;

    std::vector<double> mValues;
    std::vector<std::string> mLabels;
    TextAttributes mTicksAttributes;
    float mMarginLeft = 20, mMarginBottom = 40, mMarginTop = 20, mMarginRight = 20;
    float mMaximumValue = 0;
    float mMinimumValue = 0;
    float mSepBarRatio = 0.2f;
    bool mLogarithmic = false;
    bool mShowGrid = false;
    std::unique_ptr<Menu> mPlotMenu;
    int mIgorIndexValue = 0;
    int mMode = kLinesAndMarkers;
    std::vector<std::string> mReferenceLabels;
    std::vector<double> mReferenceValues;
    Stepper mStepper;
    std::string mXLabel, mYLabel;
    TextAttributes mTitleAttributes;
    std::string mPlotName;
};

// Igor text strings hold their text between double quotes: quotes, backslashes and control
// characters are escaped so that every label reads back as it was.
std::string igorQuoted(const std::string& text);

}  // namespace vornex
