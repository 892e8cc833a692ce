#pragma once
// What the core tests share: files as strings, scratch directories, running the built
// programs, and small models of a given shape.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/constraintsreader.h"
#include "model/constraintswriter.h"
#include "model/model.h"
#include "model/pimreader.h"
#include "model/pimwriter.h"

namespace twtest {

namespace fs = std::filesystem;

inline std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

/// A fresh directory, removed with everything in it at the end of the test.
class ScratchDir {
public:
    ScratchDir()
    {
        std::string pattern = (fs::temp_directory_path() / "tw test XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        fs::permissions(m_path, fs::perms::owner_all, ignored);
        fs::remove_all(m_path, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const fs::path& path() const { return m_path; }
    fs::path operator/(const fs::path& name) const { return m_path / name; }

private:
    fs::path m_path;
};

/// A scratch directory that is the current directory while it lives (for code that
/// writes files of fixed names in the current directory).
class TempDir : public ScratchDir {
public:
    TempDir() : m_old(fs::current_path()) { fs::current_path(path()); }
    ~TempDir() { fs::current_path(m_old); }

private:
    fs::path m_old;
};

/// Runs a program in a directory with input on its standard input and its standard
/// output discarded; its exit code, -1 when it did not end normally.
inline int runProgram(const std::string& program, const std::string& input, const fs::path& directory = ".")
{
    const fs::path stdinFile = fs::temp_directory_path() / ("tw-test-stdin-" + std::to_string(::getpid()));
    writeFile(stdinFile, input);
    const int status = std::system(("cd '" + fs::absolute(directory).string() + "' && '" + program + "' <'"
                                    + stdinFile.string() + "' >/dev/null")
                                       .c_str());
    fs::remove(stdinFile);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string builtProgram(const std::string& name) { return TW_BINARY_DIR "/app/" + name; }

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

/// Runs tallowick2-model through the shell in the current directory; with seconds above
/// 0 it is stopped after that long (exit code 124).
inline ToolRun runModelTool(const std::string& arguments, int seconds = 0)
{
    const std::string limit = seconds > 0 ? "timeout " + std::to_string(seconds) + " " : "";
    const int status = std::system(
        (limit + "'" TW_BINARY_DIR "/cli/tallowick2-model' " + arguments + " >stdout.txt 2>stderr.txt").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, fileText("stdout.txt"), fileText("stderr.txt")};
}

/// What a function run in a child process gave: the text it returned, or how it ended.
struct ChildRun {
    bool finished = false;  // returned within the time allowed
    std::string text;
};

/// Runs work in a child process, with setup run first there (limits, signals), and
/// stops it after seconds: for code that might hang, exhaust memory or must not change
/// the test process.
inline ChildRun runInChild(const std::function<std::string()>& work, unsigned seconds = 10,
                           const std::function<void()>& setup = {})
{
    int ends[2];
    if (::pipe(ends) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        ::alarm(seconds);
        if (setup)
            setup();
        const std::string text = work();
        (void)!::write(ends[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(ends[1]);
    ChildRun run;
    char chunk[4096];
    for (ssize_t n; (n = ::read(ends[0], chunk, sizeof chunk)) > 0;)
        run.text.append(chunk, static_cast<std::size_t>(n));
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

/// The text of a failed status, or "done".
inline std::string outcome(const tw::Status& status) { return status.ok() ? "done" : status.error().text(); }

/// A model of the given cells (pim(i) = cells[i - 1]) labelled "a", "b", ....
inline tw::Model modelWithMap(const std::vector<int>& cells)
{
    tw::Model m = tw::startupModel();
    m.npar = static_cast<int>(cells.size());
    tw::createCellArrays(m);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        m.pim[i + 1] = static_cast<std::int16_t>(cells[i]);
        m.labels.set(i + 1, std::string(1, static_cast<char>('a' + i % 26)));
    }
    return m;
}

/// A model of the given groups, age classes and strata, with the secondary occasions
/// of each primary period; every cell its own parameter (pim(i) = i).
inline tw::Model modelOfShape(int groups, int nage, int nstrat, const std::vector<int>& occasions)
{
    tw::Model m = tw::startupModel();
    m.groups = groups;
    m.nage = nage;
    m.nstrat = nstrat;
    m.nyrs = static_cast<int>(occasions.size());
    m.secpers.assign(1, 0.0);
    m.cumsec.assign(1, 0);
    for (int k : occasions) {
        m.secpers.push_back(k);
        m.cumsec.push_back(static_cast<std::int16_t>(m.cumsec.back() + k));
    }
    m.totsec = m.cumsec.back();
    tw::computeDerivedSizes(m);
    m.npar = static_cast<int>(tw::expectedCellCount(m));
    tw::createCellArrays(m);
    return m;
}

/// Cells 1..n, each its own parameter, labelled "c1".."cn", with n design rows and
/// dmcols columns.
inline tw::Model labelledParameters(int n, int dmcols)
{
    tw::Model m = tw::startupModel();
    m.npar = n;
    tw::createCellArrays(m);
    for (int i = 1; i <= n; ++i)
        m.labels.set(static_cast<std::size_t>(i), "c" + std::to_string(i));
    m.nparms = m.ncols = n;
    m.dmrows = n;
    m.dmcols = dmcols;
    return m;
}

inline tw::Result<tw::Model> readPimText(const std::string& text, const std::string& name = "m.inp")
{
    std::istringstream in(text);
    return tw::readPimModel(in, name);
}

/// Gives the model the head of text, as if its file held text.
inline void setHead(tw::Model& model, const std::string& text)
{
    std::istringstream in(text);
    model.head = tw::readFileHead(in, model.infile);
}

/// The bytes the PIM-form writer gives for model with head as the content of its input file.
inline tw::Result<std::string> writePimText(tw::Model& model, const std::string& head)
{
    setHead(model, head);
    std::ostringstream out;
    if (const tw::Status written = tw::writePimModel(model, out); !written)
        return written.error();
    return out.str();
}

inline fs::path pimDataDir() { return fs::path(TW_TEST_DATA) / "pim"; }

/// A bundled example of the examples/ folder.
inline fs::path bundledExample(const std::string& name)
{
    return (fs::path(TW_TEST_DATA) / ".." / ".." / "examples" / name).lexically_normal();
}

/// The model of a PIM file that must read (a failed read fails the test).
inline tw::Model readPimOrFail(const fs::path& path)
{
    auto model = tw::readPimFile(path.string());
    EXPECT_TRUE(model.ok()) << (model.ok() ? "" : model.error().text());
    return model.ok() ? *model : tw::Model{};
}

/// How reading file in form ("pims" or "constraints") ended.
inline tw::Status readFileStatus(const std::string& form, const std::string& file)
{
    if (form == "constraints") {
        auto read = tw::readConstraintsFile(file);
        return read ? tw::Status{} : tw::Status{read.error()};
    }
    auto read = tw::readPimFile(file);
    return read ? tw::Status{} : tw::Status{read.error()};
}

/// The lines of an engine report that hold the error mark "KESTON ERROR".
inline std::vector<std::string> errorLinesOf(const std::string& report)
{
    std::vector<std::string> lines;
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);)
        if (line.find("KESTON ERROR") != std::string::npos)
            lines.push_back(line);
    return lines;
}

/// text with the first from replaced by to (from must occur).
inline std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

/// The text up to the first line end.
inline std::string firstLine(const std::string& text) { return text.substr(0, text.find_first_of("\r\n")); }

/// A save of a model to a file name, named for the trace.
struct SaveForm {
    const char* name;
    std::function<tw::Status(tw::Model&, const std::string&)> save;
};

inline const SaveForm kSaveForms[] = {
    {"PIM form", [](tw::Model& m, const std::string& target) { return tw::savePimFile(m, target); }},
    {"constraints form", [](tw::Model& m, const std::string& target) { return tw::saveConstraints(m, target); }},
};

}  // namespace twtest
