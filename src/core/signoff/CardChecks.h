#pragma once

#include "core/signoff/Preflight.h"

namespace velmora {

class TTimeline;

// The checks that belong to cards: a hold shorter than reading the card takes, ink outside
// title-safe across or down, and fades that flash more than three times a second.
std::vector<TProblem> CheckCards(const TElementTree &tree, const TTimeline &timeline, const TPreflightOptions &options);

// Full-screen flashes in the worst second of a run of mean relative luminances, one per frame:
// a flash is a pair of opposing changes of at least a tenth of full luminance with the darker
// side below 0.8.
int WorstFlashesPerSecond(const std::vector<double> &luminance, int frameRate);

} // namespace velmora
