// DeferredWriter: statements of one unit queued by the run's thread and written by another.
#include "records/deferred_writer.hpp"

#include <cstring>
#include <exception>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "records/run_error.hpp"
#include "records/unit.hpp"
#include "records/wait_on_word.hpp"
#include "records/write_plan.hpp"

namespace tc::records_detail {
namespace {

using Word = std::uint64_t;
constexpr Word WordBytes = sizeof(Word);

Word LoadWord(const unsigned char* p) {
    Word w;
    std::memcpy(&w, p, sizeof w);
    return w;
}
// Words go into the ring past the caches: the writer, on another processor, reads them once, and
// lines that went through this processor's cache would have to be fetched from the other's.
// Publishing orders them with a store fence.
void StoreWord(unsigned char* p, Word w) {
#if defined(__x86_64__)
    _mm_stream_si64(reinterpret_cast<long long*>(p), static_cast<long long>(w));
#else
    std::memcpy(p, &w, sizeof w);
#endif
}
void StoreFence() {
#if defined(__x86_64__)
    _mm_sfence();
#endif
}
// Copies bytes into the ring a word at a time, the last word padded with zeros.
void StoreBytes(unsigned char* p, const void* from, Word bytes) {
    const auto* source = static_cast<const unsigned char*>(from);
    Word at = 0;
    for (; at + WordBytes <= bytes; at += WordBytes) {
        Word w;
        std::memcpy(&w, source + at, WordBytes);
        StoreWord(p + at, w);
    }
    if (at < bytes) {
        Word w = 0;
        std::memcpy(&w, source + at, bytes - at);
        StoreWord(p + at, w);
    }
}
Word WordsFor(Word bytes) { return (bytes + WordBytes - 1) / WordBytes; }

// Bytes after the ring's end that a row's copy may read.
constexpr Word RowSlack = MaxRowFields * 4;

// A short wait in a loop that looks for work, kind to the other thread of the same core.
inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// A record's first word: its kind, its length in words, the number of its values or slots.
Word HeadWord(Word kind, Word words, std::int32_t count) {
    return kind | words << 8 | static_cast<Word>(static_cast<std::uint32_t>(count)) << 40;
}
Word KindOf(Word head) { return head & 0xffu; }
Word WordsOf(Word head) { return (head >> 8) & 0xffffffffu; }
std::int32_t CountOf(Word head) { return static_cast<std::int32_t>(head >> 40); }

// The bytes of a slot's values, and how many items or characters it holds.
Word SlotBytes(const Slot& slot) {
    switch (slot.kind) {
        case Slot::Int:
        case Slot::Real:
            return static_cast<Word>(slot.count) * 4;
        case Slot::Char:
            return static_cast<Word>(slot.count);
        case Slot::Chars:
            return static_cast<Word>(slot.length);
    }
    return 0;
}
Word SlotItems(const Slot& slot) {
    return static_cast<Word>(slot.kind == Slot::Chars ? slot.length : slot.count);
}

}  // namespace

DeferredWriter::DeferredWriter(Unit& unit)
    : unit_(unit),
      // Left uninitialised: every byte is written before it is read.
      ring_(new unsigned char[RingWords * WordBytes + RowSlack]),
      values_(new unsigned char[MaxRecordWords * WordBytes]) {
    thread_ = std::thread([this] { Run(); });
}

DeferredWriter::~DeferredWriter() {
    PublishAll();
    stopping_.store(true);
    bell_.fetch_add(1);
    WakeOneWaiter(bell_);
    thread_.join();
}

// Room for a record of this many words at the ring's head, contiguous: a record that would pass
// the ring's end is put at its start, a wrap record filling the rest.
unsigned char* DeferredWriter::Claim(Word words) {
    Word at = head_ % RingWords;
    if (at + words > RingWords) {
        const Word rest = RingWords - at;
        WaitForTail(head_ + rest - RingWords);
        StoreWord(ring_.get() + at * WordBytes, HeadWord(Wrap, rest, 0));
        head_ += rest;
        at = 0;
    }
    WaitForTail(head_ + words - RingWords);
    return ring_.get() + at * WordBytes;
}

// Ends the record just claimed; a batch is handed to the writer once large enough.
void DeferredWriter::Publish(Word words) {
    head_ += words;
    if (head_ - handedOver_ >= BatchWords) PublishAll();
}

// Hands every record so far to the writer, waking it when it sleeps. Whether it sleeps is read
// without a fence; every so often, and whenever the run's thread waits, with one, so that a
// writer that fell asleep just then is woken a little later.
void DeferredWriter::PublishAll() {
    if (handedOver_ == head_) return;
    handedOver_ = head_;
    StoreFence();
    published_.store(head_, std::memory_order_release);
    if (++sinceCheck_ == 16) {
        sinceCheck_ = 0;
        Wake();
    } else if (sleeping_.load(std::memory_order_relaxed)) {
        bell_.fetch_add(1, std::memory_order_release);
        WakeOneWaiter(bell_);
    }
}

void DeferredWriter::Wake() {
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (sleeping_.load(std::memory_order_relaxed)) {
        bell_.fetch_add(1, std::memory_order_release);
        WakeOneWaiter(bell_);
    }
}

// Returns once the writer has taken every word before target.
// The writer's progress last seen is kept, so that most records look at no line of the writer's.
void DeferredWriter::WaitForTail(Word target) {
    if (static_cast<std::int64_t>(target) <= 0 || target <= seenTail_) return;
    seenTail_ = tail_.load(std::memory_order_acquire);
    if (seenTail_ >= target) return;
    PublishAll();
    // The writer frees room as it goes: look for it a while before sleeping, which costs a call
    // on the host and waking costs the writer another.
    for (std::int32_t look = 0; look < LooksBeforeSleep; ++look) {
        Pause();
        seenTail_ = tail_.load(std::memory_order_acquire);
        if (seenTail_ >= target) return;
    }
    for (;;) {
        Word taken = tail_.load(std::memory_order_acquire);
        if (taken >= target) {
            seenTail_ = taken;
            return;
        }
        waiting_.store(true);
        Wake();
        taken = tail_.load();
        if (taken < target) WaitWhileEqual(tail_, taken);
        waiting_.store(false, std::memory_order_relaxed);
    }
}

void DeferredWriter::Drain() {
    PublishAll();
    WaitForTail(head_);
    if (failed_.load(std::memory_order_acquire)) {
        // The writer is idle: its message may be taken, and later statements go out again.
        std::string message = std::move(error_);
        error_.clear();
        failed_.store(false, std::memory_order_relaxed);
        throw RunError(message);
    }
}

// A statement that fills a table row goes as the row's layout and the values' bits; single
// values for any other layout go as slots of one value each.
bool DeferredWriter::Row(const Layout& layout, const std::uint32_t* bits, std::int32_t count, std::uint64_t rowKinds) {
    if (failed_.load(std::memory_order_relaxed)) Drain();
    if (!layout.kept) return false;
    if (layout.writePlan == nullptr || layout.writePlan->rowKinds != rowKinds) {
        Slot slots[MaxRowFields];
        for (std::int32_t i = 0; i < count; ++i) {
            slots[i] = {RowValueKind(rowKinds, i), const_cast<std::uint32_t*>(bits + i), 1, 0};
        }
        return Queue(StatementRecord, &layout, slots, count);
    }
    const Word words = 2 + WordsFor(static_cast<Word>(count) * 4);
    unsigned char* p = Claim(words);
    StoreWord(p, HeadWord(RowRecord, words, count));
    StoreWord(p + WordBytes, reinterpret_cast<std::uintptr_t>(&layout));
    StoreBytes(p + 2 * WordBytes, bits, static_cast<Word>(count) * 4);
    Publish(words);
    return true;
}

bool DeferredWriter::Statement(const Layout& layout, const Slot* slots, std::int32_t count) {
    if (failed_.load(std::memory_order_relaxed)) Drain();
    if (!layout.kept) return false;
    return Queue(StatementRecord, &layout, slots, count);
}

bool DeferredWriter::Free(const Slot* slots, std::int32_t count) {
    if (failed_.load(std::memory_order_relaxed)) Drain();
    return Queue(FreeRecord, nullptr, slots, count);
}

// A record of slots: the head, the layout, a word for each slot (its kind and its items), then
// each slot's values, from a word boundary.
bool DeferredWriter::Queue(Kind kind, const Layout* layout, const Slot* slots, std::int32_t count) {
    if (count > MaxSlots) return false;
    Word words = 2 + static_cast<Word>(count);
    for (std::int32_t i = 0; i < count; ++i) words += WordsFor(SlotBytes(slots[i]));
    if (words > MaxRecordWords) return false;
    unsigned char* p = Claim(words);
    StoreWord(p, HeadWord(kind, words, count));
    StoreWord(p + WordBytes, reinterpret_cast<std::uintptr_t>(layout));
    unsigned char* data = p + (2 + static_cast<Word>(count)) * WordBytes;
    for (std::int32_t i = 0; i < count; ++i) {
        const Slot& slot = slots[i];
        StoreWord(p + (2 + static_cast<Word>(i)) * WordBytes, static_cast<Word>(slot.kind) | SlotItems(slot) << 8);
        const Word bytes = SlotBytes(slot);
        if (bytes > 0) StoreBytes(data, slot.where, bytes);
        data += WordsFor(bytes) * WordBytes;
    }
    Publish(words);
    return true;
}

void DeferredWriter::Run() noexcept {
    Word tail = 0;
    for (;;) {
        Word available = published_.load(std::memory_order_acquire);
        if (tail == available) {
            // Caught up: a waiting run's thread may go on; look for the next batch a while, then
            // sleep until the bell rings.
            tail_.store(tail);
            if (waiting_.load()) WakeOneWaiter(tail_);
            for (std::int32_t look = 0; look < LooksBeforeSleep && available == tail; ++look) {
                Pause();
                available = published_.load(std::memory_order_acquire);
            }
            if (available != tail) continue;
            const std::uint32_t bell = bell_.load(std::memory_order_acquire);
            sleeping_.store(true);
            if (published_.load() == tail) {
                if (stopping_.load()) return;
                WaitWhileEqual(bell_, bell);
            }
            sleeping_.store(false, std::memory_order_relaxed);
            continue;
        }
        Word sinceStore = 0;
        while (tail != available) {
            const unsigned char* record = ring_.get() + (tail % RingWords) * WordBytes;
            const Word words = WordsOf(LoadWord(record));
            if (KindOf(LoadWord(record)) != Wrap) Perform(record);
            tail += words;
            sinceStore += words;
            if (sinceStore >= RingWords / 16) {
                // Room for a run's thread that waits on a full ring.
                sinceStore = 0;
                tail_.store(tail);
                if (waiting_.load()) WakeOneWaiter(tail_);
            }
        }
    }
}

// Writes one queued statement. After a failure the statements are dropped, as a failing file's
// records are, until the failure is reported.
void DeferredWriter::Perform(const unsigned char* record) {
    if (failed_.load(std::memory_order_relaxed)) return;
    const Word head = LoadWord(record);
    const std::int32_t count = CountOf(head);
    const auto* layout = reinterpret_cast<const Layout*>(static_cast<std::uintptr_t>(LoadWord(record + WordBytes)));
    try {
        if (KindOf(head) == RowRecord) {
            // A row's values are taken as a whole row's worth, the slack after the ring's end
            // covering the last row there: a copy of fixed size costs no call.
            std::uint32_t bits[MaxRowFields];
            std::memcpy(bits, record + 2 * WordBytes, sizeof bits);
            WriteRowNow(unit_, *layout, bits, count, layout->writePlan->rowKinds);
            return;
        }
        // The values are copied out of the ring into storage of the writer's own, where the
        // engines read them as the kinds they are.
        Slot slots[MaxSlots];
        const unsigned char* ringData = record + (2 + static_cast<Word>(count)) * WordBytes;
        const Word dataBytes = (WordsOf(head) - 2 - static_cast<Word>(count)) * WordBytes;
        std::memcpy(values_.get(), ringData, dataBytes);
        const unsigned char* data = values_.get();
        for (std::int32_t i = 0; i < count; ++i) {
            const Word description = LoadWord(record + (2 + static_cast<Word>(i)) * WordBytes);
            Slot& slot = slots[i];
            slot.kind = static_cast<Slot::Kind>(description & 0xffu);
            const auto items = static_cast<std::int32_t>(description >> 8);
            slot.where = const_cast<unsigned char*>(data);
            slot.count = slot.kind == Slot::Chars ? 1 : items;
            slot.length = slot.kind == Slot::Chars ? items : 0;
            data += WordsFor(SlotBytes(slot)) * WordBytes;
        }
        if (KindOf(head) == StatementRecord) {
            WriteStatementNow(unit_, *layout, slots, count);
        } else {
            WriteFreeNow(unit_, slots, count);
        }
    } catch (const RunError& e) {
        error_ = e.what();
        failed_.store(true, std::memory_order_release);
    } catch (const std::exception& e) {
        NoteUnexpectedFailure();
        error_ = std::string("unexpected failure: ") + e.what();
        failed_.store(true, std::memory_order_release);
    }
}

}  // namespace tc::records_detail
