#include "ingltf/gltf_json.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "ingltf/gltf_element.h"
#include "ingltf/json_top_members.h"

namespace mevlo {

namespace {

// The deepest nesting of arrays and objects in the text, counted outside
// strings; stops counting once past limit. Exact for valid JSON, which is
// all that the parser turns into values.
bool nestingWithin(const uint8_t* data, size_t size, int limit) {
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t c = data[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

// nlohmann's messages start with "[json.exception.parse_error.101] ".
std::string withoutExceptionTag(const char* what) {
    std::string message = what;
    if (!message.empty() && message[0] == '[') {
        const size_t end = message.find("] ");
        if (end != std::string::npos) message.erase(0, end + 2);
    }
    return message;
}

// Marks the binary values this layer made (the JSON text cannot make any).
constexpr std::uint64_t kPackedSubtype = 0x4C;

// Builds the document as the library's own parser would, except that each
// object in a packed array goes straight into its compact encoding
// (MessagePack, with 32-bit container headers whose counts are filled in
// at the end), never into the parsed form; and each element of accessors,
// bufferViews and meshes that holds only what glTF defines for it is kept
// as a plain record instead (gltf_element.h). Both are made as the element
// is read, so an element found not to be plain half way needs no second look.
class PackingDomBuilder {
public:
    explicit PackingDomBuilder(nlohmann::json& root) : root_(root) {}

    // Whether parsing stopped at a container nested deeper than
    // kGltfJsonMaxDepth.
    bool tooDeep() const { return tooDeep_; }

    bool null() {
        if (!packing()) return value(nullptr);
        const size_t at = used_;
        element();
        byte(0xC0);
        return recognized(Scalar::Null, 0, nullptr, at);
    }
    bool boolean(bool b) {
        if (!packing()) return value(b);
        const size_t at = used_;
        element();
        byte(b ? 0xC3 : 0xC2);
        return recognized(Scalar::Boolean, b ? 1 : 0, nullptr, at);
    }
    // Each number in the shortest form that reads back as the same kind
    // (signed, unsigned, decimal) and value.
    bool number_integer(nlohmann::json::number_integer_t n) {
        if (!packing()) return value(n);
        const size_t at = used_;
        element();
        if (n >= -32 && n < 0) {
            byte(static_cast<uint8_t>(n));
        } else {
            byte(0xD3);
            big(static_cast<uint64_t>(n), 8);
        }
        return recognized(Scalar::Integer, 0, nullptr, at);
    }
    bool number_unsigned(nlohmann::json::number_unsigned_t n) {
        if (!packing()) return value(n);
        const size_t at = used_;
        element();
        if (n < 0x80) {
            byte(static_cast<uint8_t>(n));
        } else if (n <= 0xFFFFFFFFu) {
            byte(0xCE);
            big(n, 4);
        } else {
            byte(0xCF);
            big(n, 8);
        }
        return recognized(Scalar::Unsigned, n, nullptr, at);
    }
    bool number_float(nlohmann::json::number_float_t f, const std::string&) {
        if (!packing()) return value(f);
        const size_t at = used_;
        element();
        const auto single = static_cast<float>(f);
        if (static_cast<double>(single) == f && !std::isnan(f)) {
            uint32_t bits = 0;
            std::memcpy(&bits, &single, sizeof bits);
            byte(0xCA);
            big(bits, 4);
        } else {
            uint64_t bits = 0;
            std::memcpy(&bits, &f, sizeof bits);
            byte(0xCB);
            big(bits, 8);
        }
        return recognized(Scalar::Float, 0, nullptr, at);
    }
    bool string(std::string& s) {
        if (!packing()) return value(std::move(s));
        const size_t at = used_;
        element();
        text(s);
        return recognized(Scalar::String, 0, &s, at);
    }
    bool binary(nlohmann::json::binary_t& b) { return value(nlohmann::json::binary(std::move(b))); }
    bool start_object(std::size_t) { return start(false); }
    bool key(std::string& k) {
        if (packing()) {
            recognizer_.key(k, depth());
            ++open_.back().count;
            text(k);
            return true;
        }
        if (stack_.size() == 1) topArray_ = gltfPackedArrayOf(k);
        key_ = &(*stack_.back())[k];
        return true;
    }
    bool end_object() { return end(); }
    bool start_array(std::size_t) { return start(true); }
    bool end_array() { return end(); }
    template <class Exception>
    bool parse_error(std::size_t, const std::string&, const Exception& e) {
        throw e;
    }

private:
    struct Open {
        size_t header = 0;
        uint32_t count = 0;
        bool array = false;
    };

    using Scalar = GltfElementRecognizer::Scalar;

    bool packing() const { return !open_.empty(); }
    // A scalar just packed from at on, shown to the recognizer.
    bool recognized(Scalar kind, uint64_t value, const std::string* text, size_t at) {
        recognizer_.scalar(kind, value, text, depth(), at, used_);
        return true;
    }
    // Containers open inside the element being packed.
    size_t depth() const { return open_.size() - 1; }
    // Room for n more bytes (the buffer only grows: it is reused for every
    // element, and written through a pointer, not byte by byte).
    uint8_t* room(size_t n) {
        if (packed_.size() - used_ < n) packed_.resize(std::max(2 * packed_.size(), used_ + n + 256));
        return packed_.data() + used_;
    }
    void byte(uint8_t b) {
        *room(1) = b;
        ++used_;
    }
    void big(uint64_t v, int bytes) {
        uint8_t* at = room(static_cast<size_t>(bytes));
        for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(v >> (8 * (bytes - 1 - i)));
        used_ += static_cast<size_t>(bytes);
    }
    void text(const std::string& s) {
        uint8_t* at = room(s.size() + 5);
        size_t head = 1;
        if (s.size() < 32) {
            at[0] = static_cast<uint8_t>(0xA0 | s.size());
        } else {
            at[0] = 0xDB;
            for (int i = 0; i < 4; ++i) at[1 + i] = static_cast<uint8_t>(s.size() >> (8 * (3 - i)));
            head = 5;
        }
        if (!s.empty()) std::memcpy(at + head, s.data(), s.size());
        used_ += head + s.size();
    }
    // A value inside a packed array counts as one of its elements.
    void element() {
        if (open_.back().array) ++open_.back().count;
    }
    bool start(bool array) {
        // Refused at the first container too deep, before it is made.
        if (stack_.size() + open_.size() >= static_cast<size_t>(kGltfJsonMaxDepth)) {
            tooDeep_ = true;
            return false;
        }
        const bool packs = packing() || (!array && stack_.size() == 2 && stack_.back()->is_array() &&
                                            topArray_ != GltfPackedArray::None);
        if (!packs) {
            stack_.push_back(place(array ? nlohmann::json::array() : nlohmann::json::object()));
            return true;
        }
        if (packing()) {
            recognizer_.start(array, depth(), used_);
            element();
        } else {
            recognizer_.begin(topArray_);
        }
        open_.push_back(Open{used_, 0, array});
        byte(array ? 0xDD : 0xDF);
        big(0, 4);
        return true;
    }
    bool end() {
        if (!packing()) {
            stack_.pop_back();
            return true;
        }
        const Open done = open_.back();
        open_.pop_back();
        for (int i = 0; i < 4; ++i) packed_[done.header + 1 + static_cast<size_t>(i)] = static_cast<uint8_t>(done.count >> (8 * (3 - i)));
        if (packing()) {
            recognizer_.end(depth(), used_);
        } else {
            nlohmann::json plain;
            place(recognizer_.finish(packed_.data(), used_, plain)
                      ? std::move(plain)
                      : nlohmann::json::binary(std::vector<uint8_t>(packed_.data(), packed_.data() + used_),
                                               kPackedSubtype));
            used_ = 0;
        }
        return true;
    }
    // Where a new value goes: the root, the next array element, or the
    // member whose key was just read.
    nlohmann::json* place(nlohmann::json&& v) {
        if (stack_.empty()) {
            root_ = std::move(v);
            return &root_;
        }
        if (stack_.back()->is_array()) {
            auto& elements = stack_.back()->get_ref<nlohmann::json::array_t&>();
            elements.push_back(std::move(v));
            return &elements.back();
        }
        *key_ = std::move(v);
        return key_;
    }
    template <typename T>
    bool value(T&& v) {
        place(nlohmann::json(std::forward<T>(v)));
        return true;
    }

    nlohmann::json& root_;
    std::vector<nlohmann::json*> stack_;
    nlohmann::json* key_ = nullptr;
    GltfPackedArray topArray_ = GltfPackedArray::None;
    // The packed element being written, and its open containers.
    std::vector<uint8_t> packed_;
    size_t used_ = 0;
    std::vector<Open> open_;
    // The element being packed may be kept as a plain record instead.
    GltfElementRecognizer recognizer_;
    bool tooDeep_ = false;
};

}  // namespace

const nlohmann::json& unpackedElement(const nlohmann::json& element, nlohmann::json& scratch) {
    if (!element.is_binary()) return element;
    scratch = nlohmann::json::from_msgpack(element.get_binary());
    return scratch;
}

nlohmann::json packedJson(const nlohmann::json& value) {
    return nlohmann::json::binary(nlohmann::json::to_msgpack(value), kPackedSubtype);
}

nlohmann::json packedBytes(std::vector<uint8_t> bytes) {
    return nlohmann::json::binary(std::move(bytes), kPackedSubtype);
}

namespace {

// An array this large is parsed on a thread of its own.
constexpr size_t kSplitBytes = size_t{1} << 20;

std::string tooDeepMessage() {
    return "malformed JSON: nested deeper than " + std::to_string(kGltfJsonMaxDepth) + " levels";
}

// The text as one document, with the library's message for any fault.
// Text nested too deep is refused as such even where it breaks the rules
// of JSON first: the parser stops at the first container too deep, and on
// any other fault the whole text is counted before the fault is named.
bool parseWhole(const uint8_t* data, size_t size, nlohmann::json& document, std::string& error) {
    try {
        PackingDomBuilder builder(document);
        if (!nlohmann::json::sax_parse(data, data + size, &builder) && builder.tooDeep()) {
            document = nlohmann::json();
            error = tooDeepMessage();
            return false;
        }
    } catch (const nlohmann::json::exception& e) {
        document = nlohmann::json();
        error = nestingWithin(data, size, kGltfJsonMaxDepth) ? "malformed JSON: " + withoutExceptionTag(e.what())
                                                             : tooDeepMessage();
        return false;
    }
    return true;
}

// A large file spends most of its reading in the parser, on one core. Its
// largest top-level array is parsed on a second thread, as the value of a
// one-member object, while the rest of the text, that array replaced by
// [], is parsed here; the array then takes its place. The split is used
// only where it must give what parsing the whole would: the scan found
// every top-level key without escapes (so it saw each as the parser does)
// and this one once (no later member overrides it), and both parts parsed.
// For valid JSON both always parse and the scan is exact; if either part
// fails, the whole is parsed again for the whole's result and message.
// Returns false when the split was not made or not good.
bool parseSplit(const uint8_t* data, size_t size, nlohmann::json& document) {
    if (size < 2 * kSplitBytes || std::thread::hardware_concurrency() < 2) return false;
    std::vector<JsonTopMember> members;
    if (!findJsonTopMembers(data, size, members)) return false;
    const JsonTopMember* largest = nullptr;
    for (const JsonTopMember& m : members) {
        if (gltfPackedArrayOf(m.key) == GltfPackedArray::None) continue;
        if (!largest || m.end - m.begin > largest->end - largest->begin) largest = &m;
    }
    if (!largest || largest->end - largest->begin < kSplitBytes) return false;
    for (const JsonTopMember& m : members)
        if (&m != largest && m.key == largest->key) return false;

    nlohmann::json part;
    bool partParsed = false;
    std::exception_ptr partFailure;
    const std::string key = largest->key;
    const uint8_t* const partBegin = data + largest->begin;
    const uint8_t* const partEnd = data + largest->end;
    std::thread worker;
    try {
        worker = std::thread([&] {
            try {
                PackingDomBuilder builder(part);
                std::string name = key;
                builder.start_object(1);
                builder.key(name);
                // False when nested too deep (its depth is the whole's).
                if (nlohmann::json::sax_parse(partBegin, partEnd, &builder)) {
                    builder.end_object();
                    partParsed = true;
                }
            } catch (const nlohmann::json::exception&) {
                // Parsed whole again below, for the message.
            } catch (...) {
                partFailure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        return false;  // no thread to be had: one will do
    }
    bool restParsed = false;
    std::exception_ptr restFailure;
    try {
        // The rest is copied while the worker already parses.
        std::string rest;
        rest.reserve(size - (partEnd - partBegin) + 2);
        rest.append(reinterpret_cast<const char*>(data), static_cast<size_t>(partBegin - data));
        rest += "[]";
        rest.append(reinterpret_cast<const char*>(partEnd), static_cast<size_t>(data + size - partEnd));
        PackingDomBuilder builder(document);
        restParsed = nlohmann::json::sax_parse(rest.begin(), rest.end(), &builder);
    } catch (const nlohmann::json::exception&) {
    } catch (...) {
        restFailure = std::current_exception();
    }
    worker.join();
    // Out of memory on either side is the whole's fate too.
    if (restFailure) std::rethrow_exception(restFailure);
    if (partFailure) std::rethrow_exception(partFailure);
    if (!restParsed || !partParsed || !document.is_object() || !part.is_object()) {
        document = nlohmann::json();
        return false;
    }
    document[key] = std::move(part[key]);
    return true;
}

}  // namespace

bool parseGltfJson(const uint8_t* data, size_t size, nlohmann::json& document, std::string& error) {
    if (!parseSplit(data, size, document) && !parseWhole(data, size, document, error)) return false;
    if (!document.is_object()) {
        error = "malformed glTF: the JSON is not an object";
        return false;
    }
    return true;
}

std::string shownText(const std::string& text) {
    constexpr size_t kLongest = 100;
    std::string shown = text.size() > kLongest ? text.substr(0, kLongest) + "..." : text;
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return shown;
}

const nlohmann::json* JsonFields::find(const char* key) const {
    if (!object_.is_object()) return nullptr;
    const auto it = object_.find(key);
    return it == object_.end() ? nullptr : &*it;
}

bool JsonFields::fail(const char* key, const char* expected, std::string& error) const {
    error = where(key) + ": " + expected;
    return false;
}

bool JsonFields::index(const char* key, size_t limit, int64_t& out, std::string& error) const {
    const nlohmann::json* value = find(key);
    if (value == nullptr) return true;
    if (!value->is_number_integer()) return fail(key, "not an index", error);
    const bool isUnsigned = value->is_number_unsigned();
    const uint64_t u = isUnsigned ? value->get<uint64_t>() : 0;
    const int64_t i = isUnsigned ? 0 : value->get<int64_t>();
    if ((isUnsigned && u >= limit) || (!isUnsigned && (i < 0 || static_cast<uint64_t>(i) >= limit))) {
        error = where(key) + ": " + value->dump() + " is out of range (" + std::to_string(limit) + " entries)";
        return false;
    }
    out = isUnsigned ? static_cast<int64_t>(u) : i;
    return true;
}

bool JsonFields::count(const char* key, uint64_t& out, std::string& error) const {
    const nlohmann::json* value = find(key);
    if (value == nullptr) return true;
    if (value->is_number_unsigned()) {
        out = value->get<uint64_t>();
        return true;
    }
    if (value->is_number_integer() && value->get<int64_t>() >= 0) {
        out = static_cast<uint64_t>(value->get<int64_t>());
        return true;
    }
    return fail(key, "not a non-negative integer", error);
}

bool JsonFields::integer(const char* key, int64_t& out, std::string& error) const {
    const nlohmann::json* value = find(key);
    if (value == nullptr) return true;
    if (!value->is_number_integer() || (value->is_number_unsigned() && value->get<uint64_t>() > INT64_MAX))
        return fail(key, "not an integer", error);
    out = value->get<int64_t>();
    return true;
}

bool JsonFields::number(const char* key, double& out, std::string& error) const {
    const nlohmann::json* value = find(key);
    if (value == nullptr) return true;
    if (!value->is_number() || !std::isfinite(value->get<double>())) return fail(key, "not a number", error);
    out = value->get<double>();
    return true;
}

bool JsonFields::boolean(const char* key, bool& out, std::string& error) const {
    const nlohmann::json* value = find(key);
    if (value == nullptr) return true;
    if (!value->is_boolean()) return fail(key, "not true or false", error);
    out = value->get<bool>();
    return true;
}

bool JsonFields::string(const char* key, std::string& out, std::string& error) const {
    const nlohmann::json* value = find(key);
    if (value == nullptr) return true;
    if (!value->is_string()) return fail(key, "not a string", error);
    out = value->get_ref<const std::string&>();
    return true;
}

bool JsonFields::numbers(const char* key, double* out, size_t n, std::string& error) const {
    const nlohmann::json* value = find(key);
    if (value == nullptr) return true;
    if (!value->is_array() || value->size() != n) {
        error = where(key) + ": not an array of " + std::to_string(n) + " numbers";
        return false;
    }
    for (size_t i = 0; i < n; ++i) {
        const nlohmann::json& element = (*value)[i];
        if (!element.is_number() || !std::isfinite(element.get<double>())) {
            error = where(key) + ": not an array of " + std::to_string(n) + " finite numbers";
            return false;
        }
        out[i] = element.get<double>();
    }
    return true;
}

bool JsonFields::object(const char* key, const nlohmann::json*& out, std::string& error) const {
    out = find(key);
    if (out != nullptr && !out->is_object()) return fail(key, "not an object", error);
    return true;
}

bool JsonFields::array(const char* key, const nlohmann::json*& out, std::string& error) const {
    out = find(key);
    if (out != nullptr && !out->is_array()) return fail(key, "not an array", error);
    return true;
}

}  // namespace mevlo
