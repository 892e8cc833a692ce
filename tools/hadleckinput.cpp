#include "tools/hadleckinput.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>

#include "model/textrules.h"

namespace tw::hadleck {

namespace {

struct CohortKey {
    int season;
    int group;
    int age;
    int stratum;
    auto operator<=>(const CohortKey&) const = default;
};

struct Cohort {
    double animals = 0;
    std::vector<std::pair<std::string, double>> histories;  // in the order first seen
    std::map<std::string, std::size_t> places;
};

void line(std::ostream& out, const std::string& text) { out << text << "\r\n"; }

// The title goes between single quotes; a quote of its own would end it early.
std::string titleText(std::string title)
{
    std::replace(title.begin(), title.end(), '\'', '"');
    return title;
}

std::map<CohortKey, Cohort> cohortsOf(const std::vector<int>& periods, const std::vector<Record>& records)
{
    std::vector<int> periodOf;  // the primary period (1..) of each occasion
    for (std::size_t t = 0; t < periods.size(); ++t)
        periodOf.insert(periodOf.end(), static_cast<std::size_t>(periods[t]), static_cast<int>(t) + 1);
    std::map<CohortKey, Cohort> cohorts;
    for (const Record& record : records) {
        const auto first = std::find_if(record.strata.begin(), record.strata.end(), [](int s) { return s > 0; });
        if (first == record.strata.end())
            continue;
        const auto occasion = static_cast<std::size_t>(first - record.strata.begin());
        Cohort& cohort = cohorts[CohortKey{periodOf[occasion], record.group, record.age, *first}];
        std::string history;
        for (int s : record.strata)
            history += " " + std::to_string(s);
        cohort.animals += record.frequency;
        const auto [place, added] = cohort.places.emplace(history, cohort.histories.size());
        if (added)
            cohort.histories.emplace_back(history, record.frequency);
        else
            cohort.histories[place->second].second += record.frequency;
    }
    return cohorts;
}

void writeHead(std::ostream& out, const Answers& a, const std::vector<int>& periods,
               const std::vector<Record>& records)
{
    line(out, "PROC TITLE '" + titleText(a.title) + "';");
    std::string secpers;
    for (int k : periods)
        secpers += " " + std::to_string(k);
    line(out, "PROC MODEL NPAR=" + std::to_string(cellCount(a, periods)) + " GROUPS=" + std::to_string(a.groups)
                  + " NAGE=" + std::to_string(a.ageClasses) + " NYRS=" + std::to_string(periods.size())
                  + " STRATA=" + std::to_string(a.strata) + " SECPERS=" + secpers.substr(1) + ";");
    for (const auto& [key, cohort] : cohortsOf(periods, records)) {
        line(out, "COHORT=" + plainText(cohort.animals) + " GROUP=" + std::to_string(key.group)
                      + (a.ageClasses > 1 ? " AGE=" + std::to_string(key.age) : std::string()) + " STRATUM="
                      + std::to_string(key.stratum) + " SEASON=" + std::to_string(key.season) + ";");
        for (const auto& [history, count] : cohort.histories) {
            char number[64];
            std::snprintf(number, sizeof number, "%4s", plainText(count).c_str());
            line(out, std::string(number) + " :" + history + ";");
        }
    }
    line(out, "PROC ESTIMATE NOVAR NAME=CONVERTED MAXFN=32000;");
}

// The PIM blocks of a model in which every cell is its own parameter, in the order and
// layout of the program's PIM-form save.
class PimBlocks {
public:
    PimBlocks(std::ostream& out, const Answers& a, const std::vector<int>& periods)
        : m_out(out), m_a(a), m_periods(periods), m_nint(static_cast<long>(periods.size()) - 1)
    {
    }

