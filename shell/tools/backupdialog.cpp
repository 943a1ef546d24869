#include "shell/tools/backupdialog.h"

#include <cerrno>
#include <cstdio>

#include <unistd.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "shell/common/programfiles.h"
#include "shell/settings/appsettings.h"
#include "shell/common/helpwindow.h"
#include "output/placebook.h"
#include "shell/common/messages.h"
#include "shell/settings/regfile.h"
#include "engine/syserror.h"

namespace velm {

namespace {

constexpr int HelpTopic = 3001;
// The file groups ticked (bit i: group i) and the backup folder; the folder
// falls back to defaultBackupFolder().
const SettingValue<int> StoredGroups{"Back", "CG1", AllBackupGroups};
const SettingValue<QString> StoredFolder{"Back", "Edit1", QString()};
const QString NoFolder = QStringLiteral("媒体 or フォルダ がありません。");

// Temporary names of a copy: hidden, so that no listing of the folder shows
// them, and with an extension no file group selects.
QString newName(const QString &folder, const QString &name)
{
    return folder + QStringLiteral(".") + name + QStringLiteral(".velm-new");
}
QString oldName(const QString &folder, const QString &name)
{
    return folder + QStringLiteral(".") + name + QStringLiteral(".velm-old");
}

// "~" and "~/..." as a shell reads them.
QString expandHome(QString folder)
{
    if (folder == QLatin1String("~") || folder.startsWith(QLatin1String("~/")))
        folder = QDir::homePath() + folder.mid(1);
    return folder;
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The reason of the system call that has just failed, in Japanese (the
// system's own texts are English). Read at once, before errno changes.
QString lastReason()
{
    return QString::fromStdString(systemErrorText(errno));
}

// One file to `target`; bytes done are added to `done`. Empty text on success.
QString copyOne(const QString &source, const QString &target, qint64 &done, qint64 total, const QString &name,
                const CopyProgress &progress, bool &cancelled)
{
    // A FIFO or a device among the files would block the copy or never end.
    if (!QFileInfo(source).isFile())
        return QStringLiteral("『%1』は、通常のファイルではないため読めません。").arg(shown(source));
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("ファイル『%1』が読めません。\n%2").arg(shown(source), lastReason());
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QStringLiteral("ファイル『%1』を作れません。\n%2").arg(shown(target), lastReason());
    QByteArray buffer;
    while (true) {
        buffer = in.read(1 << 16);
        if (buffer.isEmpty()) {
            if (in.error() != QFileDevice::NoError || !in.atEnd())
                return QStringLiteral("ファイル『%1』が読めません。\n%2").arg(shown(source), lastReason());
            break;
        }
        if (out.write(buffer) != buffer.size())
            return QStringLiteral("ファイル『%1』に書き込めません。\n%2").arg(shown(target), lastReason());
        done += buffer.size();
        if (progress && !progress(done, total, name)) {
            cancelled = true;
            return {};
        }
    }
    if (!out.flush())
        return QStringLiteral("ファイル『%1』に書き込めません。\n%2").arg(shown(target), lastReason());
    out.close();
    if (out.error() != QFileDevice::NoError)
        return QStringLiteral("ファイル『%1』に書き込めません。\n%2").arg(shown(target), lastReason());
    // A copy carries its original's date, as a file manager's copy does.
    QFile stamp(target);
    if (stamp.open(QIODevice::ReadWrite))
        stamp.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
    return {};
}

// The place book is a live SQLite database: it is copied page by page under
// its own lock (never as bytes that a writer may be changing), and a copy in
// place is written through the target's own journal, so that a program that
// has it open never sees a file swapped under it.
bool isDatabase(const QString &folder, const QString &name)
{
    return name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive)
           && looksLikeDatabase(QFile::encodeName(folder + name).toStdString());
}

QString copyDatabaseFile(const QString &source, const QString &target)
{
    const std::string error =
        copyDatabase(QFile::encodeName(source).toStdString(), QFile::encodeName(target).toStdString());
    return QString::fromStdString(error);
}

} // namespace

bool backupSelects(const QString &fileName, int groups)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot + 1 == fileName.size())
        return false;
    // Whole extensions only: a part such as ".at" or ".N" of a group's string
    // selects nothing. The groups come from a system whose file names ignore
    // case, and the master data are stored as "SuuFile.Dat": case is ignored.
    const QStringView extension = QStringView(fileName).mid(dot + 1);
    for (int bit = 0; bit < static_cast<int>(CG1Extensions.size()); ++bit) {
        if (!(groups & (1 << bit)))
            continue;
        const QString list = QLatin1String(CG1Extensions[bit]);
        for (const QStringView e : QStringView(list).split(QLatin1Char('.'), Qt::SkipEmptyParts))
            if (e.compare(extension, Qt::CaseInsensitive) == 0)
                return true;
    }
    return false;
}

