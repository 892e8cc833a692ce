#pragma once
// Line input and output of the model files. A line feed ends a line and one carriage
// return just before it is dropped; a last line without a line feed counts. Output
// lines end in CR LF. Bytes pass through unchanged. A line longer than kMaxLineLength
// bytes ends the input with an error naming it, so that a file without line feeds (a
// binary file, one with CR-only line ends) never has to be held as one line.

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "model/result.h"

namespace tw {

class HeadKeeper;

/// The end of every line the writers put out.
inline constexpr std::string_view kLineEnd = "\r\n";

/// The longest line read, in bytes (without its line end): far above the longest line
/// the writers produce for the largest model.
inline constexpr std::size_t kMaxLineLength = 16u << 20;

class LineReader {
public:
    /// name is the file name used in error messages.
    LineReader(std::istream& in, std::string name);

    /// Reads the next line into line; false at the end of the input or at a line longer
    /// than kMaxLineLength (then tooLong() is true and line is empty).
    bool next(std::string& line);
    /// As next, but appends the line to text (left as it was when false is returned).
    bool appendNext(std::string& text);
    /// Whether reading stopped at a line that is too long.
    bool tooLong() const { return m_tooLong; }
    /// 1-based number of the line last read (0 before the first).
    int lineNumber() const { return m_line; }
    const std::string& name() const { return m_name; }
    /// An error about the line last read.
    Error error(std::string message) const { return makeError(std::move(message), m_name, m_line); }
    /// An error saying the file ended before what was expected, or, when reading stopped
    /// at a line that is too long, that error.
    Error endedBefore(std::string_view what) const;
    /// The error about a line that is too long.
    Error tooLongError() const { return tooLongError(m_name, m_line); }
    /// The error about line number line of the file name, which is too long.
    static Error tooLongError(const std::string& name, int line);
    /// Hands every line read from now on to keeper (which must outlive the reader).
    void keepHead(HeadKeeper& keeper) { m_keeper = &keeper; }
    /// Reads on until the keeper holds the whole head, or the input ends.
    void finishHead();

private:
    std::istream& m_in;
    std::string m_name;
    int m_line = 0;
    bool m_tooLong = false;
    bool m_crOnly = false;  // the first line holds carriage returns
    HeadKeeper* m_keeper = nullptr;

    void keepLine(std::string_view text);
    void tooLongAt(std::string& text, std::size_t start);
};

class LineWriter {
public:
    explicit LineWriter(std::ostream& out) : m_out(out) {}
    /// Writes text and the CR LF line end.
    void line(std::string_view text = {});
    /// Writes text without a line end.
    void text(std::string_view text);
    bool good() const { return m_out.good(); }

private:
    std::ostream& m_out;
};

}  // namespace tw
