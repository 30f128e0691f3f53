// Canvas that draws into a PNG, SVG or PDF file. Nothing appears at the target path until
// finish() has written the whole file: the drawing goes to a temporary file beside it, which
// replaces the target only on success. Every failure is reported by finish(). PDF files may
// have several pages of the canvas's size.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/AtomicFileWriter.h"
#include "platform/CairoCanvas.h"

namespace vornex {

enum class FileFormat { Png, Svg, Pdf };

// The format named by a path's extension (".png", ".svg", ".pdf", any case), if any.
std::optional<FileFormat> fileFormatForPath(const std::string& path);

class FileCanvas : public CairoCanvas {
   public:
    // `size` in points; a PNG has size × pixelScale pixels (at least 1 × 1) on a transparent
    // background.
    FileCanvas(FileFormat format, std::string path, Size size, double pixelScale = 1.0);
    // Draws into memory: a successful finish() leaves in `sink` the bytes a file would hold.
    FileCanvas(FileFormat format, Bytes& sink, Size size, double pixelScale = 1.0);
    // Discards the drawing unless finish() succeeded.
    ~FileCanvas() override;

    // Ends the current page and starts a new one (PDF only: false for the other formats and
    // after a failure).
    bool newPage();
    // Writes the file and moves it to the target path. A second call returns the first
    // result. Drawing after finish() is ignored.
    IoResult finish();
    // The first failure so far (creating the temporary file, cairo errors); Ok otherwise.
    IoResult status() const;

   private:
    struct Output;
    void open(Size size, double pixelScale);
    FileFormat format_;
    std::unique_ptr<Output> out_;
};

// Draws a picture into a file in one call: the format from `format`, the drawing from `draw`.
IoResult renderToFile(FileFormat format, const std::string& path, Size size,
                      const std::function<void(Canvas&)>& draw, double pixelScale = 1.0);

}  // namespace vornex
