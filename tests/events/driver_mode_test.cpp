// The host reporting the library's own erasures: a deletion made with events on cascades as a
// user's would, within a command or as an operation of its own; one made with events off, or
// by the host itself, reaches no handler.

#include "annotation/view_style.h"
#include "tests/events/cascade_drawing.h"

namespace {

using namespace cascade_testing;
using fluvanet::IdText;
using testing::ElementsAre;
using testing::IsEmpty;

TEST(DriverMode, ADeletionWithEventsOnCascadesInItsCommandOrAtOnceAndWithEventsOffNot) {
    CascadeDrawing d;
    d.host.SetReportLibraryDeletions(true);
    auto pipe = d.P(0).polyline;
    auto c = d.C(), a = d.A();
    auto crossing = d.Crossing(0);
    const std::string queue = d.Key(pipe, pe::kLabelBlockId) + ";" + d.Key(pipe, pe::kArrowId) + ";" +
                              d.Key(crossing, 15) + ";" + IdText(*crossing) + ";";
    std::string erasedInside;
    host::EventDriver::EraseLists lists = d.host.Command([&] {
        pipe->Delete();
        // Still queued while the command runs.
        erasedInside = d.Named(crossing, 15) ? "leader there" : "leader gone";
    });
    EXPECT_EQ(erasedInside, "leader there");
    EXPECT_THAT(d.host.ReportedDeletions(), ElementsAre(d.P(0).Id()));
    EXPECT_EQ(lists.toBeErased, queue);
    EXPECT_EQ(lists.erased, d.P(0).Id() + ";" + queue);
    EXPECT_THAT(d.events->lowHigh, ElementsAre(IdText(*c) + ";" + IdText(*a) + ";"));
    EXPECT_EQ(d.Usage(), "7/7");
    d.Sound();

    // Outside a command: finished right after, the profile of its first pipe with it.
    d.S(0).polyline->Delete();
    EXPECT_THAT(d.host.ReportedDeletions(), ElementsAre(d.P(0).Id(), d.S(0).Id()));
    EXPECT_TRUE(d.profile.block->Erased());
    EXPECT_EQ(d.Usage(), "6/6");
    d.Sound();

    d.general->TurnEventsOff(*d.doc);
    auto label = d.Named(d.P(1).polyline, pe::kLabelBlockId);
    lists = d.host.Command([&] { d.P(1).polyline->Delete(); });
    EXPECT_EQ(lists.erased + lists.toBeErased + lists.nodesForLowHigh, "");
    EXPECT_EQ(d.host.ReportedDeletions().size(), 2u);
    EXPECT_FALSE(label->Erased());
}

TEST(DriverMode, TheHostsOwnErasuresAndWhatHandlersDeleteChangeNoListOfTheOperation) {
    // Ids are drawn alike in drawings built alike: with and without the mode, the same.
    std::vector<std::vector<std::string>> outcomes;
    for (bool mode : {false, true}) {
        CascadeDrawing d;
        d.host.SetReportLibraryDeletions(mode);
        host::EventDriver::EraseLists profile = d.host.Erase({d.profile.block});
        EXPECT_EQ(profile.erased, d.profile.Id() + ";");
        EXPECT_TRUE(d.profile.plan->Erased());
        host::EventDriver::EraseLists node = d.host.Erase({d.C()});
        EXPECT_THAT(d.host.ReportedDeletions(), IsEmpty());
        d.Sound();
        std::vector<std::string> outcome = d.Records();
        outcome.push_back(node.erased + "|" + node.toBeErased + "|" + node.nodesForLowHigh);
        outcomes.push_back(outcome);
    }
    EXPECT_EQ(outcomes[0], outcomes[1]);
}

TEST(DriverMode, RelabellingANetworkInACommandReportsNothing) {
    std::vector<std::vector<std::string>> outcomes;
    for (bool mode : {false, true}) {
        CascadeDrawing d;
        d.host.SetReportLibraryDeletions(mode);
        fluvanet::ViewStyle vs;
        com::Variant table = vs.GetAnnotationFormatArray(vs.GetActiveViewStyleSettingsArray(*d.doc));
        auto old = d.Named(d.P(0).polyline, pe::kLabelBlockId);
        host::EventDriver::EraseLists lists =
            d.host.Command([&] { vs.ApplyAnnotationsToNetwork(*d.doc, "Main", table, 0); });
        EXPECT_TRUE(old->Erased());
        EXPECT_THAT(d.host.ReportedDeletions(), IsEmpty());
        EXPECT_EQ(lists.erased + lists.toBeErased + lists.nodesForLowHigh, "");
        EXPECT_EQ(d.general->CheckEventsFlag(*d.doc), 1);
        d.Sound();
        outcomes.push_back(d.Records());
    }
    EXPECT_EQ(outcomes[0], outcomes[1]);
}

}  // namespace
