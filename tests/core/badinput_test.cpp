// Bad model files: each is refused with a message naming the file and the line, by the
// readers and by tallowick2-model alike, and odd bytes a file may hold (NUL, non-UTF-8
// titles) pass through a save unchanged.
#include <gtest/gtest.h>

#include <vector>

#include <sys/stat.h>

#include "model/constraintsreader.h"
#include "model/constraintstopims.h"
#include "runs/persperiodinput.h"
#include "support.h"

using namespace twtest;

namespace {

const fs::path kBadDir = fs::path(TW_TEST_DATA) / "bad";

struct BadCase {
    std::string file;
    std::string form;     // "pims" or "constraints"
    std::string message;  // empty: the file reads
};

std::vector<BadCase> badCases()
{
    std::vector<BadCase> cases;
    std::istringstream table(fileText(kBadDir / "expected.txt"));
    std::string line;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const auto tab1 = line.find('\t');
        const auto tab2 = line.find('\t', tab1 + 1);
        cases.push_back({line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)});
    }
    return cases;
}

// "made:KIND NAME" entries are inputs a repository cannot hold, made at test time: a
// FIFO, a directory, a file whose first PIM block never ends (64 MiB). Others are
// copied from the corpus. Returns the name to read.
std::string makeInput(const std::string& entry)
{
    if (entry.rfind("made:", 0) != 0) {
        fs::copy_file(kBadDir / entry, entry);
        return entry;
    }
    const std::string kind = entry.substr(5, entry.find(' ') - 5);
    const std::string name = entry.substr(entry.find(' ') + 1);
    if (kind == "fifo") {
        EXPECT_EQ(::mkfifo(name.c_str(), 0644), 0);
    } else if (kind == "directory") {
        fs::create_directory(name);
    } else {
        std::ofstream out(name, std::ios::binary);
        out << "PROC MODEL NPAR=4 NYRS=2 STRATA=1 SECPERS=1 1;\r\nCOHORT=1;\r\nPIM;\r\nSRV(1);\r\n";
        const std::string line = std::string(1023, '1') + "\n";
        for (int i = 0; i < 64 * 1024; ++i)
            out << line;
    }
    return name;
}

// Through the reader and through tallowick2-model (exit code 1, the message on standard
// error, nothing written) alike.
TEST(BadInput, readerAndCommandLineGiveTheExactMessageOrPassBytesThrough)
{
    for (const auto& c : badCases()) {
        SCOPED_TRACE(c.file);
        TempDir dir;
        const std::string file = makeInput(c.file);
        const tw::Status read = readFileStatus(c.form, file);
        const ToolRun run = runModelTool("--read-" + c.form + " '" + file + "' --write-pims out.inp", 20);
        if (!c.message.empty()) {
            ASSERT_FALSE(read.ok());
            EXPECT_EQ(read.error().text(), c.message);
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_EQ(run.err, c.message + "\n");
            EXPECT_FALSE(fs::exists("out.inp"));
            continue;
        }
        ASSERT_TRUE(read.ok()) << read.error().text();
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(firstLine(fileText("out.inp")), firstLine(fileText(file)));
    }
}

// A line of the limit reads, CR LF or not; one byte more is refused by name and line.
TEST(BadInput, linesUpToTheLimitReadAndALongerOneIsRefusedByNameAndLine)
{
    const std::string longest(tw::kMaxLineLength, 'a');
    const auto read = readPimText(longest + "\r\nb\n" + longest + "a\r\nnext\n", "long.inp");
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().text(),
              "long.inp, line 3: the line is longer than 16777216 bytes (is this a model file, with line feeds ending "
              "its lines?)");
}

