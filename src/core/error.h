#pragma once

#include <QString>
#include <exception>

namespace velmora {

// Base of every error Velmora raises. The message is the exact text the user sees.
class EVelmoraError : public std::exception
{
public:
    explicit EVelmoraError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace velmora
