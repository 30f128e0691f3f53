// Property lists and keyed archives made as a hostile sender would make them: shared objects
// expanding without bound (or beyond the memory a file of its size may take), nesting hidden
// from the XML guard, XML archives whose references are dictionaries, and a fuzz run over
// mutated and generated archives of every such shape.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/KeyedArchiver.h"
#include "platform/PlistNode.h"
#include "platform/UserDefaults.h"
#include "support/HostileFiles.h"

namespace vornex {
namespace {

using Refs = std::vector<std::uint64_t>;

// A binary property list put together object by object, for shapes no writer makes: one
// object referenced from many places.
class BinaryList {
   public:
    std::uint64_t add(std::uint8_t marker, std::size_t count, std::string tail, Refs refs = {}) {
        Bytes head = {std::uint8_t(marker | std::min<std::size_t>(count, 15))};
        if (count >= 15 && count < 65536)
            head.insert(head.end(), {0x11, std::uint8_t(count >> 8), std::uint8_t(count)});
        if (count >= 65536)
            head.insert(head.end(), {0x12, std::uint8_t(count >> 24), std::uint8_t(count >> 16),
                                     std::uint8_t(count >> 8), std::uint8_t(count)});
        head.insert(head.end(), tail.begin(), tail.end());
        objects_.push_back({head, std::move(refs)});
        return objects_.size() - 1;
    }
    std::uint64_t str(const std::string& s) { return add(0x50, s.size(), s); }
    std::uint64_t uid(std::uint64_t v) {
        const unsigned n = width(v);
        std::string bytes;
        for (unsigned k = n; k-- > 0;) bytes.push_back(char(v >> (8 * k)));
        return add(std::uint8_t(0x80 | (n - 1)), 0, bytes);
    }
    std::uint64_t array(const Refs& refs) { return add(0xA0, refs.size(), "", refs); }
    std::uint64_t dict(const std::vector<std::pair<std::string, std::uint64_t>>& entries) {
        Refs refs;
        for (const auto& e : entries) {
            auto it = keys_.find(e.first);  // keys are stored once
            refs.push_back(it != keys_.end() ? it->second : keys_[e.first] = str(e.first));
        }
        for (const auto& e : entries) refs.push_back(e.second);
        return add(0xD0, entries.size(), "", refs);
    }
    // The whole list: a keyed-archive frame around "$objects" and "$top".
    Bytes archive(const Refs& objects, std::uint64_t top) {
        std::uint64_t root = dict(
            {{"$archiver", str("NSKeyedArchiver")}, {"$objects", array(objects)}, {"$top", top}});
        const unsigned ref = width(objects_.size());
        Bytes b = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
        Refs offsets;
        for (const auto& [head, refs] : objects_) {
            offsets.push_back(b.size());
            b.insert(b.end(), head.begin(), head.end());
            for (std::uint64_t r : refs) put(b, r, ref);
        }
        const unsigned off = width(b.size());
        const std::uint64_t table = b.size();
        for (std::uint64_t o : offsets) put(b, o, off);
        b.insert(b.end(), {0, 0, 0, 0, 0, 0, std::uint8_t(off), std::uint8_t(ref)});
        for (std::uint64_t v : {std::uint64_t(objects_.size()), root, table}) put(b, v, 8);
        return b;
    }
    std::uint64_t size() const { return objects_.size(); }

