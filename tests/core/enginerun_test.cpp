#include "runs/enginerun.h"

#include <gtest/gtest.h>

#include "runs/engineoutput.h"
#include "support.h"

namespace tw {
namespace {

using namespace twtest;

TEST(EngineInputLine, NamesTravelUnchangedInsideQuotes)
{
    const std::string name = "/home/a b/x;rm -rf $HOME|&'.mss";
    EXPECT_EQ(*engineInputLine(name), "i=\"" + name + "\" l=\"" + name + ".out\" \n");
    for (const char* name : {"a\"b.mss", "a\nb.mss"}) {
        const auto line = engineInputLine(name);
        ASSERT_FALSE(line.ok()) << name;
        EXPECT_EQ(line.error().message,
                  "The model file name holds a double quote or a line break, which cannot be passed to CORVANE. "
                  "Rename the file and run it again.");
    }
}

class EngineOutputStamp : public testing::Test {
protected:
    void write(const std::string& text) { writeFile(file, text); }

    ScratchDir dir;
    fs::path file = dir / "m.mss.out";
};

TEST_F(EngineOutputStamp, OnlyNewOrRewrittenOutputCounts)
{
    write("old results\n");
    EXPECT_FALSE(writtenSince(stampOf(file), file));

    fs::remove(file);
    FileStamp before = stampOf(file);
    write("new\n");
    EXPECT_TRUE(writtenSince(before, file));

    before = stampOf(file);
    write("longer text\n");
    std::filesystem::last_write_time(file, before.modified);  // a clock that did not move
    EXPECT_TRUE(writtenSince(before, file));
}

TEST(EngineErrorLines, OnlyLinesWithTheExactMarkWithTheirNumbersInFileOrder)
{
    std::istringstream output("title\r\n KESTON ERROR 1: npar\r\nkeston error lower\r\nfine\nKESTON ERROR 2\n");
    EXPECT_EQ(engineErrorLines(output),
              (std::vector<EngineErrorLine>{{2, " KESTON ERROR 1: npar"}, {5, "KESTON ERROR 2"}}));
}

TEST(EngineErrorList, SaysHowManyLinesOfWhichFileAndNumbersEachEntry)
{
    EXPECT_EQ(engineErrorSummary("m.out", 25),
              "The engine reports errors: 25 lines of m.out hold \"KESTON ERROR\". Correct the model file and run it "
              "again; the output shows these lines highlighted.");
    EXPECT_EQ(engineErrorEntry({12, "KESTON ERROR 3: NPAR too small"}), "line 12: KESTON ERROR 3: NPAR too small");
}

}  // namespace
}  // namespace tw
