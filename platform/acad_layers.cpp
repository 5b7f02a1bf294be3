#include "platform/acad_layers.h"

#include <algorithm>

#include "platform/acad_document.h"
#include "platform/vb_text.h"

namespace acad {

using com::ErrorCode;
using com::Raise;
using com::Variant;

void CheckSymbolName(const std::string& name) {
    if (name.empty()) Raise(ErrorCode::InvalidInput, "empty name");
    if (name.find_first_of("<>/\\\":;?*|=`,") != std::string::npos) Raise(ErrorCode::InvalidInput, "invalid name " + name);
}

bool SameSymbolName(std::string_view a, std::string_view b) {
    // Plain ASCII compares by capitals, character by character; from the first other
    // character on the rest goes through the full case mapping.
    if (a == b) return true;
    auto capital = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if ((x | y) >= 0x80) return vb::UCase(a.substr(i)) == vb::UCase(b.substr(i));
        if (capital(x) != capital(y)) return false;
    }
    return a.size() == b.size();
}

// Capitals character by character: the prefix SameSymbolName compares by capitals capitalises
// alike, and the rest is what it compares in capitals.
std::string SymbolKey(std::string_view name) { return vb::UCase(name); }

std::shared_ptr<AcadDatabase> OpenDatabase(const std::weak_ptr<AcadDatabase>& db) {
    auto p = db.lock();
    if (!p) Raise(ErrorCode::ObjectErased, "the drawing is closed");
    return p;
}

// ---- AcadLayer ----------------------------------------------------------------------

const com::DispatchTable& AcadLayer::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadLayer>([](auto& b) {
        b.Inherit(AcadObject::ClassTable())
            .Get("Name", &AcadLayer::Name)
            .Property("Lock", &AcadLayer::Lock, &AcadLayer::SetLock)
            .Property("Freeze", &AcadLayer::Freeze, &AcadLayer::SetFreeze)
            .Property("LayerOn", &AcadLayer::LayerOn, &AcadLayer::SetLayerOn)
            .Property("TrueColor", &AcadLayer::TrueColor, &AcadLayer::SetTrueColor)
            .Method("Delete", &AcadLayer::Delete);
    });
    return table;
}

std::string AcadLayer::Name() const {
    CheckAlive();
    return name_;
}
bool AcadLayer::Lock() const {
    CheckAlive();
    return locked_;
}
void AcadLayer::SetLock(bool locked) {
    CheckAlive();
    locked_ = locked;
}
bool AcadLayer::Freeze() const {
    CheckAlive();
    return frozen_;
}
void AcadLayer::SetFreeze(bool frozen) {
    CheckAlive();
    if (frozen && Database()->ActiveLayer().get() == this) Raise(ErrorCode::CannotFreezeCurrentLayer, name_);
    frozen_ = frozen;
}
bool AcadLayer::LayerOn() const {
    CheckAlive();
    return on_;
}
void AcadLayer::SetLayerOn(bool on) {
    CheckAlive();
    on_ = on;
}
std::shared_ptr<AcadAcCmColor> AcadLayer::TrueColor() const {
    CheckAlive();
    return std::make_shared<AcadAcCmColor>(colorIndex_);
}
void AcadLayer::SetTrueColor(const std::shared_ptr<AcadAcCmColor>& color) {
    CheckAlive();
    if (!color) Raise(ErrorCode::ObjectRequired);
    int32_t index = color->ColorIndex();
    if (index < 1 || index > 255) Raise(ErrorCode::InvalidInput, "a layer takes colour indices 1 to 255");
    colorIndex_ = index;
}
void AcadLayer::Delete() {
    CheckAlive();
    auto db = Database();
    if (SameSymbolName(name_, "0") || SameSymbolName(name_, "Defpoints"))
        Raise(ErrorCode::CannotDelete, "layer " + name_ + " is protected");
    if (db->ActiveLayer().get() == this) Raise(ErrorCode::CannotDelete, "layer " + name_ + " is the active layer");
    if (db->LayerInUse(*this)) Raise(ErrorCode::CannotDelete, "layer " + name_ + " is in use");
    auto& table = db->LayerTable();
    table.erase(std::remove_if(table.begin(), table.end(), [&](const auto& l) { return l.get() == this; }), table.end());
    MarkErased();
    db->Forget(*this);
}

// ---- AcadLayers ---------------------------------------------------------------------

const com::DispatchTable& AcadLayers::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadLayers>([](auto& b) {
        b.Get("Count", &AcadLayers::Count)
            .Get("Item", &AcadLayers::Item)
            .Method("Add", &AcadLayers::Add)
            .Method("GenerateUsageData", &AcadLayers::GenerateUsageData);
    });
    return table;
}

int32_t AcadLayers::Count() const { return static_cast<int32_t>(OpenDatabase(db_)->LayerTable().size()); }
std::shared_ptr<AcadLayer> AcadLayers::Item(const Variant& index) const {
    return CollectionItem(OpenDatabase(db_)->LayerTable(), index, "layer");
}
std::shared_ptr<AcadLayer> AcadLayers::Add(const std::string& name) {
    auto db = OpenDatabase(db_);
    CheckSymbolName(name);
    if (auto existing = db->FindLayer(name)) return existing;
    auto layer = std::make_shared<AcadLayer>(name);
    db->Register(layer);
    db->LayerTable().push_back(layer);
    return layer;
}

// ---- AcadTextStyle(s) ---------------------------------------------------------------

const com::DispatchTable& AcadTextStyle::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadTextStyle>([](auto& b) {
        b.Inherit(AcadObject::ClassTable())
            .Get("Name", &AcadTextStyle::Name)
            .Property("Width", &AcadTextStyle::Width, &AcadTextStyle::SetWidth);
    });
    return table;
}
std::string AcadTextStyle::Name() const {
    CheckAlive();
    return name_;
}
double AcadTextStyle::Width() const {
    CheckAlive();
    return width_;
}
void AcadTextStyle::SetWidth(double factor) {
    CheckAlive();
    if (!(factor > 0)) Raise(ErrorCode::InvalidInput, "width factor must be positive");
    width_ = factor;
}

const com::DispatchTable& AcadTextStyles::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadTextStyles>([](auto& b) {
        b.Get("Count", &AcadTextStyles::Count).Get("Item", &AcadTextStyles::Item).Method("Add", &AcadTextStyles::Add);
    });
    return table;
}
int32_t AcadTextStyles::Count() const { return static_cast<int32_t>(OpenDatabase(db_)->StyleTable().size()); }
std::shared_ptr<AcadTextStyle> AcadTextStyles::Item(const Variant& index) const {
    return CollectionItem(OpenDatabase(db_)->StyleTable(), index, "text style");
}
std::shared_ptr<AcadTextStyle> AcadTextStyles::Add(const std::string& name) {
    auto db = OpenDatabase(db_);
    CheckSymbolName(name);
    if (auto existing = db->FindTextStyle(name)) return existing;
    auto style = std::make_shared<AcadTextStyle>(name);
    db->Register(style);
    db->StyleTable().push_back(style);
    return style;
}

}  // namespace acad
