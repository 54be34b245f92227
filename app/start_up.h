#pragma once

// What the program settles before the login window opens: that it alone has the books, and
// that the database can be used.

#include "data/message.h"

#include <QString>
#include <memory>
#include <optional>

class QLockFile;
class QTranslator;

namespace qm {

// A lock file beside the database, held for the program's life, so that no second copy of the
// program works on the same books (a copy that compacts or restores would pull the file from
// under the first). A lock left by a program that died on this computer is taken over, and so is
// one that names no holder (a power cut right after it was made leaves it empty) once no process
// holds it. One another computer holds is never taken: that computer may still be working.
class BooksLock {
public:
    BooksLock();
    ~BooksLock();
    BooksLock(const BooksLock&) = delete;
    BooksLock& operator=(const BooksLock&) = delete;

    enum class Result { Locked, HeldByAnother, HeldOnAnotherComputer, CannotWrite };
    Result lock(const QString& dataFolder);
    bool isLocked() const;
    void unlock();
    // The computer that holds the lock, after HeldOnAnotherComputer.
    QString otherComputer() const { return m_otherComputer; }

private:
    std::unique_ptr<QLockFile> m_file;
    QString m_otherComputer;
};

QString booksLockFilePath(const QString& dataFolder);

// Installs Qt's own Simplified Chinese texts (qtbase_zh_CN), so that the file, folder, print and
// page set-up dialogs speak the program's language. Returns the installed translator (owned by the
// application), or null when the translation is not installed: those dialogs then stay in English.
QTranslator* installQtTranslation();

// Makes the data folder (0700) when missing, takes the lock, creates a new database when there is
// none, and checks an existing one: writable, readable as SQLite, passing the quick check and
// holding the settings row. A file found wanting is never changed. Returns the message to show
// before the program ends, or nothing when the login can go ahead.
std::optional<Message> prepareBooks(BooksLock& lock);

}  // namespace qm
