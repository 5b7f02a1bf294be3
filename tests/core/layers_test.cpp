// Standard layers and the two ways of writing into layers the user locked or froze.

#include <gtest/gtest.h>

#include "core/general.h"
#include "core/layer_state.h"
#include "host/new_project.h"
#include "tests/support/error_code.h"

namespace {

using com::ErrorCode;
using com::Variant;
using testing_support::ErrorOf;

struct LayersTest : ::testing::Test {
    std::shared_ptr<acad::AcadDocument> doc = acad::NewDrawing();
    fluvanet::General general;

    std::shared_ptr<acad::AcadLayer> Layer(const std::string& name) { return doc->Layers()->Item(Variant(name)); }
    int32_t Color(const std::string& name) { return Layer(name)->TrueColor()->ColorIndex(); }
};

TEST_F(LayersTest, StandardLayersAreNamedAndColouredByTypeAndKeptWhenPresent) {
    const std::tuple<const char*, const char*, int32_t> cases[] = {
        {"Network", "Main - Network", 4},
        {"Annotation", "Main - Annotation", 3},
        {"Arrow", "Main - Arrow", 4},
        {"LowHighPoint", "Main - Low&High Points", 7},
        {"CrossingPointLine", "Crossing Point Annotation Lines", 2},
        {"CrossingPointText", "Crossing Point Annotation Text", 3}};
    for (const auto& [type, name, color] : cases) {
        auto layer = general.CreateStandardLayer(*doc, "Main", type);
        EXPECT_EQ(layer->Name(), name);
        EXPECT_EQ(Color(name), color);
    }
    // The shared crossing layer whatever the network; a user's colour survives.
    Layer("Main - Network")->SetTrueColor(std::make_shared<acad::AcadAcCmColor>(1));
    EXPECT_EQ(general.CreateStandardLayer(*doc, "Other", "CrossingPointLine"), Layer("Crossing Point Annotation Lines"));
    EXPECT_EQ(general.CreateStandardLayer(*doc, "Main", "Network")->TrueColor()->ColorIndex(), 1);
    // A word outside the table names no layer, and the platform refuses the empty name.
    EXPECT_TRUE(ErrorOf([&] { general.CreateStandardLayer(*doc, "Main", "network"); }).has_value());
}

TEST_F(LayersTest, SetLayerColorNeedsANumberAndAnExistingLayer) {
    general.CreateStandardLayer(*doc, "Main", "Network");
    general.SetLayerColor(*doc, "Main - Network", "6");
    EXPECT_EQ(Color("Main - Network"), 6);
    EXPECT_EQ(ErrorOf([&] { general.SetLayerColor(*doc, "Main - Network", "red"); }), ErrorCode::TypeMismatch);
    EXPECT_TRUE(ErrorOf([&] { general.SetLayerColor(*doc, "Nowhere", "6"); }).has_value());
}

TEST_F(LayersTest, OpenedLayersComeBackAsTheyWereAndTheActiveLayerIsNeverThawed) {
    auto a = doc->Layers()->Add("A");
    auto b = doc->Layers()->Add("B");
    a->SetLock(true);
    a->SetFreeze(true);
    b->SetLock(true);
    doc->SetActiveLayer(b);

    Variant status = general.OpenLayerForWrite(*doc, ";A;B");
    const com::SafeArray& t = status.Array();
    ASSERT_EQ(t.UBound(1), 1);
    EXPECT_EQ(t.Get(0, 0), Variant("A"));
    EXPECT_EQ(t.Get(0, 1), Variant(true));
    EXPECT_EQ(t.Get(0, 2), Variant(true));
    EXPECT_EQ(t.Get(1, 1), Variant(false));
    EXPECT_FALSE(a->Lock());
    EXPECT_FALSE(a->Freeze());
    EXPECT_FALSE(b->Lock());

    general.RestoreLayerStatus(*doc, status);
    EXPECT_TRUE(a->Lock());
    EXPECT_TRUE(a->Freeze());
    EXPECT_TRUE(b->Lock());
    EXPECT_EQ(doc->ActiveLayer(), b);

    // No names: a table without rows, and restoring it does nothing.
    Variant none = general.OpenLayerForWrite(*doc, "");
    EXPECT_EQ(none.Array().UBound(1), -1);
    general.RestoreLayerStatus(*doc, none);
}

TEST_F(LayersTest, OpeningFailingMidwayPutsBackWhatItChanged) {
    auto a = doc->Layers()->Add("A");
    a->SetLock(true);
    a->SetFreeze(true);
    // A name listed again, in any case, was read as the first row had left it.
    for (const char* names : {";A;Missing", ";A;A;Missing", ";A;a;Missing"}) {
        EXPECT_EQ(ErrorOf([&] { general.OpenLayerForWrite(*doc, names); }), ErrorCode::KeyNotFound) << names;
        EXPECT_TRUE(a->Lock()) << names;
        EXPECT_TRUE(a->Freeze()) << names;
    }
}

TEST_F(LayersTest, RestoringGivesEveryExistingLayerItsStateThenReportsTheMissingOne) {
    auto a = doc->Layers()->Add("A");
    auto gone = doc->Layers()->Add("Gone");
    auto c = doc->Layers()->Add("C");
    a->SetLock(true);
    gone->SetLock(true);
    c->SetLock(true);
    Variant status = general.OpenLayerForWrite(*doc, ";A;Gone;C");
    gone->Delete();
    EXPECT_EQ(ErrorOf([&] { general.RestoreLayerStatus(*doc, status); }), ErrorCode::KeyNotFound);
    EXPECT_TRUE(a->Lock());
    EXPECT_TRUE(c->Lock());
}

TEST_F(LayersTest, UnlockAllAndRelockPassOverALayerDeletedInBetween) {
    Variant none = general.UnlockAllLayers(*doc);
    EXPECT_EQ(none.Array().ToStrings(), std::vector<std::string>{""});
    general.RestoreLockedLayers(*doc, none);

    auto a = doc->Layers()->Add("A");
    auto b = doc->Layers()->Add("B");
    auto c = doc->Layers()->Add("C");
    a->SetLock(true);
    b->SetLock(true);
    c->SetLock(true);
    Variant locked = general.UnlockAllLayers(*doc);
    EXPECT_EQ(locked.Array().ToStrings(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_FALSE(a->Lock() || b->Lock() || c->Lock());
    b->Delete();
    // The host's list keeps 16-bit indices: a longer one locks nothing.
    const Variant tooLong(com::SafeArray::FromStrings(std::vector<std::string>(32768, "A")));
    EXPECT_EQ(ErrorOf([&] { general.RestoreLockedLayers(*doc, tooLong); }), ErrorCode::Overflow);
    EXPECT_FALSE(a->Lock());
    general.RestoreLockedLayers(*doc, locked);
    EXPECT_TRUE(a->Lock());
    EXPECT_TRUE(c->Lock());
}

TEST_F(LayersTest, GuardsRestoreOnTheErrorPathAndLetTheOriginalErrorThrough) {
    host::CreateProjectRecord(*doc, {.eventsFlag = 1});
    auto a = doc->Layers()->Add("A");
    auto b = doc->Layers()->Add("B");
    a->SetLock(true);
    b->SetFreeze(true);
    auto active = doc->ActiveLayer();
    auto style = doc->ActiveTextStyle();
    auto other = doc->TextStyles()->Add("Other");
    try {
        fluvanet::UnlockedLayersGuard unlocked(general, *doc);
        fluvanet::OpenedLayersGuard opened(general, *doc, ";B");
        fluvanet::ActiveLayerGuard activeLayer(*doc);
        fluvanet::ActiveTextStyleGuard activeStyle(*doc);
        fluvanet::EventsOffGuard eventsOff(general, *doc);
        EXPECT_FALSE(a->Lock());
        EXPECT_FALSE(b->Freeze());
        EXPECT_EQ(general.CheckEventsFlag(*doc), 0);
        doc->SetActiveLayer(a);
        doc->SetActiveTextStyle(other);
        com::Raise(ErrorCode::InvalidInput, "the work failed");
    } catch (const com::Error& e) {
        EXPECT_EQ(e.Code(), ErrorCode::InvalidInput);
    }
    EXPECT_TRUE(a->Lock());
    EXPECT_TRUE(b->Freeze());
    EXPECT_EQ(doc->ActiveLayer(), active);
    EXPECT_EQ(doc->ActiveTextStyle(), style);
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);

    // A 0 stays 0; an explicit Restore lets its own failure through.
    general.TurnEventsOff(*doc);
    {
        fluvanet::EventsOffGuard eventsOff(general, *doc);
    }
    EXPECT_EQ(general.CheckEventsFlag(*doc), 0);
    fluvanet::OpenedLayersGuard opened(general, *doc, ";B");
    b->Delete();
    EXPECT_EQ(ErrorOf([&] { opened.Restore(); }), ErrorCode::KeyNotFound);
}

}  // namespace
