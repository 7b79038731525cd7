// Shell file drops.
#pragma once
#include "windows.h"

UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT size);
#define DragQueryFile DragQueryFileA
void DragFinish(HDROP drop);
void DragAcceptFiles(HWND hwnd, BOOL accept);
