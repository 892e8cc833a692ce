#pragma once
// Line input and output of the model files. A line feed ends a line and one carriage
// return just before it is dropped; a last line without a line feed counts. Output
// lines end in CR LF. Bytes pass through unchanged.

#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "model/result.h"

namespace tw {

/// The end of every line the writers put out.
inline constexpr std::string_view kLineEnd = "\r\n";

class LineReader {
public:
    /// name is the file name used in error messages.
    LineReader(std::istream& in, std::string name);

    /// Reads the next line into line; false at the end of the input.
    bool next(std::string& line);
    /// 1-based number of the line last read (0 before the first).
    int lineNumber() const { return m_line; }
    const std::string& name() const { return m_name; }
    /// An error about the line last read.
    Error error(std::string message) const { return makeError(std::move(message), m_name, m_line); }
    /// An error saying the file ended before what was expected.
    Error endedBefore(std::string_view what) const;

private:
    std::istream& m_in;
    std::string m_name;
    int m_line = 0;
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
