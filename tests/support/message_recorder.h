#pragma once

// Answers every message box in place of the user and keeps what was shown.

#include "data/message_box.h"

#include <QList>
#include <QQueue>

namespace qm::test {

class MessageRecorder {
public:
    MessageRecorder()
    {
        m_previous = setMessageHandler([this](const Message& message) {
            messages.append(message);
            if (message.buttons == MessageButtons::Ok)
                return MessageAnswer::Ok;
            return answers.isEmpty() ? MessageAnswer::Yes : answers.dequeue();
        });
    }
    ~MessageRecorder() { setMessageHandler(m_previous); }

    QStringList texts() const
    {
        QStringList result;
        for (const Message& message : messages)
            result << message.text;
        return result;
    }

    QList<Message> messages;
    QQueue<MessageAnswer> answers;  // for Yes/No questions; Yes when empty

private:
    MessageHandler m_previous;
};

}  // namespace qm::test
