#include "plot/CGraphObject.h"

#include <algorithm>
#include <atomic>

#include "plot/CPlotView.h"
#include "plot/ViewClip.h"

namespace vornex {

namespace {
std::atomic<std::uint64_t> nextSerial{1};

int scaled(double component) {
    return static_cast<int>(component * 65535.0);
}
}  // namespace

CGraphObject::CGraphObject() : mSerial(nextSerial++) {}

CGraphObject::~CGraphObject() {
    // Each cousin drops this item from its own list.
    for (CGraphObject* cousin : std::vector<CGraphObject*>(mColorCousins))
        cousin->removeColorCousin(this);
}

void CGraphObject::setColor(const Color& color) {
    applyColor(color);
    for (CGraphObject* cousin : mColorCousins) cousin->applyColor(color);
}

void CGraphObject::setColor(float red, float green, float blue) {
    mColor = Color::calibratedRGB(red, green, blue, 1.0);
}

int CGraphObject::getRed() const {
    return mColor ? scaled(mColor->redComponent()) : 0;
}
int CGraphObject::getGreen() const {
    return mColor ? scaled(mColor->greenComponent()) : 0;
}
int CGraphObject::getBlue() const {
    return mColor ? scaled(mColor->blueComponent()) : 0;
}

void CGraphObject::addColorCousin(CGraphObject* other) {
    if (other) mColorCousins.push_back(other);
}

void CGraphObject::removeColorCousin(CGraphObject* other) {
    std::erase(mColorCousins, other);
}

void CGraphObject::setColorCousinship(CGraphObject* other) {
    if (!other) return;
    addColorCousin(other);
    other->addColorCousin(this);
}

void CGraphObject::breakCousinship(CGraphObject* other) {
    if (!other) return;
    removeColorCousin(other);
    other->removeColorCousin(this);
}

BezierPath CGraphObject::constructPoint0(int selector, float w, float h, float x, float y) {
    BezierPath path;
    auto p = [](float px, float py) { return Point{px, py}; };
    switch (selector) {
        case 3:
        case 4:
            path.appendRect(Rect(x - w, y - h, 2 * w, 2 * h));
            break;
        case 5:
            path.moveTo(p(x - w, y));
            path.lineTo(p(x + w, y));
            path.moveTo(p(x, y - h));
            path.lineTo(p(x, y + h));
            break;
        case 6:
            path.moveTo(p(x - w, y - h));
            path.lineTo(p(x + w, y + h));
            path.moveTo(p(x - w, y + h));
            path.lineTo(p(x + w, y - h));
            break;
        case 7:
        case 9:
            path.moveTo(p(x - w, y - 0.667f * h));
            path.lineTo(p(x + w, y - 0.667f * h));
            path.lineTo(p(x, y + 1.333f * h));
            path.closePath();
            break;
        case 8:
        case 10:
            path.moveTo(p(x - w, y + 0.667f * h));
            path.lineTo(p(x + w, y + 0.667f * h));
            path.lineTo(p(x, y - 1.333f * h));
            path.closePath();
            break;
        case 11:
        case 12:
            path.moveTo(p(x - w, y));
            path.lineTo(p(x, y - h));
            path.lineTo(p(x + w, y));
            path.lineTo(p(x, y + h));
            path.closePath();
            break;
        default:  // 0, 1, 2 and every value outside 0 ... 12
            path.appendOval(Rect(x - w, y - h, 2 * w, 2 * h));
            break;
    }
    return path;
}

BezierPath CGraphObject::constructPoint(int selector, float w, float h, float x, float y) const {
    if (!mPlotView) return constructPoint0(selector, w, h, x, y);
    return constructPoint0(selector, w, h, mPlotView->getXValue(x), mPlotView->getYValue(y));
}

bool CGraphObject::isFilledMarker(int selector) {
    return selector == 1 || selector == 3 || selector == 7 || selector == 8 || selector == 11;
}

void CGraphObject::render(Canvas&) {}

bool CGraphObject::isHit(Point p) {
    if (mHidden || !mSelectable || !mPath) return false;
    return mPath->containsPoint(p);
}

Rect CGraphObject::getBounds() const {
    return mPath ? mPath->bounds() : Rect();
}

std::unique_ptr<CGraphObject> CGraphObject::copy() const {
    auto object = std::make_unique<CGraphObject>();
    copyCommonTo(*object);
    return object;
}

void CGraphObject::copyCommonTo(CGraphObject& target) const {
    target.mName = mName;
    target.mSize = mSize;
    target.mSelector = mSelector;
    target.mColor = mColor;
    target.mReferenceObject = nullptr;
}

BezierPath CGraphObject::viewPolyline(const std::vector<DataPoint>& points) const {
    BezierPath path;
    if (!mPlotView) return path;
    ClippedPolyline line(path, mPlotView->drawingRegion());
    for (const DataPoint& p : points) line.add(mPlotView->viewPoint(p.x, p.y));
    return path;
}

BezierPath CGraphObject::viewPolygon(const std::vector<DataPoint>& points) const {
    if (!mPlotView) return {};
    std::vector<Point> polygon;
    polygon.reserve(points.size());
    for (const DataPoint& p : points) polygon.push_back(mPlotView->viewPoint(p.x, p.y));
    return clippedPolygon(polygon, mPlotView->drawingRegion());
}

bool CGraphObject::isDrawnAt(float x, float y) const {
    return mPlotView && insideRegion(mPlotView->drawingRegion(), mPlotView->viewPoint(x, y));
}

float CGraphObject::markerHalfSize() const {
    return 0.5f * mToolSizeFactor + (mHilited ? 3.0f : 2.0f);
}

void CGraphObject::paintMarker(Canvas& canvas, BezierPath& marker, int selector, float sizeFactor) {
    marker.setLineWidth(0.1f * sizeFactor + 1.0f);
    if (isFilledMarker(selector))
        canvas.fill(marker);
    else
        canvas.stroke(marker);
}

BezierPath CGraphObject::drawMarker(Canvas& canvas, float x, float y) const {
    if (mPlotView && !isDrawnAt(x, y)) return {};
    float h = markerHalfSize();
    BezierPath marker = constructPoint(mSelector, h, h, x, y);
    setCanvasColor(canvas);
    paintMarker(canvas, marker, mSelector, mToolSizeFactor);
    return marker;
}

}  // namespace vornex
