#include "statements_window.h"

#include "statement_reports.h"
#include "statement_workbook.h"
#include "data/controls.h"
#include "data/login.h"
#include "data/message_box.h"
#include "data/number_format.h"
#include "data/result_grid.h"
#include "data/spreadsheet_export.h"
#include "data/window_helpers.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qm {

namespace {

using F = CellFormat;

std::vector<GridColumn> resultLayout(Statement statement)
{
    const GridColumn lineNumber{500, F::None, Qt::AlignCenter};
    if (isBalanceSheet(statement))
        return {{500, F::None}, {2000, F::None}, lineNumber, {0, F::None}, {1500, F::Amount}, {1500, F::Amount},
                {2000, F::None}, lineNumber, {0, F::None}, {1500, F::Amount}, {1500, F::Amount}};
    if (isIncomeStatement(statement))
        return {{500, F::None}, {3500, F::None}, lineNumber, {0, F::None}, {2000, F::Amount}, {2000, F::Amount}};
    return {{500, F::None}, {6000, F::None}, lineNumber, {0, F::None}, {2000, F::Amount}};
}

}  // namespace

StatementsWindow::StatementsWindow(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Form12"));
    keepOpenOnEscape(this);
    setWindowTitle(QStringLiteral("报表"));
    resize(1000, 640);

    auto* options = new QButtonGroup(this);
    const char* const captions[] = {"05资产表", "05利润表", "07资产表", "07利润表", "现流表"};
    for (int index = 0; index < 5; ++index) {
        m_options[index] = new QRadioButton(QString::fromUtf8(captions[index]), this);
        m_options[index]->setObjectName(QStringLiteral("Option%1").arg(index + 1));
        options->addButton(m_options[index]);
    }
    m_options[0]->setChecked(true);
    m_month = new QComboBox(this);
    m_month->setObjectName(QStringLiteral("Combo1"));
    for (int month = 1; month <= 12; ++month)
        m_month->addItem(QString::number(month));
    m_unitName = makeLineEdit(QStringLiteral("Text1"), this);
    auto* help = makeLabel(QStringLiteral("Label2"), QStringLiteral("查看设置说明"), this);
    help->setCursor(Qt::PointingHandCursor);
    help->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    help->installEventFilter(this);

    m_result = new QTableView(this);
    m_result->setObjectName(QStringLiteral("MSH1"));
    m_result->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_result->verticalHeader()->hide();
    setCompactRows(m_result);
    installWheelPaging(m_result);
    m_definitions = new QTableWidget(this);
    m_definitions->setObjectName(QStringLiteral("DataGrid1"));
    m_definitions->setSelectionBehavior(QAbstractItemView::SelectRows);
    setCompactRows(m_definitions);
    installWheelPaging(m_definitions);
    m_definitions->hide();
    m_codes = new QListWidget(this);
    m_codes->setObjectName(QStringLiteral("List1"));
    m_codes->setToolTip(QStringLiteral("查代码专用,双击可隐藏,点[公式设置]显示"));
    m_codes->setMaximumWidth(220);
    m_codes->hide();

    QPushButton* compute = makeButton(QStringLiteral("Command4"), QStringLiteral("查询报表"), this);
    QPushButton* formulas = makeButton(QStringLiteral("Command5"), QStringLiteral("公式设置"), this);
    QPushButton* preview = makeButton(QStringLiteral("Command2"), QStringLiteral("打印预览"), this);
    QPushButton* exportButton = makeButton(QStringLiteral("Command3"), QStringLiteral("导出EXCEL"), this);
    QPushButton* close = makeButton(QStringLiteral("Command1"), QStringLiteral("关 闭"), this);

    auto* top = new QHBoxLayout;
    for (QRadioButton* option : m_options)
        top->addWidget(option);
    top->addWidget(makeLabel(QStringLiteral("Label1"), QStringLiteral("月份"), this));
    top->addWidget(m_month);
    top->addWidget(m_unitName, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {compute, formulas})
        buttons->addWidget(button);
    buttons->addWidget(help);
    for (QPushButton* button : {preview, exportButton, close})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* grids = new QHBoxLayout;
    grids->addWidget(m_result, 1);
    grids->addWidget(m_definitions, 1);
    grids->addWidget(m_codes);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->addLayout(grids, 1);

    connect(compute, &QPushButton::clicked, this, [this] { guarded([this] { computeClicked(); }); });
    connect(formulas, &QPushButton::clicked, this, [this] { guarded([this] { formulasClicked(); }); });
    connect(preview, &QPushButton::clicked, this, [this] { guarded([this] { previewClicked(); }); });
    connect(exportButton, &QPushButton::clicked, this, [this] { guarded([this] { exportClicked(); }); });
    connect(close, &QPushButton::clicked, this, [this] { closeWorkWindow(this); });
    connect(m_codes, &QListWidget::itemDoubleClicked, m_codes, &QWidget::hide);
    connect(m_definitions, &QTableWidget::cellChanged, this, [this](int row, int column) {
        if (!m_filling)
            guarded([&] { definitionEdited(row, column); });
    });

    guarded([this] { m_unitName->setText(readSettingsRow().unitName); });
}

