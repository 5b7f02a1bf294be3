#pragma once
// Element records: the "Fluvamap" extended data of one drawing object, entry 0 the
// application, entry 1 the combined label, entry 2 the element type. A record is read
// fresh by every operation, changed entry by entry and written back whole with the
// group-code array that reading returned, so every entry keeps its creator's code.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/acad_document.h"

namespace fluvanet {

inline constexpr std::string_view kAppName = "Fluvamap";
// What a reader with a default gives for a missing record or entry.
inline constexpr std::string_view kNothing = "Nothing";

// The element type words of entry 2.
namespace element_type {
inline constexpr std::string_view kGravityPipe = "GravityPipe";
inline constexpr std::string_view kPressurePipe = "PressurePipe";
inline constexpr std::string_view kGravityNode = "GravityNode";
inline constexpr std::string_view kPressureNode = "PressureNode";
inline constexpr std::string_view kViewStylePoint = "ViewStylePoint";
inline constexpr std::string_view kAnnotation = "Annotation";
inline constexpr std::string_view kArrow = "Arrow";
inline constexpr std::string_view kMaterialLibraryPoint = "MaterialLibraryPoint";
inline constexpr std::string_view kSectionSizeLibraryPoint = "SectionSizeLibraryPoint";
inline constexpr std::string_view kCrossingPointAnnotation = "CrossingPointAnnotation";
inline constexpr std::string_view kCrossingPointLine = "CrossingPointLine";
inline constexpr std::string_view kLowHighPoint = "LowHighPoint";
inline constexpr std::string_view kProfile = "Profile";
inline constexpr std::string_view kProfilePlanAnno = "ProfilePlanAnno";
inline constexpr std::string_view kProfileStylePoint = "ProfileStylePoint";

inline bool IsPipe(std::string_view type) { return type == kGravityPipe || type == kPressurePipe; }
inline bool IsNode(std::string_view type) { return type == kGravityNode || type == kPressureNode; }
}  // namespace element_type

// A number stored in a record: a 1040 or 1070 value as it is, a text by the leading-number
// rule, Empty 0. Never through a text, so no digit beyond the fifteenth is lost.
double RecordNumber(const com::Variant& value);

class ElementRecord {
public:
    // The object's record as it is now. An object without one gives a record that does
    // not exist; a failing read itself (an erased object) raises.
    static ElementRecord Read(const std::shared_ptr<acad::AcadObject>& object);
    // A new record for the object, written only by Write.
    static ElementRecord Create(std::shared_ptr<acad::AcadObject> object, std::vector<int16_t> codes,
                                std::vector<com::Variant> values);

    bool Exists() const noexcept { return entries_ != nullptr && !entries_->values.empty(); }
    int32_t Count() const noexcept { return entries_ ? static_cast<int32_t>(entries_->values.size()) : 0; }
    // Entry k. Without a record Type mismatch (as indexing the empty result is), a missing
    // entry Subscript out of range.
    const com::Variant& Get(int32_t entry) const;
    std::string Text(int32_t entry) const;  // vb::CStr of the entry
    double Number(int32_t entry) const;     // RecordNumber of the entry
    int16_t Code(int32_t entry) const;
    // Entry 2 as text; kNothing when the record is missing or has no entry 2.
    std::string ElementType() const;
    void Set(int32_t entry, com::Variant value);
    // SetXData with the codes as read (or as created).
    void Write();

    const std::shared_ptr<acad::AcadObject>& Object() const noexcept { return object_; }
    const std::vector<int16_t>& Codes() const noexcept { return Entries().codes; }
    const std::vector<com::Variant>& Values() const noexcept { return Entries().values; }
    // The two arrays as GetXData gives them (Empty and Empty without a record).
    com::Variant CodesVariant() const;
    com::Variant ValuesVariant() const;

private:
    void CheckEntry(int32_t entry) const;
    const acad::XDataEntries& Entries() const noexcept;
    std::shared_ptr<acad::AcadObject> object_;
    // As read or written: shared with the drawing, or with a copy of this record, until the
    // first change, which takes a copy of its own.
    std::shared_ptr<const acad::XDataEntries> entries_;
};

// BuildSectionSizeString of the record's values.
std::string SectionSizeString(const ElementRecord& pipe);

// Raises Type mismatch, naming what was expected, unless the record exists and its
// element type is one of `types`. The check every write or delete of a referenced object
// makes first.
void RequireElementType(const ElementRecord& record, std::initializer_list<std::string_view> types,
                        std::string_view expected);

// Whether one of the record's reference entries (single references and reference lists
// alike) names the identifier: an erase handler follows a reference only to an object that
// names the erased element back, since a copy made unseen carries its source's references
// while nothing names the copy. An entry the record lacks names nothing.
bool NamesBack(const ElementRecord& record, std::initializer_list<int32_t> entries, std::string_view id);

// Undoing an edit that failed part way: a record written back as it was read; an object
// that had none loses the one written since.
void PutBackRecord(ElementRecord before);

// Object identifiers as decimal text.
std::string IdText(const acad::AcadObject& object);
// The object an identifier text names: converted strictly to 32 bits (Type mismatch for a
// text that is not a number), then looked up; an unknown, zero or erased one raises.
std::shared_ptr<acad::AcadObject> ObjectFromId(acad::AcadDocument& doc, std::string_view idText);
// The same for a reference whose object may be gone: an empty text or an identifier that
// names no object gives nullptr. A text that is not a number still raises.
std::shared_ptr<acad::AcadObject> ObjectFromIdIfAlive(acad::AcadDocument& doc, std::string_view idText);

}  // namespace fluvanet
