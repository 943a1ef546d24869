#pragma once

// The explanation pane ImiPnl at the right of the main window: the palace
// panel KyuPnl (chart title BanL, note TyuL, direction box HouiBox, trigram
// HouiPnl, score SuuPnl, the score grids SG1 and SG2, the export button
// ExpBtn) above the explanation memo Memo1.

#include <functional>

#include <QColor>
#include <QStringList>
#include <QWidget>

#include "evaluation/explanations.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QSplitter;
class QTableWidget;
class QToolButton;

namespace velm {

class ImiPnl : public QWidget {
    Q_OBJECT
public:
    // Number text -> background colour; background -> text colour.
    using ScoreColour = std::function<QColor(const QString &number)>;
    using TextColour = std::function<QColor(const QColor &background)>;

    explicit ImiPnl(QWidget *parent = nullptr);

    QWidget *KyuPnl() const { return m_kyuPnl; }
    QComboBox *HouiBox() const { return m_houiBox; }
    QPlainTextEdit *Memo1() const { return m_memo; }

    void setColourRule(ScoreColour pcolor, TextColour fcolor);

    // PnlRead's result for the chart titled `title` (BanL = " " + title).
    void showPanel(const PanelView &view, const QString &title);
    // The captions of SG1/SG2 without numbers, as at start.
    void clearGrids();
    // Nothing of a chart left: title, note, direction, score, grids and memo
    // empty, as once no chart is open.
    void clearPanel();

    // Height of KyuPnl, kept between 60 and 130.
    int kyuPnlHeight() const;
    void setKyuPnlHeight(int height);

    // ExpBtnClick's lines: BanL TyuL, the direction and score, then the memo.
    QStringList exportLines() const;

    // Fonts: the basic font's family for the panel's labels, box and grids;
    // the whole explanation font for the memo.
    void applyFonts(const QString &basicFamily, const QFont &memoFont);

protected:
    void changeEvent(QEvent *event) override;

signals:
    // The user picked another direction in HouiBox (palace index 0..8).
    void houiChanged(int pos);
    void exportRequested();

private:
    void repaintColours();
    void fitGrids();

    QWidget *m_kyuPnl = nullptr;
    QLabel *m_banL = nullptr;
    QLabel *m_tyuL = nullptr;
    QComboBox *m_houiBox = nullptr;
    QLabel *m_houiPnl = nullptr;
    QLabel *m_suuPnl = nullptr;
    QTableWidget *m_sg1 = nullptr;
    QTableWidget *m_sg2 = nullptr;
    QPlainTextEdit *m_memo = nullptr;
    QToolButton *m_expBtn = nullptr;
    QSplitter *m_split = nullptr;
    ScoreColour m_pcolor;
    TextColour m_fcolor;
};

} // namespace velm