   private:
    static unsigned width(std::uint64_t n) { return n < 256 ? 1 : n < 65536 ? 2 : 4; }
    static void put(Bytes& b, std::uint64_t v, unsigned n) {
        for (unsigned k = n; k-- > 0;) b.push_back(std::uint8_t(v >> (8 * k)));
    }
    std::vector<std::pair<Bytes, Refs>> objects_;
    std::map<std::string, std::uint64_t> keys_;
};

// Under "$top" "root", plain arrays `levels` deep, each holding the one below `width` times.
Bytes sharedArrays(int levels, int width) {
    BinaryList l;
    std::uint64_t below = l.str("leaf");
    for (int i = 0; i < levels; ++i) below = l.array(Refs(width, below));
    return l.archive({l.str("$null")}, l.dict({{"root", below}}));
}

// Under "$top" "root", archived NSArray entries `levels` deep, each referencing the one below
// `width` times.
Bytes sharedEntries(int levels, int width) {
    BinaryList l;
    Refs entries = {l.str("$null")};
    std::uint64_t cls = l.uid(levels + 1);
    for (int i = 1; i <= levels; ++i)
        entries.push_back(
            l.dict({{"NS.objects", l.array(Refs(width, l.uid(i - 1)))}, {"$class", cls}}));
    entries.push_back(l.dict({{"$classname", l.str("NSArray")}}));
    return l.archive(entries, l.dict({{"root", l.uid(levels)}}));
}

Bytes bytesOf(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// The XML form of a binary property list, as the platform's converters write it.
Bytes xmlOf(const Bytes& binary) {
    std::string error;
    return PlistNode::parse(binary, error).toXml();
}

// Values, string and data bytes and key bytes of a decoded value, as the readers count them.
std::uint64_t expandedSize(const PlistValue& v) {
    std::uint64_t n = 1 + v.toString().size() + v.toData().size();
    for (const PlistValue& item : v.items()) n += expandedSize(item);
    for (const auto& [key, value] : v.entries()) n += key.size() + expandedSize(value);
    return n;
}

TEST(SharedObjects, ExpansionBeyondTheFileSizeIsRefusedAndModestSharingRead) {
    const PlistValue two = PlistValue::array({PlistValue(), PlistValue()});
    const struct {
        Bytes bomb, modest;
        std::size_t bombSize;
        PlistValue innermost;
    } cases[] = {
        // 2^24 copies of an array of binary-list objects; 2^32 of an archive entry.
        {sharedArrays(24, 2), sharedArrays(5, 3), 240, PlistValue::array({"leaf", "leaf", "leaf"})},
        {sharedEntries(32, 2), sharedEntries(5, 2), 800, two},
    };
    for (const auto& c : cases) {
        EXPECT_LT(c.bomb.size(), c.bombSize);
        EXPECT_NE(KeyedUnarchiver(c.bomb).error().find("expand"), std::string::npos);
        KeyedUnarchiver modest(c.modest);
        ASSERT_TRUE(modest.ok()) << modest.error();
        EXPECT_EQ(modest.decodeObject("root").at(1).at(0).at(1).at(0), c.innermost);
    }
    PlistValue out;
    EXPECT_NE(parsePlist(cases[0].bomb, out).message.find("expand"), std::string::npos);
}

TEST(XmlNesting, ClosingTagsInCommentsSectionsAndDeclarationsDoNotHideDepth) {
    const std::string hiding[][2] = {{"<!--", "-->"},
                                     {"<string><![CDATA[", "]]></string>"},
                                     {"<?pi ", "?>"},
                                     {"<!DOCTYPE plist [", "]>"}};
    for (const auto& [open, close] : hiding) {
        // A document type declaration stands before the first element.
        const bool prolog = open.starts_with("<!DOCTYPE");
        std::string xml =
            "<?xml version=\"1.0\"?>" + (prolog ? open : "<plist version=\"1.0\"><array>" + open);
        for (int i = 0; i < 250000; ++i) xml += "</array>";
        xml += close;
        if (prolog) xml += "<plist version=\"1.0\"><array>";
        for (int i = 0; i < 250000; ++i) xml += "<array>";
        PlistValue out;
        IoResult r = parsePlist(bytesOf(xml), out);
        EXPECT_NE(r.message.find("deeply"), std::string::npos) << open << ": " << r.message;
    }
    // What hides inside them is kept out of the values, or kept as text.
    const std::string shallow =
        "<plist><array><!-- </array><array> --><string>a<![CDATA[</array><b>]]></string>"
        "<?pi </array>?><array/></array></plist>";
    PlistValue out;
    ASSERT_TRUE(parsePlist(bytesOf(shallow), out));
    EXPECT_EQ(out, PlistValue::array({"a</array><b>", PlistValue::array()}));
    for (const char* damaged : {"<plist><array x='<array>'></array></plist>",
                                "<plist><arrayx></arrayx></plist>", "<plist><array><!--"})
        EXPECT_FALSE(parsePlist(bytesOf(damaged), out)) << damaged;
}

// A CDATA section is a string's text: numbers, data and reals written inside one are neither
// checked as elements nor rewritten, and the reals after it keep their own values.
TEST(XmlNumbers, ElementsWrittenInsideACdataSectionAreText) {
    const std::string text = "a <real>5</real> <integer>010</integer> <data>A</data>";
    const std::string xml = "<plist version=\"1.0\"><dict><key>note</key><string><![CDATA[" + text +
                            "]]></string><key>T</key><real>300.25</real><key>n</key>"
                            "<integer>010</integer></dict></plist>";
    PlistValue out;
    const IoResult r = parsePlist(bytesOf(xml), out);
    ASSERT_TRUE(r) << r.message;
    EXPECT_EQ(out.get("note"), PlistValue(text));
    EXPECT_EQ(out.get("T").toDouble(), 300.25);
    EXPECT_EQ(out.get("n").toInteger(), 10);
}

TEST(XmlWellFormed, ADocumentTypeDeclarationStandsOnlyBeforeTheFirstElement) {
    const std::string declaration = "<!DOCTYPE plist SYSTEM \"plist.dtd\">";
    PlistValue out;
    ASSERT_TRUE(parsePlist(bytesOf("<?xml version=\"1.0\"?>" + declaration +
                                   "<plist version=\"1.0\"><string>a</string></plist>"),
                           out));
    EXPECT_EQ(out, PlistValue("a"));
    for (const std::string& misplaced :
         {"<plist version=\"1.0\"><string>a" + declaration + "</string></plist>",
          "<plist version=\"1.0\">" + declaration + "<string>a</string></plist>",
          "<plist version=\"1.0\"><string>a</string></plist>" + declaration,
          declaration + declaration + "<plist version=\"1.0\"><string>a</string></plist>"}) {
        const IoResult r = parsePlist(bytesOf(misplaced), out);
        EXPECT_FALSE(r) << misplaced;
        EXPECT_NE(r.message.find("document type declaration"), std::string::npos) << r.message;
    }
}

TEST(XmlArchive, EveryValueSurvivesTheRoundTripThroughXml) {
    PlistValue list = PlistValue::array();
    for (int i = 0; i < 3; ++i) {
        PlistValue c = PlistValue::object("CCase");
        c.set("name", "case " + std::to_string(i));
        c.set("T0", 300.0 + i / 3.0);
        c.set("count", -7 * i);
        c.set("logx", i == 2);
        c.set("points", PlistValue::array({1.5, PlistValue(), Bytes{0, 9}, "x"}));
        c.set("colour", Color::calibratedRGB(0.25, 0.5, 1, 0.75));
        list.append(std::move(c));
    }
    const Bytes xml = xmlOf(KeyedArchiver::archivedData(list, "list"));
    KeyedUnarchiver u(xml);
    ASSERT_TRUE(u.ok()) << u.error();
    EXPECT_EQ(u.decodeObject("list"), list);
    // A reference outside the object table fails loudly, as in binary form.
    std::string broken(xml.begin(), xml.end());
    broken.replace(broken.find("<integer>", broken.find("CF$UID")), 9, "<integer>9");
    EXPECT_NE(KeyedUnarchiver(bytesOf(broken)).error().find("outside"), std::string::npos);
}

// A document of 400 cases in XML took 15 s to open and one of 2,000 did not open in minutes:
// the check of character references searched from every tag to the end of the text. The
// bound is a guard against that hang, far above what opening takes (the benchmarks time it).
TEST(XmlArchive, TwoThousandCasesOpenWithinAGenerousBound) {
    PlistValue list = PlistValue::array();
    for (int c = 0; c < 2000; ++c) {
        PlistValue item = PlistValue::dictionary();
        item.set("name", "case " + std::to_string(c));
        item.set("comment", c % 2 == 0 ? "vein &#38; host" : "brine < 30 %");
        for (int k = 0; k < 60; ++k) item.set("v" + std::to_string(k), 0.25 * k + c);
        list.append(std::move(item));
    }
    const Bytes xml = xmlOf(KeyedArchiver::archivedData(list, "list"));
    ASSERT_GT(xml.size(), 10u << 20);
    const auto run = testing::runBounded(120, [&] {
        KeyedUnarchiver u(xml);
        const PlistValue read = u.decodeObject("list");
        return u.ok() && read == list ? std::string("read") : u.error();
    });
    EXPECT_TRUE(run.finished) << "opening " << xml.size() << " bytes of XML did not end";
    EXPECT_EQ(run.said, "read");
}

// Under "$top" "list", an archived array of `n` references to one archived array of 30
// reals: each byte of the file's reference list stands for 30 decoded values.
Bytes fanOut(std::size_t n) {
    BinaryList l;
    const std::uint64_t cls = l.uid(4);
    const std::uint64_t inner =
        l.dict({{"NS.objects", l.array(Refs(30, l.uid(3)))}, {"$class", cls}});
    const std::uint64_t list =
        l.dict({{"NS.objects", l.array(Refs(n, l.uid(1)))}, {"$class", cls}});
    const std::uint64_t real = l.add(0x23, 0, std::string("\x3f\xf8\0\0\0\0\0\0", 8));
    const std::uint64_t named = l.dict({{"$classname", l.str("NSMutableArray")}});
    return l.archive({l.str("$null"), inner, list, real, named}, l.dict({{"list", l.uid(2)}}));
}

TEST(SharedObjects, FanOutOfMillionsOfValuesIsRefusedUnderAMemoryLimitAndSmallOnesRead) {
    // 1 MB and 4 MB of references would decode to some 0.8 and 3 GB of values.
    for (std::size_t n : {std::size_t{1000000}, std::size_t{4000000}}) {
        const Bytes bytes = fanOut(n);
        const auto run = testing::runBounded(
            60, [&bytes] { return KeyedUnarchiver(bytes).error(); }, std::size_t{512} << 20);
        EXPECT_TRUE(run.finished) << n << " references: signal " << run.signal;
        EXPECT_NE(run.said.find("beyond the memory allowed a file of " +
                                std::to_string(bytes.size()) + " bytes"),
                  std::string::npos)
            << run.said;
        // What the refusal costs stays within the budget of the file.
        EXPECT_LT(run.grewBy, static_cast<long long>(PlistNode::expansionBudget(bytes.size())))
            << n;
        std::printf("%zu references in %zu bytes: refused, %.1f MB added\n", n, bytes.size(),
                    run.grewBy / 1e6);
    }
    // The same shape within the budget decodes whole.
    KeyedUnarchiver few(fanOut(2000));
    ASSERT_TRUE(few.ok()) << few.error();
    const PlistValue list = few.decodeObject("list");
    ASSERT_EQ(list.size(), 2000u);
    EXPECT_EQ(list.at(1999), PlistValue::array(PlistValue::Array(30, PlistValue(1.5))));
}

TEST(SharedObjects, RunningOutOfMemoryWhileDecodingIsARefusalNotAnAbort) {
    if (testing::kSanitizerBuild)
        GTEST_SKIP() << "the sanitizer's shadow memory leaves no address-space limit to hit";
    // 20,000 texts of 200 bytes, each referenced 20 times: 5 MB decoding to some 150 MB,
    // within the budget, in a process left 48 MB.
    BinaryList l;
    Refs entries = {l.str("$null")}, refs;
    for (int i = 0; i < 20000; ++i) {
        std::string text(200, char('a' + i % 26));
        text += std::to_string(i);
        entries.push_back(l.str(text));
        const std::uint64_t u = l.uid(entries.size() - 1);
        for (int k = 0; k < 20; ++k) refs.push_back(u);
    }
    const std::uint64_t cls = l.uid(entries.size() + 1);  // the entry after the list
    entries.push_back(l.dict({{"NS.objects", l.array(refs)}, {"$class", cls}}));
    entries.push_back(l.dict({{"$classname", l.str("NSArray")}}));
    const Bytes bytes = l.archive(entries, l.dict({{"list", l.uid(entries.size() - 2)}}));
    const auto run = testing::runBounded(60, [&bytes] {
        const rlimit left{rlim_t(48) << 20, rlim_t(48) << 20};
        rlimit now{};
        ::getrlimit(RLIMIT_AS, &now);
        long long pages = 0;
        if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%lld", &pages) != 1) pages = 0;
            std::fclose(f);
        }
        const rlimit tight{rlim_t(pages * ::sysconf(_SC_PAGESIZE)) + left.rlim_cur, now.rlim_max};
        ::setrlimit(RLIMIT_AS, &tight);
        KeyedUnarchiver u(bytes);
        return std::string(u.ok() ? "read" : u.error());
    });
    EXPECT_TRUE(run.finished) << "signal " << run.signal;
    EXPECT_NE(run.said.find("not enough memory"), std::string::npos) << run.said;
    // The same in this process, which goes on with the memory given back.
    {
        rlimit before{};
        ASSERT_EQ(::getrlimit(RLIMIT_AS, &before), 0);
        const rlimit tight{rlim_t(testing::statusBytes("VmSize") + (48 << 20)), before.rlim_max};
        ASSERT_EQ(::setrlimit(RLIMIT_AS, &tight), 0);
        const KeyedUnarchiver u(bytes);
        ::setrlimit(RLIMIT_AS, &before);
        EXPECT_EQ(u.result().status, IoStatus::InvalidData);
        EXPECT_EQ(u.error(), "not readable: not enough memory to decode " +
                                 std::to_string(bytes.size()) + " bytes");
        EXPECT_TRUE(u.topLevel().entries().empty());
    }
    // With the memory it needs, the same archive reads (in a child too, leaving this
    // process small for the forks of other tests).
    const auto whole = testing::runBounded(60, [&bytes] {
        KeyedUnarchiver u(bytes);
        return u.ok() ? std::to_string(u.decodeObject("list").size()) : u.error();
    });
    EXPECT_EQ(whole.said, "400000");
}

// An archive whose encoding finds no memory left is refused, not ended by an exception,
// and the archiver can still write it once memory is there.
TEST(SharedObjects, RunningOutOfMemoryWhileEncodingIsARefusalNotAnAbort) {
    if (testing::kSanitizerBuild)
        GTEST_SKIP() << "the sanitizer's shadow memory leaves no address-space limit to hit";
    PlistValue::Array texts;
    for (int i = 0; i < 100000; ++i) texts.emplace_back("text " + std::to_string(i));
    KeyedArchiver a;
    a.encodeObject("list", PlistValue::array(std::move(texts)));
    // Memory earlier tests of the same process freed stays mapped, and the allocator hands
    // out large blocks from it once large blocks have been freed: with large blocks mapped on
    // their own again, what the encoder asks for is new address space.
    ::mallopt(M_MMAP_THRESHOLD, 128 << 10);
    ::malloc_trim(0);
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_AS, &before), 0);
    const rlimit tight{rlim_t(testing::statusBytes("VmSize") + (2 << 20)), before.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_AS, &tight), 0);
    IoResult starved;
    const Bytes none = a.encodedData(&starved);
    ::setrlimit(RLIMIT_AS, &before);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(starved.status, IoStatus::WriteFailed);
    EXPECT_EQ(starved.message, "cannot be archived: not enough memory to encode it");
    IoResult made;
    const Bytes bytes = a.encodedData(&made);
    ASSERT_TRUE(made.ok()) << made.message;
    EXPECT_EQ(KeyedUnarchiver(bytes).decodeObject("list").at(99999), PlistValue("text 99999"));
}

