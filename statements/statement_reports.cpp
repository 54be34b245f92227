#include "statement_reports.h"

#include "data/login.h"
#include "data/record_set.h"

#include <QDate>

namespace qm {

namespace {

constexpr Qt::Alignment kCentre = Qt::AlignCenter;
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

// The common shape: title, unit and period labels, "单位:元", a framed heading row, one detail
// line per definition row with vertical rules and a rule under it.
ReportLayout statementLayout(const QString& caption, int width, int headerHeight, int detailHeight, const QString& title,
                             int titleLeft, int titleTop, int titleWidth, double titleSize, const int labels[3][2],
                             int labelTop, double labelSize, int boxTop, int boxHeight, double headingSize, double detailSize,
                             const std::vector<ReportColumn>& columns, const std::vector<int>& rules)
{
    ReportLayout layout;
    layout.caption = caption;
    layout.onePreview = true;
    layout.width = width;
    layout.pointSize = detailSize;
    layout.pageHeader.height = headerHeight;
    ReportText titleText = reportText(title, titleLeft, titleTop, titleWidth, 500, kCentre, titleSize);
    titleText.face = ReportFace::FangSong;
    titleText.bold = true;
    layout.pageHeader.texts.append(titleText);
    for (int index = 0; index < 3; ++index) {
        ReportText label = reportText(QString(), labels[index][0], labelTop, labels[index][1], 300, kLeft, labelSize);
        label.face = ReportFace::Kai;
        layout.pageHeader.texts.append(label);
    }
    layout.pageHeader.texts[3].text = QStringLiteral("单位:元");
    ReportText box = reportText(QString(), 0, boxTop, width - 60, boxHeight, kLeft, 0);
    box.boxed = true;
    layout.pageHeader.texts.append(box);
    const qsizetype firstHeading = layout.pageHeader.texts.size();
    addReportColumns(layout, columns, boxTop, boxHeight, headingSize);
    for (qsizetype index = firstHeading; index < layout.pageHeader.texts.size(); ++index)
        layout.pageHeader.texts[index].bold = true;
    for (int x : rules)
        layout.pageHeader.rules.append(ReportRule{x, boxTop, x, boxTop + boxHeight});
    layout.detail.height = detailHeight;
    for (int x : rules)
        layout.detail.rules.append(ReportRule{x, 0, x, detailHeight});
    for (int x : {0, width - 60})
        layout.detail.rules.append(ReportRule{x, 0, x, detailHeight});
    layout.detail.rules.append(ReportRule{0, detailHeight, width - 60, detailHeight});
    return layout;
}

}  // namespace

ReportLayout statementReportLayout(Statement statement, int fiscalYear, const QString& month)
{
    const SettingsRow settings = readSettingsRow();
    ReportLayout layout;
    if (isBalanceSheet(statement)) {
        const int labels[3][2] = {{0, 5102}, {5000, 2280}, {9071, 1005}};
        layout = statementLayout(
            QStringLiteral("资产负债表"), 10530, 1872, 400, QStringLiteral("资 产 负 债 表"), 3402, 400, 3405, 21.75, labels, 1217,
            10.5, 1467, 405, 10.5, 10.5,
            {{"资    产", 0, 1950, "资产", 30, 1950, kLeft, ""},
             {"行次", 2000, 385, "行次1", 1985, 400, kCentre, ""},
             {"年初数", 2385, 1415, "年初余额1", 2380, 1390, kRight, "#,##0.00"},
             {"期末数", 3805, 1445, "期末余额1", 3800, 1410, kRight, "#,##0.00"},
             {"负债及所有者权益", 5211, 1950, "负债及所有者权益", 5280, 1900, kLeft, ""},
             {"行次", 7150, 400, "行次2", 7150, 400, kCentre, ""},
             {"年初数", 7550, 1450, "年初余额2", 7550, 1420, kRight, "#,##0.00"},
             {"期末数", 9000, 1450, "期末余额2", 9020, 1420, kRight, "#,##0.00"}},
            {1985, 2385, 3800, 5250, 7150, 7550, 9020});
        for (ReportText& heading : layout.pageHeader.texts) {
            if (heading.text == QStringLiteral("行次"))
                heading.pointSize = 9;
        }
        const QDate last = QDate(fiscalYear, month.toInt() >= 1 && month.toInt() <= 12 ? month.toInt() : 1, 1).addMonths(1).addDays(-1);
        layout.pageHeader.texts[2].text = last.toString(QStringLiteral("yyyy年MM月dd日"));
    } else if (isIncomeStatement(statement)) {
        const int labels[3][2] = {{0, 5102}, {5102, 2268}, {8000, 900}};
        layout = statementLayout(QStringLiteral("利润表"), 9045, 2700, 420, QStringLiteral("利  润  表"), 3300, 1200, 2669, 21.75,
                                 labels, 2000, 12, 2268, 420, 12, 12,
                                 {{"项      目", 0, 3740, "项目", 50, 3650, kLeft, ""},
                                  {"行次", 3740, 560, "行次", 3800, 500, kCentre, ""},
                                  {"本月数", 4300, 2330, "本期金额", 4300, 2280, kRight, "#,##0.00"},
                                  {"本年累计数", 6630, 2355, "本年累计", 6660, 2300, kRight, "#,##0.00"}},
                                 {3740, 4300, 6630});
        layout.pageHeader.texts[2].text = QString::number(fiscalYear) + QStringLiteral("年") + month + QStringLiteral("月");
    } else {
        const int labels[3][2] = {{50, 5600}, {5669, 2268}, {8400, 795}};
        layout = statementLayout(QStringLiteral("现金流量表"), 9690, 2046, 340, QStringLiteral("现 金 流 量 表"), 3500, 800, 2834,
                                 18, labels, 1430, 10.5, 1701, 345, 10.5, 10.5,
                                 {{"项      目", 0, 7350, "项目", 40, 7260, kLeft, ""},
                                  {"行次", 7350, 600, "行次", 7400, 500, kCentre, ""},
                                  {"金  额", 7950, 1680, "金额", 7980, 1600, kRight, "#,##0.00"}},
                                 {7350, 7950});
        layout.pageHeader.texts[2].text = QString::number(fiscalYear) + QStringLiteral("年1-") + month + QStringLiteral("月");
    }
    // Title, then the unit (label2), the period (label3) and "单位:元" (label4).
    layout.pageHeader.texts[1].text = QStringLiteral(" 单位:") + settings.unitName;
    return layout;
}

void previewStatementReport(Statement statement, int fiscalYear, const QString& month)
{
    ReportLayout layout = statementReportLayout(statement, fiscalYear, month);
    orientReport(layout, Portrait);
    outputReport(layout, statementRows(statement), true);
}

}  // namespace qm
