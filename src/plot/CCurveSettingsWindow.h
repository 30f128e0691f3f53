// CCurveSettingsWindow: the shared modal panel that restyles one curve of a plot: its colour
// and its line thickness (size factor 1, 2 or 3). Each change reaches the curve at once and
// redraws the plot; Cancel puts back the colour and thickness the curve had when it was
// handed over, OK keeps them.
#pragma once

#include "plot/CSettingsWindow.h"

namespace vornex {

class CGraphCurve;

class CCurveSettingsWindow : public CSettingsWindow {
   public:
    static constexpr const char* kWindowLayout = "CCurvesSettingsPanel";
    static constexpr const char* kFrameAutosaveName = "CurvesSettingsPanel";
    // Items of the thickness menu: factors 1, 2 and 3.
    static constexpr int kThicknessItems = 3;

    // The shared panel, created on first use.
    static CCurveSettingsWindow& sharedCurvesSettingsCtroller();

    // Hands a curve over: keeps its size factor and colour for Cancel, selects the thickness
    // item of a factor of exactly 1, 2 or 3 (else leaves the selection) and shows the colour.
    void setGraphCurve(CGraphCurve* curve);
    CGraphCurve* graphCurve() const;
    int selectedThicknessItem() const { return mThicknessItem; }
    // The user picks an item; onChangeThickness applies it.
    void selectThicknessItem(int item) { mThicknessItem = item; }
    // Items 0, 1, 2 set the factor 1, 2, 3; any other item changes nothing.
    void onChangeThickness();
    // Restores the factor and colour of the hand-over, redraws, ends the session.
    void onCancelButton();

   private:
    int mThicknessItem = 0;
};

}  // namespace vornex
