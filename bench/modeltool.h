#pragma once

// The largest model as a file on disk, and tallowick2-model run on it as a child process:
// what the benchmarks of whole command-line roads share. TW_MODEL_TOOL is the built program.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/largestmodel.h"
#include "model/pimwriter.h"

namespace tw {

/// Writes the largest model of nyrs primary periods at path; false (with a message) on failure.
inline bool writeLargestModelFile(int nyrs, const std::string& path)
{
    Model model = largestModel(nyrs);
    std::istringstream head(largestModelHead(model));
    model.head = readFileHead(head, model.infile);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const Status written = writePimModel(model, out);
    if (!written)
        std::fprintf(stderr, "%s\n", written.error().text().c_str());
    return written.ok();
}

/// Peak resident memory of tallowick2-model with the arguments given, in KiB; -1 when it
/// failed. Run while the calling process is still small: a child's peak counts the memory it
/// shared with its parent before its exec.
inline long modelToolPeakKiB(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv{const_cast<char*>(TW_MODEL_TOOL)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(TW_MODEL_TOOL, argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

}  // namespace tw
