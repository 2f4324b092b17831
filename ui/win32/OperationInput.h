#pragma once
// The pointer and the input while an operation runs. The program reads no
// messages until an operation ends, so what the user clicks or types meanwhile
// waits in the thread's queue; run afterwards, an impatient second click on
// "Update wad" would start the update again.

namespace skarvel::ui::win32 {

// The busy pointer; it stays, since no WM_SETCURSOR is handled until the end.
void BeginOperationInput();
// Removes the keyboard and mouse messages queued while the operation ran, then
// gives the normal pointer back.
void EndOperationInput();

}  // namespace skarvel::ui::win32
