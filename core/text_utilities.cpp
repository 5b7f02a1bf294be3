#include <algorithm>
#include <cmath>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "annotation/view_style.h"
#include "core/general.h"
#include "core/reference_lists.h"
#include "platform/file_system.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/profile.h"

namespace fluvanet {

using com::CallType;
using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

namespace {

constexpr int32_t kForReading = 1;
constexpr int32_t kSingleByteText = 0;

// GetDelimiter tries them in this order; "space" is what remains.
struct NamedDelimiter {
    std::string_view name;
    std::string_view text;
};
constexpr NamedDelimiter kDelimiters[] = {{"tab", "\t"}, {"comma", ","}, {"semicolon", ";"}, {"space", " "}};

constexpr std::string_view kQuote = "\"";

// Banned characters by CharIndex: 0 the list separator, 1 everything a name may not hold.
std::string_view BannedCharacters(int16_t charIndex) {
    switch (charIndex) {
    case 0: return ";";
    case 1: return ":;\"/\\><*|?,=";
    default: return "";
    }
}

// A stream is closed however the reading ends.
class ClosingStream {
public:
    explicit ClosingStream(std::shared_ptr<vb::TextStream> stream) : stream_(std::move(stream)) {}
    ClosingStream(const ClosingStream&) = delete;
    ClosingStream& operator=(const ClosingStream&) = delete;
    ~ClosingStream() { stream_->Close(); }
    vb::TextStream* operator->() const { return stream_.get(); }

private:
    std::shared_ptr<vb::TextStream> stream_;
};

// An index list item as a subscript of the pipes; one outside them is out of range.
const ShpPipe& PipeAt(const std::vector<ShpPipe>& pipes, const std::string& item) {
    int32_t index = vb::CLng(vb::Val(item));
    if (index < 0 || static_cast<std::size_t>(index) >= pipes.size())
        Raise(ErrorCode::SubscriptOutOfRange, "pipe index " + item + " of " + std::to_string(pipes.size()));
    return pipes[static_cast<std::size_t>(index)];
}

// Ten digits, so that numbers up to 9,999,999,999 order by value (MH-9999 before MH-10000).
constexpr std::string_view kSortBlock = "0000000000";
constexpr int32_t kSortPieces = 11;

std::string SortBlock(double value) { return vb::Format(value, kSortBlock); }

// One piece of a label: a number alone, or one or two leading characters and a number.
std::string PieceKey(const std::string& piece) {
    char first = piece.empty() ? '\0' : piece[0];
    if ((first >= '1' && first <= '9') || vb::Len(piece) == 1) return SortBlock(vb::Val(piece));
    if (vb::Val(vb::Mid(piece, 2)) != 0 || vb::Len(piece) == 2)
        return vb::Left(piece, 1) + SortBlock(vb::Val(vb::Mid(piece, 2)));
    return vb::Left(piece, 2) + SortBlock(vb::Val(vb::Mid(piece, 3)));
}

std::string SortKey(const std::string& label, const std::string& delimiter) {
    std::vector<std::string> pieces = vb::Split(label, delimiter);
    vb::Count16(pieces.size());
    std::string key;
    for (int32_t k = 0; k < kSortPieces; ++k)
        key += static_cast<std::size_t>(k) < pieces.size() ? PieceKey(pieces[static_cast<std::size_t>(k)])
                                                            : SortBlock(0);
    return key;
}

}  // namespace

Variant General::ReadTextDataFromString(const std::string& FileName, const std::string& StartString) {
    vb::FileSystemObject fso;
    if (!fso.FileExists(FileName)) return Variant();
    try {
        ClosingStream stream(fso.OpenTextFile(FileName, kForReading, false, kSingleByteText));
        std::vector<std::string> lines;
        bool inSection = false;
        while (!stream->AtEndOfStream()) {
            std::string line = stream->ReadLine();
            if (inSection && !line.starts_with(";")) {
                line = CleanExtraSpaces(line);
                // A line of blanks ends the section as an empty one does.
                if (line.empty()) break;
                lines.push_back(line);
                vb::Count16(lines.size());
            }
            if (line.starts_with(StartString)) inSection = true;
            vb::DoEvents();
        }
        lines.emplace_back();
        return Variant(SafeArray::FromStrings(lines));
    } catch (const com::Error&) {
        return Variant();
    }
}

std::string General::GetDelimiter(const std::string& TextString) {
    // An empty text has no pieces at all, which is not one piece: "tab".
    for (std::size_t i = 0; i + 1 < std::size(kDelimiters); ++i)
        if (vb::Count16(vb::Split(TextString, kDelimiters[i].text).size()) != 1)
            return std::string(kDelimiters[i].name);
    return std::string(kDelimiters[std::size(kDelimiters) - 1].name);
}

std::vector<std::string> General::SplitTextByDelimiterName(const std::string& Text, const std::string& Delimiter) {
    const NamedDelimiter* named = nullptr;
    for (const NamedDelimiter& d : kDelimiters)
        if (d.name == Delimiter) named = &d;
    if (named == nullptr) Raise(ErrorCode::InvalidProcedureCall, "unknown delimiter name \"" + Delimiter + "\"");
    std::vector<std::string> pieces = vb::Split(Text, named->text);
    // A single value keeps its quotes; only delimited values lose them.
    if (vb::Count16(pieces.size()) >= 2)
        for (std::string& piece : pieces) CleanCote(piece);
    return pieces;
}

std::string General::CleanExtraSpaces(const std::string& MyString) {
    std::vector<std::string> pieces = vb::Split(MyString, " ");
    vb::Count16(pieces.size());
    std::vector<std::string> words;
    for (std::string& piece : pieces)
        if (!piece.empty()) words.push_back(std::move(piece));
    return vb::Join(words, " ");
}

std::string General::CleanCote(std::string& MyString) {
    if (MyString.starts_with(kQuote)) MyString.erase(0, kQuote.size());
    if (MyString.ends_with(kQuote)) MyString.erase(MyString.size() - kQuote.size());
    return MyString;
}

bool General::CheckTextForBannedCharacters(const std::string& MyString, const int16_t& CharIndex) {
    std::string_view banned = BannedCharacters(CharIndex);
    if (banned.empty()) return false;
    vb::Count16(static_cast<std::size_t>(vb::Len(MyString)));
    return MyString.find_first_of(banned) != std::string::npos;
}

std::vector<std::string> General::BubbleSort(const std::vector<std::string>& Strings) {
    if (vb::Count16(Strings.size()) == 0) Raise(ErrorCode::SubscriptOutOfRange, "nothing to sort");
    std::vector<std::string> sorted = Strings;
    // By character codes: UTF-8 bytes compare as their code points do.
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (std::size_t i = 0; i + 1 < sorted.size(); ++i) {
            if (sorted[i] > sorted[i + 1]) {
                std::swap(sorted[i], sorted[i + 1]);
                swapped = true;
            }
        }
    }
    return sorted;
}

