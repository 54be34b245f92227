#pragma once

// What the query centre hands to the ledger reports and the spreadsheet ledger pages.

#include <QString>

#include "ledger_view.h"
#include "report/report.h"

namespace qm {

struct LedgerOutput {
    LedgerView view = LedgerView::None;
    QString code;
    QString fullName;
    QString unit;
    QString levelOneName;
    QString period;          // the period box: "全部", "年初" or a month
    QString leftMarginCm = QStringLiteral("1");  // the landscape reports' left margin box
    bool detailFormat = false;                   // the format 三栏式 is chosen
};

// Prints the report of the view on the default printer, or shows it in a preview window.
void outputLedgerReport(const LedgerOutput& output, bool preview);
// The report layouts with their captions filled in, as printed.
ReportLayout threeColumnReportLayout(const LedgerOutput& output);
ReportLayout quantityReportLayout(const LedgerOutput& output);
ReportLayout fixedAssetReportLayout(const LedgerOutput& output);
ReportLayout balanceReportLayout(const LedgerOutput& output);
ReportLayout accountSummaryReportLayout(const LedgerOutput& output);

// The view as ledger pages of a spreadsheet workbook.
void exportLedgerPages(const LedgerOutput& output);

}  // namespace qm
