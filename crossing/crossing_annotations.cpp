#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/element_records.h"
#include "core/finite_reals.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/project_record.h"
#include "core/reference_lists.h"
#include "core/select_all.h"
#include "crossing/crossing.h"
#include "crossing/crossing_records.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

// ---- the records and texts ------------------------------------------------------------

std::array<std::string, kAnnotationTextCount> CrossingTexts(const CrossingSide& pipe1, const CrossingSide& pipe2,
                                                            double clearance) {
    auto level = [](double value) { return vb::Format(vb::Round(value, 3), "0.000"); };
    // Equal inverts put pipe 2 on top.
    const CrossingSide& upper = pipe1.invert > pipe2.invert ? pipe1 : pipe2;
    const CrossingSide& lower = pipe1.invert > pipe2.invert ? pipe2 : pipe1;
    return {upper.network + " " + upper.size, "I.L.= " + level(upper.invert), lower.network + " " + lower.size,
            "I.L.= " + level(lower.invert), "Clearance= " + level(clearance)};
}

std::string_view CrossingBlockFor(const std::array<std::string, kAnnotationTextCount>& texts) {
    const int32_t longer = std::max(vb::Len(texts[0]), vb::Len(texts[2]));
    if (longer <= 10) return kCrossingBlocks[0];
    if (longer <= 19) return kCrossingBlocks[1];
    return kCrossingBlocks[2];
}

std::string CrossingPointText(double easting, double northing) {
    return vb::CStr(easting) + ";" + vb::CStr(northing);
}

ElementRecord OpenCrossingPipe(acad::AcadDocument& doc, std::string_view pipeId) {
    ElementRecord record = ElementRecord::Read(ObjectFromId(doc, pipeId));
    RequireElementType(record, {element_type::kGravityPipe, element_type::kPressurePipe}, "a pipe");
    if (record.Count() <= pipe_entry::kCrossingIds)
        Raise(ErrorCode::SubscriptOutOfRange, "pipe " + std::string(pipeId) + " has no crossing lists");
    return record;
}

ElementRecord ReadCrossingAnnotation(const std::shared_ptr<acad::AcadObject>& annotation) {
    ElementRecord record = ElementRecord::Read(annotation);
    RequireElementType(record, {element_type::kCrossingPointAnnotation}, "a crossing annotation");
    if (record.Count() < crossing_entry::kCount)
        Raise(ErrorCode::SubscriptOutOfRange, "crossing annotation " + IdText(*annotation) + " has a short record");
    return record;
}

std::shared_ptr<acad::AcadLine> LiveLeaderLine(acad::AcadDocument& doc, const ElementRecord& annotation) {
    auto object = ObjectFromIdIfAlive(doc, refs::ReferenceKey(annotation.Text(crossing_entry::kLineId)));
    if (!object) return nullptr;
    ElementRecord record = ElementRecord::Read(object);
    RequireElementType(record, {element_type::kCrossingPointLine}, "a crossing leader line");
    if (record.Count() < crossing_line_entry::kCount)
        Raise(ErrorCode::SubscriptOutOfRange, "leader line " + IdText(*object) + " has a short record");
    return acad::Cast<acad::AcadLine>(object);
}

CrossingPlace CrossingPlanPoint(const ElementRecord& annotation) {
    std::string text = annotation.Text(crossing_entry::kPoint);
    std::vector<std::string> items = vb::Split(text, ";");
    vb::Count16(items.size());
    if (items.size() < 2) Raise(ErrorCode::SubscriptOutOfRange, "the crossing point \"" + text + "\" holds no \";\"");
    return {vb::Val(items[0]), vb::Val(items[1])};
}

std::vector<std::shared_ptr<acad::AcadAttributeReference>> AnnotationAttributes(acad::AcadBlockReference& annotation) {
    auto attributes = annotation.GetAttributes();
    if (attributes.size() < static_cast<std::size_t>(kAnnotationTextCount))
        Raise(ErrorCode::SubscriptOutOfRange, "the annotation block " + annotation.Name() + " holds " +
                                                  std::to_string(attributes.size()) + " attributes, 5 expected");
    return attributes;
}

