// Saves a picture of the primary screen (the X root window under Xvfb) to a file.
#include <cstdio>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QThread>

int main(int argc, char* argv[]) {
  QGuiApplication application(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: grab_screen out.png [delay-ms]\n");
    return 2;
  }
  if (argc > 2) QThread::msleep(QString::fromLocal8Bit(argv[2]).toULong());
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "grab_screen: could not grab or save the screen\n");
    return 1;
  }
  return 0;
}
