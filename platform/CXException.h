// Errors the document file layer throws: a base every handler can catch, a file
// error carrying the system's error code and an archive error carrying a file name.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace twinseek {

// Thrown by value; catching CXException (or std::exception) catches all of them.
class CXException : public std::exception {
public:
    ~CXException() override = default;

    virtual uint32_t GetCause() const = 0;
    virtual std::string GetErrorMessage() const = 0;
    const char* what() const noexcept override { return message.c_str(); }

    uint32_t cause = 0;
    std::string message;

protected:
    CXException(uint32_t cause, std::string message);
    CXException(const CXException&) = default;
    CXException& operator=(const CXException&) = default;
};

// A failed system call: cause is its errno, message the system's text for it
// (empty when the system has none for that code).
class CXFileException : public CXException {
public:
    explicit CXFileException(int errorCode);

    uint32_t GetCause() const override { return cause; }
    std::string GetErrorMessage() const override { return message; }

    // The system's text for errorCode, or empty when it has none.
    static std::string SystemMessage(int errorCode);
};

// A failed archive operation on the file called fileName (last path component).
class CXArchiveException : public CXException {
public:
    enum Cause : uint32_t { None = 0, Generic = 1, ReadOnly = 2, EndOfFile = 3, WriteOnly = 4 };

    // The message is the cause's fixed text, then ": " and detail when given.
    CXArchiveException(uint32_t cause, std::string fileName, const std::string& detail = {});

    uint32_t GetCause() const override { return cause; }
    std::string GetErrorMessage() const override { return message; }

    // The fixed text for an archive cause.
    static const char* CauseMessage(uint32_t cause);

    std::string fileName;
};

}  // namespace twinseek
