#pragma once

// The special-character window TGaijiF ("特殊文字の設定"): the three Shift-JIS
// codes that stand in for rare ideographs of the symbol tables (the star 芮,
// the 熒 of two pattern names, the 騰 of 騰蛇), with a preview of each. The
// tables are built from the stored codes once at start, so a change takes
// full effect at the next start.

#include <array>

#include <QDialog>
#include <QString>

#include "shell/settings/appsettings.h"

class QLabel;
class QLineEdit;

namespace velm {

class TGaijiF : public QDialog {
    Q_OBJECT
public:
    explicit TGaijiF(AppSettings &settings, QWidget *parent = nullptr);

    // Row n (1..3) holds the code field "Edit<n>" and the panel "Panel<n>".

    // 文字を確認: each panel shows its field's character; the messages of
    // faulty codes appear in row order. True when all three are characters.
    bool Button1Click();
    // ﾃﾞﾌｫﾙﾄ: the three default codes into the fields (stored only on closing).
    void Button2Click();

    // The picture of the ideograph a row stands for.
    static QPixmap glyphPicture(const QString &character, int size);

signals:
    // New codes were stored: the symbol tables may be rebuilt (MakeConstData).
    void constDataChanged();

protected:
    void showEvent(QShowEvent *event) override;
    // OK and the close box store the codes, after a fresh preview; キャンセル
    // and Esc leave the stored codes as they are.
    void done(int result) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormActivate();
    bool store();

    AppSettings &m_settings;
    std::array<QLineEdit *, 3> m_edit{};
    std::array<QLabel *, 3> m_panel{};
    std::array<QString, 3> m_savEdit; // the codes as they were when the window opened
    bool m_activated = false;
};

} // namespace velm
