// The size of a listing, estimated before anything is printed.
//
// A listing prints every primitive of every node with its indentation, and
// records may share index blocks and child chains: a crafted file of a
// megabyte can name one block of a hundred thousand indices from a hundred
// thousand nodes, or nest one record in itself a thousand levels deep, and
// its listing would run to hundreds of gigabytes. Estimating first lets the
// command refuse such a file instead of printing for hours.
#pragma once

#include <cstdint>

namespace mevlo {

class LodNode;

// A lower estimate of the bytes the listing of the chain that starts at head
// prints: its lines with their indentation, and its entries (vectors,
// colours, texture pairs, texture numbers) at their shortest.
int64_t estimateListingBytes(const LodNode* head);

}  // namespace mevlo
