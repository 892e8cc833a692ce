// Times the parameter numbering, the constraints writer and the conversion of
// constraints to PIMs on the largest model (npar = 32380) with many ties, scattered
// fixings and a fixed-parameter list of 2000 lines, against a model of about a quarter
// of its cells. Prints the figures; the targets are at most 5x for 4x the cells and
// under 50 ms each.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "model/constraintstopims.h"
#include "model/model.h"
#include "model/numbering.h"
#include "model/textrules.h"
#include "model/constraintswriter.h"

using namespace tw;

namespace {

struct Case {
    Model model;
    std::string head;            // the head the writer copies
    std::string conversionFile;  // a constraints file that fits the model
};

Case makeCase(int nyrs, int listLines)
{
    Case c;
    Model& m = c.model;
    m.groups = 3;
    m.nage = 2;
    m.nstrat = 10;
    m.nyrs = nyrs;
    m.secpers.assign(static_cast<std::size_t>(nyrs) + 1, 2.0);
    m.secpers[0] = 0;
    m.cumsec.assign(static_cast<std::size_t>(nyrs) + 1, 0);
    for (int t = 1; t <= nyrs; ++t)
        m.cumsec[static_cast<std::size_t>(t)] = static_cast<std::int16_t>(2 * t);
    m.totsec = 2 * nyrs;
    computeDerivedSizes(m);
    m.npar = static_cast<int>(expectedCellCount(m));
    createCellArrays(m);
    m.proctest = kDefaultProcTest;

    // Ties: every cell shares its parameter with others spread over the model; every
    // 13th cell is fixed, every 101st holds a special value.
    const int parameters = std::max(1, m.npar / 5);
    int listed = 0;
    for (int i = 1; i <= m.npar; ++i) {
        auto& pim = m.pim[static_cast<std::size_t>(i)];
        m.labels.set(static_cast<std::size_t>(i), "cell " + std::to_string(i));
        if (i % 101 == 0) {
            pim = static_cast<std::int16_t>(-(i % 3));
        } else if (i % 13 == 0) {
            pim = fixedMarker(pim);
            m.initval[static_cast<std::size_t>(i)] = 0.25 + (i % 7) * 0.1;
            if (listed < listLines) {
                m.fixedlist.push_back("S(" + std::to_string(i) + ")=" + bareText(m.initval[static_cast<std::size_t>(i)])
                                      + " /* " + m.labels[static_cast<std::size_t>(i)] + " */;");
                ++listed;
            }
        } else {
            pim = static_cast<std::int16_t>(1 + static_cast<int>((static_cast<long>(i) * 7919) % parameters));
        }
    }
    m.nconcells = m.npar;

    const std::string statement = "PROC MODEL NPAR=" + std::to_string(m.npar) + " GROUPS=3 NAGE=2 NYRS="
        + std::to_string(nyrs) + " STRATA=10 SECPERS=" + [&] {
              std::string list;
              for (int t = 1; t <= nyrs; ++t)
                  list += "2 ";
              return list;
          }() + ";\r\n";
    c.head = "PROC TITLE 'benchmark';\r\n" + statement + "COHORT=10;\r\n 1 2 3;\r\nCONSTRAINTS;\r\n";
    std::istringstream head(c.head);
    m.head = readFileHead(head, "bench.inp");

    std::string file = "PROC TITLE 'benchmark';\r\n" + statement + "COHORT=10;\r\nPROC ESTIMATE NAME=B;\r\nCONSTRAINTS;\r\n";
    for (int i = 2; i <= m.npar; ++i) {
        if (i % 13 == 0)
            file += "S(" + cellNumber4(i) + ")=.5 /* x */;\r\n";
        else if (i % 3 == 0)
            file += "S(" + cellNumber4(i) + ")=S(" + cellNumber4(i / 2) + ") /* a=b */;\r\n";
    }
    file += "INIT;\r\n";
    c.conversionFile = std::move(file);
    return c;
}

// Counts what is written and keeps a checksum of it, like a file stream's small buffer
// that is handed on: the bytes pass through, nothing piles up in memory.
class CountingSink : public std::streambuf {
public:
    std::size_t bytes = 0;
    unsigned checksum = 0;

protected:
    int_type overflow(int_type ch) override
    {
        if (ch != traits_type::eof()) {
            ++bytes;
            checksum = checksum * 31 + static_cast<unsigned char>(ch);
        }
        return ch;
    }
    std::streamsize xsputn(const char* data, std::streamsize count) override
    {
        bytes += static_cast<std::size_t>(count);
        checksum = checksum * 31 + static_cast<unsigned char>(data[count - 1]);
        return count;
    }
};

constexpr int kRuns = 15;

// The fastest of several runs, in milliseconds: the machine is shared, and the
// fastest run is the one least disturbed by others.
double timeMs(const std::function<void()>& run)
{
    std::vector<double> times;
    for (int k = 0; k < kRuns; ++k) {
        const auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return *std::min_element(times.begin(), times.end());
}

struct Figures {
    double point = 0;
    double writer = 0;
    double conversion = 0;
};

Figures measure(const Case& c)
{
    Figures f;
    // The numbering changes the model: each run gets its own copy, made beforehand.
    std::vector<Model> copies(kRuns, c.model);
    std::size_t run = 0;
    f.point = timeMs([&] {
        const auto result = computePointNumbering(copies[run++]);
        if (result.listing.empty())
            std::puts("numbering listed nothing");
    });
    // The writer's own cost: its bytes are counted rather than piled up in a growing
    // buffer or handed to the file system.
    f.writer = timeMs([&] {
        CountingSink sink;
        std::ostream out(&sink);
        if (!writeConstraints(c.model, out).ok())
            std::puts("writer failed");
    });
    f.conversion = timeMs([&] {
        Model m = c.model;
        std::istringstream in(c.conversionFile);
        const Status converted = convertConstraints(m, in, "bench.inp");
        if (!converted.ok())
            std::printf("conversion failed: %s\n", converted.error().text().c_str());
    });
    return f;
}

}  // namespace

int main()
{
    const Case large = makeCase(50, 2000);
    const Case quarter = makeCase(13, 500);
    const Figures big = measure(large);
    const Figures small = measure(quarter);
    const double cells = static_cast<double>(large.model.npar) / quarter.model.npar;
    std::printf("cells: %d (fixed list %zu lines) against %d (%zu lines), %.2fx\n", large.model.npar,
                large.model.fixedlist.size(), quarter.model.npar, quarter.model.fixedlist.size(), cells);
    auto row = [&](const char* what, double a, double b) {
        std::printf("%-22s %8.2f ms  quarter %7.2f ms  ratio %5.2fx  %s\n", what, a, b, a / b,
                    a < 50 && a / b <= 5 ? "ok" : "OVER TARGET");
    };
    row("POINT(i) numbering", big.point, small.point);
    row("constraints writer", big.writer, small.writer);
    row("conversion to PIMs", big.conversion, small.conversion);
    return 0;
}
