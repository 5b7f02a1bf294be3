// The list forms of records and identifier lists.

#include <gtest/gtest.h>

#include "core/reference_lists.h"

namespace {

using namespace fluvanet::refs;
using Items = std::vector<std::string>;

TEST(ReferenceLists, TrailingFormLosesAnItemWithoutItsSeparator) {
    EXPECT_EQ(TrailingItems(""), Items{});
    EXPECT_EQ(TrailingItems("Main;Storm;"), (Items{"Main", "Storm"}));
    EXPECT_EQ(TrailingItems("Main;Storm"), (Items{"Main"}));
    EXPECT_EQ(TrailingItems(";"), (Items{""}));
    EXPECT_EQ(TrailingList({"Main", "Storm"}), "Main;Storm;");
    EXPECT_EQ(TrailingAppend("A;", "B"), "A;B;");
}

TEST(ReferenceLists, LeadingFormAndKeys) {
    std::string list = AppendReference(AppendReference("", "12"), "-34");
    EXPECT_EQ(list, ";RelatedTo12;RelatedTo-34");
    EXPECT_EQ(LeadingItems(list), (Items{"RelatedTo12", "RelatedTo-34"}));
    EXPECT_EQ(LeadingKeys(list), (Items{"12", "-34"}));
    EXPECT_EQ(LeadingKeys(""), Items{});
    EXPECT_EQ(ReferenceList({"P-1", "P-11"}), ";RelatedToP-1;RelatedToP-11");
    EXPECT_EQ(LeadingList({"a", "b"}), ";a;b");
    EXPECT_EQ(KeyPosition(";RelatedToP-11;RelatedToP-1", "P-1"), 1);
    EXPECT_EQ(KeyPosition(";RelatedToP-11", "P-1"), -1);
}

TEST(ReferenceLists, KeysCountCharactersNotBytes) {
    EXPECT_EQ(Reference("N-3"), ";RelatedToN-3");
    EXPECT_EQ(ReferenceKey(";RelatedToN-3"), "N-3");
    EXPECT_EQ(ReferenceKey(";RelatedTo"), "");
    EXPECT_EQ(ReferenceKey(""), "");
    EXPECT_EQ(ReferenceKey(";RelatedToÄ-1"), "Ä-1");
    EXPECT_EQ(ItemKey("RelatedToÖ"), "Ö");
    EXPECT_EQ(ItemKey("Related"), "");
}

// Labels X, X, Y for identifiers 1, 2, 3: an element is found by its identifier.
TEST(ReferenceLists, ParallelListsChangeAnElementAtItsOwnPlaceUnlessOutOfStepThere) {
    const std::string labels = ReferenceList({"X", "X", "Y"}), ids = ReferenceList({"1", "2", "3"});
    ParallelLists p = WithoutElement(labels, ids, "X", "2");
    EXPECT_EQ(p.labels, ReferenceList({"X", "Y"}));
    EXPECT_EQ(p.ids, ReferenceList({"1", "3"}));
    EXPECT_EQ(Relabelled(labels, ids, "2", "X", "Z"), ReferenceList({"X", "Z", "Y"}));
    p = WithoutIds(labels, ids, {"1", "3"});
    EXPECT_EQ(p.labels, ReferenceList({"X"}));
    EXPECT_EQ(p.ids, ReferenceList({"2"}));

    // Out of step at the identifier: every item of either key, as a stored drawing's lists
    // were always handled.
    for (const char* id : {"3", "9"})
        EXPECT_EQ(Relabelled(labels, ids, id, "X", "Z"), ReferenceList({"Z", "Z", "Y"})) << id;
    p = WithoutElement(labels, ids, "X", "3");
    EXPECT_EQ(p.labels, ReferenceList({"Y"}));
    EXPECT_EQ(p.ids, ReferenceList({"1", "2"}));
    // Without the identifier, lists of one length name other elements only and stay; lists
    // of different lengths lose every item of either key.
    p = WithoutElement(labels, ids, "X", "9");
    EXPECT_EQ(p.labels + "|" + p.ids, labels + "|" + ids);
    p = WithoutElement(labels, ReferenceList({"1", "2"}), "X", "9");
    EXPECT_EQ(p.labels + "|" + p.ids, ReferenceList({"Y"}) + "|" + ReferenceList({"1", "2"}));
    // A label list shorter than its identifiers keeps what it has.
    p = WithoutIds(ReferenceList({"X"}), ids, {"2"});
    EXPECT_EQ(p.labels, ReferenceList({"X"}));
    EXPECT_EQ(p.ids, ReferenceList({"1", "3"}));
}

TEST(ReferenceLists, PairListKeepsItsFirstPieceAndWholePairs) {
    PairList p = ReadPairList("0.5;B;A;C;A;D");
    EXPECT_EQ(p.first, "0.5");
    ASSERT_EQ(p.pairs.size(), 2u);
    EXPECT_EQ(p.pairs[1], (std::pair<std::string, std::string>{"C", "A"}));
    EXPECT_EQ(PairListText(p), "0.5;B;A;C;A");
    EXPECT_EQ(PairListText(ReadPairList("0.5")), "0.5");
    EXPECT_EQ(PairListText(ReadPairList("")), "");
}

TEST(ReferenceLists, ReadersTakeAnyNumberOfItems) {
    const std::string list(40000, ';');
    EXPECT_EQ(TrailingItems(list).size(), 40000u);
    EXPECT_EQ(LeadingItems(list).size(), 40000u);
}

}  // namespace
