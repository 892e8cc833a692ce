// "Get input file w/ PIM's" and "Save model w/ PIM's".
#include "app/mainwindow.h"

namespace tw {

void Form1::getPimFile() {}
void Form1::savePims() {}
bool Form1::openPimFile(const QString&) { return false; }

}  // namespace tw
