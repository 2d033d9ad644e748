// The text listing of node trees: keywords, number formats, indentation and
// the resolved vectors of primitives, byte for byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lod/control_nodes.h"
#include "lod/listing/listing_writer.h"
#include "lod/lod_model.h"
#include "lod/lod_node.h"
#include "lod/node_type.h"
#include "lod/transform_nodes.h"
#include "lod_builder.h"
#include "test_support.h"

namespace {

using namespace lodtest;

// Loads the file (its loading messages are not part of the result) and
// returns the listing of the whole tree.
std::string listingOf(const std::vector<uint8_t>& bytes) {
    const Loaded loaded = load(bytes);
    return lodtest::listingOf(loaded.root());
}

std::string listingOf(const Node& top) { return listingOf(buildLod(top).bytes); }

// The frame a Root with script 0 and no textures puts around its children,
// which list at the Root's own depth.
std::string inRoot(const std::string& body) { return ";BEGIN ROOT\nSCRIPT 0\n\n\n" + body + ";END ROOT\n"; }

std::string listingUnderRoot(Chain children) { return listingOf(root({}, std::move(children))); }

std::array<uint8_t, 32> dofMathData(uint16_t opcode, int8_t resultType, int32_t resultIndex,
                                    std::vector<int8_t> argTypes, std::vector<int32_t> argWords) {
    std::array<uint8_t, 32> data{};
    mevlo::storeU16LE(data.data(), opcode);
    for (size_t i = 0; i < argTypes.size() && i < 5; ++i) data[2 + i] = static_cast<uint8_t>(argTypes[i]);
    data[7] = static_cast<uint8_t>(resultType);
    mevlo::storeU32LE(data.data() + 8, static_cast<uint32_t>(resultIndex));
    for (size_t i = 0; i < argWords.size() && i < 5; ++i) {
        mevlo::storeU32LE(data.data() + 12 + 4 * i, static_cast<uint32_t>(argWords[i]));
    }
    return data;
}

Node labelled(Node n, const char* label) {
    n.label = label;
    return n;
}

// --- containers and indentation --------------------------------------------

TEST(Listing, RootPrintsScriptTexturesTwoEmptyLinesAndChildrenAtItsOwnDepth) {
    Node r = root({}, {subTree()});
    r.script = 7;
    EXPECT_EQ(listingOf(r), ";BEGIN ROOT\nSCRIPT 7\n\n\nSUBTREE\nSUBTREEEND\n;END ROOT\n");

    r.textures = {4, -2};
    EXPECT_EQ(listingOf(r), ";BEGIN ROOT\nSCRIPT 7\nTEXTURE 4\nTEXTURE -2\n\n\nSUBTREE\nSUBTREEEND\n;END ROOT\n");
}

TEST(Listing, ChildrenIndentOneLevelPerContainerAndDepthIsRestoredForSiblings) {
    const Node tree = dof(kIdentity, {}, {}, {subTree({}, {subTree()}), slot(1)});
    const std::string once = listingUnderRoot({tree, subTree()});
    EXPECT_EQ(once,
              inRoot("DOF ID=0 HINGE=0.000000 0.000000 0.000000 1.000000 0.000000 0.000000\n"
                     "  SUBTREE\n"
                     "    SUBTREE\n"
                     "    SUBTREEEND\n"
                     "  SUBTREEEND\n"
                     "  SLOT ID=1 POS=0.000000,0.000000,0.000000 MATRIX=1.000000,0.000000,0.000000, "
                     "0.000000,1.000000,0.000000, 0.000000,0.000000,1.000000\n"
                     "DOFEND\n"
                     "SUBTREE\n"
                     "SUBTREEEND\n"));
    // The listing ends at the depth it began: a second one in the same
    // writer starts at the margin again.
    const Loaded loaded = load(buildLod(root({}, {tree, subTree()})).bytes);
    std::string twice;
    {
        mevlo::ListingWriter listing([&twice](const char* text, size_t size) { twice.append(text, size); });
        loaded.root()->print(listing);
        loaded.root()->print(listing);
    }
    EXPECT_EQ(twice, once + once);
}

TEST(Listing, LitStringPrintsNothingAndItsChainGoesOn) {
    EXPECT_EQ(listingUnderRoot({litString(), subTree(), litString()}), inRoot("SUBTREE\nSUBTREEEND\n"));
}

// --- transforms --------------------------------------------------------------

TEST(Listing, DofHingeIsTranslationThenFirstColumnPlusTranslation) {
    EXPECT_EQ(listingUnderRoot({dof(kIdentity, {10, 0, 0})}),
              inRoot("DOF ID=0 HINGE=10.000000 0.000000 0.000000 11.000000 0.000000 0.000000\nDOFEND\n"));

    // e0, e3, e6 (the first column) are the ones added; summed in float.
    Node d = dof({0.5f, 9, 9, 0.25f, 9, 9, -2, 9, 9}, {1e8f, 1, 2});
    d.dofId = -4;
    EXPECT_EQ(listingUnderRoot({d}),
              inRoot("DOF ID=-4 HINGE=100000000.000000 1.000000 2.000000 100000000.000000 1.250000 0.000000\n"
                     "DOFEND\n"));
}

TEST(Listing, TranslatorLimitWordsFollowTheFlags) {
    struct Case {
        int32_t flags;
        float multiplier;
        const char* limitWords;
    };
    const Case cases[] = {
        {mevlo::DOF_SUBRANGE, 1.0f, "SUBRANGE MIN=0.000000 MAX=90.000000 "},
        {mevlo::DOF_CLAMP | mevlo::DOF_SUBRANGE, 1.0f, "CLAMP SUBRANGE MIN=0.000000 MAX=90.000000 "},
        {mevlo::DOF_CLAMP, 1.0f, "CLAMP MIN=0.000000 MAX=90.000000 "},
        {0, 1.0f, ""},
        {mevlo::DOF_REVERSE | mevlo::DOF_CLAMP | mevlo::DOF_SUBRANGE, 1.0f,
         "REVERSE CLAMP SUBRANGE MIN=0.000000 MAX=90.000000 "},
        {mevlo::DOF_REVERSE | 0x7FFFFFF8, 1.0f, "REVERSE "},  // other bits show nothing
        {0, 2.0f, "MULTIPLIER=2.000000 "},
        {0, -0.0f, "MULTIPLIER=-0.000000 "},
        {mevlo::DOF_CLAMP, 0.5f, "CLAMP MIN=0.000000 MAX=90.000000 MULTIPLIER=0.500000 "},
    };
    for (const Case& c : cases) {
        Node t = translator({0, 1, 0});
        t.dofId = 3;
        t.minimum = 0.0f;
        t.maximum = 90.0f;
        t.flags = c.flags;
        t.multiplier = c.multiplier;
        EXPECT_EQ(listingUnderRoot({t}),
                  inRoot(std::string("TRANS ID=3 VECTOR=0.000000,1.000000,0.000000 ") + c.limitWords + "\nTRANSEND\n"))
            << "flags " << c.flags;
    }
}

TEST(Listing, ScaleShowsItsVectorAndLimitWords) {
    Node s = scale({2, 2, 0.5f}, {}, {subTree()});
    s.opaqueVector = {7, 7, 7};
    s.flags = mevlo::DOF_REVERSE;
    EXPECT_EQ(listingUnderRoot({s}), inRoot("SCALE ID=0 VECTOR=2.000000,2.000000,0.500000 REVERSE \n"
                                            "  SUBTREE\n  SUBTREEEND\n"
                                            "SCALEEND\n"));
}

TEST(Listing, XDofOpensLikeADofWithLimitWordsAndItsOwnEndLine) {
    Node x = xdof(kIdentity, {0, 0, 1}, {}, {subTree()});
    x.dofId = 9;
    x.flags = mevlo::DOF_CLAMP;
    x.minimum = -1.0f;
    x.maximum = 1.0f;
    // The reader's own bit 31 on XDOF flags shows nothing.
    EXPECT_EQ(listingUnderRoot({x}),
              inRoot("DOF ID=9 HINGE=0.000000 0.000000 1.000000 1.000000 0.000000 1.000000 CLAMP MIN=-1.000000 "
                     "MAX=1.000000 \n"
                     "  SUBTREE\n  SUBTREEEND\n"
                     "XDOFEND\n"));
}

TEST(Listing, SlotMatrixPrintsColumnByColumn) {
    EXPECT_EQ(listingUnderRoot({slot(5, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {-1, 0.5f, 2})}),
              inRoot("SLOT ID=5 POS=-1.000000,0.500000,2.000000 MATRIX=1.000000,4.000000,7.000000, "
                     "2.000000,5.000000,8.000000, 3.000000,6.000000,9.000000\n"));
}

// --- control nodes -------------------------------------------------------------

TEST(Listing, SwitchBranchesListDeeperWithSeparatorsAlsoNextToAbsentBranches) {
    EXPECT_EQ(listingUnderRoot({switchNode({{subTree()}, {}, {slot(2), subTree()}}, 4)}),
              inRoot("SWITCH ID=4\n"
                     "  SUBTREE\n  SUBTREEEND\n"
                     "SWITCHBRANCH\n"
                     "SWITCHBRANCH\n"
                     "  SLOT ID=2 POS=0.000000,0.000000,0.000000 MATRIX=1.000000,0.000000,0.000000, "
                     "0.000000,1.000000,0.000000, 0.000000,0.000000,1.000000\n"
                     "  SUBTREE\n  SUBTREEEND\n"
                     "SWITCHEND\n"));
    EXPECT_EQ(listingUnderRoot({switchNode({})}), inRoot("SWITCH ID=0\nSWITCHEND\n"));
}

TEST(Listing, XSwitchShowsReverseAndKeepsItsTrailingSpace) {
    EXPECT_EQ(listingUnderRoot({xswitch({{subTree()}}, mevlo::SWITCH_REVERSE | 0x10, 8)}),
              inRoot("XSWITCH ID=8 REVERSE \n  SUBTREE\n  SUBTREEEND\nXSWITCHEND\n"));
    EXPECT_EQ(listingUnderRoot({xswitch({}, 0x2, -1)}), inRoot("XSWITCH ID=-1 \nXSWITCHEND\n"));
}

TEST(Listing, SwitchWithMoreThanTheHeldBranchesListsFifty) {
    const std::vector<Chain> branches(60);
    const std::string listing = listingUnderRoot({switchNode(branches)});
    std::string expected = "SWITCH ID=0\n";
    for (int i = 1; i < mevlo::kMaxSwitchBranches; ++i) expected += "SWITCHBRANCH\n";
    EXPECT_EQ(listing, inRoot(expected + "SWITCHEND\n"));
}

TEST(Listing, SplitShowsEmptyMarkersForAbsentBranches) {
    EXPECT_EQ(listingUnderRoot({split({}, {}, {1, 0, 0, -2.5f})}),
              inRoot("SPLIT; 1.000000,0.000000,0.000000,-2.500000\n  ; empty\nSPLITB\n  ; empty\nSPLITEND\n"));
    EXPECT_EQ(listingUnderRoot({split({}, {subTree()})}),
              inRoot("SPLIT; 0.000000,0.000000,0.000000,0.000000\n  ; empty\nSPLITB\n  SUBTREE\n  SUBTREEEND\n"
                     "SPLITEND\n"));
}

TEST(Listing, SpecialNamesItsTypeOrShowsAnUnnamedNumber) {
    EXPECT_EQ(listingUnderRoot({special(mevlo::SPECIAL_BILLBOARD, {}, {subTree()})}),
              inRoot("Special billboard\n  SUBTREE\n  SUBTREEEND\nSPECIALEND\n"));
    EXPECT_EQ(listingUnderRoot({special(0), special(2), special(3), special(-1)}),
              inRoot("Special normal\nSPECIALEND\nSpecial tree\nSPECIALEND\n"
                     "Special 3\nSPECIALEND\nSpecial -1\nSPECIALEND\n"));
}

TEST(Listing, DofMathShowsResultOperationAndOperands) {
    const int32_t three = 3;
    const int32_t twoAndAHalf = floatWord(2.5f);
    EXPECT_EQ(listingUnderRoot({rcNode(mevlo::RC_DOFMATH, dofMathData(1, 1, 7, {1, 0}, {three, twoAndAHalf}))}),
              inRoot("DOFMATH dof7 Add dof3 2.500000 \n"));
    EXPECT_EQ(listingUnderRoot({rcNode(mevlo::RC_DOFMATH, dofMathData(1, 2, 7, {2, 5}, {three, twoAndAHalf}))}),
              inRoot("DOFMATH var7 Add var3 2.500000 \n"));
    EXPECT_EQ(listingUnderRoot({rcNode(mevlo::RC_DOFMATH, dofMathData(0, 0, 7, {1}, {three}))}),
              inRoot("DOFMATH ***invalid resultType*** Set dof3 \n"));
    // Print takes all five slots.
    EXPECT_EQ(listingUnderRoot(
                  {rcNode(mevlo::RC_DOFMATH, dofMathData(25, -1, 0, {1, 2, 0, 1, 2}, {1, 2, floatWord(-1), 4, 5}))}),
              inRoot("DOFMATH ***invalid resultType*** Print dof1 var2 -1.000000 dof4 var5 \n"));
}

TEST(Listing, DofMathWithAnOpcodeOutsideTheTableShowsNoOperands) {
    EXPECT_EQ(listingUnderRoot({rcNode(mevlo::RC_DOFMATH, dofMathData(26, 1, 2, {1, 1}, {3, 4}))}),
              inRoot("DOFMATH dof2 ***invalid opcode*** \n"));
    EXPECT_EQ(listingUnderRoot({rcNode(mevlo::RC_DOFMATH, dofMathData(0xFFFF, 2, 2, {}, {}))}),
              inRoot("DOFMATH var2 ***invalid opcode*** \n"));
}

TEST(Listing, ZBiasShowsArgumentSlotOne) {
    EXPECT_EQ(listingUnderRoot({rcNode(mevlo::RC_ZBIAS, dofMathData(3, 1, 1, {1, 1}, {7, floatWord(0.125f)}))}),
              inRoot("ZBIAS 0.125000\n"));
}

TEST(Listing, RcNodeOfUnknownKindLeavesItsIndentationOnTheLine) {
    EXPECT_EQ(listingUnderRoot({subTree({}, {rcNode(0), subTree()}), rcNode(3)}),
              inRoot("SUBTREE\n    SUBTREE\n  SUBTREEEND\nSUBTREEEND\n"));
}

// --- primitives --------------------------------------------------------------

Prim pointPrim() {
    Prim p = prim(0, {0, 1});
    p.color = 9;
    return p;
}

const std::vector<Vec3> kTwoVertices = {{1, 2, 3}, {4, 5, 6}};

TEST(Listing, PointLineShowsResolvedVectorsAndColour) {
    EXPECT_EQ(listingUnderRoot({subTree(kTwoVertices, {pt(pointPrim())})}),
              inRoot("SUBTREE\n"
                     "  POINT  VECTORS=(1.000000, 2.000000, 3.000000) (4.000000, 5.000000, 6.000000)  COLOR=9 \n"
                     "SUBTREEEND\n"));
}

TEST(Listing, PrimitiveUnderADofShowsTransformedVectors) {
    EXPECT_EQ(listingUnderRoot({dof(kIdentity, {10, 0, 0}, kTwoVertices, {pt(pointPrim())})}),
              inRoot("DOF ID=0 HINGE=10.000000 0.000000 0.000000 11.000000 0.000000 0.000000\n"
                     "  POINT  VECTORS=(11.000000, 2.000000, 3.000000) (14.000000, 5.000000, 6.000000)  COLOR=9 \n"
                     "DOFEND\n"));
}

TEST(Listing, UnresolvableIndexRepeatsTheLastVectorOfTheCall) {
    // Index 2 is past the table: the buffer keeps what the last lookup
    // fetched, and a new primitive starts again from zeros.
    Prim line = prim(1, {2, 0, 2, -1});
    line.color = 1;
    Prim polygon = prim(3, {2, 1});
    polygon.normal = 5;
    polygon.color = 2;
    Node geometry = subTree(kTwoVertices, {pt(line), pt(polygon)});
    geometry.normals = {{0, 0, 1}};
    EXPECT_EQ(listingUnderRoot({geometry}),
              inRoot("SUBTREE\n"
                     "  LINE  VECTORS=(0.000000, 0.000000, 0.000000) (1.000000, 2.000000, 3.000000) "
                     "(1.000000, 2.000000, 3.000000) (1.000000, 2.000000, 3.000000)  COLOR=1 \n"
                     "  PRIM  VECTORS=(0.000000, 0.000000, 0.000000) (4.000000, 5.000000, 6.000000)  COLOR=2  "
                     "NORMAL=(4.000000, 5.000000, 6.000000) \n"
                     "SUBTREEEND\n"));
}

TEST(Listing, PrimitiveInASwitchBranchHasNoOwnerAndShowsZeros) {
    Prim p = prim(5, {0, 1});
    EXPECT_EQ(listingUnderRoot({subTree(kTwoVertices, {switchNode({{pt(p)}})})}),
              inRoot("SUBTREE\n"
                     "  SWITCH ID=0\n"
                     "    PRIM  VECTORS=(0.000000, 0.000000, 0.000000) (0.000000, 0.000000, 0.000000)  "
                     "COLORS=10 11  NORMALS=(0.000000, 0.000000, 0.000000) (0.000000, 0.000000, 0.000000) \n"
                     "  SWITCHEND\n"
                     "SUBTREEEND\n"));
}

TEST(Listing, PolygonAndDoublePolygonLinesHoldTheIndentation) {
    Prim a = prim(2, {0});
    a.color = 3;
    Prim b = prim(2, {1});
    b.color = 4;
    EXPECT_EQ(listingUnderRoot({subTree(kTwoVertices, {subTree({}, {cp(a)}), lp(a, b)})}),
              inRoot("SUBTREE\n"
                     "  SUBTREE\n"
                     "    POLYGON  VECTORS=(0.000000, 0.000000, 0.000000)  COLOR=3     \n"
                     "  SUBTREEEND\n"
                     "  DBLPOLY SIDEA= VECTORS=(1.000000, 2.000000, 3.000000)  COLOR=3    SIDEB= "
                     "VECTORS=(4.000000, 5.000000, 6.000000)  COLOR=4   \n"
                     "SUBTREEEND\n"));
}

TEST(Listing, PerVertexColoursAndNormalsAndSingleNormal) {
    Node geometry = subTree(kTwoVertices, {pt(prim(5, {1, 0})), pt(prim(3, {0}))});
    geometry.normals = {{0, 0, 1}, {0, 1, 0}};
    geometry.children[1].prim.color = 6;
    geometry.children[1].prim.normal = 1;
    EXPECT_EQ(listingUnderRoot({geometry}),
              inRoot("SUBTREE\n"
                     "  PRIM  VECTORS=(4.000000, 5.000000, 6.000000) (1.000000, 2.000000, 3.000000)  COLORS=10 11 "
                     " NORMALS=(0.000000, 0.000000, 1.000000) (0.000000, 1.000000, 0.000000) \n"
                     "  PRIM  VECTORS=(1.000000, 2.000000, 3.000000)  COLOR=6  NORMAL=(0.000000, 1.000000, 0.000000) \n"
                     "SUBTREEEND\n"));
}

TEST(Listing, TexturePartEndsWithClipOrTexAlphaByType) {
    struct Case {
        int32_t type;
        const char* tail;
    };
    // Types 6 and 18 list coordinates alone, 10 and 22 end with CLIP, 26 with TEXALPHA.
    const Case cases[] = {
        {6, " COLOR=0  TEXTURE=12 0.000000,1.000000 0.250000,0.750000 "},
        {18, " COLOR=0  ALPHA  TEXTURE=12 0.000000,1.000000 0.250000,0.750000 "},
        {10, " COLOR=0  TEXTURE=12 0.000000,1.000000 0.250000,0.750000  CLIP "},
        {22, " COLOR=0  ALPHA  TEXTURE=12 0.000000,1.000000 0.250000,0.750000  CLIP "},
        {26, " COLOR=0  TEXTURE=12 0.000000,1.000000 0.250000,0.750000  TEXALPHA "},
        {14, " COLOR=0  ALPHA "},
    };
    for (const Case& c : cases) {
        Prim p = prim(c.type, {0, 1});
        p.textureId = 12;
        EXPECT_EQ(listingUnderRoot({subTree(kTwoVertices, {cp(p)})}),
                  inRoot(std::string("SUBTREE\n  POLYGON  VECTORS=(1.000000, 2.000000, 3.000000) "
                                     "(4.000000, 5.000000, 6.000000) ") +
                         c.tail + "  \nSUBTREEEND\n"))
            << "type " << c.type;
    }
}

TEST(Listing, UnknownPrimitiveTypeShowsFubarAndTheLineEndsEmpty) {
    BuiltLod built = buildLod(root({}, {labelled(pt(prim(0, {0})), "p")}));
    const int32_t record = built.int32At(built.offsetOf("p") + 8);
    built.setInt32(record, 27);
    EXPECT_EQ(listingOf(built.bytes), inRoot("PRIM ; FUBAR!\n\n"));
}

TEST(Listing, MissingPrimitiveRecordsLeaveTheirPartOfTheLineEmpty) {
    Prim p = prim(0, {0});
    BuiltLod built = buildLod(root({}, {labelled(pt(p), "pt"), labelled(cp(p), "cp"), labelled(lp(p, p), "lp")}));
    // Offsets that point before the start of the file: no record can be read.
    built.setField("pt", 8, -1000000);
    built.setField("cp", 8, -1000000);
    built.setField("lp", 12, -1000000);
    EXPECT_EQ(listingOf(built.bytes),
              inRoot("PRIM \n"
                     "POLYGON \n"
                     "DBLPOLY SIDEA= VECTORS=(0.000000, 0.000000, 0.000000)  COLOR=0  SIDEB=\n"));
}

TEST(Listing, AbsentBlocksListNoEntriesButKeepTheirKeywords) {
    Prim p = prim(9, {0, 1});
    p.textureId = 2;
    BuiltLod built = buildLod(root({}, {subTree(kTwoVertices, {labelled(cp(p), "cp")})}));
    const int32_t record = built.int32At(built.offsetOf("cp") + 8);
    // A damaged count: only the blocks' absence keeps the listing short.
    built.setInt32(record + 4, 0x7FFFFFFF);
    EXPECT_EQ(listingOf(built.bytes),
              inRoot("SUBTREE\n  POLYGON  VECTORS= COLORS= NORMALS= TEXTURE=2   \nSUBTREEEND\n"));
}

// --- a whole model against a reviewed listing ----------------------------------

Node moderateModel() {
    const std::vector<Vec3> hull = {{0, 0, 0}, {4, 0, 0}, {4, 2, 0}, {0, 2, 0.5f}};
    Prim base = prim(5, {0, 1, 2, 3});
    Prim label = prim(26, {3, 2});
    label.textureId = 7;
    Prim rim = prim(3, {0, 2});
    rim.color = 14;
    rim.normal = 1;
    Prim spot = prim(0, {1, 9});  // index 9 is past the table
    spot.color = 2;

    Node body = subTree(hull, {cp(base), pt(spot)});
    body.normals = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1}};

    Node arm = dof({0, -1, 0, 1, 0, 0, 0, 0, 1}, {1, 0, 0}, {{1, 0, 0}, {0, 1, 0}, {2, 3, 4}}, {lp(rim, rim)});
    arm.dofId = 12;
    arm.normals = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    Node lift = translator({0, 0, 1}, {}, {arm});
    lift.dofId = 2;
    lift.flags = mevlo::DOF_CLAMP;
    lift.maximum = 3.5f;

    std::array<uint8_t, 32> math = dofMathData(3, 1, 12, {1, 0}, {2, floatWord(0.5f)});

    Node model = root({}, {body, lift, rcNode(mevlo::RC_DOFMATH, math),
                           switchNode({{subTree(hull, {cp(label)})}, {}, {slot(1, kIdentity, {1, 2, 3})}}, 3),
                           split({special(mevlo::SPECIAL_TREE, hull, {pt(spot)})}, {}, {0, 0, 1, 0}), litString(),
                           xdof(kIdentity, {0, 0, 2}, {}, {scale({1, 1, 2})})});
    model.script = 1;
    model.textures = {100, 101};
    return model;
}

TEST(Listing, ModerateModelMatchesItsReviewedListing) {
    const std::string path = std::string(MEVLO_SOURCE_DIR) + "/tests/data/listing_moderate_model.txt";
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << path;
    std::stringstream expected;
    expected << file.rdbuf();
    EXPECT_EQ(listingOf(moderateModel()), expected.str());
}

}  // namespace
