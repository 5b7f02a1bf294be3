#pragma once
// The names labels and arrows live by, in one place: block definitions, attribute tags,
// the keys and combined labels of their records, and the layers they go on.

#include <string>
#include <string_view>

namespace fluvanet::labels {

inline constexpr std::string_view kGravityPipeBlock = "Fluvamap_GravityPipeAttribute";
inline constexpr std::string_view kPressurePipeBlock = "Fluvamap_PressurePipeAttribute";
inline constexpr std::string_view kGravityNodeBlock = "Fluvamap_GravityNodeAttribute";
inline constexpr std::string_view kPressureNodeBlock = "Fluvamap_PressureNodeAttribute";
inline constexpr std::string_view kArrowBlock = "Fluvamap_DirectionArrow";

// The label block definition of an element type ("GravityPipe", ...), "" for any other.
inline std::string_view LabelBlockOf(std::string_view elementType) {
    if (elementType == "GravityPipe") return kGravityPipeBlock;
    if (elementType == "PressurePipe") return kPressurePipeBlock;
    if (elementType == "GravityNode") return kGravityNodeBlock;
    if (elementType == "PressureNode") return kPressureNodeBlock;
    return "";
}

// Label lines stand one and a half text heights apart, in the block definitions and in the
// labels laid out from them.
inline constexpr double kLineSpacing = 1.5;

// Tag and prompt of label line k, counted from 1.
inline std::string AttributeTag(int k) { return "Attribute " + std::to_string(k); }

// Keys of an owner's label block and arrow: the owner's label followed by the kind
// (stored drawings carry them so: P-7Annotation, N-3Annotation, P-7Arrow).
inline constexpr std::string_view kLabelKind = "Annotation";
inline constexpr std::string_view kArrowKind = "Arrow";
inline std::string LabelKey(std::string_view ownerLabel) { return std::string(ownerLabel) + std::string(kLabelKind); }
inline std::string ArrowKey(std::string_view ownerLabel) { return std::string(ownerLabel) + std::string(kArrowKind); }
// Combined label of a label block or arrow: no kind word, the network, the key.
inline std::string CombinedLabel(std::string_view network, std::string_view key) {
    return ";" + std::string(network) + ";" + std::string(key);
}

// Layer types of CreateStandardLayer.
inline constexpr std::string_view kAnnotationLayerType = "Annotation";
inline constexpr std::string_view kArrowLayerType = "Arrow";
inline constexpr std::string_view kAnnotationLayerSuffix = " - Annotation";
inline constexpr std::string_view kArrowLayerSuffix = " - Arrow";

}  // namespace fluvanet::labels
