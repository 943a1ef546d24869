#pragma once

// The explanation editor TSetuF ("説明文の編集"): one free text for every
// symbol a palace can show, picked by its kind ("盤の要素") and target
// ("編集対象"). It is made once at start and shown modally; each showing reads
// "SetuFile.Dat" into memory, and closing writes it back in one piece, so the
// explanation pane sees the edits from then on.

#include <QDialog>
#include <QString>

#include "engine/constdata.h"
#include "evaluation/explanations.h"

class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace velm {

class AppSettings;

inline constexpr int SetuHelpTopic = 30000;

class TSetuF : public QDialog {
    Q_OBJECT
public:
    // `names` must outlive the window (the main window's symbol tables).
    TSetuF(AppSettings &settings, const ConstData &names, QWidget *parent = nullptr);

    // SetuItemClick / SetuBtn: shows the editor modally; returns when closed.
    int SetuItemClick();

    // Path of the explanation file in the program folder.
    static QString setuPath();

    QPlainTextEdit *Memo1() const { return m_memo; }
    // The texts as they stand in memory (the current memo not yet stored).
    const SetuTexts &texts() const { return m_texts; }

    // The step buttons: store the memo, then move one target down or up.
    void DownBtnClick();
    void UpBtnClick();

signals:
    // The file was written: readers of the texts should read them again.
    void textsSaved();

protected:
    // Each showing reads the file afresh.
    void showEvent(QShowEvent *event) override;
    // Every way of closing (閉じる, Esc, the close box) stores the memo and
    // writes the file; a write that fails leaves the window open unless the
    // user chooses to drop the edits.
    void done(int result) override;

private:
    void FormActivate();
    void ShuBoxChange(int kind);
    void HosiBoxChange(int item);
    void fillTargets(int kind);
    void SStRead(int kind, int item);
    void UpdateMenuItems();
    // SaveBtnClick: the memo into the in-memory line of the shown target.
    // False, after a message, when the text holds a character the file cannot
    // hold; nothing is stored then.
    bool SaveBtnClick();
    void select(int kind, int item);
    bool editable() const;

    AppSettings &m_settings;
    const ConstData &m_names;
    SetuTexts m_texts;
    bool m_loaded = false;
    int m_kind = 0; // the target the memo shows
    int m_item = 0;
    bool m_switching = false;

    QComboBox *m_shuBox = nullptr;
    QComboBox *m_hosiBox = nullptr;
    QPlainTextEdit *m_memo = nullptr;
    QPushButton *m_upBtn = nullptr;
    QPushButton *m_downBtn = nullptr;
};

} // namespace velm
