#pragma once
// The numbers that new labels of one network and element type are drawn from, 1 to 10000.
// A label holds the number its text after the first two characters reads as, rounded half
// to even; the two leading characters are not compared, so "X-7" holds 7 as "P-7" does.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fluvanet {

class LabelNumbers {
public:
    static constexpr int32_t kLimit = 10000;

    // From the labels in use, as GetExistingLabelsArray gives them.
    LabelNumbers(const std::vector<std::string>& labels, std::string_view network, std::string_view elementType);

    void Take(std::string_view label);
    int32_t FreeCount() const noexcept { return free_; }
    // Overflow, naming the network and type, unless `count` numbers are still free.
    void RequireFree(int32_t count) const;
    // "P-" for a pipe type, "N-" for any other, and the lowest free number; Overflow when
    // none is free. The number stays free until the label is taken.
    std::string Next() const;
    std::string Allocate() {
        std::string label = Next();
        Take(label);
        return label;
    }

private:
    std::vector<bool> taken_;
    int32_t free_ = kLimit;
    int32_t lowest_ = 0;  // index of the lowest free number; kLimit when none is free
    std::string network_;
    std::string elementType_;
};

}  // namespace fluvanet
