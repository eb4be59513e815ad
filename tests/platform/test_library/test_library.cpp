// A library for the loader tests: one entry point with a known answer.
extern "C" int PlatformTestLibraryAnswer() {
  return 42;
}
