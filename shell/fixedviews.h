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

    QTableWidget *grid(int n) const; // SG1..SG5
    QString deityCaption() const;
    bool yangShown() const { return m_HSW; }
    // Any press on the deity grid switches between the yang and yin arrangement.
    void SG4MouseDown();

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
};

class TTeii2F : public QWidget {
    Q_OBJECT
public:
    TTeii2F(SettingsStore &store, QWidget *parent = nullptr);
    QTableWidget *grid() const { return m_grid; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    SettingsStore &m_store;
    QTableWidget *m_grid = nullptr;
};

} // namespace velm
