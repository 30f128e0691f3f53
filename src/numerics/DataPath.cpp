#include "numerics/DataPath.h"

#include <filesystem>
#include <system_error>

namespace vornex {

namespace fs = std::filesystem;

const char* installedDataDirectory() { return VORNEX_INSTALL_DATA_DIR; }
const char* sourceDataDirectory() { return VORNEX_SOURCE_DATA_DIR; }

static bool isFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

// The data folder relative to the running executable: <prefix>/bin/prog ->
// <prefix>/share/vornex, so a relocated installation finds its own data.
static fs::path dataBesideExecutable() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path().parent_path() / "share" / "vornex";
}

std::string findDataFile(const std::string& relativeName) {
    if (relativeName.empty()) return relativeName;
    fs::path name(relativeName);
    if (name.is_absolute() || isFile(name)) return relativeName;
    const fs::path candidates[] = {dataBesideExecutable(), fs::path(installedDataDirectory()),
                                   fs::path(sourceDataDirectory())};
    for (const fs::path& dir : candidates) {
        if (dir.empty()) continue;
        fs::path p = dir / name;
        if (isFile(p)) return p.string();
    }
    return relativeName;
}

}  // namespace vornex
