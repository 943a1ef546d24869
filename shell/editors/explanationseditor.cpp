#include "shell/editors/explanationseditor.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include "engine/codec.h"
#include "shell/common/programfiles.h"
#include "shell/settings/appsettings.h"
#include "shell/common/helpwindow.h"
#include "shell/common/icons.h"
#include "shell/common/messages.h"
#include "shell/tools/systemsettings.h"

namespace velm {

namespace {

// The memo holds plain LF line breaks whatever the platform.
constexpr std::string_view MemoBreak = "\n";

// The first character of `utf8` at byte `offset`, whole.
QString characterAt(const std::string &utf8, std::size_t offset)
{
    if (offset >= utf8.size())
        return {};
    std::size_t end = offset + 1;
    while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
        ++end;
    return QString::fromUtf8(utf8.data() + offset, static_cast<qsizetype>(end - offset));
}

} // namespace

TSetuF::TSetuF(AppSettings &settings, const ConstData &names, QWidget *parent)
    : QDialog(parent), m_settings(settings), m_names(names)
{
    setHelpTopic(this, SetuHelpTopic);
    setObjectName(QStringLiteral("SetuF"));
    setWindowTitle(QStringLiteral("説明文の編集"));
    setWindowIcon(velmIcon(IconId::Explanations));
    setMinimumSize(480, 200);
    resize(560, 360);

    m_shuBox = new QComboBox;
    m_shuBox->setObjectName(QStringLiteral("ShuBox"));
    for (std::string_view kind : SetuKindName)
        m_shuBox->addItem(QString::fromUtf8(kind.data(), static_cast<qsizetype>(kind.size())));
    m_hosiBox = new QComboBox;
    m_hosiBox->setObjectName(QStringLiteral("HosiBox"));
    m_hosiBox->setMaxVisibleItems(20);
    m_hosiBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    m_upBtn = new QPushButton;
    m_upBtn->setObjectName(QStringLiteral("UpBtn"));
    m_upBtn->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    m_upBtn->setToolTip(QStringLiteral("前の編集対象"));
    m_upBtn->setStatusTip(m_upBtn->toolTip());
    m_upBtn->setAutoDefault(false);
    m_downBtn = new QPushButton;
    m_downBtn->setObjectName(QStringLiteral("DownBtn"));
    m_downBtn->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    m_downBtn->setToolTip(QStringLiteral("次の編集対象"));
    m_downBtn->setStatusTip(m_downBtn->toolTip());
    m_downBtn->setAutoDefault(false);
    connect(m_upBtn, &QPushButton::clicked, this, &TSetuF::UpBtnClick);
    connect(m_downBtn, &QPushButton::clicked, this, &TSetuF::DownBtnClick);

    auto *shuLabel = new QLabel(QStringLiteral("盤の要素"));
    shuLabel->setBuddy(m_shuBox);
    auto *hosiLabel = new QLabel(QStringLiteral("編集対象"));
    hosiLabel->setBuddy(m_hosiBox);
    auto *top = new QHBoxLayout;
    top->addWidget(shuLabel);
    top->addWidget(m_shuBox);
    top->addSpacing(12);
    top->addWidget(hosiLabel);
    top->addWidget(m_hosiBox);
    top->addWidget(m_upBtn);
    top->addWidget(m_downBtn);
    top->addStretch(1);

    m_memo = new QPlainTextEdit;
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setTabChangesFocus(true);

    auto *closeBtn = new QPushButton(QStringLiteral("閉じる"));
    closeBtn->setObjectName(QStringLiteral("CloseBtn"));
    closeBtn->setAutoDefault(false);
    connect(closeBtn, &QPushButton::clicked, this, &QDialog::accept);
    auto *helpBtn = new QPushButton(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    helpBtn->setObjectName(QStringLiteral("HelpBtn"));
    helpBtn->setAutoDefault(false);
    connect(helpBtn, &QPushButton::clicked, this, [] { showHelp(SetuHelpTopic); });
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(closeBtn);
    bottom->addWidget(helpBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_memo, 1);
    layout->addLayout(bottom);

    connect(m_shuBox, &QComboBox::currentIndexChanged, this, &TSetuF::ShuBoxChange);
    connect(m_hosiBox, &QComboBox::currentIndexChanged, this, &TSetuF::HosiBoxChange);
    fillTargets(0);
}

int TSetuF::SetuItemClick()
{
    return exec();
}

QString TSetuF::setuPath()
{
    return programFile(ExplanationsFileName);
}

void TSetuF::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // FormCreate / FormPaint: the basic font for the window, the explanation
    // font for the memo, as the user last set them.
    FontSetF(this, m_settings.baseFont(), m_settings.explanationFont());
    if (!m_loaded) {
        m_loaded = true;
        FormActivate();
    }
}

void TSetuF::FormActivate()
{
    m_texts = SetuTexts::load(setuPath().toStdString());
    switch (m_texts.status()) {
    case SetuTexts::Status::Ok:
        if (!m_texts.warning().empty())
            ui::showWarning(this, QString::fromStdString(m_texts.warning()));
        break;
    case SetuTexts::Status::Missing:
        // Texts typed now still reach a new file when the window closes.
        ui::showError(this, QString::fromStdString(m_texts.error()));
        break;
    case SetuTexts::Status::Unreadable:
    case SetuTexts::Status::BadEncoding:
        // What could be read is shown, but nothing may be typed: the file
        // will not be replaced, so typed texts would be lost.
        ui::showError(this, QString::fromStdString(m_texts.error())
                                + QStringLiteral("\n説明文は表示のみで、編集できません。"));
        break;
    }
    m_memo->setReadOnly(!editable());
    select(0, 0);
    m_memo->setFocus();
}

bool TSetuF::editable() const
{
    return m_texts.status() == SetuTexts::Status::Ok || m_texts.status() == SetuTexts::Status::Missing;
}

void TSetuF::fillTargets(int kind)
{
    const QSignalBlocker block(m_hosiBox);
    m_hosiBox->clear();
    for (const std::string &name : setuTargets(kind, m_names))
        m_hosiBox->addItem(QString::fromStdString(name));
    m_hosiBox->setCurrentIndex(0);
}

void TSetuF::select(int kind, int item)
{
    {
        const QSignalBlocker block(m_shuBox);
        m_shuBox->setCurrentIndex(kind);
    }
    if (m_hosiBox->count() != SetuKindItemCount[static_cast<std::size_t>(kind)] || kind != m_kind)
        fillTargets(kind);
    {
        const QSignalBlocker block(m_hosiBox);
        m_hosiBox->setCurrentIndex(item);
    }
    m_kind = kind;
    m_item = item;
    UpdateMenuItems();
    SStRead(kind, item);
}

void TSetuF::ShuBoxChange(int kind)
{
    if (kind < 0)
        return;
    if (!SaveBtnClick()) {
        // Back to the text that needs mending, with what was typed kept.
        const QSignalBlocker block(m_shuBox);
        m_shuBox->setCurrentIndex(m_kind);
        return;
    }
    fillTargets(kind);
    m_kind = kind;
    m_item = 0;
    UpdateMenuItems();
    SStRead(m_kind, m_item);
}

void TSetuF::HosiBoxChange(int item)
{
    if (item < 0)
        return;
    if (!SaveBtnClick()) {
        const QSignalBlocker block(m_hosiBox);
        m_hosiBox->setCurrentIndex(m_item);
        UpdateMenuItems();
        return;
    }
    m_item = item;
    UpdateMenuItems();
    SStRead(m_kind, m_item);
}

void TSetuF::SStRead(int kind, int item)
{
    m_memo->clear();
    m_memo->setPlainText(QString::fromStdString(m_texts.text(kind, item, MemoBreak)));
}

bool TSetuF::SaveBtnClick()
{
    if (!editable())
        return true;
    const std::string shown = m_memo->toPlainText().toStdString();
    const CodecResult encoded = encodeCp932(setuToStored(shown));
    if (!encoded.ok) {
        const QString character = characterAt(setuToStored(shown), encoded.errorOffset);
        ui::showError(this, QStringLiteral("説明文に、S-JISで書けない文字「") + character
                                + QStringLiteral("」があります。\nこの文字を直してください。"));
        m_memo->setFocus();
        return false;
    }
    m_texts.setText(m_kind, m_item, shown);
    return true;
}

void TSetuF::UpdateMenuItems()
{
    m_upBtn->setEnabled(m_hosiBox->currentIndex() > 0);
    m_downBtn->setEnabled(m_hosiBox->currentIndex() < m_hosiBox->count() - 1);
}

void TSetuF::DownBtnClick()
{
    if (m_hosiBox->currentIndex() < m_hosiBox->count() - 1)
        m_hosiBox->setCurrentIndex(m_hosiBox->currentIndex() + 1); // stores through HosiBoxChange
    UpdateMenuItems();
}

void TSetuF::UpBtnClick()
{
    if (m_hosiBox->currentIndex() > 0)
        m_hosiBox->setCurrentIndex(m_hosiBox->currentIndex() - 1);
    UpdateMenuItems();
}

void TSetuF::done(int result)
{
    if (!isVisible()) {
        QDialog::done(result);
        return;
    }
    if (editable()) {
        if (!SaveBtnClick()) {
            if (!ui::askYesNo(this, QStringLiteral("この説明文の変更を破棄して閉じますか？")))
                return;
        }
        // An unchanged file of full length is left as it is; a short one is
        // padded to full length, so the pane and the next start find every line.
        const bool needsWrite = m_texts.modified()
                                || (m_texts.status() == SetuTexts::Status::Ok
                                    && m_texts.fileLineCount() < SetuLineCount);
        if (needsWrite) {
            const std::string error = m_texts.save(setuPath().toStdString());
            if (!error.empty()) {
                if (!ui::askYesNo(this, QString::fromStdString(error)
                                            + QStringLiteral("\n変更した説明文を破棄して閉じますか？")))
                    return;
            } else {
                emit textsSaved();
            }
        }
    }
    m_texts = SetuTexts();
    m_loaded = false;
    QDialog::done(result);
}

} // namespace velm
