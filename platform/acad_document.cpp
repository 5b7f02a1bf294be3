#include "platform/acad_document.h"

#include <algorithm>

#include "platform/ui_log.h"
#include "platform/vb_text.h"

namespace acad {

using com::ErrorCode;
using com::Raise;
using com::Variant;

// ---- IdSequence ---------------------------------------------------------------------

int32_t IdSequence::Next() {
    while (true) {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        auto r = static_cast<uint32_t>(state_ >> 32);
        int32_t id = 0;
        switch (count_++ % 5) {
        case 0: id = static_cast<int32_t>(r); break;                              // any ten-digit value, either sign
        case 1: id = 32768 + static_cast<int32_t>(r % 967232); break;             // just above 16 bits
        case 2: id = -1 - static_cast<int32_t>(r % 99999999); break;              // negative, up to eight digits
        case 3: id = 2147483647 - static_cast<int32_t>(r % 100000); break;        // next to the top
        case 4: id = static_cast<int32_t>(-2147483647 - 1 + static_cast<int64_t>(r % 100000)); break;  // next to the bottom
        }
        if (id != 0 && used_.insert(id).second) return id;
    }
}

// ---- AcadDatabase -------------------------------------------------------------------

std::shared_ptr<AcadDatabase> AcadDatabase::Create(uint64_t idSeed) {
    std::shared_ptr<AcadDatabase> db(new AcadDatabase(idSeed));
    db->Init();
    return db;
}

void AcadDatabase::Init() {
    auto self = std::static_pointer_cast<AcadDatabase>(shared_from_this());
    blocksCollection_ = std::make_shared<AcadBlocks>(self);
    layersCollection_ = std::make_shared<AcadLayers>(self);
    stylesCollection_ = std::make_shared<AcadTextStyles>(self);
    for (const char* name : {"*Model_Space", "*Paper_Space"}) {
        auto block = std::make_shared<AcadBlock>(name, Point3{});
        Register(block);
        blocks_.push_back(block);
    }
    activeLayer_ = layersCollection_->Add("0");
    activeStyle_ = stylesCollection_->Add("Standard");
}

const com::DispatchTable& AcadDatabase::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadDatabase>([](auto& b) {
        b.Method("ObjectIdToObject", &AcadDatabase::ObjectIdToObject)
            .Get("ModelSpace", &AcadDatabase::ModelSpace)
            .Get("PaperSpace", &AcadDatabase::PaperSpace)
            .Get("Blocks", &AcadDatabase::Blocks)
            .Get("Layers", &AcadDatabase::Layers)
            .Get("TextStyles", &AcadDatabase::TextStyles);
    });
    return table;
}

std::shared_ptr<AcadObject> AcadDatabase::ObjectIdToObject(int32_t objectId) const {
    auto it = byId_.find(objectId);
    if (it != byId_.end())
        if (auto object = it->second.lock(); object && !object->Erased()) return object;
    Raise(ErrorCode::ObjectNotFound, "no object with the identifier " + std::to_string(objectId));
}

std::shared_ptr<AcadBlock> AcadDatabase::ModelSpace() const { return blocks_[0]; }
std::shared_ptr<AcadBlock> AcadDatabase::PaperSpace() const { return blocks_[1]; }
std::shared_ptr<AcadBlocks> AcadDatabase::Blocks() const { return blocksCollection_; }
std::shared_ptr<AcadLayers> AcadDatabase::Layers() const { return layersCollection_; }
std::shared_ptr<AcadTextStyles> AcadDatabase::TextStyles() const { return stylesCollection_; }

void AcadDatabase::Register(const std::shared_ptr<AcadObject>& object) {
    object->db_ = std::static_pointer_cast<AcadDatabase>(shared_from_this());
    object->id_ = ids_.Next();
    object->order_ = nextOrder_++;
    byId_[object->id_] = object;
    objects_.push_back(object);
}

void AcadDatabase::Forget(const AcadObject& object) { byId_.erase(object.id_); }

