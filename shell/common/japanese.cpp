#include "shell/common/japanese.h"

#include <utility>

#include <QApplication>
#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLibraryInfo>
#include <QLocale>
#include <QSpinBox>
#include <QToolButton>
#include <QTranslator>

namespace velm {
namespace {

// The file dialog's kinds of entry, which Qt's Japanese translations lack.
class FileKinds : public QTranslator {
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char *context, const char *source, const char * = nullptr, int = -1) const override
    {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        static const std::pair<const char *, const char *> names[] = {
            {"Drive", "ドライブ"}, {"File", "ファイル"}, {"Folder", "フォルダ"},
            {"Shortcut", "ショートカット"}, {"Unknown", "不明"}};
        for (const auto &[english, japanese] : names)
            if (qstrcmp(source, english) == 0)
                return QString::fromUtf8(japanese);
        return {};
    }
};

} // namespace

void preferJapaneseTimes()
{
    if (qEnvironmentVariableIsEmpty("LC_ALL") && qEnvironmentVariableIsEmpty("LC_TIME"))
        qputenv("LC_TIME", "ja_JP.UTF-8");
}

bool installJapanese(QApplication &app)
{
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    auto *translator = new QTranslator(&app);
    if (!translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    QCoreApplication::installTranslator(new FileKinds(&app));
    return true;
}

void japaneseMonthHeading(QCalendarWidget *calendar)
{
    // The calendar's own navigation bar reads "3月 2024"; its year button
    // and year editor are moved in front of the month and given their 年.
    auto *month = calendar->findChild<QToolButton *>(QStringLiteral("qt_calendar_monthbutton"));
    auto *year = calendar->findChild<QToolButton *>(QStringLiteral("qt_calendar_yearbutton"));
    auto *yearEdit = calendar->findChild<QSpinBox *>(QStringLiteral("qt_calendar_yearedit"));
    auto *bar = month ? qobject_cast<QHBoxLayout *>(month->parentWidget()->layout()) : nullptr;
    if (!month || !year || !yearEdit || !bar)
        return;
    const int at = bar->indexOf(month);
    if (at >= 0 && bar->indexOf(year) > at) {
        bar->removeWidget(year);
        bar->removeWidget(yearEdit);
        bar->insertWidget(at, yearEdit);
        bar->insertWidget(at, year);
    }
    yearEdit->setSuffix(QStringLiteral("年"));
    auto label = [calendar, year] {
        year->setText(QString::number(calendar->yearShown()) + QStringLiteral("年"));
    };
    QObject::connect(calendar, &QCalendarWidget::currentPageChanged, year, label);
    label();
}

} // namespace velm
