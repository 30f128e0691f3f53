#include "platform/FileCanvas.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace vornex {

namespace {

// Largest PNG side cairo can hold.
constexpr double kMaxPixels = 32767.0;

const char* formatName(FileFormat f) {
    switch (f) {
        case FileFormat::Png:
            return "PNG";
        case FileFormat::Svg:
            return "SVG";
        case FileFormat::Pdf:
            return "PDF";
    }
    return "";
}

}  // namespace

std::optional<FileFormat> fileFormatForPath(const std::string& path) {
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) return std::nullopt;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "png") return FileFormat::Png;
    if (ext == "svg") return FileFormat::Svg;
    if (ext == "pdf") return FileFormat::Pdf;
    return std::nullopt;
}

struct FileCanvas::Output {
    std::string path;
    std::unique_ptr<AtomicFileWriter> file;  // writing to a file
    Bytes* memory = nullptr;                 // or into memory
    Bytes buffer;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    IoResult result;
    bool finished = false;
    bool discarding = false;

    static cairo_status_t write(void* closure, const unsigned char* data, unsigned int length) {
        auto* out = static_cast<Output*>(closure);
        if (out->discarding) return CAIRO_STATUS_SUCCESS;
        if (out->file)
            return out->file->write(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
        out->buffer.insert(out->buffer.end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
    }

    void fail(IoStatus s, const std::string& why) {
        if (result.ok()) result = IoResult::failure(s, why);
    }

    std::string name() const {
        return path.empty() ? std::string("the drawing") : "'" + path + "'";
    }
};

FileCanvas::FileCanvas(FileFormat format, std::string path, Size size, double pixelScale)
    : CairoCanvas(size), format_(format), out_(std::make_unique<Output>()) {
    out_->path = std::move(path);
    out_->file = std::make_unique<AtomicFileWriter>(out_->path);
    if (!out_->file->status()) out_->result = out_->file->status();
    open(size, pixelScale);
}

FileCanvas::FileCanvas(FileFormat format, Bytes& sink, Size size, double pixelScale)
    : CairoCanvas(size), format_(format), out_(std::make_unique<Output>()) {
    out_->memory = &sink;
    open(size, pixelScale);
}

void FileCanvas::open(Size size, double pixelScale) {
    double w = size.width, h = size.height;
    if (!(w > 0.0) || !(h > 0.0) || !std::isfinite(w) || !std::isfinite(h)) {
        out_->fail(IoStatus::WriteFailed,
                   "cannot draw " + out_->name() + ": the picture has no area");
        w = h = 1.0;
    }
    if (!(pixelScale > 0.0) || !std::isfinite(pixelScale)) pixelScale = 1.0;
    switch (format_) {
        case FileFormat::Pdf:
            out_->surface = cairo_pdf_surface_create_for_stream(&Output::write, out_.get(), w, h);
            break;
        case FileFormat::Svg:
            out_->surface = cairo_svg_surface_create_for_stream(&Output::write, out_.get(), w, h);
            break;
        case FileFormat::Png: {
            double pw = std::ceil(w * pixelScale), ph = std::ceil(h * pixelScale);
            if (pw > kMaxPixels || ph > kMaxPixels) {
                out_->fail(IoStatus::WriteFailed,
                           "cannot draw " + out_->name() + ": the picture is too large");
                pw = ph = 1.0;
            }
            out_->surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(pw),
                                                       static_cast<int>(ph));
            break;
        }
    }
    out_->cr = cairo_create(out_->surface);
    if (format_ == FileFormat::Png) cairo_scale(out_->cr, pixelScale, pixelScale);
    attach(out_->cr);
}

FileCanvas::~FileCanvas() {
    if (!out_->finished) {
        out_->discarding = true;
        if (out_->file) out_->file->discard();
    }
    detach();
    if (out_->cr) cairo_destroy(out_->cr);
    if (out_->surface) cairo_surface_destroy(out_->surface);
}

bool FileCanvas::newPage() {
    if (format_ != FileFormat::Pdf || out_->finished || !status()) return false;
    cairo_show_page(out_->cr);
    return cairo_status(out_->cr) == CAIRO_STATUS_SUCCESS;
}

IoResult FileCanvas::status() const {
    IoResult r = out_->result;
    if (r.ok() && out_->file && !out_->file->status()) r = out_->file->status();
    if (r.ok() && out_->cr && cairo_status(out_->cr) != CAIRO_STATUS_SUCCESS)
        r = IoResult::failure(
            IoStatus::WriteFailed,
            "cannot draw " + out_->name() + ": " + cairo_status_to_string(cairo_status(out_->cr)));
    return r;
}

IoResult FileCanvas::finish() {
    if (out_->finished) return out_->result;
    out_->result = status();
    detach();
    cairo_surface_flush(out_->surface);
    if (format_ == FileFormat::Png && out_->result.ok()) {
        cairo_status_t s =
            cairo_surface_write_to_png_stream(out_->surface, &Output::write, out_.get());
        if (s != CAIRO_STATUS_SUCCESS)
            out_->fail(IoStatus::WriteFailed, std::string("cannot write ") + formatName(format_) +
                                                  " " + out_->name() + ": " +
                                                  cairo_status_to_string(s));
    }
    cairo_surface_finish(out_->surface);
    if (cairo_surface_status(out_->surface) != CAIRO_STATUS_SUCCESS)
        out_->fail(IoStatus::WriteFailed,
                   std::string("cannot write ") + formatName(format_) + " " + out_->name() + ": " +
                       cairo_status_to_string(cairo_surface_status(out_->surface)));
    if (out_->file) {
        if (!out_->file->status())
            out_->fail(out_->file->status().status, out_->file->status().message);
        if (out_->result.ok()) {
            out_->result = out_->file->commit();
        } else {
            out_->file->discard();
        }
    } else if (out_->memory && out_->result.ok()) {
        *out_->memory = std::move(out_->buffer);
    }
    out_->finished = true;
    return out_->result;
}

IoResult renderToFile(FileFormat format, const std::string& path, Size size,
                      const std::function<void(Canvas&)>& draw, double pixelScale) {
    FileCanvas canvas(format, path, size, pixelScale);
    if (canvas.status() && draw) draw(canvas);
    return canvas.finish();
}

}  // namespace vornex
