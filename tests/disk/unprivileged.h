// Runs a check as a user who may not write the files a test made: in this
// process when it is no root already, otherwise in a child process switched
// to the user nobody. Root may write any file, so permission checks mean
// nothing when run as root.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace grusk::test {

inline constexpr uid_t kNobody = 65534;

enum class Unprivileged { Passed, Failed, Unavailable };

// body returns whether the check held; it must not use test assertions (a
// child's failures would be lost).
inline Unprivileged runUnprivileged(const std::function<bool()>& body) {
    if (::geteuid() != 0) return body() ? Unprivileged::Passed : Unprivileged::Failed;
    const pid_t pid = ::fork();
    if (pid < 0) return Unprivileged::Unavailable;
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0 || ::geteuid() == 0)
            ::_exit(77);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return Unprivileged::Failed;
    if (WEXITSTATUS(status) == 77) return Unprivileged::Unavailable;
    return WEXITSTATUS(status) == 0 ? Unprivileged::Passed : Unprivileged::Failed;
}

}  // namespace grusk::test

// Skips the test with the reason when no unprivileged user can be had.
#define EXPECT_UNPRIVILEGED(body)                                                                          \
    do {                                                                                                   \
        const ::grusk::test::Unprivileged outcome_ = ::grusk::test::runUnprivileged(body);                 \
        if (outcome_ == ::grusk::test::Unprivileged::Unavailable)                                          \
            GTEST_SKIP() << "running as root and cannot switch to the user nobody, so a file without "    \
                            "write permission cannot be tried";                                            \
        EXPECT_EQ(outcome_, ::grusk::test::Unprivileged::Passed);                                          \
    } while (0)