namespace {

void RequireUnlockedEntity(acad::AcadDocument& doc, const std::shared_ptr<acad::AcadObject>& object) {
    RequireUnlockedLayer(doc, acad::Cast<acad::AcadEntity>(object)->Layer());
}

// The annotation appended to the pipe's crossing lists, read fresh.
void AppendAnnotation(acad::AcadDocument& doc, const std::string& pipeId, const std::string& label,
                      const std::string& id) {
    ElementRecord pipe = OpenCrossingPipe(doc, pipeId);
    pipe.Set(pipe_entry::kCrossingLabels, Variant(refs::AppendReference(pipe.Text(pipe_entry::kCrossingLabels), label)));
    pipe.Set(pipe_entry::kCrossingIds, Variant(refs::AppendReference(pipe.Text(pipe_entry::kCrossingIds), id)));
    pipe.Write();
}

// Every real of a record is written into it or drawn.
void RequireFiniteReals(const CrossPoint& c) {
    RequireFinite("a level, rise, clearance or place of the crossing",
                  {c.Pipe1Rise, c.Pipe2Rise, c.Pipe1Invert, c.Pipe2Invert, c.Clearance, c.Easting, c.Northing});
}

std::string Cell(const SafeArray& table, int16_t row, int32_t column) { return vb::CStr(table.Get(row, column)); }

constexpr int32_t kFirstNetwork = 0;
constexpr int32_t kSecondNetwork = 1;
constexpr int32_t kShownColumn = 2;
constexpr std::string_view kShown = "1";

// The settings table's rows: its first index, three columns.
int16_t SettingsRows(const SafeArray& table) {
    if (table.Dims() != 2 || table.UBound(2) < kShownColumn)
        Raise(ErrorCode::SubscriptOutOfRange, "a table of rows and three columns expected");
    return vb::Count16(static_cast<std::size_t>(table.UBound(1) + 1));
}

// An enabled row names the pair either way round, and the minimum is below 0 or above the
// clearance.
bool Shown(const SafeArray& settings, int16_t rows, const std::string& net1, const std::string& net2,
           double clearance) {
    bool enabled = false;
    for (int16_t r = 1; r < rows && !enabled; ++r) {
        const std::string a = Cell(settings, r, kFirstNetwork), b = Cell(settings, r, kSecondNetwork);
        enabled = Cell(settings, r, kShownColumn) == kShown && ((a == net1 && b == net2) || (a == net2 && b == net1));
    }
    const double minimum = vb::Val(Cell(settings, 0, kFirstNetwork));
    return enabled && (minimum < 0 || minimum > clearance);
}

}  // namespace

// ---- Crossing --------------------------------------------------------------------------

std::shared_ptr<acad::AcadSelectionSet> Crossing::GetExistingCrossingPointsSet(acad::AcadDocument& AcadActiveDocument,
                                                                               const std::string& NetName) {
    auto set = general_->InitializeSelectionSet(AcadActiveDocument, std::string(kExistingAnnotationsSet));
    SelectAll(*set, {1001, 0, -4, 2, 2, 2, -4},
              {Variant(kAppName), Variant("INSERT"), Variant("<OR"), Variant(kCrossingBlocks[0]),
               Variant(kCrossingBlocks[1]), Variant(kCrossingBlocks[2]), Variant("OR>")});
    const int32_t count = set->Count();
    if (NetName.empty() || count == 0) return set;

    std::vector<std::shared_ptr<acad::AcadEntity>> others;
    for (int32_t i = 0; i < count; ++i) {
        auto annotation = set->Item(i);
        ElementRecord record = ElementRecord::Read(annotation);
        if (record.Text(crossing_entry::kPipe1Net) != NetName && record.Text(crossing_entry::kPipe2Net) != NetName)
            others.push_back(annotation);
    }
    if (!others.empty()) set->RemoveItems(others);
    return set;
}

