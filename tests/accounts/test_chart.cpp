#include "accounts/account_tree.h"
#include "accounts/chart.h"
#include "data/db_error.h"
#include "support/books.h"
#include "support/temp_program.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

const int kYear = 2015;

QStringList nodeTexts(const std::vector<AccountTreeNode>& nodes)
{
    QStringList texts;
    for (const AccountTreeNode& node : nodes)
        texts << (node.parent < 0 ? QString() : nodes[node.parent].key + QStringLiteral(">")) + node.text;
    return texts;
}

QVariant column(const QString& code, const QString& name)
{
    return scalar(QStringLiteral("SELECT %1 FROM 科目表 WHERE 科目代码=?").arg(name), {code});
}

// 1002 银行存款 with 1002001 工商银行 and 1002001001 活期; 1001 库存现金 a leaf.
void smallChart()
{
    clearChart();
    addAccount(QStringLiteral("1001"), QStringLiteral("库存现金"), QStringLiteral("库存现金"));
    addAccount(QStringLiteral("1002"), QStringLiteral("银行存款"), QStringLiteral("银行存款"), QStringLiteral("借"), false);
    addAccount(QStringLiteral("1002001"), QStringLiteral("工商银行"), QStringLiteral("银行存款/工商银行"), QStringLiteral("借"), false);
    addAccount(QStringLiteral("1002001001"), QStringLiteral("活期"), QStringLiteral("银行存款/工商银行/活期"));
    addAccount(QStringLiteral("2202"), QStringLiteral("应付账款"), QStringLiteral("应付账款"), QStringLiteral("贷"));
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
        addAccount(QStringLiteral("6001"), QStringLiteral("收入"), QStringLiteral("收入"), QStringLiteral("贷"), false);
        addAccount(QStringLiteral("1002"), QStringLiteral("银行存款  "), QStringLiteral("银行存款"), QStringLiteral("借"), false);
        addAccount(QStringLiteral("1002002"), QStringLiteral("建行"), QStringLiteral("银行存款/建行"));
        addAccount(QStringLiteral("1002001"), QStringLiteral("工行"), QStringLiteral("银行存款/工行"), QStringLiteral("借"), false);
        addAccount(QStringLiteral("1002001001"), QStringLiteral("活期"), QStringLiteral("银行存款/工行/活期"));
        addAccount(QStringLiteral("1001"), QStringLiteral("现金"), QStringLiteral("现金"));
        addAccount(QStringLiteral("3001999"), QStringLiteral("孤儿"), QStringLiteral("?/孤儿"));
        addAccount(QStringLiteral("6001001"), QStringLiteral("主营"), QStringLiteral("收入/主营"));
        execute(QStringLiteral("UPDATE 科目表 SET 科目级数=4 WHERE 科目代码='1001'"));
        addAccount(QStringLiteral("1003"), QStringLiteral("其他"), QStringLiteral("其他"));

        const std::vector<AccountTreeNode> all = loadAccountTree();
        QCOMPARE(nodeTexts(all), (QStringList{
            QStringLiteral("1002 银行存款"), QStringLiteral("1003 其他"), QStringLiteral("6001 收入"),
            QStringLiteral("x1002>1002001 工行"), QStringLiteral("x1002>1002002 建行"),
            QStringLiteral("x6001>6001001 主营"), QStringLiteral("x1002001>1002001001 活期")}));
        QCOMPARE(all.front().key, QStringLiteral("x1002"));
        QCOMPARE(accountCodeOfNodeText(all.back().text), QStringLiteral("1002001001"));

        QCOMPARE(nodeTexts(loadAccountTree(6)),
                 (QStringList{QStringLiteral("6001 收入"), QStringLiteral("x6001>6001001 主营")}));
        QVERIFY(loadAccountTree(3).empty());
        QCOMPARE(nodeTexts(loadAccountTree()), nodeTexts(all));
    }

    void addingTheFirstSubAccountMovesThePostings()
    {
        TempProgram program;
        smallChart();
        execute(QStringLiteral("UPDATE 科目表 SET 数量=5, 借方金额=100 WHERE 科目代码='1001'"));
        addEntry(kYear, QStringLiteral("8000000001"), QStringLiteral("1001"), 100.0, QVariant());
        addEntry(kYear, QStringLiteral("8030001001"), QStringLiteral("1001"), QVariant(), 30.0, 3);
        addEntry(kYear, QStringLiteral("8030001002"), QStringLiteral("2202"), 30.0, QVariant(), 3);
        addEntry(2016, QStringLiteral("8000000001"), QStringLiteral("1001"), 70.0, QVariant());

        const NewSubAccount petty{QStringLiteral("1001"), QStringLiteral("001"), QStringLiteral("备用金"), QStringLiteral("借")};
        const ChangeCheck check = checkAddSubAccount(petty, kYear);
        QVERIFY(!check.refusal);
        QVERIFY(check.question);
        QCOMPARE(check.question->text, QStringLiteral("1001---代码已有数据!如果增加明细将默认为此明细.是否增加？"));
        QCOMPARE(check.question->title, QStringLiteral("特别提示"));
        QCOMPARE(check.question->buttons, MessageButtons::YesNo);

        addSubAccount(petty, kYear);
        QCOMPARE(scalar(QStringLiteral("SELECT group_concat(代码) FROM (SELECT 代码 FROM 分2015 ORDER BY ID)")).toString(),
                 QStringLiteral("1001001,1001001,2202"));
        QCOMPARE(scalar(QStringLiteral("SELECT 代码 FROM 分2016")).toString(), QStringLiteral("1001"));
        QCOMPARE(column(QStringLiteral("1001"), QStringLiteral("明细")).toString(), QString());
        QVERIFY(column(QStringLiteral("1001"), QStringLiteral("数量")).isNull());
        QVERIFY(column(QStringLiteral("1001"), QStringLiteral("借方金额")).isNull());
        const RecordSet child = openRecordset(QStringLiteral(
            "SELECT 科目名称, 科目级数, 科目全称, 方向, 明细, 单位, 数量 FROM 科目表 WHERE 科目代码='1001001'"));
        QCOMPARE(child.count(), 1);
        QCOMPARE(child[0][0].toString(), QStringLiteral("备用金"));
        QCOMPARE(child[0][1].toInt(), 2);
        QCOMPARE(child[0][2].toString(), QStringLiteral("库存现金/备用金"));
        QCOMPARE(child[0][3].toString(), QStringLiteral("借"));
        QCOMPARE(child[0][4].toString(), QStringLiteral("Y"));
        QVERIFY(child[0][5].isNull());
        QVERIFY(child[0][6].isNull());

        // A second sub-account: the parent has no entries of its own now, so no question.
        const NewSubAccount second{QStringLiteral("1001"), nextSiblingDigits(QStringLiteral("001")), QStringLiteral("零用"), QStringLiteral("借")};
        QCOMPARE(second.digits, QStringLiteral("002"));
        const ChangeCheck secondCheck = checkAddSubAccount(second, kYear);
        QVERIFY(!secondCheck.refusal && !secondCheck.question);
        addSubAccount(second, kYear);
        QCOMPARE(column(QStringLiteral("1001"), QStringLiteral("明细")).toString(), QString());

        // A level-3 account under a level-2 one.
        addSubAccount({QStringLiteral("1001002"), QStringLiteral("001"), QStringLiteral("甲"), QStringLiteral("借")}, kYear);
        QCOMPARE(column(QStringLiteral("1001002001"), QStringLiteral("科目级数")).toInt(), 3);
        QCOMPARE(column(QStringLiteral("1001002001"), QStringLiteral("科目全称")).toString(), QStringLiteral("库存现金/零用/甲"));

        QCOMPARE(nextSiblingDigits(QStringLiteral("009")), QStringLiteral("010"));
        QCOMPARE(nextSiblingDigits(QStringLiteral("999")), QStringLiteral("1000"));
    }

    void refusedSubAccountsChangeNothing()
    {
        TempProgram program;
        smallChart();
        addEntry(kYear, QStringLiteral("8000000001"), QStringLiteral("1001"), 100.0, QVariant());
        const QStringList chart = dumpTable(QStringLiteral("科目表"));
        const QStringList entries = dumpTable(QStringLiteral("分2015"));

        const struct {
            NewSubAccount account;
            QString message;
        } cases[] = {
            {{QStringLiteral("1001"), QStringLiteral("001"), QString(), QStringLiteral("借")}, QStringLiteral("代码,名称,方向不能为空")},
            {{QStringLiteral("1001"), QStringLiteral("001"), QStringLiteral("甲"), QString()}, QStringLiteral("代码,名称,方向不能为空")},
            {{QString(), QStringLiteral("001"), QStringLiteral("甲"), QStringLiteral("借")}, QStringLiteral("代码,名称,方向不能为空")},
            {{QStringLiteral("1"), QStringLiteral("001"), QStringLiteral("甲"), QStringLiteral("借")}, QStringLiteral("请先从左边选择科目!")},
            {{QStringLiteral("100%"), QStringLiteral("001"), QStringLiteral("甲"), QStringLiteral("借")}, QStringLiteral("请先从左边选择科目!")},
            {{QStringLiteral("1001"), QStringLiteral("01"), QStringLiteral("甲"), QStringLiteral("借")}, QStringLiteral("代码应为三位整数")},
            {{QStringLiteral("1001"), QStringLiteral("1000"), QStringLiteral("甲"), QStringLiteral("借")}, QStringLiteral("代码应为三位整数")},
            {{QStringLiteral("1002001001"), QStringLiteral("001"), QStringLiteral("甲"), QStringLiteral("借")}, QStringLiteral("不能增加四级明细")},
            {{QStringLiteral("1002"), QStringLiteral("001"), QStringLiteral("农行"), QStringLiteral("借")},
             QStringLiteral("1002001 银行存款/工商银行  此代码已存在!")},
            {{QStringLiteral("1002001"), QStringLiteral("002"), QStringLiteral("活期"), QStringLiteral("借")},
             QStringLiteral("1002001001银行存款/工商银行/活期  此明细科目已存在!")},
        };
        for (const auto& refused : cases) {
            const ChangeCheck check = checkAddSubAccount(refused.account, kYear);
            QVERIFY2(check.refusal, qPrintable(refused.message));
            QCOMPARE(check.refusal->text, refused.message);
            QCOMPARE(check.refusal->title, QStringLiteral("QM505提示"));
            QCOMPARE(check.refusal->icon, MessageIcon::Question);
            QVERIFY_THROWS_EXCEPTION(DbError, addSubAccount(refused.account, kYear));
        }
        // Full names compare without regard to letter case.
        addAccount(QStringLiteral("2202001"), QStringLiteral("ABC"), QStringLiteral("应付账款/ABC"), QStringLiteral("贷"));
        const ChangeCheck upper = checkAddSubAccount({QStringLiteral("2202"), QStringLiteral("002"), QStringLiteral("abc"), QStringLiteral("贷")}, kYear);
        QVERIFY(upper.refusal);
        QCOMPARE(upper.refusal->text, QStringLiteral("2202001应付账款/abc  此明细科目已存在!"));
        execute(QStringLiteral("DELETE FROM 科目表 WHERE 科目代码='2202001'"));

        QCOMPARE(dumpTable(QStringLiteral("科目表")), chart);
        QCOMPARE(dumpTable(QStringLiteral("分2015")), entries);
    }

    void renamingRebuildsTheDescendantsFullNames()
    {
        TempProgram program;
        smallChart();
        const ChangeCheck check = checkRenameAccount(QStringLiteral("1002001"), QStringLiteral("建设银行"), QStringLiteral("贷"));
        QVERIFY(!check.refusal);
        QCOMPARE(check.question->text,
                 QStringLiteral("是否把( 工商银行 )修改为( 建设银行 )?, 所有涉及到的科目(包括凭证)都会自动转换,是否现在修改?"));
        QCOMPARE(check.question->title, QStringLiteral("****注意提示!!"));
        renameAccount(QStringLiteral("1002001"), QStringLiteral("建设银行"), QStringLiteral("贷"));
        QCOMPARE(column(QStringLiteral("1002001"), QStringLiteral("科目全称")).toString(), QStringLiteral("银行存款/建设银行"));
        QCOMPARE(column(QStringLiteral("1002001"), QStringLiteral("方向")).toString(), QStringLiteral("贷"));
        QCOMPARE(column(QStringLiteral("1002001001"), QStringLiteral("科目全称")).toString(), QStringLiteral("银行存款/建设银行/活期"));
        QCOMPARE(column(QStringLiteral("1002001001"), QStringLiteral("方向")).toString(), QStringLiteral("借"));

        renameAccount(QStringLiteral("1002"), QStringLiteral("存款"), QStringLiteral("借"));
        QCOMPARE(dumpTable(QStringLiteral("科目表")).filter(QStringLiteral("1002")).size(), 3);
        QCOMPARE(column(QStringLiteral("1002"), QStringLiteral("科目全称")).toString(), QStringLiteral("存款"));
        QCOMPARE(column(QStringLiteral("1002001"), QStringLiteral("科目全称")).toString(), QStringLiteral("存款/建设银行"));
        QCOMPARE(column(QStringLiteral("1002001001"), QStringLiteral("科目全称")).toString(), QStringLiteral("存款/建设银行/活期"));
        QCOMPARE(column(QStringLiteral("1001"), QStringLiteral("科目全称")).toString(), QStringLiteral("库存现金"));

        QCOMPARE(checkRenameAccount(QStringLiteral("1002"), QString(), QStringLiteral("借")).refusal->text,
                 QStringLiteral("代码,名称,方向不能为空"));
        QCOMPARE(checkRenameAccount(QStringLiteral("100"), QStringLiteral("甲"), QStringLiteral("借")).refusal->text,
                 QStringLiteral("请先从左边选择科目!"));
    }

    void deletingASubtree()
    {
        TempProgram program;
        smallChart();
        addAccount(QStringLiteral("1002002"), QStringLiteral("农业银行"), QStringLiteral("银行存款/农业银行"));
        addEntry(kYear, QStringLiteral("8000000001"), QStringLiteral("1002001001"), 50.0, QVariant());

        const ChangeCheck refused = checkDeleteAccount(QStringLiteral("1002"), kYear);
        QCOMPARE(refused.refusal->text, QStringLiteral("1002----本级或下级有数据，不能删除!"));
        QCOMPARE(checkDeleteAccount(QString(), kYear).refusal->text, QStringLiteral("请先从左边选择科目!"));
        QCOMPARE(checkDeleteAccount(QStringLiteral("1"), kYear).refusal->text, QStringLiteral("请先从左边选择科目!"));

        // Other years' entries do not hold the account back.
        const ChangeCheck allowed = checkDeleteAccount(QStringLiteral("1002"), 2016);
        QVERIFY(!allowed.refusal);
        QCOMPARE(allowed.question->text,
                 QStringLiteral("如果删除将连同下级一并自动删除!!\n是否真要删除( 1002 )及其下级明细科目？"));
        QCOMPARE(allowed.question->title, QStringLiteral("注意！特别注意！"));

        execute(QStringLiteral("DELETE FROM 分2015"));
        // The last child of a level-2 account makes that account a leaf again, not its ancestor.
        deleteAccount(QStringLiteral("1002001001"));
        QCOMPARE(column(QStringLiteral("1002001"), QStringLiteral("明细")).toString(), QStringLiteral("Y"));
        QCOMPARE(column(QStringLiteral("1002"), QStringLiteral("明细")).toString(), QString());
        deleteAccount(QStringLiteral("1002001"));
        QVERIFY(column(QStringLiteral("1002001"), QStringLiteral("科目代码")).isNull());
        QVERIFY(column(QStringLiteral("1002001001"), QStringLiteral("科目代码")).isNull());
        QCOMPARE(column(QStringLiteral("1002"), QStringLiteral("明细")).toString(), QString());

        deleteAccount(QStringLiteral("1002002"));
        QCOMPARE(column(QStringLiteral("1002"), QStringLiteral("明细")).toString(), QStringLiteral("Y"));

        deleteAccount(QStringLiteral("1002"));
        QCOMPARE(scalar(QStringLiteral("SELECT group_concat(科目代码) FROM 科目表")).toString(), QStringLiteral("1001,2202"));
    }

    void level1AccountRefusalsInOrder()
    {
        TempProgram program;
        smallChart();
        const QStringList chart = dumpTable(QStringLiteral("科目表"));
        auto refusal = [](const QString& code, const QString& name, const QString& direction) {
            return checkAddLevel1Account({code, name, direction}).refusal.value_or(Message{});
        };
        QCOMPARE(refusal(QString(), QStringLiteral("甲"), QStringLiteral("借")).text, QStringLiteral("代码,名称,方向不能为空"));
        QCOMPARE(refusal(QStringLiteral("7001"), QString(), QStringLiteral("借")).text, QStringLiteral("代码,名称,方向不能为空"));
        for (const QString& code : {QStringLiteral("7001"), QStringLiteral("0001"), QStringLiteral("100"), QStringLiteral("10011")})
            QCOMPARE(refusal(code, QStringLiteral("库存现金"), QStringLiteral("借")).text, QStringLiteral("代码不对!"));
        QCOMPARE(refusal(QStringLiteral("1001"), QStringLiteral("库存现金"), QStringLiteral("借")).text,
                 QStringLiteral("(1001 库存现金)  此代码已存在!"));
        const Message sameName = refusal(QStringLiteral("1005"), QStringLiteral("工商银行"), QStringLiteral("借"));
        QCOMPARE(sameName.text, QStringLiteral("1002001工商银行  此科目已存在!"));
        QCOMPARE(sameName.icon, MessageIcon::Information);
        QCOMPARE(sameName.title, QStringLiteral("QM505提示"));
        QCOMPARE(dumpTable(QStringLiteral("科目表")), chart);

        const ChangeCheck check = checkAddLevel1Account({QStringLiteral("1005"), QStringLiteral("备用"), QStringLiteral("借")});
        QCOMPARE(check.question->text, QStringLiteral("是否增加(1005 备用)?"));
        QCOMPARE(check.question->title, QStringLiteral("****注意提示!!"));
        addLevel1Account({QStringLiteral("1005"), QStringLiteral("备用"), QStringLiteral("借")});
        const RecordSet row = openRecordset(QStringLiteral(
            "SELECT 科目名称, 科目级数, 科目全称, 方向, 明细, 单位, 调汇 FROM 科目表 WHERE 科目代码='1005'"));
        QCOMPARE(row[0][0].toString(), QStringLiteral("备用"));
        QCOMPARE(row[0][1].toInt(), 1);
        QCOMPARE(row[0][2].toString(), QStringLiteral("备用"));
        QCOMPARE(row[0][3].toString(), QStringLiteral("借"));
        QCOMPARE(row[0][4].toString(), QStringLiteral("Y"));
        QVERIFY(row[0][5].isNull());
        QVERIFY(row[0][6].isNull());
    }

    void failurePartWayLeavesEverythingAsItWas()
    {
        TempProgram program;
        smallChart();
        addEntry(kYear, QStringLiteral("8000000001"), QStringLiteral("1001"), 100.0, QVariant());
        const QStringList chart = dumpTable(QStringLiteral("科目表"));
        const QStringList entries = dumpTable(QStringLiteral("分2015"));

        execute(QStringLiteral("CREATE TRIGGER no_insert BEFORE INSERT ON 科目表 BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY_THROWS_EXCEPTION(DbError, addSubAccount({QStringLiteral("1001"), QStringLiteral("001"), QStringLiteral("甲"), QStringLiteral("借")}, kYear));
        execute(QStringLiteral("DROP TRIGGER no_insert"));

        execute(QStringLiteral("CREATE TRIGGER no_leaf_rename BEFORE UPDATE ON 科目表 WHEN NEW.科目代码='1002001001' "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY_THROWS_EXCEPTION(DbError, renameAccount(QStringLiteral("1002"), QStringLiteral("存款"), QStringLiteral("借")));
        execute(QStringLiteral("DROP TRIGGER no_leaf_rename"));

        execute(QStringLiteral("CREATE TRIGGER no_releaf BEFORE UPDATE ON 科目表 WHEN NEW.明细='Y' "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY_THROWS_EXCEPTION(DbError, deleteAccount(QStringLiteral("1002001")));
        execute(QStringLiteral("DROP TRIGGER no_releaf"));

        QCOMPARE(dumpTable(QStringLiteral("科目表")), chart);
        QCOMPARE(dumpTable(QStringLiteral("分2015")), entries);
    }

    void leafUnitsAndFlags()
    {
        TempProgram program;
        smallChart();
        QStringList codes;
        for (const LeafAccount& leaf : leafAccounts())
            codes << leaf.code;
        QCOMPARE(codes, (QStringList{QStringLiteral("1001"), QStringLiteral("1002001001"), QStringLiteral("2202")}));
        setLeafUnitAndFlag(QStringLiteral("2202"), QStringLiteral("美元"), QStringLiteral("Y"));
        setLeafUnitAndFlag(QStringLiteral("1002"), QStringLiteral("件"), QStringLiteral("Y"));
        QCOMPARE(leafAccounts().back().unit, QStringLiteral("美元"));
        QCOMPARE(leafAccounts().back().exchangeFlag, QStringLiteral("Y"));
        QVERIFY(column(QStringLiteral("1002"), QStringLiteral("单位")).isNull());
    }
};

QTEST_GUILESS_MAIN(TestChart)
#include "test_chart.moc"
