// The toolkit's error classes.
#include "toolkit/exceptions.h"

#include <utility>

Exception::Exception(std::string message) : Message(std::move(message)) {}

const char* Exception::what() const noexcept {
    return Message.c_str();
}
