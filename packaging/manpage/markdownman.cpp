#include "packaging/manpage/markdownman.h"

#include <cctype>
#include <cstdio>
#include <vector>

namespace tw::manpage {

namespace {

enum class Span { Prose, Code };

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool isBlank(std::string_view line) { return line.find_first_not_of(" \t\r") == std::string_view::npos; }

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

// Appends one UTF-8 sequence starting at text[at] as a roff named glyph (\[u2014]); the
// page then reads the same whatever encoding man assumes. Returns the bytes consumed.
std::size_t appendGlyph(std::string& out, std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    unsigned codePoint = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length && at + i < text.size(); ++i)
        codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    char glyph[16];
    std::snprintf(glyph, sizeof glyph, "\\[u%04X]", codePoint);
    out += glyph;
    return length;
}

// Text with roff's escape character and non-ASCII characters written as escapes; in code
// every hyphen is a minus sign, so that options copied from the page work.
std::string escaped(std::string_view text, Span span)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            i += appendGlyph(out, text, i);
            continue;
        }
        if (c == '\\')
            out += "\\e";
        else if (c == '-' && span == Span::Code)
            out += "\\-";
        else
            out += c;
        ++i;
    }
    return out;
}

// A text line must not start with roff's control characters.
std::string asTextLine(std::string line)
{
    if (!line.empty() && (line[0] == '.' || line[0] == '\''))
        line.insert(0, "\\&");
    return line;
}

// The end of an *emphasis* starting at text[at], or npos when the star is an ordinary one.
std::size_t emphasisEnd(std::string_view text, std::size_t at, std::string_view marker)
{
    const std::size_t inner = at + marker.size();
    if (inner >= text.size() || text[inner] == ' ' || text[inner] == '*')
        return std::string_view::npos;
    const std::size_t end = text.find(marker, inner);
    if (end == std::string_view::npos || text[end - 1] == ' ')
        return std::string_view::npos;
    if (text.substr(inner, end - inner).find('`') != std::string_view::npos)
        return std::string_view::npos;
    return end;
}

using Lines = std::vector<std::string_view>;

Error errorAt(std::size_t index, std::string message)
{
    return makeError(std::move(message), {}, static_cast<int>(index + 1));
}

Result<std::string> inlineText(std::size_t lineIndex, std::string_view text)
{
    std::string out;
    std::size_t plainStart = 0;
    auto flushPlain = [&](std::size_t end) { out += escaped(text.substr(plainStart, end - plainStart), Span::Prose); };
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '`') {
            const std::size_t end = text.find('`', i + 1);
            if (end == std::string_view::npos)
                return errorAt(lineIndex, "a ` opens code that no ` closes");
            flushPlain(i);
            out += "\\fB" + escaped(text.substr(i + 1, end - i - 1), Span::Code) + "\\fR";
            i = plainStart = end + 1;
            continue;
        }
        if (text[i] == '*') {
            const std::string_view marker = startsWith(text.substr(i), "**") ? "**" : "*";
            const std::size_t end = emphasisEnd(text, i, marker);
            if (end != std::string_view::npos) {
                flushPlain(i);
                const std::size_t inner = i + marker.size();
                out += (marker.size() == 2 ? "\\fB" : "\\fI") + escaped(text.substr(inner, end - inner), Span::Prose)
                    + "\\fR";
                i = plainStart = end + marker.size();
                continue;
            }
        }
        ++i;
    }
    flushPlain(text.size());
    return asTextLine(out);
}

// A term that is one code span, "`--read-pims FILE`", is set as an option: the first word
// bold, its operands italic.
Result<std::string> termText(std::size_t lineIndex, const std::string& term)
{
    if (term.size() > 2 && term.front() == '`' && term.back() == '`' && term.find('`', 1) == term.size() - 1) {
        const std::string inner = term.substr(1, term.size() - 2);
        const auto space = inner.find(' ');
        std::string out = "\\fB" + escaped(inner.substr(0, space), Span::Code) + "\\fR";
        if (space != std::string::npos)
            out += " \\fI" + escaped(inner.substr(space + 1), Span::Code) + "\\fR";
        return out;
    }
    return inlineText(lineIndex, term);
}

bool isCodeLine(std::string_view line) { return startsWith(line, "    ") && !isBlank(line); }
bool isDefinitionStart(std::string_view line) { return startsWith(line, ":") && (line.size() == 1 || line[1] == ' '); }
bool isOrderedItem(std::string_view line)
{
    std::size_t digits = 0;
    while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits])))
        ++digits;
    return digits > 0 && startsWith(line.substr(digits), ". ");
}

// Converts the blocks of the manual after its title line, appending to out.
class Converter {
public:
    explicit Converter(const Lines& lines) : m_lines(lines) {}

    Status convert(std::size_t first, std::string& out)
    {
        m_out = &out;
        for (m_index = first; m_index < lines().size();)
            TW_TRY(block());
        return {};
    }

private:
    const Lines& lines() const { return m_lines; }
    std::string_view line() const { return lines()[m_index]; }
    std::string_view lineAfter() const { return m_index + 1 < lines().size() ? lines()[m_index + 1] : std::string_view{}; }

