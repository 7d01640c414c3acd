// Run-time library: exceptions, conversions, formatting, strings, dates and times.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "vcl/system.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// Exceptions

// The root of the framework's exception family. The message is the text shown to the user.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}

    const std::string& Message() const { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }

    virtual const char* ClassName() const noexcept { return "Exception"; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
    int helpContext_ = 0;
};

#define VCL_DECLARE_EXCEPTION(Name, Base)                                   \
    class Name : public Base {                                              \
    public:                                                                 \
        using Base::Base;                                                   \
        const char* ClassName() const noexcept override { return #Name; }   \
    };

// The silent exception: it unwinds like any other but the application never shows it.
VCL_DECLARE_EXCEPTION(EAbort, Exception)
VCL_DECLARE_EXCEPTION(EConvertError, Exception)
VCL_DECLARE_EXCEPTION(EListError, Exception)
VCL_DECLARE_EXCEPTION(EStringListError, Exception)
VCL_DECLARE_EXCEPTION(EComponentError, Exception)
VCL_DECLARE_EXCEPTION(EInvalidOperation, Exception)
VCL_DECLARE_EXCEPTION(EInvalidPointer, Exception)
VCL_DECLARE_EXCEPTION(EInvalidCast, Exception)
VCL_DECLARE_EXCEPTION(EPropertyError, Exception)
VCL_DECLARE_EXCEPTION(EParserError, Exception)
VCL_DECLARE_EXCEPTION(EAssertionFailed, Exception)
VCL_DECLARE_EXCEPTION(EThread, Exception)
VCL_DECLARE_EXCEPTION(EOutOfMemory, Exception)
VCL_DECLARE_EXCEPTION(EOutOfResources, EOutOfMemory)
VCL_DECLARE_EXCEPTION(EIntError, Exception)
VCL_DECLARE_EXCEPTION(EDivByZero, EIntError)
VCL_DECLARE_EXCEPTION(ERangeError, EIntError)
VCL_DECLARE_EXCEPTION(EIntOverflow, EIntError)
VCL_DECLARE_EXCEPTION(EMathError, Exception)
VCL_DECLARE_EXCEPTION(EInvalidOp, EMathError)
VCL_DECLARE_EXCEPTION(EZeroDivide, EMathError)
VCL_DECLARE_EXCEPTION(EOverflow, EMathError)
VCL_DECLARE_EXCEPTION(EStreamError, Exception)
VCL_DECLARE_EXCEPTION(EFCreateError, EStreamError)
VCL_DECLARE_EXCEPTION(EFOpenError, EStreamError)
VCL_DECLARE_EXCEPTION(EFilerError, EStreamError)
VCL_DECLARE_EXCEPTION(EReadError, EFilerError)
VCL_DECLARE_EXCEPTION(EWriteError, EFilerError)
VCL_DECLARE_EXCEPTION(EClassNotFound, EFilerError)
VCL_DECLARE_EXCEPTION(EMethodNotFound, EFilerError)
VCL_DECLARE_EXCEPTION(EInvalidImage, EFilerError)

// Input and output failures carry the operating system's error code.
class EInOutError : public Exception {
public:
    EInOutError(std::string message, int errorCode) : Exception(std::move(message)), errorCode_(errorCode) {}
    explicit EInOutError(std::string message) : EInOutError(std::move(message), 0) {}
    const char* ClassName() const noexcept override { return "EInOutError"; }
    int ErrorCode() const { return errorCode_; }

private:
    int errorCode_;
};

class EOSError : public Exception {
public:
    EOSError(std::string message, Cardinal errorCode) : Exception(std::move(message)), errorCode_(errorCode) {}
    const char* ClassName() const noexcept override { return "EOSError"; }
    Cardinal ErrorCode() const { return errorCode_; }

private:
    Cardinal errorCode_;
};

// Raises the silent exception.
[[noreturn]] void Abort();

}  // namespace vcl
