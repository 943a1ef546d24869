#include "shell/srcsf.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
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

#include "evaluation/matters.h"
#include "evaluation/numbers.h"
#include "evaluation/sencheck.h"
#include "output/search.h"
#include "shell/app.h"
#include "shell/helpwindow.h"
#include "shell/listf.h"
#include "shell/mainwindow.h"
#include "shell/messages.h"
#include "shell/syssettings.h"

namespace velm {

namespace {

constexpr int HelpTopic = 20002;

QString qs(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

const QString NotFound = QStringLiteral("条件に合うものは、見つかりませんでした。");
const QString TimeMessage = QStringLiteral("時刻が正しくありません。「時:分」の形で入力して下さい。");

QString joined(const std::vector<std::string> &lines)
{
    QStringList out;
    for (const std::string &l : lines)
        out << qs(l);
    return out.join(QLatin1Char('\n'));
}

} // namespace

TSrcSF::TSrcSF(AppSettings &settings, const ConstData &names,
               std::function<std::optional<CivilTime>()> startMoment,
               std::function<EngineOptions()> engineOptions, QWidget *parent)
    : QDialog(parent), m_settings(settings), m_names(names), m_startMoment(std::move(startMoment)),
      m_engineOptions(std::move(engineOptions))
{
    setObjectName(QStringLiteral("SrcSF"));
    setWindowTitle(QStringLiteral("検索一覧表の作成指定"));

    m_senBox = new QComboBox(this);
    m_senBox->setObjectName(QStringLiteral("SenBox"));
    m_senBox->setMinimumContentsLength(16);

    m_houiBox = new QComboBox(this);
    m_houiBox->setObjectName(QStringLiteral("HouiBox"));
    for (int d = 0; d <= 8; ++d)
        m_houiBox->addItem(qs(searchDirectionText(d)));

    auto radioGroup = [this](const char *name, const QString &caption, auto captions, int columns,
                             int checked, QButtonGroup *&group) {
        auto *box = new QGroupBox(caption, this);
        box->setObjectName(QLatin1String(name));
        auto *grid = new QGridLayout(box);
        group = new QButtonGroup(box);
        int i = 0;
        for (std::string_view text : captions) {
            auto *b = new QRadioButton(qs(text), box);
            b->setObjectName(QLatin1String(name) + QLatin1Char('_') + QString::number(i));
            group->addButton(b, i);
            grid->addWidget(b, i / columns, i % columns);
            ++i;
        }
        group->button(checked)->setChecked(true);
        return box;
    };
    QGroupBox *rg1 = radioGroup("RG1", QStringLiteral("検索する盤"), SearchKindCaption, 4, KindDay, m_rg1);
    QGroupBox *rg2 = radioGroup("RG2", QStringLiteral("表示する要素"), SearchElementCaption, 4, 0, m_rg2);

    auto limitEdit = [this](const char *name, const QString &text) {
        auto *e = new QLineEdit(text, this);
        e->setObjectName(QLatin1String(name));
        e->setAlignment(Qt::AlignRight);
        e->setMaxLength(9);
        return e;
    };
    m_srcE = limitEdit("SrcE", m_settings.Src());
    m_cntE = limitEdit("CntE", m_settings.Cnt());

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("対象占事"), m_senBox);
    form->addRow(QStringLiteral("検索する方位"), m_houiBox);
    auto *limits = new QHBoxLayout;
    limits->addWidget(new QLabel(QStringLiteral("検索上限"), this));
    limits->addWidget(m_srcE);
    limits->addWidget(new QLabel(QStringLiteral("該当上限"), this));
    limits->addWidget(m_cntE);

