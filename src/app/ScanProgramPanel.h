#pragma once
// The program panel of the scan control window ("Программа управления"): the heating program's
// file commands and one row per step — its number with the current-step mark, its type as a
// picture button with the type menu, its parameter ("до" and °С for heating, "мин." otherwise),
// "Вести запись" and "Удалить шаг". The program refuses edits while it runs; the panel shows
// why instead of changing anything.

#include <QGroupBox>

#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class QWidget;

namespace kalvero {
class TScanRunControl;
class TScanProgram;
}  // namespace kalvero

namespace kalvero::app {

class TScanProgramPanel : public QGroupBox {
public:
    TScanProgramPanel(TScanRunControl& aControl, QWidget* aParent);

    // Rows from the program, keeping the scroll position.
    void Rebuild();
    // The file commands and the rows follow whether the program may be edited now.
    void SetEditable(bool aEditable);
    // The interface timer's marks: aRunning / aPaused say how the current step is marked; the
    // mark blinks with aOddSecond. No current step (-1): plain numbers.
    void MarkStep(int aCurrentStep, bool aPaused, bool aOddSecond);
    void SetSaveEnabled(bool aEnabled);
    int RowCount() const { return static_cast<int>(fRows.size()); }
    QString StepLabel(int aRow) const;

    // The commands, as their buttons run them.
    void Load();
    void Save();
    void SaveAs();
    void ClearProgram();
    void AddStep();

private:
    struct TRow {
        QWidget* widget;
        QLabel* number;
        int stepNo;
    };
    void AddRow(int aStepNo);
    void ChangeStep(int aStepNo, int aType, const std::string& aParam, bool aRecord, bool aReset);
    void DeleteStep(int aStepNo);
    bool Edit(const std::function<void()>& aChange);
    void ShowFileName();

    TScanRunControl& fControl;
    TScanProgram& fProgram;
    QLabel* fFileName = nullptr;
    QPushButton* fSave = nullptr;
    std::vector<QPushButton*> fFileButtons;
    QScrollArea* fScroll = nullptr;
    QWidget* fRowsHost = nullptr;
    QVBoxLayout* fRowsLayout = nullptr;
    std::vector<TRow> fRows;
    bool fEditable = true;
};

inline constexpr const char* PROGRAM_FILE_FILTER = "Программа нагрева (*.prg)|*.prg";
// Height of a step row: the list scrolls so that the current step shows.
inline constexpr int STEP_ROW_HEIGHT = 38;

}  // namespace kalvero::app
