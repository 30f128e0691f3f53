#include "fluid/ComponentFile.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "numerics/DataPath.h"
#include "numerics/FileReader.h"

namespace vornex {

ComponentFile::ComponentFile(const std::string& relativeName) : path_(findDataFile(relativeName)) {
    const FileRead read = readDataFile(relativeName, kComponentFileLimit, text_);
    open_ = read.ok();
    if (read.status != FileReadStatus::Ok && read.status != FileReadStatus::NotFound)
        vornex::cfprintf(stderr, "%s\n", read.message.c_str());
}

int ComponentFile::nextChar() {
    return next_ < text_.size() ? static_cast<unsigned char>(text_[next_++]) : EOF;
}

bool ComponentFile::nextToken(std::string& token) {
    token.clear();
    if (!open_) return false;
    int c;
    while ((c = nextChar()) != EOF && std::isspace(static_cast<unsigned char>(c))) {
    }
    if (c == EOF) return false;
    tokenStart_ = next_ - 1;
    // Tokens are short words and numbers; a bound keeps a damaged file from growing one
    // without limit.
    constexpr size_t kLongestToken = 256;
    do {
        if (token.size() < kLongestToken) token.push_back(static_cast<char>(c));
    } while ((c = nextChar()) != EOF && !std::isspace(static_cast<unsigned char>(c)));
    // The separator stays unread, so that a reader can tell where the line ends.
    if (c != EOF) --next_;
    return true;
}

bool ComponentFile::nextNumber(double& value) {
    std::string token;
    if (!nextToken(token)) return false;
    // Decimal only, as every other reader takes numbers: strtod would also read "0x10" as 16.
    if (token.find_first_not_of("0123456789.eE+-") != std::string::npos) return false;
    char* end = nullptr;
    const double v = vornex::cstrtod(token.c_str(), &end);
    if (end == token.c_str() || *end != '\0' || !std::isfinite(v)) return false;
    value = v;
    return true;
}

long ComponentFile::lineOfToken() const {
    const auto end = text_.begin() + static_cast<std::ptrdiff_t>(std::min(tokenStart_, text_.size()));
    return 1 + static_cast<long>(std::count(text_.begin(), end, '\n'));
}

bool ComponentFile::nextStandardRecord(StandardRecord& record) {
    std::string token;
    if (!nextToken(token)) return false;
    if (token == "#" && !nextToken(token)) return false;
    record.name = token;
    if (!nextNumber(record.a) || !nextNumber(record.b) || !nextNumber(record.H0) ||
        !nextNumber(record.S0) || !nextToken(record.alias)) {
        vornex::cfprintf(stderr, "%s: the record of %s is incomplete or not numeric\n", path_.c_str(),
                     record.name.c_str());
        return false;
    }
    return true;
}

int ComponentFile::readKeys(const std::vector<ComponentKey>& keys) {
    // The two spellings of the molar mass name one quantity.
    auto sameKey = [](const char* key, const std::string& token) {
        if (token == key) return true;
        const bool molarMass = std::strcmp(key, "mw") == 0 || std::strcmp(key, "M") == 0;
        return molarMass && (token == "mw" || token == "M");
    };
    int stored = 0;
    std::string token;
    while (nextToken(token)) {
        if (token[0] == '#') {
            int c;
            while ((c = nextChar()) != EOF && c != '\n') {
            }
            continue;
        }
        for (const ComponentKey& k : keys) {
            if (!sameKey(k.key, token)) continue;
            const bool molarMass = sameKey("M", token);
            double value;
            if (!nextNumber(value)) {
                vornex::cfprintf(stderr, "%s, line %ld: the value of %s is missing or not numeric\n",
                             path_.c_str(), lineOfToken(), token.c_str());
            } else if (molarMass && !(value >= kLightestMolarMass && value <= kHeaviestMolarMass)) {
                // A molar mass typed in g/mol (16.043 for methane) would make every density a
                // thousand times too large.
                vornex::cfprintf(stderr,
                             "%s, line %ld: the molar mass %g kg/mol lies outside %g to %g kg/mol, "
                             "where every component's lies\n",
                             path_.c_str(), lineOfToken(), value, kLightestMolarMass,
                             kHeaviestMolarMass);
                refused_ = true;
            } else {
                *k.value = value;
                ++stored;
            }
            break;
        }
    }
    return stored;
}

}  // namespace vornex
