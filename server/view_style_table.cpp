#include "annotation/view_style.h"

namespace fluvanet {

const com::DispatchTable& ViewStyle::Table() const {
    static const com::DispatchTable table = com::BuildTable<ViewStyle>([](auto& b) {
        // View styles
        b.Method("GetActiveViewStyleSettingsArray", &ViewStyle::GetActiveViewStyleSettingsArray);
        b.Method("ValidateViewStyleSettings", &ViewStyle::ValidateViewStyleSettings);
        b.Method("ActivateViewStyle", &ViewStyle::ActivateViewStyle);
        b.Method("CreateViewStyle", &ViewStyle::CreateViewStyle);
        b.Method("ChangeNetworkVisibility", &ViewStyle::ChangeNetworkVisibility);
        b.Method("UpdateViewStylePoints", &ViewStyle::UpdateViewStylePoints);
        b.Method("UpdateMoSpaceXdataForViewStyle", &ViewStyle::UpdateMoSpaceXdataForViewStyle);

        // Annotation format table
        b.Method("GetAnnotationFormatArray", &ViewStyle::GetAnnotationFormatArray);
        b.Method("GetDecimalsString", &ViewStyle::GetDecimalsString);
        b.Method("GetPercentString", &ViewStyle::GetPercentString);

        // Label texts
        b.Method("GetNumberOfAnnotationStrings", &ViewStyle::GetNumberOfAnnotationStrings);
        b.Method("GetAnnotationStrings", &ViewStyle::GetAnnotationStrings);

        // Label and arrow blocks
        b.Method("DefineAttributeBlocks", &ViewStyle::DefineAttributeBlocks);
        b.Method("InitializeAttributeBlocks", &ViewStyle::InitializeAttributeBlocks);

        // Label placement
        b.Method("GetAnnoXYTheta", &ViewStyle::GetAnnoXYTheta);
        b.Method("GetTextRotation", &ViewStyle::GetTextRotation);
        b.Method("GetArrowRotation", &ViewStyle::GetArrowRotation);

        // Inserting labels and arrows
        b.Method("InsertAnnotationsForNewEntity", &ViewStyle::InsertAnnotationsForNewEntity);
        b.Method("InsertAnnotations", &ViewStyle::InsertAnnotations);

        // Updating labels
        b.Method("ApplyAnnotationsToNetwork", &ViewStyle::ApplyAnnotationsToNetwork);
        b.Method("UpdateAnnotationsAfterEditing", &ViewStyle::UpdateAnnotationsAfterEditing);
        b.Method("UpdateAnnotationsAttributeBlock", &ViewStyle::UpdateAnnotationsAttributeBlock);

    });
    return table;
}

}  // namespace fluvanet
