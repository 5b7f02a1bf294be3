#pragma once
// Creatable as "Fluvanet.ViewStyle". Its late-bound members are listed in
// server/view_style_table.cpp, one table per class.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/acad_document.h"
#include "platform/dispatch.h"
#include "server/instance_count.h"

namespace fluvanet {

class General;

class ViewStyle : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "ViewStyle"; }
    const com::DispatchTable& Table() const override;

    // ---- View styles (annotation/view_styles.cpp) ----
    // The 43 settings of the style that item 0 of the view-style list names; 43 empty texts
    // when no listed point carries that name.
    com::Variant GetActiveViewStyleSettingsArray(acad::AcadDocument& AcadActiveDocument);
    // Older records, shorter than 43 entries, come back with the coordinates not shown.
    com::Variant ValidateViewStyleSettings(const com::Variant& SettingsArray);
    // The form is the host's, reached late-bound by control name.
    void ActivateViewStyle(const std::string& StyleName, const com::Variant& ArViewStyles,
                           const com::ObjectPtr& frm_ViewStyleSettings, const int16_t& CountViewStyles,
                           com::Variant& ActiveViewStyleSettings);
    void CreateViewStyle(acad::AcadDocument& AcadActiveDocument, const com::Variant& ArParameters);
    // Action 0 hides the network's pipes and nodes with their labels and arrows, 1 shows them.
    void ChangeNetworkVisibility(acad::AcadDocument& AcadActiveDocument, const std::string& NetName,
                                 const int16_t& Action);
    void UpdateViewStylePoints(acad::AcadDocument& AcadActiveDocument, const com::Variant& ArViewStyles,
                               const int16_t& CountViewStyles);
    void UpdateMoSpaceXdataForViewStyle(acad::AcadDocument& AcadActiveDocument, const std::string& ActiveViewStyleName,
                                        const std::string& FinalNetworksVisibility);

    // ---- Annotation format table (annotation/format_table.cpp) ----
    com::Variant GetAnnotationFormatArray(const com::Variant& ArViewStyleSettings);
    std::string GetDecimalsString(const std::string& PrecisionIndex, const std::string& DecimalsIndex);
    std::string GetPercentString(const std::string& PrecisionIndex, const std::string& DecimalsIndex);

    // ---- Label texts (annotation/label_texts.cpp) ----
    // Lines per label block: gravity pipe, pressure pipe, gravity node, pressure node.
    std::vector<int16_t> GetNumberOfAnnotationStrings(const com::Variant& ArAnnotationFormat);
    // The label lines of a pipe or node; Empty when none is shown or it is neither.
    com::Variant GetAnnotationStrings(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& Entity,
                                      const com::Variant& ArAnnoFormat);

    // ---- Label and arrow blocks (annotation/label_blocks.cpp) ----
    void DefineAttributeBlocks(acad::AcadDocument& AcadActiveDocument, const com::Variant& ArAnnoFormat);
    void InitializeAttributeBlocks(acad::AcadDocument& AcadActiveDocument, const com::Variant& ArCountAttributeStrings,
                                   const com::Variant& ArAnnoFormat);

    // ---- Label placement (annotation/label_placement.cpp) ----
    // The anchor: x, y, text angle and arrow angle.
    com::Variant GetAnnoXYTheta(acad::AcadEntity& ElementEntity, const std::string& ElementType,
                                const double& CorrectionAngleForCS);
    double GetTextRotation(const double& X1, const double& Y1, const double& X2, const double& Y2,
                           const double& CorrectionAngleForCS);
    double GetArrowRotation(const double& X1, const double& Y1, const double& X2, const double& Y2);

    // ---- Inserting labels and arrows (annotation/label_insertion.cpp) ----
    void InsertAnnotationsForNewEntity(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& Entity,
                                       const double& CorrectionAngleForCS);
    void InsertAnnotations(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& Entity,
                           const com::Variant& ArAnnoStrings, const std::string& NetName,
                           const double& CorrectionAngleForCS, const com::Variant& ArAnnoFormat);

    // ---- Updating labels (annotation/label_update.cpp) ----
    void ApplyAnnotationsToNetwork(acad::AcadDocument& AcadActiveDocument, const std::string& NetName,
                                   const com::Variant& ArAnnoFormat, const double& CorrectionAngleForCS);
    void UpdateAnnotationsAfterEditing(acad::AcadDocument& AcadActiveDocument, const std::string& ChangedOIDsString,
                                       const bool& UpdateLocation);
    void UpdateAnnotationsAttributeBlock(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& Entity,
                                         const com::Variant& ArAnnoStrings, const com::Variant& ArAnnoFormat,
                                         const bool& UpdateBlockLocation, const double& CorrectionAngleForCS);

    // Stand-ins for tests: replace a member instance, created or not.
    void Use(std::shared_ptr<General> instance) { general_.Set(std::move(instance)); }

protected:
    // Each created on first use and kept for this object's lifetime, so that no
    // object builds the others at construction (they refer to one another).
    vb::AutoNew<General> general_;

private:
    server::LiveInstance live_;
};

}  // namespace fluvanet
