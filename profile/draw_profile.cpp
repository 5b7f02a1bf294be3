#include "profile/draw_profile.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/block_names.h"
#include "core/element_records.h"
#include "core/finite_reals.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/reference_lists.h"
#include "events/events.h"
#include "platform/acad_symbols.h"
#include "platform/file_system.h"
#include "platform/safe_array.h"
#include "platform/vb_convert.h"
#include "profile/parts_data.h"
#include "profile/profile.h"
#include "profile/profile_drawing.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::CallType;
using com::ErrorCode;
using com::ObjectPtr;
using com::Raise;
using com::Variant;

namespace {

// Settings entries and items read here.
constexpr int32_t kProfileSettings = 7;
constexpr int32_t kExaggeration = 3;
constexpr int32_t kHorizontalGrid = 8;
constexpr int32_t kLevelSpacing = 3;
constexpr int32_t kVerticalGrid = 9;
constexpr int32_t kStationSpacing = 2;

// Parts stand side by side: the next starts this far right of the previous part's frame
// and band labels, whatever the text heights.
constexpr double kPartGap = 60;
// A plot area is its pipes' length and this many label heights.
constexpr double kFrameMarginHeights = 20;

void Refuse(const std::string& fault) { Raise(ErrorCode::InvalidProcedureCall, fault); }

acad::Point3 PointOf(const Variant& point) {
    const com::SafeArray& items = point.Array();
    const int32_t low = items.LBound();
    const double z = items.Size() > 2 ? vb::CDbl(items.Get(low + 2)) : 0;
    const acad::Point3 p{vb::CDbl(items.Get(low)), vb::CDbl(items.Get(low + 1)), z};
    RequireFinite("the insertion point", {p[0], p[1], p[2]});
    return p;
}

// Nothing when the terrain application does not answer: every surface look-up then takes
// the network's own levels.
ObjectPtr TerrainDocument(General& general, acad::AcadDocument& doc) {
    try {
        auto app = doc.Application();
        if (!app) return nullptr;
        ObjectPtr civil = app->GetInterfaceObject(general.GetAeccAppString(*app));
        return vb::CallByName(civil, "ActiveDocument", CallType::Get).ObjectAs<com::Dispatch>();
    } catch (const com::Error&) {
        return nullptr;
    }
}

void RequirePipes(acad::AcadDocument& doc, const std::vector<std::string>& pipes) {
    if (pipes.size() != 3) Refuse("the profile pipes are three lists: labels, identifiers, directions");
    const std::vector<std::string> ids = refs::LeadingKeys(pipes[1]);
    if (ids.empty()) Refuse("the profile holds no pipe");
    if (refs::LeadingItems(pipes[0]).size() != ids.size() || refs::LeadingItems(pipes[2]).size() != ids.size())
        Refuse("the three lists of the profile pipes differ in length");
    for (const std::string& id : ids) {
        try {
            OpenPipeRecord(doc, id);
        } catch (const com::Error& e) {
            Refuse("the profile pipe " + id + " does not open as a pipe: " + e.Description());
        }
    }
}

void RequirePositive(double value, const std::string& what) {
    if (!(std::isfinite(value) && value > 0)) Refuse("the " + what + " must be a number above 0");
}

void RequireSettings(const Variant& settings) {
    RequirePositive(vb::Val(StyleSettingsItem(settings, kProfileSettings, kExaggeration)), "vertical exaggeration");
    RequirePositive(vb::Val(StyleSettingsItem(settings, kHorizontalGrid, kLevelSpacing)), "level spacing of the grid");
    RequirePositive(vb::Val(StyleSettingsItem(settings, kVerticalGrid, kStationSpacing)),
                    "station spacing of the grid");
    // The platform refuses a text of height 0.
    const ProfileTextSettings text = StyleTextSettings(settings);
    for (const auto& [height, what] : {std::pair{text.dataHeight, "data"}, std::pair{text.labelsHeight, "labels"},
                                       std::pair{text.titleHeight, "title"}}) {
        if (!vb::IsNumeric(Variant(height))) Refuse(std::string("the ") + what + " text height is not a number");
        RequirePositive(vb::CDbl(Variant(height)), std::string(what) + " text height");
    }
}

// The block found later by InitializeBlockDefinition, checked now so that a refusal comes
// before anything is drawn.
void RequireBlockName(acad::AcadDocument& doc, const std::string& name) {
    try {
        acad::CheckSymbolName(name);
    } catch (const com::Error&) {
        Refuse("\"" + name + "\" is not a valid block name");
    }
    FindBlockDefinition(doc, name);
}

// The new profile block and its plan annotation taken out again after a failure: the
// entries written for it forgotten by the style and the pipes, then both references
// deleted, with events off. Failures here give way to the original error.
void TakeBack(General& general, Events& events, acad::AcadDocument& doc,
              const std::shared_ptr<acad::AcadBlockReference>& profileBlock,
              const std::shared_ptr<acad::AcadBlockReference>& planBlock) {
    try {
        EventsOffGuard eventsOff(general, doc);
        if (profileBlock && !profileBlock->Erased()) {
            try {
                std::string erased, queued;
                if (ElementRecord::Read(profileBlock).ElementType() == element_type::kProfile)
                    events.ProfileWillBeErased(doc, *profileBlock, erased, queued);
            } catch (const com::Error&) {
            }
        }
        for (const auto& block : {planBlock, profileBlock}) {
            try {
                if (block && !block->Erased()) block->Delete();
            } catch (const com::Error&) {
            }
        }
        eventsOff.Restore();
    } catch (const com::Error&) {
    }
}

}  // namespace

