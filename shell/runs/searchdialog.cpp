#include "shell/runs/searchdialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "evaluation/matters.h"
#include "evaluation/numbers.h"
#include "evaluation/sencheck.h"
#include "output/search.h"
#include "output/walk.h"
#include "shell/common/helpwindow.h"
#include "shell/common/programfiles.h"
#include "shell/common/entryfields.h"
#include "shell/lists/listwindow.h"
#include "shell/common/chartopener.h"
#include "shell/common/messages.h"
#include "shell/common/goingpeople.h"
#include "shell/common/runpanel.h"
#include "shell/common/strings.h"
#include "shell/tools/systemsettings.h"

namespace velm {

namespace {

constexpr int HelpTopic = 20002;

const QString NotFound = QStringLiteral("条件に合うものは、見つかりませんでした。");

QString joined(const std::vector<std::string> &lines)
{
    QStringList out;
    for (const std::string &l : lines)
        out << qs(l);
    return out.join(QLatin1Char('\n'));
}

} // namespace

TSrcSF::TSrcSF(AppSettings &settings, const ConstData &names,
               std::function<std::optional<CivilTime>(QWidget *)> startMoment,
               std::function<EngineOptions()> engineOptions, QWidget *parent)
    : QDialog(parent), m_settings(settings), m_names(names), m_startMoment(std::move(startMoment)),
      m_engineOptions(std::move(engineOptions))
{
    setHelpTopic(this, HelpTopic);
    setObjectName(QStringLiteral("SrcSF"));
    setWindowTitle(QStringLiteral("検索一覧表の作成指定"));

    m_senBox = new QComboBox(this);
    m_senBox->setObjectName(QStringLiteral("SenBox"));
    m_senBox->setMinimumContentsLength(16);

    m_houiBox = new QComboBox(this);
    m_houiBox->setObjectName(QStringLiteral("HouiBox"));
    for (int d = 0; d <= 8; ++d)
        m_houiBox->addItem(qs(searchDirectionText(d)));

    const RadioGroup rg1 = makeRadioGroup(this, QStringLiteral("RG1"), QStringLiteral("検索する盤"),
                                          captionList(SearchKindCaption), 4, KindDay);
    const RadioGroup rg2 = makeRadioGroup(this, QStringLiteral("RG2"), QStringLiteral("表示する要素"),
                                          captionList(SearchElementCaption), 4, 0);
    m_rg1 = rg1.group;
    m_rg2 = rg2.group;

    m_srcE = makeLimitEdit(this, "SrcE", m_settings.searchLimit());
    m_cntE = makeLimitEdit(this, "CntE", m_settings.searchMatchLimit());

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("対象占事"), m_senBox);
    form->addRow(QStringLiteral("検索する方位"), m_houiBox);
    auto *limits = new QHBoxLayout;
    limits->addWidget(new QLabel(QStringLiteral("検索上限"), this));
    limits->addWidget(m_srcE);
    limits->addWidget(new QLabel(QStringLiteral("該当上限"), this));
    limits->addWidget(m_cntE);

    const RunPanel run = makeRunPanel(this, QStringLiteral("検索中断"), {"FindL", "CntL"});
    m_srcPnl = run.panel;
    m_findL = run.counts[0];
    m_cntL = run.counts[1];
    m_stopBtn = run.stopBtn;
    connect(m_stopBtn, &QPushButton::clicked, this, &TSrcSF::StopBtnClick);

    const DialogButtons buttons = makeDialogButtons(this, QStringLiteral("検索実行"), HelpTopic);
    m_btnPnl = buttons.panel;
    connect(buttons.okBtn, &QPushButton::clicked, this, &TSrcSF::OKBtnClick);

