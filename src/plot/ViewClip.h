// Geometry cut to the part of a plot that shows it. A plot zoomed far into its curves puts
// most of their points millions of view units outside the plot rectangle: the canvas' own
// coordinates overflow there, vector files grow without bound and dashing costs time in
// proportion to the length stroked. Everything an object draws is therefore cut, in double
// precision, to the plot rectangle grown by a margin that holds line widths, markers and
// their labels, before it reaches the canvas.
#pragma once

#include <vector>

#include "platform/BezierPath.h"
#include "platform/Geometry.h"

namespace vornex {

// The plot rectangle grown by the margin within which objects are drawn.
Rect drawingRegion(const Rect& plotRect);
// Whether a point lies within a region (false for non-finite coordinates).
bool insideRegion(const Rect& region, Point p);

// Whether text anchored at p can be drawn: texts are not cut to the plot rectangle, but one
// anchored farther out than any view reaches is not drawn at all.
bool placeableText(Point p);

// Builds a stroked polyline of several pieces, keeping the parts inside a region: a segment
// that leaves the region lifts the pen, one that comes back starts a new subpath where it
// enters. Non-finite points lift the pen.
class ClippedPolyline {
   public:
    ClippedPolyline(BezierPath& path, const Rect& region) : mPath(path), mRegion(region) {}
    // The next point does not join the last one.
    void penUp() { mHasPrevious = false; }
    void add(Point p);

   private:
    BezierPath& mPath;
    Rect mRegion;
    bool mHasPrevious = false;
    Point mPrevious;
    // Whether the path's current point is mPrevious.
    bool mJoined = false;
};

// The part of a polygon inside a region, as a path to fill (empty when none is); a polygon
// wholly inside gives the same path as its points joined in order.
BezierPath clippedPolygon(const std::vector<Point>& polygon, const Rect& region);

}  // namespace vornex
