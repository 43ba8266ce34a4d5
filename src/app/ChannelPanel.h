#pragma once
// The channel panel of a data window: a tab per channel (channel 0 "(Основной)"), its name, its
// colours, its position, whether it is shown, the channel commands (make main, delete, copy, swap
// T and dT) and the curve shifts (" Сдвиг кривой ").

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabBar;

namespace kalvero::app {

class TfrmDataWindow;

class TChannelPanel : public QWidget {
public:
    explicit TChannelPanel(TfrmDataWindow& aWindow);

    // Fills the panel from the experiment without firing its own handlers.
    void Refresh();
    // While a run writes into the experiment the channel commands are off.
    void SetScanning(bool aScanning);

private:
    void Build();
    void SelectTab(int aIndex);
    void Rename();
    void ChooseColor(bool aForT);
    void MoveTo(int aPosition);
    void SetVisible(bool aVisible);
    void MakeMain();
    void Delete();
    void Copy();
    void SwapTempAndDiffTemp();
    void ChannelsChanged(int aCurrent);

    TfrmDataWindow& fWindow;
    QTabBar* fTabs = nullptr;
    QLineEdit* fName = nullptr;
    QPushButton* fDtColor = nullptr;
    QPushButton* fTColor = nullptr;
    QSpinBox* fNumber = nullptr;
    QCheckBox* fVisible = nullptr;
    QPushButton* fMakeMain = nullptr;
    QPushButton* fDelete = nullptr;
    QPushButton* fCopy = nullptr;
    QPushButton* fSwap = nullptr;
    QRadioButton* fWhole = nullptr;
    QRadioButton* fPart = nullptr;
    bool fScanning = false;
};

}  // namespace kalvero::app
