#pragma once
// The window arrangements the multi-document area lacks: tiling in columns ("по вертикали") or
// in rows ("по горизонтали"), lining the minimised windows up along the bottom, and minimising
// every window. The geometry is computed apart from the windows so that it can be checked.

#include <QRect>
#include <QSize>

#include <vector>

class QMdiArea;

namespace kalvero::app {

enum class TTileDirection { tdColumns, tdRows };

// aCount rectangles filling aArea side by side (columns) or one above another (rows); the last
// one takes what rounding leaves.
std::vector<QRect> TileRects(const QRect& aArea, int aCount, TTileDirection aDirection);
// aCount places of aSize along the bottom of aArea, left to right, rising a row when one is full.
std::vector<QRect> IconRects(const QRect& aArea, int aCount, const QSize& aSize);

void TileSubWindows(QMdiArea& aArea, TTileDirection aDirection);
void ArrangeMinimized(QMdiArea& aArea);
void MinimizeAll(QMdiArea& aArea);

}  // namespace kalvero::app
