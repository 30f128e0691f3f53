// A list of names with their indexes 0, 1, 2... in the order they were appended: the
// column names of a table.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vornex {

struct MsgBox {
    std::string text;
    int index;
    std::unique_ptr<MsgBox> next;

    MsgBox(const char* text, int index);
};

class MsgList {
   public:
    MsgList() = default;
    MsgList(const MsgList&) = delete;
    MsgList& operator=(const MsgList&) = delete;
    ~MsgList();

    // Appends a copy of the text with the index after the last one (0 for the first).
    void append(const char* text);
    // Index of the first entry with this text, -1 when there is none.
    int get_index(const char* text) const;
    bool exist(const char* text) const { return get_index(text) >= 0; }
    // Text of entry i, null when i is not an entry.
    const char* operator()(int i) const;

    std::unique_ptr<MsgBox> head;
    MsgBox* tail = nullptr;
};

}  // namespace vornex
