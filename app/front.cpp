// The session's front end in the main window: the platform's dialogs answer the
// session's questions, the open windows write back or drop their edits, the progress bar
// and the dimensions label show long steps, and the platform starts outside programs.
#include "app/mainwindow.h"

#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>

#include "app/fixedlistmodel.h"
#include "pim/chartdraw/chartfile.h"

namespace tw {

namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

class Form1::Front : public FrontEnd {
public:
    Front(Form1& form, std::optional<QString> presetFile) : m_form(form), m_presetFile(std::move(presetFile)) {}
    ~Front() override
    {
        // The label and the bar are put back as they were when the command ends.
        if (!m_progressShown)
            return;
        m_form.ProgressBar1->setVisible(false);
        if (m_labelSaved) {
            m_form.Label1->setText(m_labelText);
            m_form.Label1->setVisible(m_labelShown);
        }
    }
    Front(const Front&) = delete;
    Front& operator=(const Front&) = delete;

    std::optional<std::string> openFile(const FileQuestion& question) override
    {
        if (m_presetFile)
            return std::exchange(m_presetFile, std::nullopt)->toStdString();
        return answer(m_form.m_platform.dialogs.openFile(&m_form, qt(question.title), qt(question.proposed),
                                                         qt(question.directory), filters(question.kind)));
    }
    std::optional<std::string> saveFile(const FileQuestion& question) override
    {
        return answer(m_form.m_platform.dialogs.saveFile(&m_form, qt(question.title), qt(question.proposed),
                                                         qt(question.directory), filters(question.kind),
                                                         Dialogs::Replace::CallerAsks));
    }
    bool confirm(const std::string& question) override
    {
        return m_form.m_platform.dialogs.okCancel(&m_form, kProgramTitle, qt(question));
    }
    bool holdsEdits() const override { return m_form.gridWindowsHoldEdits() || m_form.designWindowHoldsEdits(); }
    bool writeBackEdits() override
    {
        if (!m_form.writeBackDesignWindow())
            return false;
        m_form.closeGridWindows(WriteBack::Yes);
        return true;
    }
    void discardEdits() override
    {
        m_form.closeGridWindows(WriteBack::No);
        m_form.discardDesignWindow();
    }
    void progress(int percent, const std::string& note) override
    {
        QProgressBar* bar = m_form.ProgressBar1;
        if (!m_progressShown) {
            m_progressShown = true;
            bar->setVisible(true);
        }
        if (!note.empty()) {
            if (!m_labelSaved) {
                m_labelSaved = true;
                m_labelText = m_form.Label1->text();
                m_labelShown = m_form.Label1->isVisible();
            }
            m_form.Label1->setText(qt(note));
            m_form.Label1->setVisible(true);
        }
        bar->setValue(percent);
        // Repainted at once, as the command holds the event loop.
        bar->repaint();
        m_form.Label1->repaint();
    }
    ProgramEnd runProgram(const ProgramRun& run) override
    {
        ProcessRequest request;
        request.program = qt(run.program);
        request.standardInput = QByteArray::fromStdString(run.standardInput);
        request.description = qt(run.description);
        const ProcessResult result = m_form.m_platform.processes.runAndWait(&m_form, request);
        return {result.started, result.cancelled, result.errorText.toStdString()};
    }
    Result<std::string> drawChart(const ChartData& chart, ChartFormat format) override
    {
        return drawChartFile(chart, format);
    }

private:
    static QStringList filters(FileKind kind)
    {
        switch (kind) {
        case FileKind::Model:
            return modelFileFilters();
        case FileKind::Chart:
            return {"PNG image (*.png)", "PDF document (*.pdf)"};
        case FileKind::Any:
            break;
        }
        return {};
    }
    static std::optional<std::string> answer(const std::optional<QString>& name)
    {
        if (!name)
            return std::nullopt;
        return name->toStdString();
    }

    Form1& m_form;
    std::optional<QString> m_presetFile;
    bool m_progressShown = false;
    bool m_labelSaved = false;
    QString m_labelText;
    bool m_labelShown = false;
};

Outcome Form1::run(const std::function<Outcome(FrontEnd&)>& command, const std::optional<QString>& presetFile)
{
    const std::vector<std::string> listBefore = m_session.fixedList().entries();
    const Outcome outcome = [&] {
        Front front(*this, presetFile);
        return command(front);
    }();
    if (m_session.fixedList().entries() != listBefore)
        fixedListReplaced();
    // A list the model could not take stays in view with the message that says why.
    if (outcome.failure && m_session.fixedListPending())
        showListEditor(true);
    showOutcome(outcome);
    emit modelChanged();
    return outcome;
}

void Form1::showOutcome(const Outcome& outcome)
{
    for (const Message& message : outcome.messages)
        m_platform.dialogs.message(this, qt(message.title), qt(message.text), message.severity);
    if (outcome.failure)
        showError(kProgramTitle, *outcome.failure, outcome.failureSeverity);
    if (!outcome.caption.empty()) {
        // The dimensions, and below them the file they were read from.
        const QFileInfo file(qt(m_session.modelFile()));
        Label1->setText(qt(outcome.caption) + "\n" + file.fileName());
        Label1->setToolTip(file.absoluteFilePath());
        Label1->setVisible(true);
    }
    if (!outcome.status.empty())
        showStatus(qt(outcome.status));
    else if (outcome.failure)
        showStatus({});  // what the status said of the command before is no longer news
    if (outcome.file)
        rememberModel(*outcome.file);
    updateActions();
}

}  // namespace tw
