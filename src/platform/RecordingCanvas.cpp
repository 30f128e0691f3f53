#include "platform/RecordingCanvas.h"

#include <algorithm>

namespace vornex {

RecordingCanvas::RecordingCanvas(Size size) : Canvas(size) {}

RecordedOperation& RecordingCanvas::record(RecordedOperation::Kind kind) {
    RecordedOperation op{};
    op.kind = kind;
    op.transform = currentTransform();
    ops_.push_back(std::move(op));
    return ops_.back();
}

std::vector<RecordedOperation> RecordingCanvas::operations(RecordedOperation::Kind kind) const {
    std::vector<RecordedOperation> out;
    for (const RecordedOperation& op : ops_)
        if (op.kind == kind) out.push_back(op);
    return out;
}

std::size_t RecordingCanvas::count(RecordedOperation::Kind kind) const {
    return static_cast<std::size_t>(std::count_if(
        ops_.begin(), ops_.end(), [kind](const RecordedOperation& op) { return op.kind == kind; }));
}

std::vector<std::string> RecordingCanvas::texts() const {
    std::vector<std::string> out;
    for (const RecordedOperation& op : ops_)
        if (op.kind == RecordedOperation::Kind::Text) out.push_back(op.text);
    return out;
}

Size RecordingCanvas::textSize(const AttributedString& text) {
    double width = 0.0, height = 0.0, lineWidth = 0.0, lineHeight = 0.0;
    for (const AttributedString::Run& run : text.runs()) {
        double size = run.attributes.font.size();
        lineHeight = std::max(lineHeight, 1.2 * size);
        for (unsigned char c : run.text) {
            if (c == '\n') {
                width = std::max(width, lineWidth);
                height += lineHeight;
                lineWidth = 0.0;
                lineHeight = 1.2 * size;
            } else if ((c & 0xC0) != 0x80) {  // not a UTF-8 continuation byte
                lineWidth += 0.6 * size;
            }
        }
    }
    width = std::max(width, lineWidth);
    height += lineHeight;
    return {width, height};
}

void RecordingCanvas::doSave() {
    record(RecordedOperation::Kind::Save);
}
void RecordingCanvas::doRestore() {
    record(RecordedOperation::Kind::Restore);
}

void RecordingCanvas::doSetTransform(const AffineTransform&) {
    record(RecordedOperation::Kind::SetTransform);
}

void RecordingCanvas::doClip(const BezierPath& path) {
    record(RecordedOperation::Kind::Clip).path = path;
}

void RecordingCanvas::doFill(const BezierPath& path, const Color& color) {
    RecordedOperation& op = record(RecordedOperation::Kind::Fill);
    op.path = path;
    op.color = color;
}

void RecordingCanvas::doStroke(const BezierPath& path, const Color& color) {
    RecordedOperation& op = record(RecordedOperation::Kind::Stroke);
    op.path = path;
    op.color = color;
}

Size RecordingCanvas::doMeasureText(const AttributedString& text) {
    return textSize(text);
}

void RecordingCanvas::doDrawText(const AttributedString& text, Point origin, Size size) {
    RecordedOperation& op = record(RecordedOperation::Kind::Text);
    op.text = text.string();
    op.attributes = text.attributesAt(0);
    op.color = op.attributes.color.value_or(Color::black());
    op.origin = origin;
    op.textSize = size;
}

}  // namespace vornex
