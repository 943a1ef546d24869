#pragma once

// The notices window TNoticeF ("お知らせ"): fetches the maker's notice text
// from the support address (its file "notice.txt") and shows it read-only.
// The fetch runs on the download component's worker, so the window stays
// responsive; a failure is told calmly inside the window, never in a box.

#include <QDialog>
#include <QString>

#include "shell/settings/appsettings.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace velm {

class THTTPGet;

// The notice text under the support address.
QString noticeAddress(const QString &supportAddress);

class TNoticeF : public QDialog {
    Q_OBJECT
public:
    explicit TNoticeF(AppSettings &settings, QWidget *parent = nullptr);
    ~TNoticeF() override;

    // The address fetched; the support address + "notice.txt" unless set.
    QString noticeURL() const { return m_url; }
    void setNoticeURL(const QString &url) { m_url = url; }

    // Fetches afresh (each showing does this too).
    void refresh();
    bool loading() const;

    QPlainTextEdit *Memo1() const { return m_memo; }

    // The loading message and the calm failure text.
    static QString loadingText();
    static QString failureText();
    // When the server's certificate could not be verified: no advice about
    // the connection, which is not at fault.
    static QString certificateFailureText(const QString &host);

signals:
    // A fetch ended: the text is shown (true) or the failure is (false).
    void finished(bool ok);

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void showText(const QByteArray &body);
    void showFailure();
    // Stops a running fetch without telling of a failure.
    void abort();

    QString m_url;
    THTTPGet *m_http = nullptr;
    QPlainTextEdit *m_memo = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_reload = nullptr;
    bool m_aborting = false;
};

} // namespace velm
