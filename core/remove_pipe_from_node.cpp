#include <string>
#include <vector>

#include "annotation/view_style.h"
#include "core/element_records.h"
#include "core/general.h"
#include "core/reference_lists.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"

namespace fluvanet {

void General::RemovePipeFromNode(acad::AcadDocument& AcadActiveDocument, const std::string& NodeOID,
                                 const std::string& PipeOID, const std::string& Side) {
    ElementRecord node = OpenNodeRecord(AcadActiveDocument, NodeOID);
    const bool start = Side == "Start";
    const int32_t idEntry = start ? node_entry::kStartPipeIds : node_entry::kEndPipeIds;
    const int32_t labelEntry = start ? node_entry::kStartPipeLabels : node_entry::kEndPipeLabels;

    UnlistPipeFromNode(node, labelEntry, idEntry, PipeOID);

    double sump = editing_->GetSumpElevation(AcadActiveDocument, node.Text(node_entry::kStartPipeIds),
                                             node.Text(node_entry::kEndPipeIds));
    node.Set(node_entry::kSumpLevel, sump);
    node.Write();
    // A failing refresh leaves the record written.
    viewStyle_->UpdateAnnotationsAfterEditing(AcadActiveDocument, refs::TrailingAppend("", NodeOID), false);
}

}  // namespace fluvanet
