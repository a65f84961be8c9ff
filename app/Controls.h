#pragma once
// The dialog controls that Qt has no direct match for: the one-entry-high list, the destination box
// (an edit field over a hidden sorted list) and the multi-line edit that leaves Tab to the dialog.
// Entries keep the bytes they came from; the windows show them decoded from Windows-1252.

#include "input/ListReading.h"

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The entries of a list as they were read, one row each; a row is decoded only when it is shown.
class EntryModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const EntryList& Entries() const { return m_entries; }
    void Insert(int row, std::string_view bytes);
    void Append(const EntryList& entries);

private:
    EntryList m_entries;
};

// A single-selection list that the user steps through with the arrow keys or by typing the
// beginning of an entry. Once an entry is selected, no click or key leaves the list without one.
// Only the list with the focus draws its selection in the highlight colour.
class OneLineList : public QListView {
    Q_OBJECT
public:
    explicit OneLineList(bool sorted, QWidget* parent = nullptr);

    int AddString(const std::string& bytes);
    void AddStrings(const std::vector<std::string>& entries);
    void AddStrings(const EntryList& entries);
    // Selects the entry and scrolls it into view; -1 or an index beyond the list selects none.
    void SetCurSel(int index);
    int GetCurSel() const;
    // The bytes of the entry; empty for -1 or an index beyond the list.
    std::string GetText(int index) const;
    // The first entry from the top that begins with `prefix`, ignoring letter case, or -1.
    int FindString(std::string_view prefix) const;
    int Count() const { return m_model->rowCount(); }

signals:
    // The selected entry changed, by the user or by the program.
    void SelectionMoved();

protected:
    // Text typed within about a second selects the first entry it begins, ignoring letter case; the
    // same key again moves on to the next entry that begins with it. Text no entry begins with
    // leaves the selection.
    void keyboardSearch(const QString& text) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void initViewItemOption(QStyleOptionViewItem* option) const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int FindTyped() const;

    EntryModel* m_model;
    bool m_sorted;
    std::string m_typed; // the bytes typed since the last pause
    QElapsedTimer m_sinceTyped;
};

// An edit field over a list of codes sorted without regard to case. Typing selects the first code
// that begins with the typed text, or none, and completes the field to that code; the arrow keys
// step through the codes.
class DestinationBox : public QLineEdit {
    Q_OBJECT
public:
    explicit DestinationBox(QWidget* parent = nullptr);

    // Replaces the entries; they are sorted once here. The box keeps the list it is given.
    void SetEntries(EntryList entries);
    // Selects the first entry beginning with `prefix` (ignoring case), copies it into the edit field
    // and returns its index; -1 changes nothing.
    int SelectString(std::string_view prefix);
    // The index of the entry that is `code` (ignoring case), or -1; selects nothing.
    int FindCode(std::string_view code) const;
    // Selects the entry and shows it; -1 or an index beyond the list selects none and empties the field.
    void SetCurSel(int index);
    int GetCurSel() const { return m_current; }
    std::string GetLBText(int index) const;
    int Count() const { return static_cast<int>(m_order.size()); }
    // The place in the file's order of the entry shown at `index` (which must be a valid index).
    size_t SourceIndex(int index) const { return m_order[static_cast<size_t>(index)]; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::string_view Entry(int index) const;
    int FindPrefix(std::string_view prefix) const;
    void OnTextEdited(const QString& text);
    void ShowCurrent();

    // The entries as they came, and their indexes in sorted order: sorting a world-sized list moves
    // no entry.
    EntryList m_entries;
    std::vector<std::uint32_t> m_order;
    int m_current = -1;
    bool m_takingBack = false; // the key being handled removes text: it must not complete again
};

// A multi-line edit. Without `wantReturn`, Enter is left to the dialog (it presses the default
// button) and Ctrl+Enter starts a new line. Tab always moves on to the next control.
class MultiLineEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    MultiLineEdit(bool wantReturn, QWidget* parent = nullptr);

    // Scrolls so the last line is in view.
    void ScrollToLastLine();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_wantReturn;
};

// A one-line edit that takes text of any length: the plan has no limit on its fields, so nothing
// typed or pasted is cut off.
void TakeAnyLength(QLineEdit& edit);
