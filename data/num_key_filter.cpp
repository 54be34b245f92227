#include "num_key_filter.h"

namespace qm {

int numKeyFilter(int key, const std::optional<QString>& boxText)
{
    const bool isDigit = key >= '0' && key <= '9';
    const bool isSign = key == '-' || key == '.';
    if (boxText && key == '-' && !boxText->isEmpty())
        return 0;
    if (!isDigit && !isSign && key != kKeyBackspace && key != kKeyEnter)
        return 0;
    if (!boxText && isSign)
        return 0;
    const QString trimmed = boxText ? boxText->trimmed() : QString();
    if (boxText && key == '.' && !trimmed.isEmpty() && trimmed.contains(QLatin1Char('.')))
        return 0;
    return key;
}

}  // namespace qm
