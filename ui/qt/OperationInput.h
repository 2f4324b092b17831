#pragma once
// The pointer and the input while an operation runs. The program reads no
// events until an operation ends, so what the user clicks or types meanwhile
// waits in the queue; run afterwards, an impatient second press of "Update wad"
// would start the update again.

namespace skarvel::ui::qt {

// The busy pointer over the program's windows.
void BeginOperationInput();
// Drops the clicks, keys and wheel turns that arrived while the operation ran
// (everything else, such as paints, is handled as usual), then gives the pointer back.
void EndOperationInput();

// The normal pointer over a modal box or dialog that an operation shows, for as
// long as it is open; nothing changes when no operation runs.
class ModalPointer {
 public:
  ModalPointer();
  ~ModalPointer();
  ModalPointer(const ModalPointer&) = delete;
  ModalPointer& operator=(const ModalPointer&) = delete;

 private:
  bool pushed_ = false;
};

}  // namespace skarvel::ui::qt
