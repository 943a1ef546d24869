#pragma once

// The chart-data file generator TDMakeF ("CGI 用 作盤データ生成"): for a
// range of years, writes the palace texts of every year, month, day and hour
// chart into the plain files a separate web program reads. Made when the main
// window's command asks for it, shown modally, and freed when closed.

#include <functional>

#include <QDialog>
#include <QList>
#include <QString>

#include "engine/constdata.h"
#include "output/chartdata.h"
#include "shell/settings/appsettings.h"
#include "shell/common/runpanel.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace velm {

class ChartOpener;

class TDMakeF : public QDialog {
    Q_OBJECT
public:
    // engineOptions: time zone, ju periods and laying method, read at each run.
    TDMakeF(AppSettings &settings, const ConstData &names, std::function<EngineOptions()> engineOptions,
            QWidget *parent = nullptr);

    // The folder browser: given the parent, its caption and the folder to
    // start in, returns the chosen folder, or an empty text when cancelled.
    // Tests replace it; by default it is the platform's folder dialog.
    using FolderChooser = std::function<QString(QWidget *parent, const QString &caption, const QString &start)>;
    FolderChooser chooseFolder;

    // The folder browser; the chosen folder replaces the output folder.
    void OpenBtnClick();
    // Checks the entries and writes the files on a worker thread, keeping the
    // window usable.
    void Button1Click();
    bool running() const { return m_run.running(); }


    // The caption of the folder browser.
    static QString folderCaption();

signals:
    // Every change of the status line, as shown (tests watch the sequence).
    void statusChanged(const QString &status);

protected:
    // Closing while the files are written stops the run after the file in
    // hand and waits for it.
    void done(int result) override;

private:
    void showRunning(bool running);
    void runEnded(const ChartFileResult &result);
    void setStatus(const QString &status);
    bool yearOf(QLineEdit *edit, const QString &caption, int &year);
    QString outputFolder() const;

    AppSettings &m_settings;
    const ConstData &m_names;
    std::function<EngineOptions()> m_engineOptions;

    QLineEdit *m_dirE = nullptr;
    QPushButton *m_openBtn = nullptr;
    QCheckBox *m_yearMonth = nullptr;
    QCheckBox *m_dayHour = nullptr;
    QLineEdit *m_fYearE = nullptr;
    QLineEdit *m_eYearE = nullptr;
    QButtonGroup *m_rg1 = nullptr;
    QButtonGroup *m_rg2 = nullptr;
    QList<QWidget *> m_inputs; // disabled while the files are written
    QLabel *m_dispL = nullptr;
    QPushButton *m_button1 = nullptr;
    QPushButton *m_okBtn = nullptr;
    WindowRun m_run{this};
};

// CGIBtnClick: makes the generator over the main window's options, shows it
// modally and frees it when it closes.
void CGIBtnClick(ChartOpener &main, AppSettings &settings, QWidget *parent);

} // namespace velm
