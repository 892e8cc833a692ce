#pragma once
// The tokens of model formulas: names, numbers, the operators + - * : ~ and parentheses,
// with blanks (spaces, tabs) between them skipped. Any other character is a token of
// its own (a whole UTF-8 sequence), for the parser to refuse.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tw::formulatext {

enum class Token : std::uint8_t { Name, Number, Plus, Minus, Star, Colon, Open, Close, Tilde, Other, End };

struct Lexeme {
    Token token = Token::End;
    std::size_t begin = 0;
    std::string_view text;
};

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }
inline bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool startsName(char c) { return isLetter(c) || c == '.' || c == '_'; }
inline bool continuesName(char c) { return startsName(c) || isDigit(c); }
inline bool continuesUtf8(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

/// 1-based column of a byte offset, counting characters (UTF-8 sequences count once).
inline int columnAt(std::string_view text, std::size_t offset)
{
    int column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i)
        if (!continuesUtf8(text[i]))
            ++column;
    return column;
}

class Lexer {
public:
    Lexer(std::string_view text, std::size_t start) : m_text(text), m_pos(start) {}

    /// The next lexeme, without consuming it.
    Lexeme peek() const
    {
        std::size_t pos = m_pos;
        while (pos < m_text.size() && isBlank(m_text[pos]))
            ++pos;
        if (pos == m_text.size())
            return {Token::End, pos, {}};
        const char c = m_text[pos];
        std::size_t end = pos + 1;
        Token token = Token::Other;
        if (startsName(c)) {
            while (end < m_text.size() && continuesName(m_text[end]))
                ++end;
            token = Token::Name;
        } else if (isDigit(c)) {
            while (end < m_text.size() && (isDigit(m_text[end]) || m_text[end] == '.'))
                ++end;
            token = Token::Number;
        } else {
            token = punctuation(c);
            while (token == Token::Other && end < m_text.size() && continuesUtf8(m_text[end]))
                ++end;
        }
        return {token, pos, m_text.substr(pos, end - pos)};
    }
    Lexeme next()
    {
        m_last = peek();
        m_pos = m_last.begin + m_last.text.size();
        return m_last;
    }
    /// The lexeme consumed last.
    const Lexeme& last() const { return m_last; }

private:
    static Token punctuation(char c)
    {
        switch (c) {
        case '+': return Token::Plus;
        case '-': return Token::Minus;
        case '*': return Token::Star;
        case ':': return Token::Colon;
        case '(': return Token::Open;
        case ')': return Token::Close;
        case '~': return Token::Tilde;
        default: return Token::Other;
        }
    }

    std::string_view m_text;
    std::size_t m_pos;
    Lexeme m_last;
};

}  // namespace tw::formulatext
