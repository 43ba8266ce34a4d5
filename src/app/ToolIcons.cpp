#include "app/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

namespace kalvero::app {
namespace {

constexpr int kSize = 24;
const QColor kInk(40, 40, 40), kBlue(30, 90, 200), kRed(200, 40, 40), kGreen(30, 140, 60),
    kPaper(250, 250, 245);

// The dT curve with one peak, the motif of the processing buttons.
QPainterPath PeakCurve(double aTop = 6) {
    QPainterPath p;
    p.moveTo(2, 18);
    p.lineTo(8, 18);
    p.cubicTo(10, 18, 10, aTop, 12, aTop);
    p.cubicTo(14, aTop, 14, 18, 16, 18);
    p.lineTo(22, 18);
    return p;
}

void Page(QPainter& p) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kPaper);
    QPolygonF sheet({{5, 2}, {15, 2}, {19, 6}, {19, 22}, {5, 22}});
    p.drawPolygon(sheet);
    p.drawLine(QPointF(15, 2), QPointF(15, 6));
    p.drawLine(QPointF(15, 6), QPointF(19, 6));
}

void Disk(QPainter& p) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(70, 110, 180));
    p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(7, 3, 10, 7));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(7, 14, 10, 7));
}

void Magnifier(QPainter& p) {
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(220, 235, 255));
    p.drawEllipse(QRectF(3, 3, 12, 12));
    p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 14), QPointF(21, 21));
}

void Curve(QPainter& p, const QColor& aColor = kBlue, double aTop = 6) {
    p.setPen(QPen(aColor, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(PeakCurve(aTop));
}

void Cross(QPainter& p, double x, double y) {
    p.setPen(QPen(kRed, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x - 4, y - 4), QPointF(x + 4, y + 4));
    p.drawLine(QPointF(x + 4, y - 4), QPointF(x - 4, y + 4));
}

void Flag(QPainter& p) {
    p.setPen(QPen(kRed, 1.5));
    p.setBrush(QColor(255, 235, 235));
    p.drawRect(QRectF(12, 2, 9, 6));
    p.drawLine(QPointF(12, 8), QPointF(12, 13));
}

void Tangent(QPainter& p) {
    Curve(p);
    p.setPen(QPen(kRed, 1.8));
    p.drawLine(QPointF(6, 22), QPointF(13, 2));
}

void Arrow(QPainter& p, QPointF aFrom, QPointF aTo) {
    p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(aFrom, aTo);
    const QPointF d = (aTo - aFrom) / std::max(1.0, std::hypot((aTo - aFrom).x(), (aTo - aFrom).y()));
    const QPointF n(-d.y(), d.x());
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF({aTo, aTo - 4 * d + 3 * n, aTo - 4 * d - 3 * n}));
}

void Strip(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 200, 120, 160));
    p.drawRect(QRectF(7, 2, 10, 20));
}

using TPainterFn = std::function<void(QPainter&)>;

