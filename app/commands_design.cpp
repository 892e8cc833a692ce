// The design-matrix window, opened from the grid windows' "Design Matrix".
#include "app/mainwindow.h"

namespace tw {

struct Form1::DesignState {};

void Form1::openDesignMatrix(const std::vector<int>&) {}

}  // namespace tw
