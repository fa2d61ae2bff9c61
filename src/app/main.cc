// Velkaro: collects, previews and saves the product images of one shop item.
#include <QApplication>

#include "app/start_up.h"

int main(int argc, char* argv[]) {
  // Before QApplication: Qt WebEngine reads its sandbox setting when it starts.
  app::PrepareProcess();

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velkaro"));

  return app::RunProgram(application);
}
