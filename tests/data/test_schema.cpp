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
using namespace Qt::StringLiterals;

namespace {

QStringList columnsOf(const QString& table)
{
    QStringList names;
    for (const auto row : openRecordset(u"SELECT name FROM pragma_table_info(?) ORDER BY cid"_s, {table}))
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
    static const QRegularExpression term(u"([+-]?)(\\d+)"_s);
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
            u"信息表"_s, u"科目表"_s, u"摘要"_s,
            u"现流"_s, u"调汇"_s, u"分录始表"_s,
            u"凭证汇总表"_s, u"数量式余额表"_s, u"三总式"_s,
            u"数量式"_s, u"固累式"_s, u"多栏式1"_s,
            u"三栏帐页"_s, u"数量帐页"_s, u"固累帐页"_s,
            u"报表数据"_s, u"资产表05"_s, u"资产表07"_s,
            u"利润表05"_s, u"利润表07"_s, u"现流表"_s};
        for (const QString& table : tables)
            QVERIFY2(!columnsOf(table).isEmpty(), qPrintable(table));

        const QStringList settings = columnsOf(u"信息表"_s);
        QCOMPARE(settings.at(2), u"年度"_s);
        QCOMPARE(settings.at(3), u"帐套名称"_s);
        QVERIFY(settings.contains(u"备份路径"_s));

        const QStringList chart = columnsOf(u"科目表"_s);
        QCOMPARE(chart.mid(1, 4), (QStringList{u"科目代码"_s, u"科目名称"_s,
                                               u"科目级数"_s, u"科目全称"_s}));

