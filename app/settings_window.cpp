#include "settings_window.h"

#include "database_maintenance.h"
#include "settings_store.h"
#include "year_end.h"
#include "data/choosers.h"
#include "data/database.h"
#include "data/db_error.h"
#include "data/fiscal_year.h"
#include "data/login.h"
#include "data/controls.h"
#include "data/message_box.h"
#include "data/process.h"
#include "data/window_helpers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm {

namespace {

bool askYes(const QString& text, const QString& title)
{
    return showMessage(text, title, MessageIcon::None, MessageButtons::YesNo) == MessageAnswer::Yes;
}

}  // namespace

SettingsWindow::SettingsWindow(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    keepOpenOnEscape(this);
    setWindowTitle(QStringLiteral("信息设置"));

    m_year = new QComboBox(this);
    m_year->setObjectName(QStringLiteral("Combo1"));
    // A year may be typed as well as picked; saving checks it.
    m_year->setEditable(true);
    m_unitName = makeLineEdit(QStringLiteral("Text1"), this);
    m_operator = makeLineEdit(QStringLiteral("Text2"), this);
    m_operator->setEnabled(false);
    m_newOperator = makeLineEdit(QStringLiteral("Text3"), this);
    m_password = makeLineEdit(QStringLiteral("Text4"), this);
    m_password->setEnabled(false);
    m_newPassword = makeLineEdit(QStringLiteral("Text5"), this);
    m_repeatedPassword = makeLineEdit(QStringLiteral("Text6"), this);
    for (QLineEdit* masked : {m_password, m_newPassword, m_repeatedPassword})
        makePasswordBox(masked);
    m_backupFolder = makeLineEdit(QStringLiteral("Text7"), this);

    QPushButton* buttonsByName[13] = {};
    const struct {
        int number;
        const char* caption;
        void (SettingsWindow::*handler)();
    } buttonList[] = {{1, "修改", &SettingsWindow::editClicked},          {2, "保存", &SettingsWindow::saveYearClicked},
                      {4, "保存", &SettingsWindow::renameClicked},        {6, "保存", &SettingsWindow::passwordClicked},
                      {9, "更改..", &SettingsWindow::chooseFolderClicked}, {8, "数据备份", &SettingsWindow::backupClicked},
                      {10, "备份数据导入", &SettingsWindow::restoreClicked}, {5, "压缩修复数据库", &SettingsWindow::compactClicked},
                      {12, "年度过帐", &SettingsWindow::carryForwardClicked}, {11, "系统初始化", &SettingsWindow::clearYearClicked},
                      {3, "年初余额", nullptr},                            {7, "关  闭", nullptr}};
    for (const auto& entry : buttonList) {
        QPushButton* button =
            makeButton(QStringLiteral("Command%1").arg(entry.number), QString::fromUtf8(entry.caption), this);
        buttonsByName[entry.number] = button;
        if (entry.handler)
            connect(button, &QPushButton::clicked, this,
                    [this, handler = entry.handler] { guarded([this, handler] { (this->*handler)(); }); });
    }
    connect(buttonsByName[3], &QPushButton::clicked, this, [this] {
        m_openingRequested = true;
        accept();
    });
    connect(buttonsByName[7], &QPushButton::clicked, this, &QDialog::reject);
    m_saveYear = buttonsByName[2];

    auto* yearBox = new QGroupBox(this);
    auto* yearLayout = new QGridLayout(yearBox);
    yearLayout->addWidget(new QLabel(QStringLiteral("会计年度"), this), 0, 0);
    yearLayout->addWidget(m_year, 0, 1);
    yearLayout->addWidget(new QLabel(QStringLiteral("单位名称"), this), 1, 0);
    yearLayout->addWidget(m_unitName, 1, 1);
    yearLayout->addWidget(buttonsByName[1], 0, 2);
    yearLayout->addWidget(buttonsByName[2], 1, 2);

    auto* operatorBox = new QGroupBox(this);
    auto* operatorLayout = new QGridLayout(operatorBox);
    operatorLayout->addWidget(new QLabel(QStringLiteral("原操作员"), this), 0, 0);
    operatorLayout->addWidget(m_operator, 0, 1);
    operatorLayout->addWidget(new QLabel(QStringLiteral("新操作员"), this), 1, 0);
    operatorLayout->addWidget(m_newOperator, 1, 1);
    operatorLayout->addWidget(buttonsByName[4], 1, 2);

    auto* passwordBox = new QGroupBox(this);
    auto* passwordLayout = new QGridLayout(passwordBox);
    passwordLayout->addWidget(new QLabel(QStringLiteral("原密码"), this), 0, 0);
    passwordLayout->addWidget(m_password, 0, 1);
    passwordLayout->addWidget(new QLabel(QStringLiteral("新密码"), this), 1, 0);
    passwordLayout->addWidget(m_newPassword, 1, 1);
    passwordLayout->addWidget(new QLabel(QStringLiteral("新密码"), this), 2, 0);
    passwordLayout->addWidget(m_repeatedPassword, 2, 1);
    passwordLayout->addWidget(buttonsByName[6], 2, 2);

    auto* folderLayout = new QHBoxLayout;
    folderLayout->addWidget(new QLabel(QStringLiteral("备份路径"), this));
    folderLayout->addWidget(m_backupFolder, 1);
    folderLayout->addWidget(buttonsByName[9]);

    auto* maintenance = new QGridLayout;
    maintenance->addWidget(buttonsByName[8], 0, 0);
    maintenance->addWidget(buttonsByName[10], 0, 1);
    maintenance->addWidget(buttonsByName[5], 0, 2);
    maintenance->addWidget(buttonsByName[12], 1, 0);
    maintenance->addWidget(buttonsByName[11], 1, 1);
    maintenance->addWidget(buttonsByName[3], 1, 2);
    maintenance->addWidget(buttonsByName[7], 2, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(yearBox);
    layout->addWidget(operatorBox);
    layout->addWidget(passwordBox);
    layout->addLayout(folderLayout);
    layout->addLayout(maintenance);

    guarded([this] { load(); });
}

void SettingsWindow::load()
{
    m_operator->setText(loginState().operatorName);
    m_password->setText(loginState().operatorPassword);
    const StoredSettings settings = readStoredSettings();
    m_unitName->setText(settings.unitName);
    m_backupFolder->setText(settings.backupFolder);
    for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year)
        m_year->addItem(QString::number(year));
    m_year->setCurrentIndex(-1);
    m_year->setEnabled(false);
    m_unitName->setEnabled(false);
    m_saveYear->setEnabled(false);
}

