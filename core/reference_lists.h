#pragma once
// The list forms of records and identifier lists, written and read in one place.
//
//   trailing   item & ";" each      read: pieces 0 to last-1   project entries 1, 3, 4, 9, 10,
//                                                                the host's identifier lists
//   leading    ";" & item each      read: pieces 1 to last     pipe 20-23, node 5-8, layer names
//   reference  ";RelatedTo" & key   key: after 10 characters   pipe 12-19, node 11-14
//   pair list  joined by ";"        piece 0, then pairs         project entry 8
//
// A trailing list whose last item lacks its ";" loses that item for every reader. An item
// of a reference list is "RelatedTo" & key; its key is the item after 9 characters. The
// readers take any number of items: records and lists built from the drawing grow with it.
// A method reading a list the host hands in passes its count through vb::Count16 itself.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fluvanet::refs {

inline constexpr std::string_view kRelatedTo = "RelatedTo";

// A name or value to be stored as one item would split into two: Invalid procedure call
// naming `what`.
void RefuseSeparator(std::string_view text, std::string_view what);

// ---- trailing form -------------------------------------------------------------------
std::vector<std::string> TrailingItems(std::string_view list);
std::string TrailingList(const std::vector<std::string>& items);
inline std::string TrailingAppend(std::string_view list, std::string_view item) {
    return std::string(list) + std::string(item) + ";";
}
// The same in place, for a list that grows to thousands of items.
inline void TrailingAppendInPlace(std::string& list, std::string_view item) { list.append(item).append(";"); }

// ---- leading form --------------------------------------------------------------------
// The items as stored ("RelatedTo12" in a reference list); the text before the first ";"
// is not an item.
std::vector<std::string> LeadingItems(std::string_view list);
std::string LeadingList(const std::vector<std::string>& items);
// The keys of a reference list, in order.
std::vector<std::string> LeadingKeys(std::string_view list);
// A reference list from keys.
std::string ReferenceList(const std::vector<std::string>& keys);

// ---- references ----------------------------------------------------------------------
// ";RelatedTo" & key
std::string Reference(std::string_view key);
// "RelatedTo" & key: an item of a reference list.
std::string ReferenceItem(std::string_view key);
// The key of a single reference: the text after its first 10 characters, "" when shorter.
std::string ReferenceKey(std::string_view reference);
// The key of a reference-list item: the text after its first 9 characters, "" when shorter.
std::string ItemKey(std::string_view item);
inline std::string AppendReference(std::string_view list, std::string_view key) {
    return std::string(list) + Reference(key);
}
// Position of the first item whose key is `key`, -1 when none.
int32_t KeyPosition(std::string_view list, std::string_view key);

// ---- parallel lists -----------------------------------------------------------------
// A label list and an ID list of the same elements in the same order (a pipe's crossing
// annotations). Labels may repeat: two crossings of one pipe pair that a merge brought onto
// one pipe carry one label. So an element is found by its identifier, and its label is the
// item at the same place.
struct ParallelLists {
    std::string labels, ids;
};
// Both lists without the places whose identifier is one of `idKeys`.
ParallelLists WithoutIds(std::string_view labels, std::string_view ids, const std::vector<std::string>& idKeys);
// Both lists without the element `labelKey`/`idKey`, at its own place. Lists of one length
// without the identifier stay as they are. Lists out of step there (the label is not where
// the identifier is), and lists of different lengths, lose every item of either key instead.
ParallelLists WithoutElement(std::string_view labels, std::string_view ids, std::string_view labelKey,
                             std::string_view idKey);
// The label list with the element `idKey` relabelled from `oldKey` to `newKey`, at its own
// place; out of step there, every item of `oldKey` is relabelled.
std::string Relabelled(std::string_view labels, std::string_view ids, std::string_view idKey, std::string_view oldKey,
                       std::string_view newKey);

// ---- pair list (crossing settings) ---------------------------------------------------
struct PairList {
    std::string first;  // piece 0: the minimum clearance
    std::vector<std::pair<std::string, std::string>> pairs;
};
// Pieces taken two at a time after piece 0; a last piece without its partner is dropped.
PairList ReadPairList(std::string_view text);
std::string PairListText(const PairList& list);

}  // namespace fluvanet::refs
