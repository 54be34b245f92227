#pragma once

// The folder and file choosers, replaceable by tests. An empty result means cancelled.

#include <QString>
#include <functional>

namespace qm {

QString chooseFolder(const QString& prompt);
QString chooseOpenFile(const QString& title, const QString& filter);

using FolderChooser = std::function<QString(const QString& prompt)>;
using FileChooser = std::function<QString(const QString& title, const QString& filter)>;
// Each returns the chooser it replaces; an empty one restores the real dialog.
FolderChooser setFolderChooser(FolderChooser chooser);
FileChooser setFileChooser(FileChooser chooser);

}  // namespace qm
