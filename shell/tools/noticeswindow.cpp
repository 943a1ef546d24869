#include "shell/tools/noticeswindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QUrl>
#include <QVBoxLayout>

#include "shell/common/helpwindow.h"
#include "shell/tools/download.h"
#include "shell/common/icons.h"

namespace velm {

QString noticeAddress(const QString &supportAddress)
{
    QString address = supportAddress.trimmed();
    if (!address.endsWith(QLatin1Char('/')))
        address += QLatin1Char('/');
    return address + QStringLiteral("notice.txt");
}

QString TNoticeF::loadingText()
{
    return QStringLiteral("お知らせを取得しています…");
}

QString TNoticeF::failureText()
{
    return QStringLiteral("お知らせを取得できませんでした。\n"
                          "インターネットへの接続を確かめて、しばらくしてから「再読込」を押してください。");
}

QString TNoticeF::certificateFailureText(const QString &host)
{
    return QStringLiteral("お知らせを取得できませんでした。\n"
                          "サーバー「%1」の証明書を確認できなかったため、安全な接続ができませんでした。")
        .arg(host);
}

TNoticeF::TNoticeF(AppSettings &settings, QWidget *parent)
    : QDialog(parent)
    , m_url(noticeAddress(settings.supportAddress()))
{
    setHelpTopic(this, HelpNotices);
    setObjectName(QStringLiteral("NoticeF"));
    setWindowTitle(QStringLiteral("お知らせ"));
    setWindowIcon(velmIcon(IconId::Notices));
    resize(520, 400);

    m_http = new THTTPGet(this);
    m_http->setObjectName(QStringLiteral("HTTPGet1"));
    connect(m_http, &THTTPGet::OnDoneString, this, &TNoticeF::showText);
    connect(m_http, &THTTPGet::OnError, this, &TNoticeF::showFailure);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusL"));
    m_status->setWordWrap(true);
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setReadOnly(true);

    m_reload = new QPushButton(QStringLiteral("再読込"), this);
    m_reload->setObjectName(QStringLiteral("ReloadBtn"));
    m_reload->setAutoDefault(false);
    connect(m_reload, &QPushButton::clicked, this, &TNoticeF::refresh);
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("CloseBtn"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_reload);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_memo, 1);
    layout->addLayout(buttons);
}

TNoticeF::~TNoticeF() = default;

bool TNoticeF::loading() const
{
    return m_http->running();
}

void TNoticeF::refresh()
{
    abort();
    m_http->setURL(m_url);
    m_memo->clear();
    m_status->setText(loadingText());
    m_status->show();
    m_reload->setEnabled(false);
    m_http->GetString();
}

void TNoticeF::showText(const QByteArray &body)
{
    m_memo->setPlainText(decodeWebText(body));
    m_status->clear();
    m_status->hide();
    m_reload->setEnabled(true);
    emit finished(true);
}

void TNoticeF::showFailure()
{
    if (m_aborting)
        return;
    m_memo->clear();
    m_status->setText(m_http->certificateFailed() ? certificateFailureText(QUrl(m_url).host()) : failureText());
    m_status->show();
    m_reload->setEnabled(true);
    emit finished(false);
}

void TNoticeF::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A window restored from the task bar keeps what it shows.
    if (!event->spontaneous())
        refresh();
}

void TNoticeF::abort()
{
    m_aborting = true;
    m_http->Abort();
    m_aborting = false;
}

void TNoticeF::done(int result)
{
    abort();
    QDialog::done(result);
}

} // namespace velm
