#include "model/result.h"

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

}  // namespace tw
