#include "model/lines.h"

namespace tw {

LineReader::LineReader(std::istream& in, std::string name) : m_in(in), m_name(std::move(name)) {}

bool LineReader::next(std::string& line)
{
    if (!std::getline(m_in, line)) {
        // getline fails at the end; a last line without a line feed was returned before.
        return false;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    ++m_line;
    return true;
}

Error LineReader::endedBefore(std::string_view what) const
{
    return makeError("the file ends before " + std::string(what), m_name, m_line);
}

void LineWriter::line(std::string_view text)
{
    m_out.write(text.data(), static_cast<std::streamsize>(text.size()));
    m_out.write(kLineEnd.data(), static_cast<std::streamsize>(kLineEnd.size()));
}

void LineWriter::text(std::string_view text)
{
    m_out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace tw
