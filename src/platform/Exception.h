#pragma once
// The exception classes the whole program shares. Every failure is an exception that carries its
// message text; the application object shows the text of whatever reaches the event loop.

#include <stdexcept>
#include <string>

namespace vlz {

class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

class EOutOfMemory : public Exception {
  public:
    using Exception::Exception;
};

class EOutOfResources : public EOutOfMemory {
  public:
    using EOutOfMemory::EOutOfMemory;
};

// The range error of SetPixels-like setters.
class ERangeError : public Exception {
  public:
    ERangeError() : Exception("範囲チェックエラー") {}
};

// Stream failures: a short read, a failed write, a file that cannot be opened or created.
class EStreamError : public Exception {
  public:
    using Exception::Exception;
};

class EReadError : public EStreamError {
  public:
    using EStreamError::EStreamError;
};

class EWriteError : public EStreamError {
  public:
    using EStreamError::EStreamError;
};

class EFOpenError : public EStreamError {
  public:
    using EStreamError::EStreamError;
};

}  // namespace vlz
