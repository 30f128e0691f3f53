// Property lists and keyed archives made as a hostile sender would make them: shared objects
// expanding without bound, nesting hidden from the XML guard, XML archives whose references
// are dictionaries, and a fuzz run over mutated and generated archives of every such shape.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/KeyedArchiver.h"
#include "platform/PlistNode.h"

namespace vornex {
namespace {

// A binary property list put together object by object, for shapes no writer makes: one
// object referenced from many places.
class BinaryList {
   public:
    std::uint64_t add(Bytes head, std::vector<std::uint64_t> refs = {}) {
        objects_.push_back({std::move(head), std::move(refs)});
        return objects_.size() - 1;
    }
    // A container of the references; `marker` tells its kind.
    std::uint64_t add(std::uint8_t marker, std::size_t count, std::vector<std::uint64_t> refs) {
        return add(withCount(marker, count), std::move(refs));
    }
    std::uint64_t string(const std::string& s) { return add(withCount(0x50, s.size(), s)); }
    std::uint64_t integer(std::uint32_t v) {
        return add({0x12, std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8),
                    std::uint8_t(v)});
    }
    std::uint64_t uid(std::uint8_t v) { return add({0x80, v}); }
    std::uint64_t array(std::vector<std::uint64_t> refs) {
        const std::size_t n = refs.size();
        return add(0xA0, n, std::move(refs));
    }
    std::uint64_t dict(const std::vector<std::pair<std::uint64_t, std::uint64_t>>& entries) {
        std::vector<std::uint64_t> refs;
        for (auto [k, v] : entries) refs.push_back(k);
        for (auto [k, v] : entries) refs.push_back(v);
        return add(0xD0, entries.size(), std::move(refs));
    }
    // A keyed-archive frame around "$objects" and "$top".
    std::uint64_t archive(std::uint64_t objects, std::uint64_t top) {
        return dict({{string("$archiver"), string("NSKeyedArchiver")},
                     {string("$version"), integer(100000)},
                     {string("$objects"), objects},
                     {string("$top"), top}});
    }
    std::size_t size() const { return objects_.size(); }

    Bytes finish(std::uint64_t top) const {
        const unsigned ref = objects_.size() < 256 ? 1 : 2;
        Bytes b = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
        std::vector<std::uint64_t> offsets;
        for (const auto& [head, refs] : objects_) {
            offsets.push_back(b.size());
            b.insert(b.end(), head.begin(), head.end());
            for (std::uint64_t r : refs) put(b, r, ref);
        }
        const unsigned off = b.size() < 256 ? 1 : b.size() < 65536 ? 2 : 4;
        const std::uint64_t table = b.size();
        for (std::uint64_t o : offsets) put(b, o, off);
        b.insert(b.end(), 6, 0);
        b.push_back(std::uint8_t(off));
        b.push_back(std::uint8_t(ref));
        for (std::uint64_t v : {std::uint64_t(objects_.size()), top, table}) put(b, v, 8);
        return b;
    }

