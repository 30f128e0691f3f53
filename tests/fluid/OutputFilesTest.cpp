#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fluid/CurveOutput.h"
#include "fluid/OutputFiles.h"
#include "numerics/CallbackProbe.h"

namespace vornex {
namespace {

std::string slurp(const std::filesystem::path& file) {
    std::stringstream s;
    s << std::ifstream(file, std::ios::binary).rdbuf();
    return s.str();
}

// Names of every entry of the folder, hidden temporaries included.
std::vector<std::string> entries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class OutputFilesTest : public testing::Test {
   protected:
    test::ScratchFolder folder;
    void TearDown() override { OutputFiles::setDirectory(""); }
};

TEST_F(OutputFilesTest, SuffixesWithSlashesControlCharactersOrExcessLengthAreRefused) {
    EXPECT_TRUE(OutputFiles::isValidSuffix(""));
    EXPECT_TRUE(OutputFiles::isValidSuffix("run_3.b"));
    EXPECT_TRUE(OutputFiles::isValidSuffix(std::string(OutputFiles::kMaxSuffixLength, 'a')));
    EXPECT_FALSE(OutputFiles::isValidSuffix("../etc"));
    EXPECT_FALSE(OutputFiles::isValidSuffix("a\nb"));
    EXPECT_FALSE(OutputFiles::isValidSuffix("a\x7f"));
    EXPECT_FALSE(OutputFiles::isValidSuffix(std::string(OutputFiles::kMaxSuffixLength + 1, 'a')));
    EXPECT_FALSE(OutputFiles::isValidName(""));
    EXPECT_FALSE(OutputFiles::isValidName(".."));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(OutputFiles::checkSuffix("x/y"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Suffix \"x/y\" refused"),
              std::string::npos);
}

TEST_F(OutputFilesTest, ReplacingFileAppearsOnlyAtCommit) {
    OutputFile file;
    ASSERT_TRUE(file.open("isoca"));
    file.print("IGOR\n%d\n", 7);
    EXPECT_FALSE(std::filesystem::exists("isoca"));
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(slurp("isoca"), "IGOR\n7\n");
    EXPECT_EQ(entries("."), std::vector<std::string>{"isoca"});
}

TEST_F(OutputFilesTest, AbandonedFileLeavesNothing) {
    {
        OutputFile file;
        ASSERT_TRUE(file.open("half"));
        file.print("partial");
    }
    EXPECT_TRUE(entries(".").empty());
}

TEST_F(OutputFilesTest, FilesGoToTheChosenDirectory) {
    std::filesystem::create_directory("out");
    OutputFiles::setDirectory("out/");
    EXPECT_EQ(OutputFiles::pathOf("g5.gp"), "out/g5.gp");
    const double row[] = {1.5, -2.0};
    ASSERT_TRUE(OutputFiles::writeWholeFile("rows", std::as_bytes(std::span(row))));
    EXPECT_EQ(slurp("out/rows").size(), 16u);
    EXPECT_FALSE(std::filesystem::exists("rows"));
}

TEST_F(OutputFilesTest, UnwritableDirectoryIsReportedAndLeavesNothing) {
    // A plain file where the folder should be: no write can succeed, for any user.
    std::ofstream("blocked") << "a file, not a folder";
    OutputFiles::setDirectory("blocked");
    testing::internal::CaptureStderr();
    OutputFile file;
    EXPECT_FALSE(file.open("isoca"));
    EXPECT_FALSE(file.commit());
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("Cannot write blocked/isoca"), std::string::npos) << message;
    EXPECT_EQ(entries("."), std::vector<std::string>{"blocked"});
}

TEST_F(OutputFilesTest, MissingDirectoryIsReported) {
    OutputFiles::setDirectory("nowhere");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(OutputFiles::writeWholeFile("x", {}));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot write nowhere/x"),
              std::string::npos);
}

