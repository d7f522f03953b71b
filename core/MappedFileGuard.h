#pragma once

#include <cstddef>

// Reading a data file through a memory mapping saves copying it, but a file
// cut short by another program while it is mapped (the HotSync conduit
// rewriting it, say) would end the process with SIGBUS on the next read of a
// page past its new end. A watched mapping instead reads zeros from there on
// and is marked cut, so the reader can report the file as unreadable.
namespace MappedFileGuard {

// Watches [base, base + size); -1 when every watch slot is taken (the caller
// should then not map the file).
int Watch(const void* base, std::size_t size);
// Whether a read of the watched mapping met the end of a file cut short.
bool WasCut(int slot);
// Stops watching; the slot may be reused.
void Release(int slot);

} // namespace MappedFileGuard
