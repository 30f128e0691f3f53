#include "plot/CGraphCurve.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "plot/CPlotView.h"
#include "plot/PlotServices.h"
#include "plot/ViewClip.h"

namespace vornex {

namespace {

constexpr float kHitTolerance = 5.0f;

bool nearVertex(float px, float py, float vx, float vy) {
    float dx = px - vx, dy = py - vy;
    return -kHitTolerance <= dx && dx <= kHitTolerance && -kHitTolerance <= dy &&
           dy <= kHitTolerance;
}

bool between(float v, float a, float b) {
    return std::min(a, b) <= v && v <= std::max(a, b);
}

// Whether (px, py) lies within the tolerance across the segment from (ax, ay) to (bx, by),
// measured vertically on a flat segment and horizontally on a steep one.
bool nearSegment(float px, float py, float ax, float ay, float bx, float by) {
    float dx = bx - ax, dy = by - ay;
    if (std::fabs(dx) >= std::fabs(dy)) {
        if (dx == 0.0f) return false;  // zero-length segment
        if (!between(px, ax, bx)) return false;
        if (!between(py, std::min(ay, by) - kHitTolerance, std::max(ay, by) + kHitTolerance))
            return false;
        float ys = (px - ax) * dy / dx + ay;
        return ys - kHitTolerance <= py && py <= ys + kHitTolerance;
    }
    if (!between(py, ay, by)) return false;
    if (!between(px, std::min(ax, bx) - kHitTolerance, std::max(ax, bx) + kHitTolerance))
        return false;
    float xs = (py - ay) * dx / dy + ax;
    return xs - kHitTolerance <= px && px <= xs + kHitTolerance;
}

void appendRow(std::string& out, const CurvePoint& p) {
    if (p.penUp) {
        out += '\n';
        return;
    }
    char row[64];
    int n = vornex::csnprintf(row, sizeof row, "%18e\t%18e\n", static_cast<double>(p.x),
                          static_cast<double>(p.y));
    out.append(row, static_cast<size_t>(n));
}

// Igor loads a WAVES line only with plain wave names: a letter, then letters, digits and
// '_'. Other characters become '_', and a name that does not start with a letter gets "w".
std::string igorName(const std::string& name) {
    if (name.empty()) return "curve";
    auto letter = [](unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    std::string out = letter(static_cast<unsigned char>(name.front())) ? "" : "w";
    for (unsigned char c : name)
        out += letter(c) || (c >= '0' && c <= '9') ? static_cast<char>(c) : '_';
    return out;
}

}  // namespace

int nearestUnflaggedPoint(const std::vector<CurvePoint>& points, double x, double y) {
    int best = -1;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < points.size(); ++i) {
        if (points[i].penUp) continue;
        double dx = points[i].x - x, dy = points[i].y - y;
        double d = dx * dx + dy * dy;
        if (d < bestDistance || best < 0) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

CGraphCurve::CGraphCurve() {
    mSelectable = true;
    mSize = 1.0f;
    mPoints.reserve(10);
}

void CGraphCurve::addPoint(float x, float y, bool penUp) {
    mPoints.push_back({x, y, penUp});
}

CurvePoint CGraphCurve::getPointAtIndex(int i) const {
    if (i < 0 || i >= pointCount()) return {};
    return mPoints[static_cast<size_t>(i)];
}

bool CGraphCurve::getLastPointCoord(float& x, float& y) const {
    if (mPoints.empty()) return false;
    x = mPoints.back().x;
    y = mPoints.back().y;
    return true;
}

std::vector<double> CGraphCurve::dashPattern(int dash) {
    switch (dash) {
        case 0:
            return {};
        case 2:
            return {4, 4};
        case 3:
            return {4, 2, 2, 2};
        default:
            return {6, 3, 0};
    }
}

void CGraphCurve::setLabel(std::string label, float x, float y) {
    mLabelText = std::move(label);
    mAnchor = {x, y};
}

std::unique_ptr<CGraphCurve> CGraphCurve::makeCurveFrom(double x1, double y1, double x2,
                                                        double y2) const {
    auto curve = std::make_unique<CGraphCurve>();
    int i1 = nearestUnflaggedPoint(mPoints, x1, y1);
    int i2 = nearestUnflaggedPoint(mPoints, x2, y2);
    if (i1 < 0) return curve;
    for (int i = std::min(i1, i2); i <= std::max(i1, i2); ++i) {
        const CurvePoint& p = mPoints[static_cast<size_t>(i)];
        if (!p.penUp) curve->addPoint(p.x, p.y, false);
    }
    return curve;
}

float CGraphCurve::getYFromX(float x) const {
    for (size_t i = 1; i < mPoints.size(); ++i) {
        const CurvePoint& q = mPoints[i - 1];
        const CurvePoint& r = mPoints[i];
        if (r.penUp) continue;
        if ((r.x > x && x >= q.x) || (x > r.x && q.x >= x))
            return r.y + (x - r.x) / (q.x - r.x) * (q.y - r.y);
    }
    return 0.0f;
}

void CGraphCurve::render(Canvas& canvas) {
    if (mHidden || !mPlotView) return;
    canvas.saveGraphicsState();
    canvas.clipToRect(mPlotView->getPlotRect());
    setCanvasColor(canvas);
    BezierPath path;
    const Rect region = mPlotView->drawingRegion();
    ClippedPolyline line(path, region);
    for (const CurvePoint& p : mPoints) {
        if (p.penUp)
            line.penUp();
        else
            line.add(mPlotView->viewPoint(p.x, p.y));
    }
    path.setLineWidth(mToolSizeFactor + (mHilited ? 1.0f : 0.0f));
    path.setLineDash(dashPattern(mDashStyle), 0.0);
    canvas.stroke(path);
    mPath = std::move(path);
    const Point anchor = mPlotView->viewPoint(mAnchor.x, mAnchor.y);
    if (!mLabelText.empty() && insideRegion(region, anchor)) {
        const TextAttributes& attributes = mPlotView->getLegendsAttributes();
        Size size = canvas.measureText(mLabelText, attributes);
        canvas.drawText(mLabelText, attributes,
                        Point{anchor.x - 0.5 * size.width, anchor.y - 0.5 * size.height});
    }
    canvas.restoreGraphicsState();
}

bool CGraphCurve::isHit(Point p) {
    if (mHidden || !mSelectable || mPoints.empty() || !mPlotView) return false;
    const float px = static_cast<float>(p.x), py = static_cast<float>(p.y);
    auto view = [this](const CurvePoint& c) {
        return std::pair<float, float>{mPlotView->getXValue(c.x), mPlotView->getYValue(c.y)};
    };
    auto [ax, ay] = view(mPoints.front());
    if (nearVertex(px, py, ax, ay)) return true;
    for (size_t i = 1; i < mPoints.size(); ++i) {
        auto [bx, by] = view(mPoints[i]);
        if (!mPoints[i].penUp) {
            if (nearVertex(px, py, ax, ay) || nearSegment(px, py, ax, ay, bx, by)) return true;
        }
        ax = bx;
        ay = by;
    }
    return false;
}

std::unique_ptr<CGraphObject> CGraphCurve::copy() const {
    auto curve = std::make_unique<CGraphCurve>();
    copyCommonTo(*curve);
    curve->mPoints = mPoints;
    curve->mLabelText = mLabelText;
    curve->mAnchor = mAnchor;
    curve->mDashStyle = mDashStyle;
    return curve;
}

std::string CGraphCurve::curveDataText() const {
    std::string out;
    for (const CurvePoint& p : mPoints) appendRow(out, p);
    return out;
}

std::string CGraphCurve::igorWaveName() const {
    if (!mName.empty() || !mPlotView) return igorName(mName);
    // An unnamed curve is named after its plot and its place there, so that the curves of a
    // diagram loaded together keep their waves apart (a plot without a name, such as one
    // opened in a window of its own, by the place alone).
    const auto& objects = mPlotView->graphObjects();
    const std::string& plot = mPlotView->plotName();
    for (std::size_t i = 0; i < objects.size(); ++i)
        if (objects[i].get() == this)
            return igorName((plot.empty() ? "" : plot + "_") + "curve" + std::to_string(i));
    return igorName(mName);
}

std::string CGraphCurve::igorText() const {
    std::string wave = igorWaveName();
    std::string out = "IGOR\nWAVES " + wave + "x0 " + wave + "y0\nBEGIN\n";
    out += curveDataText();
    out += "END\n";
    return out;
}

IoResult CGraphCurve::writeCurveData(const std::string& path) const {
    std::string text = curveDataText();
    return writeFileAtomically(path, text.data(), text.size());
}

IoResult CGraphCurve::writeIgorData(const std::string& path) const {
    std::string text = igorText();
    return writeFileAtomically(path, text.data(), text.size());
}

bool CGraphCurve::exportWith(const std::string& proposedName, const std::string& type,
                             IoResult (CGraphCurve::*writer)(const std::string&) const) {
    PlotServices& services = PlotServices::shared();
    std::optional<std::string> path = services.runSavePanel(proposedName, type);
    if (!path) return false;
    IoResult result = (this->*writer)(*path);
    if (!result)
        services.reportError("The curve could not be exported to " + *path + ": " + result.message);
    return result.ok();
}

bool CGraphCurve::exportCurveData() {
    return exportWith("data.txt", "txt", &CGraphCurve::writeCurveData);
}

bool CGraphCurve::exportToIgor() {
    return exportWith("data.itx", "itx", &CGraphCurve::writeIgorData);
}

}  // namespace vornex
