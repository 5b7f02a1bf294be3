// Profiles drawn through the whole road: a sewer and a water main converted from lines,
// crossing once, a terrain surface and a style of the test support; the blocks read back,
// refusals that change nothing, the state put back, and redrawing from the record.

#include <cmath>
#include <functional>
#include <set>

#include "core/general.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "platform/civil.h"
#include "platform/vb_text.h"
#include "tests/profile/profile_drawing.h"
#include "tests/support/erase_watch.h"
#include "tests/support/view_style.h"

namespace {

using namespace profile_testing;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;

struct Request {
    std::string name = "P1";
    std::string net = "Sewer";
    std::string type = "Gravity";
    std::string style = "Road";
    std::vector<std::string> pipes = {};  // all of the sewer when empty
    bool plan = true;
    std::vector<double> at = {1000, 2000, 0};
    bool datumAuto = true;
    double datum = 0;
};

// Split into parts of one pipe each (100 long, h 3.5: plot areas of 170); ground 106 from
// the surface, node grounds 105 - x / 100 and sumps 5 below.
class DrawnProfiles : public ProfileDrawing {
protected:
    DrawnProfiles() {
        AddActiveViewStyle(*doc, ViewStyleSettings());
        sewer = Convert("Sewer", "Gravity", {{0, 0, 100, 0}, {100, 0, 200, 0}, {200, 0, 300, 0}});
        water = Convert("Water", "Pressure", {{150, -50, 150, 50}});
        auto ground = civil->ActiveDocument()->Surfaces()->Add("Ground");
        ground->AddTriangle({-100, -100, 106}, {400, -100, 106}, {400, 100, 106});
        ground->AddTriangle({-100, -100, 106}, {400, 100, 106}, {-100, 100, 106});
        auto app = doc->Application();
        app->RegisterInterfaceObject(general.GetAeccAppString(*app), civil);
        AddProfileStyle(*doc, "Road", {{6, "1;100"}});
    }
    std::vector<TestPipe> Convert(const std::string& net, const std::string& type,
                                  const std::vector<std::vector<double>>& polylines) {
        general.CreateNetworkDefintion(*doc, net, type);
        auto set = general.InitializeSelectionSet(*doc, "Picked");
        std::vector<TestPipe> pipes;
        for (const auto& xy : polylines) {
            auto polyline = doc->ModelSpace()->AddLightWeightPolyline(xy);
            set->AddItems({polyline});
            pipes.push_back({polyline, ""});
        }
        fluvanet::Editing().CreateElementsInNetwork(*doc, *set, false, net, type);
        for (TestPipe& p : pipes) {
            p.label = vb::Split(RecordText(p.polyline, pe::kCombinedLabel), ";").at(2);
            std::vector<double> c = p.polyline->Coordinates();
            p.SetInverts(100.5 - c.front() / 100, 100.5 - c[c.size() - 2] / 100);
        }
        for (const auto& node : general.GetNetworkSet(*doc, net, 2)->Members()) {
            double x = acad::Cast<acad::AcadBlockReference>(node)->InsertionPoint()[0];
            SetRecordEntry(node, ne::kGroundLevel, Variant(105 - x / 100));
            SetRecordEntry(node, ne::kSumpLevel, Variant(100 - x / 100));
        }
        return pipes;
    }
    std::string Draw(Request r = {}) {
        if (r.pipes.empty()) r.pipes = ProfilePipeLists(sewer);
        std::string id = profile.DrawProfile(*doc, r.name, r.net, r.type, r.style, r.pipes,
                                             Variant(com::SafeArray::FromDoubles(r.at)), true, "Ground", r.datumAuto,
                                             r.datum, r.plan, r.plan);
        Drawing(r.net, r.name);
        return id;
    }
    // The fixture's readers look into this profile's block from now on.
    void Drawing(const std::string& net, const std::string& name) {
        block = doc->Blocks()->Item(Variant("Fluvamap_Profile_" + net + "_" + name));
    }
    static Variant At(double x, double y) { return Variant(com::SafeArray::FromDoubles({x, y, 0})); }
    std::shared_ptr<acad::AcadBlockReference> Reference(const std::string& id) {
        return acad::Cast<acad::AcadBlockReference>(fluvanet::ObjectFromId(*doc, id));
    }
    std::string Record(const std::shared_ptr<acad::AcadObject>& object) {
        std::string text;
        try {
            for (const auto& v : fluvanet::ElementRecord::Read(object).ValuesVariant().Array().ToStrings()) text += v + "|";
        } catch (const com::Error&) {
        }
        return text;
    }
    // Everything a refusal must leave as it was; blocks whose name holds `leaveOut` aside.
    std::string Snapshot(const std::string& leaveOut = "\n") {
        std::string s = Record(doc->ModelSpace()) + "\n";
        for (const auto& e : doc->Database()->SpaceEntities())
            s += std::string(e->TypeName()) + " " + fluvanet::IdText(*e) + " " + e->Layer() + " " + Record(e) + "\n";
        for (int32_t i = 0; i < doc->Blocks()->Count(); ++i) {
            auto b = doc->Blocks()->Item(Variant(i));
            if (b->Name().find(leaveOut) == std::string::npos) s += b->Name() + " " + std::to_string(b->Count()) + "\n";
        }
        for (int32_t i = 0; i < doc->Layers()->Count(); ++i) {
            auto l = doc->Layers()->Item(Variant(i));
            s += l->Name() + (l->Lock() ? " locked" : "") + (l->Freeze() ? " frozen" : "") + "\n";
        }
        return s + doc->ActiveLayer()->Name() + " " + doc->ActiveTextStyle()->Name();
    }
    std::vector<double> FrameLefts() {
        std::vector<double> lefts;
        for (const auto& p : Drawn<acad::AcadLWPolyline>("Profile - Frame")) lefts.push_back(p->Coordinates()[0]);
        return lefts;
    }