const std::map<TToolIcon, TPainterFn>& Painters() {
    static const std::map<TToolIcon, TPainterFn> painters = {
        {TToolIcon::New, [](QPainter& p) { Page(p); }},
        {TToolIcon::Open,
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.2));
             p.setBrush(QColor(240, 200, 90));
             p.drawPolygon(QPolygonF({{2, 6}, {9, 6}, {11, 8}, {21, 8}, {21, 20}, {2, 20}}));
             p.setBrush(QColor(250, 220, 120));
             p.drawPolygon(QPolygonF({{5, 11}, {23, 11}, {20, 20}, {2, 20}}));
         }},
        {TToolIcon::Save, [](QPainter& p) { Disk(p); }},
        {TToolIcon::SaveAs,
         [](QPainter& p) {
             Disk(p);
             p.setPen(QPen(kRed, 2));
             p.drawLine(QPointF(14, 22), QPointF(22, 14));
         }},
        {TToolIcon::Preview,
         [](QPainter& p) {
             Page(p);
             Magnifier(p);
         }},
        {TToolIcon::Print,
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.2));
             p.setBrush(kPaper);
             p.drawRect(QRectF(7, 2, 10, 8));
             p.setBrush(QColor(170, 170, 170));
             p.drawRoundedRect(QRectF(2, 9, 20, 9), 2, 2);
             p.setBrush(kPaper);
             p.drawRect(QRectF(7, 15, 10, 7));
         }},
        {TToolIcon::Calibration,
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.2));
             p.setBrush(kPaper);
             p.drawRect(QRectF(3, 3, 18, 18));
             for (int k = 0; k < 3; ++k)
                 p.drawLine(QPointF(3, 8 + 5 * k), QPointF(21, 8 + 5 * k));
             p.drawLine(QPointF(10, 3), QPointF(10, 21));
             p.setPen(QPen(kRed, 2));
             p.drawLine(QPointF(11, 20), QPointF(20, 4));
         }},
        {TToolIcon::Help,
         [](QPainter& p) {
             p.setPen(QPen(kBlue, 1.5));
             p.setBrush(QColor(220, 235, 255));
             p.drawEllipse(QRectF(2, 2, 20, 20));
             QFont f = p.font();
             f.setBold(true);
             f.setPixelSize(15);
             p.setFont(f);
             p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, "?");
         }},
        {TToolIcon::Exit,
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.2));
             p.setBrush(QColor(160, 110, 60));
             p.drawRect(QRectF(4, 2, 11, 20));
             Arrow(p, QPointF(12, 12), QPointF(22, 12));
         }},
        {TToolIcon::Zoom, [](QPainter& p) { Magnifier(p); }},
        {TToolIcon::MarkerSet,
         [](QPainter& p) {
             Curve(p);
             Flag(p);
         }},
        {TToolIcon::MarkerDelete,
         [](QPainter& p) {
             Curve(p);
             Flag(p);
             Cross(p, 7, 7);
         }},
        {TToolIcon::MarkerList,
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.5));
             for (int k = 0; k < 4; ++k) {
                 p.setBrush(kRed);
                 p.drawRect(QRectF(3, 4 + 5 * k, 3, 3));
                 p.drawLine(QPointF(9, 5.5 + 5 * k), QPointF(21, 5.5 + 5 * k));
             }
         }},
        {TToolIcon::Results,
         [](QPainter& p) {
             // A small peak over a table of values.
             p.setPen(QPen(kBlue, 1.6));
             p.setBrush(Qt::NoBrush);
             QPainterPath peak;
             peak.moveTo(2, 9);
             peak.lineTo(8, 9);
             peak.cubicTo(10, 9, 10, 2, 12, 2);
             peak.cubicTo(14, 2, 14, 9, 16, 9);
             peak.lineTo(22, 9);
             p.drawPath(peak);
             p.setPen(QPen(kInk, 1));
             p.setBrush(kPaper);
             p.drawRect(QRectF(2.5, 12.5, 19, 9));
             p.drawLine(QPointF(2.5, 17), QPointF(21.5, 17));
             p.drawLine(QPointF(9, 12.5), QPointF(9, 21.5));
             p.drawLine(QPointF(15, 12.5), QPointF(15, 21.5));
         }},
        {TToolIcon::Tangent1,
         [](QPainter& p) {
             Tangent(p);
             p.setPen(QPen(kInk, 1));
             p.setBrush(kRed);
             p.drawEllipse(QPointF(10.5, 9), 2, 2);
         }},
        {TToolIcon::Tangent2,
         [](QPainter& p) {
             Tangent(p);
             p.setPen(QPen(kInk, 1));
             p.setBrush(kRed);
             p.drawEllipse(QPointF(8.2, 16), 2, 2);
             p.drawEllipse(QPointF(11.8, 6), 2, 2);
         }},
        {TToolIcon::TangentDelete,
         [](QPainter& p) {
             Tangent(p);
             Cross(p, 18, 7);
         }},
        {TToolIcon::PeaksAll,
         [](QPainter& p) {
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(180, 180, 180));
             QPainterPath area = PeakCurve();
             area.closeSubpath();
             p.drawPath(area);
             Curve(p);
             p.setPen(QPen(kGreen, 1.5));
             p.drawLine(QPointF(8, 2), QPointF(8, 22));
             p.drawLine(QPointF(16, 2), QPointF(16, 22));
         }},
        {TToolIcon::PeaksRange,
         [](QPainter& p) {
             Strip(p);
             Curve(p);
         }},
        {TToolIcon::GlassTransition,
         [](QPainter& p) {
             // A step of the curve with its two base lines and the tangent through it.
             p.setPen(QPen(kBlue, 2));
             p.setBrush(Qt::NoBrush);
             QPainterPath step;
             step.moveTo(2, 17);
             step.lineTo(8, 16);
             step.cubicTo(12, 15.5, 12, 8.5, 16, 8);
             step.lineTo(22, 7);
             p.drawPath(step);
             p.setPen(QPen(kGreen, 1.2, Qt::DashLine));
             p.drawLine(QPointF(2, 17), QPointF(18, 14.3));
             p.drawLine(QPointF(6, 9.7), QPointF(22, 7));
             p.setPen(QPen(kRed, 1.6));
             p.drawLine(QPointF(9, 20), QPointF(15, 4));
         }},
        {TToolIcon::Statistics,
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1));
             p.setBrush(QColor(120, 160, 220));
             p.drawRect(QRectF(3, 12, 4, 9));
             p.drawRect(QRectF(10, 5, 4, 16));
             p.drawRect(QRectF(17, 9, 4, 12));
             p.setPen(QPen(kRed, 1.5, Qt::DashLine));
             p.drawLine(QPointF(2, 11), QPointF(22, 11));
         }},
        {TToolIcon::Undo,
         [](QPainter& p) {
             p.setPen(QPen(kBlue, 2.2, Qt::SolidLine, Qt::RoundCap));
             p.setBrush(Qt::NoBrush);
             p.drawArc(QRectF(6, 6, 14, 13), 90 * 16, -250 * 16);
             p.setBrush(kBlue);
             p.drawPolygon(QPolygonF({{3, 7}, {10, 2}, {10, 11}}));
         }},
        {TToolIcon::Redraw,
         [](QPainter& p) {
             p.setPen(QPen(kGreen, 2.2, Qt::SolidLine, Qt::RoundCap));
             p.setBrush(Qt::NoBrush);
             p.drawArc(QRectF(4, 4, 16, 16), 30 * 16, 300 * 16);
             p.setBrush(kGreen);
             p.drawPolygon(QPolygonF({{21, 3}, {21, 11}, {14, 8}}));
         }},
        {TToolIcon::Scan,
         [](QPainter& p) {
             Curve(p, kBlue, 10);
             p.setPen(Qt::NoPen);
             p.setBrush(kRed);
             p.drawEllipse(QPointF(18, 6), 4, 4);
         }},
        {TToolIcon::Subtract,
         [](QPainter& p) {
             Curve(p);
             p.setPen(QPen(kRed, 2.5, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(16, 6), QPointF(22, 6));
         }},
        {TToolIcon::Excel,
         [](QPainter& p) {
             p.setPen(QPen(kGreen, 1.2));
             p.setBrush(QColor(230, 245, 230));
             p.drawRect(QRectF(2, 3, 20, 18));
             for (int k = 1; k < 3; ++k) {
                 p.drawLine(QPointF(2, 3 + 6 * k), QPointF(22, 3 + 6 * k));
                 p.drawLine(QPointF(2 + 7 * k, 3), QPointF(2 + 7 * k, 21));
             }
         }},
        {TToolIcon::Properties,
         [](QPainter& p) {
             Page(p);
             p.setPen(QPen(kInk, 1));
             for (int k = 0; k < 4; ++k)
                 p.drawLine(QPointF(8, 9 + 3 * k), QPointF(16, 9 + 3 * k));
         }},
        {TToolIcon::OpenChannel,
         [](QPainter& p) {
             Curve(p, kBlue, 8);
             p.setPen(QPen(kGreen, 2, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(18, 2), QPointF(18, 10));
             p.drawLine(QPointF(14, 6), QPointF(22, 6));
         }},
        {TToolIcon::ChannelPanel,
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.2));
             p.setBrush(kPaper);
             p.drawRect(QRectF(2, 3, 20, 18));
             p.setBrush(QColor(200, 215, 240));
             p.drawRect(QRectF(14, 3, 8, 18));
             p.setPen(QPen(kBlue, 1.5));
             p.drawLine(QPointF(4, 15), QPointF(12, 9));
         }},
        {TToolIcon::WidenX,
         [](QPainter& p) {
             Arrow(p, QPointF(11, 12), QPointF(2, 12));
             Arrow(p, QPointF(13, 12), QPointF(22, 12));
         }},
        {TToolIcon::NarrowX,
         [](QPainter& p) {
             Arrow(p, QPointF(2, 12), QPointF(10, 12));
             Arrow(p, QPointF(22, 12), QPointF(14, 12));
         }},
        {TToolIcon::WidenY,
         [](QPainter& p) {
             Arrow(p, QPointF(12, 11), QPointF(12, 2));
             Arrow(p, QPointF(12, 13), QPointF(12, 22));
         }},
        {TToolIcon::NarrowY,
         [](QPainter& p) {
             Arrow(p, QPointF(12, 2), QPointF(12, 10));
             Arrow(p, QPointF(12, 22), QPointF(12, 14));
         }},
        {TToolIcon::StepHeating,
         [](QPainter& p) {
             p.setPen(QPen(kRed, 2.5, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(3, 20), QPointF(21, 5));
         }},
        {TToolIcon::StepSustain,
         [](QPainter& p) {
             p.setPen(QPen(kBlue, 2.5, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(3, 12), QPointF(21, 12));
         }},
        {TToolIcon::StepFree,
         [](QPainter& p) {
             p.setPen(QPen(kGreen, 2.5, Qt::DashLine, Qt::RoundCap));
             p.drawLine(QPointF(3, 6), QPointF(21, 19));
         }},
        {TToolIcon::StepNone,
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.5, Qt::DotLine));
             p.drawRect(QRectF(4, 4, 16, 16));
         }},
        {TToolIcon::Back, [](QPainter& p) { Arrow(p, QPointF(21, 12), QPointF(3, 12)); }},
        {TToolIcon::Forward, [](QPainter& p) { Arrow(p, QPointF(3, 12), QPointF(21, 12)); }},
        {TToolIcon::Home,
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.5));
             p.setBrush(kPaper);
             p.drawPolygon(QPolygonF({{12, 3}, {22, 12}, {19, 12}, {19, 21}, {5, 21}, {5, 12}, {2, 12}}));
             p.setBrush(QColor(240, 200, 90));
             p.drawRect(QRectF(10, 14, 4, 7));
         }},
    };
    return painters;
}

}  // namespace

QIcon ToolIcon(TToolIcon aIcon) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (auto it = Painters().find(aIcon); it != Painters().end()) it->second(p);
    p.end();
    return QIcon(pixmap);
}

}  // namespace kalvero::app
