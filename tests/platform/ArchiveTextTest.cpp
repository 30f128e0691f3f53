// Text in keyed archives: every string a case may hold comes back as it was typed, the nil
// marker's own text included; text that cannot come back (a zero character, bytes that are
// not UTF-8) makes the save fail with a reason, and the file saved before stays as it was; an
// XML document that an editor began with a byte-order mark opens.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/KeyedArchiver.h"
#include "platform/PlistNode.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;

PlistValue caseNamed(const std::string& name, const std::string& comment) {
    PlistValue c = PlistValue::dictionary();
    c.set("name", name);
    c.set("comment", comment);
    c.set("Tm", 400.0);
    return c;
}

PlistValue reopened(const std::string& path, IoResult& r) {
    return KeyedUnarchiver::unarchivedValueFromFile(path, "list", &r);
}

bool holdsHiddenFile(const fs::path& folder) {
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string()[0] == '.') return true;
    return false;
}

TEST(ArchiveText, TheNilMarkersTextReadsBackAsTypedInNamesKeysAndLists) {
    PlistValue odd = caseNamed("$null", "$null");
    odd.set("$null", "$null");
    odd.set("notes", PlistValue::array({"$null", PlistValue(), "$nul", "$null "}));
    const PlistValue list = PlistValue::array({caseNamed("first", ""), odd});
    const Bytes binary = KeyedArchiver::archivedData(list, "list");
    std::string error;
    for (const Bytes& form : {binary, PlistNode::parse(binary, error).toXml()}) {
        IoResult r;
        const PlistValue back = KeyedUnarchiver::unarchivedValue(form, "list", &r);
        ASSERT_TRUE(r.ok()) << r.message;
        EXPECT_EQ(back, list);
        EXPECT_EQ(back.at(1).get("name").toString(), "$null");
    }
    // A nil value still reads as nil, and the archive keeps its platform layout.
    KeyedUnarchiver u(binary);
    EXPECT_TRUE(u.decodeObject("list").at(1).get("notes").at(1).isNull());
}

TEST(ArchiveText, EveryStringACaseMayHoldRoundTripsThroughTheFile) {
    const std::string path = "text-round-trip.wyvra";
    const std::vector<std::string> texts = {
        "",
        "Run 1",
        std::string(300, 'x'),
        "Halit\xC3\xA9",                          // two-byte UTF-8
        "\xE2\x88\x92\xE2\x82\xAC \xEF\xBB\xBF",  // three bytes, a byte order mark inside
        "\xEF\xBF\xBF\xEF\xBF\xBE",               // U+FFFF, U+FFFE
        "\xF0\x9F\x92\xA7\xF4\x8F\xBF\xBF",       // beyond the basic plane, U+10FFFF
        "tab\tline\nend\x7F",
        // The first and last character of each length, and those beside the surrogates.
        "\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBD\xF0\x90\x80\x80",
        "\xED\x9F\xBF\xEE\x80\x80",  // U+D7FF, U+E000
    };
    PlistValue list = PlistValue::array();
    for (const std::string& t : texts) {
        PlistValue c = caseNamed(t, t + t);
        c.set(t.empty() ? "empty" : t, t);
        list.append(std::move(c));
    }
    ASSERT_TRUE(KeyedArchiver::archiveToFile(path, list, "list").ok());
    IoResult r;
    EXPECT_EQ(reopened(path, r), list);
    EXPECT_TRUE(r.ok()) << r.message;
}

TEST(ArchiveText, TextThatCannotReadBackFailsTheSaveAndKeepsTheFile) {
    fs::create_directory("text-refused");
    const std::string path = "text-refused/doc.wyvra";
    const PlistValue good = PlistValue::array({caseNamed("kept", "as saved")});
    ASSERT_TRUE(KeyedArchiver::archiveToFile(path, good, "list").ok());
    const struct {
        const char* label;
        std::string text;
        const char* said;
    } bad[] = {
        {"zero character", std::string("a\0b", 3), "zero character"},
        {"zero alone", std::string(1, '\0'), "zero character"},
        {"Latin-1 byte", "bad\xFF", "not valid UTF-8"},
        {"lone continuation", "\x80x", "not valid UTF-8"},
        {"cut sequence", "\xE2\x88", "not valid UTF-8"},
        {"overlong slash", "\xC0\xAF", "not valid UTF-8"},
        {"encoded surrogate", "\xED\xA0\x80", "not valid UTF-8"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "not valid UTF-8"},
        {"last surrogate", "\xED\xBF\xBF", "not valid UTF-8"},
        {"overlong U+007F", "\xC1\xBF", "not valid UTF-8"},
        {"overlong U+07FF", "\xE0\x9F\xBF", "not valid UTF-8"},
        {"overlong U+FFFF", "\xF0\x8F\xBF\xBF", "not valid UTF-8"},
    };
    for (const auto& b : bad) {
        for (int where = 0; where < 3; ++where) {
            PlistValue c = caseNamed("n", "c");
            if (where == 0) c.set("name", b.text);
            if (where == 1) c.set("comment", "ok " + b.text);
            if (where == 2) c.set(b.text, 1.0);  // as a key
            const IoResult saved = KeyedArchiver::archiveToFile(
                path, PlistValue::array({caseNamed("x", "y"), c}), "list");
            EXPECT_EQ(saved.status, IoStatus::InvalidData) << b.label << " " << where;
            EXPECT_NE(saved.message.find(b.said), std::string::npos) << saved.message;
            EXPECT_NE(saved.message.find("doc.wyvra"), std::string::npos) << saved.message;
            IoResult r;
            EXPECT_EQ(reopened(path, r), good) << b.label << ": " << r.message;
            IoResult made;
            EXPECT_TRUE(KeyedArchiver::archivedData(c, "list", &made).empty()) << b.label;
            EXPECT_EQ(made.status, IoStatus::InvalidData) << b.label;
        }
    }
    EXPECT_FALSE(holdsHiddenFile("text-refused"));
}

// Regression: an XML document beginning with the UTF-8 byte-order mark (as some editors save
// text) was refused as "not a property list". It opens as without the mark; the mark alone,
// or one inside the text, is still no property list.
TEST(ArchiveText, AnXmlDocumentBeginningWithAByteOrderMarkOpens) {
    const PlistValue list = PlistValue::array({caseNamed("Run 1", "brine \xC3\xA0 30 %")});
    std::string error;
    const Bytes xml = PlistNode::parse(KeyedArchiver::archivedData(list, "list"), error).toXml();
    ASSERT_EQ(std::string(xml.begin(), xml.begin() + 5), "<?xml") << error;
    const Bytes mark = {0xEF, 0xBB, 0xBF};
    Bytes marked = mark;
    marked.insert(marked.end(), xml.begin(), xml.end());
    IoResult r;
    EXPECT_EQ(KeyedUnarchiver::unarchivedValue(marked, "list", &r), list);
    EXPECT_TRUE(r.ok()) << r.message;
    Bytes twice = mark;
    twice.insert(twice.end(), marked.begin(), marked.end());
    for (const Bytes& refused : {Bytes(mark.begin(), mark.end()), twice}) {
        EXPECT_FALSE(PlistNode::parse(refused, error)) << refused.size();
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace vornex
