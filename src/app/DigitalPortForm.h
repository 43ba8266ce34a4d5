#pragma once
// Tfrm_DigitalPortDebug ("Работа с цифровым портом"): the instrument's digital port by hand, for
// checking the wiring — eight output bits and the byte they make, a steady write ("Записать"),
// a pulse per bit of the given length, the input bits the acquisition last read ("Прочитать"),
// and the commands waiting in the thread's queue. It holds the scan control window's thread.

#include <QWidget>

#include <array>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace kalvero {
class TCommonScanThread;
}

namespace kalvero::app {

class Tfrm_DigitalPortDebug : public QWidget {
public:
    explicit Tfrm_DigitalPortDebug(QWidget* aParent);
    void SetThread(TCommonScanThread* aThread) { fScanThread = aThread; }

    // The commands of the window, as its controls run them.
    void BitClicked();
    void WriteValue();
    void Pulse(int aBit);
    void Read();
    // The queue and the input byte as they are now (a timer refreshes them while shown).
    void RefreshQueue();
    int QueueRows() const;

private:
    uint8_t ComposedByte() const;
    void SetBits(uint8_t aByte);
    void DurationChanged();

    TCommonScanThread* fScanThread = nullptr;
    std::array<QCheckBox*, 8> c_bit{};
    std::array<QCheckBox*, 8> c_inpBit{};
    std::array<QPushButton*, 8> b_port_impulse{};
    QLineEdit* e_portVal = nullptr;
    QLineEdit* e_impulseDuration = nullptr;
    QListWidget* fQueue = nullptr;
    QTimer* fRefresh = nullptr;
};

}  // namespace kalvero::app
