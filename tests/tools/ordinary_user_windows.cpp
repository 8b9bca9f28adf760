// On Windows the tests run as the user who started them, and what keeps a
// user from a file there is what another program holds (see the tests).
#include "ordinary_user.h"

namespace tools {

bool RunsAsRoot() { return false; }

std::string AsOrdinaryUser(const std::function<std::string()>& action) { return action(); }

void GiveToOrdinaryUser(const std::filesystem::path&) {}

}  // namespace tools
