// fennel1: the per-period estimation program. It reads one line from standard input,
// "i=<model file> l=<listing file>", reads a closed-population model file (the number
// of occasions from NPAR, the cohort value, one cell line per capture history with its
// count and its formula of s(j) and q(j) factors, ADDCELL for the remainder cell), and
// writes the maximum-likelihood estimates of the capture probabilities p(1)..p(k)
// under time-varying capture conditional on capture to the listing: each estimate on a
// line with "PP(" at position 10 and the estimate in the 13 characters from position 29,
// its standard error after it. The estimation itself is in fennel1fit.cpp.

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tools/fennel1fit.h"

using namespace fennel1;

namespace {

struct Failure {
    std::string message;
};

struct CohortModel {
    std::string title;
    int nocc = 0;
    bool addcell = false;
    double cohort = 0;
    double initial = 0.1;
    std::map<std::uint64_t, double> cells;  // history (occasion 1 the highest bit) -> count
    std::map<int, std::string> labels;
};

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string trimmed(const std::string& text)
{
    const auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

// The number that starts at position at (after blanks); nullopt when there is none.
std::optional<double> numberAt(const std::string& text, std::size_t at)
{
    if (at >= text.size())
        return std::nullopt;
    const char* start = text.c_str() + at;
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    if (end == start)
        return std::nullopt;
    return value;
}

std::optional<double> valueAfter(const std::string& line, const std::string& key)
{
    const std::size_t at = lower(line).find(lower(key));
    if (at == std::string::npos)
        return std::nullopt;
    return numberAt(line, at + key.size());
}

std::string where(int lineNumber) { return "line " + std::to_string(lineNumber) + ": "; }

// A cell line: "count: s(1)*q(2)*.../prd /* ... */;". Returns its history.
std::uint64_t cellHistory(const std::string& formula, int nocc, int lineNumber)
{
    std::vector<int> seen(static_cast<std::size_t>(nocc) + 1, 0);
    std::uint64_t history = 0;
    const std::string text = lower(formula);
    for (std::size_t at = 0; at + 1 < text.size(); ++at) {
        if ((text[at] != 's' && text[at] != 'q') || text[at + 1] != '(')
            continue;
        const auto j = numberAt(text, at + 2);
        if (!j || *j < 1 || *j > nocc || *j != std::floor(*j))
            throw Failure{where(lineNumber) + "a factor names no occasion 1.." + std::to_string(nocc)};
        const int occasion = static_cast<int>(*j);
        if (seen[static_cast<std::size_t>(occasion)]++)
            throw Failure{where(lineNumber) + "occasion " + std::to_string(occasion) + " appears twice"};
        if (text[at] == 's')
            history |= std::uint64_t{1} << (nocc - occasion);
    }
    for (int j = 1; j <= nocc; ++j)
        if (!seen[static_cast<std::size_t>(j)])
            throw Failure{where(lineNumber) + "occasion " + std::to_string(j) + " has no factor"};
    return history;
}

CohortModel readModel(std::istream& in)
{
    CohortModel model;
    std::string line;
    int lineNumber = 0;
    bool inLabels = false;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string low = lower(line);
        if (low.find("proc title") != std::string::npos) {
            const auto open = line.find('\'');
            const auto close = line.rfind('\'');
            if (open != std::string::npos && close > open)
                model.title = line.substr(open + 1, close - open - 1);
            continue;
        }
        if (low.find("proc model") != std::string::npos) {
            const auto npar = valueAfter(line, "NPAR=");
            if (!npar || *npar < 1 || *npar > 30 || *npar != std::floor(*npar))
                throw Failure{where(lineNumber) + "NPAR must give the number of occasions, 1 to 30"};
            model.nocc = static_cast<int>(*npar);
            model.addcell = low.find("addcell") != std::string::npos;
            continue;
        }
        if (low.rfind("cohort=", 0) == 0) {
            model.cohort = valueAfter(line, "cohort=").value_or(0);
            continue;
        }
        if (low.rfind("labels", 0) == 0) {
            inLabels = true;
            continue;
        }
        if (low.rfind("proc", 0) == 0)
            inLabels = false;
        if (low.rfind("initial", 0) == 0) {
            if (const auto all = valueAfter(line, "ALL="))
                model.initial = *all;
            continue;
        }
        if (inLabels && low.rfind("s(", 0) == 0) {
            const auto k = numberAt(line, 2);
            const auto equals = line.find('=');
            if (k && equals != std::string::npos) {
                std::string label = trimmed(line.substr(equals + 1));
                if (!label.empty() && label.back() == ';')
                    label = trimmed(label.substr(0, label.size() - 1));
                model.labels[static_cast<int>(*k)] = label;
            }
            continue;
        }
        const auto colon = line.find(':');
        if (colon == std::string::npos || low.find("inline") != std::string::npos)
            continue;
        if (model.nocc == 0)
            throw Failure{where(lineNumber) + "a cell line before the model statement"};
        const auto count = numberAt(line, 0);
        if (!count || *count < 0)
            throw Failure{where(lineNumber) + "the cell count is missing or negative"};
        std::string formula = line.substr(colon + 1);
        formula = formula.substr(0, std::min(formula.find("/prd"), formula.find("/*")));
        const std::uint64_t history = cellHistory(formula, model.nocc, lineNumber);
        if (history == 0)
            throw Failure{where(lineNumber) + "a cell of animals never caught"};
        if (!model.cells.emplace(history, *count).second)
            throw Failure{where(lineNumber) + "the history has a cell line already"};
    }
    if (model.nocc == 0)
        throw Failure{"the model file has no PROC MODEL statement with NPAR="};
    return model;
}

// The remainder cell of ADDCELL: the one non-empty history without a cell line gets the
// cohort value less the listed counts.
void addRemainder(CohortModel& model, double& remainder)
{
    const std::uint64_t histories = std::uint64_t{1} << model.nocc;
    std::vector<std::uint64_t> missing;
    double listed = 0;
    for (const auto& [history, count] : model.cells)
        listed += count;
    for (std::uint64_t h = 1; h < histories; ++h)
        if (!model.cells.count(h))
            missing.push_back(h);
    if (missing.size() != 1)
        throw Failure{"ADDCELL needs exactly one history without a cell line; " + std::to_string(missing.size())
                      + " have none"};
    remainder = model.cohort - listed;
    if (remainder < 0) {
        std::ostringstream text;
        text << "the cohort value " << model.cohort << " is less than the sum " << listed
             << " of the cell counts (remainder " << remainder << ")";
        throw Failure{text.str()};
    }
    model.cells[missing.front()] = remainder;
}

std::string estimateLine(int k, const std::string& label, double estimate, std::optional<double> error)
{
    std::string name = label.rfind("PP(", 0) == 0 && label.size() <= 18 ? label : "PP(" + std::to_string(k) + ")";
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "%5d    %-19s%13.6f", k, name.c_str(), estimate);
    std::string line = buffer;
    if (error) {
        std::snprintf(buffer, sizeof buffer, " %13.6f", *error);
        line += buffer;
    }
    return line;
}

