// The root of every exception the program throws, with its message text.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
public:
  explicit Exception(std::string message) : Message(std::move(message)) {}
  const char* what() const noexcept override { return Message.c_str(); }

  std::string Message;
};

// Text that cannot be converted to a number.
class EConvertError : public Exception {
public:
  using Exception::Exception;
};
