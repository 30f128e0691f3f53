// CGraphPoint: one marker at a data point of a plot, optionally with its name written under
// it. CGraphStringPoint: a marker that carries its own label text and a label offset (view
// units). Markers follow the shared rule of CGraphObject: shape by selector, half size
// 0.5 × size factor + 2 (+ 3 highlighted), stroke width 0.1 × size factor + 1.
#pragma once

#include <memory>
#include <string>

#include "plot/CGraphObject.h"

namespace vornex {

class CGraphPoint : public CGraphObject {
   public:
    CGraphPoint();
    static std::unique_ptr<CGraphPoint> newGraphPoint(float x, float y);

    void setPoint(float x, float y) {
        mX = x;
        mY = y;
    }
    float getX() const { return mX; }
    float getY() const { return mY; }
    bool showLabel() const { return mShowLabel; }
    void setShowLabel(bool show) { mShowLabel = show; }
    // Kept for the settings panels: resets the size factor to 1 whatever the argument.
    void setDefaultToolSize(float) { mToolSizeFactor = 1.0f; }

    void render(Canvas& canvas) override;
    std::unique_ptr<CGraphObject> copy() const override;

   protected:
    // The text written under the marker and its shift from the normal place.
    virtual const std::string& shownText() const { return mName; }
    virtual Point labelOffset() const { return {}; }
    void copyPointTo(CGraphPoint& target) const;

    float mX = 0.0f;
    float mY = 0.0f;
    bool mShowLabel = false;
};

class CGraphStringPoint : public CGraphPoint {
   public:
    CGraphStringPoint() = default;
    static std::unique_ptr<CGraphStringPoint> newGraphStringPoint(float x, float y);

    void setLabel(std::string label) { mLabel = std::move(label); }
    const std::string& getLabel() const { return mLabel; }
    float offsetX() const { return mOffsetX; }
    void setOffsetX(float dx) { mOffsetX = dx; }
    float offsetY() const { return mOffsetY; }
    void setOffsetY(float dy) { mOffsetY = dy; }

    std::unique_ptr<CGraphObject> copy() const override;

   protected:
    const std::string& shownText() const override { return mLabel; }
    Point labelOffset() const override { return {mOffsetX, mOffsetY}; }

   private:
    std::string mLabel;
    float mOffsetX = 0.0f;
    float mOffsetY = 0.0f;
};

// Draws `text` centred under a marker of half size h at the view point (xv, yv), its bottom
// 0.7 of the text height plus h plus 2 below the centre, shifted by `offset`, with the plot's
// legend attributes.
void drawLabelUnderMarker(Canvas& canvas, const CPlotView& view, const std::string& text, float xv,
                          float yv, float h, Point offset = {});

}  // namespace vornex
