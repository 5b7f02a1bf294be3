#pragma once
// The layers that splitting and merging write, step by step, as the host runs them. Nothing
// can lock a layer between the steps of one command, so the first step that draws meets
// the locks of the whole sequence before it writes, and every later step meets those of
// its own writes again: a lock never stops a sequence halfway. Objects already gone add
// nothing. What the last step deletes is read as that step reads it, so what it would
// refuse is refused before anything is drawn.

#include <memory>
#include <string>
#include <vector>

#include "core/element_records.h"
#include "core/layer_state.h"

namespace fluvanet {

class General;

// A new element's label block and arrow: made on the active layer, where a label's
// attributes stay, and moved to the network's label layers.
void AddNewLabelLayers(LayersToWrite& layers, const std::string& network);

// What a change of the pipe's record passes on to: the pipe, its label block, its crossing
// annotations with their texts, leaders and both pipes, and the profiles flagged through
// those pipes.
void AddPipeChangeLayers(LayersToWrite& layers, acad::AcadDocument& doc, const ElementRecord& pipe);

// Crossing annotations rebuilt from the pipes they name: each with its texts, its leader
// and both pipes.
void AddCrossingUpdateLayers(LayersToWrite& layers, acad::AcadDocument& doc, const std::string& crossingIds);

// Profiles whose pipe lists are rewritten and which are flagged for redrawing.
void AddProfileRewriteLayers(LayersToWrite& layers, acad::AcadDocument& doc, const std::string& profileIds);

// Entities deleted: each on its own layer, whatever its attributes lie on.
void AddDeletedLayers(LayersToWrite& layers, const std::vector<std::shared_ptr<acad::AcadEntity>>& deleted);

// The material and size library points.
void AddLibraryLayers(LayersToWrite& layers, acad::AcadDocument& doc);

// Everything a merge writes, from the merged polyline on `mergedLayer` to the host's
// low/high classification: `chain` holds the old pipes' records in chain order.
LayersToWrite MergeLayers(General& general, acad::AcadDocument& doc, const std::vector<ElementRecord>& chain,
                          const std::string& mergedLayer);

// Everything a split of the pipe writes, from the halves and the node to its deletion.
LayersToWrite SplitLayers(General& general, acad::AcadDocument& doc, acad::AcadLWPolyline& splitPipe);

}  // namespace fluvanet
