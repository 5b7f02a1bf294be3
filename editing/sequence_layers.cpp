#include "editing/sequence_layers.h"

#include "annotation/label_names.h"
#include "core/project_record.h"
#include "core/reference_lists.h"
#include "crossing/crossing_records.h"
#include "editing/pipe_node_records.h"
#include "profile/profile_records.h"

namespace fluvanet {

namespace {

// A record short of the entry names nothing there.
std::string EntryText(const ElementRecord& record, int32_t entry) {
    return entry < record.Count() ? record.Text(entry) : std::string();
}

std::shared_ptr<acad::AcadObject> Named(acad::AcadDocument& doc, const ElementRecord& record, int32_t entry) {
    return ObjectFromIdIfAlive(doc, refs::ReferenceKey(EntryText(record, entry)));
}

void AddProfileFlag(LayersToWrite& layers, acad::AcadDocument& doc, const std::string& profileId) {
    if (ObjectFromIdIfAlive(doc, profileId)) AddLayersToFlag(layers, OpenProfileBlock(doc, profileId));
}

void AddProfileFlags(LayersToWrite& layers, acad::AcadDocument& doc, const ElementRecord& pipe) {
    for (const std::string& id : refs::LeadingKeys(EntryText(pipe, pipe_entry::kProfileIds)))
        AddProfileFlag(layers, doc, id);
}

void AddCrossing(LayersToWrite& layers, acad::AcadDocument& doc, const std::string& annotationId,
                 bool profilesFlagged) {
    auto annotation = ObjectFromIdIfAlive(doc, annotationId);
    if (!annotation) return;
    const ElementRecord record = ElementRecord::Read(annotation);
    layers.Object(annotation).Object(Named(doc, record, crossing_entry::kLineId));
    for (int32_t entry : {crossing_entry::kPipe1Id, crossing_entry::kPipe2Id}) {
        auto pipe = Named(doc, record, entry);
        if (!pipe) continue;
        layers.Object(pipe);
        if (profilesFlagged) AddProfileFlags(layers, doc, ElementRecord::Read(pipe));
    }
}

}  // namespace

void AddNewLabelLayers(LayersToWrite& layers, const std::string& network) {
    layers.ActiveLayer()
        .Layer(network + std::string(labels::kAnnotationLayerSuffix))
        .Layer(network + std::string(labels::kArrowLayerSuffix));
}

void AddPipeChangeLayers(LayersToWrite& layers, acad::AcadDocument& doc, const ElementRecord& pipe) {
    layers.Object(pipe.Object()).Object(Named(doc, pipe, pipe_entry::kLabelBlockId));
    for (const std::string& id : refs::LeadingKeys(EntryText(pipe, pipe_entry::kCrossingIds)))
        AddCrossing(layers, doc, id, true);
    AddProfileFlags(layers, doc, pipe);
}

void AddCrossingUpdateLayers(LayersToWrite& layers, acad::AcadDocument& doc, const std::string& crossingIds) {
    for (const std::string& id : refs::LeadingKeys(crossingIds)) AddCrossing(layers, doc, id, false);
}

void AddProfileRewriteLayers(LayersToWrite& layers, acad::AcadDocument& doc, const std::string& profileIds) {
    for (const std::string& id : refs::LeadingKeys(profileIds)) {
        layers.Object(ObjectFromIdIfAlive(doc, id));
        AddProfileFlag(layers, doc, id);
    }
}

void AddDeletedLayers(LayersToWrite& layers, const std::vector<std::shared_ptr<acad::AcadEntity>>& deleted) {
    for (const auto& entity : deleted) layers.Layer(entity->Layer());
}

void AddLibraryLayers(LayersToWrite& layers, acad::AcadDocument& doc) {
    const ProjectRecord project = ProjectRecord::Read(doc);
    for (int32_t entry : {project_entry::kMaterialLibrary, project_entry::kSizeLibrary})
        layers.Object(ObjectFromIdIfAlive(doc, project.Text(entry)));
}

}  // namespace fluvanet
