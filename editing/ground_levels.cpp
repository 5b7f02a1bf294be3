#include <string>
#include <vector>

#include "annotation/view_style.h"
#include "core/element_records.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/reference_lists.h"
#include "editing/editing.h"
#include "editing/pipe_follow_ups.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "profile/profile.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::CallType;
using com::Variant;

namespace {

// The nodes given a ground and the pipes at them, each identifier followed by ";".
struct Updated {
    std::string nodes, pipes;
};

// One node's ground from the surface; when any step fails the node is left as it was.
void UpdateNodeGround(const std::shared_ptr<acad::AcadEntity>& entity, const com::ObjectPtr& surface,
                      Updated& updated) {
    try {
        ElementRecord node = ElementRecord::Read(entity);
        RequireNodeRecord(node);
        acad::Point3 at = acad::Cast<acad::AcadBlockReference>(entity)->InsertionPoint();
        double ground = vb::CDbl(vb::CallByName(surface, "FindElevationAtXY", CallType::Method, at[0], at[1]));
        std::string pipes;
        for (int32_t side : {node_entry::kStartPipeIds, node_entry::kEndPipeIds})
            for (const std::string& id : refs::LeadingKeys(node.Text(side))) pipes = refs::TrailingAppend(pipes, id);
        node.Set(node_entry::kGroundLevel, ground);
        node.Write();
        refs::TrailingAppendInPlace(updated.nodes, IdText(*entity));
        updated.pipes += pipes;
    } catch (const com::Error&) {
        // Outside the surface, or not a node: this node keeps its ground.
    }
}

}  // namespace

void Editing::UpdateGroundLevelsFromSurface(acad::AcadDocument& AcadActiveDocument,
                                            const std::vector<std::string>& ArNetNames,
                                            const std::string& SurfaceName) {
    if (ArNetNames.empty() || ArNetNames[0].empty()) return;
    vb::Count16(ArNetNames.size());

    // A missing terrain application, document or surface fails here, before anything changes.
    auto app = AcadActiveDocument.Application();
    if (!app) com::Raise(com::ErrorCode::ObjectRequired, "the document has no application");
    com::ObjectPtr civil = app->GetInterfaceObject(general_->GetAeccAppString(*app));
    com::ObjectPtr civilDoc = vb::CallByName(civil, "ActiveDocument", CallType::Get).ObjectAs<com::Dispatch>();
    com::ObjectPtr surface =
        vb::CallByName(civilDoc, "Surfaces", CallType::Get, Variant(SurfaceName)).ObjectAs<com::Dispatch>();

    // Put back on every exit; failing to put them back is skipped like every later step.
    EventsOffGuard eventsOff(*general_, AcadActiveDocument);
    UnlockedLayersGuard unlocked(*general_, AcadActiveDocument);

    Updated updated;
    for (const std::string& name : ArNetNames) {
        std::vector<std::shared_ptr<acad::AcadEntity>> nodes;
        try {
            nodes = general_->SelectionSetToArray(*general_->GetNetworkSet(AcadActiveDocument, name, 2));
        } catch (const com::Error&) {
            continue;
        }
        for (const auto& node : nodes) UpdateNodeGround(node, surface, updated);
    }
    if (!updated.pipes.empty() || !updated.nodes.empty()) {
        try {
            viewStyle_->UpdateAnnotationsAfterEditing(AcadActiveDocument, updated.pipes + updated.nodes, false);
        } catch (const com::Error&) {
        }
    }
    for (const std::string& id : refs::TrailingItems(updated.pipes)) {
        try {
            FlagPipeProfiles(*profile_, AcadActiveDocument, OpenPipeRecord(AcadActiveDocument, id));
        } catch (const com::Error&) {
        }
    }
}

}  // namespace fluvanet
