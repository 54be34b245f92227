#include "voucher_window.h"

#include "account_picker.h"
#include "cash_flow_picker.h"
#include "summary_picker.h"
#include "voucher_book.h"
#include "voucher_grid.h"
#include "voucher_posting.h"
#include "exchange_window.h"
#include "month_closing.h"
#include "data/dialog_runner.h"
#include "data/login.h"
#include "data/controls.h"
#include "data/message_box.h"
#include "data/window_helpers.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm {

VoucherWindow::VoucherWindow(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form15"));
    keepOpenOnEscape(this);
    setWindowTitle(QStringLiteral("QM505财务--凭证录入"));
    resize(1120, 620);

    auto* brand = makeLabel(QStringLiteral("Label1"), QStringLiteral("QM505"), this);
    auto* title = makeLabel(QStringLiteral("Label5"), QStringLiteral("记 帐 凭 证"), this);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.8);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);

    m_date = new QDateEdit(this);
    m_date->setObjectName(QStringLiteral("DTPicker1"));
    m_date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_date->setCalendarPopup(true);
    m_date->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    m_date->installEventFilter(this);
    m_word = new QComboBox(this);
    m_word->setObjectName(QStringLiteral("Combo2"));
    m_word->setEditable(true);
    m_word->addItems({QStringLiteral("记"), QStringLiteral("收"), QStringLiteral("付"), QStringLiteral("转")});
    m_word->setCurrentText(QStringLiteral("记"));
    m_number = makeLineEdit(QStringLiteral("Text4"), this);
    m_number->setMaximumWidth(80);
    installDigitsOnlyFilter(m_number);
    m_attachments = makeLineEdit(QStringLiteral("Text5"), this);
    m_attachments->setMaximumWidth(60);
    installDigitsOnlyFilter(m_attachments);
    m_preparer = makeLineEdit(QStringLiteral("Text3"), this);
    m_preparer->setReadOnly(true);
    m_preparer->setMaximumWidth(150);
    m_reviewer = new QComboBox(this);
    m_reviewer->setObjectName(QStringLiteral("Combo1"));
    m_reviewer->setEditable(true);
    m_reviewer->setMinimumWidth(150);
    m_numberLabel = makeLabel(QStringLiteral("Label7"), QStringLiteral("凭证号:"), this);
    m_numberLabel->setToolTip(QStringLiteral("点击取得最后新号码"));
    m_numberLabel->setCursor(Qt::PointingHandCursor);
    m_numberLabel->installEventFilter(this);

    auto* header = new QHBoxLayout;
    header->addWidget(m_date);
    header->addWidget(makeLabel(QStringLiteral("Label6"), QStringLiteral("凭证字:"), this));
    header->addWidget(m_word);
    header->addWidget(m_numberLabel);
    header->addWidget(m_number);
    header->addWidget(makeLabel(QStringLiteral("Label8"), QStringLiteral("附单据:"), this));
    header->addWidget(m_attachments);
    header->addStretch();

    m_grid = new VoucherGrid(this);

    m_debitTotal = makeLineEdit(QStringLiteral("Text1"), this);
    m_creditTotal = makeLineEdit(QStringLiteral("Text2"), this);
    for (QLineEdit* total : {m_debitTotal, m_creditTotal}) {
        total->setReadOnly(true);
        total->setAlignment(Qt::AlignRight);
        total->setMaximumWidth(140);
    }
    m_monthCash = makeLabel(QStringLiteral("Label2"), QString(), this);
    m_hints = makeLineEdit(QStringLiteral("Text6"), this);
    m_hints->setText(QStringLiteral("操作说明"));
    m_hints->setToolTip(QStringLiteral("简单操作说明"));
    m_hints->setReadOnly(true);
    m_hints->setMaximumWidth(80);
    m_hints->installEventFilter(this);

    auto* totals = new QHBoxLayout;
    totals->addWidget(m_monthCash);
    totals->addStretch();
    totals->addWidget(m_debitTotal);
    totals->addWidget(m_creditTotal);

    auto* people = new QHBoxLayout;
    people->addWidget(makeLabel(QStringLiteral("Label3"), QStringLiteral("操作员:"), this));
    people->addWidget(m_preparer);
    people->addWidget(makeLabel(QStringLiteral("Label4"), QStringLiteral("审核:"), this));
    people->addWidget(m_reviewer);
    people->addStretch();
    people->addWidget(m_hints);

    const struct {
        const char* name;
        const char* caption;
    } buttonList[] = {{"Command10", "首条"}, {"Command12", "上一"}, {"Command11", "下一"}, {"Command13", "末条"},
                      {"Command14", "保存记录"}, {"Command2", "插入"}, {"Command3", "修改"}, {"Command1", "删除"},
                      {"Command15", "刷新"}, {"Command16", "结帐"}, {"Command17", "反结"}, {"Command4", "期末调汇"},
                      {"Command18", "关闭"}};
    auto* buttons = new QHBoxLayout;
    for (const auto& entry : buttonList) {
        buttons->addWidget(makeButton(QString::fromLatin1(entry.name), QString::fromUtf8(entry.caption), this));
    }

    auto* top = new QHBoxLayout;
    top->addWidget(brand);
    top->addWidget(title, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(header);
    layout->addWidget(m_grid, 1);
    layout->addLayout(totals);
    layout->addLayout(people);
    layout->addLayout(buttons);

    auto onClick = [this](const char* name, void (VoucherWindow::*handler)()) {
        connect(findChild<QPushButton*>(QString::fromLatin1(name)), &QPushButton::clicked, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    onClick("Command10", &VoucherWindow::firstClicked);
    onClick("Command12", &VoucherWindow::previousClicked);
    onClick("Command11", &VoucherWindow::nextClicked);
    onClick("Command13", &VoucherWindow::lastClicked);
    onClick("Command15", &VoucherWindow::refreshClicked);
    onClick("Command16", &VoucherWindow::closeMonthClicked);
    onClick("Command17", &VoucherWindow::reopenMonthClicked);
    onClick("Command4", &VoucherWindow::exchangeAdjustmentClicked);
    auto onChange = [this](const char* name, VoucherChange change) {
        connect(findChild<QPushButton*>(QString::fromLatin1(name)), &QPushButton::clicked, this,
                [this, change] { guarded([this, change] { changeVoucher(change); }); });
    };
    onChange("Command14", VoucherChange::Save);
    onChange("Command2", VoucherChange::Insert);
    onChange("Command3", VoucherChange::Modify);
    onChange("Command1", VoucherChange::Delete);
    connect(findChild<QPushButton*>(QStringLiteral("Command18")), &QPushButton::clicked, this, &QDialog::reject);
    connect(m_grid, &VoucherGrid::cellsEdited, this, &VoucherWindow::showTotals);
    connect(m_grid, &VoucherGrid::pickerRequested, this,
            [this](int column, int row) { guarded([&] { openPicker(column, row); }); });

    guarded([this] { load(); });
}

int VoucherWindow::fiscalYear() const
{
    return loginState().fiscalYear;
}

int VoucherWindow::month() const
{
    return m_date->date().month();
}

void VoucherWindow::load()
{
    layOutGrid();
    m_preparer->setText(loginState().operatorName);
    m_reviewer->addItems(operatorNames());
    m_reviewer->setCurrentIndex(-1);
    m_reviewer->setEditText(QString());
    m_date->setDate(QDate(fiscalYear(), lastMonthWithEntries(fiscalYear()), 1));
}

void VoucherWindow::layOutGrid()
{
    m_grid->layOut();
    showTotals();
}

void VoucherWindow::showTotals()
{
    m_debitTotal->setText(m_grid->columnTotal(VoucherGrid::DebitColumn).formatted());
    m_creditTotal->setText(m_grid->columnTotal(VoucherGrid::CreditColumn).formatted());
}

void VoucherWindow::showMonthCash()
{
    m_monthCash->setText(monthCashLine(month(), monthCashBalance(fiscalYear(), month())));
}

void VoucherWindow::loadVoucher()
{
    if (const std::optional<LoadedVoucher> voucher = loadedVoucher()) {
        m_date->setDate(voucher->date);
        m_word->setCurrentText(voucher->word);
        m_number->setText(voucher->number);
        m_attachments->setText(voucher->attachments);
        m_preparer->setText(voucher->preparer);
        m_reviewer->setCurrentText(voucher->reviewer);
        m_grid->clearCells();
        m_grid->setRows(int(voucher->lines.size()) + 1);
        for (int i = 0; i < voucher->lines.size(); ++i) {
            const VoucherLineText& line = voucher->lines[i];
            const QString cells[] = {line.summary, line.account, line.quantity, line.debit,
                                     line.credit, line.cashFlowCode, line.cashFlowAmount};
            for (int column = VoucherGrid::SummaryColumn; column < VoucherGrid::ColumnCount; ++column)
                m_grid->setText(i + 1, column, cells[column - 1]);
        }
    } else {
        showMessage(m_number->text() + QStringLiteral(" 号凭证没有数据,注意凭证号"), QStringLiteral("QM505提示"),
                    MessageIcon::Exclamation);
    }
    layOutGrid();
}

void VoucherWindow::applyPageStep(const PageStep& step)
{
    if (step.numberText)
        m_number->setText(*step.numberText);
    if (step.refusal) {
        showMessage(*step.refusal);
        return;
    }
    loadVoucher();
}

void VoucherWindow::firstClicked()
{
    applyPageStep(pageFirst(fiscalYear(), month()));
}

void VoucherWindow::previousClicked()
{
    applyPageStep(pagePrevious(fiscalYear(), month(), m_number->text()));
}

void VoucherWindow::nextClicked()
{
    applyPageStep(pageNext(fiscalYear(), month(), m_number->text()));
}

void VoucherWindow::lastClicked()
{
    applyPageStep(pageLast(fiscalYear(), month()));
}

void VoucherWindow::refreshClicked()
{
    m_grid->clearCells();
    layOutGrid();
    showMonthCash();
}

void VoucherWindow::dateLeft()
{
    if (m_date->date().year() != fiscalYear()) {
        showMessage(QStringLiteral("会计年度不一致"));
        return;
    }
    showMonthCash();
}

void VoucherWindow::nextNumberClicked()
{
    m_number->setText(QString::number(lastVoucherNumber(fiscalYear(), month()) + 1));
}

void VoucherWindow::hintsClicked()
{
    showMessage(QStringLiteral("0.点[凭证号]即得当月最新号码\n\n"
                               "1.支持代码录入,双击或按F7出现选择窗口\n\n"
                               "2.通过查找凭证,输入(或修改)内容后,最后点[修改]/[插入]/[删除]\n\n"
                               "3.随时可以结帐与反结帐,但只有结帐报表才准确,注:*<12月份结帐也可以修插删>*"));
}

void VoucherWindow::openPicker(int column, int row)
{
    if (column == VoucherGrid::AccountColumn) {
        AccountPicker picker(m_grid, this);
        picker.setTargetRow(row);
        execDialog(picker);
    } else if (column == VoucherGrid::SummaryColumn) {
        SummaryPicker picker(m_grid, this);
        picker.setTargetRow(row);
        execDialog(picker);
    } else if (column == VoucherGrid::CashFlowCodeColumn) {
        CashFlowPicker picker(m_grid, this);
        picker.setTargetRow(row);
        execDialog(picker);
    }
}

void VoucherWindow::changeVoucher(VoucherChange change)
{
    const ParsedLines parsed = parseVoucherLines(m_grid->rowTexts());
    if (parsed.refusal) {
        showMessage(*parsed.refusal);
        return;
    }
    const VoucherDraft draft{m_date->date(), m_word->currentText(), m_number->text(), m_attachments->text(),
                             m_reviewer->currentText(), m_grid->text(1, VoucherGrid::SummaryColumn), parsed.lines,
                             parsed.rowWithoutAccount};
    const ChangeCheck check = checkVoucherChange(change, draft, fiscalYear());
    if (check.refusal) {
        showMessage(*check.refusal);
        return;
    }
    if (check.question && showMessage(*check.question) != MessageAnswer::Yes)
        return;
    const VoucherChangeDone done = applyVoucherChange(change, draft, fiscalYear(), loginState().operatorName);
    m_number->setText(done.numberText);
    showMessage(done.message);
    refreshClicked();
}

void VoucherWindow::closeMonthClicked()
{
    const ChangeCheck check = checkCloseMonth(m_date->date(), m_reviewer->currentText(), fiscalYear());
    if (check.refusal) {
        showMessage(*check.refusal);
        return;
    }
    const ClosingResult result =
        closeMonth(m_date->date(), m_reviewer->currentText(), loginState().operatorName, fiscalYear());
    showMessage(result.message);
    if (result.carried)
        refreshClicked();
}

void VoucherWindow::reopenMonthClicked()
{
    const ChangeCheck check = checkReopenMonth(month(), fiscalYear());
    if (check.refusal) {
        showMessage(*check.refusal);
        return;
    }
    if (showMessage(*check.question) != MessageAnswer::Yes)
        return;
    reopenMonth(month(), fiscalYear());
    refreshClicked();
    showMessage(QStringLiteral("已反结成功"), QStringLiteral("QM505提示"), MessageIcon::Information);
}

void VoucherWindow::exchangeAdjustmentClicked()
{
    if (const std::optional<Message> refusal = checkStartExchangeAdjustment(fiscalYear(), month(), m_number->text())) {
        showMessage(*refusal);
        return;
    }
    fillExchangeTable(fiscalYear(), month());
    ExchangeWindow adjustment({m_date->date(), m_word->currentText(), lastVoucherNumber(fiscalYear(), month()) + 1,
                               loginState().operatorName},
                              this);
    execDialog(adjustment);
}

bool VoucherWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_date && event->type() == QEvent::FocusOut
        && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        guarded([this] { dateLeft(); });
    else if (watched == m_numberLabel && event->type() == QEvent::MouseButtonRelease)
        guarded([this] { nextNumberClicked(); });
    else if (watched == m_hints && event->type() == QEvent::MouseButtonRelease)
        hintsClicked();
    return QDialog::eventFilter(watched, event);
}

}  // namespace qm
