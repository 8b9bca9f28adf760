// Runs test actions as an ordinary user, so that permissions mean to them what
// they mean to one even when the tests run as root (as CI does).
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace tools {

// True when the tests run as root, where the actions run as user and group
// 65534 ("nobody").
bool RunsAsRoot();

// Runs `action` as an ordinary user and returns what it returns: when the tests
// run as root, in a child process that has dropped to 65534, else here. A child
// that cannot drop its privileges or ends abnormally returns a text saying so.
std::string AsOrdinaryUser(const std::function<std::string()>& action);

// Makes `path` (a link itself, not what it points to) the ordinary user's when
// the tests run as root.
void GiveToOrdinaryUser(const std::filesystem::path& path);

}  // namespace tools
