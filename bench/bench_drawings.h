#pragma once
// The drawings the benchmarks time, made the same way by the benchmarks and by the test
// that guards their digests.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

// A gravity network "Sewer" of n pipes and n nodes around the same serpentine loop, written
// straight into a drawing with an active view style: pipe P-k runs from node N-k to node
// N-(k+1), the last back to N-1, falling 0.01 per pipe from invert 100; every node has a
// ground 3 above and a sump 0.5 below its lowest invert; the libraries count the pipes
// (all PVC, circular 200). `labelled` gives every pipe its
// label block and arrow and every node its label block, inserted by the library as a
// conversion inserts them.
Drawing SewerLoop(int64_t n, bool labelled = true);

// The profile style "Road" of the test support made, and the lists of a profile line along
// the first `pipes` pipes of "Sewer" (label references, ID references, directions).
std::vector<std::string> ProfileLine(acad::AcadDocument& doc, int64_t pipes);

// The first `pipes` pipes of "Sewer" with the nodes they join (a chain of pipes + 1 nodes),
// copied 1000 units north as the host copies them; the copies' identifiers, each followed
// by ";", not yet handed to VerifyCopiedElements.
std::string CopySewerChainEntities(acad::AcadDocument& doc, int64_t pipes);
// The copies handed to VerifyCopiedElements, as the host hands them.
void VerifyCopies(acad::AcadDocument& doc, const std::string& copies);
// Both: the chain copied through the test host's road.
void CopySewerChain(const std::shared_ptr<acad::AcadDocument>& doc, int64_t pipes);

}  // namespace bench_support
