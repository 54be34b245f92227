#include "ledger_output.h"

#include "ledger_pages.h"
#include "ledger_workbook.h"
#include "views.h"
#include "data/db_error.h"
#include "data/login.h"
#include "data/message_box.h"
#include "data/number_format.h"
#include "data/printer.h"
#include "data/spreadsheet_export.h"
#include "data/record_set.h"

namespace qm {

namespace {

constexpr Qt::Alignment kCentre = Qt::AlignCenter;
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

// Vertical rules through a band from `top` to `bottom`.
void addVerticalRules(ReportSection& section, const std::vector<int>& xs, int top, int bottom)
{
    for (int x : xs)
        section.rules.append(ReportRule{x, top, x, bottom});
}

void horizontalRule(ReportSection& section, int y, int from, int width)
{
    section.rules.append(ReportRule{from, y, from + width, y});
}

SettingsRow settings()
{
    return readSettingsRow();
}

// The headings name the year whose entries the figures come from: the year logged in.
QString headingYear()
{
    return QString::number(loginState().fiscalYear);
}

QString periodOfYear()
{
    return QStringLiteral("会计期间:  ") + headingYear() + QStringLiteral("年1月至12月");
}

// The margin box in centimetres; anything but a number keeps the layout's margins.
void applyLeftMargin(ReportLayout& layout, const QString& centimetres)
{
    const std::optional<double> value = readCentimetres(centimetres);
    if (!value)
        return;
    layout.leftMargin = qRound(*value * 567);
    layout.rightMargin = 0;
    layout.topMargin = 1000;
}

void printPaged(PagedLedger ledger, ReportLayout layout, const LedgerOutput& output, bool preview)
{
    const RecordSet rows = printedLedgerPages(ledger);
    applyLeftMargin(layout, output.leftMarginCm);
    orientReport(layout, Landscape);
    outputReport(layout, rows, preview);
}

}  // namespace

ReportLayout threeColumnReportLayout(const LedgerOutput& output)
{
    const SettingsRow row = settings();
    ReportLayout layout;
    layout.caption = QStringLiteral("三栏帐");
    layout.width = 12165;
    layout.groupField = QStringLiteral("月");
    layout.pageHeader.height = 1505;
    layout.pageHeader.texts = {
        reportText(output.view == LedgerView::DetailLedger ? output.levelOneName + QStringLiteral("  明细帐") : QStringLiteral("总 分 类 帐"),
             3969, 0, 4541, 570, kCentre, 18),
        reportText(QStringLiteral("单位:") + row.unitName, 200, 580, 3769),
        reportText(periodOfYear(), 4535, 620, 3975, 300, kCentre),
        reportText(QStringLiteral("科目名称: ") + output.code + QLatin1Char(' ') + output.fullName, 200, 850, 8304),
        reportText(QStringLiteral("单位：元"), 9900, 850, 1800, 300, kRight),
        reportText(QStringLiteral("%p/%P"), 10800, 100, 1000, 300, kCentre)};
    addReportColumns(layout,
               {{"日 期", 80, 1134, "日期", 80, 1120, kCentre, "yyyy-MM-dd"},
                {"字号", 1300, 570, "字号", 1300, 570, kCentre, ""},
                {"号码", 2000, 570, "号码", 2000, 570, kCentre, ""},
                {"摘要说明", 2700, 2400, "摘要说明", 2700, 2400, kLeft, ""},
                {"借方金额", 5200, 2000, "借方金额", 5200, 1995, kRight, "#,##0.00"},
                {"贷方金额", 7300, 2000, "贷方金额", 7300, 1995, kRight, "#,##0.00"},
                {"方向", 9400, 500, "方向", 9400, 567, kCentre, ""},
                {"余   额", 10000, 2000, "余额", 10000, 2000, kRight, "#,##0.00"}},
               1180, 300, 12);
    const std::vector<int> verticals{0, 1270, 1950, 2620, 5150, 7260, 9350, 9950, 12100};
    horizontalRule(layout.pageHeader, 1100, 0, 12105);
    horizontalRule(layout.pageHeader, 1505, 0, 12105);
    addVerticalRules(layout.pageHeader, verticals, 1100, 1505);
    layout.detail.height = 350;
    addVerticalRules(layout.detail, verticals, 0, 350);
    horizontalRule(layout.detail, 350, 0, 12105);
    layout.groupFooter.height = 325;
    layout.groupFooter.texts = {reportText(QStringLiteral("[QM505]   打印日期: %d"), 9071, 50, 2835)};
    layout.reportFooter.height = 360;
    return layout;
}

ReportLayout quantityReportLayout(const LedgerOutput& output)
{
    const SettingsRow row = settings();
    ReportLayout layout;
    layout.caption = QStringLiteral("数量帐");
    layout.width = 14145;
    layout.groupField = QStringLiteral("月");
    layout.pageHeader.height = 1860;
    layout.pageHeader.texts = {
        reportText(output.levelOneName + QStringLiteral("  数量金额明细帐"), 6236, 0, 3960, 500, kCentre, 15),
        reportText(QStringLiteral("%p/%P"), 12300, 0, 1440, 300, kCentre),
        reportText(periodOfYear(), 6236, 600, 3969, 300, kCentre),
        reportText(QStringLiteral("单位:") + row.unitName, 100, 700, 6136),
        reportText(QStringLiteral("科目名称: ") + output.code + QLatin1Char(' ') + output.fullName, 100, 950, 7837),
        reportText(QStringLiteral("计量单位:") + output.unit, 8504, 950, 2070),
        reportText(QStringLiteral("规格:"), 10600, 950, 1134),
        reportText(QStringLiteral("金额单位:元"), 12472, 950, 1440),
        reportText(QStringLiteral("借        方"), 4200, 1260, 3000, 270, kCentre, 10.5),
        reportText(QStringLiteral("贷        方"), 7400, 1260, 3000, 270, kCentre, 10.5),
        reportText(QStringLiteral("余        额"), 11000, 1260, 3000, 270, kCentre, 10.5)};
    ReportText box = reportText(QString(), 0, 1200, 14085, 650);
    box.boxed = true;
    layout.pageHeader.texts.append(box);
    addReportColumns(layout,
               {{"日 期", 0, 1095, "日期", 0, 1100, kCentre, "yyyy-MM-dd"},
                {"字号", 1150, 495, "字号", 1150, 500, kCentre, ""},
                {"号码", 1701, 510, "号码", 1701, 500, kCentre, ""},
                {"摘要说明", 2250, 1710, "摘要说明", 2290, 1710, kLeft, ""},
                {"方向", 10500, 490, "方向", 10520, 450, kCentre, ""}},
               1420, 300, 10.5);
    addReportColumns(layout,
               {{"数量", 4000, 840, "借数", 4000, 840, kCentre, ""},
                {"单价", 4900, 840, "借单", 4900, 850, kCentre, "0.000"},
                {"金   额", 5800, 1395, "借金", 5800, 1400, kRight, "#,##0.00"},
                {"数量", 7250, 855, "贷数", 7250, 850, kCentre, ""},
                {"单价", 8150, 840, "贷单", 8150, 840, kCentre, "0.000"},
                {"金   额", 9050, 1410, "贷金", 9050, 1400, kRight, "#,##0.00"},
                {"数量", 11000, 810, "余数", 11000, 800, kCentre, ""},
                {"单价", 11850, 795, "余单", 11820, 800, kCentre, "0.000"},
                {"金   额", 12700, 1395, "余额", 12700, 1300, kRight, "#,##0.00"}},
               1590, 300, 10.5);
    addVerticalRules(layout.pageHeader, {1120, 1650, 2250, 4000, 7250, 10500, 11000}, 1200, 1850);
    horizontalRule(layout.pageHeader, 1530, 4000, 6495);
    horizontalRule(layout.pageHeader, 1530, 11000, 3090);
    addVerticalRules(layout.pageHeader, {4880, 5780, 8150, 9000, 11800, 12680}, 1530, 1850);
    layout.detail.height = 355;
    addVerticalRules(layout.detail, {0, 1120, 1650, 2250, 4000, 4880, 5780, 7250, 8150, 9000, 10500, 11000, 11800, 12680, 14085},
                     0, 355);
    horizontalRule(layout.detail, 355, 0, 14100);
    layout.groupFooter.height = 315;
    layout.groupFooter.texts = {reportText(QStringLiteral("[QM505]   打印日期: %d"), 10772, 50, 2832)};
    layout.reportFooter.height = 360;
    return layout;
}

ReportLayout fixedAssetReportLayout(const LedgerOutput& output)
{
    const SettingsRow row = settings();
    ReportLayout layout;
    layout.caption = QStringLiteral("固累帐");
    layout.width = 13845;
    layout.groupField = QStringLiteral("月");
    layout.pageHeader.height = 2060;
    layout.pageHeader.texts = {
        reportText(QStringLiteral("固定资产及累计折旧 明细帐"), 5102, 0, 4536, 400, kCentre, 15.75),
        reportText(QStringLiteral("%p/%P"), 11906, 100, 1440, 300, kCentre),
        reportText(periodOfYear(), 5102, 567, 4536, 300, kCentre),
        reportText(QStringLiteral("单位:") + row.unitName, 100, 850, 6703),
        reportText(QStringLiteral("科目名称: ") + output.code + QLatin1Char(' ') + output.fullName, 100, 1134, 7270),
        reportText(QStringLiteral("计量单位:") + output.unit, 8504, 1134, 2268),
        reportText(QStringLiteral("单位:元"), 11906, 1134, 1133, 300, kCentre),
        reportText(QStringLiteral("购入或拨入(原值)"), 4400, 1470, 2000, 240, kCentre, 10.5),
        reportText(QStringLiteral("报废/转出或累计折旧"), 6803, 1470, 3134, 240, kCentre, 10.5),
        reportText(QStringLiteral("余     额"), 11339, 1470, 1995, 240, kCentre, 10.5)};
    ReportText box = reportText(QString(), 0, 1400, 13800, 650);
    box.boxed = true;
    layout.pageHeader.texts.append(box);
    addReportColumns(layout,
               {{"日 期", 0, 1134, "日期", 0, 1150, kCentre, "yyyy-MM-dd"},
                {"字号", 1180, 567, "字号", 1250, 500, kCentre, ""},
                {"号码", 1800, 570, "号码", 1850, 500, kCentre, ""},
                {"摘要说明", 2450, 1701, "摘要说明", 2500, 1660, kLeft, ""},
                {"方向", 10400, 570, "方向", 10450, 495, kCentre, ""}},
               1600, 300, 10.5);
    addReportColumns(layout,
               {{"数量", 4200, 800, "借数", 4250, 750, kCentre, ""},
                {"借方金额", 5102, 1440, "借方金额", 5100, 1380, kRight, "#,##0.00"},
                {"数量", 6500, 795, "贷数", 6600, 750, kCentre, ""},
                {"贷方金额", 7370, 1440, "贷方金额", 7450, 1350, kRight, "#,##0.00"},
                {"折旧额", 8900, 1440, "折旧额", 8950, 1350, kRight, "#,##0.00"},
                {"数量", 11000, 870, "余数", 11050, 750, kCentre, ""},
                {"净   值", 11906, 1710, "余额", 12000, 1750, kRight, "#,##0.00"}},
               1800, 300, 10.5);
    addVerticalRules(layout.pageHeader, {1200, 1800, 2400, 4200, 6550, 10400, 11000}, 1400, 2050);
    horizontalRule(layout.pageHeader, 1710, 4200, 6200);
    horizontalRule(layout.pageHeader, 1710, 11000, 2800);
    addVerticalRules(layout.pageHeader, {5050, 7400, 8900, 11900}, 1710, 2050);
    layout.detail.height = 375;
    addVerticalRules(layout.detail, {0, 1200, 1800, 2400, 4200, 5050, 6550, 7400, 8900, 10400, 11000, 11900, 13800}, 0, 375);
    horizontalRule(layout.detail, 375, 0, 13810);
    layout.groupFooter.height = 320;
    layout.groupFooter.texts = {reportText(QStringLiteral("[QM505]   打印日期：%d"), 9638, 80, 3405)};
    layout.pageFooter.height = 15;
    layout.reportFooter.height = 360;
    return layout;
}

ReportLayout balanceReportLayout(const LedgerOutput& output)
{
    const SettingsRow row = settings();
    ReportLayout layout;
    layout.caption = QStringLiteral("科目余额表");
    layout.width = 13665;
    layout.pageHeader.height = 1205;
    layout.pageHeader.texts = {
        reportText(QStringLiteral("科 目 余 额 表"), 5669, 0, 2835, 405, kCentre, 18),
        reportText(QStringLiteral("第 %p 页,共 %P 页"), 11339, 200, 1440, 300, kCentre),
        reportText(QStringLiteral(" 单位:") + row.unitName, 0, 500, 5102),
        reportText(QStringLiteral("会计期间:") + headingYear() + QStringLiteral("年") + output.period + QStringLiteral("月"), 5669, 500,
             2835, 300, kCentre),
        reportText(QStringLiteral("金额单位：元"), 11500, 500, 1133)};
    addReportColumns(layout,
               {{"科目代码", 0, 855, "科目代码", 40, 800, kLeft, ""},
                {"科 目 名 称", 1134, 1695, "科目名称", 950, 2400, kLeft, ""},
                {"方向", 3402, 450, "方向", 3402, 400, kCentre, ""},
                {"期初金额", 3969, 1005, "期初金额", 3820, 1200, kRight, "#,##0.00"},
                {"本期借方金额", 5400, 1200, "本期借金", 5150, 1600, kRight, "#,##0.00"},
                {"本期贷方金额", 7203, 1200, "本期贷金", 6850, 1600, kRight, "#,##0.00"},
                {"本年累计借方", 8800, 1200, "累计借金", 8550, 1600, kRight, "#,##0.00"},
                {"本年累计贷方", 10505, 1200, "累计贷金", 10250, 1600, kRight, "#,##0.00"},
                {"期末金额", 12472, 1005, "期末金额", 11950, 1600, kRight, "#,##0.00"}},
               900, 300, 0);
    const std::vector<int> verticals{0, 900, 3402, 3800, 5102, 6803, 8504, 10205, 11906, 13606};
    horizontalRule(layout.pageHeader, 800, 0, 13605);
    horizontalRule(layout.pageHeader, 1200, 0, 13605);
    addVerticalRules(layout.pageHeader, verticals, 800, 1200);
    layout.detail.height = 295;
    addVerticalRules(layout.detail, verticals, 0, 295);
    horizontalRule(layout.detail, 295, 0, 13605);
    layout.reportFooter.height = 410;
    layout.reportFooter.texts = {reportText(QStringLiteral("[QM505]   打印时间: %d"), 9638, 50, 3960)};
    return layout;
}

ReportLayout accountSummaryReportLayout(const LedgerOutput& output)
{
    const SettingsRow row = settings();
    ReportLayout layout;
    layout.caption = QStringLiteral("凭证汇总表");
    layout.width = 9060;
    layout.pointSize = 10.5;
    layout.leftMargin = 1100;
    layout.rightMargin = 500;
    layout.topMargin = 1440;
    layout.pageHeader.height = 1455;
    layout.pageHeader.texts = {
        reportText(QStringLiteral("记帐凭证汇总表"), 3402, 0, 2835, 375, kCentre, 18),
        reportText(QStringLiteral("汇字1号"), 7700, 100, 804),
        reportText(QStringLiteral(" 单位:") + row.unitName, 0, 650, 3402),
        reportText(QStringLiteral("会计期间:") + headingYear() + QStringLiteral("年") + output.period + QStringLiteral("月"), 3402, 650,
             2835, 300, kCentre),
        reportText(QStringLiteral("单位:元"), 7700, 650, 804)};
    ReportText box = reportText(QString(), 0, 950, 9000, 500);
    box.boxed = true;
    layout.pageHeader.texts.append(box);
    addReportColumns(layout,
               {{"科目代码", 70, 1200, "科目代码", 80, 1134, kLeft, ""},
                {"科目名称", 1400, 2280, "科目名称", 1400, 2500, kLeft, ""},
                {"借方金额", 3969, 2267, "借方金额", 3969, 2300, kRight, "#,##0.00"},
                {"贷方金额", 6500, 2268, "贷方金额", 6550, 2300, kRight, "#,##0.00"}},
               1050, 300, 14.25);
    addVerticalRules(layout.pageHeader, {1300, 3900, 6400}, 950, 1450);
    layout.detail.height = 345;
    addVerticalRules(layout.detail, {0, 1300, 3900, 6400, 9000}, 0, 345);
    horizontalRule(layout.detail, 345, 0, 9000);
    layout.reportFooter.height = 195;
    return layout;
}

void outputLedgerReport(const LedgerOutput& output, bool preview)
{
    const bool hasAccount = !output.code.isEmpty();
    switch (output.view) {
    case LedgerView::AmountBalance: {
        ReportLayout layout = balanceReportLayout(output);
        const RecordSet rows = balanceTableRows();
        applyLeftMargin(layout, output.leftMarginCm);
        orientReport(layout, Landscape);
        outputReport(layout, rows, preview);
        break;
    }
    case LedgerView::AccountSummary: {
        ReportLayout layout = accountSummaryReportLayout(output);
        const RecordSet rows = accountSummaryRows();
        orientReport(layout, Portrait);
        outputReport(layout, rows, preview);
        break;
    }
    case LedgerView::DetailLedger:
    case LedgerView::GeneralLedger:
        if (hasAccount)
            printPaged(PagedLedger::ThreeColumn, threeColumnReportLayout(output), output, preview);
        break;
    case LedgerView::QuantityLedger:
        if (hasAccount)
            printPaged(PagedLedger::Quantity, quantityReportLayout(output), output, preview);
        break;
    case LedgerView::FixedAssetLedger:
        if (hasAccount)
            printPaged(PagedLedger::FixedAsset, fixedAssetReportLayout(output), output, preview);
        break;
    default:
        break;
    }
}

void exportLedgerPages(const LedgerOutput& output)
{
    LedgerPagesKind kind;
    LedgerPagesHeader header;
    header.year = headingYear();
    const QString accountLine = QStringLiteral("科目名称:") + output.code + QLatin1Char(' ') + output.fullName;
    switch (output.view) {
    case LedgerView::DetailLedger:
    case LedgerView::GeneralLedger:
        if (output.code.isEmpty())
            return;
        kind = LedgerPagesKind::ThreeColumn;
        header.title = output.levelOneName + (output.detailFormat ? QStringLiteral("   明细帐") : QStringLiteral("   总分类帐"));
        header.left = accountLine;
        break;
    case LedgerView::QuantityLedger:
        if (output.code.isEmpty())
            return;
        kind = LedgerPagesKind::Quantity;
        header.title = output.levelOneName + QStringLiteral("   明细帐");
        header.left = accountLine;
        break;
    case LedgerView::MultiColumnLedger:
        kind = LedgerPagesKind::MultiColumn;
        header.title = output.fullName + QStringLiteral("   明细帐");
        header.left = QStringLiteral("单位名称:") + settings().unitName;
        break;
    default:
        return;
    }
    const std::optional<RecordSet> rows = rowsToExport(ledgerPagesStatement(kind));
    if (!rows)
        return;
    exportWorkbook([&](const QString& path) {
        writeLedgerPagesWorkbook(path, kind, layOutLedgerPages(kind, *rows), header);
    });
}

}  // namespace qm
