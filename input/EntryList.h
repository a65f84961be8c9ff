#pragma once
// The entries of one list read from an input file: core, no window code.

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The entries of one list in order, their bytes one after another in a single block and beside them
// where each ends. A list of many short entries then costs two allocations, not one per entry (an
// aircraft entry is too long for the small-string buffer), and its memory is the entries' bytes plus
// one offset each. Entries may hold any byte; an empty entry is an entry. With its iterator types it
// is a range, which GoogleTest prints entry by entry.
// Copies share the block until one of them is changed, so a list read from a world-sized file can be
// handed on to a window without a second copy of it. As with the standard containers, a list is not
// changed on one thread while another uses it or a copy of it.
class EntryList {
public:
    // Steps through the entries, giving each as a view into the list; a view stays valid until the
    // list is changed.
    class const_iterator {
    public:
        using iterator_concept = std::random_access_iterator_tag;
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using reference = std::string_view;
        using pointer = void;

        const_iterator() = default;

        std::string_view operator*() const { return (*m_list)[m_index]; }
        std::string_view operator[](difference_type n) const { return (*m_list)[Moved(n)]; }

        const_iterator& operator++()
        {
            ++m_index;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator old = *this;
            ++m_index;
            return old;
        }
        const_iterator& operator--()
        {
            --m_index;
            return *this;
        }
        const_iterator operator--(int)
        {
            const_iterator old = *this;
            --m_index;
            return old;
        }
        const_iterator& operator+=(difference_type n)
        {
            m_index = Moved(n);
            return *this;
        }
        const_iterator& operator-=(difference_type n)
        {
            m_index = Moved(-n);
            return *this;
        }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b)
        {
            return static_cast<difference_type>(a.m_index) - static_cast<difference_type>(b.m_index);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.m_index == b.m_index; }
        // Spelled out: <compare> would stop Qt's moc in a header that includes this one.
        friend bool operator<(const const_iterator& a, const const_iterator& b) { return a.m_index < b.m_index; }
        friend bool operator>(const const_iterator& a, const const_iterator& b) { return a.m_index > b.m_index; }
        friend bool operator<=(const const_iterator& a, const const_iterator& b) { return a.m_index <= b.m_index; }
        friend bool operator>=(const const_iterator& a, const const_iterator& b) { return a.m_index >= b.m_index; }

    private:
        friend class EntryList;
        const_iterator(const EntryList* list, size_t index)
            : m_list(list),
              m_index(index)
        {}
        size_t Moved(difference_type n) const { return static_cast<size_t>(static_cast<difference_type>(m_index) + n); }

        const EntryList* m_list = nullptr;
        size_t m_index = 0;
    };
    using iterator = const_iterator;
    using value_type = std::string_view;
    using size_type = size_t;

    EntryList() = default;
    EntryList(std::initializer_list<std::string_view> entries);

    size_t size() const { return m_block ? m_block->ends.size() : 0; }
    bool empty() const { return size() == 0; }
    std::string_view operator[](size_t i) const
    {
        const std::vector<size_t>& ends = m_block->ends;
        const size_t begin = i == 0 ? 0 : ends[i - 1];
        return std::string_view(m_block->bytes.data() + begin, ends[i] - begin);
    }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }

    void push_back(std::string_view entry)
    {
        Block& block = Own();
        block.bytes.append(entry);
        block.ends.push_back(block.bytes.size());
    }
    // Room for `entries` entries holding `bytes` bytes in all.
    void reserve(size_t entries, size_t bytes)
    {
        Block& block = Own();
        block.ends.reserve(entries);
        block.bytes.reserve(bytes);
    }
    // Gives back room reserved beyond a quarter more than the entries take.
    void ShrinkIfMuchTooLarge();
    // The bytes of all entries together.
    size_t ByteCount() const { return m_block ? m_block->bytes.size() : 0; }

    std::vector<std::string> ToStrings() const;

    friend bool operator==(const EntryList& a, const EntryList& b);
    friend bool operator==(const EntryList& list, const std::vector<std::string>& strings);

private:
    struct Block {
        std::string bytes;        // every entry's bytes, one after another
        std::vector<size_t> ends; // where each entry ends in bytes; each begins where the one before ends
    };
    // The block to change: a new one when there is none or a copy shares it. Called for every entry
    // read, so the check stays inline.
    Block& Own()
    {
        if (!m_block || m_block.use_count() > 1)
            Detach();
        return *m_block;
    }
    void Detach();

    std::shared_ptr<Block> m_block; // none for an empty list
};
