#pragma once
// The application, its documents and each document's database: the entry points of the
// drawing stand-in.

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/acad_block.h"
#include "platform/acad_layers.h"
#include "platform/acad_selection.h"
#include "platform/acad_utility.h"

namespace acad {

class AcadApplication;
class AcadDocument;

// Identifiers: unique, never reused, and awkward on purpose (all ten digits, just above
// the 16-bit range, negative, next to the 32-bit limits), repeatable for a given seed.
class IdSequence {
public:
    explicit IdSequence(uint64_t seed) : state_(seed) {}
    int32_t Next();
    void Reserve(int32_t id) { used_.insert(id); }

private:
    uint64_t state_;
    uint64_t count_ = 0;
    std::unordered_set<int32_t> used_;
};

// Told of every entity of model space or paper space that is erased, however it is
// erased: once before (the entity still alive, its record readable) and once after (only
// its ObjectID reads). Entities of block definitions and attributes are not reported. An
// error raised before the erasure ends it with the entity kept.
class EraseObserver {
public:
    enum class Phase { Before, After };
    virtual ~EraseObserver() = default;
    virtual void Erasing(const AcadEntity& entity, Phase phase) = 0;
};

class AcadDatabase : public com::Dispatch {
public:
    static std::shared_ptr<AcadDatabase> Create(uint64_t idSeed = 0x5eed);
    std::string_view TypeName() const override { return "AcadDatabase"; }
    const com::DispatchTable& Table() const override;

    // An unknown, zero or erased identifier raises ObjectNotFound.
    std::shared_ptr<AcadObject> ObjectIdToObject(int32_t objectId) const;
    std::shared_ptr<AcadBlock> ModelSpace() const;
    std::shared_ptr<AcadBlock> PaperSpace() const;
    std::shared_ptr<AcadBlocks> Blocks() const;
    std::shared_ptr<AcadLayers> Layers() const;
    std::shared_ptr<AcadTextStyles> TextStyles() const;

    // ---- stand-in plumbing ----
    void Register(const std::shared_ptr<AcadObject>& object);
    void Forget(const AcadObject& object);  // an erased object is no longer found by id
    // Entities of model space and paper space, in creation order.
    std::vector<std::shared_ptr<AcadEntity>> SpaceEntities() const;
    bool LayerInUse(const AcadLayer& layer) const;

    std::vector<std::shared_ptr<AcadBlock>>& BlockTable() { return blocks_; }
    std::vector<std::shared_ptr<AcadLayer>>& LayerTable() { return layers_; }
    std::vector<std::shared_ptr<AcadTextStyle>>& StyleTable() { return styles_; }
    std::shared_ptr<AcadBlock> FindBlock(std::string_view name) const;
    std::shared_ptr<AcadLayer> FindLayer(std::string_view name) const;
    std::shared_ptr<AcadTextStyle> FindTextStyle(std::string_view name) const;

    std::shared_ptr<AcadLayer> ActiveLayer() const { return activeLayer_; }
    void SetActiveLayer(std::shared_ptr<AcadLayer> layer);
    std::shared_ptr<AcadTextStyle> ActiveTextStyle() const { return activeStyle_; }
    void SetActiveTextStyle(std::shared_ptr<AcadTextStyle> style);

    // Modifying or erasing an entity on a locked layer raises OnLockedLayer (default on).
    bool EnforceLayerLocks() const { return enforceLocks_; }
    void SetEnforceLayerLocks(bool on) { enforceLocks_ = on; }
    // The real platform's limits of 255 bytes per text and 16 KB per record (default off).
    bool StrictXDataLimits() const { return strictXData_; }
    void SetStrictXDataLimits(bool on) { strictXData_ = on; }

    // A save and reopen: every live object gets a new identifier, erased objects are gone,
    // extended data is kept as it was.
    void Renumber(uint64_t idSeed);

    // One observer at a time: a new one replaces the old, nullptr removes it. The drawing
    // holds it, so it must not hold the drawing.
    void SetEraseObserver(std::shared_ptr<EraseObserver> observer) { eraseObserver_ = std::move(observer); }
    void ReportErase(const AcadEntity& entity, EraseObserver::Phase phase);

private:
    AcadDatabase(uint64_t idSeed) : ids_(idSeed) {}
    void Init();

