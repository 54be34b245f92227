#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qm {

// The first window: operator, password and fiscal year. Accepted once an operator is logged in.
class LoginWindow : public QDialog {
    Q_OBJECT

public:
    explicit LoginWindow(QWidget* parent = nullptr);

private:
    void load();
    void logInClicked();

    QComboBox* m_operator;
    QLineEdit* m_password;
    QLineEdit* m_year;
    QLabel* m_unitName;
    QLabel* m_status;
};

}  // namespace qm
