// What Extract, Add and Delete share when they drive an engine.
//
//   EngineOperation .. the run-time state an engine operation writes and no
//                      setter exposes: the results it starts from, its side's
//                      busy flag, a count that does not stand
//   EngineRun ........ one engine command: the engine held for it, the settings
//                      taken from the component, the call, the clean-up
//
// An operation checks its own preconditions, in its own order, and creates the
// run where it needs the engine. The run then holds the engine for the rest of
// the operation (loaded unless the owner loaded it, unloaded at the end only if
// the run loaded it, on every path), fills the settings every command takes
// from the component, calls the engine with the command record, and cleans up
// after the call as every engine command does. When to set and clear the busy
// flag and Cancel, the checks between loading and calling and what happens
// after the clean-up stay with the operation.
#pragma once

#include <cstdint>

#include "zipbuilder/command_records.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

class EngineOperation {
 public:
  // An operation of `engine`'s side: UnzipSideBusy for the unzip engine,
  // ZipSideBusy for the zip engine.
  EngineOperation(TZipBuilder& component, EngineKind engine) : component_(component), engine_(engine) {}

  // Where every engine operation begins: ErrCode 0, ProcessedCount 0, LastMessage "".
  void Start();

  [[nodiscard]] bool SideBusy() const;
  void MarkSideBusy();
  void MarkSideIdle();

  // For a result that did not come out whole: ProcessedCount 0.
  void ClearProcessedCount();

 private:
  [[nodiscard]] bool& SideBusyFlag() const;

  TZipBuilder& component_;
  EngineKind engine_;
};

class EngineRun {
 public:
  EngineRun(TZipBuilder& component, EngineKind engine);
  ~EngineRun();

  EngineRun(const EngineRun&) = delete;
  EngineRun& operator=(const EngineRun&) = delete;

  // Loaded, with the exec and version entries found. A missing library or entry
  // was reported by the loader; an entry that was not found is never called.
  [[nodiscard]] bool Usable() const;
  // The engine's version times 100; only for a usable engine.
  [[nodiscard]] std::int32_t Version() const;

  // The command settings from the component's properties as they are now.
  [[nodiscard]] UnzipCommandSettings UnzipSettings() const;
  // Only an add has a root folder: a delete's lines name entries, not files.
  [[nodiscard]] ZipCommandSettings ZipSettings(ZipCommandKind kind) const;

  // Runs `work`, the part of the operation that builds the record and calls the
  // engine. Whatever it throws is reported as the engine's abort message (10501
  // for the unzip engine, 10101 for the zip engine). Then, however it ended,
  // FSpecArgs is emptied (FSpecArgsExcl too for the zip engine) and the current
  // command record cleared; `work` owns the record, so it is freed by then.
  template <typename Work>
  void Guarded(Work&& work) {
    try {
      work();
    } catch (...) {
      ReportAbort();
    }
    CleanUp();
  }

  // Hands the record to the exec entry as the current command record;
  // ProcessedCount becomes the engine's count. An event handler that failed
  // inside a callback made the callback stop the engine; that failure is thrown
  // here, once the engine returned.
  void Execute(UnzipCommand& command);
  void Execute(ZipCommand& command);

 private:
  [[nodiscard]] const EngineBinding& Binding() const;
  void FillCommonSettings(EngineCommandSettings& settings) const;
  void Call(void* record);
  void ReportAbort();
  void CleanUp();

  TZipBuilder& component_;
  EngineKind engine_;
  bool loadedHere_;
};

}  // namespace zipbuilder
