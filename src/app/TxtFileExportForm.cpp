#include "app/TxtFileExportForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>

#include <filesystem>

#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/DialogSupport.h"
#include "app/Dialogs.h"
#include "app/QtText.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "common/UiHooks.h"
#include "system/SystemUtils.h"

namespace kalvero::app {
namespace {

constexpr const char* kClassName = "TTxtFileExportForm";
constexpr const char* kXlsxMimeType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
constexpr const char* kNotInstalled =
    "На вашем компьютере не установлен Microsoft Excel. Экспорт невозможен.";
constexpr int kPreviewRows = 10;

}  // namespace

TTxtFileExportForm::TTxtFileExportForm(QWidget* aParent, const TDataClass& aDataClass,
                                       const std::string& aFileName, bool aSpreadsheet)
    : QDialog(aParent), fExport(aDataClass, aFileName, aSpreadsheet) {
    setWindowTitle(Q(fExport.Caption()));
    auto* layout = new QGridLayout(this);

    auto* range = new QGroupBox("Данные для экспорта", this);
    QButtonGroup* ranges = AddRadioGroup(range, {"Вся кривая", "Выделенная область"}, true);
    fWhole = ranges->button(0), fSelected = ranges->button(1);
    layout->addWidget(range, 0, 0, 1, 2);

    auto* options = new QWidget(this);
    auto* grid = new QGridLayout(options);
    grid->setContentsMargins(0, 0, 0, 0);
    fDecimation = new QCheckBox("Прореживание", options);
    fStep = new QLineEdit(options);
    fStep->setMaximumWidth(80);
    grid->addWidget(fDecimation, 0, 0);
    AddLabelled(grid, 0, "Шаг", fStep, 1);
    fCount = new QLabel(options);
    AddLabelled(grid, 1, "Всего точек", fCount);
    fColumnSeparator = new QComboBox(options);
    fColumnSeparator->setEditable(true);
    FillList(fColumnSeparator, {"TAB", ",", "."});
    QLabel* columnLabel = AddLabelled(grid, 2, "Разделитель столбцов", fColumnSeparator);
    fDecimalSeparator = new QComboBox(options);
    FillList(fDecimalSeparator, {",", "."});
    AddLabelled(grid, 3, "Десятичный разделитель", fDecimalSeparator);
    fDecimals = new QComboBox(options);
    std::vector<std::string> decimals = {"Все"};
    for (int n = 0; n <= 10; ++n)
        decimals.push_back(std::to_string(n));
    FillList(fDecimals, decimals);
    AddLabelled(grid, 4, "Знаков после запятой", fDecimals);
    fHeader = new QCheckBox("Включить названия столбцов в заголовок", options);
    grid->addWidget(fHeader, 5, 0, 1, 3);
    layout->addWidget(options, 1, 0, 1, 2);

    fPreviewBox = new QGroupBox(" Пример результата ", this);
    auto* previewLayout = new QHBoxLayout(fPreviewBox);
    fPreview = new QPlainTextEdit(fPreviewBox);
    fPreview->setReadOnly(true);
    fPreview->setLineWrapMode(QPlainTextEdit::NoWrap);
    fPreview->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    fPreview->setMinimumSize(420, 180);
    fPreview->setAccessibleName("Пример результата");
    previewLayout->addWidget(fPreview);
    layout->addWidget(fPreviewBox, 2, 0, 1, 2);
    fHint = new QLabel(this);
    fHint->setStyleSheet("color: #b00000");
    fHint->setWordWrap(true);
    fHint->setAccessibleName("Замечание");
    layout->addWidget(fHint, 3, 0, 1, 2);

    auto* buttons = new QDialogButtonBox(this);
    if (aSpreadsheet) {
        AddButton(buttons, "Переслать в Excel", [this] { SendToSpreadsheet(); })->setDefault(true);
        columnLabel->setVisible(false);
        fColumnSeparator->setVisible(false);
        fPreviewBox->setVisible(false);
    } else {
        AddButton(buttons, "Сохранить", [this] { SaveToFile(); })->setDefault(true);
    }
    AddButton(buttons, "Отмена", [this] { reject(); });
    layout->addWidget(buttons, 4, 0, 1, 2);

    // The controls start with the options' defaults.
    fFilling = true;
    const RTxtExportOptions& o = fExport.options;
    (o.selectedArea ? fSelected : fWhole)->setChecked(true);
    fDecimation->setChecked(o.decimation);
    fStep->setText(Q(o.step));
    fColumnSeparator->setEditText(Q(o.columnSeparator));
    fDecimalSeparator->setCurrentIndex(fDecimalSeparator->findText(Q(o.decimalSeparator)));
    fDecimals->setCurrentIndex(o.decimals < 0 ? 0 : o.decimals + 1);
    fHeader->setChecked(o.includeHeader);
    fFilling = false;

    auto changed = [this] {
        if (!fFilling) Rebuild();
    };
    connect(fSelected, &QAbstractButton::toggled, this, changed);
    for (QCheckBox* b : {fDecimation, fHeader})
        connect(b, &QCheckBox::toggled, this, changed);
    connect(fStep, &QLineEdit::textChanged, this, changed);
    connect(fColumnSeparator, &QComboBox::editTextChanged, this, changed);
    for (QComboBox* list : {fDecimalSeparator, fDecimals})
        connect(list, &QComboBox::currentIndexChanged, this, changed);
    Rebuild();
    NameForAccessibility(this);
}

void TTxtFileExportForm::ReadOptions() {
    RTxtExportOptions& o = fExport.options;
    o.selectedArea = fSelected->isChecked();
    o.decimation = fDecimation->isChecked();
    o.step = TextOf(fStep);
    o.columnSeparator = TextOf(fColumnSeparator);
    o.decimalSeparator = TextOf(fDecimalSeparator);
    o.decimals = fDecimals->currentIndex() - 1;
    o.includeHeader = fHeader->isChecked();
}

void TTxtFileExportForm::Rebuild() {
    ReadOptions();
    fStep->setEnabled(fDecimation->isChecked());
    QString hint;
    try {
        fExport.BuildTable(kPreviewRows);
        if (!fExport.fShowExcelExport) fExport.CheckSeparators();
    } catch (const std::exception& e) {
        hint = Q(e.what());
    }
    // A step "0" is taken as 1, and the field says so.
    if (Q(fExport.options.step) != fStep->text()) {
        fFilling = true;
        fStep->setText(Q(fExport.options.step));
        fFilling = false;
    }
    fCount->setText(QString::number(fExport.PointCount()));
    QStringList lines;
    for (const std::string& line : fExport.Preview())
        lines << Q(line);
    fPreview->setPlainText(lines.join('\n'));
    fHint->setText(hint);
}

bool TTxtFileExportForm::SaveToFile() {
    try {
        ReadOptions();
        fExport.CheckSeparators();
        TBusyScope busy;
        fExport.BuildTable();
        fExport.SaveToFile();
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
        Rebuild();  // back to the preview: the whole table is not kept
        return false;
    }
    accept();
    return true;
}

std::string TTxtFileExportForm::SpreadsheetFolder() {
    return S(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)) + "/Kalvero/export/";
}

bool TTxtFileExportForm::SendToSpreadsheet() {
    if (!SystemUtils::CanShellOpen(kXlsxMimeType)) {
        MsgBox(kNotInstalled);
        return false;
    }
    try {
        ReadOptions();
        fExport.BuildTable();
        const std::string folder = SpreadsheetFolder();
        std::filesystem::create_directories(folder);
        fWorkbook = TTxtFileExport::SpreadsheetFileName(folder, fExport.fDataClass->fFileName);
        fExport.ExportToXlsx(fWorkbook);  // with the progress window
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
        Rebuild();
        return false;
    }
    if (!SystemUtils::ShellOpen(fWorkbook)) {
        MsgBox(kNotInstalled);
        return false;
    }
    accept();
    return true;
}

void ShowTextExport(TfrmDataWindow& aWindow, const std::string& aFileName, bool aSpreadsheet) {
    if (!gConfig || !aWindow.Experiment()) return;
    OpenModal(new TTxtFileExportForm(&aWindow, aWindow.DataClass(), aFileName, aSpreadsheet));
}

}  // namespace kalvero::app
