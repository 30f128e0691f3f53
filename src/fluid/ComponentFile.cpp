#include "fluid/ComponentFile.h"

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
        std::fprintf(stderr, "%s\n", read.message.c_str());
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
    char* end = nullptr;
    const double v = std::strtod(token.c_str(), &end);
    if (end == token.c_str() || *end != '\0' || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool ComponentFile::nextStandardRecord(StandardRecord& record) {
    std::string token;
    if (!nextToken(token)) return false;
    if (token == "#" && !nextToken(token)) return false;
    record.name = token;
    if (!nextNumber(record.a) || !nextNumber(record.b) || !nextNumber(record.H0) ||
        !nextNumber(record.S0) || !nextToken(record.alias)) {
        std::fprintf(stderr, "%s: the record of %s is incomplete or not numeric\n", path_.c_str(),
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
            double value;
            if (nextNumber(value)) {
                *k.value = value;
                ++stored;
            } else {
                std::fprintf(stderr, "%s: the value of %s is missing or not numeric\n",
                             path_.c_str(), token.c_str());
            }
            break;
        }
    }
    return stored;
}

}  // namespace vornex
