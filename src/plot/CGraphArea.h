// CGraphArea: filled polygon of a plot in data coordinates, such as a phase field. Built from
// single vertices, from runs of existing curves, and closed along a curve back towards its
// first vertex; filled in its colour without an outline, clipped to the plot rectangle.
#pragma once

#include <memory>
#include <vector>

#include "plot/CGraphObject.h"

namespace vornex {

class CGraphCurve;

class CGraphArea : public CGraphObject {
   public:
    CGraphArea();

    void addPoint(float x, float y) { mPoints.push_back({x, y}); }
    // Appends the curve's unflagged points, in order or last to first; nothing for no curve.
    void addCurve(const CGraphCurve* curve, bool reverse);
    // Continues from the last vertex along the curve back towards the first vertex: appends
    // the curve's unflagged points from the one nearest the last vertex to the one nearest
    // the first, inclusive. Logs "no curve" without a curve; needs two vertices.
    void addSubcurve(const CGraphCurve* curve);

    const std::vector<DataPoint>& mPointsList() const { return mPoints; }
    void setMPointsList(std::vector<DataPoint> points) { mPoints = std::move(points); }

    void render(Canvas& canvas) override;
    std::unique_ptr<CGraphObject> copy() const override;

   private:
    std::vector<DataPoint> mPoints;
};

}  // namespace vornex
