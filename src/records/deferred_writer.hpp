#pragma once
// DeferredWriter: the statements of one unit written by a thread of their own. The run's thread
// copies each statement's values into a ring and goes on with its work; the writer builds the
// records from them, in order, into the unit's buffer and file. The file ends up the same byte
// for byte; only the time its bytes are built moves to the other processor.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "records/layout.hpp"
#include "records/records.hpp"

namespace tc {

class Unit;

namespace records_detail {

// The engines that build records at once, whatever the unit: the writer calls them, and so do the
// statements of a unit that writes its own records.
void WriteRowNow(Unit& unit, const Layout& layout, const std::uint32_t* bits, std::int32_t count,
                 std::uint64_t rowKinds);
void WriteStatementNow(Unit& unit, const Layout& layout, const Slot* slots, std::int32_t count);
void WriteFreeNow(Unit& unit, const Slot* slots, std::int32_t count);

class DeferredWriter {
public:
    // Starts the thread; throws std::system_error when the host gives none.
    explicit DeferredWriter(Unit& unit);
    // Writes what is queued, then ends the thread; an error found meanwhile is lost.
    ~DeferredWriter();
    DeferredWriter(const DeferredWriter&) = delete;
    DeferredWriter& operator=(const DeferredWriter&) = delete;

    // Queue a statement. False when it cannot be queued (a layout that may not outlive the
    // statement, too many values): the caller drains the queue and writes it itself. Throws the
    // RunError of an earlier statement that failed.
    bool Row(const Layout& layout, const std::uint32_t* bits, std::int32_t count, std::uint64_t rowKinds);
    bool Statement(const Layout& layout, const Slot* slots, std::int32_t count);
    bool Free(const Slot* slots, std::int32_t count);

    // Returns once every queued statement is written; throws, once, the RunError of a statement
    // that failed. The writer does nothing more until the next statement is queued.
    void Drain();

private:
    using Word = std::uint64_t;
    enum Kind : Word { Wrap, RowRecord, StatementRecord, FreeRecord };

    // The ring's size in words, and the largest statement it takes.
    static constexpr Word RingWords = Word{1} << 16;
    static constexpr Word MaxRecordWords = RingWords / 8;
    static constexpr std::int32_t MaxSlots = 64;

    unsigned char* Claim(Word words);
    void Publish(Word words);
    void WaitForTail(Word target);
    void Wake();
    void Run() noexcept;
    void Perform(const unsigned char* record);
    bool Queue(Kind kind, const Layout* layout, const Slot* slots, std::int32_t count);

    // Records are handed over in batches of this many words or more, and the writer, caught up,
    // looks for the next batch this many times before it sleeps: each hand-over moves data
    // between the processors' caches, and waking a sleeping thread costs more still.
    static constexpr Word BatchWords = 2048;
    static constexpr std::int32_t LooksBeforeSleep = 4000;

    void PublishAll();

    Unit& unit_;
    std::unique_ptr<unsigned char[]> ring_;    // RingWords words; values are copied in as bytes
    std::unique_ptr<unsigned char[]> values_;  // the writer's: a statement's values out of the ring
    // The run's thread alone, on a line of their own: the writer reads the members above all
    // the time.
    alignas(64) Word head_ = 0;       // the words claimed so far
    Word handedOver_ = 0;  // the words handed over so far
    Word seenTail_ = 0;    // the words the writer had taken when last looked at
    std::uint32_t sinceCheck_ = 0;
    // Each group that one thread writes and the other reads on a cache line of its own.
    alignas(64) std::atomic<Word> published_{0};  // the words the writer may take
    alignas(64) std::atomic<Word> tail_{0};       // the words the writer has taken
    std::atomic<bool> sleeping_{false};
    std::atomic<bool> failed_{false};             // error_ holds a failure not yet reported
    std::string error_;
    alignas(64) std::atomic<std::uint32_t> bell_{0};  // rung to wake the writer
    std::atomic<bool> waiting_{false};                // the run's thread waits for the writer
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace records_detail
}  // namespace tc
