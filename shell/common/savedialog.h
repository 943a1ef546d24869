#pragma once

// The one save dialog of the program: it opens in the folder the user last
// saved to (this session, and from the settings at start), and remembers
// the folder of every file chosen.

#include <functional>

#include <QString>
#include <QStringList>

class QWidget;

namespace velm {

// The file chosen to write, empty when cancelled. `suggested` is a file
// name (or a path) to start with; `filters` as "PNG (*.png)"; without a
// suffix typed, `defaultSuffix` is added.
QString askSaveFile(QWidget *parent, const QString &caption, const QStringList &filters,
                    const QString &defaultSuffix = {}, const QString &suggested = {});

// The folder save dialogs open in (the home folder before any).
QString lastSaveFolder();
// The folder of `file` becomes the one save dialogs open in.
void rememberSaveFolder(const QString &file);
// Where the folder is kept between runs: read once now, written at each change.
void keepSaveFolder(std::function<QString()> read, std::function<void(const QString &)> write);

// A picture saved to `path` as the user chose it (empty: cancelled): PNG
// unless the name ends in .pdf or .png, written by `write` (its error, or
// empty), then the error or a short confirmation shown over `owner`.
void savePicture(QWidget *owner, QString path, const std::function<QString(const QString &path)> &write);

} // namespace velm
