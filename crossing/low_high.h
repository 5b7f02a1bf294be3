#pragma once
// Creatable as "Fluvanet.LowHigh". Its late-bound members are listed in
// server/low_high_table.cpp, one table per class.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/acad_document.h"
#include "platform/dispatch.h"
#include "server/instance_count.h"

namespace fluvanet {

class General;
struct ShpNode;

class LowHigh : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "LowHigh"; }
    const com::DispatchTable& Table() const override;

    // ---- Low and high points (crossing/low_high_points.cpp) ----
    // Classifies the start nodes and, through the nodes that are neither, their
    // neighbours; the first node decides: a gravity node ends the run at once.
    void BuildLowHighPointsAfterImporting(acad::AcadDocument& AcadActiveDocument,
                                          const std::vector<std::string>& ArNodesLowHighOID,
                                          const std::string& NetworkName);
    // BuildLowHighPointsAfterImporting of the library's own start list, which may be longer
    // than the host's 16-bit indices reach.
    void BuildLowHighPoints(acad::AcadDocument& AcadActiveDocument, const std::vector<std::string>& ArNodesLowHighOID,
                            const std::string& NetworkName);
    // The set's nodes and the far nodes of their pipes, each identifier once.
    std::vector<std::string> GetInitialNodesOIDArrayForLowHigh(acad::AcadDocument& AcadActiveDocument,
                                                               acad::AcadSelectionSet& SetNodes);
    // Code 0 none, 1 low, 2 high. The node's old marker goes for every code; the result is
    // the new marker's identifier, "" for code 0.
    std::string DrawLowHighPoint(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& NodeEntity,
                                 const int16_t& LowHighCode, const std::string& NetworkName);

    // ---- Low and high point settings (crossing/low_high_settings.cpp) ----
    // One row per pressure network: name, "1" when its markers show, else "0".
    com::Variant GetLowHighSettings(acad::AcadDocument& AcadActiveDocument);
    void SetLowHighSettings(acad::AcadDocument& AcadActiveDocument, const com::Variant& ArLowHighSettings);
    void ApplyLowHighSettings(acad::AcadDocument& AcadActiveDocument, acad::AcadSelectionSet& SetLowHighPoints);
    // "SetLowHighPoints" with the markers of NetName, of every network for "".
    std::shared_ptr<acad::AcadSelectionSet> GetExistingLowHighPointsSet(acad::AcadDocument& AcadActiveDocument,
                                                                        const std::string& NetName);
    void DeleteNetworkLowHighPoints(acad::AcadDocument& AcadActiveDocument, const std::string& NetName);

    // Stand-ins for tests: replace a member instance, created or not.
    void Use(std::shared_ptr<General> instance) { general_.Set(std::move(instance)); }

protected:
    // Each created on first use and kept for this object's lifetime, so that no
    // object builds the others at construction (they refer to one another).
    vb::AutoNew<General> general_;

private:
    // ---- Low and high points (crossing/low_high_points.cpp) ----
    // Classifies entry `index` of the run's node list, draws its marker and queues its
    // neighbours when it is neither low nor high.
    void ClassifyLowHighNode(acad::AcadDocument& AcadActiveDocument, std::vector<ShpNode>& nodes, std::size_t index,
                             const std::string& NetworkName, acad::AcadSelectionSet& markers);

    server::LiveInstance live_;
};

}  // namespace fluvanet
