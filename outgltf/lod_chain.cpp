#include "outgltf/lod_chain.h"

#include "convert/tree_walk.h"
#include "lod/control_nodes.h"
#include "lod/node_type.h"
#include "lod/subtree_node.h"

namespace mevlo {

void writeLodChain(JsonWriter& json, const LodNode* head, bool headOpensMesh) {
    json.beginArray();
    int64_t holders = 0;
    const auto flush = [&] {
        if (holders > 0) {
            json.beginObject();
            json.field("type", "Primitives");
            json.field("count", holders);
            json.endObject();
        }
        holders = 0;
    };
    for (const LodNode* node = head; node; node = node->next.get()) {
        const int32_t code = node->type;
        if (code == NODE_PT || code == NODE_CP || code == NODE_LP) {
            ++holders;
            continue;
        }
        flush();
        const bool isHead = node == head;
        if (opensMeshInChain(code) || (isHead && headOpensMesh && isGeometryNodeType(code)) ||
            code == NODE_SWITCH || code == NODE_XSWITCH || code == NODE_SLOT) {
            json.beginObject();
            json.field("type", "Child");
            json.endObject();
            continue;
        }
        json.beginObject();
        switch (code) {
            case NODE_SPLIT: {
                const auto& split = static_cast<const SplitNode&>(*node);
                json.field("type", "Split");
                json.key("plane");
                json.beginArray();
                for (float p : split.plane) json.value(p);
                json.endArray();
                json.key("a");
                writeLodChain(json, split.branchA.get(), false);
                json.key("b");
                writeLodChain(json, split.branchB.get(), false);
                break;
            }
            case NODE_LITSTRING: json.field("type", "LitString"); break;
            case NODE_RCNODE: {
                const auto& rc = static_cast<const RcNode&>(*node);
                json.field("type", "RCNode");
                json.field("rcType", rc.rcType);
                json.key("data");
                json.beginArray();
                for (size_t i = 0; i < 32; i += 4) json.value(loadI32LE(rc.rcData.data() + i));
                json.endArray();
                break;
            }
            case NODE_SPECIALX: {
                const auto& special = static_cast<const SpecialNode&>(*node);
                json.field("type", "SpecialX");
                json.field("special", special.specialType);
                json.key("vertices");
                json.beginArray();
                for (int32_t i = 0; i < special.vertices.count(); ++i) {
                    const Vec3 v = special.vertices[i];
                    json.value(v.x);
                    json.value(v.y);
                    json.value(v.z);
                }
                json.endArray();
                break;
            }
            case NODE_ROOT: json.field("type", "Root"); break;
            default:
                json.field("type", "Unknown");
                json.field("code", code);
                break;
        }
        json.endObject();
    }
    flush();
    json.endArray();
}

}  // namespace mevlo
