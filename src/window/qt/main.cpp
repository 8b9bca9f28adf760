#include <QApplication>
#include <QIcon>

#include "groundstyles_version.h"
#include "qt_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Groundstyles"));
  QApplication::setApplicationVersion(QStringLiteral(GROUNDSTYLES_VERSION_TEXT));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/groundstyles.ico")));
  QtWindow window;
  window.show();
  return app.exec();
}
