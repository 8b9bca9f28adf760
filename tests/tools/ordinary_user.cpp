#include "ordinary_user.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace tools {

constexpr uid_t kNobody = 65534;  // the user "nobody"

bool RunsAsRoot() { return geteuid() == 0; }

std::string AsOrdinaryUser(const std::function<std::string()>& action) {
  if (!RunsAsRoot()) return action();
  int channel[2];
  if (pipe(channel) != 0) throw std::runtime_error("cannot make a pipe");
  const pid_t child = fork();
  if (child == 0) {
    std::string result = "cannot become user 65534";
    try {
      if (setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0) result = action();
    } catch (const std::exception& error) {
      result = error.what();
    }
    // The child never returns into the test: its result goes back through the pipe.
    _exit(write(channel[1], result.data(), result.size()) == static_cast<ssize_t>(result.size()) ? 0 : 1);
  }
  close(channel[1]);
  std::string result;
  char chunk[4096];
  for (ssize_t got; (got = read(channel[0], chunk, sizeof chunk)) > 0;) result.append(chunk, std::size_t(got));
  close(channel[0]);
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || status != 0) result += " (the child process failed)";
  return result;
}

void GiveToOrdinaryUser(const std::filesystem::path& path) {
  if (RunsAsRoot() && lchown(path.c_str(), kNobody, kNobody) != 0) {
    throw std::runtime_error("cannot give " + path.string() + " to user 65534");
  }
}

}  // namespace tools
