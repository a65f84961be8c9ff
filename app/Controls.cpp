#include "app/Controls.h"

#include "app/Text.h"
#include "app/Windows1252.h"

#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

namespace {
constexpr int BytesRole = Qt::UserRole;

std::string BytesOf(const QListWidgetItem* item)
{
    const QByteArray bytes = item->data(BytesRole).toByteArray();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QListWidgetItem* MakeItem(const std::string& bytes)
{
    auto* item = new QListWidgetItem(FromWindows1252(bytes));
    item->setData(BytesRole, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return item;
}
} // namespace

OneLineList::OneLineList(bool sorted, QWidget* parent)
    : QListWidget(parent), m_sorted(sorted)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

int OneLineList::AddString(const std::string& bytes)
{
    int row = count();
    if (m_sorted) {
        row = 0;
        while (row < count() && CompareNoCase(BytesOf(item(row)), bytes) <= 0)
            ++row;
    }
    insertItem(row, MakeItem(bytes));
    return row;
}

void OneLineList::AddStrings(const std::vector<std::string>& entries)
{
    if (m_sorted) {
        for (const std::string& entry : entries)
            AddString(entry);
        return;
    }
    setUpdatesEnabled(false);
    for (const std::string& entry : entries)
        addItem(MakeItem(entry));
    setUpdatesEnabled(true);
}

void OneLineList::SetCurSel(int index)
{
    if (index < 0 || index >= count()) {
        clearSelection();
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
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

void DestinationBox::SetEntries(std::vector<std::string> entries)
{
    // Without regard to case; codes equal but for case keep the order of their bytes.
    std::sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
        const int order = CompareNoCase(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    m_entries = std::move(entries);
    m_current = -1;
}

int DestinationBox::FindPrefix(std::string_view prefix) const
{
    // The entries that begin with the prefix (ignoring case) follow one another in the sorted
    // list, starting at the first entry not below it.
    const auto first = std::lower_bound(m_entries.begin(), m_entries.end(), prefix,
                                        [](const std::string& entry, std::string_view p) { return CompareNoCase(entry, p) < 0; });
    if (first == m_entries.end() || !StartsWithNoCase(*first, prefix))
        return -1;
    return static_cast<int>(first - m_entries.begin());
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
    return m_entries[static_cast<size_t>(index)];
}

void DestinationBox::ShowCurrent()
{
    setText(m_current >= 0 ? FromWindows1252(m_entries[static_cast<size_t>(m_current)]) : QString());
}

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
    : QPlainTextEdit(parent), m_wantReturn(wantReturn)
{
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void MultiLineEdit::ScrollToLastLine()
{
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

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
