// What the desktop needs of the core about files: model forms, recent models, file errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sstream>

#include "model/atomicfile.h"
#include "model/fileerrors.h"
#include "model/modelform.h"
#include "model/pimreader.h"
#include "session/recentmodels.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

TEST(ModelFormOf, aPimLineAfterTheCohortsAndNothingElseChoosesThePimReader)
{
    const std::string head = "PROC TITLE 'x';\nPROC MODEL NPAR=4 GROUPS=1 NAGE=1 NYRS=2 STRATA=1 SECPERS=1 1;\n";
    const std::string cohorts = "COHORT=5 GROUP=1 STRATUM=1 SEASON=1;\n  5 : 1 0;\n";
    const struct {
        const char* name;
        std::string text;
        ModelForm form;
    } cases[] = {
        {"PIM line after the cohorts", head + cohorts + "PROC ESTIMATE NAME=X;\nPIM;\nSRV(1);\n", ModelForm::Pim},
        {"lower-case pim line", head + cohorts + "pim;\n", ModelForm::Pim},
        {"CR LF line ends", head + cohorts + "PIM;\r\nSRV(1);\r\n", ModelForm::Pim},
        {"constraints", head + cohorts + "PROC ESTIMATE NAME=X;\nCONSTRAINTS;\nS(1)=S(2);\n", ModelForm::Constraints},
        {"PIM; in the title, before the cohorts", "PROC TITLE 'PIM; test';\n" + cohorts + "CONSTRAINTS;\n",
         ModelForm::Constraints},
        {"a label naming PIM without a semicolon", head + cohorts + "LABELS;\nS(1)=PIM cell 1;\n",
         ModelForm::Constraints},
        {"no cohort line at all", head + "PIM;\n", ModelForm::Constraints},
    };
    for (const auto& c : cases) {
        std::istringstream text(c.text);
        EXPECT_EQ(modelFormOf(text), c.form) << c.name;
    }
    // Without a cohort line a file shows neither form (a capture-history file, say).
    for (const char* text : {"PIM;\n", "11 0 1 ;\n12 1 0 ;\n", "COHORT=5;\r5 : 1 0;\rPIM;\r"}) {
        std::istringstream in(text);
        EXPECT_EQ(shownModelForm(in), std::nullopt) << text;
    }
    std::istringstream constraints(head + cohorts + "CONSTRAINTS;\n");
    EXPECT_EQ(shownModelForm(constraints), ModelForm::Constraints);
}

TEST(ReaderOpenErrors, bothReadersNameAMissingFileInFull)
{
    TempDir dir;
    const std::string expected = (dir / "gone.inp").string() + ": cannot open the file: no such file or directory";
    const Result<ModelForm> form = modelFormOfFile("gone.inp");
    ASSERT_FALSE(form.ok());
    EXPECT_EQ(form.error().text(), expected);
    const Result<Model> read = readPimFile("gone.inp");
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().text(), expected);
}

TEST(RecentModels, newestFirstWithoutRepeatsAndAtMostEight)
{
    std::vector<ModelFile> list;
    for (int i = 1; i <= 9; ++i)
        list = rememberModel(list, {"/m/" + std::to_string(i) + ".inp", ModelForm::Pim});
    ASSERT_EQ(list.size(), kRecentModelCount);
    EXPECT_EQ(list.front().path, "/m/9.inp");
    EXPECT_EQ(list.back().path, "/m/2.inp");

    // Saving an entry again in the other form moves it to the front with that form.
    list = rememberModel(list, {"/m/../m/5.inp", ModelForm::Constraints});
    ASSERT_EQ(list.size(), kRecentModelCount);
    EXPECT_EQ(list.front(), (ModelFile{"/m/5.inp", ModelForm::Constraints}));
    EXPECT_EQ(std::count_if(list.begin(), list.end(), [](const ModelFile& f) { return f.path == "/m/5.inp"; }), 1);
}

TEST(RecentModelsStored, damagedLinesAndRepeatsAreSkipped)
{
    std::vector<std::string> damaged = {"", "pim:", "pim:relative.inp", "other:/x.inp", "/no/form.inp",
                                        "pim:/a b/m.inp", "constraints:/a b/m.inp"};
    for (int i = 0; i < 10; ++i)
        damaged.push_back("pim:/many/" + std::to_string(i));
    const std::vector<ModelFile> read = storedModels(damaged);
    ASSERT_EQ(read.size(), kRecentModelCount);
    EXPECT_EQ(read[0], (ModelFile{"/a b/m.inp", ModelForm::Pim}));
    EXPECT_EQ(read[1].path, "/many/0");
}

TEST(FileErrorWords, reasonsReadMidSentenceAndSayWhatToDo)
{
    EXPECT_EQ(writeFailure(EACCES), "permission denied; choose a folder you may write to");
    EXPECT_EQ(writeFailure(ENOSPC), "no space left on device; make room on the disk or choose a folder on another disk");
    EXPECT_EQ(writeFailure(EIO), "input/output error");
}

TEST(FileErrorWords, fullPathsAreAbsoluteAndNormal)
{
    TempDir dir;
    EXPECT_EQ(fullPath("."), dir.path().string());
    EXPECT_EQ(fullPath("a/../b.inp"), (dir / "b.inp").string());
    EXPECT_EQ(fullPath("/x/y/"), "/x/y");
    EXPECT_EQ(fullPath("/"), "/");
}

TEST(AtomicSaveErrors, aFolderThatCannotTakeTheFileIsNamedInFullWithTheRemedy)
{
    TempDir dir;
    const auto write = [](std::ostream& out) -> Status {
        out << "x";
        return {};
    };
    const Status missing = saveAtomically("gone/m.inp", write);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().text(), "gone/m.inp: cannot create a file in " + (dir / "gone").string()
                                          + ": no such file or directory; choose a folder that exists");
    // A bare name lies in the current directory, which the message names.
    writeFile("plain", "");
    const Status notFolder = saveAtomically("plain/m.inp", write);
    ASSERT_FALSE(notFolder.ok());
    EXPECT_EQ(notFolder.error().message, "cannot create a file in " + (dir / "plain").string()
                                             + ": not a directory; choose a folder that exists");
    // A folder that is there but answers "no such file" is not said to be missing.
    const Status refused = saveAtomically("/proc/m.inp", write);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message,
              "cannot create a file in /proc: the folder takes no new files; choose a folder you may write to");
}

}  // namespace
