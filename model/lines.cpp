#include "model/lines.h"

#include "model/filehead.h"

namespace tw {

LineReader::LineReader(std::istream& in, std::string name) : m_in(in), m_name(std::move(name)) {}

bool LineReader::next(std::string& line)
{
    line.clear();
    return appendNext(line);
}

bool LineReader::appendNext(std::string& text)
{
    const std::size_t start = text.size();
    if (m_tooLong)
        return false;
    // The line is read in chunks so that its length can be bounded while reading.
    char chunk[1 << 16];
    bool any = false;
    for (;;) {
        m_in.getline(chunk, sizeof chunk);
        const auto count = static_cast<std::size_t>(m_in.gcount());
        if (!m_in.fail()) {
            // A line feed was taken (counted in gcount), or the input ended after text.
            text.append(chunk, m_in.eof() ? count : count - 1);
            any = true;
            break;
        }
        if (m_in.bad() || count + 1 < sizeof chunk)
            break;  // the end of the input (a last line without a line feed was returned before)
        // The chunk filled up before the line feed: go on with the same line.
        text.append(chunk, count);
        any = true;
        m_in.clear(m_in.rdstate() & ~std::ios::failbit);
        if (text.size() - start > kMaxLineLength + 1) {
            ++m_line;
            tooLongAt(text, start);
            text.shrink_to_fit();
            return false;
        }
    }
    if (!any)
        return false;
    if (text.size() > start && text.back() == '\r')
        text.pop_back();
    ++m_line;
    // A first line holding carriage returns is a file with CR-only line ends.
    if (m_line == 1)
        m_crOnly = text.find('\r', start) != std::string::npos;
    if (text.size() - start > kMaxLineLength) {
        tooLongAt(text, start);
        return false;
    }
    keepLine(std::string_view(text).substr(start));
    return true;
}

void LineReader::tooLongAt(std::string& text, std::size_t start)
{
    m_tooLong = true;
    text.resize(start);
    if (m_keeper)
        m_keeper->lineTooLong();
}

void LineReader::keepLine(std::string_view text)
{
    if (m_keeper && !m_keeper->complete())
        m_keeper->line(text);
}

void LineReader::finishHead()
{
    std::string line;
    while (m_keeper && !m_keeper->complete() && next(line)) {
    }
}

Error LineReader::tooLongError(const std::string& name, int line)
{
    return makeError("the line is longer than " + std::to_string(kMaxLineLength)
                         + " bytes (is this a model file, with line feeds ending its lines?)",
                     name, line);
}

Error LineReader::endedBefore(std::string_view what) const
{
    if (m_tooLong)
        return tooLongError();
    if (m_crOnly)
        return makeError("the file ends before " + std::string(what)
                             + "; its lines end in a carriage return alone, which is not read as a line end "
                               "(convert the file to LF or CR LF line ends)",
                         m_name, m_line);
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
