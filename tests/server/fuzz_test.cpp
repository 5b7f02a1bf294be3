// Hostile calls through the late-bound interface: every method of every class, by name, with
// Variant arguments by reference drawn from a pool of hostile values (Empty, Null, Nothing,
// the limits of each number type, NaN and infinities, separators, wildcards and very long
// texts, identifiers of live, erased and foreign objects, arrays of every wrong shape, type
// and bounds, objects of the wrong kind, records cut short or naming themselves), on a small
// converted drawing made afresh for each method, and then all methods mixed on one drawing.
// Every call returns or raises the library's own error: anything else thrown fails, and a
// crash, a hang or a sanitizer report fails the run. The drawing is not checked for
// soundness: it holds broken records on purpose, and the host's steps (an erase handler, the
// crossings it draws) are called out of their order. Cases that once went wrong stay in
// kRegressions.
//
// FLUVANET_FUZZ_SEEDS runs more seeds: a count N (seeds 1 to N) or seeds joined by ",".
// FLUVANET_FUZZ_ONLY=Class.Method calls that method alone; FLUVANET_FUZZ_TRACE prints every
// call before it is made, to find one that never returns.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/types.h"
#include "editing/pipe_node_records.h"
#include "platform/civil.h"
#include "platform/host_grid.h"
#include "platform/ui_log.h"
#include "platform/vb_text.h"
#include "server/catalogue.h"
#include "tests/support/network_builder.h"
#include "tests/support/profile_builder.h"
#include "tests/support/view_style.h"
#include "tests/support/xdata.h"

namespace {

using namespace testing_support;
using com::ArrayBound;
using com::SafeArray;
using com::Variant;
using com::VarType;

constexpr int kCallsPerMethod = 200;
constexpr int kCallsTogether = 5000;

using Named = std::vector<std::pair<std::string, Variant>>;

SafeArray Strings(const std::vector<std::string>& items, int32_t lower = 0) {
    SafeArray a(VarType::String, {ArrayBound{lower, static_cast<int32_t>(items.size())}});
    for (std::size_t i = 0; i < items.size(); ++i) a.Put(lower + static_cast<int32_t>(i), Variant(items[i]));
    return a;
}

SafeArray Table(int32_t rows, int32_t columns, const std::string& cell, int32_t lower = 0) {
    SafeArray a(VarType::String, {ArrayBound{lower, rows}, ArrayBound{lower, columns}});
    for (int32_t i = 0; i < rows; ++i)
        for (int32_t j = 0; j < columns; ++j) a.Put(lower + i, lower + j, Variant(cell));
    return a;
}

// A small drawing as the host leaves it after a few conversions, and the values calls take.
class Drawing {
public:
    Drawing() {
        AddActiveViewStyle(*doc, ViewStyleSettings({{32, "1"}}));
        AddActiveViewStyle(*foreign, ViewStyleSettings());
        std::vector<TestPipe> sewer =
            ConvertPolylines(*doc, "Sewer", "Gravity", {{0, 0, 20, 0}, {20, 0, 40, 0, 40, 10}, {20, 0, 20, 20}});
        std::vector<TestPipe> main = ConvertPolylines(*doc, "Main", "Pressure", {{10, -10, 10, 30}, {10, 30, 45, 30}});
        AddProfileStyle(*doc, "Road");
        TestProfile profile = AddTestProfile(*doc, NetworkBuilder(*doc, "Sewer", "Gravity"), "L-1", "Road",
                                             {sewer[0], sewer[1]}, WithPlan());

        auto ground = civil->ActiveDocument()->Surfaces()->Add("Ground");
        ground->AddTriangle({-50, -50, 100}, {100, -50, 110}, {100, 100, 120});
        auto app = doc->Application();
        app->RegisterInterfaceObject(fluvanet::General().GetAeccAppString(*app), civil);

        const auto byType = [&](const std::string& type) {
            for (const auto& e : doc->Database()->SpaceEntities())
                if (!e->Erased() && RecordText(e, 2) == type) return e;
            return std::shared_ptr<acad::AcadEntity>();
        };
        pipe = sewer[0].polyline;
        node = byType("GravityNode");
        label = byType("Annotation");
        auto crossing = byType("CrossingPointAnnotation");
        auto marker = byType("LowHighPoint");
        auto erased = doc->ModelSpace()->AddLightWeightPolyline({0, 0, 5, 5});
        erased->Delete();
        auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {3, 4, 0});
        auto foreignPipe = ConvertPolylines(*foreign, "Sewer", "Gravity", {{0, 0, 9, 0}})[0].polyline;

