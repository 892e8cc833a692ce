// A PIM block without its ";" was gathered until memory ran out, and the command line
// then died of an uncaught std::bad_alloc (exit 134). The block stops at its largest
// size with the line named; memory that runs out anyway ends with a message, exit 1.
#include <gtest/gtest.h>

#include "support.h"

using namespace twtest;

namespace {

const std::string kHead = "PROC TITLE 'endless';\r\nPROC MODEL NPAR=4 NYRS=2 STRATA=1 SECPERS=1 1;\r\nCOHORT=1;\r\n"
                          "PIM;\r\nSRV(1);\r\n";
// Lines of 1000 bytes and a line feed: the block passes its limit with its line 16778,
// line 16783 of the file.
const std::string kBlockLine = std::string(1000, '1') + "\n";
const int kLines = 64 * 1024;  // 64 MiB of block

const std::string kRefusal =
    "endless.inp, line 16783: the survival block of group 1, stratum 1 is longer than 16777216 bytes without the "
    "\";\" that ends it";

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryLimits = false;  // the sanitizer's shadow memory needs a free address space
#else
constexpr bool kMemoryLimits = true;
#endif

void writeEndlessFile()
{
    std::ofstream out("endless.inp", std::ios::binary);
    out << kHead;
    for (int i = 0; i < kLines; ++i)
        out << kBlockLine;
}

TEST(EndlessBlock, readerRefusesItAtItsLimitWithTheLine)
{
    TempDir dir;
    writeEndlessFile();
    auto read = tw::readPimFile("endless.inp");
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().text(), kRefusal);
}

// Under a limit of 100 MiB of address space the whole 64 MiB block would not fit; the
// command stops at the block's limit well within it.
TEST(EndlessBlock, commandLineRefusesItUnderAMemoryLimit)
{
    TempDir dir;
    writeEndlessFile();
    const std::string limit = kMemoryLimits ? "ulimit -v 102400; " : "";
    const int status = std::system((limit + "'" TW_BINARY_DIR "/cli/tallowick2-model' --read-pims endless.inp "
                                            "--write-pims out.inp 2>stderr.txt")
                                       .c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(fileText("stderr.txt"), kRefusal + "\n");
    EXPECT_FALSE(fs::exists("out.inp"));
}

// With less memory than a block of the largest size needs, the allocation fails: the
// command line catches what no step reports and ends with a message.
TEST(EndlessBlock, memoryRunningOutEndsWithAMessageNotAnAbort)
{
    if (!kMemoryLimits)
        GTEST_SKIP() << "memory limits do not apply under the address sanitizer";
    TempDir dir;
    writeEndlessFile();
    const int status = std::system("ulimit -v 40960; '" TW_BINARY_DIR "/cli/tallowick2-model' --read-pims endless.inp "
                                   "--write-pims out.inp 2>stderr.txt");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(fileText("stderr.txt"), "tallowick2-model: not enough memory; the command was stopped\n");
    EXPECT_FALSE(fs::exists("out.inp"));
}

}  // namespace
