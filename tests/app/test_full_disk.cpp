#include "support/common.h"
#include "accounts/chart.h"
#include "accounts/opening_balances.h"
#include "app/database_maintenance.h"
#include "app/year_end.h"
#include "data/record_set.h"
#include "ledgers/three_column_ledger.h"
#include "ledgers/views.h"
#include "statements/statements.h"
#include "support/full_disk.h"
#include "vouchers/exchange_adjustment.h"
#include "vouchers/month_closing.h"
#include "vouchers/voucher_book.h"
#include "vouchers/voucher_posting.h"
#include "vouchers/work_copy.h"

#include <QDirIterator>

#include <functional>
#include <optional>

namespace {

const QString kDiskFull = u"磁盘已满，这次修改没有保存。"_s;
// Room for a page or two of a journal, for several pages, for a copy of the books but not for
// the work on it (a compaction's).
constexpr qint64 kRoomForAFewPages = 8192;
constexpr qint64 kRoomForMorePages = 32768;
constexpr qint64 kRoomForACopy = -1;

QString onDisk(const QString& sql)
{
    return seenByAnotherProgram(databaseFilePath(), sql).toString();
}

// Every file and folder under the program's folder, with its size: a journal, a compacted
// copy or a staged restore left behind shows.
QStringList programFiles()
{
    QStringList files;
    for (QDirIterator it(programFolder(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        it.next();
        files << it.filePath().mid(programFolder().size()) + u' '
                     + QString::number(it.fileInfo().isDir() ? 0 : it.fileInfo().size());
    }
    files.sort();
    return files;
}

// Voucher `number` of `month`: 0.1 and 0.2 credited to income, their sum debited to cash.
VoucherDraft voucher(int month, int number)
{
    const ParsedLines parsed =
        parseVoucherLines({{u"销售"_s, u"1001 库存现金"_s, QString(), u"0.30"_s, QString(), QString(), QString()},
                           {QString(), u"6001"_s, QString(), QString(), u"0.10"_s, QString(), QString()},
                           {QString(), u"6001"_s, QString(), QString(), u"0.20"_s, QString(), QString()}});
    return {QDate(kYear, month, 15), u"记"_s, QString::number(number), u"1"_s, u"会计"_s, u"销售"_s, parsed.lines,
            parsed.rowWithoutAccount};
}

// A query of the lines of the year's entry table that `where` picks, in their order: "code
// debit credit" each, "-" for none.
QString linesOf(const QString& where, int year = kYear)
{
    return u"SELECT group_concat(代码 || ' ' || ifnull(借方金额, '-') || ' ' || ifnull(贷方金额, '-'), ',') "
           "FROM (SELECT * FROM 分%1 WHERE %2 ORDER BY ID)"_s.arg(year)
               .arg(where);
}

// The first line's code of each voucher of March, after its number.
const QString kMarchVouchers = u"SELECT group_concat(号码 || ':' || 代码, ',') "
                               "FROM (SELECT * FROM 分2016 WHERE 月=3 AND substr(ID,8)='001' ORDER BY ID)"_s;

QString backupPath()
{
    return programFolder() + u"/备份/QM2016-05-01 80001.bam"_s;
}

// Books every change starts from: opening rows, four vouchers of March on a credit-direction
// level-3 account with amounts that round (fifty lines of 0.1 and one of 0.125), and a
// level-2 leaf 2241001 with entries.
void someBooks()
{
    addPayableLeaf();
    addAccount(u"2241001"_s, u"押金"_s, u"其他应付款/押金"_s, u"贷"_s);
    execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码='2241'"_s);
    addLines(u"8000000001 1001 800 -|8000000002 4001 - 800|"
             "8030001001 1001 0.1 -|8030001002 1001 0.2 -|8030001003 6001 - 0.3|8030002001 6602 50 -|"
             "8030002002 2202001001 - 50|8030003001 1001 7 -|8030003002 2241001 - 7"_s);
    addHalfCentSum(u"8030004"_s, u"1122"_s, true);
    addLines(u"8030004052 2202001001 - 5.125"_s);
}

struct Change {
    QString name;
    std::function<void()> setUp;  // on someBooks()
    std::function<void()> change;
    QString readBack;  // what the change leaves, read by another program
    QString expected;
    bool copiesOutsideSqlite = false;  // a file copy of its own, which the disk must stop too
};

}  // namespace

class TestFullDisk : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { FullDisk::install(); }

    // Every change of the books that a full disk stops leaves them as they were, and the
    // program's connection without a lock or a transaction of its own; the same change, tried
    // again with room on the disk, is written, and so is the next one.
    void everyChangeStoppedByAFullDiskIsWrittenWhenTriedAgain()
    {
        const QString opening = linesOf(u"月 IS NULL"_s);
        const std::vector<Change> changes = {
            {u"insert a voucher"_s, [] { copyVoucherToWorkCopy(kYear, 3, 2); },
             [] { applyVoucherChange(VoucherChange::Insert, voucher(3, 2), kYear, u"管理员"_s); }, kMarchVouchers,
             u"1:1001,2:1001,3:6602,4:1001,5:1122"_s},
            {u"modify a voucher"_s, [] { copyVoucherToWorkCopy(kYear, 3, 2); },
             [] { applyVoucherChange(VoucherChange::Modify, voucher(3, 2), kYear, u"管理员"_s); },
             linesOf(u"月=3 AND 号码=2"_s), u"1001 0.3 -,6001 - 0.1,6001 - 0.2"_s},
            {u"delete a voucher"_s, [] { copyVoucherToWorkCopy(kYear, 3, 2); },
             [] { applyVoucherChange(VoucherChange::Delete, voucher(3, 2), kYear, u"管理员"_s); }, kMarchVouchers,
             u"1:1001,2:1001,3:1122"_s},
            {u"reverse closing"_s, [] { closeMonth(QDate(kYear, 3, 12), u"会计"_s, u"管理员"_s, kYear); },
             [] { reopenMonth(3, kYear); }, u"SELECT count(*) || ' ' || count(结帐) FROM 分2016 WHERE 月=3"_s,
             u"59 0"_s},
            {u"exchange adjustment"_s,
             [] {
                 execute(u"UPDATE 科目表 SET 调汇='Y' WHERE 科目代码 IN ('1122', '2202001001')"_s);
                 execute(u"UPDATE 分2016 SET 数量=1 WHERE 代码 IN ('1122', '2202001001')"_s);
                 fillExchangeTable(kYear, 3);
                 for (const ExchangeRow& row : exchangeRows())
                     setExchangeValue(row.id, u"汇率"_s, 0.125);
                 computeExchangeDifferences();
             },
             [] {
                 postExchangeVoucher({QDate(kYear, 3, 31), u"转"_s, 5, u"管理员"_s}, u"6603 财务费用"_s, kYear);
             },
             linesOf(u"月=3 AND 号码=5"_s), u"6603 -56.13 -,1122 - -1.25,2202001001 - -54.88"_s},
            {u"load opening balances"_s,
             [] {
                 setOpeningValue(u"1001"_s, u"借方金额"_s, 0.1);
                 setOpeningValue(u"1002"_s, u"借方金额"_s, 0.2);
                 setOpeningValue(u"2202001001"_s, u"贷方金额"_s, 0.3);
             },
             [] { loadOpeningRows(kYear); }, opening, u"1001 0.1 -,1002 0.2 -,2202001001 - 0.3"_s},
            {u"rewrite opening balances"_s,
             [] {
                 fetchOpeningRows(kYear);
                 for (const OpeningRow& row : fetchedOpeningRows())
                     setFetchedOpeningValue(row.lineId, row.code == u"1001"_s ? u"借方金额"_s : u"贷方金额"_s, 800.125);
             },
             [] { rewriteOpeningRows(kYear); }, opening, u"1001 800.13 -,4001 - 800.13"_s},
            {u"add a sub-account"_s, [] {},
             [] {
                 addSubAccount({u"2241001"_s, u"001"_s, u"房租"_s, u"贷"_s}, kYear);
             },
             u"SELECT (SELECT group_concat(DISTINCT 代码) FROM 分2016 WHERE 代码 LIKE '2241%') || ' ' "
             "|| group_concat(科目代码 || 明细, ',') FROM (SELECT * FROM 科目表 WHERE 科目代码 LIKE '2241%' ORDER BY 1)"_s,
             u"2241001001 2241,2241001,2241001001Y"_s},
            {u"rename an account"_s, [] {}, [] { renameAccount(u"2202001"_s, u"乙"_s, u"贷"_s); },
             u"SELECT group_concat(科目全称, ',') FROM (SELECT * FROM 科目表 WHERE 科目代码 LIKE '2202%' ORDER BY 1)"_s,
             u"应付账款,应付账款/乙,应付账款/乙/材料款"_s},
            {u"delete an account"_s, [] { addAccount(u"2202001002"_s, u"运费"_s, u"应付账款/甲/运费"_s, u"贷"_s); },
             [] { deleteAccount(u"2202001002"_s, kYear); },
             u"SELECT group_concat(科目代码 || 明细, ',') FROM (SELECT * FROM 科目表 WHERE 科目代码 LIKE '2202%' ORDER BY 1)"_s,
             u"2202,2202001,2202001001Y"_s},
            {u"carry forward"_s, [] { addLines(u"8000000001 1231 1 -|8020001001 1001 7 -"_s, 2017); },
             [] { carryForward(kYear); },
             u"SELECT 年度 || ' ' || (%1) FROM 信息表 WHERE 代号='QM'"_s.arg(linesOf(u"1"_s, 2017)),
             u"2017 1001 807.3 -,1122 5.13 -,2202001001 - 55.13,2241001 - 7.0,4001 - 800.0,6001 - 0.3,6602 50.0 -,"
             "1001 7.0 -"_s},
            {u"clear a year"_s, [] { setOpeningValue(u"1001"_s, u"借方金额"_s, 0.1); }, [] { clearYear(kYear); },
             u"SELECT (SELECT count(*) FROM 分2016) || ' ' || count(借方金额) FROM 科目表"_s, u"0 0"_s},
            {u"compaction"_s, [] { execute(u"INSERT INTO 分2016 (ID, 借方金额) VALUES ('8030005001', 1)"_s); },
             [] { compactDatabase(kYear); }, u"SELECT count(*) || ' ' || count(代码) FROM 分2016"_s, u"61 61"_s},
            {u"restore"_s,
             [] {
                 QCOMPARE(backupDatabase(programFolder() + u"/备份"_s, QDateTime(QDate(2016, 5, 1), QTime(8, 0, 1))),
                          backupPath());
                 execute(u"DELETE FROM 分2016 WHERE 月=3 AND 号码>1"_s);
             },
             [] { restoreDatabase(backupPath()); }, u"SELECT count(*) FROM 分2016"_s, u"61"_s, true},
        };

        for (const Change& change : changes)
            for (const qint64 room : {qint64(0), kRoomForAFewPages, kRoomForMorePages, kRoomForACopy}) {
                TempProgram program;
                someBooks();
                change.setUp();
                const QString books = booksSeenByAnotherProgram(databaseFilePath());
                const QStringList files = programFiles();
                QVERIFY(!books.isEmpty());
                const qint64 bytesFree = room == kRoomForACopy ? QFileInfo(databaseFilePath()).size() * 3 / 2 : room;
                const QString tag = u"%1, %2 bytes free"_s.arg(change.name).arg(bytesFree);

                const QString failed = failure([&change, bytesFree] {
                    FullDisk disk(bytesFree);
                    std::optional<NoRoomForCopies> noRoom;
                    if (change.copiesOutsideSqlite)
                        noRoom.emplace(bytesFree);
                    change.change();
                });
                if (failed.isEmpty()) {
                    // The change found room enough: then it is on the disk.
                    QVERIFY2(bytesFree > kRoomForAFewPages, qPrintable(tag));
                } else {
                    const QString explained = change.copiesOutsideSqlite
                                                  ? u"无法写入 %1，文件超过了系统允许的大小。备份没有导入，数据库没有改变。"_s.arg(
                                                      databaseFilePath() + u".restore"_s)
                                                  : kDiskFull + u'\n';
                    QVERIFY2(failed.startsWith(explained), qPrintable(tag + u": "_s + failed));
                    QVERIFY2(booksSeenByAnotherProgram(databaseFilePath()) == books, qPrintable(tag));
                    QVERIFY2(programFiles() == files, qPrintable(tag + u": "_s + programFiles().join(u", "_s)));
                    // The connection keeps no lock and reads what is on the disk.
                    QVERIFY2(anotherProgramMayWrite(databaseFilePath()), qPrintable(tag));
                    QCOMPARE(scalar(change.readBack).toString(), onDisk(change.readBack));
                    change.change();
                }
                QVERIFY2(onDisk(change.readBack) == change.expected,
                         qPrintable(tag + u": "_s + onDisk(change.readBack)));
                applyVoucherChange(VoucherChange::Save, voucher(5, 1), kYear, u"管理员"_s);
                QVERIFY2(onDisk(linesOf(u"月=5"_s)) == u"1001 0.3 -,6001 - 0.1,6001 - 0.2"_s, qPrintable(tag));
            }
    }

    // A disk that breaks while a change is written leaves the books file half-written beside its
    // journal. A backup taken once the disk works again is the books as last committed, and a
    // restore puts the backup in place whole, with no journal of the old books to spoil it; while
    // the disk still fails, neither is done, nothing says it was, and no file is left behind.
    void aBackupOrARestoreAfterADiskThatFailedMidWrite()
    {
        const QString unsettled = u"数据库文件中有一次没有完成的修改，现在无法撤销，磁盘可能出了故障。"_s;
        for (const bool restore : {false, true})
            for (const bool diskStillFails : {false, true}) {
                const QString tag = u"restore %1, disk still fails %2"_s.arg(restore).arg(diskStillFails);
                TempProgram program;
                someBooks();
                const QString backedUp = booksSeenByAnotherProgram(databaseFilePath());
                if (restore) {
                    backupDatabase(programFolder() + u"/备份"_s, QDateTime(QDate(2016, 5, 1), QTime(8, 0, 1)));
                    execute(u"DELETE FROM 分2016 WHERE 月=3 AND 号码>1"_s);
                }
                const QString committed = booksSeenByAnotherProgram(databaseFilePath());
                const QString failed = failure([] {
                    FailingDisk disk(2);
                    applyVoucherChange(VoucherChange::Save, voucher(5, 1), kYear, u"管理员"_s);
                });
                QVERIFY2(failed.startsWith(u"读写数据库文件时出错，这次操作没有完成。\n"_s), qPrintable(tag + failed));
                QVERIFY2(QFile::exists(databaseFilePath() + u"-journal"_s), qPrintable(tag));
                const QStringList files = programFiles();

                const QString copy = restore ? databaseFilePath() : programFolder() + u"/备份2/QM2016-05-02 80001.bam"_s;
                const QString done = failure([restore, diskStillFails] {
                    std::optional<FailingDisk> disk;
                    if (diskStillFails)
                        disk.emplace(0);
                    if (restore)
                        restoreDatabase(backupPath());
                    else
                        backupDatabase(programFolder() + u"/备份2"_s, QDateTime(QDate(2016, 5, 2), QTime(8, 0, 1)));
                });
                if (diskStillFails) {
                    QCOMPARE(done, restore ? unsettled + u"备份没有导入，数据库没有改变。"_s
                                           : u"备份失败: "_s + unsettled + u"没有做备份。"_s);
                    QVERIFY2(programFiles() == files, qPrintable(tag + programFiles().join(u", "_s)));
                    // The next read, on a disk that works, puts back what the journal holds.
                    QCOMPARE(scalar(u"SELECT count(*) FROM 分2016 WHERE 月=5"_s).toInt(), 0);
                    QVERIFY2(booksSeenByAnotherProgram(databaseFilePath()) == committed, qPrintable(tag));
                } else {
                    QVERIFY2(done.isEmpty(), qPrintable(tag + done));
                    QVERIFY2(!QFile::exists(databaseFilePath() + u"-journal"_s), qPrintable(tag));
                    QVERIFY2(booksSeenByAnotherProgram(copy) == (restore ? backedUp : committed), qPrintable(tag));
                    QCOMPARE(seenByAnotherProgram(copy, u"PRAGMA integrity_check"_s).toString(), u"ok"_s);
                }
            }
    }

    // A ledger, a table or a statement asked for on a full disk is only a view that could not be
    // made: that is what the user is told, not that a change went unsaved.
    void aViewOnAFullDiskIsNotAnUnsavedChange()
    {
        TempProgram program;
        someBooks();
        const std::vector<std::pair<QString, std::function<void()>>> views = {
            {u"detail ledger"_s, [] { buildDetailLedger(kYear, u"2202001001"_s, u"贷"_s); }},
            {u"balance table"_s, [] { (void)buildBalanceTable(kYear, u"3"_s, u"3"_s); }},
            {u"statement"_s, [] { (void)buildReportData(kYear, u"3"_s, false); }},
            {u"voucher paged to"_s, [] { (void)pageLast(kYear, 3); }},
            {u"opening rows fetched"_s, [] { fetchOpeningRows(kYear); }},
            {u"exchange table"_s, [] { fillExchangeTable(kYear, 3); }},
        };
        for (const auto& [name, view] : views) {
            const QString failed = failure([&view] {
                FullDisk disk;
                view();
            });
            QVERIFY2(failed.startsWith(u"磁盘已满，无法生成查询结果。帐套的数据没有改变。\n"_s), qPrintable(name + failed));
            // A folder that cannot be synced after its work tables are written: made, and no
            // change of the books to warn of.
            const QString unconfirmed = failure([&view] {
                FailingFolderSync disk;
                view();
            });
            QVERIFY2(unconfirmed.isEmpty() && takeUnconfirmedSaveWarning().isEmpty(), qPrintable(name + unconfirmed));
        }
    }

    // A full disk that stops a write inside a change may end the change's whole transaction; a
    // change that goes on past the failure (at its own level or a level inside it) writes
    // nothing more, and its commit is refused: none of it reaches the disk, and no lock is kept.
    void aChangeGoingOnPastAFullDiskWritesNothingMore()
    {
        const QString big = QString(3000, QChar(0x8D26));
        const QString refused = u"读写数据库文件时出错，这次操作没有完成。"_s;
        RecordSet row({u"名称"_s});
        row.appendText("乙", int(qstrlen("乙")));
        row.endRow();
        const std::vector<std::function<void()>> writesAfter = {
            {}, [] { execute(u"INSERT INTO 摘要 (名称) VALUES ('乙')"_s); }, [&row] { insertRows(u"摘要 (名称)"_s, row); }};
        for (const bool inner : {false, true})
            for (size_t after = 0; after < writesAfter.size(); ++after) {
                const QString tag = u"inner %1, write after %2"_s.arg(inner).arg(after);
                TempProgram program;
                Transaction change;
                execute(u"INSERT INTO 摘要 (名称) VALUES ('甲')"_s);
                const QString failed = failure([&big, inner] {
                    FullDisk disk;
                    std::optional<Transaction> level;
                    if (inner)
                        level.emplace();
                    for (int row = 0; row < 50; ++row)
                        execute(u"INSERT INTO 摘要 (名称) VALUES (?)"_s, {big + QString::number(row)});
                });
                QVERIFY2(failed.startsWith(kDiskFull + u'\n'), qPrintable(tag + u": "_s + failed));
                if (writesAfter[after])
                    QCOMPARE(failure(writesAfter[after]), refused);
                QCOMPARE(failure([&change] { change.commit(); }), refused);
                QVERIFY2(onDisk(u"SELECT count(*) FROM 摘要 WHERE 名称 IN ('甲', '乙') OR length(名称) > 100"_s)
                             == u"0"_s,
                         qPrintable(tag));
                QVERIFY2(anotherProgramMayWrite(databaseFilePath()), qPrintable(tag));
            }
    }

    // New books that the disk has no room for leave no file behind, and are made once there is room.
    void newBooksOnAFullDiskLeaveNothingBehind()
    {
        for (const qint64 room : {qint64(0), kRoomForAFewPages, kRoomForMorePages}) {
            TempProgram program(false);
            const QString failed = failure([room] {
                FullDisk disk(room);
                ensureDatabase();
            });
            QVERIFY2(failed.startsWith(kDiskFull + u'\n'), qPrintable(failed));
            QCOMPARE(programFiles(), QStringList{u"/QMDK 0"_s});
            QVERIFY(ensureDatabase() && onDisk(u"SELECT count(*) FROM 科目表"_s) == u"86"_s);
        }
    }

    // A transaction that no change of the program opened and nobody ended (as a failure could
    // leave one) is rolled back before anything else runs: a lone statement and a whole change
    // after it are on the disk, and the connection keeps no lock.
    void nothingRunsInsideATransactionNobodyEnded()
    {
        const std::vector<std::pair<QString, std::function<void()>>> changes = {
            {u"a lone statement"_s, [] { execute(u"INSERT INTO 分2016 (ID, 代码, 借方金额) VALUES ('8050001001', '1001', 0.3)"_s); }},
            {u"a saved voucher"_s, [] { applyVoucherChange(VoucherChange::Save, voucher(5, 1), kYear, u"管理员"_s); }},
        };
        for (const auto& [name, change] : changes) {
            TempProgram program;
            execute(u"BEGIN"_s);
            change();
            QVERIFY2(onDisk(linesOf(u"月=5 OR ID LIKE '805%'"_s)).startsWith(u"1001 0.3 -"_s), qPrintable(name));
            QVERIFY2(anotherProgramMayWrite(databaseFilePath()), qPrintable(name));
        }
    }
};

QTEST_GUILESS_MAIN(TestFullDisk)
#include "test_full_disk.moc"
