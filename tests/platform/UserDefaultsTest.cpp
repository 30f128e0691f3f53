#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <filesystem>
#include <fstream>

#include "platform/KeyedArchiver.h"
#include "platform/UserDefaults.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;

class UserDefaultsTest : public ::testing::Test {
   protected:
    void SetUp() override {
        // A folder of its own per test, not created yet.
        dir_ = fs::current_path() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        file_ = (dir_ / "vornex" / "defaults.plist").string();
    }
    fs::path dir_;
    std::string file_;
};

TEST_F(UserDefaultsTest, ValuesAndColoursRoundTripThroughTheFile) {
    {
        UserDefaults d(file_);
        ASSERT_TRUE(d.load());  // no file yet: empty, not a failure
        EXPECT_FALSE(d.contains(defaults::backColorPlotArea));
        d.setColor(defaults::backColorMarginArea, Color::deviceRGB(0.9, 0.8, 0.7));
        d.setColor(defaults::backColorPlotArea, Color::calibratedRGB(0.6, 1, 1, 0.5));
        d.set("ticks", 11);
        d.set("font", "Courier New");
        IoResult r = d.save();  // creates the folder
        ASSERT_TRUE(r.ok()) << r.message;
    }
    UserDefaults d(file_);
    ASSERT_TRUE(d.load());
    EXPECT_EQ(d.colorValue(defaults::backColorMarginArea), Color::deviceRGB(0.9, 0.8, 0.7));
    EXPECT_EQ(d.colorValue(defaults::backColorPlotArea), Color::calibratedRGB(0.6, 1, 1, 0.5));
    EXPECT_EQ(d.integerValue("ticks"), 11);
    EXPECT_EQ(d.stringValue("font"), "Courier New");
    EXPECT_FALSE(d.colorValue("font"));
    // The colours are keyed-archive data of one colour, as the views read them.
    std::optional<Bytes> data = d.dataValue(defaults::backColorMarginArea);
    ASSERT_TRUE(data);
    EXPECT_EQ(KeyedUnarchiver::unarchivedValue(*data).toColor(), Color::deviceRGB(0.9, 0.8, 0.7));
}

TEST_F(UserDefaultsTest, CorruptFileIsReportedReadAsEmptyAndReplaced) {
    fs::create_directories(dir_ / "vornex");
    { std::ofstream(file_) << "<?xml version=\"1.0\"?><plist><dict><key>x</key><inte"; }
    UserDefaults d(file_);
    IoResult r = d.load();
    EXPECT_EQ(r.status, IoStatus::InvalidData);
    EXPECT_NE(r.message.find(file_), std::string::npos);
    EXPECT_EQ(d.all().size(), 0u);
    d.set("ticks", 3);
    ASSERT_TRUE(d.save());
    UserDefaults again(file_);
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.integerValue("ticks"), 3);
    // A file that is a property list but not a dictionary is refused as well.
    { std::ofstream(file_) << "<?xml version=\"1.0\"?><plist><array/></plist>"; }
    EXPECT_FALSE(again.load());
    // A colour entry holding garbage reads as no colour.
    again.set(defaults::backColorMarginArea, Bytes{1, 2, 3});
    EXPECT_FALSE(again.colorValue(defaults::backColorMarginArea));
}

TEST_F(UserDefaultsTest, SharedPreferencesFollowTheChosenFile) {
    UserDefaults d(file_);
    d.setColor(defaults::backColorPlotArea, Color::deviceRGB(0.2, 0.3, 0.4));
    ASSERT_TRUE(d.save());
    ASSERT_TRUE(UserDefaults::useStandardFile(file_));
    EXPECT_EQ(UserDefaults::standard().colorValue(defaults::backColorPlotArea),
              Color::deviceRGB(0.2, 0.3, 0.4));
    ASSERT_TRUE(UserDefaults::useStandardFile((dir_ / "none.plist").string()));
    EXPECT_FALSE(UserDefaults::standard().contains(defaults::backColorPlotArea));
}

TEST_F(UserDefaultsTest, UnwritableFolderIsReported) {
    fs::create_directories(dir_);
    { std::ofstream(dir_ / "vornex") << "a file where the folder should be"; }
    UserDefaults d(file_);
    d.set("ticks", 1);
    IoResult r = d.save();
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.message.empty());
}

