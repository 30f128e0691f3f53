#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "numerics/CallbackProbe.h"
#include "numerics/ConsoleInput.h"

namespace vornex {
namespace {

TEST(ConsoleInput, GetCharAnswersAndDefaults) {
    std::istringstream in("y\n\nyes\nn\r\n\r\nq");
    EXPECT_EQ(getChar('n', in), 'y');
    EXPECT_EQ(getChar('d', in), 'd');  // empty line
    EXPECT_EQ(getChar('d', in), 'y');  // the rest of "yes" is dropped with its line
    EXPECT_EQ(getChar('d', in), 'n');  // CR LF is one line end
    EXPECT_EQ(getChar('d', in), 'd');
    EXPECT_EQ(getChar('d', in), 'q');  // last line without an end
    EXPECT_EQ(getChar('e', in), 'e');  // end of input
}

TEST(ConsoleInput, GetIntegerAndGetDouble) {
    std::istringstream in("42\n\n-7 apples\nnonsense\n2.5e3\n\r\n  -0.125\n3");
    EXPECT_EQ(getInteger(5, in), 42);
    EXPECT_EQ(getInteger(5, in), 5);
    EXPECT_EQ(getInteger(5, in), -7);
    EXPECT_EQ(getInteger(5, in), 5);  // no number: the default, not 0
    EXPECT_EQ(getDouble(1.0, in), 2500.0);
    EXPECT_EQ(getDouble(1.0, in), 1.0);
    EXPECT_EQ(getDouble(1.0, in), -0.125);
    EXPECT_EQ(getDouble(1.0, in), 3.0);
    EXPECT_EQ(getDouble(1.0, in), 1.0);  // end of input
}

TEST(ConsoleInput, LongAnswersAreReadWhole) {
    std::string digits(300, '1');
    std::istringstream in("0." + digits + "\n" + std::string(254, ' ') + "17\n99999999999\n8\n");
    EXPECT_NEAR(getDouble(0, in), 0.1111111111111111, 1e-16);
    EXPECT_EQ(getInteger(0, in), 17);
    EXPECT_EQ(getInteger(0, in), 2147483647);  // clamped
    EXPECT_EQ(getInteger(0, in), 8);           // nothing of the long lines left behind
}

// Standard input that never ends a line: NUL bytes, as /dev/zero gives them. It ends after
// `total` bytes so that a reader without a bound fails the test instead of hanging it.
class EndlessZeros : public std::streambuf {
   public:
    explicit EndlessZeros(std::size_t total) : left_(total) {}
    std::size_t taken = 0;

   protected:
    int_type underflow() override {
        if (left_ == 0) return traits_type::eof();
        const std::size_t n = std::min(left_, sizeof block_);
        left_ -= n;
        taken += n;
        setg(block_, block_, block_ + n);
        return traits_type::to_int_type(block_[0]);
    }

