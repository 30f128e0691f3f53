// CGraphObject: base of every item an x–y plot draws (curves, areas, points, texts, the
// legend). An item keeps its geometry in data coordinates (32-bit floats) and converts it
// through its plot's transform only while drawing or hit-testing. The base holds what all
// items share: name, colour, marker type, size factor, the selectable / highlighted / hidden
// switches, the path last drawn and the colour cousins that follow its colour.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/BezierPath.h"
#include "platform/Canvas.h"
#include "platform/Color.h"

namespace vornex {

class CPlotView;

// A point in data coordinates, single precision as the plot keeps them.
struct DataPoint {
    float x = 0.0f;
    float y = 0.0f;
    friend bool operator==(const DataPoint&, const DataPoint&) = default;
};

class CGraphObject {
   public:
    CGraphObject();
    // Breaks the cousinship with every cousin, so none keeps a reference to this item.
    virtual ~CGraphObject();
    CGraphObject(const CGraphObject&) = delete;
    CGraphObject& operator=(const CGraphObject&) = delete;

    // Identity that outlives reuse of the address: undo steps check it before they act.
    std::uint64_t serial() const { return mSerial; }

    // Empty means no name. The document names temporary items with the prefix "t_".
    const std::string& name() const { return mName; }
    void setName(std::string name) { mName = std::move(name); }
    float size() const { return mSize; }
    void setSize(float size) { mSize = size; }
    // Marker type 0 ... 12 (constructPoint0); any other value draws an outlined circle.
    int selector() const { return mSelector; }
    void setSelector(int selector) { mSelector = selector; }
    // None for a new item: it then draws in whatever colour the canvas holds.
    const std::optional<Color>& color() const { return mColor; }
    const std::optional<Color>& getColor() const { return mColor; }
    // The item this one was derived from; compared with null only, never followed.
    const CGraphObject* referenceObject() const { return mReferenceObject; }
    void setReferenceObject(const CGraphObject* object) { mReferenceObject = object; }
    CPlotView* getPlotView() const { return mPlotView; }
    void setPlotView(CPlotView* view) { mPlotView = view; }
    float getToolSizeFactor() const { return mToolSizeFactor; }
    void setToolSizeFactor(float factor) { mToolSizeFactor = factor; }
    void increaseToolSizeFactor() { mToolSizeFactor += 1.0f; }
    void decreaseToolSizeFactor() { mToolSizeFactor -= 1.0f; }
    bool isSelectable() const { return mSelectable; }
    void setSelectable(bool selectable) { mSelectable = selectable; }
    bool isHidden() const { return mHidden; }
    void setHidden(bool hidden) { mHidden = hidden; }
    bool isHilited() const { return mHilited; }
    // Only a selectable item can be highlighted.
    void setHilited(bool hilited) {
        if (mSelectable) mHilited = hilited;
    }

    // This item's colour only.
    void applyColor(const Color& color) { mColor = color; }
    // This item's colour, then every cousin's, in cousin order.
    void setColor(const Color& color);
    // Calibrated RGB, alpha 1; cousins keep theirs.
    void setColor(float red, float green, float blue);
    // Colour components scaled to 0 ... 65535 (0 without a colour).
    int getRed() const;
    int getGreen() const;
    int getBlue() const;

    void addColorCousin(CGraphObject* other);
    void removeColorCousin(CGraphObject* other);
    void setColorCousinship(CGraphObject* other);
    void breakCousinship(CGraphObject* other);
    const std::vector<CGraphObject*>& colorCousins() const { return mColorCousins; }

    // Marker path of type `selector` centred on (x, y) with half width w and half height h,
    // all in view units.
    static BezierPath constructPoint0(int selector, float w, float h, float x, float y);
    // The same centred on a data point of the plot (w and h stay view units).
    BezierPath constructPoint(int selector, float w, float h, float x, float y) const;
    // Markers 1, 3, 7, 8 and 11 are filled, every other one outlined.
    static bool isFilledMarker(int selector);

    // Draws the item; the base draws nothing.
    virtual void render(Canvas& canvas);
    // Whether a click at p (view coordinates) hits the item: by default, containment in the
    // path last drawn, for a selectable item that is not hidden.
    virtual bool isHit(Point p);
    // Bounds of the last drawn path (view coordinates), the zero rectangle before any.
    virtual Rect getBounds() const;
    // A new item of the same class with a copy of the name, size, marker and colour and the
    // class's own data; switches, size factor, plot, path and cousins start afresh.
    virtual std::unique_ptr<CGraphObject> copy() const;

    // The path built by the last drawing, if any.
    const std::optional<BezierPath>& path() const { return mPath; }

   protected:
    void copyCommonTo(CGraphObject& target) const;
    // Half size of a marker: 0.5 × size factor + 2 (+ 3 when highlighted).
    float markerHalfSize() const;
    // Builds and paints one marker of this item's style at a data point, in its colour.
    BezierPath drawMarker(Canvas& canvas, float x, float y) const;
    // Paints a marker path: filled or outlined by the selector, stroke 0.1 × factor + 1.
    static void paintMarker(Canvas& canvas, BezierPath& marker, int selector, float sizeFactor);
    // A polyline through data points, in view coordinates, cut to the plot's drawing region.
    BezierPath viewPolyline(const std::vector<DataPoint>& points) const;
    // The polygon of the data points cut to the drawing region, to fill.
    BezierPath viewPolygon(const std::vector<DataPoint>& points) const;
    // Whether a data point lies in the plot's drawing region: markers and labels elsewhere
    // are not drawn.
    bool isDrawnAt(float x, float y) const;
    void setCanvasColor(Canvas& canvas) const {
        if (mColor) canvas.setColor(*mColor);
    }

    bool mHilited = false;
    bool mSelectable = false;
    bool mHidden = false;
    std::string mName;
    float mSize = 0.0f;
    int mSelector = 0;
    std::optional<Color> mColor;
    std::optional<BezierPath> mPath;
    const CGraphObject* mReferenceObject = nullptr;
    CPlotView* mPlotView = nullptr;
    float mToolSizeFactor = 1.0f;
    std::vector<CGraphObject*> mColorCousins;

   private:
    std::uint64_t mSerial;
};

}  // namespace vornex
