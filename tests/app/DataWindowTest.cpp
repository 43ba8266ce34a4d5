// The data window on a recorded run of the simulated cell, driven with the mouse and the commands
// as the operator does: view modes, zooming, peak detection in a strip, dragging peak lines and
// the zero line, cutting, derivative channels, the channel panel, markers and statistics.

#include <QAbstractButton>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>

#include <cstring>

#include "app/AppTestSupport.h"
#include "app/HistoryDialog.h"
#include "app/MarkerList.h"
#include "common/MathProcs.h"
#include "data/CurveTexts.h"
#include "processing/Peak.h"

using namespace kalvero;
using namespace kalvero::test;
using app::TfrmDataWindow;
using app::TPrompt;

namespace {

class DataWindowTest : public TAppTest {
protected:
    // The recorded run in the only window, its x window narrowed to aFrom … aTo items around the
    // top of its melting peak (found in the record: a run of the simulated cell is not the same
    // item for item every time).
    TfrmDataWindow& OpenAt(int aFrom, int aTo) {
        TfrmDataWindow& w = OpenRun();
        FindPeak(w.DataClass());
        aFrom += top, aTo += top;
        w.DataClass().begXSel = aFrom, w.DataClass().endXSel = aTo;
        w.Redraw();
        w.UpdateScrollBars();
        return w;
    }
    // A strip dragged over items aFrom … aTo (counted from the peak's top) with the plot-menu item
    // or tool aCaption.
    void Strip(TfrmDataWindow& w, const std::string& aCaption, int aFrom, int aTo) {
        Trigger(w, aCaption);
        Drag(w.Plot(), QPoint(PixelOfItem(w, top + aFrom), MidY(w)),
             QPoint(PixelOfItem(w, top + aTo), MidY(w)));
    }
    // The top of the melting peak, the base level before it and the peak's height, in counts.
    void FindPeak(const TDataClass& d) {
        top = 0;
        for (int i = 0; i < d.GetItemCount(); ++i)
            if (d.items[i][0].dt > d.items[top][0].dt) top = i;
        base = d.items[std::max(0, top - 2000)][0].dt;
        height = std::max(1, d.items[top][0].dt - base);
    }
    // The detected peak that holds the melting peak's top (the record may hold smaller effects,
    // such as the step where the heater goes off).
    const TPeak* MeltingPeak(const TDataClass& d) const {
        for (int k = 0; k < d.peaks.GetItemCount(); ++k) {
            const auto* p = dynamic_cast<const TPeak*>(d.peaks.GetItemByIndex(k).value);
            if (p && p->begX < top && p->endX > top) return p;
        }
        return nullptr;
    }
    int MidY(const TfrmDataWindow& w) const {
        return PlotY(w, (w.DataClass().begYSel + w.DataClass().endYSel) / 2);
    }
    const TScreenCoord* CoordOf(const TfrmDataWindow& w, TCutLineType aType) {
        for (const TScreenCoord& e : w.DataClass().coords)
            if (e.objType == aType && (aType != CUTLINE_VIRTUALBASELINE_DT || e.x < 0)) return &e;
        return nullptr;
    }
    // Pixels of the picture in the colour of channel 0's dT (or T) curve.
    int CurvePixels(TfrmDataWindow& w, bool aForT) {
        const TChannelDescriptor& ch = w.DataClass().descriptors[0];
        const QRgb wanted = app::ToQColor(aForT ? ch.tempCurveColor : ch.diffTempCurveColor).rgb();
        const QImage& picture = w.Plot().Picture();
        int n = 0;
        for (int y = 0; y < w.Plot().height(); y += 1)
            for (int x = 0; x < w.Plot().width(); x += 1)
                n += (picture.pixel(x, y) & 0xFFFFFF) == (wanted & 0xFFFFFF);
        return n;
    }