// ------------------------------------------------------------------------------- fuzz

class Fuzz {
   public:
    std::uint64_t below(std::uint64_t n) { return n == 0 ? 0 : rng_() % n; }

    // Bytes changed, spans removed or doubled, tokens of either form let in.
    Bytes mutate(Bytes b) {
        static const char* tokens[] = {
            "<array>", "</array>",     "<dict>",
            "<!--",    "-->",          "<![CDATA[",
            "]]>",     "<?",           "<!DOCTYPE a [",
            "&#0;",    "\xFF\xFF\xFF", "<dict><key>CF$UID</key><integer>1</integer></dict>"};
        for (std::uint64_t k = 1 + below(3); k > 0 && !b.empty(); --k) {
            auto at = b.begin() + long(below(b.size()));
            auto end = at + long(below(std::min<long>(64, b.end() - at)));
            std::string t = tokens[below(std::size(tokens))];
            Bytes span(at, end);
            const std::uint64_t op = below(8);
            if (op == 0) b.erase(at, below(4) == 0 ? b.end() : end);
            if (op == 1) b.insert(at, span.begin(), span.end());
            if (op == 2) b.insert(at, t.begin(), t.end());
            if (op > 2) *at ^= std::uint8_t(1u << below(8));
        }
        return b;
    }

