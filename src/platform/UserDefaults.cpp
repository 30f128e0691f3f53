#include "platform/UserDefaults.h"
#include "numerics/Decimal.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/KeyedArchiver.h"

namespace vornex {

namespace fs = std::filesystem;

UserDefaults::UserDefaults(std::string file) : file_(std::move(file)) {}

std::string UserDefaults::defaultFile() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // The base-directory convention ignores relative paths.
    if (xdg && *xdg && fs::path(xdg).is_absolute())
        return (fs::path(xdg) / "vornex" / "defaults.plist").string();
    const char* home = std::getenv("HOME");
    if (home && *home) return (fs::path(home) / ".config" / "vornex" / "defaults.plist").string();
    return {};
}

UserDefaults& UserDefaults::standard() {
    static UserDefaults shared = [] {
        UserDefaults d(defaultFile());
        // A missing, corrupt or refused file leaves the built-in values in force; only a
        // file that is there and cannot be used is worth a word.
        if (IoResult r = d.load(); !r)
            vornex::cfprintf(stderr, "%s; the built-in preferences are used\n", r.message.c_str());
        return d;
    }();
    return shared;
}

IoResult UserDefaults::useStandardFile(const std::string& file) {
    UserDefaults& shared = standard();
    shared.file_ = file;
    return shared.load();
}

IoResult UserDefaults::load() {
    values_ = PlistValue::dictionary();
    keep_.clear();
    if (file_.empty()) return {};
    // No file is the usual first start; a link to a missing file is reported by the reader.
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(file_, ec))) return {};
    Bytes bytes;
    if (IoResult r = readFileBytes(file_, bytes, kPreferencesFileLimit); !r) {
        r.message = "preferences: " + r.message;
        return r;
    }
    PlistValue parsed;
    IoResult r = parsePlist(bytes, parsed);
    if (r && !parsed.isDictionary())
        r = IoResult::failure(IoStatus::InvalidData, "the preferences are not a dictionary");
    if (!r) {
        if (r.status == IoStatus::NotKept) keep_ = r.message;
        r.message = "cannot read the preferences in '" + file_ + "': " + r.message;
        return r;
    }
    values_ = std::move(parsed);
    return {};
}

IoResult UserDefaults::save() const {
    if (file_.empty())
        return IoResult::failure(IoStatus::OpenFailed,
                                 "no folder for the preferences (HOME is not set)");
    if (!keep_.empty())
        return IoResult::failure(IoStatus::WriteFailed, "the preferences in '" + file_ +
                                                            "' are left as they are: " + keep_);
    // Preferences their reader would refuse or read changed are not written: the file there
    // stays as it was.
    IoResult made;
    const Bytes bytes = serializePlist(values_, PlistFormat::Xml, &made);
    if (!made) {
        made.message = "the preferences in '" + file_ + "' " + made.message;
        return made;
    }
    std::error_code ec;
    fs::path dir = fs::path(file_).parent_path();
    if (!dir.empty()) fs::create_directories(dir, ec);
    if (ec)
        return IoResult::failure(IoStatus::OpenFailed,
                                 "cannot create '" + dir.string() + "': " + ec.message());
    return writeFileAtomically(file_, bytes);
}

void UserDefaults::set(const std::string& key, const PlistValue& v) {
    if (v.type() == PlistValue::Type::Color) {
        setColor(key, v.toColor());
        return;
    }
    values_.set(key, v);
}

std::optional<double> UserDefaults::doubleValue(const std::string& key) const {
    const PlistValue& v = value(key);
    if (!v.isNumber()) return std::nullopt;
    return v.toDouble();
}

std::optional<std::int64_t> UserDefaults::integerValue(const std::string& key) const {
    const PlistValue& v = value(key);
    if (!v.isNumber()) return std::nullopt;
    return v.toInteger();
}

std::optional<std::string> UserDefaults::stringValue(const std::string& key) const {
    const PlistValue& v = value(key);
    if (!v.isString()) return std::nullopt;
    return v.toString();
}

std::optional<Bytes> UserDefaults::dataValue(const std::string& key) const {
    const PlistValue& v = value(key);
    if (v.type() != PlistValue::Type::Data) return std::nullopt;
    return v.toData();
}

std::optional<Color> UserDefaults::colorValue(const std::string& key) const {
    std::optional<Bytes> data = dataValue(key);
    if (!data) return std::nullopt;
    PlistValue v = KeyedUnarchiver::unarchivedValue(*data);
    if (v.type() != PlistValue::Type::Color) return std::nullopt;
    return v.toColor();
}

void UserDefaults::setColor(const std::string& key, const Color& c) {
    values_.set(key, KeyedArchiver::archivedData(PlistValue(c)));
}

}  // namespace vornex
