#pragma once
// The lines of one or more files, read in batches a few batches ahead of the caller, who takes the
// batches in the order of files and lines. Work on a batch that needs no other batch (taking its
// lines apart, checking its plans) is spread over the processors: a thread of its own reads, and does
// the work for the batch it has just read whenever the others have fallen behind; helper threads work
// the batches waiting, the earliest first; the caller works every batch it takes undone, and later
// ones while a helper finishes the batch it is to take. On one processor the caller reads and works each batch itself,
// with no other thread. The batches are used over and over, so their lines keep their storage. Core, no Qt.

#include "planfile/PlanFileReader.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdlib>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// How many threads share the work: one per processor, or LEGWISE_THREADS (1 to 64) when it is set,
// for measuring on fewer.
inline unsigned ProcessorsToUse()
{
    if (const char* given = std::getenv("LEGWISE_THREADS")) {
        const int count = std::atoi(given);
        if (count >= 1 && count <= 64)
            return static_cast<unsigned>(count);
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

// `Line` holds at least `std::string text` and `std::int64_t number`, and gets the line's offset in
// the file as well when it holds `std::uint64_t offset` and the reader gives it.
template <typename Line>
struct LineBatch {
    std::size_t file = 0;
    std::vector<Line> lines; // the first `count` are this batch's
    std::size_t count = 0;
    std::string openError; // the file could not be opened: the batch holds no lines
    bool endOfFile = false;
    bool readError = false; // the file could not be read to its end
    TextStop stop;          // at the end of a file: where a 0x1A ended its text

    // Between the threads: the batch is read, its work taken by a thread, then done.
    enum class State { Read, Working, Done } state = State::Read;
    std::exception_ptr failure; // what ended its work (out of memory), for the caller
};

// `Reader` reads the lines of one file as PlanFileReader does (OpenError, NextLine, LineNumber,
// HadReadError).
template <typename Line, typename Reader = PlanFileReader>
class LineBatches {
public:
    using Batch = LineBatch<Line>;
    // The shared work on one batch; `worker` is 0 on the caller's thread and from 1 to Workers() - 1
    // on the others, so that each can keep scratch storage of its own.
    using Work = std::function<void(Batch& batch, int worker)>;

    // A batch ends after `batchLines` lines or once its lines hold `batchBytes`, so that the batches in
    // flight, and what their work finds, stay small however long the lines are.
    LineBatches(std::vector<std::filesystem::path> files, Work work, unsigned threads = ProcessorsToUse(),
                std::size_t batchLines = 512, std::size_t batchBytes = 128 * 1024)
        : m_files(std::move(files)),
          m_work(std::move(work)),
          m_threads(std::max(1u, threads)),
          m_batchBytes(batchBytes)
    {
        for (Batch& batch : m_batches) {
            batch.lines.resize(batchLines);
            m_free.push_back(&batch);
        }
        if (m_threads == 1)
            return;
        m_thread = std::thread([this] { ReadAll(); });
        for (unsigned worker = 2; worker < m_threads; ++worker)
            m_helpers.emplace_back([this, worker] { Help(static_cast<int>(worker)); });
    }
    ~LineBatches()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
        for (std::thread& helper : m_helpers)
            helper.join();
        if (m_thread.joinable())
            m_thread.join();
    }
    LineBatches(const LineBatches&) = delete;
    LineBatches& operator=(const LineBatches&) = delete;

    // How many workers there are: the numbers the work is called with run from 0 to this minus 1.
    int Workers() const { return static_cast<int>(m_threads); }

    // The next batch in order, its work done; null after the last file's last batch.
    Batch* Take()
    {
        if (m_threads == 1)
            return ReadHere();
        Batch* batch = nullptr;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [&] { return !m_ready.empty() || m_finished; });
            if (m_ready.empty() && m_failure)
                std::rethrow_exception(m_failure); // out of memory on the reading thread, after the batches before
            if (m_ready.empty())
                return nullptr;
            batch = m_ready.front();
            m_ready.pop_front();
            if (batch->state == Batch::State::Read) {
                batch->state = Batch::State::Working;
                --m_unclaimed;
                lock.unlock();
                m_work(*batch, 0);
                lock.lock();
                batch->state = Batch::State::Done;
            }
            // While another thread works on it, a batch after it that waits for its work is done here.
            while (batch->state != Batch::State::Done) {
                const auto waiting = std::find_if(m_ready.begin(), m_ready.end(), [](const Batch* ready) {
                    return ready->state == Batch::State::Read;
                });
                if (waiting == m_ready.end()) {
                    m_changed.wait(lock);
                    continue;
                }
                Batch* later = *waiting;
                later->state = Batch::State::Working;
                --m_unclaimed;
                lock.unlock();
                WorkOn(*later, 0);
                lock.lock();
                later->state = Batch::State::Done;
            }
        }
        if (batch->failure)
            std::rethrow_exception(batch->failure);
        return batch;
    }
    // Hands a batch taken back for reuse.
    void Return(Batch* batch)
    {
        if (m_threads == 1)
            return;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_free.push_back(batch);
        }
        m_changed.notify_all();
    }

