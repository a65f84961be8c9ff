#include "app/Platform.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <deque>

#ifdef _WIN32
#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <qt_windows.h>
#endif

namespace {
const QString OpenFileFilter = QStringLiteral("TextFiles (*.txt)");

struct Seam {
    std::deque<std::optional<QString>> openFileAnswers;
    std::deque<std::optional<QString>> saveFileAnswers;
    bool answerMessages = false;
    QStringList messages;
    QStringList captions;
    std::function<void(QDialog&)> modalHandler;
    std::function<void()> openFileObserver;
};

Seam& TheSeam()
{
    static Seam seam;
    return seam;
}

// The dialog takes one file. Qt's own dialog reads a typed name with a double quote as a list of
// quoted names and would return another file; here a quote is part of the name, as typed.
class OpenFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    std::optional<QString> typedWithQuote;

    void accept() override
    {
        const auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (edit && edit->text().contains(QLatin1Char('"'))) {
            const QString typed = directory().absoluteFilePath(edit->text());
            if (!QFileInfo(typed).isDir()) {
                typedWithQuote = typed;
                QDialog::accept(); // NOLINT(bugprone-parent-virtual-call): the name is taken as typed
                return;
            }
        }
        QFileDialog::accept();
    }
};
// The next queued answer of a file dialog: the full path to confirm, or nothing for Cancel.
std::optional<QString> TakeAnswer(std::deque<std::optional<QString>>& answers)
{
    const std::optional<QString> answer = answers.front();
    answers.pop_front();
    return answer ? std::optional<QString>(QFileInfo(*answer).absoluteFilePath()) : std::nullopt;
}

#ifdef _WIN32
// While a native file dialog runs, Qt's modal window is an invisible stand-in for it, and Qt hands
// the keys on to that stand-in whenever the owner gets them. The closing dialog gives the keys back
// to its owner; handed on to the stand-in, under Wine they reach no window, and the window manager
// does not offer them again. So the owner keeps them, and Qt hears of it once the dialog is done.
class KeysBackToOwner final : public QAbstractNativeEventFilter {
public:
    explicit KeysBackToOwner(HWND owner)
        : m_owner(owner)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~KeysBackToOwner() override
    {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        if (m_kept && GetFocus() == m_owner) {
            SetFocus(nullptr);
            SetFocus(m_owner);
        }
    }
    KeysBackToOwner(const KeysBackToOwner&) = delete;
    KeysBackToOwner& operator=(const KeysBackToOwner&) = delete;

    bool nativeEventFilter(const QByteArray& /*type*/, void* message, qintptr* /*result*/) override
    {
        const auto* msg = static_cast<const MSG*>(message);
        if (msg->hwnd != m_owner || msg->message != WM_SETFOCUS)
            return false;
        m_kept = true;
        return true;
    }

private:
    HWND m_owner;
    bool m_kept = false;
};
#endif

} // namespace

namespace Platform {

QString ApplicationName()
{
    const QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty())
        return QStringLiteral("legwise");
    return QFileInfo(path).completeBaseName();
}

std::optional<QString> ChooseOpenFile(QWidget* owner)
{
    Seam& seam = TheSeam();
    if (seam.openFileObserver)
        seam.openFileObserver();
    if (!seam.openFileAnswers.empty())
        return TakeAnswer(seam.openFileAnswers);

    OpenFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile); // a name that does not exist may be confirmed
    dialog.setNameFilter(OpenFileFilter);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (RunModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    if (dialog.typedWithQuote)
        return *dialog.typedWithQuote;
    if (dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath();
}

std::optional<QString> ChooseSaveFile(QWidget* owner, const QString& suggested)
{
    Seam& seam = TheSeam();
    if (!seam.saveFileAnswers.empty())
        return TakeAnswer(seam.saveFileAnswers);
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(OpenFileFilter);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.selectFile(suggested);
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath();
}

void ShowMessage(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, ApplicationName(), text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    Seam& seam = TheSeam();
    seam.messages << text;
    seam.captions << box.windowTitle();
    if (seam.answerMessages)
        return;
    box.exec();
}

int RunModal(QDialog& dialog)
{
    dialog.setWindowModality(Qt::ApplicationModal);
    if (TheSeam().modalHandler) {
        // The handler runs inside the dialog's own modal loop, as a person at the window would.
        QTimer::singleShot(0, &dialog, [&dialog] {
            if (auto handler = TheSeam().modalHandler)
                handler(dialog);
        });
    }
#ifdef _WIN32
    std::optional<KeysBackToOwner> keys;
    const auto* fileDialog = qobject_cast<QFileDialog*>(&dialog);
    if (fileDialog && !fileDialog->testOption(QFileDialog::DontUseNativeDialog) && dialog.parentWidget()
        && QGuiApplication::platformName() == QLatin1String("windows"))
        keys.emplace(reinterpret_cast<HWND>(dialog.parentWidget()->window()->winId()));
#endif
    return dialog.exec();
}

namespace TestSeam {
void QueueOpenFileAnswer(std::optional<QString> answer) { TheSeam().openFileAnswers.push_back(std::move(answer)); }
void QueueSaveFileAnswer(std::optional<QString> answer) { TheSeam().saveFileAnswers.push_back(std::move(answer)); }
void SetOpenFileObserver(std::function<void()> observer) { TheSeam().openFileObserver = std::move(observer); }
void SetAnswerMessages(bool answer) { TheSeam().answerMessages = answer; }
QStringList MessagesShown() { return TheSeam().messages; }
QStringList MessageCaptions() { return TheSeam().captions; }
QStringList TakeMessages()
{
    QStringList messages = TheSeam().messages;
    TheSeam().messages.clear();
    TheSeam().captions.clear();
    return messages;
}
void SetModalHandler(std::function<void(QDialog&)> handler) { TheSeam().modalHandler = std::move(handler); }
void Reset() { TheSeam() = Seam{}; }
} // namespace TestSeam

} // namespace Platform

std::filesystem::path PathFromQString(const QString& path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    const QByteArray bytes = QFile::encodeName(path);
    return std::filesystem::path(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
#endif
}

QString QStringFromPath(const std::filesystem::path& path)
{
#ifdef _WIN32
    const QString text = QString::fromStdWString(path.wstring());
#else
    const QString text = QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
    return QDir::toNativeSeparators(text);
}
