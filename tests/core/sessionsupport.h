// A front end answering the session from a script, for the session's tests.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "pim/chartdata.h"
#include "session/session.h"
#include "support.h"

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
    int writeBacks = 0;
    std::vector<std::string> asked;     // "open TITLE", "save TITLE PROPOSED", questions, "write back"
    std::vector<std::string> questions;

    std::optional<std::string> openFile(const tw::FileQuestion& question) override
    {
        return answer("open " + question.title);
    }
    std::optional<std::string> saveFile(const tw::FileQuestion& question) override
    {
        return answer("save " + question.title + " " + question.proposed);
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
        return std::string(format == tw::ChartFormat::Png ? "png " : "pdf ") + std::to_string(chart.rows.size());
    }

private:
    std::optional<std::string> answer(const std::string& asking)
    {
        asked.push_back(asking);
        if (files.empty())
            return std::nullopt;
        auto file = files.front();
        files.pop_front();
        return file;
    }
};

/// The failure's text, or "" when the command did not fail.
inline std::string failureText(const tw::Outcome& outcome) { return outcome.failure ? outcome.failure->text() : ""; }

inline const std::string kModel1 = TW_TEST_DATA "/constraints/model1.inp";
inline const std::string kModel1Convert = TW_TEST_DATA "/constraints/model1-convert.inp";
inline const std::string kExample26 = TW_TEST_DATA "/pim/example26/input.inp";
inline const std::string kExample = bundledExample("example.inp").string();

/// A session command that asks only the front end.
using SessionCommand = tw::Outcome (tw::Session::*)(tw::FrontEnd&);

/// Runs a command with a front end answering its file dialogs with files and its questions with confirms.
inline tw::Outcome run(tw::Session& session, SessionCommand command, std::deque<std::optional<std::string>> files,
                       std::deque<bool> confirms = {})
{
    AnsweringFront front;
    front.files = std::move(files);
    front.confirms = std::move(confirms);
    return (session.*command)(front);
}

/// Reads model 1 with constraints and converts it to PIMs: every command is available.
inline void readAndConvertModel1(tw::Session& session)
{
    ASSERT_TRUE(run(session, &tw::Session::readConstraints, {kModel1}, {true}).done());
    ASSERT_TRUE(run(session, &tw::Session::convert, {kModel1Convert}).done());
}

}  // namespace twtest
