#include "model/filehead.h"

#include "model/lines.h"
#include "model/textrules.h"

namespace tw {

bool endsPimHead(std::string_view line)
{
    return contains(line, "constraint") || contains(line, "CONSTRAINT") || contains(line, "PIM;");
}

bool endsConstraintsHead(std::string_view line)
{
    return contains(line, "constraint") || contains(line, "CONSTRAINT") || contains(line, "PIM") || contains(line, "pim");
}

void HeadKeeper::line(std::string_view text)
{
    if (m_complete)
        return;
    m_head.lines.emplace_back(text);
    m_complete = endsPimHead(text);
}

void HeadKeeper::lineTooLong()
{
    if (m_complete)
        return;
    m_head.cutByLongLine = true;
    m_complete = true;
}

FileHead readFileHead(std::istream& in, const std::string& name)
{
    HeadKeeper keeper;
    LineReader reader(in, name);
    reader.keepHead(keeper);
    reader.finishHead();
    return std::move(keeper.head());
}

}  // namespace tw
