#include "shell/runs/quicksearchdialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "engine/symbols.h"
#include "output/chartdata.h"
#include "output/listfile.h"
#include "output/quicksearch.h"
#include "output/walk.h"
#include "shell/common/helpwindow.h"
#include "shell/common/entryfields.h"
#include "shell/common/chartopener.h"
#include "shell/common/messages.h"
#include "shell/common/runpanel.h"
#include "shell/common/strings.h"

namespace velm {

namespace {

// "検索上限", as typed.
const SettingValue<QString> Limit{"Sys", "ESrc", QStringLiteral("500")};
const QString IdleCount = QStringLiteral("検索件数　");

// "不問" first, then the names: item n stands for value n - 1.
QStringList withAny(auto names, const QString &suffix = {})
{
    QStringList items{QStringLiteral("不問")};
    for (std::string_view name : names)
        items << qs(name) + suffix;
    return items;
}

// The value an item of a group with "不問" first stands for.
std::optional<int> valueOf(int item)
{
    if (item <= 0)
        return std::nullopt;
    return item - 1;
}

} // namespace

TESrcF::TESrcF(ChartOpener &main, AppSettings &settings, QWidget *parent)
    : QDialog(parent), m_main(main), m_settings(settings)
{
    setHelpTopic(this, HelpQuickSearch);
    setObjectName(QStringLiteral("ESrcF"));
    setWindowTitle(QStringLiteral("簡易検索作盤"));

    auto *layout = new QVBoxLayout(this);
    // As large as its contents and no larger: nothing in it grows, and a
    // resizable frame would only add a bare strip below the buttons.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto radioGroup = [this, layout](int n, const QString &caption, const QStringList &items, int columns) {
        const RadioGroup radio = makeRadioGroup(this, QStringLiteral("CB%1").arg(n), caption, items, columns, 0);
        m_cb[n - 1] = radio.group;
        layout->addWidget(radio.box);
    };
    radioGroup(1, QStringLiteral("盤"), captionList(KindCaption), 4);
    radioGroup(2, QStringLiteral("天干"), withAny(StemName), 6);
    radioGroup(3, QStringLiteral("地支"), withAny(BranchName), 7);
    radioGroup(4, QStringLiteral("陰陽"), {qs(DunName[0]), qs(DunName[1])}, 2);
    radioGroup(5, QStringLiteral("局"), withAny(NumeralFull, QStringLiteral("局")), 5);

    m_cntE = makeLimitEdit(this, "CntE", Limit.read(m_settings.store()));
    m_cntL = new QLabel(IdleCount, this);
    m_cntL->setObjectName(QStringLiteral("CntL"));
    m_cntL->setMinimumWidth(m_cntL->fontMetrics().horizontalAdvance(QStringLiteral("検索件数：99999件")));
    m_button1 = new QPushButton(QStringLiteral("検索作盤実行"), this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button1->setDefault(true);
    connect(m_button1, &QPushButton::clicked, this, &TESrcF::Button1Click);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("検索上限"), this));
    bottom->addWidget(m_cntE);
    bottom->addWidget(m_cntL, 1);
    bottom->addWidget(m_button1);
    layout->addLayout(bottom);
}

void TESrcF::showEvent(QShowEvent *event)
{
    if (!event->spontaneous() && !m_run.running())
        m_cntL->setText(IdleCount);
    QDialog::showEvent(event);
}

void TESrcF::showRunning(bool running)
{
    m_button1->setEnabled(!running);
    m_cntE->setEnabled(!running);
    for (QButtonGroup *group : m_cb)
        for (QAbstractButton *b : group->buttons())
            b->setEnabled(!running);
}

void TESrcF::showCount(qint64 examined)
{
    m_cntL->setText(QStringLiteral("検索件数：%1件").arg(examined, 5));
}

void TESrcF::Button1Click()
{
    if (m_run.running())
        return;
    const std::optional<qint64> limit = readLimit(this, m_cntE, QStringLiteral("検索上限"));
    if (!limit)
        return;
    const std::optional<CivilTime> start = m_main.askEnteredMoment(this);
    if (!start)
        return;
    const EngineOptions engine = m_main.engineOptions();
    if (!checkTimeZone(this, engine))
        return;

    QuickSearchOptions options;
    options.start = *start;
    options.condition.kind = m_cb[0]->checkedId();
    options.condition.stem = valueOf(m_cb[1]->checkedId());
    options.condition.branch = valueOf(m_cb[2]->checkedId());
    options.condition.dun = m_cb[3]->checkedId();
    // The ju items are "不問" then １局 … ９局: the item is the ju number itself.
    if (const int ju = m_cb[4]->checkedId(); ju > 0)
        options.condition.ju = ju;
    options.limit = static_cast<long>(*limit);
    options.koyomi = engine.koyomi;
    options.method = engine.method;

    showRunning(true);
    auto result = std::make_shared<QuickSearchResult>();
    auto work = [this, options, result](const RunTicket &run) {
        *result = quickSearch(options, [this, &run](long examined) {
            run.report([this, examined] {
                showCount(examined);
                emit progressed(examined);
            });
            return !run.stopRequested();
        });
    };
    m_run.start(std::move(work), [this, result, kind = options.condition.kind, astronomy = options.koyomi.astronomy] {
        searchEnded(*result, kind, astronomy);
    });
}

void TESrcF::searchEnded(const QuickSearchResult &result, int kind, Astronomy astronomy)
{
    showRunning(false);
    showCount(result.examined);
    if (!result.ok()) {
        ui::showInfo(this, qs(QuickSearchNotFoundMessage));
        if (result.ended)
            ui::showInfo(this, qs(walkEndMessage(result.last, result.examined, "検索", astronomy)));
        return;
    }
    if (!m_main.BanGrp(kind)) {
        QApplication::beep();
        const QString caption = m_cb[0]->button(kind)->text();
        if (!ui::askYesNo(this, QString::fromStdString(uncheckedKindQuestion(caption.toStdString()))))
            return;
    }
    m_main.openChart(kind, result.found);
    accept();
}

void TESrcF::done(int result)
{
    if (m_run.running()) {
        m_run.abandon();
        showRunning(false);
    }
    Limit.write(m_settings.store(), m_cntE->text().trimmed());
    QDialog::done(result);
}

} // namespace velm