        // Records no operation of the library writes: cut short, numbers for texts, a pipe
        // that names itself for every reference, and a copy made with events off.
        auto shortPipe = doc->ModelSpace()->AddLightWeightPolyline({0, 50, 10, 50});
        SetTextRecord(*shortPipe, {Variant("Pipe;Sewer;P-90"), Variant("GravityPipe")});
        auto numbers = doc->ModelSpace()->InsertBlock({60, 60, 0}, "Fluvamap_Node", 1, 1, 1, 0);
        SetTextRecord(*numbers, {Variant(1.5), Variant(int16_t{7}), Variant(-1.0), Variant(true)});
        auto selfish = doc->ModelSpace()->AddLightWeightPolyline({0, 70, 10, 70});
        {
            const fluvanet::ElementRecord source = fluvanet::ElementRecord::Read(sewer[2].polyline);
            fluvanet::ElementRecord r = fluvanet::ElementRecord::Create(selfish, source.Codes(), source.Values());
            const std::string self = ";RelatedTo" + fluvanet::IdText(*selfish);
            namespace pe = fluvanet::pipe_entry;
            for (int32_t entry : {pe::kStartNodeId, pe::kEndNodeId, pe::kLabelBlockId, pe::kArrowId, pe::kCrossingIds,
                                  pe::kProfileIds})
                r.Set(entry, Variant(self));
            r.Write();
        }
        auto copiedNode = doc->ModelSpace()->InsertBlock({80, 80, 0}, "Fluvamap_Node", 1, 1, 1, 0);
        {
            const fluvanet::ElementRecord source = fluvanet::ElementRecord::Read(node);
            fluvanet::ElementRecord::Create(copiedNode, source.Codes(), source.Values()).Write();
        }

        const std::vector<std::pair<std::string, std::shared_ptr<acad::AcadObject>>> objects{
            {"pipe", pipe},     {"node", node},     {"label", label},         {"crossing", crossing},
            {"marker", marker}, {"erased", erased}, {"line", line},           {"profile", profile.block},
            {"plan", profile.plan}, {"foreign pipe", foreignPipe}, {"model space", doc->ModelSpace()},
            {"layer 0", doc->Layers()->Item(Variant("0"))}, {"short pipe", shortPipe}, {"node of numbers", numbers},
            {"pipe naming itself", selfish}, {"copied node", copiedNode}};
        std::string allIds, leading;
        for (const auto& [name, object] : objects) {
            const std::string id = object ? fluvanet::IdText(*object) : "0";
            Add(pool, "id of " + name, Variant(id));
            Add(pool, "list of " + name, Variant(id + ";"));
            Add(pool, "reference to " + name, Variant(";RelatedTo" + id));
            allIds += id + ";";
            leading += ";" + id;
            if (name == "pipe" || name == "node" || name == "crossing") Add(likely, "id of " + name, Variant(id));
            if (object) Add(pool, name, Variant(com::ObjectPtr(object)));
        }
        Add(pool, "all ids", Variant(allIds));
        Add(pool, "all ids leading", Variant(leading));
        Add(likely, "pipe list", Variant(fluvanet::IdText(*sewer[0].polyline) + ";" + fluvanet::IdText(*sewer[1].polyline) + ";"));
        Add(likely, "pipe", Variant(com::ObjectPtr(pipe)));
        Add(likely, "node", Variant(com::ObjectPtr(node)));

