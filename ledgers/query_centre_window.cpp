#include "query_centre_window.h"

#include "account_picker.h"
#include "detail_ledgers.h"
#include "ledger_pages.h"
#include "ledger_account.h"
#include "three_column_ledger.h"
#include "views.h"
#include "data/controls.h"
#include "data/dialog_runner.h"
#include "data/login.h"
#include "data/message_box.h"
#include "data/printer.h"
#include "data/result_grid.h"
#include "data/spreadsheet_export.h"
#include "data/window_helpers.h"
#include "report/report.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

namespace qm {

namespace {

using F = CellFormat;

const std::vector<GridColumn> kJournalLayout = {
    {500, F::None}, {400, F::None}, {1200, F::Date}, {400, F::None}, {400, F::None}, {1200, F::None},
    {1200, F::None}, {1500, F::None}, {1000, F::Quantity}, {1300, F::Amount}, {1300, F::Amount}, {400, F::None},
    {1200, F::Amount}, {500, F::None}, {500, F::None}, {400, F::None}, {400, F::None}, {1000, F::None}};
const std::vector<GridColumn> kSummaryLayout = {
    {500, F::None}, {1200, F::None}, {2000, F::None}, {2000, F::Amount}, {2000, F::Amount}};
const std::vector<GridColumn> kThreeColumnLayout = {
    {500, F::None}, {0, F::None}, {1300, F::Date}, {500, F::None}, {500, F::None}, {1800, F::None},
    {1600, F::Amount}, {1600, F::Amount}, {500, F::None}, {1600, F::Amount}};
const std::vector<GridColumn> kQuantityLayout = {
    {500, F::None}, {0, F::None}, {1200, F::Date}, {400, F::None}, {400, F::None}, {1500, F::None},
    {1200, F::Quantity}, {800, F::Quantity}, {1400, F::Amount}, {1200, F::Quantity}, {800, F::Quantity},
    {1400, F::Amount}, {400, F::None}, {1200, F::Quantity}, {800, F::Quantity}, {1400, F::Amount}};
const std::vector<GridColumn> kFixedAssetLayout = {
    {500, F::None}, {0, F::None}, {0, F::None}, {1300, F::Date}, {500, F::None}, {500, F::None}, {1800, F::None},
    {800, F::Whole}, {1400, F::Amount}, {800, F::Whole}, {1400, F::Amount}, {1400, F::Amount}, {500, F::None},
    {800, F::Whole}, {1400, F::Amount}};
const std::vector<GridColumn> kMultiColumnLayout = {
    {500, F::None}, {0, F::None}, {1200, F::Date}, {400, F::None}, {400, F::None}, {1500, F::None},
    {1500, F::Amount}, {1500, F::Amount}, {400, F::Amount}, {1500, F::Amount}};

std::vector<GridColumn> balanceLayout(bool amountsOnly)
{
    std::vector<GridColumn> layout = {{500, F::None}, {1200, F::None}, {1500, F::None}, {300, F::None}};
    const int amountWidths[] = {1400, 1400, 1400, 1500, 1500, 1400};
    for (int pair = 0; pair < 6; ++pair) {
        layout.push_back({amountsOnly ? 0 : 1200, F::Quantity});
        layout.push_back({amountWidths[pair], F::Amount});
    }
    return layout;
}

}  // namespace

QueryCentreWindow::QueryCentreWindow(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("QM505财务---综合查询"));
    resize(1100, 640);

    m_mode = makeLineEdit(QStringLiteral("Text1"), this);
    m_mode->hide();
    m_code = makeLineEdit(QStringLiteral("Text2"), this);
    m_fullName = makeLineEdit(QStringLiteral("Text3"), this);
    m_direction = makeLineEdit(QStringLiteral("Text4"), this);
    m_unit = makeLineEdit(QStringLiteral("Text5"), this);
    m_levelOneName = makeLineEdit(QStringLiteral("Text6"), this);
    m_leftMargin = makeLineEdit(QStringLiteral("Text7"), this);
    m_leftMargin->setText(QStringLiteral("1"));
    m_leftMargin->setToolTip(QStringLiteral("横向打印时的页面左边距，单位：CM"));
    m_leftMargin->setMaximumWidth(40);
    m_code->setMaximumWidth(110);
    m_direction->setMaximumWidth(30);
    m_unit->setMaximumWidth(50);

