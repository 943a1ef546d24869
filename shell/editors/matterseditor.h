#pragma once

// The divination-matters editor TSenF ("占事マスターの設定"): the list of
// matters ("Senji.Idx"), the condition table of the matter on screen, and the
// commands that save, delete and export matters ("Senji.Dat"). It is made at
// start, shown modally and hidden on close; the list is written each time it
// closes. "Senji.Dat" is read afresh for every operation.

#include <functional>

#include <QDialog>
#include <QString>
#include <QStringList>

#include "engine/constdata.h"
#include "evaluation/matters.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace velm {

class AppSettings;

inline constexpr int SenHelpTopic = 40010;

class TSenF : public QDialog {
    Q_OBJECT
public:
    // Reads the matter list and the first matter ("FormCreate"); a missing
    // list is told at once.
    TSenF(AppSettings &settings, const ConstData &names, QWidget *parent = nullptr);

    // The items of the matter box, in list order (the search offers these).
    QStringList matterNames() const;
    // The matter on screen: the name edit and both tables.
    Matter current() const;

    // The commands, as their buttons run them.
    bool SGSave();          // この占事を更新・追加する
    void SDelBtnClick();    // この占事を削除する
    void SGAddClick();      // リストに追加する
    void SGDelBtnClick();   // リストから削除する
    void SGClrBtnClick();   // リストをクリアする
    void ExpBtnClick();     // csv export
    void OKBtnClick();      // 閉じる: saves, then closes

    // The platform's save dialog; tests replace it. Empty when cancelled.
    std::function<QString(QWidget *parent, const QString &caption)> saveFileName;

    QString datPath() const;
    QString idxPath() const;

    // The display grid "SG1" and the hidden code grid "SG2": 31 columns x 6
    // rows, row 0 and column 0 captions, group g (1..10) in columns 3g-2 .. 3g.

signals:
    // A matter was saved or deleted: the list or the file changed.
    void mattersChanged();

protected:
    // Every way of closing writes the matter list.
    void done(int result) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildGrids();
    QWidget *buildEditPanel();
    void loadList();
    void SGRead(int index);
    void SenBoxChange(int index);
    void ShuBoxChange();
    void HosiBoxChange();
    void SG1MouseDown(int row, int column);
    void ItemClear();
    void refreshGrids();
    void setSelection(int group, int row);
    void fillSenBox(int current);
    int group() const;
    int element() const;
    void FormClose();

    AppSettings &m_settings;
    const ConstData &m_names;
    MatterList m_list;
    Matter m_matter;          // the tables on screen (its name is SenE's)
    int m_selGroup = -1;      // the clicked condition, -1 when none
    int m_selRow = -1;        // 0..4

    QComboBox *m_senBox = nullptr;
    QLineEdit *m_senE = nullptr;
    QTableWidget *m_sg1 = nullptr;
    QTableWidget *m_sg2 = nullptr;
    QButtonGroup *m_rg1 = nullptr;
    QComboBox *m_shuBox = nullptr;
    QButtonGroup *m_kBox = nullptr;
    QRadioButton *m_k[2] = {nullptr, nullptr};
    QComboBox *m_hosiBox = nullptr;
    QLineEdit *m_suuE = nullptr;
    QPushButton *m_sgDelBtn = nullptr;
};

} // namespace velm
