// The zelmo executable.
#include "shell/app.h"

int main() { return (int)appMain(); }
