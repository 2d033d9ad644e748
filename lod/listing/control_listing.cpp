// Listing of the control nodes: Switch, XSwitch, Split, SpecialX and RCNode.
#include "lod/control_nodes.h"
#include "lod/listing/fixed_format.h"
#include "lod/listing/indent.h"
#include "lod/listing/listing_output.h"

namespace mevlo {

// Branches list one level deeper than the switch; the separators between
// them stand at the switch's own depth, also next to empty branches.
void SwitchNode::printBranches() const {
    ++indentDepth;
    for (int32_t i = 0; i < branchCount; ++i) {
        if (i > 0) {
            --indentDepth;
            printLine("SWITCHBRANCH\n");
            ++indentDepth;
        }
        if (const LodNode* head = branch(i)) head->print();
    }
    --indentDepth;
}

void SwitchNode::printNode() const {
    printIndent();
    listFormatted("SWITCH ID=%d\n", switchId);
    printBranches();
    printLine("SWITCHEND\n");
}

void XSwitchNode::printNode() const {
    printIndent();
    listFormatted("XSWITCH ID=%d ", switchId);
    if (flags & SWITCH_REVERSE) listText("REVERSE ");
    listText("\n");
    printBranches();
    printLine("XSWITCHEND\n");
}

namespace {

void printSplitBranch(const LodNode* head) {
    ++indentDepth;
    if (head) {
        head->print();
    } else {
        printLine("; empty\n");
    }
    --indentDepth;
}

}  // namespace

void SplitNode::printNode() const {
    printIndent();
    listFormatted("SPLIT; %s,%s,%s,%s\n", Fixed6Text(plane[0]).c_str(), Fixed6Text(plane[1]).c_str(),
                Fixed6Text(plane[2]).c_str(), Fixed6Text(plane[3]).c_str());
    printSplitBranch(branchA.get());
    printLine("SPLITB\n");
    printSplitBranch(branchB.get());
    printLine("SPLITEND\n");
}

void SpecialNode::printNode() const {
    static const char* const kSpecialNames[] = {"normal", "billboard", "tree"};
    printIndent();
    if (specialType >= SPECIAL_NORMAL && specialType <= SPECIAL_TREE) {
        listFormatted("Special %s\n", kSpecialNames[specialType]);
    } else {
        listFormatted("Special %d\n", specialType);  // a type without a name shows its number
    }
    ++indentDepth;
    if (firstChild) firstChild->print();
    --indentDepth;
    printLine("SPECIALEND\n");
}

namespace {

// One DOFMATH operand: a DOF or variable number, or a float constant.
void printOperand(int8_t kind, int32_t asInt, float asFloat) {
    if (kind == RC_OPERAND_DOF) {
        listFormatted("dof%d ", asInt);
    } else if (kind == RC_OPERAND_VAR) {
        listFormatted("var%d ", asInt);
    } else {
        listFormatted("%s ", Fixed6Text(asFloat).c_str());
    }
}

}  // namespace

// An RCNode of an unknown kind prints only its indentation, and whatever
// is listed next continues that line.
void RcNode::printNode() const {
    printIndent();
    if (rcType == RC_ZBIAS) {
        listFormatted("ZBIAS %s\n", Fixed6Text(argFloat(1)).c_str());
        return;
    }
    if (rcType != RC_DOFMATH) return;

    listText("DOFMATH ");
    const int8_t result = resultType();
    if (result == RC_OPERAND_DOF || result == RC_OPERAND_VAR) {
        printOperand(result, resultIndex(), 0.0f);
    } else {
        listText("***invalid resultType*** ");
    }
    const uint16_t op = opcode();
    if (op < kRcOperationCount) {
        const RcOperation& operation = rcOperations[op];
        // A record has five argument slots, the most any operation takes.
        constexpr int32_t kArgSlots = 5;
        const int32_t count = operation.argCount < kArgSlots ? operation.argCount : kArgSlots;
        listFormatted("%s ", operation.name);
        for (int32_t i = 0; i < count; ++i) printOperand(argType(i), argInt(i), argFloat(i));
    } else {
        listText("***invalid opcode*** ");  // no table entry, so no argument count either
    }
    listText("\n");
}

}  // namespace mevlo
