#include "platform/messagelist.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>
#include <QVBoxLayout>

namespace tw {

namespace {

QStyle::StandardPixmap iconOf(Severity severity)
{
    switch (severity) {
    case Severity::Information:
        return QStyle::SP_MessageBoxInformation;
    case Severity::Warning:
        return QStyle::SP_MessageBoxWarning;
    case Severity::Critical:
        return QStyle::SP_MessageBoxCritical;
    }
    return QStyle::SP_MessageBoxInformation;
}

}  // namespace

ListMessageDialog::ListMessageDialog(QWidget* parent, const Dialogs::Message& message) : QDialog(parent)
{
    setObjectName("messageList");
    setWindowTitle(message.title);

    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(iconOf(message.severity), nullptr, this).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(message.text, this);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* head = new QHBoxLayout;
    head->addWidget(icon);
    head->addWidget(text, 1);

    auto* lines = new QPlainTextEdit(this);
    lines->setObjectName("lines");
    lines->setReadOnly(true);
    lines->setLineWrapMode(QPlainTextEdit::WidgetWidth);  // a long error line reads whole
    lines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    lines->setPlainText(message.lines.join('\n'));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(lines, 1);
    layout->addWidget(buttons);
    resize(640, 360);
}

}  // namespace tw
