#pragma once
// Child processes for native tests that need a real program beside them
// (a time server, a reference client). Each child is known by its PID and
// stopped by it.

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pw::posix {

class ChildProcess {
public:
    // Starts argv (argv[0] a path or a name looked up on PATH) with its
    // output and errors going to logPath. Null when it cannot be started.
    static std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& argv, const std::string& logPath);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    int Pid() const { return pid_; }
    // False once the child has ended (its exit status is then collected).
    bool Running();
    // Ends the child: SIGTERM, and SIGKILL when it has not gone after
    // graceMs. Safe to call more than once.
    void Stop(int graceMs = 2000);

private:
    explicit ChildProcess(int pid) : pid_(pid) {}
    int pid_;
    bool reaped_ = false;
};

struct RunResult {
    int exitCode = -1;   // -1 when it did not end by itself in time
    std::string output;  // standard output and error together
};

// Runs argv to its end, at most timeoutMs (then it is killed).
RunResult RunAndCapture(const std::vector<std::string>& argv, int timeoutMs);

// The full path of a program in PATH or in the system directories
// (/usr/sbin, /sbin, ...), empty when there is none.
std::string FindProgram(const std::string& name);

}  // namespace pw::posix
