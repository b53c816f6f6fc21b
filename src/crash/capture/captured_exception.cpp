#include "crash/capture/captured_exception.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <typeinfo>

#include "runtime/exceptions.h"

namespace roadsum {

namespace {

std::string demangled(const std::type_info* type) {
    if (!type) return "Exception";
    int status = 0;
    char* name = abi::__cxa_demangle(type->name(), nullptr, nullptr, &status);
    std::string result = status == 0 && name ? name : type->name();
    std::free(name);
    return result;
}

std::string hex8(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

template <class E>
void describe_as(TCapturedException& out, std::string message) {
    const E e(std::move(message));
    for (const char* name : e.class_chain()) out.ClassChain.emplace_back(name);
    out.Message = e.message();
}

}  // namespace

bool TCapturedException::InheritsFrom(std::string_view name) const {
    for (const std::string& c : ClassChain)
        if (c == name) return true;
    return false;
}

std::vector<std::string_view> TCapturedException::ClassNames() const {
    return std::vector<std::string_view>(ClassChain.begin(), ClassChain.end());
}

TCapturedException DescribeCppException(const std::exception_ptr& error) {
    TCapturedException out;
    out.Object = error;
    if (!error) return out;
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        for (const char* name : e.class_chain()) out.ClassChain.emplace_back(name);
        out.Message = e.message();
    } catch (const std::exception& e) {
        out.ClassChain = {demangled(&typeid(e)), "std::exception"};
        if (out.ClassChain[0] == out.ClassChain[1]) out.ClassChain.pop_back();
        out.Message = e.what();
    } catch (...) {
        out.ClassChain = {demangled(abi::__cxa_current_exception_type())};
    }
    return out;
}

TCapturedException DescribeSystemException(const TSystemExceptionFacts& facts) {
    TCapturedException out;
    out.External = true;
    out.Code = facts.Code;
    const std::string at = hex8(facts.Address);
    switch (facts.Code) {
        case kAccessViolation: {
            const std::uint32_t operation = facts.Info.size() > 0 ? facts.Info[0] : 0;
            const std::uint32_t target = facts.Info.size() > 1 ? facts.Info[1] : 0;
            const char* verb = operation == 1 ? "Write" : operation == 8 ? "Execute" : "Read";
            // An address in no module is named without one.
            const std::string where = facts.Module.empty() ? "" : " in module '" + facts.Module + "'";
            describe_as<EAccessViolation>(out, "Access violation at address " + at + where + ". " + verb +
                                                   " of address " + hex8(target));
            break;
        }
        case kIntegerDivideByZero: describe_as<EDivByZero>(out, "Division by zero"); break;
        case kIntegerOverflow: describe_as<EIntOverflow>(out, "Integer overflow"); break;
        case kStackOverflow: describe_as<EStackOverflow>(out, "Stack overflow"); break;
        case kPrivilegedInstruction: describe_as<EPrivilege>(out, "Privileged instruction"); break;
        default: describe_as<EExternalException>(out, "External exception " + hex8(facts.Code)); break;
    }
    return out;
}

}  // namespace roadsum
