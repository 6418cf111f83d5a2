// ParseLayout: turns a layout text into its expanded list of field descriptors.
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "records/layout.hpp"
#include "records/run_error.hpp"
#include "records/write_plan.hpp"

namespace tc {
namespace {

// A descriptor under construction; a literal's text is an offset into the store until the store
// is final.
struct RawDescriptor {
    FieldDescriptor field;
    std::int32_t textOffset;
};

// Longest layout text quoted in a message.
constexpr std::size_t MaxQuotedLayout = 200;

class LayoutParser {
public:
    explicit LayoutParser(std::string_view text) : text_(text) {}

    Layout Parse() {
        SkipBlanks();
        if (pos_ >= text_.size() || text_[pos_] != '(') Fail("a layout begins with (");
        ++pos_;
        std::vector<RawDescriptor> items;
        ParseList(items, 1);
        ++pos_;  // the closing parenthesis of the layout; what follows is not part of it

        Layout layout;
        layout.source = std::string(text_.substr(0, pos_));
        layout.reversion = hasGroup_ ? lastGroupStart_ : 0;
        auto store = std::make_shared<const std::string>(std::move(store_));
        layout.descriptors.reserve(items.size());
        for (RawDescriptor& raw : items) {
            if (raw.field.kind == FieldDescriptor::Literal) {
                raw.field.text = std::string_view(*store).substr(static_cast<std::size_t>(raw.textOffset),
                                                                 static_cast<std::size_t>(raw.field.width));
            }
            layout.descriptors.push_back(raw.field);
        }
        layout.literalStore = std::move(store);
        for (std::size_t i = 0; i < layout.descriptors.size(); ++i) {
            if (IsData(layout.descriptors[i].kind)) {
                layout.hasData = true;
                if (static_cast<std::int32_t>(i) >= layout.reversion) layout.dataAfterReversion = true;
            }
        }
        layout.writePlan = records_detail::PlanWriting(layout);
        return layout;
    }

private:
    static bool IsData(FieldDescriptor::Kind k) {
        return k == FieldDescriptor::I || k == FieldDescriptor::F || k == FieldDescriptor::E ||
               k == FieldDescriptor::A;
    }

    [[noreturn]] void Fail(const std::string& what) const {
        std::string quoted(text_.substr(0, std::min(text_.size(), MaxQuotedLayout)));
        if (text_.size() > MaxQuotedLayout) quoted += "...";
        throw RunError("layout " + quoted + ": " + what + " at position " + std::to_string(pos_ + 1));
    }

    void SkipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    }

    char Peek() {
        SkipBlanks();
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }

    bool AtDigit() { return std::isdigit(static_cast<unsigned char>(Peek())) != 0; }

    // An unsigned number; blanks between its digits have no meaning.
    std::int32_t Number() {
        std::int32_t value = 0;
        while (AtDigit()) {
            value = value * 10 + (text_[pos_] - '0');
            if (value > MaxFieldWidth) Fail("number above " + std::to_string(MaxFieldWidth));
            ++pos_;
        }
        return value;
    }

    std::int32_t Width(const char* what) {
        if (!AtDigit()) Fail(std::string("missing width of ") + what);
        const std::int32_t w = Number();
        if (w < 1) Fail(std::string("width of ") + what + " must be at least 1");
        return w;
    }

    std::int32_t Decimals(const char* what) {
        if (Peek() != '.') Fail(std::string(what) + " needs w.d");
        ++pos_;
        if (!AtDigit()) Fail(std::string("missing decimals of ") + what);
        return Number();
    }

    // Refuses a layout whose expanded list would pass the limit, before it is built.
    void Room(const std::vector<RawDescriptor>& out, std::int64_t more) const {
        if (static_cast<std::int64_t>(out.size()) + more > MaxLayoutDescriptors) {
            Fail("more than " + std::to_string(MaxLayoutDescriptors) + " descriptors after repeat counts");
        }
    }

    void Append(std::vector<RawDescriptor>& out, const RawDescriptor& item, std::int32_t count = 1) {
        Room(out, count);
        for (std::int32_t r = 0; r < count; ++r) out.push_back(item);
    }

