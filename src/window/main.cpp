#include <QApplication>
#include <QIcon>

#include "form1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Groundstyles"));
  QApplication::setApplicationVersion(QStringLiteral(GROUNDSTYLES_VERSION_TEXT));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/groundstyles.ico")));
  Form1 window;
  window.show();
  return app.exec();
}
