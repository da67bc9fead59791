#pragma once

namespace foliant::qt {

// Tests drive the real windows of a host program with input of their own: FOLIANT_QT_TEST_HOOK
// names a shared library whose C function FoliantQtTestHook() is called at the start of every
// run, once the application exists and before any window shows. The library is loaded on the
// first run and stays loaded. Without the variable this does nothing. Throws
// std::runtime_error when the library or its function cannot be found.
void StartTestHook();

} // namespace foliant::qt
