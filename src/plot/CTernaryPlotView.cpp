#include "plot/CTernaryPlotView.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>

#include "platform/Font.h"
#include "plot/CGraphObject.h"

namespace vornex {

namespace {

constexpr double kSin60 = 0.8660254;
constexpr double kTickLength = 5.0;
constexpr double kTickDx = 4.3301272;  // 5 · cos 30°
constexpr double kTickDy = 2.5;        // 5 · sin 30°
// Clicks on an edge or a corner land a rounding error away from it; within this (percent)
// they still count as on it. A view point is held in single precision, which reads a
// composition on an edge up to about 1e-5 % beyond it (0 and 10 % KCl: -2e-6 % NaCl).
constexpr double kEdgeTolerance = 1e-4;

Point lerp(Point p, Point q, double t) {
    return {p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t};
}

std::string percentLabel(double v) {
    char buffer[64];
    vornex::csnprintf(buffer, sizeof buffer, "%.0f", v);
    return buffer;
}

}  // namespace

bool my_solve_linear_system2(double a, double b, double c, double d, double e, double f, double& u,
                             double& v) {
    const double det = b * d - a * e;
    if (std::fabs(det) < 1e-20) {
        u = v = 0;
        return false;
    }
    u = (b * f - c * e) / det;
    v = (c * d - a * f) / det;
    return true;
}

CTernaryPlotView::CTernaryPlotView(Rect frame)
    : DrawnView(frame),
      mLabelsAttributes(Font::systemFont()),
      mTicksAttributes(Font::labelFont()),
      mCenter(&NotificationCenter::defaultCenter()) {
    mPoints.reserve(10);
    mCurves.reserve(10);
}

void CTernaryPlotView::setNotificationCenter(NotificationCenter* center) {
    mCenter = center ? center : &NotificationCenter::defaultCenter();
}

void CTernaryPlotView::setMargin(float m) {
    mMarginLeft = mMarginBottom = mMarginTop = mMarginRight = m;
}

void CTernaryPlotView::setRanges(float aMin, float bMin, float range) {
    const float d = (range > 100 || range <= 0) ? 100.0f : range;
    Ranges& r = mRanges;
    r.aMin = aMin;
    r.aMax = aMin + d;
    r.bMin = bMin;
    r.bMax = bMin + d;
    if (r.aMax > 100) {
        r.aMax = 100;
        r.aMin = 100 - d;
    }
    if (r.bMax > 100) {
        r.bMax = 100;
        r.bMin = 100 - d;
    }
    r.cMin = static_cast<float>(100.0 - static_cast<double>(r.aMax) - r.bMax);
    r.cMax = r.cMin + d;
    if (r.cMin < 0) {
        r.cMin = 0;
        r.cMax = d;
    } else if (r.cMax > 100) {
        r.cMax = 100;
        r.cMin = 100 - d;
    }
    const bool full = r.aMin == 0 && r.bMin == 0 && r.cMin == 0 && r.aMax == 100 && r.bMax == 100 &&
                      r.cMax == 100;
    mTruncated = !full;
}

void CTernaryPlotView::setLabels(std::string a, std::string b, std::string c) {
    mLabel0 = std::move(a);
    mLabel1 = std::move(b);
    mLabel2 = std::move(c);
}

void CTernaryPlotView::plotCurve(const std::vector<double>& values, int stride, int colA,
                                 int colB) {
    if (stride < 1 || colA < 0 || colB < 0 || colA >= stride || colB >= stride) return;
    const std::size_t s = static_cast<std::size_t>(stride);
    const std::size_t n = values.size() / s;
    std::vector<double> curve;
    curve.reserve(std::max<std::size_t>(100, 2 * n));
    for (std::size_t i = 0; i < n; ++i) {
        curve.push_back(values[static_cast<std::size_t>(colA) + i * s]);
        curve.push_back(values[static_cast<std::size_t>(colB) + i * s]);
    }
    mCurves.push_back(std::move(curve));
}

void CTernaryPlotView::plotPoint(double a, double b, int type, int line, int line1) {
    mPoints.push_back({a, b, type, line, line1});
}

void CTernaryPlotView::purge() {
    mPoints.clear();
    mCurves.clear();
}

// ----- Geometry ------------------------------------------------------------------------------

void CTernaryPlotView::placeCorners() {
    const Rect b = bounds();
    const double w = b.width() - (mMarginLeft + mMarginRight);
    const double h = b.height() - (mMarginBottom + mMarginTop);
    double side, height;
    if (w * kSin60 > h) {
        side = h / kSin60;
        height = h;
    } else {
        side = w;
        height = w * kSin60;
    }
    mAx = static_cast<float>(b.x() + mMarginLeft + (w - side) * 0.5);
    mAy = static_cast<float>(b.y() + mMarginBottom + (h - height) * 0.5);
    mBx = static_cast<float>(mAx + side);
    mBy = mAy;
    mCx = static_cast<float>(mAx + side * 0.5);
    mCy = static_cast<float>(mAy + height);
}

void CTernaryPlotView::weights(double a, double b, double& wA, double& wB, double& wC) const {
    const double c = 100.0 - a - b;
    if (!mTruncated) {
        wA = a * 0.01;
        wB = b * 0.01;
        wC = c * 0.01;
        return;
    }
    const Ranges& r = mRanges;
    wA = (a - r.aMin) / (static_cast<double>(r.aMax) - r.aMin);
    wB = (b - r.bMin) / (static_cast<double>(r.bMax) - r.bMin);
    wC = (c - r.cMin) / (static_cast<double>(r.cMax) - r.cMin);
    const double sum = wA + wB + wC;
    wA /= sum;
    wB /= sum;
    wC /= sum;
}

Point CTernaryPlotView::viewPointForComposition(double a, double b) const {
    double wA, wB, wC;
    weights(a, b, wA, wB, wC);
    return {static_cast<float>(mAx * wA + mBx * wB + mCx * wC),
            static_cast<float>(mAy * wA + mBy * wB + mCy * wC)};
}

bool CTernaryPlotView::compositionAtViewPoint(Point p, double& a, double& b, double& c) const {
    const double ax = mAx, ay = mAy, bx = mBx, by = mBy, cx = mCx, cy = mCy;
    double u, v;
    if (!my_solve_linear_system2(ax - cx, bx - cx, p.x - cx, ay - cy, by - cy, p.y - cy, u, v))
        return false;
    a = 100 * u;
    b = 100 * v;
    c = (1 - u - v) * 100;
    for (double* x : {&a, &b, &c}) {
        if (!(*x >= -kEdgeTolerance && *x <= 100 + kEdgeTolerance)) return false;
        // On an edge or a corner: exactly there, not a rounding trace inside.
        if (*x <= kEdgeTolerance) *x = 0.0;
        if (*x >= 100 - kEdgeTolerance) *x = 100.0;
    }
    return true;
}

Point CTernaryPlotView::onAB(double t) const {
    return lerp(cornerA(), cornerB(), t);
}
Point CTernaryPlotView::onBC(double t) const {
    return lerp(cornerB(), cornerC(), t);
}
Point CTernaryPlotView::onCA(double t) const {
    return lerp(cornerC(), cornerA(), t);
}

BezierPath CTernaryPlotView::constructPoint(int type, float hw, float hh, float x, float y) {
    return CGraphObject::constructPoint0(type, hw, hh, x, y);
}

// ----- Drawing -------------------------------------------------------------------------------

void CTernaryPlotView::drawRect(Canvas& canvas, const Rect& dirty) {
    canvas.saveGraphicsState();
    canvas.setFillColor(Color::white());
    canvas.fillRect(dirty);
    placeCorners();
    canvas.setStrokeColor(Color::black());
    drawOutlineAndTicks(canvas);
    drawCornerLabels(canvas);
    if (mShowGrid) drawGrid(canvas);
    renderCurves(canvas);
    renderPoints(canvas);
    canvas.restoreGraphicsState();
    displayed();
}

void CTernaryPlotView::drawOutlineAndTicks(Canvas& canvas) const {
    BezierPath outline;
    outline.moveTo(cornerA());
    outline.lineTo(cornerB());
    outline.lineTo(cornerC());
    outline.closePath();
    canvas.stroke(outline);

    // Tick ends and values of the nine inner points of each edge.
    struct Tick {
        Point end;
        double value;
    };
    std::vector<Tick> ab, bc, ca;
    BezierPath ticks;
    const Ranges& r = mRanges;
    for (int i = 1; i <= 9; ++i) {
        const double t = 0.1 * i;
        const Point p = onAB(t), q = onBC(t), s = onCA(t);
        const Point pe{p.x, p.y - kTickLength};
        const Point qe{q.x + kTickDx, q.y + kTickDy};
        const Point se{s.x - kTickDx, s.y + kTickDy};
        ticks.moveTo(p);
        ticks.lineTo(pe);
        ticks.moveTo(q);
        ticks.lineTo(qe);
        ticks.moveTo(s);
        ticks.lineTo(se);
        ab.push_back({pe, mTruncated ? r.bMin + (r.bMax - r.bMin) * t : 100 * t});
        bc.push_back({qe, mTruncated ? r.cMin + (r.cMax - r.cMin) * t : 100 * t});
        ca.push_back({se, mTruncated ? r.aMin + (r.aMax - r.aMin) * t : 100 * t});
    }
    canvas.stroke(ticks);

    const Size box = canvas.measureText("900", mTicksAttributes);
    auto label = [&](const Tick& tick, Point origin) {
        canvas.drawText(percentLabel(tick.value), mTicksAttributes, origin);
    };
    for (const Tick& t : ab) label(t, {t.end.x - box.width / 2, t.end.y - box.height - 5});
    for (const Tick& t : bc) label(t, {t.end.x + 5, t.end.y + 1});
    for (const Tick& t : ca) label(t, {t.end.x - 1 - box.width, t.end.y + 1});
}

void CTernaryPlotView::drawCornerLabels(Canvas& canvas) const {
    auto draw = [&](const std::string& text, auto place) {
        if (text.empty()) return;
        const Size s = canvas.measureText(text, mLabelsAttributes);
        canvas.drawText(text, mLabelsAttributes, place(s));
    };
    draw(mLabel0, [&](Size s) { return Point{mAx - 5 - s.width, mAy - 5 - s.height}; });
    draw(mLabel1, [&](Size s) { return Point{mBx + 5.0, mBy - 5 - s.height}; });
    draw(mLabel2, [&](Size s) { return Point{mCx - s.width / 2, mCy + 5.0}; });
}

void CTernaryPlotView::drawGrid(Canvas& canvas) const {
    BezierPath grid;
    grid.setLineDash({4, 2, 2, 2}, 0);
    grid.setLineWidth(0.5);
    for (int k = 1; k <= 9; ++k) {
        const double t = k / 10.0;
        grid.moveTo(onAB(t));  // B = 10k %
        grid.lineTo(onBC(1 - t));
        grid.moveTo(onAB(t));  // A = 100 − 10k %
        grid.lineTo(onCA(1 - t));
        grid.moveTo(onBC(t));  // C = 10k %
        grid.lineTo(onCA(1 - t));
    }
    canvas.stroke(grid);
}

void CTernaryPlotView::renderCurves(Canvas& canvas) const {
    for (const std::vector<double>& curve : mCurves) {
        BezierPath path;
        for (std::size_t i = 0; i + 1 < curve.size(); i += 2) {
            const Point p = viewPointForComposition(curve[i], curve[i + 1]);
            if (i == 0)
                path.moveTo(p);
            else
                path.lineTo(p);
        }
        canvas.setStrokeColor(Color::blue());
        canvas.stroke(path);
    }
}

void CTernaryPlotView::renderPoints(Canvas& canvas) const {
    const Point A = cornerA(), B = cornerB(), C = cornerC();
    // Where the line from a corner through the point meets the opposite edge, which the
    // two other weights divide; the corner itself when they are both zero.
    auto onEdge = [](Point from, Point p, double wp, Point q, double wq) {
        const double sum = wp + wq;
        if (sum <= 0) return from;
        return Point{(p.x * wp + q.x * wq) / sum, (p.y * wp + q.y * wq) / sum};
    };
    for (const PointRecord& r : mPoints) {
        double wA, wB, wC;
        weights(r.a, r.b, wA, wB, wC);
        const Point P = viewPointForComposition(r.a, r.b);
        BezierPath marker =
            constructPoint(r.type, 5, 5, static_cast<float>(P.x), static_cast<float>(P.y));
        if (CGraphObject::isFilledMarker(r.type)) {
            // Filled in the line colour: the fill colour is still the white background.
            canvas.setFillColor(canvas.strokeColor());
            canvas.fill(marker);
        } else {
            canvas.stroke(marker);
        }
        if (r.line != 0) {
            BezierPath guides;
            if (r.line & 1) {
                guides.moveTo(C);
                guides.lineTo(onEdge(C, A, wA, B, wB));
            }
            if (r.line & 2) {
                guides.moveTo(A);
                guides.lineTo(onEdge(A, B, wB, C, wC));
            }
            if (r.line & 4) {
                guides.moveTo(B);
                guides.lineTo(onEdge(B, C, wC, A, wA));
            }
            canvas.stroke(guides);
        }
        if (r.line1 != 0) {
            BezierPath toEdges;
            toEdges.moveTo(P);
            toEdges.lineTo(lerp(C, A, wA));  // A constant
            toEdges.moveTo(P);
            toEdges.lineTo(lerp(A, B, wB));  // B constant
            toEdges.moveTo(P);
            toEdges.lineTo(lerp(B, C, wC));  // C constant
            canvas.stroke(toEdges);
        }
    }
}

// ----- Events and output ---------------------------------------------------------------------

bool CTernaryPlotView::mouseDown(const MouseEvent& event) {
    if (event.type != MouseEvent::Type::Down || event.button != MouseButton::Left) return false;
    const Point p = event.location;
    mSelA = mSelB = mSelC = -1;
    const Rect b = bounds();
    // The triangle fills the area inside the margins: a point on its edge along a margin,
    // held in single precision, may lie a rounding error beyond it.
    constexpr double kSlack = 1e-3;
    if (!(p.x >= mMarginLeft - kSlack && p.x <= b.width() - mMarginRight + kSlack &&
          p.y >= mMarginBottom - kSlack && p.y <= b.height() - mMarginTop + kSlack))
        return false;
    if (mTruncated) return false;
    // The corners of the present size, also before the first drawing or after a resize.
    placeCorners();
    double a, bb, c;
    if (!compositionAtViewPoint(p, a, bb, c)) return false;
    mSelA = a;
    mSelB = bb;
    mSelC = c;
    mCenter->post(notifications::ternaryPlotSelection, this);
    return true;
}

}  // namespace vornex
