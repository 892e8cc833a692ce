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

TEST(EngineErrorLines, OnlyLinesWithTheExactMarkInFileOrder)
{
    std::istringstream output("title\r\n KESTON ERROR 1: npar\r\nkeston error lower\r\nfine\nKESTON ERROR 2\n");
    EXPECT_EQ(engineErrorLines(output), (std::vector<std::string>{" KESTON ERROR 1: npar", "KESTON ERROR 2"}));
}

TEST(EngineErrorBoxes, AtMostTenBoxesThenOneCountingTheRest)
{
    struct Case {
        std::size_t lines;
        std::size_t boxes;
        const char* last;
    };
    for (const Case c : {Case{10, 10, "KESTON ERROR 10"},
                         Case{11, 11, "1 more line holds \"KESTON ERROR\"; all of them are highlighted in the output."},
                         Case{25, 11, "15 more lines hold \"KESTON ERROR\"; all of them are highlighted in the output."}}) {
        std::vector<std::string> lines;
        for (std::size_t i = 1; i <= c.lines; ++i)
            lines.push_back("KESTON ERROR " + std::to_string(i));
        const auto boxes = errorBoxTexts(lines);
        ASSERT_EQ(boxes.size(), c.boxes) << c.lines;
        EXPECT_EQ(boxes.back(), c.last);
    }
}

}  // namespace
}  // namespace tw