    m_period = new QComboBox(this);
    m_period->setObjectName(QStringLiteral("Combo1"));
    m_period->setEditable(true);
    m_period->addItems({QStringLiteral("全部"), QStringLiteral("年初")});
    for (int month = 1; month <= 12; ++month)
        m_period->addItem(QString::number(month));
    m_period->setCurrentText(QStringLiteral("全部"));
    m_level = new QComboBox(this);
    m_level->setObjectName(QStringLiteral("Combo2"));
    m_level->setEditable(true);
    m_level->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});

    m_formats = new QButtonGroup(this);
    const char* const formatNames[] = {"三栏式", "总帐式", "数量式", "多栏式", "固累式"};
    for (int index = 0; index < 5; ++index) {
        auto* option = new QRadioButton(QString::fromUtf8(formatNames[index]), this);
        option->setObjectName(QStringLiteral("Option%1").arg(index + 1));
        m_formats->addButton(option, index);
    }
    m_codeOrder = new QCheckBox(QStringLiteral("多栏帐明细排序"), this);
    m_codeOrder->setObjectName(QStringLiteral("Check1"));
    m_codeOrder->setToolTip(QStringLiteral("明细按代码排序"));

    m_result = makeLabel(QStringLiteral("Label3"), QString(), this);
    QFont resultFont = reportFont(ReportFace::FangSong, false);
    resultFont.setPointSizeF(m_result->font().pointSizeF() * 1.2);
    m_result->setFont(resultFont);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("MSH1"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setFocusPolicy(Qt::StrongFocus);
    m_grid->verticalHeader()->hide();
    setCompactRows(m_grid);
    installWheelPaging(m_grid);
    QPalette selection = m_grid->palette();
    selection.setColor(QPalette::Highlight, palette().color(QPalette::Inactive, QPalette::Highlight));
    m_grid->setPalette(selection);

    const struct {
        const char* name;
        const char* caption;
        void (QueryCentreWindow::*handler)();
    } buttons[] = {{"Command1", "分录簿", &QueryCentreWindow::journalClicked},
                   {"Command14", "筛选内容", &QueryCentreWindow::filteredJournalClicked},
                   {"Command2", "科目汇总表", &QueryCentreWindow::accountSummaryClicked},
                   {"Command3", "科目余额表", &QueryCentreWindow::amountBalanceClicked},
                   {"Command5", "数量余额表", &QueryCentreWindow::quantityBalanceClicked},
                   {"Command7", "查询", &QueryCentreWindow::queryClicked},
                   {"Command8", "下一", &QueryCentreWindow::nextAccountClicked},
                   {"Command9", "上一", &QueryCentreWindow::previousAccountClicked},
                   {"Command12", "选择科目", &QueryCentreWindow::chooseAccountClicked},
                   {"Command13", "打印", &QueryCentreWindow::printClicked},
                   {"Command10", "预览", &QueryCentreWindow::previewClicked},
                   {"Command11", "EXCEL帐页", &QueryCentreWindow::ledgerPagesClicked},
                   {"Command4", "导出EXCEL", &QueryCentreWindow::exportClicked},
                   {"Command6", "退出", nullptr}};
    QHash<QString, QPushButton*> made;
    for (const auto& entry : buttons) {
        QPushButton* button = makeButton(QString::fromLatin1(entry.name), QString::fromUtf8(entry.caption), this);
        made.insert(QString::fromLatin1(entry.name), button);
        if (entry.handler)
            connect(button, &QPushButton::clicked, this,
                    [this, handler = entry.handler] { guarded([this, handler] { (this->*handler)(); }); });
    }
    made.value(QStringLiteral("Command11"))->setToolTip(QStringLiteral("三,数,多栏式(EXCEL格式帐页)"));
    connect(made.value(QStringLiteral("Command6")), &QPushButton::clicked, this, [this] { closeWorkWindow(this); });

    auto* views = new QHBoxLayout;
    for (const char* name : {"Command1", "Command14", "Command2", "Command3", "Command5"})
        views->addWidget(made.value(QString::fromLatin1(name)));
    views->addWidget(makeLabel(QStringLiteral("Label1"), QStringLiteral("月"), this));
    views->addWidget(m_period);
    views->addWidget(makeLabel(QStringLiteral("Label2"), QStringLiteral("级数"), this));
    views->addWidget(m_level);
    views->addStretch();

    auto* account = new QHBoxLayout;
    account->addWidget(made.value(QStringLiteral("Command12")));
    for (QLineEdit* box : {m_code, m_fullName, m_direction, m_unit, m_levelOneName})
        account->addWidget(box);
    for (QAbstractButton* format : m_formats->buttons())
        account->addWidget(format);
    account->addWidget(m_codeOrder);

    auto* commands = new QHBoxLayout;
    for (const char* name : {"Command7", "Command9", "Command8", "Command13", "Command10", "Command11", "Command4"})
        commands->addWidget(made.value(QString::fromLatin1(name)));
    commands->addWidget(makeLabel(QStringLiteral("Label5"), QStringLiteral("左边CM"), this));
    commands->addWidget(m_leftMargin);
    commands->addStretch();
    commands->addWidget(made.value(QStringLiteral("Command6")));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(views);
    layout->addLayout(account);
    layout->addLayout(commands);
    layout->addWidget(m_result);
    layout->addWidget(m_grid, 1);

    foldDigitsAsTyped(m_code);
    connect(m_code, &QLineEdit::textChanged, this, [this] { guarded([this] { showAccountDetails(); }); });
}

