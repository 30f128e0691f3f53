#include "plot/CLogWindow.h"
#include "numerics/Decimal.h"

#include <cstdio>
#include <vector>

#include "plot/RtfReader.h"

namespace vornex {

std::string formatString(const char* format, va_list arguments) {
    if (!format) return {};
    va_list probe;
    va_copy(probe, arguments);
    const int length = vornex::vcsnprintf(nullptr, 0, format, probe);
    va_end(probe);
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    va_list copy;
    va_copy(copy, arguments);
    vornex::vcsnprintf(buffer.data(), buffer.size(), format, copy);
    va_end(copy);
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

CLogWindow& CLogWindow::sharedLogWindowCtroller() {
    static CLogWindow shared;
    return shared;
}

CLogWindow::CLogWindow() = default;

TextAttributes CLogWindow::plainAttributes() {
    return TextAttributes(Font("Courier New", 12));
}

void CLogWindow::showWindow() {
    mVisible = true;
    changed();
}

void CLogWindow::orderOut() {
    mVisible = false;
    changed();
}

void CLogWindow::setContentSize(Size size) {
    mContentSize = size;
    changed();
}

void CLogWindow::changed() {
    if (mChanged) mChanged();
}

void CLogWindow::appendString(const std::string& s) {
    if (mText.empty()) {
        // The text view keeps the font only while it has a character to carry it.
        AttributedString first(s, plainAttributes());
        // A space carries the font when there is nothing else; it would begin the next line.
        if (s.empty()) first.append(" ", plainAttributes());
        mText = first;
        changed();
        return;
    }
    mText.append(s, mText.attributesAt(mText.length()));
    changed();
}

void CLogWindow::appendText(const char* utf8) {
    if (!utf8) return;
    const TextAttributes attributes =
        mText.empty() ? plainAttributes() : mText.attributesAt(mText.length());
    mText.append(utf8, attributes);
    changed();
}

void CLogWindow::appendFormatArguments(const char* format, va_list arguments) {
    appendString(formatString(format, arguments));
}

#define VORNEX_FORMAT_TO(target, format)                  \
    va_list arguments;                                    \
    va_start(arguments, format);                          \
    std::string target = formatString(format, arguments); \
    va_end(arguments)

void CLogWindow::appendFormat(const char* format, ...) {
    VORNEX_FORMAT_TO(s, format);
    appendString(s);
}

void CLogWindow::appendFormat1(const char* format, ...) {
    VORNEX_FORMAT_TO(s, format);
    appendString(s + "\n");
}

void CLogWindow::appendFormat2(const char* format, ...) {
    VORNEX_FORMAT_TO(s, format);
    appendString(s + "\n\n");
}

void CLogWindow::appendFormat3(const char* format, ...) {
    VORNEX_FORMAT_TO(s, format);
    appendString(s + "\n\n\n");
}

void CLogWindow::appendRTFormat(const char* format, ...) {
    VORNEX_FORMAT_TO(s, format);
    appendRTF(s);
}

#undef VORNEX_FORMAT_TO

void CLogWindow::clearText() {
    mText.clear();
    mScrollTarget = 0;
    changed();
}

void CLogWindow::scrollToEnd() {
    mScrollTarget = mText.length();
    changed();
}

void CLogWindow::beginEditingRTF() {
    if (mEditingRtf) return;
    mRtf = kRtfHeader;
    mEditingRtf = true;
}

void CLogWindow::appendRTF(const std::string& rtf) {
    if (mEditingRtf) mRtf += rtf;
}

bool CLogWindow::endEditingRTF() {
    if (!mEditingRtf) return false;
    mRtf += '}';
    mLastRtf = std::move(mRtf);
    mRtf.clear();
    mEditingRtf = false;
    appendAttributed(attributedStringFromRtf(mLastRtf, plainAttributes()));
    return true;
}

void CLogWindow::appendAttributed(const AttributedString& s) {
    mText.append(s);
    changed();
}

}  // namespace vornex
