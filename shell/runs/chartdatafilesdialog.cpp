#include "shell/runs/chartdatafilesdialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "output/chartdata.h"
#include "shell/common/helpwindow.h"
#include "shell/common/programfiles.h"
#include "shell/common/checkres.h"
#include "shell/common/entryfields.h"
#include "shell/common/chartopener.h"
#include "shell/common/messages.h"
#include "shell/common/runpanel.h"
#include "shell/common/strings.h"

namespace velm {

namespace {

const QString IdleStatus = QStringLiteral("処理中の内容");
const QString FailedStatus = QStringLiteral("生成を中断しました！");

} // namespace

QString TDMakeF::folderCaption()
{
    return QStringLiteral("出力先のフォルダを指定してください。");
}

TDMakeF::TDMakeF(AppSettings &settings, const ConstData &names, std::function<EngineOptions()> engineOptions,
                 QWidget *parent)
    : QDialog(parent), m_settings(settings), m_names(names), m_engineOptions(std::move(engineOptions))
{
    setHelpTopic(this, HelpChartData);
    setObjectName(QStringLiteral("DMakeF"));
    setWindowTitle(QStringLiteral("CGI 用 作盤データ生成"));

    chooseFolder = [](QWidget *parent, const QString &caption, const QString &start) {
        return QFileDialog::getExistingDirectory(parent, caption, start);
    };

    // FormCreate: the default output folder lies in the program folder.
    m_dirE = new QLineEdit(programFile(m_settings.programFolder(), QStringLiteral("cgidata")) + QLatin1Char('/'),
                           this);
    m_dirE->setObjectName(QStringLiteral("DirE"));
    m_dirE->setMinimumWidth(320);
    m_openBtn = new QPushButton(this);
    m_openBtn->setObjectName(QStringLiteral("OpenBtn"));
    m_openBtn->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_openBtn->setToolTip(folderCaption());
    m_openBtn->setAutoDefault(false);
    connect(m_openBtn, &QPushButton::clicked, this, &TDMakeF::OpenBtnClick);
    auto *dirRow = new QHBoxLayout;
    auto *dirLabel = new QLabel(QStringLiteral("出力フォルダ："), this);
    dirLabel->setBuddy(m_dirE);
    dirRow->addWidget(dirLabel);
    dirRow->addWidget(m_dirE, 1);
    dirRow->addWidget(m_openBtn);

    auto *cg1 = new QGroupBox(QStringLiteral("出力データ"), this);
    cg1->setObjectName(QStringLiteral("CG1"));
    m_yearMonth = new QCheckBox(QStringLiteral("年月データ"), cg1);
    m_yearMonth->setObjectName(QStringLiteral("CG1_0"));
    m_yearMonth->setChecked(true);
    m_dayHour = new QCheckBox(QStringLiteral("日時データ"), cg1);
    m_dayHour->setObjectName(QStringLiteral("CG1_1"));
    m_dayHour->setChecked(true);
    auto *cgLayout = new QHBoxLayout(cg1);
    cgLayout->addWidget(m_yearMonth);
    cgLayout->addWidget(m_dayHour);
    cgLayout->addStretch(1);

    auto yearEdit = [this](const char *name, const QString &text) {
        auto *e = new QLineEdit(text, this);
        e->setObjectName(QLatin1String(name));
        e->setAlignment(Qt::AlignRight);
        e->setMaxLength(6);
        e->setMaximumWidth(80);
        return e;
    };
    // This year and the next: the years a web page is prepared for.
    const int thisYear = QDate::currentDate().year();
    m_fYearE = yearEdit("FYearE", QString::number(thisYear));
    m_eYearE = yearEdit("EYearE", QString::number(thisYear + 1));
    auto *yearRow = new QHBoxLayout;
    auto *fLabel = new QLabel(QStringLiteral("出力開始年："), this);
    fLabel->setBuddy(m_fYearE);
    auto *eLabel = new QLabel(QStringLiteral("出力終了年："), this);
    eLabel->setBuddy(m_eYearE);
    yearRow->addWidget(fLabel);
    yearRow->addWidget(m_fYearE);
    yearRow->addSpacing(16);
    yearRow->addWidget(eLabel);
    yearRow->addWidget(m_eYearE);
    yearRow->addStretch(1);

    const RadioGroup rg1 = makeRadioGroup(this, QStringLiteral("RG1"), QStringLiteral("出力種別"),
                                          {QStringLiteral("コード"), QStringLiteral("文字列")}, 2,
                                          static_cast<int>(ChartFileOutput::Code));
    const RadioGroup rg2 = makeRadioGroup(this, QStringLiteral("RG2"), QStringLiteral("出力形式"),
                                          {QStringLiteral("年フォルダ＋日時データ(2003/01～12.dat)"),
                                           QStringLiteral("同一フォルダ(200301.dat～200312.dat)")},
                                          1, static_cast<int>(ChartFileLayout::SameFolder));
    m_rg1 = rg1.group;
    m_rg2 = rg2.group;

    m_button1 = new QPushButton(QStringLiteral("データ生成実行！"), this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button1->setDefault(true);
    connect(m_button1, &QPushButton::clicked, this, &TDMakeF::Button1Click);

    m_dispL = new QLabel(IdleStatus, this);
    m_dispL->setObjectName(QStringLiteral("DispL"));
    m_dispL->setFrameShape(QFrame::Panel);
    m_dispL->setFrameShadow(QFrame::Sunken);
    m_dispL->setMinimumHeight(m_dispL->fontMetrics().height() + 8);

    m_okBtn = new QPushButton(QStringLiteral("閉じる"), this);
    m_okBtn->setObjectName(QStringLiteral("OKBtn"));
    m_okBtn->setAutoDefault(false);
    connect(m_okBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_button1);
    buttons->addStretch(1);
    buttons->addWidget(m_okBtn);

    auto *layout = new QVBoxLayout(this);
    // As large as its contents and no larger: nothing in it grows, and a
    // resizable frame would only add a bare strip below the buttons.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(dirRow);
    layout->addWidget(cg1);
    layout->addLayout(yearRow);
    layout->addWidget(rg1.box);
    layout->addWidget(rg2.box);
    layout->addWidget(m_dispL);
    layout->addLayout(buttons);

    m_inputs = {m_dirE, m_openBtn, cg1, m_fYearE, m_eYearE, rg1.box, rg2.box, m_button1};
}

void TDMakeF::OpenBtnClick()
{
    if (m_run.running() || !chooseFolder)
        return;
    const QString current = outputFolder();
    const QString start = QDir(current).exists() ? current : m_settings.programFolder();
    const QString chosen = chooseFolder(this, folderCaption(), start);
    if (!chosen.isEmpty())
        m_dirE->setText(QDir::toNativeSeparators(chosen));
}

QString TDMakeF::outputFolder() const
{
    const QString text = m_dirE->text().trimmed();
    if (text.isEmpty())
        return text;
    // A relative folder is taken inside the program folder, where the default lies.
    if (QDir::isRelativePath(text))
        return QDir(m_settings.programFolder()).filePath(text);
    return text;
}

void TDMakeF::setStatus(const QString &status)
{
    if (m_dispL->text() == status)
        return;
    m_dispL->setText(status);
    m_dispL->repaint();
    emit statusChanged(status);
}

void TDMakeF::showRunning(bool running)
{
    for (QWidget *w : m_inputs)
        w->setEnabled(!running);
    if (running)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

bool TDMakeF::yearOf(QLineEdit *edit, const QString &caption, int &year)
{
    bool ok = false;
    year = typedNumber(edit).toInt(&ok);
    if (ok)
        return true;
    ui::showError(this, QStringLiteral("『%1』は、%2として正しくありません。西暦の年を数字で入力して下さい。")
                            .arg(edit->text(), caption));
    edit->setFocus();
    edit->selectAll();
    return false;
}

void TDMakeF::Button1Click()
{
    if (m_run.running() || CheckRes(ResAtChartData, this))
        return;

    ChartFileOptions options;
    if (!yearOf(m_fYearE, QStringLiteral("出力開始年"), options.fromYear)
        || !yearOf(m_eYearE, QStringLiteral("出力終了年"), options.toYear))
        return;
    options.folder = outputFolder().toStdString();
    options.yearMonth = m_yearMonth->isChecked();
    options.dayHour = m_dayHour->isChecked();
    options.output = static_cast<ChartFileOutput>(m_rg1->checkedId());
    options.layout = static_cast<ChartFileLayout>(m_rg2->checkedId());
    options.names = m_names;
    if (const std::string error = chartFileOptionsError(options); !error.empty()) {
        ui::showError(this, qs(error));
        if (options.folder.empty())
            m_dirE->setFocus();
        else if (!options.yearMonth && !options.dayHour)
            m_yearMonth->setFocus();
        else {
            m_fYearE->setFocus();
            m_fYearE->selectAll();
        }
        return;
    }
    const EngineOptions engine = m_engineOptions ? m_engineOptions() : EngineOptions{};
    if (!checkTimeZone(this, engine))
        return;
    options.koyomi = engine.koyomi;
    options.method = engine.method;

    showRunning(true);
    auto result = std::make_shared<ChartFileResult>();
    auto work = [this, options = std::move(options), result](const RunTicket &run) {
        *result = writeChartDataFiles(options, [this, &run](std::string_view status) {
            run.report([this, text = qs(status)] { setStatus(text); });
            return !run.stopRequested();
        });
    };
    m_run.start(std::move(work), [this, result] { runEnded(*result); });
}

void TDMakeF::runEnded(const ChartFileResult &result)
{
    showRunning(false);
    switch (result.status) {
    case ChartFileResult::Status::Done:
        setStatus(qs(ChartFileDoneStatus));
        QApplication::beep();
        break;
    case ChartFileResult::Status::Failed:
        setStatus(FailedStatus);
        ui::showError(this, qs(result.message));
        break;
    case ChartFileResult::Status::Cancelled:
        setStatus(FailedStatus);
        break;
    }
    m_button1->setFocus();
}

void TDMakeF::done(int result)
{
    // The files written so far stay; the one in hand is not written.
    if (m_run.running()) {
        m_run.abandon();
        showRunning(false);
    }
    QDialog::done(result);
}

void CGIBtnClick(ChartOpener &main, AppSettings &settings, QWidget *parent)
{
    TDMakeF dialog(settings, main.constData(), [&main] { return main.engineOptions(); }, parent);
    dialog.exec();
}

} // namespace velm
