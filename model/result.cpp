#include "model/result.h"

#include <new>
#include <stdexcept>

namespace tw {

std::string Error::text() const
{
    std::string out;
    if (!file.empty()) {
        out += file;
        if (line > 0)
            out += ", line " + std::to_string(line);
        out += ": ";
    } else if (line > 0) {
        out += "line " + std::to_string(line) + ": ";
    }
    out += message;
    return out;
}

std::string failureText(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return "not enough memory";
    } catch (const std::exception& e) {
        return std::string("unexpected failure (") + e.what() + ")";
    } catch (...) {
        return "unexpected failure";
    }
}

}  // namespace tw
