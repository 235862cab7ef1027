// The decoder tells leaves from internal nodes by a "free value" that no leaf of any tree holds,
// so a movie may use at most 65535 distinct values over its four trees (value 0 counts as used:
// recent-value leaves are stored as 0). Noisy pictures coded with full blocks can use all 65536
// pixel pairs between them; this frees one value again.
#pragma once

#include <vector>

#include "encoder/block_plan.h"

namespace tavik::enc {

// When the frames' values leave no value free, recodes two-colour blocks so that one value V is
// used nowhere: V is at least 256 with its low two bits not both set, so no type word is V; V must
// not be a pixel pair of any full block; a two-colour block whose pair or mask is V is turned
// over (pair bytes swapped, mask inverted), or coded as a full block when both ways use V.
// Returns false when no such V exists (full blocks alone use every candidate).
bool EnsureFreeValue(std::vector<FramePlan>& frames, uint32_t width);

}  // namespace tavik::enc
