// A large glTF's JSON is parsed in two parts on two threads: what comes of
// it must be what parsing the whole gives, document or message alike.
#include <gtest/gtest.h>

#include <string>

#include "ingltf/gltf_json.h"

using namespace mevlo;

namespace {

// A document whose accessors array passes the size that splits the parse.
std::string largeGltf(const std::string& accessorsKey = "accessors", const std::string& tail = "") {
    std::string text = R"({"asset":{"version":"2.0"},")" + accessorsKey + R"(":[)";
    for (int i = 0; i < 40000; ++i) {
        if (i > 0) text += ',';
        text += R"({"bufferView":0,"byteOffset":)" + std::to_string(4 * i) +
                R"(,"componentType":5123,"count":3,"type":"SCALAR","name":"a \"]}\\ )" + std::to_string(i) + R"("})";
    }
    return text + "]" + tail + R"(,"buffers":[{"byteLength":4}]})";
}

bool parse(const std::string& text, nlohmann::json& document, std::string& error) {
    return parseGltfJson(reinterpret_cast<const uint8_t*>(text.data()), text.size(), document, error);
}

}  // namespace

TEST(GltfJsonSplit, ALargeDocumentParsesAsItsWholeWould) {
    nlohmann::json split, whole;
    std::string error;
    ASSERT_TRUE(parse(largeGltf(), split, error)) << error;
    // An escaped key keeps the parse whole and names the same member.
    ASSERT_TRUE(parse(largeGltf("\\u0061ccessors"), whole, error)) << error;
    EXPECT_EQ(split, whole);
    ASSERT_EQ(split["accessors"].size(), 40000u);

    // A later member of the same name wins, as it does in a whole parse.
    ASSERT_TRUE(parse(largeGltf("accessors", R"(,"accessors":[])"), split, error)) << error;
    EXPECT_TRUE(split["accessors"].empty());
    ASSERT_TRUE(parse(largeGltf("accessors", R"(,"\u0061ccessors":[])"), split, error)) << error;
    EXPECT_TRUE(split["accessors"].empty());
}

TEST(GltfJsonSplit, AFaultInEitherPartIsReportedWhereTheWholeHasIt) {
    for (const double where : {0.2, 0.99}) {
        std::string text = largeGltf();
        const size_t at = static_cast<size_t>(where * static_cast<double>(text.size()));
        text.insert(at, "@");
        std::string expected;
        try {
            const nlohmann::json parsed = nlohmann::json::parse(text);
            ADD_FAILURE() << "parsed: " << parsed.size();
        } catch (const nlohmann::json::parse_error& e) {
            expected = e.what();
            expected = "malformed JSON: " + expected.substr(expected.find("] ") + 2);
        }
        ASSERT_FALSE(expected.empty());
        nlohmann::json document;
        std::string error;
        EXPECT_FALSE(parse(text, document, error));
        EXPECT_EQ(error, expected) << "fault at " << at;
    }
}
