// The console backend's one addition to the platform contract: message boxes
// are not shown on a terminal but kept for the program to report as it sees fit.
#pragma once

// The text of the last message box since the last clear, or "" if none.
const char* ConsoleLastMessage();
// Forgets the last message.
void ConsoleClearMessage();
