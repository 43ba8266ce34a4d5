#include "app/ScanProgramPanel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <filesystem>

#include "acquisition/RunControl.h"
#include "app/Commands.h"
#include "app/Prompts.h"
#include "app/QtText.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"

namespace kalvero::app {
namespace {

constexpr const char* kClassName = "TfrmScanControlForm";

const char* TypeCaption(TScanProgramStepType aType) {
    switch (aType) {
        case spstHeating:
            return "Нагрев";
        case spstSustain:
            return "Удержание";
        case spstFree:
            return "Свободный ход";
        case spstNone:
            break;
    }
    return "Нет";
}

TToolIcon TypeIcon(TScanProgramStepType aType) {
    switch (aType) {
        case spstHeating:
            return TToolIcon::StepHeating;
        case spstSustain:
            return TToolIcon::StepSustain;
        case spstFree:
            return TToolIcon::StepFree;
        case spstNone:
            break;
    }
    return TToolIcon::StepNone;
}

std::string ProgramFolder() {
    std::error_code ec;
    return gConfig && std::filesystem::is_directory(gConfig->appUserDataPath, ec) ? gConfig->appUserDataPath
                                                                                  : "";
}

}  // namespace

TScanProgramPanel::TScanProgramPanel(TScanRunControl& aControl, QWidget* aParent)
    : QGroupBox("Программа управления", aParent), fControl(aControl), fProgram(aControl.Program()) {
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* aCaption, void (TScanProgramPanel::*aRun)()) {
        auto* b = new QPushButton(aCaption, this);
        connect(b, &QPushButton::clicked, this, [this, aRun] { (this->*aRun)(); });
        buttons->addWidget(b);
        fFileButtons.push_back(b);
        return b;
    };
    button("Загрузить", &TScanProgramPanel::Load);
    fSave = button("Сохранить", &TScanProgramPanel::Save);
    button("Сохр. как", &TScanProgramPanel::SaveAs);
    button("Очистить", &TScanProgramPanel::ClearProgram);
    button("Добавить шаг", &TScanProgramPanel::AddStep);
    layout->addLayout(buttons);
    fFileName = new QLabel(this);
    fFileName->setAccessibleName("Файл программы");
    layout->addWidget(fFileName);
    fScroll = new QScrollArea(this);
    fScroll->setWidgetResizable(true);
    fRowsHost = new QWidget(fScroll);
    fRowsLayout = new QVBoxLayout(fRowsHost);
    fRowsLayout->setContentsMargins(2, 2, 2, 2);
    fRowsLayout->setSpacing(2);
    fScroll->setWidget(fRowsHost);
    fScroll->setMinimumHeight(5 * STEP_ROW_HEIGHT);
    layout->addWidget(fScroll, 1);
    Rebuild();
    ShowFileName();
}

void TScanProgramPanel::Rebuild() {
    const int scroll = fScroll->verticalScrollBar()->value();
    // A row may be the sender of the change that rebuilds: it goes once its signal is done.
    for (TRow& row : fRows) {
        row.widget->hide();
        row.widget->deleteLater();
    }
    fRows.clear();
    while (QLayoutItem* item = fRowsLayout->takeAt(0))
        delete item;
    for (int n = 1; n <= fProgram.GetItemCount(); ++n)
        AddRow(n);
    fRowsLayout->addStretch(1);
    SetEditable(fEditable);
    NameForAccessibility(this);
    fScroll->verticalScrollBar()->setValue(scroll);
}

void TScanProgramPanel::AddRow(int aStepNo) {
    const RScanProgramStep step = fProgram.GetStep(aStepNo);
    auto* row = new QWidget(fRowsHost);
    row->setFixedHeight(STEP_ROW_HEIGHT - 2);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    const std::string number = std::to_string(aStepNo);
    auto* label = new QLabel(Q(number + "."), row);
    label->setMinimumWidth(48);
    auto* type = new QToolButton(row);
    type->setIcon(ToolIcon(TypeIcon(step.stepType)));
    type->setToolTip(Q("Тип шага " + number + ": " + TypeCaption(step.stepType)));
    type->setPopupMode(QToolButton::InstantPopup);
    auto* param = new QLineEdit(Q(std::to_string(step.stepParam)), row);
    param->setAccessibleName(Q("Параметр шага " + number));
    param->setEnabled(step.stepType != spstNone);
    param->setMaximumWidth(80);
    auto* before = new QLabel("до", row);
    before->setVisible(step.stepType == spstHeating);
    auto* unit = new QLabel(Q(step.stepType == spstHeating ? gConfig->tempChannelUnitsName : "мин."), row);
    auto* record = new QCheckBox("Вести запись", row);
    record->setChecked(step.storeScannedData);
    auto* remove = new QToolButton(row);
    remove->setIcon(ToolIcon(TToolIcon::TangentDelete));
    remove->setToolTip("Удалить шаг");

    auto* menu = new QMenu(type);
    for (TScanProgramStepType t : {spstHeating, spstSustain, spstFree}) {
        menu->addAction(MakeAction(menu, TypeCaption(t), "", [this, aStepNo, t, param, record] {
            const bool differs = fProgram.GetStep(aStepNo).stepType != t;
            ChangeStep(aStepNo, t, S(param->text()), record->isChecked(), differs);
        }));
    }
    type->setMenu(menu);
    connect(param, &QLineEdit::editingFinished, this, [this, aStepNo, param, record] {
        ChangeStep(aStepNo, fProgram.GetStep(aStepNo).stepType, S(param->text()), record->isChecked(), false);
    });
    connect(record, &QCheckBox::clicked, this, [this, aStepNo, param](bool checked) {
        ChangeStep(aStepNo, fProgram.GetStep(aStepNo).stepType, S(param->text()), checked, false);
    });
    connect(remove, &QToolButton::clicked, this, [this, aStepNo] { DeleteStep(aStepNo); });
    for (QWidget* w : std::initializer_list<QWidget*>{label, type, param, before, unit, record})
        h->addWidget(w);
    h->addStretch(1);
    h->addWidget(remove);
    fRowsLayout->addWidget(row);
    fRows.push_back({row, label, aStepNo});
}

