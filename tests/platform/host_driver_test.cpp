// The test host's event forwarding: which handlers it calls, with which lists, and how
// the to-be-erased list cascades.

#include "platform/host_driver.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "tests/support/error_code.h"
#include "tests/support/xdata.h"

namespace {

using com::SafeArray;
using com::Variant;

class FakeGeneral : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "General"; }
    const com::DispatchTable& Table() const override {
        static const com::DispatchTable t = com::BuildTable<FakeGeneral>(
            [](auto& b) { b.Method("CheckEventsFlag", &FakeGeneral::CheckEventsFlag); });
        return t;
    }
    int16_t CheckEventsFlag(const std::shared_ptr<acad::AcadDocument>&) { return flag; }
    int16_t flag = 1;
};

// Records every call; the pipe handler queues the pipe's label (record entry 18) and
// collects its node (entry 14), as the real handler does.
class FakeEvents : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "Events"; }
    const com::DispatchTable& Table() const override {
        static const com::DispatchTable t = com::BuildTable<FakeEvents>([](auto& b) {
            b.Method("PipeWillBeErased", &FakeEvents::PipeWillBeErased)
                .Method("AnnotationWillBeErased", &FakeEvents::AnnotationWillBeErased)
                .Method("AnalyzeLowHighAfterDeleting", &FakeEvents::AnalyzeLowHighAfterDeleting)
                .Method("VerifyCopiedElements", &FakeEvents::VerifyCopiedElements)
                .Method("AdjustPipeEnds", &FakeEvents::Adjust)
                .Method("AdjustLowHighPoint", &FakeEvents::Adjust)
                .Method("AdjustCrossingLine", &FakeEvents::Adjust)
                .Method("RebuildPipeCrossingPoints", &FakeEvents::Rebuild)
                .Method("FlagChangedPipesProfilesForUpdate", &FakeEvents::Changed);
        });
        return t;
    }
    void PipeWillBeErased(const std::shared_ptr<acad::AcadDocument>&, const std::shared_ptr<acad::AcadEntity>& pipe,
                          std::string& erased, std::string& toBe, std::string& nodes) {
        calls.push_back("Pipe " + std::to_string(pipe->ObjectID()) + " erased=" + erased);
        toBe += host::RecordText(*pipe, 18).substr(10) + ";";
        nodes += host::RecordText(*pipe, 14).substr(10) + ";";
        if (onPipe) onPipe(toBe);
    }
    std::function<void(std::string& toBe)> onPipe;
    void AnnotationWillBeErased(const std::shared_ptr<acad::AcadDocument>&, const std::shared_ptr<acad::AcadEntity>& a,
                                std::string& erased) {
        calls.push_back("Annotation " + std::to_string(a->ObjectID()) + " erased=" + erased);
    }
    void AnalyzeLowHighAfterDeleting(const std::shared_ptr<acad::AcadDocument>&, const std::vector<std::string>& ids) {
        calls.push_back("LowHigh " + vb::Join(ids, ","));
    }
    void VerifyCopiedElements(const std::shared_ptr<acad::AcadDocument>&, std::string& changed, const std::string& copied) {
        calls.push_back("Copied " + copied);
        changed = "changed;";
    }
    void Adjust(const std::shared_ptr<acad::AcadDocument>&, const std::shared_ptr<acad::AcadEntity>& e) {
        calls.push_back("Adjust " + std::to_string(e->ObjectID()));
    }
    // Queues what an entry of the changed pipe's record names, as replaced crossings queue
    // their leader lines.
    void Rebuild(const std::shared_ptr<acad::AcadDocument>& doc, const std::string& changed, std::string&,
                 std::string& toBe) {
        calls.push_back("Rebuild " + changed);
        toBe += host::RecordText(*doc->ObjectIdToObject(vb::CLng(com::Variant(changed.substr(0, changed.size() - 1)))),
                                 18).substr(10) + ";";
    }
    void Changed(const std::shared_ptr<acad::AcadDocument>&, const std::string& changed, const std::string&,
                 const std::string& toBe) {
        calls.push_back("Changed " + changed + " queued=" + toBe);
    }
    std::vector<std::string> calls;
};

void Record(const std::shared_ptr<acad::AcadObject>& o, const std::vector<std::string>& entries) {
    testing_support::SetTextRecord(*o, std::vector<Variant>(entries.begin(), entries.end()));
}

std::string Id(const std::shared_ptr<acad::AcadObject>& o) { return std::to_string(o->ObjectID()); }

struct Network {
    Network() {
        doc = acad::NewDrawing();
        auto ms = doc->ModelSpace();
        doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Node")->AddCircle({0, 0, 0}, 0.5);
        node = ms->InsertBlock({0, 0, 0}, "Fluvamap_Node", 1, 1, 1, 0);
        label = ms->AddText("P-1", {5, 1, 0}, 1);
        pipe = ms->AddLightWeightPolyline({0, 0, 10, 0});
        std::vector<std::string> p(24);
        p[0] = "Pipe;Main;P-1";
        p[1] = "GravityPipe";
        p[13] = ";RelatedTo" + Id(node);
        p[17] = ";RelatedTo" + Id(label);
        Record(pipe, p);
        Record(label, {";Main;P-1Annotation", "Annotation"});
        std::vector<std::string> n(14);
        n[0] = "Node;Main;N-1";
        n[1] = "GravityNode";
        n[6] = ";RelatedTo" + Id(pipe);
        Record(node, n);
        general = std::make_shared<FakeGeneral>();
        events = std::make_shared<FakeEvents>();
    }
    std::shared_ptr<acad::AcadDocument> doc;
    std::shared_ptr<acad::AcadEntity> node, label, pipe;
    std::shared_ptr<FakeGeneral> general;
    std::shared_ptr<FakeEvents> events;
};

