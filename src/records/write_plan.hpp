#pragma once
// A layout made ready for writing. Every record the layout can begin (at its start, after a slash,
// at the point of reversion) gets an image of its literals and blanks, with each data field at a
// fixed column: writing a record is one copy of the image and the fields put over it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "records/layout.hpp"
#include "records/statement_slots.hpp"
#include "records/number_format.hpp"
#include "records/number_style.hpp"

namespace tc::records_detail {

struct PlannedField {
    FieldDescriptor::Kind kind;  // I, F, E or A
    std::uint8_t valueKind;      // I, F, E: the Slot::Kind of the values the field takes
    std::int32_t column;         // the field's first column in its record, from 0
    std::int32_t width;
    std::int32_t decimals;
    std::int32_t descriptor;     // the field's descriptor in the layout, for messages
    FieldRoutine put;            // I, F, E: the routine that writes the value
};

// The valueKind of A fields, which take texts and single characters: no slot has it.
inline constexpr std::uint8_t TextValues = 0xff;

struct PlannedRecord {
    std::int32_t firstField;  // its fields are fields[firstField, firstField + fieldCount)
    std::int32_t fieldCount;
    std::int32_t length;      // columns up to its slash or the end of the layout
    std::int32_t image;       // where its image starts in images
    std::int32_t next;        // the record begun by its slash; -1 when it ends the layout
};

// Images are copied in blocks of this many bytes; each is padded with blanks to whole blocks and
// holds the line end's room.
inline constexpr std::int32_t ImageBlock = 32;

// The widest planned record and the most image bytes a layout may hold; wider layouts are written
// field by field.
inline constexpr std::int32_t MaxPlannedRecord = 4096;
inline constexpr std::int32_t MaxPlannedImages = 1 << 18;

struct WritePlan {
    std::vector<PlannedRecord> records;  // records[0] begins the layout
    std::vector<PlannedField> fields;
    std::string images;
    std::int32_t reversionRecord = 0;  // the record begun when values remain at the layout's end
    // A layout of one record of numeric fields only, at most MaxRowFields of them, is a table
    // row: the kinds of values its fields take, as a statement of single values states its own
    // (RowKinds). 0 for any other layout.
    std::uint64_t rowKinds = 0;
};

// The image's size in bytes: the record, its line end, the padding.
inline std::size_t ImageSize(const PlannedRecord& record) {
    const std::size_t room = static_cast<std::size_t>(record.length) + LineEnd.size();
    return (room + ImageBlock - 1) / ImageBlock * ImageBlock;
}

// The plan of a parsed layout; null when it holds an A field without width (its width is the
// text's) or records too wide to plan.
std::shared_ptr<const WritePlan> PlanWriting(const Layout& layout);

}  // namespace tc::records_detail
