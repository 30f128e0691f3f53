// CGraphLegend: the legend box of a plot. It lists the curves, points and point curves the
// plot registers (references to items the plot owns), lays its entries out on every drawing
// (the last registered lowest, at the anchor) and records its size, which serves as its
// bounds for hit tests, dragging and the highlight frame.
#pragma once

#include <memory>
#include <vector>

#include "plot/CGraphText.h"

namespace vornex {

class CGraphLegend : public CGraphText {
   public:
    CGraphLegend();

    void addReferenceObject(CGraphObject* object) { mRefObjects.push_back(object); }
    // Removes every occurrence.
    void removeReferenceObject(const CGraphObject* object) { std::erase(mRefObjects, object); }
    void purge() { mRefObjects.clear(); }
    const std::vector<CGraphObject*>& mRefObjectList() const { return mRefObjects; }
    void setMRefObjectList(std::vector<CGraphObject*> objects) { mRefObjects = std::move(objects); }

    // The box of the last drawing: anchor in view coordinates, recorded width and height.
    Rect getBounds() const override;
    // Inside the recorded box (left and top edges inside); a hidden legend or one whose box
    // is empty is never hit.
    bool isHit(Point p) override;
    void render(Canvas& canvas) override;
    // Copies the reference list as it is; the plot's copy maps it onto its own objects.
    std::unique_ptr<CGraphObject> copy() const override;

   private:
    std::vector<CGraphObject*> mRefObjects;
};

}  // namespace vornex
