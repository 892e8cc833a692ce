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

namespace {

bool holdsCohort(std::string_view line) { return contains(line, "COHORT") || contains(line, "cohort"); }

}  // namespace

std::size_t headSearchStart(const std::vector<std::string>& lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (holdsCohort(lines[i]))
            return i;
    return 0;
}

void HeadKeeper::line(std::string_view text)
{
    if (m_complete)
        return;
    m_head.lines.emplace_back(text);
    // Until a COHORT line comes it is not known where the search starts: keep going.
    m_cohortSeen = m_cohortSeen || holdsCohort(text);
    m_complete = m_cohortSeen && endsPimHead(text);
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
