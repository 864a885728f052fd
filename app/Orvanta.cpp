// Program start: the application, its ten windows and the message loop.
#include "app/Startup.h"

int main(int argc, char** argv) { return orv::ui::RunOrvanta(argc, argv); }
