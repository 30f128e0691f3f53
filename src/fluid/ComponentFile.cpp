#include "fluid/ComponentFile.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "numerics/DataPath.h"

namespace vornex {

ComponentFile::ComponentFile(const std::string& relativeName) : path_(findDataFile(relativeName)) {
    file_ = std::fopen(path_.c_str(), "rt");
}

ComponentFile::~ComponentFile() {
    if (file_) std::fclose(file_);
}

bool ComponentFile::nextToken(std::string& token) {
    token.clear();
    if (!file_) return false;
    int c;
    while ((c = std::fgetc(file_)) != EOF && std::isspace(static_cast<unsigned char>(c))) {
    }
    if (c == EOF) return false;
    // Tokens are short words and numbers; a bound keeps a damaged file from growing one
    // without limit.
    constexpr size_t kLongestToken = 256;
    do {
        if (token.size() < kLongestToken) token.push_back(static_cast<char>(c));
    } while ((c = std::fgetc(file_)) != EOF && !std::isspace(static_cast<unsigned char>(c)));
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

}  // namespace vornex
