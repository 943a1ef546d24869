// From the main window's entry to its chart host: the chart commands, and
// what a click on a chart window gives back.

#include "shell/main/mainwindow.h"

#include <array>

#include <QMdiArea>
#include <QMdiSubWindow>

#include "evaluation/explanations.h"
#include "evaluation/suusan.h"
#include "output/charttext.h"
#include "shell/charts/chartwindow.h"
#include "shell/common/checkres.h"
#include "shell/common/messages.h"
#include "shell/common/programfiles.h"
#include "shell/common/strings.h"
#include "shell/main/explanationpane.h"

namespace velm {

bool TMainF::BanGrp(int kind) const
{
    return m_entry->BanGrp(kind);
}

void TMainF::setMoment(const CivilTime &moment)
{
    m_entry->setMoment(moment);
}

std::optional<CivilTime> TMainF::enteredMoment() const
{
    return m_entry->enteredMoment();
}

std::optional<CivilTime> TMainF::askEnteredMoment(QWidget *parent)
{
    return m_entry->askEnteredMoment(parent);
}

QDate TMainF::enteredDate() const
{
    return m_entry->enteredDate();
}

EngineOptions TMainF::engineOptions() const
{
    return m_entry->engineOptions();
}

bool TMainF::KCB1() const
{
    return m_entry->KCB1();
}

void TMainF::setKCB1(bool on)
{
    m_entry->setKCB1(on);
}

void TMainF::NowBtnClick()
{
    m_entry->NowBtnClick();
}

void TMainF::openChart(int kind, const CivilTime &moment)
{
    // The entry shows where the charts come from; they are laid from the moment itself.
    const CivilTime entered = m_entry->showListed(kind, moment);
    if (m_charts->making() || CheckRes(ResAtChart, this))
        return;
    layCharts(entered);
}

void TMainF::BanBtnClick()
{
    if (m_charts->making() || CheckRes(ResAtChart, this))
        return;
    if (const std::optional<CivilTime> entered = m_entry->typedMoment())
        makeCharts(*entered);
}

void TMainF::PNBtn(int direction)
{
    if (const std::optional<CivilTime> entered = m_entry->step(direction)) {
        if (m_charts->making() || CheckRes(ResAtChart, this))
            return;
        makeCharts(*entered);
    }
}

void TMainF::PBanBtnClick()
{
    PNBtn(-1);
}

void TMainF::NBanBtnClick()
{
    PNBtn(+1);
}

void TMainF::makeCharts(const CivilTime &entered)
{
    if (m_entry->chooseFold(entered, this))
        layCharts(entered);
}

void TMainF::layCharts(const CivilTime &entered)
{
    // The panel shows the moment as now read.
    m_entry->DispDateData();
    QString error;
    const std::optional<ChartRequest> request = m_entry->chartRequest(entered, error);
    if (!request) {
        ui::showError(this, error);
        return;
    }
    const std::optional<NumberTables> numbers = m_charts->loadNumbers();
    if (!numbers)
        return;
    m_charts->layCharts(*request, *numbers);
}

void TMainF::chartClicked(TBanF *window)
{
    if (!window->momentText().isEmpty())
        m_entry->setMoment(window->enteredMoment());
}

void TMainF::palaceClicked(TBanF *window, int pos)
{
    m_paneChart = window;
    PnlRead(pos);
}

void TMainF::PnlRead(int pos)
{
    TBanF *w = m_paneChart ? m_paneChart.data() : m_charts->activeChartWindow();
    if (!w || pos < 0 || pos > 8)
        return;
    m_paneChart = w;
    const std::optional<NumberTables> numbers = m_charts->loadNumbers();
    if (!numbers)
        return;
    const SetuTexts texts = SetuTexts::load(programFile(ExplanationsFileName).toStdString());
    if (!texts.ok())
        ui::showError(this, qs(texts.error()));
    const ChartRecord &chart = w->chart();
    const SuuScores scores = SuuSan(chart, w->koyomi(), *numbers, engineOptions().method);
    const std::string note = chartLabels(chart, w->koyomi(), m_constData).TyuL;
    const PanelView view = velm::PnlRead(chart.Ban, scores, pos, texts, m_constData, note, "\n");
    m_pane->showPanel(view, w->title());
}

void TMainF::Clr1Click()
{
    m_charts->closeAll();
    // The pane described a chart that is gone: its numbers must not be read
    // as those of the next chart.
    if (m_charts->chartWindows().empty())
        m_pane->clearPanel();
    UpdateMenuItems();
}

void TMainF::BExpBtnClick()
{
    QStringList lines;
    for (TBanF *w : m_charts->chartWindows()) {
        const ChartRecord &chart = w->chart();
        std::array<PalaceText, 9> palaces;
        for (int p = 0; p < 9; ++p)
            palaces[static_cast<std::size_t>(p)] = palaceText(chart.Ban, p, m_constData);
        const ChartLabels labels = chartLabels(chart, w->koyomi(), m_constData);
        for (const std::string &line : chartCopyLines(w->title().toStdString(), labels, palaces))
            lines << qs(line);
    }
    if (!lines.isEmpty())
        writeTextLines(lines);
}

} // namespace velm