    m_srcPnl = new QWidget(this);
    m_srcPnl->setObjectName(QStringLiteral("SrcPnl"));
    m_findL = new QLabel(m_srcPnl);
    m_findL->setObjectName(QStringLiteral("FindL"));
    m_cntL = new QLabel(m_srcPnl);
    m_cntL->setObjectName(QStringLiteral("CntL"));
    // Busy indicator in place of the platform's find-file animation.
    m_animate = new QProgressBar(m_srcPnl);
    m_animate->setObjectName(QStringLiteral("Animate1"));
    m_animate->setRange(0, 0);
    m_animate->setTextVisible(false);
    m_animate->setMaximumHeight(12);
    m_stopBtn = new QPushButton(QStringLiteral("検索中断"), m_srcPnl);
    m_stopBtn->setObjectName(QStringLiteral("StopBtn"));
    m_stopBtn->setAutoDefault(false);
    connect(m_stopBtn, &QPushButton::clicked, this, &TSrcSF::StopBtnClick);
    auto *srcLayout = new QGridLayout(m_srcPnl);
    srcLayout->addWidget(m_findL, 0, 0);
    srcLayout->addWidget(m_cntL, 0, 1);
    srcLayout->addWidget(m_animate, 1, 0, 1, 2);
    srcLayout->addWidget(m_stopBtn, 0, 2, 2, 1);

    m_btnPnl = new QWidget(this);
    m_btnPnl->setObjectName(QStringLiteral("BtnPnl"));
    auto *okBtn = new QPushButton(QStringLiteral("検索実行"), m_btnPnl);
    okBtn->setObjectName(QStringLiteral("OKBtn"));
    okBtn->setDefault(true);
    auto *cancelBtn = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), m_btnPnl);
    cancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    cancelBtn->setAutoDefault(false);
    auto *helpBtn = new QPushButton(QStringLiteral("ﾍﾙﾌﾟ(&H)"), m_btnPnl);
    helpBtn->setObjectName(QStringLiteral("HelpBtn"));
    helpBtn->setAutoDefault(false);
    connect(okBtn, &QPushButton::clicked, this, &TSrcSF::OKBtnClick);
    connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpBtn, &QPushButton::clicked, this, [] { showHelp(HelpTopic); });
    auto *buttons = new QHBoxLayout(m_btnPnl);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch(1);
    buttons->addWidget(okBtn);
    buttons->addWidget(cancelBtn);
    buttons->addWidget(helpBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(rg1);
    layout->addWidget(rg2);
    layout->addLayout(limits);
    layout->addWidget(m_srcPnl);
    layout->addWidget(m_btnPnl);
    setRunning(false);
}

void TSrcSF::showEvent(QShowEvent *event)
{
    if (!event->spontaneous() && !m_running)
        FormShow();
    QDialog::showEvent(event);
}

void TSrcSF::FormShow()
{
    MatterListLoad load = readMatterList(programFile(QStringLiteral("Senji.Idx")).toStdString());
    m_senBox->clear();
    for (const std::string &name : load.list.names)
        m_senBox->addItem(qs(name));
    m_senBox->setCurrentIndex(0);
    m_houiBox->setCurrentIndex(0);
    m_findL->clear();
    m_cntL->clear();
    setRunning(false);
    if (!load.message.empty())
        ui::showWarning(this, qs(load.message));
}

void TSrcSF::setRunning(bool running)
{
    m_running = running;
    m_srcPnl->setVisible(running);
    m_btnPnl->setEnabled(!running);
    m_srcE->setEnabled(!running);
    m_cntE->setEnabled(!running);
}

void TSrcSF::showCounts(qint64 matches, qint64 examined)
{
    m_findL->setText(QStringLiteral("該当件数：%1件").arg(matches, 5));
    m_cntL->setText(QStringLiteral("検索件数：%1件").arg(examined, 5));
}

std::optional<qint64> TSrcSF::limitOf(QLineEdit *edit, const QString &caption)
{
    bool ok = false;
    const qint64 value = edit->text().trimmed().toLongLong(&ok);
    if (ok && value >= 0)
        return value;
    ui::showError(this, QStringLiteral("『%1』は、%2として正しくありません。0以上の整数を入力して下さい。")
                            .arg(edit->text(), caption));
    edit->setFocus();
    edit->selectAll();
    return std::nullopt;
}

