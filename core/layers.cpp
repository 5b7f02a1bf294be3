#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/general.h"
#include "core/layer_state.h"
#include "core/reference_lists.h"
#include "platform/acad_block.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"

namespace fluvanet {

using com::SafeArray;
using com::Variant;

namespace {

struct StandardLayer {
    std::string_view type;
    std::string_view suffix;  // after the network name, or the whole name when shared
    bool shared;
    int32_t color;
};

constexpr StandardLayer kStandardLayers[] = {
    {"Network", " - Network", false, 4},
    {"Annotation", " - Annotation", false, 3},
    {"Arrow", " - Arrow", false, 4},
    {"LowHighPoint", " - Low&High Points", false, 7},
    {"CrossingPointLine", "Crossing Point Annotation Lines", true, 2},
    {"CrossingPointText", "Crossing Point Annotation Text", true, 3},
};

void GiveColor(acad::AcadLayer& layer, int32_t index) {
    layer.SetTrueColor(std::make_shared<acad::AcadAcCmColor>(index));
}

std::string ActiveLayerName(acad::AcadDocument& doc) {
    auto active = doc.ActiveLayer();
    return active ? active->Name() : std::string();
}

}  // namespace

std::shared_ptr<acad::AcadLayer> General::CreateStandardLayer(acad::AcadDocument& AcadActiveDocument,
                                                              const std::string& NetName,
                                                              const std::string& LayerType) {
    std::string name;
    int32_t color = 0;
    for (const StandardLayer& s : kStandardLayers) {
        if (LayerType == s.type) {
            name = s.shared ? std::string(s.suffix) : NetName + std::string(s.suffix);
            color = s.color;
        }
    }
    auto layers = AcadActiveDocument.Layers();
    const int32_t count = layers->Count();
    for (int32_t i = 0; i < count; ++i) {
        auto layer = layers->Item(Variant(i));
        if (layer->Name() == name) return layer;
    }
    // The platform's names ignore case: networks "Main" and "main" are distinct networks
    // that share these layers, and Add hands back the layer the other one made.
    auto layer = layers->Add(name);
    GiveColor(*layer, color);
    return layer;
}

void General::SetLayerColor(acad::AcadDocument& AcadActiveDocument, const std::string& LayerName,
                            const std::string& ColorName) {
    int32_t index = vb::CLng(Variant(ColorName));
    GiveColor(*AcadActiveDocument.Layers()->Item(Variant(LayerName)), index);
}

Variant General::OpenLayerForWrite(acad::AcadDocument& AcadActiveDocument, const std::string& LayerNamesString) {
    std::vector<std::string> names = refs::LeadingItems(LayerNamesString);
    int16_t n = vb::Count16(names.size());
    // Variant elements: a name and two flags per row.
    SafeArray status = SafeArray::Matrix(com::VarType::Empty, n, 3);
    auto layers = AcadActiveDocument.Layers();
    int16_t recorded = 0;  // rows read, whose layers this call may have changed
    try {
        for (int16_t k = 0; k < n; ++k) {
            const std::string& name = names[static_cast<std::size_t>(k)];
            auto layer = layers->Item(Variant(name));
            status.Put(k, 0, Variant(name));
            status.Put(k, 1, Variant(layer->Freeze()));
            status.Put(k, 2, Variant(layer->Lock()));
            recorded = static_cast<int16_t>(k + 1);
            layer->SetLock(false);
            // The active layer cannot be frozen, so it is never thawed or frozen here.
            if (name != ActiveLayerName(AcadActiveDocument)) layer->SetFreeze(false);
        }
    } catch (const com::Error&) {
        // Last row first: a name listed twice (in any case) was read the second time as
        // the first row had left it, so the first row's state must be the last put back.
        std::vector<std::function<void()>> undo;
        for (int16_t k = static_cast<int16_t>(recorded - 1); k >= 0; --k)
            undo.emplace_back([&, k] {
                auto layer = layers->Item(status.Get(k, 0));
                layer->SetLock(status.Get(k, 2).Bool());
                if (vb::CStr(status.Get(k, 0)) != ActiveLayerName(AcadActiveDocument))
                    layer->SetFreeze(status.Get(k, 1).Bool());
            });
        UndoAndRethrow(undo);
    }
    return Variant(std::move(status));
}

void General::RestoreLayerStatus(acad::AcadDocument& AcadActiveDocument, const Variant& ArLayerStatus) {
    const SafeArray& status = ArLayerStatus.Array();
    auto layers = AcadActiveDocument.Layers();
    std::optional<com::Error> firstFailure;
    int32_t last = status.UBound(1);
    vb::Count16(static_cast<std::size_t>(last + 1 > 0 ? last + 1 : 0));
    for (int32_t k = status.LBound(1); k <= last; ++k) {
        try {
            std::string name = vb::CStr(status.Get(k, 0));
            auto layer = layers->Item(Variant(name));
            layer->SetLock(vb::CBool(status.Get(k, 2)));
            if (name != ActiveLayerName(AcadActiveDocument)) layer->SetFreeze(vb::CBool(status.Get(k, 1)));
        } catch (const com::Error& e) {
            // Every layer that still exists gets its state back before the failure is told.
            if (!firstFailure) firstFailure = e;
        }
    }
    if (firstFailure) throw *firstFailure;
}

Variant General::UnlockAllLayers(acad::AcadDocument& AcadActiveDocument) {
    auto layers = AcadActiveDocument.Layers();
    std::vector<std::string> unlocked;
    try {
        const int32_t count = layers->Count();
        for (int32_t i = 0; i < count; ++i) {
            auto layer = layers->Item(Variant(i));
            if (layer->Lock()) {
                layer->SetLock(false);
                unlocked.push_back(layer->Name());
            }
        }
    } catch (const com::Error&) {
        for (const std::string& name : unlocked) {
            try {
                layers->Item(Variant(name))->SetLock(true);
            } catch (const com::Error&) {
            }
        }
        throw;
    }
    if (unlocked.empty()) unlocked.emplace_back();
    return Variant(SafeArray::FromStrings(unlocked));
}

void General::RestoreLockedLayers(acad::AcadDocument& AcadActiveDocument, const Variant& ArLockedLayers) {
    vb::Count16(ArLockedLayers.Array().Size());  // the host's list
    RelockLayers(AcadActiveDocument, ArLockedLayers);
}

void RelockLayers(acad::AcadDocument& AcadActiveDocument, const Variant& ArLockedLayers) {
    const SafeArray& list = ArLockedLayers.Array();
    if (vb::CStr(list.Get(list.LBound(1))).empty()) return;
    auto layers = AcadActiveDocument.Layers();
    for (int32_t i = list.LBound(1); i <= list.UBound(1); ++i) {
        try {
            layers->Item(list.Get(i))->SetLock(true);
        } catch (const com::Error&) {
            // A layer deleted in between is passed over.
        }
    }
}

LayersToWrite& LayersToWrite::Layer(const std::string& name) {
    std::string key = vb::UCase(name);
    if (std::find(keys_.begin(), keys_.end(), key) != keys_.end()) return *this;
    keys_.push_back(std::move(key));
    names_.push_back(name);
    return *this;
}

LayersToWrite& LayersToWrite::ActiveLayer() {
    if (auto active = doc_.ActiveLayer()) Layer(active->Name());
    return *this;
}

LayersToWrite& LayersToWrite::Entity(const acad::AcadEntity& entity) {
    if (entity.Erased()) return *this;
    Layer(entity.Layer());
    if (auto block = dynamic_cast<const acad::AcadBlockReference*>(&entity))
        for (const auto& attribute : block->GetAttributes()) Layer(attribute->Layer());
    return *this;
}

LayersToWrite& LayersToWrite::Object(const std::shared_ptr<acad::AcadObject>& object) {
    if (auto entity = std::dynamic_pointer_cast<acad::AcadEntity>(object)) Entity(*entity);
    return *this;
}

void LayersToWrite::Require() const {
    for (const std::string& name : names_)
        if (auto layer = doc_.Database()->FindLayer(name); layer && layer->Lock())
            com::Raise(com::ErrorCode::OnLockedLayer, layer->Name());
}

}  // namespace fluvanet
