#include "app/PlotView.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace kalvero::app {
namespace {

// The picture covers the largest screen, and the widget when it is larger still.
QSize PictureSize(QSize aWidget) {
    QSize size(1920, 1080);
    for (const QScreen* screen : QGuiApplication::screens())
        size = size.expandedTo(screen->size());
    return size.expandedTo(aWidget);
}

}  // namespace

TPlotView::TPlotView(QWidget* aParent) : QWidget(aParent), fPicture(PictureSize({}), QImage::Format_RGB32) {
    fPicture.fill(Qt::white);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    // Low enough for a data window tiled with others beside its results: a taller minimum than its
    // window leaves ran the plot on under the scroll bar, its axis and lower part out of sight.
    setMinimumSize(200, 60);
    setAccessibleName("График");
}

void TPlotView::SetRubberBand(const TRubberBand& aBand) {
    fBand = aBand;
    update();
}

void TPlotView::paintEvent(QPaintEvent* aEvent) {
    QPainter p(this);
    p.drawImage(aEvent->rect(), fPicture, aEvent->rect());
    if (fBand.kind == TRubberBand::rbNone) return;
    const QRect clip = fBand.clip.isValid() ? fBand.clip : rect();
    p.setClipRect(clip);
    // The original drew its bands in an inverting pen: the same look, without touching the picture.
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(QColor(0, 255, 255), 1));
    switch (fBand.kind) {
        case TRubberBand::rbBox:
            p.setClipping(false);
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRect(fBand.from, fBand.to).normalized());
            break;
        case TRubberBand::rbStrip: {
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            const int x1 = std::min(fBand.from.x(), fBand.to.x()),
                      x2 = std::max(fBand.from.x(), fBand.to.x());
            p.fillRect(QRect(QPoint(x1, clip.top()), QPoint(x2, clip.bottom())), QColor(255, 160, 40, 90));
            p.setPen(QPen(QColor(200, 90, 0), 1));
            p.drawLine(x1, clip.top(), x1, clip.bottom());
            p.drawLine(x2, clip.top(), x2, clip.bottom());
            break;
        }
        case TRubberBand::rbVertLine:
            p.drawLine(fBand.to.x(), clip.top(), fBand.to.x(), clip.bottom());
            break;
        case TRubberBand::rbHorzLine:
            p.drawLine(clip.left(), fBand.to.y(), clip.right(), fBand.to.y());
            break;
        case TRubberBand::rbCross:
            p.drawLine(fBand.to.x(), clip.top(), fBand.to.x(), clip.bottom());
            p.drawLine(clip.left(), fBand.to.y(), clip.right(), fBand.to.y());
            break;
        case TRubberBand::rbNone:
            break;
    }
}

void TPlotView::mousePressEvent(QMouseEvent* aEvent) {
    if (onMouseDown) onMouseDown(aEvent->button(), aEvent->position().toPoint());
}

void TPlotView::mouseMoveEvent(QMouseEvent* aEvent) {
    if (onMouseMove) onMouseMove(aEvent->buttons(), aEvent->position().toPoint());
}

void TPlotView::mouseReleaseEvent(QMouseEvent* aEvent) {
    if (onMouseUp) onMouseUp(aEvent->button(), aEvent->position().toPoint());
}

void TPlotView::leaveEvent(QEvent* aEvent) {
    QWidget::leaveEvent(aEvent);
    if (onMouseLeave) onMouseLeave();
}

void TPlotView::resizeEvent(QResizeEvent* aEvent) {
    QWidget::resizeEvent(aEvent);
    const QSize wanted = PictureSize(size());
    if (wanted != fPicture.size()) {
        if (onPictureReplacing) onPictureReplacing();
        fPicture = QImage(wanted, QImage::Format_RGB32);
        fPicture.fill(Qt::white);
    }
    if (onResize) onResize(size());
}

}  // namespace kalvero::app
