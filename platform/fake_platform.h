// Control of the scripted fake backend, for tests. The fake implements every
// operation of platform.h: it records each call in order, can make any single
// call fail, answers message boxes and display-mode requests as told, and
// hands out real Mesa OpenGL contexts (off-screen, no display needed), so that
// tests draw with real GL and read back what was drawn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fake {

struct RecordedBox {
    WindowHandle owner;
    std::string text;
    std::string caption;
    uint32_t style;
};

// Forgets the call log, boxes, queued messages, failures and answers; destroys
// any windows, contexts and classes the fake still holds. The process's
// off-screen GL display stays initialised.
void Reset();

// Forgets the call log and the boxes shown so far, and nothing else.
void ClearLog();

// Every call so far, one line each: the operation's name, then its notable
// arguments, e.g. "RegisterClass OpenGL", "CreateWindowEx OpenGL Heliora 0 0 800 600",
// "ChangeDisplaySettings 800x600x16 4", "ChangeDisplaySettings none 0",
// "ShowCursor 0", "MakeCurrent null null", "MessageBox ERROR", "WaitMessage".
const std::vector<std::string>& Calls();
// The calls whose line starts with `prefix`.
std::vector<std::string> CallsStartingWith(const std::string& prefix);
// Every message box shown, in order.
const std::vector<RecordedBox>& Boxes();

// Makes the `occurrence`-th call (from 1, counted from now) of operation `name`
// fail (e.g. "RegisterClass", "CreateWindowEx", "GetDC", "ChoosePixelFormat",
// "SetPixelFormat", "CreateContext", "MakeCurrent", "DeleteContext",
// "ReleaseDC", "DestroyWindow", "UnregisterClass", "OpenFile",
// "CreateFileMapping", "MapViewOfFile", "ChangeDisplaySettings", "SwapBuffers",
// "WaitMessage").
void FailCall(const std::string& name, int occurrence = 1);

// Answers to the next message boxes, in order; once used up every box gets IDOK
// (IDYES for a Yes/No box unless told otherwise by SetDefaultYesNoAnswer).
void QueueBoxAnswers(const std::vector<int32_t>& answers);
void SetDefaultYesNoAnswer(int32_t answer);

// Whether the display offers the requested full-screen mode (default: yes).
void SetFullscreenModeAvailable(bool available);
// Whether a display mode other than the desktop's is in force.
bool DisplayModeChanged();
// The cursor's show count (0 shown, negative hidden).
int32_t CursorCount();

// Appends a message to the queue that PlatPeekMessage reads.
void PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Number of queued messages not yet taken.
size_t PendingMessages();
// Calls `hook` with a running count each time PlatPeekMessage finds nothing
// to take: the pass is idle, and messages the hook posts are taken by the
// next peeks. Lets a test act between passes. Null clears it.
void SetIdleHook(void (*hook)(int idlePass));

// The last window created and not destroyed, or null.
WindowHandle LastWindow();
// Client size of a live window.
void WindowSize(WindowHandle window, int32_t* width, int32_t* height);
// Number of live windows, contexts and registered classes.
int LiveWindows();
int LiveContexts();
int RegisteredClasses();
// Buffer swaps so far.
int SwapCount();

// A current GL context with a width x height back buffer, for tests that draw
// without opening the scene window. Replaces the previous one.
void MakeTestContext(int32_t width, int32_t height);
// Releases the test context.
void ReleaseTestContext();

}  // namespace fake
