#include "voucher_print_window.h"

#include "voucher_print.h"
#include "data/controls.h"
#include "data/login.h"
#include "data/message_box.h"
#include "data/number_format.h"
#include "data/printer.h"
#include "data/window_helpers.h"
#include "report/report.h"

#include <QCheckBox>
#include <QEvent>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace qm {

namespace {

const QString kKey = QStringLiteral("QMPZ0");

QSettings layoutSettings()
{
    return QSettings(QSettings::UserScope, QStringLiteral("QM505"), QStringLiteral("QM505"));
}

}  // namespace

ReportLayout voucherReportLayout(const VoucherPrint& print, const QString& unitName)
{
    const bool hasLines = !print.lines.isEmpty();
    auto first = [&](const char* field) { return hasLines ? print.lines.value(0, QString::fromUtf8(field)) : QVariant(); };
    const QDate date = QDate::fromString(first("日期").toString(), Qt::ISODate);

    ReportLayout layout;
    layout.caption = QStringLiteral("凭证打印");
    layout.onePreview = true;
    layout.width = 9700;
    layout.pointSize = 10.5;
    layout.groupField = QStringLiteral("月");
    constexpr Qt::Alignment centre = Qt::AlignCenter;
    constexpr Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    layout.pageHeader.height = 1470;
    ReportText title = reportText(QStringLiteral("记 帐 凭 证"), 3402, 50, 2835, 450, centre);
    title.pointSize = 18;
    layout.pageHeader.texts = {
        title,
        reportText(QStringLiteral("日期:  ") + (date.isValid() ? date.toString(QStringLiteral("yyyy年MM月dd日")) : QString()), 3402, 650,
             2835, 330, centre),
        reportText(QStringLiteral(" 单位:") + unitName, 0, 720, 3402, 255),
        reportText(hasLines ? first("字号").toString() + QStringLiteral(" 字第") + first("号码").toString() + QStringLiteral("号(%p/%P)")
                            : QString(),
                   7500, 680, 1920, 300, right),
        reportText(QStringLiteral("摘要说明"), 0, 1100, 1695, 300, centre),
        reportText(QStringLiteral("科 目 名 称"), 1701, 1100, 3405, 300, centre),
        reportText(QStringLiteral("数 量"), 5102, 1100, 945, 300, centre),
        reportText(QStringLiteral("借方金额"), 6120, 1100, 1680, 300, centre),
        reportText(QStringLiteral("贷方金额"), 7880, 1100, 1680, 300, centre)};
    const std::vector<int> rules{0, 1701, 5102, 6100, 7880, 9638};
    layout.pageHeader.rules.append(ReportRule{0, 1080, 9638, 1080});
    layout.pageHeader.rules.append(ReportRule{0, 1420, 9638, 1420});
    for (int x : rules)
        layout.pageHeader.rules.append(ReportRule{x, 1080, x, 1420});
    layout.fields = {ReportField{QStringLiteral("摘要说明"), 50, 1640, Qt::AlignLeft | Qt::AlignVCenter, QString()},
                     ReportField{QStringLiteral("全称"), 1770, 3300, Qt::AlignLeft | Qt::AlignVCenter, QString()},
                     ReportField{QStringLiteral("数量"), 5120, 940, centre, QString()},
                     ReportField{QStringLiteral("借方金额"), 6120, 1670, right, QStringLiteral("#,##0.00")},
                     ReportField{QStringLiteral("贷方金额"), 7880, 1670, right, QStringLiteral("#,##0.00")}};
    // The summary and the account grow to show the whole text that was posted, the line as tall
    // as the taller of the two; six lines still fit a page.
    layout.fields[0].grows = true;
    layout.fields[1].grows = true;
    layout.linesPerPage = kVoucherLinesPerPage;
    layout.detail.height = 430;
    for (int x : rules)
        layout.detail.rules.append(ReportRule{x, 0, x, 430});
    layout.detail.rules.append(ReportRule{0, 430, 9638, 430});
    layout.groupFooter.height = 740;
    // A number without a voucher shows no attachments and no totals.
    layout.groupFooter.texts = {
        reportText(hasLines ? QStringLiteral("附单据 ") + first("附件").toString() + QStringLiteral(" 张") : QString(), 150, 100, 2220, 240),
        reportText(QStringLiteral("总  计"), 5102, 100, 795, 300, right),
        reportText(hasLines ? print.debitTotal.formatted() : QString(), 6120, 100, 1650, 300, right),
        reportText(hasLines ? print.creditTotal.formatted() : QString(), 7900, 100, 1650, 300, right),
        reportText(QStringLiteral("会计主管:"), 567, 500, 1440, 240),
        reportText(QStringLiteral("审核: ") + first("审核").toString(), 2835, 500, 1440, 240),
        reportText(QStringLiteral("记帐:"), 5600, 500, 1140, 240),
        reportText(QStringLiteral("制单: ") + first("制单").toString(), 7800, 500, 1710, 240)};
    layout.reportFooter.height = 225;
    return layout;
}

