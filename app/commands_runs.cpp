// Outside programs: the engine run, the capture-history conversion, the engine location.
#include "app/mainwindow.h"

#include <QFileInfo>
#include <fstream>

#include "convert/widgets/form3.h"
#include "model/paths.h"
#include "pim/widgets/gridplacement.h"
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
        m_platform.dialogs.message(this, kEngineName, qt(line.error().message), Severity::Warning);
        return;
    }
    // Without an installation directory the engine is missing: a bare name would pick up
    // whatever program of that name lies in the current directory.
    const std::string& directory = m_session.installDirectory();
    const QString engine = qt(programIn(directory, kEngineProgram));
    if (directory.empty() || !QFileInfo(engine).isFile()) {
        m_platform.dialogs.message(this, kEngineName, qt(missingEngineMessage(engine.toStdString())),
                                   Severity::Warning);
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
                                   qt(engineNotStartedMessage(engine.toStdString(), result.errorText.toStdString())),
                                   Severity::Critical);
        return;
    }
    if (result.cancelled) {
        m_platform.dialogs.message(this, kEngineName, qt(cancelledMessage(kEngineName)));
        showStatus(QString("Engine: %1 (cancelled)").arg(engine));
        return;
    }
    if (!writtenSince(before, output)) {
        m_platform.dialogs.message(this, kMissingOutputTitle, qt(missingOutputMessage(output)), Severity::Warning);
        return;
    }

    std::vector<EngineErrorLine> errors;
    {
        std::ifstream in(output, std::ios::binary);
        errors = engineErrorLines(in);
    }
    const QString outputPath = QFileInfo(qt(output)).absoluteFilePath();
    const QString found = errors.empty()       ? QString("no errors")
                          : errors.size() == 1 ? QString("1 error line")
                                               : QString("%1 error lines").arg(errors.size());
    showStatus(QString("Engine: %1 \u2014 %2, %3").arg(engine, outputPath, found));
    if (!errors.empty()) {
        // One dialog lists every error line with its place in the output.
        QStringList entries;
        for (const EngineErrorLine& error : errors)
            entries << qt(engineErrorEntry(error));
        const QString summary = qt(engineErrorSummary(outputPath.toStdString(), errors.size()));
        m_platform.dialogs.messageList(this, kEngineErrorTitle, summary, entries, Severity::Warning);
    }
    TextViewer::showFile(m_platform, qt(output), this);
}

void Form1::convertCaptureHistories()
{
    if (!m_conversionDialog) {
        m_conversionDialog = new Form3(m_platform, [this] { return qt(m_session.installDirectory()); }, this);
        m_conversionDialog->setModelFile([this] { return model().infile; });
        placeNear(*m_conversionDialog, m_conversionDialog->sizeHint(), *this);
    }
    m_conversionDialog->show();
    m_conversionDialog->raise();
    m_conversionDialog->activateWindow();
}

void Form1::setEngineLocation()
{
    const QString current = qt(programIn(m_session.installDirectory(), kEngineProgram));
    // The title names the engine started now, which the dialog proposes.
    const auto chosen = m_platform.dialogs.openFile(this, QString("%1 program \u2014 now %2").arg(kEngineName, current),
                                                    current, qt(m_session.installDirectory()));
    if (!chosen || chosen->isEmpty())
        return;
    m_platform.install.setRegisteredProgram(*chosen);
    updateInstallDirectory();
    const QString engine = qt(programIn(m_session.installDirectory(), kEngineProgram));
    showStatus("Engine: " + engine);
    if (m_platform.install.registeredProgram() != chosen)
        m_platform.dialogs.message(this, kEngineName,
                                   QString("TALLOWICK2_APPPATH is set and overrides the chosen location; the engine "
                                           "is started as %1.")
                                       .arg(engine),
                                   Severity::Warning);
    else if (QFileInfo(engine).absoluteFilePath() != QFileInfo(*chosen).absoluteFilePath())
        m_platform.dialogs.message(this, kEngineName,
                                   QString("The engine is started as %1; choose a program named %2.")
                                       .arg(engine, kEngineProgram),
                                   Severity::Warning);
}

}  // namespace tw
