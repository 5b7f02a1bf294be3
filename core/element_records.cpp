#include "core/element_records.h"

#include "platform/vb_convert.h"
#include "platform/vb_text.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::Variant;

double RecordNumber(const Variant& value) {
    switch (value.Type()) {
    case com::VarType::Empty: return 0;
    case com::VarType::String: return vb::Val(value.Str());
    default: return vb::CDbl(value);
    }
}

ElementRecord ElementRecord::Read(const std::shared_ptr<acad::AcadObject>& object) {
    if (!object) Raise(ErrorCode::ObjectRequired, "no object to read a record from");
    ElementRecord r;
    r.object_ = object;
    Variant codes, values;
    object->GetXData(std::string(kAppName), codes, values);
    if (codes.IsArray() && values.IsArray()) {
        r.codes_ = codes.Array().ToInt16s();
        r.values_ = values.Array().ToVariants();
    }
    return r;
}

ElementRecord ElementRecord::Create(std::shared_ptr<acad::AcadObject> object, std::vector<int16_t> codes,
                                    std::vector<Variant> values) {
    if (codes.size() != values.size()) Raise(ErrorCode::InvalidProcedureCall, "codes and values differ in count");
    ElementRecord r;
    r.object_ = std::move(object);
    r.codes_ = std::move(codes);
    r.values_ = std::move(values);
    return r;
}

void ElementRecord::CheckEntry(int32_t entry) const {
    if (!Exists()) Raise(ErrorCode::TypeMismatch, "the object carries no Fluvamap record");
    if (entry < 0 || entry >= Count())
        Raise(ErrorCode::SubscriptOutOfRange, "record entry " + std::to_string(entry) + " of " + std::to_string(Count()));
}

const Variant& ElementRecord::Get(int32_t entry) const {
    CheckEntry(entry);
    return values_[static_cast<std::size_t>(entry)];
}

std::string ElementRecord::Text(int32_t entry) const { return vb::CStr(Get(entry)); }
double ElementRecord::Number(int32_t entry) const { return RecordNumber(Get(entry)); }

int16_t ElementRecord::Code(int32_t entry) const {
    CheckEntry(entry);
    return codes_[static_cast<std::size_t>(entry)];
}

std::string ElementRecord::ElementType() const {
    if (Count() <= 2) return std::string(kNothing);
    return vb::CStr(values_[2]);
}

void ElementRecord::Set(int32_t entry, Variant value) {
    CheckEntry(entry);
    values_[static_cast<std::size_t>(entry)] = std::move(value);
}

void ElementRecord::Write() {
    if (!object_) Raise(ErrorCode::ObjectRequired, "no object to write a record to");
    object_->SetXData(CodesVariant(), ValuesVariant());
}

Variant ElementRecord::CodesVariant() const {
    return Exists() ? Variant(com::SafeArray::FromInt16s(codes_)) : Variant();
}
Variant ElementRecord::ValuesVariant() const {
    return Exists() ? Variant(com::SafeArray::FromVariants(values_)) : Variant();
}

void RequireElementType(const ElementRecord& record, std::initializer_list<std::string_view> types,
                        std::string_view expected) {
    std::string type = record.ElementType();
    for (std::string_view t : types)
        if (type == t) return;
    std::string id = record.Object() ? IdText(*record.Object()) : "?";
    Raise(ErrorCode::TypeMismatch, "object " + id + " is not " + std::string(expected) + " (element type " + type + ")");
}

std::string IdText(const acad::AcadObject& object) { return std::to_string(object.ObjectID()); }

std::shared_ptr<acad::AcadObject> ObjectFromId(acad::AcadDocument& doc, std::string_view idText) {
    return doc.ObjectIdToObject(vb::CLng(Variant(idText)));
}

std::shared_ptr<acad::AcadObject> ObjectFromIdIfAlive(acad::AcadDocument& doc, std::string_view idText) {
    if (idText.empty()) return nullptr;
    int32_t id = vb::CLng(Variant(idText));
    try {
        return doc.ObjectIdToObject(id);
    } catch (const com::Error& e) {
        if (e.Code() == ErrorCode::ObjectNotFound) return nullptr;
        throw;
    }
}

}  // namespace fluvanet
