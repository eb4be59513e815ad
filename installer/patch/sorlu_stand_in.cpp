// A stand-in for the graphics library that the patch replaces: a real shared
// library of this build, so that the default patch archive carries a file of the
// kind a patch carries, made from sources in this repository.
#ifdef _WIN32
#define SORLU_EXPORT extern "C" __declspec(dllexport)
#else
#define SORLU_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// The library's one entry: the patch level it brings.
SORLU_EXPORT int SorluPatchLevel() { return 1; }
