#pragma once
// Measuring in a process of its own, so that one case's heap and peak memory never reach the next.
// Unix only.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs `work` in a child process and hands back in `figures` what it returned there (a plain struct
// of numbers), and in `peakRssKb` the child's peak resident memory. False when the child failed.
template <typename Figures, typename Work>
bool RunInChildProcess(Work work, Figures& figures, long long* peakRssKb = nullptr)
{
    int channel[2];
    if (pipe(channel) != 0)
        return false;
    const pid_t child = fork();
    if (child < 0) {
        close(channel[0]);
        close(channel[1]);
        return false;
    }
    if (child == 0) {
        close(channel[0]);
        const Figures measured = work();
        const bool sent = write(channel[1], &measured, sizeof measured) == static_cast<ssize_t>(sizeof measured);
        _exit(sent ? 0 : 1);
    }
    close(channel[1]);
    const bool got = read(channel[0], &figures, sizeof figures) == static_cast<ssize_t>(sizeof figures);
    close(channel[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (peakRssKb)
        *peakRssKb = usage.ru_maxrss;
    return got && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
