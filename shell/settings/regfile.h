#pragma once

// The settings of the program as a registry-export file ("VLW.reg"): the
// text a registry editor writes for the key
// HKEY_CURRENT_USER\Software\Quorvel\VELM and its sub-keys, so that a backup
// set can be read, compared and edited with the usual tools and imported
// again by a restore.
//
// Written as "Windows Registry Editor Version 5.00" text in UTF-16LE with a
// byte-order mark and CR LF line ends, which is what the registry editor
// itself writes. Read back tolerantly: UTF-16 (either order) or UTF-8 with or
// without a mark, else CP932; CR LF or LF; the older "REGEDIT4" header too.
//
// Store sections map to sub-keys ("Sys" -> ...\VELM\Sys, "A/B" -> ...\VELM\A\B);
// values without a section live in the key itself. Types:
//   integers (and texts that are a plain decimal integer, which is how the
//   settings file hands integers back) -> "Key"=dword:%08x
//   booleans                            -> dword 1 / 0
//   binary values                       -> "Key"=hex:..
//   texts                               -> "Key"="text" (\ and " escaped);
//   texts with line breaks or other control characters -> hex(1): (the
//   string type in hexadecimal, as a quoted string cannot hold them).

#include <vector>

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVariant>

class SettingsStore;

namespace velm {

// The key of the program's settings; the export holds it and its sub-keys.
inline constexpr const char *RegistryRoot = "HKEY_CURRENT_USER\\Software\\Quorvel\\VELM";
inline constexpr const char *RegistryHeader = "Windows Registry Editor Version 5.00";

// The export text of a store's values ("Section/Key" -> value), CR LF line ends.
QString settingsToRegText(const QMap<QString, QVariant> &values);

// The text as the file holds it: UTF-16LE with a byte-order mark.
QByteArray encodeRegFile(const QString &text);
// The file's bytes as text (see above for what is accepted).
QString decodeRegFile(const QByteArray &bytes);

// One value of an import: set (or, for "Key"=-, remove) section/key.
struct RegEntry {
    QString section;
    QString key;
    QVariant value; // int, QString or QByteArray
    bool remove = false;
};

struct RegParse {
    std::vector<RegEntry> entries;  // in file order
    QStringList removedSections;    // [-key] blocks under the program's key
    int line = 0;                   // the faulty line, 1-based; 0 for the whole file
    QString reason;                 // empty when fine
    bool ok() const { return reason.isEmpty(); }
};

// Parses an export. Blocks of other keys are read (and must be well formed)
// but yield no entries. A text without any block of the program's key is an error.
RegParse parseRegText(const QString &text);

// Writes the store's values to `path` (through a temporary file renamed over
// it). Returns an empty text or a message naming the file.
QString exportSettings(const SettingsStore &store, const QString &path);

// Reads `path` and, when the whole file is sound, sets the values it holds
// (others are kept) and writes the store. On any fault the store is left
// untouched and a message naming the file (and line) is returned.
QString importSettings(SettingsStore &store, const QString &path);

} // namespace velm
