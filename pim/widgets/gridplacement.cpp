#include "pim/widgets/gridplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

#include "pim/widgets/gridwindow.h"

namespace tw {

namespace {

// How many steps of the cascade the windows leave room for below and right of the first.
constexpr int kRoomForSteps = 7;
// Where the cascade starts, from the main window's top-left corner: below its menus.
constexpr QPoint kFromMainWindow(40, 60);
// No window is shrunk below this frame, nor below its own least size (unless the screen
// itself is smaller).
constexpr QSize kSmallestFrame(240, 160);

// The decoration the window manager puts around the main window; none before it is shown.
QMargins frameMargins(const QWidget& window)
{
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    if (!window.isVisible() || !frame.contains(inner))
        return {};
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

}  // namespace

std::vector<QRect> cascadeFrames(int first, int count, FrameSizes sizes, QRect available, QPoint start, int step)
{
    step = std::max(step, 1);
    const QSize smallest = sizes.smallest.expandedTo(kSmallestFrame);
    // The cascade starts at start or nearer the top left, so that its full depth and a
    // window of the smallest size fit below and right of it. Its place does not depend
    // on the windows' size, so that the windows of later views go on from it.
    const int depth = kRoomForSteps * step;
    const int farLeft = available.left() + available.width() - smallest.width() - depth;
    const int farTop = available.top() + available.height() - smallest.height() - depth;
    const QPoint origin(std::clamp(start.x(), available.left(), std::max(available.left(), farLeft)),
                        std::clamp(start.y(), available.top(), std::max(available.top(), farTop)));
    // As large as wanted within most of the screen, leaving room for the steps this
    // view's windows take below and right of the first.
    const int steps = std::clamp(first + count - 1, 0, kRoomForSteps) * step;
    const QSize room = QSize(available.width() * 9 / 10, available.height() * 9 / 10)
                           .boundedTo(QSize(available.left() + available.width() - origin.x() - steps,
                                            available.top() + available.height() - origin.y() - steps));
    QSize wanted = sizes.wanted;
    if (wanted.width() > room.width())
        wanted.rheight() += sizes.scrollBar;
    if (wanted.height() > room.height())
        wanted.rwidth() += sizes.scrollBar;
    const QSize frame = wanted.boundedTo(room).expandedTo(smallest).boundedTo(available.size());
    // Places along the cascade before it reaches the bottom, and the right edge.
    const int down = std::max(available.top() + available.height() - frame.height() - origin.y(), 0) / step + 1;
    const int across = std::max(available.left() + available.width() - frame.width() - origin.x(), 0) / step + 1;
    std::vector<QRect> frames;
    frames.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = first; i < first + count; ++i)
        frames.emplace_back(QPoint(origin.x() + (i % across) * step, origin.y() + (i % down) * step), frame);
    return frames;
}

void placeGridWindows(const std::vector<GridWindow*>& windows, const QWidget& mainWindow, int alreadyOpen)
{
    const QScreen* screen = mainWindow.screen() ? mainWindow.screen() : QGuiApplication::primaryScreen();
    if (windows.empty() || !screen)
        return;
    const QMargins margins = frameMargins(mainWindow);
    const QSize decoration(margins.left() + margins.right(), margins.top() + margins.bottom());
    FrameSizes sizes;
    sizes.scrollBar = mainWindow.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (const GridWindow* window : windows) {
        sizes.wanted = sizes.wanted.expandedTo(window->wantedSize() + decoration);
        sizes.smallest = sizes.smallest.expandedTo(window->minimumSizeHint() + decoration);
    }
    // One step shows the title bar of the window below; 24 pixels when there is none.
    const int step = std::max(margins.top() + 4, 24);
    const std::vector<QRect> frames = cascadeFrames(alreadyOpen, static_cast<int>(windows.size()), sizes,
                                                    screen->availableGeometry(),
                                                    mainWindow.frameGeometry().topLeft() + kFromMainWindow, step);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        windows[i]->resize(frames[i].size() - decoration);
        windows[i]->move(frames[i].topLeft());
    }
}

void placeNear(QWidget& window, QSize wanted, const QWidget& opener)
{
    const QScreen* screen = opener.screen() ? opener.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QMargins margins = frameMargins(opener);
    const QSize decoration(margins.left() + margins.right(), margins.top() + margins.bottom());
    const QRect available = screen->availableGeometry();
    const QSize frame = (wanted + decoration)
                            .boundedTo(available.size())
                            .expandedTo((window.minimumSizeHint() + decoration).boundedTo(available.size()));
    // Below the opener's menus, moved up and left as far as the frame needs to fit.
    const QPoint start = opener.frameGeometry().topLeft() + kFromMainWindow;
    const QPoint corner(std::clamp(start.x(), available.left(), available.left() + available.width() - frame.width()),
                        std::clamp(start.y(), available.top(), available.top() + available.height() - frame.height()));
    window.resize(frame - decoration);
    window.move(corner);
}

}  // namespace tw
