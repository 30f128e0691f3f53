// CPointSettingsWindow: the shared modal panel that restyles one point-like object of a plot:
// its colour, its marker type (menu item i for type i + 1) and its marker size (items 0 to 9
// for the size factors 1 to 10). Each change reaches the object at once and redraws the plot;
// Cancel puts back what the object had when it was handed over, OK keeps the changes.
#pragma once

#include "plot/CSettingsWindow.h"

namespace vornex {

class CPointSettingsWindow : public CSettingsWindow {
   public:
    static constexpr const char* kWindowLayout = "CPointsSettingsPanel";
    // Marker types 1 to 12 and size factors 1 to 10.
    static constexpr int kMarkerItems = 12;
    static constexpr int kSizeItems = 10;

    static CPointSettingsWindow& sharedPointsSettingsCtroller();

    // Hands an object over: keeps its marker type, size factor and colour for Cancel,
    // selects the size item of a whole factor from 1 to 10 (else leaves the selection), the
    // marker item of its type (none for a type outside the menu) and shows its colour.
    void setGraphObject(CGraphObject* object);
    CGraphObject* graphObject() const { return editedObject(); }
    // -1 when no item is selected.
    int selectedMarkerItem() const { return mMarkerItem; }
    int selectedSizeItem() const { return mSizeItem; }
    // The user picks items; the actions below apply them.
    void selectMarkerItem(int item) { mMarkerItem = item; }
    void selectSizeItem(int item) { mSizeItem = item; }
    // The marker type becomes the item's index + 1; with no item selected nothing changes.
    void onChangeMarkerType();
    // Items 0 to 9 set the factor index + 1; any other index sets 1.
    void onChangeMarkerSize();
    // Restores marker type, size factor and colour, redraws, ends the session.
    void onCancelButton();

   private:
    int mMarkerItem = -1;
    int mSizeItem = 0;
    int mOldMarkerType = 0;
};

}  // namespace vornex
