// The toolkit's error classes: every error raised by the toolkit carries a message.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message);
    std::string Message;
    const char* what() const noexcept override;
};

// Text that is not a number of the expected form.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// An index outside a string list.
class EStringListError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be opened for reading.
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be created for writing.
class EFCreateError : public Exception {
public:
    using Exception::Exception;
};

// Fewer bytes read than the file holds.
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// Fewer bytes written than asked.
class EWriteError : public Exception {
public:
    using Exception::Exception;
};

// A profile-file write that failed.
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

// No memory for a file's contents.
class EOutOfMemory : public Exception {
public:
    using Exception::Exception;
};

// A cell outside a grid.
class EInvalidGridOperation : public Exception {
public:
    using Exception::Exception;
};

// A menu index out of range, or an item placed under itself.
class EMenuError : public Exception {
public:
    using Exception::Exception;
};

// The silent error: it ends the handler and shows nothing.
class EAbort : public Exception {
public:
    using Exception::Exception;
};

// An operation a control or form cannot do in its present state.
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

// A picture file that is not a valid image of its kind.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// Floating-point errors.
class EMathError : public Exception {
public:
    using Exception::Exception;
};

class EInvalidOp : public EMathError {
public:
    using EMathError::EMathError;
};

class EZeroDivide : public EMathError {
public:
    using EMathError::EMathError;
};

class EOverflow : public EMathError {
public:
    using EMathError::EMathError;
};

// Integer errors.
class EIntError : public Exception {
public:
    using Exception::Exception;
};

class EDivByZero : public EIntError {
public:
    using EIntError::EIntError;
};

// A read or write through a bad pointer.
class EAccessViolation : public Exception {
public:
    using Exception::Exception;
};
