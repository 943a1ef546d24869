#pragma once

// The per-user settings of the key "Software\Quorvel\VELM": sections (groups)
// of named text, integer, boolean and binary values, kept in an INI file in
// the user's config folder (~/.config/Quorvel/VELM.ini, or $VELM_CONFIG_DIR).
// A missing value reads as the caller's default. A file that cannot be read
// leaves every value at its default and is kept as it is until the user
// changes a setting; it is then set aside as VELM.ini.bad before the new file
// is written. Writes are atomic.

#include <type_traits>

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVariant>

class SettingsStore {
public:
    // configDir empty: $VELM_CONFIG_DIR, else the platform's config folder + "/Quorvel".
    explicit SettingsStore(const QString &configDir = {});

    QString text(const QString &section, const QString &key, const QString &def = {}) const;
    int integer(const QString &section, const QString &key, int def = 0) const;
    bool boolean(const QString &section, const QString &key, bool def = false) const;
    QByteArray binary(const QString &section, const QString &key, const QByteArray &def = {}) const;
    bool contains(const QString &section, const QString &key) const;

    void setText(const QString &section, const QString &key, const QString &value);
    void setInteger(const QString &section, const QString &key, int value);
    void setBoolean(const QString &section, const QString &key, bool value);
    void setBinary(const QString &section, const QString &key, const QByteArray &value);
    void remove(const QString &section, const QString &key);

    // Every stored value, "Section/Key" -> value (for the settings export).
    QMap<QString, QVariant> all() const { return m_values; }

    // Writes pending changes; returns an empty text or a message naming the file.
    QString sync();

    // Set when the file existed but could not be read: a message for the user.
    QString loadError() const { return m_loadError; }
    QString filePath() const { return m_path; }
    QString configDir() const { return m_dir; }

private:
    void set(const QString &section, const QString &key, const QVariant &value);
    QVariant raw(const QString &section, const QString &key) const;

    QString m_dir;
    QString m_path;
    QMap<QString, QVariant> m_values;
    QString m_loadError;
    bool m_dirty = false;
};

// One value of a window's own state: the section and key it is stored under
// and what it reads as when nothing is stored. A window declares each of its
// values once and reads and writes through it, so a key is spelled once and
// its type cannot differ between reading and writing.
template <typename T>
struct SettingValue {
    const char *section;
    const char *key;
    T fallback;

    T read(const SettingsStore &store) const { return read(store, fallback); }
    // With a fallback known only at run time.
    T read(const SettingsStore &store, const T &otherwise) const
    {
        const QString s = QLatin1String(section), k = QLatin1String(key);
        if constexpr (std::is_same_v<T, bool>)
            return store.boolean(s, k, otherwise);
        else if constexpr (std::is_same_v<T, int>)
            return store.integer(s, k, otherwise);
        else if constexpr (std::is_same_v<T, QByteArray>)
            return store.binary(s, k, otherwise);
        else
            return store.text(s, k, otherwise);
    }
    void write(SettingsStore &store, const T &value) const
    {
        const QString s = QLatin1String(section), k = QLatin1String(key);
        if constexpr (std::is_same_v<T, bool>)
            store.setBoolean(s, k, value);
        else if constexpr (std::is_same_v<T, int>)
            store.setInteger(s, k, value);
        else if constexpr (std::is_same_v<T, QByteArray>)
            store.setBinary(s, k, value);
        else
            store.setText(s, k, value);
    }
};
