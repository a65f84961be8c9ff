#include "app/Controls.h"

#include "app/Windows1252.h"
#include "input/CodeOrder.h"
#include "input/Text.h"

#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>
#include <limits>
#include <utility>

namespace {
// The shown text of an entry. Bytes below 0x80 and from 0xA0 on are the Latin-1 characters of the
// same number, so only an entry with a byte from 0x80 to 0x9F needs the full table; the rest
// take the library's fast Latin-1 path.
QString Shown(std::string_view bytes)
{
    bool windowsOnly = false;
    for (const char byte : bytes)
        windowsOnly |= static_cast<unsigned char>(static_cast<unsigned char>(byte) - 0x80u) < 0x20u;
    if (windowsOnly)
        return FromWindows1252(bytes);
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

EntryList ListOf(const std::vector<std::string>& strings)
{
    size_t bytes = 0;
    for (const std::string& entry : strings)
        bytes += entry.size();
    EntryList list;
    list.reserve(strings.size(), bytes);
    for (const std::string& entry : strings)
        list.push_back(entry);
    return list;
}
} // namespace

int EntryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

QVariant EntryModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    return Shown(m_entries[static_cast<size_t>(index.row())]);
}

void EntryModel::Insert(int row, std::string_view bytes)
{
    beginInsertRows(QModelIndex(), row, row);
    if (static_cast<size_t>(row) == m_entries.size()) {
        m_entries.push_back(bytes);
    } else {
        // Only the short sorted lists insert before their end.
        EntryList entries;
        entries.reserve(m_entries.size() + 1, m_entries.ByteCount() + bytes.size());
        for (size_t i = 0; i < m_entries.size(); ++i) {
            if (i == static_cast<size_t>(row))
                entries.push_back(bytes);
            entries.push_back(m_entries[i]);
        }
        m_entries = std::move(entries);
    }
    endInsertRows();
}

void EntryModel::Append(const EntryList& entries)
{
    if (entries.empty())
        return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(entries.size()) - 1);
    if (m_entries.empty()) {
        m_entries = entries; // shares the bytes as read: a fleet of a million entries is not copied
    } else {
        for (const std::string_view entry : entries)
            m_entries.push_back(entry);
    }
    endInsertRows();
}

OneLineList::OneLineList(bool sorted, QWidget* parent)
    : QListView(parent),
      m_model(new EntryModel(this)),
      m_sorted(sorted)
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &OneLineList::SelectionMoved);
}

int OneLineList::AddString(const std::string& bytes)
{
    int row = Count();
    if (m_sorted) {
        // After the last entry that does not sort behind the new one.
        int low = 0;
        while (low < row) {
            const int mid = low + (row - low) / 2;
            if (CompareNoCase(m_model->Entries()[static_cast<size_t>(mid)], bytes) <= 0)
                low = mid + 1;
            else
                row = mid;
        }
    }
    m_model->Insert(row, bytes);
    return row;
}

void OneLineList::AddStrings(const std::vector<std::string>& entries)
{
    if (m_sorted) {
        for (const std::string& entry : entries)
            AddString(entry);
        return;
    }
    m_model->Append(ListOf(entries));
}

void OneLineList::AddStrings(const EntryList& entries)
{
    if (m_sorted) {
        for (const std::string_view entry : entries)
            AddString(std::string(entry));
        return;
    }
    m_model->Append(entries);
}

void OneLineList::SetCurSel(int index)
{
    if (index < 0 || index >= Count()) {
        selectionModel()->clear();
        return;
    }
    const QModelIndex entry = m_model->index(index);
    selectionModel()->setCurrentIndex(entry, QItemSelectionModel::ClearAndSelect);
    // A list not yet shown scrolls to its current entry by itself when it comes up; scrolling now
    // would lay out every entry of a long list before the dialog is even seen.
    if (isVisible())
        scrollTo(entry, QAbstractItemView::PositionAtTop);
}

int OneLineList::GetCurSel() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.constFirst().row();
}

std::string OneLineList::GetText(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return std::string(m_model->Entries()[static_cast<size_t>(index)]);
}

