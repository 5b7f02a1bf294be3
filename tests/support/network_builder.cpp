#include "tests/support/network_builder.h"

#include <set>

#include "core/general.h"
#include "core/project_record.h"
#include "core/reference_lists.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_text.h"

namespace testing_support {

using com::Variant;
using fluvanet::ElementRecord;
using fluvanet::ProjectRecord;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;
namespace pr = fluvanet::project_entry;
namespace refs = fluvanet::refs;

std::shared_ptr<acad::AcadDocument> NewProjectDrawing(const host::ProjectOptions& options) {
    auto doc = acad::NewDrawing();
    host::CreateProjectRecord(*doc, options);
    return doc;
}

std::vector<TestPipe> ConvertPolylines(acad::AcadDocument& doc, const std::string& net, const std::string& type,
                                       const std::vector<std::vector<double>>& polylines) {
    fluvanet::General general;
    general.CreateNetworkDefintion(doc, net, type);
    auto set = general.InitializeSelectionSet(doc, "Picked");
    std::vector<TestPipe> pipes;
    for (const auto& xy : polylines) {
        auto polyline = doc.ModelSpace()->AddLightWeightPolyline(xy);
        set->AddItems({polyline});
        pipes.push_back({polyline, ""});
    }
    fluvanet::Editing().CreateElementsInNetwork(doc, *set, false, net, type);
    for (TestPipe& p : pipes) p.label = vb::Split(RecordText(p.polyline, pe::kCombinedLabel), ";").at(2);
    return pipes;
}

void DefineNetwork(acad::AcadDocument& doc, const std::string& name, const std::string& type) {
    ProjectRecord project = ProjectRecord::Read(doc);
    std::vector<std::string> older = refs::TrailingItems(project.Text(pr::kNetworkNames));
    project.Set(pr::kNetworkNames, Variant(refs::TrailingAppend(project.Text(pr::kNetworkNames), name)));
    project.Set(pr::kNetworkTypes, Variant(refs::TrailingAppend(project.Text(pr::kNetworkTypes), type)));

    std::vector<std::string> styles = refs::TrailingItems(project.Text(pr::kViewStyles));
    if (styles.size() < 2)
        com::Raise(com::ErrorCode::SubscriptOutOfRange, "entry 1 of the project record lacks the visibility string");
    styles[1] += "1";
    project.Set(pr::kViewStyles, Variant(refs::TrailingList(styles)));

    std::string pairs = project.Text(pr::kCrossingSettings);
    for (const std::string& o : older) pairs += ";" + name + ";" + o;
    project.Set(pr::kCrossingSettings, Variant(pairs));

    if (type == "Pressure")
        project.Set(pr::kLowHighSettings, Variant(refs::TrailingAppend(project.Text(pr::kLowHighSettings), name)));
    project.Write();
    doc.Layers()->Add(name + " - Network");
}

void SetRecordEntry(const std::shared_ptr<acad::AcadObject>& object, int32_t entry, Variant value) {
    ElementRecord record = ElementRecord::Read(object);
    record.Set(entry, std::move(value));
    record.Write();
}

std::string RecordText(const std::shared_ptr<acad::AcadObject>& object, int32_t entry) {
    return ElementRecord::Read(object).Text(entry);
}

std::string TestNode::Id() const { return fluvanet::IdText(*block); }
ElementRecord TestNode::Record() const { return ElementRecord::Read(block); }

const TestNode& TestNode::SetGround(double level) const {
    SetRecordEntry(block, ne::kGroundLevel, Variant(level));
    return *this;
}

const TestNode& TestNode::SetSump(double level) const {
    SetRecordEntry(block, ne::kSumpLevel, Variant(level));
    return *this;
}

std::string TestPipe::Id() const { return fluvanet::IdText(*polyline); }
ElementRecord TestPipe::Record() const { return ElementRecord::Read(polyline); }

const TestPipe& TestPipe::SetInverts(double start, double end) const {
    ElementRecord record = Record();
    record.Set(pe::kStartInvert, Variant(start));
    record.Set(pe::kEndInvert, Variant(end));
    record.Write();
    return *this;
}

const TestPipe& TestPipe::SetSize(std::string_view shape, double span, double rise, int16_t cells) const {
    ElementRecord record = Record();
    record.Set(pe::kSectionShape, Variant(shape));
    record.Set(pe::kSpan, Variant(span));
    record.Set(pe::kRise, Variant(rise));
    record.Set(pe::kCells, Variant(cells));
    record.Write();
    return *this;
}

const TestPipe& TestPipe::SetMaterial(std::string_view material) const {
    SetRecordEntry(polyline, pe::kMaterial, Variant(material));
    return *this;
}

namespace {

// Item 2 of a combined label, "" when it has fewer items.
std::string LabelOf(const ElementRecord& record) {
    std::vector<std::string> pieces = vb::Split(record.Text(pe::kCombinedLabel), ";");
    return pieces.size() > 2 ? pieces[2] : "";
}

void AppendPipeToNode(const TestNode& node, int32_t labelsEntry, int32_t idsEntry, const std::string& pipeLabel,
                      const std::string& pipeId) {
    ElementRecord record = node.Record();
    record.Set(labelsEntry, Variant(refs::AppendReference(record.Text(labelsEntry), pipeLabel)));
    record.Set(idsEntry, Variant(refs::AppendReference(record.Text(idsEntry), pipeId)));
    record.Write();
}

}  // namespace

NetworkBuilder::NetworkBuilder(acad::AcadDocument& doc, std::string name, std::string type)
    : doc_(doc), name_(std::move(name)), type_(std::move(type)), layer_(name_ + " - Network") {
    ProjectRecord project = ProjectRecord::Read(doc_);
    std::vector<std::string> names = refs::TrailingItems(project.Text(pr::kNetworkNames));
    std::vector<std::string> types = refs::TrailingItems(project.Text(pr::kNetworkTypes));
    bool defined = false;
    for (std::size_t i = 0; i < names.size() && !defined; ++i) {
        if (names[i] != name_) continue;
        defined = true;
        std::string stored = i < types.size() ? types[i] : "";
        if (stored != type_)
            com::Raise(com::ErrorCode::InvalidProcedureCall, "network " + name_ + " is stored as \"" + stored + "\"");
    }
    if (!defined) DefineNetwork(doc_, name_, type_);
    units_ = project.Text(pr::kModelUnits);
    doc_.Layers()->Add(layer_);
}

std::string NetworkBuilder::NextLabel(std::string_view kind, std::string_view prefix) const {
    std::set<std::string> used;
    for (const auto& entity : doc_.Database()->SpaceEntities()) {
        ElementRecord record = ElementRecord::Read(entity);
        if (record.Count() <= pe::kCombinedLabel) continue;
        std::vector<std::string> pieces = vb::Split(record.Text(pe::kCombinedLabel), ";");
        if (pieces.size() == 3 && pieces[0] == kind && pieces[1] == name_) used.insert(pieces[2]);
    }
    for (int n = 1;; ++n) {
        std::string label = std::string(prefix) + std::to_string(n);
        if (!used.contains(label)) return label;
    }
}

TestNode NetworkBuilder::AddNode(double x, double y) { return AddNode(x, y, NextLabel("Node", "N-")); }

TestNode NetworkBuilder::AddNode(double x, double y, const std::string& label) {
    const std::string blockName(fluvanet::kNodeBlockName);
    fluvanet::General().CreateStandardBlock(doc_, "Node");
    TestNode node{doc_.ModelSpace()->InsertBlock({x, y, 0}, blockName, 1, 1, 1, 0), label};
    node.block->SetLayer(layer_);
    fluvanet::NewNodeRecord(node.block, name_, type_, label).Write();
    return node;
}

TestPipe NetworkBuilder::AddPipe(const TestNode& start, const TestNode& end, const std::vector<geom::Point2>& inner) {
    return AddPipe(start, end, NextLabel("Pipe", "P-"), inner);
}

TestPipe NetworkBuilder::AddPipe(const TestNode& start, const TestNode& end, const std::string& label,
                                 const std::vector<geom::Point2>& inner) {
    acad::Point3 from = start.block->InsertionPoint();
    acad::Point3 to = end.block->InsertionPoint();
    std::vector<double> vertices{from[0], from[1]};
    for (const geom::Point2& p : inner) vertices.insert(vertices.end(), {p.x, p.y});
    vertices.insert(vertices.end(), {to[0], to[1]});

    TestPipe pipe{doc_.ModelSpace()->AddLightWeightPolyline(vertices), label};
    pipe.polyline->SetLayer(layer_);
    // The nodes' labels as their records hold them now, which a test may have changed.
    fluvanet::PipeEnds ends{LabelOf(start.Record()), start.Id(), LabelOf(end.Record()), end.Id()};
    fluvanet::NewPipeRecord(pipe.polyline, name_, type_, label, units_, ends).Write();
    AppendPipeToNode(start, ne::kStartPipeLabels, ne::kStartPipeIds, label, pipe.Id());
    AppendPipeToNode(end, ne::kEndPipeLabels, ne::kEndPipeIds, label, pipe.Id());
    return pipe;
}

TestChain NetworkBuilder::AddChain(const std::vector<geom::Point2>& points) {
    TestChain chain;
    for (const geom::Point2& p : points) {
        chain.nodes.push_back(AddNode(p.x, p.y));
        if (chain.nodes.size() > 1)
            chain.pipes.push_back(AddPipe(chain.nodes[chain.nodes.size() - 2], chain.nodes.back()));
    }
    return chain;
}

}  // namespace testing_support
