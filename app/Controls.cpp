#include "app/Controls.h"

#include "app/Text.h"
#include "app/Windows1252.h"

#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace {
// Decoding gives every byte a character of its own, so an entry's bytes are its shown text encoded
// back: the list keeps no second copy of them.
std::string BytesOf(const QListWidgetItem* item) { return ToWindows1252(item->text()).value_or(std::string()); }

// The shown text of an entry. Bytes below 0x80 and from 0xA0 on are the Latin-1 characters of the
// same number, so only an entry with a byte from 0x80 to 0x9F needs the full table; the rest
// take the library's fast Latin-1 path. A fleet of thousands of entries is decoded at every opening.
QString Shown(std::string_view bytes)
{
    bool windowsOnly = false;
    for (const char byte : bytes)
        windowsOnly |= static_cast<unsigned char>(static_cast<unsigned char>(byte) - 0x80u) < 0x20u;
    if (windowsOnly)
        return FromWindows1252(bytes);
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Entries without regard to case; entries equal but for case keep the order of their bytes.
bool LessNoCase(std::string_view a, std::string_view b)
{
    const int order = CompareNoCase(a, b);
    return order != 0 ? order < 0 : a < b;
}

// The first eight bytes of an entry, lower-cased and padded with zeros, as one number whose order
// is the order of CompareNoCase over those bytes. Entries whose numbers differ are ordered by them;
// only entries with equal numbers need the whole comparison.
std::uint64_t HeadOf(std::string_view entry)
{
    static const std::array<unsigned char, 256> lower = [] {
        std::array<unsigned char, 256> table{};
        for (int byte = 0; byte < 256; ++byte)
            table[static_cast<size_t>(byte)] = LowerByte(static_cast<unsigned char>(byte));
        return table;
    }();
    const size_t length = std::min<size_t>(entry.size(), 8);
    std::uint64_t head = 0;
    for (size_t i = 0; i < length; ++i)
        head = (head << 8) | lower[static_cast<unsigned char>(entry[i])];
    // The missing bytes count as zeros at the end; shifting by 64 is undefined, so twice by half.
    const unsigned missing = static_cast<unsigned>(8 * (8 - length));
    return (head << (missing / 2)) << (missing - missing / 2);
}

// Orders `keys` by those of their bytes in which `varying` has a bit set, least significant byte
// first; keys equal in those bytes keep their order.
template <typename Key, typename ValueOf>
void RadixSortBytes(std::vector<Key>& keys, std::uint64_t varying, ValueOf valueOf)
{
    std::vector<Key> scratch(keys.size());
    for (unsigned shift = 0; shift < 64; shift += 8) {
        if (((varying >> shift) & 0xFF) == 0)
            continue;
        std::array<std::uint32_t, 256> count{};
        for (const Key& key : keys)
            ++count[(valueOf(key) >> shift) & 0xFF];
        std::uint32_t position = 0;
        for (std::uint32_t& c : count)
            position += std::exchange(c, position);
        for (const Key& key : keys)
            scratch[count[(valueOf(key) >> shift) & 0xFF]++] = key;
        keys.swap(scratch);
    }
}
} // namespace

// The entries' indexes in sorted order, without regard to case. A world-sized airport list is sorted
// here at every opening of the plan dialog, so the entries are ordered by a radix sort over their
// heads (a byte that is the same in every head, such as the padding of four-letter codes, costs no
// pass), and only entries that agree in their first eight bytes are compared in full. The entries
// themselves never move.
std::vector<std::uint32_t> DestinationBox::SortedOrder(const EntryList& entries)
{
    const size_t n = entries.size();
    std::vector<std::uint32_t> order(n);
    if (n == 0)
        return order;
    std::vector<std::uint64_t> heads(n);
    std::uint64_t varying = 0; // the bits in which some head differs from the first
    size_t longest = 0;
    for (size_t i = 0; i < n; ++i) {
        heads[i] = HeadOf(entries[i]);
        varying |= heads[i] ^ heads[0];
        longest = std::max(longest, entries[i].size());
    }
    constexpr unsigned IndexBits = 24;
    constexpr std::uint64_t IndexMask = (std::uint64_t{1} << IndexBits) - 1;
    if (longest <= 5 && n <= IndexMask) {
        // Codes of up to five bytes leave the low three bytes of their heads empty: the index goes
        // there, and the numbers themselves are sorted, with no lookup per step.
        for (size_t i = 0; i < n; ++i)
            heads[i] |= i;
        RadixSortBytes(heads, varying, [](std::uint64_t key) { return key; });
        for (size_t i = 0; i < n; ++i) {
            order[i] = static_cast<std::uint32_t>(heads[i] & IndexMask);
            heads[i] &= ~IndexMask;
        }
    } else {
        for (size_t i = 0; i < n; ++i)
            order[i] = static_cast<std::uint32_t>(i);
        RadixSortBytes(order, varying, [&heads](std::uint32_t index) { return heads[index]; });
        std::vector<std::uint64_t> sortedHeads(n);
        for (size_t i = 0; i < n; ++i)
            sortedHeads[i] = heads[order[i]];
        heads.swap(sortedHeads);
    }
    // The heads are now in sorted order too: entries that agree in theirs are compared in full.
    for (size_t first = 0; first < n;) {
        size_t last = first + 1;
        while (last < n && heads[last] == heads[first])
            ++last;
        if (last - first > 1) {
            std::sort(order.begin() + static_cast<std::ptrdiff_t>(first),
                      order.begin() + static_cast<std::ptrdiff_t>(last),
                      [&entries](std::uint32_t a, std::uint32_t b) { return LessNoCase(entries[a], entries[b]); });
        }
        first = last;
    }
    return order;
}

