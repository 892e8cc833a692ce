// "Get input file w/ PIM's" and "Save model w/ PIM's".
#include "app/mainwindow.h"

#include <QAction>
#include <QLabel>
#include <QProgressBar>

#include "model/pimreader.h"
#include "model/pimwriter.h"

namespace tw {

namespace {

// Shows the progress bar for the life of one long read or write.
class ProgressShown {
public:
    explicit ProgressShown(QProgressBar* bar) : m_bar(bar)
    {
        m_bar->setValue(0);
        m_bar->setVisible(true);
    }
    ~ProgressShown() { m_bar->setVisible(false); }
    ProgressShown(const ProgressShown&) = delete;
    ProgressShown& operator=(const ProgressShown&) = delete;

    // Moves the bar; repainted at once, as the read or write holds the event loop.
    std::function<void(int)> callback()
    {
        return [bar = m_bar](int percent) {
            bar->setValue(percent);
            bar->repaint();
        };
    }

private:
    QProgressBar* m_bar;
};

}  // namespace

void Form1::getPimFile()
{
    const auto name = m_platform.dialogs.openFile(this, "PIM input file", "*.*");
    if (!name || name->isEmpty() || *name == "*.*") {
        m_platform.dialogs.message(this, "Tallowick2", "No file selected");
        return;
    }
    openPimFile(*name);
}

bool Form1::openPimFile(const QString& path)
{
    PimReadNotes notes;
    Result<Model> read = [&] {
        ProgressShown progress(ProgressBar1);
        return readPimFile(path.toStdString(), &notes, progress.callback());
    }();
    if (!read) {
        showError("Tallowick2", read.error());
        return false;
    }
    if (!confirmReplace())
        return false;
    closeGridWindows(WriteBack::No);
    discardDesignWindow();
    read->apppath = m_model.apppath;
    m_model = std::move(*read);
    Label1->setText(QString::fromStdString(notes.caption));
    refreshFixedList();
    menu_save->setEnabled(true);
    menu_savepims->setEnabled(true);
    return true;
}

void Form1::savePims()
{
    const auto name = m_platform.dialogs.saveFile(this, "save as", "quarlet.mss");
    if (!name || name->isEmpty())
        return;  // cancelled: nothing is written
    if (!writeBackDesignWindow())
        return;
    closeGridWindows(WriteBack::Yes);
    const Status saved = [&] {
        ProgressShown progress(ProgressBar1);
        return savePimFile(m_model, name->toStdString(), progress.callback());
    }();
    if (!saved)
        showError("Tallowick2", saved.error());
}

}  // namespace tw
