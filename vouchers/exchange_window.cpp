#include "exchange_window.h"

#include "data/controls.h"
#include "data/login.h"
#include "data/message_box.h"
#include "data/number_format.h"
#include "data/spreadsheet_export.h"
#include "data/window_helpers.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qm {

namespace {

enum ExchangeColumn { IdColumn, CodeColumn, NameColumn, QuantityColumn, BookColumn, RateColumn, AdjustedColumn,
                      DifferenceColumn, ColumnCount };
const char* const kColumnNames[] = {"ID", "代码", "科目全称", "数量", "调整前金额", "汇率", "调整后金额", "损益"};
const int kWidthsInTwips[] = {0, 1000, 2000, 1200, 1200, 800, 1200, 1200};

QTableWidgetItem* cell(const QVariant& value, int column)
{
    QString text = value.isNull() ? QString() : value.toString();
    if (column != RateColumn && column > NameColumn && !value.isNull())
        text = formatThousands(value.toDouble());
    QTableWidgetItem* item = storedCell(text);
    if (column == CodeColumn || column == NameColumn || column == IdColumn)
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    item->setTextAlignment(column == RateColumn ? Qt::AlignCenter
                           : column > NameColumn ? Qt::AlignRight | Qt::AlignVCenter
                                                 : Qt::AlignLeft | Qt::AlignVCenter);
    return item;
}

}  // namespace

ExchangeWindow::ExchangeWindow(const ExchangeVoucherHeader& header, QWidget* parent)
    : QDialog(parent), m_header(header)
{
    setObjectName(QStringLiteral("Form14"));
    setWindowTitle(QStringLiteral("期末调汇(说明:以期末余额为调整基数,只调整资产类科目；负债类科目请自己调整)"));
    resize(760, 420);

    auto* instruction = new QLabel(
        QStringLiteral("本系统不单独设置外币帐,全部以数量式核算所有外币.  调汇操作步骤:输入汇率-->调汇-->生成分录"), this);
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("DataGrid1"));
    QStringList headers;
    for (const char* name : kColumnNames)
        headers << QString::fromUtf8(name);
    m_table->setHorizontalHeaderLabels(headers);
    for (int column = 0; column < ColumnCount; ++column)
        m_table->setColumnWidth(column, twipsToPixels(kWidthsInTwips[column]));
    m_table->setColumnHidden(IdColumn, true);
    m_table->verticalHeader()->setDefaultSectionSize(twipsToPixels(300));
    installWheelPaging(m_table);
    guardNumberPastes(m_table, [](int column) -> std::optional<NumberShape> {
        if (column <= NameColumn)
            return std::nullopt;
        return NumberShape{column == QuantityColumn ? kQuantityDecimals
                           : column == RateColumn   ? kAnyDecimals
                                                    : kAmountDecimals};
    });

    QLabel* accountLabel = makeLabel(QStringLiteral("Label1"), QStringLiteral("对应损益类科目"), this);
    m_account = new QComboBox(this);
    m_account->setObjectName(QStringLiteral("Combo1"));
    m_account->setMinimumWidth(220);
    QPushButton* compute = makeButton(QStringLiteral("Command1"), QStringLiteral("调汇"), this);
    QPushButton* post = makeButton(QStringLiteral("Command3"), QStringLiteral("生成分录"), this);
    QPushButton* exportButton = makeButton(QStringLiteral("Command2"), QStringLiteral("导出EXCEL"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(accountLabel);
    buttons->addWidget(m_account);
    buttons->addStretch();
    for (QPushButton* button : {compute, post, exportButton})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instruction);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);

    connect(compute, &QPushButton::clicked, this, [this] { guarded([this] { computeClicked(); }); });
    connect(post, &QPushButton::clicked, this, [this] { guarded([this] { postClicked(); }); });
    connect(exportButton, &QPushButton::clicked, this, [this] { guarded([this] { exportClicked(); }); });
    connect(m_table, &QTableWidget::cellChanged, this, [this](int row, int column) {
        if (!m_filling)
            guarded([&] { cellEdited(row, column); });
    });

    guarded([this] {
        m_account->addItems(profitAndLossAccountEntries());
        m_account->setCurrentIndex(-1);
        showTable();
    });
}

void ExchangeWindow::showTable()
{
    m_filling = true;
    const std::vector<ExchangeRow> rows = exchangeRows();
    m_table->setRowCount(int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row) {
        const ExchangeRow& r = rows[row];
        const QVariant values[] = {r.id, r.code, r.fullName, r.quantity, r.bookAmount, r.rate, r.adjustedAmount,
                                   r.difference};
        for (int column = 0; column < ColumnCount; ++column)
            m_table->setItem(row, column, cell(values[column], column));
    }
    m_filling = false;
}

void ExchangeWindow::cellEdited(int row, int column)
{
    if (column <= NameColumn)
        return;
    QTableWidgetItem* edited = m_table->item(row, column);
    const bool amount = column != QuantityColumn && column != RateColumn;
    const TypedValue typed = amount                 ? readTypedAmount(edited->text())
                             : column == RateColumn ? readTypedRate(edited->text())
                                                    : readTypedQuantity(edited->text());
    if (typed.refusal) {
        restoreStoredText(edited);
        showMessage(*typed.refusal);
        return;
    }
    const int id = m_table->item(row, IdColumn)->text().toInt();
    setExchangeValue(id, QString::fromUtf8(kColumnNames[column]), typed.value);
    const QString shown = typed.value.isNull() ? QString()
                          : amount             ? formatThousands(typed.value.toDouble())
                                               : typed.value.toString();
    showStoredText(edited, shown);
}

void ExchangeWindow::computeClicked()
{
    commitPendingEdit(m_table);
    if (const std::optional<Message> refusal = computeExchangeDifferences()) {
        showMessage(*refusal);
        return;
    }
    showTable();
}

void ExchangeWindow::exportClicked()
{
    commitPendingEdit(m_table);
    if (showMessage(QStringLiteral("是否导出到EXCEL工作表？"), QStringLiteral("QM505"), MessageIcon::None,
                    MessageButtons::YesNo)
        == MessageAnswer::Yes)
        exportRecordsetToExcel(QStringLiteral("SELECT * FROM 调汇"));
}

void ExchangeWindow::postClicked()
{
    commitPendingEdit(m_table);
    const ChangeCheck check = checkPostExchangeVoucher(m_account->currentText());
    if (check.refusal) {
        showMessage(*check.refusal);
        return;
    }
    if (showMessage(*check.question) != MessageAnswer::Yes)
        return;
    const PostingResult result = postExchangeVoucher(m_header, m_account->currentText(), loginState().fiscalYear);
    showMessage(result.message);
    if (result.posted)
        accept();
}

}  // namespace qm