TEST_F(OutputFilesTest, WriteErrorAtCommitRemovesTheFile) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    // A full device: the streamed rows fail, the failure is reported at commit.
    OutputFiles::setDirectory("/dev");
    OutputFile file;
    ASSERT_TRUE(file.open("full", OutputFile::Mode::Stream));
    std::vector<char> block(1 << 16, 'x');
    file.write(block.data(), block.size());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(file.commit());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Writing /dev/full failed"),
              std::string::npos);
}

// Every channel writes what it should: the text channels exactly the tracer's text, the
// binary channels rows of raw doubles, the array whole points; other values nothing.
class CurveOutputTest : public OutputFilesTest {
   protected:
    static void trace(CurveOutput& out) {
        out.print("IGOR\nWAVES %5s%s\t%11s%s\nBEGIN\n", "T", "a", "P", "a");
        for (double t : {300.0, 310.0}) {
            out.print("%12.2f\t%12.6f\n", t, t / 3);
            out.row({t, t / 3, -1.0});
        }
        out.print("END\n");
    }
};

TEST_F(CurveOutputTest, IgorTextIsWrittenByteForByte) {
    CurveOutput out(kIgorText);
    ASSERT_TRUE(out.open("isoc", "a"));
    trace(out);
    ASSERT_TRUE(out.close());
    EXPECT_EQ(slurp("isoca"),
              "IGOR\nWAVES     Ta\t          Pa\nBEGIN\n"
              "      300.00\t  100.000000\n      310.00\t  103.333333\nEND\n");
}

TEST_F(CurveOutputTest, BinaryRowsAreRawDoublesInBothBinaryChannels) {
    for (char channel : {kBinaryGathered, kBinaryStreamed}) {
        std::string name = "rows" + std::to_string(int(channel));
        CurveOutput out(channel);
        ASSERT_TRUE(out.open(name));
        trace(out);
        if (channel == kBinaryGathered) {
            EXPECT_FALSE(std::filesystem::exists(name));
        }
        ASSERT_TRUE(out.close());
        std::string bytes = slurp(name);
        ASSERT_EQ(bytes.size(), 2 * 3 * sizeof(double));
        double values[6];
        std::memcpy(values, bytes.data(), bytes.size());
        EXPECT_EQ(values[0], 300.0);
        EXPECT_EQ(values[4], 310.0 / 3);
        EXPECT_EQ(values[5], -1.0);
    }
}

TEST_F(CurveOutputTest, ArrayTakesWholePointsAndNoFile) {
    CurveArray array{42.0};
    CurveOutput out(kCurveArray, &array);
    ASSERT_TRUE(out.open("isoc", "a"));
    trace(out);
    EXPECT_TRUE(out.close());
    EXPECT_EQ(array, (CurveArray{42.0, 300.0, 100.0, -1.0, 310.0, 310.0 / 3, -1.0}));
    EXPECT_TRUE(entries(".").empty());
}

TEST_F(CurveOutputTest, UnknownChannelWritesNothing) {
    CurveArray array;
    CurveOutput out(3, &array);
    EXPECT_TRUE(out.open("isoc", "a"));
    trace(out);
    EXPECT_TRUE(out.close());
    EXPECT_TRUE(array.empty());
    EXPECT_TRUE(entries(".").empty());
}

TEST_F(CurveOutputTest, BadSuffixIsReportedAndTheTraceWritesNothing) {
    for (char channel : {kIgorText, kColumnTable, kBinaryGathered, kBinaryStreamed}) {
        CurveOutput out(channel);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(out.open("isoc", "../a"));
        trace(out);
        EXPECT_FALSE(out.close());
        EXPECT_NE(testing::internal::GetCapturedStderr().find("refused"), std::string::npos);
    }
    EXPECT_TRUE(entries(".").empty());
}

TEST_F(CurveOutputTest, GatheredRowsForAnUnwritableFolderAreReportedAtTheEnd) {
    OutputFiles::setDirectory("missing");
    CurveOutput out(kBinaryGathered);
    ASSERT_TRUE(out.open("satu"));
    trace(out);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(out.close());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot write missing/satu"),
              std::string::npos);
}

}  // namespace
}  // namespace vornex
