#include "platform/error.h"

namespace com {

Error::Error(ErrorCode code, std::string description) : Error(static_cast<int32_t>(code), std::move(description)) {}

Error::Error(int32_t number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

std::string DefaultDescription(ErrorCode code) {
    switch (code) {
    case ErrorCode::InvalidProcedureCall: return "Invalid procedure call or argument";
    case ErrorCode::Overflow: return "Overflow";
    case ErrorCode::SubscriptOutOfRange: return "Subscript out of range";
    case ErrorCode::DivisionByZero: return "Division by zero";
    case ErrorCode::TypeMismatch: return "Type mismatch";
    case ErrorCode::FileNotFound: return "File not found";
    case ErrorCode::InputPastEndOfFile: return "Input past end of file";
    case ErrorCode::ObjectVariableNotSet: return "Object variable or With block variable not set";
    case ErrorCode::InvalidUseOfNull: return "Invalid use of Null";
    case ErrorCode::InvalidPropertyValue: return "Invalid property value";
    case ErrorCode::ObjectRequired: return "Object required";
    case ErrorCode::CannotCreateObject: return "ActiveX component can't create object";
    case ErrorCode::NotApplicable: return "Object doesn't support this property or method";
    case ErrorCode::ArgumentNotOptional: return "Argument not optional";
    case ErrorCode::WrongNumberOfArguments: return "Wrong number of arguments or invalid property assignment";
    case ErrorCode::ObjectNotFound: return "Object not found";
    case ErrorCode::ObjectErased: return "Object was erased";
    case ErrorCode::KeyNotFound: return "Key not found";
    case ErrorCode::DuplicateName: return "Duplicate record name";
    case ErrorCode::OnLockedLayer: return "On locked layer";
    case ErrorCode::CannotDelete: return "Object is referenced and cannot be deleted";
    case ErrorCode::CannotFreezeCurrentLayer: return "Cannot freeze the current layer";
    case ErrorCode::LayerFrozen: return "A frozen layer cannot be made current";
    case ErrorCode::UndefinedBlock: return "Undefined block";
    case ErrorCode::MissingLayer: return "Layer does not exist";
    case ErrorCode::InvalidInput: return "Invalid input";
    case ErrorCode::UserCancel: return "User input cancelled";
    case ErrorCode::InterfaceNotFound: return "Problem in loading application";
    case ErrorCode::SurfaceOutside: return "Point is outside the surface";
    case ErrorCode::FileError: return "File access error";
    case ErrorCode::ServerError: return "Class not registered";
    }
    return "Automation error";
}

void Raise(ErrorCode code) { throw Error(code, DefaultDescription(code)); }

void Raise(ErrorCode code, const std::string& detail) {
    throw Error(code, detail.empty() ? DefaultDescription(code) : DefaultDescription(code) + ": " + detail);
}

}  // namespace com
