#pragma once
// Layers and text styles. Names are looked up without regard to case, as the platform's
// symbol tables do; adding a name that exists returns the existing record.

#include <memory>
#include <string>

#include "platform/acad_object.h"
#include "platform/acad_symbols.h"

namespace acad {

class AcadLayer : public AcadObject {
public:
    explicit AcadLayer(std::string name) : name_(std::move(name)) {}
    std::string_view TypeName() const override { return "AcadLayer"; }
    const com::DispatchTable& Table() const override;
    std::string ObjectName() const override { return "AcDbLayerTableRecord"; }

    std::string Name() const;
    bool Lock() const;
    void SetLock(bool locked);
    bool Freeze() const;
    // The active layer cannot be frozen.
    void SetFreeze(bool frozen);
    bool LayerOn() const;
    void SetLayerOn(bool on);
    std::shared_ptr<AcadAcCmColor> TrueColor() const;
    // Layers take colour indices 1 to 255.
    void SetTrueColor(const std::shared_ptr<AcadAcCmColor>& color);
    // Refused for "0", "Defpoints", the active layer and a layer that any entity uses.
    void Delete();

private:
    std::string name_;
    bool locked_ = false;
    bool frozen_ = false;
    bool on_ = true;
    int32_t colorIndex_ = 7;
};

class AcadLayers : public com::Dispatch {
public:
    explicit AcadLayers(std::weak_ptr<AcadDatabase> db) : db_(std::move(db)) {}
    std::string_view TypeName() const override { return "AcadLayers"; }
    const com::DispatchTable& Table() const override;

    int32_t Count() const;
    std::shared_ptr<AcadLayer> Item(const com::Variant& index) const;  // index or name
    std::shared_ptr<AcadLayer> Add(const std::string& name);
    // Usage is checked live when a layer is deleted, so there is nothing to refresh.
    void GenerateUsageData() {}

private:
    std::weak_ptr<AcadDatabase> db_;
};

class AcadTextStyle : public AcadObject {
public:
    explicit AcadTextStyle(std::string name) : name_(std::move(name)) {}
    std::string_view TypeName() const override { return "AcadTextStyle"; }
    const com::DispatchTable& Table() const override;
    std::string ObjectName() const override { return "AcDbTextStyleTableRecord"; }

    std::string Name() const;
    double Width() const;  // width factor of the text-size model
    void SetWidth(double factor);

private:
    std::string name_;
    double width_ = 1;
};

class AcadTextStyles : public com::Dispatch {
public:
    explicit AcadTextStyles(std::weak_ptr<AcadDatabase> db) : db_(std::move(db)) {}
    std::string_view TypeName() const override { return "AcadTextStyles"; }
    const com::DispatchTable& Table() const override;

    int32_t Count() const;
    std::shared_ptr<AcadTextStyle> Item(const com::Variant& index) const;
    std::shared_ptr<AcadTextStyle> Add(const std::string& name);

private:
    std::weak_ptr<AcadDatabase> db_;
};

}  // namespace acad
