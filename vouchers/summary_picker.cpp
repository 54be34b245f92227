#include "summary_picker.h"

#include "picker_lists.h"
#include "voucher_grid.h"
#include "data/controls.h"
#include "data/message_box.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm {

SummaryPicker::SummaryPicker(VoucherGrid* target, QWidget* parent)
    : QDialog(parent), m_target(target)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("请双击选择摘要"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_phrase = makeLineEdit(QStringLiteral("Text2"), this);
    m_targetRowBox = makeLineEdit(QStringLiteral("Text3"), this);
    m_targetRowBox->hide();
    QPushButton* add = makeButton(QStringLiteral("Command1"), QStringLiteral("增补"), this);
    QPushButton* remove = makeButton(QStringLiteral("Command2"), QStringLiteral("删除"), this);
    QPushButton* close = makeButton(QStringLiteral("Command3"), QStringLiteral("关闭"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_phrase);
    layout->addLayout(buttons);
    resize(300, 400);

    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { m_phrase->setText(item->text()); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, &SummaryPicker::phraseDoubleClicked);
    connect(add, &QPushButton::clicked, this, [this] { guarded([this] { addClicked(); }); });
    connect(remove, &QPushButton::clicked, this, [this] { guarded([this] { deleteClicked(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    guarded([this] { loadList(); });
}

void SummaryPicker::setTargetRow(int row)
{
    m_targetRow = row;
    m_targetRowBox->setText(QString::number(row));
}

void SummaryPicker::loadList()
{
    m_list->clear();
    m_list->addItems(summaryPhrases());
}

void SummaryPicker::addClicked()
{
    if (const std::optional<Message> refusal = addSummaryPhrase(m_phrase->text())) {
        showMessage(*refusal);
        return;
    }
    m_phrase->clear();
    loadList();
}

void SummaryPicker::deleteClicked()
{
    const QString phrase = m_phrase->text();
    if (phrase.isEmpty()) {
        showMessage(QStringLiteral("请单击选择要删除的内容"));
        return;
    }
    if (showMessage(QStringLiteral("是否删除：") + phrase + QStringLiteral("?"), QStringLiteral("qm505"),
                    MessageIcon::None, MessageButtons::YesNo)
        != MessageAnswer::Yes)
        return;
    deleteSummaryPhrase(phrase);
    m_phrase->clear();
    loadList();
}

void SummaryPicker::phraseDoubleClicked(QListWidgetItem* item)
{
    const QString phrase = item->text();
    m_phrase->setText(phrase);
    if (!m_targetRow) {
        reject();
        return;
    }
    if (phrase.isEmpty())
        return;
    const int row = *m_targetRow;
    if (row >= 1 && row < m_target->rows())
        m_target->setText(row, VoucherGrid::SummaryColumn, phrase);
    m_phrase->clear();
    accept();
}

}  // namespace qm