        auto sets = doc->SelectionSets();
        auto pipes = sets->Add("FuzzPipes");
        pipes->AddItems({sewer[0].polyline, sewer[1].polyline, main[0].polyline});
        auto nodes = sets->Add("FuzzNodes");
        nodes->AddItems({node});
        auto mixed = sets->Add("FuzzMixed");
        auto gone = doc->ModelSpace()->AddLightWeightPolyline({0, 0, 7, 7});
        mixed->AddItems({pipe, node, label, line, gone});
        gone->Delete();
        auto empty = sets->Add("FuzzEmpty");
        auto foreignSet = foreign->SelectionSets()->Add("FuzzForeign");
        foreignSet->AddItems({foreignPipe});
        Add(pool, "pipe set", Variant(pipes));
        Add(pool, "node set", Variant(nodes));
        Add(pool, "mixed set", Variant(mixed));
        Add(pool, "empty set", Variant(empty));
        Add(pool, "foreign set", Variant(foreignSet));
        Add(likely, "pipe set", Variant(pipes));

        Add(pool, "document", Variant(doc));
        Add(likely, "document", Variant(doc));
        Add(pool, "foreign document", Variant(foreign));
        Add(pool, "application", Variant(doc->Application()));
        Add(pool, "civil application", Variant(civil));
        Add(pool, "civil document", Variant(civil->ActiveDocument()));
        Add(pool, "dialog", Variant(ViewStyleDialog()));
        Add(pool, "grid", Variant(std::make_shared<host::Grid>(std::vector<std::string>{"Name", "Size"},
                                                            std::vector<std::vector<Variant>>{{Variant("PVC"), Variant(com::Null)}})));
        Add(pool, "a General", Variant(std::make_shared<fluvanet::General>()));
        Add(pool, "model space block", Variant(doc->ModelSpace()));
        Add(pool, "node block", Variant(doc->Blocks()->Item(Variant("Fluvamap_Node"))));

        AddScalars();
        AddTexts();
        AddArrays(objects);
    }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing([] {
        host::ProjectOptions options;
        options.materials = {"PVC", "Concrete"};
        options.circularSizesMetric = {"200", "300"};
        return options;
    }());
    std::shared_ptr<acad::AcadDocument> foreign = NewProjectDrawing();
    std::shared_ptr<civil::AeccApplication> civil = std::make_shared<civil::AeccApplication>();
    std::shared_ptr<acad::AcadEntity> pipe, node, label;
    Named pool;    // anything
    Named likely;  // values that get a call past its first checks

    const Variant& Find(const std::string& name) const {
        for (const Named* list : {&pool, &likely})
            for (const auto& [n, v] : *list)
                if (n == name) return v;
        throw std::out_of_range("no value named " + name);
    }

private:
    static void Add(Named& list, std::string name, Variant value) { list.emplace_back(std::move(name), std::move(value)); }

    void AddScalars() {
        constexpr double kInf = std::numeric_limits<double>::infinity();
        const Named scalars{
            {"Empty", Variant()},
            {"Null", Variant(com::Null)},
            {"Nothing", Variant::Nothing()},
            {"True", Variant(true)},
            {"False", Variant(false)},
            {"integer min", Variant(std::numeric_limits<int16_t>::min())},
            {"integer max", Variant(std::numeric_limits<int16_t>::max())},
            {"integer -1", Variant(int16_t{-1})},
            {"integer 0", Variant(int16_t{0})},
            {"integer 3", Variant(int16_t{3})},
            {"long min", Variant(std::numeric_limits<int32_t>::min())},
            {"long max", Variant(std::numeric_limits<int32_t>::max())},
            {"long 40000", Variant(int32_t{40000})},
            {"NaN", Variant(std::numeric_limits<double>::quiet_NaN())},
            {"infinity", Variant(kInf)},
            {"minus infinity", Variant(-kInf)},
            {"double max", Variant(std::numeric_limits<double>::max())},
            {"double lowest", Variant(std::numeric_limits<double>::lowest())},
            {"denormal", Variant(std::numeric_limits<double>::denorm_min())},
            {"minus zero", Variant(-0.0)},
            {"half", Variant(0.5)},
            {"1e15", Variant(1e15)},
            {"-1e-9", Variant(-1e-9)},
            {"ShpPipe", Variant::FromRecord(fluvanet::ShpPipe{})},
            {"CrossPoint", Variant::FromRecord(fluvanet::CrossPoint{})},
        };
        pool.insert(pool.end(), scalars.begin(), scalars.end());
        Add(likely, "integer 0", Variant(int16_t{0}));
        Add(likely, "integer 1", Variant(int16_t{1}));
        Add(likely, "integer 2", Variant(int16_t{2}));
        Add(likely, "one", Variant(1.0));
        Add(likely, "level", Variant(100.5));
        Add(likely, "True", Variant(true));
    }

