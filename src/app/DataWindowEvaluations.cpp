// The standards' evaluations in the data window: the kind of a peak's base line and its
// conversion from the plot menu, and what follows when an evaluation is kept, removed or moved.
// The library computes; the window chooses the peak and shows the result.

#include "app/DataWindow.h"
#include "app/ResultsList.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "evaluation/ConversionChannels.h"
#include "evaluation/EvaluationTypes.h"

namespace kalvero::app {

TPeak* TfrmDataWindow::PeakAt(int aIndex) const {
    if (!fDataClass || aIndex < 0 || aIndex >= fDataClass->peaks.GetItemCount()) return nullptr;
    return dynamic_cast<TPeak*>(fDataClass->peaks.GetItemByIndex(aIndex).value);
}

void TfrmDataWindow::SetPeakBaseLine(TPeakBaseLineKind aKind) {
    TPeak* p = EditedPeak();
    if (!p) return;
    Edit("Вид базовой линии", [&] { p->SetBaseLineKind(aKind); });
    // A kind that cannot be computed here leaves the straight line: the operator reads why.
    if (aKind != pbkStraight && !p->HasComputedBaseLine() && !p->BaseLineWarnings().empty())
        ErrBox(gLogger, "TfrmDataWindow", p->BaseLineWarnings().front());
    EvaluationsChanged();
}

void TfrmDataWindow::AddConversionChannels() {
    const TPeak* p = EditedPeak();
    if (!p || RefuseWhileAcquiring()) return;
    try {
        Edit("Степень превращения",
             [&] { evaluation::AddConversionChannels(*fDataClass, *p, fEditPeakNumber); });
    } catch (const evaluation::EEvaluationError& e) {
        ErrBox(gLogger, "TfrmDataWindow", e.what());
        return;
    }
    fDataClass->ResetMargins(false);
    UpdateChannels();
    Redraw();
    Changed();
}

void TfrmDataWindow::EvaluationsChanged() {
    if (!fDataClass) return;
    Redraw();
    Changed();
}

}  // namespace kalvero::app