    auto *layout = new QVBoxLayout(this);
    // As large as its contents and no larger: nothing in it grows, and a
    // resizable frame would only add a bare strip below the buttons.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(form);
    layout->addWidget(rg1.box);
    // Hour charts only: the schools differ in the hour chart's ju alone.
    m_allSchools = new QCheckBox(QStringLiteral("三流派（置閏・拆補・茅山）で一致する時盤だけ"), this);
    m_allSchools->setObjectName(QStringLiteral("AllSchools"));
    m_allSchools->setToolTip(QStringLiteral("局の求め方のどの流派で作っても占事に該当する時だけを挙げます。"));
    const auto followKind = [this] { m_allSchools->setEnabled(m_rg1->checkedId() == KindHour); };
    connect(m_rg1, &QButtonGroup::idToggled, this, followKind);
    followKind();
    layout->addWidget(m_allSchools);
    // The people going (人物): their bad directions never examined.
    m_peopleBox = new QCheckBox(QStringLiteral("同行者の凶方位を除く"), this);
    m_peopleBox->setObjectName(QStringLiteral("PeopleBox"));
    m_yearMonthBox = new QCheckBox(QStringLiteral("年盤・月盤の凶方位も"), this);
    m_yearMonthBox->setObjectName(QStringLiteral("YearMonthBox"));
    m_yearMonthBox->setToolTip(QStringLiteral("その時の年盤・月盤での凶方位も除きます（移転の方位取り）"));
    const auto followPeople = [this] {
        const GoingPeople &going = GoingPeople::instance();
        m_peopleBox->setEnabled(!going.empty());
        m_yearMonthBox->setEnabled(!going.empty() && m_peopleBox->isChecked());
        m_peopleBox->setToolTip(going.empty() ? QStringLiteral("「人物」で同行する人に印を付けると使えます")
                                              : QStringLiteral("%1の凶方位（五黄殺・暗剣殺・本命殺・本命的殺・破）は調べません")
                                                    .arg(going.names()));
    };
    followPeople();
    connect(m_peopleBox, &QCheckBox::toggled, this, followPeople);
    connect(&GoingPeople::instance(), &GoingPeople::changed, this, followPeople);
    auto *people = new QHBoxLayout;
    people->addWidget(m_peopleBox);
    people->addWidget(m_yearMonthBox);
    people->addStretch(1);
    layout->addLayout(people);
    layout->addWidget(rg2.box);
    layout->addLayout(limits);
    layout->addWidget(m_srcPnl);
    layout->addWidget(m_btnPnl);
    showRunning(false);
}

void TSrcSF::showEvent(QShowEvent *event)
{
    if (!event->spontaneous() && !m_run.running())
        FormShow();
    QDialog::showEvent(event);
}

void TSrcSF::FormShow()
{
    MatterListLoad load = readMatterList(programFile(MatterIndexFileName).toStdString());
    m_senBox->clear();
    for (const std::string &name : load.list.names)
        m_senBox->addItem(qs(name));
    m_senBox->setCurrentIndex(0);
    m_houiBox->setCurrentIndex(m_presetDirection >= 1 && m_presetDirection <= 8 ? m_presetDirection : 0);
    m_presetDirection = 0;
    m_findL->clear();
    m_cntL->clear();
    showRunning(false);
    if (!load.message.empty())
        ui::showWarning(this, qs(load.message));
}

