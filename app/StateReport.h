// The state report of a window driven from outside the process (the real-input test): on
// SIGUSR1 the program writes, into the file it was given, what a person could see and what
// the document holds: every window of the program (X id, on screen or not, the window it
// belongs to, title) with the popovers open in it (whether they show all of their items, and
// the items' bounds); of the document window last worked in its X id, tab, menu bar titles,
// tab labels, selected row, every control's text and the bounds of every field, button and case-table
// cell in window coordinates, so that a script can aim real pointer events at them. On
// SIGUSR2 it writes that window's image beside the report (FILE.png; a file there that it
// did not write is left as it is).
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "platform/AtomicFileWriter.h"

namespace Gtk {
class Widget;
}

namespace vornex::shell {

class WyvraApplication;

// Installs the two signal handlers on the main loop; the first report is written unasked
// once the window is up.
void installStateReport(WyvraApplication& application, const std::string& path);

// The window as it shows now, through its own snapshot; null when it cannot render.
GdkTexture* windowSnapshot(Gtk::Widget& window);

// The image as a PNG file, written whole or not at all: a driver waiting for the file never
// reads half an image, and a failed write leaves the file there as it was. `claim` says whose
// file at the path it may replace.
IoResult savePng(GdkTexture* texture, const std::string& path,
                 AtomicFile::Claim claim = AtomicFile::Claim::Any);

// The image beside the report at `reportPath` (its name with ".png"), a name the user did not
// give: it replaces only an image this program wrote there.
IoResult saveReportImage(GdkTexture* texture, const std::string& reportPath);

}  // namespace vornex::shell
