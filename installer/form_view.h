// What the installer's form logic (TForm1) needs of the window that shows it. The
// Qt front implements it with widgets; tests implement it with plain members; a
// native Windows front could implement it with a dialog.
#pragma once

#include <cstdint>
#include <string>

#include "zipbuilder/enum_set.h"

namespace installer {

// The options of the open-file dialog `load`.
enum class TOpenOption : std::uint8_t {
  ofHideReadOnly,
  ofPathMustExist,
  ofFileMustExist,
};
using TOpenOptions = zipbuilder::EnumSet<TOpenOption, std::uint8_t>;

// The open-file dialog `load`: its settings live as long as the form.
struct TOpenDialog {
  std::string DefaultExt = "exe";  // a typed name without extension gets ".exe"
  std::string FileName;            // in: proposed; out: chosen, with its folder
  std::string InitialDir;
  TOpenOptions Options{TOpenOption::ofHideReadOnly, TOpenOption::ofPathMustExist, TOpenOption::ofFileMustExist};
  std::string Title;
  // "description|pattern" pairs, joined by "|".
  std::string Filter;
};

enum class DialogOutcome : std::uint8_t { Confirmed, Cancelled };

class FormView {
 public:
  virtual ~FormView() = default;

  [[nodiscard]] virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& text) = 0;
  virtual void SetLabel1Text(const std::string& text) = 0;
  virtual void SetLabel2Text(const std::string& text) = 0;
  [[nodiscard]] virtual std::string Edit1Text() const = 0;
  virtual void SetEdit1Text(const std::string& text) = 0;

  // ProgressBar1: hidden over Edit1 until Install shows it; 16-bit values.
  virtual void ShowProgressBar() = 0;
  virtual void SetProgressMaximum(std::uint16_t maximum) = 0;
  virtual void SetProgressPosition(std::uint16_t position) = 0;

  // Runs `load` modally; on Confirmed its FileName holds the chosen file.
  [[nodiscard]] virtual DialogOutcome ExecuteOpenDialog(TOpenDialog& dialog) = 0;

  // Closes the window. Every close, this one or the user's, asks
  // TForm1::FormCloseQuery and then runs TForm1::FormClose.
  virtual void Close() = 0;
};

}  // namespace installer
