// Texts for the messages of the statement engines.
#include "records/statement_support.hpp"

namespace tc::records_detail {

namespace {

// A letter and the field's width, with its decimals when it has them ("I5", "E10.3"); built by
// appending, which some compilers check more calmly than sums of texts.
std::string Descriptor(char letter, const FieldDescriptor& field, bool decimals) {
    std::string text(1, letter);
    text += std::to_string(field.width);
    if (decimals) {
        text += '.';
        text += std::to_string(field.decimals);
    }
    return text;
}

}  // namespace

std::string DescriptorText(const FieldDescriptor& field) {
    switch (field.kind) {
        case FieldDescriptor::I:
            return Descriptor('I', field, false);
        case FieldDescriptor::F:
            return Descriptor('F', field, true);
        case FieldDescriptor::E:
            return Descriptor('E', field, true);
        case FieldDescriptor::A:
            return field.width > 0 ? Descriptor('A', field, false) : std::string("A");
        case FieldDescriptor::X:
            return std::to_string(field.width) + "X";
        case FieldDescriptor::Slash:
            return "/";
        case FieldDescriptor::Literal:
        {
            std::string text(1, '\'');
            text += field.text;
            text += '\'';
            return text;
        }
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
