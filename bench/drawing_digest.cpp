#include "bench/drawing_digest.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include "platform/acad_block.h"
#include "platform/acad_layers.h"
#include "platform/safe_array.h"

namespace bench_support {

namespace {

using Ordinals = std::unordered_map<int32_t, std::size_t>;

std::string Real(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

std::string Point(const acad::Point3& p) { return Real(p[0]) + "," + Real(p[1]) + "," + Real(p[2]); }

// Every run of digits (with its sign) that is a live object's identifier becomes "@ordinal".
std::string Normalized(const std::string& text, const Ordinals& ordinals) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t start = i;
        if (text[i] == '-' && i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1]))) ++i;
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            out += text[start];
            i = start + 1;
            continue;
        }
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
        int32_t value = 0;
        const auto [end, error] = std::from_chars(text.data() + start, text.data() + i, value);
        auto found = ordinals.end();
        if (error == std::errc() && end == text.data() + i) found = ordinals.find(value);
        out += found == ordinals.end() ? text.substr(start, i - start) : "@" + std::to_string(found->second);
    }
    return out;
}

std::string Record(const acad::AcadObject& object, const Ordinals& ordinals) {
    std::string out;
    for (const std::string& app : object.XDataApplications()) {
    com::Variant codes, values;
    object.GetXData(app, codes, values);
    const com::SafeArray& c = codes.Array();
    const com::SafeArray& v = values.Array();
    for (int32_t i = c.LBound(); i <= c.UBound(); ++i) {
        const com::Variant& value = v.Get(i);
        out += " {" + std::to_string(c.Get(i).Int()) + ":";
        switch (value.Type()) {
        case com::VarType::String: out += "s" + Normalized(value.Str(), ordinals); break;
        case com::VarType::Double: out += "d" + Real(value.Dbl()); break;
        case com::VarType::Integer: out += "i" + std::to_string(value.Int()); break;
        case com::VarType::Long: out += "l" + Normalized(std::to_string(value.Long()), ordinals); break;
        default: out += "t" + std::string(com::VarTypeName(value.Type())); break;
        }
        out += "}";
    }
    }
    return out;
}

std::string TextPart(const acad::AcadTextBase& t) {
    return " text=" + t.TextString() + " h=" + Real(t.Height()) + " rot=" + Real(t.Rotation()) +
           " style=" + t.StyleName() + " align=" + std::to_string(t.Alignment()) + " ins=" + Point(t.InsertionPoint()) +
           " at=" + Point(t.TextAlignmentPoint());
}

