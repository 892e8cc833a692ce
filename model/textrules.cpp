#include "model/textrules.h"

#include <cerrno>
#include <clocale>
#include <locale.h>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tw {

namespace {

// Numbers in model files always use a decimal point, whatever the user's locale says
// (the windowing library adopts the desktop's locale, e.g. one with a decimal comma).
locale_t cLocale()
{
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

bool isSkipped(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int digitValue(char c, int base)
{
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

// Position of the next character that is not skipped, from i on.
std::size_t skip(std::string_view text, std::size_t i)
{
    while (i < text.size() && isSkipped(text[i]))
        ++i;
    return i;
}

std::optional<double> radixValue(std::string_view text, std::size_t i, int base)
{
    double value = 0;
    for (i = skip(text, i); i < text.size(); i = skip(text, i + 1)) {
        const int d = digitValue(text[i], base);
        if (d < 0)
            break;
        value = value * base + d;
        if (std::isinf(value))
            return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<double> decimalValue(std::string_view text)
{
    std::size_t i = skip(text, 0);
    if (i + 1 < text.size() && text[i] == '&') {
        const char r = text[i + 1];
        if (r == 'H' || r == 'h')
            return radixValue(text, i + 2, 16);
        if (r == 'O' || r == 'o')
            return radixValue(text, i + 2, 8);
    }

    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        number += text[i];
        i = skip(text, i + 1);
    }
    bool point = false;
    bool digits = false;
    for (; i < text.size(); i = skip(text, i + 1)) {
        const char c = text[i];
        if (isDigit(c)) {
            digits = true;
            number += c;
        } else if (c == '.' && !point) {
            point = true;
            number += c;
        } else {
            break;
        }
    }
    if (!digits)
        return 0.0;

    // The exponent counts only when at least one digit follows its letter and sign.
    if (i < text.size()) {
        const char e = text[i];
        if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
            std::size_t j = skip(text, i + 1);
            std::string exponent = "e";
            if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
                exponent += text[j];
                j = skip(text, j + 1);
            }
            bool expDigits = false;
            for (; j < text.size() && isDigit(text[j]); j = skip(text, j + 1)) {
                expDigits = true;
                exponent += text[j];
            }
            if (expDigits)
                number += exponent;
        }
    }

    errno = 0;
    const double value = ::strtod_l(number.c_str(), nullptr, cLocale());
    if (std::isinf(value))
        return std::nullopt;
    return value;
}

double decimalValueOr0(std::string_view text)
{
    return decimalValue(text).value_or(0.0);
}

double roundHalfEven(double value)
{
    // The default floating-point rounding mode rounds to nearest, ties to even.
    return std::nearbyint(value);
}

std::optional<std::int16_t> roundToInt16(double value)
{
    if (std::isnan(value))
        return std::nullopt;
    const double r = roundHalfEven(value);
    if (r < -32768.0 || r > 32767.0)
        return std::nullopt;
    return static_cast<std::int16_t>(r);
}

std::size_t keywordPosition(std::string_view line, std::string_view upper, std::string_view lower)
{
    std::size_t p = 0;
    if (auto u = line.find(upper); u != std::string_view::npos)
        p += u + 1;
    if (auto l = line.find(lower); l != std::string_view::npos)
        p += l + 1;
    return p;
}

std::string_view textFrom(std::string_view line, std::size_t pos)
{
    if (pos < 1)
        pos = 1;
    if (pos > line.size())
        return {};
    return line.substr(pos - 1);
}

std::optional<double> getnum(std::string& text, const NextLine& nextLine)
{
    for (;;) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (!isDigit(text[i]))
                continue;
            const bool last = i + 1 >= text.size();
            if (!last && (isDigit(text[i + 1]) || text[i + 1] == '.'))
                continue;
            auto value = decimalValue(std::string_view(text).substr(0, i + 1));
            text.erase(0, i + 1);
            return value;
        }
        if (!nextLine || !nextLine(text))
            return std::nullopt;
    }
}

std::optional<std::size_t> gatherBlock(std::string& block, std::string& line, const AppendLine& appendLine)
{
    // Lines are appended to the block where they are read, so the block's text is
    // copied once, however many lines it spans.
    block.clear();
    for (;;) {
        const std::size_t start = block.size();
        if (!appendLine(block))
            return std::nullopt;
        const std::string_view added = std::string_view(block).substr(start);
        if (contains(added, ";")) {
            line.assign(added);
            break;
        }
    }
    const auto first = block.find_first_not_of(' ');
    return first == std::string::npos ? block.size() : first;
}

std::string_view PimTokens::nextToken()
{
    if (m_exhausted)
        return {};  // the buffer became "0"
    const std::string_view rest = m_block.substr(m_pos);
    const auto blank = rest.find(' ');
    // p: 1-based position of the first blank, or the length when there is none.
    const std::size_t p = blank == std::string_view::npos ? rest.size() : blank + 1;
    const std::string_view token = rest.substr(0, p == 0 ? 0 : p - 1);
    if (rest.size() > p) {
        m_pos += p;
        while (m_pos < m_block.size() && m_block[m_pos] == ' ')
            ++m_pos;
    } else {
        m_exhausted = true;
    }
    return token;
}

std::string_view designToken(std::string_view line, std::size_t& pos, std::size_t limit)
{
    if (limit > line.size())
        limit = line.size();
    while (pos < limit && line[pos] == ' ')
        ++pos;
    const std::size_t start = pos;
    while (pos < limit && line[pos] != ' ')
        ++pos;
    return line.substr(start, pos - start);
}

namespace {

// The magnitude of a value in up to 15 significant digits: digits without trailing
// zeros and the decimal exponent of the first digit.
struct Digits {
    std::string digits;
    int exponent = 0;
};

Digits significantDigits(double magnitude)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", magnitude);
    Digits d;
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p)
        if (isDigit(*p))
            d.digits += *p;
    if (*p == 'e')
        d.exponent = std::atoi(p + 1);
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// The magnitude in its shortest form, without a sign and without a zero before the point.
// Built by appending: GCC 12 warns falsely (-Wrestrict) on "literal" + std::string at -O3.
std::string magnitudeText(double magnitude)
{
    if (magnitude == 0)
        return "0";
    // Whole numbers below 1E15 print as their digits; most numbers in model files are.
    if (magnitude < 1e15 && magnitude == std::floor(magnitude)) {
        char buffer[24];
        const auto written = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(magnitude));
        return std::string(buffer, written.ptr);
    }
    const Digits d = significantDigits(magnitude);
    const int e = d.exponent;
    std::string out;
    if (e < -4 || e >= 15) {
        out += d.digits[0];
        if (d.digits.size() > 1) {
            out += '.';
            out.append(d.digits, 1);
        }
        char exp[16];
        std::snprintf(exp, sizeof exp, "E%c%02d", e < 0 ? '-' : '+', e < 0 ? -e : e);
        out += exp;
        return out;
    }
    if (e < 0) {
        out += '.';
        out.append(static_cast<std::size_t>(-e - 1), '0');
        out += d.digits;
        return out;
    }
    const auto intDigits = static_cast<std::size_t>(e + 1);
    if (d.digits.size() <= intDigits) {
        out = d.digits;
        out.append(intDigits - d.digits.size(), '0');
        return out;
    }
    out.append(d.digits, 0, intDigits);
    out += '.';
    out.append(d.digits, intDigits);
    return out;
}

}  // namespace

std::string signedText(double value)
{
    if (value == 0 || std::isnan(value))
        return " 0";
    std::string text(1, value < 0 ? '-' : ' ');
    text += magnitudeText(std::fabs(value));
    return text;
}

std::string bareText(double value)
{
    return signedText(value).substr(1);
}

std::string printText(double value)
{
    return signedText(value) + " ";
}

std::string cellNumber4(int cell)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d", cell);
    return buffer;
}

std::string plainText(double value)
{
    const std::string text = signedText(value);
    std::string out;
    if (text[0] == '-')
        out += '-';
    if (text[1] == '.')
        out += '0';
    out.append(text, 1);
    return out;
}

}  // namespace tw
