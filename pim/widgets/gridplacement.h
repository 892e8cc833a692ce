#pragma once
// Where the grid windows of a view open: on the screen of the main window, near it,
// each sized to fit the screen, cascading so that no window hides another's title bar.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace tw {

class GridWindow;

/// The frame sizes a window would take to show everything, and the least it can take;
/// a frame narrower than wanted is made scrollBar taller (a scroll bar appears along its
/// bottom), and one lower than wanted scrollBar wider, where the screen allows.
struct FrameSizes {
    QSize wanted;
    QSize smallest;
    int scrollBar = 0;
};

/// The frames of count windows of the given sizes: the places first ..
/// first + count - 1 of a cascade that starts at start (or nearer the top left, to
/// leave room for a few steps) and goes one step right and down from each place to the
/// next; at the bottom it goes on at the first place's height, further right, and at
/// the right edge at its left. Every frame lies within available, shrunk where needed
/// but not below the smallest size (nor 240 x 160) unless available is smaller.
std::vector<QRect> cascadeFrames(int first, int count, FrameSizes sizes, QRect available, QPoint start, int step);

/// Sizes and places the windows of one view, in opening order, before they are shown:
/// on the main window's screen (its available area), cascading from near the main
/// window by a step a little taller than its title bar, going on from the places of the
/// alreadyOpen grid windows that are still open.
void placeGridWindows(const std::vector<GridWindow*>& windows, const QWidget& mainWindow, int alreadyOpen);

/// Sizes and places one window of its own (a file viewer, the user guide) before it is
/// shown: on the screen of the window that opens it, below its menus where it fits (else
/// moved up and left until it does), the size wanted shrunk to fit the screen.
void placeNear(QWidget& window, QSize wanted, const QWidget& opener);

}  // namespace tw
