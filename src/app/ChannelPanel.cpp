#include "app/ChannelPanel.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/DataWindow.h"
#include "app/Prompts.h"
#include "app/QtText.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"

namespace kalvero::app {
namespace {

QIcon Swatch(TColor aColor) {
    QPixmap pixmap(16, 16);
    pixmap.fill(ToQColor(aColor));
    return QIcon(pixmap);
}

QToolButton* ShiftButton(QWidget* aParent, Qt::ArrowType aArrow, const char* aHint) {
    auto* button = new QToolButton(aParent);
    button->setArrowType(aArrow);
    button->setToolTip(aHint);
    button->setAccessibleName(aHint);
    button->setAutoRepeat(true);
    return button;
}

}  // namespace

TChannelPanel::TChannelPanel(TfrmDataWindow& aWindow) : fWindow(aWindow) {
    Build();
}

void TChannelPanel::Build() {
    const TAppConfig& c = *gConfig;
    auto* layout = new QVBoxLayout(this);
    fTabs = new QTabBar(this);
    fTabs->setAccessibleName("Каналы");
    fTabs->setExpanding(false);
    fTabs->setUsesScrollButtons(true);
    layout->addWidget(fTabs);

    auto* form = new QFormLayout;
    fName = new QLineEdit(this);
    fName->setAccessibleName("Название канала");
    form->addRow("Название канала", fName);
    fNumber = new QSpinBox(this);
    fNumber->setAccessibleName("Порядковый №");
    form->addRow("Порядковый №", fNumber);
    layout->addLayout(form);

    fDtColor = new QPushButton(Q("Цвет " + c.diffChannelShortName), this);
    fTColor = new QPushButton(Q("Цвет " + c.tempChannelShortName), this);
    fVisible = new QCheckBox("Отображать", this);
    fMakeMain = new QPushButton("Сделать основн.", this);
    fDelete = new QPushButton("Удалить", this);
    fCopy = new QPushButton("Копировать", this);
    fSwap = new QPushButton(Q(c.tempChannelShortName + " и " + c.diffChannelShortName), this);
    fSwap->setToolTip("Обменять");
    fSwap->setVisible(c.b_swapTempAndDiffTemp);
    for (QWidget* w :
         std::initializer_list<QWidget*>{fDtColor, fTColor, fVisible, fMakeMain, fDelete, fCopy, fSwap})
        layout->addWidget(w);

    auto* shift = new QGroupBox(" Сдвиг кривой ", this);
    auto* shiftLayout = new QGridLayout(shift);
    fWhole = new QRadioButton("Вся", shift);
    fPart = new QRadioButton("Выделить часть", shift);
    fWhole->setChecked(true);
    QToolButton* up = ShiftButton(shift, Qt::UpArrow, "Сдвинуть вверх");
    QToolButton* down = ShiftButton(shift, Qt::DownArrow, "Сдвинуть вниз");
    QToolButton* left = ShiftButton(shift, Qt::LeftArrow, "Сдвинуть влево");
    QToolButton* right = ShiftButton(shift, Qt::RightArrow, "Сдвинуть вправо");
    shiftLayout->addWidget(fWhole, 0, 0, 1, 3);
    shiftLayout->addWidget(fPart, 1, 0, 1, 3);
    shiftLayout->addWidget(up, 2, 1);
    shiftLayout->addWidget(left, 3, 0);
    shiftLayout->addWidget(right, 3, 2);
    shiftLayout->addWidget(down, 4, 1);
    layout->addWidget(shift);
    layout->addStretch(1);

    connect(fTabs, &QTabBar::currentChanged, this, [this](int i) { SelectTab(i); });
    connect(fName, &QLineEdit::editingFinished, this, [this] { Rename(); });
    connect(fDtColor, &QPushButton::clicked, this, [this] { ChooseColor(false); });
    connect(fTColor, &QPushButton::clicked, this, [this] { ChooseColor(true); });
    connect(fNumber, &QSpinBox::valueChanged, this, [this](int v) { MoveTo(v - 1); });
    connect(fVisible, &QCheckBox::toggled, this, [this](bool on) { SetVisible(on); });
    connect(fMakeMain, &QPushButton::clicked, this, [this] { MakeMain(); });
    connect(fDelete, &QPushButton::clicked, this, [this] { Delete(); });
    connect(fCopy, &QPushButton::clicked, this, [this] { Copy(); });
    connect(fSwap, &QPushButton::clicked, this, [this] { SwapTempAndDiffTemp(); });
    connect(fWhole, &QRadioButton::toggled, this, [this](bool on) { fWindow.SetShiftWholeCurve(on); });
    connect(up, &QToolButton::clicked, this, [this] { fWindow.ShiftCurve(1, 0); });
    connect(down, &QToolButton::clicked, this, [this] { fWindow.ShiftCurve(-1, 0); });
    connect(left, &QToolButton::clicked, this, [this] { fWindow.ShiftCurve(0, -1); });
    connect(right, &QToolButton::clicked, this, [this] { fWindow.ShiftCurve(0, 1); });
}

void TChannelPanel::Refresh() {
    TDataClass* d = fWindow.Experiment();
    if (!d) return;
    fWindow.SetCurrentChannel(fWindow.CurrentChannel());
    const int current = fWindow.CurrentChannel();
    const QSignalBlocker blockTabs(fTabs), blockName(fName), blockNumber(fNumber), blockVisible(fVisible);
    while (fTabs->count() > d->GetChannelCount())
        fTabs->removeTab(fTabs->count() - 1);
    for (int ch = 0; ch < d->GetChannelCount(); ++ch) {
        const std::string name = d->descriptors[ch].name + (ch == 0 ? " (Основной)" : "");
        if (ch < fTabs->count()) {
            fTabs->setTabText(ch, Q(name));
        } else {
            fTabs->addTab(Q(name));
        }
    }
    fTabs->setCurrentIndex(current);
    if (d->GetChannelCount() == 0) return;
    const TChannelDescriptor& descriptor = d->descriptors[current];
    fName->setText(Q(descriptor.name));
    fDtColor->setIcon(Swatch(descriptor.diffTempCurveColor));
    fTColor->setIcon(Swatch(descriptor.tempCurveColor));
    fNumber->setRange(1, d->GetChannelCount());
    fNumber->setValue(current + 1);
    fVisible->setChecked(descriptor.visible);
    fMakeMain->setEnabled(current != 0 && !fScanning);
    fDelete->setEnabled(current != 0 && !fScanning);
    fCopy->setEnabled(!fScanning);
}

void TChannelPanel::SetScanning(bool aScanning) {
    fScanning = aScanning;
    Refresh();
}

void TChannelPanel::SelectTab(int aIndex) {
    fWindow.SetCurrentChannel(aIndex);
    Refresh();
}

void TChannelPanel::ChannelsChanged(int aCurrent) {
    fWindow.SetCurrentChannel(aCurrent);
    fWindow.UpdateChannels();
    fWindow.Redraw();
    fWindow.Changed();
}

void TChannelPanel::Rename() {
    TDataClass* d = fWindow.Experiment();
    if (!d || d->GetChannelCount() == 0) return;
    std::string& name = d->descriptors[fWindow.CurrentChannel()].name;
    if (name == S(fName->text())) return;
    fWindow.Edit("Имя канала", [&] { name = S(fName->text()); });
    ChannelsChanged(fWindow.CurrentChannel());
}

void TChannelPanel::ChooseColor(bool aForT) {
    auto colorOf = [aForT](TChannelDescriptor& aChannel) -> TColor& {
        return aForT ? aChannel.tempCurveColor : aChannel.diffTempCurveColor;
    };
    TDataClass* d = fWindow.Experiment();
    if (!d || d->GetChannelCount() == 0) return;
    const int channel = fWindow.CurrentChannel();
    const auto chosen = AskColor(this, colorOf(d->descriptors[channel]));
    // The chooser's loop may have added or removed channels: the channel is looked up anew.
    d = fWindow.Experiment();
    if (!chosen || !d || channel >= d->GetChannelCount()) return;
    fWindow.Edit("Цвет канала", [&] { colorOf(d->descriptors[channel]) = *chosen; });
    ChannelsChanged(channel);
}

void TChannelPanel::MoveTo(int aPosition) {
    TDataClass* d = fWindow.Experiment();
    const int current = fWindow.CurrentChannel();
    if (!d || aPosition == current || aPosition < 0 || aPosition >= d->GetChannelCount()) return;
    if (fWindow.RefuseWhileAcquiring()) {
        Refresh();
        return;
    }
    fWindow.Edit("Порядок каналов", [&] { d->SwapWorkChannelChannels(current, aPosition); });
    ChannelsChanged(aPosition);
}

void TChannelPanel::SetVisible(bool aVisible) {
    TDataClass* d = fWindow.Experiment();
    if (!d || d->GetChannelCount() == 0) return;
    fWindow.Edit("Видимость канала", [&] { d->descriptors[fWindow.CurrentChannel()].visible = aVisible; });
    fWindow.Redraw();
    fWindow.Changed();
}

void TChannelPanel::MakeMain() {
    TDataClass* d = fWindow.Experiment();
    if (!d || fWindow.CurrentChannel() == 0 || fWindow.RefuseWhileAcquiring()) return;
    fWindow.Edit("Основной канал", [&] { d->SwapWorkChannelChannels(fWindow.CurrentChannel(), 0); });
    ChannelsChanged(0);
}

void TChannelPanel::Delete() {
    TDataClass* d = fWindow.Experiment();
    const int current = fWindow.CurrentChannel();
    if (!d || current == 0 || fWindow.RefuseWhileAcquiring()) return;
    fWindow.Edit("Удаление канала", [&] { d->RemoveChannel(current); });
    ChannelsChanged(current - 1);
}

void TChannelPanel::Copy() {
    TDataClass* d = fWindow.Experiment();
    if (!d || d->GetChannelCount() == 0 || fWindow.RefuseWhileAcquiring()) return;
    const int current = fWindow.CurrentChannel();
    const TChannelDescriptor source = d->descriptors[current];
    int copy = 0;
    fWindow.Edit("Копирование канала", [&] {
        copy = d->CreateCannel("Копия " + source.name, source.channelType) - 1;
        d->CopyToChannel(current, copy);
    });
    ChannelsChanged(copy);
}

void TChannelPanel::SwapTempAndDiffTemp() {
    TDataClass* d = fWindow.Experiment();
    if (!d || d->GetChannelCount() == 0 || fWindow.RefuseWhileAcquiring()) return;
    const TAppConfig& c = *gConfig;
    if (!MsgBoxYN("Вы уверены, что хотите обменять местами данные '" + c.tempChannelName + "' и '" +
                  c.diffChannelName + "'?"))
        return;
    const int current = fWindow.CurrentChannel();
    fWindow.Edit("Обмен " + c.tempChannelShortName + " и " + c.diffChannelShortName, [&] {
        d->SwapTempAndDiffTemp(current);
        // The readings changed places: their degrees are computed anew, each by its own table.
        d->FillTempValues(current);
    });
    ChannelsChanged(current);
}

}  // namespace kalvero::app
