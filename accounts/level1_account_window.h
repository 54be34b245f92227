#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace qm {

// Adds one level-1 account; closes after the confirmation question, whatever the answer.
class Level1AccountWindow : public QDialog {
    Q_OBJECT

public:
    explicit Level1AccountWindow(QWidget* parent = nullptr);
    void addClicked();

private:
    QLineEdit* m_code;
    QLineEdit* m_name;
    QComboBox* m_direction;
};

}  // namespace qm
