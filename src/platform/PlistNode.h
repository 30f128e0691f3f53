// Owner of a libplist node tree, with the byte conversions the archive and defaults code share.
// Internal to the platform layer.
#pragma once

#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/AtomicFileWriter.h"
#include "platform/PlistValue.h"

namespace vornex {

class PlistNode {
   public:
    PlistNode() = default;
    explicit PlistNode(plist_t node) : node_(node) {}
    ~PlistNode() {
        if (node_) plist_free(node_);
    }
    PlistNode(const PlistNode&) = delete;
    PlistNode& operator=(const PlistNode&) = delete;
    PlistNode(PlistNode&& o) noexcept : node_(o.release()) {}

    plist_t get() const { return node_; }
    plist_t release() {
        plist_t n = node_;
        node_ = nullptr;
        return n;
    }
    explicit operator bool() const { return node_ != nullptr; }

    // Binary ("bplist00") or XML form of the tree.
    Bytes toBinary() const;
    Bytes toXml() const;
    // Parses binary or XML bytes; an empty node when they are neither, or when reading them
    // would nest too deeply or expand past expansionBudget.
    static PlistNode parse(const Bytes& bytes, std::string& error);
    // The checks parse makes of a binary list before reading it (frame, object lengths, zero
    // characters, nesting, sharing); false with the reason otherwise.
    static bool checkBinary(const Bytes& bytes, std::string& error);

    // Most a file of `inputSize` bytes may expand to, counting one for every value and one for
    // every byte of its strings, data and keys. A binary list references shared objects, a
    // keyed archive shared entries of its object table; a file without such sharing stays
    // below its own size, so the margin is for legitimate sharing of keys and scalars, and
    // what a few hundred crafted bytes could expand to is refused at once.
    static std::uint64_t expansionBudget(std::size_t inputSize) {
        return 32 * static_cast<std::uint64_t>(inputSize) + 4096;
    }

    // Contents of one node of a parsed tree: the string (empty for other types), the data
    // (empty for other types), and booleans, integers, reals, strings and data as values (a
    // null value for containers, UIDs and dates).
    // Elements of an array node in order (empty for other types). libplist finds an element
    // by index in time linear in the index; walking with its iterator is linear overall.
    static std::vector<plist_t> itemsOf(plist_t array);
    // Calls f(key, value) for the entries of a dictionary node in order, until f returns false.
    template <typename F>
    static void forEachEntry(plist_t dict, F f) {
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(dict, &it);
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(dict, it, &key, &value);
            if (!key) break;
            std::string k = key;
            std::free(key);
            if (!f(std::move(k), value)) break;
        }
        std::free(it);
    }
    static std::string stringOf(plist_t node);
    static Bytes dataOf(plist_t node);
    static PlistValue scalarOf(plist_t node);

   private:
    plist_t node_ = nullptr;
};

}  // namespace vornex
