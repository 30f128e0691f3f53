// CGraphCurve: polyline of a plot in data coordinates, in one or several pieces. Each point
// carries a pen-up flag: a flagged point is neither drawn nor exported and the next point
// starts a new piece (the document adds the break point flagged, then again unflagged).
// Drawn with a width (the size factor), a dash style and an optional centred label; exported
// as a two-column text table ("%18e\t%18e\n", an empty line at each pen-up point) or as an
// Igor text file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/AtomicFileWriter.h"
#include "plot/CGraphObject.h"

namespace vornex {

struct CurvePoint {
    float x = 0.0f;
    float y = 0.0f;
    bool penUp = false;
    friend bool operator==(const CurvePoint&, const CurvePoint&) = default;
};

class CGraphCurve : public CGraphObject {
   public:
    CGraphCurve();

    void addPoint(float x, float y, bool penUp);
    int pointCount() const { return static_cast<int>(mPoints.size()); }
    // Point i; (0, 0) unflagged when i is outside the list.
    CurvePoint getPointAtIndex(int i) const;
    // The last point's coordinates; false (x, y untouched) for an empty curve.
    bool getLastPointCoord(float& x, float& y) const;
    const std::vector<CurvePoint>& mPointsList() const { return mPoints; }
    void setMPointsList(std::vector<CurvePoint> points) { mPoints = std::move(points); }

    // Dash style: 0 solid, 2 dashes (4, 4), 3 dash-dot (4, 2, 2, 2), any other (6, 3, 0).
    int mDash() const { return mDashStyle; }
    void setMDash(int dash) { mDashStyle = dash; }
    void setLineDash(int dash) { mDashStyle = dash; }
    // The dash pattern of a style, in view units; empty for solid.
    static std::vector<double> dashPattern(int dash);

    // Label text centred on an anchor in data coordinates; empty means none.
    void setLabel(std::string label, float x, float y);
    const std::string& mLabel() const { return mLabelText; }
    void setMLabel(std::string label) { mLabelText = std::move(label); }
    DataPoint mLabelAnchor() const { return mAnchor; }
    void setMLabelAnchor(DataPoint anchor) { mAnchor = anchor; }

    // A new curve of the unflagged points from the one nearest (x1, y1) to the one nearest
    // (x2, y2), inclusive, in list order whichever is first.
    std::unique_ptr<CGraphCurve> makeCurveFrom(double x1, double y1, double x2, double y2) const;
    // Linear interpolation at x on the first segment covering x (start inclusive, end
    // exclusive); 0 when none does.
    float getYFromX(float x) const;

    void render(Canvas& canvas) override;
    // Within 5 view units of a segment (measured across its run) or of a segment's start.
    bool isHit(Point p) override;
    std::unique_ptr<CGraphObject> copy() const override;

    // The exported forms and writers. Writers put the whole file in place or nothing.
    std::string curveDataText() const;
    std::string igorText() const;
    // The waves' stem: the curve's name, or for an unnamed curve its plot's name and its
    // place in the plot.
    std::string igorWaveName() const;
    IoResult writeCurveData(const std::string& path) const;
    IoResult writeIgorData(const std::string& path) const;
    // Interactive exports: a save panel proposes "data.txt" or "data.itx"; a cancelled panel
    // writes nothing; a failed write is reported. False unless a file was written.
    bool exportCurveData();
    bool exportToIgor();

   private:
    bool exportWith(const std::string& proposedName, const std::string& type,
                    IoResult (CGraphCurve::*writer)(const std::string&) const);

    std::vector<CurvePoint> mPoints;
    std::string mLabelText;
    DataPoint mAnchor;
    int mDashStyle = 0;
};

// Index (into the curve's point list) of the unflagged point nearest to (x, y) in data units,
// the first of equally near ones; -1 when the curve has no unflagged point.
int nearestUnflaggedPoint(const std::vector<CurvePoint>& points, double x, double y);

}  // namespace vornex
