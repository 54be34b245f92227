#pragma once

// The folder and file choosers, replaceable by tests. An empty result means cancelled.

#include <QString>
#include <functional>

namespace qm {

QString chooseFolder(const QString& prompt);
// Opens in `startFolder` when it names a folder that exists, else in the home folder.
QString chooseOpenFile(const QString& title, const QString& filter, const QString& startFolder = QString());

using FolderChooser = std::function<QString(const QString& prompt)>;
using FileChooser = std::function<QString(const QString& title, const QString& filter, const QString& startFolder)>;
// Each returns the chooser it replaces; an empty one restores the real dialog.
FolderChooser setFolderChooser(FolderChooser chooser);
FileChooser setFileChooser(FileChooser chooser);

}  // namespace qm
