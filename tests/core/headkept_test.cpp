// The head a save copies is the one read with the model: the writers never open the
// input again, so a file changed, removed or replaced by a FIFO since the read cannot
// give the saved file another head (or hang the save). The readers refuse inputs that
// are not regular files instead of blocking on them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "model/constraintsreader.h"
#include "model/constraintstopims.h"
#include "model/constraintswriter.h"
#include "support.h"

using namespace twtest;

namespace {

const fs::path kTwoGroups = pimDataDir() / "twogroups" / "input.inp";
const std::string kModel1 = TW_TEST_DATA "/constraints/model1.inp";

std::string firstLine(const std::string& text) { return text.substr(0, text.find("\r\n")); }

struct Save {
    const char* name;
    std::function<tw::Status(tw::Model&, const std::string&)> run;
};

const Save kSaves[] = {
    {"PIM form", [](tw::Model& m, const std::string& target) { return tw::savePimFile(m, target); }},
    {"constraints form", [](tw::Model& m, const std::string& target) { return tw::saveConstraints(m, target); }},
};

TEST(HeadKept, inputChangedOrRemovedSinceTheReadGivesTheHeadRead)
{
    for (const Save& save : kSaves)
        for (const bool removed : {false, true}) {
            SCOPED_TRACE(std::string(save.name) + (removed ? ", input removed" : ", input changed"));
            TempDir dir;
            fs::copy_file(kTwoGroups, "m.inp");
            auto model = tw::readPimFile("m.inp");
            ASSERT_TRUE(model.ok());
            if (removed)
                fs::remove("m.inp");
            else
                writeFile("m.inp", "PROC TITLE 'another model';\r\nPROC MODEL NPAR=1;\r\nCOHORT=1;\r\nPIM;\r\n");
            const tw::Status saved = save.run(*model, "out.inp");
            ASSERT_TRUE(saved.ok()) << saved.error().text();
            EXPECT_EQ(firstLine(fileText("out.inp")), "PROC TITLE 'Two sexes, two sites';");
        }
}

// The save opened a FIFO put where the input was and waited for a writer for ever.
TEST(HeadKept, inputReplacedByAFifoDoesNotHangTheSave)
{
    for (const Save& save : kSaves) {
        SCOPED_TRACE(save.name);
        TempDir dir;
        fs::copy_file(kTwoGroups, "m.inp");
        auto model = tw::readPimFile("m.inp");
        ASSERT_TRUE(model.ok());
        fs::remove("m.inp");
        ASSERT_EQ(::mkfifo("m.inp", 0644), 0);
        const ChildRun run = runInChild([&] { return outcome(save.run(*model, "out.inp")); }, 5);
        EXPECT_TRUE(run.finished);
        EXPECT_EQ(run.text, "done");
    }
}

// A reader given a FIFO blocked until something wrote to it; a directory or a device
// read as an empty file ("the file ends before the COHORT line").
TEST(HeadKept, readersRefuseWhatIsNotARegularFile)
{
    using Reader = std::function<tw::Status(const std::string&)>;
    const std::pair<const char*, Reader> readers[] = {
        {"PIM form",
         [](const std::string& f) {
             auto read = tw::readPimFile(f);
             return read ? tw::Status{} : tw::Status{read.error()};
         }},
        {"constraints form",
         [](const std::string& f) {
             auto read = tw::readConstraintsFile(f);
             return read ? tw::Status{} : tw::Status{read.error()};
         }},
        {"conversion",
         [](const std::string& f) {
             auto model = tw::readPimFile(kTwoGroups.string());
             return tw::convertConstraintsFile(*model, f);
         }},
    };
    for (const auto& [name, read] : readers) {
        SCOPED_TRACE(name);
        TempDir dir;
        ASSERT_EQ(::mkfifo("fifo.inp", 0644), 0);
        fs::create_directory("folder.inp");
        for (const std::string input : {"fifo.inp", "folder.inp", "/dev/null"}) {
            const ChildRun run = runInChild([&] { return outcome(read(input)); }, 5);
            EXPECT_TRUE(run.finished) << input;
            EXPECT_EQ(run.text, input + " is not a regular file");
        }
    }
}

TEST(HeadKept, commandLineRefusesAFifoAsInput)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo("in.inp", 0644), 0);
    for (const std::string step : {"--read-pims", "--read-constraints"}) {
        const ToolRun run = runModelTool(step + " in.inp", 10);
        EXPECT_EQ(run.exitCode, 1) << step;
        EXPECT_EQ(run.err, "in.inp is not a regular file\n");
    }
}

// The head of a constraints file runs past the section the reader stops at; the reader
// reads on for it, so that both writers find their line.
TEST(HeadKept, constraintsReadKeepsTheHeadBothWritersCopy)
{
    auto read = tw::readConstraintsFile(kModel1);
    ASSERT_TRUE(read.ok());
    const tw::FileHead& head = read->model.head;
    ASSERT_FALSE(head.lines.empty());
    EXPECT_FALSE(head.cutByLongLine);
    EXPECT_TRUE(tw::endsPimHead(head.lines.back()));
    std::ifstream in(kModel1, std::ios::binary);
    std::string line;
    for (const std::string& kept : head.lines) {
        ASSERT_TRUE(std::getline(in, line));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        EXPECT_EQ(kept, line);
    }
}

}  // namespace