    void write()
    {
        const long ns = m_a.strata;
        line(m_out, "PIM;");
        for (long g = 1; g <= m_a.groups; ++g)
            for (long s = 1; s <= ns; ++s) {
                line(m_out, "SRV(" + (m_a.groups > 1 ? std::to_string(g) : std::string()) + std::to_string(s) + ");");
                transitionRows(g, s, s);
            }
        for (long s1 = 1; s1 <= ns; ++s1)
            for (long s2 = 1; s2 <= ns; ++s2)
                for (long g = 1; s1 != s2 && g <= m_a.groups; ++g) {
                    const std::string group = m_a.groups > 1 ? std::to_string(g) + "," : std::string();
                    line(m_out, "PSI(" + group + std::to_string(s1) + "-" + std::to_string(s2) + ");");
                    transitionRows(g, s1, s2);
                }
        long cell = m_a.groups * m_a.ageClasses * ns * ns * m_nint;
        for (long s = 1; s <= ns; ++s) {
            line(m_out, "P(" + std::to_string(s) + ");");
            for (long a = 1; a <= m_a.ageClasses; ++a) {
                for (long t = 1; t <= m_nint; ++t)
                    m_out << ' ' << ++cell;
                m_out << "\r\n";
            }
            line(m_out, ";");
        }
        for (long s = 1; s <= ns; ++s) {
            line(m_out, "CP(" + std::to_string(s) + ");");
            for (long a = 1; a <= m_a.ageClasses; ++a) {
                for (int k : m_periods) {
                    for (int j = 1; j <= k; ++j)
                        m_out << ' ' << ++cell;
                    m_out << ' ';
                }
                m_out << "\r\n";
            }
            line(m_out, ";");
        }
        identityDesign(cell);
    }

private:
    // Survival and movement: the cell of stratum s1 to s2 over interval t, age a, group g.
    void transitionRows(long g, long s1, long s2)
    {
        const long ns = m_a.strata;
        for (long a = 1; a <= m_a.ageClasses; ++a) {
            for (long t = 1; t <= m_nint; ++t)
                m_out << ' '
                      << s2 + ns * (s1 - 1) + ns * ns * (t - 1) + ns * ns * m_nint * (a - 1)
                             + ns * ns * m_nint * m_a.ageClasses * (g - 1);
            m_out << "\r\n";
        }
        line(m_out, ";");
    }

    void identityDesign(long parameters)
    {
        line(m_out, "DESIGN " + printText(static_cast<double>(parameters)) + " "
                        + printText(static_cast<double>(parameters)) + " ONEDIGIT;");
        for (long p = 1; p <= parameters; ++p) {
            m_out << ' ' << p << "  " << p << "  1;";
            if (p % 5 == 0 && p < parameters)
                m_out << "\r\n";
        }
        m_out << "\r\n";
    }

    std::ostream& m_out;
    const Answers& m_a;
    const std::vector<int>& m_periods;
    long m_nint;
};

}  // namespace

std::vector<int> primaryPeriods(const Answers& answers)
{
    if (answers.periods < 1 || static_cast<long>(answers.increments.size()) < answers.periods)
        return {};
    std::vector<int> periods;
    for (int occasion = 0; occasion < answers.periods; ++occasion) {
        if (periods.empty() || answers.increments[static_cast<std::size_t>(occasion)] == '1')
            periods.push_back(0);
        ++periods.back();
    }
    return periods;
}

long cellCount(const Answers& a, const std::vector<int>& periods)
{
    const long nint = static_cast<long>(periods.size()) - 1;
    long occasions = 0;
    for (int k : periods)
        occasions += k;
    const long ns = a.strata;
    return static_cast<long>(a.groups) * a.ageClasses * ns * ns * nint + ns * a.ageClasses * nint
        + ns * a.ageClasses * occasions;
}

void writeEngineInput(std::ostream& out, const Answers& answers, const std::vector<int>& periods,
                      const std::vector<Record>& records)
{
    writeHead(out, answers, periods, records);
    PimBlocks(out, answers, periods).write();
    line(out, "PROC TEST AICSAVE=CORVANE.AIC;");
    line(out, "PROC STOP;");
}

}  // namespace tw::hadleck
