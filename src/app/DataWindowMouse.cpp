// The mouse on the plot: the gestures of the tools (a click on a vertical line, a dragged
// rectangle, a dragged strip), the draggable objects under the mouse and their drop, the plot menu
// and the coordinates in the status bar.

#include <QLabel>
#include <QMenu>

#include "app/DataWindow.h"
#include "app/MarkerList.h"
#include "app/PlotView.h"
#include "app/QtText.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "data/CurveTexts.h"
#include "graphics/DataCanvas.h"
#include "processing/Peak.h"

namespace kalvero::app {
namespace {

Qt::CursorShape CursorOf(TDragCursor aCursor) {
    switch (aCursor) {
        case TDragCursor::dcUpDown:
            return Qt::SizeVerCursor;
        case TDragCursor::dcLeftRight:
            return Qt::SizeHorCursor;
        case TDragCursor::dcFourWay:
            return Qt::SizeAllCursor;
        case TDragCursor::dcNone:
            break;
    }
    return Qt::ArrowCursor;
}

TRubberBand Band(TRubberBand::TKind aKind, QPoint aFrom, QPoint aTo, QRect aClip) {
    TRubberBand band;
    band.kind = aKind, band.from = aFrom, band.to = aTo, band.clip = aClip;
    return band;
}

}  // namespace

QRect TfrmDataWindow::GraphRect() const {
    const TDataCanvas& c = *fDataCanvas;
    return QRect(c.GetMarginLeft() + c.GetPaddingLeft(), c.GetMarginTop() + c.GetPaddingTop(),
                 c.GetGraphicWidth(), c.GetGraphicHeight());
}

bool TfrmDataWindow::PeakUnderItem(int aItem, int& aPeak) const {
    for (int k = 0; k < fDataClass->peaks.GetItemCount(); ++k) {
        const auto* peak = dynamic_cast<const TPeak*>(fDataClass->peaks.GetItemByIndex(k).value);
        // A click exactly on a margin selects no peak.
        if (peak && peak->begX < aItem && peak->endX > aItem) {
            aPeak = k;
            return true;
        }
    }
    return false;
}

void TfrmDataWindow::MouseDown(Qt::MouseButton aButton, QPoint aPos) {
    if (fDisableAllEvents || !fDataClass) return;
    if (aButton == Qt::RightButton) {
        RightClick(aPos);
        return;
    }
    if (aButton != Qt::LeftButton) return;
    fLeftDown = true;
    currentX = oldX = aPos.x();
    currentY = oldY = aPos.y();
    switch (fModifyMode) {
        case MM_BOX_SELECT:
            fPlot->SetRubberBand(Band(TRubberBand::rbBox, aPos, aPos, GraphRect()));
            break;
        case MM_LINE_SELECT:
            LineClicked(aPos);
            break;
        case MM_VERTAREA_SELECT:
            fPlot->SetRubberBand(Band(TRubberBand::rbStrip, aPos, aPos, GraphRect()));
            break;
        default:
            break;  // a dragged object follows the mouse from here on
    }
}

void TfrmDataWindow::MouseMove(Qt::MouseButtons aButtons, QPoint aPos) {
    if (fDisableAllEvents || !fDataClass) return;
    ShowCursorInfo(aPos);
    if (!(aButtons & Qt::LeftButton) || !fLeftDown) {
        if (fWorkMode == WM_NONE || fWorkMode == WM_ZOOM || fWorkMode == WM_MODIFY)
            FindObjectUnderMouse(aPos);
        if (fModifyMode == MM_LINE_SELECT)
            fPlot->SetRubberBand(Band(TRubberBand::rbVertLine, aPos, aPos, GraphRect()));
        int peak = 0;
        const bool inside = PeakUnderItem(PixelToItem(*fDataClass, *fDataCanvas, aPos.x()), peak);
        if (inside != fMouseInsidePeak) UpdatePluginMenu(inside);
        return;
    }
    oldX = aPos.x();
    oldY = aPos.y();
    const QPoint start(currentX, currentY);
    switch (fModifyMode) {
        case MM_BOX_SELECT:
            fPlot->SetRubberBand(Band(TRubberBand::rbBox, start, aPos, GraphRect()));
            break;
        case MM_VERTAREA_SELECT:
            fPlot->SetRubberBand(Band(TRubberBand::rbStrip, start, aPos, GraphRect()));
            break;
        case MM_LINE_SELECT:
        case MM_MODIFY_VERT:
            fPlot->SetRubberBand(Band(TRubberBand::rbVertLine, start, aPos, GraphRect()));
            break;
        case MM_MODIFY_HORZ:
            fPlot->SetRubberBand(Band(TRubberBand::rbHorzLine, start, aPos, GraphRect()));
            break;
        case MM_MODIFY_POINT:
        case MM_MODIFY_MOVE:
            fPlot->SetRubberBand(Band(TRubberBand::rbCross, start, aPos, GraphRect()));
            break;
        case MM_NONE:
            break;
    }
}

void TfrmDataWindow::MouseUp(Qt::MouseButton aButton, QPoint aPos) {
    if (fDisableAllEvents || !fDataClass || aButton != Qt::LeftButton || !fLeftDown) return;
    fLeftDown = false;
    if (fWorkMode == WM_MODIFY) {
        DropObject(aPos);
        return;
    }
    switch (fModifyMode) {
        case MM_BOX_SELECT:
            fPlot->SetRubberBand({});
            if (fWorkMode == WM_ZOOM) BoxSelected(aPos);
            break;
        case MM_VERTAREA_SELECT:
            fPlot->SetRubberBand({});
            StripSelected(aPos);
            break;
        default:
            break;
    }
}

void TfrmDataWindow::FindObjectUnderMouse(QPoint aPos) {
    if (const auto hit = FindScreenObject(fDataClass->coords, fDataClass->mode, aPos.x(), aPos.y())) {
        currentEditCoord = hit->coord;
        fPlot->setCursor(CursorOf(hit->cursor));
        fWorkMode = WM_MODIFY;
        fModifyMode = hit->modifyMode;
        return;
    }
    if (fWorkMode == WM_MODIFY) {
        fWorkMode = fOldWorkMode;
        fModifyMode = fOldModifyMode;
    }
    fPlot->setCursor(fWorkMode == WM_NONE ? Qt::ArrowCursor : Qt::CrossCursor);
}

void TfrmDataWindow::ShowCursorInfo(QPoint aPos) {
    if (!GraphRect().contains(aPos) || fDataClass->GetItemCount() == 0) {
        fStatusCoords->clear();
        return;
    }
    const bool byTemp = fDataClass->mode == vm_view_dT_by_temp;
    const double item = PixelToItemReal(*fDataClass, *fDataCanvas, aPos.x(), byTemp);
    const double xValue = PixelToItemReal(*fDataClass, *fDataCanvas, aPos.x(), false);
    const int index = fDataClass->ClipItemIndex(static_cast<int>(item + 0.5));
    std::string text = "Точка " + std::to_string(index);
    const std::string info = GetCurveStrInfo(*fDataClass, item, xValue);
    if (!info.empty()) text += ",  " + info;
    fStatusCoords->setText(Q(text));
}

void TfrmDataWindow::RightClick(QPoint aPos) {
    ResetTools();
    fPlot->SetRubberBand({});
    fEditPeakNumber = 0;
    fDeletePeakItem->setEnabled(false);
    for (QAction* item : fPeakItems)
        item->setEnabled(false);
    UpdatePluginMenu(false);
    int peak = 0;
    if (PeakUnderItem(PixelToItem(*fDataClass, *fDataCanvas, aPos.x()), peak)) {
        fEditPeakNumber = peak + 1;
        const bool editable = fPlotMenuEnabled && fDataClass->mode != vm_view_T_by_time;
        fDeletePeakItem->setEnabled(editable);
        for (QAction* item : fPeakItems)
            item->setEnabled(editable);
        if (const TPeak* p = EditedPeak()) fBaseLineItems.at(p->baseLineKind)->setChecked(true);
        UpdatePluginMenu(true);
    }
    fPlotMenu->popup(fPlot->mapToGlobal(aPos));
}

void TfrmDataWindow::LineClicked(QPoint aPos) {
    const int item = PixelToItem(*fDataClass, *fDataCanvas, aPos.x());
    if (fWorkMode == WM_DEFINE_INFOPOINT) {
        Edit("Маркер", [&] { fDataClass->AddBubble(item); });
        if (fMarkerList) fMarkerList->Refresh(*fDataClass);
    } else if (fWorkMode == WM_DEFINE_TANGENT) {
        Edit("Касательная", [&] { fDataClass->AddTangent(item); });
    }
    Redraw();
    Changed();
}

void TfrmDataWindow::BoxSelected(QPoint aPos) {
    if (ZoomToBox(*fDataClass, *fDataCanvas, currentX, currentY, aPos.x(), aPos.y())) {
        Redraw();
        UpdateScrollBars();
    }
}

void TfrmDataWindow::StripSelected(QPoint aPos) {
    // In dT over T the strip's items come from the second x window (all items).
    const bool second = fDataClass->mode == vm_view_dT_by_temp;
    int a = PixelToItem(*fDataClass, *fDataCanvas, currentX, second);
    int b = PixelToItem(*fDataClass, *fDataCanvas, aPos.x(), second);
    if (a > b) std::swap(a, b);
    currentX1 = a;
    currentX2 = b;
    try {
        Edit(StripStepName(fWorkMode), [this] { RunStripCommand(); });
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TfrmDataWindow", e.what());
    }
    Redraw();
    Changed();
}

void TfrmDataWindow::DropObject(QPoint aPos) {
    fPlot->SetRubberBand({});
    const int item = PixelToItem(*fDataClass, *fDataCanvas, aPos.x());
    try {
        Edit(DropStepName(currentEditCoord.objType),
             [&] { DropScreenObject(*fDataClass, *fDataCanvas, currentEditCoord, item, aPos.y()); });
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TfrmDataWindow", e.what());
    }
    Redraw();
    UpdateScrollBars();
    ResetTools();
    Changed();
}

void TfrmDataWindow::ChooseTool(QAction* aAction, TWorkMode aWork, TModifyMode aGesture, bool aChecked) {
    if (!fDataClass) return;
    if (!aChecked) {
        if (aWork == WM_CALC_INFO && fDataClass->fShowStatistics) {
            fDataClass->fShowStatistics = false;
            Redraw();
        }
        ResetTools();
        return;
    }
    for (QAction* tool : fTools) {
        if (tool == aAction) continue;
        const QSignalBlocker block(tool);
        tool->setChecked(false);
    }
    fWorkMode = fOldWorkMode = aWork;
    fModifyMode = fOldModifyMode = aGesture;
    fPlot->setCursor(Qt::CrossCursor);
    const char* how = aGesture == MM_BOX_SELECT    ? ": выделите прямоугольник"
                      : aGesture == MM_LINE_SELECT ? ": щёлкните по точке кривой"
                                                   : ": выделите участок кривой";
    fStatusState->setText(StripAccel(aAction->text()) + how);
    if (aWork == WM_CALC_INFO) {
        fDataClass->fShowStatistics = true;
        Redraw();
    }
}

void TfrmDataWindow::ResetTools() {
    fWorkMode = fOldWorkMode = WM_NONE;
    fModifyMode = fOldModifyMode = MM_NONE;
    oldX = oldY = 0;
    fLeftDown = false;
    // The statistics stay on the plot until their button is released by hand.
    for (QAction* tool : fTools) {
        const QSignalBlocker block(tool);
        tool->setChecked(false);
    }
    if (fPlot) fPlot->unsetCursor();
    if (fStatusState && !IsAcquiring()) fStatusState->clear();
}

}  // namespace kalvero::app
