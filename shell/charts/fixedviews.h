#pragma once

// The two reference windows: "定位盤" (where each element has its home) and
// "節気盤" (the 24 solar terms on the eight outer palaces). Their content is
// fixed; each remembers its placement between runs.

#include <array>
#include <optional>

#include <QWidget>

#include "engine/constdata.h"

class QLabel;
class QTableWidget;
class SettingsStore;

namespace velm {

// Placement as the settings hold it: eleven 32-bit integers (record length,
// flags, show state, minimised x/y, maximised x/y, normal left/top/right/bottom).
QByteArray placementRecord(const QRect &normal, bool maximised);
std::optional<QRect> placementRect(const QByteArray &record);

class TTeiiF : public QWidget {
    Q_OBJECT
public:
    TTeiiF(const ConstData &names, SettingsStore &store, QWidget *parent = nullptr);

    // The grids are "SG1".."SG5", each under its caption.
    QString deityCaption() const;
    bool yangShown() const { return m_HSW; }
    // Any press on the deity grid switches between the yang and yin arrangement.
    void SG4MouseDown();
    // A placement was read, or the window has been placed since.
    bool placed() const { return m_placed; }
    void setPlaced() { m_placed = true; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillDeities();

    ConstData m_names;
    SettingsStore &m_store;
    std::array<QTableWidget *, 5> m_grids{};
    QLabel *m_label4 = nullptr;
    bool m_HSW = true;
    bool m_placed = false;
};

class TTeii2F : public QWidget {
    Q_OBJECT
public:
    TTeii2F(SettingsStore &store, QWidget *parent = nullptr);
    bool placed() const { return m_placed; }
    void setPlaced() { m_placed = true; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    SettingsStore &m_store;
    QTableWidget *m_grid = nullptr;
    bool m_placed = false;
};

// Where the two windows stand until the user has placed them: at the top
// right of `area` (the chart area, screen coordinates), 定位盤 at the edge and
// 節気盤 to its left, below the menu and the toolbars.
void placeFixedViews(TTeiiF &teii, TTeii2F &teii2, const QRect &area);

} // namespace velm
