#include "shell/settings/settingsstore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "engine/textfile.h"

namespace {

QString key(const QString &section, const QString &name)
{
    return section.isEmpty() ? name : section + QLatin1Char('/') + name;
}

} // namespace

SettingsStore::SettingsStore(const QString &configDir)
{
    m_dir = configDir;
    if (m_dir.isEmpty())
        m_dir = qEnvironmentVariable("VELM_CONFIG_DIR");
    if (m_dir.isEmpty())
        m_dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QStringLiteral("/Quorvel");
    m_path = m_dir + QStringLiteral("/VELM.ini");

    if (!QFileInfo::exists(m_path))
        return;
    // Read once by the common reader first: a FIFO or a device in its place
    // would block or never end, and only a regular file of sane size is read.
    std::string bytes;
    if (!velm::readRegularFile(QFile::encodeName(m_path).toStdString(), bytes).empty()) {
        m_loadError = QStringLiteral("設定ファイル『%1』が読めません。既定の設定で起動します。").arg(m_path);
        return;
    }
    QSettings file(m_path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        m_loadError = QStringLiteral("設定ファイル『%1』が壊れています。既定の設定で起動します。").arg(m_path);
        return;
    }
    for (const QString &k : file.allKeys())
        m_values.insert(k, file.value(k));
}

QVariant SettingsStore::raw(const QString &section, const QString &name) const
{
    return m_values.value(key(section, name));
}

bool SettingsStore::contains(const QString &section, const QString &name) const
{
    return m_values.contains(key(section, name));
}

QString SettingsStore::text(const QString &section, const QString &name, const QString &def) const
{
    QVariant v = raw(section, name);
    return v.isValid() && v.canConvert<QString>() ? v.toString() : def;
}

int SettingsStore::integer(const QString &section, const QString &name, int def) const
{
    QVariant v = raw(section, name);
    bool ok = false;
    int value = v.toInt(&ok);
    return ok ? value : def;
}

bool SettingsStore::boolean(const QString &section, const QString &name, bool def) const
{
    QVariant v = raw(section, name);
    if (!v.isValid())
        return def;
    const QString s = v.toString().trimmed().toLower();
    if (s == QLatin1String("true") || s == QLatin1String("1"))
        return true;
    if (s == QLatin1String("false") || s == QLatin1String("0"))
        return false;
    return def;
}

QByteArray SettingsStore::binary(const QString &section, const QString &name, const QByteArray &def) const
{
    QVariant v = raw(section, name);
    return v.isValid() && v.typeId() == QMetaType::QByteArray ? v.toByteArray() : def;
}

void SettingsStore::set(const QString &section, const QString &name, const QVariant &value)
{
    const QString k = key(section, name);
    if (m_values.value(k) == value && m_values.contains(k))
        return;
    m_values.insert(k, value);
    m_dirty = true;
}

void SettingsStore::setText(const QString &section, const QString &name, const QString &value)
{
    set(section, name, value);
}

void SettingsStore::setInteger(const QString &section, const QString &name, int value)
{
    set(section, name, value);
}

void SettingsStore::setBoolean(const QString &section, const QString &name, bool value)
{
    set(section, name, value);
}

void SettingsStore::setBinary(const QString &section, const QString &name, const QByteArray &value)
{
    set(section, name, value);
}

void SettingsStore::remove(const QString &section, const QString &name)
{
    if (m_values.remove(key(section, name)) > 0)
        m_dirty = true;
}

QString SettingsStore::sync()
{
    if (!m_dirty)
        return {};
    if (!QDir().mkpath(m_dir))
        return QStringLiteral("設定のフォルダ『%1』を作れません。").arg(m_dir);
    const QString failed = QStringLiteral("設定ファイル『%1』に書き込めません。").arg(m_path);

    // QSettings lays out the INI text, in a scratch file of its own (a fresh
    // one, so no stale key survives); the bytes then replace "VELM.ini" by
    // the program's one atomic writer. The old file stays in place until the
    // rename, so a crash at any moment leaves the old settings or the new.
    QByteArray bytes;
    {
        QTemporaryFile scratch(m_path + QStringLiteral(".XXXXXX"));
        if (!scratch.open())
            return failed;
        scratch.close();
        {
            QSettings out(scratch.fileName(), QSettings::IniFormat);
            for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
                out.setValue(it.key(), it.value());
            out.sync();
            if (out.status() != QSettings::NoError)
                return failed;
        }
        QFile in(scratch.fileName());
        if (!in.open(QIODevice::ReadOnly))
            return failed;
        bytes = in.readAll();
        if (in.error() != QFileDevice::NoError)
            return failed;
    }

    if (!m_loadError.isEmpty()) {
        // Keep the unreadable file for the user: a second name for it (a hard
        // link, which opens nothing), or failing that the file moved aside. A
        // FIFO or device in its place is moved aside whole: the writer never
        // replaces such a node, and the settings need a file of their own.
        const QByteArray path = QFile::encodeName(m_path);
        const QByteArray bad = QFile::encodeName(m_path + QStringLiteral(".bad"));
        struct stat st {};
        if (::lstat(path.constData(), &st) == 0) {
            ::unlink(bad.constData());
            if (!S_ISREG(st.st_mode) || ::link(path.constData(), bad.constData()) != 0)
                ::rename(path.constData(), bad.constData());
        }
    }
    if (!velm::writeBytesAtomic(QFile::encodeName(m_path).toStdString(), bytes.toStdString()).empty())
        return failed;
    m_dirty = false;
    m_loadError.clear();
    return {};
}
