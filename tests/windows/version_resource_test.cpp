// Reads back the version information and icon that the resource script puts
// into an executable: this test executable is built with it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<unsigned char> OwnVersionInfo() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  std::vector<unsigned char> info(size);
  if (size == 0 || !GetFileVersionInfoW(path, 0, size, info.data())) info.clear();
  return info;
}

std::wstring StringValue(std::vector<unsigned char>& info, const std::wstring& name) {
  wchar_t* value = nullptr;
  UINT length = 0;
  const std::wstring key = L"\\StringFileInfo\\040904B0\\" + name;
  if (!VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || value == nullptr) {
    return L"<missing>";
  }
  return std::wstring(value, length > 0 && value[length - 1] == L'\0' ? length - 1 : length);
}

TEST(VersionResource, StringsAndFixedVersion) {
  std::vector<unsigned char> info = OwnVersionInfo();
  ASSERT_FALSE(info.empty());
  EXPECT_EQ(StringValue(info, L"FileVersion"), L"2.00");
  EXPECT_EQ(StringValue(info, L"ProductVersion"), L"2.00");
  EXPECT_EQ(StringValue(info, L"ProductName"), L"Groundstyles");
  EXPECT_EQ(StringValue(info, L"InternalName"), L"Groundstyles");
  EXPECT_EQ(StringValue(info, L"Comments"), L"Examines all MAP files in a folder and creates a report ");

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 2));
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 2));
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
}

#pragma pack(push, 2)
struct IconGroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bits;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(VersionResource, IconHoldsTwoSixteenColourImages) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_NE(found, nullptr);
  const auto* group = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
  ASSERT_NE(group, nullptr);
  WORD count = 0;
  memcpy(&count, group + 4, sizeof count);
  ASSERT_EQ(count, 2);
  std::vector<int> sizes;
  for (WORD i = 0; i < count; ++i) {
    IconGroupEntry entry;
    memcpy(&entry, group + 6 + i * sizeof(IconGroupEntry), sizeof entry);
    EXPECT_EQ(entry.colours, 16);
    EXPECT_EQ(entry.bits, 4);
    EXPECT_EQ(entry.width, entry.height);
    sizes.push_back(entry.width);
  }
  EXPECT_EQ(sizes, (std::vector<int>{32, 16}));
}

}  // namespace
