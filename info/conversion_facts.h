// The conversion's part of a model's facts: the tree walk that `mevlo` and
// `lodtool export` run, reported to a sink that counts instead of writing,
// with the 3DS scene building run alongside so that the first capacity the
// model passes is named in `mevlo`'s own words.
#pragma once

#include "info/model_facts.h"

namespace mevlo {

class LodNode;

void collectConversionFacts(const LodNode* start, ModelFacts& facts);

}  // namespace mevlo
