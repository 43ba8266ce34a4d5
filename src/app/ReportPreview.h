#pragma once
// "Отчёт": the report of an experiment as its printed pages, with the commands to save it as PDF
// and to print it. The pages are drawn by the library (graphics/Report.h); the window only shows
// them.

#include <QDialog>

#include <vector>

#include "graphics/Report.h"

class QPrintPreviewWidget;
class QPushButton;

namespace kalvero::app {

class TReportPreview : public QDialog {
public:
    TReportPreview(QWidget* aParent, std::vector<TReportItem> aItems);
    int PageCount() const;
    // Writes the PDF the "Сохранить PDF..." command writes; errors propagate.
    void SavePdf(const std::string& aFileName) const;

private:
    std::vector<TReportItem> fItems;
    QPrintPreviewWidget* fPreview;
};

}  // namespace kalvero::app