double General::GetLeastInvert(const std::string& PipesAtStartIndeces, const std::string& PipesAtEndIndeces,
                               const std::vector<ShpPipe>& ArPipes) {
    if (PipesAtStartIndeces.empty() && PipesAtEndIndeces.empty()) return 0;
    double least = 1000000;
    const std::vector<std::string> atStart = refs::TrailingItems(PipesAtStartIndeces);
    const std::vector<std::string> atEnd = refs::TrailingItems(PipesAtEndIndeces);
    vb::Count16(std::max(atStart.size(), atEnd.size()));
    for (const std::string& item : atStart)
        if (double invert = PipeAt(ArPipes, item).StartInvert; invert < least) least = invert;
    for (const std::string& item : atEnd)
        if (double invert = PipeAt(ArPipes, item).EndInvert; invert < least) least = invert;
    return least;
}

double General::GetMaxRise(const std::string& PipesIndeces, const std::vector<ShpPipe>& ArPipes) {
    double largest = 0;
    const std::vector<std::string> items = refs::TrailingItems(PipesIndeces);
    vb::Count16(items.size());
    for (const std::string& item : items)
        if (double rise = PipeAt(ArPipes, item).Rise; rise > largest) largest = rise;
    return largest;
}

double General::CleanNumericString(std::string& MyString) {
    MyString = vb::Replace(vb::Replace(MyString, ",", ""), kQuote, "");
    return vb::Val(MyString);
}