int QueryCentreWindow::fiscalYear() const
{
    return loginState().fiscalYear;
}

LedgerView QueryCentreWindow::view() const
{
    return m_view;
}

void QueryCentreWindow::setView(LedgerView view)
{
    m_view = view;
    m_mode->setText(view == LedgerView::None ? QString() : QString::number(int(view)));
}

// The option buttons hold the chosen format themselves; this reads it typed.
QueryCentreWindow::LedgerFormat QueryCentreWindow::format() const
{
    return LedgerFormat(m_formats->checkedId());
}

void QueryCentreWindow::setAccountCode(const QString& code)
{
    m_code->setText(code);
}

void QueryCentreWindow::showAccountDetails()
{
    const QString code = m_code->text().trimmed();
    if (code.isEmpty())
        return;
    if (const std::optional<LedgerAccount> account = ledgerAccount(code))
        showAccount(*account);
    else
        m_fullName->clear();
}

void QueryCentreWindow::showAccount(const LedgerAccount& account)
{
    m_fullName->setText(account.fullName);
    m_direction->setText(account.direction);
    m_unit->setText(account.unit);
    m_levelOneName->setText(account.levelOneName);
}

void QueryCentreWindow::showCount(const QString& prefix, const QString& suffix)
{
    m_result->setText(prefix + QString::number(m_grid->model() ? m_grid->model()->rowCount() : 0) + suffix);
}

void QueryCentreWindow::journalClicked()
{
    const QString period = m_period->currentText();
    setView(LedgerView::Journal);
    if (const auto refusal = buildJournal(fiscalYear(), period)) {
        clearResultGrid(m_grid);
        showMessage(*refusal);
        return;
    }
    // The rows shown so far go before the new ones are read: a month holds some 80,000 lines.
    clearResultGrid(m_grid);
    showInResultGrid(m_grid, journalRows(), kJournalLayout);
    showCount(period + QStringLiteral(" 月份分录明细      共"));
}

