#include "login_window.h"

#include "data/database.h"
#include "data/login.h"
#include "data/controls.h"
#include "data/message_box.h"
#include "data/process.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm {

namespace {

// The status label grows while the login finishes (2640 and 3100 twips).
constexpr int kStatusWidthStart = 176;
constexpr int kStatusWidthDone = 206;

}  // namespace

LoginWindow::LoginWindow(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("QM505系统登陆窗口(登陆后可以修改年度)"));

    m_unitName = new QLabel(this);
    m_unitName->setObjectName(QStringLiteral("unitName"));
    m_unitName->setAlignment(Qt::AlignCenter);
    QFont unitFont = m_unitName->font();
    unitFont.setPointSizeF(unitFont.pointSizeF() * 1.4);
    unitFont.setBold(true);
    m_unitName->setFont(unitFont);

    m_operator = new QComboBox(this);
    m_operator->setObjectName(QStringLiteral("Combo1"));
    m_operator->setEditable(true);
    m_operator->setInsertPolicy(QComboBox::NoInsert);
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("Text1"));
    makePasswordBox(m_password);
    m_year = new QLineEdit(this);
    m_year->setObjectName(QStringLiteral("Text2"));
    m_year->setMaxLength(4);

    m_status = new QLabel(QStringLiteral("数据库连接中...."), this);
    m_status->setObjectName(QStringLiteral("Label6"));
    m_status->setFixedWidth(kStatusWidthStart);

    QPushButton* ok = makeButton(QStringLiteral("Command1"), QStringLiteral("确定"), this);
    QPushButton* cancel = makeButton(QStringLiteral("Command2"), QStringLiteral("取消"), this);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("操作员"), this), 0, 0);
    fields->addWidget(m_operator, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("密 码"), this), 1, 0);
    fields->addWidget(m_password, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("年 度"), this), 2, 0);
    fields->addWidget(m_year, 2, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_unitName);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(ok, &QPushButton::clicked, this, [this] { guarded([this] { logInClicked(); }); });
    connect(cancel, &QPushButton::clicked, this, [] { endProcess(); });
    connect(m_password, &QLineEdit::returnPressed, this, [this] {
        if (!m_password->text().isEmpty())
            guarded([this] { logInClicked(); });
    });

    guarded([this] { load(); });
}

void LoginWindow::load()
{
    m_operator->addItems(operatorNames());
    m_operator->setCurrentIndex(-1);
    m_operator->setEditText(QString());
    const SettingsRow settings = readSettingsRow();
    m_year->setText(settings.yearText);
    loginState().unitName = settings.unitName;
    m_unitName->setText(settings.unitName);
    closeConnection();
}

void LoginWindow::logInClicked()
{
    if (const auto refusal = logIn(m_operator->currentText(), m_password->text(), m_year->text())) {
        showMessage(*refusal);
        return;
    }
    m_status->setFixedWidth(kStatusWidthDone);
    accept();
}

}  // namespace qm