Statement StatementsWindow::statement() const
{
    for (int index = 0; index < 5; ++index) {
        if (m_options[index]->isChecked())
            return Statement(index);
    }
    return Statement::BalanceSheet05;
}

void StatementsWindow::computeClicked()
{
    computeChosenStatement();
}

RecordSet StatementsWindow::computeChosenStatement()
{
    commitPendingEdit(m_definitions);
    m_codes->hide();
    m_definitions->hide();
    const Statement chosen = statement();
    if (const std::optional<Message> message = evaluateStatement(chosen, loginState().fiscalYear, m_month->currentText()))
        showMessage(*message);
    const RecordSet rows = statementRows(chosen);
    showInResultGrid(m_result, rows, resultLayout(chosen));
    m_result->show();
    return rows;
}

void StatementsWindow::formulasClicked()
{
    commitPendingEdit(m_definitions);
    const Statement chosen = statement();
    m_codes->clear();
    m_codes->addItems(formulaCodeList(chosen));
    const RecordSet rows = statementDefinitionRows(chosen);
    m_filling = true;
    m_definitions->clear();
    m_definitions->setColumnCount(rows.fieldCount() - 1);
    m_definitions->setHorizontalHeaderLabels(rows.fieldNames().mid(1));
    m_definitions->setRowCount(rows.count());
    for (int row = 0; row < rows.count(); ++row) {
        for (int field = 1; field < rows.fieldCount(); ++field) {
            const QString text = rows.value(row, field).isNull() ? QString() : rows.value(row, field).toString();
            // 行次1 and 行次 are the sort keys and stay as they are.
            auto* cell = field == 2 ? lockedCell(text) : storedCell(text);
            cell->setData(Qt::UserRole, rows.value(row, 0));
            m_definitions->setItem(row, field - 1, cell);
        }
    }
    m_definitions->setColumnWidth(1, twipsToPixels(600));
    if (isBalanceSheet(chosen))
        m_definitions->setColumnWidth(4, twipsToPixels(600));
    m_filling = false;
    m_definitionStatement = chosen;
    m_codes->show();
    m_definitions->show();
    m_result->hide();
}

void StatementsWindow::definitionEdited(int row, int column)
{
    QTableWidgetItem* cell = m_definitions->item(row, column);
    const QString columnName = m_definitions->horizontalHeaderItem(column)->text();
    const QString text = cell->text();
    TypedValue typed{text.isEmpty() ? QVariant() : QVariant(text), std::nullopt};
    if (columnName == QStringLiteral("行次2"))
        typed = readTypedWhole(text);
    if (typed.refusal) {
        restoreStoredText(cell);
        showMessage(*typed.refusal);
        return;
    }
    setStatementDefinitionValue(m_definitionStatement, cell->data(Qt::UserRole).toLongLong(), columnName, typed.value);
    showStoredText(cell, typed.value.isNull() ? QString() : typed.value.toString());
}

void StatementsWindow::helpClicked()
{
    showMessage(QStringLiteral("1.报表设置时直接输入内容,点击另一行,数据即可自动保存\n\n"
                               "2.公式只能识别4位的代码(现流表代码为3位),公式只能由代码加或减,但第一位不能是加或减号\n\n"
                               "3.特别说明:现流表中888为现金类年初余额,999为现金类期末余额"));
}

// The preview and the export evaluate the statement for the option and month chosen now, so
// their headings and figures belong together. A preview needs no printer.
void StatementsWindow::previewClicked()
{
    computeChosenStatement();
    previewStatementReport(statement(), loginState().fiscalYear, m_month->currentText());
}

void StatementsWindow::exportClicked()
{
    const RecordSet rows = computeChosenStatement();
    if (rows.isEmpty()) {
        showMessage(QStringLiteral("没有数据"));
        return;
    }
    const Statement chosen = statement();
    const QString unit = m_unitName->text();
    const int year = loginState().fiscalYear;
    const int month = m_month->currentText().toInt();
    exportWorkbook([&](const QString& path) { writeStatementWorkbook(path, chosen, rows, unit, year, month); });
}

bool StatementsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched->objectName() == QStringLiteral("Label2") && event->type() == QEvent::MouseButtonRelease)
        helpClicked();
    return QWidget::eventFilter(watched, event);
}

}  // namespace qm