        for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year)
            QCOMPARE(columnsOf(entryTableName(year)), entryColumns());
        QCOMPARE(columnsOf(u"分录始表"_s), entryColumns());
        QVERIFY(columnsOf(u"分2009"_s).isEmpty());
        QVERIFY(columnsOf(u"分2021"_s).isEmpty());

        QCOMPARE(columnsOf(u"数量式余额表"_s).first(), u"科目代码"_s);
        QCOMPARE(columnsOf(u"数量式余额表"_s).size(), 15);
        QCOMPARE(columnsOf(u"三栏帐页"_s).mid(9), (QStringList{u"顺序"_s, u"月"_s}));
        QCOMPARE(columnsOf(u"多栏式1"_s).last(), u"科目名称"_s);
    }

    void entryTablesAreIndexedWithoutAUniqueID()
    {
        test::TempProgram program;
        const RecordSet indexes = openRecordset(u"SELECT name, \"unique\" FROM pragma_index_list(?)"_s, {u"分2015"_s});
        QCOMPARE(indexes.count(), 2);
        for (const auto index : indexes)
            QCOMPARE(index[1].toInt(), 0);

        // Renumbering shifts IDs through values other rows still hold.
        execute(u"INSERT INTO 分2015 (ID, 月, 号码) VALUES ('8030001001', 3, 1), ('8030002001', 3, 2)"_s);
        execute(u"UPDATE 分2015 SET ID=? WHERE ID=?"_s, {u"8030002001"_s, u"8030001001"_s});
        QCOMPARE(scalar(u"SELECT count(*) FROM 分2015 WHERE ID='8030002001'"_s).toInt(), 2);

        // QMID of the working copy numbers the lines afresh once the table has been emptied.
        execute(u"INSERT INTO 分录始表 (代码) VALUES ('1001'), ('1002')"_s);
        execute(u"DELETE FROM 分录始表"_s);
        execute(u"INSERT INTO 分录始表 (代码) VALUES ('1001')"_s);
        QCOMPARE(scalar(u"SELECT QMID FROM 分录始表"_s).toInt(), 1);
    }

    void newDatabaseHoldsTheShippedRows()
    {
        test::TempProgram program;
        const RecordSet settings = openRecordset(u"SELECT * FROM 信息表 ORDER BY rowid"_s);
        QCOMPARE(settings.count(), 2);
        QCOMPARE(settings[0][u"代号"_s].toString(), u"QM"_s);
        QVERIFY(settings[0][u"操作员"_s].isNull());
        QCOMPARE(settings[0][2].toInt(), 2020);
        QCOMPARE(settings[1][u"操作员"_s].toString(), shippedOperatorName());
        QCOMPARE(settings[1][u"密码"_s].toString(), shippedOperatorPassword());

        const RecordSet chart = openRecordset(QStringLiteral("SELECT 科目代码, 科目名称, 科目级数, 科目全称, 方向, 明细 FROM 科目表 ORDER BY 科目代码"));
        QCOMPARE(chart.count(), int(shippedAccounts().size()));
        QCOMPARE(chart.count(), 86);
        for (const auto row : chart) {
            const ShippedAccount& shipped = shippedAccounts().at(row.index());
            QCOMPARE(row[0].toString(), shipped.code);
            QCOMPARE(row[1].toString(), shipped.name);
            QCOMPARE(row[2].toInt(), 1);
            QCOMPARE(row[3].toString(), shipped.name);
            QCOMPARE(row[4].toString(), shipped.direction);
            QCOMPARE(row[5].toString(), u"Y"_s);
        }
        QCOMPARE(scalar(u"SELECT 方向 FROM 科目表 WHERE 科目代码='1602'"_s).toString(), u"贷"_s);
        QCOMPARE(scalar(u"SELECT count(*) FROM 现流"_s).toInt(), 23);
        QCOMPARE(scalar(u"SELECT 名称 FROM 现流 WHERE 代码='401'"_s).toString(), u"汇率变动对现金及现金等价物的影响"_s);
        QVERIFY(scalar(u"SELECT count(*) FROM 摘要"_s).toInt() > 0);
        QCOMPARE(scalar(u"SELECT count(*) FROM 资产表07"_s).toInt(), 33);
        QCOMPARE(scalar(u"SELECT count(*) FROM 资产表05"_s).toInt(), 37);
        QCOMPARE(scalar(u"SELECT count(*) FROM 利润表07"_s).toInt(), 20);
        QCOMPARE(scalar(u"SELECT count(*) FROM 利润表05"_s).toInt(), 16);
        QCOMPARE(scalar(u"SELECT count(*) FROM 现流表"_s).toInt(), 38);
        QVERIFY(scalar(u"SELECT 行次2 FROM 资产表07 WHERE 行次1=32"_s).isNull());
        QCOMPARE(scalar(u"SELECT 公式 FROM 现流表 WHERE 行次=38"_s).toString(), u"999"_s);
        QVERIFY(scalar(u"SELECT 公式1 FROM 资产表07 WHERE 行次1=1"_s).isNull());
        for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year)
            QCOMPARE(scalar(u"SELECT count(*) FROM "_s + entryTableName(year)).toInt(), 0);
    }

    void bothBalanceSheetsCoverEveryBalanceAccountExactlyOnce()
    {
        test::TempProgram program;
        QSet<QString> balanceAccounts;
        QSet<QString> profitAndLoss;
        for (const auto row : openRecordset(u"SELECT 科目代码, 方向 FROM 科目表"_s))
            (row[0].toString().startsWith(QLatin1Char('6')) ? profitAndLoss : balanceAccounts) << row[0].toString();

        for (const QString& table : {u"资产表05"_s, u"资产表07"_s}) {
            const RecordSet last = openRecordset(u"SELECT 资产, 公式1, 负债及所有者权益, 公式2 FROM %1 ORDER BY 行次1 DESC LIMIT 1"_s.arg(table));
            QCOMPARE(last[0][0].toString(), u"资产总计"_s);
            QCOMPARE(last[0][2].toString(), u"负债和所有者权益(或股东权益)总计"_s);
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
        scalar(u"SELECT count(*) FROM 科目表"_s);
        closeConnection();
        QCOMPARE(fileHash(databaseFilePath()), before);
        QVERIFY(!QFile::exists(databaseFilePath() + u".new"_s));
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "test_schema.moc"
