#pragma once

// Every message box of the program goes through showMessage, so that tests can answer it.

#include "message.h"

#include <functional>

namespace qm {

MessageAnswer showMessage(const Message& message);
MessageAnswer showMessage(const QString& text, const QString& title = QStringLiteral("QM505"),
                          MessageIcon icon = MessageIcon::None,
                          MessageButtons buttons = MessageButtons::Ok);

using MessageHandler = std::function<MessageAnswer(const Message&)>;
// Returns the handler it replaces; an empty handler restores the real message box.
MessageHandler setMessageHandler(MessageHandler handler);

// Runs one event handler's work; an error it throws is shown in a message box and the program
// goes on. No exception crosses the event loop. A save the disk could not confirm is told after.
void guarded(const std::function<void()>& work);
// Tells of a save the disk could not confirm, once, if there was one not told yet.
void showUnconfirmedSaveWarning();

}  // namespace qm
