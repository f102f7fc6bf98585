#pragma once
// The base of the program's own exceptions. Messages are UTF-8 text; texts the user typed are
// converted from the code page before they are put into a message.

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that is not an integer.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};
