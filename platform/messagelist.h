#pragma once
// The dialog of a message over a list of lines: the severity's icon, the text, the lines
// in a scrollable fixed-pitch box and an OK button. One dialog however many lines.

#include <QDialog>

#include "platform/platform.h"

namespace tw {

class ListMessageDialog : public QDialog {
    Q_OBJECT

public:
    ListMessageDialog(QWidget* parent, const Dialogs::Message& message);
};

}  // namespace tw