    // A quoted literal; the quote doubled inside stands for one.
    RawDescriptor Literal() {
        const char quote = text_[pos_++];
        const std::size_t start = store_.size();
        for (;;) {
            if (pos_ >= text_.size()) Fail("unclosed literal");
            const char c = text_[pos_++];
            if (c == quote) {
                if (pos_ < text_.size() && text_[pos_] == quote) {
                    store_ += quote;
                    ++pos_;
                    continue;
                }
                break;
            }
            store_ += c;
        }
        const auto length = static_cast<std::int32_t>(store_.size() - start);
        return {{FieldDescriptor::Literal, length, 0, {}}, static_cast<std::int32_t>(start)};
    }

    // Items up to the closing parenthesis of the list, which is left unread. Items are separated
    // by commas; a slash needs no comma on either side.
    void ParseList(std::vector<RawDescriptor>& out, std::int32_t depth) {
        if (depth > 50) Fail("groups nested too deep");
        bool first = true;
        bool separated = true;  // an item may begin here
        bool afterComma = false;
        for (;;) {
            const char c = Peek();
            if (c == '\0') Fail("missing )");
            if (c == ')') {
                if (afterComma) Fail("a descriptor must follow the comma");
                if (first && depth > 1) Fail("empty group");
                return;
            }
            if (!separated && c != '/') Fail("missing comma");
            ParseItem(out, depth);
            first = false;
            separated = lastWasSlash_;
            afterComma = false;
            if (Peek() == ',') {
                ++pos_;
                separated = true;
                afterComma = true;
            }
        }
    }

    void ParseItem(std::vector<RawDescriptor>& out, std::int32_t depth) {
        lastWasSlash_ = false;
        const std::size_t itemPos = pos_;
        const bool counted = AtDigit();
        const std::int32_t count = counted ? Number() : 1;
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(Peek())));
        if (c == '\'' || c == '"') {
            if (counted) Fail("a literal takes no repeat count");
            Append(out, Literal());
            return;
        }
        if (c == 'X') {
            ++pos_;
            if (counted && count < 1) Fail("a skip of 0 columns");
            Append(out, {{FieldDescriptor::X, count, 0, {}}, 0});
            return;
        }
        if (counted && count < 1) {
            pos_ = itemPos;
            Fail("repeat count must be at least 1");
        }
        if (c == '(') {
            ++pos_;
            const std::size_t groupStart = out.size();
            std::vector<RawDescriptor> group;
            ParseList(group, depth + 1);
            ++pos_;
            if (depth == 1) {
                hasGroup_ = true;
                lastGroupStart_ = static_cast<std::int32_t>(groupStart);
            }
            Room(out, static_cast<std::int64_t>(group.size()) * count);
            for (std::int32_t r = 0; r < count; ++r) out.insert(out.end(), group.begin(), group.end());
            lastWasSlash_ = false;
            return;
        }
        RawDescriptor item{{FieldDescriptor::Slash, 0, 0, {}}, 0};
        switch (c) {
            case '/':
                ++pos_;
                Append(out, item, count);
                lastWasSlash_ = true;
                return;
            case 'I':
                ++pos_;
                item.field = {FieldDescriptor::I, Width("I"), 0, {}};
                break;
            case 'F':
                ++pos_;
                item.field.kind = FieldDescriptor::F;
                item.field.width = Width("F");
                item.field.decimals = Decimals("F");
                break;
            case 'E':
                ++pos_;
                item.field.kind = FieldDescriptor::E;
                item.field.width = Width("E");
                item.field.decimals = Decimals("E");
                break;
            case 'A':
                ++pos_;
                item.field = {FieldDescriptor::A, AtDigit() ? Width("A") : 0, 0, {}};
                break;
            default:
                Fail(c == '\0' ? std::string("missing )") : std::string("unknown descriptor ") + text_[pos_]);
        }
        Append(out, item, count);
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::string store_;
    bool hasGroup_ = false;
    std::int32_t lastGroupStart_ = 0;
    bool lastWasSlash_ = false;
};

}  // namespace

Layout ParseLayout(std::string_view text) { return LayoutParser(text).Parse(); }

}  // namespace tc
