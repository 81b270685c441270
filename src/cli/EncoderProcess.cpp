#include "EncoderProcess.h"
#include "platform/PathMapper.h"

#include "common/TextFile.h"
#include "prediction/PredictionRun.h"

#include <algorithm>
#include <cctype>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

constexpr std::size_t keptOutput = 16 * 1024;

#ifdef _WIN32

// One argument as the C runtime splits a command line: in quotes when it holds anything but
// plain characters, with the backslashes before a quote doubled.
std::string quotedArgument(const std::string &arg)
{
    if (!arg.empty() && arg.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.")
                            == std::string::npos)
        return arg;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

#else

void closeBoth(int fds[2])
{
    close(fds[0]);
    close(fds[1]);
}

#endif

} // namespace

Desktop::EncoderResult runEncoderProcess(const EncoderCommand &command, EncoderOutput &output)
{
    output = EncoderOutput();
#ifdef _WIN32
    // "\"%s\" %s": the program in quotes, then its arguments.
    std::string line = "\"" + command.program + "\"";
    for (const std::string &arg : command.arguments)
        line += " " + quotedArgument(arg);
    std::wstring wideLine = toFsPath(line).wstring();
    const std::wstring folder = toFsPath(command.workingFolder).wstring();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = command.minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, wideLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return Desktop::EncoderResult::CouldNotStart;
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    const bool known = GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    if (!known)
        return Desktop::EncoderResult::CouldNotGetExitCode;
    output.exitStatus = int(code);
    return Desktop::EncoderResult::Finished;
#else
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
        return Desktop::EncoderResult::CouldNotStart;
    if (pipe(failure) != 0) {
        closeBoth(out);
        return Desktop::EncoderResult::CouldNotStart;
    }
    for (int fd : {out[0], failure[0], failure[1]})
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    const pid_t pid = fork();
    if (pid < 0) {
        closeBoth(out);
        closeBoth(failure);
        return Desktop::EncoderResult::CouldNotStart;
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
    // Read the output until the encoder has ended, not until the pipe closes: a Windows encoder
    // started through Wine leaves Wine's own services running with the pipe open, and they can
    // outlive it by seconds or for as long as another Wine program runs.
    fcntl(out[0], F_SETFL, fcntl(out[0], F_GETFL) | O_NONBLOCK);
    char buffer[4096];
    int status = 0;
    bool ended = false;
    for (;;) {
        pollfd ready = {out[0], POLLIN, 0};
        const int events = poll(&ready, 1, ended ? 0 : 100);
        if (events < 0 && errno != EINTR)
            break;
        if (events > 0) {
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n > 0) {
                output.text.append(buffer, std::size_t(n));
                if (output.text.size() > 2 * keptOutput)
                    output.text.erase(0, output.text.size() - keptOutput);
                continue;
            }
            if (n == 0 || (errno != EINTR && errno != EAGAIN))
                break; // closed: all is read
        }
        if (ended)
            break; // ended and nothing more waiting
        const pid_t waited = waitpid(pid, &status, WNOHANG);
        if (waited == pid)
            ended = true;
        else if (waited < 0 && errno != EINTR) {
            close(out[0]);
            return Desktop::EncoderResult::CouldNotGetExitCode;
        }
    }
    close(out[0]);
    while (!ended && waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return Desktop::EncoderResult::CouldNotGetExitCode;
    }
    if (got == ssize_t(sizeof startError))
        return Desktop::EncoderResult::CouldNotStart;
    if (output.text.size() > keptOutput)
        output.text.erase(0, output.text.size() - keptOutput);
    output.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return Desktop::EncoderResult::Finished;
#endif
}
