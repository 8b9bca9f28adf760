#include <QApplication>
#include <QIcon>

#include "form1.h"
#include "groundstyles_version.h"
#include "qt_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Groundstyles"));
  QApplication::setApplicationVersion(QStringLiteral(GROUNDSTYLES_VERSION_TEXT));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/groundstyles.ico")));
  QtWindow view;
  window::Form1 form(view, platform::SystemDrives());
  view.Load(form);
  view.show();
  return app.exec();
}
