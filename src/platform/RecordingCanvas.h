// Canvas that records what is drawn instead of painting it, for tests of drawing code. Text is
// measured with a fixed test metric so that layouts come out the same on every machine: each
// character (UTF-8 code point) advances 0.6 × the font size, each line is 1.2 × the font size
// high.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace vornex {

struct RecordedOperation {
    enum class Kind { Save, Restore, SetTransform, Clip, Fill, Stroke, Text };
    Kind kind;
    // Clip, Fill, Stroke: the path as given, in user space.
    BezierPath path;
    // Fill, Stroke: the colour painted; Text: the colour of the first run (black if unset).
    Color color;
    // The current transform when the operation was recorded (the new one for SetTransform).
    AffineTransform transform;
    // Text: the text, the attributes of its first run, the lower left corner of its layout
    // box (user space) and its measured size.
    std::string text;
    TextAttributes attributes;
    Point origin;
    Size textSize;

    // The path in the canvas's own space (transform applied).
    BezierPath canvasPath() const { return path.transformed(transform); }
};

class RecordingCanvas : public Canvas {
   public:
    explicit RecordingCanvas(Size size = {400, 300});

    const std::vector<RecordedOperation>& operations() const { return ops_; }
    std::vector<RecordedOperation> operations(RecordedOperation::Kind kind) const;
    std::size_t count(RecordedOperation::Kind kind) const;
    // Text operations only, in drawing order.
    std::vector<std::string> texts() const;
    void clear() { ops_.clear(); }

    // The test metric.
    static Size textSize(const AttributedString& text);

   protected:
    void doSave() override;
    void doRestore() override;
    void doSetTransform(const AffineTransform& transform) override;
    void doClip(const BezierPath& path) override;
    void doFill(const BezierPath& path, const Color& color) override;
    void doStroke(const BezierPath& path, const Color& color) override;
    Size doMeasureText(const AttributedString& text) override;
    void doDrawText(const AttributedString& text, Point origin, Size size) override;

   private:
    RecordedOperation& record(RecordedOperation::Kind kind);
    std::vector<RecordedOperation> ops_;
};

}  // namespace vornex
