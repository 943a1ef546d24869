#pragma once

// The backup dialog TBackF ("ﾃﾞｰﾀﾊﾞｯｸｱｯﾌﾟ・ﾘｽﾄｱ"): copies the data and settings
// files of the program folder, chosen by file groups, into a backup folder
// and back, and keeps the program's settings beside them as "VLW.reg".
//
// Both copies are all or nothing: every file is first copied to a temporary
// name in the destination folder, and only when all copies have succeeded are
// they renamed over the files they replace. A copy that fails half way (an
// unreadable file, a full disk, the user's stop) leaves the destination
// folder exactly as it was.

#include <array>
#include <functional>

#include <QDialog>
#include <QString>
#include <QStringList>

#include "shell/common/programfiles.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velm {

class AppSettings;

// The file groups of CG1, bit i = item i, and the extensions each one takes.
inline constexpr std::array<const char *, 4> CG1Items{
    "名前データ(*.nam)",
    "編集データ(*.dat)",
    "設定データ(*.set,*.ini)",
    "レジストリデータ",
};
inline constexpr std::array<const char *, 4> CG1Extensions{
    ".nam.NAM",
    ".dat.DAT",
    ".set.ini.SET.INI",
    ".reg.REG",
};
inline constexpr int RegistryDataBit = 3;
inline constexpr int AllBackupGroups = 15;

// Whether the groups that are on (bits of CG1) select a file: its extension,
// from the last dot, must be one of the extensions listed for those groups,
// in any case ("SuuFile.Dat" is an edit file); a name without an extension is
// never selected.
bool backupSelects(const QString &fileName, int groups);

// The folder text with a trailing separator added when it lacks one.
QString EditChk(const QString &folder);

// The backup folder before the user has chosen one: "BackUp" in the home folder.
QString defaultBackupFolder();

struct FileSelection {
    bool folderExists = false;
    QStringList names;   // ordinary files of the folder (no subfolders), sorted
    qint64 bytes = 0;
    int count() const { return static_cast<int>(names.size()); }
};

// The files of `folder` that the groups select, with the index of every
// selected data file ("Senji.Idx" beside "Senji.Dat").
FileSelection selectBackupFiles(const QString &folder, int groups);

// "【合計ファイル数：　n】　　【容量：約   1,234.50 Ｋバイト】"
QString selectionStatistics(int count, qint64 bytes);

// Progress of a copy: bytes done of all, the file at hand; false stops the copy.
using CopyProgress = std::function<bool(qint64 done, qint64 total, const QString &name)>;

struct CopyResult {
    bool ok = false;
    bool cancelled = false;
    QString message; // why it failed, naming the file; empty on success or stop
};

// Copies `names` from `from` into `to`, all or nothing (see above). Copies
// keep their modification time.
CopyResult copyFileSet(const QString &from, const QString &to, const QStringList &names,
                       const CopyProgress &progress = {});

class TBackF : public QDialog {
    Q_OBJECT
public:
    explicit TBackF(AppSettings &settings, QWidget *parent = nullptr);

    // The main window's backup command: creates the dialog, shows it modally
    // and frees it.
    static void BRBtnClick(AppSettings &settings, QWidget *parent);

    // The folder browser (caption, start folder) -> chosen folder, empty when
    // cancelled. Tests answer in place of the platform's dialog.
    using FolderBrowser = std::function<QString(QWidget *parent, const QString &caption, const QString &start)>;
    void setFolderBrowser(FolderBrowser browser) { m_browser = std::move(browser); }
    // What ends the program after a restore (the whole application by default;
    // the windows' close handlers must not write their state over what was restored).
    void setEndProgram(std::function<void()> end) { m_endProgram = std::move(end); }

    void FormActivate();
    void OpenBtnClick();
    void BBtnClick();
    void RBtnClick();

    int groups() const;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    // Statistics of a folder into InPnl (program folder) or OutPnl.
    FileSelection FileSelect(const QString &folder);
    // Edit1 made a folder with a separator; empty (after the message) when unusable.
    QString backupFolder();
    bool sameFolder(const QString &a, const QString &b) const;
    CopyResult copyWithProgress(const QString &title, const QString &from, const QString &to,
                                const FileSelection &selection);
    void storeSettings();

    AppSettings &m_settings;
    QString m_programFolder;
    FolderBrowser m_browser;
    std::function<void()> m_endProgram;

    std::array<QCheckBox *, 4> m_cg1{};
    QLabel *m_ap = nullptr;
    QLabel *m_inPnl = nullptr;
    QLineEdit *m_edit1 = nullptr;
    QLabel *m_outPnl = nullptr;
};

} // namespace velm
