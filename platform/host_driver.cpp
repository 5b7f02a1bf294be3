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

std::vector<std::string> ListItems(std::string_view list) {
    std::vector<std::string> items = vb::Split(list, ";");
    if (!items.empty()) items.pop_back();  // the text after the last ";"
    return items;
}

using Entities = std::vector<std::shared_ptr<acad::AcadEntity>>;

// What the user picks: a CAD program's selection passes over what lies on a locked layer.
Entities Selectable(acad::AcadDocument& doc, const Entities& picked) {
    Entities selection;
    for (const auto& entity : picked) {
        if (!entity->Erased())
            if (auto layer = doc.Database()->FindLayer(entity->Layer()); layer && layer->Lock()) continue;
        selection.push_back(entity);
    }
    return selection;
}

// The upkeep of what the user did cannot refuse: the drawing's locked layers are unlocked
// for one user operation and locked again when it ends, after a failure too.
class UnlockedForOperation {
public:
    explicit UnlockedForOperation(acad::AcadDocument& doc) : layers_(doc.Layers()) {
        try {
            for (int32_t i = 0; i < layers_->Count(); ++i) {
                auto layer = layers_->Item(Variant(i));
                if (!layer->Lock()) continue;
                layer->SetLock(false);
                locked_.push_back(layer->Name());
            }
        } catch (...) {
            Relock();
            throw;
        }
    }
    ~UnlockedForOperation() { Relock(); }
    UnlockedForOperation(const UnlockedForOperation&) = delete;
    UnlockedForOperation& operator=(const UnlockedForOperation&) = delete;

private:
    void Relock() noexcept {
        for (const std::string& name : locked_) {
            try {
                layers_->Item(Variant(name))->SetLock(true);
            } catch (const com::Error&) {
                // A layer deleted in between is passed over.
            }
        }
        locked_.clear();
    }
    std::shared_ptr<acad::AcadLayers> layers_;
    std::vector<std::string> locked_;
};

bool IsPipe(const std::string& type) { return type == "GravityPipe" || type == "PressurePipe"; }
bool IsNode(const std::string& type) { return type == "GravityNode" || type == "PressureNode"; }

}  // namespace

// The drawing holds the observer, so it holds the driver by a plain pointer; the driver
// takes it back before it goes.
class EventDriver::Observer : public acad::EraseObserver {
public:
    explicit Observer(EventDriver& driver) : driver_(driver) {}
    void Erasing(const acad::AcadEntity& entity, Phase phase) override {
        driver_.LibraryErasing(entity, phase == Phase::Before);
    }

private:
    EventDriver& driver_;
};

EventDriver::EraseLists EventDriver::Operation::Lists() const {
    return {vb::CStr(erased), vb::CStr(toBeErased), vb::CStr(nodes)};
}

EventDriver::EventDriver(std::shared_ptr<acad::AcadDocument> document, com::ObjectPtr general, com::ObjectPtr events)
    : doc_(std::move(document)), general_(std::move(general)), events_(std::move(events)) {}

EventDriver::~EventDriver() {
    if (observer_) doc_->SetEraseObserver(nullptr);
}

bool EventDriver::EventsOn() const {
    return vb::CInt(vb::CallByName(general_, "CheckEventsFlag", CallType::Method, doc_)) == 1;
}

bool EventDriver::Report(const std::shared_ptr<acad::AcadEntity>& entity, Operation& op) {
    std::string type = RecordText(*entity, 2);
    if (IsPipe(type))
        CallEvents("PipeWillBeErased", entity, op.erased, op.toBeErased, op.nodes);
    else if (IsNode(type))
        CallEvents("NodeWillBeErased", entity, op.erased, op.toBeErased, op.nodes);
    else if (type == "Annotation")
        CallEvents("AnnotationWillBeErased", entity, op.erased);
    else if (type == "Arrow")
        CallEvents("ArrowWillBeErased", entity, op.erased);
    else if (type == "CrossingPointAnnotation")
        CallEvents("CrossingAnnoWillBeErased", entity, op.erased, op.toBeErased);
    else if (type == "Profile")
        CallEvents("ProfileWillBeErased", entity, op.erased, op.toBeErased);
    else
        return false;
    return true;
}

void EventDriver::EraseOne(const std::shared_ptr<acad::AcadEntity>& entity, bool report, Operation& op) {
    if (entity->Erased()) return;
    if (report && EventsOn()) Report(entity, op);
    if (entity->Erased()) return;  // a handler may have deleted it already
    const acad::AcadEntity* outer = erasingItself_;
    erasingItself_ = entity.get();
    try {
        entity->Delete();
    } catch (...) {
        erasingItself_ = outer;
        throw;
    }
    erasingItself_ = outer;
    AppendErased(op, entity->ObjectID());
}

void EventDriver::AppendErased(Operation& op, int32_t id) {
    // The list grows with every erasure: appended to where it stands.
    if (!op.erased.IsString()) op.erased = Variant(vb::CStr(op.erased));
    op.erased.Str().append(std::to_string(id)).append(";");
}