    int top = 0, base = 0, height = 1;
};

TEST_F(DataWindowTest, EveryViewModeDrawsItsCurvesAndSetsItsCommands) {
    TfrmDataWindow& w = OpenRun();
    const TAppConfig& c = *gConfig;
    EXPECT_EQ(w.DataClass().mode, vm_view_dT_by_time);
    EXPECT_GT(CurvePixels(w, false), 500);
    SaveArtifact(w, "view-dT-by-time");

    Trigger(w, "X - время, Y - " + c.tempChannelName);
    EXPECT_EQ(w.DataClass().mode, vm_view_T_by_time);
    EXPECT_FALSE(FindAction(w, "Автоматическое определение ВСЕХ пиков")->isEnabled());
    EXPECT_FALSE(FindAction(w, c.addIntegralCaption)->isEnabled());
    EXPECT_TRUE(FindAction(w, "Установить маркер")->isEnabled());
    EXPECT_TRUE(FindAction(w, "Сглаживание усреднением")->isEnabled());
    EXPECT_GT(CurvePixels(w, true), 500);
    SaveArtifact(w, "view-T-by-time");

    Trigger(w, "X - время, Y1 - " + c.diffChannelName + ", Y2 - " + c.tempChannelName);
    EXPECT_EQ(w.DataClass().mode, vm_view_dt_and_temp_by_time);
    EXPECT_FALSE(FindAction(w, "Установить маркер")->isEnabled());
    EXPECT_FALSE(FindAction(w, "Установить касательную по 1 точке")->isEnabled());
    EXPECT_FALSE(FindAction(w, "Сглаживание усреднением")->isEnabled());
    EXPECT_GT(CurvePixels(w, false), 500);
    EXPECT_GT(CurvePixels(w, true), 500);
    SaveArtifact(w, "view-dT-and-T-by-time");

    Trigger(w, "X - " + c.tempChannelName + ", Y -" + c.diffChannelName);
    EXPECT_EQ(w.DataClass().mode, vm_view_dT_by_temp);
    EXPECT_FALSE(FindAction(w, "Определение пиковв отмеченной области")->isEnabled());
    EXPECT_FALSE(FindAction(w, "Удаление участка кривой")->isEnabled());
    EXPECT_TRUE(FindAction(w, "Статистика (Min, Max, Среднее)")->isEnabled());
    EXPECT_GT(CurvePixels(w, false), 300);
    SaveArtifact(w, "view-dT-by-T");

    Trigger(w, "X - время, Y - " + c.diffChannelName);
    Trigger(w, "Автоматическое определение ВСЕХ пиков");
    FindPeak(w.DataClass());
    EXPECT_NE(MeltingPeak(w.DataClass()), nullptr);
    SaveArtifact(w, "view-dT-by-time-peak");
}

TEST_F(DataWindowTest, ZoomWithARectangleAndWithTheButtons) {
    TfrmDataWindow& w = OpenRun();
    TDataClass& d = w.DataClass();
    FindPeak(d);
    Trigger(w, "Приближение");
    EXPECT_EQ(w.WorkMode(), app::WM_ZOOM);
    const int low = base - height / 10, high = base + height * 9 / 10;
    const double pixelX = static_cast<double>(d.endXSel - d.begXSel) / w.Canvas().GetGraphicWidth();
    const double pixelY = static_cast<double>(d.endYSel - d.begYSel) / w.Canvas().GetGraphicHeight();
    const QPoint a(PlotX(w, top - 5000), PlotY(w, high)), b(PlotX(w, top + 5000), PlotY(w, low));
    Drag(w.Plot(), a, QPoint(a.x(), b.y()));  // no width: nothing changes
    EXPECT_EQ(d.begXSel, 0);
    Drag(w.Plot(), a, b);
    EXPECT_NEAR(d.begXSel, top - 5000, 2 * pixelX);
    EXPECT_NEAR(d.endXSel, top + 5000, 2 * pixelX);
    EXPECT_NEAR(d.begYSel, low, 2 * pixelY);
    EXPECT_NEAR(d.endYSel, high, 2 * pixelY);
    QScrollBar* horz = nullptr;
    for (QScrollBar* bar : w.findChildren<QScrollBar*>())
        if (bar->accessibleName() == "Прокрутка по оси X") horz = bar;
    ASSERT_NE(horz, nullptr);
    EXPECT_EQ(horz->value(), d.begXSel);
    SaveArtifact(w, "zoomed-on-the-peak");

    const int width = d.endXSel - d.begXSel, height = d.endYSel - d.begYSel;
    const int narrowed = width - 2 * static_cast<int>(Round(width * 0.05));
    Trigger(w, "Сжать по оси X");
    EXPECT_EQ(d.endXSel - d.begXSel, narrowed);
    Trigger(w, "Растянуть по оси Y");
    EXPECT_GT(d.endYSel - d.begYSel, height);
    horz->setValue(horz->value() + 1000);  // the bar moves the window, keeping its size
    EXPECT_EQ(d.endXSel - d.begXSel, narrowed);
}

TEST_F(DataWindowTest, DetectionInAStripNeedsMoreThanOneSecondOfData) {
    // A window of fewer items than pixels: every item can be hit.
    TfrmDataWindow& w = OpenAt(-650, 550);
    const int f = static_cast<int>(w.DataClass().frequency);
    Strip(w, "Определение пиковв отмеченной области", -600, -600 + f);
    EXPECT_EQ(w.WorkMode(), app::WM_DETECT_PEAKS);  // nothing ran: the tool waits for a strip
    EXPECT_EQ(w.DataClass().peaks.GetItemCount(), 0);
    Drag(w.Plot(), QPoint(PixelOfItem(w, top - 600), MidY(w)),
         QPoint(PixelOfItem(w, top - 599 + f), MidY(w)));
    EXPECT_EQ(w.WorkMode(), app::WM_NONE);  // detection ran (and reset the tools)

    // The base line is searched for in the strip: it takes a good stretch on both sides.
    w.DataClass().begXSel = top - 3000, w.DataClass().endXSel = top + 3000;
    w.Redraw();
    Strip(w, "Определение пиковв отмеченной области", -2500, 1500);
    ASSERT_EQ(w.DataClass().peaks.GetItemCount(), 1);
    const auto* peak = dynamic_cast<const TPeak*>(w.DataClass().peaks.GetItemByIndex(0).value);
    EXPECT_LT(peak->begX, top);
    EXPECT_GT(peak->endX, top);
}

TEST_F(DataWindowTest, DraggingAPeakMarginAndTheZeroLine) {
    TfrmDataWindow& w = OpenAt(-1000, 600);
    Trigger(w, "Автоматическое определение ВСЕХ пиков");
    auto* peak = const_cast<TPeak*>(MeltingPeak(w.DataClass()));
    ASSERT_NE(peak, nullptr);
    const TScreenCoord* margin = CoordOf(w, CUTLINE_PEAKLEFTMARGIN);
    ASSERT_NE(margin, nullptr);
    const QPoint on(margin->x, std::min(margin->y, margin->y1) + 15);
    SendMouse(w.Plot(), QEvent::MouseMove, on, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(w.WorkMode(), app::WM_MODIFY);
    EXPECT_EQ(w.ModifyMode(), MM_MODIFY_VERT);
    EXPECT_EQ(w.Plot().cursor().shape(), Qt::SizeHorCursor);
    SendMouse(w.Plot(), QEvent::MouseMove, on + QPoint(40, 0), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(w.WorkMode(), app::WM_NONE);  // off the line: the tools come back
    const int target = PixelToItem(w.DataClass(), w.Canvas(), on.x() - 30);
    Drag(w.Plot(), on, on - QPoint(30, 0));
    EXPECT_EQ(peak->begX, target);
    EXPECT_EQ(w.WorkMode(), app::WM_NONE);

    // The dT zero line: dropped at a level, every reading moves by it.
    const TScreenCoord* zero = CoordOf(w, CUTLINE_VIRTUALBASELINE_DT);
    ASSERT_NE(zero, nullptr);
    const int before = w.DataClass().items[100][0].dt;
    const QPoint line(PlotX(w, top - 950), zero->y);
    SendMouse(w.Plot(), QEvent::MouseMove, line, Qt::NoButton, Qt::NoButton);
    ASSERT_EQ(w.ModifyMode(), MM_MODIFY_HORZ);
    const QPoint drop(line.x(), PlotY(w, base / 2));
    const int level = PixelToCounts(w.DataClass(), w.Canvas(), drop.y());
    Drag(w.Plot(), line, drop);
    EXPECT_EQ(w.DataClass().items[100][0].dt, before - level);
    EXPECT_TRUE(w.DataClass().fHasUnsavedChanges);
}

TEST_F(DataWindowTest, CuttingAStretch) {
    TfrmDataWindow& w = OpenAt(-5000, -4000);
    TDataClass& d = w.DataClass();
    const int count = d.GetItemCount();
    Trigger(w, "Удаление участка кривой");
    Click(w.Plot(), QPoint(PixelOfItem(w, top - 4500), MidY(w)));  // both ends on one item
    EXPECT_EQ(d.GetItemCount(), count);
    EXPECT_FALSE(d.fHasUnsavedChanges);
    const int after = d.items[top - 4200][0].dt;
    Strip(w, "Удаление участка кривой", -4800, -4400);
    EXPECT_EQ(d.GetItemCount(), count - 400);
    EXPECT_EQ(d.items[top - 4600][0].dt, after);
    EXPECT_TRUE(d.fHasUnsavedChanges);
}

TEST_F(DataWindowTest, ADerivativeChannelAndTheChannelPanel) {
    Start();
    gConfig->b_swapTempAndDiffTemp = true;
    TfrmDataWindow& w = OpenAt(-2000, 2000);
    Trigger(w, "Автоматическое определение ВСЕХ пиков");
    ASSERT_NE(MeltingPeak(w.DataClass()), nullptr);
    Strip(w, "Первая производная", -1500, 1500);
    TDataClass& d = w.DataClass();
    ASSERT_EQ(d.GetChannelCount(), 2);
    EXPECT_EQ(d.descriptors[1].name, "Первая производная");
    Trigger(w, "Панель каналов");
    auto* tabs = w.findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0).toStdString(), d.descriptors[0].name + " (Основной)");
    EXPECT_EQ(tabs->tabText(1).toStdString(), "Первая производная");
    SaveArtifact(w, "derivative-and-channel-panel");

    auto button = [&](const std::string& aCaption) {
        for (QPushButton* b : w.findChildren<QPushButton*>())
            if (b->text().toStdString() == aCaption) return b;
        ADD_FAILURE() << "no button " << aCaption;
        return new QPushButton(&w);  // a stand-in, so that the test goes on to report the rest
    };
    EXPECT_FALSE(button("Сделать основн.")->isEnabled());  // channel 0 is the main one
    tabs->setCurrentIndex(1);
    ASSERT_TRUE(button("Сделать основн.")->isEnabled());
    button("Сделать основн.")->click();
    EXPECT_EQ(d.descriptors[0].name, "Первая производная");
    EXPECT_EQ(d.peaks.GetItemCount(), 0);  // the peaks belonged to the old main curve
    EXPECT_EQ(w.CurrentChannel(), 0);

    button("Копировать")->click();
    ASSERT_EQ(d.GetChannelCount(), 3);
    EXPECT_EQ(d.descriptors[2].name, "Копия Первая производная");
    button("Удалить")->click();
    EXPECT_EQ(d.GetChannelCount(), 2);

    const std::string swap = gConfig->tempChannelShortName + " и " + gConfig->diffChannelShortName;
    const int t = d.items[top][0].t, dt = d.items[top][0].dt;
    tabs->setCurrentIndex(0);
    button(swap)->click();
    ASSERT_EQ(Asked(TPrompt::pkYesNo).size(), 1u);
    EXPECT_EQ(Asked(TPrompt::pkYesNo)[0].text, "Вы уверены, что хотите обменять местами данные '" +
                                                   gConfig->tempChannelName + "' и '" +
                                                   gConfig->diffChannelName + "'?");
    EXPECT_EQ(d.items[top][0].t, dt);
    EXPECT_EQ(d.items[top][0].dt, t);
}

TEST_F(DataWindowTest, MarkersStatisticsAndTheStatusBar) {
    TfrmDataWindow& w = OpenAt(-500, 500);
    TDataClass& d = w.DataClass();
    SendMouse(w.Plot(), QEvent::MouseMove, QPoint(PixelOfItem(w, top), MidY(w)), Qt::NoButton, Qt::NoButton);
    const std::string status = w.StatusCoordinates().toStdString();
    EXPECT_EQ(status.rfind("Точка " + std::to_string(top) + ",  t:", 0), 0u) << status;
    EXPECT_NE(status.find(gConfig->diffChannelShortName + " "), std::string::npos);

    Trigger(w, "Установить маркер");
    Click(w.Plot(), QPoint(PixelOfItem(w, top), MidY(w)));
    ASSERT_EQ(d.bubbles.GetItemCount(), 1);
    Trigger(w, "Список маркеров");
    auto* list = FindChildOf<app::TMarkerList>(w);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->RowCount(), 1);
    EXPECT_EQ(list->Cell(0, 3).toStdString(), GetTempStr(d, top, 0));
    SaveArtifact(w, "marker-and-marker-list");
    Strip(w, "Удалить маркер", -100, 100);
    EXPECT_EQ(d.bubbles.GetItemCount(), 0);
    EXPECT_EQ(list->RowCount(), 0);

