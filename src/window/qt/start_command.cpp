#include "start_command.h"

#include <QCommandLineParser>
#include <QStringList>
#include <algorithm>

#include "given_path.h"
#include "groundstyles_version.h"
#include "platform/paths.h"

namespace {

constexpr char kProgramName[] = "groundstyles";

StartCommand Print(const QString& text) {
  StartCommand command;
  command.action = StartCommand::Action::kPrint;
  command.text = text.toStdString();
  return command;
}

StartCommand UsageError(const std::string& message) {
  StartCommand command;
  command.action = StartCommand::Action::kUsageError;
  command.text = std::string(kProgramName) + ": " + message + "\n";
  return command;
}

StartCommand UsageErrorWithHint(const std::string& message) {
  return UsageError(message + "\nTry '" + kProgramName + " --help' for more information.");
}

}  // namespace

StartCommand ParseStartCommand(const std::vector<std::string>& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Opens the Groundstyles window, which reports the terrain types of the PG2\n"
      "maps (*.MAP) in a folder, with its lists on FOLDER, or on the folder it is\n"
      "started in."));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Shows this help and exits."));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("Shows the version and exits."));
  parser.addOptions({help, version});
  parser.addPositionalArgument(QStringLiteral("FOLDER"),
                               QStringLiteral("A folder of maps, or a map file for the folder that holds it."),
                               QStringLiteral("[FOLDER]"));
  QStringList list;
  for (const std::string& argument : arguments) list.push_back(QString::fromLocal8Bit(argument));
  if (!parser.parse(list)) return UsageErrorWithHint(parser.errorText().toStdString());
  if (parser.isSet(help)) return Print(parser.helpText());
  if (parser.isSet(version)) return Print(QStringLiteral("%1 %2\n").arg(kProgramName, GROUNDSTYLES_VERSION_TEXT));

  // With no option left, every argument but the first "--" is FOLDER: taken
  // as the system gave it, as Qt's text would lose a name that is not UTF-8.
  std::vector<std::string> folders(arguments.begin() + std::min<std::size_t>(arguments.size(), 1), arguments.end());
  if (const auto end = std::find(folders.begin(), folders.end(), "--"); end != folders.end()) folders.erase(end);
  if (folders.size() > 1) return UsageErrorWithHint("Unexpected argument '" + folders[1] + "'.");
  StartCommand command;
  if (folders.empty()) return command;
  command.path = folders.front();
  const platform::NativeString folder = window::FolderOfGivenPath(command.path);
  if (const std::string reason = platform::NotAFolderReason(folder); !reason.empty()) {
    return UsageError("cannot open \"" + folder + "\": " + reason);
  }
  return command;
}
