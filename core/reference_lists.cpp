#include "core/reference_lists.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/vb_text.h"

namespace fluvanet::refs {

void RefuseSeparator(std::string_view text, std::string_view what) {
    if (text.find(';') != std::string_view::npos)
        com::Raise(com::ErrorCode::InvalidProcedureCall,
                   std::string(what) + " \"" + std::string(text) + "\" holds \";\"");
}

std::vector<std::string> TrailingItems(std::string_view list) {
    std::vector<std::string> pieces = vb::Split(list, ";");
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

namespace {

// The places of `idKey` in the ID items, when the label item at each of them is `labelKey`;
// none when the identifier is missing or the lists are out of step at it.
std::vector<std::size_t> PlacesInStep(const std::vector<std::string>& labels, const std::vector<std::string>& ids,
                                      std::string_view labelKey, std::string_view idKey) {
    const std::string label = ReferenceItem(labelKey), id = ReferenceItem(idKey);
    std::vector<std::size_t> places;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] != id) continue;
        if (i >= labels.size() || labels[i] != label) return {};
        places.push_back(i);
    }
    return places;
}

std::vector<std::string> WithoutItem(const std::vector<std::string>& items, const std::string& item) {
    std::vector<std::string> kept;
    for (const std::string& i : items)
        if (i != item) kept.push_back(i);
    return kept;
}

}  // namespace

ParallelLists WithoutIds(std::string_view labels, std::string_view ids, const std::vector<std::string>& idKeys) {
    const std::vector<std::string> labelItems = LeadingItems(labels), idItems = LeadingItems(ids);
    std::vector<std::string> keptLabels, keptIds;
    for (std::size_t i = 0; i < std::max(labelItems.size(), idItems.size()); ++i) {
        if (i < idItems.size() && std::find(idKeys.begin(), idKeys.end(), ItemKey(idItems[i])) != idKeys.end())
            continue;
        if (i < labelItems.size()) keptLabels.push_back(labelItems[i]);
        if (i < idItems.size()) keptIds.push_back(idItems[i]);
    }
    return {LeadingList(keptLabels), LeadingList(keptIds)};
}

ParallelLists WithoutElement(std::string_view labels, std::string_view ids, std::string_view labelKey,
                             std::string_view idKey) {
    const std::vector<std::string> labelItems = LeadingItems(labels), idItems = LeadingItems(ids);
    if (!PlacesInStep(labelItems, idItems, labelKey, idKey).empty())
        return WithoutIds(labels, ids, {std::string(idKey)});
    // Lists of one length that do not hold the element name others only, whatever the
    // labels are; taking the label out by its text would put them out of step.
    if (labelItems.size() == idItems.size() &&
        std::find(idItems.begin(), idItems.end(), ReferenceItem(idKey)) == idItems.end())
        return {std::string(labels), std::string(ids)};
    return {LeadingList(WithoutItem(labelItems, ReferenceItem(labelKey))),
            LeadingList(WithoutItem(idItems, ReferenceItem(idKey)))};
}

std::string Relabelled(std::string_view labels, std::string_view ids, std::string_view idKey, std::string_view oldKey,
                       std::string_view newKey) {
    std::vector<std::string> labelItems = LeadingItems(labels);
    const std::vector<std::string> idItems = LeadingItems(ids);
    std::vector<std::size_t> places = PlacesInStep(labelItems, idItems, oldKey, idKey);
    if (places.empty())
        for (std::size_t i = 0; i < labelItems.size(); ++i)
            if (labelItems[i] == ReferenceItem(oldKey)) places.push_back(i);
    for (std::size_t i : places) labelItems[i] = ReferenceItem(newKey);
    return LeadingList(labelItems);
}

PairList ReadPairList(std::string_view text) {
    PairList out;
    std::vector<std::string> pieces = vb::Split(text, ";");
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
