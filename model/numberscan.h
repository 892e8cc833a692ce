#pragma once
// Fast number scanning for the PIM reader. Most of what a model file holds is short whole
// numbers and plain decimals; these functions read them without decimalValue, with
// exactly its results, and hand everything else over to it. The scans stop at the NUL
// byte after a std::string's text instead of testing for the end: they run once per
// character of the largest files.

#include <cassert>
#include <optional>
#include <string_view>

#include "model/textrules.h"

namespace tw {

/// decimalValue of a text that is a plain decimal number: an optional sign and at most 15
/// digits with at most one decimal point, followed by nothing decimalValue would read on
/// (the end, ";" and the like). False for any other text, which decimalValue must read.
bool plainDecimalValue(std::string_view text, double& value);

/// decimalValue(text), through plainDecimalValue where it applies.
std::optional<double> fastDecimalValue(std::string_view text);

/// A cursor over text that ends in a NUL byte (the text of a std::string). A NUL inside
/// the text stops every scan early, and decimalValue or PimTokens take over from there.
struct NumberScan {
    const char* p;

    /// text must be followed by a NUL byte: text.data()[text.size()] == '\0'.
    explicit NumberScan(std::string_view text) : p(text.data()) { assert(text.data()[text.size()] == '\0'); }
    /// text runs on to a NUL byte.
    explicit NumberScan(const char* text) : p(text) {}
    char peek() const { return *p; }
    void skipBlanks()
    {
        while (*p == ' ')
            ++p;
    }
    /// An optional "-" and one to five digits within -32768..32767; false moves nothing.
    /// Callers check the character that follows.
    bool smallWhole(int& value)
    {
        const char* q = p;
        const bool negative = *q == '-';
        q += negative ? 1 : 0;
        // Each digit read shows that the next byte lies within the text or is its NUL.
        // Unrolled: a loop would pay a count and a test per digit.
        unsigned whole = digit(q[0]);
        if (whole > 9)
            return false;
        int digits = 1;
        if (unsigned d = digit(q[1]); d <= 9) {
            whole = whole * 10 + d;
            digits = 2;
            if (d = digit(q[2]); d <= 9) {
                whole = whole * 10 + d;
                digits = 3;
                if (d = digit(q[3]); d <= 9) {
                    whole = whole * 10 + d;
                    digits = 4;
                    if (d = digit(q[4]); d <= 9) {
                        whole = whole * 10 + d;
                        digits = 5;
                        if (digit(q[5]) <= 9)
                            return false;
                    }
                }
            }
        }
        if (whole > (negative ? 32768u : 32767u))
            return false;
        value = negative ? -static_cast<int>(whole) : static_cast<int>(whole);
        p = q + digits;
        return true;
    }

private:
    /// The digit's value; above 9 for any other byte.
    static unsigned digit(char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0'; }
};

/// Whether the whole text is a small whole number (NumberScan::smallWhole), and its value.
bool smallWhole(std::string_view text, int& value);

/// The tokens of a gathered PIM block as PimTokens reads them, with fast paths for small
/// whole numbers and plain decimals (most of what a block holds). Reads the block in
/// place, so the reader's block buffer is reused from block to block.
class BlockTokens {
public:
    /// block is the end of a std::string (the text before a NUL byte).
    explicit BlockTokens(std::string_view block)
        : m_tokens(block), m_cursor(block.data()), m_end(block.data() + block.size())
    {
    }

    /// The value of the next token, as PimTokens::next gives it.
    std::optional<double> next();

    /// Reads up to count tokens that are small whole numbers followed by a blank and more
    /// text, or the last followed by the block's closing ";", without decimalValue:
    /// store(value) takes each. Stops short at the first token of another kind; returns
    /// the number read.
    template <class Store>
    long takeWholes(long count, Store&& store)
    {
        if (!m_cursor)
            return 0;
        const char* p = m_cursor;
        long done = 0;
        for (int value = 0; done < count; ++done) {
            NumberScan scan(p);
            if (!scan.smallWhole(value) || !passSeparator(scan.p))
                break;
            store(value);
            p = scan.p;
        }
        m_cursor = p;
        return done;
    }

private:
    bool nextPlainDecimal(double& value);

    // At q, the end of a token read by a fast path: a blank with more text after it, or
    // the ";" that is the block's last character. Moves q past it (and the blanks after a
    // blank); false moves nothing. After the last token q stands at the end, where
    // PimTokens reads every further value as 0, as it does once the block is used up.
    bool passSeparator(const char*& q) const
    {
        if (*q == ' ' && m_end - q >= 2) {
            ++q;
            while (*q == ' ')
                ++q;
            return true;
        }
        if (*q == ';' && q + 1 == m_end) {
            ++q;
            return true;
        }
        return false;
    }

    PimTokens m_tokens;
    const char* m_cursor;  // the place read up to; null once the block is used up
    const char* m_end;
};

}  // namespace tw
