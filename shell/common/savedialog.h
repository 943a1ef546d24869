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

} // namespace velm
