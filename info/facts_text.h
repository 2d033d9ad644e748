// The human summary of a model's facts: one section per topic, numbers
// aligned in columns, long lists cut to their first entries.
#pragma once

#include <string>

#include "info/model_facts.h"

namespace mevlo {

// Entries of a list shown before it is cut (unless everything is asked for).
constexpr size_t kInfoListEntries = 12;

std::string formatFactsText(const ModelFacts& facts, bool showAll);

}  // namespace mevlo
