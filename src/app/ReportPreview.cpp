#include "app/ReportPreview.h"

#include <QHBoxLayout>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Prompts.h"
#include "app/QtText.h"
#include "common/Config.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "graphics/PreviewFunc.h"

namespace kalvero::app {

TReportPreview::TReportPreview(QWidget* aParent, std::vector<TReportItem> aItems)
    : QDialog(aParent), fItems(std::move(aItems)) {
    setWindowTitle("Отчёт");
    setAccessibleName("Отчёт");
    auto* printer = new QPrinter(QPrinter::HighResolution);
    printer->setPageLayout(PrintPageLayout(*gConfig, QPageLayout::Portrait));
    fPreview = new QPrintPreviewWidget(printer, this);
    fPreview->setAccessibleName("Страницы отчёта");
    connect(fPreview, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter* aPrinter) { DrawReport(*aPrinter, fItems); });
    // The preview keeps the printer to its end: freed after the preview, with the window.
    connect(this, &QObject::destroyed, [printer] { delete printer; });

    auto* save = new QPushButton("Сохранить PDF...", this);
    auto* print = new QPushButton("Печать...", this);
    auto* close = new QPushButton("Закрыть", this);
    for (QPushButton* b : {save, print, close})
        b->setAccessibleName(b->text());
    connect(save, &QPushButton::clicked, this, [this] {
        const auto chosen = AskSaveFile(this, gConfig->appUserDataPath, "report.pdf", "PDF (*.pdf)|*.pdf", 1,
                                        "Сохранить отчёт");
        if (!chosen) return;
        try {
            SavePdf(chosen->fileName);
        } catch (const std::exception& e) {
            ErrBox(gLogger, "TReportPreview", e.what());
        }
    });
    connect(print, &QPushButton::clicked, this, [this, printer] {
        if (AskPrinter(this, *printer)) DrawReport(*printer, fItems);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(print);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fPreview, 1);
    layout->addLayout(buttons);
    resize(760, 900);
    fPreview->setViewMode(QPrintPreviewWidget::SinglePageView);
    fPreview->fitToWidth();
}

int TReportPreview::PageCount() const {
    return fPreview->pageCount();
}

void TReportPreview::SavePdf(const std::string& aFileName) const {
    WriteReportPdf(aFileName, *gConfig, fItems);
}

}  // namespace kalvero::app
