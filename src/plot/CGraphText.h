// CGraphText: rich text on a plot, placed one of two ways. A text the user places is anchored
// by its lower left corner at a data point and drawn at its natural size, not clipped to the
// plot rectangle: it moves with the data as the axes are zoomed. A caption the program places
// belongs to the plot, not to its data: it keeps its place in the plot rectangle, inset from
// the rectangle's top left corner, and is broken into lines as wide as the rectangle leaves it,
// so that the whole of it is read at every size of the plot and every range of its axes.
#pragma once

#include <memory>
#include <string>

#include "platform/Font.h"
#include "plot/CGraphObject.h"

namespace vornex {

class CGraphText : public CGraphObject {
   public:
    enum class Placement { DataPoint, PlotFrame };

    CGraphText() = default;

    // Plain text takes default attributes; rich text keeps its own.
    void setText(const std::string& text) { mContents.setText(text); }
    void setText(const AttributedString& text) { mContents.setText(text); }
    const AttributedString& contents() const { return mContents; }

    // Anchors the text at a data point.
    void setPosition(float x, float y) {
        mPlacement = Placement::DataPoint;
        mX = x;
        mY = y;
    }
    // Makes the text a caption inset by `left` and `top` (view units) from the top left corner
    // of the plot rectangle, its lines no wider than the rectangle less the inset on each side.
    // Where the rectangle is too low for every line at that inset the caption moves up, and
    // what still does not fit is cut at the rectangle's edge.
    void setFramePosition(float left, float top) {
        mPlacement = Placement::PlotFrame;
        mX = left;
        mY = top;
    }
    // The data point, or the caption's inset.
    void getPosition(float& x, float& y) const {
        x = mX;
        y = mY;
    }
    Placement placement() const { return mPlacement; }
    // Size in view units: set by the caller for a text at a data point, by drawing for a
    // caption (its widest line and the height of its lines) and for the legend.
    void setDimension(float width, float height) {
        mWidth = width;
        mHeight = height;
    }
    float width() const { return mWidth; }
    float height() const { return mHeight; }

    void render(Canvas& canvas) override;
    // The text, its placement and size.
    std::unique_ptr<CGraphObject> copy() const override;

   protected:
    void copyTextTo(CGraphText& target) const;

    AttributedString mContents;
    Placement mPlacement = Placement::DataPoint;
    float mX = 0.0f;
    float mY = 0.0f;
    float mWidth = 0.0f;
    float mHeight = 0.0f;

   private:
    void renderCaption(Canvas& canvas);
};

}  // namespace vornex