std::string Geometry(const acad::AcadEntity& e) {
    using namespace acad;
    std::string out;
    if (auto* pl = dynamic_cast<const AcadLWPolyline*>(&e)) {
        const std::vector<double> xy = pl->Coordinates();
        out += pl->Closed() ? " closed" : " open";
        const std::size_t vertices = xy.size() / 2, segments = pl->Closed() ? vertices : vertices - 1;
        for (std::size_t i = 0; i < vertices; ++i) {
            const auto index = static_cast<int32_t>(i);
            out += " (" + Real(xy[2 * i]) + "," + Real(xy[2 * i + 1]) + " b" + Real(pl->GetBulge(index));
            if (i < segments) {
                double w0 = 0, w1 = 0;
                pl->GetWidth(index, w0, w1);
                if (w0 != 0 || w1 != 0) out += " w" + Real(w0) + "," + Real(w1);
            }
            out += ")";
        }
    } else if (auto* line = dynamic_cast<const AcadLine*>(&e)) {
        out += " " + Point(line->StartPoint()) + " " + Point(line->EndPoint());
    } else if (auto* circle = dynamic_cast<const AcadCircle*>(&e)) {
        out += " c=" + Point(circle->Center()) + " r=" + Real(circle->Radius());
    } else if (auto* ellipse = dynamic_cast<const AcadEllipse*>(&e)) {
        out += " c=" + Point(ellipse->Center()) + " a=" + Point(ellipse->MajorAxis()) + " q=" + Real(ellipse->RadiusRatio());
    } else if (auto* hatch = dynamic_cast<const AcadHatch*>(&e)) {
        out += " " + hatch->PatternName() + " loops=" + std::to_string(hatch->NumberOfLoops());
    } else if (auto* point = dynamic_cast<const AcadPoint*>(&e)) {
        out += " " + Point(point->Coordinates());
    } else if (auto* attdef = dynamic_cast<const AcadAttribute*>(&e)) {
        out += " tag=" + attdef->TagString() + " prompt=" + attdef->PromptString() +
               " mode=" + std::to_string(attdef->Mode()) + TextPart(*attdef);
    } else if (auto* text = dynamic_cast<const AcadTextBase*>(&e)) {
        out += TextPart(*text);
    } else if (auto* ref = dynamic_cast<const AcadBlockReference*>(&e)) {
        out += " block=" + ref->Name() + " ins=" + Point(ref->InsertionPoint()) + " rot=" + Real(ref->Rotation()) +
               " scale=" + Real(ref->XScaleFactor());
        for (const auto& a : ref->GetAttributes())
            out += " [" + a->TagString() + TextPart(*a) + " layer=" + a->Layer() + "]";
    }
    const geom::Box box = e.Extents();
    return out + " box=" + Real(box.minX) + "," + Real(box.minY) + "," + Real(box.maxX) + "," + Real(box.maxY);
}

}  // namespace

std::string DrawingText(acad::AcadDocument& doc) {
    auto db = doc.Database();
    struct Placed {
        std::shared_ptr<acad::AcadEntity> entity;
        std::string block;
    };
    std::vector<Placed> entities;
    std::vector<const acad::AcadObject*> objects;
    for (const auto& block : db->BlockTable()) {
        objects.push_back(block.get());
        for (const auto& e : block->Entities()) {
            if (e->Erased()) continue;
            entities.push_back({e, block->Name()});
            objects.push_back(e.get());
            if (auto ref = std::dynamic_pointer_cast<acad::AcadBlockReference>(e))
                for (const auto& a : ref->GetAttributes()) objects.push_back(a.get());
        }
    }
    for (const auto& layer : db->LayerTable()) objects.push_back(layer.get());
    auto byCreation = [](const auto* a, const auto* b) { return a->CreationOrder() < b->CreationOrder(); };
    std::sort(objects.begin(), objects.end(), byCreation);
    Ordinals ordinals;
    for (std::size_t i = 0; i < objects.size(); ++i) ordinals[objects[i]->ObjectID()] = i;
    std::sort(entities.begin(), entities.end(),
              [](const Placed& a, const Placed& b) { return a.entity->CreationOrder() < b.entity->CreationOrder(); });

    std::string out;
    for (const auto& layer : db->LayerTable())
        out += "layer " + layer->Name() + (layer->Lock() ? " locked" : "") + (layer->Freeze() ? " frozen" : "") +
               (layer->LayerOn() ? "" : " off") + " colour=" + std::to_string(layer->TrueColor()->ColorIndex()) + "\n";
    out += "active layer " + db->ActiveLayer()->Name() + "\n";
    for (const auto& block : db->BlockTable())
        out += "block " + block->Name() + " at=" + Point(block->Origin()) + Record(*block, ordinals) + "\n";
    for (const auto& [e, block] : entities)
        out += "@" + std::to_string(ordinals.at(e->ObjectID())) + " in " + block + " " + e->DxfName() + " layer=" +
               e->Layer() + (e->Visible() ? "" : " hidden") +
               " colour=" + std::to_string(e->TrueColor()->ColorIndex()) + Geometry(*e) + Record(*e, ordinals) + "\n";
    return out;
}

std::string DrawingDigest(acad::AcadDocument& doc) { return TextDigest(DrawingText(doc)); }

std::string TextDigest(const std::string& text) {
    uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(hash));
    return buffer;
}

}  // namespace bench_support
