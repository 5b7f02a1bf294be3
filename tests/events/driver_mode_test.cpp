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
    auto c = d.C(), a = d.A(), crossing = d.Crossing(0);
    const std::string queue = d.Key(pipe, pe::kLabelBlockId) + ";" + d.Key(pipe, pe::kArrowId) + ";" +
                              d.Key(crossing, 15) + ";" + IdText(*crossing) + ";";
    bool queuedUntilTheEnd = false;
    host::EventDriver::EraseLists lists = d.host.Command([&] {
        pipe->Delete();
        queuedUntilTheEnd = d.Named(crossing, 15) != nullptr;
    });
    EXPECT_TRUE(queuedUntilTheEnd);
    EXPECT_THAT(d.host.ReportedDeletions(), ElementsAre(d.P(0).Id()));
    EXPECT_EQ(lists.erased + "|" + lists.toBeErased, d.P(0).Id() + ";" + queue + "|" + queue);
    EXPECT_EQ(lists.nodesForLowHigh, IdText(*c) + ";" + IdText(*a) + ";");
    EXPECT_EQ(d.Usage(), "7/7");
    d.Sound();

    // Outside a command: finished at once, with the profile of its first pipe.
    d.S(0).polyline->Delete();
    EXPECT_THAT(d.host.ReportedDeletions(), ElementsAre(d.P(0).Id(), d.S(0).Id()));
    EXPECT_TRUE(d.profile.block->Erased());
    d.Sound();

    d.general->TurnEventsOff(*d.doc);
    auto label = d.Named(d.P(1).polyline, pe::kLabelBlockId);
    lists = d.host.Command([&] { d.P(1).polyline->Delete(); });
    EXPECT_EQ(lists.erased + lists.toBeErased + lists.nodesForLowHigh, "");
    EXPECT_EQ(d.host.ReportedDeletions().size(), 2u);
    EXPECT_FALSE(label->Erased());
}

TEST(DriverMode, TheHostsErasuresAHandlersDeletionAndARelabellingReportNothingMore) {
    // Drawings built alike draw the same identifiers: with the mode and without, the same.
    std::vector<std::vector<std::string>> outcomes;
    for (bool mode : {false, true}) {
        CascadeDrawing d;
        d.host.SetReportLibraryDeletions(mode);
        host::EventDriver::EraseLists profile = d.host.Erase({d.profile.block});
        EXPECT_EQ(profile.erased, d.profile.Id() + ";");  // not the plan annotation it deleted
        host::EventDriver::EraseLists node = d.host.Erase({d.C()});
        fluvanet::ViewStyle vs;
        com::Variant table = vs.GetAnnotationFormatArray(vs.GetActiveViewStyleSettingsArray(*d.doc));
        host::EventDriver::EraseLists relabel =
            d.host.Command([&] { vs.ApplyAnnotationsToNetwork(*d.doc, "Sewer", table, 0); });
        EXPECT_EQ(relabel.erased + relabel.toBeErased + relabel.nodesForLowHigh, "");
        EXPECT_EQ(d.general->CheckEventsFlag(*d.doc), 1);
        EXPECT_THAT(d.host.ReportedDeletions(), IsEmpty());
        d.Sound();
        outcomes.push_back(d.Records());
        outcomes.back().push_back(node.erased + "|" + node.toBeErased + "|" + node.nodesForLowHigh);
    }
    EXPECT_EQ(outcomes[0], outcomes[1]);
}

}  // namespace
