// What the desktop needs of the core about files: model forms and file errors.
#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

#include "model/atomicfile.h"
#include "model/fileerrors.h"
#include "model/modelform.h"
#include "model/pimreader.h"
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
        {"PIM; in the title, before the cohorts", "PROC TITLE 'PIM; test';\n" + cohorts + "CONSTRAINTS;\n",
         ModelForm::Constraints},
        {"no cohort line at all", head + "PIM;\n", ModelForm::Constraints},
    };
    for (const auto& c : cases) {
        std::istringstream text(c.text);
        EXPECT_EQ(modelFormOf(text), c.form) << c.name;
    }
    // Without a cohort line (a capture-history file, say) or with lines ended by CR alone, a file shows
    // neither form.
    for (const char* text : {"PIM;\n", "COHORT=5;\r5 : 1 0;\rPIM;\r"}) {
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

TEST(FileErrorWords, reasonsReadMidSentenceAndSayWhatToDo)
{
    EXPECT_EQ(writeFailure(EACCES), "permission denied; choose a folder you may write to");
    EXPECT_EQ(writeFailure(ENOSPC),
              "no space left on device; make room on the disk or choose a folder on another disk");
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
    // A folder that is there but answers "no such file" is not said to be missing.
    const Status refused = saveAtomically("/proc/m.inp", write);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message,
              "cannot create a file in /proc: the folder takes no new files; choose a folder you may write to");
}

}  // namespace