void SettingsWindow::editClicked()
{
    m_year->setEnabled(true);
    m_unitName->setEnabled(true);
    m_saveYear->setEnabled(true);
}

void SettingsWindow::saveYearClicked()
{
    if (const auto refusal = saveYearAndUnitName(m_year->currentText(), m_unitName->text())) {
        showMessage(*refusal);
        return;
    }
    showMessage(QStringLiteral("年度\\单位保存成功"));
    m_year->setEnabled(false);
    m_unitName->setEnabled(false);
    emit yearChanged(loginState().fiscalYear);
}

void SettingsWindow::renameClicked()
{
    const QString newName = m_newOperator->text();
    if (const auto refusal = renameOperator(m_operator->text(), newName)) {
        showMessage(*refusal);
        if (refusal->icon == MessageIcon::Stop)
            m_newOperator->clear();
        return;
    }
    showMessage(QStringLiteral("修改成功"), QStringLiteral("提示"), MessageIcon::Exclamation);
    m_operator->setText(newName);
    m_newOperator->clear();
    emit operatorRenamed(newName);
}

void SettingsWindow::passwordClicked()
{
    const QString password = m_newPassword->text();
    if (const auto refusal = changePassword(m_operator->text(), password, m_repeatedPassword->text())) {
        showMessage(*refusal);
        if (!password.trimmed().isEmpty() && !m_repeatedPassword->text().trimmed().isEmpty()) {
            m_newPassword->clear();
            m_repeatedPassword->clear();
        }
        return;
    }
    showMessage(QStringLiteral("修改成功"), QStringLiteral("提示"), MessageIcon::Information);
    m_password->setText(password);
    m_newPassword->clear();
    m_repeatedPassword->clear();
}