   private:
    static Bytes withCount(std::uint8_t marker, std::size_t n, const std::string& tail = "") {
        Bytes b;
        if (n < 15) {
            b.push_back(std::uint8_t(marker | n));
        } else {
            b = {std::uint8_t(marker | 0x0F), 0x11};
            put(b, n, 2);
        }
        b.insert(b.end(), tail.begin(), tail.end());
        return b;
    }
    static void put(Bytes& b, std::uint64_t v, unsigned n) {
        for (unsigned k = n; k-- > 0;) b.push_back(std::uint8_t(v >> (8 * k)));
    }
    std::vector<std::pair<Bytes, std::vector<std::uint64_t>>> objects_;
};

// Under "$top" "root", plain arrays `levels` deep, each holding the one below `width` times.
Bytes sharedArrays(int levels, int width) {
    BinaryList l;
    std::uint64_t below = l.integer(7);
    for (int i = 0; i < levels; ++i) below = l.array(std::vector<std::uint64_t>(width, below));
    std::uint64_t top = l.dict({{l.string("root"), below}});
    return l.finish(l.archive(l.array({l.string("$null")}), top));
}

// Under "$top" "root", archived NSArray entries `levels` deep, each referencing the one below
// `width` times.
Bytes sharedEntries(int levels, int width) {
    BinaryList l;
    std::uint64_t nul = l.string("$null"), objectsKey = l.string("NS.objects");
    std::uint64_t classKey = l.string("$class"), cls = l.uid(std::uint8_t(levels + 1));
    std::vector<std::uint64_t> entries = {nul};
    for (int i = 1; i <= levels; ++i) {
        std::uint64_t below = l.uid(std::uint8_t(i - 1));
        entries.push_back(l.dict(
            {{objectsKey, l.array(std::vector<std::uint64_t>(width, below))}, {classKey, cls}}));
    }
    entries.push_back(l.dict({{l.string("$classname"), l.string("NSArray")}}));
    std::uint64_t top = l.dict({{l.string("root"), l.uid(std::uint8_t(levels))}});
    return l.finish(l.archive(l.array(entries), top));
}

Bytes bytesOf(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// Values, string and data bytes and key bytes of a decoded value, as the readers count them.
std::uint64_t expandedSize(const PlistValue& v) {
    std::uint64_t n = 1 + v.toString().size() + v.toData().size();
    for (const PlistValue& item : v.items()) n += expandedSize(item);
    for (const auto& [key, value] : v.entries()) n += key.size() + expandedSize(value);
    return n;
}

TEST(SharedObjects, ExpandingBinaryListIsRefusedAtOnce) {
    const Bytes bomb = sharedArrays(24, 2);  // 2^24 copies of the innermost array
    EXPECT_LT(bomb.size(), 240u);
    KeyedUnarchiver u(bomb);
    EXPECT_NE(u.error().find("expand"), std::string::npos) << u.error();
    PlistValue out;
    EXPECT_NE(parsePlist(bomb, out).message.find("expand"), std::string::npos);
    // Modest sharing still reads, every copy in place.
    KeyedUnarchiver shallow(sharedArrays(4, 3));
    ASSERT_TRUE(shallow.ok()) << shallow.error();
    EXPECT_EQ(shallow.decodeObject("root").at(2).at(1).at(0).at(2).toInteger(), 7);
}

TEST(SharedObjects, ArchiveFanningOutThroughReferencesIsRefusedAtOnce) {
    const Bytes bomb = sharedEntries(32, 2);  // 2^32 copies of the innermost entry
    EXPECT_LT(bomb.size(), 800u);
    KeyedUnarchiver u(bomb);
    EXPECT_NE(u.error().find("expand"), std::string::npos) << u.error();
    KeyedUnarchiver shallow(sharedEntries(5, 2));
    ASSERT_TRUE(shallow.ok()) << shallow.error();
    EXPECT_EQ(shallow.decodeObject("root").at(1).at(0).at(1).at(0),
              PlistValue::array({PlistValue(), PlistValue()}));
}

TEST(XmlNesting, ClosingTagsInCommentsSectionsAndDeclarationsDoNotHideDepth) {
    const std::string closers = [] {
        std::string s;
        for (int i = 0; i < 250000; ++i) s += "</array>";
        return s;
    }();
    const std::string hiding[][2] = {{"<!--", "-->"},
                                     {"<string><![CDATA[", "]]></string>"},
                                     {"<?pi ", "?>"},
                                     {"<!DOCTYPE plist [", "]>"}};
    for (const auto& [open, close] : hiding) {
        std::string xml =
            "<?xml version=\"1.0\"?><plist version=\"1.0\"><array>" + open + closers + close;
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

// The XML form of a binary property list, as the platform's converters write it.
Bytes xmlOf(const Bytes& binary) {
    std::string error;
    return PlistNode::parse(binary, error).toXml();
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
    ASSERT_NE(std::string(xml.begin(), xml.end()).find("CF$UID"), std::string::npos);
    KeyedUnarchiver u(xml);
    ASSERT_TRUE(u.ok()) << u.error();
    EXPECT_EQ(u.decodeObject("list"), list);
    // A reference outside the object table fails loudly, as in binary form.
    std::string broken(xml.begin(), xml.end());
    broken.replace(broken.find("<integer>", broken.find("CF$UID")), 9, "<integer>9");
    EXPECT_NE(KeyedUnarchiver(bytesOf(broken)).error().find("outside"), std::string::npos);
}

// ------------------------------------------------------------------------------- fuzz

class Fuzz {
   public:
    std::uint64_t below(std::uint64_t n) { return n == 0 ? 0 : rng_() % n; }

    // Bytes flipped, spans removed, doubled or moved, tokens of the format let in, or a cut.
    Bytes mutate(Bytes b) {
        static const char* tokens[] = {"<array>",
                                       "</array>",
                                       "<dict>",
                                       "</dict>",
                                       "<!--",
                                       "-->",
                                       "<![CDATA[",
                                       "]]>",
                                       "<?",
                                       "?>",
                                       "<!DOCTYPE a [",
                                       "]>",
                                       "<dict><key>CF$UID</key><integer>1</integer></dict>",
                                       "&#0;",
                                       "<array/>",
                                       "\xFF\xFF\xFF\xFF"};
        for (std::uint64_t k = 1 + below(3); k > 0 && !b.empty(); --k) {
            std::uint64_t at = below(b.size()),
                          n = 1 + below(std::min<std::size_t>(64, b.size() - at));
            switch (below(12)) {
                case 0:
                    b[at] = std::uint8_t(rng_());
                    break;
                case 1:
                    b.erase(b.begin() + long(at), b.begin() + long(at + n));
                    break;
                case 2:
                    b.insert(b.begin() + long(at), b.begin() + long(at), b.begin() + long(at + n));
                    break;
                case 3: {
                    std::string t = tokens[below(std::size(tokens))];
                    b.insert(b.begin() + long(at), t.begin(), t.end());
                    break;
                }
                case 4:
                    b[b.size() - 1 - below(std::min<std::size_t>(32, b.size()))] =
                        std::uint8_t(rng_());
                    break;
                case 5:
                    b.resize(at);
                    break;
                default:
                    b[at] ^= std::uint8_t(1u << below(8));
                    break;
            }
        }
        return b;
    }

    // A random graph of plain arrays under "$top", mostly holding the last few made, so
    // sharing and depth grow; now and then a reference anywhere, making cycles and strays.
    Bytes randomList() {
        BinaryList l;
        std::vector<std::uint64_t> made = {l.integer(std::uint32_t(rng_())), l.string("s"),
                                           l.string("")};
        for (std::uint64_t n = 2 + below(60); n > 0; --n) {
            std::vector<std::uint64_t> refs(below(6));
            for (auto& r : refs)
                r = below(16) == 0 ? below(l.size() + 2) : made[made.size() - 1 - below(3)];
            made.push_back(l.array(refs));
        }
        std::uint64_t top = l.dict({{l.string("root"), made.back()}});
        return l.finish(l.archive(l.array({l.string("$null")}), top));
    }

   private:
    std::mt19937_64 rng_{20261207};
};

TEST(ArchiveFuzz, MutatedAndGeneratedArchivesAreDecodedOrRefusedWithinBounds) {
    PlistValue doc = PlistValue::array();
    for (int i = 0; i < 4; ++i) {
        PlistValue c = PlistValue::dictionary();
        c.set("name", "case " + std::to_string(i));
        c.set("values", PlistValue::array({i, 0.5 * i, Color::deviceRGB(1, 0, 0.5)}));
        doc.append(c);
    }
    const Bytes binary = KeyedArchiver::archivedData(doc, "list");
    const std::vector<Bytes> seeds = {binary, xmlOf(binary), sharedArrays(12, 2),
                                      sharedEntries(14, 2), xmlOf(sharedArrays(6, 2))};
    Fuzz fuzz;
    int decoded = 0, refused = 0;
    for (int trial = 0; trial < 4000; ++trial) {
        Bytes b;
        switch (trial % 4) {
            case 0:
                b = fuzz.randomList();
                break;
            case 1:
                b = sharedEntries(int(1 + fuzz.below(60)), int(1 + fuzz.below(4)));
                if (fuzz.below(4) == 0) b = xmlOf(b);
                break;
            default:
                b = fuzz.mutate(seeds[fuzz.below(seeds.size())]);
                break;
        }
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
