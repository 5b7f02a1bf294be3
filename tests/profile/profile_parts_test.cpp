// A profile cut into parts of whole pipes, and the parts data record of each part.

#include <map>

#include "profile/parts_data.h"
#include "profile/profile.h"
#include "profile/profile_records.h"
#include "tests/crossing/crossing_drawing.h"

namespace {

using namespace crossing_testing;
using com::SafeArray;

class ProfileParts : public CrossingDrawing {
protected:
    // Pipes of network A end to end along the x axis, the given lengths.
    std::vector<TestPipe> Run(const std::vector<double>& lengths) {
        std::vector<geom::Point2> points{{0, 0}};
        for (double l : lengths) points.push_back({points.back().x + l, 0});
        return a.AddChain(points).pipes;
    }
    static std::string Ids(const std::vector<TestPipe>& pipes) {
        std::string ids;
        for (const TestPipe& p : pipes) ids += ";" + p.Id();
        return ids;
    }
    std::vector<std::vector<std::string>> Records(const std::vector<TestPipe>& pipes,
                                                  const std::map<int, std::string>& style,
                                                  const std::vector<std::string>& directions = {}) {
        Variant settings(SafeArray::FromStrings(ProfileStyleValues("Road", style)));
        Variant parts = profile.GetProfilePartsDataArrays(*doc, nullptr, "A", settings,
                                                          ProfilePipeLists(pipes, directions), false, "");
        std::vector<std::vector<std::string>> records;
        for (const Variant& r : parts.Array().ToVariants()) records.push_back(r.Array().ToStrings());
        return records;
    }
    fluvanet::Profile profile;
};

TEST_F(ProfileParts, PipesGoIntoPartsWithinTheMaximumLength) {
    auto pipes = Run({60, 40, 10});
    std::string refs = ProfilePipeLists(pipes)[1];
    auto parts = profile.GetSplitPipesOIDArray(*doc, "1;100", refs);
    EXPECT_THAT(parts, ElementsAre(Ids({pipes[0], pipes[1]}), Ids({pipes[2]})));
    EXPECT_THAT(profile.GetSplitPipesDirectionArray(";0;1;0", parts), ElementsAre(";0;1", ";0"));
    EXPECT_EQ(ErrorOf([&] { profile.GetSplitPipesDirectionArray(";0;1", parts); }), ErrorCode::SubscriptOutOfRange);
    // The host's lists keep 16-bit indices.
    EXPECT_EQ(ErrorOf([&] { profile.GetSplitPipesDirectionArray(";0", std::vector<std::string>(32768)); }),
              ErrorCode::Overflow);

    for (const char* off : {"0;10", "abc;10"}) EXPECT_THAT(profile.GetSplitPipesOIDArray(*doc, off, refs), ElementsAre(Ids(pipes)));
    auto longFirst = Run({150, 20});
    EXPECT_THAT(profile.GetSplitPipesOIDArray(*doc, "1;100", ProfilePipeLists(longFirst)[1]),
                ElementsAre(Ids({longFirst[0]}), Ids({longFirst[1]})));
    EXPECT_THAT(profile.GetSplitPipesOIDArray(*doc, "1;100", ""), ElementsAre(""));
    EXPECT_EQ(ErrorOf([&] { profile.GetSplitPipesOIDArray(*doc, "1", refs); }), ErrorCode::SubscriptOutOfRange);
}

TEST_F(ProfileParts, EveryEntryOfTwoPartsWithAReversedPipe) {
    // N-1 (0) - P-1 - N-2 (60) - P-2 - N-3 (100) - P-3 - N-4 (125); P-3 is drawn from N-4.
    TestNode n1 = a.AddNode(0, 0), n2 = a.AddNode(60, 0), n3 = a.AddNode(100, 0), n4 = a.AddNode(125, 0);
    TestPipe p1 = a.AddPipe(n1, n2), p2 = a.AddPipe(n2, n3), p3 = a.AddPipe(n4, n3);
    p1.SetInverts(100, 99.25);
    p2.SetInverts(99.25, 99).SetMaterial("Concrete");
    p3.SetInverts(98.5, 98.75).SetSize("SectionShape_Box", 1000, 600, 2);
    TestPipe out = a.AddPipe(n2, a.AddNode(60, -20));
    out.SetInverts(99.125, 99);
    a.AddPipe(a.AddNode(60, 20), n2).SetInverts(99.75, 99.5);
    n1.SetGround(102).SetSump(99.75);
    n2.SetGround(101.5).SetSump(99);
    n3.SetGround(101).SetSump(98.5);
    n4.SetGround(100.5).SetSump(98.25);
    Pipe(b, {120, -10}, {120, 10}, 97, 96);
    Build({p3});

    auto records = Records({p1, p2, p3}, {{6, "1;100"}, {18, "9;Stations;2;0;0;30;1"}, {19, "5;Coords;2;0;1;0"}},
                           {"0", "0", "1"});
    ASSERT_EQ(records.size(), 2u);
    EXPECT_THAT(records[0],
                ElementsAre(Ids({p1, p2}), ";0;0", ";60;40", ";100;99.25;99.25;99", ";0;200;200;1;0;200;200;1",
                            ";0.0125;0.00625", ";PVC;Concrete", ";N-1;N-2;N-3", ";102;101.5;101", ";99.75;99;98.5",
                            ";60;99.125;0;200;200;1;60;99.5;0;200;200;1", ";2;2.25;2.25;2", ";1.8;2.05;2.05;1.8",
                            ";0;102;60;101.5;60;101.5;100;101", "", ";0;0;60;60;100;100;30;30;60;60;90;90",
                            ";0;0;0;60;60;0;100;100;0", ";30;99.625;60;99.25;90;99.0625",
                            ";30;101.75;60;101.5;90;101.125", ";30;2.125;60;2.25;90;2.0625",
                            ";30;1.925;60;2.05;90;1.8625", ""));
    // The shared node opens the second part at local 0; the boundary pipe is no connected pipe.
    EXPECT_THAT(records[1],
                ElementsAre(Ids({p3}), ";1", ";25", ";98.75;98.5", ";1;1000;600;2", ";0.01", ";PVC", ";N-3;N-4",
                            ";101;100.5", ";98.5;98.25", "", ";2.25;2", ";1.65;1.4", ";0;101;25;100.5",
                            ";20;96.5;0;200;200;1;B", ";0;100;25;125;20;120", ";0;100;0;25;125;0", ";20;98.55",
                            ";20;100.6", ";20;2.05", ";20;1.45", ""));

    // Stations off: no station data, only the node pairs.
    records = Records({p1, p2, p3}, {{6, "1;100"}}, {"0", "0", "1"});
    EXPECT_EQ(records[0][fluvanet::parts_entry::kStations], ";0;0;60;60;100;100");
    for (int k = 17; k <= 20; ++k) EXPECT_EQ(records[1][static_cast<std::size_t>(k)], "");
    Sound();
}

TEST_F(ProfileParts, TitlePositionsInPlan) {
    namespace pe = fluvanet::parts_entry;
    EXPECT_EQ(Records(Run({200, 300}), {})[0][pe::kTitlePositions], ";250");
    EXPECT_EQ(Records(Run({600}), {})[0][pe::kTitlePositions], ";300;600");
    auto records = Records(Run({600, 600}), {{6, "1;600"}});
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1][pe::kTitlePositions], ";300;600");
    EXPECT_EQ(records[1][pe::kStations], ";0;600;600;1200");
}

