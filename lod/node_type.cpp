#include "lod/node_type.h"

namespace mevlo {

const NodeTypeEntry NodeTypeTable[kNodeTypeCount] = {
    {0x0, "Unused"},      {0x465138, "SubTree"}, {0x465168, "Root"},    {0x4650B8, "Slot"},
    {0x465158, "DOF"},    {0x465148, "Switch"},  {0x465128, "Split"},   {0x4650D8, "PT"},
    {0x465108, "LP"},     {0x465118, "CP"},      {0x4650F8, "SpecialX"}, {0xB, "LitString"},
    {0xC, "Translator"},  {0xD, "Scale"},        {0xE, "XDOF"},         {0xF, "XSwitch"},
    {0x10, "RCNode"},
};

}  // namespace mevlo
