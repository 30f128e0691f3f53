// The binary reader that reads in place, against an independent reader of the format (the
// libplist library, used here only as the judge): objects the format does not define, widths
// it does not allow and text that is not text are refused; thousands of seeded mutants of a
// real document are refused by both readers or read to the same values by both. XML numbers
// that are not wholly numbers refuse the list.
#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "platform/KeyedArchiver.h"
#include "platform/PlistNode.h"
#include "platform/PlistTree.h"
#include "support/ChildExit.h"
#include "support/HostileFiles.h"
#include "support/Mutants.h"

namespace vornex {
namespace {

// A list of one object, the given bytes, as its top.
Bytes single(const Bytes& object) {
    Bytes b = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    b.insert(b.end(), object.begin(), object.end());
    const std::uint8_t table = static_cast<std::uint8_t>(b.size());
    b.push_back(8);
    const std::uint8_t trailer[32] = {0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1,
                                      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, table};
    b.insert(b.end(), trailer, trailer + 32);
    return b;
}

// A canonical text of a tree, shared objects written out wherever they are referenced, at
// most `limit` characters.
constexpr std::size_t kDumpLimit = 1 << 20;

std::string hexOf(std::uint64_t v) {
    char b[24];
    std::snprintf(b, sizeof b, "%llx", static_cast<unsigned long long>(v));
    return b;
}

void dumpTree(const PlistTree& t, PlistTree::Node n, std::string& out, int depth) {
    using T = PlistTree::Type;
    if (out.size() > kDumpLimit || depth > 600) return;
    switch (t.type(n)) {
        case T::Bool:
            out += t.boolean(n) ? "T" : "F";
            break;
        case T::Integer:
            // The 64 bits the value holds, taken as signed or (above 2^63) as unsigned.
            if (const auto v = t.signedValue(n))
                out += "i" + hexOf(static_cast<std::uint64_t>(*v));
            else
                out += "i" + hexOf(t.unsignedValue(n).value_or(0));
            break;
        case T::Real:
            out += "r" + hexOf(std::bit_cast<std::uint64_t>(t.real(n)));
            break;
        case T::String:
            out += "s" + std::to_string(t.string(n).size()) + ":" + t.string(n);
            break;
        case T::Data:
            out += "d" + std::to_string(t.data(n).size());
            break;
        case T::Uid:
            out += "u" + hexOf(t.number(n));
            break;
        case T::Array:
            out += "[";
            t.forEachItem(n,
                          [&](PlistTree::Node item) { dumpTree(t, item, out += ",", depth + 1); });
            out += "]";
            break;
        case T::Dictionary:
            out += "{";
            t.forEachEntry(n, [&](std::string key, PlistTree::Node value) {
                out += "s" + std::to_string(key.size()) + ":" + key + "=";
                dumpTree(t, value, out, depth + 1);
                out += ";";
                return out.size() <= kDumpLimit;
            });
            out += "}";
            break;
        default:
            out += "?";
            break;  // dates
    }
}

// The verdict of the reader in place: the dump, or empty when it refuses.
std::string inPlace(const Bytes& b) {
    std::string error;
    if (!PlistNode::checkBinary(b, error)) return {};
    auto tree = PlistTree::ofCheckedBinary(b);
    std::string out = "=";
    dumpTree(*tree, tree->root(), out, 0);
    return out;
}

// The verdicts of libplist on each list, read in child processes (a damaged list may stop
// the library; the list it stopped on counts as refused, and a new child goes on with the
// next): the dump, or empty when it refuses.
std::vector<std::string> independent(const std::vector<Bytes>& lists) {
    std::vector<std::string> verdicts;
    while (verdicts.size() < lists.size()) {
        int channel[2];
        if (::pipe(channel) != 0) break;
        const std::size_t first = verdicts.size();
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(channel[0]);
            ::alarm(60);
            for (std::size_t i = first; i < lists.size(); ++i) {
                const Bytes& b = lists[i];
                plist_t root = nullptr;
                plist_from_bin(reinterpret_cast<const char*>(b.data()),
                               static_cast<uint32_t>(b.size()), &root);
                std::string out;
                if (root) {
                    auto tree = PlistTree::of(root);  // walked through the library's accessors
                    out = "=";
                    dumpTree(*tree, tree->root(), out, 0);
                    plist_free(root);
                }
                const std::uint64_t length = out.size();
                out.insert(0, reinterpret_cast<const char*>(&length), sizeof length);
                if (!testing::writeAll(channel[1], out)) endForkedChild(1);
            }
            endForkedChild(0);
        }
        ::close(channel[1]);
        const std::string stream = testing::readAll(channel[0]);
        ::waitpid(child, nullptr, 0);
        for (std::size_t at = 0; at + sizeof(std::uint64_t) <= stream.size();) {
            std::uint64_t length = 0;
            std::memcpy(&length, stream.data() + at, sizeof length);
            at += sizeof length;
            if (at + length > stream.size()) break;
            verdicts.push_back(stream.substr(at, length));
            at += length;
        }
        if (verdicts.size() < lists.size()) verdicts.emplace_back();  // where the child stopped
    }
    return verdicts;
}

std::string independent(const Bytes& b) {
    return independent(std::vector<Bytes>{b}).front();
}

// Refused by the reader in place, and so by the keyed-archive reader when the object is the
// value of a field.
bool refusedInPlace(const Bytes& object, std::string& why) {
    return !PlistNode::checkBinary(single(object), why);
}

TEST(BinaryReader, ObjectsTheFormatDoesNotDefineAreRefused) {
    const struct {
        const char* label;
        Bytes object;
        bool judgeAccepts;  // the independent reader is more lenient here
    } forbidden[] = {
        {"real of 2 bytes", {0x21, 0x3F, 0x80}, false},
        {"real of 1 byte", {0x20, 0x01}, false},
        {"real of 16 bytes", {0x24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, false},
        {"integer of 32 bytes", {0x15}, false},
        {"date of 4 bytes", {0x32, 0, 0, 0, 0}, false},
        {"type 7", {0x71, 'a'}, false},
        {"type 9", {0x90}, false},
        {"type 11", {0xB0}, false},
        {"type 14", {0xE0}, false},
        {"type 15", {0xF0}, false},
        {"null marker", {0x00}, false},
        {"fill marker", {0x0F}, false},
        {"boolean of another value", {0x01}, false},
        {"reference of 9 bytes", {0x88, 0, 0, 0, 0, 0, 0, 0, 0, 3}, true},
        {"ASCII above 127", {0x52, 'h', 0xFF}, true},
        {"lone high surrogate", {0x61, 0xD8, 0x00}, true},
        {"lone low surrogate", {0x62, 0xDC, 0x00, 0, 'A'}, true},
        {"high surrogate before a letter", {0x62, 0xD8, 0x3D, 0, 'A'}, true},
        {"surrogates reversed", {0x62, 0xDC, 0xA7, 0xD8, 0x3D}, true},
        {"length past the end", {0x55, 'a', 'b'}, false},
        {"empty UTF-16 string", {0x60}, false},
        {"reference beyond 2^32 entries", {0x84, 1, 0, 0, 0, 0}, false},
    };
    for (const auto& f : forbidden) {
        std::string why;
        EXPECT_TRUE(refusedInPlace(f.object, why)) << f.label;
        EXPECT_FALSE(why.empty()) << f.label;
        EXPECT_EQ(independent(single(f.object)).empty(), !f.judgeAccepts) << f.label;
    }
    // What the format allows reads the same by both.
    const Bytes allowed[] = {
        {0x08},
        {0x09},
        {0x10, 5},
        {0x11, 1, 0},
        {0x12, 0, 1, 0, 0},
        {0x13, 0xFF, 0, 0, 0, 0, 0, 0, 0},
        {0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5},
        {0x22, 0x3F, 0x80, 0, 0},
        {0x23, 0x3F, 0xF8, 0, 0, 0, 0, 0, 0},
        {0x52, 'h', 'i'},
        {0x62, 0xD8, 0x3D, 0xDC, 0xA7},
        {0x61, 0xFF, 0xFE},
        {0x80, 3},
        {0x87, 0, 0, 0, 0, 0, 0, 1, 0},
        {0x42, 0, 1},
        {0xC0},
    };
    for (const Bytes& a : allowed) {
        const std::string mine = inPlace(single(a));
        EXPECT_FALSE(mine.empty()) << int(a[0]);
        EXPECT_EQ(mine, independent(single(a))) << int(a[0]);
    }
    // In a keyed archive the refusal says why.
    PlistValue top = PlistValue::dictionary();
    top.set("x", 1.5);
    Bytes archive = KeyedArchiver::archivedData(top, "root");
    const Bytes real = {0x23, 0x3F, 0xF8};
    auto at = std::search(archive.begin(), archive.end(), real.begin(), real.end());
    ASSERT_NE(at, archive.end());
    *at = 0x21;  // the same bytes as a real of 2
    KeyedUnarchiver u(archive);
    EXPECT_NE(u.error().find("a damaged real"), std::string::npos) << u.error();
}

// Objects whose bytes reach the offset table by a single byte, and an object placed at the
// table itself: the edges the random damage of the documents hardly ever hits.
TEST(BinaryReader, ObjectsReachingIntoTheOffsetTableAreRefused) {
    const struct {
        const char* label;
        Bytes object;
    } short_by_one[] = {
        {"integer of 2 bytes with 1", {0x11, 1}},
        {"integer of 8 bytes with 7", {0x13, 0, 0, 0, 0, 0, 0, 1}},
        {"real of 4 bytes with 3", {0x22, 0x3F, 0x80, 0}},
        {"real of 8 bytes with 7", {0x23, 0x3F, 0xF8, 0, 0, 0, 0, 0}},
        {"date with 7 bytes", {0x33, 0, 0, 0, 0, 0, 0, 0}},
        {"reference of 2 bytes with 1", {0x81, 3}},
        {"ASCII string of 3 with 2", {0x53, 'a', 'b'}},
        {"UTF-16 string of 2 units with 3 bytes", {0x62, 0, 'a', 0}},
        {"data of 4 bytes with 3", {0x44, 1, 2, 3}},
    };
    for (const auto& s : short_by_one) {
        std::string why;
        EXPECT_TRUE(refusedInPlace(s.object, why)) << s.label;
        EXPECT_TRUE(independent(single(s.object)).empty()) << s.label;
    }
    // An offset naming the start of the offset table, whose first byte (the offset itself,
    // 0x13 or 0x23) reads as the marker of an 8-byte integer or real.
    Bytes counted = {0x5F, 0x10, 24};  // an ASCII string of 24, its count in an integer
    counted.insert(counted.end(), 24, 'a');
    for (const Bytes& object : {Bytes{0x5A, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j'}, counted}) {
        Bytes list = single(object);
        const std::size_t table = list.back();
        ASSERT_EQ(list.size(), table + 1 + 32);
        list[table] = static_cast<std::uint8_t>(table);
        ASSERT_TRUE(list[table] == 0x13 || list[table] == 0x23) << int(list[table]);
        std::string why;
        EXPECT_FALSE(PlistNode::checkBinary(list, why)) << int(list[table]);
    }
}

TEST(BinaryReader, MutantsOfARealDocumentAreRefusedByBothOrReadAlikeByBoth) {
    PlistValue list = PlistValue::array();
    for (int i = 0; i < 3; ++i) {
        PlistValue c = PlistValue::dictionary();
        c.set("name", i == 1 ? "Halit\xC3\xA9 \xF0\x9F\x92\xA7" : "Run " + std::to_string(i));
        c.set("comment", "");
        c.set("Tm", 300.0 + i);
        c.set("Pm", 88.5);
        c.set("count", 70000 * i);
        c.set("logx", i == 2);
        c.set("colour", Color::deviceRGB(1, 0, 0.5));
        c.set("raw", Bytes{1, 2, 3});
        list.append(std::move(c));
    }
    const Bytes document = KeyedArchiver::archivedData(list, "list");
    ASSERT_EQ(inPlace(document), independent(document));
    // The undamaged document is safe to read in this process too: libplist's tree, walked
    // through the same accessors (its references included), reads as the reader in place.
    {
        plist_t root = nullptr;
        plist_from_bin(reinterpret_cast<const char*>(document.data()),
                       static_cast<uint32_t>(document.size()), &root);
        ASSERT_NE(root, nullptr);
        std::string here = "=";
        const auto tree = PlistTree::of(root);
        dumpTree(*tree, tree->root(), here, 0);
        plist_free(root);
        EXPECT_EQ(here, inPlace(document));
        EXPECT_NE(here.find(",u"), std::string::npos) << "no reference compared";
    }
    testing::Mutator mutant(41);
    std::vector<Bytes> mutants;
    for (int trial = 0; trial < 3000; ++trial) mutants.push_back(mutant(document));
    const std::vector<std::string> verdicts = independent(mutants);
    ASSERT_EQ(verdicts.size(), mutants.size());
    int both = 0, alike = 0, stricter = 0;
    for (std::size_t trial = 0; trial < mutants.size(); ++trial) {
        const Bytes& b = mutants[trial];
        const std::string mine = inPlace(b), &judge = verdicts[trial];
        if (mine.empty() && judge.empty()) {
            ++both;
        } else if (mine == judge) {
            ++alike;
        } else if (mine.empty()) {
            // Refused here, read there: only for text the judge reads leniently (a byte above
            // 127 taken as is, a surrogate dropped, a zero character kept), a reference wider
            // than 8 bytes, an object that runs into the offset table (the judge reads up to
            // the end of the file), or an integer of 16 bytes no 64-bit value holds (the judge
            // keeps its low 64 bits).
            std::string why;
            PlistNode::checkBinary(b, why);
            const bool lenient = why.find("ASCII") != std::string::npos ||
                                 why.find("surrogate") != std::string::npos ||
                                 why.find("zero character") != std::string::npos ||
                                 why.find("reference") != std::string::npos ||
                                 why.find("beyond the range") != std::string::npos ||
                                 why == "damaged binary property list";
            EXPECT_TRUE(lenient) << trial << ": " << why;
            ++stricter;
        } else {
            ADD_FAILURE() << trial << ": "
                          << (judge.empty() ? "read here, refused by the judge"
                                            : "read differently")
                          << "\n  here:  " << mine.substr(0, 300)
                          << "\n  judge: " << judge.substr(0, 300);
        }
    }
    std::printf("mutants: %d refused by both, %d read alike, %d refused here only\n", both,
                alike, stricter);
    EXPECT_GT(both, 300);
    EXPECT_GT(alike, 300);
}

TEST(XmlNumbers, ANumberThatIsNotWhollyANumberRefusesTheList) {
    auto parse = [](const std::string& body, PlistValue& out) {
        const std::string xml =
            "<?xml version=\"1.0\"?><plist version=\"1.0\">" + body + "</plist>";
        return parsePlist(Bytes(xml.begin(), xml.end()), out);
    };
    PlistValue out;
    for (const char* bad :
         {"<real>abc</real>", "<real>1,5</real>", "<real>3 junk</real>", "<real></real>",
          "<real>--1</real>", "<real>1e</real>", "<integer>12abc</integer>",
          "<integer>1.5</integer>", "<integer></integer>", "<integer>0x</integer>",
          "<array><real>2</real><real>x2</real></array>", "<integer>18446744073709551616</integer>",
          "<integer>-9223372036854775809</integer>", "<real>1e999</real>"}) {
        const IoResult r = parse(bad, out);
        EXPECT_FALSE(r.ok()) << bad;
        EXPECT_NE(r.message.find("not a number"), std::string::npos) << bad << ": " << r.message;
    }
    ASSERT_TRUE(parse("<array><real> 1.5e3 </real><real>-0.25</real><real>+2</real>"
                      "<integer>-12</integer><integer>\n7\n</integer><integer>0x1F</integer>"
                      "<integer>-9223372036854775808</integer></array>",
                      out)
                    .ok());
    EXPECT_EQ(out, PlistValue::array(
                       {1500.0, -0.25, 2.0, -12, 7, 31, std::numeric_limits<std::int64_t>::min()}));
}

// Regression: a real below the range of normal doubles refused the document ("not a number a
// 64-bit value holds"), while the data tables read it as the nearest double, zero or
// subnormal; only a real beyond the largest double is none.
TEST(XmlNumbers, ARealBelowTheNormalRangeIsTheNearestDouble) {
    const std::string xml =
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><array>"
        "<real>1e-400</real><real>-1e-400</real><real>1e-310</real>"
        "<real>2.2250738585072014e-308</real></array></plist>";
    PlistValue out;
    ASSERT_TRUE(parsePlist(Bytes(xml.begin(), xml.end()), out).ok());
    EXPECT_EQ(out, PlistValue::array({0.0, -0.0, 1e-310, 2.2250738585072014e-308}));
}

// Regression: whether a real out of range was below the normal doubles or beyond the largest
// was decided by the C library's reading, which follows the locale: where the decimal mark is
// a comma (as a desktop program's locale may set it) "1.5e400" read as 1 and was taken in.
TEST(XmlNumbers, ARealBeyondTheLargestDoubleIsRefusedWhateverTheLocale) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    bool comma = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE"})
        if (std::setlocale(LC_NUMERIC, name) != nullptr &&
            std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
            comma = true;
            break;
        }
    const auto parsed = [](const char* real, PlistValue& out) {
        const std::string xml = std::string("<?xml version=\"1.0\"?><plist version=\"1.0\">") +
                                "<array><real>" + real + "</real></array></plist>";
        return parsePlist(Bytes(xml.begin(), xml.end()), out).ok();
    };
    PlistValue out;
    const bool beyond = parsed("1.5e400", out);
    const bool below = parsed("1.5e-400", out);
    std::setlocale(LC_NUMERIC, previous.c_str());
    if (!comma) GTEST_SKIP() << "no locale with a decimal comma here";
    EXPECT_FALSE(beyond);
    EXPECT_TRUE(below);
}

}  // namespace
}  // namespace vornex