Variant General::GetDataFromGrid(const Variant& MyGrid) {
    if (!MyGrid.IsObject()) Raise(ErrorCode::ObjectRequired, "the grid");
    com::ObjectPtr dataSet = vb::CallByName(MyGrid.Object(), "DataSet", CallType::Get).ObjectAs<com::Dispatch>();
    int16_t records = vb::CInt(vb::CallByName(dataSet, "RecordCount", CallType::Get));
    int16_t fields = vb::CInt(vb::CallByName(dataSet, "FieldCount", CallType::Get));
    if (records <= 0 || fields <= 0)
        Raise(ErrorCode::SubscriptOutOfRange, "a grid of " + std::to_string(records) + " records and " +
                                                  std::to_string(fields) + " fields");
    SafeArray table = SafeArray::Matrix(com::VarType::String, records, fields);
    vb::CallByName(dataSet, "First", CallType::Method);
    for (int16_t i = 0; i < records; ++i) {
        for (int16_t j = 0; j < fields; ++j) {
            std::string name = vb::CStr(vb::CallByName(dataSet, "FieldName", CallType::Get, Variant(j)));
            // A Null has no text form: Invalid use of Null.
            table.Put(i, j, Variant(vb::CStr(vb::CallByName(dataSet, "FieldValue", CallType::Get, Variant(name)))));
        }
        vb::CallByName(dataSet, "Next", CallType::Method);
    }
    return Variant(std::move(table));
}

Variant General::BuildSlopeString(const double& SlopeValue, const std::string& PrecisionIndex,
                                  const std::string& DecimalsIndex, const std::string& FormatIndex) {
    // The precision as a whole number of decimals: a text that is no number is a type mismatch.
    auto decimals = [&] { return vb::CInt(Variant(PrecisionIndex)); };
    auto asDecimal = [&] {
        return vb::Format(vb::Round(SlopeValue, decimals()),
                          viewStyle_->GetDecimalsString(PrecisionIndex, DecimalsIndex));
    };
    double format = vb::Val(FormatIndex);
    if (format == 0) return Variant(asDecimal());
    if (format == 1)
        return Variant(vb::Format(vb::Round(SlopeValue, decimals() + 2),
                                  viewStyle_->GetPercentString(PrecisionIndex, DecimalsIndex)));
    if (format != 2) return Variant();

    if (std::fabs(SlopeValue) <= 0.000001) return Variant("0");
    int32_t n = vb::CLng(1 / SlopeValue);
    double precision = vb::Val(PrecisionIndex);
    int32_t step = precision == 0 ? 10 : precision == 1 ? 5 : 1;
    // A steep slope would round to "1/0": it keeps its own ratio.
    if (int32_t rounded = vb::CLng(n / static_cast<double>(step)) * step; rounded != 0) n = rounded;
    // From a slope of 2 on there is no ratio "1/n" left to write.
    if (n == 0) return Variant(asDecimal());
    return Variant("1/" + vb::CStr(n));
}

std::vector<std::string> General::NumericSort(const std::vector<std::string>& ArrayStrings) {
    vb::Count16(ArrayStrings.size());
    std::string delimiter;
    for (const std::string& label : ArrayStrings) {
        delimiter = profile_->GetManholeLabelDelimiter(label);
        if (!delimiter.empty()) break;
    }
    std::vector<std::string> keyed;
    // The label of each keyed text, found again by the whole text: a label may hold ";".
    std::multimap<std::string, std::string> labelOf;
    for (const std::string& label : ArrayStrings) {
        std::string text = SortKey(label, delimiter) + ";" + label;
        keyed.push_back(text);
        labelOf.emplace(std::move(text), label);
    }
    std::vector<std::string> sorted = BubbleSort(keyed);
    for (std::string& text : sorted) {
        auto it = labelOf.find(text);
        text = it->second;
        labelOf.erase(it);
    }
    return sorted;
}

}  // namespace fluvanet