void QueryCentreWindow::filteredJournalClicked()
{
    setView(LedgerView::Journal);
    if (!buildFilteredJournal(fiscalYear(), m_code->text()))
        return;
    clearResultGrid(m_grid);
    showInResultGrid(m_grid, journalRows(), kJournalLayout);
    showCount(m_code->text() + QStringLiteral(" 开头的所有明细数据 共"));
}

void QueryCentreWindow::accountSummaryClicked()
{
    const QString month = m_period->currentText();
    setView(LedgerView::AccountSummary);
    if (const auto refusal = buildAccountSummary(fiscalYear(), month)) {
        showMessage(*refusal);
        return;
    }
    showInResultGrid(m_grid, accountSummaryRows(), kSummaryLayout);
    showCount(month + QStringLiteral(" 月份科目汇总表      共"));
}

bool QueryCentreWindow::balanceView(bool amountsOnly)
{
    const QString month = m_period->currentText();
    const std::optional<Message> refusal = buildBalanceTable(fiscalYear(), month, m_level->currentText());
    if (refusal)
        showMessage(*refusal);
    const RecordSet rows = balanceTableRows();
    if (!rows.isEmpty())
        showInResultGrid(m_grid, rows, balanceLayout(amountsOnly));
    return month != QStringLiteral("年初") && month != QStringLiteral("全部");
}

void QueryCentreWindow::amountBalanceClicked()
{
    setView(LedgerView::AmountBalance);
    if (balanceView(true))
        showCount(m_period->currentText() + QStringLiteral(" 月份金额式余额表      共"));
}

void QueryCentreWindow::quantityBalanceClicked()
{
    setView(LedgerView::QuantityBalance);
    if (balanceView(false))
        showCount(m_period->currentText() + QStringLiteral(" 月份数量式余额      共"));
}

void QueryCentreWindow::queryClicked()
{
    // The three-column tables are emptied whatever the format, the others before their own build.
    clearLedger(PagedLedger::ThreeColumn);
    const LedgerFormat chosen = format();
    if (chosen == LedgerFormat::None) {
        showMessage(QStringLiteral("请选择帐簿格式"));
        return;
    }
    clearResultGrid(m_grid);
    const int year = fiscalYear();
    const QString code = m_code->text();
    const QString direction = m_direction->text();
    switch (chosen) {
    case LedgerFormat::ThreeColumn:
        setView(LedgerView::DetailLedger);
        showInResultGrid(m_grid, buildDetailLedger(year, code, direction), kThreeColumnLayout);
        showCount(QStringLiteral("三栏式  明细帐   共"));
        break;
    case LedgerFormat::General:
        setView(LedgerView::GeneralLedger);
        showInResultGrid(m_grid, buildGeneralLedger(year, code, direction), kThreeColumnLayout);
        showCount(QStringLiteral("三栏式  总帐   共"));
        break;
    case LedgerFormat::Quantity:
        setView(LedgerView::QuantityLedger);
        clearLedger(PagedLedger::Quantity);
        buildQuantityLedger(year, code, direction);
        showInResultGrid(m_grid, quantityLedgerRows(), kQuantityLayout);
        showCount(QStringLiteral("数量式  明细帐   共"));
        break;
    case LedgerFormat::MultiColumn:
        setView(LedgerView::MultiColumnLedger);
        if (const auto refusal = buildMultiColumnRows(code, m_codeOrder->isChecked()))
            showMessage(*refusal);
        showInResultGrid(m_grid, buildMultiColumnPivot(year, code, direction), kMultiColumnLayout, CellFormat::Amount);
        showCount(QStringLiteral("多栏式  明细帐   共"));
        break;
    case LedgerFormat::FixedAsset:
        clearLedger(PagedLedger::FixedAsset);
        setView(LedgerView::FixedAssetLedger);
        if (const auto refusal = buildFixedAssetLedger(year, code, direction))
            showMessage(*refusal);
        showInResultGrid(m_grid, fixedAssetLedgerRows(), kFixedAssetLayout);
        showCount(QStringLiteral("固累式  明细帐   共"));
        break;
    case LedgerFormat::None:  // refused above
        break;
    }
    progressSpin();
}

