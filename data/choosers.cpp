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

QString chooseOpenFile(const QString& title, const QString& filter)
{
    if (g_fileChooser)
        return g_fileChooser(title, filter);
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, QDir::homePath(), filter);
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