    Strip(w, "Статистика (Min, Max, Среднее)", -400, 400);
    EXPECT_TRUE(d.fShowStatistics);
    EXPECT_EQ(d.fBegCalcInfo, static_cast<uint32_t>(top - 400));
    EXPECT_EQ(d.fEndCalcInfo, static_cast<uint32_t>(top + 400));
    SaveArtifact(w, "statistics");
    FindAction(w, "Статистика (Min, Max, Среднее)")->trigger();  // released: the block goes
    EXPECT_FALSE(d.fShowStatistics);
}

TEST_F(DataWindowTest, TangentsInterpolationAndCurveShifts) {
    TfrmDataWindow& w = OpenAt(-500, 500);
    TDataClass& d = w.DataClass();
    Trigger(w, "Установить касательную по 1 точке");
    Click(w.Plot(), QPoint(PixelOfItem(w, top - 60), MidY(w)));
    EXPECT_EQ(d.tangents.GetItemCount(), 1);
    Strip(w, "Установить касательную по 2 точкам", -110, -20);
    EXPECT_EQ(d.tangents.GetItemCount(), 2);
    Strip(w, "Удалить касательную", -200, 100);
    EXPECT_EQ(d.tangents.GetItemCount(), 0);

    Strip(w, "Линейная интерполяция", -300, 300);  // the peak is drawn out
    const double line =
        LineInterp(top - 300, d.items[top - 300][0].dt, top + 300, d.items[top + 300][0].dt, top);
    EXPECT_EQ(d.items[top][0].dt, static_cast<int>(Round(line)));
    EXPECT_TRUE(d.fHasUnsavedChanges);

    // The channel panel's arrows move the whole curve by a hundredth of the window.
    Trigger(w, "Панель каналов");
    const int before = d.items[100][0].dt, step = std::max(1, (d.endYSel - d.begYSel) / 100);
    QAbstractButton* up = nullptr;
    for (QAbstractButton* b : w.findChildren<QAbstractButton*>())
        if (b->accessibleName() == "Сдвинуть вверх") up = b;
    ASSERT_NE(up, nullptr);
    up->click();
    EXPECT_EQ(d.items[100][0].dt, before + step);
}

