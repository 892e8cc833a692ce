#pragma once
// The buffered output of the PIM writer, whose files run to half a megabyte of numbers.

#include <charconv>
#include <cstring>
#include <memory>
#include <ostream>
#include <string_view>

namespace tw {

/// Output gathered in a buffer that goes to the stream in pieces of 64 KiB, with numbers
/// printed straight into it: far cheaper than a stream write per number or line. What is
/// still in the buffer reaches the stream only through flush().
class BufferedOutput {
public:
    explicit BufferedOutput(std::ostream& out) : m_out(out), m_buffer(new char[kSize]) {}
    BufferedOutput(const BufferedOutput&) = delete;
    BufferedOutput& operator=(const BufferedOutput&) = delete;

    /// Appends one character.
    void put(char c)
    {
        if (m_used == kSize)
            flush();
        m_buffer[m_used++] = c;
    }
    /// Appends text; a text longer than the buffer goes to the stream directly.
    void put(std::string_view text)
    {
        if (text.size() > kSize - m_used)
            flush();
        if (text.size() > kSize) {
            m_out.write(text.data(), static_cast<std::streamsize>(text.size()));
            return;
        }
        std::memcpy(m_buffer.get() + m_used, text.data(), text.size());
        m_used += text.size();
    }
    /// The bare text of a whole number ("-" and digits), without the general number formatting.
    void putWhole(long long value)
    {
        if (kSize - m_used < kWholeRoom)
            flush();
        char* const at = m_buffer.get() + m_used;
        m_used += static_cast<std::size_t>(std::to_chars(at, at + kWholeRoom, value).ptr - at);
    }
    /// Appends the CR LF line end.
    void endLine()
    {
        put('\r');
        put('\n');
    }
    /// Appends text and the CR LF line end.
    void line(std::string_view text)
    {
        put(text);
        endLine();
    }
    /// Writes what the buffer holds to the stream.
    void flush()
    {
        m_out.write(m_buffer.get(), static_cast<std::streamsize>(m_used));
        m_used = 0;
    }

private:
    static constexpr std::size_t kSize = 64 * 1024;
    static constexpr std::size_t kWholeRoom = 24;
    std::ostream& m_out;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
};

}  // namespace tw
