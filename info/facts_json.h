// The facts of a model as one JSON object. The keys are a stable contract
// (documented in the README); new keys may be added, none renamed.
#pragma once

#include "common/json_writer.h"
#include "info/model_facts.h"

namespace mevlo {

void writeFactsJson(const ModelFacts& facts, JsonWriter& json);

}  // namespace mevlo
