#include "scan/report.h"

#include <algorithm>

#include "platform/paths.h"
#include "scan/text.h"

namespace scan {

platform::NativeString TypedFolderPath(const platform::NativeString& text) {
  return platform::ExpandHome(TrimSpaces(text));
}

std::optional<platform::NativeString> TypedReportFolder(const platform::NativeString& text) {
  platform::NativeString folder = TypedFolderPath(text);
  if (!platform::FolderExists(folder)) return std::nullopt;
  return folder;
}

platform::NativeString WithOneSeparator(platform::NativeString folder) {
  const auto is_separator = [](platform::NativeChar c) { return c == platform::kSeparator || c == '/'; };
  while (folder.size() > 1 && is_separator(folder.back())) folder.pop_back();
  if (folder.empty() || !is_separator(folder.back())) folder += platform::kSeparator;
  return folder;
}

platform::NativeString ResolveReportFolder(const platform::NativeString& text) {
  std::optional<platform::NativeString> typed = TypedReportFolder(text);
  return typed ? WithOneSeparator(std::move(*typed)) : platform::ReportFallbackFolder();
}

bool IsStockMap(const platform::NativeString& name) {
  const auto trimmed = TrimSpaces(std::basic_string_view<platform::NativeChar>(name));
  const auto upper = [](platform::NativeChar c) {
    return c >= 'a' && c <= 'z' ? static_cast<platform::NativeChar>(c - 'a' + 'A') : c;
  };
  return std::any_of(kStockMapList.begin(), kStockMapList.end(), [&](std::string_view stock) {
    return std::equal(trimmed.begin(), trimmed.end(), stock.begin(), stock.end(),
                      [&](platform::NativeChar c, char s) { return upper(c) == platform::NativeChar(s); });
  });
}

std::string ReportName(const platform::NativeString& name) {
  return platform::QuestionMarkControls(platform::ToReportText(name), platform::ControlSet::kAscii);
}

std::string ReportHeaderText(const platform::NativeString& listed_folder, std::size_t count) {
  std::string header;
  header += kMapCountStart;
  header += ReportName(listed_folder);
  header += kMapCountMiddle;
  header += SignedNumberText(static_cast<long long>(count));
  header += kLineEnd;
  header += kLineEnd;
  header += kStockMapNote;
  header += kLineEnd;
  header += kListedMapsNote;
  header += kLineEnd;
  header += kLineEnd;
  header += kColumnTitle;
  header += kLineEnd;
  header += std::string(kColumnTitle.size(), '=');
  header += kLineEnd;
  header += kLineEnd;
  return header;
}

namespace {

// The start of a map's line, up to and with its ": ".
std::string MapLinePrefix(const platform::NativeString& name) {
  std::string line;
  const std::size_t length = platform::ReportTextWidth(name);
  if (length <= kMapNameWidth) {
    // A map in a subfolder is a stock map by its own name.
    const platform::NativeString own_name = name.substr(name.find_last_of(platform::kSeparator) + 1);
    line += IsStockMap(own_name) ? kStockMapMarker : std::string_view("  ");
    line += ReportName(name);
    line.append(kMapNameWidth - length, ' ');
  } else {
    line += ReportName(name);
  }
  line += ": ";
  return line;
}

}  // namespace

std::optional<std::string> FormatMapLine(const platform::NativeString& name, const MapSummary& summary,
                                         const TerrainCatalogue& catalogue) {
  if (summary.found.none() && !summary.unknown) return std::nullopt;
  std::string line = MapLinePrefix(name);
  for (int code = 0; code < kTerrainCodeCount; ++code) {
    if (summary.found.test(static_cast<std::size_t>(code))) {
      line += catalogue.TerrainName(code);
      line += ", ";
    }
  }
  if (summary.unknown) line += kUnknownTerrain;
  return line;
}

std::string UnreadableMapLine(const platform::NativeString& name, const std::string& reason) {
  return MapLinePrefix(name) + "cannot be read: " + ReportName(platform::FromUtf8(reason));
}

}  // namespace scan