QString EditChk(const QString &folder)
{
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator()))
        return folder;
    return folder + QLatin1Char('/');
}

QString defaultBackupFolder()
{
    return QDir::homePath() + QStringLiteral("/BackUp");
}

FileSelection selectBackupFiles(const QString &folder, int groups)
{
    FileSelection s;
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir())
        return s;
    s.folderExists = true;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    // An index goes with its data file ("Senji.Idx" with "Senji.Dat"): one
    // without the other would give the matters in a wrong order.
    QStringList dataStems;
    for (const QFileInfo &e : entries)
        if (e.suffix().compare(QLatin1String("dat"), Qt::CaseInsensitive) == 0 && backupSelects(e.fileName(), groups))
            dataStems << e.completeBaseName().toLower();
    for (const QFileInfo &e : entries) {
        const bool index = e.suffix().compare(QLatin1String("idx"), Qt::CaseInsensitive) == 0
                           && dataStems.contains(e.completeBaseName().toLower());
        // The place book goes with the edit data.
        const bool book = e.fileName() == QLatin1String(PlaceBookFile) && (groups & 2) != 0;
        if (!index && !book && !backupSelects(e.fileName(), groups))
            continue;
        s.names << e.fileName();
        s.bytes += e.size();
    }
    return s;
}

QString selectionStatistics(int count, qint64 bytes)
{
    // "%10.2n": two decimals, thousands separated, right-aligned in ten places.
    const QString kb = QLocale(QLocale::English, QLocale::UnitedStates).toString(bytes / 1024.0, 'f', 2);
    return QStringLiteral("【合計ファイル数：　%1】　　【容量：約%2 Ｋバイト】").arg(count).arg(kb.rightJustified(10));
}

