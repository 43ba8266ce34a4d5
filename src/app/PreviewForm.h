#pragma once
// TPreviewForm: the plot of one experiment as a printed page, over the toolkit's print preview,
// with the zoom, the four margins in millimetres and the orientation, and printing through the
// system's printers. The page is drawn by the experiment through its own drawing surface, laid out
// with the surface's printing multipliers; the surface is on the page only while a page is drawn
// and back on the screen at once, on every path.

#include <QDialog>

#include <array>
#include <memory>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QPrinter;
class QPrintPreviewWidget;

namespace kalvero {
class TDataClass;
}

namespace kalvero::app {

class TPreviewForm : public QDialog {
public:
    explicit TPreviewForm(QWidget* aParent);
    ~TPreviewForm() override;

    // The experiment to show (not owned); null leaves the page empty.
    void SetDataClass(TDataClass* aDataClass);
    // Draws the page again, once the window has been shown.
    void RedrawPage();
    // " Печать": the printer dialog, then the page on the chosen printer. False when cancelled or
    // when printing failed (the error shown and logged).
    bool Print();

    QPrinter& Printer() { return *fPrinter; }
    QPrintPreviewWidget& Preview() { return *fPreview; }
    // Pages drawn with the experiment so far (previews and prints).
    int PageDrawCount() const { return fPageDraws; }

protected:
    void showEvent(QShowEvent* aEvent) override;

private:
    void DrawPage(QPrinter* aPrinter);
    void MarginEdited(int aSide, bool aFinished);
    int ConfiguredMargin(int aSide) const;

    std::unique_ptr<QPrinter> fPrinter;
    QPrintPreviewWidget* fPreview = nullptr;
    TDataClass* dataClass = nullptr;
    bool canDrawing = false;  // false until shown: the set-up draws nothing
    bool fPrinting = false;   // a print asks for the page, shown or not
    int fPageDraws = 0;
    QComboBox* fZoom = nullptr;
    std::array<QLineEdit*, 4> fMargins{};  // top, bottom, left, right
    QAbstractButton* fLandscape = nullptr;
};

}  // namespace kalvero::app
