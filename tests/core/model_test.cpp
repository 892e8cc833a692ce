#include "model/model.h"

#include <gtest/gtest.h>

#include "model/atomicfile.h"
#include "model/lines.h"
#include "model/paths.h"

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace tw;

namespace {

Model twoGroupsTwoStrataThreePeriods()
{
    Model m = startupModel();
    m.groups = 2;
    m.nstrat = 2;
    m.nyrs = 3;
    m.secpers = {0, 2, 2, 2};
    m.cumsec = {0, 2, 4, 6};
    m.totsec = 6;
    computeDerivedSizes(m);
    return m;
}

TEST(CellNumbering, followsTheModelFileBlocks)
{
    const Model m = twoGroupsTwoStrataThreePeriods();
    EXPECT_EQ(survivalBlockSize(m), 16);
    EXPECT_EQ(transitionCell(m, 1, 1, 1, 2, 2), 4);   // survival of stratum 2, interval 1, group 1
    EXPECT_EQ(transitionCell(m, 2, 1, 1, 2, 2), 12);  // the same in group 2
    EXPECT_EQ(transitionCell(m, 1, 1, 2, 1, 2), 6);
    EXPECT_EQ(openCaptureCell(m, 1, 1, 1), 17);
    EXPECT_EQ(openCaptureCell(m, 2, 1, 2), 20);
    EXPECT_EQ(closedCaptureCell(m, 1, 1, 1, 1), 21);
    EXPECT_EQ(closedCaptureCell(m, 2, 1, 3, 2), 32);
    EXPECT_EQ(expectedCellCount(m), 32);
}

TEST(CellNumbering, oneYearHasOnlyClosedCapture)
{
    Model m = startupModel();
    m.nstrat = 1;
    m.nyrs = 1;
    m.secpers = {0, 3};
    m.cumsec = {0, 3};
    m.totsec = 3;
    computeDerivedSizes(m);
    EXPECT_EQ(m.nint, 0);
    EXPECT_EQ(survivalBlockSize(m), 0);
    EXPECT_EQ(closedCaptureCell(m, 1, 1, 1, 1), 1);
    EXPECT_EQ(expectedCellCount(m), 3);
}

TEST(ModelStartup, hasTheStartupValues)
{
    const Model m = startupModel();
    EXPECT_EQ(m.groups, 1);
    EXPECT_EQ(m.nage, 1);
    EXPECT_EQ(m.unsaved, 0);
    EXPECT_EQ(m.npar, 0);
    EXPECT_FALSE(m.loaded());
    EXPECT_TRUE(m.fixedlist.empty());
}

TEST(ModelStartup, cellArraysNumberEveryCellItsOwnParameter)
{
    Model m = startupModel();
    m.npar = 4;
    createCellArrays(m);
    ASSERT_EQ(m.pim.size(), 5u);
    EXPECT_EQ(m.pim[4], 4);
    EXPECT_EQ(largestParameter(m), 4);
    m.npar = 2;  // a smaller second model re-creates every array at the new size
    createCellArrays(m);
    EXPECT_EQ(m.pim.size(), 3u);
    EXPECT_EQ(m.labels.size(), 3u);
    EXPECT_EQ(m.initval.size(), 3u);
}

TEST(FixedMarker, neverCollidesWithSpecialValues)
{
    EXPECT_EQ(fixedMarker(7), -7);
    EXPECT_EQ(fixedMarker(-9), -9);
    for (std::int16_t old : {-2, -1, 0, 1, 2})
        EXPECT_EQ(fixedMarker(old), -3) << old;
    EXPECT_TRUE(isFixedMarker(fixedMarker(1)));
}

TEST(DesignMatrixSparse, holdsEntriesBeyondAnyBound)
{
    DesignMatrix dm;
    dm.set(32767, 32767, 2.5);
    dm.set(3, 1, 1);
    dm.set(3, 1, 0);  // zero removes
    EXPECT_EQ(dm.get(32767, 32767), 2.5);
    EXPECT_EQ(dm.get(3, 1), 0);
    EXPECT_EQ(dm.size(), 1u);
    dm.setColUsed(40);
    EXPECT_TRUE(dm.colUsed(40));
    EXPECT_FALSE(dm.colUsed(39));
    EXPECT_FALSE(dm.colUsed(-1));
}

TEST(Lines, dropOneCarriageReturnAndKeepTheLastLine)
{
    std::istringstream in("a\r\nb\n\r\r\nlast");
    LineReader reader(in, "f.inp");
    std::string line;
    std::vector<std::string> got;
    while (reader.next(line))
        got.push_back(line);
    EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "\r", "last"}));
    EXPECT_EQ(reader.lineNumber(), 4);
    EXPECT_EQ(reader.error("bad").text(), "f.inp, line 4: bad");

    std::ostringstream out;
    LineWriter writer(out);
    writer.line("x\xe9");
    writer.text("y");
    writer.line();
    EXPECT_EQ(out.str(), "x\xe9\r\ny\r\n");
}