void QueryCentreWindow::stepAccount(bool forward)
{
    const bool levelOneOnly = format() == LedgerFormat::General;
    const std::optional<LedgerAccount> account = forward ? nextLedgerAccount(m_code->text(), levelOneOnly)
                                                         : previousLedgerAccount(m_code->text(), levelOneOnly);
    if (!account) {
        showMessage(QStringLiteral("没有了"), QStringLiteral("QM505"), MessageIcon::Stop);
        return;
    }
    m_code->setText(account->code);
    showAccount(*account);
    queryClicked();
}

void QueryCentreWindow::nextAccountClicked()
{
    stepAccount(true);
}

void QueryCentreWindow::previousAccountClicked()
{
    stepAccount(false);
}

void QueryCentreWindow::chooseAccountClicked()
{
    QueryAccountPicker picker(this);
    execDialog(picker);
    if (picker.pickedCode().isEmpty())
        return;
    m_code->setText(picker.pickedCode());
    if (const std::optional<LedgerAccount> account = ledgerAccount(picker.pickedCode()))
        showAccount(*account);
}

LedgerOutput QueryCentreWindow::output() const
{
    LedgerOutput out;
    out.view = view();
    out.code = m_code->text();
    out.fullName = m_fullName->text();
    out.unit = m_unit->text();
    out.levelOneName = m_levelOneName->text();
    out.period = m_period->currentText();
    out.leftMarginCm = m_leftMargin->text();
    out.detailFormat = format() == LedgerFormat::ThreeColumn;
    return out;
}

bool QueryCentreWindow::outputChecks(const QString& emptyMessage, bool toPrinter)
{
    if (m_view == LedgerView::None) {
        showMessage(emptyMessage, QStringLiteral("QM505"), MessageIcon::Exclamation);
        return false;
    }
    // Only printing straight away needs a printer: a preview prints from its own window or
    // saves a PDF, and ledger pages are a workbook.
    if (toPrinter && !printerInstalled()) {
        showMessage(QStringLiteral("你电脑上没有安装打印机!! "), QStringLiteral("QM505提示 "), MessageIcon::Information);
        return false;
    }
    return true;
}

void QueryCentreWindow::printClicked()
{
    if (!outputChecks(QStringLiteral("请先[查询]"), true))
        return;
    const LedgerOutput out = output();
    if (out.view == LedgerView::MultiColumnLedger)
        showMessage(QStringLiteral("多栏帐还没有完成,不能直接打印"));
    else
        outputLedgerReport(out, false);
    setView(LedgerView::None);
}

void QueryCentreWindow::previewClicked()
{
    if (!outputChecks(QStringLiteral("请先[查询]"), false))
        return;
    const LedgerOutput out = output();
    if (out.view == LedgerView::MultiColumnLedger)
        exportLedgerPages(out);
    else
        outputLedgerReport(out, true);
    setView(LedgerView::None);
}

void QueryCentreWindow::ledgerPagesClicked()
{
    if (!outputChecks(QStringLiteral("请先查询数据"), false))
        return;
    exportLedgerPages(output());
}

void QueryCentreWindow::exportClicked()
{
    if (m_view == LedgerView::None)
        return;
    if (showMessage(QStringLiteral("是否导出到EXCEL工作表？"), QStringLiteral("QM505"), MessageIcon::None,
                    MessageButtons::YesNo)
        != MessageAnswer::Yes)
        return;
    const QString statement = viewExportStatement(view());
    if (!statement.isEmpty())
        exportRecordsetToExcel(statement);
}

}  // namespace qm