void EventDriver::Finish(Operation& op) {
    // The list is read again at every step as the handlers left it: what was split of it
    // counts while the list still begins with it, so mostly only what it grew by is split.
    // Only a handler can have changed it, so a step that called none needs no reading.
    std::string read;
    std::vector<std::string> ids;
    uint64_t readAfter = eventsCallsMade_ - 1;
    for (std::size_t next = 0;; ++next) {
        const std::string& list = op.toBeErased.Str();  // not kept past the erasure below
        if (readAfter != eventsCallsMade_ && !list.starts_with(read)) {
            read.clear();
            ids.clear();
        }
        readAfter = eventsCallsMade_;
        for (std::string& id : ListItems(std::string_view(list).substr(read.size()))) ids.push_back(std::move(id));
        read.append(list, read.size(), list.rfind(';') + 1 - read.size());
        if (next >= ids.size()) break;
        std::shared_ptr<acad::AcadEntity> entity;
        try {
            entity = std::dynamic_pointer_cast<acad::AcadEntity>(doc_->ObjectIdToObject(vb::CLng(Variant(ids[next]))));
        } catch (const com::Error&) {
            continue;  // already erased, or not an identifier
        }
        if (entity) EraseOne(entity, reportCascade_, op);
    }
    std::vector<std::string> nodeIds = ListItems(vb::CStr(op.nodes));
    if (!nodeIds.empty() && EventsOn())
        CallEvents("AnalyzeLowHighAfterDeleting", Variant(com::SafeArray::FromStrings(nodeIds)));
}

EventDriver::EraseLists EventDriver::Erase(const std::vector<std::shared_ptr<acad::AcadEntity>>& picked) {
    const Entities selection = Selectable(*doc_, picked);
    UnlockedForOperation unlocked(*doc_);
    Operation op;
    for (const auto& entity : selection) EraseOne(entity, true, op);
    Finish(op);
    return op.Lists();
}

EventDriver::CopyResult EventDriver::Copy(const std::vector<std::shared_ptr<acad::AcadEntity>>& picked,
                                          const acad::Point3& from, const acad::Point3& to) {
    const Entities entities = Selectable(*doc_, picked);
    UnlockedForOperation unlocked(*doc_);
    CopyResult result;
    std::string ids;
    for (const auto& entity : entities) {
        auto copy = entity->Copy();
        copy->Move(from, to);
        result.copies.push_back(copy);
        ids += std::to_string(copy->ObjectID()) + ";";
    }
    Variant changed("");
    if (EventsOn()) CallEvents("VerifyCopiedElements", changed, ids);
    result.changedPipes = vb::CStr(changed);
    return result;
}

EventDriver::EraseLists EventDriver::Move(const std::vector<std::shared_ptr<acad::AcadEntity>>& picked,
                                          const acad::Point3& from, const acad::Point3& to) {
    const Entities entities = Selectable(*doc_, picked);
    UnlockedForOperation unlocked(*doc_);
    for (const auto& entity : entities) entity->Move(from, to);
    if (!EventsOn()) return {};

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
    for (const std::string& id : changedPipes) CallEvents("AdjustPipeEnds", open(id));
    for (const std::string& id : markers) CallEvents("AdjustLowHighPoint", open(id));
    for (const std::string& id : leaders) CallEvents("AdjustCrossingLine", open(id));
    if (changedPipes.empty()) return {};
    // Variables, not temporaries: the leader lines of replaced annotations come back queued.
    Operation op;
    Variant changed(vb::Join(changedPipes, ";") + ";");
    CallEvents("RebuildPipeCrossingPoints", changed, op.erased, op.toBeErased);
    CallEvents("FlagChangedPipesProfilesForUpdate", changed, op.erased, op.toBeErased);
    Finish(op);
    return op.Lists();
}

void EventDriver::SetReportLibraryDeletions(bool report) {
    if (report == (observer_ != nullptr)) return;
    if (report) {
        observer_ = std::make_shared<Observer>(*this);
        doc_->SetEraseObserver(observer_);
    } else {
        doc_->SetEraseObserver(nullptr);
        observer_.reset();
    }
}

EventDriver::EraseLists EventDriver::Command(const std::function<void()>& libraryCalls) {
    if (command_) {
        libraryCalls();
        return command_->Lists();
    }
    Operation op;
    command_ = &op;
    try {
        libraryCalls();
    } catch (...) {
        command_ = nullptr;
        throw;
    }
    command_ = nullptr;
    Finish(op);
    return op.Lists();
}

void EventDriver::LibraryErasing(const acad::AcadEntity& entity, bool before) {
    if (&entity == erasingItself_) return;
    const int32_t id = entity.ObjectID();
    if (before) {
        if (!EventsOn()) return;  // not forwarded, so not part of any operation
        auto object = std::dynamic_pointer_cast<acad::AcadEntity>(doc_->ObjectIdToObject(id));
        Pending pending{id, command_, nullptr};
        if (!command_ || eventsCalls_ > 0) {
            pending.own = std::make_unique<Operation>();
            pending.operation = pending.own.get();
        }
        if (object && Report(object, *pending.operation)) reported_.push_back(std::to_string(id));
        pending_.push_back(std::move(pending));
        return;
    }
    auto it = std::find_if(pending_.rbegin(), pending_.rend(), [id](const Pending& p) { return p.id == id; });
    if (it == pending_.rend()) return;
    Pending pending = std::move(*it);
    pending_.erase(std::next(it).base());
    Operation& op = *pending.operation;
    AppendErased(op, id);
    if (pending.own) Finish(op);
}

}  // namespace host
