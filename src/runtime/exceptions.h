// The program's exception classes. Every error the program raises derives from Exception,
// which carries a message and knows its class name and the names of its ancestors, so that
// handlers can match a class by name along the chain (a filter for "EMathError" also takes
// an EZeroDivide).
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace roadsum {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}

    const std::string& message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

    virtual const char* class_name() const noexcept { return "Exception"; }

    // The class name first, then each ancestor up to "Exception".
    std::vector<const char*> class_chain() const {
        std::vector<const char*> chain;
        append_chain(chain);
        return chain;
    }

    // True when this object is of the named class or of a class derived from it.
    bool inherits_from(std::string_view name) const {
        for (const char* c : class_chain())
            if (name == c) return true;
        return false;
    }

protected:
    virtual void append_chain(std::vector<const char*>& chain) const { chain.push_back("Exception"); }

private:
    std::string message_;
};

// Declares an exception class derived from Base that reports its own name in the chain.
#define ROADSUM_EXCEPTION_CLASS(Name, Base)                                                   \
    class Name : public Base {                                                                \
    public:                                                                                   \
        using Base::Base;                                                                     \
        const char* class_name() const noexcept override { return #Name; }                   \
                                                                                              \
    protected:                                                                                \
        void append_chain(std::vector<const char*>& chain) const override {                   \
            chain.push_back(#Name);                                                           \
            Base::append_chain(chain);                                                        \
        }                                                                                     \
    }

ROADSUM_EXCEPTION_CLASS(EAbort, Exception);
ROADSUM_EXCEPTION_CLASS(EConvertError, Exception);
ROADSUM_EXCEPTION_CLASS(EExternal, Exception);
ROADSUM_EXCEPTION_CLASS(EMathError, EExternal);
ROADSUM_EXCEPTION_CLASS(EZeroDivide, EMathError);
ROADSUM_EXCEPTION_CLASS(EInvalidOp, EMathError);
ROADSUM_EXCEPTION_CLASS(EOverflow, EMathError);
// Processor and system exceptions, as the crash reporter names the faults it catches.
ROADSUM_EXCEPTION_CLASS(EIntError, EExternal);
ROADSUM_EXCEPTION_CLASS(EDivByZero, EIntError);
ROADSUM_EXCEPTION_CLASS(EIntOverflow, EIntError);
ROADSUM_EXCEPTION_CLASS(EAccessViolation, EExternal);
ROADSUM_EXCEPTION_CLASS(EStackOverflow, EExternal);
ROADSUM_EXCEPTION_CLASS(EPrivilege, EExternal);
ROADSUM_EXCEPTION_CLASS(EExternalException, EExternal);
// A fatal error of the C run time (abort, a pure virtual call, an invalid parameter).
ROADSUM_EXCEPTION_CLASS(ERuntimeError, Exception);

// The run time's messages for the floating-point faults.
inline constexpr const char* kZeroDivideMessage = "Floating point division by zero";
inline constexpr const char* kInvalidOpMessage = "Invalid floating point operation";
inline constexpr const char* kOverflowMessage = "Floating point overflow";

}  // namespace roadsum
