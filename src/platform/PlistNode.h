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

    plist_t get() const { return node_; }
    explicit operator bool() const { return node_ != nullptr; }

    // Deepest nesting of arrays and dictionaries the readers accept. libplist reads nested
    // containers by recursion and runs out of stack on a file nested some ten thousand levels
    // deep.
    static constexpr int kMaxNesting = 512;

    // Binary ("bplist00") or XML form of the tree.
    Bytes toBinary() const;
    Bytes toXml() const;
    // Parses binary or XML bytes; an empty node when they are neither, or when reading them
    // would nest too deeply, expand past expansionBudget or run out of memory. Given
    // `notKept`, the list is to be read into values: a binary one holding sets or dates is
    // refused, and *notKept set to say so.
    static PlistNode parse(const Bytes& bytes, std::string& error, bool* notKept = nullptr);
    // The checks parse makes of a binary list before reading it (frame, markers, object
    // lengths, text, nesting), but for sharing, which a reader in place measures itself;
    // false with the reason otherwise.
    static bool checkBinary(const Bytes& bytes, std::string& error);

    // Most bytes of memory that what a file of `inputSize` bytes decodes to may take: 64 for
    // each byte of the file, plus 8 MiB. A document takes about 6 times its size once read
    // (the keys and numbers its cases share are copied into each case); an archive or list
    // that fans out through shared objects beyond the budget is refused before any of it is
    // decoded, so that a few megabytes cannot take gigabytes.
    static std::uint64_t expansionBudget(std::size_t inputSize) {
        return 64 * static_cast<std::uint64_t>(inputSize) + (std::uint64_t{8} << 20);
    }
    // What libplist's reader allocates for one value (the node, its data, its links), beyond
    // the bytes of a string or data; measured at 96 to 113.
    static constexpr std::uint64_t kNodeBytes = 128;

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
