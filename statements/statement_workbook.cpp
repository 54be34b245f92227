#include "statement_workbook.h"

#include "data/spreadsheet.h"
#include "data/record_set.h"

#include <QDate>

namespace qm {

namespace {

QByteArray utf8(const QString& text)
{
    return text.toUtf8();
}

}  // namespace

void writeStatementWorkbook(const QString& path, Statement statement, const RecordSet& rows, const QString& unitName,
                            int year, int month)
{
    const bool balance = isBalanceSheet(statement);
    const bool cash = statement == Statement::CashFlow;
    // The columns shown, without the formulas.
    QStringList columns;
    for (const QString& name : rows.fieldNames()) {
        if (!name.startsWith(QStringLiteral("公式")))
            columns << name;
    }
    const QStringList headings =
        balance ? QStringList{QStringLiteral("资  产"), QStringLiteral("行次"), QStringLiteral("年初数"), QStringLiteral("期末数"),
                              QStringLiteral("负债及所有者权益"), QStringLiteral("行次"), QStringLiteral("年初数"), QStringLiteral("期末数")}
                : columns;
    const std::vector<double> widths = balance ? std::vector<double>{16, 3, 11, 11, 16, 3, 11, 11}
                                       : cash  ? std::vector<double>{50, 6, 22}
                                               : std::vector<double>{32, 5, 18, 18};

    writeWorkbook(path, [&](lxw_workbook* workbook) {
        lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
        lxw_format* title = workbook_add_format(workbook);
        format_set_font_size(title, 22);
        format_set_align(title, LXW_ALIGN_CENTER);
        format_set_align(title, LXW_ALIGN_VERTICAL_CENTER);
        lxw_format* centred = workbook_add_format(workbook);
        format_set_align(centred, LXW_ALIGN_CENTER);
        lxw_format* heading = workbook_add_format(workbook);
        format_set_border(heading, LXW_BORDER_THIN);
        format_set_align(heading, LXW_ALIGN_CENTER);
        if (balance)
            format_set_shrink(heading);
        lxw_format* text = workbook_add_format(workbook);
        format_set_border(text, LXW_BORDER_THIN);
        lxw_format* amount = workbook_add_format(workbook);
        format_set_border(amount, LXW_BORDER_THIN);
        format_set_num_format(amount, "#,##0.00");
        if (balance) {
            format_set_shrink(text);
            format_set_shrink(amount);
        }
        lxw_format* date = workbook_add_format(workbook);
        format_set_num_format(date, "yyyy\"年\"m\"月\"d\"日\";@");

        for (int row = 0; row < rows.count() + 5; ++row)
            checkSpreadsheet(worksheet_set_row(sheet, lxw_row_t(row), 20, nullptr));
        for (int column = 0; column < int(widths.size()); ++column)
            checkSpreadsheet(worksheet_set_column(sheet, lxw_col_t(column), lxw_col_t(column), widths[column], nullptr));

        const QString titleText = balance ? QStringLiteral("资 产 负 债  表") : cash ? QStringLiteral("现 金 流 量 表")
                                                                                     : QStringLiteral("利  润  表");
        checkSpreadsheet(worksheet_merge_range(sheet, 0, 0, 1, balance ? 7 : 3, utf8(titleText).constData(), title));
        const QString unit = QStringLiteral("编制单位:") + unitName + QString(cash ? 13 : 6, QLatin1Char(' '));
        if (balance) {
            checkSpreadsheet(worksheet_merge_range(sheet, 2, 0, 2, 2, utf8(unit).constData(), centred));
            const QDate last = QDate(year, month, 1).addMonths(1).addDays(-1);
            const lxw_datetime when{last.year(), last.month(), last.day(), 0, 0, 0};
            checkSpreadsheet(worksheet_write_datetime(sheet, 2, 4, const_cast<lxw_datetime*>(&when), date));
            checkSpreadsheet(worksheet_write_string(sheet, 2, 7, " 单位:元  ", centred));
        } else if (cash) {
            checkSpreadsheet(worksheet_write_string(sheet, 2, 0, utf8(unit).constData(), centred));
            checkSpreadsheet(worksheet_write_string(sheet, 2, 2,
                                         utf8(QStringLiteral("%1年 1-%2月   单位:元").arg(year).arg(month)).constData(), centred));
        } else {
            checkSpreadsheet(worksheet_write_string(sheet, 2, 0, utf8(unit).constData(), centred));
            checkSpreadsheet(worksheet_write_string(sheet, 2, 2, utf8(QStringLiteral("%1年%2月    ").arg(year).arg(month)).constData(), centred));
            checkSpreadsheet(worksheet_write_string(sheet, 2, 3, "        单位:元  ", centred));
        }
        for (int column = 0; column < headings.size(); ++column)
            checkSpreadsheet(worksheet_write_string(sheet, 3, lxw_col_t(column), utf8(headings[column]).constData(), heading));
        for (int row = 0; row < rows.count(); ++row) {
            for (int column = 0; column < columns.size(); ++column) {
                const QVariant value = rows.value(row, columns[column]);
                const bool isAmount = columns[column].contains(QStringLiteral("余额")) || columns[column].contains(QStringLiteral("金额"))
                                      || columns[column] == QStringLiteral("本年累计");
                const auto r = lxw_row_t(row + 4);
                const auto c = lxw_col_t(column);
                if (value.isNull())
                    checkSpreadsheet(worksheet_write_blank(sheet, r, c, isAmount ? amount : text));
                else if (isAmount || value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
                    checkSpreadsheet(worksheet_write_number(sheet, r, c, value.toDouble(), isAmount ? amount : text));
                else
                    checkSpreadsheet(worksheet_write_string(sheet, r, c, utf8(value.toString()).constData(), text));
            }
        }
    });
}

}  // namespace qm