TEST_F(ProfileParts, AStartOnTheIntervalUpToFloatingErrorGetsTheFullInterval) {
    // 0.7 + 0.1 falls just short of 0.8: the second part starts a hair before a multiple of 0.4.
    auto records = Records(Run({0.7, 0.1, 0.5}), {{6, "1;0.8"}, {18, "9;Stations;2;0;0;0.4;1"}});
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1][fluvanet::parts_entry::kStations], ";0;0.8;0.5;1.3;0.4;1.2");
    EXPECT_EQ(records[1][fluvanet::parts_entry::kStationInverts], ";0.4;0");
    EXPECT_DOUBLE_EQ(fluvanet::DistanceToNextMultiple(600, 300), 300);
    EXPECT_DOUBLE_EQ(fluvanet::DistanceToNextMultiple(35, 20), 5);
}

TEST_F(ProfileParts, BadSettingsAndPipesAreRefused) {
    auto pipes = Run({10});
    auto refused = [&](const std::map<int, std::string>& style, std::vector<std::string> lists) {
        Variant settings(SafeArray::FromStrings(ProfileStyleValues("Road", style)));
        return ErrorOf([&] { profile.GetProfilePartsDataArrays(*doc, nullptr, "A", settings, lists, false, ""); });
    };
    // The interval is checked before any pipe is opened: the list names no pipe at all.
    std::vector<std::string> stale{";RelatedToP-9", ";RelatedTo999999", ";0"};
    EXPECT_EQ(refused({{18, "9;Stations;2;0;0;0;1"}}, stale), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(refused({{18, "9;Stations;2;0;0;x;2"}, {19, "5;Coords;2;1;0;0"}}, stale), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(refused({}, stale), ErrorCode::ObjectNotFound);
    EXPECT_EQ(refused({{19, "5;Coords;2"}}, ProfilePipeLists(pipes)), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(refused({}, {";RelatedToP-1"}), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { fluvanet::StyleSettingsItem(Variant(SafeArray::FromStrings({"a"})), 6, 0); }),
              ErrorCode::SubscriptOutOfRange);

    // No length in plan, no slope.
    TestPipe zero = a.AddPipe(a.AddNode(50, 50), a.AddNode(50, 50));
    zero.SetInverts(100, 99);
    EXPECT_EQ(Records({zero}, {})[0][fluvanet::parts_entry::kSlopes], ";0");
}

TEST_F(ProfileParts, TheHostGetsTheRecordsLateBound) {
    auto pipes = Run({10, 20});
    auto shared = std::make_shared<fluvanet::Profile>();
    Variant settings(SafeArray::FromStrings(ProfileStyleValues("Road")));
    Variant lists(SafeArray::FromStrings(ProfilePipeLists(pipes)));
    Variant parts = vb::CallByName(shared, "GetProfilePartsDataArrays", com::CallType::Method, Variant(doc),
                                   Variant::Nothing(), std::string("A"), settings, lists, false, std::string(""));
    ASSERT_EQ(parts.Array().UBound(1), 0);
    EXPECT_EQ(parts.Array().Get(0).Array().UBound(1), 21);
    EXPECT_EQ(vb::CStr(parts.Array().Get(0).Array().Get(2)), ";10;20");
}

}  // namespace