bool TScanProgramPanel::Edit(const std::function<void()>& aChange) {
    try {
        aChange();
        return true;
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
        return false;
    }
}

void TScanProgramPanel::ChangeStep(int aStepNo, int aType, const std::string& aParam, bool aRecord,
                                   bool aReset) {
    int32_t value = fProgram.GetStep(aStepNo).stepParam;
    try {
        value = std::stoi(aParam);
    } catch (const std::exception&) {
        if (!aReset) {
            Rebuild();  // a parameter that is not a number is not taken
            return;
        }
    }
    Edit([&] {
        fProgram.UpdateStep(aStepNo, static_cast<TScanProgramStepType>(aType), value, aRecord, aReset);
    });
    Rebuild();
}

void TScanProgramPanel::DeleteStep(int aStepNo) {
    Edit([&] { fProgram.DeleteStep(aStepNo); });
    Rebuild();
}

void TScanProgramPanel::SetEditable(bool aEditable) {
    fEditable = aEditable;
    for (QPushButton* b : fFileButtons)
        b->setEnabled(aEditable);
    for (TRow& row : fRows)
        row.widget->setEnabled(aEditable);
}

void TScanProgramPanel::SetSaveEnabled(bool aEnabled) {
    fSave->setEnabled(aEnabled && fEditable);
}

void TScanProgramPanel::MarkStep(int aCurrentStep, bool aPaused, bool aOddSecond) {
    for (TRow& row : fRows) {
        std::string text = std::to_string(row.stepNo) + ".";
        if (row.stepNo == aCurrentStep)
            text = (aPaused ? (aOddSecond ? "|| " : "|   ") : (aOddSecond ? ">>" : ">   ")) + text;
        row.number->setText(Q(text));
    }
    if (aCurrentStep > 5 && aCurrentStep <= static_cast<int>(fRows.size())) {
        fScroll->ensureWidgetVisible(fRows[static_cast<size_t>(aCurrentStep - 1)].widget, 0, 0);
    } else {
        fScroll->verticalScrollBar()->setValue(0);
    }
}

QString TScanProgramPanel::StepLabel(int aRow) const {
    return aRow >= 0 && aRow < RowCount() ? fRows[static_cast<size_t>(aRow)].number->text() : QString();
}

void TScanProgramPanel::ShowFileName() {
    const std::string& name = fProgram.GetFileName();
    fFileName->setText(Q(name.empty() ? "Файл программы не задан" : name));
}

void TScanProgramPanel::Load() {
    const auto chosen = AskOpenFile(this, ProgramFolder(), PROGRAM_FILE_FILTER);
    if (!chosen) return;
    Edit([&] { fControl.LoadProgram(chosen->fileName); });
    Rebuild();
    ShowFileName();
}

void TScanProgramPanel::Save() {
    if (!Edit([&] { fProgram.Validate(); })) return;
    if (fProgram.GetFileName().empty()) {
        SaveAs();
        return;
    }
    Edit([&] { fProgram.SaveToFile(fProgram.GetFileName()); });
}

void TScanProgramPanel::SaveAs() {
    if (!Edit([&] { fProgram.Validate(); })) return;
    const auto chosen = AskSaveFile(this, ProgramFolder(), fProgram.GetFileName(), PROGRAM_FILE_FILTER, 1,
                                    "Сохранение файла программы");
    if (!chosen) return;
    std::filesystem::path name(chosen->fileName);
    if (name.extension().empty()) name.replace_extension(".prg");
    if (Edit([&] { fProgram.SaveToFile(name.string()); })) fProgram.SetFileName(name.string());
    ShowFileName();
}

void TScanProgramPanel::ClearProgram() {
    Edit([&] { fProgram.Clear(); });
    Rebuild();
}

void TScanProgramPanel::AddStep() {
    if (Edit([&] { fProgram.AddStep(spstFree, 1, true); })) {
        Rebuild();
        fScroll->verticalScrollBar()->setValue(fScroll->verticalScrollBar()->maximum());
    }
}

}  // namespace kalvero::app
