#include "default_data.h"

#include <initializer_list>

namespace qm {

namespace {

// Subtotals repeat their full code chains because formulas cannot refer to other rows.
QString joinChains(std::initializer_list<QString> chains)
{
    QString joined;
    for (const QString& chain : chains) {
        if (!joined.isEmpty())
            joined += QLatin1Char('+');
        joined += chain;
    }
    return joined;
}

QString inventoryChain()
{
    return QStringLiteral("1401+1402+1403+1404+1405+1406-1407+1408+1411-1471+5001+5101+5201");
}

// Every profit-and-loss code is subtracted so the sheet balances before a month is closed
// and the terms net to zero after closing.
QString retainedEarningsChain()
{
    const QString UP = QStringLiteral("-6001-6051-6101-6111-6301-6401-6402-6403-6601-6602-6603-6701-6711-6801");
    return QStringLiteral("4103+4104") + UP;
}

}  // namespace

const std::vector<ShippedAccount>& shippedAccounts()
{
    static const std::vector<ShippedAccount> accounts = [] {
        const QString dr = QStringLiteral("借");
        const QString cr = QStringLiteral("贷");
        return std::vector<ShippedAccount>{
            {QStringLiteral("1001"), QStringLiteral("库存现金"), dr},
            {QStringLiteral("1002"), QStringLiteral("银行存款"), dr},
            {QStringLiteral("1012"), QStringLiteral("其他货币资金"), dr},
            {QStringLiteral("1101"), QStringLiteral("交易性金融资产"), dr},
            {QStringLiteral("1121"), QStringLiteral("应收票据"), dr},
            {QStringLiteral("1122"), QStringLiteral("应收账款"), dr},
            {QStringLiteral("1123"), QStringLiteral("预付账款"), dr},
            {QStringLiteral("1131"), QStringLiteral("应收股利"), dr},
            {QStringLiteral("1132"), QStringLiteral("应收利息"), dr},
            {QStringLiteral("1221"), QStringLiteral("其他应收款"), dr},
            {QStringLiteral("1231"), QStringLiteral("坏账准备"), cr},
            {QStringLiteral("1401"), QStringLiteral("材料采购"), dr},
            {QStringLiteral("1402"), QStringLiteral("在途物资"), dr},
            {QStringLiteral("1403"), QStringLiteral("原材料"), dr},
            {QStringLiteral("1404"), QStringLiteral("材料成本差异"), dr},
            {QStringLiteral("1405"), QStringLiteral("库存商品"), dr},
            {QStringLiteral("1406"), QStringLiteral("发出商品"), dr},
            {QStringLiteral("1407"), QStringLiteral("商品进销差价"), cr},
            {QStringLiteral("1408"), QStringLiteral("委托加工物资"), dr},
            {QStringLiteral("1411"), QStringLiteral("周转材料"), dr},
            {QStringLiteral("1471"), QStringLiteral("存货跌价准备"), cr},
            {QStringLiteral("1501"), QStringLiteral("持有至到期投资"), dr},
            {QStringLiteral("1502"), QStringLiteral("持有至到期投资减值准备"), cr},
            {QStringLiteral("1503"), QStringLiteral("可供出售金融资产"), dr},
            {QStringLiteral("1511"), QStringLiteral("长期股权投资"), dr},
            {QStringLiteral("1512"), QStringLiteral("长期股权投资减值准备"), cr},
            {QStringLiteral("1521"), QStringLiteral("投资性房地产"), dr},
            {QStringLiteral("1531"), QStringLiteral("长期应收款"), dr},
            {QStringLiteral("1532"), QStringLiteral("未实现融资收益"), cr},
            {QStringLiteral("1601"), QStringLiteral("固定资产"), dr},
            {QStringLiteral("1602"), QStringLiteral("累计折旧"), cr},
            {QStringLiteral("1603"), QStringLiteral("固定资产减值准备"), cr},
            {QStringLiteral("1604"), QStringLiteral("在建工程"), dr},
            {QStringLiteral("1605"), QStringLiteral("工程物资"), dr},
            {QStringLiteral("1606"), QStringLiteral("固定资产清理"), dr},
            {QStringLiteral("1621"), QStringLiteral("生产性生物资产"), dr},
            {QStringLiteral("1622"), QStringLiteral("生产性生物资产累计折旧"), cr},
            {QStringLiteral("1701"), QStringLiteral("无形资产"), dr},
            {QStringLiteral("1702"), QStringLiteral("累计摊销"), cr},
            {QStringLiteral("1703"), QStringLiteral("无形资产减值准备"), cr},
            {QStringLiteral("1711"), QStringLiteral("商誉"), dr},
            {QStringLiteral("1801"), QStringLiteral("长期待摊费用"), dr},
            {QStringLiteral("1811"), QStringLiteral("递延所得税资产"), dr},
            {QStringLiteral("1901"), QStringLiteral("待处理财产损溢"), dr},
            {QStringLiteral("2001"), QStringLiteral("短期借款"), cr},
            {QStringLiteral("2101"), QStringLiteral("交易性金融负债"), cr},
            {QStringLiteral("2201"), QStringLiteral("应付票据"), cr},
            {QStringLiteral("2202"), QStringLiteral("应付账款"), cr},
            {QStringLiteral("2203"), QStringLiteral("预收账款"), cr},
            {QStringLiteral("2211"), QStringLiteral("应付职工薪酬"), cr},
            {QStringLiteral("2221"), QStringLiteral("应交税费"), cr},
            {QStringLiteral("2231"), QStringLiteral("应付利息"), cr},
            {QStringLiteral("2232"), QStringLiteral("应付股利"), cr},
            {QStringLiteral("2241"), QStringLiteral("其他应付款"), cr},
            {QStringLiteral("2401"), QStringLiteral("递延收益"), cr},
            {QStringLiteral("2501"), QStringLiteral("长期借款"), cr},
            {QStringLiteral("2502"), QStringLiteral("应付债券"), cr},
            {QStringLiteral("2701"), QStringLiteral("长期应付款"), cr},
            {QStringLiteral("2702"), QStringLiteral("未确认融资费用"), dr},
            {QStringLiteral("2711"), QStringLiteral("专项应付款"), cr},
            {QStringLiteral("2801"), QStringLiteral("预计负债"), cr},
            {QStringLiteral("2901"), QStringLiteral("递延所得税负债"), cr},
            {QStringLiteral("4001"), QStringLiteral("实收资本"), cr},
            {QStringLiteral("4002"), QStringLiteral("资本公积"), cr},
            {QStringLiteral("4101"), QStringLiteral("盈余公积"), cr},
            {QStringLiteral("4103"), QStringLiteral("本年利润"), cr},
            {QStringLiteral("4104"), QStringLiteral("利润分配"), cr},
            {QStringLiteral("4201"), QStringLiteral("库存股"), dr},
            {QStringLiteral("5001"), QStringLiteral("生产成本"), dr},
            {QStringLiteral("5101"), QStringLiteral("制造费用"), dr},
            {QStringLiteral("5201"), QStringLiteral("劳务成本"), dr},
            {QStringLiteral("5301"), QStringLiteral("研发支出"), dr},
            {QStringLiteral("6001"), QStringLiteral("主营业务收入"), cr},
            {QStringLiteral("6051"), QStringLiteral("其他业务收入"), cr},
            {QStringLiteral("6101"), QStringLiteral("公允价值变动损益"), cr},
            {QStringLiteral("6111"), QStringLiteral("投资收益"), cr},
            {QStringLiteral("6301"), QStringLiteral("营业外收入"), cr},
            {QStringLiteral("6401"), QStringLiteral("主营业务成本"), dr},
            {QStringLiteral("6402"), QStringLiteral("其他业务成本"), dr},
            {QStringLiteral("6403"), QStringLiteral("营业税金及附加"), dr},
            {QStringLiteral("6601"), QStringLiteral("销售费用"), dr},
            {QStringLiteral("6602"), QStringLiteral("管理费用"), dr},
            {QStringLiteral("6603"), QStringLiteral("财务费用"), dr},
            {QStringLiteral("6701"), QStringLiteral("资产减值损失"), dr},
            {QStringLiteral("6711"), QStringLiteral("营业外支出"), dr},
            {QStringLiteral("6801"), QStringLiteral("所得税费用"), dr},
        };
    }();
    return accounts;
}

const std::vector<CashFlowItem>& shippedCashFlowItems()
{
    static const std::vector<CashFlowItem> items{
        {QStringLiteral("101"), QStringLiteral("销售商品、提供劳务收到的现金")},
        {QStringLiteral("102"), QStringLiteral("收到的税费返还")},
        {QStringLiteral("103"), QStringLiteral("收到其他与经营活动有关的现金")},
        {QStringLiteral("104"), QStringLiteral("购买商品、接受劳务支付的现金")},
        {QStringLiteral("105"), QStringLiteral("支付给职工以及为职工支付的现金")},
        {QStringLiteral("106"), QStringLiteral("支付的各项税费")},
        {QStringLiteral("107"), QStringLiteral("支付其他与经营活动有关的现金")},
        {QStringLiteral("201"), QStringLiteral("收回投资收到的现金")},
        {QStringLiteral("202"), QStringLiteral("取得投资收益收到的现金")},
        {QStringLiteral("203"), QStringLiteral("处置固定资产、无形资产和其他长期资产收回的现金净额")},
        {QStringLiteral("204"), QStringLiteral("处置子公司及其他营业单位收到的现金净额")},
        {QStringLiteral("205"), QStringLiteral("收到其他与投资活动有关的现金")},
        {QStringLiteral("206"), QStringLiteral("购建固定资产、无形资产和其他长期资产支付的现金")},
        {QStringLiteral("207"), QStringLiteral("投资支付的现金")},
        {QStringLiteral("208"), QStringLiteral("取得子公司及其他营业单位支付的现金净额")},
        {QStringLiteral("209"), QStringLiteral("支付其他与投资活动有关的现金")},
        {QStringLiteral("301"), QStringLiteral("吸收投资收到的现金")},
        {QStringLiteral("302"), QStringLiteral("取得借款收到的现金")},
        {QStringLiteral("303"), QStringLiteral("收到其他与筹资活动有关的现金")},
        {QStringLiteral("304"), QStringLiteral("偿还债务支付的现金")},
        {QStringLiteral("305"), QStringLiteral("分配股利、利润或偿付利息支付的现金")},
        {QStringLiteral("306"), QStringLiteral("支付其他与筹资活动有关的现金")},
        {QStringLiteral("401"), QStringLiteral("汇率变动对现金及现金等价物的影响")},
    };
    return items;
}

const std::vector<BalanceSheetLine>& shippedBalanceSheet05()
{
    static const std::vector<BalanceSheetLine> lines = [] {
        const QString INV = inventoryChain();
        const QString RE = retainedEarningsChain();
        const QString CA05 = QStringLiteral("1001+1002+1012+1101+1121+1131+1132+1122-1231+1221+1123+") + INV
                             + QStringLiteral("+1901");
        const QString LTI05 = QStringLiteral("1511-1512+1503+1501-1502");
        const QString FA05 = QStringLiteral("1601-1602-1603+1605+1604+1606");
        const QString IOA05 = QStringLiteral("1701-1702-1703+1801+1521+1531-1532+1621-1622+1711+5301");
        const QString TA05 = joinChains({CA05, LTI05, FA05, IOA05, QStringLiteral("1811")});
        const QString CL05 = QStringLiteral("2001+2201+2202+2203+2211+2232+2221+2241+2231+2801+2101");
        const QString LL05 = QStringLiteral("2501+2502+2701-2702+2711+2401");
        const QString TL05 = joinChains({CL05, LL05, QStringLiteral("2901")});
        const QString EQ05 = QStringLiteral("4001+4002-4201+4101+") + RE;
        const QString TLE05 = joinChains({TL05, EQ05});
        return std::vector<BalanceSheetLine>{
            {1, QStringLiteral("流动资产:"), QString(), QStringLiteral("流动负债:"), 38, QString()},
            {2, QStringLiteral("货币资金"), QStringLiteral("1001+1002+1012"), QStringLiteral("短期借款"), 39, QStringLiteral("2001")},
            {3, QStringLiteral("短期投资"), QStringLiteral("1101"), QStringLiteral("应付票据"), 40, QStringLiteral("2201")},
            {4, QStringLiteral("应收票据"), QStringLiteral("1121"), QStringLiteral("应付账款"), 41, QStringLiteral("2202")},
            {5, QStringLiteral("应收股利"), QStringLiteral("1131"), QStringLiteral("预收账款"), 42, QStringLiteral("2203")},
            {6, QStringLiteral("应收利息"), QStringLiteral("1132"), QStringLiteral("应付工资"), 43, QStringLiteral("2211")},
            {7, QStringLiteral("应收账款"), QStringLiteral("1122-1231"), QStringLiteral("应付福利费"), 44, QString()},
            {8, QStringLiteral("其他应收款"), QStringLiteral("1221"), QStringLiteral("应付股利"), 45, QStringLiteral("2232")},
            {9, QStringLiteral("预付账款"), QStringLiteral("1123"), QStringLiteral("应交税金"), 46, QStringLiteral("2221")},
            {10, QStringLiteral("应收补贴款"), QString(), QStringLiteral("其他应交款"), 47, QString()},
            {11, QStringLiteral("存货"), INV, QStringLiteral("其他应付款"), 48, QStringLiteral("2241")},
            {12, QStringLiteral("待摊费用"), QString(), QStringLiteral("预提费用"), 49, QStringLiteral("2231")},
            {13, QStringLiteral("一年内到期的长期债权投资"), QString(), QStringLiteral("预计负债"), 50, QStringLiteral("2801")},
            {14, QStringLiteral("其他流动资产"), QStringLiteral("1901"), QStringLiteral("一年内到期的长期负债"), 51, QString()},
            {15, QStringLiteral("流动资产合计"), CA05, QStringLiteral("其他流动负债"), 52, QStringLiteral("2101")},
            {16, QStringLiteral("长期投资:"), QString(), QStringLiteral("流动负债合计"), 53, CL05},
            {17, QStringLiteral("长期股权投资"), QStringLiteral("1511-1512+1503"), QStringLiteral("长期负债:"), 54, QString()},
            {18, QStringLiteral("长期债权投资"), QStringLiteral("1501-1502"), QStringLiteral("长期借款"), 55, QStringLiteral("2501")},
            {19, QStringLiteral("长期投资合计"), LTI05, QStringLiteral("应付债券"), 56, QStringLiteral("2502")},
            {20, QStringLiteral("固定资产:"), QString(), QStringLiteral("长期应付款"), 57, QStringLiteral("2701-2702")},
            {21, QStringLiteral("固定资产原价"), QStringLiteral("1601"), QStringLiteral("专项应付款"), 58, QStringLiteral("2711")},
            {22, QStringLiteral("减:累计折旧"), QStringLiteral("1602"), QStringLiteral("其他长期负债"), 59, QStringLiteral("2401")},
            {23, QStringLiteral("固定资产净值"), QStringLiteral("1601-1602"), QStringLiteral("长期负债合计"), 60, LL05},
            {24, QStringLiteral("减:固定资产减值准备"), QStringLiteral("1603"), QStringLiteral("递延税项:"), 61, QString()},
            {25, QStringLiteral("固定资产净额"), QStringLiteral("1601-1602-1603"), QStringLiteral("递延税款贷项"), 62, QStringLiteral("2901")},
            {26, QStringLiteral("工程物资"), QStringLiteral("1605"), QStringLiteral("负债合计"), 63, TL05},
            {27, QStringLiteral("在建工程"), QStringLiteral("1604"), QStringLiteral("所有者权益(或股东权益):"), 64, QString()},
            {28, QStringLiteral("固定资产清理"), QStringLiteral("1606"), QStringLiteral("实收资本(或股本)"), 65, QStringLiteral("4001")},
            {29, QStringLiteral("固定资产合计"), FA05, QStringLiteral("减:已归还投资"), 66, QString()},
            {30, QStringLiteral("无形资产及其他资产:"), QString(), QStringLiteral("实收资本(或股本)净额"), 67, QStringLiteral("4001")},
            {31, QStringLiteral("无形资产"), QStringLiteral("1701-1702-1703"), QStringLiteral("资本公积"), 68, QStringLiteral("4002-4201")},
            {32, QStringLiteral("长期待摊费用"), QStringLiteral("1801"), QStringLiteral("盈余公积"), 69, QStringLiteral("4101")},
            {33, QStringLiteral("其他长期资产"), QStringLiteral("1521+1531-1532+1621-1622+1711+5301"), QStringLiteral("其中:法定公益金"), 70, QString()},
            {34, QStringLiteral("无形资产及其他资产合计"), IOA05, QStringLiteral("未分配利润"), 71, RE},
            {35, QStringLiteral("递延税项:"), QString(), QStringLiteral("所有者权益(或股东权益)合计"), 72, EQ05},
            {36, QStringLiteral("递延税款借项"), QStringLiteral("1811"), QString(), 0, QString()},
            {37, QStringLiteral("资产总计"), TA05, QStringLiteral("负债和所有者权益(或股东权益)总计"), 74, TLE05},
        };
    }();
    return lines;
}

const std::vector<BalanceSheetLine>& shippedBalanceSheet07()
{
    static const std::vector<BalanceSheetLine> lines = [] {
        const QString INV = inventoryChain();
        const QString RE = retainedEarningsChain();
        const QString CA07 = QStringLiteral(
            "1001+1002+1012+1101+1121+1122-1231+1123+1132+1131+1221+1401+1402+1403+1404+1405+1406-1407"
            "+1408+1411-1471+5001+5101+5201+1901");
        const QString NCA07 = QStringLiteral(
            "1503+1501-1502+1531-1532+1511-1512+1521+1601-1602-1603+1604+1605+1606+1621-1622+1701-1702"
            "-1703+5301+1711+1801+1811");
        const QString TA07 = joinChains({CA07, NCA07});
        const QString CL07 = QStringLiteral("2001+2101+2201+2202+2203+2211+2221+2231+2232+2241");
        const QString NCL07 = QStringLiteral("2501+2502+2701-2702+2711+2801+2901+2401");
        const QString EQ = QStringLiteral("4001+4002-4201+4101+") + RE;
        const QString TLE07 = joinChains({CL07, NCL07, EQ});
        return std::vector<BalanceSheetLine>{
            {1, QStringLiteral("流动资产:"), QString(), QStringLiteral("流动负债:"), 34, QString()},
            {2, QStringLiteral("货币资金"), QStringLiteral("1001+1002+1012"), QStringLiteral("短期借款"), 35, QStringLiteral("2001")},
            {3, QStringLiteral("交易性金融资产"), QStringLiteral("1101"), QStringLiteral("交易性金融负债"), 36, QStringLiteral("2101")},
            {4, QStringLiteral("应收票据"), QStringLiteral("1121"), QStringLiteral("应付票据"), 37, QStringLiteral("2201")},
            {5, QStringLiteral("应收账款"), QStringLiteral("1122-1231"), QStringLiteral("应付账款"), 38, QStringLiteral("2202")},
            {6, QStringLiteral("预付款项"), QStringLiteral("1123"), QStringLiteral("预收款项"), 39, QStringLiteral("2203")},
            {7, QStringLiteral("应收利息"), QStringLiteral("1132"), QStringLiteral("应付职工薪酬"), 40, QStringLiteral("2211")},
            {8, QStringLiteral("应收股利"), QStringLiteral("1131"), QStringLiteral("应交税费"), 41, QStringLiteral("2221")},
            {9, QStringLiteral("其他应收款"), QStringLiteral("1221"), QStringLiteral("应付利息"), 42, QStringLiteral("2231")},
            {10, QStringLiteral("存货"), INV, QStringLiteral("应付股利"), 43, QStringLiteral("2232")},
            {11, QStringLiteral("一年内到期的非流动资产"), QString(), QStringLiteral("其他应付款"), 44, QStringLiteral("2241")},
            {12, QStringLiteral("其他流动资产"), QStringLiteral("1901"), QStringLiteral("一年内到期的非流动负债"), 45, QString()},
            {13, QStringLiteral("流动资产合计"), CA07, QStringLiteral("其他流动负债"), 46, QString()},
            {14, QStringLiteral("非流动资产:"), QString(), QStringLiteral("流动负债合计"), 47, CL07},
            {15, QStringLiteral("可供出售金融资产"), QStringLiteral("1503"), QStringLiteral("非流动负债:"), 48, QString()},
            {16, QStringLiteral("持有至到期投资"), QStringLiteral("1501-1502"), QStringLiteral("长期借款"), 49, QStringLiteral("2501")},
            {17, QStringLiteral("长期应收款"), QStringLiteral("1531-1532"), QStringLiteral("应付债券"), 50, QStringLiteral("2502")},
            {18, QStringLiteral("长期股权投资"), QStringLiteral("1511-1512"), QStringLiteral("长期应付款"), 51, QStringLiteral("2701-2702")},
            {19, QStringLiteral("投资性房地产"), QStringLiteral("1521"), QStringLiteral("专项应付款"), 52, QStringLiteral("2711")},
            {20, QStringLiteral("固定资产"), QStringLiteral("1601-1602-1603"), QStringLiteral("预计负债"), 53, QStringLiteral("2801")},
            {21, QStringLiteral("在建工程"), QStringLiteral("1604"), QStringLiteral("递延所得税负债"), 54, QStringLiteral("2901")},
            {22, QStringLiteral("工程物资"), QStringLiteral("1605"), QStringLiteral("其他非流动负债"), 55, QStringLiteral("2401")},
            {23, QStringLiteral("固定资产清理"), QStringLiteral("1606"), QStringLiteral("非流动负债合计"), 56, NCL07},
            {24, QStringLiteral("生产性生物资产"), QStringLiteral("1621-1622"), QStringLiteral("负债合计"), 57, joinChains({CL07, NCL07})},
            {25, QStringLiteral("油气资产"), QString(), QStringLiteral("所有者权益(或股东权益):"), 58, QString()},
            {26, QStringLiteral("无形资产"), QStringLiteral("1701-1702-1703"), QStringLiteral("实收资本(或股本)"), 59, QStringLiteral("4001")},
            {27, QStringLiteral("开发支出"), QStringLiteral("5301"), QStringLiteral("资本公积"), 60, QStringLiteral("4002")},
            {28, QStringLiteral("商誉"), QStringLiteral("1711"), QStringLiteral("减:库存股"), 61, QStringLiteral("4201")},
            {29, QStringLiteral("长期待摊费用"), QStringLiteral("1801"), QStringLiteral("盈余公积"), 62, QStringLiteral("4101")},
            {30, QStringLiteral("递延所得税资产"), QStringLiteral("1811"), QStringLiteral("未分配利润"), 63, RE},
            {31, QStringLiteral("其他非流动资产"), QString(), QStringLiteral("所有者权益(或股东权益)合计"), 64, EQ},
            {32, QStringLiteral("非流动资产合计"), NCA07, QString(), 0, QString()},
            {33, QStringLiteral("资产总计"), TA07, QStringLiteral("负债和所有者权益(或股东权益)总计"), 66, TLE07},
        };
    }();
    return lines;
}

const std::vector<StatementLine>& shippedIncomeStatement05()
{
    static const std::vector<StatementLine> lines{
        {1, QStringLiteral("一、主营业务收入"), QStringLiteral("6001")},
        {2, QStringLiteral("减:主营业务成本"), QStringLiteral("6401")},
        {3, QStringLiteral("主营业务税金及附加"), QStringLiteral("6403")},
        {4, QStringLiteral("二、主营业务利润(亏损以“-”号填列)"), QStringLiteral("6001-6401-6403")},
        {5, QStringLiteral("加:其他业务利润(亏损以“-”号填列)"), QStringLiteral("6051-6402")},
        {6, QStringLiteral("减:营业费用"), QStringLiteral("6601")},
        {7, QStringLiteral("管理费用"), QStringLiteral("6602+6701")},
        {8, QStringLiteral("财务费用"), QStringLiteral("6603")},
        {9, QStringLiteral("三、营业利润(亏损以“-”号填列)"), QStringLiteral("6001-6401-6403+6051-6402-6601-6602-6701-6603")},
        {10, QStringLiteral("加:投资收益(损失以“-”号填列)"), QStringLiteral("6111+6101")},
        {11, QStringLiteral("补贴收入"), QString()},
        {12, QStringLiteral("营业外收入"), QStringLiteral("6301")},
        {13, QStringLiteral("减:营业外支出"), QStringLiteral("6711")},
        {14, QStringLiteral("四、利润总额(亏损总额以“-”号填列)"), QStringLiteral("6001-6401-6403+6051-6402-6601-6602-6701-6603+6111+6101+6301-6711")},
        {15, QStringLiteral("减:所得税"), QStringLiteral("6801")},
        {16, QStringLiteral("五、净利润(净亏损以“-”号填列)"), QStringLiteral("6001-6401-6403+6051-6402-6601-6602-6701-6603+6111+6101+6301-6711-6801")},
    };
    return lines;
}

const std::vector<StatementLine>& shippedIncomeStatement07()
{
    static const std::vector<StatementLine> lines = [] {
        const QString OP07 = QStringLiteral("6001+6051-6401-6402-6403-6601-6602-6603-6701+6101+6111");
        const QString TP07 = OP07 + QStringLiteral("+6301-6711");
        const QString NP07 = TP07 + QStringLiteral("-6801");
        return std::vector<StatementLine>{
            {1, QStringLiteral("一、营业收入"), QStringLiteral("6001+6051")},
            {2, QStringLiteral("减:营业成本"), QStringLiteral("6401+6402")},
            {3, QStringLiteral("营业税金及附加"), QStringLiteral("6403")},
            {4, QStringLiteral("销售费用"), QStringLiteral("6601")},
            {5, QStringLiteral("管理费用"), QStringLiteral("6602")},
            {6, QStringLiteral("财务费用"), QStringLiteral("6603")},
            {7, QStringLiteral("资产减值损失"), QStringLiteral("6701")},
            {8, QStringLiteral("加:公允价值变动收益(损失以“-”号填列)"), QStringLiteral("6101")},
            {9, QStringLiteral("投资收益(损失以“-”号填列)"), QStringLiteral("6111")},
            {10, QStringLiteral("其中:对联营企业和合营企业的投资收益"), QString()},
            {11, QStringLiteral("二、营业利润(亏损以“-”号填列)"), OP07},
            {12, QStringLiteral("加:营业外收入"), QStringLiteral("6301")},
            {13, QStringLiteral("减:营业外支出"), QStringLiteral("6711")},
            {14, QStringLiteral("其中:非流动资产处置损失"), QString()},
            {15, QStringLiteral("三、利润总额(亏损总额以“-”号填列)"), TP07},
            {16, QStringLiteral("减:所得税费用"), QStringLiteral("6801")},
            {17, QStringLiteral("四、净利润(净亏损以“-”号填列)"), NP07},
            {18, QStringLiteral("五、每股收益:"), QString()},
            {19, QStringLiteral("(一)基本每股收益"), QString()},
            {20, QStringLiteral("(二)稀释每股收益"), QString()},
        };
    }();
    return lines;
}

const std::vector<StatementLine>& shippedCashFlowStatement()
{
    static const std::vector<StatementLine> lines{
        {1, QStringLiteral("一、经营活动产生的现金流量:"), QString()},
        {2, QStringLiteral("销售商品、提供劳务收到的现金"), QStringLiteral("101")},
        {3, QStringLiteral("收到的税费返还"), QStringLiteral("102")},
        {4, QStringLiteral("收到其他与经营活动有关的现金"), QStringLiteral("103")},
        {5, QStringLiteral("经营活动现金流入小计"), QStringLiteral("101+102+103")},
        {6, QStringLiteral("购买商品、接受劳务支付的现金"), QStringLiteral("104")},
        {7, QStringLiteral("支付给职工以及为职工支付的现金"), QStringLiteral("105")},
        {8, QStringLiteral("支付的各项税费"), QStringLiteral("106")},
        {9, QStringLiteral("支付其他与经营活动有关的现金"), QStringLiteral("107")},
        {10, QStringLiteral("经营活动现金流出小计"), QStringLiteral("104+105+106+107")},
        {11, QStringLiteral("经营活动产生的现金流量净额"), QStringLiteral("101+102+103-104-105-106-107")},
        {12, QStringLiteral("二、投资活动产生的现金流量:"), QString()},
        {13, QStringLiteral("收回投资收到的现金"), QStringLiteral("201")},
        {14, QStringLiteral("取得投资收益收到的现金"), QStringLiteral("202")},
        {15, QStringLiteral("处置固定资产、无形资产和其他长期资产收回的现金净额"), QStringLiteral("203")},
        {16, QStringLiteral("处置子公司及其他营业单位收到的现金净额"), QStringLiteral("204")},
        {17, QStringLiteral("收到其他与投资活动有关的现金"), QStringLiteral("205")},
        {18, QStringLiteral("投资活动现金流入小计"), QStringLiteral("201+202+203+204+205")},
        {19, QStringLiteral("购建固定资产、无形资产和其他长期资产支付的现金"), QStringLiteral("206")},
        {20, QStringLiteral("投资支付的现金"), QStringLiteral("207")},
        {21, QStringLiteral("取得子公司及其他营业单位支付的现金净额"), QStringLiteral("208")},
        {22, QStringLiteral("支付其他与投资活动有关的现金"), QStringLiteral("209")},
        {23, QStringLiteral("投资活动现金流出小计"), QStringLiteral("206+207+208+209")},
        {24, QStringLiteral("投资活动产生的现金流量净额"), QStringLiteral("201+202+203+204+205-206-207-208-209")},
        {25, QStringLiteral("三、筹资活动产生的现金流量:"), QString()},
        {26, QStringLiteral("吸收投资收到的现金"), QStringLiteral("301")},
        {27, QStringLiteral("取得借款收到的现金"), QStringLiteral("302")},
        {28, QStringLiteral("收到其他与筹资活动有关的现金"), QStringLiteral("303")},
        {29, QStringLiteral("筹资活动现金流入小计"), QStringLiteral("301+302+303")},
        {30, QStringLiteral("偿还债务支付的现金"), QStringLiteral("304")},
        {31, QStringLiteral("分配股利、利润或偿付利息支付的现金"), QStringLiteral("305")},
        {32, QStringLiteral("支付其他与筹资活动有关的现金"), QStringLiteral("306")},
        {33, QStringLiteral("筹资活动现金流出小计"), QStringLiteral("304+305+306")},
        {34, QStringLiteral("筹资活动产生的现金流量净额"), QStringLiteral("301+302+303-304-305-306")},
        {35, QStringLiteral("四、汇率变动对现金及现金等价物的影响"), QStringLiteral("401")},
        {36, QStringLiteral("五、现金及现金等价物净增加额"), QStringLiteral("101+102+103-104-105-106-107+201+202+203+204+205-206-207-208-209+301+302+303-304-305-306+401")},
        {37, QStringLiteral("加:期初现金及现金等价物余额"), QStringLiteral("888")},
        {38, QStringLiteral("六、期末现金及现金等价物余额"), QStringLiteral("999")},
    };
    return lines;
}

const QStringList& shippedSummaryPhrases()
{
    static const QStringList phrases{
        QStringLiteral("提取现金"),
        QStringLiteral("现金存入银行"),
        QStringLiteral("支付货款"),
        QStringLiteral("收到货款"),
        QStringLiteral("报销差旅费"),
        QStringLiteral("计提本月折旧"),
        QStringLiteral("发放工资"),
        QStringLiteral("结转销售成本"),
    };
    return phrases;
}

}  // namespace qm
