#include "tools/standin.h"

#include "model/lines.h"

namespace tw::standin {

bool readLines(const std::string& path, std::vector<std::string>& lines)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    LineReader reader(in, path);
    std::string line;
    while (reader.next(line))
        lines.push_back(line);
    return true;
}

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace tw::standin
