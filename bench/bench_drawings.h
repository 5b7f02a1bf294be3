#pragma once
// The drawings the benchmarks time, made the same way by the benchmarks and by the test
// that guards their digests.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/acad_document.h"
#include "platform/acad_selection.h"

namespace bench_support {

struct Drawing {
    std::shared_ptr<acad::AcadDocument> doc;
    std::shared_ptr<acad::AcadSelectionSet> set;  // what the timed call works on
};

// n polylines end to end along a serpentine of rows of 100 points 10 units apart, shifted
// by (dx, dy), the last back at the first point; the network is defined and the polylines
// are picked in the set returned. Converted, they give n pipes and n nodes, so the labels
// never run out.
std::shared_ptr<acad::AcadSelectionSet> AddLoop(acad::AcadDocument& doc, int64_t n, const std::string& net,
                                                const std::string& type, double dx = 0, double dy = 0);
// A new drawing with an active view style and a loop for the gravity network "Sewer".
Drawing PolylinesInLoop(int64_t n);
void Convert(Drawing& drawing, const std::string& net, const std::string& type);
inline void ConvertIntoSewer(Drawing& drawing) { Convert(drawing, "Sewer", "Gravity"); }

// Network "Old" of n short east-west pipes one above the other, and n new north-south pipes
// of network "New" (picked), each crossing exactly one old pipe.
Drawing CrossingNetworks(int64_t n);

// The first `pipes` pipes of the converted "Sewer" with the nodes they join (a chain of
// pipes + 1 nodes), copied 1000 units north through the test host, which hands the copies
// to VerifyCopiedElements.
void CopySewerChain(const std::shared_ptr<acad::AcadDocument>& doc, int64_t pipes);

}  // namespace bench_support