std::vector<std::shared_ptr<AcadEntity>> AcadDatabase::SpaceEntities() const {
    std::vector<std::shared_ptr<AcadEntity>> all = ModelSpace()->Entities();
    const auto& paper = PaperSpace()->Entities();
    all.insert(all.end(), paper.begin(), paper.end());
    std::stable_sort(all.begin(), all.end(),
                     [](const auto& a, const auto& b) { return a->CreationOrder() < b->CreationOrder(); });
    return all;
}

bool AcadDatabase::LayerInUse(const AcadLayer& layer) const {
    std::string name = layer.Name();
    for (const auto& block : blocks_) {
        for (const auto& e : block->Entities()) {
            if (!e->Erased() && SameSymbolName(e->LayerName(), name)) return true;
            if (auto ref = std::dynamic_pointer_cast<AcadBlockReference>(e))
                for (const auto& a : ref->GetAttributes())
                    if (SameSymbolName(a->LayerName(), name)) return true;
        }
    }
    return false;
}

namespace {
template <class T>
std::shared_ptr<T> FindNamed(const std::vector<std::shared_ptr<T>>& items, std::string_view name) {
    for (const auto& item : items)
        if (SameSymbolName(item->Name(), name)) return item;
    return nullptr;
}
}  // namespace

std::shared_ptr<AcadBlock> AcadDatabase::FindBlock(std::string_view name) const { return FindNamed(blocks_, name); }
std::shared_ptr<AcadLayer> AcadDatabase::FindLayer(std::string_view name) const { return FindNamed(layers_, name); }
std::shared_ptr<AcadTextStyle> AcadDatabase::FindTextStyle(std::string_view name) const {
    return FindNamed(styles_, name);
}

void AcadDatabase::SetActiveLayer(std::shared_ptr<AcadLayer> layer) { activeLayer_ = std::move(layer); }
void AcadDatabase::SetActiveTextStyle(std::shared_ptr<AcadTextStyle> style) { activeStyle_ = std::move(style); }

void AcadDatabase::ReportErase(const AcadEntity& entity, EraseObserver::Phase phase) {
    // Held while it reports, so that an observer may replace itself.
    if (auto observer = eraseObserver_) observer->Erasing(entity, phase);
}

void AcadDatabase::Renumber(uint64_t idSeed) {
    ids_ = IdSequence(idSeed);
    byId_.clear();
    objects_.erase(std::remove_if(objects_.begin(), objects_.end(), [](const auto& o) { return o->Erased(); }),
                   objects_.end());
    for (const auto& object : objects_) {
        object->id_ = ids_.Next();
        byId_[object->id_] = object;
    }
}

// ---- AcadDocument -------------------------------------------------------------------

const com::DispatchTable& AcadDocument::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadDocument>([](auto& b) {
        b.Get("Application", &AcadDocument::Application)
            .Get("Database", &AcadDocument::Database)
            .Get("Name", &AcadDocument::Name)
            .Get("ModelSpace", &AcadDocument::ModelSpace)
            .Get("PaperSpace", &AcadDocument::PaperSpace)
            .Get("Blocks", &AcadDocument::Blocks)
            .Get("Layers", &AcadDocument::Layers)
            .Get("TextStyles", &AcadDocument::TextStyles)
            .Property("ActiveLayer", &AcadDocument::ActiveLayer, &AcadDocument::SetActiveLayer)
            .Property("ActiveTextStyle", &AcadDocument::ActiveTextStyle, &AcadDocument::SetActiveTextStyle)
            .Get("SelectionSets", &AcadDocument::SelectionSets)
            .Get("Utility", &AcadDocument::Utility)
            .Method("ObjectIdToObject", &AcadDocument::ObjectIdToObject)
            .Method("GetVariable", &AcadDocument::GetVariable)
            .Method("SetVariable", &AcadDocument::SetVariable)
            .Method("SendCommand", &AcadDocument::SendCommand);
    });
    return table;
}

void AcadDocument::SetActiveLayer(const std::shared_ptr<AcadLayer>& layer) {
    if (!layer) Raise(ErrorCode::ObjectRequired);
    layer->CheckAlive();
    if (db_->FindLayer(layer->Name()) != layer) Raise(ErrorCode::InvalidInput, "the layer belongs to another drawing");
    if (layer->Freeze()) Raise(ErrorCode::LayerFrozen, layer->Name());
    db_->SetActiveLayer(layer);
}

