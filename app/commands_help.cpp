// Help: the user guide, shown in a window of its own from the installed documents, and
// About, which names the version, the licence and the folders the program uses.
#include "app/mainwindow.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextStream>
#include <QUrl>

#include "buildinfo.h"
#include "model/paths.h"
#include "pim/widgets/gridplacement.h"
#include "runs/enginerun.h"

namespace tw {

namespace {

constexpr const char* kUserGuide = "docs/userguide.md";

// The "Licence:" line of the copyright file, without its label; empty when not found.
QString licence(const QString& copyrightFile)
{
    QFile file(copyrightFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith("Licence:"))
            return line.mid(8).trimmed();
    }
    return {};
}

QString folder(const std::optional<QString>& directory)
{
    return directory ? *directory : QString("(not installed)");
}

}  // namespace

void Form1::showUserGuide()
{
    const std::optional<QString> documents = m_platform.install.documentsDirectory();
    const QString guide = documents ? *documents + '/' + kUserGuide : QString();
    if (guide.isEmpty() || !QFileInfo(guide).isFile()) {
        m_platform.dialogs.message(
            this, "User guide",
            QString("The user guide is not installed%1. Install Tallowick2 with its documents "
                    "(cmake --install, or the Debian package), or read docs/userguide.md of the source tree.")
                .arg(guide.isEmpty() ? QString() : " (no file " + guide + ")"),
            Severity::Warning);
        return;
    }
    if (!m_userGuide) {
        auto* browser = new QTextBrowser(this);
        browser->setWindowFlag(Qt::Window);
        browser->setAttribute(Qt::WA_DeleteOnClose);
        browser->setObjectName("userGuide");
        browser->setWindowTitle(QString::fromUtf8("User guide \u2014 Tallowick2"));
        browser->setOpenExternalLinks(true);
        placeNear(*browser, QSize(860, 700), *this);
        m_userGuide = browser;
    }
    auto* browser = static_cast<QTextBrowser*>(m_userGuide.data());
    // Pictures and links are found beside the guide.
    browser->setSource(QUrl::fromLocalFile(guide), QTextDocument::MarkdownResource);
    browser->document()->setDocumentMargin(16);  // text clear of the frame reads easier
    browser->show();
    browser->raise();
    browser->activateWindow();
}

void Form1::showAbout()
{
    const std::optional<QString> documents = m_platform.install.documentsDirectory();
    QString licenceText = documents ? licence(*documents + "/copyright") : QString();
    if (licenceText.isEmpty())
        licenceText = "see the file copyright among the documents";
    const QString text =
        QString("Tallowick2 %1\n"
                "A model builder for multistate capture-recapture analyses with a robust design, "
                "for the estimation engine CORVANE.\n\n"
                "Licence: %2\n\n"
                "Outside programs: %3\n"
                "Examples: %4\n"
                "Documents: %5\n"
                "Settings: %6")
            .arg(kVersion, licenceText, QString::fromStdString(m_session.installDirectory()),
                 folder(m_platform.install.examplesDirectory()), folder(documents), m_platform.settings.location());
    m_platform.dialogs.message(this, "About Tallowick2", text);
}

}  // namespace tw