TEST(InstallDirectory, isTheDirectoryPartOfTheProgramPath)
{
    EXPECT_EQ(directoryPart("/opt/tw/tallowick2"), "/opt/tw");
    EXPECT_EQ(directoryPart("C:\\Tools\\Tallowick22.exe"), "C:\\Tools");
    EXPECT_EQ(directoryPart("tallowick2"), "");
    EXPECT_EQ(directoryPart(""), "");
    EXPECT_EQ(programIn("/opt/tw", "corvane"), "/opt/tw/corvane");
    EXPECT_EQ(programIn("", "corvane"), "corvane");
}

class AtomicSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("tw-atomic-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    static std::string read(const std::filesystem::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::filesystem::path dir;
};

TEST_F(AtomicSave, failedWriteLeavesTheOldFileAndNoTemporary)
{
    const auto target = dir / "m.inp";
    std::ofstream(target) << "old";
    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    Status failed = saveAtomically(target.string(), [](std::ostream& out) -> Status {
        out << "half";
        return makeError("stopped");
    });
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().message, "stopped");
    EXPECT_EQ(read(target), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);

    ASSERT_TRUE(saveAtomically(target.string(), [](std::ostream& out) -> Status {
        out << "new";
        return {};
    }).ok());
    EXPECT_EQ(read(target), "new");
    EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(AtomicSave, unwritableFolderIsReported)
{
    Status failed = saveAtomically((dir / "missing" / "m.inp").string(), [](std::ostream&) -> Status { return {}; });
    ASSERT_FALSE(failed.ok());
    EXPECT_NE(failed.error().message.find("cannot create"), std::string::npos);
}

TEST_F(AtomicSave, sameFileSeesThroughDotsAndLinks)
{
    const auto file = dir / "m.inp";
    std::ofstream(file) << "x";
    std::filesystem::create_symlink(file, dir / "link.inp");
    EXPECT_TRUE(sameFile(file.string(), (dir / "." / "m.inp").string()));
    EXPECT_TRUE(sameFile(file.string(), (dir / "link.inp").string()));
    EXPECT_FALSE(sameFile(file.string(), (dir / "other.inp").string()));
}

}  // namespace

namespace {

TEST(DesignMatrixSparse, setManyMergesInAnyOrderAndTheLaterChangeWins)
{
    DesignMatrix dm;
    for (int r = 1; r <= 5; ++r)
        dm.set(r, r, 1);
    dm.set(2, 7, 3);  // out of order insert
    dm.setMany({{4, 4, 0}, {1, 2, 5}, {1, 2, 6}, {9, 1, -1}, {3, 3, 2}, {0, 0, 0}});
    const std::vector<DesignMatrix::Entry> expected{{1, 1, 1}, {1, 2, 6}, {2, 2, 1}, {2, 7, 3},
                                                    {3, 3, 2}, {5, 5, 1}, {9, 1, -1}};
    EXPECT_EQ(dm.entries(), expected);
    const auto row2 = dm.row(2);
    ASSERT_EQ(row2.end() - row2.begin(), 2);
    EXPECT_EQ(row2.lowerBound(3)->col, 7);
    EXPECT_TRUE(dm.row(4).empty());
    EXPECT_EQ(dm.get(9, 1), -1);
}

}  // namespace
