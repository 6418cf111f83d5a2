#pragma once
// Pieces shared by the statement engines: walking the values of a statement and error texts.

#include <cstdint>
#include <string>
#include <string_view>

#include "records/layout.hpp"
#include "records/statement_slots.hpp"

namespace tc::records_detail {

// The next value or destination of a statement, item by item through its slots.
class ValueCursor {
public:
    ValueCursor(const Slot* slots, std::int32_t count) : slot_(slots), end_(slots + count) { SkipEmpty(); }
    bool AtEnd() const { return slot_ == end_; }
    const Slot& slot() const { return *slot_; }
    std::int32_t index() const { return index_; }
    void Next() {
        ++index_;
        SkipEmpty();
    }

private:
    void SkipEmpty() {
        while (slot_ != end_ && index_ >= slot_->count) {
            ++slot_;
            index_ = 0;
        }
    }
    const Slot* slot_;
    const Slot* end_;
    std::int32_t index_ = 0;
};

// "I5", "F10.3", "A": a descriptor as written in a layout.
std::string DescriptorText(const FieldDescriptor& field);

// "an integer", "a real", "a character", "a text".
std::string_view KindText(Slot::Kind kind);

// The field's text for a message: blanks around it dropped, control characters shown escaped.
std::string FieldText(std::string_view field);

// " (layout (I10,2F10.0))": the tail of a message about a statement.
std::string LayoutTail(const Layout& layout);

}  // namespace tc::records_detail