    // Plain arrays under "$top", mostly holding the last few made, so that sharing and depth
    // grow; now and then a reference anywhere, making cycles and strays.
    Bytes randomList() {
        BinaryList l;
        Refs made = {l.str("a"), l.str(""), l.str("bc")};
        for (std::uint64_t n = 2 + below(60); n > 0; --n) {
            Refs refs(below(6));
            for (auto& r : refs)
                r = below(16) == 0 ? below(l.size() + 2) : made[made.size() - 1 - below(3)];
            made.push_back(l.array(refs));
        }
        return l.archive({l.str("$null")}, l.dict({{"root", made.back()}}));
    }

   private:
    std::mt19937_64 rng_{20261207};
};

TEST(ArchiveFuzz, MutatedAndGeneratedArchivesAreDecodedOrRefusedWithinBounds) {
    PlistValue doc = PlistValue::array();
    for (int i = 0; i < 4; ++i)
        doc.append(PlistValue::array({"case", i, 0.5 * i, Color::deviceRGB(1, 0, 0.5)}));
    const Bytes binary = KeyedArchiver::archivedData(doc, "list");
    const std::vector<Bytes> seeds = {binary, xmlOf(binary), sharedArrays(12, 2),
                                      sharedEntries(14, 2), xmlOf(sharedArrays(6, 2))};
    Fuzz fuzz;
    int decoded = 0, refused = 0;
    for (int trial = 0; trial < 4000; ++trial) {
        Bytes b = trial % 4 == 0   ? fuzz.randomList()
                  : trial % 4 == 1 ? sharedEntries(int(1 + fuzz.below(60)), int(1 + fuzz.below(4)))
                                   : fuzz.mutate(seeds[fuzz.below(seeds.size())]);
        if (trial % 8 == 1) b = xmlOf(b);
        if (trial % 8 == 0) b = fuzz.mutate(b);
        const std::uint64_t budget = PlistNode::expansionBudget(b.size());
        KeyedUnarchiver u(b);
        (u.ok() ? decoded : refused) += 1;
        EXPECT_TRUE(u.ok() || !u.error().empty()) << trial;
        EXPECT_LE(expandedSize(u.topLevel()), budget) << trial;
        PlistValue plain;
        parsePlist(b, plain);  // a null value when refused
        EXPECT_LE(expandedSize(plain), budget) << trial;
    }
    EXPECT_GT(decoded, 400);
    EXPECT_GT(refused, 400);
}

}  // namespace
}  // namespace vornex

