#include "input/EntryList.h"

#include <algorithm>

EntryList::EntryList(std::initializer_list<std::string_view> entries)
{
    size_t bytes = 0;
    for (const std::string_view entry : entries)
        bytes += entry.size();
    reserve(entries.size(), bytes);
    for (const std::string_view entry : entries)
        push_back(entry);
}

void EntryList::Detach() { m_block = m_block ? std::make_shared<Block>(*m_block) : std::make_shared<Block>(); }

void EntryList::ShrinkIfMuchTooLarge()
{
    // A shared block is left as it is: shrinking it would copy it.
    if (!m_block || m_block.use_count() > 1)
        return;
    std::vector<size_t>& ends = m_block->ends;
    std::string& bytes = m_block->bytes;
    if (ends.capacity() - ends.size() > ends.size() / 4 + 64)
        ends.shrink_to_fit();
    if (bytes.capacity() - bytes.size() > bytes.size() / 4 + 1024)
        bytes.shrink_to_fit();
}

bool operator==(const EntryList& a, const EntryList& b) { return std::equal(a.begin(), a.end(), b.begin(), b.end()); }

std::vector<std::string> EntryList::ToStrings() const { return std::vector<std::string>(begin(), end()); }

bool operator==(const EntryList& list, const std::vector<std::string>& strings)
{
    return std::equal(list.begin(), list.end(), strings.begin(), strings.end());
}
