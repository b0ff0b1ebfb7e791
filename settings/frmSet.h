#pragma once
// The settings dialog.

#include <array>
#include <cstdint>
#include <string>

#include "ui/forms.h"

namespace kivo {

class Kivo;

class frmSet : public Form {
 public:
  explicit frmSet(Kivo& app);

  std::array<Frame*, 2> fraSet{};
  std::array<CheckBox*, 6> chkShow{};
  std::array<CheckBox*, 5> chkEtc{};
  std::array<TextBox*, 4> txtEtc{};
  std::array<Label*, 4> lblEtc{};
  std::array<CommandButton*, 2> cmdWavSet{};
  std::array<CommandButton*, 2> cmdSet{};

  void Form_Load() override;
  void LoadSetOptions();
  void SaveSetOptions();
  static std::int16_t ChkNumber(const std::string& text);
  void chkShow_Click(int index);
  void chkEtc_Click(int index);
  void cmdWavSet_Click(int index);
  void cmdSet_Click(int index);

 private:
  Kivo& app_;
};

}  // namespace kivo
