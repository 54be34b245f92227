#pragma once

// The books are not encrypted, so every file and folder the program makes for them is open to
// its owner only: files 0600, folders 0700.

#include <QString>
#include <QStringList>

namespace qm {

// Where a routine below returns false, errno says why.

// Makes the folder and any missing parent, each 0700, each on the disk before this returns;
// folders that already exist keep their mode. False when the folder cannot be made. The folders
// it made, outermost first, are added to `made` when given.
bool makePrivateFolder(const QString& path, QStringList* made = nullptr);
// Removes, innermost first, folders makePrivateFolder made that are still empty.
void removeMadeFolders(const QStringList& made);

// Creates `path` empty with mode 0600, or empties an existing file and sets it to 0600.
// False when it cannot be written.
bool createPrivateFile(const QString& path);

// Copies `source` into a new file `target` made 0600 from the start; a partial target is
// removed. False when either file fails.
bool copyPrivately(const QString& source, const QString& target);

// Why a file could not be written, in a few words for a message: "磁盘可能已满" only for a disk
// that is full (or a quota that is used up).
QString writeFailureText(int error);

// Waits until the folder holding `path` has on the disk which files it holds. False when it
// cannot.
bool syncFolderOf(const QString& path);

// Puts the file `source` in the place of `target` in one step, so that after a power cut
// `target` is either what it was or the whole of `source`: `source` reaches the disk before the
// rename, and the rename itself (the folder) after it. Failed when `source` could not be synced
// or renamed; it is then still there for the caller to remove, and `target` is what it was.
// Otherwise `target` is the new file, even when the folder could not be synced after the rename
// (Unconfirmed: a power cut may still bring the old file back).
enum class Replacement { Failed, Done, Unconfirmed };
Replacement replaceDurably(const QString& source, const QString& target);

}  // namespace qm
