#include "platform/posix/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace pw::posix {

namespace {

std::vector<char*> ArgvOf(const std::vector<std::string>& argv) {
    std::vector<char*> out;
    for (const auto& a : argv) out.push_back(const_cast<char*>(a.c_str()));
    out.push_back(nullptr);
    return out;
}

// Forks and execs with stdout and stderr on fd; -1 on failure.
int Spawn(const std::vector<std::string>& argv, int fd) {
    if (argv.empty()) return -1;
    auto args = ArgvOf(argv);
    int pid = fork();
    if (pid != 0) return pid;
    dup2(fd, 1);
    dup2(fd, 2);
    int devnull = open("/dev/null", O_RDONLY);
    if (devnull >= 0) dup2(devnull, 0);
    execvp(args[0], args.data());
    _exit(127);
}

bool WaitFor(int pid, int timeoutMs, int& status) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int r = waitpid(pid, &status, WNOHANG);
        if (r == pid || r < 0) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::string>& argv, const std::string& logPath) {
    int fd = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    int pid = Spawn(argv, fd);
    close(fd);
    if (pid < 0) return nullptr;
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid));
}

ChildProcess::~ChildProcess() { Stop(); }

bool ChildProcess::Running() {
    if (reaped_) return false;
    int status = 0;
    int r = waitpid(pid_, &status, WNOHANG);
    if (r == 0) return true;
    reaped_ = true;
    return false;
}

void ChildProcess::Stop(int graceMs) {
    if (reaped_) return;
    kill(pid_, SIGTERM);
    int status = 0;
    if (!WaitFor(pid_, graceMs, status)) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
    }
    reaped_ = true;
}

RunResult RunAndCapture(const std::vector<std::string>& argv, int timeoutMs) {
    RunResult result;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return result;
    int pid = Spawn(argv, pipeFds[1]);
    close(pipeFds[1]);
    if (pid < 0) {
        close(pipeFds[0]);
        return result;
    }
    // Collect the output on the side so a chatty child cannot block on a
    // full pipe while we wait for it.
    std::thread reader([&] {
        char buf[4096];
        ssize_t n;
        while ((n = read(pipeFds[0], buf, sizeof buf)) > 0) result.output.append(buf, static_cast<std::size_t>(n));
    });
    int status = 0;
    if (!WaitFor(pid, timeoutMs, status)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    } else if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    reader.join();
    close(pipeFds[0]);
    return result;
}

std::string FindProgram(const std::string& name) {
    std::string dirs;
    if (const char* path = std::getenv("PATH")) dirs = path;
    dirs += ":/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (!dir.empty()) {
            std::string candidate = dir + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        start = end + 1;
    }
    return {};
}

}  // namespace pw::posix
