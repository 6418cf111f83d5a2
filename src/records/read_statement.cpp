// ReadStatement: one Read, record by record, storing field values into the destinations in order.
#include <algorithm>
#include <cstring>

#include "records/number_parse.hpp"
#include "records/run_error.hpp"
#include "records/statement_slots.hpp"
#include "records/statement_support.hpp"

namespace tc::records_detail {
namespace {

class Reader {
public:
    Reader(Unit& unit, const Layout& layout) : unit_(unit), layout_(layout) {}

    void NextRecord() {
        record_ = unit_.NextRecord(layout_.source);
        column_ = 0;
    }

    // The columns of the next field; a short record reads as if padded with blanks.
    std::string_view Take(std::size_t width) {
        std::string_view field;
        if (column_ < record_.size()) field = record_.substr(column_, width);
        column_ += width;
        return field;
    }

    void Skip(std::size_t width) { column_ += width; }

    void Field(const FieldDescriptor& field, const Slot& slot, std::int32_t index) {
        switch (field.kind) {
            case FieldDescriptor::I: {
                if (slot.kind != Slot::Int) Mismatch(field, slot);
                const std::size_t start = column_;
                const std::string_view text = Take(static_cast<std::size_t>(field.width));
                const FieldStatus status = ParseIntegerField(text, static_cast<std::int32_t*>(slot.where)[index]);
                if (status != FieldStatus::Ok) Refuse(field, start, text, status);
                return;
            }
            case FieldDescriptor::F:
            case FieldDescriptor::E:
                if (slot.kind != Slot::Real) Mismatch(field, slot);
                Real(field, static_cast<float*>(slot.where)[index]);
                return;
            case FieldDescriptor::A:
                Text(field, slot, index);
                return;
            default:
                return;
        }
    }

    // Real fields into real destinations for as long as both last; returns the next item.
    std::int32_t Reals(const FieldDescriptor* items, std::int32_t i, std::int32_t end, ValueCursor& value) {
        do {
            Real(items[i], static_cast<float*>(value.slot().where)[value.index()]);
            value.Next();
            ++i;
        } while (i != end && IsReal(items[i]) && !value.AtEnd() && value.slot().kind == Slot::Real);
        return i;
    }

    static bool IsReal(const FieldDescriptor& field) {
        return field.kind == FieldDescriptor::F || field.kind == FieldDescriptor::E;
    }

private:
    void Real(const FieldDescriptor& field, float& dest) {
        const std::size_t start = column_;
        const std::string_view text = Take(static_cast<std::size_t>(field.width));
        const FieldStatus status = ParseRealField(text, field.decimals, dest);
        if (status != FieldStatus::Ok) Refuse(field, start, text, status);
    }

    // Aw: a field at least as wide as the item gives the item its rightmost characters; a
    // narrower one fills the item from the left, padded with blanks.
    void Text(const FieldDescriptor& field, const Slot& slot, std::int32_t index) {
        char* dest = nullptr;
        std::size_t length = 0;
        if (slot.kind == Slot::Char) {
            dest = static_cast<char*>(slot.where) + index;
            length = 1;
        } else if (slot.kind == Slot::Chars) {
            dest = static_cast<char*>(slot.where);
            length = static_cast<std::size_t>(slot.length);
        } else {
            Mismatch(field, slot);
        }
        const std::size_t width = field.width > 0 ? static_cast<std::size_t>(field.width) : length;
        const std::string_view text = Take(width);  // may be shorter than width: blanks follow
        if (width >= length) {
            // Rightmost length columns of the (blank-padded) field.
            const std::size_t first = width - length;
            for (std::size_t i = 0; i < length; ++i) {
                const std::size_t at = first + i;
                dest[i] = at < text.size() ? text[at] : ' ';
            }
        } else {
            std::memset(dest, ' ', length);
            // Past the record's end the field is empty and has no data to copy from.
            if (!text.empty()) std::memcpy(dest, text.data(), text.size());
        }
    }

    [[noreturn]] void Mismatch(const FieldDescriptor& field, const Slot& slot) const {
        throw RunError(unit_.Place("read", unit_.records()) + ": " + std::string(KindText(slot.kind)) +
                       " destination for " + DescriptorText(field) + LayoutTail(layout_));
    }

    [[noreturn]] void Refuse(const FieldDescriptor& field, std::size_t start, std::string_view text,
                             FieldStatus status) const {
        const std::string columns = "columns " + std::to_string(start + 1) + "-" + std::to_string(start + static_cast<std::size_t>(field.width));
        const char* what = status == FieldStatus::OutOfRange ? " is out of range" : " is not a number";
        throw RunError(unit_.Place("read", unit_.records()) + ": " + columns + " \"" + FieldText(text) + "\"" + what +
                       LayoutTail(layout_));
    }

    Unit& unit_;
    const Layout& layout_;
    std::string_view record_;
    std::size_t column_ = 0;
};

}  // namespace

void ReadStatement(Unit& unit, const Layout& layout, const Slot* slots, std::int32_t count) {
    ValueCursor value(slots, count);
    Reader reader(unit, layout);
    reader.NextRecord();
    const FieldDescriptor* items = layout.descriptors.data();
    const auto itemCount = static_cast<std::int32_t>(layout.descriptors.size());
    std::int32_t i = 0;
    for (;;) {
        if (i == itemCount) {
            if (value.AtEnd()) return;
            if (!layout.dataAfterReversion) {
                throw RunError(unit.Place("read", unit.records()) + ": the layout has no field for the destinations left" +
                               LayoutTail(layout));
            }
            reader.NextRecord();
            i = layout.reversion;
            continue;
        }
        const FieldDescriptor& field = items[i];
        switch (field.kind) {
            case FieldDescriptor::X:
            case FieldDescriptor::Literal:
                reader.Skip(static_cast<std::size_t>(field.width));
                break;
            case FieldDescriptor::Slash:
                reader.NextRecord();
                break;
            default:
                if (value.AtEnd()) return;  // the rest of the record is passed over
                if (Reader::IsReal(field) && value.slot().kind == Slot::Real) {
                    i = reader.Reals(items, i, itemCount, value);
                    continue;
                }
                reader.Field(field, value.slot(), value.index());
                value.Next();
                break;
        }
        ++i;
    }
}

}  // namespace tc::records_detail
