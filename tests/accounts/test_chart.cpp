#include "accounts/account_tree.h"
#include "accounts/chart.h"
#include "data/db_error.h"
#include "support/books.h"
#include "support/temp_program.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;
using namespace Qt::StringLiterals;

namespace {

const int kYear = 2015;

QStringList nodeTexts(const std::vector<AccountTreeNode>& nodes)
{
    QStringList texts;
    for (const AccountTreeNode& node : nodes)
        texts << (node.parent < 0 ? QString() : nodes[node.parent].key + u">"_s) + node.text;
    return texts;
}

QVariant column(const QString& code, const QString& name)
{
    return scalar(u"SELECT %1 FROM 科目表 WHERE 科目代码=?"_s.arg(name), {code});
}

// 1002 银行存款 with 1002001 工商银行 and 1002001001 活期; 1001 库存现金 a leaf.
void smallChart()
{
    clearChart();
    addAccount(u"1001"_s, u"库存现金"_s, u"库存现金"_s);
    addAccount(u"1002"_s, u"银行存款"_s, u"银行存款"_s, u"借"_s, false);
    addAccount(u"1002001"_s, u"工商银行"_s, u"银行存款/工商银行"_s, u"借"_s, false);
    addAccount(u"1002001001"_s, u"活期"_s, u"银行存款/工商银行/活期"_s);
    addAccount(u"2202"_s, u"应付账款"_s, u"应付账款"_s, u"贷"_s);
}

}  // namespace

class TestChart : public QObject {
    Q_OBJECT

private slots:
    void treeOfASmallChart()
    {
        TempProgram program;
        clearChart();
        QVERIFY(loadAccountTree().empty());
        addAccount(u"6001"_s, u"收入"_s, u"收入"_s, u"贷"_s, false);
        addAccount(u"1002"_s, u"银行存款  "_s, u"银行存款"_s, u"借"_s, false);
        addAccount(u"1002002"_s, u"建行"_s, u"银行存款/建行"_s);
        addAccount(u"1002001"_s, u"工行"_s, u"银行存款/工行"_s, u"借"_s, false);
        addAccount(u"1002001001"_s, u"活期"_s, u"银行存款/工行/活期"_s);
        addAccount(u"1001"_s, u"现金"_s, u"现金"_s);
        addAccount(u"3001999"_s, u"孤儿"_s, u"?/孤儿"_s);
        addAccount(u"6001001"_s, u"主营"_s, u"收入/主营"_s);
        execute(u"UPDATE 科目表 SET 科目级数=4 WHERE 科目代码='1001'"_s);
        addAccount(u"1003"_s, u"其他"_s, u"其他"_s);

        const std::vector<AccountTreeNode> all = loadAccountTree();
        QCOMPARE(nodeTexts(all), (QStringList{
            u"1002 银行存款"_s, u"1003 其他"_s, u"6001 收入"_s,
            u"x1002>1002001 工行"_s, u"x1002>1002002 建行"_s,
            u"x6001>6001001 主营"_s, u"x1002001>1002001001 活期"_s}));
        QCOMPARE(all.front().key, u"x1002"_s);
        QCOMPARE(accountCodeOfNodeText(all.back().text), u"1002001001"_s);

        QCOMPARE(nodeTexts(loadAccountTree(6)), (QStringList{u"6001 收入"_s, u"x6001>6001001 主营"_s}));
        QVERIFY(loadAccountTree(3).empty());
        QCOMPARE(nodeTexts(loadAccountTree()), nodeTexts(all));
    }