VoucherPrintWindow::VoucherPrintWindow(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("凭证打印"));

    m_month = new QComboBox(this);
    m_month->setObjectName(QStringLiteral("Combo1"));
    for (int month = 1; month <= 12; ++month)
        m_month->addItem(QString::number(month));
    m_from = makeLineEdit(QStringLiteral("Text1"), this);
    m_from->setText(QStringLiteral("1"));
    m_to = makeLineEdit(QStringLiteral("Text2"), this);
    m_to->setText(QStringLiteral("1"));
    installDigitsOnlyFilter(m_from);
    installDigitsOnlyFilter(m_to);

    QPushButton* preview = makeButton(QStringLiteral("Command1"), QStringLiteral("预览"), this);
    QPushButton* next = makeButton(QStringLiteral("Command2"), QStringLiteral("下一"), this);
    QPushButton* print = makeButton(QStringLiteral("Command3"), QStringLiteral("打印"), this);
    QPushButton* range = makeButton(QStringLiteral("Command4"), QStringLiteral("连续打印"), this);
    QPushButton* close = makeButton(QStringLiteral("Command5"), QStringLiteral("关  闭"), this);
    QPushButton* setup = makeButton(QStringLiteral("Command7"), QStringLiteral("打印设置"), this);

    m_settings = new QGroupBox(QStringLiteral("纸张方向和页边距设置"), this);
    m_settings->setObjectName(QStringLiteral("Frame1"));
    m_leftMargin = makeLineEdit(QStringLiteral("Text3"), m_settings);
    m_topMargin = makeLineEdit(QStringLiteral("Text4"), m_settings);
    m_landscape = new QCheckBox(QStringLiteral("横向纸张"), m_settings);
    m_landscape->setObjectName(QStringLiteral("Check1"));
    QPushButton* save = makeButton(QStringLiteral("Command6"), QStringLiteral("保存"), m_settings);
    auto* settingsLayout = new QGridLayout(m_settings);
    settingsLayout->addWidget(makeLabel(QStringLiteral("Label3"), QStringLiteral("左边CM"), m_settings), 0, 0);
    settingsLayout->addWidget(m_leftMargin, 0, 1);
    settingsLayout->addWidget(makeLabel(QStringLiteral("Label4"), QStringLiteral("上边CM"), m_settings), 1, 0);
    settingsLayout->addWidget(m_topMargin, 1, 1);
    settingsLayout->addWidget(m_landscape, 2, 0);
    settingsLayout->addWidget(save, 2, 1);
    m_settings->hide();

    auto* numbers = new QHBoxLayout;
    numbers->addWidget(makeLabel(QStringLiteral("Label1"), QStringLiteral("月份"), this));
    numbers->addWidget(m_month);
    numbers->addWidget(m_from);
    numbers->addWidget(makeLabel(QStringLiteral("Label2"), QStringLiteral("到"), this));
    numbers->addWidget(m_to);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {preview, next, print, range, setup, close})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(numbers);
    layout->addLayout(buttons);
    layout->addWidget(m_settings);

    connect(m_month, &QComboBox::activated, this, [this] { guarded([this] { monthChosen(); }); });
    connect(preview, &QPushButton::clicked, this, [this] { guarded([this] { previewClicked(); }); });
    connect(next, &QPushButton::clicked, this, [this] { guarded([this] { nextClicked(); }); });
    connect(print, &QPushButton::clicked, this, [this] { guarded([this] { printClicked(); }); });
    connect(range, &QPushButton::clicked, this, [this] { guarded([this] { rangeClicked(); }); });
    connect(save, &QPushButton::clicked, this, [this] { guarded([this] { saveSettingsClicked(); }); });
    connect(setup, &QPushButton::clicked, m_settings, &QWidget::show);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    QSettings settings = layoutSettings();
    m_leftMargin->setText(settings.value(QStringLiteral("text3/") + kKey).toString());
    m_topMargin->setText(settings.value(QStringLiteral("text4/") + kKey).toString());
    m_landscape->setChecked(settings.value(QStringLiteral("Check1/") + kKey).toString() == QStringLiteral("1"));
}

