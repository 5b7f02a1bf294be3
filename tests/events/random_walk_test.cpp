// A seeded random walk: a drawing of two gravity networks and a pressure network with a
// profile, changed step by step as the host and its user change it: conversion, level edits,
// splits, merges and reversals through the editing steps, copies, moves and erasures through
// the host, copies the library never sees erased again, identifier rebuilds after a reopen,
// and the user locking and unlocking layers. After every step, one that raised included, the
// drawing is sound, every layer is locked as the user left it and the libraries count the
// pipes there are; nothing has raised but the refusals that the operations own to, and a step
// refused at a locked layer left the drawing as it was, but for a profile's update flag. A
// failing seed prints its steps.
//
// FLUVANET_RANDOM_WALK_SEEDS runs more seeds: a count N (seeds 1 to N) or seeds joined by ",".
// FLUVANET_RANDOM_WALK_STEPS sets the steps per seed.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bench/drawing_digest.h"
#include "core/general.h"
#include "core/library.h"
#include "core/reference_lists.h"
#include "crossing/low_high.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "events/events.h"
#include "events/update_oids.h"
#include "platform/host_driver.h"
#include "platform/ui_log.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/profile_records.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"
#include "tests/support/profile_builder.h"
#include "tests/support/view_style.h"

namespace {

using namespace testing_support;
using com::ErrorCode;
using Entity = std::shared_ptr<acad::AcadEntity>;
using Entities = std::vector<Entity>;
using Polyline = std::shared_ptr<acad::AcadLWPolyline>;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;

constexpr int kStepsPerSeed = 200;

struct Network {
    std::string name, type;
};
const std::vector<Network> kNetworks{{"Sewer", "Gravity"}, {"Storm", "Gravity"}, {"Main", "Pressure"}};

// What the walk found wrong; it ends the seed.
struct WalkFailure {
    std::string what;
};

std::string Id(const Entity& e) { return fluvanet::IdText(*e); }
std::string Piece(const Entity& e, std::size_t i) {
    std::vector<std::string> pieces = vb::Split(host::RecordText(*e, 1), ";");
    return i < pieces.size() ? pieces[i] : "";
}
std::string Name(const Entity& e) { return host::RecordText(*e, 2) + " " + Piece(e, 1) + " " + Piece(e, 2); }
std::string Key(const Entity& e, int32_t entry) { return fluvanet::refs::ReferenceKey(host::RecordText(*e, entry)); }
acad::Point3 At(const Entity& node) { return acad::Cast<acad::AcadBlockReference>(node)->InsertionPoint(); }
std::string Text(const acad::Point3& p) { return "(" + vb::CStr(p[0]) + ", " + vb::CStr(p[1]) + ")"; }

// The drawing's elements by kind, read afresh for every step: a rebuild renumbers them.
struct Census {
    explicit Census(acad::AcadDocument& doc) {
        for (const Entity& e : doc.Database()->SpaceEntities()) {
            if (e->Erased()) continue;
            const std::string type = host::RecordText(*e, 2);
            if (type == "GravityPipe" || type == "PressurePipe") pipes.push_back(e);
            else if (type == "GravityNode" || type == "PressureNode") nodes.push_back(e);
            else if (type == "Annotation") labels.push_back(e);
            else if (type == "Arrow") arrows.push_back(e);
            else if (type == "CrossingPointAnnotation") crossings.push_back(e);
            else if (type == "LowHighPoint") markers.push_back(e);
            else if (type == "Profile") profiles.push_back(e);
        }
    }
    static Entities In(const Entities& all, const std::string& network) {
        Entities in;
        for (const Entity& e : all)
            if (Piece(e, 1) == network) in.push_back(e);
        return in;
    }
    // The pipes other than `pipe` that end at one of its nodes.
    Entities Neighbours(const Entity& pipe) const {
        Entities found;
        for (const Entity& p : pipes)
            for (int32_t mine : {pe::kStartNodeId, pe::kEndNodeId})
                for (int32_t theirs : {pe::kStartNodeId, pe::kEndNodeId})
                    if (p != pipe && Key(p, theirs) == Key(pipe, mine) && std::find(found.begin(), found.end(), p) == found.end())
                        found.push_back(p);
        return found;
    }
    Entity Node(const Entity& pipe, int32_t entry) const {
        for (const Entity& n : nodes)
            if (Id(n) == Key(pipe, entry)) return n;
        throw WalkFailure{Name(pipe) + " names no live node in [" + std::to_string(entry) + "]"};
    }

