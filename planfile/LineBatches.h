#pragma once
// The lines of one or more files, read on a thread of their own in batches a few batches ahead of the
// caller, who takes the batches in the order of files and lines. Work on a batch that needs no other
// batch (taking its lines apart, checking its plans) is shared between the two processors: the reading
// thread does it for the batch it has just read whenever the caller has fallen behind, and the caller
// does it for every batch it takes undone. The batches are used over and over, so their lines keep
// their storage. Core, no Qt.

#include "planfile/PlanFileReader.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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
    bool done = false;      // the shared work on it is done
};

// `Reader` reads the lines of one file as PlanFileReader does (OpenError, NextLine, LineNumber,
// HadReadError).
template <typename Line, typename Reader = PlanFileReader>
class LineBatches {
public:
    using Batch = LineBatch<Line>;
    // The shared work on one batch; `worker` is 0 on the caller's thread, 1 on the reading thread, so
    // that each can keep scratch storage of its own.
    using Work = std::function<void(Batch& batch, int worker)>;

    LineBatches(std::vector<std::filesystem::path> files, Work work, std::size_t batchLines = 512)
        : m_files(std::move(files)),
          m_work(std::move(work))
    {
        for (Batch& batch : m_batches) {
            batch.lines.resize(batchLines);
            m_free.push_back(&batch);
        }
        m_thread = std::thread([this] { ReadAll(); });
    }
    ~LineBatches()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    LineBatches(const LineBatches&) = delete;
    LineBatches& operator=(const LineBatches&) = delete;

    // The next batch in order, its work done; null after the last file's last batch.
    Batch* Take()
    {
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
        }
        if (!batch->done) {
            m_work(*batch, 0);
            batch->done = true;
        }
        return batch;
    }
    // Hands a batch taken back for reuse.
    void Return(Batch* batch)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_free.push_back(batch);
        }
        m_changed.notify_all();
    }

private:
    // Enough batches that neither thread waits for the other when one batch takes longer than the next
    // (with 8, a large check took a tenth longer).
    static constexpr std::size_t Batches = 32;
    // The caller has fallen behind when this many batches wait for it.
    static constexpr std::size_t Behind = 4;

    // A free batch, or null once the caller has stopped; `waiting` gets how many batches wait.
    Batch* Free(std::size_t& waiting)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return !m_free.empty() || m_stopped; });
        if (m_stopped)
            return nullptr;
        Batch* batch = m_free.back();
        m_free.pop_back();
        waiting = m_ready.size();
        return batch;
    }
    void Hand(Batch* batch)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_ready.push_back(batch);
        }
        m_changed.notify_all();
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
            std::size_t waiting = 0;
            Batch* batch = Free(waiting);
            if (!batch)
                return false;
            batch->file = index;
            batch->count = 0;
            batch->openError = reader.OpenError();
            ended = !batch->openError.empty();
            while (!ended && batch->count < batch->lines.size()) {
                Line& line = batch->lines[batch->count];
                ended = !reader.NextLine(line.text);
                if (ended)
                    break;
                line.number = reader.LineNumber();
                if constexpr (requires { line.offset = reader.Offset(); })
                    line.offset = reader.Offset();
                ++batch->count;
            }
            batch->endOfFile = ended;
            batch->readError = ended && reader.HadReadError();
            batch->stop = ended ? reader.Stop() : TextStop{};
            batch->done = waiting >= Behind;
            if (batch->done)
                m_work(*batch, 1);
            Hand(batch);
        }
        return true;
    }

    const std::vector<std::filesystem::path> m_files;
    const Work m_work;
    std::array<Batch, Batches> m_batches;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Batch*> m_free;
    std::deque<Batch*> m_ready;
    bool m_finished = false;      // the reading thread is done
    bool m_stopped = false;       // the caller is done
    std::exception_ptr m_failure; // what ended the reading thread early, for the caller
    std::thread m_thread;         // last: started once the rest is built
};
