// The body-part names of Poser's human figures, and the lookup that decides whether a group
// belongs to a human figure in the human-parts mode.
#include "consolidate/human_parts.h"

#include "consolidate/ascii.h"
#include "consolidate/consolidate.h"

const char* const mangroups[] = {
    "abdomen",  "chest",   "genital",  "head",    "hip",     "lCollar", "leftEye", "lFoot",
    "lForeArm", "lHand",   "lIndex1",  "lIndex2", "lIndex3", "lMid1",   "lMid2",   "lMid3",
    "lPinky1",  "lPinky2", "lPinky3",  "lRing1",  "lRing2",  "lRing3",  "lShin",   "lShldr",
    "lThigh",   "lThumb1", "lThumb2",  "lThumb3", "lToe",    "neck",    "rCollar", "rFoot",
    "rForeArm", "rHand",   "rightEye", "rIndex1", "rIndex2", "rIndex3", "rMid1",   "rMid2",
    "rMid3",    "rPinky1", "rPinky2",  "rPinky3", "rRing1",  "rRing2",  "rRing3",  "rShin",
    "rShldr",   "rThigh",  "rThumb1",  "rThumb2", "rThumb3", "rToe",    nullptr,
};

static_assert(sizeof(mangroups) / sizeof(mangroups[0]) == kHumanPartCount + 1,
              "the table holds every human part and its closing null");

namespace {

bool EqualFolded(std::string_view a, const char* b) {
  size_t i = 0;
  for (; i < a.size(); ++i) {
    if (b[i] == '\0' || LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return b[i] == '\0';
}

}  // namespace

bool IsHumanPart(std::string_view name) {
  if (name.size() > kLongestHumanPart) return false;
  for (const char* const* entry = mangroups; *entry != nullptr; ++entry) {
    if (EqualFolded(name, *entry)) return true;
  }
  return false;
}
