#include "model/pimwriter.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

Model readCase(const std::string& name) { return readPimOrFail(pimDataDir() / name / "input.inp"); }

// example26: the format's own example, a sixth design entry opening a new line, a negative
// and a fractional design value. fixedcells: fixed cells in a survival and a capture block,
// the special values, a closed-capture row of 2, 3 and 2 secondary periods, an empty
// design. twogroups: group-numbered headings and design columns beyond nparms.
TEST(PimWriterGolden, writesTheExpectedBytes)
{
    for (const char* name : {"example26", "fixedcells", "twogroups"}) {
        SCOPED_TRACE(name);
        Model model = readCase(name);
        auto written = writePimText(model, fileText(pimDataDir() / name / "input.inp"));
        ASSERT_TRUE(written.ok()) << written.error().text();
        EXPECT_EQ(*written, fileText(pimDataDir() / name / "expected.inp"));
    }
}

// A model the PIM form cannot hold is refused before anything is written.
TEST(PimWriterRefusal, writesNothingAndSaysWhy)
{
    const std::pair<void (*)(Model&), std::string> cases[] = {
        {[](Model& m) { m.initval[1] = -0.5; },
         "Cell 1 is fixed at a negative value (-.5), which the PIM form cannot hold."},
        {[](Model& m) { m.pim[6] = 12; }, "Cell 6 holds parameter 12, above NPAR=11."},
        {[](Model& m) { m.infile = "m.inp"; },
         "m.inp, line 18: no line of the input file contains \"PIM;\", \"constraint\" or \"CONSTRAINT\" to end its "
         "head (a line written \"pim;\" is not recognised), so the model cannot be saved with PIMs"},
    };
    std::string head = fileText(pimDataDir() / "fixedcells" / "input.inp");
    for (const auto& [change, message] : cases) {
        Model model = readCase("fixedcells");
        change(model);
        const bool headless = !model.infile.ends_with("input.inp");  // the head is copied as it is read
        if (headless)
            head.replace(head.find("PIM;"), 4, "pim;");
        setHead(model, head);
        const Model before = model;
        std::ostringstream out;
        const Status written = writePimModel(model, out);
        ASSERT_FALSE(written.ok());
        EXPECT_EQ(written.error().text(), message);
        EXPECT_TRUE(headless || out.str().empty());
        EXPECT_EQ(model, before);
    }
}

// A cell fixed at 0 is a blank and " 0" in a survival block but one blank in a capture block.
TEST(PimWriterEntries, fixedAtZeroKeepsTheBlanksOfEachBlock)
{
    Model model = readCase("fixedcells");
    model.pim[2] = fixedMarker(model.pim[2]);
    model.pim[11] = fixedMarker(model.pim[11]);
    auto written = writePimText(model, fileText(pimDataDir() / "fixedcells" / "input.inp"));
    ASSERT_TRUE(written.ok());
    EXPECT_NE(written->find("SRV(1);\r\n -.5  0\r\n;\r\n"), std::string::npos) << *written;
    EXPECT_NE(written->find("CP(1);\r\n 1 2  -2 3 0  4 0 \r\n;\r\n"), std::string::npos) << *written;
}

// The writer sends its text in pieces: a model far larger than one piece must come out
// whole, its cells and its design read back unchanged.
TEST(PimWriterBlocks, outputOfManyPiecesReadsBackWhole)
{
    Model model = modelOfShape(2, 2, 10, std::vector<int>(30, 2));
    for (int i = 1; i <= model.npar; ++i) {
        // Fixed cells with changing values, some sharing one.
        const bool fixed = i % 29 == 0;
        model.pim[i] = fixed ? fixedMarker(static_cast<std::int16_t>(i)) : static_cast<std::int16_t>((i + 1) / 2);
        model.initval[i] = fixed ? (i % 3 + 1) * 0.25 : 0;
    }
    const int parameters = largestParameter(model);
    for (int p = 1; p <= parameters; ++p) {
        model.dm.set(p, p, p % 7 == 0 ? -2.5 : p);
        model.dm.setColUsed(p);
    }
    model.dmrows = parameters;
    model.dmcols = parameters;
    std::string secpers;
    for (int t = 1; t <= 30; ++t)
        secpers += " 2";
    const std::string head = "PROC MODEL NPAR=" + std::to_string(model.npar)
        + " GROUPS=2 NAGE=2 NYRS=30 STRATA=10 SECPERS=" + secpers + ";\r\nCOHORT=1;\r\nPIM;\r\n";
    auto written = writePimText(model, head);
    ASSERT_TRUE(written.ok()) << written.error().text();
    ASSERT_GT(written->size(), 2u * 64 * 1024);

    auto read = readPimText(*written);
    ASSERT_TRUE(read.ok()) << read.error().text();
    EXPECT_EQ(read->pim, model.pim);
    EXPECT_EQ(read->initval, model.initval);
    EXPECT_EQ(read->dm.entries(), model.dm.entries());
}

