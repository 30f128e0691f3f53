// Location of the data files the library reads (component tables, saturation tables).
#pragma once

#include <optional>
#include <string>

namespace vornex {

// Returns the path of a data file named relative to the data folder ("compo/H2O",
// "satu0"). A name that exists relative to the working directory wins, so the relative
// names the models use keep working from a folder that carries its own data; then the
// installed data folder beside the running program, then the folders registered with
// addDataDirectory, then the build tree. Only regular files count. When none has it, the
// name is returned unchanged so the caller's "not found" message names it; such a name is
// for messages, never for opening (readDataFile in FileReader.h reads a data file and opens
// nothing it did not find).
std::string findDataFile(const std::string& relativeName);
// The path findDataFile gives when it found the file; nothing when it did not.
std::optional<std::string> locateDataFile(const std::string& relativeName);

// Adds a folder searched right after the one beside the running program: a program built
// against an installed library registers that installation's data folder this way.
// Returns true, so a namespace-scope constant can do it at start-up.
bool addDataDirectory(const std::string& folder);

// Folders searched after the working directory, in order.
const char* installedDataDirectory();
const char* sourceDataDirectory();

}  // namespace vornex