    void addingTheFirstSubAccountMovesThePostings()
    {
        TempProgram program;
        smallChart();
        execute(u"UPDATE 科目表 SET 数量=5, 借方金额=100 WHERE 科目代码='1001'"_s);
        addEntry(kYear, u"8000000001"_s, u"1001"_s, 100.0, QVariant());
        addEntry(kYear, u"8030001001"_s, u"1001"_s, QVariant(), 30.0, 3);
        addEntry(kYear, u"8030001002"_s, u"2202"_s, 30.0, QVariant(), 3);
        addEntry(2016, u"8000000001"_s, u"1001"_s, 70.0, QVariant());

        const NewSubAccount petty{u"1001"_s, u"001"_s, u"备用金"_s, u"借"_s};
        const ChangeCheck check = checkAddSubAccount(petty, kYear);
        QVERIFY(!check.refusal);
        QVERIFY(check.question);
        QCOMPARE(check.question->text, u"1001---代码已有数据!如果增加明细将默认为此明细.是否增加？"_s);
        QCOMPARE(check.question->title, u"特别提示"_s);
        QCOMPARE(check.question->buttons, MessageButtons::YesNo);

        addSubAccount(petty, kYear);
        QCOMPARE(scalar(u"SELECT group_concat(代码) FROM (SELECT 代码 FROM 分2015 ORDER BY ID)"_s).toString(),
                 u"1001001,1001001,2202"_s);
        QCOMPARE(scalar(u"SELECT 代码 FROM 分2016"_s).toString(), u"1001"_s);
        QCOMPARE(column(u"1001"_s, u"明细"_s).toString(), QString());
        QVERIFY(column(u"1001"_s, u"数量"_s).isNull());
        QVERIFY(column(u"1001"_s, u"借方金额"_s).isNull());
        const RecordSet child = openRecordset(QStringLiteral(
            "SELECT 科目名称, 科目级数, 科目全称, 方向, 明细, 单位, 数量 FROM 科目表 WHERE 科目代码='1001001'"));
        QCOMPARE(child.count(), 1);
        QCOMPARE(child[0][0].toString(), u"备用金"_s);
        QCOMPARE(child[0][1].toInt(), 2);
        QCOMPARE(child[0][2].toString(), u"库存现金/备用金"_s);
        QCOMPARE(child[0][3].toString(), u"借"_s);
        QCOMPARE(child[0][4].toString(), u"Y"_s);
        QVERIFY(child[0][5].isNull());
        QVERIFY(child[0][6].isNull());

        // A second sub-account: the parent has no entries of its own now, so no question.
        const NewSubAccount second{u"1001"_s, nextSiblingDigits(u"001"_s), u"零用"_s, u"借"_s};
        QCOMPARE(second.digits, u"002"_s);
        const ChangeCheck secondCheck = checkAddSubAccount(second, kYear);
        QVERIFY(!secondCheck.refusal && !secondCheck.question);
        addSubAccount(second, kYear);
        QCOMPARE(column(u"1001"_s, u"明细"_s).toString(), QString());

        // A level-3 account under a level-2 one.
        addSubAccount({u"1001002"_s, u"001"_s, u"甲"_s, u"借"_s}, kYear);
        QCOMPARE(column(u"1001002001"_s, u"科目级数"_s).toInt(), 3);
        QCOMPARE(column(u"1001002001"_s, u"科目全称"_s).toString(), u"库存现金/零用/甲"_s);

        QCOMPARE(nextSiblingDigits(u"009"_s), u"010"_s);
        QCOMPARE(nextSiblingDigits(u"999"_s), u"1000"_s);
    }

    void refusedSubAccountsChangeNothing()
    {
        TempProgram program;
        smallChart();
        addEntry(kYear, u"8000000001"_s, u"1001"_s, 100.0, QVariant());
        const QStringList chart = dumpTable(u"科目表"_s);
        const QStringList entries = dumpTable(u"分2015"_s);

        const struct {
            NewSubAccount account;
            QString message;
        } cases[] = {
            {{u"1001"_s, u"001"_s, QString(), u"借"_s}, u"代码,名称,方向不能为空"_s},
            {{u"1001"_s, u"001"_s, u"甲"_s, QString()}, u"代码,名称,方向不能为空"_s},
            {{QString(), u"001"_s, u"甲"_s, u"借"_s}, u"代码,名称,方向不能为空"_s},
            {{u"1"_s, u"001"_s, u"甲"_s, u"借"_s}, u"请先从左边选择科目!"_s},
            {{u"100%"_s, u"001"_s, u"甲"_s, u"借"_s}, u"请先从左边选择科目!"_s},
            {{u"1001"_s, u"01"_s, u"甲"_s, u"借"_s}, u"代码应为三位整数"_s},
            {{u"1001"_s, u"1000"_s, u"甲"_s, u"借"_s}, u"代码应为三位整数"_s},
            {{u"1002001001"_s, u"001"_s, u"甲"_s, u"借"_s}, u"不能增加四级明细"_s},
            {{u"1002"_s, u"001"_s, u"农行"_s, u"借"_s},
             u"1002001 银行存款/工商银行  此代码已存在!"_s},
            {{u"1002001"_s, u"002"_s, u"活期"_s, u"借"_s},
             u"1002001001银行存款/工商银行/活期  此明细科目已存在!"_s},
        };
        for (const auto& refused : cases) {
            const ChangeCheck check = checkAddSubAccount(refused.account, kYear);
            QVERIFY2(check.refusal, qPrintable(refused.message));
            QCOMPARE(check.refusal->text, refused.message);
            QCOMPARE(check.refusal->title, u"QM505提示"_s);
            QCOMPARE(check.refusal->icon, MessageIcon::Question);
            QVERIFY_THROWS_EXCEPTION(DbError, addSubAccount(refused.account, kYear));
        }
        // Full names compare without regard to letter case.
        addAccount(u"2202001"_s, u"ABC"_s, u"应付账款/ABC"_s, u"贷"_s);
        const ChangeCheck upper = checkAddSubAccount({u"2202"_s, u"002"_s, u"abc"_s, u"贷"_s}, kYear);
        QVERIFY(upper.refusal);
        QCOMPARE(upper.refusal->text, u"2202001应付账款/abc  此明细科目已存在!"_s);
        execute(u"DELETE FROM 科目表 WHERE 科目代码='2202001'"_s);

        QCOMPARE(dumpTable(u"科目表"_s), chart);
        QCOMPARE(dumpTable(u"分2015"_s), entries);
    }

