#pragma once

// What a work function hands back for the window to show: a refusal, a notice or a question.

#include <QString>

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

}  // namespace qm