    void AddTexts() {
        const std::vector<std::string> texts{
            "", ";", ";;;;", " ", ",", "*", "?", "~*", "`", "[", "#@.*?~[]-,`", "RelatedTo", ";RelatedTo",
            "Sewer", "Main", "sewer", "Gravity", "Pressure", "GravityPipe", "Metric", "US", "Standard", "Road", "L-1",
            "P-1", "N-1", "Pipe;Sewer;P-1", "Node;Sewer;N-1", "1e400", "-1", "99999999999", "12abc", "0x10", "1,5",
            "\"quoted\"", "Gr\xC3\xBCn", "\xFF\xFE", std::string("nul\0byte", 8), "Circular - 200",
            "Box - 1000 x 600", "SectionShape_Box", "No Matching", "Match Inverts", "Ground", "Fluvamap_Node",
            "Sewer - Network", "Crossing Point Annotation Text", "UCSXDIR", "AeccXUiLand.AeccApplication.6.0"};
        for (const std::string& t : texts) Add(pool, "text \"" + vb::Left(t, 30) + "\"", Variant(t));
        for (const char* t : {"Sewer", "Main", "P-1", "N-1", "Standard", "Road", "L-1"})
            Add(likely, std::string("text \"") + t + "\"", Variant(t));
        Add(pool, "long text", Variant(std::string(100000, 'a')));
        Add(pool, "long separators", Variant(std::string(50000, ';')));
        Add(pool, "long wildcards", Variant([] {
                std::string s;
                for (int i = 0; i < 20000; ++i) s += "*?";
                return s;
            }()));
        Add(pool, "long list", Variant([] {
                std::string s;
                for (int i = 0; i < 40000; ++i) s += "1;";
                return s;
            }()));
        Add(pool, "long name", Variant(std::string(90000, 'N') + "*"));
    }

