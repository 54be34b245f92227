#include "support/common.h"
#include "accounts/account_tree.h"
#include "accounts/chart.h"
#include "accounts/chart_window.h"
#include "accounts/level1_account_window.h"
#include "accounts/opening_balances.h"
#include "support/widgets.h"

namespace {

QStringList nodeTexts(const std::vector<AccountTreeNode>& nodes)
{
    QStringList texts;
    for (const AccountTreeNode& node : nodes)
        texts << (node.parent < 0 ? QString() : nodes[node.parent].key + u'>') + node.text;
    return texts;
}

// An account's row of the chart: level, full name, direction, leaf mark, unit and opening values.
QString account(const QString& code)
{
    return rowsAsText(u"SELECT 科目级数, 科目全称, 方向, 明细, 单位, 数量, 借方金额, 贷方金额 FROM 科目表 WHERE 科目代码=?"_s, {code})
        .value(0, u"none"_s);
}

// 1002 银行存款 with 1002001 工商银行 and 1002001001 活期; 1001 库存现金 and 2202 应付账款 leaves.
void smallChart()
{
    clearChart();
    addAccount(u"1001"_s, u"库存现金"_s, u"库存现金"_s);
    addAccount(u"1002"_s, u"银行存款"_s, u"银行存款"_s, u"借"_s, false);
    addAccount(u"1002001"_s, u"工商银行"_s, u"银行存款/工商银行"_s, u"借"_s, false);
    addAccount(u"1002001001"_s, u"活期"_s, u"银行存款/工商银行/活期"_s);
    addAccount(u"2202"_s, u"应付账款"_s, u"应付账款"_s, u"贷"_s);
}

// Opening values typed into the chart: "code quantity debit credit" each, "-" for none, rows
// separated by "|".
void setOpenings(const QString& rows)
{
    for (const QString& row : rows.split(QLatin1Char('|'))) {
        const QStringList fields = row.split(QLatin1Char(' '));
        for (int field = 1; field <= 3; ++field)
            setOpeningValue(fields[0], QStringList{u"数量"_s, u"借方金额"_s, u"贷方金额"_s}[field - 1],
                            fields[field] == u"-"_s ? QVariant() : QVariant(fields[field].toDouble()));
    }
}

QStringList openingRows()
{
    return rowsAsText(u"SELECT ID, 摘要说明, 代码, 数量, 借方金额, 贷方金额, 月 FROM 分2016 WHERE substr(ID,1,3)='800' ORDER BY ID"_s);
}

QString totals(const TrialBalance& balance)
{
    return balance.debitText + u' ' + balance.creditText + (balance.balanced ? u" 平衡"_s : u" 不平衡"_s);
}

QTreeWidgetItem* findNode(QTreeWidget* tree, const QString& code)
{
    const auto items = tree->findItems(code + QLatin1Char(' '), Qt::MatchStartsWith | Qt::MatchRecursive);
    return items.isEmpty() ? nullptr : items.first();
}

// The boxes a double click fills: code, new digits, full name, name, name again, direction.
QString boxes(QObject& window)
{
    QStringList texts;
    for (const char* name : {"Text1", "Text2", "Text3", "Text4", "Text5"})
        texts << child<QLineEdit>(window, name)->text();
    return texts.join(u'|') + u'|' + child<QComboBox>(window, "Combo1")->currentText();
}

}  // namespace

