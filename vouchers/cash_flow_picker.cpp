#include "cash_flow_picker.h"

#include "picker_lists.h"
#include "voucher_grid.h"
#include "data/controls.h"
#include "data/message_box.h"

#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace qm {

CashFlowPicker::CashFlowPicker(VoucherGrid* target, QWidget* parent)
    : QDialog(parent), m_target(target)
{
    setObjectName(QStringLiteral("Form13"));
    setWindowTitle(QStringLiteral("双击选择项目"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_targetRowBox = makeLineEdit(QStringLiteral("Text1"), this);
    m_targetRowBox->hide();
    m_code = makeLineEdit(QStringLiteral("Text2"), this);
    m_code->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    resize(420, 480);

    connect(m_list, &QListWidget::itemDoubleClicked, this, &CashFlowPicker::itemDoubleClicked);
    guarded([this] { m_list->addItems(cashFlowItemEntries()); });
}

void CashFlowPicker::setTargetRow(int row)
{
    m_targetRow = row;
    m_targetRowBox->setText(QString::number(row));
}

void CashFlowPicker::itemDoubleClicked(QListWidgetItem* item)
{
    const QString code = item->text().left(3);
    m_code->setText(code);
    if (!m_targetRow)
        return;
    const int row = *m_targetRow;
    if (row >= 1 && row < m_target->rows())
        m_target->setText(row, VoucherGrid::CashFlowCodeColumn, code);
    m_code->clear();
    accept();
}

}  // namespace qm
