#pragma once
// Creatable as "Fluvanet.Types". Its late-bound members are listed in
// server/types_table.cpp, one table per class.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/acad_object.h"
#include "platform/dispatch.h"
#include "server/instance_count.h"

namespace fluvanet {

// The public records the host declares arrays of: plain data, never stored in the drawing.
// Field names and their order are published as they stand (misspellings included).

struct ShpPipe {
    static constexpr std::string_view kRecordName = "ShpPipe";
    std::string Label;
    std::vector<double> Coordinates;  // x1, y1, x2, y2, ...; vertex 0 is the start
    double StartInvert = 0;
    double EndInvert = 0;
    std::string SectionShape;
    double Span = 0;
    double Rise = 0;
    int16_t NumCells = 0;
    std::string Material;
    std::string StartNodeIndex;  // index into the caller's ShpNode array, as text
    std::string EndNodeIndex;
    std::string StartNodeLabel;
    std::string EndNodeLabel;
    std::shared_ptr<acad::AcadEntity> Entity;
    std::string OID;
    bool Cancelled = false;
    double InletHeight = 0;
    double OutletHeight = 0;
    bool operator==(const ShpPipe&) const = default;
};

struct ShpNode {
    static constexpr std::string_view kRecordName = "ShpNode";
    std::string Label;
    std::vector<double> Coordinates;
    double GroundLevel = 0;
    double SumpLevel = 0;
    std::string PipesAtStartIndeces;  // ShpPipe indices, each followed by ";"
    std::string PipesAtEndIndeces;
    double MaxRise = 0;
    std::shared_ptr<acad::AcadEntity> Entity;
    std::string OID;
    bool LowHighChecked = false;
    bool operator==(const ShpNode&) const = default;
};

struct PipeVertices {
    static constexpr std::string_view kRecordName = "PipeVertices";
    std::string Label;
    int16_t CountVertices = 0;      // reals of `vertices` in use
    std::array<double, 200> vertices{};  // x, y pairs, at most 100 vertices
    bool operator==(const PipeVertices&) const = default;
};

// One crossing of two pipes of different networks. A crossing list is an array of these
// from index 0; without a crossing it holds one empty record.
struct CrossPoint {
    static constexpr std::string_view kRecordName = "CrossPoint";
    std::string Pipe1Net;
    std::string Pipe1Label;
    std::string Pipe2Net;
    std::string Pipe2Label;
    std::string Pipe1OID;
    std::string Pipe2OID;
    double Pipe1Rise = 0;  // drawing units
    double Pipe2Rise = 0;
    std::string Pipe1SizeString;
    std::string Pipe2SizeString;
    double Pipe1Invert = 0;  // at the crossing point
    double Pipe2Invert = 0;
    double Clearance = 0;  // never negative
    double Easting = 0;
    double Northing = 0;
    bool Duplicated = false;  // an annotation of this pipe pair exists already
    bool operator==(const CrossPoint&) const = default;
};

class Types : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "Types"; }
    const com::DispatchTable& Table() const override;

private:
    server::LiveInstance live_;
};

}  // namespace fluvanet