void VoucherPrintWindow::monthChosen()
{
    m_to->setText(QString::number(lastVoucherNumberOrOne(loginState().fiscalYear, m_month->currentText().toInt())));
}

bool VoucherPrintWindow::output(bool preview)
{
    // A preview needs no printer; printing straight away does.
    if (!preview && !printerInstalled()) {
        showMessage(QStringLiteral("你电脑上没有安装打印机!! "), QStringLiteral("QM505提示 "), MessageIcon::Information);
        return false;
    }
    if (const auto refusal = checkVoucherPrintRequest(m_month->currentText(), m_from->text())) {
        showMessage(*refusal);
        return false;
    }
    const VoucherPrint print = buildVoucherPrint(loginState().fiscalYear, m_month->currentText(), m_from->text());
    // A range skips the numbers that have no voucher rather than print an empty page.
    if (!preview && print.lines.isEmpty())
        return true;
    ReportLayout layout = voucherReportLayout(print, readSettingsRow().unitName);
    orientReport(layout, m_landscape->isChecked() ? Landscape : Portrait);
    // Each margin comes from its own box; one that is not a number keeps the layout's.
    if (const std::optional<double> left = readCentimetres(m_leftMargin->text()))
        layout.leftMargin = qRound(*left * 567);
    if (const std::optional<double> top = readCentimetres(m_topMargin->text()))
        layout.topMargin = qRound(*top * 567);
    outputReport(layout, print.lines, preview);
    return true;
}

void VoucherPrintWindow::previewClicked()
{
    output(true);
}

void VoucherPrintWindow::nextClicked()
{
    m_from->setText(QString::number(m_from->text().toInt() + 1));
    output(true);
}

void VoucherPrintWindow::printClicked()
{
    output(false);
}

void VoucherPrintWindow::rangeClicked()
{
    if (showMessage(QStringLiteral("是否进行连续打印凭证？"), QStringLiteral("QM505"), MessageIcon::None, MessageButtons::YesNo)
        != MessageAnswer::Yes)
        return;
    const int from = m_from->text().toInt();
    const int to = m_to->text().toInt();
    if (to < from) {
        showMessage(QStringLiteral("号码要前小后大"));
        return;
    }
    for (int number = from; number <= to; ++number) {
        m_from->setText(QString::number(number));
        if (!output(false))
            return;
    }
}

void VoucherPrintWindow::saveSettingsClicked()
{
    QSettings settings = layoutSettings();
    settings.setValue(QStringLiteral("text3/") + kKey, m_leftMargin->text());
    settings.setValue(QStringLiteral("text4/") + kKey, m_topMargin->text());
    settings.setValue(QStringLiteral("Check1/") + kKey, m_landscape->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    showMessage(QStringLiteral("保存OK"));
    m_settings->hide();
}

bool VoucherPrintWindow::event(QEvent* event)
{
    // Maximised whenever it is activated, from the menu or from the toolbar.
    if (event->type() == QEvent::WindowActivate && !(windowState() & Qt::WindowMaximized))
        setWindowState(windowState() | Qt::WindowMaximized);
    return QDialog::event(event);
}

}  // namespace qm