std::shared_ptr<acad::AcadSelectionSet> Crossing::DrawCrossingPoints(acad::AcadDocument& AcadActiveDocument,
                                                                     const std::vector<CrossPoint>& ArCrossPoints) {
    vb::Count16(ArCrossPoints.size());  // the host's list
    return DrawAnnotations(AcadActiveDocument, ArCrossPoints);
}

std::shared_ptr<acad::AcadSelectionSet> Crossing::DrawAnnotations(acad::AcadDocument& AcadActiveDocument,
                                                                  const std::vector<CrossPoint>& ArCrossPoints) {
    for (const CrossPoint& c : ArCrossPoints) RequireFiniteReals(c);
    general_->CreateStandardBlock(AcadActiveDocument, "CrossingPoint");
    // Whatever the annotations are drawn on or write to accepts changes before the first is
    // drawn: a failure could not take an annotation off a locked layer again. An annotation
    // is drawn only for pipes that can name it back.
    if (!ArCrossPoints.empty()) {
        RequireUnlockedActiveLayer(AcadActiveDocument);
        RequireUnlockedLayer(AcadActiveDocument, std::string(kCrossingTextLayer));
        RequireUnlockedLayer(AcadActiveDocument, std::string(kCrossingLineLayer));
    }
    for (const CrossPoint& c : ArCrossPoints)
        for (const std::string* pipeId : {&c.Pipe1OID, &c.Pipe2OID})
            RequireUnlockedEntity(AcadActiveDocument, OpenCrossingPipe(AcadActiveDocument, *pipeId).Object());
    const double angle = general_->GetCorrectionAngleForCS(AcadActiveDocument);
    auto drawn = general_->InitializeSelectionSet(AcadActiveDocument, std::string(kDrawnAnnotationsSet));
    for (const CrossPoint& c : ArCrossPoints) {
        auto texts = CrossingTexts({c.Pipe1Net, c.Pipe1SizeString, c.Pipe1Invert},
                                   {c.Pipe2Net, c.Pipe2SizeString, c.Pipe2Invert}, c.Clearance);
        const acad::Point3 p{c.Easting, c.Northing, 0};
        const acad::Point3 q{c.Easting + kAnnotationOffset, c.Northing + kAnnotationOffset, 0};
        std::shared_ptr<acad::AcadBlockReference> annotation;
        std::shared_ptr<acad::AcadLine> line;
        try {
            annotation = AcadActiveDocument.ModelSpace()->InsertBlock(q, std::string(CrossingBlockFor(texts)), 1, 1, 1, 0);
            annotation->SetLayer(std::string(kCrossingTextLayer));
            auto attributes = AnnotationAttributes(*annotation);
            for (int16_t i = 0; i < kAnnotationTextCount; ++i)
                attributes[static_cast<std::size_t>(i)]->SetTextString(texts[static_cast<std::size_t>(i)]);
            line = AcadActiveDocument.ModelSpace()->AddLine(p, q);
            line->SetLayer(std::string(kCrossingLineLayer));
            line->Rotate(p, angle);
            annotation->Rotate(p, angle);
            drawn->AddItems({annotation});
            // Last: it undoes its own writes when one of them fails.
            AddCorssingPointXdata(AcadActiveDocument, c, *annotation, *line);
        } catch (...) {
            UndoAndRethrow({[&] {
                                if (annotation) drawn->RemoveItems({annotation});
                            },
                            [&] {
                                if (annotation) annotation->Delete();
                            },
                            [&] {
                                if (line) line->Delete();
                            }});
        }
    }
    return drawn;
}