void SettingsWindow::chooseFolderClicked()
{
    const QString chosen = chooseFolder(QStringLiteral("请选择一个备份文件夹>>>>>>点[确定]"));
    if (chosen.isEmpty())
        return;
    const QString previous = m_backupFolder->text();
    m_backupFolder->setText(chosen);
    if (!askYes(QStringLiteral("是否修改路径?"), QString())) {
        m_backupFolder->setText(previous);
        return;
    }
    saveBackupFolder(chosen);
    showMessage(QStringLiteral("已修改成功"), QString());
    closeConnection();
}

void SettingsWindow::backupClicked()
{
    const QString folder = m_backupFolder->text();
    if (const auto refusal = checkBackupFolder(folder)) {
        showMessage(*refusal);
        return;
    }
    const QDateTime now = QDateTime::currentDateTime();
    if (!askYes(QStringLiteral("是否备份 ") + QString::number(loginState().fiscalYear) + QStringLiteral(" 年度的数据?"),
                QStringLiteral("QM505")))
        return;
    backupDatabase(folder, now);
    showMessage(QStringLiteral("数据成功备份到: ") + folder + QStringLiteral(" 文件夹中"));
    accept();
}

void SettingsWindow::restoreClicked()
{
    if (!askYes(QStringLiteral("是否导入数据?导入时会替代原有数据"), QStringLiteral("提示信息"))
        || !askYes(QStringLiteral("最后一次提示:是否导入数据?"), QStringLiteral("最后一次提示")))
        return;
    // The backups are most likely where the backup button puts them.
    const QString file = chooseOpenFile(QStringLiteral("请选择文件"), QStringLiteral("BAM文件(*.bam)"),
                                        readStoredSettings().backupFolder);
    if (file.isEmpty()) {
        showMessage(QStringLiteral("请选择文件!"), QStringLiteral("请选择文件"), MessageIcon::Information);
        return;
    }
    if (!file.endsWith(QStringLiteral("bam"))) {
        showMessage(QStringLiteral("文件错误!!导入失败!"));
        return;
    }
    try {
        restoreDatabase(file);
    } catch (const BackupFileError& error) {
        showMessage(QStringLiteral("文件错误!!导入失败!\n") + error.text());
        return;
    } catch (const DbError& error) {
        showMessage(error.text(), QStringLiteral("QM505"), MessageIcon::Stop);
        return;
    }
    showMessage(QStringLiteral("导入文件成功!"), QStringLiteral("提示"), MessageIcon::Information);
    accept();
}

void SettingsWindow::compactClicked()
{
    const QString title = QStringLiteral("QM505提示 ");
    if (!askYes(QStringLiteral("压缩和修复数据库可以让系统轻装上阵,为了数据安全,压缩前一定要先做数据备份!请问你数据已经备份了吗?? "), title)
        || !askYes(QStringLiteral("你确定要压缩和修复当前数据库吗? 请一定要先做数据备份! "), title))
        return;
    try {
        compactDatabase(loginState().fiscalYear);
    } catch (const DbError& error) {
        showMessage(QStringLiteral("数据库压缩修复失败,原数据库未改动\n") + error.text(), QStringLiteral("QM505"),
                    MessageIcon::Stop);
        return;
    }
    showMessage(QStringLiteral("数据库压缩修复成功"));
    accept();
}

void SettingsWindow::carryForwardClicked()
{
    const int year = loginState().fiscalYear;
    if (const auto refusal = checkCarryForward(year)) {
        showMessage(*refusal);
        return;
    }
    if (showMessage(carryForwardQuestion()) != MessageAnswer::Yes)
        return;
    carryForward(year);
    emit yearChanged(year + 1);
    accept();
    showMessage(QStringLiteral("年度过帐成功"));
    // The program ends next, and shows nothing after: a save the disk could not confirm is told now.
    showUnconfirmedSaveWarning();
    endProcess();
}

void SettingsWindow::clearYearClicked()
{
    const int year = loginState().fiscalYear;
    if (showMessage(clearYearQuestion(year)) != MessageAnswer::Yes
        || showMessage(clearYearLastQuestion(year)) != MessageAnswer::Yes)
        return;
    clearYear(year);
    showMessage(QStringLiteral("初始化完成"));
    accept();
}

}  // namespace qm
