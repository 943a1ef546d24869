#pragma once

// The numbers editor TSuuF ("数値の設定"): the ten number tables of scoring
// and the 暗剣 number on eight pages, their check, and their file
// "SuuFile.Dat". It is made once at start (which reads the file), shown
// modally and hidden on close. Edits live in the grids until 保存して閉じる
// writes the file; ｷｬﾝｾﾙ reads the file again; the close box and Esc ask
// 保存 / 破棄 / キャンセル while the grids differ from the file; no way of
// closing lets invalid values stay in the grids.
//
// Grid coordinates in this interface are those of the file and the messages:
// column and row 0 are the captions, values sit at 1..columns and 1..rows.

#include <array>
#include <functional>
#include <optional>

#include <QDialog>
#include <QString>
#include <QStringList>

#include "engine/constdata.h"
#include "evaluation/numbers.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QTabWidget;
class QTableWidget;

namespace velm {

class AppSettings;

inline constexpr int SuuHelpTopic = 40020;

class TSuuF : public QDialog {
    Q_OBJECT
public:
    // FormCreate: captions, hidden columns, then the file (a missing or
    // unreadable file is told at once and the value cells stay empty).
    TSuuF(AppSettings &settings, const ConstData &names, QWidget *parent = nullptr);

    // "SuuFile.Dat" in the program folder.
    QString filePath() const;

    // SGRead: the file into the grids and AnE. False (after a message) when
    // the file cannot be read; the grids keep what they hold then.
    bool SGRead();
    // SGSave: the grids into the file, atomically. False after a message.
    bool SGSave();
    // SGCheck: every grid and AnE, one message per faulty column, empty
    // cells filled with their default. True when everything passed.
    bool SGCheck();

    void OKBtnClick();     // 保存して閉じる
    void CancelBtnClick(); // ｷｬﾝｾﾙ: back to the file, then close
    // Whether the grids hold edits the file does not have.
    bool hasUnsavedChanges();
    // Whether the window may close now (runs the check, with its messages).
    bool FormCloseQuery();

    // The pop-up menu's commands on `grid`; null: the grid with the input
    // focus, PerSG when none has it.
    void XCpClick(QTableWidget *grid = nullptr); // 行を右にコピー
    void YCpClick(QTableWidget *grid = nullptr); // 列を下にコピー
    void ExpBtnClick();                          // csv export

    // The save dialog of the export; tests replace it. Empty when cancelled.
    std::function<QString(QWidget *parent, const QString &caption)> saveFileName;

    // The grids and AnE as tables (what OK would check and save).
    NumberTables tables() const;
    void setTables(const NumberTables &tables);

    // A cell's text, captions included (column/row 0); empty outside the grid.
    QString cellText(NumberTable table, int column, int row) const;
    void setCellText(NumberTable table, int column, int row, const QString &text);
    // Puts the grid's current cell at a value cell.
    void setCurrentCell(NumberTable table, int column, int row);

    // The grid of a table is named after it ("KanSG").
    // The page a table's faults are reported under.
    int pageOf(NumberTable table) const;

    // The export text, line by line (no line ends).
    QStringList exportLines() const;

    // Rewrites the captions from the symbol tables (after the special
    // characters changed).
    void refreshCaptions();

signals:
    // The file was written; whoever keeps scores should read it again.
    void numbersSaved();

protected:
    // Every way of closing: rejection (Esc, the close box, ｷｬﾝｾﾙ) reads the
    // file again first; then the check decides.
    void done(int result) override;
    // The close box and Esc: asks first when there are unsaved edits.
    void reject() override;
    void showEvent(QShowEvent *event) override;

private:
    QTableWidget *grid(NumberTable table) const { return m_grids[static_cast<std::size_t>(table)]; }
    QTableWidget *makeGrid(NumberTable table);
    QTableWidget *targetGrid(QTableWidget *grid) const;
    void commitEdits();
    void fitColumns();
    void normaliseTypedNumbers();
    void copyAlong(QTableWidget *grid, bool right);
    QString faultMessage(const CellFault &fault) const;

    AppSettings &m_settings;
    const ConstData &m_names;
    std::array<QTableWidget *, NumberTableCount> m_grids{};
    std::array<QLabel *, NumberTableCount> m_labels{};
    QLineEdit *m_anE = nullptr;
    QTabWidget *m_pages = nullptr;
    QMenu *m_popup = nullptr;
    QTableWidget *m_menuGrid = nullptr; // the grid the pop-up menu was opened on
    QString m_warned;                   // the file's last warnings, told once
    NumberTables m_fileTables;          // the grids as the file last read or written
};

} // namespace velm
