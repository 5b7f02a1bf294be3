#include "core/element_records.h"

#include "core/general.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"
#include "platform/acad_selection.h"
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
    r.entries_ = object->ReadXData(kAppName);
    return r;
}

ElementRecord ElementRecord::Create(std::shared_ptr<acad::AcadObject> object, std::vector<int16_t> codes,
                                    std::vector<Variant> values) {
    if (codes.size() != values.size()) Raise(ErrorCode::InvalidProcedureCall, "codes and values differ in count");
    ElementRecord r;
    r.object_ = std::move(object);
    r.entries_ = std::make_shared<acad::XDataEntries>(acad::XDataEntries{std::move(codes), std::move(values)});
    return r;
}

void ElementRecord::CheckEntry(int32_t entry) const {
    if (!Exists()) Raise(ErrorCode::TypeMismatch, "the object carries no Fluvamap record");
    if (entry < 0 || entry >= Count())
        Raise(ErrorCode::SubscriptOutOfRange, "record entry " + std::to_string(entry) + " of " + std::to_string(Count()));
}

const acad::XDataEntries& ElementRecord::Entries() const noexcept {
    static const acad::XDataEntries none;
    return entries_ ? *entries_ : none;
}

const Variant& ElementRecord::Get(int32_t entry) const {
    CheckEntry(entry);
    return entries_->values[static_cast<std::size_t>(entry)];
}

std::string ElementRecord::Text(int32_t entry) const { return vb::CStr(Get(entry)); }
double ElementRecord::Number(int32_t entry) const { return RecordNumber(Get(entry)); }

int16_t ElementRecord::Code(int32_t entry) const {
    CheckEntry(entry);
    return entries_->codes[static_cast<std::size_t>(entry)];
}

std::string ElementRecord::ElementType() const {
    if (Count() <= 2) return std::string(kNothing);
    return vb::CStr(entries_->values[2]);
}

void ElementRecord::Set(int32_t entry, Variant value) {
    CheckEntry(entry);
    if (entries_.use_count() > 1) entries_ = std::make_shared<acad::XDataEntries>(*entries_);
    // Entries are never made const: the only owner may change them.
    const_cast<acad::XDataEntries&>(*entries_).values[static_cast<std::size_t>(entry)] = std::move(value);
}

void ElementRecord::Write() {
    if (!object_) Raise(ErrorCode::ObjectRequired, "no object to write a record to");
    object_->WriteXData(entries_);
}

Variant ElementRecord::CodesVariant() const {
    return Exists() ? Variant(com::SafeArray::FromInt16s(entries_->codes)) : Variant();
}
Variant ElementRecord::ValuesVariant() const {
    return Exists() ? Variant(com::SafeArray::FromVariants(entries_->values)) : Variant();
}

void RequireElementType(const ElementRecord& record, std::initializer_list<std::string_view> types,
                        std::string_view expected) {
    std::string type = record.ElementType();
    for (std::string_view t : types)
        if (type == t) return;
    std::string id = record.Object() ? IdText(*record.Object()) : "?";
    Raise(ErrorCode::TypeMismatch, "object " + id + " is not " + std::string(expected) + " (element type " + type + ")");
}

void PutBackRecord(ElementRecord before) {
    if (before.Exists())
        before.Write();
    else
        ElementRecord::Create(before.Object(), {1001}, {com::Variant(kAppName)}).Write();
}

