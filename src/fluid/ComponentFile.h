// Reader of the component data files under data/compo/: the standard-state table
// "compo/standard.txt" (records "name a b H0 S0 alias", a leading "#" token ignored) and the
// keyword files "compo/<name>" (a keyword followed by its values, unknown tokens skipped).
// Files are found through findDataFile, so a "compo/" folder in the working directory wins,
// and read whole through the one file reader: a FIFO, device or folder of that name, or a
// file above the limit for component files, is refused with a message on standard error.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vornex {

// One record of "compo/standard.txt", in the file's units (calories).
struct StandardRecord {
    std::string name;
    double a = 0.0;   // Cp constant, cal/(mol K)
    double b = 0.0;   // Cp slope per 100 K, cal/(mol K)
    double H0 = 0.0;  // cal/mol at 298.15 K
    double S0 = 0.0;  // cal/(mol K) at 298.15 K
    std::string alias;
};

// One key of a keyword file and the variable its value goes to.
struct ComponentKey {
    const char* key;
    double* value;
};

class ComponentFile {
   public:
    // Reads the data file named relative to the data folder ("compo/H2O"). A file that is
    // there but refused is reported on standard error; a missing one is left to the caller.
    explicit ComponentFile(const std::string& relativeName);

    bool isOpen() const { return open_; }
    const std::string& path() const { return path_; }

    // Next whitespace-separated token; false at the end of the file.
    bool nextToken(std::string& token);
    // Next token as a number; false at the end or when it is not wholly a finite number in
    // decimal.
    bool nextNumber(double& value);
    // Next record of the standard-state table; false at the end of the file or at a record
    // that does not parse (reported on standard error with the file name).
    bool nextStandardRecord(StandardRecord& record);
    // Reads the keyword file to its end: a token equal to one of the keys stores the number
    // after it in that key's variable. The molar mass (kg/mol) is written "M" in some files
    // and "mw" in others: a key "mw" also takes the value after "M", and a key "M" the value
    // after "mw". A token beginning with "#" starts a comment that runs to the end of its
    // line. A value that does not parse is reported on standard error and leaves its
    // variable unchanged. Returns how many values were stored.
    // A molar mass is refused (reported with the file and line, its variable unchanged)
    // unless it lies within kLightestMolarMass to kHeaviestMolarMass kg/mol.
    int readKeys(const std::vector<ComponentKey>& keys);
    // Whether readKeys refused the molar mass: the file is then none to compute with.
    bool refusedMolarMass() const { return refused_; }

    // Bounds no real component's molar mass leaves (hydrogen 0.002, heavy oils below 1 kg/mol).
    static constexpr double kLightestMolarMass = 1e-3, kHeaviestMolarMass = 2.0;

   private:
    std::string path_;
    std::string text_;
    std::size_t next_ = 0;  // position of the next unread character of text_
    std::size_t tokenStart_ = 0;  // position of the last token read, for messages
    bool open_ = false;
    bool refused_ = false;

    long lineOfToken() const;

    int nextChar();
};

}  // namespace vornex
