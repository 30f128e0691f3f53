#include "platform/Resources.h"

#include <filesystem>

#include "numerics/DataPath.h"

namespace vornex {

std::string Resources::pathForResource(const std::string& name, const std::string& type) {
    if (name.empty()) return {};
    std::string file = type.empty() ? name : name + "." + type;
    for (const std::string& candidate : {"resources/" + file, file}) {
        std::string found = findDataFile(candidate);
        std::error_code ec;
        if (std::filesystem::is_regular_file(found, ec)) return found;
    }
    return {};
}

std::optional<Bytes> Resources::dataForResource(const std::string& name, const std::string& type) {
    std::string path = pathForResource(name, type);
    if (path.empty()) return std::nullopt;
    Bytes bytes;
    if (!readFileBytes(path, bytes)) return std::nullopt;
    return bytes;
}

}  // namespace vornex
