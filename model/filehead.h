#pragma once
// The head of a model file: its lines from the first on, as both writers copy them into
// the files they save. The readers keep it while they read, so that a save never opens
// the input again (it may have changed since, or be a FIFO that blocks).
//
// Both writers look for the line that ends their head from the first line holding
// "COHORT" or "cohort" on (from the first line when none does), so that a title that
// mentions a section word is copied like any line. The lines are kept up to and
// including the first that ends the PIM writer's head (it holds "constraint",
// "CONSTRAINT" or "PIM;"); the constraints writer's head ends at or before that line. A
// file without such a line is kept whole.

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

struct FileHead {
    std::vector<std::string> lines;  // without their line ends
    /// The file went on past the lines kept with a line longer than the line limit
    /// (line lines.size() + 1), so whatever followed is not known.
    bool cutByLongLine = false;

    bool operator==(const FileHead&) const = default;
};

/// Whether a line ends the head the PIM writer copies (from the search start on).
bool endsPimHead(std::string_view line);
/// Whether a line ends the head the constraints writer copies (from the search start on).
bool endsConstraintsHead(std::string_view line);
/// Where the writers' search for the line that ends the head starts: the index of the
/// first line holding "COHORT" or "cohort", or 0 when no line does.
std::size_t headSearchStart(const std::vector<std::string>& lines);

/// Collects the head from the lines a reader reads, in order.
class HeadKeeper {
public:
    /// Takes the next line of the file (ignored once the head is complete).
    void line(std::string_view text);
    /// The next line of the file was too long to be read: the head ends unknown there.
    void lineTooLong();
    /// Whether the head holds the line that ends it (or the read stopped at a long line).
    bool complete() const { return m_complete; }
    FileHead& head() { return m_head; }

private:
    FileHead m_head;
    bool m_cohortSeen = false;
    bool m_complete = false;
};

/// Reads the head of a model file from in (for models not read from a file).
FileHead readFileHead(std::istream& in, const std::string& name);

}  // namespace tw
