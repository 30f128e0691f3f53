// HeadlessWorkbench: drives a workbench document without a window, in place of the platform's
// document machinery and of the user: it creates or opens documents, types into and presses
// the named controls of the form (sending each control's action as a toolkit would), clicks
// the plots with synthetic mouse events, edits and moves rows of the case table, and writes
// each plot to PDF, PNG or SVG and the shared log to text. Tests and batch use.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/AtomicFileWriter.h"
#include "workbench/MyDocument.h"

namespace vornex {

class HeadlessWorkbench {
   public:
    // A new document with its window built: one case "New" and no unsaved change.
    static std::unique_ptr<MyDocument> newDocument(
        const MyDocument::Options& options = MyDocument::Options());
    // A document read from a file, its first case selected; null, with the reason in
    // `result`, when the file is refused.
    static std::unique_ptr<MyDocument> openDocument(
        const std::string& path, IoResult* result = nullptr,
        const MyDocument::Options& options = MyDocument::Options());

    explicit HeadlessWorkbench(MyDocument& document) : mDocument(document) {}

    // Types text into an enabled, editable control and sends its action; a control of a
    // panel shows its tab first, as a person's click on the tab would. False when the control
    // does not exist or does not take input.
    bool type(const std::string& control, const std::string& text);
    bool type(const std::string& control, double value);
    // Sets a stepper or check box (its value or state) and sends its action.
    bool step(const std::string& control, double value);
    bool check(const std::string& control, bool on);
    // Presses an enabled button.
    bool press(const std::string& control);
    // A command by action name: through the document menu (validated first) when it holds
    // the command, else as a button of the window would send it.
    bool perform(const std::string& action);
    // A click at a point given in the plot's data coordinates (shift held or not). False for
    // an unknown plot.
    bool clickPlot(const std::string& plot, double x, double y, bool shift = false);
    // A click in the ternary view at a composition in percent of NaCl (a) and KCl (b).
    bool clickTernary(double a, double b);
    // Case table: selects a row, presses a key on the table, edits a cell.
    bool selectRow(int row);
    bool keyDownInList(int keyCode, std::uint32_t modifiers = 0);
    bool editCell(int row, const std::string& column, const PlistValue& value);

    // Writes a plot as PDF, PNG or SVG, by the file's extension.
    IoResult writePlot(const std::string& plot, const std::string& path);
    // Writes the shared log's text.
    static IoResult writeLog(const std::string& path);

   private:
    void showTabOf(const Control& c);
    // Sets an enabled, editable, visible control and sends its action.
    bool send(const std::string& control, const std::function<void(Control&)>& set);
    MyDocument& mDocument;
};

}  // namespace vornex
