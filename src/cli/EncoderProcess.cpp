#include "EncoderProcess.h"
#include "platform/PathMapper.h"

#include "common/CommandLine.h"
#include "common/TextFile.h"
#include "prediction/PredictionRun.h"

#include <algorithm>
#include <cctype>

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

constexpr std::size_t keptOutput = 16 * 1024;

#ifndef _WIN32

void closeBoth(int fds[2])
{
    close(fds[0]);
    close(fds[1]);
}

void keepTail(std::string &text, std::size_t limit)
{
    if (text.size() > limit)
        text.erase(0, text.size() - keptOutput);
}

#endif

} // namespace

EncoderProcesses::~EncoderProcesses()
{
    while (!m_running.empty())
        waitAny();
}

#ifdef _WIN32

bool EncoderProcesses::start(int lane, const EncoderCommand &command)
{
    HANDLE process = startWindowsProcess(command.program, command.arguments, command.workingFolder, command.minimized);
    if (!process)
        return false;
    m_running.push_back({lane, process});
    return true;
}

EncoderProcesses::Ended EncoderProcesses::waitAny()
{
    std::vector<HANDLE> handles;
    for (const Running &r : m_running)
        handles.push_back(r.process);
    // At most 16 lanes: well within what one wait takes.
    const DWORD signalled = WaitForMultipleObjects(DWORD(handles.size()), handles.data(), FALSE, INFINITE);
    std::size_t which = 0;
    if (signalled >= WAIT_OBJECT_0 && signalled < WAIT_OBJECT_0 + handles.size())
        which = signalled - WAIT_OBJECT_0;
    else
        WaitForSingleObject(handles[0], INFINITE); // the wait failed: the first one, then
    const Running running = m_running[which];
    m_running.erase(m_running.begin() + std::ptrdiff_t(which));
    Ended ended;
    ended.lane = running.lane;
    DWORD code = 0;
    const bool known = GetExitCodeProcess(running.process, &code);
    CloseHandle(running.process);
    ended.result = known ? Desktop::EncoderResult::Finished : Desktop::EncoderResult::CouldNotGetExitCode;
    ended.output.exitStatus = int(code);
    return ended;
}

#else

bool EncoderProcesses::start(int lane, const EncoderCommand &command)
{
    // A Windows encoder runs through Wine ($WINE or wine on the PATH).
    const ProgramStart start = wineCommand(command.program, command.arguments);
    std::vector<std::string> words = {start.program};
    words.insert(words.end(), start.arguments.begin(), start.arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    // The encoder's output goes into one pipe; a second one, closed by a successful exec,
    // carries the errno of a failed start.
    int out[2];
    int failure[2];
    if (pipe(out) != 0)
        return false;
    if (pipe(failure) != 0) {
        closeBoth(out);
        return false;
    }
    for (int fd : {out[0], failure[0], failure[1]})
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    const pid_t pid = fork();
    if (pid < 0) {
        closeBoth(out);
        closeBoth(failure);
        return false;
    }
    if (pid == 0) {
        // The child: nothing but calls that are safe after fork.
        dup2(out[1], 1);
        dup2(out[1], 2);
        close(out[1]);
        const int nothing = open("/dev/null", O_RDONLY);
        if (nothing >= 0)
            dup2(nothing, 0);
        if (chdir(command.workingFolder.c_str()) == 0)
            execvp(argv[0], argv.data());
        const int error = errno;
        [[maybe_unused]] const ssize_t written = write(failure[1], &error, sizeof error);
        _exit(127);
    }
    close(out[1]);
    close(failure[1]);
    int startError = 0;
    ssize_t got;
    while ((got = read(failure[0], &startError, sizeof startError)) < 0 && errno == EINTR) {
    }
    close(failure[0]);
    if (got == ssize_t(sizeof startError)) {
        close(out[0]);
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        return false;
    }
    Running running;
    running.lane = lane;
    running.pid = pid;
    running.pipe = out[0];
    m_running.push_back(std::move(running));
    return true;
}

EncoderProcesses::Ended EncoderProcesses::waitAny()
{
    const auto finish = [this](std::size_t which, int status, bool known) {
        Running running = std::move(m_running[which]);
        m_running.erase(m_running.begin() + std::ptrdiff_t(which));
        if (running.pipe >= 0) {
            // What the encoder wrote just before it ended may still wait in the pipe; whatever
            // it left running may go on writing, so only what is there now is read.
            fcntl(running.pipe, F_SETFL, fcntl(running.pipe, F_GETFL) | O_NONBLOCK);
            char buffer[4096];
            ssize_t n;
            for (int reads = 0; reads < 64 && (n = read(running.pipe, buffer, sizeof buffer)) > 0; ++reads)
                running.text.append(buffer, std::size_t(n));
            close(running.pipe);
        }
        Ended ended;
        ended.lane = running.lane;
        keepTail(running.text, keptOutput);
        ended.output.text = std::move(running.text);
        if (!known) {
            ended.result = Desktop::EncoderResult::CouldNotGetExitCode;
            return ended;
        }
        ended.output.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return ended;
    };
    for (;;) {
        // An encoder that has ended while something it started still holds its output open.
        for (std::size_t i = 0; i < m_running.size(); ++i) {
            int status = 0;
            const pid_t reaped = waitpid(m_running[i].pid, &status, WNOHANG);
            if (reaped == m_running[i].pid)
                return finish(i, status, true);
            if (reaped < 0 && errno != EINTR)
                return finish(i, 0, false);
        }
        std::vector<pollfd> fds;
        for (const Running &r : m_running)
            fds.push_back({r.pipe, POLLIN, 0});
        // The timeout brings the check above round again.
        if (poll(fds.data(), nfds_t(fds.size()), 100) <= 0)
            continue;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents == 0)
                continue;
            Running &r = m_running[i];
            char buffer[4096];
            const ssize_t n = read(r.pipe, buffer, sizeof buffer);
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n > 0) {
                r.text.append(buffer, std::size_t(n));
                keepTail(r.text, 2 * keptOutput);
                continue;
            }
            // The end of its output: the encoder is ending, wait for it.
            int status = 0;
            pid_t reaped;
            while ((reaped = waitpid(r.pid, &status, 0)) < 0 && errno == EINTR) {
            }
            return finish(i, status, reaped == r.pid);
        }
    }
}

#endif
