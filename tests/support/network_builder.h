#pragma once
// Networks for tests, written straight into the drawing as the editing operations leave
// them: nodes are references of "Fluvamap_Node" at (x, y, 0), scale 1, rotation 0; pipes
// lightweight polylines from a start node to an end node; both on the network's
// " - Network" layer, with new records linked both ways (pipe [12]-[15], node [5]-[8]).
//
//   auto doc = NewProjectDrawing();
//   NetworkBuilder net(*doc, "Main");                 // defined unless already listed
//   auto chain = net.AddChain({{0, 0}, {10, 0}, {20, 0}});
//   auto side = net.AddNode(10, 8);
//   net.AddPipe(side, chain.nodes[1]).SetInverts(101.2, 100.9);
//   chain.nodes[1].SetGround(103).SetSump(100.5);
//   EXPECT_THAT(NetworkFindings(*doc), IsEmpty());

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/element_records.h"
#include "host/new_project.h"
#include "platform/acad_document.h"
#include "platform/geometry.h"

namespace testing_support {

// A new drawing carrying the host's project record (two library points in entries 5, 6).
std::shared_ptr<acad::AcadDocument> NewProjectDrawing(const host::ProjectOptions& options = {});

// Adds a network to the project record as a definition leaves it: name and type appended
// to entries 3 and 4, visibility "1", a crossing pair with every older network (new name
// first), entry 9 for a pressure network; and makes its " - Network" layer. It checks
// nothing, so a test can define a name twice on purpose.
void DefineNetwork(acad::AcadDocument& doc, const std::string& name, const std::string& type);

// One entry of an object's record rewritten, the record read fresh and its codes kept.
// Also the way to break a record for a test.
void SetRecordEntry(const std::shared_ptr<acad::AcadObject>& object, int32_t entry, com::Variant value);
std::string RecordText(const std::shared_ptr<acad::AcadObject>& object, int32_t entry);

struct TestNode {
    std::shared_ptr<acad::AcadBlockReference> block;
    std::string label;

    std::string Id() const;
    fluvanet::ElementRecord Record() const;  // read now
    const TestNode& SetGround(double level) const;
    const TestNode& SetSump(double level) const;
};

struct TestPipe {
    std::shared_ptr<acad::AcadLWPolyline> polyline;
    std::string label;

    std::string Id() const;
    fluvanet::ElementRecord Record() const;  // read now
    const TestPipe& SetInverts(double start, double end) const;
    // shape: "SectionShape_Circular" or "SectionShape_Box"
    const TestPipe& SetSize(std::string_view shape, double span, double rise, int16_t cells = 1) const;
    const TestPipe& SetMaterial(std::string_view material) const;
};

struct TestChain {
    std::vector<TestNode> nodes;  // one per point
    std::vector<TestPipe> pipes;  // pipes[i] runs from nodes[i] to nodes[i + 1]
};

// Polylines (x0, y0, x1, y1, ...) converted by the library into the network it defines
// first (General::CreateNetworkDefintion, Editing::CreateElementsInNetwork): the pipes in the
// order given, with the labels the conversion gave them.
std::vector<TestPipe> ConvertPolylines(acad::AcadDocument& doc, const std::string& net, const std::string& type,
                                       const std::vector<std::vector<double>>& polylines);

class NetworkBuilder {
public:
    // A network the project record lists keeps its definition (another type than stored
    // raises Invalid procedure call); any other name is defined with DefineNetwork. The
    // drawing needs a project record.
    NetworkBuilder(acad::AcadDocument& doc, std::string name, std::string type = "Gravity");

    const std::string& Name() const { return name_; }
    const std::string& Type() const { return type_; }

    // Without a label: "N-" / "P-" and the lowest number no element of this network uses.
    TestNode AddNode(double x, double y);
    TestNode AddNode(double x, double y, const std::string& label);
    // From the start node's insertion point through the inner vertices to the end node's.
    TestPipe AddPipe(const TestNode& start, const TestNode& end, const std::vector<geom::Point2>& inner = {});
    // With a label of the test's own: AddPipe(a, b, "P-7", {}).
    TestPipe AddPipe(const TestNode& start, const TestNode& end, const std::string& label,
                     const std::vector<geom::Point2>& inner);
    // A node at every point and a straight pipe from each to the next.
    TestChain AddChain(const std::vector<geom::Point2>& points);

private:
    std::string NextLabel(std::string_view kind, std::string_view prefix) const;

    acad::AcadDocument& doc_;
    std::string name_;
    std::string type_;
    std::string units_;
    std::string layer_;
};

}  // namespace testing_support
