#pragma once

// A chart window: one chart of one kind for one moment, as a child of the
// main window. It lays and scores its chart once, when it is made, and keeps
// its own copy, so any number of charts of different moments can be open.

#include <array>

#include <QColor>
#include <QWidget>

#include "engine/ban.h"
#include "engine/constdata.h"
#include "evaluation/numbers.h"
#include "evaluation/suusan.h"
#include "output/charttext.h"
#include "shell/pcolor.h"

class QLabel;
class QTableWidget;
class QToolButton;
class QMenu;
class QAction;

namespace velm {

// How chart windows look: the system settings' options.
struct BanDisplay {
    bool CB3 = true;  // colour the palaces by their scores
    bool CB4 = false; // show the duty door and duty star below the grid
    PColorSettings colours;
    QString banFont = QStringLiteral("IPAGothic");
    int banFontSize = 10;
    QString sysFont = QStringLiteral("IPAGothic");
};

} // namespace velm

class TBanF : public QWidget {
    Q_OBJECT
public:
    TBanF(const velm::Koyomi &koyomi, int kind, velm::LayingMethod method,
          const velm::NumberTables &numbers, const velm::ConstData &names, const QString &title,
          const QString &moment, const velm::BanDisplay &display, QWidget *parent = nullptr);

    QString title() const { return m_title; }
    // "yyyy/MM/dd hh:mm": the moment written back into the main window.
    QString momentText() const { return m_moment; }
    const velm::ChartRecord &chart() const { return m_chart; }
    const velm::Koyomi &koyomi() const { return m_koyomi; }
    const velm::SuuScores &scores() const { return m_scores; }
    const velm::ChartLabels &labels() const { return m_labels; }
    const velm::PalaceText &palaceText(int palace) const { return m_palaces[static_cast<std::size_t>(palace)]; }
    // The five drawn lines of the cell at grid (column, row).
    QStringList cellLines(int column, int row) const;
    QString cellHint(int column, int row) const;
    QColor cellBackground(int column, int row) const;
    QTableWidget *grid() const { return m_grid; }
    // Palace of the last press in the grid (what "のみコピー" copies).
    int lastPalace() const { return m_lastPalace; }
    QAction *copyChartAction() const { return m_cp1; }
    QAction *copyPalaceAction() const { return m_cp2; }

    // Teal with white labels while active; button face with black while not.
    void setActiveLook(bool active);

    // The two copies, also behind the pop-up menu.
    void CP1Click();
    void CP2Click();

signals:
    void palaceClicked(int palace);
    void windowClicked();
    void activated();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildGrid(const velm::BanDisplay &display);
    void gridPressed(const QPoint &pos, Qt::MouseButton button);

    velm::Koyomi m_koyomi;
    velm::ChartRecord m_chart;
    velm::SuuScores m_scores; // the score snapshot, taken once
    velm::ChartLabels m_labels;
    std::array<velm::PalaceText, 9> m_palaces;
    QString m_title;
    QString m_moment;
    velm::BanDisplay m_display;
    int m_lastPalace = 8;

    QLabel *m_kyokuL = nullptr;
    QLabel *m_junL = nullptr;
    QLabel *m_tyuL = nullptr;
    QLabel *m_label5 = nullptr;
    QLabel *m_label6 = nullptr;
    QTableWidget *m_grid = nullptr;
    QToolButton *m_close = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_cp1 = nullptr;
    QAction *m_cp2 = nullptr;
    bool m_watchingSubWindow = false;
};
