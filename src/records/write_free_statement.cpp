// WriteFreeStatement: one free-form record of integers, reals and texts, continued on further
// lines when it grows past 79 columns.
#include <cstring>

#include "records/number_format.hpp"
#include "records/number_style.hpp"
#include "records/run_error.hpp"
#include "records/statement_slots.hpp"
#include "records/statement_support.hpp"

namespace tc::records_detail {
namespace {

constexpr std::int32_t MaxFreeColumns = 79;  // the leading blank included

// Each record is built in the unit's buffer over this much room filled with blanks beforehand:
// the longest record and its line end, in whole blocks of Blanks.
constexpr char Blanks[] = "                                ";
constexpr std::size_t BlankBlock = sizeof Blanks - 1;
constexpr std::size_t RecordRoom = (MaxFreeColumns + LineEnd.size() + BlankBlock - 1) / BlankBlock * BlankBlock;

class FreeWriter {
public:
    explicit FreeWriter(Unit& unit) : unit_(unit) { StartRecord(); }

    void Integer(std::int32_t value) {
        const std::int32_t width = Numeric(FreeIntegerWidth);
        PutInteger(line_ + columns_, width, value);
        columns_ += width;
    }

    void Real(float value) {
        const std::int32_t width = Numeric(FreeRealWidth);
        PutFreeReal(line_ + columns_, width, value);
        columns_ += width;
    }

    // A run of reals, the record's place held in locals: the calls that put the numbers would
    // otherwise have it read back from memory after each one.
    void Reals(const float* values, std::int32_t count) {
        std::int32_t i = 0;
        if (count > 0 && firstNumeric_) Real(values[i++]);
        char* line = line_;
        std::int32_t columns = columns_;
        constexpr std::int32_t width = FreeRealWidth + 1;
        for (; i < count; ++i) {
            if (columns + width > MaxFreeColumns) {
                unit_.CommitRecord(static_cast<std::size_t>(columns));
                StartRecord();
                line = line_;
                // The new record's leading blank stands in for the extra column.
                PutFreeReal(line + 1, FreeRealWidth, values[i]);
                columns = 1 + FreeRealWidth;
                continue;
            }
            PutFreeReal(line + columns, width, values[i]);
            columns += width;
        }
        columns_ = columns;
    }

    // A text goes as it is; what does not fit continues on the next record.
    void Text(const char* text, std::size_t length) {
        while (length > 0) {
            if (columns_ == MaxFreeColumns) NewRecord();
            const std::size_t room = static_cast<std::size_t>(MaxFreeColumns - columns_);
            const std::size_t n = length < room ? length : room;
            std::memcpy(line_ + columns_, text, n);
            columns_ += static_cast<std::int32_t>(n);
            text += n;
            length -= n;
        }
    }

    void Finish() { unit_.CommitRecord(static_cast<std::size_t>(columns_)); }

private:
    // A record begins with one blank.
    void StartRecord() {
        line_ = unit_.Reserve(RecordRoom);
        for (std::size_t at = 0; at < RecordRoom; at += BlankBlock) std::memcpy(line_ + at, Blanks, BlankBlock);
        columns_ = 1;
    }
    void NewRecord() {
        Finish();
        StartRecord();
    }

    // The width of the next numeric field: one more than its base after the first of the
    // statement. A field that would pass column 79 starts a new record, whose leading blank
    // then stands in for that extra column.
    std::int32_t Numeric(std::int32_t base) {
        const std::int32_t width = firstNumeric_ ? base : base + 1;
        firstNumeric_ = false;
        if (columns_ + width <= MaxFreeColumns) return width;
        NewRecord();
        return width == base ? base : width - 1;
    }

    Unit& unit_;
    char* line_ = nullptr;  // the record being built, in the unit's buffer
    std::int32_t columns_ = 0;
    bool firstNumeric_ = true;
};

}  // namespace

void WriteFreeStatement(Unit& unit, const Slot* slots, std::int32_t count) {
    unit.BeginWriting();
    FreeWriter writer(unit);
    for (std::int32_t s = 0; s < count; ++s) {
        const Slot& slot = slots[s];
        switch (slot.kind) {
            case Slot::Int:
                for (std::int32_t i = 0; i < slot.count; ++i) writer.Integer(static_cast<const std::int32_t*>(slot.where)[i]);
                break;
            case Slot::Real:
                writer.Reals(static_cast<const float*>(slot.where), slot.count);
                break;
            case Slot::Char:
                writer.Text(static_cast<const char*>(slot.where), static_cast<std::size_t>(slot.count));
                break;
            case Slot::Chars:
                writer.Text(static_cast<const char*>(slot.where), static_cast<std::size_t>(slot.length));
                break;
        }
    }
    writer.Finish();
}

}  // namespace tc::records_detail
