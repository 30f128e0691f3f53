// Keyed archives: every value kind and nested containers written and read back (in memory
// and through files), the platform's archive layout, archives made by hand in the forms the
// platform writes, and damaged input of every kind refused without a crash.
#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <set>

#include "platform/KeyedArchiver.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;

// A list of cases as the document saves it.
PlistValue caseList() {
    PlistValue list = PlistValue::array();
    for (int i = 0; i < 3; ++i) {
        PlistValue c = PlistValue::dictionary();
        c.set("name", "case " + std::to_string(i));
        c.set("comment", i == 1 ? "" : "brine \xC3\xA0 30 %");
        c.set("T0", 300.0 + i);
        c.set("logx", i == 2);
        c.set("count", -7 * i);
        list.append(std::move(c));
    }
    return list;
}

Bytes archiveOf(const PlistValue& v, const std::string& key = "list") {
    KeyedArchiver a;
    a.encodeObject(key, v);
    return a.encodedData();
}

TEST(KeyedArchive, EveryScalarKindRoundTrips) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    const std::string degrees =
        "T \xC2\xB0"
        "C";
    KeyedArchiver a;
    a.encodeBool("yes", true);
    a.encodeInt("int", -123456789012345LL);
    a.encodeInt("max", kMax);
    a.encodeInt("min", kMin);
    a.encodeFloat("float", 0.1f);
    a.encodeDouble("double", 1.0 / 3.0);
    a.encodeDouble("tiny", -4.9e-324);
    a.encodeString("string", degrees);
    a.encodeData("data", Bytes{0, 1, 2, 0, 255});
    a.encodeColor("device", Color::deviceRGB(1, 1, 0.7));
    a.encodeColor("calibrated", Color::calibratedRGB(0.6, 1, 1, 0.25));
    Bytes bytes = a.encodedData();
    ASSERT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "bplist00");

    KeyedUnarchiver u(bytes);
    ASSERT_TRUE(u.ok()) << u.error();
    EXPECT_TRUE(u.decodeBool("yes"));
    EXPECT_EQ(u.decodeInt("int"), -123456789012345LL);
    EXPECT_EQ(u.decodeInt("max"), kMax);
    EXPECT_EQ(u.decodeInt("min"), kMin);
    EXPECT_EQ(u.decodeFloat("float"), 0.1f);
    EXPECT_EQ(u.decodeDouble("double"), 1.0 / 3.0);
    EXPECT_EQ(u.decodeDouble("tiny"), -4.9e-324);
    EXPECT_EQ(u.decodeString("string"), degrees);
    EXPECT_EQ(u.decodeData("data"), (Bytes{0, 1, 2, 0, 255}));
    EXPECT_EQ(u.decodeColor("device"), Color::deviceRGB(1, 1, 0.7));
    EXPECT_EQ(u.decodeColor("calibrated"), Color::calibratedRGB(0.6, 1, 1, 0.25));
    // Missing keys and other kinds read as zero, empty or the fallback.
    EXPECT_EQ(u.decodeInt("absent"), 0);
    EXPECT_EQ(u.decodeDouble("string"), 0.0);
    Color out = Color::green();
    EXPECT_FALSE(u.decodeColor("absent", out));
    EXPECT_EQ(out, Color::green());
}