TEST(PimWriterDesign, tooManyRowsCutToTheParameterCountInFileAndModel)
{
    Model model = readCase("example26");
    model.dmrows = 20;
    model.dmcols = 25;
    model.dm.set(13, 13, 1);
    model.dm.setColUsed(13);
    auto written = writePimText(model, fileText(pimDataDir() / "example26" / "input.inp"));
    ASSERT_TRUE(written.ok());
    EXPECT_NE(written->find("DESIGN  12   12  ONEDIGIT;\r\n"), std::string::npos);
    EXPECT_EQ(written->find(" 13  13 "), std::string::npos);
    EXPECT_EQ(model.dmrows, 12);
    EXPECT_EQ(model.dmcols, 12);
    EXPECT_EQ(model.nparms, 12);
}

// Saving over the input by another spelling of its name would read a file being written;
// either form's save refuses it.
TEST(PimSave, sameFileUnderAnotherNameIsRefusedAndNothingChanges)
{
    TempDir dir;
    fs::create_directory("sub");
    fs::copy_file(pimDataDir() / "example26" / "input.inp", "m.inp");
    fs::create_symlink("m.inp", "link.inp");
    fs::create_hard_link("m.inp", "hard.inp");
    const std::string original = fileText("m.inp");
    for (const bool pimForm : {true, false})
        for (const auto& [infile, target] :
             {std::pair{"./m.inp", "sub/../m.inp"}, {"m.inp", "link.inp"}, {"m.inp", "hard.inp"}}) {
            SCOPED_TRACE(std::string(pimForm ? "PIM form to " : "constraints form to ") + target);
            auto model = readPimFile(infile);
            ASSERT_TRUE(model.ok());
            model->markChanged();
            const Model before = *model;
            const Status saved = pimForm ? savePimFile(*model, target) : saveConstraints(*model, target);
            ASSERT_FALSE(saved.ok());
            EXPECT_EQ(saved.error().text(),
                      std::string("Input & Output filenames (") + infile + ") must be different!");
            EXPECT_EQ(*model, before);
            EXPECT_EQ(fileText("m.inp"), original);
        }
}

// A head the reader takes differently from the writer makes a saved file that would not
// read back; the save refuses, writes nothing and keeps the model. PIM form: a SECPERS list
// running on past the COHORT line ends the model statement past the head the writer copies.
// Constraints form: a test statement in the head ends the reader's sections before the
// constraint lines the writer puts after it (each save ties cell 2 to cell 1).
TEST(SaveReadsBack, headTheReaderTakesDifferentlyIsRefused)
{
    std::string earlyTest = fileText(pimDataDir() / "twogroups" / "input.inp");
    earlyTest.insert(earlyTest.find("PIM;"), "PROC TEST AICSAVE=EARLY.AIC;\r\n");
    const std::tuple<std::string, const SaveForm&, std::string> cases[] = {
        {"PROC MODEL NPAR=2 NYRS=1 STRATA=1 SECPERS=\r\nCOHORT;\r\n2;\r\nPIM;\r\nCP(1);\r\n 1 2\r\n;\r\n"
         "COHORT=5;\r\nPIM;\r\nSRV(1);\r\n\r\n;\r\nP(1);\r\n\r\n;\r\nCP(1);\r\n 1 2\r\n;\r\n"
         "DESIGN 2 2 ONEDIGIT;\r\n\r\nPROC STOP;\r\n",
         kSaveForms[0], "out.inp, line 17: the file ends before the COHORT line"},
        {earlyTest, kSaveForms[1], "cell 2 reads back as its own parameter, not tied to cell 1"},
    };
    for (const auto& [text, form, reason] : cases) {
        SCOPED_TRACE(form.name);
        TempDir dir;
        writeFile("m.inp", text);
        Model model = readPimOrFail("m.inp");
        model.pim[2] = 1;
        const Model before = model;
        const Status saved = form.save(model, "out.inp");
        ASSERT_FALSE(saved.ok());
        EXPECT_EQ(saved.error().text(),
                  "out.inp: the saved file would not read back as this model (" + reason + "); nothing was written");
        EXPECT_FALSE(fs::exists("out.inp"));
        EXPECT_EQ(model, before);
    }
}

}  // namespace
