#include "ShellSupport.h"

#include <cmath>
#include <cctype>
#include <filesystem>

#include "workbench/MyDocument.h"

namespace vornex::shell {

std::uint32_t modifierFlags(unsigned gdkState) {
    std::uint32_t flags = 0;
    if (gdkState & gdkmask::shift) flags |= modifiers::shift;
    if (gdkState & gdkmask::control) flags |= modifiers::control;
    if (gdkState & gdkmask::alt) flags |= modifiers::option;
    if (gdkState & gdkmask::super) flags |= modifiers::command;
    return flags;
}

std::optional<int> tableKeyCode(unsigned keyval) {
    // Key values of gdk/gdkkeysyms.h.
    switch (keyval) {
        case 0xff50: case 0xff95: return 115;  // Home, KP_Home
        case 0xff57: case 0xff9c: return 119;  // End, KP_End
        case 0xff54: case 0xff99: return keycodes::downArrow;
        case 0xff52: case 0xff97: return keycodes::upArrow;
        case 0xffff: case 0xff9f: return keycodes::deleteForward;
        case 0xff08: return keycodes::deleteBackward;
        case 0xff8d: return 76;  // KP_Enter
        default: return std::nullopt;
    }
}

Point viewPoint(double x, double y, double height) {
    return {x, height - y};
}

int ClickCounter::press(std::uint32_t timeMs, Point p) {
    const bool follows = mLastTime && timeMs >= *mLastTime && timeMs - *mLastTime <= mInterval &&
                         std::fabs(p.x - mLast.x) <= mDistance &&
                         std::fabs(p.y - mLast.y) <= mDistance;
    mCount = follows ? mCount + 1 : 1;
    mLastTime = timeMs;
    mLast = p;
    return mCount;
}

std::string windowTitle(const std::string& path, bool edited, int untitledNumber) {
    std::string name = path.empty() ? std::string("Untitled")
                                    : std::filesystem::path(path).filename().string();
    if (path.empty() && untitledNumber > 1) name += " " + std::to_string(untitledNumber);
    return (edited ? "*" : "") + name + " \u2013 Wyvra";
}

std::string gioActionName(const std::string& documentAction) {
    std::string name = "doc-";
    for (char c : documentAction)
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_')
            name += c == '_' ? '-' : c;
    return name;
}

std::string nameWithType(const std::string& name, const std::string& type) {
    const std::string suffix = "." + type;
    const bool has = name.size() > suffix.size() &&
                     name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    return has || type.empty() ? name : name + suffix;
}

std::string withDocumentExtension(const std::string& path) {
    const std::string ext = std::string(".") + MyDocument::kFileExtension;
    if (std::filesystem::path(path).extension().empty()) return path + ext;
    return path;
}

std::string replacedWithoutAsking(const std::string& chosen, const std::string& target) {
    if (target == chosen) return {};
    // A file that cannot be looked at counts as there: nothing is risked on a guess.
    std::error_code ec;
    if (std::filesystem::symlink_status(target, ec).type() == std::filesystem::file_type::not_found)
        return {};
    const std::string name = std::filesystem::path(target).filename().string();
    return "Nothing was written: \u201c" + name + "\u201d is already there, and the file " +
           "chosen was \u201c" + std::filesystem::path(chosen).filename().string() +
           "\u201d. Choose \u201c" + name + "\u201d itself to replace it, or another name.";
}

}  // namespace vornex::shell
