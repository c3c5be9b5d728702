#pragma once

namespace KScene {

// 2*pi in single precision: the stage wraps every angle with this value.
constexpr float kTwoPi = 6.2831855f;

// The angle brought into [0, 2*pi] by whole turns (2*pi itself stays).
// Not a number or an infinity gives 0 with a log line.
float WrapAngle(float angle);

// Of to, to - 2*pi and to + 2*pi, the one nearest to from, so that an
// interpolation from `from` turns the shorter way. Ties go to `to`, then to
// to - 2*pi.
float NearestAngle(float from, float to);

} // namespace KScene
