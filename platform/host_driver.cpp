#include "platform/host_driver.h"

#include <algorithm>

#include "platform/vb_text.h"

namespace host {

using com::CallType;
using com::Variant;

std::string RecordText(const acad::AcadObject& object, int k) {
    Variant types, values;
    object.GetXData("Fluvamap", types, values);
    if (!values.IsArray() || k > values.Array().UBound()) return "";
    return vb::CStr(values.Array().Get(k));
}

std::vector<std::string> ReferenceKeys(const std::string& references) {
    std::vector<std::string> keys;
    std::vector<std::string> items = vb::Split(references, ";");
    for (std::size_t i = 1; i < items.size(); ++i)
        if (items[i].size() > 9) keys.push_back(items[i].substr(9));
    return keys;
}

namespace {

std::vector<std::string> ListItems(const std::string& list) {
    std::vector<std::string> items = vb::Split(list, ";");
    if (!items.empty()) items.pop_back();  // the text after the last ";"
    return items;
}

bool IsPipe(const std::string& type) { return type == "GravityPipe" || type == "PressurePipe"; }
bool IsNode(const std::string& type) { return type == "GravityNode" || type == "PressureNode"; }

}  // namespace

EventDriver::EventDriver(std::shared_ptr<acad::AcadDocument> document, com::ObjectPtr general, com::ObjectPtr events)
    : doc_(std::move(document)), general_(std::move(general)), events_(std::move(events)) {}

bool EventDriver::EventsOn() const {
    return vb::CInt(vb::CallByName(general_, "CheckEventsFlag", CallType::Method, doc_)) == 1;
}

void EventDriver::EraseOne(const std::shared_ptr<acad::AcadEntity>& entity, bool report, Variant& erased,
                           Variant& toBeErased, Variant& nodes) {
    if (entity->Erased()) return;
    if (report && EventsOn()) {
        std::string type = RecordText(*entity, 2);
        if (IsPipe(type))
            vb::CallByName(events_, "PipeWillBeErased", CallType::Method, doc_, entity, erased, toBeErased, nodes);
        else if (IsNode(type))
            vb::CallByName(events_, "NodeWillBeErased", CallType::Method, doc_, entity, erased, toBeErased, nodes);
        else if (type == "Annotation")
            vb::CallByName(events_, "AnnotationWillBeErased", CallType::Method, doc_, entity, erased);
        else if (type == "Arrow")
            vb::CallByName(events_, "ArrowWillBeErased", CallType::Method, doc_, entity, erased);
        else if (type == "CrossingPointAnnotation")
            vb::CallByName(events_, "CrossingAnnoWillBeErased", CallType::Method, doc_, entity, erased, toBeErased);
        else if (type == "Profile")
            vb::CallByName(events_, "ProfileWillBeErased", CallType::Method, doc_, entity, erased, toBeErased);
    }
    if (entity->Erased()) return;  // a handler may have deleted it already
    entity->Delete();
    erased = Variant(vb::CStr(erased) + std::to_string(entity->ObjectID()) + ";");
}

EventDriver::EraseLists EventDriver::Erase(const std::vector<std::shared_ptr<acad::AcadEntity>>& selection) {
    Variant erased(""), toBeErased(""), nodes("");
    for (const auto& entity : selection) EraseOne(entity, true, erased, toBeErased, nodes);
    for (std::size_t next = 0;; ++next) {
        std::vector<std::string> ids = ListItems(vb::CStr(toBeErased));
        if (next >= ids.size()) break;
        std::shared_ptr<acad::AcadEntity> entity;
        try {
            entity = std::dynamic_pointer_cast<acad::AcadEntity>(doc_->ObjectIdToObject(vb::CLng(Variant(ids[next]))));
        } catch (const com::Error&) {
            continue;  // already erased, or not an identifier
        }
        if (entity) EraseOne(entity, reportCascade_, erased, toBeErased, nodes);
    }
    std::vector<std::string> nodeIds = ListItems(vb::CStr(nodes));
    if (!nodeIds.empty() && EventsOn())
        vb::CallByName(events_, "AnalyzeLowHighAfterDeleting", CallType::Method, doc_,
                       Variant(com::SafeArray::FromStrings(nodeIds)));
    return {vb::CStr(erased), vb::CStr(toBeErased), vb::CStr(nodes)};
}

EventDriver::CopyResult EventDriver::Copy(const std::vector<std::shared_ptr<acad::AcadEntity>>& entities,
                                          const acad::Point3& from, const acad::Point3& to) {
    CopyResult result;
    std::string ids;
    for (const auto& entity : entities) {
        auto copy = entity->Copy();
        copy->Move(from, to);
        result.copies.push_back(copy);
        ids += std::to_string(copy->ObjectID()) + ";";
    }
    Variant changed("");
    if (EventsOn()) vb::CallByName(events_, "VerifyCopiedElements", CallType::Method, doc_, changed, ids);
    result.changedPipes = vb::CStr(changed);
    return result;
}

void EventDriver::Move(const std::vector<std::shared_ptr<acad::AcadEntity>>& entities, const acad::Point3& from,
                       const acad::Point3& to) {
    for (const auto& entity : entities) entity->Move(from, to);
    if (!EventsOn()) return;

    std::vector<std::string> changedPipes, markers, leaders;
    auto add = [](std::vector<std::string>& list, const std::string& id) {
        if (!id.empty() && std::find(list.begin(), list.end(), id) == list.end()) list.push_back(id);
    };
    for (const auto& entity : entities) {
        std::string type = RecordText(*entity, 2);
        std::string id = std::to_string(entity->ObjectID());
        if (IsPipe(type)) {
            add(changedPipes, id);
        } else if (IsNode(type)) {
            for (int k : {7, 8})
                for (const std::string& key : ReferenceKeys(RecordText(*entity, k))) add(changedPipes, key);
            for (const std::string& key : ReferenceKeys(RecordText(*entity, 14))) add(markers, key);
        } else if (type == "LowHighPoint") {
            add(markers, id);
        } else if (type == "CrossingPointAnnotation") {
            for (const std::string& key : ReferenceKeys(RecordText(*entity, 15))) add(leaders, key);
        } else if (type == "CrossingPointLine") {
            add(leaders, id);
        }
    }
    auto open = [&](const std::string& id) { return doc_->ObjectIdToObject(vb::CLng(Variant(id))); };
    for (const std::string& id : changedPipes)
        vb::CallByName(events_, "AdjustPipeEnds", CallType::Method, doc_, open(id));
    for (const std::string& id : markers)
        vb::CallByName(events_, "AdjustLowHighPoint", CallType::Method, doc_, open(id));
    for (const std::string& id : leaders)
        vb::CallByName(events_, "AdjustCrossingLine", CallType::Method, doc_, open(id));
    if (changedPipes.empty()) return;
    std::string changed = vb::Join(changedPipes, ";") + ";";
    vb::CallByName(events_, "RebuildPipeCrossingPoints", CallType::Method, doc_, changed, "", "");
    vb::CallByName(events_, "FlagChangedPipesProfilesForUpdate", CallType::Method, doc_, changed, "", "");
}

}  // namespace host
