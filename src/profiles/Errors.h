#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// Every failure in Tavrin is thrown as a TavrinError (or a subclass). Its
// localizedDescription() is the sentence the user sees in a log or status line.
class TavrinError : public std::exception {
public:
    explicit TavrinError(QString message);
    ~TavrinError() override;

    QString localizedDescription() const { return m_message; }
    const char* what() const noexcept override;

private:
    QString m_message;
    mutable QByteArray m_utf8;
};

// A file-system failure (read, write, copy, remove, create directory).
class FileError : public TavrinError {
public:
    using TavrinError::TavrinError;
};

// JSON that could not be parsed or decoded.
class JsonError : public TavrinError {
public:
    using TavrinError::TavrinError;
};

// A child process that could not be started, or had to be stopped.
class ProcessError : public TavrinError {
public:
    using TavrinError::TavrinError;
};

// A URL request that failed in transport.
class NetworkError : public TavrinError {
public:
    using TavrinError::TavrinError;
};

// The description of any exception, for log and status lines.
QString describeError(std::exception_ptr error);

// "prefix: detail", or "prefix." when the detail is empty.
QString prefixedMessage(const QString& prefix, const QString& detail);

// A sentence without the white space at its ends and its final full stops, to be set
// inside another sentence.
QString withoutFinalStop(QString text);
