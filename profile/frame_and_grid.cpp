#include <cmath>
#include <optional>
#include <string>

#include "core/general.h"
#include "core/layer_state.h"
#include "platform/vb_convert.h"
#include "profile/profile.h"
#include "profile/profile_drawing.h"

namespace fluvanet {

double Profile::GetTextLengthOnDrawing(acad::AcadDocument& AcadActiveDocument, const std::string& MyString,
                                       const std::string& MyTextStyle, const double& MyTextHeight) {
    auto style = ProfileTextStyle(AcadActiveDocument, MyTextStyle);
    // The probe lands on the active layer; a locked one would refuse its style and its delete.
    std::optional<OpenedLayersGuard> unlocked;
    if (auto active = AcadActiveDocument.ActiveLayer(); active && active->Lock())
        unlocked.emplace(*general_, AcadActiveDocument, ";" + active->Name());
    auto probe = AcadActiveDocument.ModelSpace()->AddText(MyString, {0, 0, 0}, MyTextHeight);
    double width = 0;
    try {
        probe->SetStyleName(style->Name());
        acad::Point3 low{}, high{};
        probe->GetBoundingBox(low, high);
        width = std::abs(high[0] - low[0]);
    } catch (...) {
        try {
            probe->Delete();
        } catch (const com::Error&) {
        }
        throw;
    }
    probe->Delete();
    if (unlocked) unlocked->Restore();
    return width;
}

}  // namespace fluvanet