TEST_F(DataWindowTest, AnotherFileLoadsIntoExtraChannels) {
    TfrmDataWindow& w = OpenRun();
    AnswerFile(RecordedRun());
    Trigger(w, "Загрузить файл в дополнительный канал");
    EXPECT_EQ(w.DataClass().GetChannelCount(), 2);
    EXPECT_EQ(w.CurrentChannel(), 1);
    EXPECT_TRUE(FindAction(w, "Панель каналов")->isChecked());
    EXPECT_TRUE(Asked(TPrompt::pkError).empty());
}

TEST_F(DataWindowTest, RightClickSelectsThePeakUnderTheMouseForDeletion) {
    // Fewer items than pixels: the click can land exactly on the peak's first item.
    TfrmDataWindow& w = OpenAt(-500, 600);
    Trigger(w, "Автоматическое определение ВСЕХ пиков");
    const TPeak* peak = MeltingPeak(w.DataClass());
    ASSERT_NE(peak, nullptr);
    const int peaks = w.DataClass().peaks.GetItemCount();
    QAction* remove = FindAction(w, gConfig->deleteIntegralCaption);
    Click(w.Plot(), QPoint(PixelOfItem(w, peak->begX), MidY(w)), Qt::RightButton);
    EXPECT_EQ(w.EditPeakNumber(), 0);  // on the margin: no peak
    EXPECT_FALSE(remove->isEnabled());
    Click(w.Plot(), QPoint(PixelOfItem(w, (peak->begX + peak->endX) / 2), MidY(w)), Qt::RightButton);
    ASSERT_GT(w.EditPeakNumber(), 0);
    EXPECT_EQ(w.DataClass().peaks.GetItemByIndex(w.EditPeakNumber() - 1).value, peak);
    ASSERT_TRUE(remove->isEnabled());
    remove->trigger();
    EXPECT_EQ(w.DataClass().peaks.GetItemCount(), peaks - 1);
    EXPECT_EQ(MeltingPeak(w.DataClass()), nullptr);
}

