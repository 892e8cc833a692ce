// Outside programs: the engine run, the capture-history conversion, the engine location.
#include "app/mainwindow.h"

#include <QFileInfo>
#include <fstream>

#include "convert/widgets/form3.h"
#include "model/paths.h"
#include "runs/engineoutput.h"
#include "runs/enginerun.h"
#include "runs/widgets/textviewer.h"

namespace tw {

namespace {

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

void Form1::runEngine()
{
    // The run leaves the model and its file alone: the file run is only proposed again.
    const QString proposed = m_engineRunFile.isEmpty() ? QString(kEngineProposedInput) : m_engineRunFile;
    const auto chosen = m_platform.dialogs.openFile(this, kEngineDialogTitle, proposed,
                                                    qt(m_session.openFolder()), modelFileFilters());
    if (!chosen || chosen->isEmpty())
        return;
    m_session.noteOpened(chosen->toStdString());
    m_engineRunFile = *chosen;
    const std::string runFile = chosen->toStdString();

    const auto line = engineInputLine(runFile);
    if (!line) {
        m_platform.dialogs.message(this, kEngineName, qt(line.error().message));
        return;
    }
    // Without an installation directory the engine is missing: a bare name would pick up
    // whatever program of that name lies in the current directory.
    const std::string& directory = m_session.installDirectory();
    const QString engine = qt(programIn(directory, kEngineProgram));
    if (directory.empty() || !QFileInfo(engine).isFile()) {
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
    if (!m_conversionDialog) {
        m_conversionDialog = new Form3(m_platform, [this] { return qt(m_session.installDirectory()); }, this);
        m_conversionDialog->setModelFile([this] { return model().infile; });
    }
    m_conversionDialog->show();
    m_conversionDialog->raise();
    m_conversionDialog->activateWindow();
}

void Form1::setEngineLocation()
{
    const QString current = qt(programIn(m_session.installDirectory(), kEngineProgram));
    const auto chosen = m_platform.dialogs.openFile(this, QString("%1 program").arg(kEngineName), current,
                                                    qt(m_session.installDirectory()));
    if (!chosen || chosen->isEmpty())
        return;
    m_platform.install.setRegisteredProgram(*chosen);
    updateInstallDirectory();
    const QString engine = qt(programIn(m_session.installDirectory(), kEngineProgram));
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
