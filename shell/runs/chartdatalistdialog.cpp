#include "shell/runs/chartdatalistdialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "output/chartdata.h"
#include "output/walk.h"
#include "shell/common/helpwindow.h"
#include "shell/common/entryfields.h"
#include "shell/lists/listwindow.h"
#include "shell/common/chartopener.h"
#include "shell/common/messages.h"
#include "shell/common/runpanel.h"
#include "shell/common/strings.h"

namespace velm {

namespace {

constexpr int HelpTopic = 10001;
// "作成上限", as typed.
const SettingValue<QString> Limit{"Sys", "BData", QStringLiteral("300")};

} // namespace

TBDataF::TBDataF(ChartOpener &main, AppSettings &settings, TListF &list, QWidget *parent)
    : QDialog(parent), m_main(main), m_settings(settings), m_list(list)
{
    setHelpTopic(this, HelpTopic);
    setObjectName(QStringLiteral("BDataF"));
    setWindowTitle(QStringLiteral("作盤ﾃﾞｰﾀ一覧表の作成指定"));

    auto *rg1 = new QGroupBox(QStringLiteral("作盤するﾃﾞｰﾀ"), this);
    rg1->setObjectName(QStringLiteral("RG1"));
    auto *kinds = new QHBoxLayout(rg1);
    m_rg1 = new QButtonGroup(rg1);
    m_rg1->setObjectName(QStringLiteral("RG1"));
    for (int k = KindYear; k <= KindHour; ++k) {
        auto *b = new QRadioButton(qs(KindCaption[static_cast<std::size_t>(k)]), rg1);
        b->setObjectName(QStringLiteral("RG1_%1").arg(k));
        m_rg1->addButton(b, k);
        kinds->addWidget(b);
    }
    m_rg1->button(KindHour)->setChecked(true);

    m_srcE = makeLimitEdit(this, "SrcE", Limit.read(m_settings.store()));
    auto *limit = new QHBoxLayout;
    limit->addWidget(new QLabel(QStringLiteral("作成上限"), this));
    limit->addWidget(m_srcE);
    limit->addStretch(1);

    const RunPanel run = makeRunPanel(this, QStringLiteral("作成中断"), {"CntL"});
    m_srcPnl = run.panel;
    m_cntL = run.counts[0];
    m_stopBtn = run.stopBtn;
    connect(m_stopBtn, &QPushButton::clicked, this, &TBDataF::StopBtnClick);

    const DialogButtons buttons = makeDialogButtons(this, QStringLiteral("作成実行"), HelpTopic);
    m_btnPnl = buttons.panel;
    connect(buttons.okBtn, &QPushButton::clicked, this, &TBDataF::OKBtnClick);

    auto *layout = new QVBoxLayout(this);
    // As large as its contents and no larger: nothing in it grows, and a
    // resizable frame would only add a bare strip below the buttons.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(rg1);
    layout->addLayout(limit);
    layout->addWidget(m_srcPnl);
    layout->addWidget(m_btnPnl);
    showRunning(false);
}

void TBDataF::showEvent(QShowEvent *event)
{
    if (!event->spontaneous() && !m_run.running())
        FormShow();
    QDialog::showEvent(event);
}

void TBDataF::FormShow()
{
    m_cntL->clear();
    showRunning(false);
}

void TBDataF::showRunning(bool running)
{
    m_srcPnl->setVisible(running);
    m_btnPnl->setEnabled(!running);
    m_srcE->setEnabled(!running);
    for (QAbstractButton *b : m_rg1->buttons())
        b->setEnabled(!running);
}

void TBDataF::showCount(qint64 made)
{
    m_cntL->setText(QStringLiteral("作成件数：%1件").arg(made, 5));
}

void TBDataF::OKBtnClick()
{
    if (m_run.running())
        return;
    const std::optional<qint64> count = readLimit(this, m_srcE, QStringLiteral("作成上限"));
    if (!count)
        return;
    const std::optional<CivilTime> start = m_main.askEnteredMoment(this);
    if (!start)
        return;
    const EngineOptions engine = m_main.engineOptions();
    if (!checkTimeZone(this, engine))
        return;

    ChartDataListOptions options;
    options.start = *start;
    options.kind = m_rg1->checkedId();
    options.count = static_cast<long>(*count);
    options.koyomi = engine.koyomi;
    options.method = engine.method;

    showRunning(true);
    showCount(0);
    m_stopBtn->setFocus();
    auto result = std::make_shared<ChartDataList>();
    auto work = [this, options, result](const RunTicket &run) {
        *result = ListProc(options, [this, &run](long made) {
            run.report([this, made] {
                showCount(made);
                emit progressed(made);
            });
            return !run.stopRequested();
        });
    };
    m_run.start(std::move(work), [this, result, astronomy = options.koyomi.astronomy] {
        showCount(result->count);
        showRunning(false);
        if (result->count == 0) {
            ui::showInfo(this, qs(ChartDataStoppedMessage));
            FormShow();
            return;
        }
        if (result->ended)
            ui::showInfo(this, qs(walkEndMessage(result->last, result->count, "作成", astronomy)));
        accept();
        m_list.showList(chartDataListModel(*result), m_settings.searchListOnTop());
    });
}

void TBDataF::done(int result)
{
    // Closed while running: the user wanted out, not a list.
    if (m_run.running()) {
        m_run.abandon();
        showRunning(false);
    }
    Limit.write(m_settings.store(), m_srcE->text().trimmed());
    QDialog::done(result);
}

} // namespace velm
