// The table of existing profiles: built from the style points, rows added, names looked up
// and rows removed.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "profile/profile.h"
#include "profile/profile_records.h"
#include "tests/support/error_code.h"
#include "tests/support/profile_builder.h"

namespace {

using com::ErrorCode;
using com::SafeArray;
using com::Variant;
using namespace testing_support;
namespace se = fluvanet::style_entry;

using Rows = std::vector<std::vector<std::string>>;

// A table's rows as texts; an Empty value has none.
Rows RowsOf(const Variant& table) {
    Rows rows;
    if (table.IsEmpty()) return rows;
    const SafeArray& cells = table.Array();
    EXPECT_EQ(cells.Dims(), 2);
    EXPECT_EQ(cells.UBound(2), 2);
    for (int32_t i = 0; i <= cells.UBound(1); ++i)
        rows.push_back({vb::CStr(cells.Get(i, 0)), vb::CStr(cells.Get(i, 1)), vb::CStr(cells.Get(i, 2))});
    return rows;
}

Variant Table(const Rows& rows) {
    SafeArray cells = SafeArray::Matrix(com::VarType::String, static_cast<int32_t>(rows.size()), 3);
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (int32_t j = 0; j < 3; ++j)
            cells.Put(static_cast<int32_t>(i), j, Variant(rows[i][static_cast<std::size_t>(j)]));
    return Variant(std::move(cells));
}

struct ProfileDefinitionsTest : ::testing::Test {
    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    fluvanet::Profile profile;
};

TEST_F(ProfileDefinitionsTest, NoProfileGivesEmptyAndAddingToEmptyGivesOneRow) {
    EXPECT_TRUE(profile.GetProfileDefinitionsArray(*doc).IsEmpty()) << "no style at all";
    AddProfileStyle(*doc, "Road");
    Variant none = profile.GetProfileDefinitionsArray(*doc);
    EXPECT_TRUE(none.IsEmpty()) << "a style without profiles";
    EXPECT_EQ(RowsOf(profile.AddProfileToProfileDefArray(none, "L-1", "Main", "42")), (Rows{{"L-1", "Main", "42"}}));
    Variant two = profile.AddProfileToProfileDefArray(Table({{"L-1", "Main", "42"}}), "L-1", "Side", "43");
    EXPECT_EQ(RowsOf(two), (Rows{{"L-1", "Main", "42"}, {"L-1", "Side", "43"}}));
}

TEST_F(ProfileDefinitionsTest, RowsFollowTheStyleListThenEachStylesProfiles) {
    NetworkBuilder main(*doc, "Main");
    NetworkBuilder side(*doc, "Side");
    TestChain a = main.AddChain({{0, 0}, {10, 0}});
    TestChain b = side.AddChain({{0, 20}, {10, 20}});
    const std::string road = AddProfileStyle(*doc, "Road");
    const std::string rail = AddProfileStyle(*doc, "Rail");
    TestProfile p1 = AddTestProfile(*doc, main, "L-1", "Rail", a.pipes);
    TestProfile p2 = AddTestProfile(*doc, side, "L-1", "Road", b.pipes);
    TestProfile p3 = AddTestProfile(*doc, main, "L-2", "Road", a.pipes);
    EXPECT_EQ(RowsOf(profile.GetProfileDefinitionsArray(*doc)),
              (Rows{{"L-1", "Side", p2.Id()}, {"L-2", "Main", p3.Id()}, {"L-1", "Main", p1.Id()}}));

    // Walked as the style look-ups walk it: an empty item, a style erased behind the list's
    // back and an object that is no style point are passed over, and so is whatever a
    // style's list names that is no profile block: a profile erased, a pipe.
    auto gone = doc->ModelSpace()->AddPoint({0, 0, 0});
    gone->Delete();
    p3.block->Delete();
    auto roadPoint = fluvanet::ObjectFromId(*doc, road);
    SetRecordEntry(roadPoint, se::kProfileIds,
                   Variant(RecordText(roadPoint, se::kProfileIds) + ";RelatedTo" + a.pipes[0].Id()));
    SetRecordEntry(doc->ModelSpace(), 10,
                   Variant(";" + std::to_string(gone->ObjectID()) + ";" + a.pipes[0].Id() + ";" + road + ";" + rail + ";"));
    EXPECT_EQ(RowsOf(profile.GetProfileDefinitionsArray(*doc)), (Rows{{"L-1", "Side", p2.Id()}, {"L-1", "Main", p1.Id()}}));
    EXPECT_EQ(profile.GetProfileStyleOID(*doc, "Rail"), rail);
    // A text that is no identifier is refused, by all three alike.
    SetRecordEntry(doc->ModelSpace(), 10, Variant("x1;" + road + ";"));
    EXPECT_EQ(ErrorOf([&] { profile.GetProfileDefinitionsArray(*doc); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { profile.GetProfileStyleOID(*doc, "Road"); }), ErrorCode::TypeMismatch);
}

TEST_F(ProfileDefinitionsTest, TwoThousandSixHundredProfilesAreAllListed) {
    std::string styleId = AddProfileStyle(*doc, "Road");
    doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Profile_Main_L")->AddLine({0, 0, 0}, {10, 0, 0});
    std::string ids;
    std::vector<std::string> expectedIds;
    for (int k = 0; k < 2600; ++k) {
        auto block = doc->ModelSpace()->InsertBlock({0, 0, 0}, "Fluvamap_Profile_Main_L", 1, 1, 1, 0);
        std::vector<Variant> values(16, Variant(""));
        values[0] = Variant("Fluvamap");
        values[1] = Variant("Profile;Main;L-" + std::to_string(k));
        values[2] = Variant("Profile");
        values[15] = Variant(int16_t{0});
        fluvanet::ElementRecord::Create(block, fluvanet::ProfileRecordCodes(), values).Write();
        expectedIds.push_back(fluvanet::IdText(*block));
        ids += ";RelatedTo" + expectedIds.back();
    }
    SetRecordEntry(doc->ObjectIdToObject(std::stoi(styleId)), se::kProfileIds, Variant(ids));
    Rows rows = RowsOf(profile.GetProfileDefinitionsArray(*doc));
    ASSERT_EQ(rows.size(), 2600u);
    EXPECT_EQ(rows[2500], (std::vector<std::string>{"L-2500", "Main", expectedIds[2500]}));
    EXPECT_EQ(rows[2599], (std::vector<std::string>{"L-2599", "Main", expectedIds[2599]}));
    Variant more = profile.AddProfileToProfileDefArray(Variant(profile.GetProfileDefinitionsArray(*doc)), "X", "Main", "1");
    EXPECT_EQ(more.Array().UBound(1), 2600);
}

TEST_F(ProfileDefinitionsTest, ANameIsTakenWhateverItsCaseButItsIdentifierIsFoundOnlyExactly) {
    Variant table = Table({{"Line A", "Main", "42"}, {"L-2", "Side", "43"}});
    EXPECT_TRUE(profile.CheckProfileNameExists(table, "Line A", "Main"));
    EXPECT_TRUE(profile.CheckProfileNameExists(table, "LINE a", "Main"));
    EXPECT_FALSE(profile.CheckProfileNameExists(table, "Line A", "main")) << "the network compares exactly";
    EXPECT_FALSE(profile.CheckProfileNameExists(table, "L-2", "Main"));
    EXPECT_FALSE(profile.CheckProfileNameExists(Variant(), "Line A", "Main"));

    EXPECT_EQ(profile.GetProfileOIDFromProfileDefArray(table, "Line A", "Main"), "42");
    EXPECT_EQ(profile.GetProfileOIDFromProfileDefArray(table, "LINE a", "Main"), "");
    EXPECT_EQ(profile.GetProfileOIDFromProfileDefArray(table, "L-2", "Side"), "43");
    EXPECT_EQ(ErrorOf([&] { profile.GetProfileOIDFromProfileDefArray(Variant(), "L-2", "Side"); }),
              ErrorCode::TypeMismatch);

    auto late = std::make_shared<fluvanet::Profile>();
    EXPECT_EQ(vb::CallByName(late, "CheckProfileNameExists", com::CallType::Method, table, "line a", "Main"),
              Variant(true));
}

TEST_F(ProfileDefinitionsTest, DeletingDropsOnlyTheRowsOfThatIdentifier) {
    Variant one = Table({{"L-1", "Main", "42"}});
    EXPECT_EQ(RowsOf(profile.DeleteProfileFromProfileDefArray(one, "43")), (Rows{{"L-1", "Main", "42"}}));
    EXPECT_TRUE(profile.DeleteProfileFromProfileDefArray(one, "42").IsEmpty());

    Rows three{{"L-1", "Main", "42"}, {"L-1", "Side", "142"}, {"L-2", "Main", "4"}};
    EXPECT_EQ(RowsOf(profile.DeleteProfileFromProfileDefArray(Table(three), "2")), three)
        << "no row of an unknown identifier, nor one that merely ends with it";
    EXPECT_EQ(RowsOf(profile.DeleteProfileFromProfileDefArray(Table(three), "142")),
              (Rows{{"L-1", "Main", "42"}, {"L-2", "Main", "4"}}));
    EXPECT_TRUE(profile.DeleteProfileFromProfileDefArray(Variant(), "42").IsEmpty());

    auto late = std::make_shared<fluvanet::Profile>();
    Variant left = vb::CallByName(late, "DeleteProfileFromProfileDefArray", com::CallType::Method, Table(three), "4");
    EXPECT_EQ(RowsOf(left), (Rows{{"L-1", "Main", "42"}, {"L-1", "Side", "142"}}));
}

}  // namespace
