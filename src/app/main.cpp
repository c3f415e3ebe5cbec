#include "app/skerrow_app.h"

int main(int argc, char** argv) {
  skerrow::CSkerrowApp app;
  return app.InitInstance(argc, argv);
}
