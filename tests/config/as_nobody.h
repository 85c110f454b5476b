#pragma once
// Runs a check as the unprivileged user 65534 in a child process, where file
// modes are not bypassed as they are for root. The child's result is its exit
// status; 77 means the user could not be taken (the test is then skipped).
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vestok {

inline constexpr int kNobody = 65534;
inline constexpr int kCannotDropRights = 77;

template <typename Check>
int RunAsNobody(Check&& check) {
  const pid_t child = ::fork();
  if (child < 0) return kCannotDropRights;
  if (child == 0) {
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
      ::_exit(kCannotDropRights);
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 2;
  return WEXITSTATUS(status);
}

}  // namespace vestok