TEST(EventDriver, EraseReportsTheSelectionThenCascadesThroughTheToBeErasedList) {
    Network n;
    host::EventDriver driver(n.doc, n.general, n.events);
    auto lists = driver.Erase({n.pipe});
    std::string pipeId = Id(n.pipe), labelId = Id(n.label), nodeId = Id(n.node);
    EXPECT_TRUE(n.pipe->Erased());
    EXPECT_TRUE(n.label->Erased());
    EXPECT_FALSE(n.node->Erased());
    EXPECT_EQ(lists.erased, pipeId + ";" + labelId + ";");
    EXPECT_EQ(lists.toBeErased, labelId + ";");
    EXPECT_EQ(lists.nodesForLowHigh, nodeId + ";");
    EXPECT_EQ(n.events->calls, (std::vector<std::string>{"Pipe " + pipeId + " erased=",
                                                         "Annotation " + labelId + " erased=" + pipeId + ";",
                                                         "LowHigh " + nodeId}));

    // A handler that rewrites the queue in place, its length and ends kept: what is still to
    // be erased is what the queue reads now.
    Network m;
    std::vector<std::shared_ptr<acad::AcadEntity>> texts;
    std::shared_ptr<acad::AcadEntity> x, y;
    while (!y) {
        auto t = m.doc->ModelSpace()->AddText("T", {0, 0, 0}, 1);
        for (const auto& seen : texts)
            if (Id(seen).size() == Id(t).size()) x = seen, y = t;
        texts.push_back(t);
    }
    auto next = m.doc->ModelSpace()->AddLightWeightPolyline({0, 0, 10, 0});
    std::vector<std::string> p(24);
    p[0] = "Pipe;Main;P-2";
    p[1] = "GravityPipe";
    p[13] = ";RelatedTo" + Id(m.node);
    p[17] = ";RelatedTo" + Id(m.label);
    Record(next, p);
    std::string nothing;  // identifiers that name no object
    for (int i = 0; i < 40; ++i) nothing += "1;";
    m.events->onPipe = [&](std::string& toBe) {
        if (toBe.find(Id(next)) == std::string::npos)
            toBe += Id(next) + ";" + nothing + Id(x) + ";" + nothing;
        else
            toBe.replace(toBe.find(";" + Id(x) + ";") + 1, Id(x).size(), Id(y));
    };
    host::EventDriver rewriting(m.doc, m.general, m.events);
    rewriting.Erase({m.pipe});
    EXPECT_TRUE(next->Erased());
    EXPECT_FALSE(x->Erased());
    EXPECT_TRUE(y->Erased());
}

TEST(EventDriver, CascadeCanBeSilentAndTheFlagStopsForwarding) {
    Network n;
    host::EventDriver driver(n.doc, n.general, n.events);
    driver.SetReportCascade(false);
    driver.Erase({n.pipe});
    EXPECT_TRUE(n.label->Erased());
    ASSERT_EQ(n.events->calls.size(), 2u);
    EXPECT_EQ(n.events->calls[1].rfind("LowHigh", 0), 0u);

    Network off;
    off.general->flag = 0;
    host::EventDriver quiet(off.doc, off.general, off.events);
    auto lists = quiet.Erase({off.pipe});
    EXPECT_TRUE(off.pipe->Erased());
    EXPECT_FALSE(off.label->Erased()) << "nothing cascades without the handlers";
    EXPECT_TRUE(off.events->calls.empty());
    EXPECT_EQ(lists.erased, Id(off.pipe) + ";");
}

TEST(EventDriver, CopyAndMoveCallTheFollowUps) {
    Network n;
    host::EventDriver driver(n.doc, n.general, n.events);
    auto copy = driver.Copy({n.pipe}, {0, 0, 0}, {0, 50, 0});
    ASSERT_EQ(copy.copies.size(), 1u);
    EXPECT_EQ(copy.changedPipes, "changed;");
    EXPECT_EQ(n.events->calls.at(0), "Copied " + Id(copy.copies[0]) + ";");
    EXPECT_EQ(host::RecordText(*copy.copies[0], 1), "Pipe;Main;P-1");

    // The follow-ups share one set of lists, and what they queue is erased afterwards.
    n.events->calls.clear();
    auto lists = driver.Move({n.node}, {0, 0, 0}, {1, 1, 0});
    EXPECT_EQ(n.events->calls,
              (std::vector<std::string>{"Adjust " + Id(n.pipe), "Rebuild " + Id(n.pipe) + ";",
                                        "Changed " + Id(n.pipe) + "; queued=" + Id(n.label) + ";",
                                        "Annotation " + Id(n.label) + " erased="}));
    EXPECT_TRUE(n.label->Erased());
    EXPECT_EQ(lists.erased, Id(n.label) + ";");
}

}  // namespace