// ------------------------------------------------------------------------ plain lists read exactly

namespace vornex {
namespace {

Bytes xmlList(const std::string& body) {
    return bytesOf("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body +
                   "\n</plist>\n");
}

// Integers once read "010" as 8, as octal; the XML form's integers are decimal (or "0x" hex).
TEST(PlainLists, XmlIntegersAreDecimal) {
    PlistValue v;
    ASSERT_TRUE(parsePlist(xmlList("<array><integer>010</integer><integer> -007 </integer>"
                                   "<integer>0x10</integer><integer>+0</integer>"
                                   "<integer>000</integer><integer>-0</integer>"
                                   "<integer>09223372036854775807</integer></array>"),
                           v));
    const std::int64_t expected[] = {10, -7, 16, 0, 0, 0, INT64_MAX};
    ASSERT_EQ(v.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(v.at(i).toInteger(), expected[i]);
}

// Damaged base64 once read as other bytes ("AQI+g==" as 01 02 3e, "A" as nothing); what is
// base64 reads as its bytes, blanks and all.
TEST(PlainLists, XmlDataThatIsNotBase64IsRefused) {
    for (const char* text : {"AQI+g==", "AQID+g=", "A", "AQ=I", "AQ", "AQI===", "AQ&#65;=", "A*ID"}) {
        SCOPED_TRACE(text);
        PlistValue v;
        const IoResult r = parsePlist(xmlList(std::string("<data>") + text + "</data>"), v);
        EXPECT_EQ(r.status, IoStatus::InvalidData);
        EXPECT_NE(r.message.find("not base64"), std::string::npos) << r.message;
        EXPECT_TRUE(v.isNull());
    }
    const std::pair<const char*, Bytes> read[] = {
        {"AQID", {1, 2, 3}}, {"AQI=", {1, 2}}, {" AQ\n== ", {1}}, {"", {}}, {"/+8=", {0xff, 0xef}}};
    for (const auto& [text, bytes] : read) {
        SCOPED_TRACE(text);
        PlistValue v;
        ASSERT_TRUE(parsePlist(xmlList(std::string("<data>") + text + "</data>"), v));
        EXPECT_EQ(v.toData(), bytes);
    }
}

// Dates, sets and references once read as null, and the key holding one was left out at the
// next save: a plain list holding a date or a set is refused as holding what this program does
// not keep; a reference is kept.
TEST(PlainLists, DatesAndSetsAreRefusedAndReferencesKept) {
    std::vector<std::pair<std::string, Bytes>> lists = {
        {"XML date", xmlList("<dict><key>when</key><date>2020-01-01T00:00:00Z</date>"
                             "<key>n</key><integer>1</integer></dict>")}};
    {
        BinaryList l;
        const std::uint64_t date = l.add(0x30, 3, std::string(8, '\0'));
        lists.push_back({"binary date", l.archive({l.str("a")}, l.dict({{"when", date}}))});
    }
    {
        BinaryList l;
        const std::uint64_t set = l.add(0xC0, 1, "", {l.str("a")});
        lists.push_back({"binary set", l.archive({l.str("a")}, l.dict({{"s", set}}))});
    }
    for (const auto& [name, bytes] : lists) {
        SCOPED_TRACE(name);
        PlistValue v;
        const IoResult r = parsePlist(bytes, v);
        EXPECT_EQ(r.status, IoStatus::NotKept) << r.message;
        EXPECT_TRUE(v.isNull());
    }
    // A reference reads as the XML form holds one, and so saved in either form reads back.
    {
        BinaryList l;
        PlistValue v;
        ASSERT_TRUE(parsePlist(l.archive({l.str("a")}, l.dict({{"u", l.uid(7)}})), v));
        const PlistValue& u = v.get("$top").get("u");
        ASSERT_TRUE(u.isDictionary());
        EXPECT_EQ(u.get("CF$UID").toInteger(), 7);
        for (const PlistFormat f : {PlistFormat::Xml, PlistFormat::Binary}) {
            PlistValue back;
            ASSERT_TRUE(parsePlist(serializePlist(v, f), back));
            EXPECT_EQ(back, v);
        }
    }
    // Preferences holding a date are left as they are: read as empty and never replaced.
    const std::string file = "prefs-with-date.plist";
    ASSERT_TRUE(writeFileAtomically(file, lists[0].second).ok());
    UserDefaults d(file);
    EXPECT_EQ(d.load().status, IoStatus::NotKept);
    d.set("n", 2);
    const IoResult saved = d.save();
    EXPECT_FALSE(saved.ok());
    EXPECT_NE(saved.message.find("date"), std::string::npos) << saved.message;
    Bytes after;
    ASSERT_TRUE(readFileBytes(file, after).ok());
    EXPECT_EQ(after, lists[0].second);
}

}  // namespace
}  // namespace vornex