    void AddArrays(const std::vector<std::pair<std::string, std::shared_ptr<acad::AcadObject>>>& objects) {
        constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();
        std::vector<std::string> ids;
        std::map<std::string, std::string> idOf;
        for (const auto& [name, object] : objects) {
            ids.push_back(object ? fluvanet::IdText(*object) : "0");
            idOf[name] = ids.back();
        }
        std::vector<Variant> things;
        for (const auto& [name, object] : objects)
            if (object) things.push_back(Variant(com::ObjectPtr(object)));

        Add(pool, "unsized texts", Variant(SafeArray(VarType::String)));
        Add(pool, "no texts", Variant(Strings({})));
        Add(pool, "one empty text", Variant(Strings({""})));
        Add(pool, "ids (1 To n)", Variant(Strings(ids, 1)));
        Add(pool, "ids", Variant(Strings(ids)));
        Add(pool, "names (-5 To -3)", Variant(Strings({"Sewer", "Main", "Nope"}, -5)));
        Add(pool, "separators", Variant(Strings({";", ";;", ""})));
        Add(pool, "point", Variant(SafeArray::FromDoubles({10, 0, 0})));
        Add(pool, "short point", Variant(SafeArray::FromDoubles({10})));
        Add(pool, "NaN point", Variant(SafeArray::FromDoubles({std::nan(""), std::numeric_limits<double>::infinity(), 0})));
        Add(pool, "point (1 To 3)", Variant([] {
                SafeArray a(VarType::Double, {ArrayBound{1, 3}});
                a.Put(1, Variant(20.0));
                return a;
            }()));
        Add(pool, "coordinates", Variant([] {
                std::vector<double> xy;
                for (int i = 0; i < 2000; ++i) xy.push_back(i % 2 == 0 ? i : (i * 7) % 13);
                return SafeArray::FromDoubles(xy);
            }()));
        Add(pool, "odd coordinates", Variant(SafeArray::FromDoubles({0, 0, 1})));
        Add(pool, "integers", Variant(SafeArray::FromInt16s({-32768, 0, 32767})));
        Add(pool, "format table", Variant(Table(43, 6, "1")));
        Add(pool, "table of separators", Variant(Table(43, 6, ";")));
        Add(pool, "table (1 To 2, 1 To 2)", Variant(Table(2, 2, "Sewer", 1)));
        Add(pool, "table 1 x 1", Variant(Table(1, 1, "")));
        Add(pool, "table 0 x 3", Variant(Table(0, 3, "")));
        Add(pool, "view style settings", Variant(SettingsVariant(ViewStyleSettings())));
        Add(likely, "view style settings", Variant(SettingsVariant(ViewStyleSettings())));
        Add(pool, "profile style settings", Variant(Strings(ProfileStyleValues("Road"))));
        Add(pool, "variants", Variant(SafeArray::FromVariants(
                                  {Variant(com::Null), Variant::Nothing(), Variant(), Variant(Strings({"x"})), Variant(1.5)})));
        Add(pool, "nested arrays", Variant(SafeArray::FromVariants(
                                       {Variant(SafeArray::FromVariants({Variant(Strings(ids)), Variant(Table(2, 2, "1"))}))})));
        Add(pool, "objects", Variant(SafeArray::FromVariants(things)));
        Add(pool, "object array with Nothing", Variant(SafeArray::Vector(VarType::Object, 2)));
        Add(pool, "pipes (1 To 3)", Variant([] {
                SafeArray a = SafeArray::Records<fluvanet::ShpPipe>(0);
                a.ReDim({ArrayBound{1, 3}});
                a.RecordAt<fluvanet::ShpPipe>(2).Rise = std::nan("");
                return a;
            }()));
        Add(pool, "crossings", Variant([&] {
                SafeArray a = SafeArray::Records<fluvanet::CrossPoint>(2);
                a.RecordAt<fluvanet::CrossPoint>(0).Pipe1OID = idOf["pipe"];
                a.RecordAt<fluvanet::CrossPoint>(0).Pipe2OID = idOf["foreign pipe"];
                a.RecordAt<fluvanet::CrossPoint>(0).Pipe1Label = "P-1";
                a.RecordAt<fluvanet::CrossPoint>(1).Pipe1OID = idOf["erased"];
                return a;
            }()));
        Add(pool, "unsized crossings", Variant(SafeArray::UnsizedRecords<fluvanet::CrossPoint>()));
        Add(pool, "crossings (1 To 2)", Variant([] {
                SafeArray a = SafeArray::Records<fluvanet::CrossPoint>(0);
                a.ReDim({ArrayBound{1, 2}});
                return a;
            }()));
        Add(pool, "bounds past the Long range", Variant(SafeArray(VarType::String, {ArrayBound{kMax, 2}, ArrayBound{0, 3}})));
        Add(pool, "bounds at the Long minimum", Variant(SafeArray(VarType::Double, {ArrayBound{kMin, 3}})));
        Add(pool, "bounds near the Long maximum", Variant(SafeArray(VarType::String, {ArrayBound{kMax - 3, 3}})));
    }
};

