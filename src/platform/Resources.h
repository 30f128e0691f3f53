// Resources of the application (data tables, images, window descriptions) looked up by name:
// in the working directory, the installed data folder and the build tree (findDataFile), each
// first under "resources/" and then directly.
#pragma once

#include <optional>
#include <string>

#include "platform/AtomicFileWriter.h"

namespace vornex {

class Resources {
   public:
    // The path of resource `name` with extension `type` (none when empty); empty when there
    // is no such file.
    static std::string pathForResource(const std::string& name, const std::string& type = "");
    // The whole resource; nothing when it is missing or unreadable.
    static std::optional<Bytes> dataForResource(const std::string& name,
                                                const std::string& type = "");
};

}  // namespace vornex
