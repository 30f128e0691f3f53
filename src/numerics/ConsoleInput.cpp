#include "numerics/ConsoleInput.h"
#include "numerics/Decimal.h"
#include "numerics/StandardOutput.h"
#include "platform/Utf8.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <iostream>
#include <string>

namespace vornex {

namespace {

bool isLineEnd(int c) {
    return c == '\n' || c == '\r';
}

// Consumes the line end c; a CR directly followed by LF counts as one line end, so a
// Windows line never leaves an empty answer behind for the next question.
void consumeLineEnd(int c, std::istream& in) {
    if (c == '\r' && in.peek() == '\n') in.get();
}

// Ends the input: later reads fail at once and inputRefused tells why.
bool refuseInput(std::istream& in, const char* what, std::size_t limit, std::string& text) {
    text.clear();
    vornex::cfprintf(stderr, "Input refused: %s longer than %zu characters; the input ends here.\n",
                 what, limit);
    std::fflush(stderr);
    in.setstate(std::ios::badbit);
    return false;
}

// A read that failed (standard input closed, or a folder) is no end of the input: said once,
// and the input ends there as a refused one does, so no default is taken for an answer.
bool readFailed(std::istream& in, std::string& text) {
    if (&in != &std::cin || in.bad()) return false;
    const bool closed = standardInputWasClosed();
    if (!closed && !std::ferror(stdin)) return false;
    const int error = closed ? EBADF : errno;
    text.clear();
    vornex::cfprintf(stderr, "Input refused: standard input cannot be read (%s); the input ends here.\n",
                     error != 0 ? std::strerror(error) : "a read error");
    std::fflush(stderr);
    in.setstate(std::ios::badbit);
    return true;
}

// A UTF-8 byte-order mark, which editors put before the text of a file of answers, is no
// part of the answer: it is dropped where it opens a word or a line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

void dropByteOrderMark(std::string& text) {
    if (text.starts_with(kByteOrderMark)) text.erase(0, kByteOrderMark.size());
}

// Reads the rest of the current line (without its end). Returns false when the input
// ended before anything was read, and when the line is too long to be an answer.
bool readLine(std::istream& in, std::string& line) {
    line.clear();
    for (;;) {
        int c = in.get();
        if (c == std::char_traits<char>::eof()) {
            if (readFailed(in, line) || line.empty()) return false;
            dropByteOrderMark(line);
            return true;
        }
        if (isLineEnd(c)) {
            consumeLineEnd(c, in);
            dropByteOrderMark(line);
            return true;
        }
        if (line.size() == kLongestConsoleLine)
            return refuseInput(in, "an input line", kLongestConsoleLine, line);
        line.push_back(static_cast<char>(c));
    }
}

}  // namespace

bool inputRefused(const std::istream& in) {
    return in.bad();
}

namespace {

// Set on a stream while the line being read has given a word: its line end then closes that
// line, and only a line end met before any word closes a blank one.
const int kLineHasWord = std::ios_base::xalloc();

}  // namespace

bool readConsoleWord(std::istream& in, std::string& word) {
    word.clear();
    constexpr int kEnd = std::char_traits<char>::eof();
    int c;
    for (;;) {
        while ((c = in.peek()) != kEnd && std::isspace(c)) {
            in.get();
            if (!isLineEnd(c)) continue;
            consumeLineEnd(c, in);
            if (in.iword(kLineHasWord) == 0) return true;  // a blank line: the empty word
            in.iword(kLineHasWord) = 0;
        }
        while ((c = in.peek()) != kEnd && !std::isspace(c)) {
            if (word.size() == kLongestConsoleWord)
                return refuseInput(in, "an input word", kLongestConsoleWord, word);
            word.push_back(static_cast<char>(in.get()));
        }
        if (c == kEnd && readFailed(in, word)) return false;
        // A mark alone before the blank that follows it: the word is the next one.
        if (word != kByteOrderMark) break;
        word.clear();
    }
    dropByteOrderMark(word);
    if (word.empty()) in.setstate(std::ios::failbit);
    in.iword(kLineHasWord) = 1;
    return !word.empty();
}

char getChar(char defaultValue, std::istream& in) {
    int c = in.get();
    if (c == std::char_traits<char>::eof()) return defaultValue;
    if (isLineEnd(c)) {
        consumeLineEnd(c, in);
        return defaultValue;
    }
    std::string rest;
    if (!readLine(in, rest) && inputRefused(in)) return defaultValue;
    return static_cast<char>(c);
}

int getInteger(int defaultValue, std::istream& in) {
    std::string line;
    if (!readLine(in, line) || line.empty()) return defaultValue;
    char* end = nullptr;
    long value = std::strtol(line.c_str(), &end, 10);
    if (end == line.c_str()) return defaultValue;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool readAnswer(std::istream& in, std::string& answer) {
    if (!readLine(in, answer)) return false;
    const std::size_t first = answer.find_first_not_of(" \t");
    if (first == std::string::npos) {
        answer.clear();
        return true;
    }
    answer = answer.substr(first, answer.find_last_not_of(" \t") - first + 1);
    return true;
}

namespace {

bool ask(const char* question, std::istream& in, std::string& answer,
         bool (*read)(std::istream&, std::string&)) {
    std::fflush(stdout);  // the questions go where the messages go
    std::fputs(question, stderr);
    const bool given = read(in, answer);
    if (!given) answer.clear();
    if (!given || &in != &std::cin || isatty(STDIN_FILENO) == 0) std::fputc('\n', stderr);
    return given;
}

}  // namespace

bool askLine(const char* question, std::istream& in, std::string& answer) {
    return ask(question, in, answer, readAnswer);
}

bool askWord(const char* question, std::istream& in, std::string& word) {
    return ask(question, in, word, readConsoleWord);
}

double getDouble(double defaultValue, std::istream& in) {
    std::string line;
    if (!readLine(in, line) || line.empty()) return defaultValue;
    char* end = nullptr;
    double value = vornex::cstrtod(line.c_str(), &end);
    if (end == line.c_str()) return defaultValue;
    return value;
}

std::string shownWord(std::string_view word, std::size_t limit) {
    const std::string_view head = word.substr(0, limit);
    std::string shown;
    for (std::size_t at = 0; at < head.size();) {
        const std::size_t from = at;
        std::uint32_t cp = 0;
        if (!utf8::next(head, at, cp)) {
            shown.push_back('?');
            at = from + 1;
            continue;
        }
        const bool control = cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
        if (control) shown.push_back('?');
        else shown.append(head.substr(from, at - from));
    }
    return word.size() > limit ? shown + "..." : shown;
}

bool isHelpOption(const char* word) {
    return word != nullptr && (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0);
}

bool isHelpWord(const char* word) {
    return isHelpOption(word) || (word != nullptr && std::strcmp(word, "help") == 0);
}

const char* numberRefusal(const char* word, double& value) {
    if (word == nullptr || *word == '\0' || std::isspace(static_cast<unsigned char>(*word)))
        return "is not a number";
    double v = 0.0;
    switch (readDecimal(word, v)) {
        case DecimalRead::overflow:
            return "is not a finite number";
        case DecimalRead::notNumber: {
            const char* digits = word + (*word == '+' || *word == '-');
            if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) return "is not a decimal number";
            double ignored = 0.0;
            const auto r = std::from_chars(digits, digits + std::strlen(digits), ignored);
            if (r.ec == std::errc() && *r.ptr == '\0' && !std::isfinite(ignored))
                return "is not a finite number";
            // "300,5" where the locale writes a decimal comma: the reason, not only the refusal.
            if (writtenWithDecimalComma(word))
                return "is not a number (numbers take a decimal point, not a comma)";
            return "is not a number";
        }
        case DecimalRead::ok:
            break;
    }
    // Below the least double: too small to be told from zero.
    const std::string_view mantissa(word, std::strcspn(word, "eE"));
    if (v == 0.0 && mantissa.find_first_of("123456789") != std::string_view::npos)
        return "is out of the range of numbers";
    value = v;
    return nullptr;
}

char* macIgorPath(const char* directory) {
    std::string path = "Macintosh HD";
    for (const char* p = directory; *p != '\0'; ++p) path.push_back(*p == '/' ? ':' : *p);
    if (path.back() != ':') path.push_back(':');
    char* result = new char[path.size() + 1];
    std::memcpy(result, path.c_str(), path.size() + 1);
    return result;
}

char* getMacIgorDir() {
    std::string buffer(1024, '\0');
    bool read = true;
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            read = false;
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    std::string folder(read ? buffer.c_str() : ".");
    if (folder.back() != '/') folder.push_back('/');
    char* result = new char[folder.size() + 1];
    std::memcpy(result, folder.c_str(), folder.size() + 1);
    return result;
}

}  // namespace vornex
