#pragma once
// Names in the drawing's symbol tables and the collections that hold them: names are
// compared without regard to case, and items are reached by 0-based index or by name.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant.h"
#include "platform/vb_convert.h"

namespace acad {

class AcadDatabase;

// Symbol names: not empty, none of < > / \ " : ; ? * | = ` ,
void CheckSymbolName(const std::string& name);
bool SameSymbolName(std::string_view a, std::string_view b);
// Equal for two names exactly when SameSymbolName holds, for indexing names by.
std::string SymbolKey(std::string_view name);
std::shared_ptr<AcadDatabase> OpenDatabase(const std::weak_ptr<AcadDatabase>& db);

// A text index is a name (KeyNotFound when missing); anything else a 0-based position
// (InvalidInput when outside).
template <class T>
std::shared_ptr<T> CollectionItem(const std::vector<std::shared_ptr<T>>& items, const com::Variant& index,
                                  const char* what) {
    if (index.IsString()) {
        for (const auto& item : items)
            if (SameSymbolName(item->Name(), index.Str())) return item;
        com::Raise(com::ErrorCode::KeyNotFound, std::string(what) + " " + index.Str());
    }
    int32_t i = vb::CLng(index);
    if (i < 0 || static_cast<std::size_t>(i) >= items.size())
        com::Raise(com::ErrorCode::InvalidInput, std::string(what) + " index " + std::to_string(i));
    return items[static_cast<std::size_t>(i)];
}

}  // namespace acad
