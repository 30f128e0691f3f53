#include "numerics/DataTextFile.h"
#include "numerics/Decimal.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <limits>
#include <string_view>

namespace vornex {

namespace {

constexpr std::string_view kSeparators = " \t\r\n\v\f";
constexpr double kMissing = std::numeric_limits<double>::infinity();

// Splits off the first word of text; text keeps what follows it (with its separator).
std::string_view firstWord(std::string_view& text) {
    size_t start = text.find_first_not_of(kSeparators);
    if (start == std::string_view::npos) {
        text = {};
        return {};
    }
    size_t end = text.find_first_of(kSeparators, start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view word = text.substr(start, end - start);
    text.remove_prefix(end);
    return word;
}

bool isMissing(std::string_view word) {
    return word == "NaN" || word == "nan";
}

// A line whose first word starts with "#": a gnuplot comment, no row (the header of a column
// table, this library's own among them, is one: "# T(1) P(2)").
bool isComment(std::string_view word) {
    return word.starts_with('#');
}

// A word that opens a row rather than a line of names: a number, or what printf writes for
// one that is not ("nan", "-nan", "inf", "-inf").
bool opensRow(std::string_view word) {
    const char first = word.front();
    if ((first >= '0' && first <= '9') || first == '+' || first == '-' || first == '.') return true;
    std::string lower;
    for (char c : word) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return lower == "nan" || lower == "inf" || lower == "infinity";
}

// The header line of a column table without its comment marks: "# # T(1) P(2)" and "#T P"
// name the columns T(1), P(2) and T, P.
std::string withoutCommentMarks(std::string_view line) {
    std::string_view rest = line;
    for (;;) {
        std::string_view before = rest;
        std::string_view word = firstWord(rest);
        if (!isComment(word)) return std::string(before);
        word.remove_prefix(word.find_first_not_of('#') == std::string_view::npos
                               ? word.size()
                               : word.find_first_not_of('#'));
        if (!word.empty()) return std::string(word) + std::string(rest);
    }
}

// The word read as a number when it is one whole, in decimal (digits, a point, an exponent,
// signs): "300abc", "0x12C", "300,5" or a word holding a zero character are none, where
// strtod would take the number they start with; nor is "1e999", beyond the range of doubles,
// which strtod reads as infinity (a number below the normal range is still one).
bool wholeDecimal(std::string_view word, double& value) {
    return readDecimal(word, value) == DecimalRead::ok;
}

// Reads one line ended by LF, CR or CR LF, whichever system wrote the file; the last line
// needs no end. False, with the stream failed, when the stream held no more characters.
bool readLine(std::istream& in, std::string& line) {
    line.clear();
    std::streambuf* buffer = in.good() ? in.rdbuf() : nullptr;
    if (buffer == nullptr) {
        in.setstate(std::ios::failbit);
        return false;
    }
    for (bool any = false;; any = true) {
        int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(any ? std::ios::eofbit : std::ios::eofbit | std::ios::failbit);
            return any;
        }
        if (c == '\n') return true;
        if (c == '\r') {
            if (buffer->sgetc() == '\n') buffer->sbumpc();
            return true;
        }
        line.push_back(static_cast<char>(c));
    }
}

}  // namespace

DataTextFile::DataTextFile(const char* file) {
    open(file);
    selected = 0;
}

DataTextFile::~DataTextFile() {
    close();
}

void DataTextFile::open(const char* file) {
    const FileRead read = tryOpen(file);
    if (read.ok()) return;
    if (read.status == FileReadStatus::NotFound)
        vornex::cprintf("\nFile %s not found\n", file);
    else
        vornex::cprintf("\n%s\n", read.message.c_str());
    std::exit(1);
}

FileRead DataTextFile::tryOpen(const char* file) {
    close();
    std::string text;
    const FileRead read = readRegularFile(file != nullptr ? file : "", kTableFileLimit, text);
    if (!read) return read;
    // A UTF-8 byte-order mark, which editors put before the text, would join the first name.
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    stream.clear();
    stream.str(std::move(text));
    open_ = true;
    name = file;
    names = std::make_unique<MsgList>();
    columns = 0;
    rows = -1;
    line_ = 0;
    commaNoted_ = false;
    std::string line;
    // Comment lines ("#") before the first line of names or numbers: the last of them names
    // the columns when numbers follow it directly, as in the column tables this library
    // writes ("# T(1) P(2)"); before a line of names they are comments only.
    // A comment of marks alone ("#", "#####") names nothing: the names stay those above it.
    std::string commentHeader;
    for (std::streampos start = stream.tellg(); readLine(stream, line); start = stream.tellg()) {
        ++line_;
        std::string_view rest(line);
        std::string_view word = firstWord(rest);
        if (word.empty()) continue;
        if (isComment(word)) {
            std::string names = withoutCommentMarks(line);
            if (names.find_first_not_of(kSeparators) != std::string::npos)
                commentHeader = std::move(names);
            continue;
        }
        if (word != "IGOR" && !commentHeader.empty() && opensRow(word)) {
            // The row is read again as the first row, under its own line number.
            stream.clear();
            stream.seekg(start);
            --line_;
            lineRest = commentHeader;
            read_fields();
            return {};
        }
        lineRest = std::string(rest);
        if (word == "IGOR") {
            readIgorHeader();
        } else {
            names->append(std::string(word).c_str());
            columns = 1;
            read_fields();
        }
        return {};
    }
    // Comments alone: their last line names the columns of a table without rows.
    if (!commentHeader.empty()) {
        lineRest = commentHeader;
        read_fields();
    }
    return {};
}

void DataTextFile::readIgorHeader() {
    std::string line = lineRest;  // what follows "IGOR" on its line
    for (;;) {
        std::string_view rest(line);
        for (std::string_view word = firstWord(rest); !word.empty(); word = firstWord(rest)) {
            if (word == "x") {
                // Igor commands: shown to the user, never data.
                vornex::cprintf("%s\n\n", std::string(rest).c_str());
                break;
            }
            if (word == "WAVES" || word.starts_with("WAVES/")) {
                lineRest = std::string(rest);
                read_fields();
                break;
            }
            if (word == "BEGIN") return;
        }
        if (!readLine(stream, line)) return;
        ++line_;
    }
}

void DataTextFile::read_fields() {
    std::string_view rest(lineRest);
    std::string_view word = firstWord(rest);
    if (word == "/D") word = firstWord(rest);
    for (; !word.empty(); word = firstWord(rest)) {
        if (columns == std::numeric_limits<int>::max()) {
            vornex::cfprintf(stderr, "%s: more than %d columns; the rest are left out\n", name.c_str(),
                         columns);
            break;
        }
        names->append(std::string(word).c_str());
        columns += 1;
    }
    lineRest.clear();
    values.assign(columns, kMissing);
    present.assign(columns, 0);
    order.clear();
    selected = 0;
}

int DataTextFile::set_index(const char* list) {
    if (list == nullptr) return 0;
    std::string copy(list);
    std::string_view rest(copy);
    int appended = 0;
    for (std::string_view word = firstWord(rest); !word.empty(); word = firstWord(rest)) {
        int index = names ? names->get_index(std::string(word).c_str()) : -1;
        if (index < 0) return -1;
        order.push_back(index);
        selected += 1;
        appended += 1;
    }
    return appended;
}

int DataTextFile::read() {
    if (!open_) return 0;
    std::string line;
    while (readLine(stream, line)) {
        ++line_;
        std::string_view rest(line);
        std::string_view word = firstWord(rest);
        // A line of separators, a comment and an Igor command line are no rows.
        if (word.empty() || isComment(word) || word == "x") continue;
        if (word == "END") return 0;
        for (int c = 0; c < columns; ++c) {
            double value = kMissing;
            int16_t got = 0;
            if (!word.empty() && !isMissing(word)) {
                if (wholeDecimal(word, value))
                    got = 1;
                else
                    noteDecimalComma(word);
            }
            values[c] = value;
            present[c] = got;
            word = firstWord(rest);
        }
        cursor = 0;
        return 1;
    }
    return 0;
}

void DataTextFile::noteDecimalComma(std::string_view word) {
    if (commaNoted_ || !writtenWithDecimalComma(word)) return;
    commaNoted_ = true;
    vornex::cfprintf(stderr,
                 "%s, line %lld: \"%.40s\" is written with a decimal comma; numbers take a "
                 "point, and words that are not numbers are read as missing\n",
                 name.c_str(), static_cast<long long>(line_), std::string(word).c_str());
}

double DataTextFile::nextSelected() {
    if (cursor >= selected) {
        vornex::cprintf("Read Data File Error\n");
        std::exit(1);
    }
    return values[order[cursor++]];
}

DataTextFile& DataTextFile::operator>>(double& value) {
    value = nextSelected();
    return *this;
}

DataTextFile& DataTextFile::operator>>(short& value) {
    double v = std::trunc(nextSelected());
    if (v >= std::numeric_limits<short>::min() && v <= std::numeric_limits<short>::max())
        value = static_cast<short>(v);
    return *this;
}

void DataTextFile::count_items() {
    if (rows != -1 || !open_) return;
    stream.clear();
    std::streampos start = stream.tellg();
    std::int64_t count = 0;
    std::string line;
    while (readLine(stream, line)) {
        std::string_view rest(line);
        std::string_view word = firstWord(rest);
        if (word.empty() || word == "x" || isComment(word)) continue;
        if (word == "END") break;
        ++count;
    }
    rows = count;
    stream.clear();
    stream.seekg(start);
}

void DataTextFile::close() {
    if (!open_) return;
    open_ = false;
    stream.str({});
    stream.clear();
    name.clear();
    columns = 0;
    rows = -1;
    names.reset();
    values.clear();
    present.clear();
    order.clear();
    cursor = 0;
    selected = 0;
    lineRest.clear();
    line_ = 0;
    commaNoted_ = false;
}

}  // namespace vornex