// A PIM block without its ";" was gathered until memory ran out, and the command line
// then died of an uncaught std::bad_alloc (exit 134). Under a limit of 100 MiB of address
// space the whole 64 MiB block would not fit, yet the command stops at the block's limit
// with the line named; with less memory than a block of that size needs, it ends with a
// message, exit 1.
TEST(EndlessBlock, commandLineRefusesItOrRunsOutOfMemoryWithAMessage)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "memory limits do not apply under the address sanitizer";
#endif
    const std::pair<const char*, std::string> cases[] = {
        {"102400", "endless.inp, line 16405: the survival block of group 1, stratum 1 is longer than 16777216 bytes "
                   "without the \";\" that ends it\n"},
        {"40960", "tallowick2-model: not enough memory; the command was stopped\n"},
    };
    TempDir dir;
    makeInput("made:endless-block endless.inp");
    for (const auto& [limit, message] : cases) {
        const int status = std::system((std::string("ulimit -v ") + limit + "; '" TW_BINARY_DIR
                                        "/cli/tallowick2-model' --read-pims endless.inp --write-pims out.inp "
                                        "2>stderr.txt").c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << limit << " KiB: " << status;
        EXPECT_EQ(fileText("stderr.txt"), message);
        EXPECT_FALSE(fs::exists("out.inp"));
    }
}

// Inputs the fuzz targets found faults with: each reads as it now should.
TEST(FuzzRegressions, eachFileGivesItsOutcome)
{
    const std::pair<const char*, const char*> cases[] = {
        {"pim-long-whole-number.inp",
         "f.inp, line 54: the column \"8888888888888888888888888888888s:\" of a design entry is not a whole number in "
         "0..32767"},
        // Read once with the cells beyond the blocks set to 0; NPAR must now match the blocks.
        {"pim-npar-beyond-blocks.inp", "f.inp, line 2: NPAR=28, but GROUPS, NAGE, NYRS, STRATA and SECPERS give 2 cells"},
        // A section word before the COHORT line ended the head there (the save was refused).
        {"pim-head-ends-before-cohort.inp", ""},
    };
    for (const auto& [file, readMessage] : cases) {
        SCOPED_TRACE(file);
        const std::string text = fileText(fs::path(TW_TEST_DATA) / "fuzz-regressions" / file);
        auto model = readPimText(text, "f.inp");
        if (*readMessage) {
            ASSERT_FALSE(model.ok());
            EXPECT_EQ(model.error().text(), readMessage);
            continue;
        }
        ASSERT_TRUE(model.ok()) << model.error().text();
        auto first = writePimText(*model, text);
        ASSERT_TRUE(first.ok()) << first.error().text();
        auto again = readPimText(*first, "g.inp");
        ASSERT_TRUE(again.ok()) << again.error().text();
        auto second = writePimText(*again, *first);
        ASSERT_TRUE(second.ok());
        EXPECT_EQ(*second, *first);
    }
}

// Numbers far beyond any int (a cell or a period count of 1E300) were cast to int
// unchecked; under the undefined-behaviour sanitizer these inputs stop the test.
TEST(FuzzRegressions, hugeNumbersAreRefusedNotCast)
{
    const std::string text = fileText(fs::path(TW_TEST_DATA) / "fuzz-regressions" / "conversion-huge-cell-number.inp");
    auto model = tw::readPimFile((fs::path(TW_TEST_DATA) / "pim" / "twogroups" / "input.inp").string());
    ASSERT_TRUE(model.ok());
    const tw::Model before = *model;
    std::istringstream in(text);
    const tw::Status converted = tw::convertConstraints(*model, in, "c.inp");
    ASSERT_FALSE(converted.ok());
    EXPECT_EQ(converted.error().text(),
              "c.inp, line 34: cell number 1.66666666666633E+25 is not a whole number in 1..14");
    EXPECT_TRUE(*model == before);

    std::istringstream periods("PROC MODEL NYRS=1E300;\nLABELS;\nS(1E300)=PP(1) x;\nPROC\n");
    const auto input = tw::readPeriodInput(periods, "p.inp");
    ASSERT_TRUE(input.ok());
    EXPECT_EQ(input->nyrs, 1000000000);
    EXPECT_EQ(input->first, 1000000000);
}

}  // namespace
