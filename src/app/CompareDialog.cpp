#include "app/CompareDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/DialogSupport.h"
#include "app/ExperimentWindows.h"
#include "app/MainWindow.h"
#include "app/QtText.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "common/Procs.h"
#include "data/DataClass.h"
#include "processing/RunComparison.h"

namespace kalvero::app {

TCompareDialog::TCompareDialog(TKalveroForm& aMain)
    : QDialog(&aMain),
      fMain(aMain),
      fSources(aMain),
      fRuns(new QListWidget(this)),
      fAxis(new QComboBox(this)),
      fPerMass(new QCheckBox("Нормировать на массу", this)),
      fOffset(new QLineEdit("0", this)) {
    setWindowTitle("Сравнение опытов");
    resize(520, 460);
    fRuns->setAccessibleName("Опыты");
    fAxis->addItems({"температура", "время"});
    auto* grid = new QGridLayout;
    AddLabelled(grid, 0, "Ось X:", fAxis);
    grid->addWidget(fPerMass, 1, 0, 1, 2);
    AddLabelled(grid, 2, "Смещение кривых:", fOffset);
    auto* buttons = new QDialogButtonBox(this);
    AddButton(buttons, "Добавить файл...", [this] {
        const int source = fSources.AskFile(this);
        if (source >= 0) AddRun(source);
    });
    AddButton(buttons, "Сравнить", [this] {
        if (Compare()) accept();
    })->setDefault(true);
    AddButton(buttons, "Отмена", [this] { reject(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Опыты (отметьте сравниваемые):", this));
    layout->addWidget(fRuns, 1);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    for (int k = 0; k < fSources.Count(); ++k)
        AddRun(k);
    NameForAccessibility(this);
}

TCompareDialog::~TCompareDialog() = default;

void TCompareDialog::AddRun(int aSource) {
    auto* item = new QListWidgetItem(Q(fSources.Name(aSource)), fRuns);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    item->setData(Qt::UserRole, aSource);
}

void TCompareDialog::AddFile(const std::string& aFileName) {
    AddRun(fSources.AddFile(aFileName));
}

bool TCompareDialog::Compare() {
    std::vector<TComparedRun> runs;
    for (int k = 0; k < fRuns->count(); ++k) {
        const QListWidgetItem* item = fRuns->item(k);
        if (item->checkState() != Qt::Checked) continue;
        const int source = item->data(Qt::UserRole).toInt();
        if (const TDataClass* d = fSources.Data(source)) runs.push_back({d, fSources.Name(source)});
    }
    if (runs.empty()) {
        MsgBox("Отметьте опыты для сравнения");
        return false;
    }
    TComparisonOptions options;
    options.perMass = fPerMass->isChecked();
    try {
        options.offset = TextOf(fOffset).empty() ? 0.0 : StrToRealEx(TextOf(fOffset));
    } catch (const std::invalid_argument&) {
        MsgBox("Смещение кривых должно быть числом");
        return false;
    }
    const TCurveMode mode = fAxis->currentIndex() == 0 ? vm_view_dT_by_temp : vm_view_dT_by_time;
    const std::string name =
        (gConfig ? gConfig->appUserDataPath : "") + "Сравнение." + (gConfig ? gConfig->workFileExt : "dsc");
    try {
        std::vector<std::string> warnings;
        fResultWindow = OpenExperimentWindow(fMain, name, mode, [&](TDataClass& d) {
            BuildComparison(runs, options, d, warnings);
            d.SetLoadWarnings(warnings);
        });
        std::string text;
        for (const std::string& w : warnings)
            text += (text.empty() ? "" : "\n") + w;
        if (!text.empty()) MsgBox(text);
        return fResultWindow != nullptr;
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TCompareDialog", e.what());
        return false;
    }
}

TCompareDialog* ShowCompareDialog(TKalveroForm& aMain) {
    auto* dialog = new TCompareDialog(aMain);
    OpenModal(dialog);
    return dialog;
}

}  // namespace kalvero::app