void TSrcSF::OKBtnClick()
{
    if (m_running)
        return;
    const std::optional<qint64> limit = limitOf(m_srcE, QStringLiteral("検索上限"));
    if (!limit)
        return;
    const std::optional<qint64> maxMatches = limitOf(m_cntE, QStringLiteral("該当上限"));
    if (!maxMatches)
        return;
    const std::optional<CivilTime> start = m_startMoment ? m_startMoment() : std::nullopt;
    if (!start) {
        ui::showWarning(this, TimeMessage);
        return;
    }
    const EngineOptions options = m_engineOptions ? m_engineOptions() : EngineOptions{};
    if (!options.tzOk) {
        ui::showError(this, QStringLiteral("システム設定の時差『%1』が正しくありません。").arg(options.tzText));
        return;
    }
    if (m_senBox->currentIndex() < 0) {
        ui::showWarning(this, QStringLiteral("対象占事を選んで下さい。"));
        return;
    }

    const QString matterName = m_senBox->currentText();
    // A file or matter that cannot be used ends the search before it starts;
    // the dialog stays usable so another matter can be chosen.
    SenMatterLoad matter = loadSenMatter(programFile(QStringLiteral("Senji.Dat")).toStdString(),
                                         matterName.toStdString());
    if (!matter.ok) {
        ui::showError(this, qs(matter.message));
        return;
    }
    if (!matter.warnings.empty())
        ui::showWarning(this, joined(matter.warnings));
    NumbersFile numbers = readNumbersFile(programFile(QStringLiteral("SuuFile.Dat")).toStdString());
    if (!numbers.ok()) {
        ui::showError(this, qs(numbers.error));
        return;
    }

    SearchSettings search;
    search.start = *start;
    search.kind = m_rg1->checkedId();
    search.direction = m_houiBox->currentIndex();
    search.element = static_cast<SearchElement>(m_rg2->checkedId());
    search.limit = *limit;
    search.maxMatches = *maxMatches;
    search.koyomi = options.koyomi;
    search.method = options.method;

    m_stopRequested = false;
    m_closeAfterStop = false;
    setRunning(true);
    showCounts(0, 0);
    m_stopBtn->setFocus();
    SearchOutcome outcome = SrcProc(search, matter.matter, numbers.tables, m_names,
                                     [this](std::int64_t matches, std::int64_t examined) {
                                         showCounts(matches, examined);
                                         emit progressed(matches, examined);
                                         // The stop button and repainting are heard here.
                                         QCoreApplication::processEvents();
                                         return !m_stopRequested;
                                     });
    showCounts(outcome.matches, outcome.examined);
    setRunning(false);

    if (m_closeAfterStop) {
        // Closed while running: the user wanted out, not a list.
        QDialog::done(QDialog::Rejected);
        return;
    }
    if (outcome.found.empty()) {
        ui::showInfo(this, NotFound);
        return;
    }
    ListModel list = searchListModel(matterName.toStdString(), search.direction, std::move(outcome));
    accept();
    if (m_list)
        m_list->showList(list, m_settings.CB(1));
}

void TSrcSF::done(int result)
{
    if (m_running) {
        m_stopRequested = true;
        m_closeAfterStop = true;
        return;
    }
    m_settings.setSrc(m_srcE->text().trimmed());
    m_settings.setCnt(m_cntE->text().trimmed());
    QDialog::done(result);
}

SearchWindows makeSearchWindows(TMainF &main)
{
    SearchWindows windows;
    windows.list = new TListF(main.settings(), &main);
    windows.list->kindChecked = [&main](int kind) { return main.BanGrp(kind); };
    QObject::connect(windows.list, &TListF::openChart, &main,
                     [&main](int kind, const CivilTime &moment) { main.openChart(kind, moment); });
    windows.search = new TSrcSF(
        main.settings(), main.constData(), [&main] { return main.enteredMoment(); },
        [&main] { return main.engineOptions(); }, &main);
    windows.search->setListWindow(windows.list);
    return windows;
}

} // namespace velm