bool NamesBack(const ElementRecord& record, std::initializer_list<int32_t> entries, std::string_view id) {
    if (id.empty()) return false;
    for (int32_t entry : entries)
        if (entry < record.Count() && refs::KeyPosition(record.Text(entry), id) >= 0) return true;
    return false;
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

// ---- General: record fields, reference strings, identifier lists ----------------------
// The reference strings and identifier lists these methods edit are the host's: they keep
// its 16-bit indices. Sets, and identifier lists made into sets, are walked at any size.

namespace {

// The platform hands out every drawing object as a shared one.
std::shared_ptr<acad::AcadObject> Shared(acad::AcadObject& object) {
    return std::static_pointer_cast<acad::AcadObject>(object.shared_from_this());
}

}  // namespace

std::vector<std::shared_ptr<acad::AcadEntity>> General::SelectionSetToArray(acad::AcadSelectionSet& MySelSet) {
    const int32_t count = MySelSet.Count();
    std::vector<std::shared_ptr<acad::AcadEntity>> items;
    items.reserve(static_cast<std::size_t>(count));
    for (int32_t i = 0; i < count; ++i) items.push_back(MySelSet.Item(i));
    return items;
}

std::string General::GetElementType(acad::AcadObject& MyEntity) {
    // Reading itself may fail (an erased object); what it gives is judged with a default.
    ElementRecord record = ElementRecord::Read(Shared(MyEntity));
    try {
        return record.ElementType();
    } catch (const com::Error&) {
        return std::string(kNothing);
    }
}

std::string General::GetElementNetwork(acad::AcadObject& MyEntity) {
    ElementRecord record = ElementRecord::Read(Shared(MyEntity));
    try {
        if (record.Count() <= 1) return std::string(kNothing);
        std::vector<std::string> items = vb::Split(record.Text(1), ";");
        if (items.size() < 2) return std::string(kNothing);
        return items[1];
    } catch (const com::Error&) {
        return std::string(kNothing);
    }
}

double General::GetGroundLevelAtNode(acad::AcadDocument& AcadActiveDocument, const std::string& NodeOID) {
    return ElementRecord::Read(ObjectFromId(AcadActiveDocument, NodeOID)).Number(node_entry::kGroundLevel);
}

namespace {

// The size text of a pipe whose entry k is entry(k).
template <class Entry>
std::string SectionSizeText(const Entry& entry) {
    bool circular = vb::CStr(entry(pipe_entry::kSectionShape)) == kCircularShape;
    std::string span = vb::CStr(RecordNumber(entry(pipe_entry::kSpan)));
    std::string rise = vb::CStr(RecordNumber(entry(pipe_entry::kRise)));
    int32_t cells = vb::CLng(RecordNumber(entry(pipe_entry::kCells)));
    if (cells == 1) return circular ? "%%c" + span : span + "X" + rise;
    std::string count = vb::CStr(cells);
    return circular ? count + " %%c" + span : count + " (" + span + "X" + rise + ")";
}

}  // namespace

std::string General::BuildSectionSizeString(const Variant& xData) {
    const com::SafeArray& values = xData.Array();
    return SectionSizeText([&](int32_t k) -> const Variant& { return values.Get(k); });
}

std::string SectionSizeString(const ElementRecord& pipe) {
    return SectionSizeText([&](int32_t k) -> const Variant& { return pipe.Get(k); });
}

std::string General::GetNodeTypeFromPipeType(const std::string& PipeType) {
    return std::string(PipeType == element_type::kGravityPipe ? element_type::kGravityNode
                                                               : element_type::kPressureNode);
}

std::string General::DeleteReferenceInReferenceString(const Variant& ReferenceString,
                                                      const std::string& ReferenceToBeDeleted,
                                                      const int16_t& FormatIndex) {
    std::string list = vb::CStr(ReferenceString);
    // Whole items only: deleting P-1 must leave P-11 alone.
    if (FormatIndex == 0) {
        std::string whole = refs::ReferenceItem(ReferenceToBeDeleted);
        std::vector<std::string> items = refs::LeadingItems(list), kept;
        vb::Count16(items.size());
        for (std::string& item : items)
            if (item != ReferenceToBeDeleted && item != whole) kept.push_back(std::move(item));
        return refs::LeadingList(kept);
    }
    if (FormatIndex == 1) {
        std::vector<std::string> items = refs::TrailingItems(list), kept;
        vb::Count16(items.size());
        for (std::string& item : items)
            if (item != ReferenceToBeDeleted) kept.push_back(std::move(item));
        return refs::TrailingList(kept);
    }
    return std::string();
}

std::string General::ReplaceReferenceInReferenceString(const Variant& ReferenceString,
                                                       const std::string& OldReference,
                                                       const std::string& NewReference) {
    std::vector<std::string> items = refs::LeadingItems(vb::CStr(ReferenceString));
    vb::Count16(items.size());
    for (std::string& item : items)
        if (item == OldReference) item = NewReference;
    return refs::LeadingList(items);
}

std::shared_ptr<acad::AcadSelectionSet> General::ConvertOIDStringToSelectionSet(
    acad::AcadDocument& AcadActiveDocument, const std::string& OIDString) {
    std::shared_ptr<acad::AcadSelectionSet> set = InitializeSelectionSet(AcadActiveDocument, "TempSet");
    if (OIDString.empty()) return set;
    // Every piece, the one after the last ";" too: a list without its final ";" keeps its
    // last identifier, and the empty piece is passed over as a bad item.
    std::vector<std::string> pieces = vb::Split(OIDString, ";");
    for (const std::string& piece : pieces) {
        try {
            auto entity = std::dynamic_pointer_cast<acad::AcadEntity>(ObjectFromId(AcadActiveDocument, piece));
            if (entity) set->AddItems({entity});
        } catch (const com::Error&) {
            // A bad or stale identifier leaves the set without that item only.
        }
    }
    return set;
}

std::vector<std::string> General::ConvertSelectionSetToOIDArray(acad::AcadSelectionSet& MySet) {
    const int32_t count = MySet.Count();
    if (count == 0) return {std::string()};
    std::vector<std::string> ids;
    ids.reserve(static_cast<std::size_t>(count));
    for (int32_t i = 0; i < count; ++i) ids.push_back(IdText(*MySet.Item(i)));
    return ids;
}

std::string General::ExcludeID(const Variant& ObjectID, const std::string& Text) {
    if (Text.empty()) return std::string();
    // By number, so "007" and "7" are one identifier.
    double excluded = vb::Val(vb::CStr(ObjectID));
    std::vector<std::string> items = refs::TrailingItems(Text), kept;
    vb::Count16(items.size());
    for (std::string& item : items)
        if (vb::Val(item) != excluded) kept.push_back(std::move(item));
    return refs::TrailingList(kept);
}

}  // namespace fluvanet