class TestChart : public WindowTest {
    Q_OBJECT

private slots:
    void addingTheFirstSubAccountMovesThePostings()
    {
        smallChart();
        execute(u"UPDATE 科目表 SET 数量=5, 贷方金额=100.13 WHERE 科目代码='2202'"_s);
        addLines(u"8000000001 2202 - 100.13 5|8030001001 2202 30.1 -|8030001002 1001 - 30.1"_s);
        addLines(u"8000000001 2202 - 70"_s, 2017);

        const NewSubAccount supplier{u"2202"_s, u"001"_s, u"甲"_s, u"贷"_s};
        const ChangeCheck check = checkAddSubAccount(supplier, kYear);
        QVERIFY(!check.refusal && check.question->buttons == MessageButtons::YesNo);
        QCOMPARE(shown(check.question), u"特别提示||2202---代码已有数据!如果增加明细将默认为此明细.是否增加？"_s);
        addSubAccount(supplier, kYear);
        QCOMPARE(QStringList({rowsAsText(u"SELECT 代码 FROM 分2016 ORDER BY ID"_s).join(u' '), scalar(u"SELECT 代码 FROM 分2017"_s).toString(),
                              account(u"2202"_s), account(u"2202001"_s)}),
                 (QStringList{u"2202001 2202001 1001"_s, u"2202"_s, u"1 应付账款 贷  - - - -"_s, u"2 应付账款/甲 贷 Y - - - -"_s}));

        // A second sub-account: the parent has no entries of its own now, so no question.
        const NewSubAccount second{u"2202"_s, nextSiblingDigits(u"001"_s), u"乙"_s, u"贷"_s};
        const ChangeCheck secondCheck = checkAddSubAccount(second, kYear);
        QVERIFY(second.digits == u"002"_s && !secondCheck.refusal && !secondCheck.question);
        addSubAccount(second, kYear);

        // A level-3 account under a level-2 one with entries: they move down to it, and the level-2
        // account keeps no opening value of either side.
        execute(u"UPDATE 科目表 SET 借方金额=0.125 WHERE 科目代码='2202001'"_s);
        QVERIFY(checkAddSubAccount({u"2202001"_s, u"001"_s, u"材料款"_s, u"贷"_s}, kYear).question);
        addSubAccount({u"2202001"_s, u"001"_s, u"材料款"_s, u"贷"_s}, kYear);
        QCOMPARE(QStringList({account(u"2202001"_s), account(u"2202001001"_s), rowsAsText(u"SELECT 代码 FROM 分2016 ORDER BY ID"_s).join(u' ')}),
                 (QStringList{u"2 应付账款/甲 贷  - - - -"_s, u"3 应付账款/甲/材料款 贷 Y - - - -"_s, u"2202001001 2202001001 1001"_s}));
        QCOMPARE(nextSiblingDigits(u"009"_s) + u' ' + nextSiblingDigits(u"999"_s), u"010 1000"_s);
    }

    void refusedOrFailedChangesChangeNothing()
    {
        smallChart();
        addAccount(u"2202001"_s, u"ABC"_s, u"应付账款/ABC"_s, u"贷"_s);
        execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码='2202'"_s);
        addLine(u"8000000001"_s, u"1001"_s, 100.0, QVariant());
        const QStringList chart = dumpTable(u"科目表"_s);
        const QStringList entries = dumpTable(u"分2016"_s);
        const QList<QPair<NewSubAccount, QString>> cases = {
            {{u"1001"_s, u"001"_s, QString(), u"借"_s}, u"代码,名称,方向不能为空"_s},
            {{u"1001"_s, u"001"_s, u"甲"_s, QString()}, u"代码,名称,方向不能为空"_s},
            {{QString(), u"001"_s, u"甲"_s, u"借"_s}, u"代码,名称,方向不能为空"_s},
            {{u"1001"_s, QString(), u"甲"_s, u"借"_s}, u"代码,名称,方向不能为空"_s},
            {{u"1"_s, u"001"_s, u"甲"_s, u"借"_s}, u"请先从左边选择科目!"_s},
            {{u"100%"_s, u"001"_s, u"甲"_s, u"借"_s}, u"请先从左边选择科目!"_s},
            {{u"1001"_s, u"01"_s, u"甲"_s, u"借"_s}, u"代码应为三位整数"_s},
            {{u"1001"_s, u"1000"_s, u"甲"_s, u"借"_s}, u"代码应为三位整数"_s},
            {{u"1001"_s, u"0a1"_s, u"甲"_s, u"借"_s}, u"代码应为三位整数"_s},
            {{u"1001"_s, u"００１"_s, u"甲"_s, u"借"_s}, u"代码应为三位整数"_s},
            {{u"1002001001"_s, u"001"_s, u"甲"_s, u"借"_s}, u"不能增加四级明细"_s},
            {{u"1002"_s, u"001"_s, u"农行"_s, u"借"_s}, u"1002001 银行存款/工商银行  此代码已存在!"_s},
            {{u"1002001"_s, u"002"_s, u"活期"_s, u"借"_s}, u"1002001001银行存款/工商银行/活期  此明细科目已存在!"_s},
            // Full names compare without regard to letter case.
            {{u"2202"_s, u"002"_s, u"abc"_s, u"贷"_s}, u"2202001应付账款/abc  此明细科目已存在!"_s},
        };
        for (const auto& [refused, message] : cases) {
            QCOMPARE(shown(checkAddSubAccount(refused, kYear).refusal), u"QM505提示|?|"_s + message);
            QVERIFY_THROWS_EXCEPTION(DbError, addSubAccount(refused, kYear));
        }

        // Changes that fail part way leave everything as it was.
        const auto refusing = [](const QString& trigger, const std::function<void()>& change) {
            execute(u"CREATE TRIGGER refuse BEFORE %1 BEGIN SELECT RAISE(ABORT, 'refused'); END"_s.arg(trigger));
            QVERIFY_THROWS_EXCEPTION(DbError, change());
            execute(u"DROP TRIGGER refuse"_s);
        };
        refusing(u"INSERT ON 科目表"_s, [] { addSubAccount({u"1001"_s, u"001"_s, u"甲"_s, u"借"_s}, kYear); });
        refusing(u"UPDATE ON 科目表 WHEN NEW.科目代码='1002001001'"_s, [] { renameAccount(u"1002"_s, u"存款"_s, u"借"_s); });
        refusing(u"UPDATE ON 科目表 WHEN NEW.明细='Y'"_s, [] { deleteAccount(u"1002001"_s, kYear); });
        QVERIFY(dumpTable(u"科目表"_s) == chart && dumpTable(u"分2016"_s) == entries);
    }

