#include "runs/widgets/textviewer.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStringDecoder>
#include <QSyntaxHighlighter>
#include <QToolBar>
#include <QVBoxLayout>

#include "pim/widgets/gridplacement.h"
#include "runs/engineoutput.h"

namespace tw {

namespace {

class ErrorLineHighlighter : public QSyntaxHighlighter {
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;

protected:
    void highlightBlock(const QString& text) override
    {
        if (!text.contains(QLatin1String(kEngineErrorMark)))
            return;
        QTextCharFormat format;
        format.setBackground(QColor(255, 205, 205));
        format.setForeground(QColor(140, 0, 0));
        format.setFontWeight(QFont::Bold);
        setFormat(0, static_cast<int>(text.size()), format);
    }
};

// The files are 8-bit text: UTF-8 when they are valid UTF-8, Latin-1 otherwise, so no
// byte is ever lost from the display.
QString decodeText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

QString canonical(const QString& path)
{
    const QFileInfo info(path);
    const QString resolved = info.canonicalFilePath();
    return resolved.isEmpty() ? info.absoluteFilePath() : resolved;
}

}  // namespace

TextViewer* TextViewer::showFile(Platform& platform, const QString& path, QWidget* parent)
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* viewer = qobject_cast<TextViewer*>(window);
        if (!viewer || canonical(viewer->path()) != canonical(path))
            continue;
        if (!viewer->reload())
            return nullptr;
        viewer->show();
        viewer->raise();
        viewer->activateWindow();
        return viewer;
    }
    auto* viewer = new TextViewer(platform, path, parent);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    if (!viewer->reload()) {
        delete viewer;
        return nullptr;
    }
    if (parent)
        placeNear(*viewer, viewer->size(), *parent->window());
    viewer->show();
    return viewer;
}

TextViewer::TextViewer(Platform& platform, const QString& path, QWidget* parent)
    : QMainWindow(parent), m_platform(platform), m_path(path)
{
    // A window of its own even when it has a parent, so it stays open beside the dialogs.
    setWindowFlag(Qt::Window);
    setObjectName("TextViewer");
    setWindowTitle(QFileInfo(path).fileName() + QString::fromUtf8(" \u2014 Tallowick2"));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    textView = new QPlainTextEdit(central);
    textView->setObjectName("textView");
    textView->setReadOnly(true);
    textView->setLineWrapMode(QPlainTextEdit::NoWrap);
    textView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    textView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    new ErrorLineHighlighter(textView->document());
    layout->addWidget(textView, 1);

    m_findBar = new QWidget(central);
    auto* findLayout = new QHBoxLayout(m_findBar);
    findLayout->setContentsMargins(4, 2, 4, 2);
    findLayout->addWidget(new QLabel("Find:", m_findBar));
    findField = new QLineEdit(m_findBar);
    findField->setObjectName("findField");
    findLayout->addWidget(findField, 1);
    auto* previous = new QPushButton("Previous", m_findBar);
    auto* next = new QPushButton("Next", m_findBar);
    findLayout->addWidget(previous);
    findLayout->addWidget(next);
    m_findStatus = new QLabel(m_findBar);
    findLayout->addWidget(m_findStatus);
    m_findBar->setVisible(false);
    layout->addWidget(m_findBar);
    setCentralWidget(central);

    connect(findField, &QLineEdit::returnPressed, this, &TextViewer::findNext);
    connect(next, &QPushButton::clicked, this, &TextViewer::findNext);
    connect(previous, &QPushButton::clicked, this, &TextViewer::findPrevious);

    QToolBar* tools = addToolBar("Text");
    tools->setObjectName("viewerTools");
    QAction* findAction = tools->addAction("Find");
    findAction->setObjectName("actionFind");
    findAction->setShortcut(QKeySequence::Find);
    connect(findAction, &QAction::triggered, this, &TextViewer::startFind);
    QAction* reloadAction = tools->addAction("Reload");
    reloadAction->setObjectName("actionReload");
    reloadAction->setShortcut(QKeySequence::Refresh);
    connect(reloadAction, &QAction::triggered, this, &TextViewer::reload);
    QAction* external = tools->addAction("Open in external editor");
    external->setObjectName("actionOpenExternally");
    connect(external, &QAction::triggered, this, &TextViewer::openExternally);
    auto* escape = new QAction(this);
    escape->setShortcut(Qt::Key_Escape);
    connect(escape, &QAction::triggered, m_findBar, &QWidget::hide);
    addAction(escape);

    resize(820, 560);
}

QString TextViewer::text() const
{
    return textView->toPlainText();
}

QList<int> TextViewer::highlightedLines() const
{
    QList<int> lines;
    for (QTextBlock block = textView->document()->begin(); block.isValid(); block = block.next())
        if (block.text().contains(QLatin1String(kEngineErrorMark)))
            lines.append(block.blockNumber());
    return lines;
}

bool TextViewer::reload()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_platform.dialogs.message(this, "Tallowick2",
                                   QString("Cannot open %1: %2").arg(QFileInfo(m_path).absoluteFilePath(),
                                                                     file.errorString()),
                                   Severity::Warning);
        return false;
    }
    const int scroll = textView->verticalScrollBar()->value();
    textView->setPlainText(decodeText(file.readAll()));
    textView->verticalScrollBar()->setValue(scroll);
    return true;
}

void TextViewer::startFind()
{
    m_findBar->setVisible(true);
    findField->setFocus();
    findField->selectAll();
}

bool TextViewer::findNext()
{
    return find(false);
}

bool TextViewer::findPrevious()
{
    return find(true);
}

bool TextViewer::find(bool backward)
{
    const QString wanted = findField->text();
    if (wanted.isEmpty())
        return false;
    const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    QTextCursor found = textView->document()->find(wanted, textView->textCursor(), flags);
    if (found.isNull()) {
        QTextCursor wrap(textView->document());
        if (backward)
            wrap.movePosition(QTextCursor::End);
        found = textView->document()->find(wanted, wrap, flags);
    }
    m_findStatus->setText(found.isNull() ? "not found" : QString());
    if (found.isNull())
        return false;
    textView->setTextCursor(found);
    return true;
}

void TextViewer::openExternally()
{
    if (!m_platform.processes.openWithDesktop(m_path))
        m_platform.dialogs.message(this, "Tallowick2",
                                   QString("No program of the desktop opens %1. Install a text editor, or read the "
                                           "file here.")
                                       .arg(QFileInfo(m_path).absoluteFilePath()),
                                   Severity::Warning);
}

}  // namespace tw
