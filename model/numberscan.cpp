#include "model/numberscan.h"

#include <string>

namespace tw {

bool plainDecimalValue(std::string_view text, double& value)
{
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative || (!text.empty() && text[0] == '+'))
        ++i;
    long long whole = 0;
    int digits = 0;
    int decimals = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (++digits <= 15)
                whole = whole * 10 + (c - '0');
            decimals += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0 || digits > 15)
        return false;
    if (i < text.size()) {
        const char c = text[i];
        if (c == '.' || c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == ' ' || c == '\t' || c == '\n')
            return false;
    }
    // Both are exact doubles (at most 15 digits), so the quotient is rounded once, as
    // decimalValue rounds.
    const double magnitude = static_cast<double>(whole) / kPowersOfTen[decimals];
    value = negative ? -magnitude : magnitude;
    return true;
}

std::optional<double> fastDecimalValue(std::string_view text)
{
    double value = 0;
    if (plainDecimalValue(text, value))
        return value;
    return decimalValue(text);
}

bool smallWhole(std::string_view text, int& value)
{
    const std::string terminated(text);  // tokens are views into a longer line
    NumberScan scan(terminated);
    return scan.smallWhole(value) && scan.p == terminated.data() + terminated.size();
}

std::optional<double> BlockTokens::next()
{
    if (double value = 0; nextPlainDecimal(value))
        return value;
    // Hand the text read by the fast paths over to PimTokens, which reads one token; the
    // fast paths go on after it.
    m_tokens.skip(static_cast<std::size_t>(m_cursor - m_tokens.rest().data()));
    const auto value = fastDecimalValue(m_tokens.nextToken());
    m_cursor = m_tokens.rest().data();
    return value;
}

// A plain decimal token (signed, with a decimal point: a fixed cell as the writers put
// it) ending as takeWholes's tokens end, read as decimalValue reads it.
bool BlockTokens::nextPlainDecimal(double& value)
{
    if (!m_cursor)
        return false;
    const char* q = m_cursor;
    if (*q == '-' || *q == '+')
        ++q;
    while ((*q >= '0' && *q <= '9') || *q == '.')
        ++q;
    if (!plainDecimalValue(std::string_view(m_cursor, static_cast<std::size_t>(q - m_cursor)), value)
        || !passSeparator(q))
        return false;
    m_cursor = q;
    return true;
}

}  // namespace tw
