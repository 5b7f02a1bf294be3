#pragma once
// The low/high marker: a reference of "Fluvamap_LowPoint" or "Fluvamap_HighPoint" at its
// node's insertion point, scale 1, rotation 0, on the network's " - Low&High Points"
// layer. Its record is written once, when the marker is made; the block name alone tells
// low from high. The node names its marker back in node entries 13 and 14.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/element_records.h"
#include "core/reference_lists.h"
#include "platform/variant.h"

namespace fluvanet {

namespace lowhigh_entry {
inline constexpr int32_t kApplication = 0;    // 1001 "Fluvamap"
inline constexpr int32_t kCombinedLabel = 1;  // "LowHigh;" & network & ";" & node label & "LowHigh"
inline constexpr int32_t kElementType = 2;    // "LowHighPoint"
inline constexpr int32_t kNodeLabel = 3;      // single label reference to the node
inline constexpr int32_t kNodeId = 4;         // single ID reference to the node
inline constexpr int32_t kCount = 5;
}  // namespace lowhigh_entry

inline constexpr std::string_view kLowPointBlock = "Fluvamap_LowPoint";
inline constexpr std::string_view kHighPointBlock = "Fluvamap_HighPoint";
inline constexpr std::string_view kLowHighKind = "LowHigh";
inline constexpr std::string_view kLowHighLayerSuffix = " - Low&High Points";
// The selection set the build collects its markers in, and GetExistingLowHighPointsSet's.
inline constexpr std::string_view kLowHighPointsSet = "SetLowHighPoints";

// Low/high codes.
inline constexpr int16_t kNoLowHigh = 0;
inline constexpr int16_t kLowPoint = 1;
inline constexpr int16_t kHighPoint = 2;

// 1001 at 0, then four texts.
inline const std::vector<int16_t>& LowHighRecordCodes() {
    static const std::vector<int16_t> codes{1001, 1000, 1000, 1000, 1000};
    return codes;
}

// Node N-3 has the marker N-3LowHigh.
inline std::string LowHighMarkerLabel(std::string_view nodeLabel) {
    return std::string(nodeLabel) + std::string(kLowHighKind);
}
inline std::string LowHighCombinedLabel(std::string_view network, std::string_view nodeLabel) {
    return std::string(kLowHighKind) + ";" + std::string(network) + ";" + LowHighMarkerLabel(nodeLabel);
}
inline std::string LowHighLayerName(std::string_view network) {
    return std::string(network) + std::string(kLowHighLayerSuffix);
}

class LayersToWrite;
// What classifying a pressure network from `nodes` writes before it spreads: the nodes and
// their markers, and new markers, made on the active layer and moved to the marker layer.
// A node the classification spreads to lies on its network's layer, as these do.
void AddLowHighLayers(LayersToWrite& layers, acad::AcadDocument& doc, std::string_view network,
                      const std::vector<ElementRecord>& nodes);

// The values of a new marker's record, in the order of LowHighRecordCodes.
inline std::vector<com::Variant> NewLowHighValues(std::string_view network, std::string_view nodeLabel,
                                                  std::string_view nodeId) {
    return {com::Variant(kAppName), com::Variant(LowHighCombinedLabel(network, nodeLabel)),
            com::Variant(element_type::kLowHighPoint), com::Variant(refs::Reference(nodeLabel)),
            com::Variant(refs::Reference(nodeId))};
}

}  // namespace fluvanet
