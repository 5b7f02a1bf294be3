#include "platform/variant.h"

#include <ostream>

#include "platform/safe_array.h"
#include "platform/vb_convert.h"

namespace com {

std::string_view VarTypeName(VarType type) {
    switch (type) {
    case VarType::Empty: return "Empty";
    case VarType::Null: return "Null";
    case VarType::Boolean: return "Boolean";
    case VarType::Integer: return "Integer";
    case VarType::Long: return "Long";
    case VarType::Double: return "Double";
    case VarType::String: return "String";
    case VarType::Object: return "Object";
    case VarType::Array: return "Array";
    case VarType::Record: return "Record";
    }
    return "Unknown";
}

void Variant::ArrayDeleter::operator()(SafeArray* a) const noexcept { delete a; }

Variant::Variant(SafeArray array) : value_(ArrayBox{std::unique_ptr<SafeArray, ArrayDeleter>(new SafeArray(std::move(array)))}) {}

Variant::Variant(const Variant& other) { *this = other; }
Variant::Variant(Variant&& other) noexcept = default;
Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        // Taken out first: `other` may be an element of the array this Variant holds.
        auto taken = std::move(other.value_);
        value_ = std::move(taken);
    }
    return *this;
}
Variant::~Variant() = default;

Variant& Variant::operator=(const Variant& other) {
    if (this == &other) return *this;
    // Built aside first: `other` may be an element of the array this Variant holds.
    decltype(value_) copy;
    switch (other.Type()) {
    case VarType::Array:
        copy = ArrayBox{std::unique_ptr<SafeArray, ArrayDeleter>(new SafeArray(*std::get<ArrayBox>(other.value_).p))};
        break;
    case VarType::Record:
        copy = RecordBox{std::get<RecordBox>(other.value_).p->Clone()};
        break;
    case VarType::Empty: copy = std::monostate{}; break;
    case VarType::Null: copy = NullValue{}; break;
    case VarType::Boolean: copy = std::get<bool>(other.value_); break;
    case VarType::Integer: copy = std::get<int16_t>(other.value_); break;
    case VarType::Long: copy = std::get<int32_t>(other.value_); break;
    case VarType::Double: copy = std::get<double>(other.value_); break;
    case VarType::String: copy = std::get<std::string>(other.value_); break;
    case VarType::Object: copy = std::get<ObjectPtr>(other.value_); break;
    }
    value_ = std::move(copy);
    return *this;
}

bool Variant::IsNumber() const noexcept {
    switch (Type()) {
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double: return true;
    default: return false;
    }
}

namespace {
[[noreturn]] void Mismatch(VarType held, std::string_view wanted) {
    Raise(ErrorCode::TypeMismatch, std::string(VarTypeName(held)) + " is not " + std::string(wanted));
}
}  // namespace

bool Variant::Bool() const {
    if (Type() != VarType::Boolean) Mismatch(Type(), "Boolean");
    return std::get<bool>(value_);
}
int16_t Variant::Int() const {
    if (Type() != VarType::Integer) Mismatch(Type(), "Integer");
    return std::get<int16_t>(value_);
}
int32_t Variant::Long() const {
    if (Type() != VarType::Long) Mismatch(Type(), "Long");
    return std::get<int32_t>(value_);
}
double Variant::Dbl() const {
    if (Type() != VarType::Double) Mismatch(Type(), "Double");
    return std::get<double>(value_);
}
const std::string& Variant::Str() const {
    if (Type() != VarType::String) Mismatch(Type(), "String");
    return std::get<std::string>(value_);
}
std::string& Variant::Str() {
    if (Type() != VarType::String) Mismatch(Type(), "String");
    return std::get<std::string>(value_);
}
const ObjectPtr& Variant::Object() const {
    if (Type() != VarType::Object) Mismatch(Type(), "Object");
    return std::get<ObjectPtr>(value_);
}
const SafeArray& Variant::Array() const {
    if (Type() != VarType::Array) Mismatch(Type(), "Array");
    return *std::get<ArrayBox>(value_).p;
}
SafeArray& Variant::Array() {
    if (Type() != VarType::Array) Mismatch(Type(), "Array");
    return *std::get<ArrayBox>(value_).p;
}
const RecordValue& Variant::Record() const {
    if (Type() != VarType::Record) Mismatch(Type(), "Record");
    return *std::get<RecordBox>(value_).p;
}
RecordValue& Variant::Record() {
    if (Type() != VarType::Record) Mismatch(Type(), "Record");
    return *std::get<RecordBox>(value_).p;
}

bool Variant::operator==(const Variant& other) const {
    if (Type() != other.Type()) return false;
    switch (Type()) {
    case VarType::Empty:
    case VarType::Null: return true;
    case VarType::Boolean: return Bool() == other.Bool();
    case VarType::Integer: return Int() == other.Int();
    case VarType::Long: return Long() == other.Long();
    case VarType::Double: return Dbl() == other.Dbl();
    case VarType::String: return Str() == other.Str();
    case VarType::Object: return Object() == other.Object();
    case VarType::Array: return Array() == other.Array();
    case VarType::Record: return Record().Equals(other.Record());
    }
    return false;
}

std::string DebugString(const Variant& v) {
    switch (v.Type()) {
    case VarType::Empty: return "Empty";
    case VarType::Null: return "Null";
    case VarType::Boolean: return v.Bool() ? "True" : "False";
    case VarType::Integer: return std::to_string(v.Int()) + "%";
    case VarType::Long: return std::to_string(v.Long()) + "&";
    case VarType::Double: return vb::CStr(v.Dbl()) + "#";
    case VarType::String: return "\"" + v.Str() + "\"";
    case VarType::Object: return v.IsNothing() ? "Nothing" : "Object";
    case VarType::Record: return "Record " + std::string(v.Record().TypeName());
    case VarType::Array: {
        const SafeArray& a = v.Array();
        if (!a.IsSized()) return "Array()";
        std::string s = "Array(";
        if (a.Dims() == 1) {
            for (int32_t i = a.LBound(); i <= a.UBound(); ++i) {
                if (i > a.LBound()) s += ", ";
                s += DebugString(a.Get(i));
            }
        } else {
            for (int32_t i = a.LBound(1); i <= a.UBound(1); ++i) {
                s += i > a.LBound(1) ? "; " : "";
                for (int32_t j = a.LBound(2); j <= a.UBound(2); ++j) {
                    if (j > a.LBound(2)) s += ", ";
                    s += DebugString(a.Get(i, j));
                }
            }
        }
        return s + ")";
    }
    }
    return "?";
}

void PrintTo(const Variant& v, std::ostream* os) { *os << DebugString(v); }

}  // namespace com