int OneLineList::FindString(std::string_view prefix) const
{
    const EntryList& entries = m_model->Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (StartsWithNoCase(entries[i], prefix))
            return static_cast<int>(i);
    }
    return -1;
}

void OneLineList::keyboardSearch(const QString& text)
{
    // Keys typed without a pause of about a second make one text; after a pause a new one starts.
    constexpr qint64 TypingPauseMs = 1000;
    if (!m_sinceTyped.isValid() || m_sinceTyped.elapsed() > TypingPauseMs)
        m_typed.clear();
    m_sinceTyped.start();
    const std::optional<std::string> bytes = ToWindows1252(text);
    if (!bytes || bytes->empty() || static_cast<unsigned char>(bytes->front()) < 0x20)
        return; // a character no entry can hold, or a control key
    m_typed += *bytes;
    const int found = FindTyped();
    if (found >= 0)
        SetCurSel(found);
}

int OneLineList::FindTyped() const
{
    const int first = FindString(m_typed);
    if (first >= 0 || m_typed.find_first_not_of(m_typed.front()) != std::string::npos)
        return first;
    // The same key pressed again, with no entry beginning with it repeated: the next entry after
    // the selected one that begins with the key, from the top again after the last.
    const std::string_view key(m_typed.data(), 1);
    const EntryList& entries = m_model->Entries();
    const int count = Count();
    const int from = GetCurSel();
    for (int step = 1; step <= count; ++step) {
        const int index = (from + step) % count;
        if (StartsWithNoCase(entries[static_cast<size_t>(index)], key))
            return index;
    }
    return -1;
}

void OneLineList::initViewItemOption(QStyleOptionViewItem* option) const
{
    QListView::initViewItemOption(option);
    if (hasFocus())
        return;
    // The keys go to the list with the focus: the others draw their selection as inactive, in a grey
    // that still marks it, whatever colours the style gives inactive selections.
    option->state &= ~QStyle::State_Active;
    QPalette& palette = option->palette;
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Midlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Active, QPalette::Text));
}

void OneLineList::focusInEvent(QFocusEvent* event)
{
    QListView::focusInEvent(event);
    viewport()->update();
}

void OneLineList::focusOutEvent(QFocusEvent* event)
{
    QListView::focusOutEvent(event);
    viewport()->update();
}

QItemSelectionModel::SelectionFlags OneLineList::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    // The user cannot clear the selection: Ctrl+click and Ctrl+Space on the selected entry, which
    // would take it back, leave it selected.
    const QItemSelectionModel::SelectionFlags command = QListView::selectionCommand(index, event);
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

DestinationBox::DestinationBox(QWidget* parent)
    : QLineEdit(parent)
{
    TakeAnyLength(*this);
    connect(this, &QLineEdit::textEdited, this, &DestinationBox::OnTextEdited);
}

void DestinationBox::SetEntries(EntryList entries)
{
    m_order = SortedCodeOrder(entries);
    m_entries = std::move(entries);
    m_current = -1;
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

int DestinationBox::FindCode(std::string_view code) const
{
    const int index = FindPrefix(code);
    return index >= 0 && Entry(index).size() == code.size() ? index : -1;
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
    const std::optional<std::string> typed = ToWindows1252(text);
    m_current = (typed && !typed->empty()) ? FindPrefix(*typed) : -1;
    // The field shows the code the leg will write: typing at the end completes it to the selected
    // code, in the code's own letters, and selects the part not typed, so typing on replaces it.
    if (m_current < 0 || m_takingBack || cursorPosition() != text.size())
        return;
    const QString code = Shown(Entry(m_current));
    setText(code);
    setSelection(static_cast<int>(text.size()), static_cast<int>(code.size() - text.size()));
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
    // Backspace, Delete, Cut and Undo take text back, a completion too: they never complete again.
    m_takingBack = key == Qt::Key_Backspace || key == Qt::Key_Delete || event->matches(QKeySequence::Cut)
                   || event->matches(QKeySequence::Undo);
    QLineEdit::keyPressEvent(event);
    m_takingBack = false;
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

void TakeAnyLength(QLineEdit& edit) { edit.setMaxLength(std::numeric_limits<int>::max()); }
