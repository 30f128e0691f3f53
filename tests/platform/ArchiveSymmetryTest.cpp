// What the archive reader opens, the writer saves, and what the writer saves, the reader
// opens: XML text that is not UTF-8 (or refers to no character) is refused at opening, naming
// the place; a sixteen-byte integer is read as the file holds it or refused, never modulo
// 2^64; the writer refuses, before the file there is replaced, the nesting, classes and
// sharing its reader refuses; a file whose name is as long as a name may be saves. Plain
// property lists (the preferences) are written in either form exactly as deep as they are
// read, never with text their reader refuses, and the XML form keeps the sign of zero.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/KeyedArchiver.h"
#include "platform/PlistNode.h"
#include "platform/PlistTree.h"
#include "support/HostileFiles.h"
#include "support/Mutants.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPlaceholder = "ABCDEFGHIJKLMNOP";

PlistValue oneCaseList() {
    PlistValue c = PlistValue::dictionary();
    c.set("name", "Run 1");
    c.set("comment", "brine");
    c.set("Tm", 300.5);
    c.set("logx", true);
    return PlistValue::array({c});
}

Bytes xmlFormOf(const Bytes& binary) {
    std::string error;
    return PlistNode::parse(binary, error).toXml();
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// ------------------------------------------------------------------------------ XML text

TEST(XmlTextNotUtf8, RefusedAtOpeningWithThePlaceNamed) {
    const Bytes xml = xmlFormOf(KeyedArchiver::archivedData(oneCaseList(), "list"));
    const std::string text(xml.begin(), xml.end());
    const struct {
        const char* what;
        std::string from, to;
    } bad[] = {
        {"a Latin-1 byte", "Run 1", "caf\xe9"},
        {"an overlong zero", "Run 1", "a\xc0\x80"},
        {"a surrogate in UTF-8", "Run 1", "\xed\xa0\x80"},
        {"a cut sequence", "brine", "\xe2\x88"},
        {"a key the user cannot edit", "<string>Tm</string>", "<string>ThLi\xf1</string>"},
        {"a surrogate reference", "Run 1", "&#xD800;"},
        {"a decimal surrogate reference", "Run 1", "&#56320;"},
        {"a control character", "brine", "&#1;"},
        {"a reference beyond Unicode", "brine", "&#x110000;"},
        {"a non-character", "brine", "&#xFFFF;"},
        {"the other non-character", "brine", "&#xFFFE;"},
        // Past 64 bits these would wrap round to "A".
        {"a hex reference too long to hold", "brine", "&#x10000000000000041;"},
        {"a decimal reference too long to hold", "brine", "&#18446744073709551681;"},
    };
    for (const auto& b : bad) {
        const Bytes mutant = testing::withText(xml, b.from, b.to);
        ASSERT_NE(mutant, xml) << b.what;
        // The line of the change, as the message must name it.
        const std::size_t at = text.find(b.from) + (b.from[0] == '<' ? 9 : 0);
        const std::string line =
            "line " + std::to_string(1 + std::count(text.begin(), text.begin() + long(at), '\n'));
        KeyedUnarchiver u(mutant);
        EXPECT_FALSE(u.ok()) << b.what;
        EXPECT_NE(u.error().find(line + ", column "), std::string::npos)
            << b.what << ": " << u.error();
        PlistValue plain;
        EXPECT_FALSE(parsePlist(mutant, plain)) << b.what;
    }
    // Valid text and references to characters read, and save again.
    const Bytes good =
        testing::withText(testing::withText(xml, "Run 1", "caf\xc3\xa9 &#xE9;&#233; &#x1F4A7;&#xFFFD;&#x10FFFF;"),
                          "brine", "<![CDATA[&#xD800;]]>");
    IoResult r;
    const PlistValue back = KeyedUnarchiver::unarchivedValue(good, "list", &r);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(back.at(0).get("name").toString(), "caf\xc3\xa9 \xc3\xa9\xc3\xa9 \xf0\x9f\x92\xa7\xef\xbf\xbd\xf4\x8f\xbf\xbf");
    EXPECT_EQ(back.at(0).get("comment").toString(), "&#xD800;");
    IoResult saved;
    EXPECT_FALSE(KeyedArchiver::archivedData(back, "list", &saved).empty()) << saved.message;
}

// ------------------------------------------------------------------------------ integers

TEST(SixteenByteIntegers, ReadAsTheFileHoldsThemOrRefused) {
    PlistValue top = oneCaseList();
    top.mutableItems()->at(0).set("note", kPlaceholder);
    const Bytes archive = KeyedArchiver::archivedData(top, "list");
    const std::uint64_t all = ~std::uint64_t{0}, sign = std::uint64_t{1} << 63;
    const struct {
        const char* what;
        std::uint64_t high, low;
        bool held;
        std::int64_t value;
    } cases[] = {
        {"5", 0, 5, true, 5},
        {"-1", all, all, true, -1},
        {"2^63 - 1", 0, sign - 1, true, std::numeric_limits<std::int64_t>::max()},
        {"-2^63", all, sign, true, std::numeric_limits<std::int64_t>::min()},
        {"2^64 + 5", 1, 5, false, 0},
        {"2^64", 1, 0, false, 0},
        {"2^120", std::uint64_t{1} << 56, 0, false, 0},
        {"2^63", 0, sign, false, 0},
        {"-2^63 - 1", all, sign - 1, false, 0},
    };
    for (const auto& c : cases) {
        const Bytes b = testing::withSixteenByteInteger(archive, kPlaceholder, c.high, c.low);
        ASSERT_NE(b, archive);
        IoResult r;
        const PlistValue list = KeyedUnarchiver::unarchivedValue(b, "list", &r);
        PlistValue plain;
        const IoResult plainRead = parsePlist(b, plain);
        if (c.held) {
            ASSERT_TRUE(r.ok()) << c.what << ": " << r.message;
            EXPECT_EQ(list.at(0).get("note"), PlistValue(c.value)) << c.what;
            EXPECT_TRUE(plainRead.ok()) << c.what << ": " << plainRead.message;
            // Saved and opened again, the value is the same.
            EXPECT_EQ(
                KeyedUnarchiver::unarchivedValue(KeyedArchiver::archivedData(list, "list"), "list"),
                list)
                << c.what;
        } else {
            EXPECT_NE(r.message.find("beyond the range"), std::string::npos)
                << c.what << ": " << r.message;
            EXPECT_FALSE(plainRead.ok()) << c.what;
        }
    }
}

TEST(SixteenByteIntegers, AnUnsignedReadingHoldsTwoToTheSixtyThirdAndNoNegative) {
    for (const auto& [high, low, expected] :
         {std::tuple{std::uint64_t{0}, std::uint64_t{1} << 63,
                     std::optional<std::uint64_t>(std::uint64_t{1} << 63)},
          std::tuple{~std::uint64_t{0}, ~std::uint64_t{0}, std::optional<std::uint64_t>()}}) {
        Bytes b = {'b', 'p', 'l', 'i', 's', 't', '0', '0', 0x14};
        for (std::uint64_t half : {high, low})
            for (int k = 7; k >= 0; --k) b.push_back(std::uint8_t(half >> (8 * k)));
        const std::uint8_t trailer[32] = {0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1,
                                          0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 25};
        b.push_back(8);
        b.insert(b.end(), trailer, trailer + 32);
        std::string why;
        ASSERT_TRUE(PlistNode::checkBinary(b, why)) << why;
        const auto tree = PlistTree::ofCheckedBinary(b);
        EXPECT_EQ(tree->unsignedValue(tree->root()), expected);
    }
}

TEST(ArchiveIntegers, NegativeValuesAndTheExtremesRoundTrip) {
    PlistValue c = PlistValue::object("CCount");
    const std::int64_t values[] = {-1, -70000, std::numeric_limits<std::int64_t>::min(),
                                   std::numeric_limits<std::int64_t>::max(), 0};
    PlistValue in = PlistValue::array();
    for (std::int64_t v : values) {
        c.set("v" + std::to_string(in.size()), v);
        in.append(v);
    }
    const PlistValue top = PlistValue::array({c, in});
    const Bytes binary = KeyedArchiver::archivedData(top, "list");
    for (const Bytes& form : {binary, xmlFormOf(binary)}) {
        IoResult r;
        EXPECT_EQ(KeyedUnarchiver::unarchivedValue(form, "list", &r), top) << r.message;
    }
}

// ------------------------------------------------------------------------ writer refusals

// `levels` containers of the kind, each holding the next, the innermost holding a number.
PlistValue nestedLevels(int levels, PlistValue::Type kind) {
    PlistValue v = 1.5;
    for (int i = 0; i < levels; ++i) {
        if (kind == PlistValue::Type::Array) {
            PlistValue a = PlistValue::array();
            a.append(std::move(v));
            v = std::move(a);
        } else {
            PlistValue d = kind == PlistValue::Type::Object ? PlistValue::object("CLevel")
                                                            : PlistValue::dictionary();
            d.set("in", std::move(v));
            v = std::move(d);
        }
    }
    return v;
}

class WriterRefusals : public ::testing::Test {
   protected:
    void SetUp() override {
        fs::remove_all(folder_);
        fs::create_directory(folder_);
        ASSERT_TRUE(KeyedArchiver::archiveToFile(path_, oneCaseList(), "list").ok());
        before_ = fileText(path_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Saved over the file and opened again the same, or refused with the file as it was and
    // nothing left beside it; whether it was saved.
    bool saveOrRefuse(const PlistValue& v, const std::string& what) {
        const IoResult r = KeyedArchiver::archiveToFile(path_, v, "list");
        if (r.ok()) {
            IoResult back;
            EXPECT_EQ(KeyedUnarchiver::unarchivedValueFromFile(path_, "list", &back), v)
                << what << ": " << back.message;
            EXPECT_TRUE(KeyedArchiver::archiveToFile(path_, oneCaseList(), "list").ok());
            return true;
        }
        EXPECT_NE(r.message.find("cannot be archived"), std::string::npos) << what << r.message;
        EXPECT_EQ(fileText(path_), before_) << what;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1)
            << what;
        return false;
    }

    const std::string folder_ = "writer-refusals", path_ = folder_ + "/doc.wyvra";
    std::string before_;
};

TEST_F(WriterRefusals, NestingTheReaderRefusesIsNotSavedAndNestingItReadsIs) {
    // The deepest nesting saved is the deepest read; one level more is refused before the
    // file is touched.
    for (const auto kind :
         {PlistValue::Type::Array, PlistValue::Type::Dictionary, PlistValue::Type::Object}) {
        int deepest = 0;
        for (int levels = 200; levels < 520; ++levels) {
            if (!saveOrRefuse(nestedLevels(levels, kind), "nesting " + std::to_string(levels)))
                break;
            deepest = levels;
        }
        EXPECT_GT(deepest, kind == PlistValue::Type::Object ? 250 : 500);
        std::printf("deepest nesting saved and read: %d levels\n", deepest);
        EXPECT_FALSE(saveOrRefuse(nestedLevels(deepest + 1, kind), "one level more"));
        // Far deeper values are refused without exhausting the stack.
        EXPECT_FALSE(saveOrRefuse(nestedLevels(20000, kind), "20,000 levels"));
    }
}

TEST_F(WriterRefusals, ObjectsTheReaderDecodesAsOtherValuesAreNotSaved) {
    PlistValue withField = PlistValue::object("NSString");
    withField.set("NS.string", "x");
    // A colour the reader cannot draw keeps its fields (its components are written by
    // reference, never as the inline data a drawn colour holds), so it reads back as saved.
    PlistValue colourWithField = PlistValue::object("NSColor");
    colourWithField.set("NSWhite", 0.5);
    PlistValue rgbFields = PlistValue::object("NSColor");
    rgbFields.set("NSColorSpace", 1);
    rgbFields.set("NSRGB", Bytes{'1', ' ', '0', ' ', '0', 0});
    PlistValue classField = PlistValue::object("CCase");
    classField.set("$class", 1.0);
    for (const PlistValue& refused :
         {PlistValue::object(""), PlistValue::object("NSArray"),
          PlistValue::object("NSMutableDictionary"), PlistValue::object("NSData"), withField,
          classField})
        EXPECT_FALSE(saveOrRefuse(PlistValue::array({1.0, refused}), refused.className()));
    PlistValue plain = PlistValue::object("CCase");
    plain.set("T", 1.0);
    for (const PlistValue& kept : {PlistValue::object("NSColor"), colourWithField, rgbFields, plain})
        EXPECT_TRUE(saveOrRefuse(PlistValue::array({kept}), kept.className()));
}

TEST_F(WriterRefusals, SharedTextExpandingBeyondTheReadersBudgetIsNotSaved) {
    // One text of 250 bytes (longer ones are stored at each place), referenced n times: a
    // byte or two each in the file, some 400 bytes each once read. The most references saved
    // still read; one more is refused.
    const std::string text(250, 'x');
    auto list = [&text](std::size_t n) { return PlistValue::array(PlistValue::Array(n, text)); };
    std::size_t lo = 1, hi = 200000;
    ASSERT_TRUE(KeyedArchiver::archivedData(list(hi), "list").empty());
    ASSERT_FALSE(KeyedArchiver::archivedData(list(lo), "list").empty());
    while (hi - lo > 1) {
        const std::size_t mid = (lo + hi) / 2;
        (KeyedArchiver::archivedData(list(mid), "list").empty() ? hi : lo) = mid;
    }
    EXPECT_TRUE(saveOrRefuse(list(lo), "the most references saved"));
    EXPECT_FALSE(saveOrRefuse(list(hi), "one reference more"));
    IoResult r;
    KeyedArchiver::archivedData(list(hi), "list", &r);
    EXPECT_NE(r.message.find("beyond the memory"), std::string::npos) << r.message;
    std::printf("a text of 250 bytes saves %zu times\n", lo);
}

// A text of a megabyte repeated in a hundred cases once made a file of 1.1 MB that the
// reader would expand to 100 MB, so the writer refused it: longer texts are stored at each
// place, and the list saves and reads back equal.
TEST_F(WriterRefusals, LongTextRepeatedInManyCasesIsSavedAndReadBack) {
    PlistValue c = oneCaseList().at(0);
    c.set("comment", std::string(1 << 20, 'c'));
    const PlistValue list = PlistValue::array(PlistValue::Array(100, c));
    EXPECT_TRUE(saveOrRefuse(list, "a hundred cases of a 1 MB comment"));
}

TEST_F(WriterRefusals, AnArchiveLargerThanItsReaderOpensIsNotSaved) {
    if (testing::kSanitizerBuild) GTEST_SKIP() << "some 800 MB, too much beside the sanitizer";
    const PlistValue large = PlistValue::array({Bytes(kDocumentFileLimit)});
    const IoResult r = KeyedArchiver::archiveToFile(path_, large, "list");
    EXPECT_NE(r.message.find("more than the " + std::to_string(kDocumentFileLimit)),
              std::string::npos)
        << r.message;
    EXPECT_EQ(fileText(path_), before_);
}

// ------------------------------------------------------------------------ long file names

TEST_F(WriterRefusals, NamesAsLongAsTheFileSystemAllowsSave) {
    // ASCII names up to 255 bytes, and one of two-byte characters whose temporary must be
    // cut between characters.
    std::vector<std::string> names;
    for (std::size_t n : {200u, 241u, 244u, 250u, 255u})
        names.push_back(std::string(n - 6, 'n') + ".wyvra");
    std::string wide;
    while (wide.size() + 2 <= 255 - 6) wide += "\xc3\xa9";
    names.push_back(wide + ".wyvra");
    names.push_back("x" + wide + ".wyvra");
    for (const std::string& name : names) {
        const std::string path = folder_ + "/" + name;
        const IoResult r = KeyedArchiver::archiveToFile(path, oneCaseList(), "list");
        ASSERT_TRUE(r.ok()) << name.size() << " bytes: " << r.message;
        IoResult back;
        EXPECT_EQ(KeyedUnarchiver::unarchivedValueFromFile(path, "list", &back), oneCaseList())
            << back.message;
        // Saved again over itself: replaced, nothing left beside it.
        PlistValue changed = oneCaseList();
        changed.mutableItems()->at(0).set("name", "Run 2");
        ASSERT_TRUE(KeyedArchiver::archiveToFile(path, changed, "list").ok());
        EXPECT_EQ(KeyedUnarchiver::unarchivedValueFromFile(path, "list"), changed);
        // A failed save of a long name keeps the file.
        const std::string saved = fileText(path);
        EXPECT_FALSE(KeyedArchiver::archiveToFile(path, PlistValue::array({"\xff"}), "list").ok());
        EXPECT_EQ(fileText(path), saved);
        fs::remove(path);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1)
            << name.size() << " bytes";
    }
    // A name longer than a name may be is refused with the system's reason.
    const IoResult r =
        KeyedArchiver::archiveToFile(folder_ + "/" + std::string(256, 'n'), oneCaseList(), "list");
    EXPECT_NE(r.message.find("too long"), std::string::npos) << r.message;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

// ---------------------------------------------------------------------------- plain lists

// libplist's own writer, which writes whatever it is given: what the reader makes of a list
// the project's writer refuses.
Bytes unguardedForm(int levels, PlistFormat format) {
    plist_t v = plist_new_uint(7);
    for (int k = 0; k < levels; ++k) {
        plist_t a = plist_new_array();
        plist_array_append_item(a, v);
        v = a;
    }
    const PlistNode node(v);
    return format == PlistFormat::Binary ? node.toBinary() : node.toXml();
}

TEST(PlainLists, EachFormIsWrittenAsDeepAsItIsReadAndNoDeeper) {
    for (const PlistFormat format : {PlistFormat::Binary, PlistFormat::Xml}) {
        for (const auto kind : {PlistValue::Type::Array, PlistValue::Type::Dictionary}) {
            int deepest = 0;
            for (int levels = 500; levels < 520; ++levels) {
                IoResult made;
                const PlistValue v = nestedLevels(levels, kind);
                const Bytes bytes = serializePlist(v, format, &made);
                if (!made) {
                    EXPECT_NE(made.message.find("nest too deeply"), std::string::npos);
                    EXPECT_TRUE(bytes.empty());
                    break;
                }
                PlistValue back;
                ASSERT_TRUE(parsePlist(bytes, back)) << levels;
                EXPECT_EQ(back, v) << levels;
                deepest = levels;
            }
            EXPECT_GE(deepest, 510);
            PlistValue back;
            EXPECT_FALSE(parsePlist(unguardedForm(deepest + 1, format), back)) << deepest;
        }
        // Far deeper values are refused without exhausting the stack.
        IoResult made;
        EXPECT_TRUE(
            serializePlist(nestedLevels(20000, PlistValue::Type::Array), format, &made).empty());
        EXPECT_FALSE(made);
    }
}

// Truth values are written as such in either form; a colour, which a plain list has no type
// for, is written as the data of its keyed archive, and that archive reads back as the colour
// in its space.
TEST(PlainLists, TruthValuesAndColoursReadBack) {
    const Color tint = Color::deviceRGB(0.25, 0.5, 0.75, 0.125);
    const Color ink = Color::calibratedRGB(1, 0, 0.5);
    PlistValue v = PlistValue::dictionary();
    v.set("on", PlistValue(true));
    v.set("off", PlistValue(false));
    v.set("tint", PlistValue(tint));
    v.set("ink", PlistValue(ink));
    for (const PlistFormat format : {PlistFormat::Binary, PlistFormat::Xml}) {
        SCOPED_TRACE(format == PlistFormat::Binary ? "binary" : "XML");
        IoResult made;
        const Bytes bytes = serializePlist(v, format, &made);
        ASSERT_TRUE(made.ok()) << made.message;
        PlistValue back;
        ASSERT_TRUE(parsePlist(bytes, back));
        EXPECT_EQ(back.size(), 4u);
        EXPECT_EQ(back.get("on").size(), 0u);  // a scalar holds no entries
        ASSERT_EQ(back.get("on").type(), PlistValue::Type::Bool);
        EXPECT_TRUE(back.get("on").toBool());
        ASSERT_EQ(back.get("off").type(), PlistValue::Type::Bool);
        EXPECT_FALSE(back.get("off").toBool());
        for (const auto& [key, colour] : {std::pair{"tint", tint}, std::pair{"ink", ink}}) {
            SCOPED_TRACE(key);
            ASSERT_EQ(back.get(key).type(), PlistValue::Type::Data);
            const KeyedUnarchiver archive(back.get(key).toData());
            ASSERT_TRUE(archive.ok()) << archive.error();
            Color read = Color::black();
            ASSERT_TRUE(archive.decodeColor("root", read));
            EXPECT_EQ(read, colour);
            // Another key, or a value of another kind, leaves the colour as it was.
            Color kept = Color::white();
            EXPECT_FALSE(archive.decodeColor("none", kept));
            EXPECT_EQ(kept, Color::white());
        }
    }
}

TEST(PlainLists, TextTheReaderRefusesIsNotWritten) {
    for (const PlistFormat format : {PlistFormat::Binary, PlistFormat::Xml})
        for (const std::string& text : {std::string("a\0b", 3), std::string("caf\xe9"),
                                        std::string("\xc0\x80"), std::string("\xed\xb0\x80")}) {
            PlistValue asValue = PlistValue::dictionary(), asKey = PlistValue::dictionary();
            asValue.set("k", text);
            asKey.set(text, 1);
            for (const PlistValue& v : {asValue, asKey}) {
                IoResult made;
                EXPECT_TRUE(serializePlist(v, format, &made).empty());
                EXPECT_FALSE(made) << text;
            }
            // An entry with no value is left out of the list, its key with it: the rest is
            // written and reads back.
            PlistValue leftOut = PlistValue::dictionary();
            leftOut.set("k", 1);
            leftOut.set(text, PlistValue());
            IoResult made;
            const Bytes bytes = serializePlist(leftOut, format, &made);
            ASSERT_TRUE(made) << made.message;
            PlistValue back;
            ASSERT_TRUE(parsePlist(bytes, back));
            EXPECT_EQ(back.get("k").toInteger(), 1);
            EXPECT_EQ(back.entries().size(), 1u);
        }
}

TEST(XmlForm, TheSignOfZeroReadsBackInArchivesAndPlainLists) {
    const PlistValue numbers = PlistValue::array({-0.0, 0.0, -4.9e-324, -0.0});
    auto signs = [](const PlistValue& list) {
        std::vector<bool> negative;
        for (const PlistValue& x : list.items()) negative.push_back(std::signbit(x.toDouble()));
        return negative;
    };
    const std::vector<bool> expected = {true, false, true, true};
    const Bytes archive = xmlFormOf(KeyedArchiver::archivedData(numbers, "list"));
    IoResult read;
    EXPECT_EQ(signs(KeyedUnarchiver::unarchivedValue(archive, "list", &read)), expected)
        << read.message;
    PlistValue plain;
    ASSERT_TRUE(parsePlist(serializePlist(numbers, PlistFormat::Xml), plain));
    EXPECT_EQ(signs(plain), expected);
}

}  // namespace
}  // namespace vornex
