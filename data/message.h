#pragma once

// What a work function hands back for the window to show: a refusal, a notice or a question.

#include <QString>
#include <optional>

namespace qm {

enum class MessageIcon { None, Stop, Exclamation, Information, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct Message {
    QString text;
    QString title = QStringLiteral("QM505");
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

// What a window does before a change: show the refusal and stop, or ask the question and go on
// only on Yes. Neither: go on.
struct ChangeCheck {
    std::optional<Message> refusal;
    std::optional<Message> question;
};

}  // namespace qm