TEST(KeyedArchive, NestedContainersRoundTripInMemoryAndThroughFiles) {
    PlistValue inner = PlistValue::dictionary();
    inner.set("colour", Color::blue());
    inner.set("points", PlistValue::array({1.5, -2.0, PlistValue::array({3, "x", Bytes{9}})}));
    inner.set("nothing", PlistValue());  // nil inside a dictionary
    PlistValue outer =
        PlistValue::array({inner, PlistValue::array(), PlistValue::dictionary(), true, caseList()});
    Bytes bytes = archiveOf(outer, "root");
    EXPECT_EQ(KeyedUnarchiver(bytes).decodeObject("root"), outer);
    EXPECT_EQ(KeyedUnarchiver::unarchivedValue(bytes), outer);

    const std::string path = "cases.vornex";
    ASSERT_TRUE(KeyedArchiver::archiveToFile(path, caseList(), "list"));
    KeyedUnarchiver u = KeyedUnarchiver::fromFile(path);
    ASSERT_TRUE(u.ok()) << u.error();
    PlistValue list = u.decodeObject("list");
    EXPECT_EQ(list, caseList());
    // Decoded lists are edited in place and written again.
    (*list.mutableItems())[1].set("T0", 25.0);
    KeyedArchiver a;
    a.encodeObject("list", list);
    ASSERT_TRUE(a.writeToFile(path));
    IoResult r;
    EXPECT_EQ(KeyedUnarchiver::unarchivedValueFromFile(path, "list", &r), list);
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(KeyedUnarchiver::unarchivedValueFromFile(path, "root", &r).isNull());
    EXPECT_EQ(r.status, IoStatus::InvalidData);
    EXPECT_NE(r.message.find(path), std::string::npos);
    // Files that cannot be written or read.
    EXPECT_EQ(a.writeToFile("missing/x.vornex").status, IoStatus::OpenFailed);
    EXPECT_FALSE(fs::exists("missing"));
    EXPECT_EQ(KeyedUnarchiver::fromFile("nothing.vornex").result().status, IoStatus::OpenFailed);
}

