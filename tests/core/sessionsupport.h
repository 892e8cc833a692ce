// A front end answering the session from a script, for the session's tests.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pim/chartdata.h"
#include "session/session.h"

namespace twtest {

/// Answers file dialogs from `files` (none left: cancelled) and questions from `confirms`
/// (none left: OK); records what was asked; runs what the open windows write back, once;
/// draws a chart as a short text naming its format and rows.
class AnsweringFront : public tw::FrontEnd {
public:
    std::deque<std::optional<std::string>> files;
    std::deque<bool> confirms;
    bool edits = false;                 // open windows hold edits
    bool writesBack = true;             // the windows take their edits back into the model
    std::function<void()> writeBack;    // what they write into the model
    bool draws = true;
    int writeBacks = 0;
    std::vector<std::string> asked;     // "open TITLE", "save TITLE PROPOSED", questions, "write back"
    std::vector<std::string> questions;
    std::vector<tw::FileQuestion> dialogs;

    std::optional<std::string> openFile(const tw::FileQuestion& question) override
    {
        return answer(question, "open " + question.title);
    }
    std::optional<std::string> saveFile(const tw::FileQuestion& question) override
    {
        return answer(question, "save " + question.title + " " + question.proposed);
    }
    bool confirm(const std::string& question) override
    {
        asked.push_back(question);
        questions.push_back(question);
        const bool ok = confirms.empty() || confirms.front();
        if (!confirms.empty())
            confirms.pop_front();
        return ok;
    }
    bool holdsEdits() const override { return edits; }
    bool writeBackEdits() override
    {
        asked.push_back("write back");
        ++writeBacks;
        if (writesBack && writeBack)
            std::exchange(writeBack, nullptr)();  // the windows are closed once written back
        return writesBack;
    }
    tw::Result<std::string> drawChart(const tw::ChartData& chart, tw::ChartFormat format) override
    {
        if (!draws)
            return FrontEnd::drawChart(chart, format);
        return std::string(format == tw::ChartFormat::Png ? "png " : "pdf ") + std::to_string(chart.rows.size());
    }

private:
    std::optional<std::string> answer(const tw::FileQuestion& question, const std::string& asking)
    {
        asked.push_back(asking);
        dialogs.push_back(question);
        if (files.empty())
            return std::nullopt;
        auto file = files.front();
        files.pop_front();
        return file;
    }
};

/// The failure's text, or "" when the command did not fail.
inline std::string failureText(const tw::Outcome& outcome) { return outcome.failure ? outcome.failure->text() : ""; }

}  // namespace twtest
