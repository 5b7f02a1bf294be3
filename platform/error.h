#pragma once
// Automation errors: every failure of the stand-in and of the library is a com::Error
// carrying a number (VB runtime numbers, or the drawing platform's own codes) and a
// description, as a late-bound caller would see them in Err.Number / Err.Description.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace com {

enum class ErrorCode : int32_t {
    // VB runtime
    InvalidProcedureCall = 5,
    Overflow = 6,
    SubscriptOutOfRange = 9,
    DivisionByZero = 11,
    TypeMismatch = 13,
    FileNotFound = 53,
    InputPastEndOfFile = 62,
    ObjectVariableNotSet = 91,
    InvalidUseOfNull = 94,
    InvalidPropertyValue = 380,
    ObjectRequired = 424,
    CannotCreateObject = 429,
    NotApplicable = 438,  // "Object doesn't support this property or method"
    ArgumentNotOptional = 449,
    WrongNumberOfArguments = 450,

    // Drawing platform, Civil 3D and server failures (negative, HRESULT-like)
    ObjectNotFound = -2145386001,  // unknown, zero or erased object identifier
    ObjectErased = -2145386002,    // member access on an erased object
    KeyNotFound = -2145386003,     // named item missing from a collection
    DuplicateName = -2145386004,
    OnLockedLayer = -2145386005,
    CannotDelete = -2145386006,  // object in use, or a protected layer
    CannotFreezeCurrentLayer = -2145386007,
    LayerFrozen = -2145386008,  // a frozen layer cannot become the active layer
    UndefinedBlock = -2145386009,
    MissingLayer = -2145386010,
    InvalidInput = -2145386011,
    UserCancel = -2145386012,  // Esc, an empty pick, or a script that ran out
    InterfaceNotFound = -2145386013,
    SurfaceOutside = -2145386014,
    FileError = -2145386015,
    ServerError = -2145386016,  // registry or class factory failures
};

class Error : public std::runtime_error {
public:
    Error(ErrorCode code, std::string description);
    Error(int32_t number, std::string description);

    int32_t Number() const noexcept { return number_; }
    ErrorCode Code() const noexcept { return static_cast<ErrorCode>(number_); }
    const std::string& Description() const noexcept { return description_; }

private:
    int32_t number_;
    std::string description_;
};

// The standard description of a code ("Type mismatch", "Overflow", ...).
std::string DefaultDescription(ErrorCode code);

// Raise with the standard description, optionally followed by a detail.
[[noreturn]] void Raise(ErrorCode code);
[[noreturn]] void Raise(ErrorCode code, const std::string& detail);

}  // namespace com
