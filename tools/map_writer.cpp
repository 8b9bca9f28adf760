#include "map_writer.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

namespace tools {

std::string MapBytes(const std::vector<int>& codes, std::uint32_t seed) {
  constexpr std::size_t kHeader = 10, kRecord = 7, kRecords = 1800;
  std::mt19937 random(seed);
  std::string bytes(kHeader + kRecord * kRecords, '\0');
  if (seed != 0) std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<char>(random() & 0xFF); });
  for (std::size_t k = 0; k < kRecords; ++k) {
    const auto code = static_cast<std::uint16_t>(codes.empty() ? 0 : codes[k % codes.size()]);
    bytes[kHeader + kRecord * k] = static_cast<char>(code & 0xFF);
    bytes[kHeader + kRecord * k + 1] = static_cast<char>(code >> 8);
  }
  return bytes;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TempFolder::TempFolder() {
  static std::random_device device;
  const auto base = std::filesystem::temp_directory_path();
  do {
    path_ = base / ("groundstyles-test-" + std::to_string(device()));
  } while (!std::filesystem::create_directory(path_));
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace tools
