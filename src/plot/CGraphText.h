// CGraphText: rich text anchored by its lower left corner at a data point of a plot; drawn at
// its natural size, not clipped to the plot rectangle.
#pragma once

#include <memory>
#include <string>

#include "platform/Font.h"
#include "plot/CGraphObject.h"

namespace vornex {

class CGraphText : public CGraphObject {
   public:
    CGraphText() = default;

    // Plain text takes default attributes; rich text keeps its own.
    void setText(const std::string& text) { mContents.setText(text); }
    void setText(const AttributedString& text) { mContents.setText(text); }
    const AttributedString& contents() const { return mContents; }

    void setPosition(float x, float y) {
        mX = x;
        mY = y;
    }
    void getPosition(float& x, float& y) const {
        x = mX;
        y = mY;
    }
    // Size in view units: set by the caller for a plain text, by drawing for the legend.
    void setDimension(float width, float height) {
        mWidth = width;
        mHeight = height;
    }
    float width() const { return mWidth; }
    float height() const { return mHeight; }

    void render(Canvas& canvas) override;
    // The position and size; the text itself is not copied.
    std::unique_ptr<CGraphObject> copy() const override;

   protected:
    void copyTextTo(CGraphText& target) const;

    AttributedString mContents;
    float mX = 0.0f;
    float mY = 0.0f;
    float mWidth = 0.0f;
    float mHeight = 0.0f;
};

}  // namespace vornex
