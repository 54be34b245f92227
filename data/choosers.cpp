#include "choosers.h"

#include <QApplication>
#include <QFileDialog>

namespace qm {

namespace {

FolderChooser g_folderChooser;
FileChooser g_fileChooser;

}  // namespace

QString chooseFolder(const QString& prompt)
{
    if (g_folderChooser)
        return g_folderChooser(prompt);
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), prompt, QDir::homePath());
}

QString chooseOpenFile(const QString& title, const QString& filter, const QString& startFolder)
{
    if (g_fileChooser)
        return g_fileChooser(title, filter, startFolder);
    const QString folder = !startFolder.isEmpty() && QDir(startFolder).exists() ? startFolder : QDir::homePath();
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, folder, filter);
}

FolderChooser setFolderChooser(FolderChooser chooser)
{
    std::swap(g_folderChooser, chooser);
    return chooser;
}

FileChooser setFileChooser(FileChooser chooser)
{
    std::swap(g_fileChooser, chooser);
    return chooser;
}

}  // namespace qm
