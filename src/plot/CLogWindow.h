// CLogWindow: the one log of the application, shared by every document, in which
// calculations report in readable form. It holds the log's text with its attributes and the
// window's visible state; a window toolkit shows the text and is told of each change. Text
// comes as plain strings (Courier New 12 pt), printf-formatted strings with one, two or three
// line ends, or a block of rich text (RTF) assembled piece by piece and inserted whole.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <functional>
#include <string>

#include "platform/Font.h"
#include "platform/Geometry.h"

#if defined(__GNUC__)
#define VORNEX_PRINTF_METHOD(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define VORNEX_PRINTF_METHOD(fmt, args)
#endif

namespace vornex {

class CLogWindow {
   public:
    // Opens every RTF block: fonts 0 Courier and 1 Courier-Bold; colours 1 white, 2 red,
    // 3 blue; font 0 at 12 pt in the default colour.
    static constexpr const char* kRtfHeader =
        "{\\rtf1{\\fonttbl\\f0\\fmodern\\fcharset0 Courier;\\f1\\fmodern\\fcharset0 "
        "Courier-Bold;}{\\colortbl;\\red255\\green255\\blue255;\\red255\\green0\\blue0;"
        "\\red0\\green0\\blue255;}\\f0\\fs24\\cf0";
    // The window description and the name its frame is saved under.
    static constexpr const char* kWindowLayout = "CLogWindow";
    static constexpr const char* kFrameAutosaveName = "LogWindow";

    // The shared log, created on first use and kept while the program runs.
    static CLogWindow& sharedLogWindowCtroller();

    CLogWindow();
    CLogWindow(const CLogWindow&) = delete;
    CLogWindow& operator=(const CLogWindow&) = delete;

    // The font of plain text: Courier New 12 pt.
    static TextAttributes plainAttributes();

    // ----- Window -------------------------------------------------------------------------
    // The log's window. The controller keeps the window's state (visibility, content size)
    // itself, so callers reach it either way: window().isVisible() is isVisible().
    CLogWindow& window() { return *this; }
    bool isVisible() const { return mVisible; }
    // Shows the window and brings it to the front.
    void showWindow();
    void orderOut();
    Size contentSize() const { return mContentSize; }
    void setContentSize(Size size);
    // Called after every change of the text, the visibility or the scroll request.
    void setChangeHandler(std::function<void()> handler) { mChanged = std::move(handler); }

    // ----- Text ---------------------------------------------------------------------------
    const AttributedString& text() const { return mText; }
    std::string string() const { return mText.string(); }
    // Appends at the end in the attributes of the text before it. On an empty log the text
    // first becomes one space in Courier New 12 pt and the string goes before that space.
    void appendString(const std::string& s);
    void appendString1(const std::string& s) { appendString(s + "\n"); }
    void appendString2(const std::string& s) { appendString(s + "\n\n"); }
    // printf formatting, then appendString; the numbered forms add 1, 2 or 3 line ends.
    void appendFormat(const char* format, ...) VORNEX_PRINTF_METHOD(2, 3);
    void appendFormat1(const char* format, ...) VORNEX_PRINTF_METHOD(2, 3);
    void appendFormat2(const char* format, ...) VORNEX_PRINTF_METHOD(2, 3);
    void appendFormat3(const char* format, ...) VORNEX_PRINTF_METHOD(2, 3);
    void appendFormatArguments(const char* format, va_list arguments) VORNEX_PRINTF_METHOD(2, 0);
    // Appends UTF-8 text at the end as it stands (no empty-log step). A null text adds
    // nothing.
    void appendText(const char* utf8);
    void clearText();
    // Asks the view to show the end of the text; scrollTarget() is that byte offset.
    void scrollToEnd();
    std::size_t scrollTarget() const { return mScrollTarget; }

    // ----- Rich text blocks ---------------------------------------------------------------
    // Opens a block holding the header. A block already open stays open as it is, so
    // nothing written to it is lost.
    void beginEditingRTF();
    // Add to the open block; nothing shows yet. Ignored while no block is open.
    void appendRTF(const std::string& rtf);
    void appendRTFormat(const char* format, ...) VORNEX_PRINTF_METHOD(2, 3);
    // Closes the block with "}" and inserts it at the end of the text. False, changing
    // nothing, when no block is open.
    bool endEditingRTF();

   private:
    void appendAttributed(const AttributedString& s);
    void changed();

    AttributedString mText;
    std::string mRtf;
    std::string mLastRtf;
    bool mEditingRtf = false;
    bool mVisible = false;
    Size mContentSize{480, 360};
    std::size_t mScrollTarget = 0;
    std::function<void()> mChanged;
};

// printf into a std::string of any length; an invalid format gives an empty string.
std::string formatString(const char* format, va_list arguments) VORNEX_PRINTF_METHOD(1, 0);

}  // namespace vornex
