#pragma once

// Marks the report engine's public interface: the classes and functions libreportengine.so
// exports. Everything else in the library is hidden, so hosts and the wizard can rely only on
// what is marked. Only the engine's own code, compiled with FOLIANT_ENGINE_BUILDING, gives the
// marked declarations default visibility; to every other module they are plain declarations,
// which keeps them out of that module's own exports.
#if defined(FOLIANT_ENGINE_BUILDING)
#define FOLIANT_ENGINE_API __attribute__((visibility("default")))
#else
#define FOLIANT_ENGINE_API
#endif
