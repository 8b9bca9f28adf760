// The text of GroundStyles.txt: where it goes, its header, and one line per
// map that holds a selected terrain type or an unknown terrain code.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/text.h"
#include "scan/map_reader.h"
#include "scan/program_texts.h"
#include "scan/terrain.h"

namespace scan {

// Every report line ends so, on every system.
inline constexpr std::string_view kLineEnd = "\r\n";

// The 32 map files that ship with the game.
inline constexpr std::array<std::string_view, 32> kStockMapList = {
    "ARRACT.MAP",   "CAEN.MAP",     "CHIR.MAP",     "CIECHANO.MAP", "DESSAU.MAP",   "DUNKIRK.MAP",
    "GREECE.MAP",   "KANEV.MAP",    "KISHINEV.MAP", "KLIN.MAP",     "KONRAD.MAP",   "LENIN.MAP",
    "LILLEHAM.MAP", "MADRID.MAP",   "MALTA.MAP",    "METZ.MAP",     "NORDWIND.MAP", "NOVGOROD.MAP",
    "OAKRIDGE.MAP", "PROKHORV.MAP", "PTOBRUK.MAP",  "RATOBRUK.MAP", "SALERNO.MAP",  "SAVANNAH.MAP",
    "SEDAN.MAP",    "SEELOW.MAP",   "SOUMUSSA.MAP", "STLO.MAP",     "TOBRUK.MAP",   "VIIPURI.MAP",
    "VOLOKOL.MAP",  "WINDSOR.MAP"};

// Names of up to this many characters are padded so that ": " starts at
// offset kMapLineColumn; longer names are followed directly by ": ".
inline constexpr std::size_t kMapNameWidth = 22;
inline constexpr std::size_t kMapLineColumn = 24;

// The path a typed report folder names: `text` without surrounding spaces and
// with "~" taken as file dialogs take it (platform::ExpandHome).
platform::NativeString TypedFolderPath(const platform::NativeString& text);
// TypedFolderPath(text) when that folder exists; nothing when it does not.
// The scan's fallback and the window's warning both ask this.
std::optional<platform::NativeString> TypedReportFolder(const platform::NativeString& text);

// `folder` ending in one separator, however many it ended in: messages name
// the report by this path.
platform::NativeString WithOneSeparator(platform::NativeString folder);

// The folder the report goes to, ending in one separator: the typed folder
// when it exists, else the platform's stand-in for the first drive's root.
platform::NativeString ResolveReportFolder(const platform::NativeString& text);

// True when the name, without surrounding spaces and in upper case, is a stock map.
bool IsStockMap(const platform::NativeString& name);

// The report's bytes for a file or folder name; control characters become '?'
// so that the name stays on one line.
std::string ReportName(const platform::NativeString& name);

// The eight header lines, each ending in kLineEnd.
std::string ReportHeaderText(const platform::NativeString& listed_folder, std::size_t count);

// The map's report line without its line end, or nothing when the map holds
// no selected terrain and no unknown code. `name` may be a path under the
// listed folder ("Campaign 1/ARRACT.MAP"): the stock marker goes by its last name.
std::optional<std::string> FormatMapLine(const platform::NativeString& name, const MapSummary& summary,
                                         const TerrainCatalogue& catalogue);

// The line, without its line end, of a map that could not be read: the name
// as FormatMapLine lays it out, then "cannot be read: " and the system's `reason` (UTF-8).
std::string UnreadableMapLine(const platform::NativeString& name, const std::string& reason);

}  // namespace scan
