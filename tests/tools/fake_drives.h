// Drives for window tests: whatever list the test holds, read each time.
#pragma once

#include <vector>

#include "platform/drives.h"

namespace tools {

class FakeDrives : public platform::DriveSource {
 public:
  explicit FakeDrives(const std::vector<platform::Drive>& drives) : drives_(drives) {}
  std::vector<platform::Drive> ListDrives() const override { return drives_; }

 private:
  const std::vector<platform::Drive>& drives_;
};

}  // namespace tools