    void renamingRebuildsTheDescendantsFullNames()
    {
        TempProgram program;
        smallChart();
        const ChangeCheck check = checkRenameAccount(u"1002001"_s, u"建设银行"_s, u"贷"_s);
        QVERIFY(!check.refusal);
        QCOMPARE(check.question->text, u"是否把( 工商银行 )修改为( 建设银行 )?, 所有涉及到的科目(包括凭证)都会自动转换,是否现在修改?"_s);
        QCOMPARE(check.question->title, u"****注意提示!!"_s);
        renameAccount(u"1002001"_s, u"建设银行"_s, u"贷"_s);
        QCOMPARE(column(u"1002001"_s, u"科目全称"_s).toString(), u"银行存款/建设银行"_s);
        QCOMPARE(column(u"1002001"_s, u"方向"_s).toString(), u"贷"_s);
        QCOMPARE(column(u"1002001001"_s, u"科目全称"_s).toString(), u"银行存款/建设银行/活期"_s);
        QCOMPARE(column(u"1002001001"_s, u"方向"_s).toString(), u"借"_s);

        renameAccount(u"1002"_s, u"存款"_s, u"借"_s);
        QCOMPARE(dumpTable(u"科目表"_s).filter(u"1002"_s).size(), 3);
        QCOMPARE(column(u"1002"_s, u"科目全称"_s).toString(), u"存款"_s);
        QCOMPARE(column(u"1002001"_s, u"科目全称"_s).toString(), u"存款/建设银行"_s);
        QCOMPARE(column(u"1002001001"_s, u"科目全称"_s).toString(), u"存款/建设银行/活期"_s);
        QCOMPARE(column(u"1001"_s, u"科目全称"_s).toString(), u"库存现金"_s);

        QCOMPARE(checkRenameAccount(u"1002"_s, QString(), u"借"_s).refusal->text, u"代码,名称,方向不能为空"_s);
        QCOMPARE(checkRenameAccount(u"100"_s, u"甲"_s, u"借"_s).refusal->text, u"请先从左边选择科目!"_s);
    }

    void deletingASubtree()
    {
        TempProgram program;
        smallChart();
        addAccount(u"1002002"_s, u"农业银行"_s, u"银行存款/农业银行"_s);
        addEntry(kYear, u"8000000001"_s, u"1002001001"_s, 50.0, QVariant());

        const ChangeCheck refused = checkDeleteAccount(u"1002"_s, kYear);
        QCOMPARE(refused.refusal->text, u"1002----本级或下级有数据，不能删除!"_s);
        QCOMPARE(checkDeleteAccount(QString(), kYear).refusal->text, u"请先从左边选择科目!"_s);
        QCOMPARE(checkDeleteAccount(u"1"_s, kYear).refusal->text, u"请先从左边选择科目!"_s);

        // Other years' entries do not hold the account back.
        const ChangeCheck allowed = checkDeleteAccount(u"1002"_s, 2016);
        QVERIFY(!allowed.refusal);
        QCOMPARE(allowed.question->text, u"如果删除将连同下级一并自动删除!!\n是否真要删除( 1002 )及其下级明细科目？"_s);
        QCOMPARE(allowed.question->title, u"注意！特别注意！"_s);

        execute(u"DELETE FROM 分2015"_s);
        // The last child of a level-2 account makes that account a leaf again, not its ancestor.
        deleteAccount(u"1002001001"_s);
        QCOMPARE(column(u"1002001"_s, u"明细"_s).toString(), u"Y"_s);
        QCOMPARE(column(u"1002"_s, u"明细"_s).toString(), QString());
        deleteAccount(u"1002001"_s);
        QVERIFY(column(u"1002001"_s, u"科目代码"_s).isNull());
        QVERIFY(column(u"1002001001"_s, u"科目代码"_s).isNull());
        QCOMPARE(column(u"1002"_s, u"明细"_s).toString(), QString());

        deleteAccount(u"1002002"_s);
        QCOMPARE(column(u"1002"_s, u"明细"_s).toString(), u"Y"_s);

        deleteAccount(u"1002"_s);
        QCOMPARE(scalar(u"SELECT group_concat(科目代码) FROM 科目表"_s).toString(), u"1001,2202"_s);
    }

