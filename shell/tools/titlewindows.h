#pragma once

// The title window shown while the program starts, the about box with its
// link to the support address, the transient notice window, and the link
// label they use.

#include <functional>

#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace velm {

// The program's picture: a nine-palace square, drawn rather than stored.
QPixmap programPicture(int size);

// A label that opens an address when clicked: underlined on hover, pointing hand.
class TURLLink : public QLabel {
    Q_OBJECT
public:
    explicit TURLLink(QWidget *parent = nullptr);
    void setURL(const QString &url);
    QString url() const { return m_url; }
    // Opens the address (tests replace it).
    std::function<bool(const QUrl &)> open;
    void Execute();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void restyle(bool hover);
    QString m_url;
};

class TTitlef1 : public QWidget {
    Q_OBJECT
public:
    explicit TTitlef1(const QString &applicationTitle, QWidget *parent = nullptr);
    ~TTitlef1() override;
    QString versionText() const;

private:
    QLabel *m_label2 = nullptr;
};

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    TAboutBox(const QString &applicationTitle, const QString &supportUrl, QWidget *parent = nullptr);
    QString captionText() const { return m_caption; }
    // "バージョン 0.1": the version the program was built as.
    QString versionText() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
    TURLLink *m_link = nullptr;
    QLabel *m_version = nullptr;
};

// The program's version, as its build names it ("0.1").
QString programVersion();

class TMsgF : public QWidget {
    Q_OBJECT
public:
    explicit TMsgF(QWidget *parent = nullptr);
    // Kind 1 draws a blue bar, any other kind red. Shown at the screen's
    // lower right for `milliseconds`, then closed; a second notice while one
    // is up replaces it and starts its time afresh.
    void notify(const QString &text, int kind, int milliseconds = 2000);
    QString text() const;
    QColor barColour() const { return m_bar; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_label1 = nullptr;
    QColor m_bar = Qt::blue;
    QTimer m_closer;
};

} // namespace velm
