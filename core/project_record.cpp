#include "core/project_record.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

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

// The pieces of the identifier lists Check_ID_Exists was asked about, kept so that a long
// list that has only grown since is not split again: the erase cascade asks about lists of
// thousands of items several times for every object it erases. A list is known again by
// its text, so an index never answers for a list that has changed otherwise; a list known
// to grow only at its end is known again by the ends of what was read of it.
class IdListIndex {
public:
    // Whether a piece of `text` split at ";" equals `id`. The lists are the erase lists that
    // the handlers grow with every dependent of what is erased: they have no size limit.
    bool Contains(std::string_view text, std::string_view id, bool growsAtItsEnd) {
        if (text.size() < kIndexedFrom) return Scan(text, id);
        List& list = Indexed(text, growsAtItsEnd);
        // The piece after the last ";" is not indexed: the list may grow there.
        const std::string_view last = text.substr(list.text.size());
        return last == id || list.items.contains(std::string(id));
    }

private:
    static constexpr std::size_t kIndexedFrom = 4096;  // bytes; shorter lists are read through
    static constexpr std::size_t kLists = 4;

    struct List {
        std::string text;  // up to and with the last ";" indexed
        std::unordered_set<std::string> items;
        uint64_t used = 0;
    };

    static bool Scan(std::string_view text, std::string_view id) {
        for (std::size_t start = 0;;) {
            const std::size_t end = text.find(';', start);
            if (text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start) == id)
                return true;
            if (end == std::string_view::npos) return false;
            start = end + 1;
        }
    }

    // The kept list that `text` continues, grown to its last ";"; else the least recently
    // used one, made anew.
    List& Indexed(std::string_view text, bool growsAtItsEnd) {
        auto continues = [&](const std::string& read) {
            return growsAtItsEnd ? vb::GrownAtItsEnd(text, read) : text.starts_with(read);
        };
        List* best = nullptr;
        for (List& list : lists_)
            if (continues(list.text) && (!best || list.text.size() > best->text.size())) best = &list;
        if (!best) {
            best = &*std::min_element(lists_.begin(), lists_.end(),
                                      [](const List& a, const List& b) { return a.used < b.used; });
            *best = List{};
        }
        const std::size_t end = text.rfind(';') + 1;  // 0 without a ";"
        for (std::size_t start = best->text.size(); start < end;) {
            const std::size_t stop = text.find(';', start);
            best->items.emplace(text.substr(start, stop - start));
            start = stop + 1;
        }
        if (end > best->text.size()) best->text.append(text.substr(best->text.size(), end - best->text.size()));
        best->used = ++clock_;
        return *best;
    }

    std::array<List, kLists> lists_;
    uint64_t clock_ = 0;
};

bool General::Check_ID_Exists(const Variant& ObjectID, const std::string& Text) {
    if (Text.empty()) return false;
    std::string id = vb::CStr(ObjectID);
    // Every piece counts, the empty one after the final ";" too.
    if (!idLists_) idLists_ = std::make_shared<IdListIndex>();
    return idLists_->Contains(Text, id, false);
}

bool ListedInGrowingList(General& general, std::string_view id, std::string_view list) {
    if (list.empty()) return false;
    if (!general.idLists_) general.idLists_ = std::make_shared<IdListIndex>();
    return general.idLists_->Contains(list, id, true);
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
