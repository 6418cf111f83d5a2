// WriteStatement: one Write, building records from the values and the layout's literals.
#include <bit>
#include <cstring>

#include "records/number_format.hpp"
#include "records/run_error.hpp"
#include "records/statement_slots.hpp"
#include "records/statement_support.hpp"
#include "records/write_plan.hpp"

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
    // An empty text may come with no storage at all: copy nothing then.
    if (length >= width) {
        if (width > 0) std::memcpy(p, text, width);
    } else {
        std::memset(p, ' ', width - length);
        if (length > 0) std::memcpy(p + (width - length), text, length);
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

// Puts a text or a single character into a planned A field; false when the value is neither.
bool PutPlannedText(char* line, const PlannedField& field, const Slot& slot, std::int32_t index) {
    if (field.kind != FieldDescriptor::A) return false;
    char* at = line + field.column;
    if (slot.kind == Slot::Char) {
        at[field.width - 1] = static_cast<const char*>(slot.where)[index];
        return true;
    }
    if (slot.kind == Slot::Chars) {
        // A text longer than the field gives its leftmost w characters; a shorter one is
        // right-justified.
        const auto length = static_cast<std::size_t>(slot.length);
        const auto width = static_cast<std::size_t>(field.width);
        if (length >= width) {
            if (width > 0) std::memcpy(at, slot.where, width);
        } else if (length > 0) {
            std::memcpy(at + (width - length), slot.where, length);
        }
        return true;
    }
    return false;
}

static_assert(sizeof(float) == sizeof(std::uint32_t) && sizeof(std::int32_t) == sizeof(std::uint32_t));

// Puts a number into its planned field of the record being built in line.
inline void PutNumber(char* line, const PlannedField& field, std::uint32_t bits) {
    field.put(line + field.column, field.width, field.decimals, bits);
}

// Starts a record from its image: room for the record and its line end in the unit's buffer.
inline char* StartRecord(Unit& unit, const WritePlan& plan, const PlannedRecord& record) {
    const std::size_t room = ImageSize(record);
    char* line = unit.Reserve(room);
    const char* image = plan.images.data() + record.image;
    for (std::size_t at = 0; at < room; at += ImageBlock) std::memcpy(line + at, image + at, ImageBlock);
    return line;
}

std::uint32_t BitsOf(const Slot& slot, std::int32_t index) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, static_cast<const char*>(slot.where) + sizeof bits * static_cast<std::size_t>(index), sizeof bits);
    return bits;
}

// A statement of one number per field of a table row, each of the field's kind. Each value goes
// to its field with no cursor to move.
void WriteRow(Unit& unit, const WritePlan& plan, const std::uint32_t* bits) {
    const PlannedRecord& record = plan.records.front();
    const PlannedField* fields = plan.fields.data() + record.firstField;
    char* line = StartRecord(unit, plan, record);
    for (std::int32_t i = 0; i < record.fieldCount; ++i) PutNumber(line, fields[i], bits[i]);
    unit.CommitRecord(static_cast<std::size_t>(record.length));
}

// Writes the statement record by record from the layout's plan: the record's image is copied
// into the unit's buffer and the fields are put over it.
void WritePlanned(Unit& unit, const Layout& layout, const WritePlan& plan, const Slot* slots, std::int32_t count) {
    const Slot* slot = slots;
    const Slot* const slotsEnd = slots + count;
    std::int32_t index = 0;
    while (slot != slotsEnd && slot->count <= 0) ++slot;
    const PlannedRecord* record = plan.records.data();
    for (;;) {
        char* line = StartRecord(unit, plan, *record);
        const PlannedField* field = plan.fields.data() + record->firstField;
        const PlannedField* const last = field + record->fieldCount;
        for (; field != last; ++field) {
            if (slot == slotsEnd) {
                unit.CommitRecord(static_cast<std::size_t>(field->column));
                return;
            }
            if (slot->kind == field->valueKind) [[likely]] {
                PutNumber(line, *field, BitsOf(*slot, index));
            } else if (!PutPlannedText(line, *field, *slot, index)) {
                unit.Commit(static_cast<std::size_t>(field->column));
                Mismatch(unit, layout, layout.descriptors[static_cast<std::size_t>(field->descriptor)], *slot);
            }
            if (++index >= slot->count) {
                index = 0;
                ++slot;
                while (slot != slotsEnd && slot->count <= 0) ++slot;
            }
        }
        const auto length = static_cast<std::size_t>(record->length);
        if (record->next < 0 && slot != slotsEnd) {
            // Values remain at the layout's end: a new record from the point of reversion.
            if (!layout.dataAfterReversion) {
                unit.Commit(length);
                throw RunError(unit.Place("write", unit.records() + 1) + ": the layout has no field for the values left" +
                               LayoutTail(layout));
            }
            unit.CommitRecord(length);
            record = plan.records.data() + plan.reversionRecord;
            continue;
        }
        unit.CommitRecord(length);
        if (record->next < 0) return;
        record = plan.records.data() + record->next;
    }
}

}  // namespace

void WriteRowStatement(Unit& unit, const Layout& layout, const std::uint32_t* bits, std::int32_t count,
                       std::uint64_t rowKinds) {
    if (layout.writePlan != nullptr && layout.writePlan->rowKinds == rowKinds) {
        unit.BeginWriting();
        WriteRow(unit, *layout.writePlan, bits);
        return;
    }
    // Any other layout takes the values one by one as slots, from storage of their own kinds.
    std::int32_t integers[MaxRowFields];
    float reals[MaxRowFields];
    Slot slots[MaxRowFields];
    for (std::int32_t i = 0; i < count; ++i) {
        if (RowValueKind(rowKinds, i) == Slot::Int) {
            integers[i] = std::bit_cast<std::int32_t>(bits[i]);
            slots[i] = MakeValue(integers[i]);
        } else {
            reals[i] = std::bit_cast<float>(bits[i]);
            slots[i] = MakeValue(reals[i]);
        }
    }
    WriteStatement(unit, layout, slots, count);
}

void WriteStatement(Unit& unit, const Layout& layout, const Slot* slots, std::int32_t count) {
    unit.BeginWriting();
    if (layout.writePlan != nullptr) {
        WritePlanned(unit, layout, *layout.writePlan, slots, count);
        return;
    }
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
