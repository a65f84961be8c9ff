// legwise-check: checks TTools plan files and reports like a compiler. A console program; all its
// work is in RunPlanCheck, here its arguments become texts to show and exact file names. Started
// without arguments, it opens its window instead, where a display can be opened. Here too: a signal
// or a closed console removes the temporary file of an unfinished shift, running out of memory and a
// report that cannot be written end with status 2 and the reason.

#include "input/TextFile.h"
#include "planfile/CheckCommand.h"
#include "planfile/PlanFileReader.h"
#ifdef LEGWISE_CHECK_WINDOW
#include "planfile/gui/CheckWindow.h"
#endif

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#else
#include <dlfcn.h>
#endif

namespace {
// Why the window cannot be opened here; empty when it can.
std::string NoWindowReason()
{
#if !defined(LEGWISE_CHECK_WINDOW)
    return "this legwise-check has no window; name the files to check";
#elif defined(_WIN32) || defined(__APPLE__)
    return {};
#else
    // Qt ends the program when its display cannot be opened; asked here first, the way Qt connects.
    const char* const platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return {}; // a platform the user chose
    const char* const display = std::getenv("DISPLAY");
    const char* const wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland))
        return "there is no display to open the window on (DISPLAY is not set)";
    if (void* const xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL)) {
        using Connect = void* (*)(const char*, int*);
        using HasError = int (*)(void*);
        using Disconnect = void (*)(void*);
        const auto connect = reinterpret_cast<Connect>(dlsym(xcb, "xcb_connect"));
        const auto hasError = reinterpret_cast<HasError>(dlsym(xcb, "xcb_connection_has_error"));
        const auto disconnect = reinterpret_cast<Disconnect>(dlsym(xcb, "xcb_disconnect"));
        bool opened = false;
        if (connect && hasError && disconnect && display && *display) {
            void* const connection = connect(nullptr, nullptr);
            opened = hasError(connection) == 0;
            disconnect(connection);
        }
        dlclose(xcb);
        if (opened)
            return {};
    }
    if (wayland && *wayland)
        return {}; // Qt's Wayland platform says itself whether it connects, and falls back on X
    return std::string("the display ") + display + " cannot be opened";
#endif
}

// A new-line-free text for a message: the file being read, or what it was.
std::string BeingReadText()
{
    try {
        const std::filesystem::path path = FileBeingRead();
        return path.empty() ? "the arguments" : path.string();
    } catch (...) {
        return "a file";
    }
}

int RunCommand(const std::vector<CommandArgument>& arguments)
{
    int status = 2;
    try {
        status = RunPlanCheck(arguments, stdout, stderr);
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fprintf(stderr,
                     "legwise-check: out of memory while reading %s; the findings above are those found so far\n",
                     BeingReadText().c_str());
        return 2;
    }
    // A report that could not be written whole (a full disk, a closed pipe) is no report.
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        if (errno == 0) {
            // The write failed before, and what happened since may have changed errno: one more
            // byte (the report is broken anyway) tells the reason again.
            std::clearerr(stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
        }
        std::fprintf(stderr, "legwise-check: the report could not be written: %s\n",
                     errno != 0 ? std::strerror(errno) : "a write failed");
        return 2;
    }
    return status;
}

int NoWindow(const std::string& reason)
{
    std::fputs(PlanCheckUsage, stderr);
    std::fprintf(stderr, "legwise-check: no window: %s\n", reason.c_str());
    return 2;
}

#ifdef _WIN32
BOOL WINAPI OnConsoleEvent(DWORD)
{
    RemoveUnfinishedFiles();
    // Ended here, with the status Windows gives a program stopped by Ctrl+C: the work still running
    // on the main thread would otherwise report the file it lost as a failed write, or end with 0.
    TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
    return TRUE;
}

void RemoveUnfinishedFilesAtTheEnd() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

// The arguments as Windows holds them, in UTF-16: a file name in any script opens, and the message
// shows it in the console's code page as far as that can.
std::vector<CommandArgument> Arguments()
{
    std::vector<CommandArgument> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i) {
        const int size = WideCharToMultiByte(CP_ACP, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(size > 0 ? static_cast<size_t>(size) : 1, '\0');
        WideCharToMultiByte(CP_ACP, 0, wide[i], -1, text.data(), size, nullptr, nullptr);
        text.resize(text.size() - 1);
        arguments.push_back({text, std::filesystem::path(wide[i])});
    }
    LocalFree(wide);
    return arguments;
}
#else
extern "C" void OnEndingSignal(int signal)
{
    RemoveUnfinishedFiles();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void RemoveUnfinishedFilesAtTheEnd()
{
    for (const int signal : EndingSignals) {
        struct sigaction action {};
        struct sigaction before {};
        action.sa_handler = OnEndingSignal;
        sigemptyset(&action.sa_mask);
        // A signal ignored when the program started (nohup) stays ignored.
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
}
#endif
} // namespace

#ifdef _WIN32
int main()
{
    const std::vector<CommandArgument> arguments = Arguments();
    if (arguments.empty()) {
        if (const std::string reason = NoWindowReason(); !reason.empty())
            return NoWindow(reason);
#ifdef LEGWISE_CHECK_WINDOW
        // Started from Explorer, the console is the program's own: it goes, and only the window stays.
        // Started from a console, the console stays as it was.
        DWORD processes[2];
        if (GetConsoleProcessList(processes, 2) == 1)
            FreeConsole();
        return RunCheckWindow();
#endif
    }
    RemoveUnfinishedFilesAtTheEnd();
    return RunCommand(arguments);
}
#else
int main(int argc, char** argv)
{
    std::vector<CommandArgument> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back({argv[i], std::filesystem::path(argv[i])});
    if (arguments.empty()) {
        if (const std::string reason = NoWindowReason(); !reason.empty())
            return NoWindow(reason);
#ifdef LEGWISE_CHECK_WINDOW
        return RunCheckWindow();
#endif
    }
    RemoveUnfinishedFilesAtTheEnd();
    return RunCommand(arguments);
}
#endif
