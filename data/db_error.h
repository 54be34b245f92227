#pragma once

#include <QString>
#include <stdexcept>

namespace qm {

// A statement that failed, or a database that could not be opened. Thrown by the data layer;
// the window handler's guard shows it.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

}  // namespace qm
