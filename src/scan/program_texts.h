// The program's own words: every fixed text the user reads in the window, in
// its message boxes and in the report. The terrain names are the catalogue's
// (terrain.cpp) and the stock maps the report's (report.h).
//
// They are written exactly as the program has always written them, and users
// and the programs that read the report know them so: the odd spellings
// ("fiels", "Allthough", "indicate", "has", "recordlayout") are the program's
// own and kept on purpose. Do not correct them.
#pragma once

#include <string_view>

namespace scan {

// The report's name in the report folder.
inline constexpr std::string_view kReportFileName = "GroundStyles.txt";
// The report's header: kMapCountStart + the listed folder + kMapCountMiddle +
// the count, an empty line, the two notes, an empty line, the column title
// underlined with '=', an empty line.
inline constexpr std::string_view kMapCountStart = "Number of *.MAP files in ";
inline constexpr std::string_view kMapCountMiddle = " : ";
inline constexpr std::string_view kStockMapNote = "An '*' in front of a Mapname indicate that the map is a SSI-map.";
inline constexpr std::string_view kListedMapsNote = "Only maps that contain groundstyles you search for, are listed.";
inline constexpr std::string_view kColumnTitle = "Mapname                 : Groundstyles found on map";
// A map line: the stock map's marker (or two spaces), the name, then ": " and
// each terrain name found followed by ", ", and the note of unknown terrain last.
inline constexpr std::string_view kStockMapMarker = "* ";
inline constexpr std::string_view kUnknownTerrain = "Unknown Groundstyle found";

// The window's title: kTitleStart + the version, major, minor and patch, each
// with a sign position, joined by '.'.
inline constexpr std::string_view kTitleStart = "PG2 - Ground Style Checker - version ";
// Label3, across the top: two sentences with no space between them.
inline constexpr std::string_view kNotice =
    "NB: This tool will check for groundstyles in PG2 *.MAP files only."
    "Allthough other SSI-games has *.MAP files too, they have other recordlayout, which is not supported.";
// The captions the controls are made with. Label1 names the report
// "Groundstyles.txt", with a small s, unlike the report's own name.
inline constexpr std::string_view kLabel1Text =
    "Select the folder where your *.MAP fiels are located and press the \"Check mapfiles\" button. "
    "A report will be saved in the folder you type in the textbox to the right as \"Groundstyles.txt\"";
inline constexpr std::string_view kLabel2Text = "Type in the name of the folder you want the report saved in:";
inline constexpr std::string_view kFrame1Caption = "Search only for these groundstyles";
inline constexpr std::string_view kCommand1Caption = "Check mapfiles";
inline constexpr std::string_view kCommand2Caption = "End Program";
// What screen readers call the controls that have no caption.
inline constexpr std::string_view kDrive1Name = "Drive";
inline constexpr std::string_view kDir1Name = "Folders";
inline constexpr std::string_view kFile1Name = "Map files";
inline constexpr std::string_view kText1Name = "Report folder";

// The caption of every message box.
inline constexpr std::string_view kMessageCaption = "Groundstyles";
// A drive that cannot be read, or that went during a scan.
inline constexpr std::string_view kDriveNotReady = "Drive not ready.";
// Leaving Text1 on a missing folder: kMissingFolderStart + Text1's text
// without surrounding spaces + kMissingFolderMiddle + the folder the report
// goes to instead + kMissingFolderEnd.
inline constexpr std::string_view kMissingFolderStart = "The folder: ";
inline constexpr std::string_view kMissingFolderMiddle =
    " does not exist.\r\nIf you continue the report will be placed in '";
inline constexpr std::string_view kMissingFolderEnd = "'.";

}  // namespace scan
