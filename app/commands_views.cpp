// The PIM views: the grid windows of each kind of probability.
#include "app/mainwindow.h"

namespace tw {

struct Form1::ViewsState {};

void Form1::viewSurvival() {}
void Form1::viewOpenCapture() {}
void Form1::viewClosedCapture() {}
void Form1::viewMovement() {}
void Form1::closeGridWindows(WriteBack) {}

}  // namespace tw
