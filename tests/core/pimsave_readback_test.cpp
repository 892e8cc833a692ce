#include <gtest/gtest.h>

#include <filesystem>

#include "model/pimreader.h"
#include "model/pimwriter.h"

namespace fs = std::filesystem;

namespace {

// A SECPERS list that runs on into the COHORT line makes the reader end the model
// statement at a later COHORT line, past the head the writer copies: the saved file would
// not read back. The save refuses, writes nothing and keeps the model.
TEST(PimSaveReadsBack, headTheReaderTakesDifferentlyIsRefused)
{
    const fs::path input = fs::path(TW_TEST_DATA) / "fuzz-regressions" / "pim-secpers-runs-into-cohort.inp";
    auto model = tw::readPimFile(input.string());
    ASSERT_TRUE(model.ok()) << model.error().text();
    const tw::Model before = *model;
    const fs::path target = fs::temp_directory_path() / ("tw-readback-" + std::to_string(::getpid()) + ".inp");
    const tw::Status saved = tw::savePimFile(*model, target.string());
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().text(),
              target.string() + ": the saved file would not read back as this model (" + target.string()
                  + ", line 25: the file ends before the COHORT line); nothing was written");
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(*model, before);
}

}  // namespace