TEST_F(DataWindowTest, SmoothingIsUndoneToTheLoadedCurve) {
    TfrmDataWindow& w = OpenAt(-10000, -8000);
    TDataClass& d = w.DataClass();
    std::vector<int> loaded(d.GetItemCount());
    for (int i = 0; i < d.GetItemCount(); ++i)
        loaded[i] = d.items[i][0].dt;
    Strip(w, "Сглаживание медианой", -9800, -8200);
    int changed = 0;
    for (int i = top - 9800; i < top - 8200; ++i)
        changed += d.items[i][0].dt != loaded[i];
    EXPECT_GT(changed, 0);
    EXPECT_TRUE(d.fHasUnsavedChanges);
    Trigger(w, "Отмена последнего действия");
    for (int i = 0; i < d.GetItemCount(); i += 97)
        ASSERT_EQ(d.items[i][0].dt, loaded[i]) << i;
}

}  // namespace

namespace {

// What the history must give back, step by step: channel 0's readings and the peaks' margins.
struct RShown {
    std::vector<TItem> samples;
    std::vector<int> margins;

    static RShown Of(const TDataClass& d) {
        RShown s;
        for (int i = 0; i < d.GetItemCount(); ++i)
            s.samples.push_back(d.items[i][0]);
        for (int k = 0; k < d.peaks.GetItemCount(); ++k) {
            const auto* p = dynamic_cast<const TPeak*>(d.peaks.GetItemByIndex(k).value);
            s.margins.push_back(p->begX), s.margins.push_back(p->endX);
        }
        return s;
    }
    bool operator==(const RShown& o) const {
        return samples.size() == o.samples.size() && margins == o.margins &&
               std::memcmp(samples.data(), o.samples.data(), samples.size() * sizeof(TItem)) == 0;
    }
};

}  // namespace