    void level1AccountRefusalsInOrder()
    {
        TempProgram program;
        smallChart();
        const QStringList chart = dumpTable(u"科目表"_s);
        auto refusal = [](const QString& code, const QString& name, const QString& direction) {
            return checkAddLevel1Account({code, name, direction}).refusal.value_or(Message{});
        };
        QCOMPARE(refusal(QString(), u"甲"_s, u"借"_s).text, u"代码,名称,方向不能为空"_s);
        QCOMPARE(refusal(u"7001"_s, QString(), u"借"_s).text, u"代码,名称,方向不能为空"_s);
        for (const QString& code : {u"7001"_s, u"0001"_s, u"100"_s, u"10011"_s})
            QCOMPARE(refusal(code, u"库存现金"_s, u"借"_s).text, u"代码不对!"_s);
        QCOMPARE(refusal(u"1001"_s, u"库存现金"_s, u"借"_s).text, u"(1001 库存现金)  此代码已存在!"_s);
        const Message sameName = refusal(u"1005"_s, u"工商银行"_s, u"借"_s);
        QCOMPARE(sameName.text, u"1002001工商银行  此科目已存在!"_s);
        QCOMPARE(sameName.icon, MessageIcon::Information);
        QCOMPARE(sameName.title, u"QM505提示"_s);
        QCOMPARE(dumpTable(u"科目表"_s), chart);

        const ChangeCheck check = checkAddLevel1Account({u"1005"_s, u"备用"_s, u"借"_s});
        QCOMPARE(check.question->text, u"是否增加(1005 备用)?"_s);
        QCOMPARE(check.question->title, u"****注意提示!!"_s);
        addLevel1Account({u"1005"_s, u"备用"_s, u"借"_s});
        const RecordSet row = openRecordset(QStringLiteral("SELECT 科目名称, 科目级数, 科目全称, 方向, 明细, 单位, 调汇 FROM 科目表 WHERE 科目代码='1005'"));
        QCOMPARE(row[0][0].toString(), u"备用"_s);
        QCOMPARE(row[0][1].toInt(), 1);
        QCOMPARE(row[0][2].toString(), u"备用"_s);
        QCOMPARE(row[0][3].toString(), u"借"_s);
        QCOMPARE(row[0][4].toString(), u"Y"_s);
        QVERIFY(row[0][5].isNull());
        QVERIFY(row[0][6].isNull());
    }

    void failurePartWayLeavesEverythingAsItWas()
    {
        TempProgram program;
        smallChart();
        addEntry(kYear, u"8000000001"_s, u"1001"_s, 100.0, QVariant());
        const QStringList chart = dumpTable(u"科目表"_s);
        const QStringList entries = dumpTable(u"分2015"_s);

        execute(u"CREATE TRIGGER no_insert BEFORE INSERT ON 科目表 BEGIN SELECT RAISE(ABORT, 'refused'); END"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, addSubAccount({u"1001"_s, u"001"_s, u"甲"_s, u"借"_s}, kYear));
        execute(u"DROP TRIGGER no_insert"_s);

        execute(QStringLiteral("CREATE TRIGGER no_leaf_rename BEFORE UPDATE ON 科目表 WHEN NEW.科目代码='1002001001' "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY_THROWS_EXCEPTION(DbError, renameAccount(u"1002"_s, u"存款"_s, u"借"_s));
        execute(u"DROP TRIGGER no_leaf_rename"_s);

        execute(QStringLiteral("CREATE TRIGGER no_releaf BEFORE UPDATE ON 科目表 WHEN NEW.明细='Y' "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY_THROWS_EXCEPTION(DbError, deleteAccount(u"1002001"_s));
        execute(u"DROP TRIGGER no_releaf"_s);

        QCOMPARE(dumpTable(u"科目表"_s), chart);
        QCOMPARE(dumpTable(u"分2015"_s), entries);
    }

    void leafUnitsAndFlags()
    {
        TempProgram program;
        smallChart();
        QStringList codes;
        for (const LeafAccount& leaf : leafAccounts())
            codes << leaf.code;
        QCOMPARE(codes, (QStringList{u"1001"_s, u"1002001001"_s, u"2202"_s}));
        setLeafUnitAndFlag(u"2202"_s, u"美元"_s, u"Y"_s);
        setLeafUnitAndFlag(u"1002"_s, u"件"_s, u"Y"_s);
        QCOMPARE(leafAccounts().back().unit, u"美元"_s);
        QCOMPARE(leafAccounts().back().exchangeFlag, u"Y"_s);
        QVERIFY(column(u"1002"_s, u"单位"_s).isNull());
    }
};

QTEST_GUILESS_MAIN(TestChart)
#include "test_chart.moc"
