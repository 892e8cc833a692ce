// "Run each Primary period through KESTON": the per-period closed-population runs.
#include "app/mainwindow.h"

namespace tw {

void Form1::runEachPeriod() {}

}  // namespace tw
