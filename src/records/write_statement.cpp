// WriteStatement: one Write, building records from the values and the layout's literals.
#include <cstring>

#include "records/number_format.hpp"
#include "records/records.hpp"
#include "records/statement_support.hpp"

namespace tc::records_detail {
namespace {

[[noreturn]] void Mismatch(Unit& unit, const Layout& layout, const FieldDescriptor& field, const Slot& slot) {
    throw RunError(unit.Place("write", unit.records() + 1) + ": " + std::string(KindText(slot.kind)) +
                   " value for " + DescriptorText(field) + LayoutTail(layout));
}

// Aw: a text longer than the field gives its leftmost w characters; a shorter one is
// right-justified. A without width writes the whole text.
void PutText(Unit& unit, std::int32_t fieldWidth, const char* text, std::size_t length) {
    const std::size_t width = fieldWidth > 0 ? static_cast<std::size_t>(fieldWidth) : length;
    char* p = unit.Reserve(width);
    if (length >= width) {
        std::memcpy(p, text, width);
    } else {
        std::memset(p, ' ', width - length);
        std::memcpy(p + (width - length), text, length);
    }
    unit.Commit(width);
}

void PutField(Unit& unit, const Layout& layout, const FieldDescriptor& field, const Slot& slot, std::int32_t index) {
    const std::int32_t w = field.width;
    switch (field.kind) {
        case FieldDescriptor::I:
            if (slot.kind != Slot::Int) Mismatch(unit, layout, field, slot);
            FormatInteger(unit.Reserve(static_cast<std::size_t>(w)), w, static_cast<const std::int32_t*>(slot.where)[index]);
            break;
        case FieldDescriptor::F:
            if (slot.kind != Slot::Real) Mismatch(unit, layout, field, slot);
            FormatFixed(unit.Reserve(static_cast<std::size_t>(w)), w, field.decimals,
                        static_cast<const float*>(slot.where)[index]);
            break;
        case FieldDescriptor::E:
            if (slot.kind != Slot::Real) Mismatch(unit, layout, field, slot);
            FormatExponent(unit.Reserve(static_cast<std::size_t>(w)), w, field.decimals,
                           static_cast<const float*>(slot.where)[index]);
            break;
        case FieldDescriptor::A:
            if (slot.kind == Slot::Char) {
                PutText(unit, w, static_cast<const char*>(slot.where) + index, 1);
            } else if (slot.kind == Slot::Chars) {
                PutText(unit, w, static_cast<const char*>(slot.where), static_cast<std::size_t>(slot.length));
            } else {
                Mismatch(unit, layout, field, slot);
            }
            return;
        default:
            return;
    }
    unit.Commit(static_cast<std::size_t>(w));
}

}  // namespace

void WriteStatement(Unit& unit, const Layout& layout, const Slot* slots, std::int32_t count) {
    unit.BeginWriting();
    ValueCursor value(slots, count);
    const FieldDescriptor* items = layout.descriptors.data();
    const auto itemCount = static_cast<std::int32_t>(layout.descriptors.size());
    std::int32_t i = 0;
    for (;;) {
        if (i == itemCount) {
            if (value.AtEnd()) break;
            if (!layout.dataAfterReversion) {
                throw RunError(unit.Place("write", unit.records() + 1) + ": the layout has no field for the values left" +
                               LayoutTail(layout));
            }
            unit.EndOutputRecord();
            i = layout.reversion;
            continue;
        }
        const FieldDescriptor& field = items[i];
        switch (field.kind) {
            case FieldDescriptor::X: {
                const auto n = static_cast<std::size_t>(field.width);
                std::memset(unit.Reserve(n), ' ', n);
                unit.Commit(n);
                break;
            }
            case FieldDescriptor::Literal: {
                const std::size_t n = field.text.size();
                std::memcpy(unit.Reserve(n), field.text.data(), n);
                unit.Commit(n);
                break;
            }
            case FieldDescriptor::Slash:
                unit.EndOutputRecord();
                break;
            default:
                if (value.AtEnd()) {
                    unit.EndOutputRecord();
                    return;
                }
                PutField(unit, layout, field, value.slot(), value.index());
                value.Next();
                break;
        }
        ++i;
    }
    unit.EndOutputRecord();
}

}  // namespace tc::records_detail