CopyResult copyFileSet(const QString &from, const QString &to, const QStringList &names, const CopyProgress &progress)
{
    const QString src = EditChk(from);
    const QString dst = EditChk(to);
    CopyResult result;
    qint64 total = 0;
    for (const QString &n : names)
        total += QFileInfo(src + n).size();

    // First every file under a temporary name beside its destination.
    QStringList made;
    auto dropTemporaries = [&made, &dst] {
        for (const QString &n : made)
            QFile::remove(newName(dst, n));
    };
    qint64 done = 0;
    for (const QString &n : names) {
        const QFileInfo target(dst + n);
        if (target.exists() && !target.isFile()) {
            dropTemporaries();
            result.message = QStringLiteral("『%1』はファイルではありません。").arg(shown(dst + n));
            return result;
        }
        QFile::remove(newName(dst, n)); // left by an earlier run that was cut short
        made << n;
        QString error;
        if (isDatabase(src, n)) {
            error = copyDatabaseFile(src + n, newName(dst, n));
            done += QFileInfo(src + n).size();
            if (error.isEmpty() && progress && !progress(done, total, n))
                result.cancelled = true;
        } else {
            error = copyOne(src + n, newName(dst, n), done, total, n, progress, result.cancelled);
        }
        if (!error.isEmpty() || result.cancelled) {
            dropTemporaries();
            result.message = error;
            return result;
        }
    }

    // Then the copies in place: each original kept under a second name, the
    // copy renamed over it; on any failure every original goes back.
    QStringList replaced;   // names whose copy is in place
    QStringList setAside;   // names whose original is (also) at its old-name
    QStringList databases;  // set-aside names copied through the database, not renamed
    auto rollBack = [&] {
        for (const QString &n : replaced)
            if (!setAside.contains(n))
                QFile::remove(dst + n); // it was not there before
        // A hard link renamed onto its own file leaves both names: the
        // second one goes once the original is back under its name.
        for (const QString &n : setAside)
            if (databases.contains(n)) {
                if (copyDatabaseFile(oldName(dst, n), dst + n).isEmpty())
                    QFile::remove(oldName(dst, n));
            } else if (std::rename(QFile::encodeName(oldName(dst, n)).constData(), QFile::encodeName(dst + n).constData()) == 0)
                QFile::remove(oldName(dst, n));
        dropTemporaries();
    };
    for (const QString &n : names) {
        const QString target = dst + n;
        if (isDatabase(dst, n) && looksLikeDatabase(QFile::encodeName(newName(dst, n)).toStdString())) {
            // A database in place: its content replaced in one transaction.
            QFile::remove(oldName(dst, n));
            QString error = copyDatabaseFile(target, oldName(dst, n));
            if (error.isEmpty()) {
                setAside << n;
                databases << n;
                error = copyDatabaseFile(newName(dst, n), target);
            }
            if (!error.isEmpty()) {
                rollBack();
                result.message = error;
                return result;
            }
            QFile::remove(newName(dst, n));
            replaced << n;
            continue;
        }
        if (QFileInfo::exists(target)) {
            QFile::remove(oldName(dst, n));
            // The original gets a second name for the roll-back and stays in
            // place until the copy is renamed over it, so no moment is without
            // the file. Folders without hard links (a memory stick) set it aside.
            const bool linked = ::link(QFile::encodeName(target).constData(),
                                       QFile::encodeName(oldName(dst, n)).constData())
                == 0;
            if (!linked && !QFile::rename(target, oldName(dst, n))) {
                rollBack();
                result.message = QStringLiteral("ファイル『%1』を置き換えられません。").arg(shown(target));
                return result;
            }
            setAside << n;
        }
        if (std::rename(QFile::encodeName(newName(dst, n)).constData(), QFile::encodeName(target).constData()) != 0) {
            rollBack();
            result.message = QStringLiteral("ファイル『%1』を置き換えられません。").arg(shown(target));
            return result;
        }
        replaced << n;
    }
    for (const QString &n : setAside)
        QFile::remove(oldName(dst, n));
    result.ok = true;
    return result;
}

// --- the dialog ----------------------------------------------------------------------

