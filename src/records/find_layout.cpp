// CachedLayout: the parsed layout of a string literal, parsed on its first use only.
#include <cstring>
#include <memory>
#include <vector>

#include "records/layout_cache.hpp"

namespace tc::records_detail {
namespace {

// An open-addressing table keyed by the literal's address and length; each thread keeps its own.
class LayoutCache {
public:
    const Layout& Find(const char* text, std::size_t length) { return *Search(text, length).layout; }

private:
    struct Entry {
        const char* text = nullptr;
        std::size_t length = 0;
        const char* copy = nullptr;  // the text as it was parsed
        const Layout* layout = nullptr;
    };

    Entry Search(const char* text, std::size_t length) {
        if (slots_.empty()) slots_.resize(64);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = Hash(text) & mask;; at = (at + 1) & mask) {
            Entry& e = slots_[at];
            if (e.layout == nullptr) break;
            if (e.text == text && e.length == length) {
                // A char array that is not a literal may have changed since it was parsed.
                if (std::memcmp(e.copy, text, length) != 0) e.layout = Parse(text, length, e.copy);
                return e;
            }
        }
        const char* copy = nullptr;
        const Layout* layout = Parse(text, length, copy);
        if (2 * (used_ + 1) > slots_.size()) Grow();
        const Entry entry{text, length, copy, layout};
        Insert(entry);
        ++used_;
        return entry;
    }

    // Parses the text and keeps the layout and a copy of the text for the table's lifetime.
    const Layout* Parse(const char* text, std::size_t length, const char*& copy) {
        auto parsed = std::make_unique<Layout>(ParseLayout(std::string_view(text, length)));
        parsed->kept = true;
        auto kept = std::make_unique<char[]>(length + 1);
        std::memcpy(kept.get(), text, length);
        copy = kept.get();
        owned_.push_back({std::move(parsed), std::move(kept)});
        return owned_.back().layout.get();
    }

    static std::size_t Hash(const char* text) {
        const auto bits = reinterpret_cast<std::uintptr_t>(text);
        return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ull) >> 20);
    }

    void Insert(const Entry& entry) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t at = Hash(entry.text) & mask;
        while (slots_[at].layout != nullptr) at = (at + 1) & mask;
        slots_[at] = entry;
    }

    void Grow() {
        std::vector<Entry> old(slots_.size() * 2);
        old.swap(slots_);
        for (const Entry& e : old) {
            if (e.layout != nullptr) Insert(e);
        }
    }

    std::vector<Entry> slots_;
    struct Owned {
        std::unique_ptr<Layout> layout;
        std::unique_ptr<char[]> text;
    };
    std::vector<Owned> owned_;
    std::size_t used_ = 0;
};

}  // namespace

const Layout& CachedLayout(const char* text, std::size_t length) {
    thread_local LayoutCache cache;
    return cache.Find(text, length);
}

}  // namespace tc::records_detail
