#include "app/DigitalPortForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <string>

#include "acquisition/CommonScanThread.h"
#include "app/Commands.h"
#include "app/QtText.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "common/StrProcs.h"

namespace kalvero::app {
namespace {

constexpr const char* kClassName = "Tfrm_DigitalPortDebug";

// A decimal integer in aMin … aMax; std::invalid_argument otherwise.
int ReadNumber(const QString& aText, int aMin, int aMax) {
    bool ok = false;
    const int value = aText.trimmed().toInt(&ok);
    if (!ok || value < aMin || value > aMax)
        throw std::invalid_argument("\"" + S(aText) + "\" — не число от " + std::to_string(aMin) + " до " +
                                    std::to_string(aMax));
    return value;
}

std::string CommandText(const TPortIOCommand& aCommand) {
    const std::string kind = aCommand.command == pcmdWrite  ? "запись"
                             : aCommand.command == pcmdRead ? "чтение"
                                                            : "—";
    std::string text = kind + " " + std::to_string(aCommand.value) + " (" + IntToBin(aCommand.value, 7) + ")";
    if (aCommand.duration > 0) text += ", импульс " + std::to_string(aCommand.duration) + " мс";
    return text;
}

}  // namespace

Tfrm_DigitalPortDebug::Tfrm_DigitalPortDebug(QWidget* aParent) : QWidget(aParent, Qt::Tool) {
    setWindowTitle("Работа с цифровым портом");
    auto* layout = new QVBoxLayout(this);
    auto* outputs = new QGroupBox("Выход", this);
    auto* out = new QGridLayout(outputs);
    e_impulseDuration = new QLineEdit("10", this);
    for (int bit = 0; bit < 8; ++bit) {
        c_bit[bit] = new QCheckBox(Q("Бит " + std::to_string(bit)), outputs);
        b_port_impulse[bit] = new QPushButton("10", outputs);
        b_port_impulse[bit]->setToolTip(Q("Импульс на бите " + std::to_string(bit)));
        b_port_impulse[bit]->setAccessibleName(b_port_impulse[bit]->toolTip());
        out->addWidget(c_bit[bit], 0, 7 - bit);
        out->addWidget(b_port_impulse[bit], 1, 7 - bit);
        connect(c_bit[bit], &QCheckBox::clicked, this, [this] { BitClicked(); });
        connect(b_port_impulse[bit], &QPushButton::clicked, this, [this, bit] { Pulse(bit); });
    }
    e_portVal = new QLineEdit("0", outputs);
    e_portVal->setAccessibleName("Значение порта");
    auto* write = new QPushButton("Записать", outputs);
    out->addWidget(new QLabel("Значение порта", outputs), 2, 0, 1, 2);
    out->addWidget(e_portVal, 2, 2, 1, 2);
    out->addWidget(write, 2, 4, 1, 2);
    e_impulseDuration->setAccessibleName("Длительность импульса, мс");
    out->addWidget(new QLabel("Длительность импульса, мс", outputs), 3, 0, 1, 3);
    out->addWidget(e_impulseDuration, 3, 3, 1, 2);
    layout->addWidget(outputs);

    auto* inputs = new QGroupBox("Вход", this);
    auto* in = new QGridLayout(inputs);
    for (int bit = 0; bit < 8; ++bit) {
        c_inpBit[bit] = new QCheckBox(Q("Вход " + std::to_string(bit)), inputs);
        c_inpBit[bit]->setAttribute(Qt::WA_TransparentForMouseEvents);  // shows, never sets
        c_inpBit[bit]->setFocusPolicy(Qt::NoFocus);
        in->addWidget(c_inpBit[bit], 0, 7 - bit);
    }
    auto* read = new QPushButton("Прочитать", inputs);
    in->addWidget(read, 1, 0, 1, 2);
    layout->addWidget(inputs);

    fQueue = new QListWidget(this);
    fQueue->setAccessibleName("Очередь команд порта");
    layout->addWidget(new QLabel("Очередь команд порта", this));
    layout->addWidget(fQueue);

    connect(write, &QPushButton::clicked, this, [this] { WriteValue(); });
    connect(read, &QPushButton::clicked, this, [this] { Read(); });
    connect(e_impulseDuration, &QLineEdit::textEdited, this, [this] { DurationChanged(); });
    fRefresh = new QTimer(this);
    fRefresh->setInterval(200);
    connect(fRefresh, &QTimer::timeout, this, [this] {
        if (isVisible()) RefreshQueue();
    });
    fRefresh->start();
    NameForAccessibility(this);
}

uint8_t Tfrm_DigitalPortDebug::ComposedByte() const {
    uint8_t value = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (c_bit[bit]->isChecked()) value = SetBit(value, static_cast<uint8_t>(bit));
    return value;
}

void Tfrm_DigitalPortDebug::SetBits(uint8_t aByte) {
    for (int bit = 0; bit < 8; ++bit) {
        const QSignalBlocker block(c_bit[bit]);
        c_bit[bit]->setChecked(aByte & (1u << bit));
    }
    e_portVal->setText(QString::number(aByte));
}

void Tfrm_DigitalPortDebug::BitClicked() {
    const uint8_t value = ComposedByte();
    e_portVal->setText(QString::number(value));
    if (fScanThread) fScanThread->DigitalPortOut(value);
    RefreshQueue();
}

void Tfrm_DigitalPortDebug::WriteValue() {
    try {
        const auto value = static_cast<uint8_t>(ReadNumber(e_portVal->text(), 0, 255));
        SetBits(value);
        if (fScanThread) fScanThread->DigitalPortOut(value);
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
    }
    RefreshQueue();
}

void Tfrm_DigitalPortDebug::Pulse(int aBit) {
    try {
        const auto duration = static_cast<uint16_t>(ReadNumber(e_impulseDuration->text(), 1, 65535));
        const QString before = e_portVal->text();
        const bool wasSet = c_bit[aBit]->isChecked();
        {
            const QSignalBlocker block(c_bit[aBit]);
            c_bit[aBit]->setChecked(true);
        }
        if (fScanThread) fScanThread->DigitalPortOut(ComposedByte(), duration);
        const QSignalBlocker block(c_bit[aBit]);
        c_bit[aBit]->setChecked(wasSet);
        e_portVal->setText(before);
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
    }
    RefreshQueue();
}

void Tfrm_DigitalPortDebug::DurationChanged() {
    for (QPushButton* b : b_port_impulse)
        b->setText(e_impulseDuration->text());
}

void Tfrm_DigitalPortDebug::Read() {
    if (!fScanThread) return;
    fScanThread->DigitalPortRequestRead();
    // The byte the acquisition read last, not yet the answer to this request.
    const uint8_t value = fScanThread->DigitalPortLastRead();
    for (int bit = 0; bit < 8; ++bit)
        c_inpBit[bit]->setChecked(value & (1u << bit));
    RefreshQueue();
}

void Tfrm_DigitalPortDebug::RefreshQueue() {
    fQueue->clear();
    if (!fScanThread) return;
    for (const TPortIOCommand& command : fScanThread->QueuedCommandList())
        fQueue->addItem(Q(CommandText(command)));
}

int Tfrm_DigitalPortDebug::QueueRows() const {
    return fQueue->count();
}

}  // namespace kalvero::app