// One method's calls, each with a fresh copy of its arguments; "" when every call returned
// or raised a com::Error, else what went wrong.
class MethodFuzz {
public:
    // Per parameter the values of its type, and those of them that get a call further.
    MethodFuzz(const fluvanet::server::ClassEntry& entry, std::string method, const Drawing& d)
        : entry_(entry), method_(std::move(method)) {
        const com::MethodSignature& signature = object_->Table().Find(method_)->methodSignature;
        arity_ = signature.converts.size();
        fitting_.resize(arity_);
        likely_.resize(arity_);
        for (std::size_t i = 0; i < arity_; ++i) {
            for (const auto& [name, value] : d.pool)
                if (signature.converts[i](value)) fitting_[i].push_back(name);
            for (const auto& [name, value] : d.likely)
                if (signature.converts[i](value)) likely_[i].push_back(name);
        }
    }

    const std::string& Method() const { return method_; }

    // Most parameters get a value of their type (hostile in content: NaN, empty and long
    // texts, erased and foreign identifiers, another document, broken records) and a few
    // anything at all, so that calls get past the conversions into the method.
    std::vector<std::string> Arguments(std::mt19937& gen, const Drawing& d) const {
        auto pick = [&](const std::vector<std::string>& from) { return from[gen() % from.size()]; };
        auto any = [&] { return d.pool[gen() % d.pool.size()].first; };
        std::size_t count = arity_;
        if (gen() % 20 == 0) count = gen() % (arity_ + 2);
        const unsigned wild = gen() % 100 < 25 ? 0u : 1u + gen() % 2;
        std::vector<std::string> names;
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned roll = gen() % 100;
            if (i >= arity_ || roll < 100 * wild / (arity_ + 1))
                names.push_back(any());
            else if (!likely_[i].empty() && roll % 2 == 0)
                names.push_back(pick(likely_[i]));
            else
                names.push_back(fitting_[i].empty() ? any() : pick(fitting_[i]));
        }
        return names;
    }

    std::string Call(Drawing& d, const std::vector<std::string>& names) {
        std::vector<Variant> args;
        for (const std::string& name : names) args.push_back(d.Find(name));
        const std::string shown = std::string(entry_.name) + "." + method_ + "(" + vb::Join(names, ", ") + ")";
        if (std::getenv("FLUVANET_FUZZ_TRACE")) std::cerr << shown << std::endl;
        std::vector<Variant*> refs;
        for (Variant& a : args) refs.push_back(&a);
        d.doc->Utility()->ClearScript();
        host::Ui().Clear();
        try {
            object_->Invoke(method_, com::CallType::Method, com::ArgRefs(refs.data(), refs.size()));
        } catch (const com::Error&) {
        } catch (const std::exception& e) {
            return shown + " threw " + e.what();
        } catch (...) {
            return shown + " threw something that is no exception";
        }
        return "";
    }

private:
    const fluvanet::server::ClassEntry& entry_;
    std::string method_;
    com::ObjectPtr object_ = entry_.factory.CreateInstance();
    std::size_t arity_ = 0;
    std::vector<std::vector<std::string>> fitting_, likely_;
};

std::mt19937 Generator(uint32_t seed, const std::string& salt) {
    for (char c : salt) seed = seed * 31u + static_cast<unsigned char>(c);
    return std::mt19937(seed);  // the same numbers on every platform
}

const fluvanet::server::ClassEntry& ClassNamed(const std::string& name) {
    for (const auto& c : fluvanet::server::Catalogue())
        if (c.name == name) return c;
    throw std::out_of_range("no class " + name);
}

// Each method on a drawing of its own, so that a failure replays from its seed alone.
void Fuzzed(const std::string& className, uint32_t seed) {
    const auto& entry = ClassNamed(className);
    const char* only = std::getenv("FLUVANET_FUZZ_ONLY");
    for (const std::string& method : entry.factory.CreateInstance()->Table().Names()) {
        if (only && className + "." + method != only) continue;
        Drawing d;
        MethodFuzz fuzz(entry, method, d);
        std::mt19937 gen = Generator(seed, method);
        for (int k = 0; k < kCallsPerMethod; ++k) {
            const std::string failure = fuzz.Call(d, fuzz.Arguments(gen, d));
            if (!failure.empty()) {
                ADD_FAILURE() << "seed " << seed << ", call " << k << ": " << failure;
                break;
            }
        }
    }
}

