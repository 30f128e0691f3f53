// User preferences that outlive a session, kept as a property list in a small file under the
// user's configuration folder ($XDG_CONFIG_HOME/vornex/defaults.plist, or
// ~/.config/vornex/defaults.plist). A missing file is an empty set of preferences; a corrupt
// one is reported by load() and read as empty, and is replaced at the next save. A sound one
// holding values a preference cannot (dates, sets) is reported and read as empty too, but
// never replaced: save() refuses, so that nothing in it is lost. Colours are
// stored as keyed-archive data of one colour, as the plot views read them.
#pragma once

#include <optional>
#include <string>

#include "platform/AtomicFileWriter.h"
#include "platform/Color.h"
#include "platform/PlistValue.h"

namespace vornex {

// Keys the views read.
namespace defaults {
inline constexpr const char* backColorMarginArea = "backColorMarginArea";
inline constexpr const char* backColorPlotArea = "backColorPlotArea";
}  // namespace defaults

class UserDefaults {
   public:
    // Preferences kept in `file`; nothing is read until load().
    explicit UserDefaults(std::string file);

    // The shared preferences in the default file, loaded on first use.
    static UserDefaults& standard();
    // Points the shared preferences at another file and loads it (tests use a scratch
    // folder); returns the outcome of the load.
    static IoResult useStandardFile(const std::string& file);
    // $XDG_CONFIG_HOME/vornex/defaults.plist when XDG_CONFIG_HOME is an absolute path, else
    // $HOME/.config/vornex/defaults.plist; empty when neither variable is usable.
    static std::string defaultFile();

    // Reads the file. A missing file gives empty preferences and Ok; an unreadable or corrupt
    // one gives empty preferences and the failure.
    IoResult load();
    // Writes all preferences (creating the folder if needed), atomically; refuses, keeping the
    // file there, preferences that would not read back as they are (text that is not UTF-8 or
    // holds a zero character, values nested too deeply).
    IoResult save() const;

    bool contains(const std::string& key) const { return values_.contains(key); }
    // The stored value; a null value when absent.
    const PlistValue& value(const std::string& key) const { return values_.get(key); }
    // Stores any value that a property list holds (colours are archived to data first).
    void set(const std::string& key, const PlistValue& v);

    std::optional<double> doubleValue(const std::string& key) const;
    std::optional<std::int64_t> integerValue(const std::string& key) const;
    std::optional<std::string> stringValue(const std::string& key) const;
    std::optional<Bytes> dataValue(const std::string& key) const;

    // A colour stored as keyed-archive data; nothing when absent or unreadable.
    std::optional<Color> colorValue(const std::string& key) const;
    Color colorValue(const std::string& key, const Color& fallback) const {
        return colorValue(key).value_or(fallback);
    }
    void setColor(const std::string& key, const Color& c);

    const PlistValue& all() const { return values_; }

   private:
    std::string file_;
    // Why the file there must be left as it is; empty when a save may replace it.
    std::string keep_;
    PlistValue values_ = PlistValue::dictionary();
};

}  // namespace vornex
