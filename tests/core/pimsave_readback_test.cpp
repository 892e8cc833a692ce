#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "model/pimreader.h"
#include "model/pimwriter.h"

namespace fs = std::filesystem;

namespace {

// A SECPERS list that runs on past the COHORT line makes the reader end the model
// statement at a later COHORT line, past the head the writer copies: the saved file would
// not read back. The save refuses, writes nothing and keeps the model.
TEST(PimSaveReadsBack, headTheReaderTakesDifferentlyIsRefused)
{
    const fs::path input = fs::temp_directory_path() / ("tw-secpers-" + std::to_string(::getpid()) + ".inp");
    std::ofstream(input, std::ios::binary) << "PROC MODEL NPAR=2 NYRS=1 STRATA=1 SECPERS=\r\nCOHORT;\r\n2;\r\nPIM;\r\n"
                                              "CP(1);\r\n 1 2\r\n;\r\nCOHORT=5;\r\nPIM;\r\nSRV(1);\r\n\r\n;\r\n"
                                              "P(1);\r\n\r\n;\r\nCP(1);\r\n 1 2\r\n;\r\nDESIGN 2 2 ONEDIGIT;\r\n\r\n"
                                              "PROC STOP;\r\n";
    auto model = tw::readPimFile(input.string());
    fs::remove(input);
    ASSERT_TRUE(model.ok()) << model.error().text();
    const tw::Model before = *model;
    const fs::path target = fs::temp_directory_path() / ("tw-readback-" + std::to_string(::getpid()) + ".inp");
    const tw::Status saved = tw::savePimFile(*model, target.string());
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().text(),
              target.string() + ": the saved file would not read back as this model (" + target.string()
                  + ", line 17: the file ends before the COHORT line); nothing was written");
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(*model, before);
}

}  // namespace
