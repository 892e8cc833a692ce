#pragma once
// Helpers shared by the tests of the PIM-form reader, writer and command line.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "model/pimreader.h"
#include "runs/pimwriter.h"

namespace pimtest {

inline std::string fileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline tw::Result<tw::Model> readText(const std::string& text, const std::string& name = "m.inp")
{
    std::istringstream in(text);
    return tw::readPimModel(in, name);
}

/// The bytes the writer gives for model with head as the content of its input file.
inline tw::Result<std::string> writeText(tw::Model& model, const std::string& head)
{
    std::istringstream in(head);
    std::ostringstream out;
    const tw::Status written = tw::writePimModel(model, in, out);
    if (!written)
        return written.error();
    return out.str();
}

/// A fresh directory, made current for the test's lifetime (the program writes in it).
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tw-pim-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
        m_old = std::filesystem::current_path();
        std::filesystem::current_path(m_path);
    }
    ~TempDir()
    {
        std::filesystem::current_path(m_old);
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
    std::filesystem::path m_old;
};

inline std::filesystem::path dataDir() { return std::filesystem::path(TW_TEST_DATA) / "pim"; }

}  // namespace pimtest
