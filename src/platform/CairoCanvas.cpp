#include "platform/CairoCanvas.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

namespace vornex {

namespace {

bool finitePath(const BezierPath& path) {
    for (const BezierPath::Element& e : path.elements())
        for (const Point& p : e.points)
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
    return true;
}

bool invertible(const AffineTransform& t) {
    double d = t.determinant();
    return std::isfinite(d) && d != 0.0 && std::isfinite(t.tX()) && std::isfinite(t.tY());
}

void setSource(cairo_t* cr, const Color& c) {
    cairo_set_source_rgba(cr, c.redComponent(), c.greenComponent(), c.blueComponent(),
                          c.alphaComponent());
}

guint16 channel(double v) {
    return static_cast<guint16>(std::lround(v * 65535.0));
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// Fontconfig keeps its caches for the life of the process and never hands them back; the leak
// checker of sanitized builds is told so here, where every program that lays out text passes.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

CairoCanvas::CairoCanvas(cairo_t* cr, Size size) : Canvas(size) {
    attach(cr);
}

CairoCanvas::CairoCanvas(Size size) : Canvas(size) {}

CairoCanvas::~CairoCanvas() {
    detach();
}

void CairoCanvas::attach(cairo_t* cr) {
    cr_ = cr;
    if (!cr_) return;
    cairo_save(cr_);
    cairo_translate(cr_, 0.0, size().height);
    cairo_scale(cr_, 1.0, -1.0);
    cairo_get_matrix(cr_, &base_);

    pango_ = pango_cairo_create_context(cr_);
    // Points as units, and metrics that do not snap to the device grid, so text measures
    // the same on screen and in every file.
    pango_cairo_context_set_resolution(pango_, 72.0);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(pango_, options);
    pango_context_set_round_glyph_positions(pango_, FALSE);
    cairo_font_options_destroy(options);
    layout_ = pango_layout_new(pango_);
}

void CairoCanvas::detach() {
    if (!cr_) return;
    for (int i = 0; i < savesOutstanding_; ++i) cairo_restore(cr_);
    savesOutstanding_ = 0;
    cairo_restore(cr_);
    if (layout_) g_object_unref(layout_);
    if (pango_) g_object_unref(pango_);
    layout_ = nullptr;
    pango_ = nullptr;
    cr_ = nullptr;
}

cairo_status_t CairoCanvas::cairoStatus() const {
    return cr_ ? cairo_status(cr_) : CAIRO_STATUS_NULL_POINTER;
}

bool CairoCanvas::drawable() const {
    return cr_ && invertible(currentTransform()) && cairo_status(cr_) == CAIRO_STATUS_SUCCESS;
}

void CairoCanvas::doSave() {
    if (!cr_) return;
    cairo_save(cr_);
    ++savesOutstanding_;
}

void CairoCanvas::doRestore() {
    if (!cr_ || savesOutstanding_ == 0) return;
    cairo_restore(cr_);
    --savesOutstanding_;
}

void CairoCanvas::doSetTransform(const AffineTransform& t) {
    // A singular transform would put the cairo context in a permanent error state; the canvas
    // keeps it and draws nothing until a restore brings an invertible one back.
    if (!cr_ || !invertible(t)) return;
    cairo_matrix_t m, result;
    cairo_matrix_init(&m, t.m11(), t.m12(), t.m21(), t.m22(), t.tX(), t.tY());
    cairo_matrix_multiply(&result, &m, &base_);
    cairo_set_matrix(cr_, &result);
}

void CairoCanvas::buildPath(const BezierPath& path) {
    cairo_new_path(cr_);
    for (const BezierPath::Element& e : path.elements()) {
        const Point* p = e.points;
        switch (e.type) {
            case BezierPath::Element::Type::MoveTo:
                cairo_move_to(cr_, p[0].x, p[0].y);
                break;
            case BezierPath::Element::Type::LineTo:
                cairo_line_to(cr_, p[0].x, p[0].y);
                break;
            case BezierPath::Element::Type::CurveTo:
                cairo_curve_to(cr_, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
                break;
            case BezierPath::Element::Type::ClosePath:
                cairo_close_path(cr_);
                break;
        }
    }
    cairo_set_fill_rule(cr_, path.windingRule() == WindingRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD
                                                                        : CAIRO_FILL_RULE_WINDING);
}

void CairoCanvas::doClip(const BezierPath& path) {
    if (!drawable()) return;
    if (!finitePath(path)) {
        // A clip that cannot be computed shows nothing rather than everything.
        cairo_new_path(cr_);
        cairo_rectangle(cr_, 0, 0, 0, 0);
        cairo_clip(cr_);
        return;
    }
    buildPath(path);
    cairo_clip(cr_);
}

void CairoCanvas::doFill(const BezierPath& path, const Color& color) {
    if (!drawable() || !finitePath(path)) return;
    setSource(cr_, color);
    buildPath(path);
    cairo_fill(cr_);
}

void CairoCanvas::doStroke(const BezierPath& path, const Color& color) {
    if (!drawable() || !finitePath(path)) return;
    setSource(cr_, color);
    double width = path.lineWidth();
    // Width 0 is the thinnest visible line: one device pixel.
    if (!(width > 0.0) || !std::isfinite(width)) {
        double dx = 1.0, dy = 0.0;
        cairo_device_to_user_distance(cr_, &dx, &dy);
        width = std::hypot(dx, dy);
    }
    cairo_set_line_width(cr_, width);
    const std::vector<double>& dash = path.lineDash();
    cairo_set_dash(cr_, dash.empty() ? nullptr : dash.data(), static_cast<int>(dash.size()),
                   path.lineDashPhase());
    switch (path.lineCap()) {
        case LineCap::Butt:
            cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
            break;
        case LineCap::Round:
            cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
            break;
        case LineCap::Square:
            cairo_set_line_cap(cr_, CAIRO_LINE_CAP_SQUARE);
            break;
    }
    switch (path.lineJoin()) {
        case LineJoin::Miter:
            cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
            break;
        case LineJoin::Round:
            cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
            break;
        case LineJoin::Bevel:
            cairo_set_line_join(cr_, CAIRO_LINE_JOIN_BEVEL);
            break;
    }
    cairo_set_miter_limit(cr_, std::max(1.0, path.miterLimit()));
    buildPath(path);
    cairo_stroke(cr_);
}

PangoLayout* CairoCanvas::layoutFor(const AttributedString& text) {
    if (!layout_) return nullptr;
    std::string all;
    PangoAttrList* list = pango_attr_list_new();
    PangoFontDescription* first = nullptr;
    for (const AttributedString::Run& run : text.runs()) {
        // Pango wants valid UTF-8; a damaged byte becomes a replacement character.
        gchar* valid = g_utf8_make_valid(run.text.data(), static_cast<gssize>(run.text.size()));
        std::string piece(valid);
        g_free(valid);
        auto start = static_cast<guint>(all.size());
        all += piece;
        auto end = static_cast<guint>(all.size());

        const Font& font = run.attributes.font;
        PangoFontDescription* desc = pango_font_description_new();
        pango_font_description_set_family(desc, font.installedFamily().c_str());
        pango_font_description_set_weight(desc,
                                          font.isBold() ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        pango_font_description_set_style(desc,
                                         font.isItalic() ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
        pango_font_description_set_absolute_size(desc, font.size() * PANGO_SCALE);
        std::vector<PangoAttribute*> attrs{pango_attr_font_desc_new(desc)};
        if (!first) first = pango_font_description_copy(desc);
        pango_font_description_free(desc);
        if (run.attributes.color) {
            const Color& c = *run.attributes.color;
            attrs.push_back(pango_attr_foreground_new(channel(c.redComponent()),
                                                      channel(c.greenComponent()),
                                                      channel(c.blueComponent())));
            attrs.push_back(
                pango_attr_foreground_alpha_new(std::max<guint16>(1, channel(c.alphaComponent()))));
        }
        if (run.attributes.underline)
            attrs.push_back(pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        for (PangoAttribute* a : attrs) {
            a->start_index = start;
            a->end_index = end;
            pango_attr_list_insert(list, a);
        }
    }
    pango_layout_set_font_description(layout_, first);
    if (first) pango_font_description_free(first);
    pango_layout_set_text(layout_, all.c_str(), static_cast<int>(all.size()));
    pango_layout_set_attributes(layout_, list);
    pango_attr_list_unref(list);
    return layout_;
}

Size CairoCanvas::doMeasureText(const AttributedString& text) {
    PangoLayout* layout = layoutFor(text);
    if (!layout) return {};
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    return {static_cast<double>(logical.width) / PANGO_SCALE,
            static_cast<double>(logical.height) / PANGO_SCALE};
}

void CairoCanvas::doDrawText(const AttributedString& text, Point origin, Size size) {
    if (!drawable() || !std::isfinite(origin.x) || !std::isfinite(origin.y)) return;
    PangoLayout* layout = layoutFor(text);
    if (!layout) return;
    cairo_save(cr_);
    // Text is laid out downward from its top left corner: turn y back down there.
    cairo_translate(cr_, origin.x, origin.y + size.height);
    cairo_scale(cr_, 1.0, -1.0);
    cairo_set_source_rgb(cr_, 0.0, 0.0, 0.0);
    cairo_move_to(cr_, 0.0, 0.0);
    pango_cairo_update_layout(cr_, layout);
    pango_cairo_show_layout(cr_, layout);
    cairo_restore(cr_);
}

}  // namespace vornex