OneLineList::OneLineList(bool sorted, QWidget* parent)
    : QListWidget(parent),
      m_sorted(sorted)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

int OneLineList::AddString(const std::string& bytes) { return AddBytes(bytes); }

int OneLineList::AddBytes(std::string_view bytes)
{
    int row = count();
    if (m_sorted) {
        // After the last entry that does not sort behind the new one.
        int low = 0;
        while (low < row) {
            const int mid = low + (row - low) / 2;
            if (CompareNoCase(BytesOf(item(mid)), bytes) <= 0)
                low = mid + 1;
            else
                row = mid;
        }
    }
    insertItem(row, new QListWidgetItem(Shown(bytes)));
    return row;
}

template <typename List>
void OneLineList::AddAll(const List& entries)
{
    if (m_sorted) {
        for (const std::string_view entry : entries)
            AddBytes(entry);
        return;
    }
    // All in one insertion: the view hears of the new rows once, not once per entry.
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(entries.size()));
    for (const std::string_view entry : entries)
        texts.append(Shown(entry));
    addItems(texts);
}

void OneLineList::AddStrings(const std::vector<std::string>& entries) { AddAll(entries); }

void OneLineList::AddStrings(const EntryList& entries) { AddAll(entries); }

void OneLineList::SetCurSel(int index)
{
    if (index < 0 || index >= count()) {
        clearSelection();
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    // A list not yet shown scrolls to its current entry by itself when it comes up; scrolling now
    // would lay out every entry of a long list before the dialog is even seen.
    if (isVisible())
        scrollToItem(item(index), QAbstractItemView::PositionAtTop);
}

int OneLineList::GetCurSel() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.constFirst());
}

std::string OneLineList::GetText(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return BytesOf(item(index));
}

int OneLineList::FindString(std::string_view prefix) const
{
    for (int i = 0; i < count(); ++i) {
        if (StartsWithNoCase(BytesOf(item(i)), prefix))
            return i;
    }
    return -1;
}

DestinationBox::DestinationBox(QWidget* parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &DestinationBox::OnTextEdited);
}

void DestinationBox::SetEntries(EntryList entries)
{
    m_order = SortedOrder(entries);
    m_entries = std::move(entries);
    m_current = -1;
}

void DestinationBox::SetEntries(std::vector<std::string> entries)
{
    size_t bytes = 0;
    for (const std::string& entry : entries)
        bytes += entry.size();
    EntryList list;
    list.reserve(entries.size(), bytes);
    for (const std::string& entry : entries)
        list.push_back(entry);
    SetEntries(std::move(list));
}

std::string_view DestinationBox::Entry(int index) const { return m_entries[m_order[static_cast<size_t>(index)]]; }

int DestinationBox::FindPrefix(std::string_view prefix) const
{
    // The entries that begin with the prefix (ignoring case) follow one another in the sorted
    // list, starting at the first entry not below it.
    int low = 0;
    int high = Count();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (CompareNoCase(Entry(mid), prefix) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    if (low == Count() || !StartsWithNoCase(Entry(low), prefix))
        return -1;
    return low;
}

int DestinationBox::SelectString(std::string_view prefix)
{
    const int index = FindPrefix(prefix);
    if (index >= 0) {
        m_current = index;
        ShowCurrent();
    }
    return index;
}

void DestinationBox::SetCurSel(int index)
{
    m_current = (index >= 0 && index < Count()) ? index : -1;
    ShowCurrent();
}

std::string DestinationBox::GetLBText(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return std::string(Entry(index));
}

void DestinationBox::ShowCurrent() { setText(m_current >= 0 ? Shown(Entry(m_current)) : QString()); }

void DestinationBox::OnTextEdited(const QString& text)
{
    // What the user types stays as typed; only the selection follows it.
    const std::optional<std::string> typed = ToWindows1252(text);
    m_current = (typed && !typed->empty()) ? FindPrefix(*typed) : -1;
}

void DestinationBox::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_Down || key == Qt::Key_Up) && !(event->modifiers() & Qt::AltModifier)) {
        if (Count() > 0) {
            if (m_current < 0)
                m_current = 0;
            else
                m_current = std::clamp(m_current + (key == Qt::Key_Down ? 1 : -1), 0, Count() - 1);
            ShowCurrent();
            selectAll();
        }
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

MultiLineEdit::MultiLineEdit(bool wantReturn, QWidget* parent)
    : QPlainTextEdit(parent),
      m_wantReturn(wantReturn)
{
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void MultiLineEdit::ScrollToLastLine() { verticalScrollBar()->setValue(verticalScrollBar()->maximum()); }

void MultiLineEdit::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !m_wantReturn) {
        if (event->modifiers() & Qt::ControlModifier) {
            insertPlainText(QStringLiteral("\n"));
            event->accept();
        } else {
            event->ignore(); // the dialog presses its default button
        }
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}
