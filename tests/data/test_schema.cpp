#include "data/database.h"
#include "data/default_data.h"
#include "data/fiscal_year.h"
#include "data/schema.h"
#include "support/temp_program.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

using namespace qm;

namespace {

QStringList columnsOf(const QString& table)
{
    QStringList names;
    for (const auto row : openRecordset(QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), {table}))
        names << row[0].toString();
    return names;
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Every code of a formula with the sign it carries.
QList<QPair<QChar, QString>> signedCodes(const QString& formula)
{
    QList<QPair<QChar, QString>> codes;
    static const QRegularExpression term(QStringLiteral("([+-]?)(\\d+)"));
    for (const auto& match : term.globalMatch(formula)) {
        const QString sign = match.captured(1);
        codes.append({sign.isEmpty() ? QLatin1Char('+') : sign.at(0), match.captured(2)});
    }
    return codes;
}

}  // namespace

class TestSchema : public QObject {
    Q_OBJECT

private slots:
    void newDatabaseHasEveryTableWithItsColumnsInOrder()
    {
        test::TempProgram program;
        const QStringList tables = {
            QStringLiteral("信息表"), QStringLiteral("科目表"), QStringLiteral("摘要"),
            QStringLiteral("现流"), QStringLiteral("调汇"), QStringLiteral("分录始表"),
            QStringLiteral("凭证汇总表"), QStringLiteral("数量式余额表"), QStringLiteral("三总式"),
            QStringLiteral("数量式"), QStringLiteral("固累式"), QStringLiteral("多栏式1"),
            QStringLiteral("三栏帐页"), QStringLiteral("数量帐页"), QStringLiteral("固累帐页"),
            QStringLiteral("报表数据"), QStringLiteral("资产表05"), QStringLiteral("资产表07"),
            QStringLiteral("利润表05"), QStringLiteral("利润表07"), QStringLiteral("现流表")};
        for (const QString& table : tables)
            QVERIFY2(!columnsOf(table).isEmpty(), qPrintable(table));

        const QStringList settings = columnsOf(QStringLiteral("信息表"));
        QCOMPARE(settings.at(2), QStringLiteral("年度"));
        QCOMPARE(settings.at(3), QStringLiteral("帐套名称"));
        QVERIFY(settings.contains(QStringLiteral("备份路径")));

        const QStringList chart = columnsOf(QStringLiteral("科目表"));
        QCOMPARE(chart.mid(1, 4), (QStringList{QStringLiteral("科目代码"), QStringLiteral("科目名称"),
                                               QStringLiteral("科目级数"), QStringLiteral("科目全称")}));

        for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year)
            QCOMPARE(columnsOf(entryTableName(year)), entryColumns());
        QCOMPARE(columnsOf(QStringLiteral("分录始表")), entryColumns());
        QVERIFY(columnsOf(QStringLiteral("分2009")).isEmpty());
        QVERIFY(columnsOf(QStringLiteral("分2021")).isEmpty());

