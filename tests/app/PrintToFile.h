// A print completed through GTK's own print dialog with no printer attached, and the PDF it
// wrote read back: its pages, their words and where each word lies.
#pragma once

#include <glib.h>
#include <gtk/gtk.h>
#include <gtk/gtkunixprint.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vornex::shell {

// Once GTK's print dialog shows, its printer becomes "Print to File" with a PDF at a given
// path, as a user picks them, and its Print button is pressed once the dialog lets it be. The
// dialog runs a loop of its own, so the driver works from a timeout of the main loop.
class PrintToFileDriver {
   public:
    static constexpr const char* kPrinter = "Print to File";
    // Why a print could not be completed, for a test's failure message.
    static constexpr const char* kNotOffered =
        "the print dialog did not offer GTK's \"Print to File\" printer within 20 s (its module, "
        "printbackends/libprintbackend-file.so, comes with GTK itself)";

    // Waits up to 20 s for the dialog and for its Print button to become pressable; `meanwhile`
    // is done once the dialog shows, a turn of the main loop before Print is pressed.
    explicit PrintToFileDriver(const std::string& pdfPath, std::function<void()> meanwhile = {})
        : mUri(g_filename_to_uri(pdfPath.c_str(), nullptr, nullptr)),
          mMeanwhile(std::move(meanwhile)) {
        mSource = g_timeout_add(50, &PrintToFileDriver::look, this);
    }
    ~PrintToFileDriver() {
        if (!mDone) g_source_remove(mSource);
        g_free(mUri);
    }
    PrintToFileDriver(const PrintToFileDriver&) = delete;
    PrintToFileDriver& operator=(const PrintToFileDriver&) = delete;

    bool dialogShown() const { return mShown; }
    // The printer the dialog had chosen when Print was pressed ("" if it never was).
    const std::string& printerPressed() const { return mPrinter; }

   private:
    static GtkWidget* printButton(GtkWidget* root) {
        if (GTK_IS_BUTTON(root)) {
            const char* label = gtk_button_get_label(GTK_BUTTON(root));
            if (label && std::string(label) == "_Print") return root;
        }
        for (GtkWidget* c = gtk_widget_get_first_child(root); c; c = gtk_widget_get_next_sibling(c))
            if (GtkWidget* found = printButton(c)) return found;
        return nullptr;
    }

    static GtkPrintUnixDialog* shownDialog() {
        GListModel* toplevels = gtk_window_get_toplevels();
        GtkPrintUnixDialog* found = nullptr;
        for (guint i = 0; i < g_list_model_get_n_items(toplevels) && !found; ++i) {
            auto* w = static_cast<GtkWidget*>(g_list_model_get_item(toplevels, i));
            if (GTK_IS_PRINT_UNIX_DIALOG(w) && gtk_widget_get_mapped(w))
                found = GTK_PRINT_UNIX_DIALOG(w);
            g_object_unref(w);
        }
        return found;
    }

    static gboolean look(gpointer data) {
        auto* self = static_cast<PrintToFileDriver*>(data);
        if (GtkPrintUnixDialog* dialog = shownDialog()) {
            if (!self->mShown) {
                // What the user picks: the printer, the file and its format; the dialog keeps
                // the rest of what it shows.
                self->mShown = true;
                GtkPrintSettings* settings = gtk_print_unix_dialog_get_settings(dialog);
                gtk_print_settings_set_printer(settings, kPrinter);
                gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_URI, self->mUri);
                gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_FILE_FORMAT, "pdf");
                gtk_print_unix_dialog_set_settings(dialog, settings);
                g_object_unref(settings);
                if (self->mMeanwhile) {
                    self->mMeanwhile();
                    return G_SOURCE_CONTINUE;
                }
            }
            GtkPrinter* printer = gtk_print_unix_dialog_get_selected_printer(dialog);
            GtkWidget* button = printButton(GTK_WIDGET(dialog));
            if (printer && button && gtk_widget_is_sensitive(button)) {
                self->mPrinter = gtk_printer_get_name(printer);
                self->mDone = true;
                g_signal_emit_by_name(button, "clicked");
                return G_SOURCE_REMOVE;
            }
        }
        if (++self->mTurns < 400) return G_SOURCE_CONTINUE;
        // Given up: a dialog left open would hold the print, and the test, for good.
        if (GtkPrintUnixDialog* dialog = shownDialog()) gtk_window_close(GTK_WINDOW(dialog));
        self->mDone = true;
        return G_SOURCE_REMOVE;
    }

    gchar* mUri;
    std::function<void()> mMeanwhile;
    guint mSource = 0;
    int mTurns = 0;
    bool mShown = false;
    bool mDone = false;
    std::string mPrinter;
};

// What a command writes on its standard output.
inline std::string outputOf(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

inline std::vector<std::string> wordsOf(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

inline int pageCount(const std::string& pdf) {
    const std::string info = outputOf("pdfinfo '" + pdf + "'");
    int pages = 0;
    std::sscanf(info.c_str() + std::min(info.size(), info.find("Pages:")), "Pages: %d", &pages);
    return pages;
}

// The words of each page of a PDF, as its text layer holds them.
inline std::vector<std::vector<std::string>> wordsByPage(const std::string& pdf) {
    std::vector<std::vector<std::string>> pages;
    for (int page = 1, n = pageCount(pdf); page <= n; ++page)
        pages.push_back(wordsOf(outputOf("pdftotext -f " + std::to_string(page) + " -l " +
                                         std::to_string(page) + " '" + pdf + "' -")));
    return pages;
}

struct WordBox {
    std::string text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};
struct PageBoxes {
    double width = 0, height = 0;
    std::vector<WordBox> words;
};

// Where each word of a PDF lies on its page, as pdftotext's bounding-box output gives it.
inline std::vector<PageBoxes> wordBoxes(const std::string& pdf) {
    std::vector<PageBoxes> pages;
    std::istringstream in(outputOf("pdftotext -bbox '" + pdf + "' -"));
    auto attribute = [](const std::string& line, const std::string& name) {
        const std::size_t at = line.find(name + "=\"");
        return at == std::string::npos ? 0.0 : std::stod(line.substr(at + name.size() + 2));
    };
    for (std::string line; std::getline(in, line);) {
        if (line.find("<page ") != std::string::npos) {
            pages.push_back({attribute(line, "width"), attribute(line, "height"), {}});
        } else if (const std::size_t open = line.find("<word ");
                   open != std::string::npos && !pages.empty()) {
            const std::size_t text = line.find('>', open) + 1;
            pages.back().words.push_back({line.substr(text, line.find("</word>") - text),
                                          attribute(line, "xMin"), attribute(line, "yMin"),
                                          attribute(line, "xMax"), attribute(line, "yMax")});
        }
    }
    return pages;
}

// The printable area of GTK's default page setup, which a print keeps unless the user
// changes it in the dialog.
struct PrintableArea {
    double left, top, width, height, paperHeight;
};
inline PrintableArea defaultPrintableArea() {
    GtkPageSetup* setup = gtk_page_setup_new();
    const PrintableArea area{gtk_page_setup_get_left_margin(setup, GTK_UNIT_POINTS),
                             gtk_page_setup_get_top_margin(setup, GTK_UNIT_POINTS),
                             gtk_page_setup_get_page_width(setup, GTK_UNIT_POINTS),
                             gtk_page_setup_get_page_height(setup, GTK_UNIT_POINTS),
                             gtk_page_setup_get_paper_height(setup, GTK_UNIT_POINTS)};
    g_object_unref(setup);
    return area;
}

}  // namespace vornex::shell
