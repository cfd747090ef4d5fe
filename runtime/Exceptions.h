#pragma once
// The exception classes of the component runtime. Every failure that the
// runtime raises is one of these, carrying a readable message.

#include "QulCoreExport.h"
#include <QString>
#include <exception>

class QUL_CORE_EXPORT Exception : public std::exception {
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &Message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A dataset or field used the wrong way (a missing field, a bad state).
class QUL_CORE_EXPORT EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// A statement or connection that the database refused. `Transient`: the
// statement itself may be fine (the connection was lost, another session
// held what it needed, its time ran out), so trying again may succeed.
class QUL_CORE_EXPORT EADOError : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
    EADOError(QString message, bool transient) : EDatabaseError(std::move(message)), m_transient(transient) {}
    bool Transient() const { return m_transient; }

private:
    bool m_transient = false;
};

// A value that cannot be converted to the type asked for.
class QUL_CORE_EXPORT EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Ends an operation after whoever raised it has already told the user; a
// handler that shows every exception shows this text.
class QUL_CORE_EXPORT EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operação interrompida.")) {}
};

// The message of any exception, for reports.
inline QString exceptionMessage(const std::exception &e)
{
    if (auto *ex = dynamic_cast<const Exception *>(&e))
        return ex->Message();
    return QString::fromUtf8(e.what());
}