        QCOMPARE(columnsOf(QStringLiteral("数量式余额表")).first(), QStringLiteral("科目代码"));
        QCOMPARE(columnsOf(QStringLiteral("数量式余额表")).size(), 15);
        QCOMPARE(columnsOf(QStringLiteral("三栏帐页")).mid(9), (QStringList{QStringLiteral("顺序"), QStringLiteral("月")}));
        QCOMPARE(columnsOf(QStringLiteral("多栏式1")).last(), QStringLiteral("科目名称"));
    }

    void entryTablesAreIndexedWithoutAUniqueID()
    {
        test::TempProgram program;
        const QString indexList = QStringLiteral("SELECT name, \"unique\" FROM pragma_index_list(?) ORDER BY name");
        const RecordSet indexes = openRecordset(indexList, {QStringLiteral("分2015")});
        QCOMPARE(indexes.count(), 3);
        for (const auto index : indexes)
            QCOMPARE(index[1].toInt(), 0);
        const QString ledgerColumns = QStringLiteral("SELECT group_concat(name, ',') FROM pragma_index_info(?)");
        QCOMPARE(scalar(ledgerColumns, {QStringLiteral("分2015_代码月")}).toString(), QStringLiteral("代码,月,借方金额,贷方金额,数量,结帐"));

        // A database of an earlier version gets the index when it is opened, and keeps its rows.
        execute(QStringLiteral("INSERT INTO 分2014 (ID, 月, 代码, 借方金额) VALUES ('8010001001', 1, '1001', 0.125)"));
        for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year)
            execute(QStringLiteral("DROP INDEX %1_代码月").arg(entryTableName(year)));
        closeConnection();
        QCOMPARE(scalar(ledgerColumns, {QStringLiteral("分2020_代码月")}).toString(), QStringLiteral("代码,月,借方金额,贷方金额,数量,结帐"));
        QCOMPARE(openRecordset(indexList, {QStringLiteral("分2014")}).count(), 3);
        QCOMPARE(scalar(QStringLiteral("SELECT 借方金额 FROM 分2014 INDEXED BY 分2014_代码月 WHERE 代码='1001'")).toString(),
                 QStringLiteral("0.125"));

        // Renumbering shifts IDs through values other rows still hold.
        execute(QStringLiteral("INSERT INTO 分2015 (ID, 月, 号码) VALUES ('8030001001', 3, 1), ('8030002001', 3, 2)"));
        execute(QStringLiteral("UPDATE 分2015 SET ID=? WHERE ID=?"), {QStringLiteral("8030002001"), QStringLiteral("8030001001")});
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 分2015 WHERE ID='8030002001'")).toInt(), 2);

        // QMID of the working copy numbers the lines afresh once the table has been emptied.
        execute(QStringLiteral("INSERT INTO 分录始表 (代码) VALUES ('1001'), ('1002')"));
        execute(QStringLiteral("DELETE FROM 分录始表"));
        execute(QStringLiteral("INSERT INTO 分录始表 (代码) VALUES ('1001')"));
        QCOMPARE(scalar(QStringLiteral("SELECT QMID FROM 分录始表")).toInt(), 1);
    }

    void newDatabaseHoldsTheShippedRows()
    {
        test::TempProgram program;
        const RecordSet settings = openRecordset(QStringLiteral("SELECT * FROM 信息表 ORDER BY rowid"));
        QCOMPARE(settings.count(), 2);
        QCOMPARE(settings[0][QStringLiteral("代号")].toString(), QStringLiteral("QM"));
        QVERIFY(settings[0][QStringLiteral("操作员")].isNull());
        QCOMPARE(settings[0][2].toInt(), 2020);
        QCOMPARE(settings[1][QStringLiteral("操作员")].toString(), shippedOperatorName());
        QCOMPARE(settings[1][QStringLiteral("密码")].toString(), shippedOperatorPassword());

        const RecordSet chart = openRecordset(QStringLiteral(
            "SELECT 科目代码, 科目名称, 科目级数, 科目全称, 方向, 明细 FROM 科目表 ORDER BY 科目代码"));
        QCOMPARE(chart.count(), int(shippedAccounts().size()));
        QCOMPARE(chart.count(), 86);
        for (const auto row : chart) {
            const ShippedAccount& shipped = shippedAccounts().at(row.index());
            QCOMPARE(row[0].toString(), shipped.code);
            QCOMPARE(row[1].toString(), shipped.name);
            QCOMPARE(row[2].toInt(), 1);
            QCOMPARE(row[3].toString(), shipped.name);
            QCOMPARE(row[4].toString(), shipped.direction);
            QCOMPARE(row[5].toString(), QStringLiteral("Y"));
        }
        QCOMPARE(scalar(QStringLiteral("SELECT 方向 FROM 科目表 WHERE 科目代码='1602'")).toString(), QStringLiteral("贷"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 现流")).toInt(), 23);
        QCOMPARE(scalar(QStringLiteral("SELECT 名称 FROM 现流 WHERE 代码='401'")).toString(),
                 QStringLiteral("汇率变动对现金及现金等价物的影响"));
        QVERIFY(scalar(QStringLiteral("SELECT count(*) FROM 摘要")).toInt() > 0);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 资产表07")).toInt(), 33);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 资产表05")).toInt(), 37);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 利润表07")).toInt(), 20);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 利润表05")).toInt(), 16);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 现流表")).toInt(), 38);
        QVERIFY(scalar(QStringLiteral("SELECT 行次2 FROM 资产表07 WHERE 行次1=32")).isNull());
        QCOMPARE(scalar(QStringLiteral("SELECT 公式 FROM 现流表 WHERE 行次=38")).toString(), QStringLiteral("999"));
        QVERIFY(scalar(QStringLiteral("SELECT 公式1 FROM 资产表07 WHERE 行次1=1")).isNull());
        for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year)
            QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM ") + entryTableName(year)).toInt(), 0);
    }

    void bothBalanceSheetsCoverEveryBalanceAccountExactlyOnce()
    {
        test::TempProgram program;
        QSet<QString> balanceAccounts;
        QSet<QString> profitAndLoss;
        for (const auto row : openRecordset(QStringLiteral("SELECT 科目代码, 方向 FROM 科目表")))
            (row[0].toString().startsWith(QLatin1Char('6')) ? profitAndLoss : balanceAccounts) << row[0].toString();

        for (const QString& table : {QStringLiteral("资产表05"), QStringLiteral("资产表07")}) {
            const RecordSet last = openRecordset(
                QStringLiteral("SELECT 资产, 公式1, 负债及所有者权益, 公式2 FROM %1 ORDER BY 行次1 DESC LIMIT 1").arg(table));
            QCOMPARE(last[0][0].toString(), QStringLiteral("资产总计"));
            QCOMPARE(last[0][2].toString(), QStringLiteral("负债和所有者权益(或股东权益)总计"));
            QMap<QString, int> seen;
            for (const auto& [sign, code] : signedCodes(last[0][1].toString() + QLatin1Char('+') + last[0][3].toString())) {
                ++seen[code];
                if (code.startsWith(QLatin1Char('6')))
                    QCOMPARE(sign, QLatin1Char('-'));
            }
            for (const QString& code : balanceAccounts)
                QVERIFY2(seen.value(code) == 1, qPrintable(table + QLatin1Char(' ') + code));
            for (const QString& code : profitAndLoss)
                QVERIFY2(seen.value(code) == 1, qPrintable(table + QLatin1Char(' ') + code));
            QCOMPARE(seen.size(), balanceAccounts.size() + profitAndLoss.size());
        }
    }

    void secondStartChangesNothing()
    {
        test::TempProgram program;
        closeConnection();
        const QByteArray before = fileHash(databaseFilePath());
        QVERIFY(!before.isEmpty());
        QVERIFY(!ensureDatabase());
        scalar(QStringLiteral("SELECT count(*) FROM 科目表"));
        closeConnection();
        QCOMPARE(fileHash(databaseFilePath()), before);
        QVERIFY(!QFile::exists(databaseFilePath() + QStringLiteral(".new")));
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "test_schema.moc"