void Crossing::AddCorssingPointXdata(acad::AcadDocument& AcadActiveDocument, const CrossPoint& MyCrossPoint,
                                     acad::AcadBlockReference& CrossPointAnno, acad::AcadLine& CrossPointLine) {
    RequireFiniteReals(MyCrossPoint);
    // Both pipes are known before anything is written; they are named by the identifier as
    // the drawing writes it.
    ElementRecord pipe1 = OpenCrossingPipe(AcadActiveDocument, MyCrossPoint.Pipe1OID);
    const std::string pipe1Id = IdText(*pipe1.Object());
    const auto pipe2 = OpenCrossingPipe(AcadActiveDocument, MyCrossPoint.Pipe2OID).Object();
    const std::string pipe2Id = IdText(*pipe2);
    const std::string crossing =
        CrossingLabel(MyCrossPoint.Pipe1Net, MyCrossPoint.Pipe1Label, MyCrossPoint.Pipe2Net, MyCrossPoint.Pipe2Label);
    const std::string annotationLabel = AnnotationLabel(crossing), lineLabel = LineLabel(crossing);
    auto annotation = std::static_pointer_cast<acad::AcadObject>(CrossPointAnno.shared_from_this());
    auto line = std::static_pointer_cast<acad::AcadObject>(CrossPointLine.shared_from_this());
    const std::string annotationId = IdText(*annotation), lineId = IdText(*line);

    ElementRecord annotationBefore = ElementRecord::Read(annotation);
    ElementRecord lineBefore = ElementRecord::Read(line);
    // Everything written here accepts changes, so that a failure can be undone.
    for (const auto& target : {annotation, line, pipe1.Object(), pipe2})
        RequireUnlockedEntity(AcadActiveDocument, target);
    try {
        ElementRecord::Create(
            annotation, CrossingAnnotationCodes(),
            {Variant(kAppName), Variant(CrossingCombinedLabel(kAnnotationKind, annotationLabel)),
             Variant(element_type::kCrossingPointAnnotation), Variant(MyCrossPoint.Pipe1Net),
             Variant(MyCrossPoint.Pipe2Net), Variant(refs::Reference(MyCrossPoint.Pipe1Label)),
             Variant(refs::Reference(MyCrossPoint.Pipe2Label)), Variant(MyCrossPoint.Pipe1Rise),
             Variant(MyCrossPoint.Pipe2Rise), Variant(MyCrossPoint.Pipe1SizeString),
             Variant(MyCrossPoint.Pipe2SizeString), Variant(MyCrossPoint.Clearance), Variant(refs::Reference(pipe1Id)),
             Variant(refs::Reference(pipe2Id)), Variant(refs::Reference(lineLabel)), Variant(refs::Reference(lineId)),
             Variant(CrossingPointText(MyCrossPoint.Easting, MyCrossPoint.Northing))})
            .Write();
        ElementRecord::Create(line, CrossingLineCodes(),
                              {Variant(kAppName), Variant(CrossingCombinedLabel(kLineKind, lineLabel)),
                               Variant(element_type::kCrossingPointLine), Variant(refs::Reference(annotationLabel)),
                               Variant(refs::Reference(annotationId))})
            .Write();
        AppendAnnotation(AcadActiveDocument, pipe1Id, annotationLabel, annotationId);
        AppendAnnotation(AcadActiveDocument, pipe2Id, annotationLabel, annotationId);
    } catch (...) {
        // Nothing stays half-linked: pipe 1 as it was (also when it is pipe 2), the two
        // objects without the records written here.
        UndoAndRethrow({[&] { PutBackRecord(pipe1); }, [&] { PutBackRecord(lineBefore); },
                        [&] { PutBackRecord(annotationBefore); }});
    }
}

Variant Crossing::GetCrossingSettings(acad::AcadDocument& AcadActiveDocument) {
    ProjectRecord project = ProjectRecord::Read(AcadActiveDocument);
    std::vector<std::string> names = refs::TrailingItems(project.Text(project_entry::kNetworkNames));
    // Every pair once, in the order of the network list: the first with each later one,
    // then the second, and so on.
    std::vector<std::pair<std::string, std::string>> pairs;
    for (std::size_t i = 0; i < names.size(); ++i)
        for (std::size_t j = i + 1; j < names.size(); ++j) {
            vb::Count16(pairs.size() + 2);
            pairs.emplace_back(names[i], names[j]);
        }
    const int16_t rows = vb::Count16(pairs.size() + 1);
    SafeArray table = SafeArray::Matrix(com::VarType::String, rows, 3);
    for (int16_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < 3; ++c) table.Put(r, c, Variant(""));

    // Only whole pairs count; a pair naming a network without a row enables nothing.
    refs::PairList settings = refs::ReadPairList(project.Text(project_entry::kCrossingSettings));
    table.Put(0, kFirstNetwork, Variant(settings.first));
    for (int16_t r = 1; r < rows; ++r) {
        const auto& [a, b] = pairs[static_cast<std::size_t>(r - 1)];
        table.Put(r, kFirstNetwork, Variant(a));
        table.Put(r, kSecondNetwork, Variant(b));
        for (const auto& [first, second] : settings.pairs)
            if ((first == a && second == b) || (first == b && second == a)) table.Put(r, kShownColumn, Variant(kShown));
    }
    return Variant(std::move(table));
}

