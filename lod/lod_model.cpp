#include "lod/lod_model.h"

#include <utility>

#include "lod/control_nodes.h"
#include "lod/lod_node.h"
#include "lod/primitive_nodes.h"
#include "lod/subtree_node.h"
#include "lod/transform_nodes.h"

namespace mevlo {

LodModel::LodModel() = default;

LodModel::~LodModel() { release(); }

int LodModel::loadBytes(const uint8_t* data, size_t size, MessageSink& messages) {
    return loadBytes(std::vector<uint8_t>(data, data + size), messages);
}

int LodModel::loadBytes(std::vector<uint8_t> bytes, MessageSink& messages) {
    return loadInput(InputFile(std::move(bytes)), messages);
}

int LodModel::loadInput(InputFile input, MessageSink& messages) {
    release();
    input_ = std::move(input);
    file = ByteStream(input_.data(), static_cast<int64_t>(input_.size()));
    messages_ = &messages;
    buildFromBytes();
    messages_ = nullptr;
    return 1;
}

void LodModel::buildFromBytes() {
    root.reset();
    nodeTypes = {};
    nextNodeIndex = 0;
    nestingDepth_ = 0;
    dataBase = 0;
    problems = LoadProblems{};
    nodeCount = readInt32(file);
    if (nodeCount < 0) return;  // the table cannot exist: no root
    // Only the entries the file actually holds are read; entries a damaged
    // count claims beyond the end of the file are 0 (no node).
    const int64_t available = file.remaining() / 4;
    const int64_t present = nodeCount < available ? nodeCount : available;
    nodeTypes = Int32Table(file.data() + file.tell(), static_cast<int32_t>(present));
    file.seek(present < nodeCount ? file.size() : file.tell() + 4 * present);
    dataBase = file.tell();
    nextNodeIndex = 0;
    root = createNode(0);
}

int32_t LodModel::nodeTypeAt(int32_t i) const {
    return i >= 0 && i < nodeTypes.count() ? nodeTypes[i] : 0;
}

void LodModel::release() {
    if (root) destroyChain(root);
    arena_.clear();
    nodeTypes = {};
}

NodePtr LodModel::constructNode(int32_t code) {
    switch (code) {
        case NODE_SUBTREE: return NodePtr(arena_.create<SubTreeNode>(*this));
        case NODE_ROOT: return NodePtr(arena_.create<RootNode>(*this));
        case NODE_SLOT: return NodePtr(arena_.create<SlotNode>(*this));
        case NODE_DOF: return NodePtr(arena_.create<DofNode>(*this));
        case NODE_SWITCH: return NodePtr(arena_.create<SwitchNode>(*this));
        case NODE_SPLIT: return NodePtr(arena_.create<SplitNode>(*this));
        case NODE_PT: return NodePtr(arena_.create<PrimNode>(*this));
        case NODE_LP: return NodePtr(arena_.create<DblPolyNode>(*this));
        case NODE_CP: return NodePtr(arena_.create<PolygonNode>(*this));
        case NODE_SPECIALX: return NodePtr(arena_.create<SpecialNode>(*this));
        case NODE_LITSTRING: return NodePtr(arena_.create<LitStringNode>(*this));
        case NODE_TRANSLATOR: return NodePtr(arena_.create<TranslatorNode>(*this));
        case NODE_SCALE: return NodePtr(arena_.create<ScaleNode>(*this));
        case NODE_XDOF: return NodePtr(arena_.create<XDofNode>(*this));
        case NODE_XSWITCH: return NodePtr(arena_.create<XSwitchNode>(*this));
        case NODE_RCNODE: return NodePtr(arena_.create<RcNode>(*this));
        default: return nullptr;
    }
}

// Builds the chain that starts at offset. A record's common head names its
// next sibling, and that sibling (with everything its creation consumes) is
// created before the record's own fields and children are read. So the
// type table is consumed as: every node of the chain in chain order, then
// the children of the last node, ..., then those of the first. This loop
// reproduces that order without recursing along the chain: first the heads,
// front to back, then the records' remaining fields, back to front.
NodePtr LodModel::createNode(int32_t offset) {
    if (offset == -1) return nullptr;
    const int64_t saved = file.tell();

    struct Pending {
        LodNode* node;
        int64_t fieldsPosition;
    };
    std::vector<Pending> pending;
    NodePtr head;
    LodNode* tail = nullptr;
    int32_t current = offset;
    for (;;) {
        if (nextNodeIndex >= nodeCount) break;  // table exhausted: nothing consumed
        const int32_t code = nodeTypeAt(nextNodeIndex);
        ++nextNodeIndex;
        if (code < 0 || code >= kNodeTypeCount) {
            report("Node Table Error:  Type out of range.\n");
            ++problems.typeOutOfRange;
            break;
        }
        if (code == NODE_UNUSED) break;
        if (!file.seek(dataBase + current)) break;
        if (nestingDepth_ > kMaxNestingDepth) {
            report("Node Table Error:  Nesting too deep.\n");
            ++problems.nestingTooDeep;
            break;
        }
        NodePtr node = constructNode(code);
        if (!node) break;
        node->type = code;
        node->recordOffset = current;
        readInt32(file);  // the type word: nodes decode it when asked
        const int32_t nextOffset = readInt32(file);
        LodNode* raw = node.get();
        pending.push_back(Pending{raw, file.tell()});
        if (tail) {
            raw->prev = tail;
            tail->next = std::move(node);
        } else {
            head = std::move(node);
        }
        tail = raw;
        if (nextOffset < 0) break;
        current = nextOffset;
    }

    ++nestingDepth_;
    for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
        file.seek(it->fieldsPosition);
        it->node->readRecord(*this);
    }
    --nestingDepth_;

    file.seek(saved);
    return head;
}

}  // namespace mevlo