TEST(KeyedArchive, LargeDictionaryReadsInOnePass) {
    // Reading used to insert key by key with a search each, and to find each object by
    // index in libplist: both quadratic in the object count.
    PlistValue big = PlistValue::dictionary();
    std::vector<PlistValue::Entry> entries;
    for (int i = 0; i < 20000; ++i) entries.emplace_back("k" + std::to_string(i), i);
    big.setEntries(std::move(entries));
    EXPECT_EQ(KeyedUnarchiver::unarchivedValue(KeyedArchiver::archivedData(big)), big);
    // A repeated key keeps its first place and its last value.
    PlistValue d = PlistValue::dictionary();
    d.setEntries({{"a", 1}, {"b", 2}, {"a", 3}});
    EXPECT_EQ(d.keys(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(d.get("a").toInteger(), 3);
}

TEST(KeyedArchive, ArchiveHasThePlatformLayout) {
    PlistValue raw;
    ASSERT_TRUE(parsePlist(archiveOf(caseList()), raw));
    EXPECT_EQ(raw.get("$archiver").toString(), "NSKeyedArchiver");
    const PlistValue& objects = raw.get("$objects");
    std::set<std::string> classes;
    for (const PlistValue& o : objects.items())
        if (o.contains("$classname")) classes.insert(o.get("$classname").toString());
    EXPECT_TRUE(classes.count("NSMutableArray") && classes.count("NSMutableDictionary"));
}

// --------------------------------------------------------------- damaged input

TEST(DamagedArchive, GarbageIsRefusedWithAReason) {
    const std::string xml =
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><integer>1</integer></array></plist>";
    PlistValue fake = PlistValue::dictionary();
    fake.set("$archiver", "NSKeyedArchiver");
    fake.set("$objects", "not a list");
    const std::vector<Bytes> garbage = {
        {},
        Bytes{'b', 'p', 'l', 'i', 's', 't'},
        Bytes{'b', 'p', 'l', 'i', 's', 't', '0', '0', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
        Bytes(1000, 0xff),
        Bytes(xml.begin(), xml.end()),
        serializePlist(PlistValue::array({1, 2}), PlistFormat::Binary),
        serializePlist(fake, PlistFormat::Binary),
    };
    for (const Bytes& g : garbage) {
        KeyedUnarchiver u(g);
        EXPECT_EQ(u.result().status, IoStatus::InvalidData);
        EXPECT_FALSE(u.error().empty());
        EXPECT_TRUE(u.decodeObject("list").isNull());
    }
    IoResult why;
    EXPECT_TRUE(KeyedUnarchiver::unarchivedValue(archiveOf(caseList()), "root", &why).isNull());
    EXPECT_EQ(why.status, IoStatus::InvalidData);
}

TEST(DamagedArchive, EveryTruncationIsRefused) {
    const Bytes whole = archiveOf(caseList());
    for (std::size_t n = 0; n < whole.size(); ++n)
        EXPECT_FALSE(KeyedUnarchiver(Bytes(whole.begin(), whole.begin() + long(n))).ok()) << n;
}

TEST(DamagedArchive, StringWithZeroCharacterIsRefusedNotFatal) {
    // libplist aborts the program when asked for a string holding a zero character.
    for (const char* key : {"list", "name"}) {
        PlistValue d = PlistValue::dictionary();
        d.set("name", "abc#def");
        Bytes b = archiveOf(d, key);
        std::string text(b.begin(), b.end());
        std::size_t at = text.find(std::string(key) == "list" ? "abc#def" : "name");
        ASSERT_NE(at, std::string::npos);
        b[at + 3] = 0;
        KeyedUnarchiver u(b);
        EXPECT_NE(u.error().find("zero"), std::string::npos) << u.error();
    }
    const std::string xml =
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a&#x00;b</key>"
        "<string>x</string></dict></plist>";
    PlistValue out;
    EXPECT_FALSE(parsePlist(Bytes(xml.begin(), xml.end()), out));
}

TEST(DamagedArchive, PropertyListNestedBeyondTheStackIsRefusedNotFatal) {
    // libplist reads nested containers by recursion: 100000 levels overflow its stack.
    const std::uint32_t levels = 100000;
    Bytes b = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    std::vector<std::uint32_t> offsets;
    auto put32 = [&b](std::uint32_t v) {
        for (int k = 3; k >= 0; --k) b.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
    };
    for (std::uint32_t i = 0; i < levels; ++i) {
        offsets.push_back(static_cast<std::uint32_t>(b.size()));
        b.push_back(i + 1 < levels ? 0xA1 : 0xA0);  // an array of one element, the last empty
        if (i + 1 < levels) put32(i + 1);
    }
    auto table = static_cast<std::uint32_t>(b.size());
    for (std::uint32_t o : offsets) put32(o);
    std::uint8_t trailer[32] = {};
    trailer[6] = trailer[7] = 4;
    for (int k = 0; k < 4; ++k) {
        trailer[12 + k] = static_cast<std::uint8_t>(levels >> (8 * (3 - k)));
        trailer[28 + k] = static_cast<std::uint8_t>(table >> (8 * (3 - k)));
    }
    b.insert(b.end(), trailer, trailer + 32);
    PlistValue out;
    IoResult r = parsePlist(b, out);
    EXPECT_NE(r.message.find("deeply"), std::string::npos) << r.message;
    EXPECT_FALSE(KeyedUnarchiver(b).ok());
}

// ------------------------------------------- archives made by hand with libplist

plist_t dict(std::initializer_list<std::pair<const char*, plist_t>> items) {
    plist_t d = plist_new_dict();
    for (const auto& [key, value] : items) plist_dict_set_item(d, key, value);
    return d;
}
plist_t uids(std::initializer_list<uint64_t> refs) {
    plist_t a = plist_new_array();
    for (uint64_t r : refs) plist_array_append_item(a, plist_new_uid(r));
    return a;
}
plist_t classEntry(const char* name) {
    plist_t chain = plist_new_array();
    plist_array_append_item(chain, plist_new_string(name));
    plist_array_append_item(chain, plist_new_string("NSObject"));
    return dict({{"$classes", chain}, {"$classname", plist_new_string(name)}});
}
// An archive of "$null" and the given objects, its root the object `rootUid`.
Bytes handMade(const std::vector<plist_t>& objects, uint64_t rootUid, bool xml = false) {
    plist_t list = plist_new_array();
    plist_array_append_item(list, plist_new_string("$null"));
    for (plist_t o : objects) plist_array_append_item(list, o);
    plist_t root = dict({{"$archiver", plist_new_string("NSKeyedArchiver")},
                         {"$version", plist_new_uint(100000)},
                         {"$top", dict({{"root", plist_new_uid(rootUid)}})},
                         {"$objects", list}});
    char* out = nullptr;
    uint32_t length = 0;
    if (xml)
        plist_to_xml(root, &out, &length);
    else
        plist_to_bin(root, &out, &length);
    Bytes b(reinterpret_cast<std::uint8_t*>(out), reinterpret_cast<std::uint8_t*>(out) + length);
    std::free(out);
    plist_free(root);
    return b;
}

TEST(HandMadeArchive, PlatformColoursStringsAndDataAreRead) {
    KeyedUnarchiver u(
        handMade({dict({{"NS.objects", uids({2, 3, 4, 5})}, {"$class", plist_new_uid(6)}}),
                  // Colours with their components as the platform prints them.
                  dict({{"NSColorSpace", plist_new_uint(2)},  // device RGB
                        {"NSRGB", plist_new_data("1 1 0.7\0", 8)},
                        {"$class", plist_new_uid(7)}}),
                  dict({{"NSColorSpace", plist_new_uint(3)},  // calibrated white with alpha
                        {"NSWhite", plist_new_data("0.5 0.25\0", 9)},
                        {"$class", plist_new_uid(7)}}),
                  dict({{"NS.string", plist_new_string("comment")}, {"$class", plist_new_uid(8)}}),
                  plist_new_real(2.5), classEntry("NSArray"), classEntry("NSColor"),
                  classEntry("NSMutableString")},
                 1));
    ASSERT_TRUE(u.ok()) << u.error();
    PlistValue v = u.decodeObject("root");
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v.at(0).toColor(), Color::deviceRGB(1, 1, 0.7));
    EXPECT_EQ(v.at(1).toColor(), Color::calibratedRGB(0.5, 0.5, 0.5, 0.25));
    EXPECT_EQ(v.at(2).toString(), "comment");
    EXPECT_EQ(v.at(3).toDouble(), 2.5);
}

// A colour whose colour-space key was damaged (renamed, a text, a space without components)
// once opened as an empty colour and was saved so, its components gone: it keeps its fields,
// and saved again reads back equal.
TEST(HandMadeArchive, ColourThatCannotBeDrawnKeepsItsFields) {
    const struct {
        const char* name;
        plist_t space;
        const char* componentsKey;
    } cases[] = {{"NSColorSpacX", plist_new_uint(2), "NSRGB"},
                 {"NSColorSpace", plist_new_string("2"), "NSRGB"},
                 {"NSColorSpace", plist_new_uint(9), "NSRGB"},
                 {"NSColorSpace", plist_new_uint(1), "NSRGX"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.componentsKey);
        const Bytes file = handMade({dict({{c.name, c.space},
                                           {c.componentsKey, plist_new_data("1 0.5 0\0", 8)},
                                           {"$class", plist_new_uid(2)}}),
                                     classEntry("NSColor")},
                                    1);
        KeyedUnarchiver u(file);
        ASSERT_TRUE(u.ok()) << u.error();
        const PlistValue v = u.decodeObject("root");
        ASSERT_TRUE(v.isObject());
        EXPECT_EQ(v.className(), "NSColor");
        ASSERT_EQ(v.entries().size(), 2u);
        EXPECT_EQ(v.get(c.componentsKey).toData(), (Bytes{'1', ' ', '0', '.', '5', ' ', '0', 0}));
        const Bytes saved = KeyedArchiver::archivedData(v, "root");
        ASSERT_FALSE(saved.empty());
        EXPECT_EQ(KeyedUnarchiver::unarchivedValue(saved, "root"), v);
    }
}

// Components beyond 0 to 1 ("1.5 -0.2 0.3" was saved back as "1 0 0.3") or more of them
// than the colour space has: the colour keeps its fields as read, and is saved so.
TEST(HandMadeArchive, ColourWithComponentsItCannotHoldKeepsThem) {
    const struct {
        unsigned space;
        const char* key;
        std::string components;
    } cases[] = {{2, "NSRGB", "1.5 -0.2 0.3"},
                 {1, "NSRGB", "0.1 0.2 0.3 1 0.5"},
                 {3, "NSWhite", "0.5 1 0.25"},
                 {3, "NSWhite", "-0.5"},
                 {2, "NSRGB", "0.2 0.4 0.6 2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.components);
        const Bytes components(c.components.begin(), c.components.end() + 1);  // with its zero
        const Bytes file = handMade(
            {dict({{"NSColorSpace", plist_new_uint(c.space)},
                   {c.key, plist_new_data(reinterpret_cast<const char*>(components.data()),
                                          components.size())},
                   {"$class", plist_new_uid(2)}}),
             classEntry("NSColor")},
            1);
        const PlistValue v = KeyedUnarchiver::unarchivedValue(file, "root");
        ASSERT_TRUE(v.isObject());
        EXPECT_EQ(v.get(c.key).toData(), components);
        const PlistValue saved =
            KeyedUnarchiver::unarchivedValue(KeyedArchiver::archivedData(v, "root"), "root");
        EXPECT_EQ(saved.get(c.key).toData(), components);
    }
}

// The components of every colour entry of an archive, as another reader of the format (the
// libplist reader) finds them: the inline data of its "NSRGB" or "NSWhite" field, or "ref"
// where the field refers to another entry.
std::vector<std::string> colourComponentsSeenBy(const Bytes& archive) {
    plist_t root = nullptr;
    plist_from_bin(reinterpret_cast<const char*>(archive.data()),
                   static_cast<uint32_t>(archive.size()), &root);
    std::vector<std::string> seen;
    if (root == nullptr) return {"not read"};
    plist_t objects = plist_dict_get_item(root, "$objects");
    for (uint32_t i = 0; i < plist_array_get_size(objects); ++i) {
        plist_t entry = plist_array_get_item(objects, i);
        if (plist_get_node_type(entry) != PLIST_DICT) continue;
        plist_t cls = plist_dict_get_item(entry, "$class");
        uint64_t classIndex = 0;
        if (cls == nullptr || plist_get_node_type(cls) != PLIST_UID) continue;
        plist_get_uid_val(cls, &classIndex);
        plist_t name = plist_dict_get_item(plist_array_get_item(objects, uint32_t(classIndex)),
                                           "$classname");
        char* text = nullptr;
        plist_get_string_val(name, &text);
        const bool colour = text != nullptr && std::string(text) == "NSColor";
        std::free(text);
        if (!colour) continue;
        for (const char* key : {"NSRGB", "NSWhite"}) {
            plist_t comps = plist_dict_get_item(entry, key);
            if (comps == nullptr) continue;
            if (plist_get_node_type(comps) != PLIST_DATA) {
                seen.push_back("ref");
                continue;
            }
            char* bytes = nullptr;
            uint64_t length = 0;
            plist_get_data_val(comps, &bytes, &length);
            seen.emplace_back(bytes, length);
            std::free(bytes);
        }
    }
    plist_free(root);
    return seen;
}

// Regression: a colour with components beyond 0 to 1 or with more of them than its space has
// was saved with its components in an entry of their own, referred to, where another reader
// of the format finds no colour; in-range colours held them inline. Both hold them inline, as
// read, and read back as they were.
TEST(HandMadeArchive, ColourItCannotHoldIsSavedInlineAsOtherColoursAre) {
    const struct {
        unsigned space;
        const char* key;
        std::string components;
    } cases[] = {{2, "NSRGB", "1.5 0 0"},
                 {1, "NSRGB", "0.1 0.2 0.3 1 0.5"},
                 {3, "NSWhite", "-0.5"},
                 {4, "NSWhite", "0.5 1 0.25"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.components);
        const std::string stored = c.components + '\0';
        PlistValue colour = PlistValue::object("NSColor");
        colour.set("NSColorSpace", static_cast<std::int64_t>(c.space));
        colour.set(c.key, Bytes(stored.begin(), stored.end()));
        const PlistValue list = PlistValue::array({colour, Color::deviceRGB(0.2, 0.4, 0.6)});
        const Bytes saved = KeyedArchiver::archivedData(list, "list");
        ASSERT_FALSE(saved.empty());
        EXPECT_EQ(colourComponentsSeenBy(saved),
                  (std::vector<std::string>{stored, std::string("0.2 0.4 0.6") + '\0'}));
        EXPECT_EQ(KeyedUnarchiver::unarchivedValue(saved, "list"), list);
    }
    // A colour object whose components a colour can hold (as a file referring to them holds
    // them) keeps them referred to: inline, it would read back as a plain colour.
    PlistValue referred = PlistValue::object("NSColor");
    referred.set("NSColorSpace", std::int64_t{1});
    referred.set("NSRGB", Bytes{'1', ' ', '0', ' ', '0', 0});
    const Bytes saved = KeyedArchiver::archivedData(referred, "root");
    EXPECT_EQ(colourComponentsSeenBy(saved), std::vector<std::string>{"ref"});
    EXPECT_EQ(KeyedUnarchiver::unarchivedValue(saved, "root"), referred);
}

// A case whose comment held a date opened with the comment empty and was saved so: a value a
// document cannot hold refuses the file, binary or XML, rather than be lost on the next save.
TEST(HandMadeArchive, DateIsRefusedNotSavedAsNothing) {
    for (bool xml : {false, true}) {
        SCOPED_TRACE(xml ? "XML" : "binary");
        const Bytes file = handMade({dict({{"NS.keys", uids({2, 3})},
                                           {"NS.objects", uids({4, 5})},
                                           {"$class", plist_new_uid(6)}}),
                                     plist_new_string("name"), plist_new_string("comment"),
                                     plist_new_string("case 1"), plist_new_date(3600, 0),
                                     classEntry("NSDictionary")},
                                    1, xml);
        KeyedUnarchiver u(file);
        EXPECT_FALSE(u.ok());
        EXPECT_NE(u.error().find("date"), std::string::npos) << u.error();
        // The same case with a text comment opens.
        const Bytes text = handMade({dict({{"NS.keys", uids({2, 3})},
                                           {"NS.objects", uids({4, 5})},
                                           {"$class", plist_new_uid(6)}}),
                                     plist_new_string("name"), plist_new_string("comment"),
                                     plist_new_string("case 1"), plist_new_string("vein"),
                                     classEntry("NSDictionary")},
                                    1, xml);
        EXPECT_EQ(KeyedUnarchiver::unarchivedValue(text, "root").get("comment").toString(),
                  "vein");
    }
}

TEST(HandMadeArchive, MalformedObjectGraphsAreRefused) {
    std::vector<plist_t> deep;  // arrays nested 2000 deep
    for (uint64_t i = 1; i <= 2000; ++i)
        deep.push_back(dict({{"NS.objects", i < 2000 ? uids({i + 1}) : uids({})},
                             {"$class", plist_new_uid(2001)}}));
    deep.push_back(classEntry("NSArray"));
    const struct {
        Bytes archive;
        const char* mention;
    } cases[] = {
        {handMade({dict({{"NS.objects", uids({1})}, {"$class", plist_new_uid(2)}}),
                   classEntry("NSMutableArray")},
                  1),
         "itself"},
        {handMade(deep, 1), "deeply"},
        {handMade({}, 9), ""},                    // a root outside the object table
        {handMade({dict({{"NS.keys", uids({3})},  // a dictionary whose key is a number
                         {"NS.objects", uids({3})},
                         {"$class", plist_new_uid(2)}}),
                   classEntry("NSDictionary"), plist_new_uint(4)},
                  1),
         "key"},
    };
    for (const auto& c : cases) {
        KeyedUnarchiver u(c.archive);
        EXPECT_FALSE(u.ok()) << c.mention;
        EXPECT_NE(u.error().find(c.mention), std::string::npos) << u.error();
    }
}

// One value archived alone under its key: a number, a truth value or a real sits inline in
// "$top" as the platform puts an encoded scalar, and reads back as such.
TEST(KeyedArchive, AScalarArchivedAloneSitsInTheTopLevel) {
    const struct {
        PlistValue value;
        const char* key;
    } cases[] = {{PlistValue(true), "flag"}, {PlistValue(-42), "count"}, {PlistValue(2.5), "T"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        IoResult made;
        const Bytes bytes = KeyedArchiver::archivedData(c.value, c.key, &made);
        ASSERT_TRUE(made.ok()) << made.message;
        IoResult read;
        EXPECT_EQ(KeyedUnarchiver::unarchivedValue(bytes, c.key, &read), c.value);
        EXPECT_TRUE(read.ok()) << read.message;
        // Inline: "$top" holds the value itself, no reference.
        PlistValue plist;
        ASSERT_TRUE(parsePlist(bytes, plist).ok());
        EXPECT_EQ(plist.get("$top").get(c.key), c.value);
    }
    KeyedUnarchiver u(KeyedArchiver::archivedData(PlistValue(-42), "count"));
    EXPECT_EQ(u.decodeInt("count"), -42);
    EXPECT_EQ(u.decodeDouble("count"), -42.0);
}

// A real read as an integer (a field saved as a real, read by code that wants a count):
// truncated toward zero as a C conversion does, held to the integer's range beyond it, and
// not a number reads as the fallback.
TEST(KeyedArchive, ARealReadAsAnIntegerIsTruncatedAndHeldToTheRange) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    KeyedArchiver a;
    a.encodeDouble("up", 2.75);
    a.encodeDouble("down", -2.75);
    a.encodeDouble("huge", 1e300);
    a.encodeDouble("tiny", -1e300);
    a.encodeDouble("nan", NAN);
    a.encodeDouble("big", 9007199254740992.0);  // 2^53, exact
    KeyedUnarchiver u(a.encodedData());
    ASSERT_TRUE(u.ok()) << u.error();
    EXPECT_EQ(u.decodeInt("up"), 2);
    EXPECT_EQ(u.decodeInt("down"), -2);
    EXPECT_EQ(u.decodeInt("huge"), kMax);
    EXPECT_EQ(u.decodeInt("tiny"), kMin);
    EXPECT_EQ(u.decodeInt("nan"), 0);
    EXPECT_EQ(u.decodeInt("big"), std::int64_t{1} << 53);
    EXPECT_EQ(PlistValue(-0.5).toInteger(7), 0);
    EXPECT_EQ(PlistValue(double(NAN)).toInteger(7), 7);
    EXPECT_EQ(PlistValue("3").toInteger(7), 7);
}

// An archiver whose fields would not read back (a field named as the reader names an
// object's class) makes no archive and says why; one it can write reads back.
TEST(KeyedArchive, FieldsThatWouldNotReadBackMakeNoArchive) {
    KeyedArchiver refused;
    refused.encodeInt("count", 3);
    refused.encodeInt("$class", 1);
    IoResult r;
    EXPECT_TRUE(refused.encodedData(&r).empty());
    EXPECT_EQ(r.status, IoStatus::InvalidData);
    EXPECT_EQ(r.message, "cannot be archived: a field is named \"$class\"");
    const IoResult written = refused.writeToFile("refused.plist");
    EXPECT_EQ(written.status, IoStatus::InvalidData);
    EXPECT_EQ(written.message.rfind("'refused.plist' cannot be archived", 0), 0u)
        << written.message;
    EXPECT_FALSE(fs::exists("refused.plist"));
}

// A copy of a value is a value of its own: changing the copy (or assigning it away) leaves
// the original as it was, whatever the kinds on either side.
TEST(PlistValueCopy, AnAssignedCopyIsIndependentOfItsSource) {
    PlistValue original = caseList();
    PlistValue copy = PlistValue(1.5);
    copy = original;
    EXPECT_EQ(copy, original);
    (*copy.mutableItems())[0].set("name", "changed");
    copy.append(PlistValue(3));
    EXPECT_EQ(original, caseList());
    EXPECT_NE(copy, original);
    const PlistValue& same = copy;
    copy = same;  // onto itself: unchanged
    EXPECT_EQ(copy.at(0).get("name"), PlistValue("changed"));
    copy = PlistValue(false);  // a container replaced by a scalar
    EXPECT_EQ(copy, PlistValue(false));
    PlistValue scalar(4);
    copy = scalar;
    EXPECT_EQ(copy.toInteger(), 4);
    EXPECT_EQ(original, caseList());
}

}  // namespace
}  // namespace vornex
