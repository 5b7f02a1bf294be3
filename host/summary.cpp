// The summary the host prints after its main job: everything read back from the drawing,
// through the records' extended data and the library's own late-bound reports.

#include <string>
#include <vector>

#include "crossing/crossing_records.h"
#include "crossing/low_high_records.h"
#include "editing/invert_matching.h"
#include "editing/pipe_node_records.h"
#include "host/main_job.h"
#include "platform/acad_entities.h"
#include "platform/host_driver.h"
#include "platform/vb_convert.h"

namespace host {

namespace {

using com::SafeArray;
using com::Variant;
namespace et = fluvanet::element_type;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;
namespace ce = fluvanet::crossing_entry;

struct Network {
    std::string name;
    std::string type;
};

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text.empty() ? "none" : text;
}

// The key of a single reference.
std::string Key(const std::string& reference) {
    std::vector<std::string> keys = ReferenceKeys(reference);
    return keys.empty() ? "?" : keys.front();
}

double Number(const acad::AcadObject& object, int k) { return vb::Val(RecordText(object, k)); }

class Summary {
public:
    Summary(const std::shared_ptr<acad::AcadDocument>& doc, const FluvanetClasses& fluvanet, std::FILE* out)
        : doc_(doc), lib_(fluvanet), out_(out) {}

    void Print() {
        std::fprintf(out_, "Fluvamap %s, %s, model units %s, events flag %s\n",
                     Text(lib_.general, "GetFluvamapProgramVersion").c_str(), doc_->Name().c_str(),
                     Text(lib_.general, "GetModelUnits", doc_).c_str(),
                     Text(lib_.general, "CheckEventsFlag", doc_).c_str());
        std::vector<Network> networks = Networks();
        std::fprintf(out_, "Networks\n");
        for (const Network& n : networks) PrintCounts(n);
        PrintCrossings();
        std::fprintf(out_, "Low and high points\n");
        for (const Network& n : networks)
            if (n.type == "Pressure") PrintLowHigh(n);
        std::fprintf(out_, "Inverts at Match Soffits nodes\n");
        for (const Network& n : networks) PrintSoffitNodes(n);
        PrintLibraries();
    }

private:
    template <class... A>
    std::string Text(const com::ObjectPtr& object, std::string_view method, A&&... args) {
        return vb::CStr(Call(object, method, std::forward<A>(args)...));
    }

    std::vector<std::shared_ptr<acad::AcadEntity>> Entities(const Variant& set) {
        auto s = ObjectOf<acad::AcadSelectionSet>(set);
        if (!s) com::Raise(com::ErrorCode::ObjectRequired, "a report gave no selection set");
        return s->Members();
    }

    std::vector<Network> Networks() {
        SafeArray table = Call(lib_.general, "GetNetworkDefinitions", doc_).Array();
        std::vector<Network> networks;
        for (int32_t row = table.LBound(1); row <= table.UBound(1); ++row) {
            Network n{vb::CStr(table.Get(row, 0)), vb::CStr(table.Get(row, 1))};
            if (!n.name.empty()) networks.push_back(std::move(n));  // a drawing without networks has one empty row
        }
        return networks;
    }

    void PrintCounts(const Network& n) {
        int pipes = 0, nodes = 0, labels = 0, arrows = 0;
        for (const auto& e : Entities(Call(lib_.general, "GetNetworkSet", doc_, n.name, int16_t{0}))) {
            std::string type = RecordText(*e, 2);
            if (et::IsPipe(type)) ++pipes;
            if (et::IsNode(type)) ++nodes;
            if (type == et::kAnnotation) ++labels;
            if (type == et::kArrow) ++arrows;
        }
        std::fprintf(out_, "  %s (%s): %d pipes, %d nodes, %d label blocks, %d arrows\n", n.name.c_str(),
                     n.type.c_str(), pipes, nodes, labels, arrows);
    }

    void PrintCrossings() {
        auto annotations = Entities(Call(lib_.crossing, "GetExistingCrossingPointsSet", doc_, ""));
        std::fprintf(out_, "Crossings: %zu\n", annotations.size());
        for (const auto& a : annotations)
            std::fprintf(out_, "  %s %s crosses %s %s: clearance %.2f\n", RecordText(*a, ce::kPipe1Net).c_str(),
                         Key(RecordText(*a, ce::kPipe1Label)).c_str(), RecordText(*a, ce::kPipe2Net).c_str(),
                         Key(RecordText(*a, ce::kPipe2Label)).c_str(), Number(*a, ce::kClearance));
    }

    void PrintLowHigh(const Network& n) {
        std::vector<std::string> low, high;
        for (const auto& marker : Entities(Call(lib_.lowHigh, "GetExistingLowHighPointsSet", doc_, n.name))) {
            std::string node = Key(RecordText(*marker, fluvanet::lowhigh_entry::kNodeLabel));
            (marker->BlockName() == fluvanet::kLowPointBlock ? low : high).push_back(node);
        }
        std::fprintf(out_, "  %s: low %s; high %s\n", n.name.c_str(), Joined(low).c_str(), Joined(high).c_str());
    }

    void PrintSoffitNodes(const Network& n) {
        for (const auto& node : Entities(Call(lib_.general, "GetNetworkSet", doc_, n.name, int16_t{2}))) {
            if (Number(*node, ne::kMatchingCode) != fluvanet::kMatchSoffits) continue;
            std::fprintf(out_, "  %s %s, sump %.2f\n", n.name.c_str(), Label(*node).c_str(),
                         Number(*node, ne::kSumpLevel));
            PrintPipeEnds(*node, ne::kStartPipeIds, pe::kStartInvert, "start");
            PrintPipeEnds(*node, ne::kEndPipeIds, pe::kEndInvert, "end");
        }
    }

    void PrintPipeEnds(const acad::AcadObject& node, int pipesEntry, int invertEntry, const char* side) {
        for (const std::string& id : ReferenceKeys(RecordText(node, pipesEntry))) {
            auto pipe = doc_->ObjectIdToObject(vb::CLng(Variant(id)));
            std::fprintf(out_, "    %s %s invert %.2f, span %s\n", Label(*pipe).c_str(), side,
                         Number(*pipe, invertEntry), RecordText(*pipe, pe::kSpan).c_str());
        }
    }

    std::string Label(const acad::AcadObject& element) {
        return Text(lib_.general, "EntityLabelFromCombined", RecordText(element, 1));
    }

    void PrintLibraries() {
        std::fprintf(out_, "Library usage\n");
        PrintTable("materials", Call(lib_.library, "GetMaterialsArray", doc_).Array());
        PrintTable("circular sizes", Call(lib_.library, "GetSizesArray", doc_, "Circular").Array());
        PrintTable("box sizes", Call(lib_.library, "GetSizesArray", doc_, "Box").Array());
    }

    // Rows of name and count.
    void PrintTable(const char* what, const SafeArray& table) {
        std::vector<std::string> rows;
        for (int32_t row = table.LBound(1); row <= table.UBound(1); ++row)
            rows.push_back(vb::CStr(table.Get(row, 0)) + " " + vb::CStr(table.Get(row, 1)));
        std::fprintf(out_, "  %s: %s\n", what, Joined(rows).c_str());
    }

    std::shared_ptr<acad::AcadDocument> doc_;
    const FluvanetClasses& lib_;
    std::FILE* out_;
};

}  // namespace

void PrintSummary(const std::shared_ptr<acad::AcadDocument>& doc, const FluvanetClasses& fluvanet, std::FILE* out) {
    Summary(doc, fluvanet, out).Print();
}

}  // namespace host
