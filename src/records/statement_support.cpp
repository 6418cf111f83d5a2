// Texts for the messages of the statement engines.
#include "records/statement_support.hpp"

namespace tc::records_detail {

std::string DescriptorText(const FieldDescriptor& field) {
    switch (field.kind) {
        case FieldDescriptor::I:
            return "I" + std::to_string(field.width);
        case FieldDescriptor::F:
            return "F" + std::to_string(field.width) + "." + std::to_string(field.decimals);
        case FieldDescriptor::E:
            return "E" + std::to_string(field.width) + "." + std::to_string(field.decimals);
        case FieldDescriptor::A:
            return field.width > 0 ? "A" + std::to_string(field.width) : std::string("A");
        case FieldDescriptor::X:
            return std::to_string(field.width) + "X";
        case FieldDescriptor::Slash:
            return "/";
        case FieldDescriptor::Literal:
            return "'" + std::string(field.text) + "'";
    }
    return "?";
}

std::string_view KindText(Slot::Kind kind) {
    switch (kind) {
        case Slot::Int:
            return "an integer";
        case Slot::Real:
            return "a real";
        case Slot::Char:
            return "a character";
        case Slot::Chars:
            return "a text";
    }
    return "a value";
}

std::string FieldText(std::string_view field) {
    while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
    while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string text;
    for (const char c : field) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\t') {
            text += "\\t";
        } else if (u < 0x20 || u == 0x7f) {
            text += "\\x";
            text += Hex[u >> 4];
            text += Hex[u & 15];
        } else {
            text += c;
        }
    }
    return text;
}

std::string LayoutTail(const Layout& layout) { return " (layout " + layout.source + ")"; }

}  // namespace tc::records_detail