    void leafUnitsThenDeletingASubtree()
    {
        smallChart();
        QStringList codes;
        for (const LeafAccount& leaf : leafAccounts())
            codes << leaf.code;
        QCOMPARE(codes.join(u' '), u"1001 1002001001 2202"_s);
        setLeafUnitAndFlag(u"2202"_s, u"美元"_s, u"Y"_s);
        setLeafUnitAndFlag(u"1002"_s, u"件"_s, u"Y"_s);
        QCOMPARE(leafAccounts().back().unit + leafAccounts().back().exchangeFlag + u'|' + account(u"1002"_s), u"美元Y|1 银行存款 借  - - - -"_s);

        addAccount(u"1002002"_s, u"农业银行"_s, u"银行存款/农业银行"_s);
        // An account added last is listed in its code's place.
        codes.clear();
        for (const LeafAccount& leaf : leafAccounts())
            codes << leaf.code;
        QCOMPARE(codes.join(u' '), u"1001 1002001001 1002002 2202"_s);
        addLines(u"8000000001 1002001001 50 -"_s);

        QCOMPARE(QStringList({checkDeleteAccount(u"1002"_s, kYear).refusal->text, checkDeleteAccount(QString(), kYear).refusal->text,
                              checkDeleteAccount(u"1"_s, kYear).refusal->text}),
                 (QStringList{u"1002----本级或下级有数据，不能删除!"_s, u"请先从左边选择科目!"_s, u"请先从左边选择科目!"_s}));
        // Other years' entries do not hold the account back.
        const ChangeCheck allowed = checkDeleteAccount(u"1002"_s, 2017);
        QCOMPARE(shown(allowed.refusal) + shown(allowed.question), u"注意！特别注意！||如果删除将连同下级一并自动删除!!\n是否真要删除( 1002 )及其下级明细科目？"_s);

        // A caller that skips the check is refused by the work itself: an opening row or a
        // March line of the level-3 leaf holds the leaf and its ancestors.
        for (const QString& line : {u"8000000001 1002001001 0.125 -"_s, u"8030001001 1002001001 - 0.125"_s}) {
            execute(u"DELETE FROM 分2016"_s);
            addLines(line);
            const QStringList chart = dumpTable(u"科目表"_s);
            const QStringList entries = dumpTable(u"分2016"_s);
            for (const QString& code : {u"1002001001"_s, u"1002001"_s, u"1002"_s}) {
                try {
                    deleteAccount(code, kYear);
                    QFAIL(qPrintable(code + u" deleted with "_s + line));
                } catch (const DbError& error) {
                    QCOMPARE(error.text(), code + u"----本级或下级有数据，不能删除!"_s);
                }
            }
            QVERIFY(dumpTable(u"科目表"_s) == chart && dumpTable(u"分2016"_s) == entries);
        }

        execute(u"DELETE FROM 分2016"_s);
        // The last child of a level-2 account makes that account a leaf again, not its ancestor.
        deleteAccount(u"1002001001"_s, kYear);
        QCOMPARE(rowsAsText(u"SELECT 科目代码, 明细 FROM 科目表 WHERE 科目代码 LIKE '1002%' ORDER BY 1"_s),
                 (QStringList{u"1002 "_s, u"1002001 Y"_s, u"1002002 Y"_s}));
        // 1002 is a leaf again only once its second child is gone too.
        QStringList parentAfterEach;
        for (const QString& code : {u"1002001"_s, u"1002002"_s}) {
            deleteAccount(code, kYear);
            parentAfterEach << account(u"1002"_s);
        }
        QCOMPARE(parentAfterEach, (QStringList{u"1 银行存款 借  - - - -"_s, u"1 银行存款 借 Y - - - -"_s}));
        addAccount(u"1002003"_s, u"中行"_s, u"银行存款/中行"_s);
        execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码='1002'"_s);
        deleteAccount(u"1002"_s, kYear);
        QCOMPARE(scalar(u"SELECT group_concat(科目代码) FROM 科目表"_s).toString(), u"1001,2202"_s);
    }

