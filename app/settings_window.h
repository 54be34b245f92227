#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace qm {

// Settings and maintenance: fiscal year and account-set name, operator and password, the backup
// folder, backup, restore, compaction, the year-end carry-forward, clearing a year, and the way
// to the opening balances.
class SettingsWindow : public QDialog {
    Q_OBJECT

public:
    explicit SettingsWindow(QWidget* parent = nullptr);
    bool openingBalancesRequested() const { return m_openingRequested; }

    void editClicked();
    void saveYearClicked();
    void renameClicked();
    void passwordClicked();
    void chooseFolderClicked();
    void backupClicked();
    void restoreClicked();
    void compactClicked();
    void carryForwardClicked();
    void clearYearClicked();

signals:
    void yearChanged(int year);
    void operatorRenamed(const QString& name);

private:
    void load();

    QComboBox* m_year;
    QLineEdit* m_unitName;
    QPushButton* m_saveYear;
    QLineEdit* m_operator;
    QLineEdit* m_newOperator;
    QLineEdit* m_password;
    QLineEdit* m_newPassword;
    QLineEdit* m_repeatedPassword;
    QLineEdit* m_backupFolder;
    bool m_openingRequested = false;
};

}  // namespace qm
