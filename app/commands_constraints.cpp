// The constraint road and the fixed-parameter list editor.
#include "app/mainwindow.h"

namespace tw {

struct Form1::ConstraintsState {};

void Form1::getConstraintsFile() {}
void Form1::saveConstraints() {}
void Form1::convertConstraints() {}
void Form1::computePoint() {}
void Form1::showFixedList() {}
void Form1::listDoubleClicked() {}
void Form1::listTextChanged(const QString&) {}
void Form1::listAdd() {}
void Form1::listDelete() {}
void Form1::listModify() {}
void Form1::listDone() {}

}  // namespace tw