    IdSequence ids_;
    uint64_t nextOrder_ = 1;
    std::unordered_map<int32_t, std::weak_ptr<AcadObject>> byId_;
    std::vector<std::shared_ptr<AcadObject>> objects_;  // owns everything ever created
    std::vector<std::shared_ptr<AcadBlock>> blocks_;
    std::vector<std::shared_ptr<AcadLayer>> layers_;
    std::vector<std::shared_ptr<AcadTextStyle>> styles_;
    std::shared_ptr<AcadLayer> activeLayer_;
    std::shared_ptr<AcadTextStyle> activeStyle_;
    std::shared_ptr<AcadBlocks> blocksCollection_;
    std::shared_ptr<AcadLayers> layersCollection_;
    std::shared_ptr<AcadTextStyles> stylesCollection_;
    bool enforceLocks_ = true;
    bool strictXData_ = false;
    std::shared_ptr<EraseObserver> eraseObserver_;
};

class AcadDocument : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "AcadDocument"; }
    const com::DispatchTable& Table() const override;

    std::shared_ptr<AcadApplication> Application() const { return app_; }
    std::shared_ptr<AcadDatabase> Database() const { return db_; }
    std::string Name() const { return name_; }
    std::shared_ptr<AcadBlock> ModelSpace() const { return db_->ModelSpace(); }
    std::shared_ptr<AcadBlock> PaperSpace() const { return db_->PaperSpace(); }
    std::shared_ptr<AcadBlocks> Blocks() const { return db_->Blocks(); }
    std::shared_ptr<AcadLayers> Layers() const { return db_->Layers(); }
    std::shared_ptr<AcadTextStyles> TextStyles() const { return db_->TextStyles(); }
    std::shared_ptr<AcadLayer> ActiveLayer() const { return db_->ActiveLayer(); }
    // A frozen or erased layer cannot become active.
    void SetActiveLayer(const std::shared_ptr<AcadLayer>& layer);
    std::shared_ptr<AcadTextStyle> ActiveTextStyle() const { return db_->ActiveTextStyle(); }
    void SetActiveTextStyle(const std::shared_ptr<AcadTextStyle>& style);
    std::shared_ptr<AcadSelectionSets> SelectionSets() const { return sets_; }
    std::shared_ptr<AcadUtility> Utility() const { return utility_; }
    std::shared_ptr<AcadObject> ObjectIdToObject(int32_t objectId) const { return db_->ObjectIdToObject(objectId); }
    // "UCSXDIR" and "UCSYDIR" (arrays of three reals, default (1,0,0) and (0,1,0)); other
    // names raise Invalid input.
    com::Variant GetVariable(const std::string& name) const;
    void SetVariable(const std::string& name, const com::Variant& value);
    // Recorded in the UI log; nothing runs.
    void SendCommand(const std::string& command);

    // Stand-in controls.
    void SetEnforceLayerLocks(bool on) { db_->SetEnforceLayerLocks(on); }
    void SetStrictXDataLimits(bool on) { db_->SetStrictXDataLimits(on); }
    void SetEraseObserver(std::shared_ptr<EraseObserver> observer) { db_->SetEraseObserver(std::move(observer)); }
    // Save and reopen with renumbered identifiers; selection sets do not survive.
    void ReopenWithNewIds();

private:
    friend class AcadApplication;
    AcadDocument() = default;
    std::shared_ptr<AcadApplication> app_;
    std::shared_ptr<AcadDatabase> db_;
    std::shared_ptr<AcadSelectionSets> sets_;
    std::shared_ptr<AcadUtility> utility_;
    std::map<std::string, Point3> variables_;
    std::string name_;
    uint64_t reopenCount_ = 0;
};

class AcadApplication : public com::Dispatch {
public:
    static std::shared_ptr<AcadApplication> Create(std::string version = "17.1s (LMS Tech)");
    std::string_view TypeName() const override { return "AcadApplication"; }
    const com::DispatchTable& Table() const override;

    std::string Version() const { return version_; }
    // Objects registered under a programmatic identifier (Civil 3D), and a new colour
    // object for "AutoCAD.AcCmColor.<n>". Anything else, the empty text included, raises
    // InterfaceNotFound.
    com::ObjectPtr GetInterfaceObject(const std::string& progId);
    std::shared_ptr<AcadDocument> ActiveDocument() const;

    // Stand-in controls.
    void SetVersion(std::string version) { version_ = std::move(version); }
    void RegisterInterfaceObject(const std::string& progId, com::ObjectPtr object);
    void UnregisterInterfaceObject(const std::string& progId);
    std::shared_ptr<AcadDocument> NewDocument();

private:
    AcadApplication() = default;
    std::string version_;
    std::vector<std::pair<std::string, com::ObjectPtr>> interfaces_;
    std::vector<std::weak_ptr<AcadDocument>> documents_;
    uint64_t documentCount_ = 0;
};

// A new drawing in a new application: the usual start of a test or a host session.
std::shared_ptr<AcadDocument> NewDrawing();

}  // namespace acad