    // Whatever a test drew, refused or redrew leaves the records in step.
    void TearDown() override { EXPECT_THAT(testing_support::NetworkFindings(*doc), testing::IsEmpty()); }

    fluvanet::General general;
    std::shared_ptr<civil::AeccApplication> civil = std::make_shared<civil::AeccApplication>();
    std::vector<TestPipe> sewer, water;
};

TEST_F(DrawnProfiles, PartsStandSideBySideOnTheSurfaceAndTheReferenceTurnsWithTheSystem) {
    doc->SetVariable("UCSYDIR", Variant(com::SafeArray::FromDoubles({0, -1, 0})));
    const std::string id = Draw();
    // Frames start 10h left of each part's point: 0, L0 + W + 60, L0 + L1 + 2W + 120 with
    // L 170 and W 2h + the widest band label ("Material", 28).
    const double w = 7 + 28;
    EXPECT_THAT(FrameLefts(), Near({0 - 35, 170 + w + 60 - 35, 340 + 2 * w + 120 - 35}));
    EXPECT_THAT(Texts("Profile - Label"), testing::IsSupersetOf({"%%uP1  (Part 2/3) (315, -142) 1 Profile - Label",
                                                                 "10+0 (265, 157.75) 1 Profile - Label"}));
    EXPECT_EQ(Polylines("Profile - Manhole").size(), 6u);
    // The surface at every sample, over each part's own datum (97, 96, 95) at exaggeration 10.
    std::vector<std::set<double>> grounds;
    for (const auto& line : Polylines("Profile - Ground")) {
        std::set<double> y;
        for (std::size_t k = 1; k < line.size(); k += 2) y.insert(line[k]);
        grounds.push_back(y);
    }
    EXPECT_THAT(grounds, ElementsAre(std::set<double>{90}, std::set<double>{100}, std::set<double>{110}));

    auto reference = Reference(id);
    EXPECT_EQ(reference->Name(), "Fluvamap_Profile_Sewer_P1");
    EXPECT_THAT(Xyz(reference->InsertionPoint()), Near({1000, 2000, 0}));
    EXPECT_DOUBLE_EQ(reference->Rotation(), 3.141592654);
    EXPECT_DOUBLE_EQ(reference->XScaleFactor(), 1);
    fluvanet::ElementRecord record = fluvanet::ElementRecord::Read(reference);
    EXPECT_EQ(record.Text(1), "Profile;Sewer;P1");
    EXPECT_EQ(record.Text(12), "1;Ground");
    EXPECT_EQ(record.Text(13), "1000;2000");
    EXPECT_EQ(record.Text(9), ";RelatedToP1PlanAnno");
    auto plan = Reference(record.Text(10).substr(10));
    EXPECT_EQ(plan->Name(), "Fluvamap_PlanAnno_Sewer_P1");
    EXPECT_THAT(Xyz(plan->InsertionPoint()), Near({0, 0, 0}));
    EXPECT_EQ(plan->Rotation(), 0);
    EXPECT_EQ(RecordText(plan, 4), ";RelatedTo" + id);
    EXPECT_EQ(RecordText(sewer[2].polyline, pe::kProfileIds), ";RelatedTo" + id);
}

TEST_F(DrawnProfiles, APressureProfileWithoutTerrainHasNoManholesAndAStraightGround) {
    doc->Application()->SetVersion("18.0");
    // Late-bound as the host calls it.
    const std::string id = vb::CStr(vb::CallByName(
        std::make_shared<fluvanet::Profile>(), "DrawProfile", com::CallType::Method, doc, "W1", "Water", "Pressure",
        "Road", Variant(com::SafeArray::FromStrings(ProfilePipeLists(water))), At(0, 0), true, "Ground", true, 0.0,
        false, false));
    Drawing("Water", "W1");
    EXPECT_THAT(Polylines("Profile - Manhole"), IsEmpty());
    EXPECT_EQ(Polylines("Profile - Pipe").size(), 2u);
    // Node grounds 103.5 over the datum 96.
    EXPECT_THAT(Polylines("Profile - Ground"), ElementsAre(Near({0, 75, 100, 75})));
    fluvanet::ElementRecord record = fluvanet::ElementRecord::Read(Reference(id));
    EXPECT_EQ(record.Text(9) + record.Text(10), "");
    EXPECT_EQ(record.Text(14), "0;0");
    EXPECT_EQ(ErrorOf([&] { doc->Blocks()->Item(Variant("Fluvamap_PlanAnno_Water_W1")); }), ErrorCode::KeyNotFound);
}

TEST_F(DrawnProfiles, InputThatWouldFailMidwayIsRefusedBeforeAnythingIsDrawn) {
    doc->Layers()->Item(Variant("Sewer - Network"))->SetLock(true);
    const std::string node = fluvanet::IdText(*general.GetNetworkSet(*doc, "Sewer", 2)->Members().at(0));
    auto pipes = [&](std::function<void(std::vector<std::string>&)> change) {
        return [change, this](Request& r) {
            r.pipes = ProfilePipeLists(sewer);
            change(r.pipes);
        };
    };
    int styles = 0;
    auto style = [&](int entry, std::string value) {
        return [=, &styles, this](Request& r) {
            r.style = "Bad" + std::to_string(++styles);
            AddProfileStyle(*doc, r.style, {{entry, value}});
        };
    };
    struct Case {
        std::string fault;
        std::function<void(Request&)> change;
        ErrorCode error = ErrorCode::InvalidProcedureCall;
    };
    const std::vector<Case> cases{
        {"no style of that name", [](Request& r) { r.style = "road"; }},
        {"two lists", pipes([](auto& p) { p.pop_back(); })},
        {"no pipe", pipes([](auto& p) { p = {"", "", ""}; })},
        {"a direction short", pipes([](auto& p) { p[2] = ";0;0"; })},
        {"a node for a pipe", pipes([&](auto& p) { p[1] = ";RelatedTo" + node + p[1].substr(p[1].find(";", 1)); })},
        {"an id of nothing", pipes([](auto& p) { p[1] = ";RelatedTo99999" + p[1].substr(p[1].find(";", 1)); })},
        {"exaggeration 0", style(7, "1;1;1;0")},
        {"exaggeration below 0", style(7, "1;1;1;-10")},
        {"level spacing 0", style(8, "1;1;0;0")},
        {"station spacing below 0", style(9, "1;1;-50")},
        {"station interval 0 with values at stations", style(18, "9;Stations;2;0;0;0;1")},
        {"data height 0", style(5, "Standard;0;3.5;5")},
        {"labels height no number", style(5, "Standard;2.5;abc;5")},
        {"title height below 0", style(5, "Standard;2.5;3.5;-1")},
        {"a name that is no block name", [](Request& r) { r.name = "P;1"; }},
        {"an insertion point that is no number", [](Request& r) { r.at[1] = std::nan(""); }},
        {"a custom datum that is infinite",
         [](Request& r) {
             r.datumAuto = false;
             r.datum = -HUGE_VAL;
         }},
        {"the plan block taken but for case",
         [this](Request& r) { doc->Blocks()->Add({0, 0, 0}, "FLUVAMAP_PLANANNO_Sewer_" + r.name); },
         ErrorCode::DuplicateName},
    };
    for (const Case& c : cases) {
        Request r;
        c.change(r);
        const std::string before = Snapshot();
        EXPECT_EQ(ErrorOf([&] { Draw(r); }), c.error) << c.fault;
        EXPECT_EQ(Snapshot(), before) << c.fault;
    }
}

TEST_F(DrawnProfiles, ABlockTakenButForCaseIsRefusedAndTheFirstProfileStays) {
    Draw();
    std::string before = Snapshot();
    EXPECT_EQ(ErrorOf([&] { Draw({.net = "sewer"}); }), ErrorCode::DuplicateName);
    EXPECT_EQ(Snapshot(), before);
    // A plan block of that name only counts when the plan is drawn.
    doc->Blocks()->Add({0, 0, 0}, "Fluvamap_PlanAnno_sewer_P2");
    EXPECT_EQ(ErrorOf([&] { Draw({.name = "P2"}); }), ErrorCode::DuplicateName);
    Draw({.name = "P2", .plan = false});
}

TEST_F(DrawnProfiles, TextsTakeTheNamedStyleElseTheActiveOneAndTheStateComesBack) {
    auto roman = doc->TextStyles()->Add("Roman");
    AddProfileStyle(*doc, "Roman", {{5, "Roman;2.5;3.5;5"}, {6, "1;100"}});
    AddProfileStyle(*doc, "Missing", {{5, "Missing;2.5;3.5;5"}});
    auto work = doc->Layers()->Add("Work");
    doc->SetActiveLayer(work);
    auto styles = [&] {
        std::set<std::string> names;
        for (const auto& t : Drawn<acad::AcadText>()) names.insert(t->StyleName());
        return names;
    };
    auto state = [&] { return doc->ActiveLayer()->Name() + " " + doc->ActiveTextStyle()->Name(); };
    const std::string standard = doc->ActiveTextStyle()->Name();

    Draw({.name = "R", .style = "Roman"});
    EXPECT_THAT(styles(), ElementsAre("Roman"));
    EXPECT_EQ(state(), "Work " + standard);
    doc->SetActiveTextStyle(roman);
    Draw({.name = "M", .style = "Missing"});
    EXPECT_THAT(styles(), ElementsAre("Roman"));
    EXPECT_EQ(state(), "Work Roman");

    // A part that fails after the first was drawn.
    doc->SetActiveTextStyle(doc->TextStyles()->Item(Variant(standard)));
    Variant settings = profile.GetProfileStyleSettings(*doc, "Roman");
    Variant parts = profile.GetProfilePartsDataArrays(*doc, nullptr, "Sewer", settings, ProfilePipeLists(sewer), false, "");
    std::vector<Variant> records = parts.Array().ToVariants();
    std::vector<std::string> second = records[1].Array().ToStrings();
    second[14] = ";1;2";
    records[1] = Variant(com::SafeArray::FromStrings(second));
    EXPECT_EQ(ErrorOf([&] {
                  profile.CreateProfileBlock(*doc, "R", "Sewer", "Gravity", At(0, 0),
                                             Variant(com::SafeArray::FromVariants(records)), settings, true, 0);
              }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(state(), "Work " + standard);
}

TEST_F(DrawnProfiles, LockedLayersAreDrawnOnAndLockedAgain) {
    for (const char* name : {"Sewer - Network", "Profile - Label", "Work"}) {
        auto layer = doc->Layers()->Add(name);
        if (std::string(name) == "Work") doc->SetActiveLayer(layer);
        layer->SetLock(true);
    }
    const std::string id = Draw();
    EXPECT_THAT(Texts("Profile - Label"), testing::Not(IsEmpty()));
    EXPECT_EQ(RecordText(sewer[0].polyline, pe::kProfileIds), ";RelatedTo" + id);
    for (const char* name : {"Sewer - Network", "Profile - Label", "Work"}) EXPECT_TRUE(Layer(name)->Lock()) << name;
    EXPECT_FALSE(Layer("Profile - Frame")->Lock());
}

TEST_F(DrawnProfiles, AFailedRecordTakesTheNewProfileOutAndItsEntriesBack) {
    // The last pipe's profile names are so long already that one more does not fit.
    doc->SetStrictXDataLimits(true);
    const std::string longName(120, 'L');
    AddProfileStyle(*doc, "Other", {{6, "1;100"}});
    Draw({.name = longName, .style = "Other", .pipes = ProfilePipeLists({sewer[2]})});
    const std::string before = Snapshot();
    EXPECT_EQ(ErrorOf([&] { Draw({.name = longName + "2"}); }), ErrorCode::InvalidInput);
    // Only the definitions stay, as the next drawing of that name empties them.
    EXPECT_EQ(Snapshot(longName + "2"), before);
    EXPECT_THAT(RecordText(sewer[0].polyline, pe::kProfileIds) + RecordText(sewer[0].polyline, pe::kProfileLabels),
                IsEmpty());
    EXPECT_EQ(RecordText(fluvanet::ObjectFromId(*doc, profile.GetProfileStyleOID(*doc, "Road")), 4), "");
}

TEST_F(DrawnProfiles, AFlaggedProfileIsRedrawnWhereItStandsWithANewIdentifier) {
    const std::string old = Draw();
    Draw({.name = "W1", .net = "Water", .type = "Pressure", .pipes = ProfilePipeLists(water)});
    Reference(old)->SetInsertionPoint({5000, 6000, 0});
    profile.FlagProfileForUpdate(*doc, old);
    Drawing("Sewer", "P1");
    ASSERT_THAT(Texts(), testing::Contains(testing::StartsWith("NeedsUpdate")));
    doc->Layers()->Item(Variant("Sewer - Network"))->SetLock(true);
    auto watch = WatchErasures(*doc);

    vb::CallByName(std::make_shared<fluvanet::Profile>(), "UpdateProfile", com::CallType::Method, doc, old);
    doc->SetEraseObserver(nullptr);
    auto set = profile.GetExistingProfileSet(*doc, "Sewer");
    ASSERT_EQ(set->Count(), 1);
    auto redrawn = acad::Cast<acad::AcadBlockReference>(set->Item(0));
    const std::string id = fluvanet::IdText(*redrawn);
    EXPECT_NE(id, old);
    EXPECT_EQ(redrawn->Name(), "Fluvamap_Profile_Sewer_P1");
    EXPECT_THAT(Xyz(redrawn->InsertionPoint()), Near({5000, 6000, 0}));
    EXPECT_EQ(fluvanet::ElementRecord::Read(redrawn).Get(15), Variant(int16_t{0}));
    EXPECT_THAT(Texts(), testing::Not(testing::Contains(testing::StartsWith("NeedsUpdate"))));
    const std::string styleIds = RecordText(fluvanet::ObjectFromId(*doc, profile.GetProfileStyleOID(*doc, "Road")), 4);
    EXPECT_EQ(vb::Split(styleIds, ";RelatedTo" + id).size(), 2u);
    EXPECT_EQ(styleIds.find(old), std::string::npos);
    EXPECT_EQ(RecordText(sewer[1].polyline, pe::kProfileIds), ";RelatedTo" + id);
    // The old block and its plan went with events off; the flag and the lock are back.
    ASSERT_GE(watch->flags.size(), 2u);
    EXPECT_THAT(std::vector<int16_t>(watch->flags.begin(), watch->flags.begin() + 2), ElementsAre(0, 0));
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);
    EXPECT_TRUE(Layer("Sewer - Network")->Lock());

    // Deleting the water main's profiles leaves the sewer's.
    profile.DeleteNetworkProfiles(*doc, "Water");
    EXPECT_EQ(profile.GetExistingProfileSet(*doc, "")->Count(), 1);
}

TEST_F(DrawnProfiles, ARedrawThatCannotSucceedChangesNothing) {
    const std::string id = Draw();
    doc->Layers()->Item(Variant("Sewer - Network"))->SetLock(true);
    const std::string styleId = profile.GetProfileStyleOID(*doc, "Road");
    const std::vector<std::pair<std::string, std::function<void()>>> cases{
        {"the style renamed", [&] { SetRecordEntry(fluvanet::ObjectFromId(*doc, styleId), 1, Variant(";;Gone")); }},
        {"a pipe id stale",
         [&] { SetRecordEntry(Reference(id), 5, Variant(";RelatedTo99999;RelatedTo1;RelatedTo2")); }},
    };
    for (const auto& [fault, change] : cases) {
        std::string kept = RecordText(Reference(id), 5);
        change();
        const std::string before = Snapshot();
        EXPECT_EQ(ErrorOf([&] { profile.UpdateProfile(*doc, id); }), ErrorCode::InvalidProcedureCall) << fault;
        EXPECT_EQ(Snapshot(), before) << fault;
        SetRecordEntry(fluvanet::ObjectFromId(*doc, styleId), 1, Variant(";;Road"));
        SetRecordEntry(Reference(id), 5, Variant(kept));
    }
    const std::string before = Snapshot();
    EXPECT_EQ(ErrorOf([&] { profile.UpdateProfile(*doc, sewer[0].Id()); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(Snapshot(), before);
}

}  // namespace
