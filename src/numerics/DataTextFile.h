// Reader of tables with named columns: plain column tables (the first line names the
// columns) and Igor Pro text files (IgorText.h writes them).
//
// Igor text: the first word is "IGOR"; "x" starts a command line (echoed on standard
// output, not data); "WAVES" names columns up to the line end, an optional first "/D"
// skipped, several WAVES lines accumulating; "BEGIN" ends the header; then one row per
// line; "END" ends the data. Plain table: the first line names the columns (a leading
// "/D" among them skipped), then rows, optionally ended by "END". A line whose first word
// starts with "#" is a comment, never a row; where numbers follow comment lines directly,
// the last comment names the columns without its "#" marks, as in the column tables this
// library writes ("# T(1) P(2)" names T(1) and P(2)); a comment of marks alone ("#",
// "#####") names nothing and leaves the names above it. A value "NaN" or "nan" is missing. Lines end with LF, CR or CR LF alike; a UTF-8 byte-order mark before the text
// is skipped. The file is read whole through the one file reader, so a FIFO, folder or
// device is refused and a table is at most kTableFileLimit bytes. Usage: open, select
// columns by name with set_index, then for each read() that returns 1 extract the selected
// values in order with >>.
#pragma once

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "numerics/FileReader.h"
#include "numerics/MsgList.h"

namespace vornex {

class DataTextFile {
   public:
    std::istringstream stream;  // the whole file
    std::string name;  // the file name
    int columns = 0;
    std::int64_t rows = -1;  // rows left to read, -1 until count_items
    std::unique_ptr<MsgList> names;
    std::vector<double> values;    // the current row; a missing value is +infinity
    std::vector<int16_t> present;  // 1 when the value was read, 0 when missing
    std::vector<int> order;        // selected column indexes in extraction order
    int cursor = 0;                // next position in order to extract
    int selected = 0;

    DataTextFile() = default;
    explicit DataTextFile(const char* file);
    DataTextFile(const DataTextFile&) = delete;
    DataTextFile& operator=(const DataTextFile&) = delete;
    ~DataTextFile();

    // Opens the file and reads its column names (an Igor header up to "BEGIN"). A file that
    // cannot be opened prints "\nFile <name> not found\n" and ends the process with status 1.
    void open(const char* file);
    // The same, but a file that cannot be read (missing, or refused by the file reader:
    // not a regular file, too large) only returns the failure, leaving the table closed.
    FileRead tryOpen(const char* file);
    bool isOpen() const { return open_; }
    // Appends the names on the rest of the current header line and resets the selection.
    // Names past the largest int count are left out with a message on standard error.
    void read_fields();
    // Appends the columns named in the list (separated by blanks, tabs or line ends) to
    // the selection. Returns the number appended, or -1 at the first name that is not a
    // column (names appended before it stay selected).
    int set_index(const char* list);
    // Reads the next row: 1, or 0 at the end of the file or at "END"; comment lines and Igor
    // command lines ("x ...") are passed over, as count_items passes them. Values a short row
    // lacks, "NaN"/"nan" and words that are not numbers are missing (present 0, +infinity).
    // A number is the whole word, written in decimal, within the range of doubles ("1e999" is
    // missing, as "inf" is); the first one of a file written with a decimal comma ("300,5")
    // is reported on standard error with the file and line.
    int read();
    // The next selected value of the row. Extracting more than selected prints
    // "Read Data File Error\n" and ends the process with status 1. A short takes the value
    // truncated toward zero and is left unchanged when the value does not fit (missing).
    DataTextFile& operator>>(double& value);
    DataTextFile& operator>>(short& value);
    // When rows is -1, counts the rows that read() would still return and stores them in
    // rows; the read position is kept.
    void count_items();
    void close();

   private:
    std::string lineRest;  // the unread rest of the current header line
    bool open_ = false;
    std::int64_t line_ = 0;    // number of the line last read, for messages
    bool commaNoted_ = false;  // a decimal comma was reported for this file
    // Says once for the file, naming it and the line, that a word is a number written with a
    // decimal comma.
    void noteDecimalComma(std::string_view word);
    void readIgorHeader();
    double nextSelected();
};

}  // namespace vornex
