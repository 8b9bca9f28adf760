// Report-folder resolution from any text: always a folder ending in the
// separator, holding no NUL, and either an existing folder or the fallback.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "scan/report.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const platform::NativeString text(reinterpret_cast<const char*>(data), size);
  const platform::NativeString folder = scan::ResolveReportFolder(text);
  if (folder.empty() || folder.back() != platform::kSeparator) std::abort();
  if (folder.find('\0') != platform::NativeString::npos) std::abort();
  if (folder != platform::ReportFallbackFolder() && !platform::FolderExists(folder)) std::abort();
  if (folder.front() == ' ' || (folder.size() > 1 && folder[folder.size() - 2] == ' ')) std::abort();
  return 0;
}
