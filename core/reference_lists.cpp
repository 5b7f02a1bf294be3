#include "core/reference_lists.h"

#include "platform/vb_convert.h"
#include "platform/vb_text.h"

namespace fluvanet::refs {

std::vector<std::string> TrailingItems(std::string_view list) {
    std::vector<std::string> pieces = vb::Split(list, ";");
    vb::Count16(pieces.size());
    if (!pieces.empty()) pieces.pop_back();
    return pieces;
}

std::string TrailingList(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += item + ";";
    return out;
}

std::vector<std::string> LeadingItems(std::string_view list) {
    std::vector<std::string> pieces = vb::Split(list, ";");
    vb::Count16(pieces.size());
    if (!pieces.empty()) pieces.erase(pieces.begin());
    return pieces;
}

std::string LeadingList(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += ";" + item;
    return out;
}

std::vector<std::string> LeadingKeys(std::string_view list) {
    std::vector<std::string> keys = LeadingItems(list);
    for (std::string& item : keys) item = ItemKey(item);
    return keys;
}

std::string ReferenceList(const std::vector<std::string>& keys) {
    std::string out;
    for (const std::string& key : keys) out += Reference(key);
    return out;
}

std::string Reference(std::string_view key) { return ";" + ReferenceItem(key); }
std::string ReferenceItem(std::string_view key) { return std::string(kRelatedTo) + std::string(key); }

std::string ReferenceKey(std::string_view reference) {
    return vb::Len(reference) > 10 ? vb::Mid(reference, 11) : std::string();
}

std::string ItemKey(std::string_view item) { return vb::Len(item) > 9 ? vb::Mid(item, 10) : std::string(); }

int32_t KeyPosition(std::string_view list, std::string_view key) {
    std::vector<std::string> keys = LeadingKeys(list);
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i] == key) return static_cast<int32_t>(i);
    return -1;
}

PairList ReadPairList(std::string_view text) {
    PairList out;
    std::vector<std::string> pieces = vb::Split(text, ";");
    vb::Count16(pieces.size());
    if (pieces.empty()) return out;
    out.first = pieces[0];
    for (std::size_t i = 1; i + 1 < pieces.size(); i += 2) out.pairs.emplace_back(pieces[i], pieces[i + 1]);
    return out;
}

std::string PairListText(const PairList& list) {
    std::string out = list.first;
    for (const auto& [a, b] : list.pairs) out += ";" + a + ";" + b;
    return out;
}

}  // namespace fluvanet::refs
