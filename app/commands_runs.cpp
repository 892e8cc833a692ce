// Outside programs: the engine run, the capture-history conversion, the engine location.
#include "app/mainwindow.h"

namespace tw {

struct Form1::RunsState {};

void Form1::runEngine() {}
void Form1::convertCaptureHistories() {}
void Form1::setEngineLocation() {}

}  // namespace tw
