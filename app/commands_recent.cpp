// Opening model files other than through the file dialogs: the recent-models list of
// the File menu, a file dropped on the window and a file given at start. Each is read
// with the reader of its form, as if chosen in that reader's dialog.
#include "app/mainwindow.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "app/keyboard.h"
#include "session/recentmodels.h"

namespace tw {

namespace {

constexpr const char* kRecentKey = "RecentModels";

const char* formName(ModelForm form)
{
    return form == ModelForm::Pim ? "PIM form" : "constraints form";
}

// The one local file a drag carries, or an empty string.
QString draggedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return {};
    const QString path = data->urls().first().toLocalFile();
    return QFileInfo(path).isFile() ? path : QString();
}

}  // namespace

bool Form1::openModel(const ModelFile& file)
{
    const QString path = QString::fromStdString(file.path);
    if (file.form == ModelForm::Pim)
        return openPimFile(path);
    if (!run([this](FrontEnd& front) { return m_session.readConstraints(front); }, path).done())
        return false;
    listDone();  // the reader ends with the editor hidden
    return true;
}

bool Form1::openModelFile(const QString& path)
{
    const Result<ModelForm> form = modelFormOfFile(path.toStdString());
    if (!form) {
        showError(kProgramTitle, form.error());
        return false;
    }
    return openModel({path.toStdString(), *form});
}

std::vector<ModelFile> Form1::recentModels() const
{
    std::vector<std::string> lines;
    for (const QString& line : m_platform.settings.lines(kRecentKey))
        lines.push_back(line.toStdString());
    return storedModels(lines);
}

void Form1::rememberModel(const ModelFile& file)
{
    QStringList lines;
    for (const ModelFile& entry : tw::rememberModel(recentModels(), file))
        lines << QString::fromStdString(storedModel(entry));
    m_platform.settings.setLines(kRecentKey, lines);
}

void Form1::fillRecentMenu()
{
    menu_recent->clear();
    const std::vector<ModelFile> files = recentModels();
    int number = 0;
    for (const ModelFile& file : files) {
        const QString path = QString::fromStdString(file.path);
        const QString caption = QString("%1 %2 (%3)").arg(++number).arg(QFileInfo(path).fileName(), formName(file.form));
        QAction* item = menu_recent->addAction(withMnemonic(caption, caption[0]));
        item->setObjectName(QString("menu_recent_%1").arg(number));
        item->setToolTip(path);
        connect(item, &QAction::triggered, this, [this, file] { openRecentModel(file); });
    }
    if (files.empty())
        menu_recent->addAction("(none yet)")->setEnabled(false);
}

void Form1::openRecentModel(const ModelFile& file)
{
    if (QFileInfo(QString::fromStdString(file.path)).isFile()) {
        openModel(file);
        return;
    }
    // A file moved or deleted since leaves the list.
    std::vector<ModelFile> files = recentModels();
    std::erase(files, file);
    QStringList lines;
    for (const ModelFile& entry : files)
        lines << QString::fromStdString(storedModel(entry));
    m_platform.settings.setLines(kRecentKey, lines);
    m_platform.dialogs.message(this, kProgramTitle,
                               QString("%1 no longer exists; it was moved or deleted. It is taken off the list of "
                                       "recent models; open it from where it is now with the File menu.")
                                   .arg(QString::fromStdString(file.path)),
                               Severity::Warning);
}

void Form1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!draggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event)
{
    const QString path = draggedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    openModelFile(path);
}

}  // namespace tw
