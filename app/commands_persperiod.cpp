// "Run each Primary period through KESTON": the per-period closed-population runs. The
// core scans the input, writes each cohort's model file and reads the listings; this
// command starts the estimation program for each cohort and waits for its end, shows
// the progress, and shows the fixed-parameter list at the end.
#include "app/mainwindow.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>

#include "runs/enginerun.h"
#include "runs/persperiod.h"

namespace tw {

namespace {

// Puts the label and the progress bar back as they were when the command ends.
class ProgressDisplay {
public:
    ProgressDisplay(QLabel* label, QProgressBar* bar)
        : m_label(label), m_bar(bar), m_text(label->text()), m_labelShown(label->isVisible())
    {
        m_bar->setValue(0);
        m_bar->setVisible(true);
        m_label->setVisible(true);
    }
    ~ProgressDisplay()
    {
        m_bar->setVisible(false);
        m_label->setText(m_text);
        m_label->setVisible(m_labelShown);
    }
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    void show(int run, int total)
    {
        m_bar->setValue(total > 0 ? 100 * run / total : 0);
        m_label->setText(QString("Running FENNEL1 on cohort: %1/%2").arg(run).arg(total));
    }

private:
    QLabel* m_label;
    QProgressBar* m_bar;
    QString m_text;
    bool m_labelShown;
};

}  // namespace

void Form1::runEachPeriod()
{
    const auto chosen = m_platform.dialogs.openFile(this, "CORVANE input file", "*.*");
    if (!chosen || chosen->isEmpty() || *chosen == "*.*") {
        m_platform.dialogs.message(this, "Tallowick2", "No file selected");
        return;
    }
    const auto installed = installedProgram(m_model.apppath, "fennel1");
    if (!installed) {
        m_platform.dialogs.message(this, kEngineName, QString::fromStdString(installed.error().message));
        return;
    }
    if (!writeBackDesignWindow())
        return;
    closeGridWindows(WriteBack::Yes);

    const QString program = QString::fromStdString(*installed);
    std::string inputLine = kPeriodProgramInput;
    inputLine.pop_back();  // the line end
    const std::string logText = program.toStdString() + " with standard input \"" + inputLine + "\"";

    Result<PeriodCommandResult> outcome = makeError("not run");
    {
        ProgressDisplay display(Label1, ProgressBar1);
        const RunCohort run = [&](const CohortRun& cohort) -> RunAnswer {
            display.show(cohort.run, cohort.total);
            ProcessRequest request;
            request.program = program;
            request.standardInput = QByteArray(kPeriodProgramInput);
            request.description = QString("FENNEL1 on cohort %1/%2").arg(cohort.run).arg(cohort.total);
            const ProcessResult result = m_platform.processes.runAndWait(this, request);
            if (result.cancelled)
                return {RunEnd::Cancelled, {}};
            if (!result.started)
                return {RunEnd::Failed, "FENNEL1 could not be started: " + program.toStdString()
                                            + (result.errorText.isEmpty() ? "" : ": " + result.errorText.toStdString())};
            return {};
        };
        outcome = runEachPeriodCommand(chosen->toStdString(), std::filesystem::current_path(), m_model, logText, run);
    }
    if (!outcome) {
        showError("Tallowick2", outcome.error());
        return;
    }
    if (!outcome->refused.empty()) {
        QStringList texts;
        for (const Error& refusal : outcome->refused)
            texts.append(QString::fromStdString(refusal.text()));
        m_platform.dialogs.message(this, "Tallowick2", texts.join("\n"));
    }
    if (outcome->end == RunEnd::Failed) {
        m_platform.dialogs.message(this, "Tallowick2",
                                   QString::fromStdString(outcome->failure + "\nNothing was fixed."));
        return;
    }
    if (outcome->end == RunEnd::Cancelled)
        return;
    if (!outcome->notFixed.empty())
        m_platform.dialogs.message(this, "Tallowick2", QString::fromStdString(outcome->notFixed));
    refreshFixedList();
    List1->setVisible(true);
    cmd_done->setVisible(true);
}

}  // namespace tw
