// Process entry: the loop's result is the exit code.
#include "shell/shell.h"

int main() { return RunMainLoop(); }
