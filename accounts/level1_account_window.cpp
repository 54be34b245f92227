#include "level1_account_window.h"

#include "chart.h"
#include "data/controls.h"
#include "data/message_box.h"
#include "data/window_helpers.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace qm {

Level1AccountWindow::Level1AccountWindow(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("增加总帐科目"));

    m_code = makeLineEdit(QStringLiteral("Text1"), this);
    installDigitsOnlyFilter(m_code);
    m_name = makeLineEdit(QStringLiteral("Text2"), this);
    m_direction = new QComboBox(this);
    m_direction->setObjectName(QStringLiteral("Combo1"));
    m_direction->addItems({QStringLiteral("借"), QStringLiteral("贷")});
    m_direction->setCurrentIndex(-1);
    QPushButton* add = makeButton(QStringLiteral("Command1"), QStringLiteral("增 加"), this);

    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("总帐代码"), m_code);
    layout->addRow(QStringLiteral("科目名称"), m_name);
    layout->addRow(QStringLiteral("方向"), m_direction);
    layout->addRow(add);

    connect(add, &QPushButton::clicked, this, [this] { guarded([this] { addClicked(); }); });
}

void Level1AccountWindow::addClicked()
{
    const NewLevel1Account account{m_code->text(), m_name->text(), m_direction->currentText()};
    const ChangeCheck check = checkAddLevel1Account(account);
    if (check.refusal) {
        showMessage(*check.refusal);
        return;
    }
    if (showMessage(*check.question) == MessageAnswer::Yes) {
        addLevel1Account(account);
        m_code->clear();
        m_name->clear();
        showMessage(QStringLiteral("增加科目成功"));
    }
    accept();
}

}  // namespace qm