private:
    // Enough batches that no thread waits for another when one batch takes longer than the next
    // (with 8, a large check took a tenth longer).
    static constexpr std::size_t Batches = 32;
    // The others have fallen behind when this many batches wait for the caller.
    static constexpr std::size_t Behind = 4;

    // On one processor: the next batch read and worked here; null after the last.
    Batch* ReadHere()
    {
        Batch& batch = m_batches.front();
        while (m_next < m_files.size()) {
            if (!m_reader)
                m_reader.emplace(m_files[m_next]);
            batch.file = m_next;
            if (Fill(*m_reader, batch)) {
                m_reader.reset();
                ++m_next;
            }
            m_work(batch, 0);
            return &batch;
        }
        return nullptr;
    }

    // Reads the next lines of `reader`'s file into `batch`; true when the file has ended.
    bool Fill(Reader& reader, Batch& batch)
    {
        batch.count = 0;
        batch.openError = reader.OpenError();
        bool ended = !batch.openError.empty();
        std::size_t bytes = 0;
        while (!ended && batch.count < batch.lines.size() && bytes < m_batchBytes) {
            Line& line = batch.lines[batch.count];
            ended = !reader.NextLine(line.text);
            if (ended)
                break;
            line.number = reader.LineNumber();
            if constexpr (requires { line.offset = reader.Offset(); })
                line.offset = reader.Offset();
            bytes += line.text.size();
            ++batch.count;
        }
        batch.endOfFile = ended;
        batch.readError = ended && reader.HadReadError();
        batch.stop = ended ? reader.Stop() : TextStop{};
        batch.failure = nullptr;
        return ended;
    }

    // A free batch, or null once the caller has stopped; `behind` says whether enough batches wait
    // for the caller.
    Batch* Free(bool& behind)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return !m_free.empty() || m_stopped; });
        if (m_stopped)
            return nullptr;
        Batch* batch = m_free.back();
        m_free.pop_back();
        behind = m_ready.size() >= Behind;
        return batch;
    }
    void Hand(Batch* batch)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_ready.push_back(batch);
            if (batch->state == Batch::State::Read)
                ++m_unclaimed;
        }
        m_changed.notify_all();
    }

    // Works `batch` on thread `worker`, keeping what ended the work for the caller.
    void WorkOn(Batch& batch, int worker)
    {
        try {
            m_work(batch, worker);
        } catch (...) {
            batch.failure = std::current_exception();
        }
    }

    void ReadAll()
    {
        std::exception_ptr failure;
        try {
            for (std::size_t index = 0; index < m_files.size() && ReadFile(index); ++index) {
            }
        } catch (...) {
            failure = std::current_exception();
        }
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_failure = failure;
            m_finished = true;
        }
        m_changed.notify_all();
    }

    // False when the caller stopped taking batches.
    bool ReadFile(std::size_t index)
    {
        Reader reader(m_files[index]);
        for (bool ended = false; !ended;) {
            bool behind = false;
            Batch* batch = Free(behind);
            if (!batch)
                return false;
            batch->file = index;
            ended = Fill(reader, *batch);
            batch->state = behind ? Batch::State::Done : Batch::State::Read;
            if (behind)
                WorkOn(*batch, 1);
            Hand(batch);
        }
        return true;
    }

    // A helper thread: works the earliest batch that waits for its work, until the caller stops or
    // the reading is over and no batch waits.
    void Help(int worker)
    {
        for (;;) {
            Batch* batch = nullptr;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [&] { return m_unclaimed > 0 || m_stopped || m_finished; });
                if (m_unclaimed == 0 || m_stopped)
                    return;
                batch = *std::find_if(m_ready.begin(), m_ready.end(),
                                      [](const Batch* ready) { return ready->state == Batch::State::Read; });
                batch->state = Batch::State::Working;
                --m_unclaimed;
            }
            WorkOn(*batch, worker);
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                batch->state = Batch::State::Done;
            }
            m_changed.notify_all();
        }
    }

    const std::vector<std::filesystem::path> m_files;
    const Work m_work;
    const unsigned m_threads;
    const std::size_t m_batchBytes;
    std::array<Batch, Batches> m_batches;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Batch*> m_free;
    std::deque<Batch*> m_ready;
    std::size_t m_unclaimed = 0;  // batches in m_ready whose work no thread has taken
    bool m_finished = false;      // the reading thread is done
    bool m_stopped = false;       // the caller is done
    std::exception_ptr m_failure; // what ended the reading thread early, for the caller
    std::size_t m_next = 0;       // on one processor: the file being read
    std::optional<Reader> m_reader;
    std::vector<std::thread> m_helpers;
    std::thread m_thread; // last: started once the rest is built
};
