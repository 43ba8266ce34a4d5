#include "app/MdiArrange.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

namespace kalvero::app {

std::vector<QRect> TileRects(const QRect& aArea, int aCount, TTileDirection aDirection) {
    std::vector<QRect> rects;
    if (aCount <= 0 || aArea.isEmpty()) return rects;
    const bool columns = aDirection == TTileDirection::tdColumns;
    const int total = columns ? aArea.width() : aArea.height();
    const int step = std::max(1, total / aCount);
    for (int k = 0; k < aCount; ++k) {
        const int from = k * step, to = k + 1 == aCount ? total : (k + 1) * step;
        rects.push_back(columns ? QRect(aArea.left() + from, aArea.top(), to - from, aArea.height())
                                : QRect(aArea.left(), aArea.top() + from, aArea.width(), to - from));
    }
    return rects;
}

std::vector<QRect> IconRects(const QRect& aArea, int aCount, const QSize& aSize) {
    std::vector<QRect> rects;
    if (aCount <= 0 || aSize.isEmpty()) return rects;
    const int perRow = std::max(1, aArea.width() / aSize.width());
    for (int k = 0; k < aCount; ++k) {
        const int row = k / perRow, column = k % perRow;
        rects.emplace_back(aArea.left() + column * aSize.width(),
                           aArea.bottom() + 1 - (row + 1) * aSize.height(), aSize.width(), aSize.height());
    }
    return rects;
}

namespace {

std::vector<QMdiSubWindow*> Visible(QMdiArea& aArea, bool aMinimized) {
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : aArea.subWindowList(QMdiArea::CreationOrder)) {
        if (w->isVisible() && w->isMinimized() == aMinimized) windows.push_back(w);
    }
    return windows;
}

}  // namespace

void TileSubWindows(QMdiArea& aArea, TTileDirection aDirection) {
    const std::vector<QMdiSubWindow*> windows = Visible(aArea, false);
    const auto rects = TileRects(aArea.viewport()->rect(), static_cast<int>(windows.size()), aDirection);
    for (size_t k = 0; k < windows.size(); ++k) {
        if (windows[k]->isMaximized()) windows[k]->showNormal();
        windows[k]->setGeometry(rects[k]);
    }
}

void ArrangeMinimized(QMdiArea& aArea) {
    const std::vector<QMdiSubWindow*> windows = Visible(aArea, true);
    if (windows.empty()) return;
    const QSize size = windows.front()->size();
    const auto rects = IconRects(aArea.viewport()->rect(), static_cast<int>(windows.size()), size);
    for (size_t k = 0; k < windows.size(); ++k)
        windows[k]->move(rects[k].topLeft());
}

void MinimizeAll(QMdiArea& aArea) {
    for (QMdiSubWindow* w : aArea.subWindowList(QMdiArea::CreationOrder))
        w->showMinimized();
    ArrangeMinimized(aArea);
}

}  // namespace kalvero::app
