#include "profile/parts_data.h"

#include <cmath>
#include <vector>

#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;

namespace {
// Quotients this close to a whole number are whole: what floating error leaves of a
// start station summed from rounded lengths.
constexpr double kWholeSlack = 1e-9;
}  // namespace

void AppendItem(std::string& list, std::string_view value) {
    list += ';';
    list += value;
}

void AppendItem(std::string& list, double value) { AppendItem(list, vb::CStr(value)); }

std::string ListItem(std::string_view list, int32_t k) {
    std::vector<std::string> items = vb::Split(list, ";");
    vb::Count16(items.size());
    if (k < 0 || static_cast<std::size_t>(k) >= items.size())
        Raise(ErrorCode::SubscriptOutOfRange,
              "the list \"" + std::string(list) + "\" has no item " + std::to_string(k));
    return items[static_cast<std::size_t>(k)];
}

const std::string& PartsEntry(const std::vector<std::string>& record, int32_t entry) {
    if (entry < 0 || static_cast<std::size_t>(entry) >= record.size())
        Raise(ErrorCode::SubscriptOutOfRange, "the parts data record has no entry " + std::to_string(entry));
    return record[static_cast<std::size_t>(entry)];
}

std::vector<std::string> GroupedItems(std::string_view list, int32_t groupSize) {
    std::vector<std::string> items = refs::LeadingItems(list);
    if (groupSize <= 0 || items.size() % static_cast<std::size_t>(groupSize) != 0)
        Raise(ErrorCode::SubscriptOutOfRange, "the list \"" + std::string(list) + "\" holds no whole groups of " +
                                                  std::to_string(groupSize) + " items");
    return items;
}

double RoundedLength(const acad::AcadLWPolyline& pipe) { return vb::Round(pipe.Length(), 7); }

std::string SectionItems(const ElementRecord& pipe) {
    std::string items;
    AppendItem(items, pipe.Text(pipe_entry::kSectionShape) == kCircularShape ? "0" : "1");
    AppendItem(items, pipe.Text(pipe_entry::kSpan));
    AppendItem(items, pipe.Text(pipe_entry::kRise));
    AppendItem(items, pipe.Text(pipe_entry::kCells));
    return items;
}

double DistanceToNextMultiple(double start, double step) {
    double q = vb::Divide(start, step);
    double fraction = std::abs(q - std::round(q)) <= kWholeSlack ? 0 : q - std::floor(q);
    return step - step * fraction;
}

void RequireStationInterval(double interval) {
    if (!(std::isfinite(interval) && interval > 0))
        Raise(ErrorCode::InvalidProcedureCall, "the station interval must be a finite number above 0");
}

std::vector<double> RegularStations(double first, double interval, double length) {
    constexpr std::size_t kMostStations = 32767;
    std::vector<double> stations;
    for (double s = first; s <= length; s += interval) {
        if (stations.size() == kMostStations || (!stations.empty() && s == stations.back()))
            Raise(ErrorCode::Overflow, "a station interval of " + vb::CStr(interval) + " gives too many stations");
        stations.push_back(s);
    }
    return stations;
}

}  // namespace fluvanet
