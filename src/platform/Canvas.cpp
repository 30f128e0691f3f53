#include "platform/Canvas.h"

#include <algorithm>

namespace vornex {

Canvas::Canvas(Size size) : size_(size) {}

Canvas::~Canvas() = default;

void Canvas::saveGraphicsState() {
    saved_.push_back(state_);
    doSave();
}

bool Canvas::restoreGraphicsState() {
    if (saved_.empty()) return false;
    state_ = saved_.back();
    saved_.pop_back();
    doRestore();
    return true;
}

void Canvas::setColor(const Color& c) {
    state_.fill = c;
    state_.stroke = c;
}

void Canvas::setFillColor(const Color& c) {
    state_.fill = c;
}
void Canvas::setStrokeColor(const Color& c) {
    state_.stroke = c;
}

void Canvas::concat(const AffineTransform& t) {
    state_.transform.prepend(t);
    doSetTransform(state_.transform);
}

void Canvas::clipToRect(const Rect& r) {
    doClip(BezierPath::withRect(r));
}

void Canvas::fill(const BezierPath& path) {
    if (!path.isEmpty()) doFill(path, state_.fill);
}

void Canvas::stroke(const BezierPath& path) {
    if (!path.isEmpty()) doStroke(path, state_.stroke);
}

void Canvas::fillRect(const Rect& r) {
    fill(BezierPath::withRect(r));
}

void Canvas::frameRect(const Rect& r, double width) {
    // Four bands inside the edges, painted as one even-odd area so corners are not doubled.
    if (r.isEmpty()) return;
    double w = std::min(width, 0.5 * std::min(r.width(), r.height()));
    BezierPath frame = BezierPath::withRect(r);
    if (w < 0.5 * std::min(r.width(), r.height())) frame.appendRect(r.insetBy(w, w));
    frame.setWindingRule(WindingRule::EvenOdd);
    fill(frame);
}

void Canvas::strokeLine(Point from, Point to) {
    stroke(BezierPath::withLine(from, to));
}

Size Canvas::measureText(const AttributedString& text) {
    if (text.empty()) return {};
    return doMeasureText(text);
}

Size Canvas::measureText(const std::string& text, const TextAttributes& attributes) {
    return measureText(AttributedString(text, attributes));
}

void Canvas::drawText(const AttributedString& text, Point origin) {
    if (text.empty()) return;
    doDrawText(text, origin, doMeasureText(text));
}

void Canvas::drawText(const std::string& text, const TextAttributes& attributes, Point origin) {
    drawText(AttributedString(text, attributes), origin);
}

void Canvas::drawText(const AttributedString& text, const Rect& r) {
    if (text.empty()) return;
    Size s = doMeasureText(text);
    doDrawText(text, {r.minX(), r.maxY() - s.height}, s);
}

std::vector<AttributedString> Canvas::wrapText(const AttributedString& text, double width) {
    std::vector<AttributedString> lines;
    if (text.empty()) return lines;
    const std::string all = text.string();
    auto fits = [&](std::size_t from, std::size_t to) {
        return measureText(text.substring(from, to)).width <= width;
    };
    auto nextCharacter = [&all](std::size_t at) {
        do ++at;
        while (at < all.size() && (static_cast<unsigned char>(all[at]) & 0xC0) == 0x80);
        return at;
    };
    for (std::size_t paragraph = 0; paragraph <= all.size();) {
        std::size_t end = all.find('\n', paragraph);
        if (end == std::string::npos) end = all.size();
        if (end == paragraph) lines.emplace_back(" ", text.attributesAt(paragraph));
        for (std::size_t start = paragraph; start < end;) {
            // The longest run of whole words that fits; a longer line is never narrower.
            std::size_t stop = std::string::npos;
            for (std::size_t b = start + 1; b <= end; ++b) {
                const bool wordEnd = (b == end || all[b] == ' ') && all[b - 1] != ' ';
                if (!wordEnd) continue;
                if (!fits(start, b)) break;
                stop = b;
            }
            if (stop == std::string::npos) {
                stop = nextCharacter(start);
                for (std::size_t b = nextCharacter(stop); stop < end && b <= end && fits(start, b);
                     b = nextCharacter(b))
                    stop = b;
            }
            lines.push_back(text.substring(start, stop));
            start = stop;
            while (start < end && all[start] == ' ') ++start;
        }
        paragraph = end + 1;
    }
    return lines;
}

}  // namespace vornex