   private:
    std::size_t left_;
    char block_[4096] = {};
};

TEST(ConsoleInput, EndlessInputEndsTheInputInsteadOfGrowing) {
    const std::size_t plenty = std::size_t{64} << 20;
    struct Reader {
        const char* name;
        std::function<void(std::istream&)> read;
    };
    const Reader readers[] = {
        {"getDouble", [](std::istream& in) { EXPECT_EQ(getDouble(7.5, in), 7.5); }},
        {"getInteger", [](std::istream& in) { EXPECT_EQ(getInteger(3, in), 3); }},
        {"getChar", [](std::istream& in) { EXPECT_EQ(getChar('n', in), 'n'); }},
        {"readConsoleWord", [](std::istream& in) {
             std::string word;
             EXPECT_FALSE(readConsoleWord(in, word));
             EXPECT_TRUE(word.empty());
         }}};
    for (const Reader& r : readers) {
        SCOPED_TRACE(r.name);
        EndlessZeros zeros(plenty);
        std::istream in(&zeros);
        r.read(in);
        EXPECT_TRUE(inputRefused(in));
        EXPECT_LE(zeros.taken, std::size_t{64} << 10) << "read far past the bound";
        // The input has ended: later questions take their defaults at once.
        EXPECT_EQ(getDouble(2.0, in), 2.0);
        EXPECT_EQ(getChar('d', in), 'd');
    }
}

TEST(ConsoleInput, WordsAreReadAsTheStreamReadsThem) {
    const std::string longest(kLongestConsoleWord, 'w');
    std::istringstream in("  300\t1e5\n\n" + longest + " " + longest + "x");
    std::string word;
    ASSERT_TRUE(readConsoleWord(in, word));
    EXPECT_EQ(word, "300");
    ASSERT_TRUE(readConsoleWord(in, word));
    EXPECT_EQ(word, "1e5");
    // The line end after "1e5" closes its line; the next one closes a blank line, an answer
    // of its own (the empty word), which the callers refuse.
    ASSERT_TRUE(readConsoleWord(in, word));
    EXPECT_EQ(word, "");
    ASSERT_TRUE(readConsoleWord(in, word));
    EXPECT_EQ(word, longest);
    EXPECT_FALSE(inputRefused(in));
    EXPECT_FALSE(readConsoleWord(in, word)) << "one character more is refused";
    EXPECT_TRUE(inputRefused(in));
    std::istringstream blank(" \n\t ");
    ASSERT_TRUE(readConsoleWord(blank, word));
    EXPECT_EQ(word, "") << "a blank line";
    EXPECT_FALSE(readConsoleWord(blank, word));
    EXPECT_FALSE(inputRefused(blank)) << "the end of the input is no refusal";
}

// Regression: blank lines were skipped while a word was awaited, so that endless blank lines
// ("yes ''") kept a question waiting for ever. Each is an answer; words may still share a
// line or follow on the next ones, and a Windows line end is one line end.
TEST(ConsoleInput, EachBlankLineIsAnAnswer) {
    std::istringstream in("300 1\r\n700\n\n\n");
    std::string word;
    for (const char* expected : {"300", "1", "700", "", ""}) {
        ASSERT_TRUE(readConsoleWord(in, word)) << expected;
        EXPECT_EQ(word, expected);
    }
    EXPECT_FALSE(readConsoleWord(in, word));
    std::istringstream endless(std::string(100000, '\n'));
    ASSERT_TRUE(readConsoleWord(endless, word));
    EXPECT_EQ(word, "");
}

// A file of answers saved with a byte-order mark, as editors save UTF-8: its first answer was
// refused as "not a number" though it showed as one ("300"), or taken as no answer at all.
TEST(ConsoleInput, AByteOrderMarkOpeningTheAnswersIsNoPartOfThem) {
    const std::string bom = "\xEF\xBB\xBF";
    std::istringstream words(bom + "300 1\r\n" + bom + " 700\n");
    std::string word;
    for (const char* expected : {"300", "1", "700"}) {
        ASSERT_TRUE(readConsoleWord(words, word)) << expected;
        EXPECT_EQ(word, expected);
    }
    EXPECT_FALSE(readConsoleWord(words, word));
    std::istringstream lines(bom + "  2  \n" + bom + "\n" + bom + "5");
    std::string answer;
    ASSERT_TRUE(readAnswer(lines, answer));
    EXPECT_EQ(answer, "2");
    ASSERT_TRUE(readAnswer(lines, answer));
    EXPECT_EQ(answer, "");  // a mark alone is an empty line: the default
    EXPECT_EQ(getDouble(9.0, lines), 5.0);
    std::istringstream alone(bom);
    EXPECT_FALSE(readConsoleWord(alone, word));
}

// Regression: strtod's hexadecimal ("0x1A" as 26, "0x1p3" as 8) was taken for a number.
TEST(ConsoleInput, OnlyDecimalNumbersAreNumbers) {
    double value = 0.0;
    for (const char* word : {"0x1A", "0x1p3", "0X10", "1e3x"})
        EXPECT_NE(numberRefusal(word, value), nullptr) << word;
    for (const char* word : {"26", "-2.5e-3", "+1E3", ".5"}) {
        EXPECT_EQ(numberRefusal(word, value), nullptr) << word;
    }
    EXPECT_EQ(numberRefusal("1.5e2", value), nullptr);
    EXPECT_EQ(value, 150.0);
}

// A number typed with a decimal comma, as the French and German locales write one, was refused
// as "not a number" with no word of why: the refusal now says that numbers take a point. A
// word that is no number but for a comma is not told so.
TEST(ConsoleInput, ANumberWithADecimalCommaIsToldThatNumbersTakeAPoint) {
    double value = 7.0;
    for (const char* word : {"300,5", "-1,5e3", "+0,25"}) {
        const char* why = numberRefusal(word, value);
        ASSERT_NE(why, nullptr) << word;
        EXPECT_NE(std::string(why).find("decimal point, not a comma"), std::string::npos) << why;
    }
    for (const char* word : {"1,2,3", ",5", "5,", "a,5", "1,5x", "300"}) {
        const char* why = numberRefusal(word, value);
        EXPECT_TRUE(why == nullptr || std::string(why).find("comma") == std::string::npos)
            << word << ": " << why;
    }
    EXPECT_EQ(value, 300.0);
}

// A word shown in a message is one line of text: no control character (C1's included, which
// some terminals obey) and no byte outside UTF-8 reaches the terminal, while UTF-8 text stays.
TEST(ConsoleInput, AWordIsShownAsOneLineOfText) {
    const struct {
        std::string word, shown;
    } rows[] = {
        {"TP", "TP"},
        {"x\x1b[2Jy\nz\r\x7f", "x?[2Jy?z??"},
        {"\xff", "?"},
        {"T\xc2\xb0" "C", "T\xc2\xb0" "C"},               // a degree sign
        {"\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},         // beyond the basic plane
        {"\xc2\x9b" "31m", "?31m"},                       // C1's control sequence introducer
        {"\xc0\xaf", "??"},                               // an overlong slash
        {"\xed\xa0\x80", "???"},                          // a surrogate
        {"\xe2\x82", "??"},                               // cut short
        {std::string(41, 'a'), std::string(40, 'a') + "..."},
        {std::string(39, 'a') + "\xc3\xa9", std::string(39, 'a') + "?..."},
    };
    for (const auto& r : rows) EXPECT_EQ(shownWord(r.word), r.shown) << r.word;
    EXPECT_EQ(shownWord(std::string(100, 'b'), 80), std::string(80, 'b') + "...");
}

TEST(ConsoleInput, LineOfTheLongestLengthIsAnAnswer) {
    std::istringstream in(std::string(kLongestConsoleLine - 1, ' ') + "4\n" +
                          std::string(kLongestConsoleLine, ' ') + "5\n");
    EXPECT_EQ(getInteger(0, in), 4);
    EXPECT_EQ(getInteger(0, in), 0);
    EXPECT_TRUE(inputRefused(in));
}

TEST(ConsoleInput, MacIgorDirectory) {
    std::unique_ptr<char[]> path(macIgorPath("/Users/a/b"));
    EXPECT_STREQ(path.get(), "Macintosh HD:Users:a:b:");
    path.reset(macIgorPath("/"));
    EXPECT_STREQ(path.get(), "Macintosh HD:");

    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    // The scripts' folder is the working directory as a POSIX path.
    path.reset(getMacIgorDir());
    EXPECT_EQ(std::string(path.get()), std::string(cwd) + "/");
}

// A working folder deeper than a first guess at its length is still named in full; one that
// was removed under the program has no name left and is the relative ".".
TEST(ConsoleInput, ScriptsFolderOfADeepOrRemovedWorkingFolder) {
    test::ScratchFolder scratch;
    const std::string level(200, 'd');
    for (int k = 0; k < 8; ++k) {
        ASSERT_EQ(::mkdir(level.c_str(), 0700), 0);
        ASSERT_EQ(::chdir(level.c_str()), 0);
    }
    const std::string deep = std::filesystem::current_path().string();
    ASSERT_GT(deep.size(), 1600u);
    std::unique_ptr<char[]> path(getMacIgorDir());
    EXPECT_EQ(std::string(path.get()), deep + "/");

    ASSERT_EQ(::mkdir("gone", 0700), 0);
    ASSERT_EQ(::chdir("gone"), 0);
    ASSERT_EQ(::rmdir((deep + "/gone").c_str()), 0);
    path.reset(getMacIgorDir());
    EXPECT_STREQ(path.get(), "./");
    ASSERT_EQ(::chdir(scratch.path().c_str()), 0);
}

}  // namespace
}  // namespace vornex