    Entities pipes, nodes, labels, arrows, crossings, markers, profiles;
};

class Dice {
public:
    explicit Dice(uint32_t seed) : gen_(seed) {}
    int Below(int n) { return static_cast<int>(gen_() % static_cast<uint32_t>(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <class T>
    const T& Pick(const std::vector<T>& items) {
        return items.at(static_cast<std::size_t>(Below(static_cast<int>(items.size()))));
    }

private:
    std::mt19937 gen_;  // the same numbers on every platform
};

class Walk {
public:
    explicit Walk(uint32_t seed) : dice_(seed) {
        AddActiveViewStyle(*doc_, ViewStyleSettings({{32, "1"}}));  // arrows on every pipe
        std::vector<TestPipe> sewer = ConvertPolylines(*doc_, "Sewer", "Gravity",
                                                       {{0, 0, 20, 0}, {20, 0, 40, 0}, {40, 0, 60, 0}, {20, 0, 20, 20}});
        ConvertPolylines(*doc_, "Storm", "Gravity", {{0, 30, 25, 30}, {25, 30, 50, 30, 50, 10}});
        ConvertPolylines(*doc_, "Main", "Pressure", {{10, -10, 10, 40}, {10, 40, 45, 40}, {45, 40, 45, -10}});
        AddProfileStyle(*doc_, "Road");
        AddTestProfile(*doc_, NetworkBuilder(*doc_, "Sewer", "Gravity"), "L-1", "Road", {sewer[0], sewer[1], sewer[2]},
                       WithPlan());
        // The host sees the library's own erasures, as a real one does.
        host_.SetReportLibraryDeletions(true);
        // New entities start on the active layer: often not "0", which the attributes take.
        if (dice_.Chance(50)) doc_->SetActiveLayer(doc_->Layers()->Add("Sketch"));
    }

    // "" when every step kept the drawing sound, else what went wrong and the steps so far.
    std::string Run(int steps) {
        const std::vector<std::pair<int, void (Walk::*)()>> operations{
            {2, &Walk::Convert}, {2, &Walk::EditLevels}, {2, &Walk::Split}, {2, &Walk::Merge}, {1, &Walk::Reverse},
            {2, &Walk::Copy},    {2, &Walk::Move},       {2, &Walk::Erase}, {1, &Walk::Rebuild},
            {1, &Walk::CopyUnseen}, {3, &Walk::Lock}};
        int total = 0;
        for (const auto& op : operations) total += op.first;
        try {
            Check();
            for (int step = 1; step <= steps; ++step) {
                doc_->Utility()->ClearScript();
                host::Ui().Clear();
                int roll = dice_.Below(total);
                std::size_t k = 0;
                while (roll >= operations[k].first) roll -= operations[k++].first;
                steps_.push_back(std::to_string(step) + " ");
                Mark(false);
                try {
                    (this->*operations[k].second)();
                } catch (const com::Error& error) {
                    std::string raised = "raised " + std::to_string(error.Number()) + " " + error.Description();
                    if (mayRefuse_ && error.Code() == ErrorCode::OnLockedLayer) {
                        Refused(raised);
                        const std::string now = Unflagged();
                        if (now != before_) throw WalkFailure{"a refused step changed the drawing: " + Difference(now)};
                    } else {
                        // What a failed step left behind is told with its error.
                        try {
                            Check();
                        } catch (const WalkFailure& failure) {
                            raised += "\nand " + failure.what;
                        }
                        return Report(raised);
                    }
                }
                Check();
            }
        } catch (const WalkFailure& failure) {
            return Report(failure.what);
        } catch (const com::Error& error) {
            return Report("raised " + std::to_string(error.Number()) + " " + error.Description());
        }
        if (std::getenv("WALK_DEBUG")) std::cerr << Report("done, refusals " + std::to_string(refusals_)) << "\n";
        return "";
    }
    int Refusals() const { return refusals_; }

private:
    void Log(const std::string& text) { steps_.back() += text; }
    std::string Report(const std::string& what) const {
        std::string text = what + "\nsteps:";
        for (const std::string& s : steps_) text += "\n  " + s;
        return text;
    }
    // A refusal the operation owns to: counted, and the walk goes on.
    void Refused(const std::string& why) {
        ++refusals_;
        Log(" - refused: " + why);
    }
    std::string Shown() const {
        for (const host::UiEvent& e : host::Ui().Events())
            if (e.kind == host::UiEvent::Kind::MessageBox) return "\"" + e.text + "\"";
        return "no message";
    }

    // The drawing as the step starts, or as the part of it that may refuse starts; a lock
    // the library meets refuses only what the user asks of it.
    void Mark(bool mayRefuse) {
        mayRefuse_ = mayRefuse;
        if (mayRefuse) before_ = Unflagged();
    }
    // The drawing's digest text less what flagging a profile out of date writes: the record's
    // flag, the stamp in the profile's block (and so the reference's extents) and its layer.
    std::string Unflagged() {
        std::string out;
        for (std::string line : vb::Split(bench_support::DrawingText(*doc_), "\n")) {
            if (line.starts_with("layer Profile - Stamp")) continue;
            if (line.find(" in Fluvamap_Profile_") != std::string::npos &&
                line.find(" layer=Profile - Stamp") != std::string::npos)
                continue;
            if (line.find(" block=Fluvamap_Profile_") != std::string::npos) {
                const std::size_t box = line.find(" box=");
                const std::size_t record = line.find(" {", box);
                std::size_t flag = record;
                for (int k = 0; k < fluvanet::profile_entry::kNeedsUpdate && flag != std::string::npos; ++k)
                    flag = line.find(" {", flag + 1);
                if (flag != std::string::npos) line.replace(flag, line.find('}', flag) + 1 - flag, " {flag}");
                if (box != std::string::npos && record != std::string::npos) line.erase(box, record - box);
            }
            out += line + "\n";
        }
        return out;
    }
    std::string Difference(const std::string& now) const {
        const std::vector<std::string> a = vb::Split(before_, "\n"), b = vb::Split(now, "\n");
        std::size_t i = 0;
        while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
        return "\n    was " + (i < a.size() ? a[i] : "nothing") + "\n    now " + (i < b.size() ? b[i] : "nothing");
    }

    void Check() {
        std::vector<std::string> findings = NetworkFindings(*doc_);
        if (!findings.empty()) throw WalkFailure{"the drawing is not sound:\n    " + vb::Join(findings, "\n    ")};
        if (!host_.EventsOn()) throw WalkFailure{"the events flag was left off"};
        for (const auto& layer : doc_->Database()->LayerTable())
            if (layer->Lock() != locked_.contains(vb::UCase(layer->Name())))
                throw WalkFailure{"layer " + layer->Name() + (layer->Lock() ? " was locked" : " was unlocked")};
        if (doc_->Utility()->PendingActions() != 0) throw WalkFailure{"the library asked the user less than expected"};
        CheckUsage();
    }
    // The counts started at 0, so each is the number of pipes of its material or size.
    void CheckUsage() {
        std::map<std::string, double> pipes, counted;
        for (const Entity& p : Census(*doc_).pipes) {
            fluvanet::ElementRecord r = fluvanet::ElementRecord::Read(p);
            pipes["material " + r.Text(pe::kMaterial)] += 1;
            const bool box = r.Text(pe::kSectionShape) == fluvanet::kBoxShape;
            pipes[box ? "box " + vb::CStr(r.Number(pe::kSpan)) + " x " + vb::CStr(r.Number(pe::kRise))
                      : "circular " + vb::CStr(r.Number(pe::kSpan))] += 1;
        }
        auto add = [&](const com::SafeArray& table, const std::string& kind, bool number) {
            for (int32_t i = 0; i <= table.UBound(1); ++i) {
                const std::string text = vb::CStr(table.Get(i, 0));
                counted[kind + (number ? vb::CStr(vb::Val(text)) : text)] += vb::Val(vb::CStr(table.Get(i, 1)));
            }
        };
        add(library_.GetMaterialsArray(*doc_), "material ", false);
        add(library_.GetSizesArray(*doc_, "Circular"), "circular ", true);
        add(library_.GetSizesArray(*doc_, "Box"), "box ", false);
        for (auto& [key, count] : counted)
            if (count != pipes[key])
                throw WalkFailure{"the library counts " + vb::CStr(count) + " of " + key + ", the drawing holds " +
                                  vb::CStr(pipes[key])};
        for (const auto& [key, count] : pipes)
            if (!counted.contains(key)) throw WalkFailure{"the libraries know no " + key};
    }

    std::shared_ptr<acad::AcadSelectionSet> LowHighSet() {
        return general_->InitializeSelectionSet(*doc_, "SetNodesForLowHigh");
    }
    // The host's classification of the nodes an edit collected.
    void ClassifyLowHigh(acad::AcadSelectionSet& set, const std::string& network) {
        if (set.Count() == 0 || network != "Main") return;
        fluvanet::LowHigh lowHigh;
        lowHigh.BuildLowHighPointsAfterImporting(*doc_, lowHigh.GetInitialNodesOIDArrayForLowHigh(*doc_, set), network);
    }
    acad::Point3 Offset(const acad::Point3& from, int reach) {
        acad::Point3 to = from;
        while (to == from) to = {from[0] + dice_.Between(-reach, reach), from[1] + dice_.Between(-reach, reach), 0};
        return to;
    }

    void Convert() {
        const Network& net = dice_.Pick(kNetworks);
        const Entities nodes = Census::In(Census(*doc_).nodes, net.name);
        Log("convert into " + net.name + ":");
        Entities drawn;
        acad::Point3 last{};
        const int count = dice_.Between(1, 2);
        for (int i = 0; i < count; ++i) {
            acad::Point3 from = i > 0 && dice_.Chance(50) ? last
                                : !nodes.empty() && dice_.Chance(60)
                                    ? At(dice_.Pick(nodes))
                                    : acad::Point3{double(dice_.Between(-20, 80)), double(dice_.Between(-20, 50)), 0};
            std::vector<acad::Point3> points{from};
            if (dice_.Chance(30)) points.push_back(Offset(from, 12));
            acad::Point3 to = !nodes.empty() && dice_.Chance(30) ? At(dice_.Pick(nodes)) : Offset(points.back(), 15);
            if (to == points.back() || to == from) to = Offset(points.back(), 15);
            if (to == from) to = Offset(to, 15);
            points.push_back(to);
            last = to;
            std::vector<double> xy;
            std::string shown;
            for (const acad::Point3& p : points) {
                xy.insert(xy.end(), {p[0], p[1]});
                shown += " " + Text(p);
            }
            if (points.size() == 2 && dice_.Chance(40)) {
                drawn.push_back(doc_->ModelSpace()->AddLine(from, to));
                Log(" line" + shown);
            } else {
                drawn.push_back(doc_->ModelSpace()->AddLightWeightPolyline(xy));
                Log(" polyline" + shown);
            }
        }
        doc_->Utility()->QueueSelection(drawn);
        // A line on a locked layer cannot be replaced: the pick passes over it.
        int picked = 0;
        for (const Entity& e : drawn)
            if (!(e->DxfName() == "LINE" && doc_->Database()->FindLayer(e->Layer())->Lock())) ++picked;
        auto set = editing_->GetEntitiesToConvert(*doc_);
        if (!set || set->Count() != picked) throw WalkFailure{"the picking did not give the drawn entities"};
        if (picked < count) Refused("a line on a locked layer");
        if (picked == 0) return;
        Mark(true);
        host_.Command([&] { editing_->CreateElementsInNetwork(*doc_, *set, true, net.name, net.type); });
    }

    void EditLevels() {
        const Census c(*doc_);
        if (c.pipes.empty()) return Log("edit levels: no pipe left");
        Mark(true);
        auto set = LowHighSet();
        const bool node = dice_.Chance(50);
        const Entity e = node ? dice_.Pick(c.nodes) : dice_.Pick(c.pipes);
        fluvanet::ElementRecord r = fluvanet::ElementRecord::Read(e);
        const std::string label = Piece(e, 2);
        if (node) {
            const double ground = 100 + dice_.Below(600) / 100.0, sump = 95 + dice_.Below(500) / 100.0;
            const std::string matching = dice_.Pick<std::string>(
                {"No Matching", "Match Centerlines", "Match Soffits", "Match Inverts", "as it was"});
            Log("edit " + Name(e) + ": ground " + vb::CStr(ground) + ", sump " + vb::CStr(sump) + ", " + matching);
            host_.Command([&] { editing_->UpdateNodeData(*doc_, Id(e), label, ground, sump, matching, *set); });
        } else {
            const double start = 95 + dice_.Below(500) / 100.0, end = 95 + dice_.Below(500) / 100.0;
            std::string material = r.Text(pe::kMaterial);
            if (dice_.Chance(20)) material = dice_.Pick<std::string>({"PVC", "Concrete"});
            std::string size = r.Text(pe::kSectionShape) == fluvanet::kBoxShape
                                   ? "Box - " + vb::CStr(r.Number(pe::kSpan)) + " x " + vb::CStr(r.Number(pe::kRise))
                                   : "Circular - " + vb::CStr(r.Number(pe::kSpan));
            if (dice_.Chance(20)) size = dice_.Pick<std::string>({"Circular - 200", "Circular - 300", "Box - 1000 x 600"});
            const auto cells = static_cast<int16_t>(dice_.Between(1, 2));
            Log("edit " + Name(e) + ": inverts " + vb::CStr(start) + " " + vb::CStr(end) + ", " + material + ", " +
                size + " x" + std::to_string(cells));
            host_.Command([&] {
                com::SafeArray circular = library_.GetSizesArray(*doc_, "Circular"),
                               box = library_.GetSizesArray(*doc_, "Box"), materials = library_.GetMaterialsArray(*doc_);
                editing_->UpdatePipeData(*doc_, Id(e), label, start, end, material, size, cells, circular, box,
                                         materials, *set);
            });
        }
        Mark(true);
        host_.Command([&] { ClassifyLowHigh(*set, Piece(e, 1)); });
    }

    // 0 off the pipe, 1 at an end, 2 inside, by the library's rounded test.
    int16_t Place(const acad::Point3& p, const Entity& pipe) {
        return general_->PointIsOnPolyline(com::Variant(com::SafeArray::FromDoubles({p[0], p[1], 0})), *pipe);
    }

    void Split() {
        const Census c(*doc_);
        if (c.pipes.empty()) return Log("split: no pipe left");
        Mark(true);
        const Entity pipe = dice_.Pick(c.pipes);
        const std::vector<double> v = acad::Cast<acad::AcadLWPolyline>(pipe)->Coordinates();
        const auto k = static_cast<std::size_t>(2 * dice_.Below(static_cast<int>(v.size() / 2 - 1)));
        const double t = dice_.Between(1, 7) / 8.0, dx = v[k + 2] - v[k], dy = v[k + 3] - v[k + 1];
        const acad::Point3 at{v[k] + t * dx, v[k + 1] + t * dy, 0};
        Log("split " + Name(pipe) + " at " + Text(at));
        // Shorter, a point inside would round onto a vertex.
        if (std::hypot(dx, dy) < 0.01) return Log(": too short a segment");
        // Where the pipe runs back over one of its ends, the point may be that end.
        if (Place(at, pipe) != 2) return Log(": an end of the pipe");
        auto user = doc_->Utility();
        if (dice_.Chance(15)) {
            user->QueuePick(dice_.Pick(c.nodes));
            Log(", a node picked first");
        }
        user->QueuePick(pipe, at);
        if (dice_.Chance(20)) {
            user->QueuePoint({v[0], v[1], 0});
            Log(", its start picked first");
        }
        // Beside the segment, where no other segment of the pipe runs. Lying on the pipe is
        // the library's rounded test, which takes in more than a fixed distance does.
        const double length = std::hypot(dx, dy);
        const acad::Point3 off{at[0] - 2 * dy / length, at[1] + 2 * dx / length, 0};
        const bool clear = Place(off, pipe) == 0;
        if (clear && dice_.Chance(15)) {
            user->QueuePoint(off);
            Log(", a point beside it first");
        }
        const bool inside = dice_.Chance(90);
        if (inside)
            user->QueuePoint(at);
        else
            Log(", then no point");
        Polyline picked;
        acad::Point3 point{};
        if (!editing_->GetSplitPipeAndPoint(*doc_, picked, point)) {
            if (inside) throw WalkFailure{"the pick of a point inside the pipe was refused"};
            return Refused("no point inside picked");
        }
        if (!inside || picked != pipe || point != at) throw WalkFailure{"the pick gave another pipe or point"};
        host_.Command([&] {
            Polyline first, second;
            std::shared_ptr<acad::AcadBlockReference> node;
            editing_->CreateSplitEntities(*doc_, *picked, point, first, second, node);
            editing_->AssignSplitXdata(*doc_, *picked, point, *first, *second, *node);
            editing_->UpdateLibrariesAfterSplitting(*doc_, *picked);
            editing_->UpdateCrossingsAfterSplitting(*doc_, *picked, *first, *second);
            editing_->UpdateProfilesAfterSplitting(*doc_, *picked, *first, *second);
            editing_->DeleteSplitPipe(*doc_, *picked);
        });
    }

    void Merge() {
        const Census c(*doc_);
        if (c.pipes.size() < 2) return Log("merge: too few pipes");
        Mark(true);
        Entities chain{dice_.Pick(c.pipes)};
        if (dice_.Chance(15)) {
            chain.push_back(dice_.Pick(c.pipes));  // most often no line
        } else {
            for (int more = dice_.Between(1, 2); more > 0; --more) {
                Entities next;
                for (const Entity& end : {chain.front(), chain.back()})
                    for (const Entity& n : c.Neighbours(end))
                        if (std::find(chain.begin(), chain.end(), n) == chain.end()) next.push_back(n);
                if (next.empty()) break;
                chain.push_back(dice_.Pick(next));
            }
        }
        std::shuffle(chain.begin(), chain.end(), std::mt19937(static_cast<uint32_t>(dice_.Below(1 << 30))));
        Log("merge");
        for (const Entity& p : chain) Log(" " + Name(p));
        doc_->Utility()->QueueSelection(chain);
        auto set = editing_->GetPipesToMerge(*doc_);
        if (set->Count() < 2) return Refused(Shown());
        std::vector<Entity> sequence;
        std::string labels, ids;
        Polyline merged;
        try {
            merged = editing_->CreateMergedPipe(*doc_, *set, sequence, labels, ids);
        } catch (const com::Error& e) {
            // Pipes that pass every check and still are no open line: a ring beside a chain.
            if (e.Code() != ErrorCode::InvalidProcedureCall) throw;
            return Refused(e.Description());
        }
        std::string network;
        auto lowHigh = LowHighSet();
        host_.Command([&] {
            Entity first, last;
            std::string start, end, type;
            editing_->AssignMergedXdata(*doc_, *merged, sequence, labels, ids, first, last, start, end, type, network,
                                        lowHigh);
            editing_->UpdateLibrariesAfterMerging(*doc_, *first, static_cast<int16_t>(set->Count()));
            editing_->UpdateCrossingsAfterMerging(*doc_, labels, ids, *merged, *set);
            editing_->UpdateProfilesAfterMerging(*doc_, *merged, *set);
            editing_->DeleteOldMergedPipes(*doc_, *set, start, end);
        });
        // The host's classification is a command of its own.
        Mark(true);
        host_.Command([&] { ClassifyLowHigh(*lowHigh, network); });
    }

    void Reverse() {
        const Census c(*doc_);
        if (c.pipes.empty()) return Log("reverse: no pipe left");
        Mark(true);
        Entities picked;
        for (int n = dice_.Between(1, 3); n > 0; --n) picked.push_back(dice_.Pick(c.pipes));
        Log("reverse");
        for (const Entity& p : picked) Log(" " + Name(p));
        if (!c.labels.empty()) picked.push_back(dice_.Pick(c.labels));  // which the filter leaves out
        doc_->Utility()->QueueSelection(picked);
        auto set = editing_->GetPipesToReverse(*doc_);
        host_.Command([&] { editing_->ReverseSelectedPipes(*doc_, *set); });
    }

    // A pipe with its nodes, most often; else a node, a pipe, or anything else of the library's.
    Entities Pick(const Census& c, bool erasing) {
        const Entity pipe = dice_.Pick(c.pipes);
        const int roll = dice_.Below(100);
        if (roll < 40) {
            Entities with{pipe, c.Node(pipe, pe::kStartNodeId), c.Node(pipe, pe::kEndNodeId)};
            if (dice_.Chance(30) && !c.Neighbours(pipe).empty()) {
                const Entity next = dice_.Pick(c.Neighbours(pipe));
                with.insert(with.end(), {next, c.Node(next, pe::kStartNodeId), c.Node(next, pe::kEndNodeId)});
            }
            if (erasing) with.resize(dice_.Between(1, 2));
            std::shuffle(with.begin(), with.end(), std::mt19937(static_cast<uint32_t>(dice_.Below(1 << 30))));
            return with;
        }
        if (roll < 60) return {dice_.Pick(c.nodes)};
        if (roll < 75) return {pipe};
        std::vector<const Entities*> others;
        for (const Entities* kind : {&c.labels, &c.arrows, &c.crossings, &c.markers, &c.profiles})
            if (!kind->empty()) others.push_back(kind);
        // Markers go with their nodes, and the profile is kept for most of the walk.
        if (erasing) {
            std::erase(others, &c.markers);
            if (!dice_.Chance(10)) std::erase(others, &c.profiles);
        }
        if (others.empty()) return {pipe};
        return {dice_.Pick(*dice_.Pick(others))};
    }
    void Logged(const std::string& what, const Entities& entities, const acad::Point3& by = {}) {
        Log(what);
        for (const Entity& e : entities) Log(" " + Name(e));
        if (by != acad::Point3{}) Log(" by " + Text(by));
    }

    void Copy() {
        const Census c(*doc_);
        if (c.pipes.empty()) return Log("copy: no pipe left");
        const Entities picked = Pick(c, false);
        const acad::Point3 by = Offset({0, 0, 0}, 30);
        Logged("copy", picked, by);
        host_.Copy(picked, {0, 0, 0}, by);
    }

    void Move() {
        const Census c(*doc_);
        if (c.pipes.empty()) return Log("move: no pipe left");
        const Entities picked = Pick(c, false);
        const acad::Point3 by = Offset({0, 0, 0}, 8);
        Logged("move", picked, by);
        host_.Move(picked, {0, 0, 0}, by);
    }

    void Erase() {
        const Census c(*doc_);
        if (c.pipes.empty()) return Log("erase: no pipe left");
        const Entities picked = Pick(c, true);
        Logged("erase", picked);
        host_.Erase(picked);
    }

    // A copy made while the events flag is off carries its source's records: it names the
    // source's neighbours and dependants, and nothing names it. The copies go again in the
    // same step, alone, after their sources or mixed with them.
    void CopyUnseen() {
        const Census c(*doc_);
        if (c.pipes.empty()) return Log("copy unseen: no pipe left");
        const Entities picked = Pick(c, true);
        const acad::Point3 by = Offset({0, 0, 0}, 30);
        Logged("copy with the events off", picked, by);
        general_->TurnEventsOff(*doc_);
        const Entities copies = host_.Copy(picked, {0, 0, 0}, by).copies;
        general_->TurnEventsOn(*doc_);
        auto shuffled = [&](Entities entities) {
            std::shuffle(entities.begin(), entities.end(), std::mt19937(static_cast<uint32_t>(dice_.Below(1 << 30))));
            return entities;
        };
        switch (dice_.Below(3)) {
        case 0:
            Log(", erase the copies");
            host_.Erase(shuffled(copies));
            break;
        case 1:
            Log(", erase the sources, then the copies");
            host_.Erase(picked);
            host_.Erase(shuffled(copies));
            break;
        default: {
            Log(", erase sources and copies at once");
            Entities both = picked;
            both.insert(both.end(), copies.begin(), copies.end());
            host_.Erase(shuffled(both));
        }
        }
    }

    // The user locks a layer the library writes, or unlocks one; a few at most stay locked.
    void Lock() {
        std::vector<std::string> names{"Crossing Point Annotation Lines", "Crossing Point Annotation Text", "0",
                                       doc_->ActiveLayer()->Name()};
        for (const Network& net : kNetworks)
            for (const char* suffix : {" - Network", " - Annotation", " - Arrow", " - Low&High Points"})
                names.push_back(net.name + suffix);
        for (const auto& layer : doc_->Database()->LayerTable())
            if (layer->Name().starts_with("Profile - ")) names.push_back(layer->Name());
        std::vector<std::string> known;
        for (const std::string& name : names)
            if (doc_->Database()->FindLayer(name)) known.push_back(name);
        std::string name = dice_.Pick(known);
        if (locked_.size() >= 3) name = *std::next(locked_.begin(), dice_.Below(static_cast<int>(locked_.size())));
        auto layer = doc_->Database()->FindLayer(name);
        const bool lock = !layer->Lock();
        Log(std::string(lock ? "lock " : "unlock ") + layer->Name());
        layer->SetLock(lock);
        if (lock)
            locked_.insert(vb::UCase(layer->Name()));
        else
            locked_.erase(vb::UCase(layer->Name()));
    }

    void Rebuild() {
        Log("reopen and rebuild the identifiers");
        doc_->ReopenWithNewIds();
        host_.Command([&] { fluvanet::UpdateOIDs().UpdateObjectIDs(*doc_); });
    }

    Dice dice_;
    std::shared_ptr<acad::AcadDocument> doc_ = NewProjectDrawing([] {
        host::ProjectOptions options;
        options.materials = {"PVC", "Concrete"};
        options.circularSizesMetric = {"200", "300"};
        return options;
    }());
    std::shared_ptr<fluvanet::General> general_ = std::make_shared<fluvanet::General>();
    std::shared_ptr<fluvanet::Events> events_ = std::make_shared<fluvanet::Events>();
    std::shared_ptr<fluvanet::Editing> editing_ = std::make_shared<fluvanet::Editing>();
    fluvanet::Library library_;
    host::EventDriver host_{doc_, general_, events_};
    std::vector<std::string> steps_;
    int refusals_ = 0;
    std::set<std::string> locked_;  // as the user left them, in capitals
    bool mayRefuse_ = false;
    std::string before_;
};

int StepsPerSeed() {
    const char* steps = std::getenv("FLUVANET_RANDOM_WALK_STEPS");
    return steps ? std::atoi(steps) : kStepsPerSeed;
}

void Walked(uint32_t seed) {
    Walk walk(seed);
    const std::string failure = walk.Run(StepsPerSeed());
    EXPECT_EQ(failure, "") << "seed " << seed;
}

class RandomWalk : public testing::TestWithParam<uint32_t> {};

TEST_P(RandomWalk, EveryStepLeavesTheDrawingSoundAndRaisesOnlyWhatItOwnsTo) { Walked(GetParam()); }

INSTANTIATE_TEST_SUITE_P(FixedSeeds, RandomWalk, testing::Values(1u, 2u, 3u));

TEST(RandomWalkMoreSeeds, FromTheEnvironment) {
    const char* text = std::getenv("FLUVANET_RANDOM_WALK_SEEDS");
    if (!text) GTEST_SKIP() << "FLUVANET_RANDOM_WALK_SEEDS is not set";
    std::vector<std::string> items = vb::Split(text, ",");
    std::vector<uint32_t> seeds;
    if (items.size() == 1)
        for (uint32_t s = 1; s <= static_cast<uint32_t>(std::atoi(text)); ++s) seeds.push_back(s);
    else
        for (const std::string& item : items) seeds.push_back(static_cast<uint32_t>(std::atoi(item.c_str())));
    for (uint32_t seed : seeds) Walked(seed);
}

}  // namespace