void AcadDocument::SetActiveTextStyle(const std::shared_ptr<AcadTextStyle>& style) {
    if (!style) Raise(ErrorCode::ObjectRequired);
    style->CheckAlive();
    if (db_->FindTextStyle(style->Name()) != style)
        Raise(ErrorCode::InvalidInput, "the text style belongs to another drawing");
    db_->SetActiveTextStyle(style);
}

Variant AcadDocument::GetVariable(const std::string& name) const {
    auto it = variables_.find(vb::UCase(name));
    if (it == variables_.end()) Raise(ErrorCode::InvalidInput, "system variable " + name);
    return com::ToVariant(it->second);
}

void AcadDocument::SetVariable(const std::string& name, const Variant& value) {
    auto it = variables_.find(vb::UCase(name));
    if (it == variables_.end()) Raise(ErrorCode::InvalidInput, "system variable " + name);
    it->second = com::FromVariant<Point3>(value);
}

void AcadDocument::SendCommand(const std::string& command) {
    host::Ui().Record(host::UiEvent{host::UiEvent::Kind::Command, command, 0, ""});
}

void AcadDocument::ReopenWithNewIds() {
    db_->Renumber(0x5eed + 7919 * ++reopenCount_);
    sets_->Clear();
}

// ---- AcadApplication ----------------------------------------------------------------

std::shared_ptr<AcadApplication> AcadApplication::Create(std::string version) {
    std::shared_ptr<AcadApplication> app(new AcadApplication());
    app->version_ = std::move(version);
    return app;
}

const com::DispatchTable& AcadApplication::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadApplication>([](auto& b) {
        b.Get("Version", &AcadApplication::Version)
            .Method("GetInterfaceObject", &AcadApplication::GetInterfaceObject)
            .Get("ActiveDocument", &AcadApplication::ActiveDocument);
    });
    return table;
}

com::ObjectPtr AcadApplication::GetInterfaceObject(const std::string& progId) {
    for (const auto& [id, object] : interfaces_)
        if (SameSymbolName(id, progId)) return object;
    if (!progId.empty() && vb::InStr(vb::UCase(progId), "AUTOCAD.ACCMCOLOR.") == 1)
        return std::make_shared<AcadAcCmColor>();
    Raise(ErrorCode::InterfaceNotFound, progId.empty() ? "empty programmatic identifier" : progId);
}

std::shared_ptr<AcadDocument> AcadApplication::ActiveDocument() const {
    for (auto it = documents_.rbegin(); it != documents_.rend(); ++it)
        if (auto doc = it->lock()) return doc;
    return nullptr;
}

void AcadApplication::RegisterInterfaceObject(const std::string& progId, com::ObjectPtr object) {
    UnregisterInterfaceObject(progId);
    interfaces_.emplace_back(progId, std::move(object));
}

void AcadApplication::UnregisterInterfaceObject(const std::string& progId) {
    interfaces_.erase(std::remove_if(interfaces_.begin(), interfaces_.end(),
                                     [&](const auto& entry) { return SameSymbolName(entry.first, progId); }),
                      interfaces_.end());
}

std::shared_ptr<AcadDocument> AcadApplication::NewDocument() {
    std::shared_ptr<AcadDocument> doc(new AcadDocument());
    ++documentCount_;
    doc->app_ = std::static_pointer_cast<AcadApplication>(shared_from_this());
    doc->db_ = AcadDatabase::Create(0x5eed * documentCount_);
    doc->sets_ = std::make_shared<AcadSelectionSets>(doc);
    doc->utility_ = std::make_shared<AcadUtility>();
    doc->variables_ = {{"UCSXDIR", {1, 0, 0}}, {"UCSYDIR", {0, 1, 0}}};
    doc->name_ = "Drawing" + std::to_string(documentCount_) + ".dwg";
    documents_.push_back(doc);
    return doc;
}

std::shared_ptr<AcadDocument> NewDrawing() { return AcadApplication::Create()->NewDocument(); }

}  // namespace acad
