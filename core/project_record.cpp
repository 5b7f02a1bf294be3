#include "core/project_record.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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
// list that has grown since is not split again: the erase cascade asks about lists of
// thousands of items several times for every object it erases. Every answer is that of the
// text as it reads now: a piece is found where it was seen only when it is read there again,
// and what was kept of a list counts only when the text is read to begin with it.
class IdListIndex {
public:
    // Whether a piece of `text` split at ";" equals `id`. The lists are the erase lists that
    // the handlers grow with every dependent of what is erased: they have no size limit.
    bool Contains(std::string_view text, std::string_view id) {
        if (text.size() < kIndexedFrom) return Scan(text, id);
        return Seen(text, id) || InIndexed(Indexed(text), text, id);
    }

    // The same for each of `ids`, the list read through once at most.
    std::vector<bool> ContainsEach(std::string_view text, std::span<const std::string> ids) {
        std::vector<bool> found(ids.size());
        bool unseen = false;
        for (std::size_t i = 0; i < ids.size(); ++i) {
            found[i] = text.size() < kIndexedFrom ? Scan(text, ids[i]) : Seen(text, ids[i]);
            unseen = unseen || !found[i];
        }
        if (!unseen || text.size() < kIndexedFrom) return found;
        const List& list = Indexed(text);
        for (std::size_t i = 0; i < ids.size(); ++i)
            if (!found[i]) found[i] = InIndexed(list, text, ids[i]);
        return found;
    }

private:
    static constexpr std::size_t kIndexedFrom = 4096;  // bytes; shorter lists are read through
    static constexpr std::size_t kLists = 4;

    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    struct List {
        std::string text;  // up to and with the last ";" indexed
        std::unordered_map<std::string, std::size_t, Hash, std::equal_to<>> items;  // the first place of each
        uint64_t used = 0;
    };

    // A piece found without reading the whole text: most answers are yes, read at the place
    // where a kept list has the piece, or among the few pieces appended after what a kept
    // list has read (what is asked about was mostly appended a moment ago).
    bool Seen(std::string_view text, std::string_view id) {
        for (List& list : lists_)
            if (auto it = list.items.find(id); it != list.items.end() && PieceAt(text, it->second, id)) {
                list.used = ++clock_;
                return true;
            }
        for (const List& list : lists_)
            if (InTail(text, list.text, id)) return true;
        return false;
    }

    // For `list` indexed from `text`: the piece after the last ";" is not indexed, as the
    // list may grow there.
    static bool InIndexed(const List& list, std::string_view text, std::string_view id) {
        return text.substr(list.text.size()) == id || list.items.contains(id);
    }

    static bool PieceAt(std::string_view text, std::size_t at, std::string_view id) {
        const std::size_t end = at + id.size();
        return end <= text.size() && (at == 0 || text[at - 1] == ';') && text.substr(at, id.size()) == id &&
               (end == text.size() || text[end] == ';');
    }

    // Whether `id` is a piece of `text` after `read`, when a piece of `text` begins there
    // and only a few bytes follow.
    static bool InTail(std::string_view text, std::string_view read, std::string_view id) {
        constexpr std::size_t kTail = 512;  // bytes
        return !read.empty() && read.size() < text.size() && text.size() - read.size() <= kTail &&
               text[read.size() - 1] == ';' && Scan(text.substr(read.size()), id);
    }

    static bool Scan(std::string_view text, std::string_view id) {
        for (std::size_t start = 0;;) {
            const std::size_t end = text.find(';', start);
            if (text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start) == id)
                return true;
            if (end == std::string_view::npos) return false;
            start = end + 1;
        }
    }

    // The longest kept list that `text` begins with, grown to its last ";"; else the least
    // recently used one, made anew.
    List& Indexed(std::string_view text) {
        List* best = nullptr;
        for (List& list : lists_)
            if ((!best || list.text.size() > best->text.size()) && text.starts_with(list.text)) best = &list;
        if (!best) {
            best = &*std::min_element(lists_.begin(), lists_.end(),
                                      [](const List& a, const List& b) { return a.used < b.used; });
            *best = List{};
        }
        const std::size_t end = text.rfind(';') + 1;  // 0 without a ";"
        for (std::size_t start = best->text.size(); start < end;) {
            const std::size_t stop = text.find(';', start);
            best->items.emplace(text.substr(start, stop - start), start);
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
    return idLists_->Contains(Text, id);
}

bool ListedInGrowingList(General& general, std::string_view id, std::string_view list) {
    if (list.empty()) return false;
    if (!general.idLists_) general.idLists_ = std::make_shared<IdListIndex>();
    return general.idLists_->Contains(list, id);
}

std::vector<bool> ListedInGrowingList(General& general, std::span<const std::string> ids, std::string_view list) {
    if (list.empty()) return std::vector<bool>(ids.size());
    if (!general.idLists_) general.idLists_ = std::make_shared<IdListIndex>();
    return general.idLists_->ContainsEach(list, ids);
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
