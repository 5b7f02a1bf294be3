#pragma once
// The automation Variant: the value type that crosses every late-bound call and that
// extended entity data, selection filters and the library's "variant" results hold.
// Arrays and records have value semantics (copying a Variant copies them, as assigning
// an array in VB does); objects are shared references.

#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "platform/error.h"

namespace com {

class Dispatch;
class SafeArray;
using ObjectPtr = std::shared_ptr<Dispatch>;

enum class VarType : uint8_t { Empty, Null, Boolean, Integer, Long, Double, String, Object, Array, Record };

std::string_view VarTypeName(VarType type);

struct NullValue {
    bool operator==(const NullValue&) const = default;
};
inline constexpr NullValue Null{};

// A user-defined type (a VB "Type ... End Type" record) held in a Variant or an array.
class RecordValue {
public:
    virtual ~RecordValue() = default;
    virtual std::unique_ptr<RecordValue> Clone() const = 0;
    virtual std::string_view TypeName() const = 0;
    virtual bool Equals(const RecordValue& other) const = 0;
};

// A record type T is a plain struct with `static constexpr std::string_view kRecordName`.
template <class T>
concept RecordType = requires {
    { T::kRecordName } -> std::convertible_to<std::string_view>;
};

template <RecordType T>
class Record final : public RecordValue {
public:
    explicit Record(T value) : value(std::move(value)) {}
    std::unique_ptr<RecordValue> Clone() const override { return std::make_unique<Record<T>>(value); }
    std::string_view TypeName() const override { return T::kRecordName; }
    bool Equals(const RecordValue& other) const override {
        if constexpr (std::equality_comparable<T>) {
            auto* o = dynamic_cast<const Record<T>*>(&other);
            return o != nullptr && o->value == value;
        } else {
            return this == &other;
        }
    }
    T value;
};

class Variant {
public:
    Variant() noexcept = default;
    Variant(NullValue) noexcept : value_(NullValue{}) {}
    Variant(bool b) noexcept : value_(b) {}
    Variant(int16_t i) noexcept : value_(i) {}
    Variant(int32_t i) noexcept : value_(i) {}
    Variant(double d) noexcept : value_(d) {}
    Variant(std::string s) noexcept : value_(std::move(s)) {}
    Variant(const char* s) : value_(std::string(s)) {}
    Variant(std::string_view s) : value_(std::string(s)) {}
    Variant(ObjectPtr object) noexcept : value_(std::move(object)) {}
    template <class T>
        requires(!std::same_as<T, Dispatch> && std::is_convertible_v<T*, Dispatch*>)
    Variant(std::shared_ptr<T> object) noexcept : value_(ObjectPtr(std::move(object))) {}
    Variant(SafeArray array);
    template <RecordType T>
    static Variant FromRecord(T value) {
        Variant v;
        v.value_ = RecordBox{std::make_unique<com::Record<T>>(std::move(value))};
        return v;
    }
    static Variant Nothing() { return Variant(ObjectPtr()); }

    Variant(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&& other) noexcept;
    ~Variant();

    VarType Type() const noexcept { return static_cast<VarType>(value_.index()); }
    bool IsEmpty() const noexcept { return Type() == VarType::Empty; }
    bool IsNull() const noexcept { return Type() == VarType::Null; }
    bool IsObject() const noexcept { return Type() == VarType::Object; }
    bool IsNothing() const noexcept { return IsObject() && !std::get<ObjectPtr>(value_); }
    bool IsArray() const noexcept { return Type() == VarType::Array; }
    bool IsRecord() const noexcept { return Type() == VarType::Record; }
    bool IsString() const noexcept { return Type() == VarType::String; }
    // Boolean, Integer, Long or Double.
    bool IsNumber() const noexcept;

    // Strict access to the value held; any other kind raises Type mismatch.
    // Conversions between kinds are vb::CStr, vb::CLng, ... (platform/vb_convert.h).
    bool Bool() const;
    int16_t Int() const;
    int32_t Long() const;
    double Dbl() const;
    const std::string& Str() const;
    std::string& Str();
    const ObjectPtr& Object() const;
    const SafeArray& Array() const;
    SafeArray& Array();
    const RecordValue& Record() const;
    RecordValue& Record();
    template <RecordType T>
    T& RecordAs() {
        auto* r = dynamic_cast<com::Record<T>*>(&Record());
        if (r == nullptr) Raise(ErrorCode::TypeMismatch, "record is not " + std::string(T::kRecordName));
        return r->value;
    }
    template <RecordType T>
    const T& RecordAs() const {
        return const_cast<Variant*>(this)->RecordAs<T>();
    }
    // The object cast to T; Nothing or another class raises.
    template <class T>
    std::shared_ptr<T> ObjectAs() const {
        const ObjectPtr& o = Object();
        if (!o) Raise(ErrorCode::ObjectRequired);
        auto t = std::dynamic_pointer_cast<T>(o);
        if (!t) Raise(ErrorCode::TypeMismatch);
        return t;
    }

    // Same kind and same value; arrays and records compare deeply, objects by identity.
    bool operator==(const Variant& other) const;

private:
    // The deleter is defined where SafeArray is complete, so this header stands alone.
    struct ArrayDeleter {
        void operator()(SafeArray* a) const noexcept;
    };
    struct ArrayBox {
        std::unique_ptr<SafeArray, ArrayDeleter> p;
    };
    struct RecordBox {
        std::unique_ptr<RecordValue> p;
    };
    std::variant<std::monostate, NullValue, bool, int16_t, int32_t, double, std::string, ObjectPtr, ArrayBox, RecordBox>
        value_;
};

// Text for diagnostics and test failure messages (not a VB conversion).
std::string DebugString(const Variant& v);
void PrintTo(const Variant& v, std::ostream* os);

}  // namespace com
