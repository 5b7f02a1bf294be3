#pragma once
// The automation error a call raises, for EXPECT_EQ(ErrorOf([&] { ... }), ErrorCode::X).

#include <optional>

#include "platform/error.h"

namespace testing_support {

template <class F>
std::optional<com::ErrorCode> ErrorOf(F&& call) {
    try {
        call();
    } catch (const com::Error& e) {
        return e.Code();
    }
    return std::nullopt;
}

}  // namespace testing_support
