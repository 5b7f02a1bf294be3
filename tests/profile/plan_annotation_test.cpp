// The profile's name and stations written along its pipes in plan.

#include "tests/profile/profile_drawing.h"

namespace {

using namespace profile_testing;

const std::string kStations = "9;Stations;0;2;2;20;0";  // pattern 0+000.00

class PlanAnnotation : public ProfileDrawing {
protected:
    PlanAnnotation() { doc->SetActiveLayer(doc->Layers()->Add("Work")); }

    // "text (x, y) alignment layer @rotation", to 6 decimals: turns use the 10-digit angle constants.
    std::vector<std::string> Turned() const {
        auto n = [](double v) { return vb::CStr(vb::Round(v, 6) + 0.0); };
        std::vector<std::string> seen;
        for (const auto& t : Drawn<acad::AcadText>())
            seen.push_back(t->TextString() + " (" + n(t->TextAlignmentPoint()[0]) + ", " +
                           n(t->TextAlignmentPoint()[1]) + ") " + std::to_string(t->Alignment()) + " " + t->Layer() +
                           " @" + n(t->Rotation()));
        return seen;
    }
    // Records of pipe ids, directions, stations and title positions.
    static Variant Parts(const std::vector<std::vector<std::string>>& parts) {
        std::vector<Variant> records;
        for (const auto& p : parts) {
            std::vector<std::string> r(22);
            r[0] = p[0], r[1] = p[1], r[15] = p[2], r[21] = p[3];
            records.emplace_back(com::SafeArray::FromStrings(r));
        }
        return Variant(com::SafeArray::FromVariants(records));
    }
    NetworkBuilder net{*doc, "Main"};
};

TEST_F(PlanAnnotation, TwoPartsInOneBlockAtTheOriginWithTicksOnTheActiveLayer) {
    doc->TextStyles()->Add("Narrow");
    auto chain = net.AddChain({{0, 0}, {60, 0}, {100, 0}, {100, 10}});
    const Variant settings = Settings({{5, "Narrow;1;2.5;5"}, {6, "1;100"}, {18, kStations}});
    const Variant parts =
        profile.GetProfilePartsDataArrays(*doc, nullptr, "Main", settings, ProfilePipeLists(chain.pipes), false, "");
    auto active = doc->ActiveTextStyle();
    auto plan = profile.CreatePlanAnnotationBlockForProfile(*doc, "P1", "Main", parts, settings, true, true);
    ASSERT_EQ(plan->Name(), "Fluvamap_PlanAnno_Main_P1");
    EXPECT_THAT(Xyz(plan->InsertionPoint()), Near({0, 0, 0}));
    EXPECT_EQ(plan->Rotation(), 0);
    EXPECT_TRUE(doc->ActiveLayer()->Name() == "Work" && doc->ActiveTextStyle() == active);

    block = doc->Blocks()->Item(Variant(plan->Name()));
    // The second part runs north: its texts stand 0.75 left of the line, its ticks lie flat.
    EXPECT_THAT(Turned(), ElementsAre("0+000.00 (0, 0.75) 1 Profile - Plan Stations @0",
                                      "0+060.00 (60, 0.75) 1 Profile - Plan Stations @0",
                                      "0+100.00 (100, 0.75) 1 Profile - Plan Stations @0",
                                      "0+100.00 (99.25, 0) 1 Profile - Plan Stations @1.570796",
                                      "0+110.00 (99.25, 10) 1 Profile - Plan Stations @1.570796"));
    EXPECT_THAT(Lines("Work"),
                ElementsAre(Near({0, -0.5, 0, 0.5}), Near({60, -0.5, 60, 0.5}), Near({100, -0.5, 100, 0.5}),
                            Near({100.5, 0, 99.5, 0}), Near({100.5, 10, 99.5, 10})));
    EXPECT_TRUE(Drawn<acad::AcadText>()[0]->Height() == 1 && Drawn<acad::AcadText>()[0]->StyleName() == "Narrow");

    // A drawing call that fails midway still gives the active layer and style back.
    doc->ActiveLayer()->SetLock(true);
    EXPECT_EQ(
        ErrorOf([&] { profile.CreatePlanAnnotationBlockForProfile(*doc, "P1", "Main", parts, settings, false, true); }),
        ErrorCode::OnLockedLayer);
    EXPECT_TRUE(doc->ActiveLayer()->Name() == "Work" && doc->ActiveTextStyle() == active);
}

TEST_F(PlanAnnotation, StationsOnTheWalkAndPastItsEnd) {
    // A shared vertex ends the first segment; a west-going one is turned to read upright;
    // lengthless segments take the next direction, or the previous one at the end.
    const std::pair<std::vector<double>, double> walks[] = {{{0, 0, 10, 0, 10, 10}, 10},
                                                            {{10, 0, 0, 0}, 4},
                                                            {{0, 0, 0, 0, 10, 0}, 0},
                                                            {{0, 0, 10, 0, 10, 0}, 12},
                                                            {{0, 0, 10, 0, 10, 10}, 25}};
    // The host's arrays keep 16-bit indices.
    const std::vector<double> tooLong(32768);
    for (const auto& call : std::vector<std::function<void()>>{
             [&] { profile.WritePlanStation(tooLong, 0, *block, "S", 1, 0); },
             [&] { profile.WritePlanName(tooLong, 0, *block, "P", 1, 0); },
             [&] { profile.DrawPlanStations(*block, ";5;120", "", 1, kStations, tooLong, 0); },
             [&] { profile.DrawPlanPofileName(*block, ";5", "", 1, tooLong, "P", 0); }}) {
        EXPECT_EQ(ErrorOf(call), ErrorCode::Overflow);
        EXPECT_EQ(block->Count(), 0);
    }
    for (const auto& [line, station] : walks) profile.WritePlanStation(line, station, *block, "S", 1, 0);
    // Decimals follow the settings even for whole stations.
    profile.DrawPlanStations(*block, ";5;120;10;1234.5", "", 1, kStations, {0, 0, 20, 0}, 0);
    EXPECT_THAT(
        Turned(),
        ElementsAre("S (10, 0.75) 1 Profile - Plan Stations @0", "S (6, 0.75) 1 Profile - Plan Stations @6.283185",
                    "S (0, 0.75) 1 Profile - Plan Stations @0", "S (10, 0.75) 1 Profile - Plan Stations @0",
                    "S (9.25, 10) 1 Profile - Plan Stations @1.570796",
                    "0+120.00 (5, 0.75) 1 Profile - Plan Stations @0",
                    "1+234.50 (10, 0.75) 1 Profile - Plan Stations @0"));
    EXPECT_THAT(Lines("Work"), ElementsAre(Near({10, -0.5, 10, 0.5}), Near({6, 0.5, 6, -0.5}), Near({0, -0.5, 0, 0.5}),
                                           Near({10, -0.5, 10, 0.5}), Near({10.5, 10, 9.5, 10}),
                                           Near({5, -0.5, 5, 0.5}), Near({10, -0.5, 10, 0.5})));
}

TEST_F(PlanAnnotation, NamesAlongTheLineAndWhatIsRefused) {
    auto a = net.AddNode(0, 0), b = net.AddNode(10, 0), c = net.AddNode(10, 10);
    TestPipe first = net.AddPipe(a, b, {{5, 2}}), second = net.AddPipe(c, b);
    const std::string ids = ";" + first.Id() + ";" + second.Id();
    EXPECT_THAT(profile.GetTotalPipeCoordinates(*doc, ids, ";0;1"), Near({0, 0, 5, 2, 10, 0, 10, 10}));

    const Variant settings = Settings({{5, "Missing;1;2.5;5"}, {18, kStations}});
    const auto blocks = doc->Blocks()->Count();
    EXPECT_EQ(profile.CreatePlanAnnotationBlockForProfile(*doc, "P1", "Main", Parts({}), settings, false, false),
              nullptr);
    EXPECT_EQ(doc->Blocks()->Count(), blocks);

    const Variant parts = Parts({{ids, ";0;1", ";0;0", ";5"}, {";" + second.Id(), ";1", "", ";5"}});
    auto plan = profile.CreatePlanAnnotationBlockForProfile(*doc, "P1", "Main", parts, settings, true, false);
    block = doc->Blocks()->Item(Variant(plan->Name()));
    // Station 5 on the first segment, towards (5, 2): about (4.642, 1.857), turned by atan 0.4.
    EXPECT_THAT(Turned(), ElementsAre("P1 (1.856953, 8.820529) 1 Profile - Plan Title @0.380506",
                                      "P1 (2.5, 5) 1 Profile - Plan Title @1.570796"));
    EXPECT_EQ(Drawn<acad::AcadText>()[0]->StyleName(), doc->ActiveTextStyle()->Name());

    // A broken station list or a data height of 0 raises before the annotation is emptied.
    for (const auto& [bad, text, code] :
         {std::tuple{Parts({{ids, ";0;1", ";0", ""}}), "Missing;1;2.5;5", ErrorCode::SubscriptOutOfRange},
          std::tuple{parts, "Missing;0;2.5;5", ErrorCode::InvalidProcedureCall}}) {
        const Variant styled = Settings({{5, text}, {18, kStations}});
        EXPECT_EQ(
            ErrorOf([&] { profile.CreatePlanAnnotationBlockForProfile(*doc, "P1", "Main", bad, styled, true, true); }),
            code);
        EXPECT_EQ(block->Count(), 2);
    }

    // The second pipe bulges west in a half circle; run against the profile, its arc turns
    // the other way. Half along it, the tick and the name stand at (5, 5), turned as its chord.
    second.polyline->SetBulge(0, 1);
    const std::string middle = vb::CStr(first.polyline->Length() + 5 * std::acos(-1.0) / 2);
    const Variant arcs = Parts({{ids, ";0;1", ";" + middle + ";20", ";" + middle}});
    profile.CreatePlanAnnotationBlockForProfile(*doc, "P1", "Main", arcs, settings, true, true);
    EXPECT_THAT(Turned(), ElementsAre("0+020.00 (4.25, 5) 1 Profile - Plan Stations @1.570796",
                                      "P1 (-2.5, 5) 1 Profile - Plan Title @1.570796"));
    EXPECT_THAT(Lines("Work"), ElementsAre(Near({5.5, 5, 4.5, 5})));
}

}  // namespace