void TSrcSF::showRunning(bool running)
{
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

void TSrcSF::OKBtnClick()
{
    if (m_run.running())
        return;
    const std::optional<qint64> limit = readLimit(this, m_srcE, QStringLiteral("検索上限"));
    if (!limit)
        return;
    const std::optional<qint64> maxMatches = readLimit(this, m_cntE, QStringLiteral("該当上限"));
    if (!maxMatches)
        return;
    // The source reports a moment it cannot give.
    const std::optional<CivilTime> start = m_startMoment ? m_startMoment(this) : std::nullopt;
    if (!start)
        return;
    const EngineOptions options = m_engineOptions ? m_engineOptions() : EngineOptions{};
    if (!checkTimeZone(this, options))
        return;
    if (m_senBox->currentIndex() < 0) {
        ui::showWarning(this, QStringLiteral("対象占事を選んで下さい。"));
        return;
    }

    const QString matterName = m_senBox->currentText();
    // A file or matter that cannot be used ends the search before it starts;
    // the dialog stays usable so another matter can be chosen.
    SenMatterLoad matter = loadSenMatter(programFile(MattersFileName).toStdString(),
                                         matterName.toStdString());
    if (!matter.ok) {
        ui::showError(this, qs(matter.message));
        return;
    }
    if (!matter.warnings.empty())
        ui::showWarning(this, joined(matter.warnings));
    NumbersFile numbers = readNumbersFile(programFile(NumbersFileName).toStdString());
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
    search.allSchools = m_allSchools->isEnabled() && m_allSchools->isChecked();
    QString listTitle = matterName;
    if (m_peopleBox->isEnabled() && m_peopleBox->isChecked()) {
        search.people = GoingPeople::instance().exclusion(m_yearMonthBox->isChecked());
        // The list says whose directions were left out.
        listTitle += QStringLiteral("（%1の凶方位を除く）").arg(GoingPeople::instance().names());
    }

    showRunning(true);
    showCounts(0, 0);
    m_stopBtn->setFocus();
    auto outcome = std::make_shared<SearchOutcome>();
    auto list = std::make_shared<ListModel>();
    // The walk's own threads call the progress: it only reads the stop and
    // hands the counts over to this window's thread. The list's rows are
    // made by the list window as it shows them: a century has a quarter of
    // a million of them.
    auto work = [this, search, outcome, list, matterName = listTitle.toStdString(),
                 senMatter = std::move(matter.matter), tables = std::move(numbers.tables)](const RunTicket &run) {
        *outcome = SrcProc(search, senMatter, tables, m_names, [this, &run](std::int64_t matches, std::int64_t examined) {
            run.report([this, matches, examined] {
                showCounts(matches, examined);
                emit progressed(matches, examined);
            });
            return !run.stopRequested();
        });
        if (!outcome->found.empty())
            *list = searchListHead(matterName, search.direction, *outcome);
    };
    m_run.start(std::move(work), [this, outcome, list, start = search.start, kind = search.kind,
                                  astronomy = search.koyomi.astronomy] {
        showCounts(outcome->matches, outcome->examined);
        showRunning(false);
        // A walk cut short by the end of the calendar says so: the user asked
        // for more moments than were searched.
        if (outcome->ended && outcome->examined > 0)
            ui::showInfo(this, qs(walkEndMessage(walkMoment(start, kind, outcome->examined - 1),
                                                 outcome->examined, "検索", astronomy)));
        if (outcome->found.empty()) {
            ui::showInfo(this, NotFound);
            return;
        }
        accept();
        if (m_list) {
            ListRowSource rows;
            rows.count = outcome->rowCount();
            rows.wide = outcome->hasWideCells();
            rows.make = [outcome](std::size_t from, std::size_t to, std::vector<ListRow> &into) {
                outcome->appendRows(from, to, into);
            };
            m_list->showList(std::move(*list), m_settings.searchListOnTop(), std::move(rows));
        }
    });
}

void TSrcSF::done(int result)
{
    // Closed while running: the user wanted out, not a list.
    if (m_run.running()) {
        m_run.abandon();
        showRunning(false);
    }
    m_settings.setSearchLimit(m_srcE->text().trimmed());
    m_settings.setSearchMatchLimit(m_cntE->text().trimmed());
    QDialog::done(result);
}

SearchWindows makeSearchWindows(ChartOpener &main, AppSettings &settings, QWidget *parent)
{
    SearchWindows windows;
    windows.list = new TListF(settings, parent);
    windows.list->kindChecked = [&main](int kind) { return main.BanGrp(kind); };
    QObject::connect(windows.list, &TListF::openChart, parent,
                     [&main](int kind, const CivilTime &moment) { main.openChart(kind, moment); });
    windows.search = new TSrcSF(
        settings, main.constData(), [&main](QWidget *asking) { return main.askEnteredMoment(asking); },
        [&main] { return main.engineOptions(); }, parent);
    windows.search->setListWindow(windows.list);
    return windows;
}

} // namespace velm
