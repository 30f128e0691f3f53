#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"

#include <cstdarg>
#include <cstring>

namespace vornex {

CurveOutput::CurveOutput(char channel, CurveArray* array) : channel_(channel), array_(array) {}

CurveOutput::~CurveOutput() {
    close();
}

bool CurveOutput::open(std::string_view name) {
    if (!writesFile()) return true;
    name_ = std::string(name);
    closed_ = false;
    gathered_.clear();
    if (channel_ == kBinaryGathered) {
        // The file is written whole at the end; refuse a bad name now, not after the trace.
        failed_ = !OutputFiles::isValidName(name);
        if (failed_) file_.open(name);  // reports the refusal
        return !failed_;
    }
    failed_ = !file_.open(
        name, channel_ == kBinaryStreamed ? OutputFile::Mode::Stream : OutputFile::Mode::Replace);
    return !failed_;
}

bool CurveOutput::open(std::string_view prefix, const char* suffix, std::string_view ending) {
    if (!writesFile()) return true;
    std::string_view s = suffix == nullptr ? "" : suffix;
    if (!OutputFiles::checkSuffix(s)) {
        failed_ = true;
        return false;
    }
    return open(std::string(prefix) + std::string(s) + std::string(ending));
}

std::FILE* CurveOutput::stream() const {
    if (!isText()) return nullptr;
    return external_ != nullptr ? external_ : file_.stream();
}

void CurveOutput::print(const char* format, ...) {
    std::FILE* out = stream();
    if (out == nullptr) return;
    va_list args;
    va_start(args, format);
    vornex::vcfprintf(out, format, args);
    va_end(args);
}

void CurveOutput::row(std::span<const double> values) {
    const std::size_t bytes = values.size() * sizeof(double);
    if (channel_ == kCurveArray) {
        if (array_ != nullptr) array_->insert(array_->end(), values.begin(), values.end());
    } else if (channel_ == kBinaryStreamed) {
        file_.write(values.data(), bytes);
    } else if (channel_ == kBinaryGathered && !failed_ && !closed_ && !name_.empty()) {
        // Gathered only while the block still has a file to go to.
        const auto* first = reinterpret_cast<const std::byte*>(values.data());
        gathered_.insert(gathered_.end(), first, first + bytes);
    }
}

bool CurveOutput::close() {
    if (closed_) return !failed_;
    closed_ = true;
    if (!writesFile() || failed_ || name_.empty()) return !failed_;
    if (channel_ == kBinaryGathered) {
        failed_ = !OutputFiles::writeWholeFile(name_, gathered_);
        gathered_.clear();
        gathered_.shrink_to_fit();
    } else {
        failed_ = !file_.commit();
    }
    return !failed_;
}

void CurveOutput::abandon() {
    if (closed_) return;
    closed_ = true;
    gathered_.clear();
    if (channel_ != kBinaryGathered) file_.abandon();
}

}  // namespace vornex
