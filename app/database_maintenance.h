#pragma once

// Backup, restore and compaction of the database file. Each closes the connection first; the
// next statement opens whatever file then stands in the database's place.

#include "data/db_error.h"
#include "data/message.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace qm {

// "QM2011-06-08 93005.bam": the date, a blank, the hour without a leading zero, minutes, seconds.
QString backupFileName(const QDateTime& when);
// The folder must be an absolute path of this system.
std::optional<Message> checkBackupFolder(const QString& folder);
// Copies the closed database file into the folder (made 0700 when missing) as a file of mode
// 0600, replacing a backup of the same name, once any change left half-written in it has been
// put back, and while no other program can change it; the copy and its name are on the disk
// before this returns. Returns the path written; throws when the books cannot be put back, are
// in use by another program or the copy fails (a folder made for it is then removed).
QString backupDatabase(const QString& folder, const QDateTime& when);

// A restore refused because of the chosen file itself: it cannot be read, or is not books of
// this program (or of a version it knows).
class BackupFileError : public DbError {
public:
    using DbError::DbError;
};

// Puts a backup in the database's place. Any change left half-written in the books is put back
// first, so no journal of theirs outlives them, and no other program may be using the books; the
// backup is copied beside the database, checked to be a database of this program and then
// swapped in whole. Otherwise the database stays as it was and this throws (BackupFileError when
// the chosen file is what is wrong).
void restoreDatabase(const QString& backupPath);

// Removes the year's entry rows without an account, then rewrites the database compactly into
// qmdata888.mdb beside the program and swaps it in, while no other program can change the books
// (or has a change of its own under way). The original stays unless the compacted copy is
// complete; a failure throws.
void compactDatabase(int year);

}  // namespace qm
