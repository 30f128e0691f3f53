// DrawnView: base of the views that draw themselves into a Canvas of their bounds' size (the
// bar chart and the ternary plot): the frame, the redisplay request a window toolkit
// listens to, and output of the drawing to PNG, SVG or PDF files.
#pragma once

#include <functional>
#include <string>

#include "platform/Canvas.h"
#include "platform/FileCanvas.h"

namespace vornex {

class DrawnView {
   public:
    explicit DrawnView(Rect frame) : mFrame(frame) {}
    virtual ~DrawnView() = default;
    DrawnView(const DrawnView&) = delete;
    DrawnView& operator=(const DrawnView&) = delete;

    // The frame's size at the origin: the view's own coordinates (y up).
    Rect bounds() const { return Rect({0, 0}, mFrame.size); }
    void setFrame(Rect frame) { mFrame = frame; }

    // The view asks to be drawn again; a window queues a redraw through the handler.
    bool needsDisplay() const { return mNeedsDisplay; }
    void setNeedsDisplay(bool needed);
    void setDisplayRequestHandler(std::function<void()> h) { mDisplayRequest = std::move(h); }

    // Paints the view; `dirty` is the part that must be painted again.
    virtual void drawRect(Canvas& canvas, const Rect& dirty) = 0;
    void drawRect(Canvas& canvas) { drawRect(canvas, bounds()); }
    // The whole view drawn into a file, which appears whole or not at all.
    IoResult writeImage(FileFormat format, const std::string& path, double pixelScale = 1.0);

   protected:
    // Drawing is done: the request is met.
    void displayed() { mNeedsDisplay = false; }

   private:
    Rect mFrame;
    bool mNeedsDisplay = false;
    std::function<void()> mDisplayRequest;
};

}  // namespace vornex
