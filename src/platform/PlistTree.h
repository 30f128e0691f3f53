// Read-only view of a parsed property list, node by node: either a libplist tree, or the bytes
// of a binary list read in place (no node is copied or allocated, so a document of millions
// of values opens in the memory of its values). Internal to the platform layer.
#pragma once

#include <plist/plist.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/AtomicFileWriter.h"
#include "platform/PlistValue.h"

namespace vornex {

class PlistTree {
   public:
    // A node of the tree; 0 for none.
    using Node = std::uintptr_t;
    enum class Type { None, Bool, Integer, Real, String, Data, Uid, Array, Dictionary, Other };

    virtual ~PlistTree() = default;

    virtual Node root() const = 0;
    virtual Type type(Node n) const = 0;
    // Entries of a dictionary, elements of an array; 0 for other nodes.
    virtual std::uint64_t size(Node n) const = 0;
    // The value of a key of a dictionary; 0 when absent or not a dictionary.
    virtual Node get(Node dictionary, const std::string& key) const = 0;
    // Elements of an array in order (empty for other nodes).
    virtual std::vector<Node> items(Node array) const = 0;
    // Calls f(element) for the elements of an array in order.
    virtual void forEachItem(Node array, const std::function<void(Node)>& f) const = 0;
    // Calls f(key, value) for the entries of a dictionary in order, until f returns false.
    virtual void forEachEntry(Node dictionary,
                              const std::function<bool(std::string, Node)>& f) const = 0;
    // The index of a reference.
    virtual std::uint64_t number(Node n) const = 0;
    // The value of an integer as a signed or an unsigned 64-bit number; empty when that
    // cannot hold it (2^63 as signed, -1 as unsigned) or the node is no integer.
    virtual std::optional<std::int64_t> signedValue(Node n) const = 0;
    virtual std::optional<std::uint64_t> unsignedValue(Node n) const = 0;
    virtual double real(Node n) const = 0;
    virtual bool boolean(Node n) const = 0;
    virtual std::string string(Node n) const = 0;
    virtual Bytes data(Node n) const = 0;
    // Bytes of a string or data node; 0 for other nodes.
    virtual std::uint64_t payloadSize(Node n) const = 0;

    // Booleans, integers, reals, strings and data as values; a null value for the rest,
    // and for an integer a signed value cannot hold.
    PlistValue scalar(Node n) const;

    // A view of a libplist tree, which must outlive it.
    static std::unique_ptr<PlistTree> of(plist_t root);
    // A view of a binary list that PlistNode::checkBinary accepted; the bytes must outlive it.
    static std::unique_ptr<PlistTree> ofCheckedBinary(const Bytes& bytes);
};

}  // namespace vornex
