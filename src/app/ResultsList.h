#pragma once
// The results of a data window: one row per thermal effect with its direction, characteristic
// temperatures, width at half height, area, heat and base line (the library's EffectResults, never
// computed here), then the evaluations kept with the experiment (glass transitions, purities,
// crystallinities: EvaluationRows) with a command that removes one, a command that copies the
// tables, one that shows or hides the effects' labels on the plot, and the selection that
// highlights an effect's construction. The method commands: save the evaluations as a method,
// apply a method (its results with their limits in a table of their own, those out of limits
// marked), and the report of the experiment.

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QPushButton;
class QTableWidget;

namespace kalvero {
class TDataClass;
}
namespace kalvero::methods {
struct TMethodRun;
}

namespace kalvero::app {

class TResultsList : public QWidget {
public:
    explicit TResultsList(QWidget* aParent);
    void Refresh(const TDataClass& aDataClass);
    int RowCount() const;
    QString Cell(int aRow, int aColumn) const;
    // The evaluations' table: "Оценка" and "Результат".
    int EvaluationCount() const;
    QString EvaluationCell(int aRow, int aColumn) const;
    int SelectedEvaluation() const;
    void SelectEvaluation(int aRow);
    // The table as tab-separated lines with the header first, as the copy command gives it.
    std::string TableText() const;
    void CopyTable() const;
    // The effect whose row is selected, from 0; -1 for none.
    int SelectedEffect() const;
    void SelectEffect(int aEffect);

    // The results of the method applied last: "№", "Оценка", "Результат", "Значение", "Границы",
    // "Вывод"; none (the table hidden) for null.
    void SetMethodRun(const methods::TMethodRun* aRun);
    int MethodRowCount() const;
    QString MethodCell(int aRow, int aColumn) const;
    // The row is marked: out of its limits, or its evaluation could not be made.
    bool MethodRowMarked(int aRow) const;

    // The operator chose another effect, turned the labels on or off, or removed an evaluation
    // (its row).
    std::function<void(int)> onSelected;
    std::function<void(bool)> onLabelsShown;
    std::function<void(int)> onRemoveEvaluation;
    // "Сохранить методику...", "Применить методику...", "Отчёт...".
    std::function<void()> onSaveMethod, onApplyMethod, onReport;

private:
    QTableWidget* fTable;
    QTableWidget* fEvaluations;
    QTableWidget* fMethodResults;
    QPushButton* fCopy;
    QPushButton* fRemove;
    QCheckBox* fLabels;
    QPushButton* fSaveMethod;
    QPushButton* fApplyMethod;
    QPushButton* fReport;
};

}  // namespace kalvero::app
