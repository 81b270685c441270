#include "ChildProcess.h"

#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32
void closeBoth(int fds[2])
{
    for (int i = 0; i < 2; ++i)
        if (fds[i] >= 0)
            ::close(fds[i]);
}
#endif

} // namespace

std::string describeCommand(const std::vector<std::string> &argv)
{
    std::string text;
    for (const std::string &arg : argv) {
        if (!text.empty())
            text += ' ';
        if (!arg.empty() && arg.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
                                                  "-_./:=+,%") == std::string::npos) {
            text += arg;
            continue;
        }
        text += '\'';
        for (char c : arg)
            text += c == '\'' ? std::string("'\\''") : std::string(1, c);
        text += '\'';
    }
    return text;
}

#ifdef _WIN32

ChildResult runChild(const std::vector<std::string> &argv, bool)
{
    ChildResult result;
    result.error = "cannot run " + (argv.empty() ? std::string("a program") : argv[0]) +
                   ": running other programs is only supported on POSIX systems";
    return result;
}

#else

ChildResult runChild(const std::vector<std::string> &argv, bool collectOutput)
{
    ChildResult result;
    if (argv.empty()) {
        result.error = "no program given";
        return result;
    }
    std::vector<char *> args;
    for (const std::string &arg : argv)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);

    // The child reports a failed exec through this pipe; a successful exec closes it unwritten.
    int execPipe[2] = {-1, -1};
    int outPipe[2] = {-1, -1};
    if (::pipe2(execPipe, O_CLOEXEC) != 0 || (collectOutput && ::pipe2(outPipe, O_CLOEXEC) != 0)) {
        result.error = std::string("cannot create a pipe: ") + std::strerror(errno);
        closeBoth(execPipe);
        closeBoth(outPipe);
        return result;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        result.error = std::string("cannot start a process: ") + std::strerror(errno);
        closeBoth(execPipe);
        closeBoth(outPipe);
        return result;
    }
    if (pid == 0) {
        if (collectOutput)
            ::dup2(outPipe[1], STDOUT_FILENO);
        ::execvp(args[0], args.data());
        const int code = errno;
        [[maybe_unused]] const ssize_t ignored = ::write(execPipe[1], &code, sizeof code);
        ::_exit(127);
    }
    ::close(execPipe[1]);
    execPipe[1] = -1;
    if (collectOutput) {
        ::close(outPipe[1]);
        outPipe[1] = -1;
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::read(outPipe[0], buffer, sizeof buffer);
            if (got > 0)
                result.output.append(buffer, std::size_t(got));
            else if (got == 0 || errno != EINTR)
                break;
        }
    }
    int execError = 0;
    ssize_t got;
    do
        got = ::read(execPipe[0], &execError, sizeof execError);
    while (got < 0 && errno == EINTR);
    closeBoth(execPipe);
    closeBoth(outPipe);

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (got == sizeof execError) {
        result.error = "cannot run " + argv[0] + ": " + std::strerror(execError);
        return result;
    }
    result.started = true;
    if (WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.exitStatus = 128 + WTERMSIG(status);
    return result;
}

#endif
