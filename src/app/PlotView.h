#pragma once
// The plot of a data window: one picture as large as the screen, drawn by the experiment through
// its surface and shown as it is in every paint, so that a repaint of the window costs a copy
// and never a redraw. The rubber bands of the tools (a rectangle, a vertical strip, a vertical or
// horizontal line) are laid over the picture while a gesture lasts and never enter it.

#include <QImage>
#include <QRect>
#include <QWidget>

#include <functional>

namespace kalvero::app {

struct TRubberBand {
    enum TKind { rbNone, rbBox, rbStrip, rbVertLine, rbHorzLine, rbCross } kind = rbNone;
    QPoint from, to;  // the gesture's start and the mouse
    QRect clip;       // the graph rectangle the strip and the lines stay inside
};

class TPlotView : public QWidget {
public:
    explicit TPlotView(QWidget* aParent);

    QImage& Picture() { return fPicture; }
    void SetRubberBand(const TRubberBand& aBand);
    const TRubberBand& RubberBand() const { return fBand; }

    std::function<void(Qt::MouseButton, QPoint)> onMouseDown;
    std::function<void(Qt::MouseButtons, QPoint)> onMouseMove;
    std::function<void(Qt::MouseButton, QPoint)> onMouseUp;
    std::function<void()> onMouseLeave;
    std::function<void(QSize)> onResize;
    // Called before the picture is replaced by a larger one (painting on it must end first).
    std::function<void()> onPictureReplacing;

protected:
    void paintEvent(QPaintEvent* aEvent) override;
    void mousePressEvent(QMouseEvent* aEvent) override;
    void mouseMoveEvent(QMouseEvent* aEvent) override;
    void mouseReleaseEvent(QMouseEvent* aEvent) override;
    void leaveEvent(QEvent* aEvent) override;
    void resizeEvent(QResizeEvent* aEvent) override;

private:
    QImage fPicture;
    TRubberBand fBand;
};

}  // namespace kalvero::app