// Every method of every class in turn on one drawing, each call's leftovers the next one's
// input.
void FuzzedTogether(uint32_t seed) {
    Drawing d;
    std::vector<MethodFuzz> methods;
    for (const auto& c : fluvanet::server::Catalogue())
        for (const std::string& method : c.factory.CreateInstance()->Table().Names()) methods.emplace_back(c, method, d);
    std::mt19937 gen = Generator(seed, "together");
    for (int k = 0; k < kCallsTogether; ++k) {
        MethodFuzz& fuzz = methods[gen() % methods.size()];
        const std::string failure = fuzz.Call(d, fuzz.Arguments(gen, d));
        if (!failure.empty()) {
            ADD_FAILURE() << "seed " << seed << ", call " << k << ": " << failure;
            return;
        }
    }
}

std::vector<uint32_t> MoreSeeds() {
    const char* text = std::getenv("FLUVANET_FUZZ_SEEDS");
    std::vector<uint32_t> seeds;
    if (!text) return seeds;
    std::vector<std::string> items = vb::Split(text, ",");
    if (items.size() == 1)
        for (uint32_t s = 1; s <= static_cast<uint32_t>(std::atoi(text)); ++s) seeds.push_back(s);
    else
        for (const std::string& item : items) seeds.push_back(static_cast<uint32_t>(std::atoi(item.c_str())));
    return seeds;
}

// Calls that once crashed, hung or threw what is no com::Error: class, method, arguments by
// their names in the pool.
struct Regression {
    const char* className;
    const char* method;
    std::vector<std::string> arguments;
};
const std::vector<Regression> kRegressions{
    {"Library", "SortSizesArray", {"bounds past the Long range"}},
    {"General", "GetNetworkSet", {"document", "long name", "integer 0"}},
    {"ViewStyle", "ChangeNetworkVisibility", {"document", "long name", "integer 1"}},
    // A station interval too small to move on.
    {"Profile", "GetPipeDataAtStationsArray",
     {"pipe set", "pipe", "integer 1", "False", "True", "denormal", "integer 1", "level", "id of crossing",
      "text \"99999999999\"", "integer 2", "text \";\"", "long max"}},
    {"Profile", "GetCoordinatesStringForProfile",
     {"pipe", "integer 0", "integer 0", "integer 1", "integer 0", "integer 1", "integer 0", "integer 0", "denormal"}},
    // The split pipe as its own half: each call listed its crossings and profiles again.
    {"Editing", "UpdateCrossingsAfterSplitting", {"document", "pipe", "pipe", "pipe"}},
    {"Editing", "UpdateProfilesAfterSplitting", {"document", "pipe", "pipe", "pipe"}},
};

TEST(FuzzRegressions, EachReturnsOrRaisesItsOwnError) {
    Drawing d;
    for (const Regression& r : kRegressions) {
        MethodFuzz fuzz(ClassNamed(r.className), r.method, d);
        EXPECT_EQ(fuzz.Call(d, r.arguments), "");
    }
}

class Fuzz : public testing::TestWithParam<const char*> {};

TEST_P(Fuzz, EveryMethodReturnsOrRaisesItsOwnError) { Fuzzed(GetParam(), 1); }

INSTANTIATE_TEST_SUITE_P(EveryClass, Fuzz,
                         testing::Values("General", "Library", "ViewStyle", "Crossing", "Types", "Profile", "LowHigh",
                                         "Editing", "Events", "UpdateOIDs"));

TEST(FuzzTogether, EveryCallReturnsOrRaisesItsOwnError) { FuzzedTogether(1); }

TEST(FuzzMoreSeeds, FromTheEnvironment) {
    const std::vector<uint32_t> seeds = MoreSeeds();
    if (seeds.empty()) GTEST_SKIP() << "FLUVANET_FUZZ_SEEDS is not set";
    for (uint32_t seed : seeds) {
        for (const auto& c : fluvanet::server::Catalogue()) Fuzzed(std::string(c.name), seed);
        FuzzedTogether(seed);
    }
}

}  // namespace
