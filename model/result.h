#pragma once
// A small result type for the core: a value, or an error that says what went wrong
// and where (file and line when there is one). The core never shows dialogs; the
// windows and the command line turn errors into messages.

#include <exception>
#include <string>
#include <utility>
#include <variant>

namespace tw {

/// How serious a message is: it says what was done, a problem the user can put right,
/// or a failure that may have left work unsaved.
enum class Severity { Information, Warning, Critical };

struct Error {
    std::string message;
    std::string file;  // empty when the error is not about a file
    int line = 0;      // 1-based line number, 0 when not known

    /// The text shown to the user: "file, line N: message" (parts present only when known).
    std::string text() const;
};

/// What a command that ended by an exception says of it: "not enough memory" for a
/// failed allocation, "unexpected failure (what)" for anything else.
std::string failureText(const std::exception_ptr& failure);

/// Builds an error; file and line are optional context.
inline Error makeError(std::string message, std::string file = {}, int line = 0)
{
    return Error{std::move(message), std::move(file), line};
}

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Error error) : m_state(std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(m_state); }
    const T& value() const { return std::get<0>(m_state); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    const Error& error() const { return std::get<1>(m_state); }

private:
    std::variant<T, Error> m_state;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)), m_ok(false) {}

    bool ok() const { return m_ok; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return m_error; }

private:
    Error m_error;
    bool m_ok = true;
};

using Status = Result<void>;

}  // namespace tw

// Propagates an error from an expression yielding a Result; evaluates to nothing.
#define TW_TRY(expr)                               \
    do {                                           \
        auto tw_try_result_ = (expr);              \
        if (!tw_try_result_.ok())                  \
            return tw_try_result_.error();         \
    } while (0)
