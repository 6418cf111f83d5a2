// PlanWriting: the record images and field columns of a layout, worked out once when it is parsed.
#include <string>
#include <vector>

#include "records/write_plan.hpp"

namespace tc::records_detail {
std::shared_ptr<const WritePlan> PlanWriting(const Layout& layout) {
    const std::vector<FieldDescriptor>& items = layout.descriptors;
    const auto count = static_cast<std::int32_t>(items.size());
    auto plan = std::make_shared<WritePlan>();

    // The records are numbered by where they begin: the start, after each slash, the reversion.
    std::vector<std::int32_t> recordAt(static_cast<std::size_t>(count) + 1, -1);
    std::vector<std::int32_t> starts;
    const auto begins = [&](std::int32_t item) {
        if (recordAt[static_cast<std::size_t>(item)] < 0) {
            recordAt[static_cast<std::size_t>(item)] = static_cast<std::int32_t>(starts.size());
            starts.push_back(item);
        }
    };
    begins(0);
    for (std::int32_t i = 0; i < count; ++i) {
        if (items[static_cast<std::size_t>(i)].kind == FieldDescriptor::Slash) begins(i + 1);
    }
    begins(layout.reversion);

    std::string image;
    for (const std::int32_t start : starts) {
        PlannedRecord record{};
        record.firstField = static_cast<std::int32_t>(plan->fields.size());
        image.clear();
        std::int32_t i = start;
        for (; i < count && items[static_cast<std::size_t>(i)].kind != FieldDescriptor::Slash; ++i) {
            const FieldDescriptor& item = items[static_cast<std::size_t>(i)];
            const std::size_t columns = item.kind == FieldDescriptor::Literal ? item.text.size()
                                                                              : static_cast<std::size_t>(item.width);
            if (item.kind == FieldDescriptor::A && item.width == 0) return nullptr;
            if (image.size() + columns > static_cast<std::size_t>(MaxPlannedRecord)) return nullptr;
            switch (item.kind) {
                case FieldDescriptor::Literal:
                    image += item.text;
                    continue;
                case FieldDescriptor::X:
                    image.append(columns, ' ');
                    continue;
                case FieldDescriptor::F:
                case FieldDescriptor::E:
                case FieldDescriptor::I:
                case FieldDescriptor::A: {
                    std::uint8_t valueKind = TextValues;
                    FieldRoutine put = nullptr;
                    if (item.kind == FieldDescriptor::I) {
                        valueKind = Slot::Int;
                        put = IntegerRoutine();
                    } else if (item.kind != FieldDescriptor::A) {
                        valueKind = Slot::Real;
                        put = item.kind == FieldDescriptor::F ? FixedRoutine(item.decimals) : ExponentRoutine(item.decimals);
                    }
                    plan->fields.push_back({item.kind, valueKind, static_cast<std::int32_t>(image.size()), item.width,
                                            item.decimals, i, put});
                    image.append(columns, ' ');
                    continue;
                }
                case FieldDescriptor::Slash:
                    break;
            }
        }
        record.fieldCount = static_cast<std::int32_t>(plan->fields.size()) - record.firstField;
        record.length = static_cast<std::int32_t>(image.size());
        record.next = i < count ? recordAt[static_cast<std::size_t>(i) + 1] : -1;
        record.image = static_cast<std::int32_t>(plan->images.size());
        image.resize(ImageSize(record), ' ');
        if (plan->images.size() + image.size() > static_cast<std::size_t>(MaxPlannedImages)) return nullptr;
        plan->images += image;
        plan->records.push_back(record);
    }
    plan->reversionRecord = recordAt[static_cast<std::size_t>(layout.reversion)];
    const PlannedRecord& first = plan->records.front();
    if (first.next < 0 && first.fieldCount >= 1 && first.fieldCount <= MaxRowFields) {
        std::uint64_t kinds = 0;
        for (std::int32_t f = 0; f < first.fieldCount; ++f) {
            const std::uint8_t valueKind = plan->fields[static_cast<std::size_t>(first.firstField + f)].valueKind;
            if (valueKind == TextValues) {
                kinds = 0;
                break;
            }
            kinds |= RowKind(static_cast<Slot::Kind>(valueKind)) << (RowKindBits * f);
        }
        plan->rowKinds = kinds;
    }
    return plan;
}

}  // namespace tc::records_detail
