#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>

#include "platform/KeyedArchiver.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;

// A record that archives itself, holding another one: the shape of the plot formats.
struct TextStyle : Archivable {
    std::string fontName = "Arial";
    int size = 10;
    int style = 0;
    std::string archiveClassName() const override { return "CTextFormat"; }
    void encodeWithCoder(KeyedArchiver& c) const override {
        c.encodeInt("size", size);
        c.encodeString("fontName", fontName);
        c.encodeInt("style", style);
    }
    void initWithCoder(KeyedUnarchiver& c) override {
        size = static_cast<int>(c.decodeInt("size"));
        fontName = c.decodeString("fontName");
        style = static_cast<int>(c.decodeInt("style"));
    }
};

struct PlotStyle : Archivable {
    float minX = 0, maxX = 1;
    TextStyle legend, ticks;
    std::string archiveClassName() const override { return "CPlotFormat"; }
    void encodeWithCoder(KeyedArchiver& c) const override {
        c.encodeFloat("minX", minX);
        c.encodeFloat("maxX", maxX);
        c.encodeObject("legend", legend);
        c.encodeObject("ticks", ticks);
    }
    void initWithCoder(KeyedUnarchiver& c) override {
        minX = c.decodeFloat("minX");
        maxX = c.decodeFloat("maxX");
        c.decodeObject("legend", legend);
        c.decodeObject("ticks", ticks);
    }
};

// A list of cases as the document saves it.
PlistValue caseList() {
    PlistValue list = PlistValue::array();
    for (int i = 0; i < 3; ++i) {
        PlistValue c = PlistValue::dictionary();
        c.set("name", "case " + std::to_string(i));
        c.set("comment", i == 1 ? "" : "brine \xC3\xA0 30 %");
        c.set("T0", 300.0 + i);
        c.set("P0", 88.5);
        c.set("X0", 0.3);
        c.set("logx", i == 2);
        c.set("count", -7 * i);
        list.append(std::move(c));
    }
    return list;
}

class KeyedArchiverTest : public ::testing::Test {
   protected:
    static Bytes archiveOf(const PlistValue& v, const std::string& key = "list") {
        KeyedArchiver a;
        a.encodeObject(key, v);
        return a.encodedData();
    }
};

