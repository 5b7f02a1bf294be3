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

    // The label items go at every position the identifier held, so the lists stay parallel.
    std::vector<std::string> ids = refs::LeadingItems(node.Text(idEntry));
    std::vector<std::string> labels = refs::LeadingItems(node.Text(labelEntry));
    std::vector<std::string> keptIds, keptLabels;
    for (std::size_t k = 0; k < ids.size(); ++k)
        if (refs::ItemKey(ids[k]) != PipeOID) keptIds.push_back(ids[k]);
    for (std::size_t k = 0; k < labels.size(); ++k)
        if (k >= ids.size() || refs::ItemKey(ids[k]) != PipeOID) keptLabels.push_back(labels[k]);
    node.Set(idEntry, refs::LeadingList(keptIds));
    node.Set(labelEntry, refs::LeadingList(keptLabels));

    double sump = editing_->GetSumpElevation(AcadActiveDocument, node.Text(node_entry::kStartPipeIds),
                                             node.Text(node_entry::kEndPipeIds));
    node.Set(node_entry::kSumpLevel, sump);
    node.Write();
    // A failing refresh leaves the record written.
    viewStyle_->UpdateAnnotationsAfterEditing(AcadActiveDocument, refs::TrailingAppend("", NodeOID), false);
}

}  // namespace fluvanet