    void level1AccountsThenRenaming()
    {
        smallChart();
        const QStringList chart = dumpTable(u"科目表"_s);
        const auto refusal = [](const QString& code, const QString& name) {
            return shown(checkAddLevel1Account({code, name, u"借"_s}).refusal);
        };
        QCOMPARE(QStringList({refusal(QString(), u"甲"_s), refusal(u"1005"_s, QString()),
                              shown(checkAddLevel1Account({u"7001"_s, u"甲"_s, QString()}).refusal)}),
                 QStringList(3, u"QM505提示|?|代码,名称,方向不能为空"_s));
        for (const QString& code : {u"7001"_s, u"0001"_s, u"100"_s, u"10011"_s, u"1a01"_s, u"１００５"_s})
            QCOMPARE(refusal(code, u"库存现金"_s), u"QM505提示|?|代码不对!"_s);
        QCOMPARE(QStringList({refusal(u"1001"_s, u"工商银行"_s), refusal(u"1005"_s, u"工商银行"_s)}),
                 (QStringList{u"QM505提示|?|(1001 库存现金)  此代码已存在!"_s, u"QM505提示|i|1002001工商银行  此科目已存在!"_s}));
        QCOMPARE(dumpTable(u"科目表"_s), chart);

        QCOMPARE(shown(checkAddLevel1Account({u"1005"_s, u"备用"_s, u"借"_s}).question), u"****注意提示!!||是否增加(1005 备用)?"_s);
        // Class 6, the last one, is a class like the first.
        QCOMPARE(shown(checkAddLevel1Account({u"6901"_s, u"其他收益"_s, u"贷"_s}).question),
                 u"****注意提示!!||是否增加(6901 其他收益)?"_s);
        addLevel1Account({u"1005"_s, u"备用"_s, u"借"_s});
        QCOMPARE(rowsAsText(u"SELECT 科目名称, 科目级数, 科目全称, 方向, 明细, 单位, 调汇 FROM 科目表 WHERE 科目代码='1005'"_s), QStringList{u"备用 1 备用 借 Y - -"_s});

        // Renaming rebuilds the descendants' full names.
        const ChangeCheck check = checkRenameAccount(u"1002001"_s, u"建设银行"_s, u"贷"_s);
        QCOMPARE(shown(check.refusal) + shown(check.question), u"****注意提示!!||是否把( 工商银行 )修改为( 建设银行 )?, 所有涉及到的科目(包括凭证)都会自动转换,是否现在修改?"_s);
        renameAccount(u"1002001"_s, u"建设银行"_s, u"贷"_s);
        renameAccount(u"1002"_s, u"存款"_s, u"借"_s);
        QCOMPARE(rowsAsText(u"SELECT 科目代码, 科目名称, 科目全称, 方向 FROM 科目表 ORDER BY 1"_s),
                 (QStringList{u"1001 库存现金 库存现金 借"_s, u"1002 存款 存款 借"_s, u"1002001 建设银行 存款/建设银行 贷"_s,
                              u"1002001001 活期 存款/建设银行/活期 借"_s, u"1005 备用 备用 借"_s, u"2202 应付账款 应付账款 贷"_s}));
        // A longer name than before: the account's own full name is rebuilt once, not as a descendant.
        renameAccount(u"1002001"_s, u"中国建设银行"_s, u"贷"_s);
        QCOMPARE(rowsAsText(u"SELECT 科目全称 FROM 科目表 WHERE substr(科目代码,1,4)='1002' ORDER BY 科目代码"_s),
                 (QStringList{u"存款"_s, u"存款/中国建设银行"_s, u"存款/中国建设银行/活期"_s}));
        QCOMPARE(checkRenameAccount(u"1002"_s, QString(), u"借"_s).refusal->text + checkRenameAccount(u"100"_s, u"甲"_s, u"借"_s).refusal->text,
                 u"代码,名称,方向不能为空请先从左边选择科目!"_s);
        QCOMPARE(QStringList({shown(checkRenameAccount(u"1002"_s, u"甲"_s, QString()).refusal),
                              shown(checkRenameAccount(QString(), u"甲"_s, u"借"_s).refusal)}),
                 QStringList(2, u"QM505提示|?|代码,名称,方向不能为空"_s));
    }