    Status block()
    {
        if (isBlank(line())) {
            ++m_index;
            return {};
        }
        if (startsWith(line(), "### ") || startsWith(line(), "## "))
            return heading();
        if (startsWith(line(), "#") || startsWith(line(), "```") || startsWith(line(), "|") || startsWith(line(), ">")
            || isOrderedItem(line()) || startsWith(line(), "* ") || startsWith(line(), "\t"))
            return errorAt(m_index, "markup the man page does not know: " + trimmed(line()));
        if (isCodeLine(line()))
            return m_afterDefinition ? definitionParagraph() : codeBlock();
        m_afterDefinition = false;
        if (startsWith(line(), "- "))
            return listItem();
        if (isDefinitionStart(lineAfter()))
            return definition();
        return paragraph();
    }

    Status heading()
    {
        const bool section = startsWith(line(), "## ");
        m_section = trimmed(line().substr(section ? 3 : 4));
        *m_out += (section ? ".SH " : ".SS ") + escaped(m_section, Span::Prose) + "\n";
        m_afterDefinition = false;
        ++m_index;
        return {};
    }

    // Lines up to the next blank one, trimmed and joined with spaces.
    std::string joinedUntilBlank(std::string first)
    {
        std::string text = std::move(first);
        for (++m_index; m_index < lines().size() && !isBlank(line()); ++m_index)
            text += ' ' + trimmed(line());
        return text;
    }

    Status paragraph()
    {
        const std::size_t start = m_index;
        std::string text = joinedUntilBlank(trimmed(line()));
        // The NAME line "name — what it does" becomes "name \- what it does", as whatis reads it.
        std::string separator;
        if (m_section == "NAME") {
            const auto dash = text.find(" \u2014 ");
            if (dash != std::string::npos) {
                auto head = inlineText(start, text.substr(0, dash));
                if (!head)
                    return head.error();
                separator = *head + " \\- ";
                text.erase(0, dash + std::string(" \u2014 ").size());
            }
        }
        auto body = inlineText(start, text);
        if (!body)
            return body.error();
        *m_out += ".PP\n" + (separator.empty() ? *body : separator + *body) + "\n";
        return {};
    }

    Status listItem()
    {
        const std::size_t start = m_index;
        std::string text = trimmed(line().substr(2));
        for (++m_index; m_index < lines().size() && startsWith(line(), "  ") && !isBlank(line()); ++m_index)
            text += ' ' + trimmed(line());
        auto body = inlineText(start, text);
        if (!body)
            return body.error();
        *m_out += ".IP \\(bu 2\n" + *body + "\n";
        return {};
    }

    Status definition()
    {
        const std::size_t start = m_index;
        auto term = termText(start, trimmed(line()));
        if (!term)
            return term.error();
        ++m_index;
        auto body = inlineText(start + 1, joinedUntilBlank(trimmed(line().substr(1))));
        if (!body)
            return body.error();
        *m_out += ".TP\n" + *term + "\n" + *body + "\n";
        m_afterDefinition = true;
        return {};
    }

    // An indented paragraph after a definition continues that definition.
    Status definitionParagraph()
    {
        const std::size_t start = m_index;
        auto body = inlineText(start, joinedUntilBlank(trimmed(line())));
        if (!body)
            return body.error();
        *m_out += ".IP\n" + *body + "\n";
        return {};
    }

    Status codeBlock()
    {
        *m_out += ".PP\n.RS 4\n.nf\n";
        while (m_index < lines().size()) {
            if (isCodeLine(line())) {
                *m_out += asTextLine(escaped(line().substr(4), Span::Code)) + "\n";
            } else if (isBlank(line()) && isCodeLine(lineAfter())) {
                *m_out += ".sp\n";
            } else {
                break;
            }
            ++m_index;
        }
        *m_out += ".fi\n.RE\n";
        return {};
    }

    const Lines& m_lines;
    std::string* m_out = nullptr;
    std::size_t m_index = 0;
    std::string m_section;
    bool m_afterDefinition = false;
};

Lines splitLines(std::string_view text)
{
    Lines lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string upperCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

Result<std::string> markdownToMan(std::string_view markdown, std::string_view version)
{
    const Lines lines = splitLines(markdown);
    std::size_t first = 0;
    while (first < lines.size() && isBlank(lines[first]))
        ++first;
    if (first == lines.size() || !startsWith(lines[first], "# "))
        return errorAt(first, "the manual must start with \"# \" and the program's name");
    const std::string name = trimmed(lines[first].substr(2));
    std::string out = ".TH " + escaped(upperCase(name), Span::Code) + " 1 \"\" \"Tallowick2 " + std::string(version)
        + "\" \"User Commands\"\n.nh\n";
    TW_TRY(Converter(lines).convert(first + 1, out));
    return out;
}

}  // namespace tw::manpage
