#include "numerics/MsgList.h"

namespace vornex {

MsgBox::MsgBox(const char* text_, int index_) : text(text_ ? text_ : ""), index(index_) {}

MsgList::~MsgList() {
    // Released one entry at a time: a recursive release of a long list could exhaust the stack.
    while (head) head = std::move(head->next);
}

void MsgList::append(const char* text) {
    auto box = std::make_unique<MsgBox>(text, tail ? tail->index + 1 : 0);
    MsgBox* added = box.get();
    if (tail)
        tail->next = std::move(box);
    else
        head = std::move(box);
    tail = added;
}

int MsgList::get_index(const char* text) const {
    if (text == nullptr) return -1;
    for (const MsgBox* box = head.get(); box; box = box->next.get())
        if (box->text == text) return box->index;
    return -1;
}

const char* MsgList::operator()(int i) const {
    for (const MsgBox* box = head.get(); box; box = box->next.get())
        if (box->index == i) return box->text.c_str();
    return nullptr;
}

}  // namespace vornex
