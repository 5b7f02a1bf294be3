// A network's profiles collected and deleted: only that network's, exactly by name, each
// forgotten by its style, pipes and plan annotation before it goes, with events off.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/general.h"
#include "editing/pipe_node_records.h"
#include "profile/profile.h"
#include "tests/support/erase_watch.h"
#include "tests/support/error_code.h"
#include "tests/support/network_invariants.h"
#include "tests/support/profile_builder.h"
#include "tests/support/xdata.h"

namespace {

using com::ErrorCode;
using com::Variant;
using testing::ElementsAre;
using testing::IsEmpty;
using namespace testing_support;
namespace pe = fluvanet::pipe_entry;

std::string Ref(const std::string& key) { return ";RelatedTo" + key; }

struct ProfileUpkeep : testing::Test {
    ProfileUpkeep() {
        // A block of a profile's name that carries a record of another kind.
        doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Profile_Main_Note")->AddLine({0, 0, 0}, {1, 0, 0});
        note = doc->ModelSpace()->InsertBlock({0, 0, 0}, "Fluvamap_Profile_Main_Note", 1, 1, 1, 0);
        SetTextRecord(*note, {"Profile;Main;Note", "Note"});
    }
    std::vector<std::string> Names(const std::shared_ptr<acad::AcadSelectionSet>& set) {
        std::vector<std::string> names;
        for (const auto& member : set->Members()) names.push_back(acad::Cast<acad::AcadBlockReference>(member)->Name());
        return names;
    }
    std::vector<std::string> Values(const TestProfile& p) { return p.Record().ValuesVariant().Array().ToStrings(); }
    static std::string Profiles(const TestPipe& p) {
        return RecordText(p.polyline, pe::kProfileLabels) + "|" + RecordText(p.polyline, pe::kProfileIds);
    }
    std::string StyleIds() { return RecordText(fluvanet::ObjectFromId(*doc, style), 4); }
    void Sound() {
        std::vector<std::string> findings = NetworkFindings(*doc);
        EXPECT_THAT(findings, IsEmpty()) << testing::PrintToString(findings);
    }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    std::string style = AddProfileStyle(*doc, "Road");
    NetworkBuilder main{*doc, "Main"};
    TestChain mains = main.AddChain({{0, 0}, {10, 0}, {20, 0}, {30, 0}});
    // A network whose name differs only in case.
    NetworkBuilder lower{*doc, "main"};
    TestChain lowers = lower.AddChain({{0, 50}, {10, 50}});
    TestProfile a = AddTestProfile(*doc, main, "A", "Road", {mains.pipes[0], mains.pipes[1]}, WithPlan());
    TestProfile b = AddTestProfile(*doc, main, "B", "Road", {mains.pipes[1], mains.pipes[2]});
    TestProfile c = AddTestProfile(*doc, lower, "C", "Road", {lowers.pipes[0]}, WithPlan());
    std::shared_ptr<acad::AcadBlockReference> note;
    std::shared_ptr<fluvanet::Profile> profile = std::make_shared<fluvanet::Profile>();
    fluvanet::General general;
};

TEST_F(ProfileUpkeep, TheSetHoldsTheProfilesOfExactlyThatNetworkOrOfAll) {
    // The set goes by block name and network; only deleting tells a profile from the note.
    EXPECT_THAT(Names(profile->GetExistingProfileSet(*doc, "")),
                ElementsAre("Fluvamap_Profile_Main_A", "Fluvamap_Profile_Main_B", "Fluvamap_Profile_main_C",
                            "Fluvamap_Profile_Main_Note"));
    EXPECT_THAT(Names(profile->GetExistingProfileSet(*doc, "main")), ElementsAre("Fluvamap_Profile_main_C"));
    EXPECT_THAT(Names(profile->GetExistingProfileSet(*doc, "Mai")), IsEmpty());
    auto set = vb::CallByName(profile, "GetExistingProfileSet", com::CallType::Method, doc, "Main")
                   .ObjectAs<acad::AcadSelectionSet>();
    EXPECT_EQ(set->Name(), "SetProfiles");
    EXPECT_THAT(Names(set), ElementsAre("Fluvamap_Profile_Main_A", "Fluvamap_Profile_Main_B",
                                        "Fluvamap_Profile_Main_Note"));
    // Made anew each time: the earlier set is gone.
    EXPECT_EQ(doc->SelectionSets()->Count(), 1);
}

TEST_F(ProfileUpkeep, DeletingANetworksProfilesTakesTheirPlansAndReferencesAndNothingElse) {
    const std::vector<std::string> untouched = Values(c);
    auto watch = WatchErasures(*doc);
    vb::CallByName(profile, "DeleteNetworkProfiles", com::CallType::Method, doc, "Main");
    doc->SetEraseObserver(nullptr);
    EXPECT_TRUE(a.block->Erased());
    EXPECT_TRUE(a.plan->Erased());
    EXPECT_TRUE(b.block->Erased());
    for (const TestPipe& p : mains.pipes) EXPECT_EQ(Profiles(p), "|");
    EXPECT_EQ(Values(c), untouched);
    EXPECT_FALSE(c.plan->Erased());
    EXPECT_FALSE(note->Erased());
    EXPECT_EQ(StyleIds(), Ref(c.Id()));
    // No erasure reached a host with events on, and the flag is back.
    EXPECT_THAT(watch->flags, ElementsAre(0, 0, 0));
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);
    Sound();

    // Events that were off stay off.
    general.TurnEventsOff(*doc);
    profile->DeleteNetworkProfiles(*doc, "main");
    EXPECT_TRUE(c.block->Erased() && c.plan->Erased());
    EXPECT_EQ(general.CheckEventsFlag(*doc), 0);
    Sound();
}

TEST_F(ProfileUpkeep, AnEmptyOrInexactNameOrANetworkWithoutProfilesChangesNothing) {
    NetworkBuilder bare(*doc, "Bare");
    bare.AddChain({{0, 90}, {10, 90}});
    const std::string styleIds = StyleIds();
    auto watch = WatchErasures(*doc);
    for (const char* name : {"", "MAIN", "Bare", "Nowhere"}) profile->DeleteNetworkProfiles(*doc, name);
    doc->SetEraseObserver(nullptr);
    EXPECT_THAT(watch->flags, IsEmpty());
    EXPECT_EQ(StyleIds(), styleIds);
    EXPECT_FALSE(a.block->Erased() || b.block->Erased() || c.block->Erased());
    Sound();
}

TEST_F(ProfileUpkeep, AProfileThatIsRefusedStaysWholeAndTheOnesBeforeItAreGone) {
    // B names a pipe as its style.
    SetRecordEntry(b.block, 8, Variant(Ref(mains.pipes[0].Id())));
    const std::vector<std::string> refused = Values(b);
    const std::string third = Profiles(mains.pipes[2]);
    EXPECT_EQ(ErrorOf([&] { profile->DeleteNetworkProfiles(*doc, "Main"); }), ErrorCode::TypeMismatch);
    EXPECT_TRUE(a.block->Erased());
    EXPECT_TRUE(a.plan->Erased());
    EXPECT_FALSE(b.block->Erased());
    EXPECT_EQ(Values(b), refused);
    EXPECT_EQ(Profiles(mains.pipes[2]), third);
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);
    // Only the broken reference and the style that still lists B are out of shape.
    EXPECT_THAT(NetworkFindings(*doc),
                testing::Each(testing::AnyOf(testing::StartsWith(b.Id() + " "), testing::StartsWith(style + " "))));
}

}  // namespace