TBackF::TBackF(AppSettings &settings, QWidget *parent)
    : QDialog(parent), m_settings(settings), m_programFolder(programFolder())
{
    setHelpTopic(this, HelpTopic);
    setObjectName(QStringLiteral("BackF"));
    setWindowTitle(QStringLiteral("ﾃﾞｰﾀﾊﾞｯｸｱｯﾌﾟ・ﾘｽﾄｱ"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_browser = [](QWidget *parent, const QString &caption, const QString &start) {
        return QFileDialog::getExistingDirectory(parent, caption, start);
    };
    m_endProgram = [] { QCoreApplication::exit(0); };

    auto *cg1 = new QGroupBox(QStringLiteral("バックアップ・リストアするデータ"), this);
    cg1->setObjectName(QStringLiteral("CG1"));
    auto *cg1Layout = new QGridLayout(cg1);
    const int stored = StoredGroups.read(m_settings.store());
    for (int bit = 0; bit < static_cast<int>(CG1Items.size()); ++bit) {
        auto *box = new QCheckBox(QString::fromUtf8(CG1Items[bit]), cg1);
        box->setObjectName(QStringLiteral("CG1_%1").arg(bit));
        box->setChecked(stored & (1 << bit));
        connect(box, &QCheckBox::toggled, this, &TBackF::FormActivate);
        cg1Layout->addWidget(box, bit / 2, bit % 2);
        m_cg1[bit] = box;
    }

    auto panel = [this](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    m_ap = panel("Ap");
    m_ap->setStyleSheet(QStringLiteral("QLabel { background: #FFFF00; color: black; }"));
    m_ap->setText(shown(EditChk(m_programFolder)));
    m_inPnl = panel("InPnl");
    m_outPnl = panel("OutPnl");

    auto *bBtn = new QPushButton(QStringLiteral("バックアップ"), this);
    bBtn->setObjectName(QStringLiteral("BBtn"));
    bBtn->setAutoDefault(false);
    auto *rBtn = new QPushButton(QStringLiteral("リストア"), this);
    rBtn->setObjectName(QStringLiteral("RBtn"));
    rBtn->setAutoDefault(false);
    connect(bBtn, &QPushButton::clicked, this, &TBackF::BBtnClick);
    connect(rBtn, &QPushButton::clicked, this, &TBackF::RBtnClick);

    m_edit1 = new QLineEdit(StoredFolder.read(m_settings.store(), defaultBackupFolder()), this);
    m_edit1->setObjectName(QStringLiteral("Edit1"));
    m_edit1->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 48);
    connect(m_edit1, &QLineEdit::textChanged, this, &TBackF::FormActivate);
    auto *openBtn = new QPushButton(QStringLiteral("参照..."), this);
    openBtn->setObjectName(QStringLiteral("OpenBtn"));
    openBtn->setAutoDefault(false);
    connect(openBtn, &QPushButton::clicked, this, &TBackF::OpenBtnClick);

    auto *okBtn = new QPushButton(QStringLiteral("閉じる"), this);
    okBtn->setObjectName(QStringLiteral("OKBtn"));
    okBtn->setDefault(true);
    connect(okBtn, &QPushButton::clicked, this, &QDialog::accept);
    auto *helpBtn = new QPushButton(QStringLiteral("ﾍﾙﾌﾟ(&H)"), this);
    helpBtn->setObjectName(QStringLiteral("HelpBtn"));
    helpBtn->setAutoDefault(false);
    connect(helpBtn, &QPushButton::clicked, this, [] { showHelp(HelpTopic); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(cg1);
    layout->addWidget(new QLabel(QStringLiteral("●インストール先のフォルダ："), this));
    layout->addWidget(m_ap);
    layout->addWidget(m_inPnl);
    auto *actions = new QHBoxLayout;
    actions->addStretch(1);
    actions->addWidget(bBtn);
    actions->addWidget(rBtn);
    actions->addStretch(1);
    layout->addLayout(actions);
    layout->addWidget(new QLabel(QStringLiteral("●バックアップ先のフォルダ："), this));
    auto *folder = new QHBoxLayout;
    folder->addWidget(m_edit1, 1);
    folder->addWidget(openBtn);
    layout->addLayout(folder);
    layout->addWidget(m_outPnl);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okBtn);
    buttons->addWidget(helpBtn);
    layout->addLayout(buttons);

    FormActivate();
}

void TBackF::BRBtnClick(AppSettings &settings, QWidget *parent)
{
    QPointer<TBackF> dialog = new TBackF(settings, parent);
    dialog->exec();
    delete dialog;
}

int TBackF::groups() const
{
    int bits = 0;
    for (int bit = 0; bit < static_cast<int>(m_cg1.size()); ++bit)
        if (m_cg1[bit]->isChecked())
            bits |= 1 << bit;
    return bits;
}

void TBackF::showEvent(QShowEvent *event)
{
    FormActivate();
    QDialog::showEvent(event);
}

void TBackF::storeSettings()
{
    StoredGroups.write(m_settings.store(), groups());
    StoredFolder.write(m_settings.store(), m_edit1->text());
}

void TBackF::done(int result)
{
    storeSettings();
    QDialog::done(result);
}

FileSelection TBackF::FileSelect(const QString &folder)
{
    // The program folder's figures go to InPnl, any other folder's to OutPnl.
    const bool program = folder == m_programFolder;
    QLabel *target = program ? m_inPnl : m_outPnl;
    const FileSelection s = selectBackupFiles(EditChk(expandHome(folder)), groups());
    target->setText(s.folderExists ? selectionStatistics(s.count(), s.bytes) : NoFolder);
    return s;
}

void TBackF::FormActivate()
{
    if (!m_outPnl)
        return; // still being built
    m_ap->setText(shown(EditChk(m_programFolder)));
    FileSelect(m_edit1->text().trimmed());
    FileSelect(m_programFolder);
}

bool TBackF::sameFolder(const QString &a, const QString &b) const
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    return !ca.isEmpty() && ca == cb;
}

void TBackF::OpenBtnClick()
{
    const QString chosen = m_browser(this, QStringLiteral("バックアップ先のフォルダを指定してください。"),
                                     m_edit1->text().trimmed());
    if (chosen.isEmpty())
        return;
    m_edit1->setText(EditChk(QDir::fromNativeSeparators(chosen)));
}

QString TBackF::backupFolder()
{
    QString folder = expandHome(m_edit1->text().trimmed());
    if (folder.isEmpty()) {
        ui::showWarning(this, QStringLiteral("バックアップ先のフォルダを指定してください。"));
        return {};
    }
    if (QDir::isRelativePath(folder)) {
        ui::showWarning(this, QStringLiteral("バックアップ先のフォルダは「/」から始まる形で指定してください。"));
        return {};
    }
    folder = EditChk(QDir::cleanPath(folder));
    m_edit1->setText(folder);
    if (sameFolder(folder, m_programFolder)) {
        ui::showWarning(this, QStringLiteral("バックアップ先に、プログラムのフォルダは指定できません。"));
        return {};
    }
    return folder;
}

CopyResult TBackF::copyWithProgress(const QString &title, const QString &from, const QString &to,
                                    const FileSelection &selection)
{
    QProgressDialog progress(QString(), QStringLiteral("中止"), 0, 1000, this);
    progress.setWindowTitle(title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    const CopyResult result = copyFileSet(from, to, selection.names,
                                          [&progress, &to](qint64 done, qint64 total, const QString &name) {
                                              progress.setLabelText(QStringLiteral("%1\n→ %2").arg(name, shown(to)));
                                              progress.setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
                                              return !progress.wasCanceled();
                                          });
    progress.close();
    return result;
}

void TBackF::BBtnClick()
{
    const QString folder = backupFolder();
    if (folder.isEmpty())
        return;
    const int bits = groups();
    FileSelection files = FileSelect(m_programFolder);
    if (files.count() == 0) {
        ui::showWarning(this, QStringLiteral("バックアップするファイルがありません。"));
        return;
    }
    if (!QFileInfo(folder).isDir()) {
        if (!ui::askYesNo(this, QStringLiteral("フォルダ がありません。作成しますか？")))
            return;
        // The one folder named; its parent must exist, so that a mistyped
        // path does not quietly grow a tree of folders.
        if (!QDir().mkdir(QDir::cleanPath(folder))) {
            ui::showError(this, QStringLiteral("フォルダ作成に失敗しました。"));
            FormActivate();
            return;
        }
        FormActivate();
    }
    if (!ui::askYesNo(this, QStringLiteral("バックアップを実行してよろしいですか？")))
        return;

    files = selectBackupFiles(m_programFolder, bits);
    QStringList existing;
    for (const QString &n : files.names)
        if (QFileInfo::exists(folder + n))
            existing << n;
    if (!existing.isEmpty()) {
        QStringList listed = existing.mid(0, 10);
        if (existing.size() > listed.size())
            listed << QStringLiteral("…ほか %1 件").arg(existing.size() - listed.size());
        if (!ui::askYesNo(this, QStringLiteral("バックアップ先の次のファイルを上書きします。よろしいですか？\n\n")
                                    + listed.join(QLatin1Char('\n'))))
            return;
    }
    const CopyResult copied = copyWithProgress(QStringLiteral("バックアップ"), m_programFolder, folder, files);
    FormActivate();
    if (copied.cancelled) {
        ui::showInfo(this, QStringLiteral("バックアップを中止しました。バックアップ先のファイルは元のままです。"));
        return;
    }
    if (!copied.ok) {
        ui::showError(this, copied.message + QStringLiteral("\n\nバックアップできませんでした。バックアップ先のファイルは元のままです。"));
        return;
    }
    // The settings go after the files, so that a stale "VLW.reg" of the
    // program folder never stands in for the current settings.
    // Every file written counts, the settings export among them.
    int written = static_cast<int>(files.count());
    if (bits & (1 << RegistryDataBit)) {
        storeSettings();
        const QString error = exportSettings(m_settings.store(), folder + QLatin1String(RegistryExportName));
        if (!error.isEmpty())
            ui::showError(this, error + QStringLiteral("\n\n設定データはバックアップできませんでした。"));
        else if (!files.names.contains(QLatin1String(RegistryExportName), Qt::CaseInsensitive))
            ++written;
    }
    FileSelect(folder);
    ui::showInfo(this, QStringLiteral("バックアップが終了しました。\n\n%1 個のファイルをコピーしました。").arg(written));
}

void TBackF::RBtnClick()
{
    const QString folder = backupFolder();
    if (folder.isEmpty())
        return;
    const int bits = groups();
    FileSelection files = FileSelect(folder);
    if (files.count() == 0) {
        ui::showWarning(this, QStringLiteral("リストアするファイルがありません。"));
        return;
    }
    const QString title = QLatin1String(ApplicationTitle);
    if (!ui::askYesNo(this, QStringLiteral("現在編集中の内容は破棄され、内容を反映させる為、%1の再起動が必要となります。\n\n"
                                           "リストアを実行してよろしいですか？")
                                .arg(title)))
        return;
    if (!ui::askYesNo(this, QStringLiteral("リストアを実行してよろしいですか？")))
        return;

    files = selectBackupFiles(folder, bits);
    const CopyResult copied = copyWithProgress(QStringLiteral("リストア"), folder, m_programFolder, files);
    FormActivate();
    if (copied.cancelled) {
        ui::showInfo(this, QStringLiteral("リストアを中止しました。プログラムのフォルダは元のままです。"));
        return;
    }
    if (!copied.ok) {
        ui::showError(this, copied.message + QStringLiteral("\n\nリストアできませんでした。プログラムのフォルダは元のままです。"));
        return;
    }

    if (bits & (1 << RegistryDataBit)) {
        // The export as the backup wrote it, or as another system named it.
        QString exported;
        const QStringList all = QDir(folder).entryList(QDir::Files);
        for (const QString &name : {QStringLiteral("VLW.REG"), QString::fromLatin1(RegistryExportName)})
            if (exported.isEmpty() && all.contains(name))
                exported = name;
        for (const QString &name : all)
            if (exported.isEmpty() && name.compare(QLatin1String(RegistryExportName), Qt::CaseInsensitive) == 0)
                exported = name;
        if (!exported.isEmpty()
            && ui::askYesNo(this, QStringLiteral("バックアップの設定データ（%1）を取り込みますか？\n\n"
                                                 "現在の設定は、バックアップの内容に置き換えられます。")
                                      .arg(exported))) {
            const QString error = importSettings(m_settings.store(), folder + exported);
            if (!error.isEmpty())
                ui::showError(this, error);
        }
    }
    FileSelect(m_programFolder);
    ui::showInfo(this, QStringLiteral("リストアが終了しました。内容を反映させる為、\n\n一旦、%1 を終了しますので、\n\n"
                                      "再度、%1起動してください。\n\n%2 個のファイルをコピーしました。")
                           .arg(title)
                           .arg(files.count()));
    if (m_endProgram)
        m_endProgram();
}

} // namespace velm