void Crossing::SetCrossingSettings(acad::AcadDocument& AcadActiveDocument, const Variant& ArCrossingSettings) {
    const SafeArray& table = ArCrossingSettings.Array();
    const int16_t rows = SettingsRows(table);
    refs::PairList settings{Cell(table, 0, kFirstNetwork), {}};
    refs::RefuseSeparator(settings.first, "the minimum clearance");
    // Read by every later upkeep of the crossings.
    FiniteNumberOfText("the minimum clearance", settings.first);
    for (int16_t r = 1; r < rows; ++r) {
        if (Cell(table, r, kShownColumn) != kShown) continue;
        std::string a = Cell(table, r, kFirstNetwork), b = Cell(table, r, kSecondNetwork);
        refs::RefuseSeparator(a, "the network name");
        refs::RefuseSeparator(b, "the network name");
        settings.pairs.emplace_back(std::move(a), std::move(b));
    }
    ProjectRecord project = ProjectRecord::Read(AcadActiveDocument);
    project.Set(project_entry::kCrossingSettings, Variant(refs::PairListText(settings)));
    project.Write();
}

void Crossing::ApplyCrossingSettings(acad::AcadDocument& AcadActiveDocument, acad::AcadSelectionSet& SetCrossingAnno,
                                     const bool& ResetLocations) {
    const int32_t count = SetCrossingAnno.Count();
    if (count == 0) return;

    // Every annotation and leader is known to be one before anything moves or hides.
    struct Member {
        std::shared_ptr<acad::AcadBlockReference> annotation;
        std::shared_ptr<acad::AcadLine> leader;  // nullptr when gone
        std::string net1, net2;
        double clearance;
        CrossingPlace point;
    };
    std::vector<Member> members;
    for (int32_t i = 0; i < count; ++i) {
        auto entity = SetCrossingAnno.Item(i);
        ElementRecord record = ReadCrossingAnnotation(entity);
        members.push_back({acad::Cast<acad::AcadBlockReference>(entity), LiveLeaderLine(AcadActiveDocument, record),
                           record.Text(crossing_entry::kPipe1Net), record.Text(crossing_entry::kPipe2Net),
                           record.Number(crossing_entry::kClearance),
                           ResetLocations ? CrossingPlanPoint(record) : CrossingPlace{}});
    }

    const double angle = general_->GetCorrectionAngleForCS(AcadActiveDocument);
    SafeArray settings = GetCrossingSettings(AcadActiveDocument).Array();
    const int16_t rows = SettingsRows(settings);
    for (const Member& m : members) {
        const bool visible = Shown(settings, rows, m.net1, m.net2, m.clearance);
        m.annotation->SetVisible(visible);
        if (m.leader) m.leader->SetVisible(visible);
        if (!ResetLocations) continue;
        // Back to the drawn state: up and right of the point, turned about it.
        const acad::Point3 p{m.point.x, m.point.y, 0};
        const acad::Point3 q{m.point.x + kAnnotationOffset, m.point.y + kAnnotationOffset, 0};
        m.annotation->Move(m.annotation->InsertionPoint(), q);
        m.annotation->Rotate(q, -m.annotation->Rotation());
        if (m.leader) {
            m.leader->SetStartPoint(p);
            m.leader->SetEndPoint(q);
        }
        m.annotation->Rotate(p, angle);
        if (m.leader) m.leader->Rotate(p, angle);
    }
}

}  // namespace fluvanet
