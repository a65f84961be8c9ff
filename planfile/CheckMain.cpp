// legwise-check: checks TTools plan files and reports like a compiler. A console program; all its
// work is in RunPlanCheck, here its arguments become texts to show and exact file names. Started
// without arguments, it opens its window instead.

#include "planfile/CheckCommand.h"
#ifdef LEGWISE_CHECK_WINDOW
#include "planfile/gui/CheckWindow.h"
#endif

#include <cstdio>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>

namespace {
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
} // namespace

int main()
{
    const std::vector<CommandArgument> arguments = Arguments();
#ifdef LEGWISE_CHECK_WINDOW
    if (arguments.empty()) {
        // Started from Explorer, the console is the program's own: it goes, and only the window stays.
        // Started from a console, the console stays as it was.
        DWORD processes[2];
        if (GetConsoleProcessList(processes, 2) == 1)
            FreeConsole();
        return RunCheckWindow();
    }
#endif
    return RunPlanCheck(arguments, stdout, stderr);
}
#else
int main(int argc, char** argv)
{
    std::vector<CommandArgument> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back({argv[i], std::filesystem::path(argv[i])});
#ifdef LEGWISE_CHECK_WINDOW
    if (arguments.empty())
        return RunCheckWindow();
#endif
    return RunPlanCheck(arguments, stdout, stderr);
}
#endif
