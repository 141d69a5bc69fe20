// Bounds of the human body-part table, which let the filter decide a group line's fate after a
// few bytes of its part name.
#pragma once
#include <cstddef>

constexpr size_t kHumanPartCount = 54;
// "lForeArm", "rightEye" and their kin: no part name is longer.
constexpr size_t kLongestHumanPart = 8;
