#include "shell/common/entryfields.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

#include "shell/common/messages.h"

namespace velm {

RadioGroup makeRadioGroup(QWidget *parent, const QString &name, const QString &caption, const QStringList &items,
                          int columns, int checked)
{
    RadioGroup radio;
    radio.box = new QGroupBox(caption, parent);
    radio.box->setObjectName(name);
    auto *grid = new QGridLayout(radio.box);
    radio.group = new QButtonGroup(radio.box);
    radio.group->setObjectName(name);
    for (int i = 0; i < items.size(); ++i) {
        auto *b = new QRadioButton(items[i], radio.box);
        b->setObjectName(name + QLatin1Char('_') + QString::number(i));
        radio.group->addButton(b, i);
        grid->addWidget(b, i / columns, i % columns);
    }
    radio.group->button(checked)->setChecked(true);
    return radio;
}

QLineEdit *makeLimitEdit(QWidget *parent, const char *objectName, const QString &text)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(objectName));
    edit->setAlignment(Qt::AlignRight);
    edit->setMaxLength(9);
    return edit;
}

QString typedNumber(const QLineEdit *edit)
{
    return edit->text().normalized(QString::NormalizationForm_KC).trimmed();
}

std::optional<qint64> readLimit(QWidget *parent, QLineEdit *edit, const QString &caption)
{
    bool numeric = false;
    const qint64 value = typedNumber(edit).toLongLong(&numeric);
    if (numeric && value >= 0)
        return value;
    ui::showError(parent, QStringLiteral("『%1』は、%2として正しくありません。0以上の整数を入力して下さい。")
                              .arg(edit->text(), caption));
    edit->setFocus();
    edit->selectAll();
    return std::nullopt;
}

bool checkTimeZone(QWidget *parent, const EngineOptions &options)
{
    if (options.tzOk)
        return true;
    ui::showError(parent, QStringLiteral("システム設定の時差『%1』が正しくありません。").arg(options.tzText));
    return false;
}

} // namespace velm
