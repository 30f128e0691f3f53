// Canvas painting through cairo, with text laid out by pango. The screen form draws into a
// cairo context that the window hands in; FileCanvas builds on it for PNG, SVG and PDF files.
// One user-space unit is one cairo unit (a point on PDF and SVG, a pixel on screen and PNG at
// scale 1); fonts are laid out at 72 units per inch so that a 12 pt font is 12 units high.
#pragma once

#include <cairo.h>

#include "platform/Canvas.h"

typedef struct _PangoContext PangoContext;
typedef struct _PangoLayout PangoLayout;

namespace vornex {

class CairoCanvas : public Canvas {
   public:
    // Draws into `cr` over the area (0, 0)–size of its current user space, which has y
    // growing downward as cairo has it; the canvas turns it to y upward. The context's state
    // is saved here and restored by the destructor, so the caller's context is left as it
    // was. The context is not owned.
    CairoCanvas(cairo_t* cr, Size size);
    ~CairoCanvas() override;

    // Cairo's verdict on the context: CAIRO_STATUS_SUCCESS while all drawing went through.
    cairo_status_t cairoStatus() const;

   protected:
    // For subclasses that create their context later: call attach() once it exists.
    explicit CairoCanvas(Size size);
    void attach(cairo_t* cr);
    // Releases the context (restoring the state saved by attach) and the text layout.
    void detach();

    void doSave() override;
    void doRestore() override;
    void doSetTransform(const AffineTransform& transform) override;
    void doClip(const BezierPath& path) override;
    void doFill(const BezierPath& path, const Color& color) override;
    void doStroke(const BezierPath& path, const Color& color) override;
    Size doMeasureText(const AttributedString& text) override;
    void doDrawText(const AttributedString& text, Point origin, Size size) override;

   private:
    void buildPath(const BezierPath& path);
    PangoLayout* layoutFor(const AttributedString& text);
    // A context to draw into, with an invertible transform.
    bool drawable() const;

    cairo_t* cr_ = nullptr;
    cairo_matrix_t base_{};  // the caller's matrix turned to y upward
    PangoContext* pango_ = nullptr;
    PangoLayout* layout_ = nullptr;
    int savesOutstanding_ = 0;
};

}  // namespace vornex
