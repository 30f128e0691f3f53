#include "water/IgorOpener.h"
#include "numerics/Decimal.h"

#include <atomic>
#include <cstdio>
#include <memory>

#include "fluid/OutputFiles.h"
#include "numerics/ConsoleInput.h"
#include "numerics/Launcher.h"
#include "platform/Utf8.h"

namespace vornex {

namespace {
std::atomic<bool> sOpenerEnabled{false};
std::atomic<unsigned long> sOpenFailures{0};
}  // namespace

void setIgorOpenerEnabled(bool enabled) {
    sOpenerEnabled = enabled;
}

bool igorOpenerEnabled() {
    return sOpenerEnabled;
}

int openIgorScript(const std::string& file) {
    if (!igorOpenerEnabled()) return -1;
    const std::string program = findOnPath("xdg-open");
    if (program.empty()) {
        vornex::cfprintf(stderr, "xdg-open not found on the PATH; %s not opened\n", file.c_str());
        ++sOpenFailures;
        return -1;
    }
    const int status = spawnAndWait(program, {"xdg-open", file});
    if (status != 0) {
        // A status of -1 (not started, or killed) was said by the launcher.
        if (status > 0)
            vornex::cfprintf(stderr, "xdg-open could not open %s (exit status %d)\n", file.c_str(),
                         status);
        ++sOpenFailures;
    }
    return status;
}

unsigned long igorOpenFailures() {
    return sOpenFailures;
}

std::string igorFolder() {
    std::unique_ptr<char[]> folder(getMacIgorDir());
    return folder.get();
}

const char* igorStringRefusal(std::string_view text) {
    for (unsigned char c : text) {
        if (c == '\n' || c == '\r') return "holds a line break";
        if (c < 0x20 || c == 0x7f) return "holds a control character";
    }
    // Igor reads its scripts as UTF-8: bytes that are no character would arrive as others.
    if (utf8::firstInvalid(text) != text.size()) return "is not valid UTF-8";
    return nullptr;
}

std::string igorStringContents(std::string_view text) {
    std::string contents;
    contents.reserve(text.size());
    for (char c : text) {
        if (c == '\\' || c == '"') contents.push_back('\\');
        contents.push_back(c);
    }
    return contents;
}

bool igorScriptFolder(const char* who, std::string& contents) {
    const std::string folder = igorFolder();
    if (const char* why = igorStringRefusal(folder)) {
        std::string shown;
        for (unsigned char c : folder) shown += (c < 0x20 || c >= 0x7f) ? '?' : char(c);
        vornex::cfprintf(stderr,
                     "%s refused: the working folder \"%s\" %s, which an Igor script cannot "
                     "carry in its path command; nothing was written (work in a folder without "
                     "one)\n",
                     who, shown.c_str(), why);
        return false;
    }
    contents = igorStringContents(folder);
    return true;
}

bool scriptDataWritten(unsigned long failedBefore, const char* script) {
    if (OutputFiles::failures() == failedBefore) return true;
    vornex::cfprintf(stderr, "%s not written: a data file it loads could not be written\n", script);
    return false;
}

}  // namespace vornex
