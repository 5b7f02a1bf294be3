// The drawing's erase observer: what it is told, when, and what it may do meanwhile.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/acad_document.h"
#include "tests/support/error_code.h"
#include "tests/support/xdata.h"

namespace {

using acad::EraseObserver;
using com::ErrorCode;
using testing_support::ErrorOf;

// Writes one line per report: "before <first record text>" while the entity is alive,
// "after <id>" once it is gone; `onBefore` may act on the entity meanwhile.
class Recorder : public EraseObserver {
public:
    std::vector<std::string> lines;
    std::function<void(const acad::AcadEntity&)> onBefore;

    void Erasing(const acad::AcadEntity& entity, Phase phase) override {
        if (phase == Phase::Before) {
            std::vector<std::string> texts = entity.XDataTexts("Fluvamap");
            lines.push_back("before " + (texts.empty() ? std::string("-") : texts[0]));
            if (onBefore) onBefore(entity);
        } else {
            lines.push_back("after " + std::string(entity.Erased() ? "erased" : "ALIVE"));
        }
    }
};

TEST(EraseObserver, ToldBeforeAndAfterForEveryEntityOfEitherSpace) {
    auto doc = acad::NewDrawing();
    auto recorder = std::make_shared<Recorder>();
    doc->SetEraseObserver(recorder);

    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 0, 0});
    testing_support::SetTextRecord(*line, {"Pipe;Main;P-1"});
    int32_t id = line->ObjectID();
    recorder->onBefore = [&](const acad::AcadEntity& e) {
        // Still found by its identifier and still in its space.
        EXPECT_EQ(doc->ObjectIdToObject(id).get(), &e);
        EXPECT_EQ(doc->ModelSpace()->Count(), 1);
    };
    line->Delete();
    recorder->onBefore = nullptr;
    EXPECT_EQ(recorder->lines, (std::vector<std::string>{"before Pipe;Main;P-1", "after erased"}));
    EXPECT_EQ(doc->ModelSpace()->Count(), 0);

    recorder->lines.clear();
    auto point = doc->PaperSpace()->AddPoint({0, 0, 0});
    auto set = doc->SelectionSets()->Add("S");
    set->AddItems({point, doc->ModelSpace()->AddPoint({1, 1, 0})});
    set->Erase();
    EXPECT_EQ(recorder->lines, (std::vector<std::string>{"before -", "after erased", "before -", "after erased"}));
}

TEST(EraseObserver, ABlockReferenceIsOneReportWithItsAttributesStillThere) {
    auto doc = acad::NewDrawing();
    auto def = doc->Blocks()->Add({0, 0, 0}, "Label");
    def->AddAttribute(1, 0, "Attribute 1", {0, 1, 0}, "Attribute 1", "");
    def->AddLine({0, 0, 0}, {1, 0, 0});
    auto ref = doc->ModelSpace()->InsertBlock({5, 5, 0}, "Label", 1, 1, 1, 0);
    auto attribute = ref->GetAttributes().at(0);

    auto recorder = std::make_shared<Recorder>();
    recorder->onBefore = [&](const acad::AcadEntity&) { EXPECT_FALSE(attribute->Erased()); };
    doc->SetEraseObserver(recorder);
    ref->Delete();
    EXPECT_TRUE(attribute->Erased());
    EXPECT_EQ(recorder->lines.size(), 2u);

    // The contents of a block definition are not the user's entities.
    recorder->lines.clear();
    while (def->Count() > 0) def->Item(0)->Delete();
    def->AddPoint({0, 0, 0});
    def->Delete();
    EXPECT_TRUE(recorder->lines.empty());
}

TEST(EraseObserver, AFailureBeforeKeepsTheEntityAndAnErasureByTheObserverIsReportedOnce) {
    auto doc = acad::NewDrawing();
    auto recorder = std::make_shared<Recorder>();
    doc->SetEraseObserver(recorder);
    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 0, 0});

    recorder->onBefore = [](const acad::AcadEntity&) { com::Raise(ErrorCode::InvalidInput, "refused"); };
    EXPECT_EQ(ErrorOf([&] { line->Delete(); }), ErrorCode::InvalidInput);
    EXPECT_FALSE(line->Erased());
    EXPECT_EQ(doc->ObjectIdToObject(line->ObjectID()), line);
    EXPECT_EQ(recorder->lines, (std::vector<std::string>{"before -"}));

    recorder->lines.clear();
    recorder->onBefore = [&](const acad::AcadEntity&) { line->Delete(); };
    line->Delete();
    EXPECT_TRUE(line->Erased());
    EXPECT_EQ(recorder->lines, (std::vector<std::string>{"before -", "after erased"}));

    // One observer: a new one replaces it, none stops the reports.
    auto second = std::make_shared<Recorder>();
    doc->SetEraseObserver(second);
    doc->ModelSpace()->AddPoint({0, 0, 0})->Delete();
    doc->SetEraseObserver(nullptr);
    doc->ModelSpace()->AddPoint({0, 0, 0})->Delete();
    EXPECT_EQ(recorder->lines.size(), 2u);
    EXPECT_EQ(second->lines.size(), 2u);
}

}  // namespace
