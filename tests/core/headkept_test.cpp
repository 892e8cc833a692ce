// The head a save copies is the one read with the model: the writers never open the
// input again, so a file changed or removed since the read cannot give the saved file
// another head (nor can a FIFO put in its place hang the save). The writers end the
// head they copy at a section line from the first COHORT line on: before, a title
// mentioning "constraint" or "pim" ended it at line 1, the PIM save was refused and the
// constraints save wrote three lines and said it had saved.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "model/constraintsreader.h"
#include "model/constraintstopims.h"
#include "support.h"

using namespace twtest;

namespace {

const fs::path kTwoGroups = pimDataDir() / "twogroups" / "input.inp";
const fs::path kModel1 = fs::path(TW_TEST_DATA) / "constraints" / "model1.inp";

TEST(HeadKept, inputChangedOrRemovedSinceTheReadGivesTheHeadRead)
{
    for (const SaveForm& form : kSaveForms)
        for (const bool removed : {false, true}) {
            SCOPED_TRACE(std::string(form.name) + (removed ? ", input removed" : ", input changed"));
            TempDir dir;
            fs::copy_file(kTwoGroups, "m.inp");
            auto model = tw::readPimFile("m.inp");
            ASSERT_TRUE(model.ok());
            if (removed)
                fs::remove("m.inp");
            else
                writeFile("m.inp", "PROC TITLE 'another model';\r\nPROC MODEL NPAR=1;\r\nCOHORT=1;\r\nPIM;\r\n");
            const tw::Status saved = form.save(*model, "out.inp");
            ASSERT_TRUE(saved.ok()) << saved.error().text();
            EXPECT_EQ(firstLine(fileText("out.inp")), "PROC TITLE 'Two sexes, two sites';");
        }
}

// The conversion file given a FIFO blocked until something wrote to it; a directory read
// as an empty file. (The model readers are held to the same in the bad-input corpus.)
TEST(HeadKept, conversionRefusesWhatIsNotARegularFile)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo("fifo.inp", 0644), 0);
    fs::create_directory("folder.inp");
    tw::Model model = readPimOrFail(kTwoGroups);
    for (const std::string input : {"fifo.inp", "folder.inp"}) {
        const ChildRun run = runInChild([&] { return outcome(tw::convertConstraintsFile(model, input)); }, 5);
        EXPECT_TRUE(run.finished) << input;
        EXPECT_EQ(run.text, input + " is not a regular file");
    }
}

// text with its first line replaced.
std::string withFirstLine(const std::string& text, const std::string& first)
{
    return first + text.substr(text.find('\n'));
}

struct Road {
    const char* name;
    fs::path input;
    bool pimForm;  // read and saved with PIMs; otherwise read and saved with constraints
};

tw::Status readAndSave(const Road& road, const std::string& input, const std::string& output)
{
    if (road.pimForm) {
        auto model = tw::readPimFile(input);
        return model ? tw::savePimFile(*model, output) : tw::Status{model.error()};
    }
    auto read = tw::readConstraintsFile(input);
    return read ? tw::saveConstraints(read->model, output) : tw::Status{read.error()};
}

TEST(WriterHead, titleMentioningASectionWordIsCopiedLikeAnyLine)
{
    const Road roads[] = {{"PIM form", kTwoGroups, true}, {"constraints form", kModel1, false}};
    for (const Road& road : roads)
        for (const std::string title : {"PROC TITLE 'no constraint on phi';", "PROC TITLE 'pimelodid fishes';",
                                        "PROC TITLE 'CONSTRAINTS after PIM;';"}) {
            SCOPED_TRACE(std::string(road.name) + ": " + title);
            TempDir dir;
            const std::string original = fileText(road.input);
            fs::copy_file(road.input, "plain.inp");
            writeFile("titled.inp", withFirstLine(original, title + "\r"));
            ASSERT_TRUE(readAndSave(road, "plain.inp", "plain.out").ok());
            const tw::Status saved = readAndSave(road, "titled.inp", "titled.out");
            ASSERT_TRUE(saved.ok()) << saved.error().text();
            EXPECT_EQ(fileText("titled.out"), withFirstLine(fileText("plain.out"), title + "\r"));
        }
}

// The search starts at the first COHORT line itself: a file whose line 1 holds the model
// statement and COHORT reads and saves.
TEST(WriterHead, firstCohortLineAsTheFirstLine)
{
    TempDir dir;
    const std::string statement = "PROC MODEL NPAR=14 GROUPS=2 NYRS=2 STRATA=2 SECPERS=1 1; COHORT=4 GROUP=1;\r";
    std::string text = fileText(kTwoGroups);
    text = statement + text.substr(text.find("\n 1 : 1 1;"));
    writeFile("m.inp", text);
    auto model = tw::readPimFile("m.inp");
    ASSERT_TRUE(model.ok()) << model.error().text();
    tw::Model copy = *model;
    ASSERT_TRUE(tw::savePimFile(copy, "pims.out").ok());
    EXPECT_EQ(fileText("pims.out").substr(0, statement.size() + 10), statement + "\n 1 : 1 1;");
    ASSERT_TRUE(tw::saveConstraints(*model, "cons.out").ok());
    const std::string cohorts = "\n 1 : 1 1;\r\nCOHORT=3 GROUP=2;\r\n 1 : 1 0;\r\nCONSTRAINTS;\r\n";
    EXPECT_EQ(fileText("cons.out").rfind(statement + cohorts, 0), 0u);
}

}  // namespace
