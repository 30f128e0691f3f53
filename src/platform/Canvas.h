// Drawing surface of the plot views: a graphics context with a state stack (colours,
// transform, clip), path filling and stroking and text measured and drawn with fonts.
// User space is in points with the origin at the lower left and y growing upward, as in an
// unflipped view; each back end maps it to its device. Back ends: CairoCanvas (screen and, through
// FileCanvas, PNG, SVG and PDF files) and RecordingCanvas (tests).
#pragma once

#include <string>
#include <vector>

#include "platform/AffineTransform.h"
#include "platform/BezierPath.h"
#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/Geometry.h"

namespace vornex {

class Canvas {
   public:
    explicit Canvas(Size size);
    virtual ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // The drawing area: (0, 0) to size, in user space before any transform.
    Size size() const { return size_; }

    // Graphics state: fill and stroke colours, transform and clip.
    void saveGraphicsState();
    // Returns false and changes nothing when there is no saved state to return to.
    bool restoreGraphicsState();

    // Sets both the fill and the stroke colour.
    void setColor(const Color& c);
    void setFillColor(const Color& c);
    void setStrokeColor(const Color& c);
    const Color& fillColor() const { return state_.fill; }
    const Color& strokeColor() const { return state_.stroke; }

    // Concatenates a transform: it acts on points first, then the transform held so far.
    void concat(const AffineTransform& t);
    // User space to the canvas's own space (points, origin lower left, y up).
    const AffineTransform& currentTransform() const { return state_.transform; }

    // Intersects the clip with a rectangle.
    void clipToRect(const Rect& r);

    // Paints the path's area in the fill colour, by the path's winding rule. An empty path
    // paints nothing and reaches no back end (a recording canvas records nothing for it).
    void fill(const BezierPath& path);
    // Strokes the path in the stroke colour with the path's width, dash, caps and joins.
    void stroke(const BezierPath& path);
    void fillRect(const Rect& r);
    // Frame drawn inside the rectangle's edges, `width` thick, in the fill colour.
    void frameRect(const Rect& r, double width = 1.0);
    // Line of width 1, solid, in the stroke colour.
    void strokeLine(Point from, Point to);

    // Size of the text's layout box (widest line, sum of line heights).
    Size measureText(const AttributedString& text);
    Size measureText(const std::string& text, const TextAttributes& attributes);
    // Draws the text with the lower left corner of its layout box at `origin`.
    void drawText(const AttributedString& text, Point origin);
    void drawText(const std::string& text, const TextAttributes& attributes, Point origin);
    // Draws the text from the top left corner of the rectangle; text beyond the rectangle is
    // not cut (the views size their rectangles from measureText).
    void drawText(const AttributedString& text, const Rect& r);
    // The text broken into lines that each measure at most `width`: at the spaces between
    // words, within a word only where the word alone is wider (at least one character a
    // line). The text's own line breaks stay; the spaces at a break are dropped. An empty
    // line holds one space, so that it keeps its height; an empty text has no line.
    std::vector<AttributedString> wrapText(const AttributedString& text, double width);

   protected:
    struct State {
        Color fill = Color::black();
        Color stroke = Color::black();
        AffineTransform transform;
    };

    // Back-end hooks. The base has already updated its own copy of the state when a hook
    // runs; `transform` arguments are the complete current transform.
    virtual void doSave() = 0;
    virtual void doRestore() = 0;
    virtual void doSetTransform(const AffineTransform& transform) = 0;
    virtual void doClip(const BezierPath& path) = 0;
    virtual void doFill(const BezierPath& path, const Color& color) = 0;
    virtual void doStroke(const BezierPath& path, const Color& color) = 0;
    virtual Size doMeasureText(const AttributedString& text) = 0;
    // `origin` is the lower left corner of the layout box; `size` is its measured size.
    virtual void doDrawText(const AttributedString& text, Point origin, Size size) = 0;

   private:
    Size size_;
    State state_;
    std::vector<State> saved_;
};

}  // namespace vornex
