// Reads the rich text (RTF) that the log window's writers produce into an attributed string:
// groups, the font and colour tables, the character formatting words \f \fs \b \i \ul
// \ulnone \cf \plain, the line and paragraph ends \par \line and \tab, the escapes \\ \{ \}
// \'hh (Windows-1252) and \uN, the non-breaking space \~ and hyphen \_. Other control
// words, and destinations marked \*, are skipped. Unbalanced braces are tolerated: an extra
// '}' is ignored, a group left open ends with the text.
#pragma once

#include <string>

#include "platform/Font.h"

namespace vornex {

// `base` gives the attributes of text before any formatting word (and after \plain) other
// than the font size, which RTF sets to 12 pt by default.
AttributedString attributedStringFromRtf(const std::string& rtf,
                                         const TextAttributes& base = TextAttributes());

}  // namespace vornex