PreparedProfile PrepareProfile(Profile& profile, General& general, acad::AcadDocument& doc,
                               const ProfileRequest& request) {
    vb::DoEvents();
    const ObjectPtr terrain = TerrainDocument(general, doc);

    PreparedProfile prepared{request, profile.GetProfileStyleSettings(doc, request.styleName), Variant()};
    if (prepared.settings.IsEmpty()) Refuse("there is no profile style \"" + request.styleName + "\"");
    RequirePipes(doc, request.pipes);
    RequireSettings(prepared.settings);
    PointOf(request.insPoint);
    // Written into the profile's record even when the datum is found from the sumps.
    RequireFinite("the custom datum", request.customDatum);
    RequireBlockName(doc, ProfileBlockName(request.network, request.name));
    if (request.showNameOnPlan || request.showStationsOnPlan)
        RequireBlockName(doc, PlanAnnoBlockName(request.network, request.name));

    prepared.parts = profile.GetProfilePartsDataArrays(doc, terrain, request.network, prepared.settings,
                                                       request.pipes, request.groundFromSurface, request.surfaceName);
    return prepared;
}

std::string DrawPreparedProfile(Profile& profile, General& general, Events& events, acad::AcadDocument& doc,
                                const PreparedProfile& prepared) {
    const ProfileRequest& r = prepared.request;
    std::shared_ptr<acad::AcadBlockReference> profileBlock, planBlock;
    try {
        profileBlock = profile.CreateProfileBlock(doc, r.name, r.network, r.networkType, r.insPoint, prepared.parts,
                                                  prepared.settings, r.datumAuto, r.customDatum);
        planBlock = profile.CreatePlanAnnotationBlockForProfile(doc, r.name, r.network, prepared.parts,
                                                                prepared.settings, r.showNameOnPlan,
                                                                r.showStationsOnPlan);
        profile.BuildProfileBlockXData(doc, r.name, r.network, r.networkType, r.styleName, r.pipes, r.insPoint,
                                       r.groundFromSurface, r.surfaceName, r.datumAuto, r.customDatum,
                                       r.showNameOnPlan, r.showStationsOnPlan, *profileBlock, planBlock);
        if (planBlock) profile.BuildProfilePlanAnnoBlockXData(r.name, r.network, *profileBlock, *planBlock);
    } catch (...) {
        TakeBack(general, events, doc, profileBlock, planBlock);
        throw;
    }
    return IdText(*profileBlock);
}

std::string Profile::DrawProfile(acad::AcadDocument& AcadActiveDocument, const std::string& ProfileName,
                                 const std::string& ProfileNetworkName, const std::string& ProfileNetworkType,
                                 const std::string& ProfileStyleName, const std::vector<std::string>& ArProfilePipes,
                                 const Variant& InsPoint, const bool& DrawGroundFromSurface,
                                 const std::string& GroundSurfaceName, const bool& DatumAuto,
                                 const double& CustomDatumValue, const bool& ShowNameOnPlan,
                                 const bool& ShowStationsOnPlan) {
    const ProfileRequest request{ProfileName,       ProfileNetworkName, ProfileNetworkType, ProfileStyleName,
                                 ArProfilePipes,    InsPoint,           DrawGroundFromSurface, GroundSurfaceName,
                                 DatumAuto,         CustomDatumValue,   ShowNameOnPlan,     ShowStationsOnPlan};
    const PreparedProfile prepared = PrepareProfile(*this, *general_, AcadActiveDocument, request);
    // A layer the user locked would refuse the drawing or the pipes' records midway.
    UnlockedLayersGuard unlocked(*general_, AcadActiveDocument);
    std::string id = DrawPreparedProfile(*this, *general_, *events_, AcadActiveDocument, prepared);
    unlocked.Restore();
    return id;
}