TEST_F(KeyedArchiverTest, EveryScalarTypeRoundTrips) {
    KeyedArchiver a;
    a.encodeBool("yes", true);
    a.encodeBool("no", false);
    a.encodeInt("int", -123456789012345LL);
    a.encodeInt("max", std::numeric_limits<std::int64_t>::max());
    a.encodeInt("min", std::numeric_limits<std::int64_t>::min());
    a.encodeFloat("float", 0.1f);
    a.encodeDouble("double", 1.0 / 3.0);
    a.encodeDouble("tiny", -4.9e-324);
    a.encodeDouble("inf", std::numeric_limits<double>::infinity());
    a.encodeString("string",
                   "T \xC2\xB0"
                   "C");
    a.encodeString("empty", "");
    a.encodeData("data", Bytes{0, 1, 2, 0, 255});
    a.encodeData("nodata", Bytes{});
    a.encodeColor("device", Color::deviceRGB(1, 1, 0.7));
    a.encodeColor("calibrated", Color::calibratedRGB(0.6, 1, 1, 0.25));
    Bytes bytes = a.encodedData();
    ASSERT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "bplist00");

    KeyedUnarchiver u(bytes);
    ASSERT_TRUE(u.ok()) << u.error();
    EXPECT_TRUE(u.decodeBool("yes"));
    EXPECT_FALSE(u.decodeBool("no"));
    EXPECT_EQ(u.decodeInt("int"), -123456789012345LL);
    EXPECT_EQ(u.decodeInt("max"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(u.decodeInt("min"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(u.decodeFloat("float"), 0.1f);
    EXPECT_EQ(u.decodeDouble("double"), 1.0 / 3.0);
    EXPECT_EQ(u.decodeDouble("tiny"), -4.9e-324);
    EXPECT_TRUE(std::isinf(u.decodeDouble("inf")));
    EXPECT_EQ(u.decodeString("string"),
              "T \xC2\xB0"
              "C");
    EXPECT_TRUE(u.containsValue("empty"));
    EXPECT_EQ(u.decodeString("empty"), "");
    EXPECT_EQ(u.decodeData("data"), (Bytes{0, 1, 2, 0, 255}));
    EXPECT_TRUE(u.decodeData("nodata").empty());
    EXPECT_EQ(u.decodeColor("device"), Color::deviceRGB(1, 1, 0.7));
    EXPECT_EQ(u.decodeColor("calibrated"), Color::calibratedRGB(0.6, 1, 1, 0.25));
    // Missing keys and other kinds read as zero, empty or the fallback.
    EXPECT_FALSE(u.containsValue("absent"));
    EXPECT_EQ(u.decodeInt("absent"), 0);
    EXPECT_EQ(u.decodeDouble("string"), 0.0);
    EXPECT_EQ(u.decodeString("int"), "");
    EXPECT_EQ(u.decodeColor("int", Color::red()), Color::red());
    Color out = Color::green();
    EXPECT_FALSE(u.decodeColor("absent", out));
    EXPECT_EQ(out, Color::green());
}

TEST_F(KeyedArchiverTest, NestedArraysAndDictionariesRoundTrip) {
    PlistValue inner = PlistValue::dictionary();
    inner.set("colour", Color::blue());
    inner.set("points", PlistValue::array({1.5, -2.0, PlistValue::array({3, "x", Bytes{9}})}));
    inner.set("nothing", PlistValue());  // nil inside a dictionary
    PlistValue outer =
        PlistValue::array({inner, PlistValue::array(), PlistValue::dictionary(), true});
    Bytes bytes = archiveOf(outer, "root");
    KeyedUnarchiver u(bytes);
    ASSERT_TRUE(u.ok()) << u.error();
    EXPECT_EQ(u.decodeObject("root"), outer);
    EXPECT_EQ(KeyedUnarchiver::unarchivedValue(bytes), outer);
}

TEST_F(KeyedArchiverTest, DocumentListRoundTripsThroughAFile) {
    std::string path = (fs::current_path() / "cases.vornex").string();
    KeyedArchiver a;
    a.encodeObject("list", caseList());
    ASSERT_TRUE(a.writeToFile(path));
    KeyedUnarchiver u = KeyedUnarchiver::fromFile(path);
    ASSERT_TRUE(u.ok()) << u.error();
    PlistValue list = u.decodeObject("list");
    ASSERT_TRUE(list.isArray());
    EXPECT_EQ(list, caseList());
    EXPECT_EQ(list.at(0).get("name").toString(), "case 0");
    EXPECT_TRUE(list.at(2).get("logx").toBool());
    EXPECT_EQ(list.at(2).get("count").toInteger(), -14);
    // Decoded lists are edited in place.
    PlistValue::Array* items = list.mutableItems();
    ASSERT_NE(items, nullptr);
    (*items)[1].set("T0", 25.0);
    EXPECT_EQ(list.at(1).get("T0").toDouble(), 25.0);
    // The one-call forms the document uses.
    ASSERT_TRUE(KeyedArchiver::archiveToFile(path, list, "list"));
    IoResult r;
    EXPECT_EQ(KeyedUnarchiver::unarchivedValueFromFile(path, "list", &r), list);
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(KeyedUnarchiver::unarchivedValueFromFile(path, "root", &r).isNull());
    EXPECT_EQ(r.status, IoStatus::InvalidData);
    EXPECT_NE(r.message.find(path), std::string::npos);
}

TEST_F(KeyedArchiverTest, LargeDictionaryReadsInOnePass) {
    // Reading used to insert key by key with a search each, and to find each object by
    // index in libplist: both quadratic in the object count.
    PlistValue big = PlistValue::dictionary();
    std::vector<PlistValue::Entry> entries;
    for (int i = 0; i < 20000; ++i) entries.emplace_back("k" + std::to_string(i), i);
    big.setEntries(std::move(entries));
    PlistValue back = KeyedUnarchiver::unarchivedValue(KeyedArchiver::archivedData(big));
    ASSERT_EQ(back.size(), 20000u);
    EXPECT_EQ(back.get("k19999").toInteger(), 19999);
    EXPECT_EQ(back, big);
    // A repeated key keeps its first place and its last value.
    PlistValue d = PlistValue::dictionary();
    d.setEntries({{"a", 1}, {"b", 2}, {"a", 3}});
    EXPECT_EQ(d.keys(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(d.get("a").toInteger(), 3);
}

TEST_F(KeyedArchiverTest, ArchiveHasThePlatformLayout) {
    PlistValue raw;
    ASSERT_TRUE(parsePlist(archiveOf(caseList()), raw));
    EXPECT_EQ(raw.get("$archiver").toString(), "NSKeyedArchiver");
    EXPECT_EQ(raw.get("$version").toInteger(), 100000);
    const PlistValue& objects = raw.get("$objects");
    ASSERT_TRUE(objects.isArray());
    EXPECT_EQ(objects.at(0).toString(), "$null");
    std::vector<std::string> classes;
    for (const PlistValue& o : objects.items())
        if (o.contains("$classname")) classes.push_back(o.get("$classname").toString());
    EXPECT_NE(std::find(classes.begin(), classes.end(), "NSMutableArray"), classes.end());
    EXPECT_NE(std::find(classes.begin(), classes.end(), "NSMutableDictionary"), classes.end());
    EXPECT_TRUE(raw.get("$top").isDictionary());
}

TEST_F(KeyedArchiverTest, SelfArchivingObjectsNest) {
    PlotStyle p;
    p.minX = -2.5f;
    p.maxX = 4000.f;
    p.legend.fontName = "Times";
    p.legend.style = 3;
    p.ticks.size = 9;
    KeyedArchiver a;
    a.encodeObject("format", p);
    Bytes bytes = a.encodedData();

    KeyedUnarchiver u(bytes);
    ASSERT_TRUE(u.ok()) << u.error();
    PlotStyle back;
    back.legend.fontName = "junk";
    ASSERT_TRUE(u.decodeObject("format", back));
    EXPECT_EQ(back.minX, -2.5f);
    EXPECT_EQ(back.maxX, 4000.f);
    EXPECT_EQ(back.legend.fontName, "Times");
    EXPECT_EQ(back.legend.style, 3);
    EXPECT_EQ(back.ticks.size, 9);
    EXPECT_EQ(back.ticks.fontName, "Arial");
    EXPECT_EQ(u.decodeObject("format").className(), "CPlotFormat");
    TextStyle none;
    EXPECT_FALSE(u.decodeObject("absent", none));
    // After the nested read the top level is current again.
    EXPECT_TRUE(u.containsValue("format"));
}

class DamagedArchiveTest : public KeyedArchiverTest {};

TEST_F(DamagedArchiveTest, GarbageIsRefusedWithAReason) {
    std::vector<Bytes> garbage = {
        {},
        Bytes{'b', 'p', 'l', 'i', 's', 't'},
        Bytes{'b', 'p', 'l', 'i', 's', 't', '0', '0', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
        Bytes(1000, 0xff),
    };
    std::string xml =
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><integer>1</integer></array></plist>";
    garbage.emplace_back(xml.begin(), xml.end());
    garbage.push_back(serializePlist(PlistValue::array({1, 2}), PlistFormat::Binary));
    PlistValue fake = PlistValue::dictionary();
    fake.set("$archiver", "NSKeyedArchiver");
    fake.set("$objects", "not a list");
    garbage.push_back(serializePlist(fake, PlistFormat::Binary));
    for (const Bytes& g : garbage) {
        KeyedUnarchiver u(g);
        EXPECT_FALSE(u.ok());
        EXPECT_EQ(u.result().status, IoStatus::InvalidData);
        EXPECT_FALSE(u.error().empty());
        EXPECT_TRUE(u.decodeObject("list").isNull());
    }
}

TEST_F(DamagedArchiveTest, EveryTruncationIsRefused) {
    Bytes whole = archiveOf(caseList());
    for (std::size_t n = 0; n < whole.size(); ++n) {
        Bytes part(whole.begin(), whole.begin() + static_cast<long>(n));
        KeyedUnarchiver u(part);
        EXPECT_FALSE(u.ok()) << "prefix of " << n << " bytes";
    }
}

TEST_F(DamagedArchiveTest, FlippedBytesNeverCrash) {
    Bytes whole = archiveOf(caseList());
    std::mt19937 rng(12345);
    for (int trial = 0; trial < 2000; ++trial) {
        Bytes b = whole;
        for (int k = 0; k < 3; ++k) b[rng() % b.size()] = static_cast<std::uint8_t>(rng());
        KeyedUnarchiver u(b);
        if (u.ok()) (void)u.decodeObject("list");
    }
}

TEST_F(DamagedArchiveTest, StringWithZeroCharacterIsRefusedNotFatal) {
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
        EXPECT_FALSE(u.ok());
        EXPECT_NE(u.error().find("zero"), std::string::npos) << u.error();
    }
    std::string xml =
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a&#x00;b</key>"
        "<string>x</string></dict></plist>";
    PlistValue out;
    EXPECT_FALSE(parsePlist(Bytes(xml.begin(), xml.end()), out));
}

// Archives made by hand with libplist, in the forms the platform writes.
class HandMadeArchiveTest : public KeyedArchiverTest {
   protected:
    static plist_t classEntry(const char* name) {
        plist_t d = plist_new_dict();
        plist_t chain = plist_new_array();
        plist_array_append_item(chain, plist_new_string(name));
        plist_array_append_item(chain, plist_new_string("NSObject"));
        plist_dict_set_item(d, "$classes", chain);
        plist_dict_set_item(d, "$classname", plist_new_string(name));
        return d;
    }
    // objects[0] = "$null"; the caller appends the rest; $top.root = UID rootUid.
    static Bytes finish(plist_t objects, uint64_t rootUid) {
        plist_t root = plist_new_dict();
        plist_dict_set_item(root, "$archiver", plist_new_string("NSKeyedArchiver"));
        plist_dict_set_item(root, "$version", plist_new_uint(100000));
        plist_t top = plist_new_dict();
        plist_dict_set_item(top, "root", plist_new_uid(rootUid));
        plist_dict_set_item(root, "$top", top);
        plist_dict_set_item(root, "$objects", objects);
        char* out = nullptr;
        uint32_t length = 0;
        plist_to_bin(root, &out, &length);
        Bytes b(reinterpret_cast<std::uint8_t*>(out),
                reinterpret_cast<std::uint8_t*>(out) + length);
        plist_to_bin_free(out);
        plist_free(root);
        return b;
    }
    static plist_t objectsWithNull() {
        plist_t objects = plist_new_array();
        plist_array_append_item(objects, plist_new_string("$null"));
        return objects;
    }
};

TEST_F(HandMadeArchiveTest, PlatformColoursStringsAndDataAreRead) {
    plist_t objects = objectsWithNull();
    // 1: array of 2, 3, 4, 5; 6: NSArray class; 7: NSColor class.
    plist_t array = plist_new_dict();
    plist_t refs = plist_new_array();
    for (uint64_t i : {2, 3, 4, 5}) plist_array_append_item(refs, plist_new_uid(i));
    plist_dict_set_item(array, "NS.objects", refs);
    plist_dict_set_item(array, "$class", plist_new_uid(6));
    plist_array_append_item(objects, array);
    plist_t colour = plist_new_dict();  // device RGB, components as the platform prints them
    plist_dict_set_item(colour, "NSColorSpace", plist_new_uint(2));
    plist_dict_set_item(colour, "NSRGB", plist_new_data("1 1 0.7\0", 8));
    plist_dict_set_item(colour, "$class", plist_new_uid(7));
    plist_array_append_item(objects, colour);
    plist_t grey = plist_new_dict();  // calibrated white with alpha
    plist_dict_set_item(grey, "NSColorSpace", plist_new_uint(3));
    plist_dict_set_item(grey, "NSWhite", plist_new_data("0.5 0.25\0", 9));
    plist_dict_set_item(grey, "$class", plist_new_uid(7));
    plist_array_append_item(objects, grey);
    plist_t mstring = plist_new_dict();  // a mutable string
    plist_dict_set_item(mstring, "NS.string", plist_new_string("comment"));
    plist_dict_set_item(mstring, "$class", plist_new_uid(8));
    plist_array_append_item(objects, mstring);
    plist_array_append_item(objects, plist_new_real(2.5));
    plist_array_append_item(objects, classEntry("NSArray"));
    plist_array_append_item(objects, classEntry("NSColor"));
    plist_array_append_item(objects, classEntry("NSMutableString"));
    KeyedUnarchiver u(finish(objects, 1));
    ASSERT_TRUE(u.ok()) << u.error();
    PlistValue v = u.decodeObject("root");
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v.at(0).toColor(), Color::deviceRGB(1, 1, 0.7));
    EXPECT_EQ(v.at(1).toColor(), Color::calibratedRGB(0.5, 0.5, 0.5, 0.25));
    EXPECT_EQ(v.at(2).toString(), "comment");
    EXPECT_EQ(v.at(3).toDouble(), 2.5);
}

TEST_F(HandMadeArchiveTest, ObjectContainingItselfIsRefused) {
    plist_t objects = objectsWithNull();
    plist_t array = plist_new_dict();
    plist_t refs = plist_new_array();
    plist_array_append_item(refs, plist_new_uid(1));  // itself
    plist_dict_set_item(array, "NS.objects", refs);
    plist_dict_set_item(array, "$class", plist_new_uid(2));
    plist_array_append_item(objects, array);
    plist_array_append_item(objects, classEntry("NSMutableArray"));
    KeyedUnarchiver u(finish(objects, 1));
    EXPECT_FALSE(u.ok());
    EXPECT_NE(u.error().find("itself"), std::string::npos) << u.error();
}

TEST_F(HandMadeArchiveTest, ArraysNestedThousandsDeepAreRefused) {
    plist_t objects = objectsWithNull();
    const uint64_t levels = 2000, arrayClass = levels + 1;
    for (uint64_t i = 1; i <= levels; ++i) {
        plist_t array = plist_new_dict();
        plist_t refs = plist_new_array();
        if (i < levels) plist_array_append_item(refs, plist_new_uid(i + 1));
        plist_dict_set_item(array, "NS.objects", refs);
        plist_dict_set_item(array, "$class", plist_new_uid(arrayClass));
        plist_array_append_item(objects, array);
    }
    plist_array_append_item(objects, classEntry("NSArray"));
    KeyedUnarchiver u(finish(objects, 1));
    EXPECT_FALSE(u.ok());
    EXPECT_NE(u.error().find("deeply"), std::string::npos) << u.error();
}

TEST_F(DamagedArchiveTest, PropertyListNestedBeyondTheStackIsRefusedNotFatal) {
    // libplist reads nested containers by recursion: 100000 levels overflow its stack.
    const std::uint32_t levels = 100000;
    Bytes b = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    std::vector<std::uint32_t> offsets;
    auto put32 = [&b](std::uint32_t v) {
        for (int k = 3; k >= 0; --k) b.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
    };
    for (std::uint32_t i = 0; i < levels; ++i) {
        offsets.push_back(static_cast<std::uint32_t>(b.size()));
        if (i + 1 < levels) {
            b.push_back(0xA1);  // array of one element
            put32(i + 1);
        } else {
            b.push_back(0xA0);
        }
    }
    auto table = static_cast<std::uint32_t>(b.size());
    for (std::uint32_t o : offsets) put32(o);
    std::uint8_t trailer[32] = {};
    trailer[6] = 4;
    trailer[7] = 4;
    for (int k = 0; k < 4; ++k) {
        trailer[12 + k] = static_cast<std::uint8_t>(levels >> (8 * (3 - k)));
        trailer[28 + k] = static_cast<std::uint8_t>(table >> (8 * (3 - k)));
    }
    b.insert(b.end(), trailer, trailer + 32);
    PlistValue out;
    IoResult r = parsePlist(b, out);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.message.find("deeply"), std::string::npos) << r.message;
    EXPECT_FALSE(KeyedUnarchiver(b).ok());

    std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (int i = 0; i < 100000; ++i) xml += "<array>";
    for (int i = 0; i < 100000; ++i) xml += "</array>";
    xml += "</plist>";
    EXPECT_FALSE(parsePlist(Bytes(xml.begin(), xml.end()), out));
    // Shallow nesting and shared elements still read.
    std::string ok =
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><array/><dict>"
        "<key>k</key><array><integer>1</integer></array></dict></array></plist>";
    ASSERT_TRUE(parsePlist(Bytes(ok.begin(), ok.end()), out));
    EXPECT_EQ(out.at(1).get("k").at(0).toInteger(), 1);
}

TEST_F(HandMadeArchiveTest, ReferencesOutsideTheTableAndBadKeysAreRefused) {
    plist_t objects = objectsWithNull();
    KeyedUnarchiver outside(finish(objects, 9));
    EXPECT_FALSE(outside.ok());

    objects = objectsWithNull();
    plist_t dict = plist_new_dict();  // a dictionary whose key is a number
    plist_t keys = plist_new_array();
    plist_array_append_item(keys, plist_new_uid(3));
    plist_t values = plist_new_array();
    plist_array_append_item(values, plist_new_uid(3));
    plist_dict_set_item(dict, "NS.keys", keys);
    plist_dict_set_item(dict, "NS.objects", values);
    plist_dict_set_item(dict, "$class", plist_new_uid(2));
    plist_array_append_item(objects, dict);
    plist_array_append_item(objects, classEntry("NSDictionary"));
    plist_array_append_item(objects, plist_new_uint(4));
    KeyedUnarchiver badKey(finish(objects, 1));
    EXPECT_FALSE(badKey.ok());
    EXPECT_NE(badKey.error().find("key"), std::string::npos);
}

TEST_F(KeyedArchiverTest, FileFailuresAreReported) {
    KeyedArchiver a;
    a.encodeObject("list", caseList());
    IoResult w = a.writeToFile((fs::current_path() / "missing" / "x.vornex").string());
    EXPECT_EQ(w.status, IoStatus::OpenFailed);
    EXPECT_FALSE(fs::exists(fs::current_path() / "missing"));
    KeyedUnarchiver r = KeyedUnarchiver::fromFile((fs::current_path() / "nothing.vornex").string());
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.result().status, IoStatus::OpenFailed);
    IoResult why;
    EXPECT_TRUE(KeyedUnarchiver::unarchivedValue(archiveOf(caseList()), "root", &why).isNull());
    EXPECT_EQ(why.status, IoStatus::InvalidData);
}

}  // namespace
}  // namespace vornex
