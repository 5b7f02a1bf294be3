#pragma once
// Selection-set filters: parallel arrays of group codes and values, as Select and
// SelectOnScreen take them. Pairs are AND-combined; -4 "<OR" ... "OR>" and "<AND" ...
// "AND>" group them (operator names in any case, groups nested to any depth).
//
// Codes:
//   0     entity type name ("LWPOLYLINE", "LINE", "INSERT", "POINT", ...), wildcard, any case
//   2     block name of a block reference, wildcard, any case (no other entity matches)
//   8     layer name, wildcard, any case
//   1001  the entity carries extended data of that application (wildcard, any case)
//   1000  some text (code 1000) of the extended data matches the pattern, wildcard,
//         case-sensitive. The texts looked at are those of the application named by the
//         nearest 1001 pair before it in the filter; without one, those of every application.
// Any other code, a value that is not a text, or unbalanced groups raise Invalid input when
// the filter is built.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant.h"

namespace acad {

// What a filter can ask of an entity.
class FilterSubject {
public:
    virtual ~FilterSubject() = default;
    virtual std::string DxfName() const = 0;
    virtual std::string BlockName() const = 0;  // "" when the entity is not a block reference
    virtual std::string LayerName() const = 0;
    // Names of the applications whose extended data the entity carries.
    virtual std::vector<std::string> XDataApplications() const = 0;
    // The code-1000 texts of one application's extended data, in record order.
    virtual std::vector<std::string> XDataTexts(std::string_view application) const = 0;
};

class SelectionFilter {
public:
    // No pairs: every entity matches.
    SelectionFilter();
    SelectionFilter(const std::vector<int16_t>& codes, const std::vector<com::Variant>& values);
    // From the Variant arrays a caller passes (Empty for both means no filter).
    static SelectionFilter FromVariants(const com::Variant& filterType, const com::Variant& filterData);
    ~SelectionFilter();
    SelectionFilter(SelectionFilter&&) noexcept;
    SelectionFilter& operator=(SelectionFilter&&) noexcept;

    bool Matches(const FilterSubject& subject) const;

private:
    struct Node;
    std::unique_ptr<Node> root_;
};

}  // namespace acad
