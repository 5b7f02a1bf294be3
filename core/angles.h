#pragma once
// The host's decimal angle constants, not pi: stored angles and rotations were computed
// with them, so every placement uses these exact values.

namespace fluvanet::angles {

inline constexpr double kHalfTurn = 3.141592654;
inline constexpr double kQuarterTurn = 3.141592654 / 2;       // 1.570796327
inline constexpr double kThreeQuarterTurn = 9.424777962 / 2;  // 4.712388981
inline constexpr double kFullTurn = 6.283185308;

}  // namespace fluvanet::angles
