// The program's error type: every failure is an exception carrying the text
// shown to the user (Spanish, UTF-8). EAbort is the silent stop: whoever
// catches it at the top shows nothing, because the user was already told.
#pragma once
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    const std::string Message() const { return what(); }
};

class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

// Throws the silent stop.
[[noreturn]] inline void Abort() { throw EAbort(); }