std::shared_ptr<acad::AcadBlockReference> Profile::CreateProfileBlock(
    acad::AcadDocument& AcadActiveDocument, const std::string& ProfileName, const std::string& ProfileNetworkName,
    const std::string& ProfileNetworkType, const Variant& ProfileInsPoint, const Variant& ArProfilePartsDataArrays,
    const Variant& ArProfileStyleSettings, const bool& DatumAuto, const double& CustomDatumValue) {
    const Variant& settings = ArProfileStyleSettings;
    const std::string units = general_->GetModelUnits(AcadActiveDocument);
    const acad::Point3 insertion = PointOf(ProfileInsPoint);
    if (!DatumAuto) RequireFinite("the custom datum", CustomDatumValue);
    ActiveLayerGuard activeLayer(AcadActiveDocument);
    ActiveTextStyleGuard activeStyle(AcadActiveDocument);

    auto block = general_->InitializeBlockDefinition(AcadActiveDocument, ProfileBlockName(ProfileNetworkName, ProfileName));
    CreateProfileLayers(AcadActiveDocument);
    const double bandLabels = GetBandLabelsPartLength(AcadActiveDocument, settings);
    const double v = vb::Val(StyleSettingsItem(settings, kProfileSettings, kExaggeration));
    const ProfileTextSettings text = StyleTextSettings(settings);
    const double h = vb::Val(text.labelsHeight);
    AcadActiveDocument.SetActiveTextStyle(ProfileTextStyle(AcadActiveDocument, text.style));
    const std::string horizontalGrid = StyleSettingsEntry(settings, kHorizontalGrid);
    const std::string verticalGrid = StyleSettingsEntry(settings, kVerticalGrid);
    const std::string stations = StyleSettingsEntry(settings, style_settings::kStationsBand);
    const std::string textSettings = StyleSettingsEntry(settings, kTextSettingsEntry);

    std::vector<double> ref{0, 0, 0};
    double partStart = 0;
    const com::SafeArray& records = ArProfilePartsDataArrays.Array();
    const int16_t n = vb::Count16(records.Size());
    for (int16_t k = 0; k < n; ++k) {
        const std::vector<std::string> part = records.Get(records.LBound() + k).Array().ToStrings();
        auto entry = [&](int32_t e) -> const std::string& { return PartsEntry(part, e); };
        namespace pe = parts_entry;
        const double datum = GetDatumElevation(DatumAuto, CustomDatumValue, entry(pe::kNodeSumps), units);
        const std::vector<double> frame = DrawPlotAreaFrame(*block, ref, part, settings, datum, v);
        const double length = frame.at(0), height = frame.at(1);
        DrawProfileGrid(AcadActiveDocument, *block, ref, horizontalGrid, verticalGrid, stations, textSettings, length,
                        height, v, datum, partStart);
        DrawNodeLabels(AcadActiveDocument, *block, ref, entry(pe::kLengths), entry(pe::kNodeLabels), height, settings);
        DrawGroundLine(*block, ref, entry(pe::kGroundLine), datum, v);
        DrawPipes(AcadActiveDocument, *block, ref, entry(pe::kLengths), entry(pe::kInverts), entry(pe::kSections),
                  datum, v, units, ProfileNetworkType);
        if (ProfileNetworkType == "Gravity")
            DrawManholes(AcadActiveDocument, *block, ref, entry(pe::kLengths), entry(pe::kNodeGrounds),
                         entry(pe::kNodeSumps), datum, v, units);
        DrawConnectedAndCrossing(AcadActiveDocument, *block, ref, entry(pe::kConnectedPipes), entry(pe::kCrossings),
                                 settings, datum, v, units);
        DrawProfileTable(AcadActiveDocument, *block, ref, part, settings, bandLabels, datum, length, ProfileName, k,
                         n);
        ref[0] += length + bandLabels + kPartGap;
        // The plot area's margins are no stations: the next part begins where this one ends.
        partStart += length - kFrameMarginHeights * h;
    }

    activeStyle.Restore();
    activeLayer.Restore();
    const double angle = general_->GetCorrectionAngleForCS(AcadActiveDocument);
    return AcadActiveDocument.ModelSpace()->InsertBlock(insertion, block->Name(), 1, 1, 1, angle);
}

}  // namespace fluvanet
