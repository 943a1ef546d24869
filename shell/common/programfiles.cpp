#include "shell/common/programfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "shell/common/messages.h"

namespace velm {
namespace {

QString &folderStore()
{
    static QString folder;
    return folder;
}

} // namespace

QString programFolder()
{
    return folderStore();
}

void setProgramFolder(const QString &folder)
{
    folderStore() = QDir::cleanPath(QDir(folder).absolutePath());
}

QString programFile(const QString &folder, const QString &name)
{
    const QDir dir(folder);
    if (dir.exists(name))
        return dir.filePath(name);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString &entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return dir.filePath(name);
}

QString programFile(const QString &name)
{
    return programFile(programFolder(), name);
}

QString programFile(const char *name)
{
    return programFile(programFolder(), QLatin1String(name));
}

QString firstMissingRequiredFile(const QString &folder)
{
    for (const char *name : RequiredFiles) {
        const QString n = QLatin1String(name);
        if (!QFileInfo(programFile(folder, n)).isFile())
            return n;
    }
    return {};
}

bool checkRequiredFiles(const QString &folder)
{
    const QString missing = firstMissingRequiredFile(folder);
    if (missing.isEmpty())
        return true;
    ui::showError(nullptr, missing + QStringLiteral("が、ありません。"));
    return false;
}

} // namespace velm
