// The drawings the benchmarks make are the library's results at scale: a change meant to make
// it faster must leave each of them exactly as it was. A change meant to alter a result
// records the new digest here, in a commit of its own that says why.
//
// FLUVANET_DIGEST_DUMP=<folder> writes each drawing's text there, for a diff against the
// text of the code before the change.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/bench_drawings.h"
#include "bench/drawing_digest.h"
#include "core/general.h"
#include "crossing/crossing.h"
#include "events/events.h"
#include "events/update_oids.h"
#include "platform/host_driver.h"
#include "profile/profile.h"
#include "tests/support/view_style.h"

namespace {

using namespace bench_support;

std::string Digest(acad::AcadDocument& doc, const std::string& name) {
    if (const char* folder = std::getenv("FLUVANET_DIGEST_DUMP"))
        std::ofstream(std::string(folder) + "/" + name + ".txt") << DrawingText(doc);
    return DrawingDigest(doc);
}

TEST(BenchmarkDrawings, ConversionAndCopiesAtTwoThousandPipes) {
    Drawing d = PolylinesInLoop(2000);
    ConvertIntoSewer(d);
    EXPECT_EQ(Digest(*d.doc, "conversion"), "e18f2f40337a45d2");
    CopySewerChain(d.doc, 500);
    EXPECT_EQ(Digest(*d.doc, "copies"), "90124fb7f0440690");
}

TEST(BenchmarkDrawings, CrossingsAtTwoThousandPipes) {
    Drawing d = CrossingNetworks(2000);
    fluvanet::Crossing crossing;
    crossing.BuildCrossingPointsAfterImporting(*d.doc, *d.set, "Metric");
    EXPECT_EQ(Digest(*d.doc, "crossings"), "cf2e3479489ef91d");

    // A main converted across them: crossings found while converting, low and high points.
    testing_support::AddActiveViewStyle(*d.doc, testing_support::ViewStyleSettings());
    d.set = AddLoop(*d.doc, 2000, "Water", "Pressure", 6, 5);
    Convert(d, "Water", "Pressure");
    EXPECT_EQ(Digest(*d.doc, "main"), "1756cf8688147310");
}

TEST(BenchmarkDrawings, LabelledSewerAtTwoThousandPipes) {
    // A profile along 500 pipes; then copied, renumbered as by a save and reopen and
    // rebuilt, and deleted.
    Drawing d = SewerLoop(2000);
    fluvanet::Profile().DrawProfile(*d.doc, "L-1", "Sewer", "Gravity", "Road", ProfileLine(*d.doc, 500),
                                    com::Variant(com::SafeArray::FromDoubles({0, -2000, 0})), false, "", true, 0,
                                    true, true);
    EXPECT_EQ(Digest(*d.doc, "profile"), "b17c7cdac5194797");
    CopySewerChain(d.doc, 500);
    d.doc->ReopenWithNewIds();
    fluvanet::UpdateOIDs().UpdateObjectIDs(*d.doc);
    EXPECT_EQ(Digest(*d.doc, "identifiers"), "056432ef0497dfbb");
    fluvanet::General().DeleteNetwork(*d.doc, "Sewer");
    EXPECT_EQ(Digest(*d.doc, "deleted"), "2c8eb8290094357e");

    // Every object of the network erased by the user through the host; the lists show the
    // cascade's course.
    d = SewerLoop(2000);
    auto general = std::make_shared<fluvanet::General>();
    auto network = general->GetNetworkSet(*d.doc, "Sewer", 0)->Members();
    host::EventDriver::EraseLists lists =
        host::EventDriver(d.doc, general, std::make_shared<fluvanet::Events>()).Erase(network);
    EXPECT_EQ(Digest(*d.doc, "erased"), "662ce56609f6d9c8");
    EXPECT_EQ(TextDigest(lists.erased + "\n" + lists.toBeErased + "\n" + lists.nodesForLowHigh), "fe3b3eb3707f2291");
}

}  // namespace
