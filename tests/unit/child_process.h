// SPDX-License-Identifier: Apache-2.0
#pragma once
// Runs a piece of code in a forked child: as an unprivileged user (file modes stop root
// otherwise) or under a resource limit, without touching the test process itself.
#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

// The test suite of the cases that need a child process. WebAssembly under Node has none, so
// the web tree's run of these tests leaves the suite out, here and natively (node_tests.py).
constexpr const char kChildProcessSuite[] = "child-process";

// "nobody": the user id a root test drops to.
constexpr uid_t kUnprivilegedId = 65534;

// The child's exit status: the action's result (0 to 255), or -1 when it did not exit
// normally. The child leaves with _exit, so nothing of the test framework runs twice.
template <typename Action>
int RunInChild(Action action) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) _exit(action());
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// In a child: gives up root for kUnprivilegedId (nothing to do for any other user).
inline bool DropRoot() {
    if (geteuid() != 0) return true;
    return setgroups(0, nullptr) == 0 && setgid(kUnprivilegedId) == 0 && setuid(kUnprivilegedId) == 0 &&
           geteuid() != 0;
}

// Whether a child can run as a user whom file modes stop; when it cannot, the cases that
// need one are reported as skipped.
inline bool CanRunUnprivileged() {
    static const int result = RunInChild([] { return DropRoot() ? 0 : 1; });
    return result == 0;
}