TEST_F(DataWindowTest, FourEditsAreUndoneAndRedoneOneByOneFromTheEditMenu) {
    TfrmDataWindow& w = OpenAt(-1000, 600);
    TDataClass& d = w.DataClass();
    app::TKalveroForm& f = *form;
    EXPECT_FALSE(FindAction(f, "Отменить")->isEnabled());  // nothing done since the load
    std::vector<RShown> states{RShown::Of(d)};
    Strip(w, "Сглаживание усреднением", -900, -700);
    states.push_back(RShown::Of(d));
    Strip(w, "Удаление участка кривой", -980, -950);
    top -= 30;
    states.push_back(RShown::Of(d));
    Trigger(w, "Автоматическое определение ВСЕХ пиков");
    states.push_back(RShown::Of(d));
    const TScreenCoord* margin = CoordOf(w, CUTLINE_PEAKLEFTMARGIN);
    ASSERT_NE(margin, nullptr);
    const QPoint on(margin->x, std::min(margin->y, margin->y1) + 15);
    SendMouse(w.Plot(), QEvent::MouseMove, on, Qt::NoButton, Qt::NoButton);
    Drag(w.Plot(), on, on - QPoint(30, 0));
    states.push_back(RShown::Of(d));
    for (size_t k = 1; k < states.size(); ++k)
        ASSERT_FALSE(states[k] == states[k - 1]) << k;  // each step changed what is compared

    const std::vector<std::string> steps = {"Сглаживание усреднением", "Вырезание", "Определение пиков",
                                            "Граница пика"};
    ASSERT_EQ(d.fHistory.StepCount(), 4u);
    SaveArtifact(f, "edit-history-four-steps");
    QAction* undo = FindAction(f, "Отменить «Граница пика»");
    ASSERT_NE(undo, nullptr);
    QMenu* editMenu = nullptr;
    for (QMenu* menu : f.findChildren<QMenu*>())
        if (app::StripAccel(menu->title()) == "Правка") editMenu = menu;
    ASSERT_NE(editMenu, nullptr);
    EXPECT_TRUE(editMenu->actions().contains(undo));
    editMenu->popup(f.mapToGlobal(QPoint(60, 30)));
    QCoreApplication::processEvents();
    SaveArtifact(*editMenu, "edit-history-menu");
    editMenu->close();
    for (size_t k = steps.size(); k-- > 0;) {
        SCOPED_TRACE(steps[k]);
        Trigger(f, "Отменить «" + steps[k] + "»");
        EXPECT_TRUE(RShown::Of(d) == states[k]);
        EXPECT_NE(FindAction(f, "Повторить «" + steps[k] + "»"), nullptr);
    }
    EXPECT_FALSE(FindAction(f, "Отменить")->isEnabled());
    EXPECT_FALSE(d.fHasUnsavedChanges);  // back to the file as loaded
    EXPECT_FALSE(FindAction(f, "Сохранить")->isEnabled());

    // Redone with the shortcuts: Ctrl+Y and Ctrl+Shift+Z; Ctrl+Z undoes.
    QApplication::setActiveWindow(&f);
    const QKeySequence keys[] = {QKeySequence(Qt::CTRL | Qt::Key_Y),
                                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)};
    for (size_t k = 0; k < steps.size(); ++k) {
        SCOPED_TRACE(steps[k]);
        EXPECT_NE(FindAction(f, "Повторить «" + steps[k] + "»"), nullptr);
        QTest::keySequence(&w.Plot(), keys[k % 2]);
        EXPECT_TRUE(RShown::Of(d) == states[k + 1]);
    }
    EXPECT_TRUE(d.fHasUnsavedChanges);
    QTest::keySequence(&w.Plot(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_TRUE(RShown::Of(d) == states[3]);
    EXPECT_NE(FindAction(f, "Повторить «Граница пика»"), nullptr);
}

TEST_F(DataWindowTest, TheHistoryListGoesToAnyStepAndTheCloseQuestionFollowsIt) {
    TfrmDataWindow& w = OpenAt(-1000, 600);
    TDataClass& d = w.DataClass();
    const RShown loaded = RShown::Of(d);
    Strip(w, "Сглаживание медианой", -900, -700);
    const RShown smoothed = RShown::Of(d);
    Trigger(w, "Автоматическое определение ВСЕХ пиков");
    Trigger(w, "Отмена последнего действия");  // the load's copy of channel 0 back, as a step
    RShown undone = RShown::Of(d);
    undone.margins = loaded.margins;  // the peaks found stay
    EXPECT_TRUE(undone == loaded);
    Trigger(*form, "История правки...");
    app::THistoryDialog* list = w.HistoryDialog();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->List().count(), 4);
    EXPECT_EQ(list->List().item(0)->text(), "Исходное состояние");
    EXPECT_EQ(list->List().item(1)->text(), "1. Сглаживание медианой");
    EXPECT_EQ(list->List().item(3)->text(), "3. Отмена последнего действия");
    EXPECT_EQ(list->List().currentRow(), 3);
    EXPECT_NE(list->MemoryText().indexOf("МБ из 512 МБ"), -1);
    SaveArtifact(*list, "edit-history-list");
    list->List().setCurrentRow(1);
    ClickButton(*list, "Перейти к шагу");
    EXPECT_TRUE(RShown::Of(d) == smoothed);
    EXPECT_EQ(list->List().currentRow(), 1);
    list->GoToRow(0);
    EXPECT_TRUE(RShown::Of(d) == loaded);
    EXPECT_FALSE(d.fHasUnsavedChanges);
    // Back at the file as loaded, the window closes without asking.
    list->close();
    form->MdiArea().subWindowList()[0]->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Asked(TPrompt::pkYesNo).empty());
}
