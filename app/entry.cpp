// The runtime's start-up code calls main; the program itself starts in app_launch.
#include "app/app.h"

int main() { return app_launch(); }
