// CTernaryPlotView: a ternary composition diagram. An equilateral triangle whose corners A
// (lower left), B (lower right) and C (apex) stand for three components, with ticks and
// labels every 10 % along the edges (AB carries the percentage of B, BC that of C, CA that of
// A), corner labels, a dashed 10 % grid, curves and point markers given in percent of A and B
// (C = 100 − A − B), and a click that reports the composition under the mouse through the
// notification "TernaryPlotSelection". The view draws itself into any Canvas of its bounds'
// size; a window toolkit shows it and forwards mouse events in view coordinates (y up).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/BezierPath.h"
#include "platform/Canvas.h"
#include "platform/Event.h"
#include "platform/FileCanvas.h"
#include "platform/NotificationCenter.h"
#include "plot/DrawnView.h"

namespace vornex {

class CTernaryPlotView : public DrawnView {
   public:
    // A point in percent of A and B, its marker type, a bit set of guide lines from the
    // corners through it (1 from C, 2 from A, 4 from B) and whether lines run from it to the
    // three edges (line1 non-zero).
    struct PointRecord {
        double a = 0, b = 0;
        int type = 0;
        int line = 0;
        int line1 = 0;
    };
    // Shown ranges of the three components, in percent.
    struct Ranges {
        float aMin = 0, aMax = 100, bMin = 0, bMax = 100, cMin = 0, cMax = 100;
    };

    explicit CTernaryPlotView(Rect frame);

    void setNotificationCenter(NotificationCenter* center);

    // ----- Configuration and content ------------------------------------------------------
    // All four margins; 30 at creation.
    void setMargin(float m);
    // Shows A from aMin and B from bMin over `range` percent each (100 when range is not in
    // (0, 100]), C over what remains; the diagram is truncated unless every range is 0 ... 100.
    void setRanges(float aMin, float bMin, float range);
    const Ranges& ranges() const { return mRanges; }
    bool isTruncated() const { return mTruncated; }
    // Labels of corners A, B and C.
    void setLabels(std::string a, std::string b, std::string c);
    // A curve of the rows of a flat row-major array: (a, b) from columns colA and colB of
    // each of its count / stride rows. A stride below 1 or a column outside a row adds no
    // curve.
    void plotCurve(const std::vector<double>& values, int stride, int colA, int colB);
    void plotPoint(double a, double b, int type, int line, int line1);
    // Removes every point and curve.
    void purge();
    const std::vector<PointRecord>& points() const { return mPoints; }
    // Each curve alternates a and b of successive points.
    const std::vector<std::vector<double>>& curves() const { return mCurves; }

    // The composition of the last accepted click in percent; -1 each when there is none.
    double mSela() const { return mSelA; }
    double mSelb() const { return mSelB; }
    double mSelc() const { return mSelC; }
    void setMSela(double v) { mSelA = v; }
    void setMSelb(double v) { mSelB = v; }
    void setMSelc(double v) { mSelC = v; }

    // ----- Geometry -----------------------------------------------------------------------
    // Fits the largest equilateral triangle, centred, inside the margins of the bounds.
    void placeCorners();
    Point cornerA() const { return {mAx, mAy}; }
    Point cornerB() const { return {mBx, mBy}; }
    Point cornerC() const { return {mCx, mCy}; }
    // The weights of the corners for a composition (their sum is 1).
    void weights(double a, double b, double& wA, double& wB, double& wC) const;
    // Composition in percent → view point, through the corners of the last placement.
    Point viewPointForComposition(double a, double b) const;
    // View point → composition in percent; false for a point outside the triangle (or a
    // triangle without area).
    bool compositionAtViewPoint(Point p, double& a, double& b, double& c) const;

    // ----- Drawing and events -------------------------------------------------------------
    using DrawnView::drawRect;
    void drawRect(Canvas& canvas, const Rect& dirty) override;
    // Marker path of a point type in a box of half sizes hw, hh centred on (x, y).
    static BezierPath constructPoint(int type, float hw, float hh, float x, float y);
    // A left-button press: takes the composition under the mouse inside the margins and the
    // triangle and posts "TernaryPlotSelection"; otherwise leaves -1, -1, -1. Returns whether
    // it posted.
    bool mouseDown(const MouseEvent& event);

   private:
    // The point at fraction t along edge AB, BC or CA.
    Point onAB(double t) const;
    Point onBC(double t) const;
    Point onCA(double t) const;
    void drawOutlineAndTicks(Canvas& canvas) const;
    void drawCornerLabels(Canvas& canvas) const;
    void drawGrid(Canvas& canvas) const;
    void renderCurves(Canvas& canvas) const;
    void renderPoints(Canvas& canvas) const;

    float mMarginLeft = 30, mMarginBottom = 30, mMarginTop = 30, mMarginRight = 30;
    Ranges mRanges;
    double mSelA = -1, mSelB = -1, mSelC = -1;
    bool mShowGrid = true;
    bool mTruncated = false;
    std::string mLabel0, mLabel1, mLabel2;
    TextAttributes mLabelsAttributes;
    TextAttributes mTicksAttributes;
    std::vector<PointRecord> mPoints;
    std::vector<std::vector<double>> mCurves;
    float mAx = 0, mAy = 0, mBx = 0, mBy = 0, mCx = 0, mCy = 0;
    NotificationCenter* mCenter;
};

// Solves u·a + v·b = c, u·d + v·e = f by Cramer's rule. A determinant below 1e-20 in
// magnitude gives u = v = 0 and false.
bool my_solve_linear_system2(double a, double b, double c, double d, double e, double f, double& u,
                             double& v);

}  // namespace vornex
