#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <string>
#include <vector>

#include "form1.h"
#include "groundstyles_version.h"
#include "platform/console.h"
#include "qt_window.h"
#include "start_command.h"

namespace {

// The command line, read before the toolkit starts, which needs a display.
StartCommand ReadCommandLine(int argc, char** argv) {
  // Qt's parser names the program in its help as its application's first argument does.
  char name[] = "groundstyles";
  char* core_argv[] = {name, nullptr};
  int core_argc = 1;
  const QCoreApplication core(core_argc, core_argv);
  return ParseStartCommand(std::vector<std::string>(argv, argv + argc));
}

}  // namespace

int main(int argc, char** argv) {
  const StartCommand command = ReadCommandLine(argc, argv);
  switch (command.action) {
    case StartCommand::Action::kPrint:
      return platform::WriteOutput(command.text).ok() ? 0 : 1;
    case StartCommand::Action::kUsageError:
      platform::WriteError(command.text);
      return kExitUsage;
    case StartCommand::Action::kOpen:
      break;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Groundstyles"));
  QApplication::setApplicationVersion(QStringLiteral(GROUNDSTYLES_VERSION_TEXT));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/groundstyles.ico")));
  QtWindow view;
  window::Form1 form(view, platform::SystemDrives());
  form.SetStartPath(command.path);
  view.Load(form);
  view.show();
  return app.exec();
}