TEST_F(UserDefaultsTest, DefaultFileFollowsTheConfigurationFolder) {
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    std::string saved = oldXdg ? oldXdg : "";
    ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    EXPECT_EQ(UserDefaults::defaultFile(), file_);
    ::setenv("XDG_CONFIG_HOME", "relative/path", 1);  // ignored: not absolute
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    if (!home.empty()) {
        EXPECT_EQ(UserDefaults::defaultFile(),
                  (fs::path(home) / ".config" / "vornex" / "defaults.plist").string());
    }
    // Without a home folder there is no file: nothing to read, and a save says why.
    ::unsetenv("HOME");
    EXPECT_EQ(UserDefaults::defaultFile(), "");
    UserDefaults homeless(UserDefaults::defaultFile());
    EXPECT_TRUE(homeless.load().ok());
    homeless.set("ratio", PlistValue(0.5));
    const IoResult unsaved = homeless.save();
    EXPECT_EQ(unsaved.status, IoStatus::OpenFailed);
    EXPECT_NE(unsaved.message.find("HOME is not set"), std::string::npos) << unsaved.message;
    if (!home.empty()) ::setenv("HOME", home.c_str(), 1);
    if (oldXdg) {
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

// Numbers at the ends of the double range and their special values, the integer extremes,
// long and non-ASCII text and empty collections come back from the file as they were saved,
// the sign of a negative zero included.
TEST_F(UserDefaultsTest, SpecialNumbersTextsAndEmptyValuesReadBackAsSaved) {
    const double numbers[] = {-0.0,
                              4.9e-324,
                              2.2250738585072009e-308,
                              1e308,
                              std::numeric_limits<double>::max(),
                              -std::numeric_limits<double>::max(),
                              0.1,
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::quiet_NaN()};
    PlistValue list = PlistValue::array();
    for (double x : numbers) list.append(x);
    UserDefaults d(file_);
    d.set("numbers", list);
    d.set("least", std::numeric_limits<std::int64_t>::min());
    d.set("most", std::numeric_limits<std::int64_t>::max());
    std::string longText(100000, 'w');
    longText += "\xe2\x82\xac";  // appended: GCC 12 misreads a literal added to a temporary
    d.set("long", longText);
    d.set("caf\xc3\xa9 \xf0\x9f\x98\x80", "\xce\xb1\xce\xb2 <&> ]]> \t\r\n");
    d.set("", "");
    d.set("emptyList", PlistValue::array());
    d.set("emptyDictionary", PlistValue::dictionary());
    d.set("emptyData", Bytes{});
    ASSERT_TRUE(d.save());
    UserDefaults back(file_);
    ASSERT_TRUE(back.load());
    EXPECT_EQ(back.all(), d.all());
    const PlistValue& read = back.value("numbers");
    ASSERT_EQ(read.size(), std::size(numbers));
    for (std::size_t i = 0; i < std::size(numbers); ++i)
        EXPECT_EQ(std::signbit(read.at(i).toDouble()), std::signbit(numbers[i])) << numbers[i];
}

// Preferences their reader would refuse or read back changed are not saved: the save fails
// with the reason and the file there stays as it was, so that no preference is lost.
TEST_F(UserDefaultsTest, PreferencesThatWouldNotReadBackAreRefusedAndTheFileKept) {
    {
        UserDefaults d(file_);
        d.set("ticks", 11);
        ASSERT_TRUE(d.save());
    }
    std::ifstream in(file_, std::ios::binary);
    const std::string before(std::istreambuf_iterator<char>(in), {});
    PlistValue deep = 1;
    for (int k = 0; k < 600; ++k) deep = PlistValue::array({deep});
    const struct {
        const char* what;
        std::string key;
        PlistValue value;
        const char* said;
    } refused[] = {
        {"a zero character", "font", std::string("Cour\0ier", 8), "holds a zero character"},
        {"Latin-1 text", "font", std::string("caf\xe9"), "is not valid UTF-8"},
        {"an overlong form", "font", std::string("\xc0\x80"), "is not valid UTF-8"},
        {"a surrogate", "font", std::string("\xed\xa0\x80"), "is not valid UTF-8"},
        {"a Latin-1 key", "caf\xe9", 1, "is not valid UTF-8"},
        {"nesting", "deep", deep, "nest too deeply"},
    };
    for (const auto& c : refused) {
        UserDefaults d(file_);
        ASSERT_TRUE(d.load());
        d.set(c.key, c.value);
        const IoResult r = d.save();
        EXPECT_FALSE(r.ok()) << c.what;
        EXPECT_NE(r.message.find(c.said), std::string::npos) << c.what << ": " << r.message;
        std::ifstream again(file_, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), before) << c.what;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "vornex"), fs::directory_iterator()),
                  1)
            << c.what;
    }
    UserDefaults kept(file_);
    ASSERT_TRUE(kept.load());
    EXPECT_EQ(kept.integerValue("ticks"), 11);
}

// A number stored as a real or an integer reads as a double, and nothing else does.
TEST_F(UserDefaultsTest, NumbersReadAsDoublesAndOtherValuesAsNone) {
    UserDefaults d(file_);
    d.set("width", 2.5);
    d.set("ticks", 11);
    d.set("font", "Courier New");
    EXPECT_EQ(d.doubleValue("width"), 2.5);
    EXPECT_EQ(d.doubleValue("ticks"), 11.0);
    EXPECT_FALSE(d.doubleValue("font"));
    EXPECT_FALSE(d.doubleValue("absent"));
}

}  // namespace
}  // namespace vornex
