#include "message_box.h"

#include "database.h"
#include "db_error.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace qm {

namespace {

MessageHandler g_handler;

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

MessageAnswer showBox(const Message& message)
{
    QMessageBox box(boxIcon(message.icon), message.title, message.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    if (message.buttons == MessageButtons::YesNo) {
        box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        QAbstractButton* no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == no ? MessageAnswer::No : MessageAnswer::Yes;
    }
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.exec();
    return MessageAnswer::Ok;
}

}  // namespace

MessageAnswer showMessage(const Message& message)
{
    return g_handler ? g_handler(message) : showBox(message);
}

MessageAnswer showMessage(const QString& text, const QString& title, MessageIcon icon,
                          MessageButtons buttons)
{
    return showMessage(Message{text, title, icon, buttons});
}

MessageHandler setMessageHandler(MessageHandler handler)
{
    std::swap(g_handler, handler);
    return handler;
}

void guarded(const std::function<void()>& work)
{
    try {
        work();
    } catch (const DbError& error) {
        showMessage(error.text(), QStringLiteral("QM505"), MessageIcon::Stop);
    } catch (const std::exception& error) {
        showMessage(QString::fromStdString(error.what()), QStringLiteral("QM505"), MessageIcon::Stop);
    }
    // After the window has said the change is saved.
    showUnconfirmedSaveWarning();
}

void showUnconfirmedSaveWarning()
{
    if (const QString warning = takeUnconfirmedSaveWarning(); !warning.isEmpty())
        showMessage(warning, QStringLiteral("QM505"), MessageIcon::Exclamation);
}

}  // namespace qm
