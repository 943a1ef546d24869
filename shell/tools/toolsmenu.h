#pragma once

// The tools: up to ten external programs the user starts from the main
// window's menu "ﾂｰﾙ(&T)", and the dialog TTools ("ﾂｰﾙの設定") that keeps
// them. The table is stored in section "Tool", value "SG1", as 40 texts in
// row order, each followed by a comma; so no text may hold a comma.

#include <array>
#include <functional>

#include <QDialog>
#include <QString>
#include <QStringList>

#include "shell/settings/appsettings.h"

class QAction;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;

namespace velm {

// One tool: title, program, file or parameters, working folder.
struct ToolEntry {
    QString title;
    QString program;
    QString parameters;
    QString folder;
    friend bool operator==(const ToolEntry &, const ToolEntry &) = default;
};

// The ten rows. The used rows run from row 0 to the first with an empty title.
class ToolTable {
public:
    static constexpr int Rows = 10;
    static constexpr int Columns = 4;

    // The stored form; missing texts read as empty, texts beyond 40 are ignored.
    static ToolTable fromText(const QString &text);
    QString toText() const;

    // A calculator and a text editor opening "Readme.txt", as found on this desktop.
    static ToolTable defaults();

    const ToolEntry &row(int r) const { return m_rows[static_cast<std::size_t>(r)]; }
    QString cell(int r, int c) const;
    // Rows listed in the menu: those before the first empty title.
    int usedRows() const;
    // Into the first row with an empty title; false when none is free.
    bool add(const ToolEntry &entry);
    // Rows after `r` move up by one until the first empty row; the freed row is cleared.
    void remove(int r);

    friend bool operator==(const ToolTable &, const ToolTable &) = default;

private:
    std::array<ToolEntry, Rows> m_rows{};
};

// The first text of a tool that the stored form cannot hold (one with a comma), or -1.
int unstorableField(const ToolEntry &entry);

class TTools : public QDialog {
    Q_OBJECT
public:
    // toolMenu: the main window's menu "ﾂｰﾙ(&T)". Its first two items are this
    // dialog's entry "ﾂｰﾙの設定(&S)" and a separator; an empty menu gets them here.
    TTools(AppSettings &settings, QMenu *toolMenu, QWidget *parent = nullptr);

    // Seams for what a test must not wait on or start for real.
    // chooseProgram: a file dialog; empty when cancelled.
    std::function<QString(QWidget *parent)> chooseProgram;
    // runProgram: starts a program detached; false when it could not start.
    std::function<bool(const QString &program, const QStringList &arguments, const QString &folder)> runProgram;

    const ToolTable &table() const { return m_table; }

    // The tool entries of the menu after the first two items, afresh.
    void AddMenu();
    // Runs the entry at menu position `position` (row position - 2).
    void AddMenuClick(int position);

    void Button1Click(); // "追加"
    void Button2Click(); // "削除"
    void BitBtn1Click(); // "参照"
    void SG1Click();     // the selected row into the four edits

    // The four fields are "Edit1".."Edit4".

protected:
    void done(int result) override;

private:
    void showTable();
    void store();

    AppSettings &m_settings;
    QMenu *m_menu = nullptr;
    QAction *m_toolItem = nullptr;
    ToolTable m_table;
    int m_row = 0; // the remembered row (SG1SelectCell)

    QTableWidget *m_sg1 = nullptr;
    std::array<QLineEdit *, 4> m_edit{};
};

} // namespace velm
