#include "core/project_record.h"

#include <string>

#include "core/general.h"
#include "core/reference_lists.h"
#include "platform/ui_log.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"

namespace fluvanet {

using com::CallType;
using com::ErrorCode;
using com::Raise;
using com::Variant;

namespace {

void Critical(const std::string& text) { vb::MsgBox(text, vb::vbCritical + vb::vbOKOnly, "Fluvamap"); }

}  // namespace

ProjectRecord ProjectRecord::Read(acad::AcadDocument& doc) {
    ElementRecord r = ElementRecord::Read(doc.ModelSpace());
    if (!r.Exists()) com::Raise(com::ErrorCode::TypeMismatch, "the drawing has no project record");
    return ProjectRecord(std::move(r));
}

std::optional<ProjectRecord> ProjectRecord::ReadIfPresent(acad::AcadDocument& doc) {
    ElementRecord r = ElementRecord::Read(doc.ModelSpace());
    if (!r.Exists()) return std::nullopt;
    return ProjectRecord(std::move(r));
}

std::vector<std::string> ViewStyleItems(const ProjectRecord& record) {
    std::vector<std::string> items = refs::TrailingItems(record.Text(project_entry::kViewStyles));
    if (items.size() <= view_style_item::kVisibility)
        Raise(ErrorCode::SubscriptOutOfRange, "the project record holds no network visibility string");
    return items;
}

std::string General::GetAeccAppString(acad::AcadApplication& AcadApp) {
    // The version text times ten, compared exactly: "17.1s" is 171.
    double version = vb::Val(AcadApp.Version()) * 10;
    if (version == 161) return "AeccXUiLand.AeccApplication.2.0";
    if (version == 162) return "AeccXUiLand.AeccApplication.3.0";
    if (version == 170) return "AeccXUiLand.AeccApplication.4.0";
    if (version == 171) return "AeccXUiLand.AeccApplication.5.0";
    if (version == 172) return "AeccXUiLand.AeccApplication.6.0";
    return "";
}

bool General::VerfiyVersionFluvamapCompatibility(acad::AcadDocument& AcadActiveDocument) {
    std::string project = GetFluvamapProjectVersion(AcadActiveDocument);
    std::string program = GetFluvamapProgramVersion();
    double d = vb::Val(project) - vb::Val(program);
    if (d >= 0.1) {
        std::string lf = vb::Chr(10);
        Critical("This project was created with a Fluvamap version that is newer than the installed one!" + lf +
                 "Install Fluvamap V" + project + "  or newer then re-open the project." + lf +
                 "Running this project on the current version of Fluvamap may permanently corrupt it.");
        return false;
    }
    return true;
}

std::string General::GetFluvamapProjectVersion(acad::AcadDocument& AcadActiveDocument) {
    auto record = ProjectRecord::ReadIfPresent(AcadActiveDocument);
    if (!record) {
        Critical("This drawing does not contain a Fluvamap project!");
        return "";
    }
    return record->Text(project_entry::kProjectVersion);
}

std::string General::GetFluvamapProgramVersion() { return std::string(kFluvamapProgramVersion); }

std::string General::GetModelUnits(acad::AcadDocument& AcadActiveDocument) {
    return ProjectRecord::Read(AcadActiveDocument).Text(project_entry::kModelUnits);
}

bool General::Check_ID_Exists(const Variant& ObjectID, const std::string& Text) {
    if (Text.empty()) return false;
    std::string id = vb::CStr(ObjectID);
    std::vector<std::string> pieces = vb::Split(Text, ";");
    vb::Count16(pieces.size());
    // Every piece counts, the empty one after the final ";" too.
    for (const std::string& piece : pieces)
        if (piece == id) return true;
    return false;
}

Variant General::GetSurfaceNames(acad::AcadDocument& AcadActiveDocument, const int16_t& ErrMsgIndex) {
    com::ObjectPtr civilDoc;
    try {
        auto app = AcadActiveDocument.Application();
        if (!app) com::Raise(com::ErrorCode::ObjectRequired, "the document has no application");
        com::ObjectPtr civilApp = app->GetInterfaceObject(GetAeccAppString(*app));
        // An application without an active document is reached: the surfaces then fail to
        // the caller, not as a loading error.
        civilDoc = vb::CallByName(civilApp, "ActiveDocument", CallType::Get).Object();
    } catch (const com::Error&) {
        if (ErrMsgIndex == 1) Critical("Error loading AutoCAD Civil 3D application!");
        return Variant();
    }
    Variant surfaces = vb::CallByName(civilDoc, "Surfaces", CallType::Get);
    com::ObjectPtr collection = surfaces.ObjectAs<com::Dispatch>();
    int32_t count = vb::CLng(vb::CallByName(collection, "Count", CallType::Get));
    if (count <= 0) {
        if (ErrMsgIndex == 1) Critical("No surfaces are defined!");
        return Variant();
    }
    com::SafeArray names = com::SafeArray::Vector(com::VarType::String, count);
    for (int32_t i = 0; i < count; ++i) {
        Variant item = vb::CallByName(collection, "Item", CallType::Get, Variant(i));
        names.Put(i, vb::CallByName(item.ObjectAs<com::Dispatch>(), "Name", CallType::Get));
    }
    return Variant(std::move(names));
}

void General::TurnEventsOn(acad::AcadDocument& AcadActiveDocument) {
    ProjectRecord record = ProjectRecord::Read(AcadActiveDocument);
    record.Set(project_entry::kEventsFlag, Variant(int16_t{1}));
    record.Write();
}

void General::TurnEventsOff(acad::AcadDocument& AcadActiveDocument) {
    ProjectRecord record = ProjectRecord::Read(AcadActiveDocument);
    record.Set(project_entry::kEventsFlag, Variant(int16_t{0}));
    record.Write();
}

int16_t General::CheckEventsFlag(acad::AcadDocument& AcadActiveDocument) {
    try {
        auto record = ProjectRecord::ReadIfPresent(AcadActiveDocument);
        if (!record) return 0;
        return vb::CInt(record->Get(project_entry::kEventsFlag));
    } catch (const com::Error&) {
        return 0;
    }
}

}  // namespace fluvanet
