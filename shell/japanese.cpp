#include "shell/japanese.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLibraryInfo>
#include <QLocale>
#include <QSpinBox>
#include <QToolButton>
#include <QTranslator>

namespace velm {

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
