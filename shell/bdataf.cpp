#include "shell/bdataf.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "output/chartdata.h"
#include "shell/helpwindow.h"
#include "shell/listf.h"
#include "shell/mainwindow.h"
#include "shell/messages.h"

namespace velm {

namespace {

constexpr int HelpTopic = 10001;
const QString Section = QStringLiteral("Sys");
const QString LimitKey = QStringLiteral("BData");
const QString LimitDefault = QStringLiteral("300");
const QString TimeMessage = QStringLiteral("時刻が正しくありません。「時:分」の形で入力して下さい。");

QString qs(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The limit as typed; full-width digits, as an input method gives them, count.
QString limitText(const QLineEdit *edit)
{
    return edit->text().normalized(QString::NormalizationForm_KC).trimmed();
}

} // namespace

TBDataF::TBDataF(TMainF &main, AppSettings &settings, TListF &list, QWidget *parent)
    : QDialog(parent), m_main(main), m_settings(settings), m_list(list)
{
    setObjectName(QStringLiteral("BDataF"));
    setWindowTitle(QStringLiteral("作盤ﾃﾞｰﾀ一覧表の作成指定"));

    auto *rg1 = new QGroupBox(QStringLiteral("作盤するﾃﾞｰﾀ"), this);
    rg1->setObjectName(QStringLiteral("RG1"));
    auto *kinds = new QHBoxLayout(rg1);
    m_rg1 = new QButtonGroup(rg1);
    for (int k = KindYear; k <= KindHour; ++k) {
        auto *b = new QRadioButton(qs(KindCaption[static_cast<std::size_t>(k)]), rg1);
        b->setObjectName(QStringLiteral("RG1_%1").arg(k));
        m_rg1->addButton(b, k);
        kinds->addWidget(b);
    }
    m_rg1->button(KindHour)->setChecked(true);

    m_srcE = new QLineEdit(m_settings.store().text(Section, LimitKey, LimitDefault), this);
    m_srcE->setObjectName(QStringLiteral("SrcE"));
    m_srcE->setAlignment(Qt::AlignRight);
    m_srcE->setMaxLength(9);
    auto *limit = new QHBoxLayout;
    limit->addWidget(new QLabel(QStringLiteral("作成上限"), this));
    limit->addWidget(m_srcE);
    limit->addStretch(1);

    m_srcPnl = new QWidget(this);
    m_srcPnl->setObjectName(QStringLiteral("SrcPnl"));
    m_cntL = new QLabel(m_srcPnl);
    m_cntL->setObjectName(QStringLiteral("CntL"));
    // A busy bar in place of the platform's find-file animation.
    m_animate = new QProgressBar(m_srcPnl);
    m_animate->setObjectName(QStringLiteral("Animate1"));
    m_animate->setRange(0, 0);
    m_animate->setTextVisible(false);
    m_animate->setMaximumHeight(12);
    m_stopBtn = new QPushButton(QStringLiteral("作成中断"), m_srcPnl);
    m_stopBtn->setObjectName(QStringLiteral("StopBtn"));
    m_stopBtn->setAutoDefault(false);
    connect(m_stopBtn, &QPushButton::clicked, this, &TBDataF::StopBtnClick);
    auto *srcLayout = new QGridLayout(m_srcPnl);
    srcLayout->addWidget(m_cntL, 0, 0);
    srcLayout->addWidget(m_animate, 1, 0);
    srcLayout->addWidget(m_stopBtn, 0, 1, 2, 1);

    m_btnPnl = new QWidget(this);
    m_btnPnl->setObjectName(QStringLiteral("BtnPnl"));
    auto *okBtn = new QPushButton(QStringLiteral("作成実行"), m_btnPnl);
    okBtn->setObjectName(QStringLiteral("OKBtn"));
    okBtn->setDefault(true);
    auto *cancelBtn = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), m_btnPnl);
    cancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    cancelBtn->setAutoDefault(false);
    auto *helpBtn = new QPushButton(QStringLiteral("ﾍﾙﾌﾟ(&H)"), m_btnPnl);
    helpBtn->setObjectName(QStringLiteral("HelpBtn"));
    helpBtn->setAutoDefault(false);
    connect(okBtn, &QPushButton::clicked, this, &TBDataF::OKBtnClick);
    connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpBtn, &QPushButton::clicked, this, [] { showHelp(HelpTopic); });
    auto *buttons = new QHBoxLayout(m_btnPnl);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch(1);
    buttons->addWidget(okBtn);
    buttons->addWidget(cancelBtn);
    buttons->addWidget(helpBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(rg1);
    layout->addLayout(limit);
    layout->addWidget(m_srcPnl);
    layout->addWidget(m_btnPnl);
    setRunning(false);
}

void TBDataF::showEvent(QShowEvent *event)
{
    if (!event->spontaneous() && !m_running)
        FormShow();
    QDialog::showEvent(event);
}

void TBDataF::FormShow()
{
    m_cntL->clear();
    setRunning(false);
}

void TBDataF::setRunning(bool running)
{
    m_running = running;
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
    if (m_running)
        return;
    bool numeric = false;
    const long count = limitText(m_srcE).toLong(&numeric);
    if (!numeric || count < 0) {
        ui::showError(this, QStringLiteral("『%1』は、作成上限として正しくありません。0以上の整数を入力して下さい。")
                                .arg(m_srcE->text()));
        m_srcE->setFocus();
        m_srcE->selectAll();
        return;
    }
    const std::optional<CivilTime> start = m_main.enteredMoment();
    if (!start) {
        ui::showWarning(this, TimeMessage);
        return;
    }
    const EngineOptions engine = m_main.engineOptions();
    if (!engine.tzOk) {
        ui::showError(this, QStringLiteral("システム設定の時差『%1』が正しくありません。").arg(engine.tzText));
        return;
    }

    ChartDataListOptions options;
    options.start = *start;
    options.kind = m_rg1->checkedId();
    options.count = count;
    options.koyomi = engine.koyomi;
    options.method = engine.method;

    m_stopRequested = false;
    m_closeAfterStop = false;
    setRunning(true);
    showCount(0);
    m_stopBtn->setFocus();
    // Each wave of moments is quick (a few milliseconds), so the run stays on
    // this thread and lets the window breathe between waves.
    ChartDataList result = ListProc(options, [this](long made) {
        showCount(made);
        emit progressed(made);
        QCoreApplication::processEvents();
        return !m_stopRequested;
    });
    showCount(result.count);
    setRunning(false);

    if (m_closeAfterStop) {
        // Closed while running: the user wanted out, not a list.
        QDialog::done(QDialog::Rejected);
        return;
    }
    if (result.count == 0) {
        ui::showInfo(this, qs(ChartDataStoppedMessage));
        FormShow();
        return;
    }
    const ListModel model = chartDataListModel(result);
    accept();
    m_list.showList(model, m_settings.CB(1));
}

void TBDataF::done(int result)
{
    if (m_running) {
        m_stopRequested = true;
        m_closeAfterStop = true;
        return;
    }
    m_settings.store().setText(Section, LimitKey, m_srcE->text().trimmed());
    QDialog::done(result);
}

} // namespace velm
