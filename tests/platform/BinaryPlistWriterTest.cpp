// The binary property-list writer read back by the property-list reader, large archives
// round-tripped, and the value's copy and move semantics now that its content lives out of
// line.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/BinaryPlistWriter.h"
#include "platform/KeyedArchiver.h"
#include "platform/PlistValue.h"

namespace vornex {
namespace {

TEST(BinaryPlistWriter, ScalarsReadBackAsWritten) {
    const struct {
        const char* label;
        PlistValue value;
    } rows[] = {
        {"zero", PlistValue(0)},
        {"byte", PlistValue(255)},
        {"two bytes", PlistValue(256)},
        {"four bytes", PlistValue(70000)},
        {"eight bytes", PlistValue(std::int64_t{1} << 40)},
        {"negative", PlistValue(-5)},
        {"most negative", PlistValue(std::numeric_limits<std::int64_t>::min())},
        {"real", PlistValue(0.1)},
        {"negative zero", PlistValue(-0.0)},
        {"tiny", PlistValue(5e-324)},
        {"true", PlistValue(true)},
        {"false", PlistValue(false)},
        {"ascii", PlistValue("Run 1")},
        {"long ascii", PlistValue(std::string(300, 'x'))},
        {"empty", PlistValue("")},
        {"utf-8", PlistValue("Halit\xC3\xA9 \xE2\x88\x92 \xF0\x9F\x92\xA7")},
        {"data", PlistValue(Bytes{0, 1, 2, 255})},
    };
    for (const auto& r : rows) {
        BinaryPlistWriter w;
        BinaryPlistWriter::Ref ref = 0;
        const PlistValue& v = r.value;
        switch (v.type()) {
            case PlistValue::Type::Integer:
                ref = w.addInteger(v.toInteger());
                break;
            case PlistValue::Type::Real:
                ref = w.addReal(v.toDouble());
                break;
            case PlistValue::Type::Bool:
                ref = w.addBool(v.toBool());
                break;
            case PlistValue::Type::String:
                ref = w.addString(v.toString());
                break;
            default:
                ref = w.addData(v.toData().data(), v.toData().size());
        }
        const BinaryPlistWriter::Ref key = w.addString("k");
        const Bytes bytes = w.finish(w.addDictionary({key}, {ref}));
        PlistValue back;
        ASSERT_TRUE(parsePlist(bytes, back).ok()) << r.label;
        const PlistValue& got = back.get("k");
        if (v.type() == PlistValue::Type::Integer) {
            // Integers come back as the same 64 bits.
            EXPECT_EQ(static_cast<std::uint64_t>(got.toInteger()),
                      static_cast<std::uint64_t>(v.toInteger()))
                << r.label;
        } else if (v.type() == PlistValue::Type::Real) {
            EXPECT_EQ(std::signbit(got.toDouble()), std::signbit(v.toDouble())) << r.label;
            EXPECT_EQ(got.toDouble(), v.toDouble()) << r.label;
        } else {
            EXPECT_EQ(got, v) << r.label;
        }
    }
}

TEST(BinaryPlistWriter, ContainersOfFifteenAndMoreEntriesAndSharedObjects) {
    for (std::size_t n : {0u, 14u, 15u, 16u, 300u, 70000u}) {
        BinaryPlistWriter w;
        std::vector<BinaryPlistWriter::Ref> items;
        const BinaryPlistWriter::Ref shared = w.addString("same");
        for (std::size_t i = 0; i < n; ++i)
            items.push_back(i % 2 ? shared : w.addReal(static_cast<double>(i)));
        const Bytes bytes = w.finish(w.addArray(items));
        PlistValue back;
        ASSERT_TRUE(parsePlist(bytes, back).ok()) << n;
        ASSERT_EQ(back.size(), n);
        for (std::size_t i = 0; i < n; i += 97) {
            if (i % 2)
                EXPECT_EQ(back.at(i).toString(), "same");
            else
                EXPECT_EQ(back.at(i).toDouble(), static_cast<double>(i));
        }
    }
}

// A keyed archive large enough for four-byte offsets reads back equal, and its size grows
// linearly with the number of entries (shared keys and classes are stored once).
TEST(BinaryPlistWriter, LargeKeyedArchiveRoundTripsAndGrowsLinearly) {
    auto list = [](int n) {
        PlistValue l = PlistValue::array();
        for (int i = 0; i < n; ++i) {
            PlistValue c = PlistValue::dictionary();
            c.set("name", "Run " + std::to_string(i));
            c.set("Tm", 300.0 + i);
            c.set("ptlogx", i % 2 == 0);
            c.set("ptminx", 100.0);
            l.append(std::move(c));
        }
        return l;
    };
    const PlistValue big = list(60000);
    const Bytes bytes = KeyedArchiver::archivedData(big, "list");
    EXPECT_GT(bytes.size(), 1u << 16);
    IoResult r;
    EXPECT_EQ(KeyedUnarchiver::unarchivedValue(bytes, "list", &r), big) << r.message;
    const double perCase = static_cast<double>(bytes.size()) / 60000;
    const double perSmall =
        static_cast<double>(KeyedArchiver::archivedData(list(6000), "list").size()) / 6000;
    EXPECT_NEAR(perCase, perSmall, 0.1 * perSmall);
}

// Archives are read in place from the binary list: every kind of value comes back as written.
TEST(BinaryPlistWriter, KeyedArchiveOfEveryKindRoundTripsThroughTheInPlaceReader) {
    PlistValue c = PlistValue::dictionary();
    c.set("name", "Halit\xC3\xA9 \xE2\x88\x92 \xF0\x9F\x92\xA7");
    c.set("empty", "");
    c.set("long", std::string(40, 'k'));
    c.set("negative", PlistValue(-7));
    c.set("large", PlistValue(std::int64_t{1} << 40));
    c.set("real", 0.1);
    c.set("nan", std::numeric_limits<double>::quiet_NaN());
    c.set("flag", true);
    c.set("off", false);
    c.set("bytes", PlistValue(Bytes{0, 255, 7}));
    c.set("colour", Color::calibratedRGB(0.25, 0.5, 1.0, 0.75));
    c.set("nested", PlistValue::array({PlistValue(1), PlistValue("x"),
                                       PlistValue::array({PlistValue(2.5)})}));
    PlistValue list = PlistValue::array({c, c, PlistValue::dictionary()});
    (*list.mutableItems())[1].set("name", "second");
    IoResult r;
    const PlistValue back =
        KeyedUnarchiver::unarchivedValue(KeyedArchiver::archivedData(list, "list"), "list", &r);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(back, list);
    EXPECT_EQ(back.at(0).entries().front().first, "name");  // the order of the keys is kept
}

TEST(PlistValueStorage, CompactAndCopiedDeeply) {
    // Regression: a value took 168 bytes, so a document of 100,000 cases took gigabytes.
    EXPECT_LE(sizeof(PlistValue), 24u);
    PlistValue a = PlistValue::dictionary();
    a.set("name", "A");
    a.set("items", PlistValue::array({PlistValue(1), PlistValue("x")}));
    PlistValue b = a;
    b.set("name", "B");
    (*b.find("items")->mutableItems())[0] = PlistValue(2);
    EXPECT_EQ(a.get("name").toString(), "A");
    EXPECT_EQ(a.get("items").at(0).toInteger(), 1);
    // An element moved over its own container, and a container assigned to itself.
    PlistValue outer = PlistValue::array({PlistValue::array({PlistValue("inner")})});
    outer = std::move((*outer.mutableItems())[0]);
    EXPECT_EQ(outer.at(0).toString(), "inner");
    PlistValue& self = outer;
    outer = self;
    EXPECT_EQ(outer.at(0).toString(), "inner");
    PlistValue moved = std::move(outer);
    EXPECT_TRUE(outer.isNull());
    EXPECT_EQ(moved.size(), 1u);
}

}  // namespace
}  // namespace vornex
