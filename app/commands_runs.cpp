// Outside programs: the engine run, the capture-history conversion, the engine location.
#include "app/mainwindow.h"

#include <QFileInfo>
#include <QPointer>
#include <fstream>

#include "convert/widgets/form3.h"
#include "model/paths.h"
#include "runs/engineoutput.h"
#include "runs/enginerun.h"
#include "runs/widgets/textviewer.h"

namespace tw {

struct Form1::RunsState {
    QPointer<Form3> conversion;  // the one conversion dialog while it is open
    QString runFile;             // the file of the last engine run, proposed at the next
};

namespace {

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

void Form1::runEngine()
{
    // The run leaves the model and its file alone: the file run is only proposed again.
    if (!m_runs)
        m_runs = std::make_shared<RunsState>();
    const QString proposed = m_runs->runFile.isEmpty() ? QString(kEngineProposedInput) : m_runs->runFile;
    const auto chosen = m_platform.dialogs.openFile(this, kEngineDialogTitle, proposed, QString());
    if (!chosen || chosen->isEmpty())
        return;
    m_runs->runFile = *chosen;
    const std::string runFile = chosen->toStdString();

    const auto line = engineInputLine(runFile);
    if (!line) {
        m_platform.dialogs.message(this, kEngineName, qt(line.error().message));
        return;
    }
    // Without an installation directory the engine is missing: a bare name would pick up
    // whatever program of that name lies in the current directory.
    const QString engine = qt(programIn(m_model.apppath, kEngineProgram));
    if (m_model.apppath.empty() || !QFileInfo(engine).isFile()) {
        m_platform.dialogs.message(this, kEngineName, qt(missingEngineMessage(engine.toStdString())));
        return;
    }

    const std::string output = engineOutputName(runFile);
    const FileStamp before = stampOf(output);
    ProcessRequest request;
    request.program = engine;
    request.standardInput = QByteArray::fromStdString(*line);
    request.description = kEngineName;
    const ProcessResult result = m_platform.processes.runAndWait(this, request);
    if (!result.started) {
        m_platform.dialogs.message(this, kEngineName,
                                   qt(engineNotStartedMessage(engine.toStdString(), result.errorText.toStdString())));
        return;
    }
    if (result.cancelled) {
        m_platform.dialogs.message(this, kEngineName, qt(cancelledMessage(kEngineName)));
        return;
    }
    if (!writtenSince(before, output)) {
        m_platform.dialogs.message(this, kMissingOutputTitle, qt(missingOutputMessage(output)));
        return;
    }

    std::vector<std::string> errors;
    {
        std::ifstream in(output, std::ios::binary);
        errors = engineErrorLines(in);
    }
    for (const std::string& box : errorBoxTexts(errors))
        m_platform.dialogs.message(this, kEngineErrorTitle, qt(box));
    TextViewer::showFile(m_platform, qt(output), this);
}

void Form1::convertCaptureHistories()
{
    if (!m_runs)
        m_runs = std::make_shared<RunsState>();
    if (!m_runs->conversion) {
        m_runs->conversion = new Form3(m_platform, [this] { return qt(m_model.apppath); }, this);
        m_runs->conversion->setModelFile([this] { return m_model.infile; });
    }
    m_runs->conversion->show();
    m_runs->conversion->raise();
    m_runs->conversion->activateWindow();
}

void Form1::setEngineLocation()
{
    const QString current = qt(programIn(m_model.apppath, kEngineProgram));
    const auto chosen = m_platform.dialogs.openFile(this, QString("%1 program").arg(kEngineName), current,
                                                    qt(m_model.apppath));
    if (!chosen || chosen->isEmpty())
        return;
    m_platform.install.setRegisteredProgram(*chosen);
    updateAppPath();
    const QString engine = qt(programIn(m_model.apppath, kEngineProgram));
    if (m_platform.install.registeredProgram() != chosen)
        m_platform.dialogs.message(this, kEngineName,
                                   QString("TALLOWICK2_APPPATH is set and overrides the chosen location; the engine "
                                           "is started as %1.")
                                       .arg(engine));
    else if (QFileInfo(engine).absoluteFilePath() != QFileInfo(*chosen).absoluteFilePath())
        m_platform.dialogs.message(this, kEngineName,
                                   QString("The engine is started as %1; choose a program named %2.")
                                       .arg(engine, kEngineProgram));
}

}  // namespace tw