    void openingRowsAndTheAccountTree()
    {
        addPayableLeaf();
        QCOMPARE(totals(trialBalanceOfChart()), u"0.00 0.00 平衡"_s);
        setOpenings(u"1001 - 1000.1 -|1002 - 0.2 -|4001 - - 1000.004|2202001001 - - 0.3"_s);
        QCOMPARE(totals(trialBalanceOfChart()), u"1,000.30 1,000.30 平衡"_s);
        // One cent apart is out of balance.
        setOpenings(u"4001 - - 1000.01"_s);
        QCOMPARE(totals(trialBalanceOfChart()), u"1,000.30 1,000.31 不平衡"_s);
        setOpenings(u"4001 - - 1000.02"_s);
        const TrialBalance balance = trialBalanceOfChart();
        QCOMPARE(totals(balance), u"1,000.30 1,000.32 不平衡"_s);

        QCOMPARE(QStringList({shown(checkOpeningRowsChange(false, true, balance).refusal), checkOpeningRowsChange(false, false, balance).refusal->text,
                              checkOpeningRowsChange(true, false, balance).refusal->text}),
                 (QStringList{u"QM505|stop|借贷不平"_s, u"请先点[显示科目]"_s, u"请先点[调出年初数]"_s}));
        setOpenings(u"4001 - - 1000"_s);
        QCOMPARE(checkOpeningRowsChange(false, true, trialBalanceOfChart()).question->text + checkOpeningRowsChange(true, true, trialBalanceOfChart()).question->text,
                 u"是否装入年初数据?是否修改年初数据?"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, setOpeningValue(u"1001"_s, u"科目名称"_s, 1));

        // Loading replaces the opening rows only.
        addLines(u"8000000001 1122 9 -|8000000002 2202 - 9|8030001001 1001 5 -"_s);
        // Typed in another order than the codes run; amounts are written to the cent, and one
        // that rounds to nothing is no amount.
        setOpenings(u"4001 - - 1000|2202001001 3 - 0.125|1405 10 - -|1002 20 600 0.001|1001 - 400.25 -"_s);

        // A load that fails part way leaves the year as it was.
        const QStringList before = dumpTable(u"分2016"_s);
        execute(u"CREATE TRIGGER stop BEFORE INSERT ON 分2016 WHEN NEW.代码='4001' BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, loadOpeningRows(kYear));
        QCOMPARE(dumpTable(u"分2016"_s), before);
        execute(u"DROP TRIGGER stop"_s);

        QCOMPARE(loadOpeningRows(kYear).text, u"已装入成功"_s);
        QCOMPARE(openingRows(), (QStringList{u"8000000001 年初余额 1001 - 400.25 - -"_s, u"8000000002 年初余额 1002 20 600 - -"_s,
                                             u"8000000003 年初余额 2202001001 3 - 0.13 -"_s, u"8000000004 年初余额 4001 - - 1000 -"_s}));
        QCOMPARE(scalar(u"SELECT count(*) FROM 分2016 WHERE ID='8030001001'"_s).toInt(), 1);

        // Fetched back, edited and rewritten; a row whose account left the chart is dropped.
        addLines(u"8000000005 9999 1 -"_s);
        fetchOpeningRows(kYear);
        std::vector<OpeningRow> fetched = fetchedOpeningRows();
        QVERIFY(fetched.size() == 4 && fetched[2].fullName == u"应付账款/甲/材料款"_s);
        setFetchedOpeningValue(fetched[1].lineId, u"借方金额"_s, 550.0);
        setFetchedOpeningValue(fetched[0].lineId, u"借方金额"_s, 450.125);
        QVERIFY(trialBalanceOfWorkCopy().balanced && rewriteOpeningRows(kYear).text == u"已修改成功"_s);
        QCOMPARE(openingRows(), (QStringList{u"8000000001 年初余额 1001 - 450.13 - -"_s, u"8000000002 年初余额 1002 20 550 - -"_s,
                                             u"8000000003 年初余额 2202001001 3 - 0.13 -"_s, u"8000000004 年初余额 4001 - - 1000 -"_s}));
        QCOMPARE(scalar(u"SELECT 借方金额 FROM 科目表 WHERE 科目代码='1002'"_s).toString(), u"600"_s);

        // No amounts at all: the load only deletes.
        execute(u"UPDATE 科目表 SET 数量=NULL, 借方金额=NULL, 贷方金额=NULL"_s);
        loadOpeningRows(kYear);
        QVERIFY(openingRows().isEmpty() && openingRowId(40000) == u"8000040000"_s);

        // The tree of a small chart of its own.
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
        QCOMPARE(nodeTexts(all), (QStringList{u"1002 银行存款"_s, u"1003 其他"_s, u"6001 收入"_s, u"x1002>1002001 工行"_s,
                                              u"x1002>1002002 建行"_s, u"x6001>6001001 主营"_s, u"x1002001>1002001001 活期"_s}));
        QCOMPARE(accountCodeOfNodeText(all.back().text) + u'|' + nodeTexts(loadAccountTree(6)).join(u'|') + nodeTexts(loadAccountTree(3)).join(u'|'),
                 u"1002001001|6001 收入|x6001>6001001 主营"_s);
    }

    // A quantity of four decimals would be stored as typed and summed rounded to three: the work
    // functions never store one, and one already in the chart or the fetched rows stops the load
    // and the rewrite, named, before anything changes.
    void openingQuantitiesKeepThreeDecimals()
    {
        addPayableLeaf();
        const QString payable = u"2202001001"_s;
        setOpenings(u"2202001001 0.125 - 1.23|1001 - 1.23 -"_s);
        for (const double quantity : {1.2345, -0.0004})
            QVERIFY_THROWS_EXCEPTION(DbError, setOpeningValue(payable, u"数量"_s, quantity));
        setOpeningValue(payable, u"数量"_s, 1.234);
        QCOMPARE(account(payable), u"3 应付账款/甲/材料款 贷 Y - 1.234 - 1.23"_s);
        loadOpeningRows(kYear);
        const QStringList loaded = openingRows();

        fetchOpeningRows(kYear);
        const int fetchedLine = fetchedOpeningRows()[1].lineId;
        QVERIFY_THROWS_EXCEPTION(DbError, setFetchedOpeningValue(fetchedLine, u"数量"_s, 2.0005));
        QCOMPARE(scalar(u"SELECT 数量 FROM 分录始表 WHERE QMID=?"_s, {fetchedLine}).toString(), u"1.234"_s);

        const QString refusal = u"QM505|!|2202001001 的数量 1.2345 超过三位小数,请先改正"_s;
        execute(u"UPDATE 科目表 SET 数量=1.2345 WHERE 科目代码=?"_s, {payable});
        execute(u"UPDATE 分录始表 SET 数量=1.2345 WHERE QMID=?"_s, {fetchedLine});
        for (const bool rewrite : {false, true}) {
            const TrialBalance balance = rewrite ? trialBalanceOfWorkCopy() : trialBalanceOfChart();
            QCOMPARE(shown(checkOpeningRowsChange(rewrite, true, balance).refusal), refusal);
            QVERIFY_THROWS_EXCEPTION(DbError, rewrite ? rewriteOpeningRows(kYear) : loadOpeningRows(kYear));
            QCOMPARE(openingRows(), loaded);
        }
    }

    void init() { BooksTest::init(); loginState().fiscalYear = kYear; }

    void chartAndLevel1Windows()
    {
        ChartWindow window;
        auto* tree = child<QTreeWidget>(window, "TreeView1");
        QCOMPARE(QStringList({window.windowTitle(), tree->topLevelItem(0)->text(0), tree->topLevelItem(0)->data(0, Qt::UserRole).toString()}),
                 (QStringList{u"科目处理(注:增明细请双击上级;修改什么就双击什么)"_s, u"1001 库存现金"_s, u"x1001"_s}));
        QVERIFY(tree->topLevelItemCount() == 86 && !tree->topLevelItem(0)->isExpanded() && child<QTableWidget>(window, "DataGrid1")->rowCount() == 86);
        QCOMPARE(child<QComboBox>(window, "Combo1")->currentText(), QString());

        emit tree->itemDoubleClicked(findNode(tree, u"1231"_s), 0);
        QCOMPARE(boxes(window), u"1231||坏账准备||坏账准备|贷"_s);

        // The level-1 button closes the window and asks for the account window.
        click(window, "Command4");
        QVERIFY(window.level1AccountRequested() && window.result() == QDialog::Accepted);

        // The level-1 account window.
        Level1AccountWindow level1;
        auto* code = child<QLineEdit>(level1, "Text1");
        QTest::keyClicks(code, u"1x93"_s);
        QTest::keyClick(code, Qt::Key_Backspace);
        QCOMPARE(level1.windowTitle() + u'|' + code->text(), u"增加总帐科目|193"_s);
        fill(level1, {{"Text2", u"待摊费用"_s}});
        // No direction is proposed.
        QCOMPARE(press(level1, "Command1", recorder), u"代码,名称,方向不能为空"_s);
        child<QComboBox>(level1, "Combo1")->setCurrentIndex(0);
        level1.show();
        QCOMPARE(press(level1, "Command1", recorder), u"代码不对!"_s);
        QVERIFY(level1.isVisible());

        QTest::keyClicks(code, u"1"_s);
        recorder.answers.enqueue(MessageAnswer::No);
        QCOMPARE(press(level1, "Command1", recorder), u"是否增加(1931 待摊费用)?"_s);
        QVERIFY(!level1.isVisible() && scalar(u"SELECT 1 FROM 科目表 WHERE 科目代码='1931'"_s).isNull());

        Level1AccountWindow again;
        fill(again, {{"Text1", u"1902"_s}, {"Text2", u"待摊费用"_s}});
        child<QComboBox>(again, "Combo1")->setCurrentIndex(0);
        QCOMPARE(press(again, "Command1", recorder), u"增加科目成功"_s);
        QVERIFY(scalar(u"SELECT 科目全称 FROM 科目表 WHERE 科目代码='1902'"_s).toString() == u"待摊费用"_s && again.result() == QDialog::Accepted);
        // The boxes are emptied for the next account.
        QCOMPARE(child<QLineEdit>(again, "Text1")->text() + u'|' + child<QLineEdit>(again, "Text2")->text(), u"|"_s);
    }

    void addRenameAndDeleteFromTheWindow()
    {
        addLines(u"8000000001 1002 500.25 -"_s);
        ChartWindow window;
        auto* tree = child<QTreeWidget>(window, "TreeView1");
        auto* digits = child<QLineEdit>(window, "Text2");
        auto* name = child<QLineEdit>(window, "Text4");
        emit tree->itemDoubleClicked(findNode(tree, u"1002"_s), 0);
        QTest::keyClicks(digits, u"0a0-1"_s);
        QTest::keyClick(digits, Qt::Key_Backspace);
        QCOMPARE(digits->text(), u"001"_s);
        name->setText(u"工商银行"_s);
        recorder.answers.enqueue(MessageAnswer::No);
        QCOMPARE(press(window, "Command1", recorder), u"1002---代码已有数据!如果增加明细将默认为此明细.是否增加？"_s);
        QVERIFY(scalar(u"SELECT 1 FROM 科目表 WHERE 科目代码='1002001'"_s).isNull());
        click(window, "Command1");
        QCOMPARE(shown(recorder.messages.last()) + u'|' + boxTexts(window, {"Text2", "Text4"}) + u'|' + findNode(tree, u"1002001"_s)->parent()->text(0),
                 u"QM505||增加明细科目成功|002||1002 银行存款"_s);

        // A level-3 account under the new one takes its entries in turn.
        emit tree->itemDoubleClicked(findNode(tree, u"1002001"_s), 0);
        fill(window, {{"Text2", u"001"_s}, {"Text4", u"活期"_s}});
        QCOMPARE(press(window, "Command1", recorder), u"增加明细科目成功"_s);
        QCOMPARE(findNode(tree, u"1002001001"_s)->parent()->text(0) + scalar(u"SELECT 代码 FROM 分2016"_s).toString(), u"1002001 工商银行1002001001"_s);

        // A hand-edited full name does not reach the descendants: names come from the chart.
        emit tree->itemDoubleClicked(findNode(tree, u"1002001"_s), 0);
        fill(window, {{"Text3", u"乱写"_s}, {"Text4", u"建设银行"_s}});
        // A No keeps the name.
        recorder.answers.enqueue(MessageAnswer::No);
        QCOMPARE(press(window, "Command3", recorder),
                 u"是否把( 工商银行 )修改为( 建设银行 )?, 所有涉及到的科目(包括凭证)都会自动转换,是否现在修改?"_s);
        QCOMPARE(scalar(u"SELECT 科目名称 FROM 科目表 WHERE 科目代码='1002001'"_s).toString(), u"工商银行"_s);
        QCOMPARE(QStringList{press(window, "Command3", recorder)} << boxTexts(window, {"Text3"}), (QStringList{u"修改成功"_s, QString()}));
        QCOMPARE(findNode(tree, u"1002001"_s)->text(0), u"1002001 建设银行"_s);
        QCOMPARE(rowsAsText(u"SELECT 科目全称, 明细 FROM 科目表 WHERE 科目代码 LIKE '1002%' ORDER BY 1"_s),
                 (QStringList{u"银行存款 "_s, u"银行存款/建设银行 "_s, u"银行存款/建设银行/活期 Y"_s}));

        execute(u"DELETE FROM 分2016"_s);
        emit tree->itemDoubleClicked(findNode(tree, u"1002001001"_s), 0);
        recorder.answers.enqueue(MessageAnswer::No);
        QCOMPARE(press(window, "Command2", recorder),
                 u"如果删除将连同下级一并自动删除!!\n是否真要删除( 1002001001 )及其下级明细科目？"_s);
        QVERIFY(findNode(tree, u"1002001001"_s) && findAccount(u"1002001001"_s));
        QCOMPARE(press(window, "Command2", recorder), u"删除成功"_s);
        QVERIFY(boxTexts(window, {"Text1"}).isEmpty() && !findNode(tree, u"1002001001"_s));
        QCOMPARE(scalar(u"SELECT 明细 FROM 科目表 WHERE 科目代码='1002001'"_s).toString(), u"Y"_s);
        QCOMPARE(press(window, "Command2", recorder), u"请先从左边选择科目!"_s);
    }

    void pendingUnitEditIsStoredBeforeAButtonActsAndOnClose()
    {
        ChartWindow window;
        QVERIFY(showActive(window));
        auto* grid = child<QTableWidget>(window, "DataGrid1");
        const auto type = [grid](int row, int column, const QString& text) {
            grid->setCurrentCell(row, column);
            grid->editItem(grid->item(row, column));
            QTest::keyClicks(QApplication::focusWidget(), text);
        };
        QCOMPARE(grid->item(0, 0)->text(), u"1001"_s);
        grid->setFocus();
        type(0, 2, u"kg"_s);
        QCOMPARE(press(window, "Command2", recorder), u"请先从左边选择科目!"_s);
        QCOMPARE(scalar(u"SELECT 单位 FROM 科目表 WHERE 科目代码='1001'"_s).toString(), u"kg"_s);

        // The exchange flag is Y in either case, or nothing: anything else is refused and kept out.
        type(2, 3, u"N"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(shown(recorder.messages.last()), u"QM505|!|调汇标志只能是Y或空白,原值不变"_s);
        QVERIFY(grid->item(2, 3)->text().isEmpty() && scalar(u"SELECT 调汇 FROM 科目表 WHERE 科目代码=?"_s, {grid->item(2, 0)->text()}).toString().isEmpty());

        // Blanks around a unit or a flag are dropped.
        type(3, 2, u" box "_s);
        type(3, 3, u" y "_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(
            grid->item(3, 2)->text() + u'|' + grid->item(3, 3)->text() + u'|'
                + rowsAsText(u"SELECT 单位, 调汇 FROM 科目表 WHERE 科目代码=?"_s, {grid->item(3, 0)->text()}).value(0),
            u"box|Y|box Y"_s);
        // A "Ｙ" committed in full-width by an input method is a Y.
        grid->setCurrentCell(4, 3);
        grid->editItem(grid->item(4, 3));
        QInputMethodEvent wide;
        wide.setCommitString(u"Ｙ"_s);
        QApplication::sendEvent(QApplication::focusWidget(), &wide);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(grid->item(4, 3)->text() + scalar(u"SELECT 调汇 FROM 科目表 WHERE 科目代码=?"_s, {grid->item(4, 0)->text()}).toString(), u"YY"_s);

        type(1, 3, u"y"_s);
        window.reject();
        QCOMPARE(scalar(u"SELECT 调汇 FROM 科目表 WHERE 科目代码='1002'"_s).toString(), u"Y"_s);
    }

};

QTEST_MAIN(TestChart)
#include "test_chart.moc"