void writeListing(std::ostream& out, const std::string& modelFile, CohortModel model)
{
    out << " FENNEL1  closed-population capture probabilities, time-varying, conditional on capture\n";
    out << " Model file: " << modelFile << "\n";
    out << " Title: " << model.title << "\n";
    double remainder = 0;
    if (model.addcell)
        addRemainder(model, remainder);
    Data data;
    data.catches.assign(static_cast<std::size_t>(model.nocc), 0.0);
    for (const auto& [history, count] : model.cells) {
        data.caught += count;
        for (int j = 1; j <= model.nocc; ++j)
            if (history & (std::uint64_t{1} << (model.nocc - j)))
                data.catches[static_cast<std::size_t>(j - 1)] += count;
    }
    out << " Occasions: " << model.nocc << "   Cohort: " << model.cohort << "   Animals caught: " << data.caught;
    if (model.addcell)
        out << "   Remainder cell: " << remainder;
    out << "\n";
    if (data.caught <= 0)
        throw Failure{"no animal was caught: the capture probabilities cannot be estimated"};

    const auto start = std::chrono::steady_clock::now();
    const Fit fit = maximise(data, model.nocc, model.initial);
    const double milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, " Log-likelihood: %.6f after %d iterations of Newton's method%s (%.3f ms)\n",
                  fit.logLikelihood, fit.iterations, fit.converged ? "" : " (not converged)", milliseconds);
    out << buffer;

    std::vector<double> hessianGradient;
    Matrix hessian;
    derivatives(data, fit.p, hessianGradient, hessian);
    Matrix information = hessian;
    for (auto& row : information)
        for (double& value : row)
            value = -value;
    Matrix factor;
    const bool definite = fit.converged && !fit.boundary && cholesky(information, factor);
    if (definite)
        out << " The information matrix is positive-definite.\n";
    else
        out << " Variances could not be computed: the information matrix is singular at the estimates.\n";
    out << "\n  Param   Name                    Estimate   Std. error\n";
    for (int k = 1; k <= model.nocc; ++k) {
        std::optional<double> error;
        if (definite) {
            std::vector<double> unit(static_cast<std::size_t>(model.nocc), 0.0);
            unit[static_cast<std::size_t>(k - 1)] = 1;
            error = std::sqrt(choleskySolve(factor, unit)[static_cast<std::size_t>(k - 1)]);
        }
        out << estimateLine(k, model.labels[k], fit.p[static_cast<std::size_t>(k - 1)], error) << "\n";
    }
}

// The file names of the standard-input line "i=... l=...".
bool readNames(const std::string& line, std::string& input, std::string& listing)
{
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
        const auto unquote = [](std::string text) {
            if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
                text = text.substr(1, text.size() - 2);
            return text;
        };
        if (word.rfind("i=", 0) == 0)
            input = unquote(word.substr(2));
        else if (word.rfind("l=", 0) == 0)
            listing = unquote(word.substr(2));
    }
    return !input.empty() && !listing.empty();
}

}  // namespace

int main()
{
    std::string line;
    std::getline(std::cin, line);
    std::string input;
    std::string listing;
    if (!readNames(line, input, listing)) {
        std::cerr << "fennel1: expected the line i=<model file> l=<listing file> on standard input\n";
        return 2;
    }
    std::ofstream out(listing);
    if (!out) {
        std::cerr << "fennel1: cannot write " << listing << "\n";
        return 2;
    }
    try {
        std::ifstream in(input);
        if (!in)
            throw Failure{"cannot read the model file " + input};
        writeListing(out, input, readModel(in));
    } catch (const Failure& failure) {
        out << " ERROR: " << failure.message << "\n";
        out << " No estimates.\n";
        std::cerr << "fennel1: " << failure.message << "\n";
        return 1;
    }
    return out.good() ? 0 : 1;
}
