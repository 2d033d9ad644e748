// Listing of the control nodes: Switch, XSwitch, Split, SpecialX and RCNode.
#include "lod/control_nodes.h"
#include "lod/listing/fixed_format.h"
#include "lod/listing/listing_writer.h"

namespace mevlo {

// Branches list one level deeper than the switch; the separators between
// them stand at the switch's own depth, also next to empty branches.
void SwitchNode::printBranches(ListingWriter& out) const {
    out.indentMore();
    for (int32_t i = 0; i < branchCount; ++i) {
        if (i > 0) {
            out.indentLess();
            out.line("SWITCHBRANCH\n");
            out.indentMore();
        }
        if (const LodNode* head = branch(i)) head->print(out);
    }
    out.indentLess();
}

void SwitchNode::printNode(ListingWriter& out) const {
    out.indent();
    out.formatted("SWITCH ID=%d\n", switchId);
    printBranches(out);
    out.line("SWITCHEND\n");
}

void XSwitchNode::printNode(ListingWriter& out) const {
    out.indent();
    out.formatted("XSWITCH ID=%d ", switchId);
    if (flags & SWITCH_REVERSE) out.text("REVERSE ");
    out.text("\n");
    printBranches(out);
    out.line("XSWITCHEND\n");
}

namespace {

void printSplitBranch(ListingWriter& out, const LodNode* head) {
    out.indentMore();
    if (head) {
        head->print(out);
    } else {
        out.line("; empty\n");
    }
    out.indentLess();
}

}  // namespace

void SplitNode::printNode(ListingWriter& out) const {
    out.indent();
    out.formatted("SPLIT; %s,%s,%s,%s\n", Fixed6Text(plane[0]).c_str(), Fixed6Text(plane[1]).c_str(),
                Fixed6Text(plane[2]).c_str(), Fixed6Text(plane[3]).c_str());
    printSplitBranch(out, branchA.get());
    out.line("SPLITB\n");
    printSplitBranch(out, branchB.get());
    out.line("SPLITEND\n");
}

void SpecialNode::printNode(ListingWriter& out) const {
    static const char* const kSpecialNames[] = {"normal", "billboard", "tree"};
    out.indent();
    if (specialType >= SPECIAL_NORMAL && specialType <= SPECIAL_TREE) {
        out.formatted("Special %s\n", kSpecialNames[specialType]);
    } else {
        out.formatted("Special %d\n", specialType);  // a type without a name shows its number
    }
    out.indentMore();
    if (firstChild) firstChild->print(out);
    out.indentLess();
    out.line("SPECIALEND\n");
}

namespace {

// One DOFMATH operand: a DOF or variable number, or a float constant.
void printOperand(ListingWriter& out, int8_t kind, int32_t asInt, float asFloat) {
    if (kind == RC_OPERAND_DOF) {
        out.formatted("dof%d ", asInt);
    } else if (kind == RC_OPERAND_VAR) {
        out.formatted("var%d ", asInt);
    } else {
        out.formatted("%s ", Fixed6Text(asFloat).c_str());
    }
}

}  // namespace

// An RCNode of an unknown kind prints only its indentation, and whatever
// is listed next continues that line.
void RcNode::printNode(ListingWriter& out) const {
    out.indent();
    if (rcType == RC_ZBIAS) {
        out.formatted("ZBIAS %s\n", Fixed6Text(argFloat(1)).c_str());
        return;
    }
    if (rcType != RC_DOFMATH) return;

    out.text("DOFMATH ");
    const int8_t result = resultType();
    if (result == RC_OPERAND_DOF || result == RC_OPERAND_VAR) {
        printOperand(out, result, resultIndex(), 0.0f);
    } else {
        out.text("***invalid resultType*** ");
    }
    const uint16_t op = opcode();
    if (op < kRcOperationCount) {
        const RcOperation& operation = rcOperations[op];
        // A record has five argument slots, the most any operation takes.
        constexpr int32_t kArgSlots = 5;
        const int32_t count = operation.argCount < kArgSlots ? operation.argCount : kArgSlots;
        out.formatted("%s ", operation.name);
        for (int32_t i = 0; i < count; ++i) printOperand(out, argType(i), argInt(i), argFloat(i));
    } else {
        out.text("***invalid opcode*** ");  // no table entry, so no argument count either
    }
    out.text("\n");
}

}  // namespace mevlo
