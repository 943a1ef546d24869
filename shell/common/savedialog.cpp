#include "shell/common/savedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "shell/common/messages.h"

namespace velm {
namespace {

struct FolderMemory {
    QString folder;
    std::function<void(const QString &)> write;
};

FolderMemory &memory()
{
    static FolderMemory m;
    return m;
}

} // namespace

QString lastSaveFolder()
{
    const QString &f = memory().folder;
    return !f.isEmpty() && QFileInfo(f).isDir() ? f : QDir::homePath();
}

void rememberSaveFolder(const QString &file)
{
    if (file.isEmpty())
        return;
    const QString folder = QFileInfo(file).absolutePath();
    if (folder == memory().folder)
        return;
    memory().folder = folder;
    if (memory().write)
        memory().write(folder);
}

void keepSaveFolder(std::function<QString()> read, std::function<void(const QString &)> write)
{
    if (read)
        memory().folder = read();
    memory().write = std::move(write);
}

QString askSaveFile(QWidget *parent, const QString &caption, const QStringList &filters,
                    const QString &defaultSuffix, const QString &suggested)
{
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    if (!defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(defaultSuffix);
    dialog.setDirectory(lastSaveFolder());
    if (!suggested.isEmpty())
        dialog.selectFile(QFileInfo(suggested).isAbsolute() ? suggested : QDir(lastSaveFolder()).filePath(suggested));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString file = dialog.selectedFiles().constFirst();
    rememberSaveFolder(file);
    return file;
}

void savePicture(QWidget *owner, QString path, const std::function<QString(const QString &path)> &write)
{
    if (path.isEmpty())
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("pdf"))
        path += QStringLiteral(".png");
    const QString error = write(path);
    if (!error.isEmpty())
        ui::showError(owner, error);
    else
        ui::showSaved(owner, path);
}

} // namespace velm
