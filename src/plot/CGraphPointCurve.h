// CGraphPointCurve: a set of markers of one style at data points, optionally joined by a line
// (an experimental data set). CGraphStringPointCurve: a set of labelled points drawn in the
// curve's own style, whose hit test also tells which point was clicked so that the plot can
// show that point's label and coordinates.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "plot/CGraphObject.h"
#include "plot/CGraphPoint.h"

namespace vornex {

class CGraphPointCurve : public CGraphObject {
   public:
    CGraphPointCurve();

    // Appends the point when skip is 0; any other value drops it.
    void addPoint(float x, float y, int skip);
    void setJoinPoints(bool join) { mJoinPoints = join; }
    const std::vector<DataPoint>& mPointsList() const { return mPoints; }
    void setMPointsList(std::vector<DataPoint> points) { mPoints = std::move(points); }

    // The drawn path holds the joining line and every marker; the base hit test uses it.
    void render(Canvas& canvas) override;
    std::unique_ptr<CGraphObject> copy() const override;

   private:
    std::vector<DataPoint> mPoints;
    bool mJoinPoints = false;
};

class CGraphStringPointCurve : public CGraphObject {
   public:
    CGraphStringPointCurve();

    void addPoint(std::string label, float x, float y);
    void setShowLabels(bool show) { mShowLabels = show ? 1 : 0; }
    bool showLabels() const { return mShowLabels != 0; }
    const std::vector<std::unique_ptr<CGraphStringPoint>>& mStringPointArray() const {
        return mPoints;
    }
    // Keeps copies of the given points.
    void setMStringPointArray(const std::vector<std::unique_ptr<CGraphStringPoint>>& points);

    // Inside the drawn path: a hit. When a point lies within 0.5 × size factor + 2 units of
    // the click, the plot's selection point moves onto it and it becomes the hit point.
    bool isHit(Point p) override;
    int lastHitPointIndex() const { return mLastHitPointIndex; }
    // Label of the point found by the last hit; empty when the hit found none.
    std::string getHitPointName() const;

    void render(Canvas& canvas) override;
    std::unique_ptr<CGraphObject> copy() const override;

   private:
    std::vector<std::unique_ptr<CGraphStringPoint>> mPoints;
    int mLastHitPointIndex = 0;
    int mShowLabels = 1;
};

}  // namespace vornex
