#include <gtest/gtest.h>

#include <cstdlib>
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
    if (oldXdg) {
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
}  // namespace vornex
