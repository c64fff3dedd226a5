#include "app/application.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  tolvane::Application application(argc, argv);
  tolvane::MainWindow window;
  window.show();
  return application.exec();
}
